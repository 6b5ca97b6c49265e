# The compiled resources of the library, made once per build tree from
# resources/ and carried by both builds: the Windows DLL links them as a COFF
# object, the Linux library carries the same .res bytes in its ELF section
# ".rsrc". Defines TOVINCOPYSHL_RES (the .res file) and TOVINCOPYSHL_TLB.
#
# widl stamps the type library with the time it ran; it runs under faketime
# frozen at a fixed moment so the bytes depend on the sources alone, and the
# two builds, on any machine, carry identical resources.

set(TOVINCOPYSHL_WIDL i686-w64-mingw32-widl CACHE FILEPATH "Interface description compiler")
set(TOVINCOPYSHL_WINDRES i686-w64-mingw32-windres CACHE FILEPATH "Resource compiler")
# The type library describes the DLL's architecture: RegisterTypeLib files it
# under win32 or win64 by this kind. The Linux library carries the 32-bit
# DLL's resources.
set(TOVINCOPYSHL_TYPELIB_SYSKIND win32 CACHE STRING "Type library system kind (win32 or win64)")
set(TOVINCOPYSHL_RESOURCE_TIME "2026-01-01 00:00:00" CACHE STRING
    "The compile time recorded in the type library (UTC)")
find_program(TOVINCOPYSHL_FAKETIME faketime REQUIRED)

set(TOVINCOPYSHL_RESOURCES ${CMAKE_SOURCE_DIR}/resources)
set(TOVINCOPYSHL_GENERATED ${CMAKE_BINARY_DIR}/resources)
file(MAKE_DIRECTORY ${TOVINCOPYSHL_GENERATED})

# The version of project() in CMakeLists.txt, for the version block of the
# resource script; scripts/check-dll reads the text form from this file too.
if(NOT PROJECT_VERSION MATCHES "^[0-9]+\\.[0-9]+\\.[0-9]+\\.[0-9]+$")
  message(FATAL_ERROR "project() VERSION must have four parts a.b.c.d, not '${PROJECT_VERSION}'")
endif()
set(TOVINCOPYSHL_VERSION_HEADER ${TOVINCOPYSHL_GENERATED}/version.h)
file(CONFIGURE OUTPUT ${TOVINCOPYSHL_VERSION_HEADER} CONTENT [[
// Written by cmake/resources.cmake from project(VERSION) in CMakeLists.txt.
#define TOVINCOPYSHL_VERSION @PROJECT_VERSION_MAJOR@,@PROJECT_VERSION_MINOR@,@PROJECT_VERSION_PATCH@,@PROJECT_VERSION_TWEAK@
#define TOVINCOPYSHL_VERSION_TEXT "@PROJECT_VERSION@"
]] @ONLY)

set(TOVINCOPYSHL_TLB ${TOVINCOPYSHL_GENERATED}/tovincopyshl.tlb)
set(TOVINCOPYSHL_RES ${TOVINCOPYSHL_GENERATED}/tovincopyshl.res)

set(frozen_widl ${CMAKE_COMMAND} -E env TZ=UTC ${TOVINCOPYSHL_FAKETIME} ${TOVINCOPYSHL_RESOURCE_TIME}
    ${TOVINCOPYSHL_WIDL} --nostdinc --${TOVINCOPYSHL_TYPELIB_SYSKIND} -I ${TOVINCOPYSHL_RESOURCES}/idl)

# stdole2.tlb holds IUnknown only, so tovincopyshl.tlb refers to it there and
# itself holds exactly its class and its interface.
add_custom_command(
  OUTPUT ${TOVINCOPYSHL_GENERATED}/stdole2.tlb
  COMMAND ${frozen_widl} -t -o ${TOVINCOPYSHL_GENERATED}/stdole2.tlb ${TOVINCOPYSHL_RESOURCES}/idl/stdole2.idl
  DEPENDS ${TOVINCOPYSHL_RESOURCES}/idl/stdole2.idl ${TOVINCOPYSHL_RESOURCES}/idl/unknwn.idl
  COMMENT "Building the standard OLE type library"
  VERBATIM)
add_custom_command(
  OUTPUT ${TOVINCOPYSHL_TLB}
  COMMAND ${frozen_widl} -L ${TOVINCOPYSHL_GENERATED} -t -o ${TOVINCOPYSHL_TLB}
          ${TOVINCOPYSHL_RESOURCES}/tovincopyshl.idl
  DEPENDS ${TOVINCOPYSHL_RESOURCES}/tovincopyshl.idl ${TOVINCOPYSHL_RESOURCES}/idl/unknwn.idl
          ${TOVINCOPYSHL_GENERATED}/stdole2.tlb
  COMMENT "Building the type library tovincopyshlLib"
  VERBATIM)
add_custom_command(
  OUTPUT ${TOVINCOPYSHL_RES}
  COMMAND ${TOVINCOPYSHL_WINDRES} -I ${TOVINCOPYSHL_RESOURCES} -I ${TOVINCOPYSHL_GENERATED}
          -i ${TOVINCOPYSHL_RESOURCES}/tovincopyshl.rc -O res -o ${TOVINCOPYSHL_RES}
  DEPENDS ${TOVINCOPYSHL_RESOURCES}/tovincopyshl.rc
          ${TOVINCOPYSHL_RESOURCES}/resource.h
          ${TOVINCOPYSHL_VERSION_HEADER}
          ${TOVINCOPYSHL_RESOURCES}/appid.rgs
          ${TOVINCOPYSHL_RESOURCES}/tovincopyshl_ext.rgs
          ${TOVINCOPYSHL_TLB}
  COMMENT "Compiling the resources of tovincopyshl"
  VERBATIM)
add_custom_target(tovincopyshl_resources DEPENDS ${TOVINCOPYSHL_RES} ${TOVINCOPYSHL_TLB})
