#!/bin/bash
# Builds the shipped programs and the tests, and runs every test under Wine.
set -euo pipefail
cd "$(dirname "$0")/.."
tools/install-dependencies.sh

werror=OFF
[ "${CI:-}" = true ] && werror=ON
cmake --preset release -DVARNEL_WERROR=$werror >/dev/null
cmake --build --preset release
# The tests run under 32-bit Wine. A machine whose kernel runs no 32-bit code
# runs them in the emulated PC (tools/emulated-pc.sh), slower by far, and
# first, here, the same sources built for x86-64 under 64-bit Wine on an NT
# machine, while the binary checks still read the shipped 32-bit programs.
# With VARNEL_EMULATED_PC=0 only that quick x86-64 lane runs.
machine() { (. tools/lib/wine-machine.sh && "$@"); }  # its Wine settings stay out of CTest's
tests=tests
in_pc=
if machine needs_emulated_pc || ! machine runs_32bit_code; then
  tests=tests-x64
  [ "${VARNEL_EMULATED_PC:-}" = 0 ] || in_pc=tests
  echo "This machine runs no 32-bit code: testing an x86-64 build of the same sources under 64-bit Wine${in_pc:+, then the 32-bit tests in an emulated PC}."
  [ -z "$in_pc" ] ||
    cmake --preset tests -DVARNEL_WERROR=$werror -DVARNEL_TIMEOUT_SCALE="$(tools/emulated-pc.sh --time-scale)" >/dev/null
fi
cmake --preset $tests -DVARNEL_WERROR=$werror -DVARNEL_TIMEOUT_SCALE=1 >/dev/null
# The Wine machines are made while the tests build: a new tree makes its
# prefix from nothing, some 20 s. CTest's session start then finds them made.
session=build/$tests/wine/session
"$session" start >/dev/null 2>&1 &
starting=$!
if ! cmake --build --preset $tests || { [ -n "$in_pc" ] && ! cmake --build --preset tests; }; then
  wait $starting || true
  "$session" stop
  exit 1
fi
wait $starting || echo "The Wine session did not start before the tests; CTest starts it again."
# Side by side, one lane per CPU (see cmake/wine-env.sh.in).
status=0
ctest --preset $tests --parallel "$(nproc)" || status=$?
# In the PC, its CPUs the lanes: the shipped programs' end-to-end tests on the
# Windows 98 machine, the preview, and that the PC writes only to the tree.
# The unit tests, the Windows XP machine and the long in-process tests (the
# property test, the interrupted installs) take minutes each there and ran on
# the x86-64 lane.
[ -z "$in_pc" ] || VARNEL_WINDOWS_VERSIONS=win98 tools/emulated-pc.sh ctest --preset tests --parallel "$(nproc)" \
  --timeout 3000 -R '^(InstallTest|RoundTripTest|UninstallTest|CdInstallTest|InstallerDialogTest)\.|^preview_sample$|^emulated_pc_writes_only_the_tree$' ||
  status=$?
exit $status
