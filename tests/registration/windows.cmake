# The registration host tests in the Windows test tree (tests/wine): the same
# SDK-only sources against the real DLL under Wine, writing the prefix's
# registry and leaving it as they found it.
set(dir ${CMAKE_SOURCE_DIR}/tests/registration)
tovin_sdk_sources(registration_host_sources ${dir}/host_*.cpp)
tovin_windows_tests(registration_host_tests
  DIFFERENCES "Registration.TypeLibraryFlagsAreZero:Registration.AfterUserInstallLaterCallsStayPerUser:CommandLines/Install.CommandLineChoosesWhereRegistrationGoes/0:CommandLines/Install.CommandLineChoosesWhereRegistrationGoes/1:CommandLines/Install.CommandLineChoosesWhereRegistrationGoes/2"
  ${registration_host_sources})
target_include_directories(registration_host_tests PRIVATE ${CMAKE_SOURCE_DIR})
tovin_windows_path(dll "${TOVIN_WINDOWS_DLL}")
target_compile_definitions(registration_host_tests PRIVATE TOVINCOPYSHL_PATH="${dll}")
