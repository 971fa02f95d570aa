#!/bin/bash
# In the emulated PC (tools/test.sh runs it there): the machine's root cannot
# be written, the project's tree can. Anywhere else it is skipped.
#   writes_only_the_tree.sh WORK-FOLDER
[ -n "${VARNEL_IN_PC:-}" ] || { echo "skipped: not in the emulated PC"; exit 77; }
if probe=$(mktemp -p /var/tmp 2>/dev/null); then
  rm -f "$probe"
  echo "FAILED: the PC wrote to /var/tmp"
  exit 1
fi
mkdir -p "$1" && touch "$1/probe" || { echo "FAILED: the PC cannot write to the tree"; exit 1; }
echo "ok: the root read-only, the tree writable"
