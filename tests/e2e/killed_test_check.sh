#!/bin/bash
# An end-to-end test killed half-way, the way CTest's timeout kills one,
# spoils neither the next test of the run nor the next run.
# Arguments: the Wine folder of the build, end_to_end_tests.exe.
set -euo pipefail
wine_dir=$1 tests=$2
unset VARNEL_WINDOWS_VERSION
export LC_ALL=en_US.UTF-8
# The build's first machine, Windows 98 for a 32-bit build.
prefix=$(. "$wine_dir/wine-env.sh" && echo "$WINEPREFIX")
started=$wine_dir/killed-test-check.started

fail() {
  echo "FAILED: $*" >&2
  exit 1
}

# Starts the install tests and kills the test process with its whole process
# group, the installer it started among them, once the installer has begun
# copying into the machine's SYSTEM folder.
kill_half_way() {
  touch "$started"
  setsid "$wine_dir/run" "$tests" --gtest_filter='InstallTest.*' >/dev/null 2>&1 &
  local leader=$!
  for _ in $(seq 1200); do
    if [ -n "$(find "$prefix/drive_c/windows/system" -type f -cnewer "$started" -print -quit)" ]; then
      kill -KILL -- "-$leader"
      wait "$leader" || true
      echo "killed the install tests half-way: $(find "$prefix/drive_c/windows/system" -type f -cnewer "$started" | wc -l) files copied"
      return 0
    fi
    sleep 0.05
  done
  kill -KILL -- "-$leader" || true
  fail "the install tests did not begin copying within a minute"
}

# The first of the install tests, each of which checks what one install adds.
next_test=InstallTest.$("$wine_dir/run" "$tests" --gtest_list_tests --gtest_filter='InstallTest.*' |
  awk '/^  [A-Za-z0-9_]/ && !name { name = $1; sub(/\r$/, "", name) } END { print name }')
[ "$next_test" != InstallTest. ] || fail "no install test listed"

echo "== the next test of the same run"
kill_half_way
"$wine_dir/run" "$tests" --gtest_filter="$next_test" || fail "$next_test did not pass after the killed test"

echo "== the next run"
kill_half_way
# What the next run does first.
"$wine_dir/session" start
"$wine_dir/run" "$tests" --gtest_filter="$next_test" || fail "$next_test did not pass in the next run"
rm -f "$started"
