#!/usr/bin/env bash
# Times `vexa load` on a release of 200 program cabinets (about 100 MB, served on loopback)
# against the peer tools doing the same work: cold (an empty prefix: everything fetched and
# expanded) against curl fetching the 200 cabinets in one call and cabextract expanding
# them, and warm (the same prefix again: everything cached) against cabextract alone. Our runs
# and the peers' take turns, so that both meet the file system in the same state.
# Usage: bench/load_vs_peers.sh BUILD_DIR [CABINETS]
set -euo pipefail

build=${1:?usage: $0 BUILD_DIR [CABINETS]}
cabinets=${2:-200}
here=$(cd "$(dirname "$0")/.." && pwd)
vexa=$(realpath "$build/apps/vexa/vexa")
sample=$(realpath "$build/samples/web_program/vexa_sample_program")
server=$here/tests/support/fault_http_server.py
runs=5
for tool in curl cabextract; do
    command -v $tool >/dev/null || { echo "$0: $tool is not installed (scripts/bootstrap installs it)" >&2; exit 1; }
done
for program in "$vexa" "$sample"; do
    [[ -x $program ]] || { echo "$0: $program is not built" >&2; exit 1; }
done

work=$(mktemp -d)
cleanup() {
    python3 "$server" --stop "$work/server" >/dev/null 2>&1 || true
    rm -rf "$work"
}
trap cleanup EXIT

# The program: the sample program and data files of 750 KB, each two thirds random
# bytes and one third text, so the cabinets hold what programs hold: some of it compresses.
mkdir -p "$work/program/data"
cp "$sample" "$work/program/"
for ((i = 1; i < cabinets; i++)); do
    { head -c 512000 /dev/urandom; head -c 256000 < <(yes "record $i of the program's data: names, numbers and settings"); } \
        >"$work/program/data/part$i.dat"
done
"$here/tests/e2e/make_release.sh" --vexa "$vexa" --exe "$(basename "$sample")" --cabinet-per-file \
    "$work/program" "$work/release"
bytes=$(cat "$work"/release/Prog*.cab | wc -c)

python3 "$server" --root "$work/release" --background "$work/server"
port=$(awk '/^port/ { print $2 }' "$work/server")
page=http://127.0.0.1:$port/index.htm
urls=()
for ((i = 1; i <= cabinets; i++)); do urls+=("http://127.0.0.1:$port/Prog$i.cab"); done

source "$(dirname "$0")/timing.sh"

fresh() { rm -rf "$work/$1"; mkdir "$work/$1"; }
fetch_and_expand() {
    (cd "$work/fetched" && curl -sf --remote-name-all "${urls[@]}")
    cabextract -q -d "$work/expanded" "$work"/fetched/*.cab
}
"$vexa" --help | grep -q '^  load ' || { echo "$0: this vexa has no load command" >&2; exit 1; }
export VEXA_PREFIX=$work/prefix
load() { "$vexa" load "$page" --trust yes; }
# One load first, checked: a run that fails early would time nothing.
load >"$work/events" 2>"$work/progress" || { cat "$work/progress" >&2; echo "$0: vexa load failed" >&2; exit 1; }
grep -qx 'ScriptDone()' "$work/events" || { echo "$0: vexa load did not end with ScriptDone" >&2; exit 1; }
read -r peer_cold ours_cold < <(median_pair "fresh fetched; fresh expanded" fetch_and_expand 'rm -rf "$VEXA_PREFIX"' load)
read -r peer_warm ours_warm < <(median_pair "fresh expanded" 'cabextract -q -d "$work/expanded" "$work"/fetched/*.cab' "" load)

awk -v cabs="$cabinets" -v bytes="$bytes" -v oc="$ours_cold" -v pc="$peer_cold" -v ow="$ours_warm" \
    -v pw="$peer_warm" -v runs="$runs" 'BEGIN {
    printf "release: %d program cabinets, %.1f MB on loopback; median of %d runs\n", cabs, bytes / 1e6, runs
    printf "cold  vexa load %6.2f s   curl + cabextract %6.2f s   ratio %.2f (target 1.5 or less)\n", oc, pc, oc / pc
    printf "warm  vexa load %6.2f s   cabextract        %6.2f s   ratio %.2f (target 1.5 or less)\n", ow, pw, ow / pw
}'
