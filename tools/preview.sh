#!/bin/bash
# Preview of what the setup programs would do to a real machine: imports a
# REGEDIT4 export of a Windows 98 machine's HKEY_LOCAL_MACHINE into a
# throwaway Windows 98 Wine prefix, runs InstVarnel.exe from a stand-in
# medium and then the UnVarnel.exe it installed, and prints what each changed
# and what the two left behind. Runs headless (Xvfb) when DISPLAY is unset.
#   tools/preview.sh [--codepage N] [--keep] [EXPORT.reg]
#     EXPORT.reg    default tools/preview-sample.reg
#     --codepage N  the export's ANSI code page (default: its Nls\Codepage
#                   "ACP" value, else 1252); 950 also makes the machine
#                   Chinese (Taiwan)
#     --keep        keep the machine (build/preview/run.*) for a look
#     --programs DIR --driver EXE
#                   use these builds instead of building (for the test)
set -euo pipefail
cd "$(dirname "$0")/.."
root=$PWD
. tools/lib/wine-machine.sh
run_in_emulated_pc "$@"

fail() { echo "preview: $*" >&2; exit 2; }
now() { date +%s.%N; }
since() { awk -v a="$1" -v b="$(now)" 'BEGIN { printf "%.1f", b - a }'; }

export_file=$root/tools/preview-sample.reg
codepage=
keep=0
programs=
driver_exe=
while [ $# -gt 0 ]; do
  case "$1" in
  --codepage) [ $# -ge 2 ] || fail "--codepage needs a number"; codepage=$2; shift 2 ;;
  --keep) keep=1; shift ;;
  --programs) [ $# -ge 2 ] || fail "--programs needs a folder"; programs=$2; shift 2 ;;
  --driver) [ $# -ge 2 ] || fail "--driver needs a file"; driver_exe=$2; shift 2 ;;
  -h|--help) sed -n '2,14s/^# \{0,1\}//p' "$0"; exit 0 ;;
  -*) fail "unknown option $1 (see --help)" ;;
  *) export_file=$1; shift ;;
  esac
done
absolute() { case "$1" in /*|'') echo "$1" ;; *) echo "$OLDPWD/$1" ;; esac; }
export_file=$(absolute "$export_file")
programs=$(absolute "$programs")
driver_exe=$(absolute "$driver_exe")
[ -e "$export_file" ] || fail "$export_file: no such file"
[ -f "$export_file" ] || fail "$export_file: not a regular file"
head -c 1 "$export_file" >/dev/null 2>&1 || fail "$export_file: cannot be read"
[ -s "$export_file" ] || fail "$export_file: empty, not a registry export"

start_time=$(now)
mkdir -p build/preview
run=$(mktemp -d "$root/build/preview/run.XXXXXX")
cleanup() {
  end_machine_and_display "$run/machine"
  if [ "$keep" = 1 ]; then echo "Kept the machine: $run/machine"; else rm -rf "$run"; fi
}
trap cleanup EXIT

# Text to work on: UTF-16 exports (Version 5.00 with a byte-order mark) are
# turned into UTF-8 and back after filtering; ANSI ones stay byte for byte.
source_text=$run/source.reg
unicode=0
if [ "$(head -c 2 "$export_file" | od -An -tx1 | tr -d ' ')" = fffe ]; then
  unicode=1
  iconv -f UTF-16 -t UTF-8 "$export_file" >"$source_text" 2>/dev/null || fail "$export_file: bad UTF-16 text"
else
  cp "$export_file" "$source_text"
fi
header=$(LC_ALL=C sed -n '1{s/^\xef\xbb\xbf//;s/\r$//;s/[[:space:]]*$//;p;q}' "$source_text")
case "$header" in
REGEDIT4|'Windows Registry Editor Version 5.00') ;;
*) fail "$export_file: not a registry export (its first line is not REGEDIT4 or Windows Registry Editor Version 5.00)" ;;
esac

# Only HKEY_LOCAL_MACHINE goes in: other roots would land in the prefix's
# user hive, which the programs never read. Software\Wine is Wine's own
# configuration, no Windows 98 machine's. Values of Windows NT\CurrentVersion
# make Wine report Windows NT (a "CurrentVersion" there is enough), so they
# stay out; the machine's Windows 9x version comes from the export's
# "VersionNumber" in Windows\CurrentVersion.
filtered=$run/import.reg
LC_ALL=C awk -v report="$run/ignored" '
  NR == 1 { print; next }
  /^\[/ {
    path = toupper($0); sub(/^\[-?/, "", path); sub(/\].*/, "", path)
    name = path; sub(/\\.*/, "", name)
    if (path ~ /^HKEY_LOCAL_MACHINE\\SOFTWARE\\WINE(\\|$)/) name = "HKEY_LOCAL_MACHINE\\Software\\Wine"
    keep = (name == "HKEY_LOCAL_MACHINE")
    if (keep) kept++; else ignored[name]++
    nt = (path == "HKEY_LOCAL_MACHINE\\SOFTWARE\\MICROSOFT\\WINDOWS NT\\CURRENTVERSION")
    if (keep) print
    next
  }
  nt && /^["@]/ { ignored["NT"]++; next }
  nt && /^[ \t]/ { next }
  keep { print }
  END {
    for (r in ignored) printf "%s %d\n", r, ignored[r] > report
    printf "%d\n", kept > (report ".kept")
  }' "$source_text" >"$filtered"
kept=$(cat "$run/ignored.kept")
[ "$kept" -gt 0 ] || fail "$export_file: no HKEY_LOCAL_MACHINE keys in it"
if [ "$unicode" = 1 ]; then
  { printf '\xff\xfe'; iconv -f UTF-8 -t UTF-16LE "$filtered"; } >"$filtered.utf16"
  mv "$filtered.utf16" "$filtered"
fi

# The code page decides how Wine reads the ANSI text and which language the
# machine (and so the programs) speaks.
if [ -z "$codepage" ]; then
  codepage=$(LC_ALL=C awk '
    /^\[/ { inside = (tolower($0) ~ /^\[hkey_local_machine\\system\\currentcontrolset\\control\\nls\\codepage\]/) }
    inside && /^"ACP"="[0-9]+"/ { sub(/^"ACP"="/, ""); sub(/".*/, ""); print; exit }' "$source_text")
  codepage=${codepage:-1252}
fi
case "$codepage" in
874) locale=th_TH ;; 932) locale=ja_JP ;; 936) locale=zh_CN ;; 949) locale=ko_KR ;;
950) locale=zh_TW ;; 1250) locale=pl_PL ;; 1251) locale=ru_RU ;; 1252) locale=en_US ;;
1253) locale=el_GR ;; 1254) locale=tr_TR ;; 1255) locale=he_IL ;; 1256) locale=ar_SA ;;
1257) locale=lt_LT ;;
*) fail "code page $codepage is not a Windows ANSI code page this tool knows" ;;
esac
# Only Wine gets the locale: the system may not have it generated.
wine() { env LC_ALL="$locale.UTF-8" wine "$@"; }

echo "Export: $export_file"
echo "  $kept HKEY_LOCAL_MACHINE keys, read in code page $codepage (Wine locale $locale)"
if [ -s "$run/ignored" ]; then
  while read -r name count; do
    case "$name" in
    NT) echo "  ignored: $count values of HKEY_LOCAL_MACHINE\\Software\\Microsoft\\Windows NT\\CurrentVersion (they would make Wine report Windows NT)" ;;
    *Wine) echo "  ignored: $count keys under $name (Wine's own settings, not the machine's)" ;;
    *) echo "  ignored: $count keys under $name (only HKEY_LOCAL_MACHINE is imported)" ;;
    esac
  done <"$run/ignored"
fi

if [ -z "$programs" ]; then
  tools/install-dependencies.sh
  build_programs VarnelDriver
  programs=$root/build/release/bin
  driver_exe=$root/build/tests/bin/VarnelDriver.exe
fi
[ -f "$programs/InstVarnel.exe" ] || fail "no InstVarnel.exe in $programs"
[ -f "$driver_exe" ] || fail "no UI driver at $driver_exe"

[ -n "${DISPLAY:-}" ] || start_display "$run/display"

# A bare Windows 98 machine made once, copied for every run.
made=$root/build/preview/made
(
  flock 9
  [ -f "$made/.varnel-made" ] || echo "Making the bare Windows 98 machine (once)..."
  make_machine "$made" win98
) 9>"$root/build/preview/.made.lock"
copy_machine "$made" "$run/machine"
export WINEPREFIX=$run/machine

import_start=$(now)
wine regedit /S "$(winpath "$filtered")" >"$run/regedit.log" 2>&1 || fail "Wine's regedit could not import the export"
import_time=$(since "$import_start")
# Escape complaints mostly mean text read in the wrong code page.
if [ -s "$run/regedit.log" ]; then
  echo "  regedit: $(wc -l <"$run/regedit.log") complaints while importing, the first:"
  head -n 3 "$run/regedit.log" | tr -d '\r' | iconv -c -f "CP$codepage" -t UTF-8 | sed 's/^/    /'
  echo "  (a wrong code page? this run read the export in $codepage; see --codepage)"
fi

# The machine as the programs see it; this also shows that Wine still
# starts with the export in its registry.
version=$(wine cmd /c ver 2>/dev/null | tr -d '\r' | sed -n 's/^Microsoft Windows \([0-9]*\.[0-9]*\).*/\1/p') ||
  fail "Wine does not start on the imported machine"
case "$version" in
4.0) echo "Windows version: 4.0, Windows 95 (the export's VersionNumber)" ;;
4.10) echo "Windows version: 4.10, Windows 98" ;;
4.90) echo "Windows version: 4.90, Windows ME (the export's VersionNumber)" ;;
*) fail "the imported machine reports Windows ${version:-(nothing)}, not Windows 95, 98 or ME" ;;
esac
echo
echo "Boards under Enum\\PCI after the import:"
pci=$(wine reg query 'HKLM\Enum\PCI' 2>/dev/null | tr -d '\r' | sed -n 's/^HKEY_LOCAL_MACHINE\\Enum\\PCI\\//p') ||
  fail "Wine does not start on the imported machine"
supported=0
for id in $pci; do
  case "${id^^}" in
  VEN_10DE\&DEV_0028*|VEN_10DE\&DEV_0029*|VEN_10DE\&DEV_0100*|VEN_10DE\&DEV_0101*|VEN_10DE\&DEV_0150*|VEN_10DE\&DEV_0110*)
    echo "  $id   (supported)"; supported=$((supported + 1)) ;;
  *) echo "  $id" ;;
  esac
done
[ -n "$pci" ] || echo "  none"
[ "$supported" -gt 0 ] || echo "  (no supported board: the installer will register none)"

make_stand_in_medium "$run/medium" "$programs"
echo
run_start=$(now)
set +e
wine "$(winpath "$driver_exe")" round-trip "$(winpath "$run/medium/InstVarnel.exe")" "$(winpath "$run/medium")" |
  tr -d '\r' | iconv -c -f "CP$codepage" -t UTF-8
status=${PIPESTATUS[0]}
set -e
echo
echo "Times: import $import_time s, install and uninstall $(since "$run_start") s, whole preview $(since "$start_time") s"
[ "$status" = 0 ] || fail "the UI driver failed (exit status $status)"
