#!/bin/bash
# Registers 16 boards on a registry of the bench's own and prints the registry
# calls made and the time taken, against a baseline: Wine's regedit /S
# importing the same keys and values. Not a test. The machine is shared, so
# every time is the best of several rounds.
#
#   tools/bench_registration.sh [BUILD_DIR] [ROUNDS]     (build/tests, 5)
#
# BUILD_DIR is a tests build (cmake --preset tests); registration_bench is
# built in it first. It runs on a Windows 98 machine of its own, made once
# under build/bench-registration.
set -euo pipefail
cd "$(dirname "$0")/.."
build=$(realpath "${1:-build/tests}")
rounds=${2:-5}
bench=$build/bin/registration_bench.exe
cmake --build "$build" --target registration_bench >/dev/null
. tools/lib/wine-machine.sh

export WINEPREFIX=$PWD/build/bench-registration/machine
work=$(mktemp -d)
trap 'cd /; rm -rf "$work"; end_machine_and_display "$WINEPREFIX"' EXIT
# regedit is a windowed program: it runs as on a desktop.
[ -n "${DISPLAY:-}" ] || start_display "$work/display"
make_machine "$WINEPREFIX" win98
serve_machine
cd "$work"

now_ms() { echo $(( $(date +%s%N) / 1000000 )); }
field() { sed -n "s/^$1=//p" "$2" | tr -d '\r'; }
min() { if [ -z "$1" ] || [ "$2" -lt "$1" ]; then echo "$2"; else echo "$1"; fi; }

best_inside= best_run= best_import= best_noop=
for _ in $(seq "$rounds"); do
  wine "$bench" clean
  start=$(now_ms); wine "$bench" run bench.reg >run.txt; end=$(now_ms)
  best_run=$(min "$best_run" $((end - start)))
  inside=$(field ms run.txt)
  if [ -z "$best_inside" ] || awk "BEGIN { exit !($inside < $best_inside) }"; then best_inside=$inside; fi

  start=$(now_ms); wine regedit /S bench.reg; end=$(now_ms)
  best_import=$(min "$best_import" $((end - start)))
  wine "$bench" count >count.txt
  if [ "$(field keys count.txt)/$(field values count.txt)" != "$(field keys run.txt)/$(field values run.txt)" ]; then
    echo "regedit imported $(field keys count.txt) keys and $(field values count.txt) values," \
         "not $(field keys run.txt) and $(field values run.txt)" >&2
    exit 1
  fi

  start=$(now_ms); wine "$bench" noop; end=$(now_ms)
  best_noop=$(min "$best_noop" $((end - start)))
done
wine "$bench" clean

echo "Registration of $(field boards run.txt) boards, best of $rounds rounds:"
echo "  registry calls: $(field calls run.txt) ($(field calls_detail run.txt))"
echo "  time: ${best_inside} ms inside the program, ${best_run} ms for the whole run under Wine"
echo "Baseline, wine regedit /S importing the same $(field keys run.txt) keys and $(field values run.txt) values:"
echo "  time: ${best_import} ms for the whole run; Wine's start-up alone (an empty program): ${best_noop} ms"
awk -v inside="$best_inside" -v run="$best_run" -v import="$best_import" -v noop="$best_noop" 'BEGIN {
  net = import - noop; if (net < 1) net = 1
  printf "Ratio registration / import: %.1f net of start-up (%.1f / %d ms), %.1f for whole runs (%d / %d ms)\n",
         inside / net, inside, net, run / import, run, import
}'
