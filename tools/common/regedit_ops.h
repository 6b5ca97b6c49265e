// The operations of a regedit file: what reading one produces and writing one
// takes.
#pragma once
#include <windows.h>

#include <string>
#include <vector>

namespace tools {

enum class RegeditAction {
  CreateKey,    // [KEY]: creates the key; the values that follow belong to it
  DeleteKey,    // [-KEY]: deletes the key and everything below it
  SetValue,     // "name"=data or @=data
  DeleteValue,  // "name"=- or @=-
};

struct RegeditOp {
  RegeditAction action = RegeditAction::CreateKey;
  std::u16string key;   // the full key name with the long root name
  std::u16string name;  // the value name; empty for the default value
  DWORD type = REG_NONE;
  std::string data;  // the value's bytes as stored
  size_t line = 0;   // the file line it was read from; 0 when not read from a file

  // Equal in everything but the line.
  bool SameAs(const RegeditOp &other) const {
    return action == other.action && key == other.key && name == other.name && type == other.type &&
           data == other.data;
  }
};

}  // namespace tools
