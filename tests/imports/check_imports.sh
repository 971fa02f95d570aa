#!/bin/bash
# Fails when a shipped program would not load on Windows 95: a DLL other than
# Windows' own, a function not on the reviewed list of what Windows 95
# exports, or a PE header that does not ask for subsystem 4.0 or carries
# what later linkers add. Wine implements every import, so only this check
# can catch one.
#   check_imports.sh OBJDUMP PROGRAM.exe ALLOWED-LIST
set -euo pipefail
objdump=$1 program=$2 allowed=$3

[ -f "$program" ] || { echo "no such program: $program"; exit 1; }
headers=$("$objdump" -p "$program")

fail=0
grep -q "^Subsystem[[:space:]]*00000002" <<<"$headers" || { echo "not a GUI program"; fail=1; }
for field in MajorSubsystemVersion:4 MinorSubsystemVersion:0 MajorOSystemVersion:4; do
  name=${field%%:*} want=${field##*:}
  have=$(awk -v n="$name" '$1 == n {print $2}' <<<"$headers")
  [ "$have" = "$want" ] || { echo "$name is $have, not $want"; fail=1; }
done

# Written as a linker of Windows 95's day wrote it: no DllCharacteristics
# bits (randomised bases and NX came later) and no relocations.
characteristics=$(awk '$1 == "DllCharacteristics" {print $2}' <<<"$headers")
[ "$characteristics" = 00000000 ] || { echo "DllCharacteristics is $characteristics, not 00000000"; fail=1; }
relocations=$(awk '$1 == "Entry" && $2 == 5 {print $4}' <<<"$headers")
if [ "${relocations:-0}" != 00000000 ] || "$objdump" -h "$program" | grep -q ' \.reloc '; then
  echo "carries a relocation section"; fail=1
fi

# "DLL function" for every import, DLL names upper-cased.
imports=$(awk '
  /^\tDLL Name:/ { dll = toupper($3); next }
  /^\tvma:/ { next }
  dll != "" && NF >= 3 && $1 ~ /^[0-9a-f]+$/ && $2 ~ /^[0-9]+$/ { print dll, $3; next }
  /^$/ { dll = ""; next }
' <<<"$headers" | sort -u)
[ -n "$imports" ] || { echo "no imports read from $program"; exit 1; }

while read -r dll function; do
  case "$dll" in
    KERNEL32.DLL|USER32.DLL|GDI32.DLL|ADVAPI32.DLL|COMCTL32.DLL) ;;
    *) echo "imports from $dll, which is not Windows' own"; fail=1; continue ;;
  esac
  grep -qx "$dll $function" "$allowed" || { echo "not on the reviewed list: $dll $function"; fail=1; }
done <<<"$imports"

count=$(wc -l <<<"$imports")
if [ "$fail" = 0 ]; then
  echo "$(basename "$program"): $count imports, all on the reviewed list; subsystem 4.0; no DllCharacteristics, no relocations"
fi
exit "$fail"
