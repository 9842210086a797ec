#!/usr/bin/env bash
# Times a setup program carrying about 100 MB of program cabinets, installed by the console
# installer (VexaInstall --yes) into an empty machine, against cabextract expanding the
# same cabinets into a folder. Our runs and the peer's take turns, so that both meet the
# file system in the same state.
# Usage: bench/setup_vs_cabextract.sh BUILD_DIR [MEGABYTES]
set -euo pipefail

build=${1:?usage: $0 BUILD_DIR [MEGABYTES]}
megabytes=${2:-100}
vexa=$(realpath "$build/apps/vexa/vexa")
installer=$(realpath "$build/installer/cli/VexaInstall")
runs=5
command -v cabextract >/dev/null || { echo "$0: cabextract is not installed (scripts/bootstrap installs it)" >&2; exit 1; }
for program in "$vexa" "$installer"; do
    [[ -x $program ]] || { echo "$0: $program is not built" >&2; exit 1; }
done

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

# Four program cabinets of files of 2.1 MB, each two thirds random bytes and one third text
# (about 1.42 MB in a cabinet), together MEGABYTES; the last one expands into a sub-directory.
cabinets=4
files=$((megabytes * 100 / 142 / cabinets))
mkdir -p "$work/setup"
script=$work/setup/Script.TXT
printf 'SetProductName "Bench Program"\r\nSetProductDirectory "<ProgramFilesDir>\\Bench Program"\r\n' >"$script"
for ((c = 1; c <= cabinets; c++)); do
    mkdir -p "$work/program$c"
    for ((i = 1; i <= files; i++)); do
        { head -c 1400000 /dev/urandom; head -c 700000 < <(yes "record $i of cabinet $c: names and numbers"); } \
            >"$work/program$c/part$i.dat"
    done
    "$vexa" cab make "$work/setup/Prog$c.cab" --from-dir "$work/program$c" >/dev/null 2>&1
    bytes=$(stat -c %s "$work/setup/Prog$c.cab")
    expanded=$(du -sb "$work/program$c" | cut -f1)
    sub=$([[ $c == "$cabinets" ]] && echo '\data' || true)
    printf 'InstallProgram "Prog%d.cab","%d","20240229123456","1","%d","","%s"\r\n' "$c" "$bytes" "$expanded" "$sub" \
        >>"$script"
done
"$vexa" setup make --for native --installer "$installer" "$work/Setup" "$script" "$work"/setup/Prog*.cab >/dev/null

source "$(dirname "$0")/timing.sh"

export VEXA_PREFIX=$work/prefix
install() { "$work/Setup" --yes --dest "$work/dest" </dev/null; }
peer() {
    mkdir "$work/expanded"
    for ((c = 1; c <= cabinets; c++)); do cabextract -q -d "$work/expanded" "$work/setup/Prog$c.cab"; done
}
# One install first, checked: a run that fails early would time nothing.
install >"$work/said" 2>&1 || { cat "$work/said" >&2; echo "$0: the installation failed" >&2; exit 1; }
grep -q '^Installation completed' "$work/said" || { cat "$work/said" >&2; echo "$0: not completed" >&2; exit 1; }
read -r peer_time ours_time < <(median_pair 'rm -rf "$work/expanded"' peer \
    'rm -rf "$VEXA_PREFIX" "$work/dest"' install)

awk -v bytes="$(cat "$work"/setup/Prog*.cab | wc -c)" -v ours="$ours_time" -v peer="$peer_time" -v runs="$runs" \
    -v cabinets="$cabinets" 'BEGIN {
    printf "setup program carrying %d program cabinets of %.1f MB; median of %d runs\n", cabinets, bytes / 1e6, runs
    printf "VexaInstall --yes %6.2f s   cabextract %6.2f s   ratio %.2f (target 1.2 or less)\n",
        ours, peer, ours / peer
}'
