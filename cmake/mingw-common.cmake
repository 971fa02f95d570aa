# Shared part of the MinGW-w64 toolchains: a Windows target for the processor
# the including file names in VARNEL_MINGW_PROCESSOR (i686, or x86_64 for the
# tests on a machine that runs no 32-bit code), with that target's tools.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR ${VARNEL_MINGW_PROCESSOR})
set(CMAKE_RC_COMPILER ${VARNEL_MINGW_PROCESSOR}-w64-mingw32-windres)
set(CMAKE_FIND_ROOT_PATH /usr/${VARNEL_MINGW_PROCESSOR}-w64-mingw32)
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(VARNEL_OBJDUMP ${VARNEL_MINGW_PROCESSOR}-w64-mingw32-objdump)
