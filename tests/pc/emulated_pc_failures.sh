#!/bin/bash
# The emulated PC's failure paths, with stand-ins for qemu (fake_qemu.sh) and
# for /boot, so that no PC boots: no kernel that runs 32-bit code, a PC that
# does not boot, commands past their limit, a leftover of a killed run, a
# process that took a leftover's number, a second run.
#   emulated_pc_failures.sh SOURCE-ROOT WORK-FOLDER
set -uo pipefail
root=$1 work=$2 pc=$2/pc
rm -rf "$work"
mkdir -p "$work/bin" "$work/boot" "$work/empty" "$pc"
ln -s "$root/tests/pc/fake_qemu.sh" "$work/bin/qemu-system-x86_64"
export PATH=$work/bin:$PATH VARNEL_PC_BOOT=$work/boot VARNEL_PC_DIR=$pc
# Two kernels, the newer without IA-32 emulation; the initramfs is made.
touch -d 2000-01-01 "$work/boot/vmlinuz-6.1.0-check" "$work/boot/vmlinuz-9.0.0-check"
echo CONFIG_IA32_EMULATION=y >"$work/boot/config-6.1.0-check"
echo '# CONFIG_IA32_EMULATION is not set' >"$work/boot/config-9.0.0-check"
touch "$work/initramfs-6.1.0-check.cpio.gz"

failures=0
check() {  # check DESCRIPTION CONDITION
  if eval "$2"; then echo "ok: $1"; else echo "FAILED: $1"; failures=$((failures + 1)); fi
}
run() {  # run OUTPUT MODE COMMAND...: the PC with the stand-in in MODE
  { FAKE_QEMU=$2 "$root/tools/emulated-pc.sh" "${@:3}"; } >"$work/$1" 2>&1
}
said() { grep -qF -- "$2" "$work/$1"; }
ended_by_pc() {  # ended_by_pc PID: the PC killed it (else it is ended now)
  kill "$1" 2>/dev/null; wait "$1"; [ $? = 137 ]
}

VARNEL_PC_BOOT=$work/empty run no-kernel.out run true
check "no kernel: refused, and said so" '[ $? = 1 ] && said no-kernel.out "no kernel in $work/empty"'

sleep 60 & stranger=$!
echo $stranger >"$pc/qemu.pid"
run ok.out run true
check "the kernel that runs 32-bit code boots, named" '[ $? = 0 ] && said ok.out "booting $work/boot/vmlinuz-6.1.0-check"'
check "a process that took a leftover's number is left alone" '! ended_by_pc $stranger'

FAKE_QEMU=leftover qemu-system-x86_64 -chardev "file,id=console,path=$pc/console.log,append=on" 2>/dev/null &
leftover=$!
echo $leftover >"$pc/qemu.pid"
run leftover.out run true
check "a leftover of a killed run, its console log named, is ended" 'ended_by_pc $leftover'

VARNEL_PC_BOOT_TIMEOUT=1 run noboot.out noboot true
check "a PC that does not boot is ended, its log keeping qemu's words" \
  '[ $? = 1 ] && said noboot.out "did not boot within 1 s" && grep -q "fake qemu: starting" "$pc/console.log"'

mkdir -p "$work/project"
printf 'add_test(quick true)\nadd_test(slow sleep 30)\n' >"$work/project/CTestTestfile.cmake"
(cd "$work/project" && VARNEL_PC_TIMEOUT=2 run ctest.out run ctest)
check "CTest past its limit stops and reports what finished" \
  '[ $? != 0 ] && said ctest.out "Test #1: quick ...." && said ctest.out "slow (Timeout)"'

rm -f "$pc/booted"
VARNEL_PC_TIMEOUT=2 run hang.out hang true & first=$!
for _ in $(seq 50); do [ -f "$pc/booted" ] && break; sleep 0.1; done
run second.out run true
check "a second run is refused, and the first goes on" '[ $? = 1 ] && said second.out "in use by another run" && kill -0 $first'
wait $first
check "a command past its limit is ended with its PC" '[ $? = 1 ] && said hang.out "did not end within 2 s of the boot"'

[ "$failures" -eq 0 ] || { echo "$failures check(s) failed"; exit 1; }
echo "all checks passed"
