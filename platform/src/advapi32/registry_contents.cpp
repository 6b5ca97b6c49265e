// The whole registry as text lines read in one transaction, for tests and
// fuzz targets that compare states far more often than a walk through the
// registry calls could afford.
#include <algorithm>

#include "advapi32/registry_state.h"
#include "platform_seams.h"

namespace registry {
namespace {

void AddKey(Store &store, int64_t id, const std::u16string &path, std::vector<std::u16string> *lines) {
  lines->push_back(path);
  for (const ValueRecord &value : store.Values(id)) {
    std::u16string line = path + u" : " + value.name + u" = ";
    line += static_cast<char16_t>(u'0' + value.type);
    for (unsigned char byte : value.data) line += static_cast<char16_t>(byte);
    lines->push_back(std::move(line));
  }
  for (const KeyRecord &child : store.Children(id)) AddKey(store, child.id, path + u"\\" + child.name, lines);
}

}  // namespace
}  // namespace registry

namespace seams {

std::vector<std::u16string> RegistryContents() {
  registry::State &state = registry::State::Get();
  std::lock_guard<std::mutex> lock(state.mutex);
  registry::Store &store = state.store();
  const struct {
    registry::Hive hive;
    const char16_t *name;
  } hives[] = {{registry::Hive::Machine, u"HKLM"},
               {registry::Hive::User, u"HKCU"},
               {registry::Hive::Users, u"HKU"},
               {registry::Hive::Config, u"HKCC"}};
  std::vector<std::u16string> lines;
  store.Begin(false);
  try {
    for (const auto &h : hives) registry::AddKey(store, store.Root(h.hive), h.name, &lines);
  } catch (...) {
    store.Rollback();
    throw;
  }
  store.Commit();
  std::sort(lines.begin(), lines.end());
  return lines;
}

}  // namespace seams
