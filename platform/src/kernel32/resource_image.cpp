// Reading a module's resources from its file and keeping them with the module.
#include "kernel32/resource_image.h"

#include <map>
#include <mutex>

#include "kernel32/elf_sections.h"
#include "kernel32/loader_internal.h"

namespace platform_resources {
namespace {

std::shared_ptr<const ResourceImage> Unusable(DWORD error) {
  auto image = std::make_shared<ResourceImage>();
  image->error = error;
  return image;
}

// A module's file could not be read at first use: it has no resources to offer.
std::shared_ptr<const ResourceImage> ReadOrUnusable(const std::string &path) {
  std::shared_ptr<const ResourceImage> image;
  DWORD error = ReadResourceImage(path, &image);
  if (error) return Unusable(error == ERROR_BAD_EXE_FORMAT ? error : DWORD(ERROR_RESOURCE_DATA_NOT_FOUND));
  return image;
}

// Modules without a loader record (the main program, the libraries it was
// linked with, the system pseudo modules) stay for the life of the process, and
// so do their resources.
struct Lasting {
  std::mutex mutex;
  std::map<std::string, std::shared_ptr<const ResourceImage>> byPath;
};

Lasting &lasting() {
  static auto *l = new Lasting;  // used during static destruction too
  return *l;
}

}  // namespace

const ResourceRecord *ResourceImage::Record(HRSRC handle) const {
  // Compared as integers: the handle may point anywhere.
  uintptr_t first = reinterpret_cast<uintptr_t>(records.data()), at = reinterpret_cast<uintptr_t>(handle);
  if (!handle || records.empty() || at < first) return nullptr;
  uintptr_t distance = at - first;
  if (distance % sizeof(ResourceRecord) != 0 || distance / sizeof(ResourceRecord) >= records.size()) return nullptr;
  return &records[distance / sizeof(ResourceRecord)];
}

HRSRC ResourceImage::Handle(const ResourceRecord &record) const {
  return reinterpret_cast<HRSRC>(const_cast<ResourceRecord *>(&record));
}

DWORD ReadResourceImage(const std::string &path, std::shared_ptr<const ResourceImage> *image) {
  auto read = std::make_shared<ResourceImage>();
  bool found = false;
  if (DWORD error = platform_elf::ReadSection(path, ".rsrc", &read->section, &found)) return error;
  if (!found || read->section.empty()) read->error = ERROR_RESOURCE_DATA_NOT_FOUND;
  else read->error = ParseRes(read->section, &read->records);
  *image = std::move(read);
  return 0;
}

DWORD ResourcesOf(HMODULE module, std::shared_ptr<const ResourceImage> *image) {
  using namespace platform_loader;
  HMODULE handle = module ? module : MainProgram();
  {
    std::lock_guard<std::recursive_mutex> lock(LoaderLock());
    if (Module *m = FindRecord(handle)) {
      if (!m->resources) m->resources = ReadOrUnusable(m->path);
      *image = m->resources;
      return 0;
    }
  }
  std::string path;
  if (!ModulePath(handle, &path)) return ERROR_MOD_NOT_FOUND;
  Lasting &l = lasting();
  std::lock_guard<std::mutex> lock(l.mutex);
  auto &known = l.byPath[path];
  if (!known) known = ReadOrUnusable(path);
  *image = known;
  return 0;
}

}  // namespace platform_resources
