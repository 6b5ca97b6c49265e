// The state each test starts from and leaves behind, on either runtime.
// Under the substitute: the seams reset and a new empty, writable in-memory
// registry. On Windows (Wine), whose registry is shared and persistent: the
// keys a test creates below the places tests write to (the user's and the
// machine's software and classes, class and type-library roots, the
// context-menu handler keys) are removed again at End. Written only against
// the SDK's names; fresh_state_posix.cpp and fresh_state_win32.cpp implement it.
// Call from the test's thread; Begin and End pair up, one pair at a time.
#pragma once

namespace fresh_state {

// Call at the start of a test (a fixture's SetUp).
void Begin();
// Call at its end (TearDown); removes what the test left in the registry.
void End();

// Begin in the constructor, End in the destructor.
class Scope {
 public:
  Scope() { Begin(); }
  ~Scope() { End(); }
  Scope(const Scope &) = delete;
  Scope &operator=(const Scope &) = delete;
};

}  // namespace fresh_state
