#!/bin/bash
# The whole install of the standard medium on a Windows 98 machine with 16
# boards, under Wine, against a baseline run in the same invocation: copying
# the same 20 files with one cmd.exe and importing the same registry entries
# (exported from the install itself) with regedit /S. Not a test; every
# figure is the best of several rounds, each on a fresh copy of the machine.
#
#   tools/bench_install.sh [ROUNDS]        (3)
#
# The install is timed inside: from OK to Done, as the installer's reply to
# the click. Each baseline command is timed whole, so it includes Wine's
# start of its programs; that start alone is measured too.
# Uses build/release (InstVarnel.exe, UnVarnel.exe) and build/tests
# (VarnelDriver.exe), building them first.
set -euo pipefail
cd "$(dirname "$0")/.."
root=$PWD
rounds=${1:-3}
tools/install-dependencies.sh
. tools/lib/wine-machine.sh
build_programs VarnelDriver
run_in_emulated_pc "$@"

work=$root/build/bench-install
mkdir -p "$work"
now_ms() { echo $(( $(date +%s%N) / 1000000 )); }
min() { if [ -z "$1" ] || awk "BEGIN { exit !($2 < $1) }"; then echo "$2"; else echo "$1"; fi; }

trap 'end_machine_and_display "$work/machine"' EXIT
[ -n "${DISPLAY:-}" ] || start_display "$work/display"

# Sixteen boards of the six models, each with one device instance.
devices=(0028 0029 0100 0101 0150 0110)
{
  echo "REGEDIT4"
  for i in $(seq 0 15); do
    id="VEN_10DE&DEV_${devices[$((i % 6))]}&SUBSYS_$(printf '%08X' $((0x10DE0000 + i)))&REV_A1"
    printf '\n[HKEY_LOCAL_MACHINE\\Enum\\PCI\\%s\\0000]\n"Class"="DISPLAY"\n' "$id"
  done
} >"$work/boards.reg"
make_machine "$work/made" win98 "$work/boards.reg"

rm -rf "$work/medium" && mkdir -p "$work/medium"
mapfile -t sources < <(driver_file_sources .)
mapfile -t targets < <(driver_file_targets .)
for name in "${sources[@]}"; do
  [ "$name" = UnVarnel.exe ] && continue
  head -c 65536 /dev/urandom >"$work/medium/$name"  # driver files are tens of kilobytes
done
cp build/release/bin/UnVarnel.exe "$work/medium/"
medium=$(winpath "$work/medium")
{
  echo '@echo off'
  echo 'mkdir C:\windows\INF\OTHER'
  for i in "${!sources[@]}"; do echo "copy /y $medium\\${sources[$i]} C:\\windows\\${targets[$i]} >nul"; done
} >"$work/copy.bat"

fresh_machine() {
  copy_machine "$work/made" "$work/machine"
  export WINEPREFIX=$work/machine
  serve_machine
}

driver=$(winpath "$root/build/tests/bin/VarnelDriver.exe")
installer=$(winpath "$root/build/release/bin/InstVarnel.exe")
best_install= best_copy= best_import= best_start=
for _ in $(seq "$rounds"); do
  fresh_machine
  wine "$driver" installer "$installer" "$medium" --install --export "$(winpath "$work/changes.reg")" >"$work/install.txt"
  ms=$(sed -n 's/^Install time: \([0-9.]*\) ms.*/\1/p' "$work/install.txt" | tr -d '\r')
  best_install=$(min "$best_install" "$ms")

  fresh_machine
  start=$(now_ms); wine cmd /c "$(winpath "$work/copy.bat")"; end=$(now_ms)
  best_copy=$(min "$best_copy" $((end - start)))
  start=$(now_ms); wine regedit /S "$(winpath "$work/changes.reg")"; end=$(now_ms)
  best_import=$(min "$best_import" $((end - start)))
  # On the same warm machine.
  for _ in 1 2 3; do
    start=$(now_ms); wine cmd /c exit; end=$(now_ms)
    best_start=$(min "$best_start" $((end - start)))
  done
done

keys=$(grep -c '^\[' "$work/changes.reg")
values=$(grep -c '^[@"]' "$work/changes.reg")
files=$(grep -c '^ *+file' "$work/install.txt" || true)
baseline=$((best_copy + best_import))
echo "Install of the standard medium with 16 boards, best of $rounds rounds:"
echo "  installer, OK to Done:                  $best_install ms ($files files and folders placed, $values values in $keys keys)"
echo "  baseline, cmd copy of the 20 files:     $best_copy ms"
echo "  baseline, regedit /S of the same keys:  $best_import ms"
echo "  Wine's start of a program (wine cmd /c exit), twice in the baseline: $best_start ms"
awk -v install="$best_install" -v baseline="$baseline" -v start="$best_start" 'BEGIN {
  printf "  ratio installer / baseline:             %.2f (%.2f without the baseline'\''s two starts)\n",
         install / baseline, install / (baseline - 2 * start)
}'
