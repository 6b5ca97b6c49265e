# The sources of the Windows API substitute, listed once for the shared
# library (platform/CMakeLists.txt) and the fuzz build's instrumented copy.
file(GLOB_RECURSE PLATFORM_SOURCES CONFIGURE_DEPENDS ${CMAKE_CURRENT_LIST_DIR}/src/*.cpp)
