# The test compiler for a machine whose kernel runs no 32-bit code, where
# 32-bit Wine cannot start: the same sources built for x86-64 and run under
# 64-bit Wine, which is always an NT machine. The shipped programs stay the
# i686 build; only the binary checks look at them there.
set(VARNEL_MINGW_PROCESSOR x86_64)
include(${CMAKE_CURRENT_LIST_DIR}/mingw-common.cmake)
set(CMAKE_C_COMPILER x86_64-w64-mingw32-gcc-posix)
set(CMAKE_CXX_COMPILER x86_64-w64-mingw32-g++-posix)
