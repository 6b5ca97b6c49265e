# The COM, menu, shell and type-library contract tests in the Windows test
# tree: the SDK-only sources of this folder, the in-process server they
# register, the argument echo ShellExecuteW starts, and the Win32 host.
set(dir ${CMAKE_SOURCE_DIR}/tests/platform_com)
if(NOT TARGET tovincopyshl_resources)
  include(${CMAKE_SOURCE_DIR}/cmake/resources.cmake)
endif()

add_library(com_test_server MODULE ${dir}/test_server.cpp)
set_target_properties(com_test_server PROPERTIES PREFIX "")
target_link_options(com_test_server PRIVATE -Wl,--kill-at)
target_link_libraries(com_test_server PRIVATE ole32 uuid)
add_executable(echo_args ${dir}/echo_args.cpp)

# The type libraries the tests read, compiled for win32 as the Linux tree's
# are, so that both runtimes file them under the same platform key.
set(typelibs ${CMAKE_CURRENT_BINARY_DIR}/typelibs)
file(MAKE_DIRECTORY ${typelibs})
set(win32_widl ${CMAKE_COMMAND} -E env TZ=UTC ${TOVINCOPYSHL_FAKETIME} ${TOVINCOPYSHL_RESOURCE_TIME}
    ${TOVINCOPYSHL_WIDL} --nostdinc --win32 -I ${TOVINCOPYSHL_RESOURCES}/idl)
add_custom_command(
  OUTPUT ${typelibs}/stdole2.tlb ${typelibs}/tovincopyshl.tlb ${typelibs}/typelib_sample.tlb
  COMMAND ${win32_widl} -t -o ${typelibs}/stdole2.tlb ${TOVINCOPYSHL_RESOURCES}/idl/stdole2.idl
  COMMAND ${win32_widl} -L ${typelibs} -t -o ${typelibs}/tovincopyshl.tlb ${TOVINCOPYSHL_RESOURCES}/tovincopyshl.idl
  COMMAND ${win32_widl} -L ${typelibs} -t -o ${typelibs}/typelib_sample.tlb ${dir}/typelib_sample.idl
  DEPENDS ${TOVINCOPYSHL_RESOURCES}/idl/stdole2.idl ${TOVINCOPYSHL_RESOURCES}/tovincopyshl.idl ${dir}/typelib_sample.idl
  COMMENT "Building the tests' type libraries"
  VERBATIM)
add_custom_target(platform_com_typelibs
  DEPENDS ${typelibs}/stdole2.tlb ${typelibs}/tovincopyshl.tlb ${typelibs}/typelib_sample.tlb)

tovin_sdk_sources(platform_com_sources ${dir}/*_test.cpp)
list(FILTER platform_com_sources EXCLUDE REGEX "/gdi_[^/]*$")
tovin_windows_tests(platform_com_tests
  DIFFERENCES "TypeLibLoad.VirtualTableSizesCountThisProcesssPointers:TypeLibRegister.FlagsAreTheLibrarysOwn"
  ${platform_com_sources})
target_include_directories(platform_com_tests PRIVATE ${CMAKE_SOURCE_DIR}/tests)
tovin_windows_path(server "${TOVIN_WINDOWS_BIN}/com_test_server.dll")
tovin_windows_path(echo "${TOVIN_WINDOWS_BIN}/echo_args.exe")
tovin_windows_path(tlb "${typelibs}/tovincopyshl.tlb")
tovin_windows_path(stdole "${typelibs}/stdole2.tlb")
tovin_windows_path(sample "${typelibs}/typelib_sample.tlb")
target_compile_definitions(platform_com_tests PRIVATE
  COM_TEST_SERVER_PATH="${server}" ECHO_ARGS_PATH="${echo}" TOVINCOPYSHL_TLB_PATH="${tlb}"
  STDOLE2_TLB_PATH="${stdole}" TYPELIB_SAMPLE_PATH="${sample}")
add_dependencies(platform_com_tests com_test_server echo_args platform_com_typelibs)

add_executable(win32_host ${dir}/win32_host.cpp)
target_link_libraries(win32_host PRIVATE ole32 oleaut32 shell32 user32 gdi32 uuid)
target_compile_definitions(win32_host PRIVATE ECHO_ARGS_PATH="${echo}")
add_dependencies(win32_host echo_args)
add_test(NAME platform_com.win32_host COMMAND win32_host)
