#!/bin/bash
# An end-to-end test killed half-way, the way CTest's timeout kills one,
# spoils neither the next test of the run nor the next run.
# Arguments: the Wine folder of the build, end_to_end_tests.exe, the name of
# the mark an unfinished end-to-end test leaves on C:\.
set -euo pipefail
wine_dir=$1 tests=$2 mark=$3
unset VARNEL_WINDOWS_VERSION VARNEL_RESTORE_UNFINISHED
export LC_ALL=en_US.UTF-8
# The build's first machine, Windows 98 for a 32-bit build.
prefix=$(. "$wine_dir/wine-env.sh" && echo "$WINEPREFIX")
started=$wine_dir/killed-test-check.started

fail() {
  echo "FAILED: $*" >&2
  exit 1
}

# Starts the install tests and kills the test process with its whole process
# group once the installer has begun copying into the machine's SYSTEM folder.
# The installer itself, started by Wine in a session of its own, goes on.
kill_half_way() {
  touch "$started"
  setsid "$wine_dir/run" "$tests" --gtest_filter='InstallTest.*' >/dev/null 2>&1 &
  local leader=$!
  for _ in $(seq 1200); do
    if [ -e "$prefix/drive_c/$mark" ] &&
      [ -n "$(find "$prefix/drive_c/windows/system" -type f -cnewer "$started" -print -quit)" ]; then
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
[ -e "$prefix/drive_c/$mark" ] || fail "the killed test left no mark"
# The runner restores the prefix for an end-to-end test (CTest gives them
# VARNEL_RESTORE_UNFINISHED); the fixture refuses a machine with the mark.
VARNEL_RESTORE_UNFINISHED=1 "$wine_dir/run" "$tests" --gtest_filter="$next_test" ||
  fail "$next_test did not pass after the killed test"

echo "== the next run"
kill_half_way
# What the next run does first; then only it can have cleaned the machine.
"$wine_dir/session" start
[ ! -e "$prefix/drive_c/$mark" ] || fail "the session start left the killed test's mark"
"$wine_dir/run" "$tests" --gtest_filter="$next_test" || fail "$next_test did not pass in the next run"
rm -f "$started"
