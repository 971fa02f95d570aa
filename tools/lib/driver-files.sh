# The installer's file table, read from installer/driver_files.h so that the
# scripts never keep a copy of their own. Sourced; $1 of each function is
# the source tree's root.

# The source name of every row, in copy order ("Varnel.inf" twice).
driver_file_sources() {
  sed -n 's/^ *{"\([^"]*\)", *"[^"]*"},.*$/\1/p' "$1/installer/driver_files.h"
}

# The target of every row, relative to the Windows directory, with single
# backslashes.
driver_file_targets() {
  sed -n 's/^ *{"[^"]*", *"\([^"]*\)"},.*$/\1/p' "$1/installer/driver_files.h" | sed 's/\\\\/\\/g'
}
