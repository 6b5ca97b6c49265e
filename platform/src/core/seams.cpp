#include "core/seams_internal.h"

#include <map>
#include <mutex>
#include <string_view>
#include <strings.h>

#include "core/utf.h"
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
  std::map<std::string, unsigned, std::less<>> counts;
  std::vector<Fault> faults;
  std::vector<std::pair<std::string, std::string>> hidden;
};

// The hooks of OnReset; never destroyed, like the state.
std::vector<void (*)()> &resetHooks() {
  static auto *hooks = new std::vector<void (*)()>;
  return *hooks;
}

State &state() {
  static State *s = new State;  // never destroyed: used during static destruction too
  return *s;
}

bool SameText(const std::string &a, const std::string &b) {
  return a.size() == b.size() && strncasecmp(a.data(), b.data(), a.size()) == 0;
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
  for (void (*reset)() : resetHooks()) reset();
}

void OnReset(void (*reset)()) {
  State &s = state();
  std::lock_guard<std::mutex> lock(s.mutex);
  resetHooks().push_back(reset);
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

namespace {

// Counts the call and, when something watches it, renders it and records it
// or applies the first fault that matches. Runs under the state's lock.
bool EnterLocked(State &s, const char *operation, Describe describe, void *context, uint32_t *code) {
  auto counted = s.counts.find(std::string_view(operation));
  if (counted == s.counts.end()) counted = s.counts.emplace(operation, 0).first;
  ++counted->second;
  bool armed = false;
  for (const Fault &f : s.faults) armed = armed || f.operation == operation;
  if (!s.recording && !armed) return false;
  std::string subject, arguments;
  describe(context, &subject, &arguments);
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

}  // namespace

bool EnterDescribed(const char *operation, Describe describe, void *context, uint32_t *code) {
  State &s = state();
  std::lock_guard<std::mutex> lock(s.mutex);
  return EnterLocked(s, operation, describe, context, code);
}

bool Enter(const char *operation, const std::string &subject, const std::string &arguments, uint32_t *code) {
  return Enter(
      operation,
      [&](std::string *subjectOut, std::string *argumentsOut) {
        *subjectOut = subject;
        *argumentsOut = arguments;
      },
      code);
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
