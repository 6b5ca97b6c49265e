// A path that does not fit is refused before any registry script is read.
#include <gtest/gtest.h>

#include "path_length.h"
#include "platform_seams.h"
#include "registration_fixture.h"

namespace {

using namespace registration;

class PathLengthSeams : public Registration, public ::testing::WithParamInterface<size_t> {};

TEST_P(PathLengthSeams, NoScriptIsReadForAPathThatDoesNotFit) {
  TempDirectory directory;
  const std::string path = PathOfLength(directory.path(), GetParam());
  ASSERT_TRUE(CopyLibrary(path));
  ServerLibrary copy(path);
  ASSERT_TRUE(copy.loaded());
  seams::Reset();
  EXPECT_TRUE(FAILED(copy.Register()));
  EXPECT_EQ(0u, seams::CallCount("FindResourceW"));
}

INSTANTIATE_TEST_SUITE_P(Limits, PathLengthSeams, ::testing::Values(size_t{260}, size_t{300}));

}  // namespace
