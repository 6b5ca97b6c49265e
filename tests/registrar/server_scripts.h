// The server's two registry scripts, read from the resource files the
// library is built with, and the identifiers they name.
#pragma once
#include <fstream>
#include <iterator>
#include <string>

namespace registrar_test {

inline constexpr char kAppId[] = "{1BC25855-267B-479B-9D7D-6AD83DCCBD30}";
inline constexpr char kClassId[] = "{1955A1E8-C828-42AF-A571-081D65B07B83}";

// The bytes of resources/<file>; empty when it cannot be read.
inline std::string ReadResourceScript(const char *file) {
  std::ifstream in(std::string(TOVINCOPYSHL_RESOURCES_DIR) + "/" + file, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

// Resource 101, the application-identifier script.
inline std::string AppIdScript() { return ReadResourceScript("appid.rgs"); }
// Resource 102, the class script.
inline std::string ClassScript() { return ReadResourceScript("tovincopyshl_ext.rgs"); }

}  // namespace registrar_test
