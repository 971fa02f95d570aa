#!/bin/bash
# The preview on its sample export: the Q5 board's display-class key (0001,
# as the VGA driver holds 0000) is written by the install and removed by the
# uninstall; and exports it cannot use are refused before Wine starts.
#   preview_test.sh SOURCE-DIR SHIPPED-DIR VARNEL-DRIVER-EXE
set -uo pipefail
source_dir=$1 shipped=$2 driver=$3
preview=$source_dir/tools/preview.sh
failures=0
check() {  # description, then a command that must succeed
  local what=$1
  shift
  if "$@"; then echo "ok: $what"; else echo "FAILED: $what"; failures=$((failures + 1)); fi
}
scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT

# Refusals: a missing file, a folder, a text that is no export, an export
# without HKEY_LOCAL_MACHINE.
refused() {  # expected message, preview arguments
  local message=$1 output
  shift
  output=$(DISPLAY= "$preview" --programs "$shipped" --driver "$driver" "$@" 2>&1) && return 1
  grep -qF -- "$message" <<<"$output" || { echo "$output"; return 1; }
}
printf 'Hello\r\n' >"$scratch/text.reg"
printf 'REGEDIT4\r\n\r\n[HKEY_CURRENT_USER\\Software\\A]\r\n"b"="c"\r\n' >"$scratch/user.reg"
check "a missing file is refused" refused "no such file" "$scratch/missing.reg"
check "a folder is refused" refused "not a regular file" "$scratch"
check "a text that is no export is refused" refused "not a registry export" "$scratch/text.reg"
check "an export without HKEY_LOCAL_MACHINE is refused" refused "no HKEY_LOCAL_MACHINE keys" "$scratch/user.reg"

# The sample, install and uninstall.
report=$scratch/report
DISPLAY= "$preview" --programs "$shipped" --driver "$driver" >"$report" 2>&1
status=$?
cat "$report"
check "the preview of the sample succeeds" test "$status" = 0
section() {  # the report's lines from the heading $1 to the next blank line
  awk -v heading="$1" 'index($0, heading) == 1 { inside = 1; next } inside && /^$/ { exit } inside' "$report"
}
class_key='System\CurrentControlSet\Services\Class\Display\0001'
check "the board is found" grep -q '^  VEN_10DE&DEV_0100&SUBSYS_00000000&REV_10   (supported)$' "$report"
check "the installer writes the board's class key" \
  grep -qxF "  +key   $class_key" <(section "What the installer changed:")
check "the installer names the board in it" \
  grep -qxF "  =value $class_key [DriverDesc] = REG_SZ \"ORVA Varnel Q5\"" <(section "What the installer changed:")
check "the uninstaller removes it" \
  grep -qxF "  -key   $class_key" <(section "What the uninstaller changed:")
lacks() { ! grep -qF -- "$1" "$2"; }
check "the VGA driver's class key stays" lacks 'Class\Display\0000' "$report"
check "no class key is left behind" lacks 'Class\Display' <(section "What install and uninstall left behind")
exit $((failures > 0))
