#!/usr/bin/env bash
# Times `vexa sig make` against cksum on a 256 MiB file in the page cache, then prints
# the checksum's throughput from checksum_bench.
# Usage: bench/sig_vs_cksum.sh BUILD_DIR
set -euo pipefail

build=${1:?usage: $0 BUILD_DIR}
vexa=$build/apps/vexa/vexa
bench=$build/bench/checksum_bench
runs=7
for program in "$vexa" "$bench"; do
    [[ -x $program ]] || { echo "$0: $program is not built" >&2; exit 1; }
done

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
file=$work/random.bin
head -c $((256 << 20)) /dev/urandom >"$file"

# Median wall time in seconds of $runs runs of a command, after one run to warm the caches.
median_seconds() {
    "$@" >/dev/null
    local times=() start end
    for ((i = 0; i < runs; i++)); do
        start=$(date +%s%N)
        "$@" >/dev/null
        end=$(date +%s%N)
        times+=($((end - start)))
    done
    printf '%s\n' "${times[@]}" | sort -n | awk -v middle=$((runs / 2 + 1)) 'NR == middle { printf "%.4f", $1 / 1e9 }'
}

vexa_seconds=$(median_seconds "$vexa" sig make "$file")
cksum_seconds=$(median_seconds cksum "$file")
echo "256 MiB file, median of $runs runs:"
awk -v v="$vexa_seconds" -v c="$cksum_seconds" 'BEGIN {
    printf "  vexa sig make  %.3f s\n  cksum          %.3f s\n  vexa / cksum   %.2f\n", v, c, v / c }'

# checksum_bench's JSON, as lines of "name bytes_per_second".
"$bench" --benchmark_filter=Checksum --benchmark_format=json 2>/dev/null |
    awk -F': ' '/"name"/ { gsub(/[",]/, "", $2); name = $2 }
                /"bytes_per_second"/ { gsub(/,/, "", $2); print name, $2 }' |
    awk 'function line(label, name) {
             printf "  %-26s %6.0f MB/s  %4.1fx\n", label, rate[name], rate[name] / rate["BM_ReferenceChecksum"]
         }
         { rate[$1] = $2 / 1e6 }
         END {
             print "checksum throughput (16 MiB):"
             line("reference, byte by byte", "BM_ReferenceChecksum")
             line("fast, one run of bytes", "BM_SignatureChecksum")
             line("fast, five blocks at once", "BM_SignatureChecksumLanes")
         }'
