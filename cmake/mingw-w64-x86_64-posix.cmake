# The 64-bit cross toolchain with the posix thread model, for the Windows test
# programs: GoogleTest needs std::mutex, which the win32 model lacks. The
# programs run under Wine through tests/wine/wine-run, so ctest and
# gtest_discover_tests start them there.
set(CMAKE_SYSTEM_PROCESSOR x86_64)
set(TOOLCHAIN_PREFIX x86_64-w64-mingw32)
include(${CMAKE_CURRENT_LIST_DIR}/mingw-w64-common.cmake)
set(CMAKE_C_COMPILER ${TOOLCHAIN_PREFIX}-gcc-posix)
set(CMAKE_CXX_COMPILER ${TOOLCHAIN_PREFIX}-g++-posix)
set(CMAKE_CROSSCOMPILING_EMULATOR ${CMAKE_CURRENT_LIST_DIR}/../tests/wine/wine-run)
set(TOVINCOPYSHL_TYPELIB_SYSKIND win64 CACHE STRING "Type library system kind (win32 or win64)")
