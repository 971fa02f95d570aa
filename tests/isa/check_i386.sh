#!/bin/bash
# Fails when a program or object file holds an instruction that an 80386
# with a 387 cannot run. Works from the reviewed list of what those two
# can run, so anything newer is refused without being named in advance.
# Wine runs on a modern CPU and shows none of this; only this check can.
#   check_i386.sh OBJDUMP FILE ALLOWED-MNEMONICS
set -euo pipefail
objdump=$1 file=$2 allowed=$3
[ -f "$file" ] || { echo "no such file: $file"; exit 1; }

# The linker ends .text with the constructor and destructor lists, data
# that objdump shows as (bad): -1, the entries, 0, for each. Nothing runs
# constructors in a freestanding program, so both lists must be empty,
# and only then is that tail left out of the disassembly.
stop=() fail=0
if [ "${file##*.}" = exe ]; then
  text=$(mktemp)
  trap 'rm -f "$text"' EXIT
  "${objdump%objdump}objcopy" -O binary --only-section=.text "$file" "$text"
  vma=$("$objdump" -h "$file" | awk '$2 == ".text" { print $4 }')
  tail=$(od -An -v -tx1 "$text" | tr -d ' \n' | sed 's/\(00\)*$//')
  empty_lists=ffffffff00000000ffffffff
  case "$tail" in
    *"$empty_lists") stop=(--stop-address=$((0x$vma + (${#tail} - ${#empty_lists}) / 2))) ;;
    *) echo "$(basename "$file"): .text does not end with empty constructor and destructor lists;" \
            "a static constructor would never run"; fail=1 ;;
  esac
fi

outside=$("$objdump" -d -M intel --no-show-raw-insn "${stop[@]}" "$file" | awk -v list="$allowed" '
  BEGIN {
    while ((getline line < list) > 0) {
      if (line ~ /^#/) continue
      n = split(line, words, " ")
      for (i = 1; i <= n; i++) ok[words[i]] = 1
    }
    split("lock rep repe repz repne repnz data16 data32 addr16 addr32 cs ds es fs gs ss", p, " ")
    for (i in p) prefix[p[i]] = 1
  }
  # "  401000:\tpush   ebp": the address, a tab, the instruction.
  /^ *[0-9a-f]+:\t/ {
    instruction = substr($0, index($0, "\t") + 1)
    n = split(instruction, words, " ")
    k = 1
    while (k < n && (words[k] in prefix)) k++
    mnemonic = words[k]
    # The one-byte NOP is an 8086 instruction; the long NOP 0F 1F, which
    # takes an operand, came with the Pentium Pro.
    if (mnemonic == "nop" && k < n) mnemonic = "nop(long)"
    if (!(mnemonic in ok)) print $1 "\t" mnemonic "\t" instruction
  }')

if [ -n "$outside" ]; then
  echo "$outside" | head -20
  echo "$(basename "$file"): $(wc -l <<<"$outside") instructions outside the 80386 + x87 set:" \
       "$(cut -f2 <<<"$outside" | sort -u | tr '\n' ' ')"
  exit 1
fi
[ "$fail" = 0 ] && echo "$(basename "$file"): every instruction is on the 80386 + x87 list"
exit "$fail"
