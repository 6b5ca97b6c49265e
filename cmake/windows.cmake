# The Windows DLL, 32-bit or 64-bit after the toolchain, built from the
# system sources against the MinGW-w64 SDK headers. No platform/ code takes
# part: the system includes the SDK's own <windows.h>, <objbase.h>, <shlobj.h>
# and links the system DLLs' import libraries.

# Run as a script after the link (cmake -DTOVINCOPYSHL_LINK_MAP=... -P this
# file): fails when the linker took DllMain (DllMain@12 on i386) from the
# run-time library, which supplies a do-nothing one whenever the sources'
# DllMain is missing or not extern "C" WINAPI, and the DLL would load without
# ever running it.
if(CMAKE_SCRIPT_MODE_FILE)
  file(READ ${TOVINCOPYSHL_LINK_MAP} map)
  string(FIND "${map}" "(${TOVINCOPYSHL_DLLMAIN})" at)
  if(NOT at EQUAL -1)
    message(FATAL_ERROR "tovincopyshl.dll: ${TOVINCOPYSHL_DLLMAIN} came from the run-time library; "
                        "the system's DllMain must be extern \"C\" BOOL WINAPI DllMain(HINSTANCE, DWORD, LPVOID)")
  endif()
  return()
endif()

include(${CMAKE_CURRENT_LIST_DIR}/resources.cmake)

# The DLL links the shared .res, turned into a COFF object.
set(TOVINCOPYSHL_RES_OBJECT ${TOVINCOPYSHL_GENERATED}/tovincopyshl_res.obj)
add_custom_command(
  OUTPUT ${TOVINCOPYSHL_RES_OBJECT}
  COMMAND ${CMAKE_RC_COMPILER} -J res -i ${TOVINCOPYSHL_RES} -O coff -o ${TOVINCOPYSHL_RES_OBJECT}
  DEPENDS ${TOVINCOPYSHL_RES}
  COMMENT "Converting the resources of tovincopyshl.dll"
  VERBATIM)
set_source_files_properties(${TOVINCOPYSHL_RES_OBJECT} PROPERTIES EXTERNAL_OBJECT TRUE GENERATED TRUE)

# The .def maps each export to its i386 __stdcall symbol; x86_64 has one
# calling convention and undecorated symbols, so there the mapping goes.
set(TOVINCOPYSHL_DEF ${CMAKE_SOURCE_DIR}/module/tovincopyshl.def)
set(TOVINCOPYSHL_DLLMAIN DllMain@12)
if(CMAKE_SIZEOF_VOID_P EQUAL 8)
  set(TOVINCOPYSHL_DLLMAIN DllMain)
  file(READ ${TOVINCOPYSHL_DEF} def)
  string(REGEX REPLACE "= *[A-Za-z_]+@[0-9]+" "" def "${def}")
  set(TOVINCOPYSHL_DEF ${TOVINCOPYSHL_GENERATED}/tovincopyshl.def)
  file(CONFIGURE OUTPUT ${TOVINCOPYSHL_DEF} CONTENT "${def}" @ONLY)
  set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/module/tovincopyshl.def)
endif()
# TOVINCOPYSHL_SOURCES: the list CMakeLists.txt globs for both builds.
add_library(tovincopyshl SHARED ${TOVINCOPYSHL_SOURCES} ${TOVINCOPYSHL_DEF} ${TOVINCOPYSHL_RES_OBJECT})
set_target_properties(tovincopyshl PROPERTIES PREFIX "" OUTPUT_NAME tovincopyshl DEFINE_SYMBOL "")
target_include_directories(tovincopyshl PRIVATE ${CMAKE_SOURCE_DIR})
target_compile_definitions(tovincopyshl PRIVATE
  UNICODE _UNICODE NOMINMAX _WIN32_WINNT=0x0600 WINVER=0x0600)
# Everything from the compiler's own run time is linked in (-static also keeps
# libwinpthread out), so the DLL imports system DLLs only.
set(TOVINCOPYSHL_LINK_MAP ${CMAKE_BINARY_DIR}/tovincopyshl.dll.map)
target_link_options(tovincopyshl PRIVATE
  -static -static-libgcc -static-libstdc++
  -Wl,--no-undefined -Wl,-Map=${TOVINCOPYSHL_LINK_MAP}
  $<$<CONFIG:Release>:-s>)
add_custom_command(TARGET tovincopyshl POST_BUILD
  COMMAND ${CMAKE_COMMAND} -DTOVINCOPYSHL_LINK_MAP=${TOVINCOPYSHL_LINK_MAP}
          -DTOVINCOPYSHL_DLLMAIN=${TOVINCOPYSHL_DLLMAIN} -P ${CMAKE_CURRENT_LIST_FILE}
  VERBATIM)
target_link_libraries(tovincopyshl PRIVATE
  shell32 ole32 oleaut32 advapi32 user32 gdi32 kernel32 uuid)
