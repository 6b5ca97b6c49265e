// Store transactions around many registry calls (registry_extension.h).
#include <registry_extension.h>

#include <atomic>
#include <chrono>
#include <thread>

#include "platform_seams.h"
#include "registry_fixture.h"

namespace registry_test {
namespace {

using StoreTransaction = RegistryTest;

// A call that fails part-way inside a transaction takes back only itself.
TEST_F(StoreTransaction, AFailingCallInsideKeepsEarlierCallsAndNothingOfItself) {
  ASSERT_EQ(RegBeginStoreTransaction(), ERROR_SUCCESS);
  EXPECT_EQ(RegBeginStoreTransaction(), ERROR_INVALID_STATE);
  Key key;
  ASSERT_EQ(Create(HKEY_CURRENT_USER, "Software\\T", &key), ERROR_SUCCESS);
  ASSERT_EQ(SetBytes(key.get(), "v", REG_BINARY, "kept"), ERROR_SUCCESS);
  seams::FailRegistryWrite(2, ERROR_REGISTRY_IO_FAILED);  // after the first of three new keys
  EXPECT_EQ(Create(HKEY_CURRENT_USER, "Software\\T\\A\\B\\C"), ERROR_REGISTRY_IO_FAILED);
  EXPECT_EQ(RegCommitStoreTransaction(), ERROR_SUCCESS);
  EXPECT_EQ(RegCommitStoreTransaction(), ERROR_INVALID_STATE);
  EXPECT_EQ(RegRollbackStoreTransaction(), ERROR_INVALID_STATE);
  EXPECT_FALSE(Exists(HKEY_CURRENT_USER, "Software\\T\\A"));
  EXPECT_EQ(RegQueryValueExW(key.get(), u"v", nullptr, nullptr, nullptr, nullptr), ERROR_SUCCESS);
}

TEST_F(StoreTransaction, RollbackUndoesEveryCallAndClosesTheHandlesItOpened) {
  Key before;
  ASSERT_EQ(Create(HKEY_CURRENT_USER, "Software\\Before", &before), ERROR_SUCCESS);
  ASSERT_EQ(RegBeginStoreTransaction(), ERROR_SUCCESS);
  Key made;
  ASSERT_EQ(Create(HKEY_CURRENT_USER, "Software\\Made", &made), ERROR_SUCCESS);
  ASSERT_EQ(SetBytes(before.get(), "v", REG_BINARY, "x"), ERROR_SUCCESS);
  EXPECT_EQ(RegRollbackStoreTransaction(), ERROR_SUCCESS);
  EXPECT_FALSE(Exists(HKEY_CURRENT_USER, "Software\\Made"));
  EXPECT_EQ(RegQueryValueExW(before.get(), u"v", nullptr, nullptr, nullptr, nullptr), ERROR_FILE_NOT_FOUND);
  EXPECT_EQ(RegCloseKey(made.release()), ERROR_INVALID_HANDLE);
}

// A snapshot reads and refuses every write; it ends only as a snapshot.
TEST_F(StoreTransaction, SnapshotsReadAndRefuseWrites) {
  Key key;
  ASSERT_EQ(Create(HKEY_CURRENT_USER, "Software\\Read", &key), ERROR_SUCCESS);
  ASSERT_EQ(SetString(key.get(), "v", "x"), ERROR_SUCCESS);
  EXPECT_EQ(RegEndStoreSnapshot(), ERROR_INVALID_STATE);
  ASSERT_EQ(RegBeginStoreSnapshot(), ERROR_SUCCESS);
  EXPECT_EQ(RegBeginStoreSnapshot(), ERROR_INVALID_STATE);
  EXPECT_EQ(RegBeginStoreTransaction(), ERROR_INVALID_STATE);
  EXPECT_EQ(RegCommitStoreTransaction(), ERROR_INVALID_STATE);
  EXPECT_EQ(RegRollbackStoreTransaction(), ERROR_INVALID_STATE);
  EXPECT_EQ(GetString(key.get(), "v"), "x");
  EXPECT_EQ(Subkeys(HKEY_CURRENT_USER, "Software"), Subkeys(HKEY_CURRENT_USER, "Software"));
  EXPECT_EQ(SetString(key.get(), "v", "y"), ERROR_ACCESS_DENIED);
  EXPECT_EQ(Create(HKEY_CURRENT_USER, "Software\\Read\\New"), ERROR_ACCESS_DENIED);
  EXPECT_EQ(RegDeleteKeyW(HKEY_CURRENT_USER, u"Software\\Read"), ERROR_ACCESS_DENIED);
  ASSERT_EQ(RegEndStoreSnapshot(), ERROR_SUCCESS);
  EXPECT_EQ(SetString(key.get(), "v", "y"), ERROR_SUCCESS);
  EXPECT_EQ(GetString(key.get(), "v"), "y");
}

// Another thread's call neither joins the transaction nor sees it: it waits.
TEST_F(StoreTransaction, OtherThreadsWaitForItsEnd) {
  ASSERT_EQ(RegBeginStoreTransaction(), ERROR_SUCCESS);
  std::atomic<bool> done{false};
  std::thread other([&] {
    EXPECT_EQ(Create(HKEY_CURRENT_USER, "Software\\Other"), ERROR_SUCCESS);
    done = true;
  });
  std::this_thread::sleep_for(std::chrono::milliseconds(100));
  EXPECT_FALSE(done);
  EXPECT_EQ(RegRollbackStoreTransaction(), ERROR_SUCCESS);
  other.join();
  EXPECT_TRUE(Exists(HKEY_CURRENT_USER, "Software\\Other"));
}

}  // namespace
}  // namespace registry_test
