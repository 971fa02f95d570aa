#!/bin/bash
# The whole install of the standard medium on a Windows 98 machine with 16
# boards, under Wine, against a baseline run in the same invocation: copying
# the same 20 files with one cmd.exe and importing the same registry entries
# (exported from the install itself) with regedit /S. Not a test; every
# figure is the best of several rounds, each on a fresh copy of the machine.
#
#   tools/bench_install.sh [ROUNDS]        (3)
#
# Uses build/release (InstVarnel.exe, UnVarnel.exe) and build/tests
# (VarnelDriver.exe), building them first.
set -euo pipefail
cd "$(dirname "$0")/.."
root=$PWD
rounds=${1:-3}
tools/install-dependencies.sh
cmake --preset release >/dev/null && cmake --build --preset release >/dev/null
cmake --preset tests >/dev/null && cmake --build --preset tests --target VarnelDriver >/dev/null

work=$root/build/bench-install
mkdir -p "$work"
export WINEARCH=win32 WINEDEBUG=-all WINEDLLOVERRIDES='mscoree=;mshtml='
winpath() { local p="Z:$1"; echo "${p//\//\\}"; }
now_ms() { echo $(( $(date +%s%N) / 1000000 )); }
min() { if [ -z "$1" ] || [ "$2" -lt "$1" ]; then echo "$2"; else echo "$1"; fi; }

xvfb_pid=
cleanup() {
  WINEPREFIX=$work/machine wineserver -k 2>/dev/null || true
  [ -n "$xvfb_pid" ] && kill "$xvfb_pid" 2>/dev/null || true
}
trap cleanup EXIT
if [ -z "${DISPLAY:-}" ]; then
  Xvfb -displayfd 3 -screen 0 1024x768x24 -nolisten tcp 3>"$work/display" >/dev/null 2>&1 &
  xvfb_pid=$!
  for _ in $(seq 100); do [ -s "$work/display" ] && break; sleep 0.1; done
  export DISPLAY=":$(cat "$work/display")"
fi

# Sixteen boards of the six models, each with one device instance.
devices=(0028 0029 0100 0101 0150 0110)
{
  echo "REGEDIT4"
  for i in $(seq 0 15); do
    id="VEN_10DE&DEV_${devices[$((i % 6))]}&SUBSYS_$(printf '%08X' $((0x10DE0000 + i)))&REV_A1"
    printf '\n[HKEY_LOCAL_MACHINE\\Enum\\PCI\\%s\\0000]\n"Class"="DISPLAY"\n' "$id"
  done
} >"$work/boards.reg"

if [ ! -f "$work/pristine/.ready" ]; then
  rm -rf "$work/pristine"
  WINEPREFIX=$work/pristine wineboot -i >/dev/null 2>&1
  WINEPREFIX=$work/pristine winecfg -v win98 >/dev/null 2>&1
  WINEPREFIX=$work/pristine wine reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /d N /f >/dev/null 2>&1
  WINEPREFIX=$work/pristine wine regedit /S "$(winpath "$work/boards.reg")" >/dev/null 2>&1
  WINEPREFIX=$work/pristine wineserver -w
  touch "$work/pristine/.ready"
fi

rm -rf "$work/medium" && mkdir -p "$work/medium"
. tools/lib/driver-files.sh
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
  WINEPREFIX=$work/machine wineserver -k 2>/dev/null || true
  rm -rf "$work/machine"
  cp -a "$work/pristine" "$work/machine"
  export WINEPREFIX=$work/machine
  wineserver -p60 </dev/null >/dev/null 2>&1 || true
  wine cmd /c exit >/dev/null 2>&1  # warm: the machine's services are up before timing
}

driver=$(winpath "$root/build/tests/bin/VarnelDriver.exe")
installer=$(winpath "$root/build/release/bin/InstVarnel.exe")
best_install= best_copy= best_import=
for _ in $(seq "$rounds"); do
  fresh_machine
  wine "$driver" installer "$installer" "$medium" --install --export "$(winpath "$work/changes.reg")" >"$work/install.txt"
  ms=$(sed -n 's/^Install time: \([0-9]*\) ms.*/\1/p' "$work/install.txt" | tr -d '\r')
  best_install=$(min "$best_install" "$ms")

  fresh_machine
  start=$(now_ms); wine cmd /c "$(winpath "$work/copy.bat")"; end=$(now_ms)
  best_copy=$(min "$best_copy" $((end - start)))
  start=$(now_ms); wine regedit /S "$(winpath "$work/changes.reg")"; end=$(now_ms)
  best_import=$(min "$best_import" $((end - start)))
done

keys=$(grep -c '^\[' "$work/changes.reg")
values=$(grep -c '^[@"]' "$work/changes.reg")
files=$(grep -c '^ *+file' "$work/install.txt" || true)
baseline=$((best_copy + best_import))
echo "Install of the standard medium with 16 boards, best of $rounds rounds:"
echo "  installer, OK to Done:                  $best_install ms ($files files and folders placed, $values values in $keys keys)"
echo "  baseline, cmd copy of the 20 files:     $best_copy ms"
echo "  baseline, regedit /S of the same keys:  $best_import ms"
echo "  ratio installer / baseline:             $(awk "BEGIN { printf \"%.2f\", $best_install / $baseline }")"
