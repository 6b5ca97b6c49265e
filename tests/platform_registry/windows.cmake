# The registry's contract tables in the Windows test tree (tests/wine): the
# SDK-only sources run against Wine's registry. The seam checks and what only
# the substitute keeps stay in the Linux tree. DIFFERENCES: where Wine is not
# Windows (tests/wine/differences.md).
tovin_sdk_sources(platform_registry_sources ${CMAKE_SOURCE_DIR}/tests/platform_registry/*_test.cpp)
tovin_windows_tests(platform_registry_tests
  DIFFERENCES "RegistryClasses.*:RegistryKeys.ValueAndClassesEnumerationByIndexFollowsChangesBetweenCalls:RegistryNames.ClassesHandlesEndInBinary10:RegistryValues.EnumerationKeepsTheOrderOfFirstSetting:RegistryValues.GetValueTerminatesStringsAndAdmitsAnyType:RegistryNames.NamesOf255UnitsAreKeptAnd256AreRefused:RegistryNames.TreesAre512LevelsDeep:RegistryKeys.DeleteTreeOfTheContentsTakesTheHandlesRights"
  ${platform_registry_sources})
