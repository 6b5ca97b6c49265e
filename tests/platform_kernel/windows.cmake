# The kernel contract tests in the Windows test tree: the SDK-only sources of
# this folder and the two libraries of the loader's entry-function protocol.
set(dir ${CMAKE_SOURCE_DIR}/tests/platform_kernel)
if(NOT TARGET tovincopyshl_resources)
  include(${CMAKE_SOURCE_DIR}/cmake/resources.cmake)
endif()

add_library(plain_dll MODULE ${dir}/plain_dll.cpp)
add_library(refusing_dll MODULE ${dir}/refusing_dll.cpp)
set_target_properties(plain_dll refusing_dll PROPERTIES PREFIX "")

tovin_sdk_sources(platform_kernel_sources ${dir}/*_test.cpp ${dir}/*_win32.cpp)
tovin_windows_tests(platform_kernel_tests
  DIFFERENCES "Memory.UnlockingAFreedHandleSucceedsWithInvalidHandle"
  ${platform_kernel_sources})
target_include_directories(platform_kernel_tests PRIVATE ${CMAKE_SOURCE_DIR}/tests)
tovin_windows_path(plain "${TOVIN_WINDOWS_BIN}/plain_dll.dll")
tovin_windows_path(refusing "${TOVIN_WINDOWS_BIN}/refusing_dll.dll")
tovin_windows_path(dll "${TOVIN_WINDOWS_DLL}")
tovin_windows_path(resources "${CMAKE_SOURCE_DIR}/resources")
target_compile_definitions(platform_kernel_tests PRIVATE
  PLAIN_DLL_PATH="${plain}" REFUSING_DLL_PATH="${refusing}" TOVINCOPYSHL_PATH="${dll}" RESOURCES_DIR="${resources}")
add_dependencies(platform_kernel_tests plain_dll refusing_dll)
