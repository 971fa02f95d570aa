#!/bin/bash
# One commit builds the same programs: two clean release builds in folders of
# different paths give the same bytes, stamped with the commit's time (or
# SOURCE_DATE_EPOCH), and the same CD image of their medium.
#   same_build_test.sh SOURCE-ROOT WORK-FOLDER
set -uo pipefail
root=$1 work=$2
rm -rf "$work"
mkdir -p "$work"

failures=0
check() {  # check DESCRIPTION COMMAND...
  if "${@:2}"; then echo "ok: $1"; else echo "FAILED: $1"; failures=$((failures + 1)); fi
}
. "$root/tools/lib/pe.sh"
commit_time=${SOURCE_DATE_EPOCH:-$(git -C "$root" log -1 --format=%ct)}

one=$work/one two=$work/the-second-build
for build in "$one" "$two"; do
  if ! (cd "$root" && cmake --preset release -B "$build" && cmake --build "$build" --parallel 2 &&
        tools/make-medium.sh --no-build --build "$build" --out "$build-medium" --iso "$build.iso") \
       >"$build.log" 2>&1; then
    cat "$build.log"
    echo "the build in $build failed"
    exit 1
  fi
done
for program in InstVarnel UnVarnel; do
  check "$program.exe the same byte for byte" cmp "$one/bin/$program.exe" "$two/bin/$program.exe"
  check "$program.exe stamped $commit_time" [ "$(pe_stamp "$one/bin/$program.exe")" = "$commit_time" ]
  check "$program.exe names no folder of the build" \
        bash -c "! grep -qaF -e '$root' -e '$work' '$one/bin/$program.exe'"
done
check "the CD images the same byte for byte" cmp "$one.iso" "$two.iso"

# SOURCE_DATE_EPOCH, given when the build is configured, is the stamp, and
# stays it through the build's own re-configure without it; another is refused.
if ! (SOURCE_DATE_EPOCH=946684800 cmake -U VARNEL_SOURCE_DATE_EPOCH "$two" && cmake --build "$two" &&
      touch "$two/CMakeCache.txt" && env -u SOURCE_DATE_EPOCH cmake --build "$two") >>"$two.log" 2>&1; then
  tail -n 20 "$two.log"
  echo "the rebuild in $two with SOURCE_DATE_EPOCH failed"
  exit 1
fi
check "SOURCE_DATE_EPOCH honoured and kept" [ "$(pe_stamp "$two/bin/UnVarnel.exe")" = 946684800 ]
check "another SOURCE_DATE_EPOCH refused" bash -c "! SOURCE_DATE_EPOCH=1 cmake '$two' >/dev/null 2>&1"

[ "$failures" -eq 0 ] || { echo "$failures check(s) failed"; exit 1; }
echo "all checks passed"
