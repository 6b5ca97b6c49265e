# The activation host tests in the Windows test tree (tests/wine): the same
# SDK-only sources against the real DLL under Wine.
set(dir ${CMAKE_SOURCE_DIR}/tests/activation)
add_executable(activation_echo ${dir}/activation_echo.cpp)
target_link_libraries(activation_echo PRIVATE shell32)

tovin_sdk_sources(activation_host_sources ${dir}/host_*.cpp)
tovin_windows_tests(activation_host_tests ${activation_host_sources} ${dir}/host_support_win32.cpp)
tovin_windows_path(dll "${TOVIN_WINDOWS_DLL}")
tovin_windows_path(echo "${TOVIN_WINDOWS_BIN}/activation_echo.exe")
target_compile_definitions(activation_host_tests PRIVATE TOVINCOPYSHL_PATH="${dll}" ACTIVATION_ECHO_PATH="${echo}")
add_dependencies(activation_host_tests activation_echo)
