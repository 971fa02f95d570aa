#!/bin/bash
# Assembles the driver medium as it ships: InstVarnel.exe at the root, and in
# Driver\Win9X the source files the installer copies, UnVarnel.exe among them
# from the same build. The driver's own files come from DRIVER-FILES; without
# it the medium is a demo whose driver files are stand-ins, named so.
#   tools/make-medium.sh [--build DIR] [--out DIR] [--iso FILE] [--no-build] [DRIVER-FILES]
#     --build DIR  the shipping build folder (default build/release, the release preset's)
#     --out DIR    where the medium's folder is made (default build/medium)
#     --iso FILE   also writes the medium as a CD image: ISO 9660 with 8.3 names, and Joliet
#     --no-build   take the programs as built; refuse them when older than their sources
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)

build=$root/build/release out=$root/build/medium iso= do_build=1 drivers=
while [ $# -gt 0 ]; do
  case "$1" in
    --build) build=$2; shift 2 ;;
    --out) out=$2; shift 2 ;;
    --iso) iso=$2; shift 2 ;;
    --no-build) do_build=0; shift ;;
    -h|--help) sed -n '2,10s/^# \{0,1\}//p' "$0"; exit 0 ;;
    -*) echo "make-medium: unknown option $1" >&2; exit 2 ;;
    *) [ -z "$drivers" ] || { echo "make-medium: one driver files folder only" >&2; exit 2; }
       drivers=$1; shift ;;
  esac
done
fail() { echo "make-medium: $*" >&2; exit 1; }
if [ -n "$iso" ]; then
  command -v xorriso >/dev/null || fail "no xorriso to write the image; run tools/install-dependencies.sh"
  # Only ever replace an image, never a file given by mistake.
  [ ! -e "$iso" ] || [ "$(dd if="$iso" bs=1 skip=32769 count=5 2>/dev/null)" = CD001 ] ||
    fail "$iso exists and is not a CD image; not replaced"
fi

# The programs: built now, so that the medium never carries an old UnVarnel.exe.
if [ "$do_build" = 1 ]; then
  if [ ! -f "$build/CMakeCache.txt" ] && [ "$build" = "$root/build/release" ]; then
    (cd "$root" && cmake --preset release >/dev/null)
  fi
  [ -f "$build/CMakeCache.txt" ] || fail "$build is not a configured build folder"
  cmake --build "$build" --parallel "${CMAKE_BUILD_PARALLEL_LEVEL:-2}" --target InstVarnel UnVarnel >/dev/null
fi
grep -qx 'VARNEL_TESTS:BOOL=OFF' "$build/CMakeCache.txt" 2>/dev/null ||
  fail "$build is not a shipping build (the release preset's, VARNEL_TESTS off)"
for program in InstVarnel UnVarnel; do
  exe=$build/bin/$program.exe
  [ -f "$exe" ] || fail "no $exe: build it first"
  case $program in InstVarnel) own=installer ;; UnVarnel) own=uninstaller ;; esac
  newer=$(find "$root/$own" "$root/common" -type f \( -name '*.cpp' -o -name '*.h' -o -name '*.rc' \
            -o -name '*.ico' -o -name '*.in' \) -newer "$exe" | sort | head -5)
  [ -z "$newer" ] || fail "$exe is older than its sources; build it again. Newer, for instance:"$'\n'"$newer"
  # Wine runs anything; only this check knows what Windows 95 would refuse to load.
  verdict=$(bash "$root/tests/imports/check_imports.sh" i686-w64-mingw32-objdump "$exe" \
             "$root/tests/imports/win95_imports.txt") ||
    fail "$exe would not load on Windows 95:"$'\n'"$verdict"
done
# The programs' link stamp, their commit's time (cmake/stamp.cmake), dates
# the medium's own files and its CD image: one commit, one image.
. "$root/tools/lib/pe.sh"
stamp=$(pe_stamp "$build/bin/InstVarnel.exe")
version=$(sed -n 's/^#define VARNEL_VERSION_TEXT "\(.*\)"$/\1/p' "$build/common/version_info.h" 2>/dev/null)
[ -n "$version" ] || fail "no version in $build/common/version_info.h"

# The source names of the installer's file table, each once, in copy order.
. "$root/tools/lib/driver-files.sh"
mapfile -t names < <(driver_file_sources "$root" | awk '!seen[$0]++')
[ "${#names[@]}" -gt 0 ] || fail "no file names read from installer/driver_files.h"

# The driver's own files, by their names on the medium; FAT media often
# spell them in capitals, which Windows does not tell apart.
declare -A source=()
if [ -n "$drivers" ]; then
  [ -d "$drivers" ] || fail "no such folder: $drivers"
  missing=()
  for name in "${names[@]}"; do
    [ "$name" = UnVarnel.exe ] && continue
    if [ -f "$drivers/$name" ]; then
      source[$name]=$drivers/$name
      continue
    fi
    mapfile -t found < <(find "$drivers" -mindepth 1 -maxdepth 1 -type f -iname "$name")
    if [ "${#found[@]}" = 1 ]; then source[$name]=${found[0]}; else missing+=("$name"); fi
  done
  if [ "${#missing[@]}" -gt 0 ]; then
    {
      echo "make-medium: $drivers lacks ${#missing[@]} of the driver's files; no medium made. Missing:"
      printf '  %s\n' "${missing[@]}"
    } >&2
    exit 1
  fi
  if find "$drivers" -mindepth 1 -maxdepth 1 -type f -iname UnVarnel.exe | grep -q .; then
    echo "make-medium: UnVarnel.exe in $drivers left out; the medium takes the build's"
  fi
  medium_name=ORVA-Varnel-$version
else
  medium_name=ORVA-Varnel-$version-DEMO
fi

# Made aside and moved into place, so that a failure leaves no half medium.
mkdir -p "$out"
out=$(cd "$out" && pwd)
medium=$out/$medium_name
staging=$(mktemp -d "$out/.$medium_name.XXXXXX")
trap 'rm -rf "$staging"' EXIT
mkdir -p "$staging/Driver/Win9X"
cp "$build/bin/InstVarnel.exe" "$staging/InstVarnel.exe"
for name in "${names[@]}"; do
  target=$staging/Driver/Win9X/$name
  if [ "$name" = UnVarnel.exe ]; then
    cp "$build/bin/UnVarnel.exe" "$target"
  elif [ -n "$drivers" ]; then
    cp --preserve=timestamps "${source[$name]}" "$target"
  else
    printf 'Stand-in for the driver file %s of the demo medium.\r\n' "$name" >"$target"
  fi
done
if [ -z "$drivers" ]; then
  sed 's/$/\r/' >"$staging/README.TXT" <<EOF
ORVA Varnel Windows 9X / ME Display Drivers $version - DEMO MEDIUM

This is a demo medium, not a driver medium. InstVarnel.exe and
UnVarnel.exe are the real programs, but every other file in
Driver\\Win9X is a stand-in: a line of text naming the driver file
it stands for. Installing from this medium puts no working display
driver on the machine; use it only on a test machine.
EOF
fi
# The driver's files keep their own dates.
ours=("$staging/InstVarnel.exe" "$staging/Driver/Win9X/UnVarnel.exe")
[ -n "$drivers" ] || ours+=("$staging/README.TXT" "$staging"/Driver/Win9X/*)
touch -d "@$stamp" "${ours[@]}"
find "$staging" -type d -exec touch -d "@$stamp" {} +
chmod -R u=rwX,go=rX "$staging"

if [ -e "$medium" ]; then
  # Only ever replace a medium this tool made.
  [ -f "$medium/InstVarnel.exe" ] && [ -d "$medium/Driver/Win9X" ] ||
    fail "$medium exists and is not a medium; not replaced"
  rm -rf "$medium"
fi
mv "$staging" "$medium"
trap - EXIT

count=$(find "$medium" -type f | wc -l)
if [ -n "$drivers" ]; then
  echo "Medium: $medium ($count files, driver files from $drivers)"
else
  echo "Demo medium: $medium ($count files; the driver files are stand-ins)"
fi

if [ -n "$iso" ]; then
  # Level 1 names are what any CD driver reads, MS-DOS's too; the medium's are
  # 8.3 already but for InstVarnel.exe, which becomes INSTVARN.EXE there.
  # Windows 95 and later read the Joliet tree, with the names as they are.
  # Joliet keeps 16 characters of the label, and level 1 allows A-Z, 0-9, _.
  label=VARNEL_${version//./_}
  [ "${#label}" -le 16 ] || fail "volume label $label is longer than Joliet's 16 characters"
  mkdir -p "$(dirname "$iso")"
  partial=$iso.partial
  trap 'rm -f "$partial"' EXIT
  rm -f "$partial"
  # -r: the Rock Ridge entries xorriso always adds get neutral owners and modes.
  # SOURCE_DATE_EPOCH: the volume's dates are the stamp, and each file's
  # other dates its modification date.
  log=$(SOURCE_DATE_EPOCH=$stamp xorriso -as mkisofs -iso-level 1 -J -r -V "$label" -o "$partial" "$medium" 2>&1) ||
    fail "xorriso could not write $iso:"$'\n'"$log"
  mv "$partial" "$iso"
  trap - EXIT
  echo "CD image: $iso ($(stat -c %s "$iso") bytes, volume label $label)"
fi
