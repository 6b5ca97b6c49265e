// The resources of a module: its file's ".rsrc" section and the records parsed
// from it, shared by the resource services.
#pragma once
#include <windows.h>

#include <memory>
#include <string>
#include <vector>

#include "kernel32/resource_directory.h"

namespace platform_resources {

struct ResourceImage {
  // 0 when `records` can be searched; else what a search fails with:
  // ERROR_RESOURCE_DATA_NOT_FOUND (no or an empty ".rsrc", or a file that can
  // no longer be read), ERROR_BAD_EXE_FORMAT (not a well-formed ELF object) or
  // ERROR_INVALID_DATA (a damaged ".rsrc": told apart from a module without
  // resources so that a broken build shows itself).
  DWORD error = 0;
  std::string section;
  std::vector<ResourceRecord> records;  // never resized once built: HRSRCs point at them

  // The record an HRSRC stands for, or null when it is not one of `records`.
  const ResourceRecord *Record(HRSRC handle) const;
  // The HRSRC of one of `records`.
  HRSRC Handle(const ResourceRecord &record) const;
};

// Reads the resources of the ELF file at `path`. Returns 0 and sets *image,
// whose own `error` tells whether it has searchable resources; or the file's
// error (ERROR_MOD_NOT_FOUND, ERROR_ACCESS_DENIED, ERROR_BAD_EXE_FORMAT) with
// *image untouched.
DWORD ReadResourceImage(const std::string &path, std::shared_ptr<const ResourceImage> *image);

// The resources of a module handle (null: the main program), read from its
// file on first use and kept as long as the module stays loaded. Returns 0 and
// sets *image, or ERROR_MOD_NOT_FOUND for a handle that is no module.
DWORD ResourcesOf(HMODULE module, std::shared_ptr<const ResourceImage> *image);

}  // namespace platform_resources
