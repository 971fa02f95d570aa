# The driver medium, from the shipping build only:
#   cmake --build --preset release --target medium
# VARNEL_DRIVER_FILES names the folder of the driver's own files; left empty,
# the medium is a demo one with stand-ins. VARNEL_MEDIUM_ISO, when set, is the
# CD image of the medium that the target writes as well.
if(VARNEL_TESTS)
  return()
endif()
set(VARNEL_DRIVER_FILES "" CACHE PATH "Folder of the driver's own files for the medium (empty: a demo medium)")
set(VARNEL_MEDIUM_DIR "${PROJECT_SOURCE_DIR}/build/medium" CACHE PATH "Where the medium's folder is made")
set(VARNEL_MEDIUM_ISO "" CACHE FILEPATH "CD image of the medium to write as well (empty: none)")
set(varnel_medium_iso_args)
if(VARNEL_MEDIUM_ISO)
  set(varnel_medium_iso_args --iso ${VARNEL_MEDIUM_ISO})
endif()
# The programs are built first, through the dependencies, so no build here.
add_custom_target(medium
  COMMAND bash ${PROJECT_SOURCE_DIR}/tools/make-medium.sh --no-build --build ${CMAKE_BINARY_DIR}
          --out ${VARNEL_MEDIUM_DIR} ${varnel_medium_iso_args} ${VARNEL_DRIVER_FILES}
  USES_TERMINAL VERBATIM)
add_dependencies(medium InstVarnel UnVarnel)
