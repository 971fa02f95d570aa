#!/bin/bash
# tools/make-medium.sh as the release engineer runs it, on the shipping build:
# an incomplete driver folder is refused with what it lacks, a complete one
# gives exactly the medium's tree and a CD image of it, no folder gives a demo
# medium that says so, and programs older than their sources are refused.
#   make_medium_test.sh SOURCE-ROOT SHIPPING-BUILD WORK-FOLDER
set -uo pipefail
root=$1 build=$2 work=$3
tool=$root/tools/make-medium.sh
rm -rf "$work"
mkdir -p "$work"

failures=0
check() {  # check DESCRIPTION COMMAND...
  if "${@:2}"; then echo "ok: $1"; else echo "FAILED: $1"; failures=$((failures + 1)); fi
}

# The driver files the installer copies from Driver\Win9X, read from its
# table as tools/make-medium.sh reads them; UnVarnel.exe is the build's own.
. "$root/tools/lib/driver-files.sh"
mapfile -t driver_files < <(driver_file_sources "$root" | awk '!seen[$0]++' | grep -vx UnVarnel.exe)
[ "${#driver_files[@]}" -gt 0 ] || { echo "no driver files read from installer/driver_files.h"; exit 1; }
expected_tree() {  # the medium's files and folders, relative, sorted
  { printf '%s\n' . ./InstVarnel.exe ./Driver ./Driver/Win9X ./Driver/Win9X/UnVarnel.exe
    printf './Driver/Win9X/%s\n' "${driver_files[@]}"
    [ $# -eq 0 ] || printf '%s\n' "$@"; } | LC_ALL=C sort
}
tree_of() { (cd "$1" && find . | LC_ALL=C sort); }
[ -f "$build/bin/UnVarnel.exe" ] || { echo "no shipped programs in $build/bin"; exit 1; }

# A folder lacking three of the driver's files.
incomplete=$work/incomplete
mkdir -p "$incomplete"
for name in "${driver_files[@]}"; do
  case $name in Varnel.inf|nvcpl.hlp|nvfsvm.exe) ;; *) echo "driver $name" >"$incomplete/$name" ;; esac
done
out=$work/out-incomplete
"$tool" --no-build --build "$build" --out "$out" "$incomplete" >"$work/incomplete.log" 2>&1
status=$?
check "incomplete folder refused" [ "$status" -ne 0 ]
for name in Varnel.inf nvcpl.hlp nvfsvm.exe; do
  check "missing $name listed" grep -qw "$name" "$work/incomplete.log"
done
check "present files not listed as missing" bash -c "! grep -qw nvdisp.drv '$work/incomplete.log'"
check "no medium left behind" bash -c "[ -z \"\$(find '$out' -mindepth 1 -maxdepth 1 2>/dev/null)\" ]"

# A complete folder: the driver files with contents of their own, one
# spelled in capitals as on a FAT medium, an old uninstaller and a stray
# file that must not ship.
complete=$work/complete
mkdir -p "$complete"
for name in "${driver_files[@]}"; do
  head -c $((100 + ${#name} * 37)) /dev/urandom >"$complete/$name"
done
mv "$complete/nvcpl.hlp" "$complete/NVCPL.HLP"
echo "an old uninstaller" >"$complete/UnVarnel.exe"
echo "notes" >"$complete/notes.txt"
out=$work/out-complete
image=$work/complete.iso
"$tool" --no-build --build "$build" --out "$out" --iso "$image" "$complete" >"$work/complete.log" 2>&1
check "complete folder accepted" [ $? -eq 0 ]
mapfile -t media < <(find "$out" -mindepth 1 -maxdepth 1)
check "one medium folder made" [ "${#media[@]}" -eq 1 ]
medium=${media[0]:-$out/none}
check "release medium not named a demo" bash -c "[[ '$medium' != *DEMO* ]]"
check "exactly the medium's tree" diff <(expected_tree) <(tree_of "$medium")
check "InstVarnel.exe is the build's" cmp -s "$build/bin/InstVarnel.exe" "$medium/InstVarnel.exe"
check "UnVarnel.exe is the build's" cmp -s "$build/bin/UnVarnel.exe" "$medium/Driver/Win9X/UnVarnel.exe"
for name in "${driver_files[@]}"; do
  from=$complete/$name
  [ "$name" = nvcpl.hlp ] && from=$complete/NVCPL.HLP
  check "$name copied byte for byte" cmp -s "$from" "$medium/Driver/Win9X/$name"
done

# Its CD image, read back with genisoimage's isoinfo rather than the xorriso
# that wrote it. The ISO 9660 tree is what MS-DOS and any CD driver read: 8.3
# names in capitals, InstVarnel.exe cut to INSTVARN.EXE; Windows reads the
# Joliet tree, which holds the medium as it is.
isoinfo -i "$image" -f | sed 's/;1$//' | LC_ALL=C sort >"$work/iso9660.txt"
isoinfo -i "$image" -f -J | LC_ALL=C sort >"$work/joliet.txt"
check "ISO 9660 names are 8.3" bash -c "! grep -Ev '^(/[A-Z0-9_]{1,8}(\.[A-Z0-9_]{0,3})?)+\$' '$work/iso9660.txt'"
check "ISO 9660 tree is the medium's names in capitals" \
      diff <(tree_of "$medium" | sed -n 's|^\./|/|p' | tr a-z A-Z | sed 's|^/INSTVARNEL\.EXE$|/INSTVARN.EXE|' |
             LC_ALL=C sort) "$work/iso9660.txt"
check "Joliet tree is the medium's tree" diff <(tree_of "$medium" | sed -n 's|^\./|/|p') "$work/joliet.txt"
while read -r path; do
  check "$path reads back byte for byte" cmp -s "$medium$path" <(isoinfo -i "$image" -J -x "$path")
done < <(cd "$medium" && find . -type f | sed 's|^\.||')
joliet_label() {  # the volume id of the Joliet descriptor, which Windows shows
  local at
  for at in $(seq $((16 * 2048)) 2048 $((31 * 2048))); do
    [ "$(dd if="$1" bs=1 skip=$((at + 88)) count=2 2>/dev/null | tr -d '\0')" = "%/" ] || continue
    dd if="$1" bs=1 skip=$((at + 40)) count=32 2>/dev/null | iconv -f UTF-16BE -t UTF-8 | sed 's/ *$//'
    return
  done
}
version=$(sed -n 's/^#define VARNEL_VERSION_TEXT "\(.*\)"$/\1/p' "$build/common/version_info.h")
label=VARNEL_${version//./_}
check "volume label $label" [ "$(isoinfo -i "$image" -d | sed -n 's/^Volume id: //p')" = "$label" ]
check "Joliet volume label $label" [ "$(joliet_label "$image")" = "$label" ]

# No folder: a demo medium, marked as such on the medium and in every stand-in.
out=$work/out-demo
"$tool" --no-build --build "$build" --out "$out" >"$work/demo.log" 2>&1
check "demo medium made" [ $? -eq 0 ]
mapfile -t media < <(find "$out" -mindepth 1 -maxdepth 1)
check "one demo medium folder made" [ "${#media[@]}" -eq 1 ]
medium=${media[0]:-$out/none}
check "demo medium folder named -DEMO" bash -c "[[ '$medium' == *-DEMO ]]"
check "demo medium's tree, with its README.TXT" diff <(expected_tree ./README.TXT) <(tree_of "$medium")
check "README.TXT says demo medium" grep -qi "demo medium" "$medium/README.TXT"
check "README.TXT says stand-in" grep -qi "stand-in" "$medium/README.TXT"
check "demo UnVarnel.exe is the build's" cmp -s "$build/bin/UnVarnel.exe" "$medium/Driver/Win9X/UnVarnel.exe"
check "demo InstVarnel.exe is the build's" cmp -s "$build/bin/InstVarnel.exe" "$medium/InstVarnel.exe"
for name in "${driver_files[@]}"; do
  check "$name says it is a stand-in for $name" grep -q "Stand-in for the driver file $name" \
        "$medium/Driver/Win9X/$name"
done

# A build whose UnVarnel.exe predates its sources is not shipped.
stale=$work/stale-build
mkdir -p "$stale/bin" "$stale/common"
cp -p "$build/bin/InstVarnel.exe" "$build/bin/UnVarnel.exe" "$stale/bin/"
cp -p "$build/common/version_info.h" "$stale/common/"
cp -p "$build/CMakeCache.txt" "$stale/"
touch -d '2000-01-01' "$stale/bin/UnVarnel.exe"
out=$work/out-stale
"$tool" --no-build --build "$stale" --out "$out" "$complete" >"$work/stale.log" 2>&1
check "stale UnVarnel.exe refused" [ $? -ne 0 ]
check "refusal names UnVarnel.exe" grep -q "UnVarnel.exe is older than its sources" "$work/stale.log"
check "no medium from a stale build" bash -c "[ -z \"\$(find '$out' -mindepth 1 -maxdepth 1 2>/dev/null)\" ]"

if [ "$failures" -gt 0 ]; then
  for log in "$work"/*.log; do echo "--- $(basename "$log")"; cat "$log"; done
  echo "$failures check(s) failed"
  exit 1
fi
echo "all checks passed"
