# The 32-bit Windows DLL, built from the system sources against the MinGW-w64 SDK.
message(STATUS "Windows build: not yet assembled")
