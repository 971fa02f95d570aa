#!/bin/bash
# The demo: builds the programs and runs InstVarnel.exe on a freshly made
# Windows 98 machine (a Wine prefix in Windows 98 mode with one supported
# board) from a stand-in driver medium, then the UnVarnel.exe it installed.
# With a display you click the dialogs yourself; without one they run under
# Xvfb and the UI driver clicks (OK, and Cancel at the restart questions).
# Prints what the installer changed, what the uninstaller removed, and what
# the two left behind.
#   tools/demo.sh [--cancel]     --cancel: answer the installer's prompt with Cancel
set -euo pipefail
cd "$(dirname "$0")/.."
root=$PWD
tools/install-dependencies.sh

cmake --preset release >/dev/null
cmake --build --preset release >/dev/null
cmake --preset tests >/dev/null
cmake --build --preset tests --target VarnelDriver >/dev/null

demo=$root/build/demo
export WINEARCH=win32 WINEDEBUG=-all WINEDLLOVERRIDES='mscoree=;mshtml='
winpath() { local p="Z:$1"; echo "${p//\//\\}"; }

xvfb_pid=
cleanup() {
  WINEPREFIX=$demo/machine wineserver -k 2>/dev/null || true
  [ -n "$xvfb_pid" ] && kill "$xvfb_pid" 2>/dev/null || true
}
trap cleanup EXIT
interactive=1
if [ -z "${DISPLAY:-}" ]; then
  interactive=0
  Xvfb -displayfd 3 -screen 0 1024x768x24 -nolisten tcp 3>"$demo.display" >/dev/null 2>&1 &
  xvfb_pid=$!
  for _ in $(seq 100); do [ -s "$demo.display" ] && break; sleep 0.1; done
  export DISPLAY=":$(cat "$demo.display")"
fi

# A clean Windows 98 machine for every run, copied from one made once.
if [ ! -f "$demo/pristine/.ready" ]; then
  echo "Making the demo Windows 98 machine (once)..."
  rm -rf "$demo/pristine"
  mkdir -p "$demo"
  WINEPREFIX=$demo/pristine wineboot -i >/dev/null 2>&1
  WINEPREFIX=$demo/pristine winecfg -v win98 >/dev/null 2>&1
  WINEPREFIX=$demo/pristine wine regedit /S "$(winpath "$root/tools/demo-machine.reg")" >/dev/null 2>&1
  WINEPREFIX=$demo/pristine wineserver -w
  touch "$demo/pristine/.ready"
fi
rm -rf "$demo/machine"
cp -a "$demo/pristine" "$demo/machine"
export WINEPREFIX=$demo/machine

# The stand-in medium: the real uninstaller, every other driver file a small
# text naming itself.
rm -rf "$demo/medium"
mkdir -p "$demo/medium"
for name in Varnel.inf nvarch16.dll nvarch32.dll nvcore.vxd nvcpl.dll nvcpl.hlp nvdd32.dll \
            nvdisp.drv nvmini.vxd nvmini2.vxd nvopengl.dll nvqtwk.dll nvmode.dll TrayIcon.exe \
            vgartd.vxd nvdesk32.dll nvdmcpl.dll nvfsvm.exe; do
  printf 'Stand-in for the driver file %s of the demo medium.\r\n' "$name" >"$demo/medium/$name"
done
[ -f build/release/bin/UnVarnel.exe ] && cp build/release/bin/UnVarnel.exe "$demo/medium/"
cp build/release/bin/InstVarnel.exe "$demo/medium/"

driver=$(winpath "$root/build/tests/bin/VarnelDriver.exe")
program=$(winpath "$demo/medium/InstVarnel.exe")
medium=$(winpath "$demo/medium")
echo "Demo machine: Windows 98 (Wine prefix $demo/machine), one ORVA Varnel Q2 board."
installed='C:\windows\System\UnVarnel.exe'
if [ "$interactive" = 1 ]; then
  wine "$driver" watch "$program" "$medium"
  [ -f "$demo/machine/drive_c/windows/system/UnVarnel.exe" ] && wine "$driver" watch "$installed" 'C:\windows'
elif [ "${1:-}" = --cancel ]; then
  wine "$driver" installer "$program" "$medium" --cancel
else
  wine "$driver" round-trip "$program" "$medium"
fi
