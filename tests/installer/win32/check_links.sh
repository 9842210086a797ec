#!/bin/sh
# check_links.sh LNKINFO DIR: the shortcuts that the round trip under Wine copied to DIR,
# read by lnkinfo: each names its target and the target's folder to start in. DIR's
# expected.txt holds four lines: the first link's target and folder, the second's.
set -eu
lnkinfo=$1
dir=$2
expect() {  # LINK TARGET FOLDER
  out=$("$lnkinfo" "$dir/$1")
  printf '%s\n' "$out" | grep -qiF "Local path" || { echo "$1: no local path"; printf '%s\n' "$out"; exit 1; }
  printf '%s\n' "$out" | grep -iF "Local path" | grep -qF -- "$2" || { echo "$1: target is not $2"; printf '%s\n' "$out"; exit 1; }
  printf '%s\n' "$out" | grep -iF "Working directory" | grep -qF -- "$3" || { echo "$1: folder is not $3"; printf '%s\n' "$out"; exit 1; }
}
{ read -r readme; read -r readme_dir; read -r fixture; read -r fixture_dir; } < "$dir/expected.txt"
expect readme.lnk "$readme" "$readme_dir"
expect fixture.lnk "$fixture" "$fixture_dir"
echo "both links name their targets and folders"
