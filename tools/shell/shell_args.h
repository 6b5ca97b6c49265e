// The command line of `shell`, parsed into a plain description. Only text
// work happens here; nothing is opened or created.
#pragma once
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace tools {

enum class ShellCommand { Menu, Invoke, Why };

struct ShellArgs {
  ShellCommand command = ShellCommand::Menu;
  bool help = false;                        // --help: print the usage, do nothing else
  std::vector<std::string> paths;           // the selection as given, UTF-8, at least one, none empty
  std::optional<std::string> item;          // invoke: the item's text
  std::optional<uint32_t> id;               // invoke: the item's command identifier
  uint32_t flags = 0;                       // QueryContextMenu flags (CMF_*)
  bool plain = false;                       // --plain: plain lines even on a colour terminal
};

// Parses the arguments after the program name. Returns true with *out
// filled, or false with *error set to a one-line reason (the usage follows it).
bool ParseShellArgs(const std::vector<std::string> &args, ShellArgs *out, std::string *error);

// Parses a --flags value: CMF_* names (case-insensitive, "CMF_" optional) and
// numbers (decimal or 0x-hexadecimal) joined by '|', ',' or '+'. Returns false
// for an unknown name, a bad number or an empty part.
bool ParseMenuFlags(const std::string &text, uint32_t *out);

// The usage text, ending in a newline.
const char *ShellUsage();

}  // namespace tools
