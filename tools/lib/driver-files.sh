# The installer's file table, read from installer/driver_files.h (and the
# targets' names from common/install_contract.h) so that the scripts never
# keep a copy of their own. Sourced; $1 of each function is the source
# tree's root.

# The source name of every row, in copy order ("Varnel.inf" twice).
driver_file_sources() {
  sed -n 's/^ *{"\([^"]*\)", *k[A-Za-z0-9]*},.*$/\1/p' "$1/installer/driver_files.h"
}

# The target of every row, relative to the Windows directory, with single
# backslashes.
driver_file_targets() {
  local name
  for name in $(sed -n 's/^ *{"[^"]*", *\(k[A-Za-z0-9]*\)},.*$/\1/p' "$1/installer/driver_files.h"); do
    sed -n "s/^inline constexpr char $name\[\] = \"\(.*\)\";\$/\1/p" "$1/common/install_contract.h"
  done | sed 's/\\\\/\\/g'
}
