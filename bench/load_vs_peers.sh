#!/usr/bin/env bash
# Times `vexa load` on a release that the page wizard made of a program of 200 files (about
# 100 MB of cabinets, one per file, the larger published in pieces, served on loopback)
# against the peer tools doing the same work: cold (an empty prefix: everything fetched and
# expanded) against curl fetching every piece and cabinet in one call, cat joining the pieces
# and cabextract expanding the cabinets, and warm (the same prefix again: everything cached)
# against cabextract alone. Our runs and the peers' take turns, so that both meet the file
# system in the same state.
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
cp "$sample" "$work/program/sample.exe"
for ((i = 1; i < cabinets; i++)); do
    { head -c 512000 /dev/urandom; head -c 256000 < <(yes "record $i of the program's data: names, numbers and settings"); } \
        >"$work/program/data/part$i.dat"
done
mkdir -p "$work/wizard" "$work/release"
cp -r "$build/share/vexaweb/." "$work/wizard/"
python3 "$server" --root "$work/release" --background "$work/server"
port=$(awk '/^port/ { print $2 }' "$work/server")
site=http://127.0.0.1:$port/
VEXA_PREFIX=$work/author "$vexa" wizard build "$work/program" --wizard-dir "$work/wizard" --yes --multi-cab \
    --web-site "$site" --publication-url "$site" --page index.htm >/dev/null
cp "$work"/program/VexaWizardWebExpressProject/Release/* "$work/release/"
page=${site}index.htm
# What the page's program lines name: whole cabinets, and the pieces of the split ones.
mapfile -t published < <(cd "$work/release" && ls | grep -E '\.cab[0-9]*$')
bytes=$(cd "$work/release" && cat "${published[@]}" | wc -c)
urls=("${published[@]/#/$site}")

source "$(dirname "$0")/timing.sh"

fresh() { rm -rf "$work/$1"; mkdir "$work/$1"; }
# The pieces of a set joined in their order (name.cab1, name.cab2, ...), the pieces then gone.
join_pieces() {
    local first set k pieces
    for first in "$work"/fetched/*.cab1; do
        [[ -e $first ]] || return 0
        set=${first%1}
        pieces=$(ls "$set"[0-9]* | wc -l)
        for ((k = 1; k <= pieces; k++)); do cat "$set$k"; done >"$set"
        rm "$set"[0-9]*
    done
}
fetch_and_expand() {
    (cd "$work/fetched" && curl -sf --remote-name-all "${urls[@]}")
    join_pieces
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
    printf "release: %d program files, %.1f MB of cabinets on loopback; median of %d runs\n", cabs, bytes / 1e6, runs
    printf "cold  vexa load %6.2f s   curl + cabextract %6.2f s   ratio %.2f (target 1.5 or less)\n", oc, pc, oc / pc
    printf "warm  vexa load %6.2f s   cabextract        %6.2f s   ratio %.2f (target 1.5 or less)\n", ow, pw, ow / pw
}'
