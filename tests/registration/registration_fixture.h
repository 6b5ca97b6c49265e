// The fixture of the registration tests: the registry as the test found it
// noted, and given back at the end; the built library loaded.
#pragma once
#include <gtest/gtest.h>

#include "host_registration.h"
#include "tests/support/fresh_state.h"

class Registration : public ::testing::Test {
 protected:
  void SetUp() override {
    fresh_state::Begin();
    registration::NoteClasses();
    ASSERT_TRUE(library.loaded());
  }
  void TearDown() override { fresh_state::End(); }
  registration::ServerLibrary library;
};
