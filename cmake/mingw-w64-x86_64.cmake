# Cross toolchain for the 64-bit Windows DLL: Debian's MinGW-w64 x86_64
# compilers (g++-mingw-w64-x86-64, binutils-mingw-w64-x86-64) and widl
# (mingw-w64-tools).
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)

set(TOOLCHAIN_PREFIX x86_64-w64-mingw32)
set(CMAKE_C_COMPILER ${TOOLCHAIN_PREFIX}-gcc)
set(CMAKE_CXX_COMPILER ${TOOLCHAIN_PREFIX}-g++)
set(CMAKE_RC_COMPILER ${TOOLCHAIN_PREFIX}-windres)
set(CMAKE_AR ${TOOLCHAIN_PREFIX}-ar CACHE FILEPATH "Archiver")
set(CMAKE_RANLIB ${TOOLCHAIN_PREFIX}-ranlib CACHE FILEPATH "Archive indexer")

set(TOVINCOPYSHL_WIDL ${TOOLCHAIN_PREFIX}-widl CACHE FILEPATH "Interface description compiler")
set(TOVINCOPYSHL_WINDRES ${TOOLCHAIN_PREFIX}-windres CACHE FILEPATH "Resource compiler")
set(TOVINCOPYSHL_TYPELIB_SYSKIND win64 CACHE STRING "Type library system kind (win32 or win64)")

# Libraries and headers come from the MinGW-w64 sysroot only; programs run on
# the build machine.
set(CMAKE_FIND_ROOT_PATH /usr/${TOOLCHAIN_PREFIX})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)
