# Wine machines, made one way for all that need one: the tests' session, the
# demo, the preview, the screenshots and the benches. A machine is a Wine
# prefix in a Windows version with its boards planted from .reg files; with
# it go a display and the stand-in driver medium. Sourced by bash scripts
# that run with set -euo pipefail.

varnel_root=$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)
. "$varnel_root/tools/lib/driver-files.sh"

# Quiet, and without the Mono and Gecko installers. A win64 machine (WINEARCH
# set by the caller) is an NT one: Wine makes no 64-bit Windows 9x.
export WINEARCH=${WINEARCH:-win32} WINEDEBUG=-all WINEDLLOVERRIDES='mscoree=;mshtml='
# Debian's wine script takes the 32-bit loader whenever it is installed; the
# 64-bit one is named, and named again for the processes Wine starts.
varnel_wine=/usr/bin/wine
if [ "$WINEARCH" = win64 ]; then
  varnel_wine=/usr/lib/wine/wine64
  export WINELOADER=$varnel_wine
fi

# Runs a command on the CPU $machine_cpu, when the caller chose one.
pinned() {
  if [ -n "${machine_cpu:-}" ]; then taskset -c "$machine_cpu" "$@"; else "$@"; fi
}

# A machine whose kernel runs no 32-bit code (or runs it only through a CPU
# emulator like qemu-user, far too slow) runs 32-bit Wine in the emulated PC
# (tools/emulated-pc.sh). VARNEL_EMULATED_PC=1 takes the PC anyway, =0 never.
runs_32bit_code() {
  /usr/lib/wine/wine --version >/dev/null 2>&1 && ! grep -qsx enabled /proc/sys/fs/binfmt_misc/qemu-i386
}
needs_emulated_pc() {
  [ -z "${VARNEL_IN_PC:-}" ] && [ "${VARNEL_EMULATED_PC:-}" != 0 ] &&
    { [ "${VARNEL_EMULATED_PC:-}" = 1 ] || ! runs_32bit_code; }
}

# For a tool: runs the calling script ($0 and its arguments) again in the
# emulated PC when this machine needs it, once its programs are built here,
# where compiling is fast.
run_in_emulated_pc() {
  needs_emulated_pc || return 0
  build_programs VarnelDriver
  cd - >/dev/null
  exec "$varnel_root/tools/emulated-pc.sh" "$varnel_root/tools/${0##*/}" "$@"
}

# Builds the shipped programs (build/release) and the given programs of the
# tests' build (build/tests/bin), where the drivers the tools run are made.
# In the emulated PC they were built before it started.
build_programs() {
  [ -z "${VARNEL_IN_PC:-}" ] || return 0
  (cd "$varnel_root" && cmake --preset release >/dev/null && cmake --build --preset release >/dev/null &&
    cmake --preset tests >/dev/null && cmake --build --preset tests --target "$@" >/dev/null)
}

# A Unix path as Wine's Z: drive sees it.
winpath() { local p="Z:$1"; echo "${p//\//\\}"; }

# Starts an Xvfb on a free display, which it names when it is ready, and
# exports that DISPLAY; display_pid is its process, for the caller to end.
# $1: a file for the display's number.
display_pid=
start_display() {
  rm -f "$1"
  Xvfb -displayfd 3 -screen 0 1024x768x24 -nolisten tcp 3>"$1" >/dev/null 2>&1 &
  display_pid=$!
  for _ in $(seq 100); do [ -s "$1" ] && break; sleep 0.1; done
  [ -s "$1" ] || { echo "Xvfb did not start" >&2; return 1; }
  export DISPLAY=":$(cat "$1")"
}

# Makes the machine $1 unless it was made: Windows version $2, with the .reg
# files after it imported. Its windows are not managed by a window manager
# (there is none under Xvfb), so Wine draws their frames itself and closes a
# dialog at once instead of after two seconds. The stamp names this making,
# so that a copy can tell it was taken from an older one.
make_machine() {
  local prefix=$1 version=$2 reg
  shift 2
  [ -f "$prefix/.varnel-made" ] && return 0
  rm -rf "$prefix"
  mkdir -p "$(dirname "$prefix")"
  (
    export WINEPREFIX=$prefix
    pinned "$varnel_wine" wineboot -i >/dev/null 2>&1
    pinned "$varnel_wine" winecfg -v "$version" >/dev/null 2>&1
    pinned "$varnel_wine" reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /d N /f >/dev/null 2>&1
    for reg in "$@"; do pinned "$varnel_wine" regedit /S "$(winpath "$reg")" >/dev/null 2>&1; done
    # Every Windows has its 16-bit System folder, which the programs take to
    # exist; Wine makes none in a 64-bit prefix.
    mkdir -p "$prefix/drive_c/windows/system"
    wineserver -w
  )
  date +%s.%N >"$prefix/.varnel-made"
}

# The process ids of the machine $1's Wine processes, server and loaders.
machine_processes() {
  local environ pid exe
  for environ in $(grep -lzx "WINEPREFIX=$1" /proc/[0-9]*/environ 2>/dev/null); do
    pid=${environ#/proc/}
    pid=${pid%/environ}
    exe=$(readlink "/proc/$pid/exe" 2>/dev/null) || continue
    case "${exe##*/}" in wine*) echo "$pid" ;; esac
  done
  return 0
}

# Ends everything running on the machine $1. Its server writes the registry
# out as it ends: the prefix's files are whole only once it has gone.
end_machine() {
  WINEPREFIX=$1 wineserver -k >/dev/null 2>&1 || true
  for _ in $(seq 100); do
    [ -z "$(machine_processes "$1")" ] && return 0
    sleep 0.1
  done
  echo "Wine processes of $1 did not end" >&2
  return 1
}

# A fresh copy of the machine $1 at $2. A prefix is hundreds of megabytes:
# written out before the copy is used, or the writes still under way slow
# the programs' own at random.
copy_machine() {
  end_machine "$2"
  rm -rf "$2"
  cp -a "$1" "$2"
  sync
}

# A persistent server for the machine $WINEPREFIX, with Wine's services up
# (the first program starts them), so that each program then starts in tens
# of milliseconds instead of seconds. Output to /dev/null: a server or a
# service holding a caller's pipe makes it wait (CTest, a minute per run).
serve_machine() {
  pinned wineserver -p60 </dev/null >/dev/null 2>&1 || true
  pinned "$varnel_wine" cmd /c exit </dev/null >/dev/null 2>&1
}

# For an EXIT trap: ends the machine $1 and the display started here.
end_machine_and_display() {
  end_machine "$1" || true
  [ -z "$display_pid" ] || kill "$display_pid" 2>/dev/null || true
}

# The stand-in medium at $1: the real installer and uninstaller from the
# folder $2, every other driver file a small text naming itself.
make_stand_in_medium() {
  local medium=$1 programs=$2 name
  rm -rf "$medium"
  mkdir -p "$medium"
  for name in $(driver_file_sources "$varnel_root" | sort -u | grep -vx UnVarnel.exe); do
    printf 'Stand-in for the driver file %s of the demo medium.\r\n' "$name" >"$medium/$name"
  done
  [ -f "$programs/UnVarnel.exe" ] && cp "$programs/UnVarnel.exe" "$medium/"
  cp "$programs/InstVarnel.exe" "$medium/"
}
