#!/bin/sh
# check_links.sh LNKINFO DIR: the shortcuts that the round trip under Wine copied to DIR,
# read by lnkinfo: each names its target and the target's folder to start in. DIR's
# expected.txt holds four lines: the first link's target and folder, the second's.
set -eu
lnkinfo=$1
dir=$2
expect() {  # LINK FIELD VALUE
  value=$("$lnkinfo" "$dir/$1" | sed -n "s/^[[:space:]]*$2[[:space:]]*: //p")
  [ "$value" = "$3" ] || { echo "$1: $2 is \"$value\", not \"$3\""; exit 1; }
}
{ read -r readme; read -r readme_dir; read -r fixture; read -r fixture_dir; } < "$dir/expected.txt"
expect readme.lnk "Local path" "$readme"
expect readme.lnk "Working directory" "$readme_dir"
expect readme.lnk "Description" "Read Me"
expect fixture.lnk "Local path" "$fixture"
expect fixture.lnk "Working directory" "$fixture_dir"
expect fixture.lnk "Description" "Fixture"
echo "both links name their targets, folders and captions"
