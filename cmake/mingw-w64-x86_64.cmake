# Cross toolchain for the 64-bit Windows DLL: Debian's MinGW-w64 x86_64
# compilers (g++-mingw-w64-x86-64, binutils-mingw-w64-x86-64) and widl
# (mingw-w64-tools).
set(CMAKE_SYSTEM_PROCESSOR x86_64)
set(TOOLCHAIN_PREFIX x86_64-w64-mingw32)
include(${CMAKE_CURRENT_LIST_DIR}/mingw-w64-common.cmake)
set(TOVINCOPYSHL_TYPELIB_SYSKIND win64 CACHE STRING "Type library system kind (win32 or win64)")
