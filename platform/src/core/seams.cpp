#include "core/seams_internal.h"

#include <algorithm>
#include <cstdlib>
#include <cstdio>
#include <mutex>
#include <string_view>
#include <strings.h>

#include "core/utf.h"
#include "platform_seams.h"

namespace seams {
namespace {

struct Fault {
  Operation operation;
  uint32_t code;
  unsigned onCall;  // 0 = every call; else the Nth call counted from arming.
  std::string subject;
  unsigned seen = 0;
};

struct State {
  std::mutex mutex;
  bool recording = false;
  std::vector<Call> calls;
  unsigned counts[kOperationCount] = {};
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
  std::fill(std::begin(s.counts), std::end(s.counts), 0u);
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

std::vector<Call> Calls(Operation operation) {
  State &s = state();
  std::lock_guard<std::mutex> lock(s.mutex);
  std::vector<Call> out;
  for (const Call &c : s.calls)
    if (c.operation == operation) out.push_back(c);
  return out;
}

unsigned CallCount(Operation operation) {
  State &s = state();
  std::lock_guard<std::mutex> lock(s.mutex);
  return s.counts[operation.index()];
}

Operation Operation::Named(std::string_view name) {
  for (unsigned i = 0; i < kOperationCount; ++i)
    if (name == kOperations[i]) return Operation(Index{i});
  std::fprintf(stderr, "not a seam operation: %.*s\n", static_cast<int>(name.size()), name.data());
  std::abort();
}

void FailOperation(Operation operation, uint32_t code, unsigned onCall, const std::string &subject) {
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
bool EnterLocked(State &s, Operation operation, Describe describe, void *context, uint32_t *code) {
  ++s.counts[operation.index()];
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

bool EnterDescribed(Operation operation, Describe describe, void *context, uint32_t *code) {
  State &s = state();
  std::lock_guard<std::mutex> lock(s.mutex);
  return EnterLocked(s, operation, describe, context, code);
}

bool Enter(Operation operation, const std::string &subject, const std::string &arguments, uint32_t *code) {
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
