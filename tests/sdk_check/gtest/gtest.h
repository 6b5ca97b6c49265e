// Just enough of GoogleTest's macros for the host test sources to be checked
// for syntax and types against the MinGW-w64 SDK headers (scripts/check-sdk-hosts).
// Nothing here runs: the assertions only have to compile with their operands.
#pragma once
#include <ostream>
#include <sstream>
#include <vector>

namespace testing {

class Test {
 public:
  virtual ~Test() = default;
  virtual void SetUp() {}
  virtual void TearDown() {}
};

template <class T>
class WithParamInterface {
 public:
  using ParamType = T;
  virtual ~WithParamInterface() = default;
  static const T &GetParam();
};

template <class T>
class TestWithParam : public Test, public WithParamInterface<T> {};

template <class... T>
int Values(const T &...) { return 0; }
template <class C>
int ValuesIn(const C &) { return 0; }

// Swallows what a failing assertion would print.
struct Message {
  template <class T>
  Message &operator<<(const T &) { return *this; }
};

}  // namespace testing

#define GTEST_STUB_CAT2(a, b) a##b
#define GTEST_STUB_CAT(a, b) GTEST_STUB_CAT2(a, b)
// The switch keeps an enclosing if's else from binding to the macro's own.
#define GTEST_STUB_CHECK(condition)   \
  switch (0)                          \
  case 0:                             \
  default:                            \
    if (static_cast<bool>(condition)) \
      ;                               \
    else                              \
      ::testing::Message()

#define TEST(suite, name) \
  class suite##_##name##_Test : public ::testing::Test { void Body(); }; \
  void suite##_##name##_Test::Body()
#define TEST_F(fixture, name) \
  class fixture##_##name##_Test : public fixture { void Body(); }; \
  void fixture##_##name##_Test::Body()
#define TEST_P(fixture, name) TEST_F(fixture, name)
#define INSTANTIATE_TEST_SUITE_P(prefix, fixture, generator, ...) \
  [[maybe_unused]] static const int GTEST_STUB_CAT(prefix##_##fixture, __LINE__) = ((void)(generator), 0)

#define EXPECT_TRUE(c) GTEST_STUB_CHECK(c)
#define EXPECT_FALSE(c) GTEST_STUB_CHECK(!(c))
#define EXPECT_EQ(a, b) GTEST_STUB_CHECK((a) == (b))
#define EXPECT_NE(a, b) GTEST_STUB_CHECK((a) != (b))
#define EXPECT_LT(a, b) GTEST_STUB_CHECK((a) < (b))
#define EXPECT_LE(a, b) GTEST_STUB_CHECK((a) <= (b))
#define EXPECT_GT(a, b) GTEST_STUB_CHECK((a) > (b))
#define EXPECT_GE(a, b) GTEST_STUB_CHECK((a) >= (b))
#define ASSERT_TRUE(c) EXPECT_TRUE(c)
#define ASSERT_FALSE(c) EXPECT_FALSE(c)
#define ASSERT_EQ(a, b) EXPECT_EQ(a, b)
#define ASSERT_NE(a, b) EXPECT_NE(a, b)
#define ASSERT_LT(a, b) EXPECT_LT(a, b)
#define ASSERT_LE(a, b) EXPECT_LE(a, b)
#define ASSERT_GT(a, b) EXPECT_GT(a, b)
#define ASSERT_GE(a, b) EXPECT_GE(a, b)
#define ADD_FAILURE() GTEST_STUB_CHECK(false)
#define FAIL() \
  switch (0)   \
  case 0:      \
  default:     \
    if (true)  \
      return;  \
    else       \
      ::testing::Message()
#define SCOPED_TRACE(message) ((void)(::testing::Message() << (message)))
