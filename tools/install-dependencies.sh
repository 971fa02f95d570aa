#!/bin/bash
# Installs what building and testing need on Debian 12, as root: the i686
# MinGW-w64 cross compilers (and the x86-64 one, for testing on a machine
# that runs no 32-bit code), 32-bit and 64-bit Wine, Xvfb, GoogleTest's sources, a
# Traditional Chinese font, and xorriso and genisoimage for the medium's CD
# image (the one writes it, the other reads it back in its test), git, whose
# last commit dates the programs, and where the emulated PC is needed (a
# machine that runs no 32-bit code, or VARNEL_EMULATED_PC=1) its qemu, kernel
# and busybox. Quick when everything is there already.
set -euo pipefail
[ -z "${VARNEL_IN_PC:-}" ] || exit 0  # the emulated PC runs on this machine's own
cd "$(dirname "$0")/.."

install() {
  local missing=() package
  for package; do
    dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q "install ok installed" || missing+=("$package")
  done
  [ ${#missing[@]} -gt 0 ] || return 0
  echo "Installing: ${missing[*]}"
  if ! dpkg --print-foreign-architectures | grep -qx i386; then
    dpkg --add-architecture i386
  fi
  DEBIAN_FRONTEND=noninteractive apt-get update -qq
  DEBIAN_FRONTEND=noninteractive apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
}
install cmake make git \
  g++-mingw-w64-i686-win32 g++-mingw-w64-i686-posix binutils-mingw-w64-i686 \
  g++-mingw-w64-x86-64-posix binutils-mingw-w64-x86-64 \
  wine wine32:i386 wine64 \
  xvfb xauth \
  googletest \
  xorriso genisoimage \
  fonts-arphic-uming
# Asked once Wine is there: whether it runs 32-bit code.
if (. tools/lib/wine-machine.sh && needs_emulated_pc); then
  install qemu-system-x86 linux-image-amd64 busybox-static
fi
