#!/bin/bash
# Sizes of the shipped programs, their imports and their instructions outside
# the 80386 + x87 set, against a baseline built in the same run: the smallest
# dialog-less Win32 program with the compiler's usual static runtime. A
# second, freestanding one (no runtime, 80386) shows what the dialogs,
# tables, icon and version information add by themselves. Not a test.
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
cat >"$work/freestanding.cpp" <<'CPP'
#include <windows.h>
extern "C" void WINAPI Start() {
    ExitProcess(MessageBoxA(nullptr, "baseline", "baseline", MB_OK));
}
CPP
flags=(-std=c++17 -s -mwindows -DWINVER=0x0400 -D_WIN32_WINNT=0x0400)
i686-w64-mingw32-g++-win32 "${flags[@]}" -O2 -static "$work/baseline.cpp" -o "$work/baseline.exe"
i686-w64-mingw32-g++-win32 "${flags[@]}" -Os -march=i386 -ffreestanding -fno-exceptions -fno-rtti \
  -fno-asynchronous-unwind-tables -nostdlib -Wl,-e,_Start@0 "$work/freestanding.cpp" \
  -o "$work/freestanding.exe" -lkernel32 -luser32 -lgcc

objdump=i686-w64-mingw32-objdump
report() {
  local name=$1 file=$2 size imports outside
  size=$(stat -c %s "$file")
  imports=$("$objdump" -p "$file" | awk '/^\tDLL Name:/ { dll = 1; next } /^$/ { dll = 0 }
                                          dll && NF >= 3 && $1 ~ /^[0-9a-f]+$/ && $2 ~ /^[0-9]+$/' | wc -l)
  outside=$(bash tests/isa/check_i386.sh "$objdump" "$file" tests/isa/i386_mnemonics.txt || true) &&
  outside=$(echo "$outside" |
            sed -n 's/.*: \([0-9]*\) instructions outside.*/\1/p')
  printf '  %-15s %8d bytes  %3d imports  %4d outside the 80386 set  %5.2f x baseline size\n' \
    "$name" "$size" "$imports" "${outside:-0}" "$(awk "BEGIN { print $size / $(stat -c %s "$work/baseline.exe") }")"
}
echo "Program sizes (stripped):"
report baseline.exe "$work/baseline.exe"
report freestanding.exe "$work/freestanding.exe"
report InstVarnel.exe build/release/bin/InstVarnel.exe
report UnVarnel.exe build/release/bin/UnVarnel.exe
