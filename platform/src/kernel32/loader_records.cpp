// The loader's records of the modules it has loaded.
#include <map>
#include <memory>

#include "kernel32/loader_internal.h"
#include "kernel32/loader_records.h"

namespace platform_loader {
namespace {

std::map<HMODULE, std::unique_ptr<Module>> &records() {
  static auto *r = new std::map<HMODULE, std::unique_ptr<Module>>;  // used during static destruction too
  return *r;
}

}  // namespace

std::recursive_mutex &LoaderLock() {
  static auto *lock = new std::recursive_mutex;
  return *lock;
}

Module *FindRecord(HMODULE handle) {
  auto it = records().find(handle);
  return it == records().end() ? nullptr : it->second.get();
}

Module *FindRecordByPath(const std::string &path, bool data) {
  for (auto &entry : records())
    if (entry.second->path == path && entry.second->data == data) return entry.second.get();
  return nullptr;
}

Module *AddRecord(std::unique_ptr<Module> module) {
  if (module->data) module->handle = reinterpret_cast<HMODULE>(reinterpret_cast<uintptr_t>(module.get()) | 1);
  Module *raw = module.get();
  records()[raw->handle] = std::move(module);
  return raw;
}

void RemoveRecord(HMODULE handle) { records().erase(handle); }

bool ModulePath(HMODULE handle, std::string *path, bool *isData) {
  if (isData) *isData = false;
  if (!handle) handle = MainProgram();
  {
    std::lock_guard<std::recursive_mutex> lock(LoaderLock());
    if (Module *m = FindRecord(handle)) {
      if (path) *path = m->path;
      if (isData) *isData = m->data;
      return true;
    }
  }
  if (SystemModuleName(handle)) {
    if (path) *path = SubstitutePath();
    return !SubstitutePath().empty();
  }
  return ObjectPath(handle, path);
}

}  // namespace platform_loader
