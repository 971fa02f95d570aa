#!/bin/bash
# A stand-in for qemu-system-x86_64 in the emulated PC's checks: it boots
# nothing. Like qemu it writes to stderr before it opens its console file
# (appending or not, as told), then does what FAKE_QEMU says: run the job
# here (run), boot and hang (hang), never boot (noboot), or stay as a PC whose
# run was killed (leftover).
for arg; do
  case ${option:-} in
    -pidfile) echo $$ >"$arg" ;;
    -chardev) console=${arg#*path=} ;;
    -append) job=${arg##*varnel_job=} ;;
  esac
  option=$arg
done
echo "fake qemu: starting" >&2
case ${console:-} in *,append=on*) exec 3>>"${console%%,*}" ;; ?*) exec 3>"${console%%,*}" ;; esac
case $FAKE_QEMU in
  run) exec bash "$job" ;;
  hang) date +%s.%N >"${job%/job}/booted"; exec sleep 60 ;;
  noboot) exec sleep 60 ;;
  leftover) read -rt 60 <> <(:) ;;
esac
