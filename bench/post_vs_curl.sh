#!/usr/bin/env bash
# Times form posts to the echo script of the local web server (tests/support/cgi_web_server.py):
# ours, one vexa process whose download control posts them all one after the other, as a page
# would; the peer, one curl process per post, as a shell script would. Prints both times and
# the ratio (curl's time over ours).
# Usage: bench/post_vs_curl.sh BUILD_DIR [POSTS]
set -euo pipefail

build=${1:?usage: $0 BUILD_DIR [POSTS]}
posts=${2:-200}
here=$(cd "$(dirname "$0")/.." && pwd)
vexa=$(realpath "$build/apps/vexa/vexa")
cgi=$(realpath "$build/tests/support/vexa_echo_cgi")
for program in "$vexa" "$cgi"; do
    [[ -x $program ]] || { echo "$0: $program is not built" >&2; exit 1; }
done
command -v curl >/dev/null || { echo "$0: curl is not installed (scripts/bootstrap installs it)" >&2; exit 1; }
command -v lighttpd >/dev/null || { echo "$0: lighttpd is not installed (scripts/bootstrap installs it)" >&2; exit 1; }

work=$(mktemp -d)
export VEXA_PREFIX=$work/prefix
# The server runs until its input closes.
exec {server_input}> >(exec python3 "$here/tests/support/cgi_web_server.py" --cgi "$cgi" >"$work/server")
cleanup() {
    exec {server_input}>&-
    sleep 0.5
    rm -rf "$work"
}
trap cleanup EXIT
for ((i = 0; i < 100; i++)); do [[ -s $work/server ]] && break; sleep 0.1; done
port=$(awk '{ print $2 }' "$work/server")
[[ -n $port ]] || { echo "$0: the web server did not start" >&2; exit 1; }
url="http://127.0.0.1:$port/echo.cgi"

calls=()
for ((i = 0; i < posts; i++)); do
    calls+=(SetCgiField name "post $i" -- SetCgiField text "a=b&c" -- SendFieldsToCgi "$url" POST)
    ((i + 1 < posts)) && calls+=(--)
done
ours() { "$vexa" call VEXADNLD.VexaDnldCtrl.1 "${calls[@]}" >"$work/ours.out"; }
peer() {
    for ((i = 0; i < posts; i++)); do
        curl -sf --data-raw "name=post%20$i&text=a%3Db%26c" "$url" >>"$work/peer.out"
    done
}

"$vexa" call VEXADNLD.VexaDnldCtrl.1 SetCgiField warm up -- SendFieldsToCgi "$url" POST >/dev/null  # makes the prefix
start=$(date +%s%N); ours; end=$(date +%s%N); ours_ns=$((end - start))
start=$(date +%s%N); peer; end=$(date +%s%N); peer_ns=$((end - start))

answered=$(grep -c '^SendStringToCgiDone(' "$work/ours.out" || true)
[[ $answered -eq $posts ]] || { echo "$0: vexa had $answered answers of $posts" >&2; exit 1; }
[[ $(grep -o 'method: POST' "$work/peer.out" | wc -l) -eq $posts ]] || { echo "$0: curl missed answers" >&2; exit 1; }

awk -v n="$posts" -v o="$ours_ns" -v p="$peer_ns" 'BEGIN {
    printf "%d form posts to a CGI script on loopback (lighttpd), one run\n", n
    printf "vexa (one process) %6.3f s (%5.2f ms a post)   curl (a process a post) %6.3f s (%5.2f ms a post)\n",
        o / 1e9, o / 1e6 / n, p / 1e9, p / 1e6 / n
    printf "ratio %.2f (ours to curl; target 1 or less)\n", o / p
}'
