#!/bin/bash
# Sizes of the shipped programs and their CMOV instructions (which need a
# Pentium Pro or later), against a baseline built in the same run: the
# smallest dialog-less Win32 program, with the same compiler and flags, so
# the ratio shows what the programs add to the static runtime. Not a test.
#   tools/bench_size.sh
set -euo pipefail
cd "$(dirname "$0")/.."
cmake --preset release >/dev/null
cmake --build --preset release >/dev/null

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cat >"$work/baseline.cpp" <<'CPP'
#include <windows.h>
int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
    MessageBoxA(nullptr, "baseline", "baseline", MB_OK);
    return 0;
}
CPP
i686-w64-mingw32-g++-win32 -std=c++17 -O2 -static -s -mwindows -DWINVER=0x0400 -D_WIN32_WINNT=0x0400 \
  "$work/baseline.cpp" -o "$work/baseline.exe"

report() {
  local name=$1 file=$2
  local size cmov
  size=$(stat -c %s "$file")
  cmov=$(i686-w64-mingw32-objdump -d "$file" | grep -c -w 'cmov[a-z]*' || true)
  printf '  %-15s %8d bytes  %4d CMOV  %5.2f x baseline size\n' "$name" "$size" "$cmov" \
    "$(awk "BEGIN { print $size / $(stat -c %s "$work/baseline.exe") }")"
}
echo "Program sizes (stripped, runtimes linked in):"
report baseline.exe "$work/baseline.exe"
report InstVarnel.exe build/release/bin/InstVarnel.exe
report UnVarnel.exe build/release/bin/UnVarnel.exe
