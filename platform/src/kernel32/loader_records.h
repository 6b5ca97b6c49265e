// Record keeping inside the loader. Call everything here with LoaderLock held.
#pragma once
#include <memory>
#include <string>

#include "kernel32/loader_internal.h"

namespace platform_loader {

// The executable (data = false) or data-file record of an absolute path, or null.
Module *FindRecordByPath(const std::string &path, bool data);

// Takes ownership and files the record under its handle; a data record is first
// given a handle of its own (odd, so it never equals a mapping's base).
Module *AddRecord(std::unique_ptr<Module> module);

// Destroys the record of the handle.
void RemoveRecord(HMODULE handle);

}  // namespace platform_loader
