# The link stamp of a PE program: its header's TimeDateStamp, which the build
# makes the commit's time (cmake/stamp.cmake).
pe_stamp() {
  local pe
  pe=$(od -An -tu4 -j60 -N4 "$1")
  od -An -tu4 -j$((pe + 8)) -N4 "$1" | tr -d ' '
}
