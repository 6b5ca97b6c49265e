// The substitute's bitmap loader through its seams: the object table, faults
// and the reasons it gives for what it refuses, and paths that are not regular
// files.
#include <windows.h>

#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

#include <chrono>
#include <cstring>
#include <future>
#include <string>
#include <vector>

#include "bitmap_files.h"
#include "platform_seams.h"
#include "support/temp_directory.h"

using namespace bitmap_files;

namespace {

class BitmapSeams : public ::testing::Test {
 protected:
  void SetUp() override {
    seams::Reset();
    ASSERT_FALSE(dir_.path().empty());
  }
  std::string Write(const std::vector<uint8_t> &bytes, const std::string &name = "image.bmp") {
    const std::string path = dir_.path() + "/" + name;
    Save(path, bytes);
    return path;
  }
  testing_files::TempDirectory dir_;
};

TEST_F(BitmapSeams, EveryLoadedBitmapIsOneLiveObjectUntilDeleted) {
  const unsigned live = seams::LiveGdiObjects();
  const std::string path = Write(Generate(Shape{}));
  HBITMAP first = Load(path), second = Load(path, LR_LOADFROMFILE | LR_LOADTRANSPARENT);
  ASSERT_NE(first, nullptr);
  ASSERT_NE(second, nullptr);
  EXPECT_EQ(seams::LiveGdiObjects(), live + 2);
  EXPECT_TRUE(DeleteObject(first));
  EXPECT_TRUE(DeleteObject(second));
  std::vector<uint8_t> bad = Generate(Shape{});
  bad[0] = 'X';
  EXPECT_EQ(Load(Write(bad, "bad.bmp")), nullptr);
  EXPECT_EQ(seams::LiveGdiObjects(), live) << "a refused file leaves nothing behind";
}

TEST_F(BitmapSeams, SeamFaultGivesNull) {
  const std::string path = Write(Generate(Shape{}));
  seams::SetRecording(true);
  seams::FailOperation("LoadImageW", ERROR_FILE_NOT_FOUND);
  EXPECT_EQ(Load(path), nullptr);
  ASSERT_EQ(seams::Calls("LoadImageW").size(), 1u);
  EXPECT_EQ(seams::Calls("LoadImageW")[0].subject, path);
  seams::Reset();
}

// Opening a pipe for reading waits for a writer: the loader must refuse such
// paths at once. A regression fails here after a few seconds instead of hanging.
TEST_F(BitmapSeams, PathsThatAreNotRegularFilesAreRefusedWithoutBlocking) {
  const std::string fifo = dir_.path() + "/pipe.bmp";
  ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0);
  const std::string socketPath = dir_.path() + "/socket.bmp";
  const int sock = socket(AF_UNIX, SOCK_STREAM, 0);
  ASSERT_GE(sock, 0);
  sockaddr_un address = {};
  address.sun_family = AF_UNIX;
  std::strncpy(address.sun_path, socketPath.c_str(), sizeof address.sun_path - 1);
  ASSERT_EQ(bind(sock, reinterpret_cast<sockaddr *>(&address), sizeof address), 0);
  const struct {
    std::string path;
    DWORD error;
  } cases[] = {{fifo, ERROR_BAD_FORMAT},
               {socketPath, ERROR_BAD_FORMAT},
               {"/dev/null", ERROR_BAD_FORMAT},
               {dir_.path(), ERROR_ACCESS_DENIED}};
  for (const auto &c : cases) {
    SCOPED_TRACE(c.path);
    auto result = std::async(std::launch::async, [&] {
      SetLastError(0);
      HBITMAP bitmap = Load(c.path);
      return std::make_pair(bitmap, GetLastError());
    });
    if (result.wait_for(std::chrono::seconds(5)) != std::future_status::ready) {
      ADD_FAILURE() << "LoadImageW blocked";
      // Give a blocked reader a writer that closes at once, so the test can end.
      const int writer = open(fifo.c_str(), O_WRONLY | O_NONBLOCK);
      if (writer >= 0) close(writer);
    }
    const auto [bitmap, error] = result.get();
    EXPECT_EQ(bitmap, nullptr);
    EXPECT_EQ(error, c.error);
  }
  close(sock);
}

}  // namespace
