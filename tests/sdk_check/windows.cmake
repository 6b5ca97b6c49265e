# The SDK values and layouts, checked at compile time against MinGW's headers.
add_library(sdk_layout_check OBJECT ${CMAKE_SOURCE_DIR}/tests/sdk_check/sdk_layout.cpp)
