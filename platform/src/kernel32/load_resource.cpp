// LoadResource, LockResource and SizeofResource over the records that
// FindResourceW/ExW hand out as HRSRCs.
#include "core/seams_internal.h"
#include "kernel32/resource_image.h"
#include "kernel32/resource_seams.h"

namespace platform_resources {
namespace {

// The record of `resource` among the resources of `module` (null: the main
// program, as for FindResourceW); null with *error set when the module is
// unknown (ERROR_MOD_NOT_FOUND) or the HRSRC is not one of its resources
// (ERROR_INVALID_HANDLE). *image keeps the record alive.
const ResourceRecord *RecordOf(HMODULE module, HRSRC resource, std::shared_ptr<const ResourceImage> *image,
                               DWORD *error) {
  *error = ERROR_INVALID_HANDLE;
  if (!resource) return nullptr;
  if (DWORD found = ResourcesOf(module, image)) {
    *error = found;
    return nullptr;
  }
  return (*image)->Record(resource);
}

}  // namespace
}  // namespace platform_resources

HGLOBAL WINAPI LoadResource(HMODULE hModule, HRSRC hResInfo) {
  using namespace platform_resources;
  uint32_t code = 0;
  if (seams::Enter("LoadResource", SeamHandle(hResInfo), "module=" + SeamHandle(hModule), &code)) {
    SetLastError(code);
    return nullptr;
  }
  std::shared_ptr<const ResourceImage> image;
  DWORD error = 0;
  const ResourceRecord *record = RecordOf(hModule, hResInfo, &image, &error);
  if (!record) {
    SetLastError(error);
    return nullptr;
  }
  // The data stay where the module keeps them: the handle is their address, as
  // for a mapped image, and there is nothing to free.
  return const_cast<char *>(image->section.data() + record->offset);
}

LPVOID WINAPI LockResource(HGLOBAL hResData) { return hResData; }

DWORD WINAPI SizeofResource(HMODULE hModule, HRSRC hResInfo) {
  std::shared_ptr<const platform_resources::ResourceImage> image;
  DWORD error = 0;
  const platform_resources::ResourceRecord *record = platform_resources::RecordOf(hModule, hResInfo, &image, &error);
  if (!record) {
    SetLastError(error);
    return 0;
  }
  return record->size;
}
