# Cross toolchain for the 32-bit Windows DLL: Debian's MinGW-w64 i686
# compilers (g++-mingw-w64-i686, binutils-mingw-w64-i686) and widl
# (mingw-w64-tools).
set(CMAKE_SYSTEM_PROCESSOR i686)
set(TOOLCHAIN_PREFIX i686-w64-mingw32)
include(${CMAKE_CURRENT_LIST_DIR}/mingw-w64-common.cmake)
