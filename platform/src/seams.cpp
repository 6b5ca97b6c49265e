#include "seams_internal.h"

#include <map>
#include <mutex>
#include <string_view>
#include <strings.h>

#include "locale_internal.h"
#include "kernel_utf.h"
#include "platform_seams.h"

namespace seams {
namespace {

struct Fault {
  std::string operation;
  uint32_t code;
  unsigned onCall;  // 0 = every call; else the Nth call counted from arming.
  std::string subject;
  unsigned seen = 0;
};

struct State {
  std::mutex mutex;
  bool recording = false;
  std::vector<Call> calls;
  std::map<std::string, unsigned, std::less<>> counts;  // found by any text without a copy
  std::vector<Fault> faults;
  std::vector<std::pair<std::string, std::string>> hidden;
};

State &state() {
  static State *s = new State;  // never destroyed: used during static destruction too
  return *s;
}

bool SameText(const std::string &a, const std::string &b) {
  return a.size() == b.size() && strncasecmp(a.data(), b.data(), a.size()) == 0;
}

void Count(State &s, const char *operation) {
  auto it = s.counts.find(std::string_view(operation));
  if (it != s.counts.end()) ++it->second;
  else s.counts.emplace(operation, 1);
}

}  // namespace

void Reset() {
  State &s = state();
  std::lock_guard<std::mutex> lock(s.mutex);
  s.recording = false;
  s.calls.clear();
  s.counts.clear();
  s.faults.clear();
  s.hidden.clear();
  platform_locale::ResetDefaults();
}

void SetRecording(bool on) {
  State &s = state();
  std::lock_guard<std::mutex> lock(s.mutex);
  s.recording = on;
}

std::vector<Call> Calls() {
  State &s = state();
  std::lock_guard<std::mutex> lock(s.mutex);
  return s.calls;
}

std::vector<Call> Calls(const std::string &operation) {
  State &s = state();
  std::lock_guard<std::mutex> lock(s.mutex);
  std::vector<Call> out;
  for (const Call &c : s.calls)
    if (c.operation == operation) out.push_back(c);
  return out;
}

unsigned CallCount(const std::string &operation) {
  State &s = state();
  std::lock_guard<std::mutex> lock(s.mutex);
  auto it = s.counts.find(operation);
  return it == s.counts.end() ? 0 : it->second;
}

void FailOperation(const std::string &operation, uint32_t code, unsigned onCall, const std::string &subject) {
  State &s = state();
  std::lock_guard<std::mutex> lock(s.mutex);
  s.faults.push_back(Fault{operation, code, onCall, subject});
}

void ClearFaults() {
  State &s = state();
  std::lock_guard<std::mutex> lock(s.mutex);
  s.faults.clear();
}

void HideExport(const std::string &module, const std::string &name) {
  State &s = state();
  std::lock_guard<std::mutex> lock(s.mutex);
  s.hidden.emplace_back(module, name);
}

bool Enter(const char *operation, const std::string &subject, const std::string &arguments, uint32_t *code) {
  State &s = state();
  std::lock_guard<std::mutex> lock(s.mutex);
  Count(s, operation);
  if (s.recording) s.calls.push_back(Call{operation, subject, arguments});
  for (Fault &f : s.faults) {
    if (f.operation != operation) continue;
    if (!f.subject.empty() && !SameText(f.subject, subject)) continue;
    ++f.seen;
    if (f.onCall != 0 && f.seen != f.onCall) continue;
    if (code) *code = f.code;
    return true;
  }
  return false;
}

bool CountUnwatched(const char *operation) {
  State &s = state();
  std::lock_guard<std::mutex> lock(s.mutex);
  if (s.recording) return false;
  for (const Fault &f : s.faults)
    if (f.operation == operation) return false;
  Count(s, operation);
  return true;
}

bool IsExportHidden(const std::string &module, const std::string &name) {
  State &s = state();
  std::lock_guard<std::mutex> lock(s.mutex);
  for (const auto &h : s.hidden)
    if (SameText(h.first, module) && h.second == name) return true;
  return false;
}

std::string Utf8(const char16_t *text) {
  if (!text) return "(null)";
  std::string out;
  platform_utf::Utf16ToUtf8(text, out, false);
  return out;
}

}  // namespace seams
