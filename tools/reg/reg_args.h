// The reg command line as a plain description. Parsing touches no registry.
#pragma once
#include <windows.h>

#include <optional>
#include <string>
#include <vector>

#include "key_name.h"

enum class RegOperation { Help, Query, Add, Delete, Export, Import };

struct RegArgs {
  RegOperation operation = RegOperation::Help;
  RegOperation helpFor = RegOperation::Help;  // Help: whose usage to show (Help: the general one)
  tools::KeyName key;                          // query, add, delete, export
  std::u16string machine;                      // query, add, delete: the machine of a \\machine\ key name
  std::optional<std::u16string> value;         // /v NAME, or /ve as the empty name; add: always set
  bool allValues = false;                      // delete /va
  bool recurse = false;                        // query /s
  std::optional<std::u16string> search;        // query /f
  bool keysOnly = false;                       // query /k
  bool dataOnly = false;                       // query /d
  bool caseSensitive = false;                  // query /c
  bool exact = false;                          // query /e
  std::optional<DWORD> type;                   // /t; add: REG_SZ when absent
  std::string data;                            // add: the bytes to store, from /d
  bool force = false;                          // add /f, delete /f, export /y
  std::u16string file;                         // export, import
};

// Parses the arguments that follow the program name. Switches start with '/'
// or '-' and compare case-insensitively; a switch's argument is taken as it is.
// Returns true with *out filled, or false with *error holding the message
// lines for standard error ("ERROR: Invalid syntax.", then "Type "REG ADD /?"
// for usage."), lines ended by '\n'.
bool ParseRegArgs(const std::vector<std::u16string> &args, RegArgs *out, std::u16string *error);
