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
. tools/lib/wine-machine.sh
build_programs VarnelDriver
run_in_emulated_pc "$@"

demo=$root/build/demo
mkdir -p "$demo"
trap 'end_machine_and_display "$demo/machine"' EXIT
interactive=1
if [ -z "${DISPLAY:-}" ]; then
  interactive=0
  start_display "$demo/display"
fi

# A clean Windows 98 machine for every run, copied from one made once.
[ -f "$demo/made/.varnel-made" ] || echo "Making the demo Windows 98 machine (once)..."
make_machine "$demo/made" win98 "$root/tools/demo-machine.reg"
copy_machine "$demo/made" "$demo/machine"
export WINEPREFIX=$demo/machine

# The stand-in medium: the real uninstaller, every other driver file a small
# text naming itself.
make_stand_in_medium "$demo/medium" build/release/bin

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
