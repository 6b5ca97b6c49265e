# The programs of the Wine stages (tests/wine/stage-*): the road host that
# plays the file manager against the registered library, the stand-in
# application it starts, the registry reader the stages check rows with, and
# the holder that keeps a DLL loaded through an upgrade.
set(dir ${CMAKE_SOURCE_DIR}/tests/wine/road)
add_executable(standin ${dir}/standin.cpp)

add_executable(hold ${dir}/hold.cpp)
target_link_options(hold PRIVATE -municode)

add_executable(keys ${dir}/keys.cpp)
target_link_options(keys PRIVATE -municode)
target_link_libraries(keys PRIVATE advapi32)

tovin_windows_path(road_dll "${TOVIN_WINDOWS_DLL}")
add_executable(road ${dir}/road.cpp ${CMAKE_SOURCE_DIR}/tests/activation/host_support.cpp)
target_include_directories(road PRIVATE ${CMAKE_SOURCE_DIR}/tests ${CMAKE_SOURCE_DIR}/tests/activation)
# host_support.cpp names the library it would load itself; the road never does.
target_compile_definitions(road PRIVATE TOVINCOPYSHL_PATH="${road_dll}")
target_link_options(road PRIVATE -municode)
target_link_libraries(road PRIVATE ole32 shell32 user32 gdi32 advapi32 uuid)
add_dependencies(road standin)
