# Shell functions shared by tools/demo.sh and tools/preview.sh: Windows 98
# machines as Wine prefixes, a headless display and the stand-in medium.
# Sourced; expects set -euo pipefail in the caller.

varnel_root=$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)
. "$varnel_root/tools/lib/driver-files.sh"

export WINEARCH=win32 WINEDEBUG=-all WINEDLLOVERRIDES='mscoree=;mshtml='

# A Unix path as Wine's Z: drive sees it.
winpath() { local p="Z:$1"; echo "${p//\//\\}"; }

# Starts Xvfb when no display is set and exports its DISPLAY; the caller
# kills $xvfb_pid when done. $1: a file for the display number.
xvfb_pid=
start_xvfb() {
  [ -n "${DISPLAY:-}" ] && return 0
  rm -f "$1"
  Xvfb -displayfd 3 -screen 0 1024x768x24 -nolisten tcp 3>"$1" >/dev/null 2>&1 &
  xvfb_pid=$!
  for _ in $(seq 100); do [ -s "$1" ] && break; sleep 0.1; done
  [ -s "$1" ] || { echo "Xvfb did not start" >&2; return 1; }
  export DISPLAY=":$(cat "$1")"
}

# Makes a Windows 98 prefix at $1 once (marked by $1/.ready), importing the
# .reg files given after it.
make_win98_prefix() {
  local prefix=$1 reg
  shift
  [ -f "$prefix/.ready" ] && return 0
  rm -rf "$prefix"
  mkdir -p "$(dirname "$prefix")"
  WINEPREFIX=$prefix wineboot -i >/dev/null 2>&1
  WINEPREFIX=$prefix winecfg -v win98 >/dev/null 2>&1
  for reg in "$@"; do
    WINEPREFIX=$prefix wine regedit /S "$(winpath "$reg")" >/dev/null 2>&1
  done
  WINEPREFIX=$prefix wineserver -w
  touch "$prefix/.ready"
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
