# The test compiler: posix thread model, for GoogleTest's std::mutex. Its
# winpthreads needs Windows XP, so nothing built with it is ever shipped.
set(VARNEL_MINGW_PROCESSOR i686)
include(${CMAKE_CURRENT_LIST_DIR}/mingw-common.cmake)
set(CMAKE_C_COMPILER i686-w64-mingw32-gcc-posix)
set(CMAKE_CXX_COMPILER i686-w64-mingw32-g++-posix)
