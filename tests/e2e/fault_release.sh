#!/usr/bin/env bash
# Makes a release the wizard wrote faulty, for the cases that check how the loader meets a
# fault: its script is taken out of the script cabinet, its program lines are changed, and
# it is packed again as the wizard packs it.
#
# Usage: tests/e2e/fault_release.sh [options] SCRIPT_CAB
#   --vexa PATH       the vexa program (default build/native/apps/vexa/vexa)
#   --bad-signature   the first program cabinet's line carries a signature of other bytes
#   --via PATH        name the program cabinets through PATH ("nolength/", "stall/4096/"),
#                     so a fault of the loopback server applies to them
#   --subdir TEXT     every program cabinet's sub-directory ("..\..\out\", "C:out\")
set -euo pipefail

here=$(cd "$(dirname "$0")/../.." && pwd)
vexa=$here/build/native/apps/vexa/vexa
bad_signature=0 via="" subdir="" set_subdir=0

usage() { sed -n '/^# Usage/,/^set -e/p' "$0" | sed '$d; s/^# \{0,1\}//' >&2; exit 2; }
while [[ $# -gt 0 && $1 == --* ]]; do
    case $1 in
        --vexa) vexa=$2; shift ;;
        --bad-signature) bad_signature=1 ;;
        --via) via=$2; shift ;;
        --subdir) subdir=$2; set_subdir=1; shift ;;
        *) usage ;;
    esac
    shift
done
[[ $# -eq 1 && -f $1 ]] || usage
cabinet=$(realpath "$1")

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
"$vexa" cab expand "$cabinet" "$work/script" --overwrite all >/dev/null
script=$(find "$work/script" -type f | head -1)
BAD=$bad_signature VIA=$via SUBDIR=$subdir SET_SUBDIR=$set_subdir python3 - "$script" <<'PY'
import os, re, sys
path = sys.argv[1]
lines = open(path, 'rb').read().decode('latin-1').split('\r\n')
first = True
for i, line in enumerate(lines):
    if not line.startswith('InstallProgram '):
        continue
    args = re.findall(r'"([^"]*)"', line)
    args[0] = os.environ['VIA'] + args[0]
    if os.environ['BAD'] == '1' and first:
        args[5] = args[5][:-1] + '%x' % ((int(args[5][-1], 16) + 1) % 16)
    if os.environ['SET_SUBDIR'] == '1':
        args[6] = os.environ['SUBDIR']
    lines[i] = 'InstallProgram ' + ', '.join('"%s"' % a for a in args)
    first = False
open(path, 'wb').write('\r\n'.join(lines).encode('latin-1'))
PY
"$vexa" cab make "$work/packed.cab" "$script=$(basename "$script")" --reserve 6144 >/dev/null
cp "$work/packed.cab" "$cabinet"
