# The bitmap tests written against the SDK alone, and the probe the Wine stage
# compares with the Linux build's (tests/wine/stage-bitmaps).
set(dir ${CMAKE_SOURCE_DIR}/tests/platform_gdi)
tovin_sdk_sources(platform_gdi_sources ${dir}/*_test.cpp)
# Wine 8 loads top-down bitmap files as black images.
tovin_windows_tests(platform_gdi_tests DIFFERENCES "Bitmap.DecodesTopDownRows" ${platform_gdi_sources})
add_executable(bitmap_probe ${dir}/bitmap_probe.cpp)
target_include_directories(bitmap_probe PRIVATE ${CMAKE_SOURCE_DIR}/tests)
target_link_libraries(bitmap_probe PRIVATE user32 gdi32)
