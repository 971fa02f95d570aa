#!/bin/bash
# Builds the shipped programs and the tests, and runs every test under Wine.
set -euo pipefail
cd "$(dirname "$0")/.."
tools/install-dependencies.sh

werror=OFF
[ "${CI:-}" = true ] && werror=ON
cmake --preset release -DVARNEL_WERROR=$werror >/dev/null
cmake --build --preset release
# The tests run under 32-bit Wine. A kernel without 32-bit emulation (some
# virtual machines) cannot start it, or only through a CPU emulator far too
# slow for the suite: the tests then build the same sources for x86-64 and
# run them under 64-bit Wine, on an NT machine, while the binary checks
# still read the shipped 32-bit programs.
tests=tests
if ! /usr/lib/wine/wine --version >/dev/null 2>&1 ||
  grep -qsx enabled /proc/sys/fs/binfmt_misc/qemu-i386; then
  tests=tests-x64
  echo "This machine runs no 32-bit code: testing an x86-64 build of the same sources under 64-bit Wine."
fi
cmake --preset $tests -DVARNEL_WERROR=$werror >/dev/null
# The Wine machines are made while the tests build: a new tree makes its
# prefix from nothing, some 20 s. CTest's session start then finds them made.
session=build/$tests/wine/session
"$session" start >/dev/null 2>&1 &
starting=$!
if ! cmake --build --preset $tests; then
  wait $starting || true
  "$session" stop
  exit 1
fi
wait $starting || echo "The Wine session did not start before the tests; CTest starts it again."
# Side by side, one lane per CPU (see cmake/wine-env.sh.in).
ctest --preset $tests --parallel "$(nproc)"
