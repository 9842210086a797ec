#!/usr/bin/env bash
# Times `vexa fetch` against curl fetching the same 256 MiB file from the same loopback
# server, prints the throughput ratio and vexa's peak memory, then the drop reaction of the
# download engine (drop_reaction_bench).
# Usage: bench/fetch_vs_curl.sh BUILD_DIR [MEBIBYTES]
set -euo pipefail

build=${1:?usage: $0 BUILD_DIR [MEBIBYTES]}
mebibytes=${2:-256}
here=$(cd "$(dirname "$0")/.." && pwd)
vexa=$(realpath "$build/apps/vexa/vexa")
drop_bench=$build/bench/drop_reaction_bench
runs=5
command -v curl >/dev/null || { echo "$0: curl is not installed (scripts/bootstrap installs it)" >&2; exit 1; }
for program in "$vexa" "$drop_bench"; do
    [[ -x $program ]] || { echo "$0: $program is not built" >&2; exit 1; }
done

work=$(mktemp -d)
server_file=$work/server
cleanup() {
    python3 "$here/tests/support/fault_http_server.py" --stop "$server_file" >/dev/null 2>&1 || true
    rm -rf "$work"
}
trap cleanup EXIT
python3 "$here/tests/support/fault_http_server.py" --background "$server_file"
port=$(awk '/^port/ { print $2 }' "$server_file")
bytes=$((mebibytes << 20))
export VEXA_PREFIX=$work/prefix
mkdir -p "$work/ours" "$work/peer"

# Median wall time in seconds of $runs runs; each run fetches its own URL, so no cache helps.
median_seconds() {
    local name=$1; shift
    local times=() start end
    for ((i = 0; i < runs; i++)); do
        local url="http://127.0.0.1:$port/file/$bytes/$name-$i/big.bin"
        start=$(date +%s%N)
        "$@" "$url" >/dev/null 2>&1
        end=$(date +%s%N)
        times+=($((end - start)))
        rm -f "$work/ours/big.bin" "$work/peer/big.bin"
        rm -rf "$VEXA_PREFIX/Internet Cache"/*
    done
    printf '%s\n' "${times[@]}" | sort -n | awk -v middle=$((runs / 2 + 1)) 'NR == middle { printf "%.3f", $1 / 1e9 }'
}

fetch_ours() { "$vexa" fetch "$1" "$work/ours"; }
fetch_peer() { curl -sf -o "$work/peer/big.bin" "$1"; }
ours=$(median_seconds ours fetch_ours)
peer=$(median_seconds peer fetch_peer)

# Peak memory of one fetch, and a check that it brought the right bytes.
rss_kb=$( { /usr/bin/time -f '%M' "$vexa" fetch "http://127.0.0.1:$port/file/$bytes/rss/big.bin" "$work/ours" >/dev/null; } 2>&1 | tail -1)
curl -sf -o "$work/peer/big.bin" "http://127.0.0.1:$port/file/$bytes/check/big.bin"
cmp -s "$work/ours/big.bin" "$work/peer/big.bin" || { echo "$0: vexa fetch brought other bytes than curl" >&2; exit 1; }

awk -v mb="$mebibytes" -v o="$ours" -v p="$peer" -v rss="$rss_kb" -v runs="$runs" 'BEGIN {
    printf "fetch %d MiB on loopback, median of %d runs\n", mb, runs
    printf "vexa fetch %6.3f s (%6.1f MiB/s)   curl %6.3f s (%6.1f MiB/s)   throughput ratio %.2f\n", o, mb / o, p, mb / p, p / o
    printf "vexa fetch peak memory %.1f MiB\n", rss / 1024
}'
"$drop_bench" --benchmark_counters_tabular=true 2>/dev/null | grep -E "^(Benchmark|Drop|-)" || true
