#!/bin/bash
# Runs a command inside an emulated PC, for machines whose kernel runs no
# 32-bit code (and so no 32-bit Wine): qemu-system-x86_64 under software
# emulation boots Debian's own kernel (its IA-32 emulation is on) with a small
# busybox initramfs, which mounts this machine's root over virtfs, read-only,
# and the project's tree and the caller's TMPDIR writable, and runs the
# command there, in the same folder and environment, on the same paths.
# Its output is the PC's console, shown as it comes (less the kernel's
# messages) and kept in build/pc/NAME/console.log; the command's exit status is this script's.
#   tools/emulated-pc.sh COMMAND [ARG...]
# VARNEL_PC_TIMEOUT: seconds the command may take once the PC has booted
# (default 3600); CTest is told to stop its tests by then and report them.
# VARNEL_PC_BOOT_TIMEOUT: seconds the boot may take (default 300).
# For its own checks: VARNEL_PC_BOOT, the kernels' folder (/boot), and
# VARNEL_PC_DIR, the PC's folder (build/pc/NAME).
set -euo pipefail
{ # read whole before it runs: the script may be edited meanwhile
root=$(cd "$(dirname "$0")/.." && pwd)
script=$root/tools/emulated-pc.sh
[ $# -gt 0 ] || { echo "usage: $0 COMMAND [ARG...]" >&2; exit 2; }
# Everything in the PC takes ten times as long or more: the UI driver's waits
# grow by this factor, and tools/test.sh gives it to the tests' own timeouts.
time_scale=10
[ "$1" != --time-scale ] || { echo $time_scale; exit 0; }
pc=${VARNEL_PC_DIR:-$root/build/pc/$(basename "$1")}
log=$pc/console.log
qemu=
fail() { echo "Emulated PC: $*${qemu:+ (its console log: $log)}" >&2; exit 1; }
mkdir -p "$pc"
# One run at a time in a PC's folder; a second is refused and ends nothing.
# What runs on in the background is given no part in the lock (9>&-).
exec 9>>"$pc/lock"
flock -n 9 || fail "$pc is in use by another run (process $(cat "$pc/lock")); wait for it to end"
echo $$ >"$pc/lock"

# The newest kernel that runs 32-bit code: Debian's do, a host's own may not.
boot=${VARNEL_PC_BOOT:-/boot} kernel=
for config in $(printf '%s\n' "$boot"/config-* | sort -V); do
  if grep -qsx CONFIG_IA32_EMULATION=y "$config" && [ -f "$boot/vmlinuz-${config##*/config-}" ]; then
    kernel=$boot/vmlinuz-${config##*/config-}
  fi
done
[ -n "$kernel" ] || fail "no kernel in $boot whose config has CONFIG_IA32_EMULATION=y" \
  "(Debian's linux-image-amd64 has it)"
version=${kernel##*/vmlinuz-}
# The caller's TMPDIR, unless the PC has it anyway (its own /tmp, the tree),
# is shared at its path.
tmpdir=${TMPDIR:-}
case ${tmpdir%/} in ""|/tmp|"$root"|"$root"/*) tmpdir= ;; esac
[ -z "$tmpdir" ] || [ -d "$tmpdir" ] || fail "TMPDIR=$tmpdir is no folder"
# Memory for the lanes, one a CPU, within what this machine has free.
cpus=$(nproc)
memory=$(awk -v want=$((1024 + 1536 * cpus)) \
  '$1 == "MemAvailable:" { free = int($2 / 1024 * 3 / 4); print (want < free ? want : free) }' /proc/meminfo)

# The initramfs: busybox, the kernel's modules for virtio and 9p, and the
# init below. Made again when this script or the kernel is newer.
initrd=$(dirname "$pc")/initramfs-$version.cpio.gz
if [ ! "$initrd" -nt "$script" ] || [ ! "$initrd" -nt "$kernel" ]; then
  tree=$(dirname "$pc")/initramfs
  rm -rf "$tree"
  mkdir -p "$tree/bin" "$tree/modules" "$tree/dev" "$tree/proc" "$tree/sys" "$tree/root"
  cp /bin/busybox "$tree/bin/"
  n=10
  for module in $(for m in virtio_pci 9pnet_virtio 9p; do modprobe -S "$version" --show-depends $m; done |
    awk '$1 == "insmod" && !seen[$2]++ { print $2 }'); do
    cp "$module" "$tree/modules/$n-${module##*/}"
    n=$((n + 1))
  done
  sed -n '/^#!\/bin\/busybox sh$/,$p' "$script" | sed '/^: end of init$/q' >"$tree/init"
  chmod +x "$tree/init"
  (cd "$tree" && find . | cpio -o -H newc --quiet | gzip -1) >"$initrd.new"
  mv "$initrd.new" "$initrd"
fi

# The job: this environment, with no display of the host's (the PC makes
# its own) and a mark that it runs in the PC, then the command in this folder.
job=$pc/job
limit=${VARNEL_PC_TIMEOUT:-3600} boot_limit=${VARNEL_PC_BOOT_TIMEOUT:-300}
{
  export -p
  echo "unset DISPLAY XAUTHORITY; export VARNEL_IN_PC=1 VARNEL_TIME_SCALE=$time_scale"
  printf 'date +%%s.%%N >%q\n' "$pc/booted"
  printf 'cd %q && ' "$PWD"
  printf '%q ' "$@"
  [ "${1##*/}" != ctest ] || printf -- '--stop-time "$(date -d @$(($(date +%%s) + %d)) +%%T)"' "$limit"
  printf '\necho $? >%q\n' "$pc/status"
} >"$job"

# A PC left by a run that was cut short ends first, if it is one: its command
# line names this console log. A number now another process's is left alone.
console=file,id=console,path=$log,append=on
if [ -s "$pc/qemu.pid" ] && tr '\0' '\n' 2>/dev/null <"/proc/$(cat "$pc/qemu.pid")/cmdline" | grep -qxF -- "$console"; then
  kill -9 "$(cat "$pc/qemu.pid")" 2>/dev/null || true
fi
rm -f "$pc/booted" "$pc/status" "$pc/qemu.pid"
: >"$log"
now() { date +%s.%N; }
since() { awk -v a="$1" -v b="$(now)" 'BEGIN { printf "%.1f", b - a }'; }
over() { awk -v t="$(since "$1")" -v l="$2" 'BEGIN { exit !(t > l) }'; }
start=$(now)
echo "Emulated PC: booting $kernel, $cpus CPUs, $memory MiB" >&2
# A PC dies with this script, however it ends (setpriv: even on SIGKILL).
# qemu64, not max: with max's SMAP, qemu 7.2 faults Wine's 32-bit iret. The
# TSC as the clock, or every clock read is an emulated HPET access. The log
# is appended to, so that qemu's own messages stay in it.
share=security_model=passthrough,multidevs=remap
setpriv --pdeathsig KILL qemu-system-x86_64 -nodefaults -no-user-config -no-reboot \
  -accel tcg,thread=multi -cpu qemu64 -smp "$cpus" -m "$memory" -display none \
  -kernel "$kernel" -initrd "$initrd" -chardev "$console" -serial chardev:console -pidfile "$pc/qemu.pid" \
  -virtfs local,path=/,mount_tag=root,$share,readonly=on \
  -virtfs local,path="$root",mount_tag=tree,$share \
  ${tmpdir:+-virtfs "local,path=$tmpdir,mount_tag=tmpdir,$share"} \
  -append "console=ttyS0 quiet panic=-1 tsc=reliable clocksource=tsc varnel_tree=$root varnel_tmpdir=$tmpdir varnel_job=$job" \
  </dev/null >>"$log" 2>&1 9>&- &
qemu=$!
disown $qemu  # its end by a kill is no news
# Shown without the kernel's own lines, which the log keeps.
{ tail -n +1 -s 0.2 -f --pid=$qemu "$log" | grep --line-buffered -v '^\[ *[0-9]*\.[0-9]*\] '; } 9>&- &
shown=$!
trap 'kill -9 $qemu 2>/dev/null || true; sleep 0.3; kill $shown 2>/dev/null || true' EXIT
trap 'exit 130' INT
trap 'exit 143' TERM HUP
# Whoever started this ending (a test run cut short) ends the PC too. The
# command has a minute past its limit (less for a short one) to end.
parent=$PPID
grace=$((limit < 60 ? limit : 60))
booted=
while kill -0 $qemu 2>/dev/null; do
  if [ -z "$booted" ] && [ -f "$pc/booted" ]; then
    booted=$(now)
    echo "Emulated PC: booted in $(since "$start") s" >&2
  fi
  if [ -z "$booted" ]; then
    ! over "$start" "$boot_limit" || fail "did not boot within $boot_limit s (VARNEL_PC_BOOT_TIMEOUT)"
  elif over "$booted" $((limit + grace)); then
    fail "the command did not end within $limit s of the boot (VARNEL_PC_TIMEOUT)"
  fi
  kill -0 "$parent" 2>/dev/null || fail "ended: what started it has gone"
  sleep 0.5
done
[ -f "$pc/booted" ] || fail "stopped before it booted"
booted=${booted:-$(cat "$pc/booted")}
[ -s "$pc/status" ] || fail "stopped before the command ended"
echo "Emulated PC: the command ran $(since "$booted") s, exit status $(cat "$pc/status")" >&2
exit "$(cat "$pc/status")"
}

# The PC's init. The root comes over 9p, and the caller's TMPDIR and the
# project's tree too, each at its own path (beneath the PC's tmpfs /tmp when
# it is under /tmp; the tree last, as it may be inside the TMPDIR). Written data
# goes out within 0.1 s, so that a PC killed half-way loses about what a
# killed process would. The job's machine gets fresh /proc, /sys, /dev and
# tmpfs where programs keep sockets and scratch (the X server its keymaps).
#!/bin/busybox sh
/bin/busybox --install -s /bin
export PATH=/bin
mount -t devtmpfs dev /dev
exec </dev/console >/dev/console 2>&1
stty -onlcr  # lines as the command wrote them
mount -t proc proc /proc
for module in /modules/*.ko; do insmod "$module"; done
share() { mkdir -p "/root$2" && mount -t 9p -o trans=virtio,version=9p2000.L,cache=loose,msize=512000 "$1" "/root$2"; }
share root / || poweroff -f
for dir in tmp run var/lib/xkb; do mount -t tmpfs scratch "/root/$dir"; done
[ -z "$varnel_tmpdir" ] || share tmpdir "$varnel_tmpdir" || poweroff -f
share tree "$varnel_tree" || poweroff -f
echo 10 >/proc/sys/vm/dirty_expire_centisecs
echo 10 >/proc/sys/vm/dirty_writeback_centisecs
mount -t proc proc /root/proc
mount -t sysfs sys /root/sys
mount -t devtmpfs dev /root/dev
mkdir -p /root/dev/shm /root/dev/pts
mount -t tmpfs shm /root/dev/shm
mount -t devpts pts /root/dev/pts
ln -sf /proc/self/fd /root/dev/fd
ifconfig lo 127.0.0.1 up
# Through a pipe, as from a script: on a terminal Wine's console draws.
chroot /root /bin/bash "$varnel_job" </dev/null 2>&1 | cat
sync
poweroff -f
: end of init
