#!/bin/bash
# Builds the shipped programs and the tests, and runs every test under Wine.
set -euo pipefail
cd "$(dirname "$0")/.."
tools/install-dependencies.sh

werror=OFF
[ "${CI:-}" = true ] && werror=ON
cmake --preset release -DVARNEL_WERROR=$werror >/dev/null
cmake --build --preset release
cmake --preset tests -DVARNEL_WERROR=$werror >/dev/null
cmake --build --preset tests
ctest --preset tests
