#!/usr/bin/env bash
# Times making an MSZIP cabinet against `gcab -c -z` and expanding it against cabextract,
# on the same 150 MB tree of real binaries and text gathered from this machine.
# Usage: bench/cab_vs_peers.sh BUILD_DIR [MEGABYTES]
set -euo pipefail

build=${1:?usage: $0 BUILD_DIR [MEGABYTES]}
megabytes=${2:-150}
vexa=$(realpath "$build/apps/vexa/vexa")
runs=5
for tool in gcab cabextract; do
    command -v $tool >/dev/null || { echo "$0: $tool is not installed (scripts/bootstrap installs it)" >&2; exit 1; }
done
[[ -x $vexa ]] || { echo "$0: $vexa is not built" >&2; exit 1; }

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
tree=$work/tree

# Shared libraries and programs (binary) and documentation and headers (text), in a fixed
# order, until the tree holds the wanted size; about half of each kind.
gather() {
    local budget=$1 out=$2 candidates=$work/candidates; shift 2
    # Listed first: stopping early must not end the script with a broken pipe.
    find "$@" -type f -size +0 -size -20M -readable 2>/dev/null | LC_ALL=C sort >"$candidates" || true
    while read -r file; do
        [ "$budget" -le 0 ] && break
        size=$(stat -c %s "$file")
        mkdir -p "$out/$(dirname "${file#/}")"
        cp "$file" "$out/${file#/}"
        budget=$((budget - size))
    done <"$candidates"
}
half=$((megabytes * 1024 * 1024 / 2))
gather $half "$tree" /usr/lib/x86_64-linux-gnu /usr/bin
gather $half "$tree" /usr/share/doc /usr/include /usr/share/perl
bytes=$(du -sb "$tree" | cut -f1)
files=$(find "$tree" -type f | wc -l)

source "$(dirname "$0")/timing.sh"

cd "$tree"
find . -type f | LC_ALL=C sort | sed 's|^\./||' >"$work/names"
make_ours=$(median_seconds "rm -f '$work/ours.cab'" "$vexa" cab make "$work/ours.cab" --from-dir .)
# gcab takes its names from the command line: xargs passes the whole list in one call (-x
# fails rather than splitting it, which would make several cabinets over one another).
make_gcab=$(median_seconds "rm -f '$work/gcab.cab'" xargs -x -s 2000000 -d '\n' -a "$work/names" gcab -c -z "$work/gcab.cab")
expand_ours=$(median_seconds "rm -rf '$work/x1'; mkdir '$work/x1'" "$vexa" cab expand "$work/ours.cab" "$work/x1" --overwrite all)
expand_peer=$(median_seconds "rm -rf '$work/x2'; mkdir '$work/x2'" cabextract -q -d "$work/x2" "$work/ours.cab")
cd - >/dev/null

diff -r "$tree" "$work/x1" >/dev/null || { echo "$0: our expansion differs from the tree" >&2; exit 1; }
diff -r "$tree" "$work/x2" >/dev/null || { echo "$0: cabextract's expansion of our cabinet differs from the tree" >&2; exit 1; }

ours_size=$(stat -c %s "$work/ours.cab")
gcab_size=$(stat -c %s "$work/gcab.cab")
awk -v bytes="$bytes" -v files="$files" -v mo="$make_ours" -v mg="$make_gcab" -v eo="$expand_ours" \
    -v ep="$expand_peer" -v so="$ours_size" -v sg="$gcab_size" -v runs="$runs" 'BEGIN {
    printf "tree: %d files, %.1f MB; median of %d runs\n", files, bytes / 1e6, runs
    printf "make    vexa %6.2f s   gcab -c -z %6.2f s   speed-up %.2fx\n", mo, mg, mg / mo
    printf "size    vexa %6.1f MB  gcab -c -z %6.1f MB  ratio %.3f\n", so / 1e6, sg / 1e6, so / sg
    printf "expand  vexa %6.2f s   cabextract %6.2f s   speed-up %.2fx\n", eo, ep, ep / eo
}'
