// The fixture of the host tests: a fresh registry and settings, the library loaded.
#pragma once
#include <gtest/gtest.h>

#include <memory>

#include "host_support.h"
#include "support/fresh_state.h"

class HostTest : public ::testing::Test {
 protected:
  void SetUp() override {
    fresh_state::Begin();
    host::ClearSettings();
    library_ = std::make_unique<host::Library>();
    ASSERT_TRUE(library_->loaded());
  }
  void TearDown() override {
    library_.reset();
    fresh_state::End();
  }

  const host::Library &library() const { return *library_; }

  // A new extension object's `iid` interface; the test releases it.
  template <class T>
  T *Create(REFIID iid) const {
    T *object = library_->Create<T>(iid);
    EXPECT_NE(nullptr, object);
    return object;
  }

 private:
  std::unique_ptr<host::Library> library_;
};
