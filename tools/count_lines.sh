#!/bin/bash
# Lines of shipped code, of test cases and of test infrastructure at a commit
# (default HEAD), the figures the test suite's size is judged by.
#
#   tools/count_lines.sh [COMMIT]
#
# Shipped: common/, installer/, uninstaller/. Test cases: the test files
# (*_test.cpp, *_test.sh, *_check.sh). Infrastructure: every other source,
# script and CMakeLists.txt under tests/, and the Wine runner under cmake/.
# Tools: the sources, scripts and CMakeLists.txt under tools/ (the demo, the
# preview, the screenshots, the benches, the programs they run, the test
# command). The emulated PC (tools/emulated-pc.sh, its start and its
# initramfs) and the golden files are counted apart.
set -euo pipefail
cd "$(dirname "$0")/.."
commit=${1:-HEAD}
count() {
  local lines=0 file
  while read -r file; do lines=$((lines + $(git show "$commit:$file" | wc -l))); done
  echo $lines
}
files() { git ls-tree -r --name-only "$commit" | grep -E "$1" | grep -vE "${2:-^$}"; }
cases='^tests/.*(_test\.(cpp|sh)|_check\.sh)$'
echo "$commit: shipped $(files '^(common|installer|uninstaller)/.*\.(cpp|h|rc|in)$' | count)," \
  "test cases $(files "$cases" | count)," \
  "test infrastructure $(files '^tests/.*(\.(cpp|h|sh|in)|CMakeLists\.txt)$|^cmake/wine-.*\.in$' "$cases" | count)," \
  "golden files $(files '^tests/golden/' | count)," \
  "tools $(files '^tools/.*(\.(cpp|h|sh|py)|CMakeLists\.txt)$' '^tools/emulated-pc\.sh$' | count)," \
  "emulated PC $(files '^tools/emulated-pc\.sh$' | count)"
