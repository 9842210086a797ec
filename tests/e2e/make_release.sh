#!/usr/bin/env bash
# Builds the release of a web page program with the toolbox, as the page wizard lays it
# out: the program cabinets (whole or in pieces), the script packed into Script.Cab with
# room for a certificate, and the page index.htm that embeds the loader and runs the
# script. The options make the releases that the end-to-end cases and the load benchmark
# need, faulty ones included.
#
# Usage: tests/e2e/make_release.sh [options] PROGRAM_DIR RELEASE_DIR
#   --vexa PATH         the vexa program (default build/native/apps/vexa/vexa)
#   --exe NAME          the program to start, relative to PROGRAM_DIR (required)
#   --arg TEXT          an argument for the program on the Execute line (repeatable)
#   --title TEXT        the caption of the loader's progress window
#   --cabinet-per-file  one program cabinet per file, its sub-directory the file's folder;
#                       otherwise one cabinet, Prog1.cab, of the whole directory
#   --pieces N          publish every program cabinet as N pieces (N >= 2)
#   --subdir TEXT       the sub-directory of the one program cabinet ("bin\", "..\..\out\")
#   --via PATH          name the program cabinets through PATH ("nolength/", "stall/4096/"),
#                       so a fault of the loopback server applies to them
#   --bad-signature     the first program cabinet's line carries a signature of other bytes
#   --dll FILE          also install the library FILE from its cabinet (repeatable)
set -euo pipefail

here=$(cd "$(dirname "$0")/../.." && pwd)
vexa=$here/build/native/apps/vexa/vexa
exe="" title="" subdir="" via="" pieces=0 per_file=false bad_signature=false
args=() dlls=()

usage() { sed -n '/^# Usage/,/^set -e/p' "$0" | sed '$d; s/^# \{0,1\}//' >&2; exit 2; }
fail() { echo "make_release: $*" >&2; exit 1; }

while [[ $# -gt 0 && $1 == --* ]]; do
    case $1 in
        --vexa) vexa=$2; shift ;;
        --exe) exe=$2; shift ;;
        --arg) args+=("$2"); shift ;;
        --title) title=$2; shift ;;
        --cabinet-per-file) per_file=true ;;
        --pieces) pieces=$2; shift ;;
        --subdir) subdir=$2; shift ;;
        --via) via=$2; shift ;;
        --bad-signature) bad_signature=true ;;
        --dll) dlls+=("$(realpath "$2")"); shift ;;
        *) usage ;;
    esac
    shift
done
[[ $# -eq 2 && -n $exe ]] || usage
program=$(realpath "$1")
release=$2
[[ -x $vexa ]] || fail "$vexa is not built"
[[ -f $program/$exe ]] || fail "$program/$exe: no such program"
[[ $pieces == 0 || $pieces -ge 2 ]] || fail "--pieces wants 2 or more"
[[ $per_file == false || -z $subdir ]] || fail "--subdir names the folder of the one cabinet"
mkdir -p "$release"
release=$(realpath "$release")

windows_path() { printf '%s' "${1//\//\\}"; }
# The arguments as a script line carries them: each in double quotes, ", " between them.
quoted() { local line="" text; for text; do line+="${line:+, }\"$text\""; done; printf '%s' "$line"; }
# A toolbox command without its report and progress lines; its complaints still show.
quietly() { { "$vexa" "$@" 2>&1 >/dev/null; } | { grep '^vexa: ' >&2 || true; }; }
signature_of() { "$vexa" sig make "$1" | cut -d' ' -f1; }
# The same form, with its last digit changed: a cabinet with this signature fails its check.
other_signature() { printf '%s%x' "${1%?}" $(((16#${1: -1} + 1) % 16)); }

make_cabinet() { quietly cab make "$@" --folder-per-file; }

# The program cabinets and the sub-directory of each, in the order of the script.
cabinets=() folders=()
if $per_file; then
    while read -r file; do
        cabinets+=("Prog$((${#cabinets[@]} + 1)).cab")
        folder=""
        [[ $file != */* ]] || folder="$(windows_path "${file%/*}")\\"
        folders+=("$folder")
        make_cabinet "$release/${cabinets[-1]}" "$program/$file=$(basename "$file")"
    done < <(cd "$program" && find . -type f -printf '%P\n' | LC_ALL=C sort)
    started=$(windows_path "$exe")
else
    cabinets=(Prog1.cab) folders=("$subdir")
    make_cabinet "$release/Prog1.cab" --from-dir "$program"
    started=$subdir$(windows_path "$exe")
fi

# Signed in one call, as a release may hold hundreds; a split set is signed whole.
mapfile -t signatures < <("$vexa" sig make "${cabinets[@]/#/$release/}" | cut -d' ' -f1)
[[ ${#signatures[@]} -eq ${#cabinets[@]} ]] || fail "the program cabinets could not all be signed"
if $bad_signature; then signatures[0]=$(other_signature "${signatures[0]}"); fi
program_lines=()
for k in "${!cabinets[@]}"; do
    cabinet=$release/${cabinets[k]}
    size=$(stat -c %s "$cabinet")
    program_lines+=("InstallProgram $(quoted "$via${cabinets[k]}" "$size" "$(date -r "$cabinet" +%Y%m%d%H%M%S)" \
        "$pieces" $((size * 4)) "${signatures[k]}" "${folders[k]}")")
    if [[ $pieces -ge 2 ]]; then
        quietly cab split "$cabinet" "$pieces"
        rm "$cabinet"
    fi
done

dll_lines=()
for dll in ${dlls[@]+"${dlls[@]}"}; do
    name=$(basename "$dll")
    cabinet=${name%.*}.Cab
    make_cabinet "$release/$cabinet" "$dll"
    dll_lines+=("InstallDllFile $(quoted "$cabinet" "$(stat -c %s "$release/$cabinet")" "$name" "1,0,0,0" 0 \
        "$(stat -c %s "$dll")" "$(signature_of "$release/$cabinet")" "")")
done

# The header and layout the wizard writes; the loader checks lines 4 and 5 byte for byte.
apostrophes=$(printf "'%.0s" {1..49})
script_lines=(
    "$apostrophes"
    "' File Name: Script.txt"
    "'"
    "' This file was generated automatically with the "
    "' Brindell Quillforge."
    "' Version: 0.1"
    "'" "'" "'"
    "' Created: $(date '+%-m/%-d/%y %-I:%M:%S %p')"
    "' Created for Final Release."
    "$apostrophes"
    "" ""
    "' Specify the default product directory."
    "SetProductDirectory \"<TempDir>\\$(basename "${exe%.*}")\""
    ""
    "' InstallDialogTitle."
    "SetInstallDialogTitle \"${title:-Installing Program}\""
    "SetExeWindowTitle \"$(basename "${exe%.*}")\""
    ""
    ${dll_lines[@]+"${dll_lines[@]}"}
    "" ""
)
for line in "${program_lines[@]}"; do script_lines+=("$line" ""); done
execute="Execute $(quoted "<ProductDirectory>\\$started")"
[[ ${#args[@]} -eq 0 ]] || execute+=", $(quoted "${args[@]}")"
script_lines+=("' Program To Execute." "$execute" "" "'''''''''''''''' end of script ''''''''''''''''''")

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
printf '%s\r\n' "${script_lines[@]}" >"$work/Script.txt"
quietly script check "$work/Script.txt" --page-url http://127.0.0.1/index.htm
quietly cab make "$release/Script.Cab" "$work/Script.txt" --reserve 6144

sed 's/$/\r/' >"$release/index.htm" <<EOF
<!-- A web page program: the page embeds the loader, which runs Script.Cab. -->
<html>
<head>
<title>${title}</title>
<script language="JavaScript">
function ControlWorks() {
    try { return VexaLoader1.Test1(); } catch (e) { return false; }
}
function OnLoad() {
    if (!ControlWorks()) return;
    VexaLoader1.DefineCustomEvent("GOTO URL");
    VexaLoader1.DefineCustomEvent("PREVIOUS PAGE");
    VexaLoader1.SetCurrentUrl(window.location.href);
    VexaLoader1.RunScript("Script.Cab");
}
function OnUnload() {
    if (ControlWorks()) VexaLoader1.CloseScript();
}
</script>
</head>
<body onload="OnLoad()" onunload="OnUnload()">
PLEASE WAIT...
<script language="JavaScript" for="VexaLoader1" event="CustomEvent(name)">
if (name == "GOTO URL") window.parent.location = VexaLoader1.GetCustomEventPara();
if (name == "PREVIOUS PAGE") window.history.back();
</script>
<object id="VexaLoader1" width="41" height="39"
        classid="CLSID:5A7E1C42-3B9D-4F60-8E21-C7D4A9B03F15"
        codebase="VexaLoad.cab#Version=2,3,0,35">
<param name="_Version" value="65536">
<param name="_ExtentX" value="1085">
<param name="_ExtentY" value="1005">
<param name="_StockProps" value="0">
Your browser does not support ActiveX based pages.
</object>
</body>
</html>
EOF
