#!/usr/bin/env bash
# Times the download control's InstallProgram of a program cabinet of about 100 MB in 5
# pieces, served on loopback, against curl fetching the 5 pieces, cat joining them and
# cabextract expanding the cabinet. Each of our runs starts from an empty machine, so the
# whole set is fetched, joined, checked against its signature, kept and expanded. Our runs
# and the peers' take turns, so that both meet the file system in the same state.
# Usage: bench/install_vs_peers.sh BUILD_DIR [MEGABYTES]
set -euo pipefail

build=${1:?usage: $0 BUILD_DIR [MEGABYTES]}
megabytes=${2:-100}
here=$(cd "$(dirname "$0")/.." && pwd)
vexa=$(realpath "$build/apps/vexa/vexa")
server=$here/tests/support/fault_http_server.py
runs=5
for tool in curl cabextract; do
    command -v $tool >/dev/null || { echo "$0: $tool is not installed (scripts/bootstrap installs it)" >&2; exit 1; }
done
[[ -x $vexa ]] || { echo "$0: $vexa is not built" >&2; exit 1; }

work=$(mktemp -d)
cleanup() {
    python3 "$server" --stop "$work/server" >/dev/null 2>&1 || true
    rm -rf "$work"
}
trap cleanup EXIT

# A program of files of 2 MB, each two thirds random bytes and one third text.
mkdir -p "$work/program" "$work/release"
for ((i = 1; i <= megabytes / 2; i++)); do
    { head -c 1400000 /dev/urandom; head -c 700000 < <(yes "record $i of the program's data: names and numbers"); } \
        >"$work/program/part$i.dat"
done
"$vexa" cab make "$work/Prog.cab" --from-dir "$work/program" >/dev/null 2>&1
bytes=$(stat -c %s "$work/Prog.cab")
signature=$("$vexa" sig make "$work/Prog.cab" | awk "{ print \$1 }")
"$vexa" cab split "$work/Prog.cab" 5 >/dev/null
mv "$work"/Prog.cab[1-5] "$work/release/"

python3 "$server" --root "$work/release" --background "$work/server"
port=$(awk '/^port/ { print $2 }' "$work/server")
url=http://127.0.0.1:$port/Prog.cab
urls=()
for k in 5 4 3 2 1; do urls+=("$url$k"); done

source "$(dirname "$0")/timing.sh"

fresh() { rm -rf "$work/$1"; mkdir "$work/$1"; }
peer() {
    (cd "$work/fetched" && curl -sf --remote-name-all "${urls[@]}")
    cat "$work"/fetched/Prog.cab{1,2,3,4,5} >"$work/joined.cab"
    cabextract -q -d "$work/expanded" "$work/joined.cab"
}
export VEXA_PREFIX=$work/prefix
install() {
    "$vexa" call VEXADNLD.VexaDnldCtrl.1 InstallProgram "$url" "$bytes" "" 5 0 "$work/expanded" "$signature"
}
# One install first, checked: a run that fails early would time nothing.
install >"$work/events" 2>&1 || { cat "$work/events" >&2; echo "$0: the install failed" >&2; exit 1; }
grep -q '^DoneInstall(' "$work/events" || { cat "$work/events" >&2; echo "$0: no DoneInstall" >&2; exit 1; }
read -r peer_time ours_time < <(median_pair "fresh fetched; fresh expanded" peer \
    'rm -rf "$VEXA_PREFIX" "$work/expanded"' install)

awk -v bytes="$bytes" -v ours="$ours_time" -v peer="$peer_time" -v runs="$runs" 'BEGIN {
    printf "program cabinet: %.1f MB in 5 pieces on loopback; median of %d runs\n", bytes / 1e6, runs
    printf "InstallProgram %6.2f s   curl + cat + cabextract %6.2f s   ratio %.2f (target 1.2 or less)\n",
        ours, peer, ours / peer
}'
