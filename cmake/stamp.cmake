# The shipped programs' link stamp is the commit's time, not the build's, so
# that one commit builds the same bytes wherever and whenever it is built and
# a medium can be checked against a build of its commit. GNU ld takes the PE
# TimeDateStamp, and with it the checksum, from SOURCE_DATE_EPOCH: the one
# given when the build is configured, else the last commit's date. A given
# one is kept for every later configure, the build's own re-configures among
# them, which run without it; another is refused.
if(DEFINED ENV{SOURCE_DATE_EPOCH})
  if(DEFINED CACHE{VARNEL_SOURCE_DATE_EPOCH} AND NOT "$ENV{SOURCE_DATE_EPOCH}" STREQUAL "${VARNEL_SOURCE_DATE_EPOCH}")
    message(FATAL_ERROR "This build was configured with SOURCE_DATE_EPOCH=${VARNEL_SOURCE_DATE_EPOCH}, now it is "
      "$ENV{SOURCE_DATE_EPOCH}: use another build folder, or configure with -U VARNEL_SOURCE_DATE_EPOCH.")
  endif()
  set(VARNEL_SOURCE_DATE_EPOCH "$ENV{SOURCE_DATE_EPOCH}" CACHE STRING "The SOURCE_DATE_EPOCH this build was configured with")
endif()
if(DEFINED CACHE{VARNEL_SOURCE_DATE_EPOCH})
  set(VARNEL_STAMP "${VARNEL_SOURCE_DATE_EPOCH}")
else()
  execute_process(COMMAND git log -1 --format=%ct
                  WORKING_DIRECTORY ${PROJECT_SOURCE_DIR}
                  OUTPUT_VARIABLE VARNEL_STAMP OUTPUT_STRIP_TRAILING_WHITESPACE ERROR_QUIET)
  # A commit or a checkout moves HEAD's log: the build is configured again
  # and the programs relinked with the new commit's time.
  execute_process(COMMAND git rev-parse --path-format=absolute --git-path logs/HEAD
                  WORKING_DIRECTORY ${PROJECT_SOURCE_DIR}
                  OUTPUT_VARIABLE head_log OUTPUT_STRIP_TRAILING_WHITESPACE ERROR_QUIET)
  if(head_log AND EXISTS "${head_log}")
    set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS "${head_log}")
  endif()
endif()
if(VARNEL_STAMP MATCHES "^[0-9]+$")
  set(CMAKE_CXX_LINKER_LAUNCHER ${CMAKE_COMMAND} -E env SOURCE_DATE_EPOCH=${VARNEL_STAMP})
else()
  message(WARNING "No SOURCE_DATE_EPOCH and no git history: the programs carry the time they are linked.")
endif()
