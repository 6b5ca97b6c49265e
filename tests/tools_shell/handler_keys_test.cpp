// Which handler keys apply to a selection, and which handlers a selection
// of several items gets. Each test starts with an empty in-memory registry.
#include <gtest/gtest.h>

#include "handler_keys.h"
#include "platform_seams.h"
#include "shell_test_support.h"
#include "support/text.h"

using testing_text::U16;
using testing_text::U8;
using tools::ApplicableClassKeys;
using tools::ClsidText;
using tools::FileExtension;
using tools::HandlerKey;
using tools::ItemKind;
using tools::ResolveItem;
using tools::SelectedItem;
using tools::SelectionHandlers;

namespace {

class HandlerKeys : public ::testing::Test {
 protected:
  void SetUp() override { seams::Reset(); }

  // A handler key `name` under `classKey` naming `value`.
  static void AddHandler(const std::u16string &classKey, const std::u16string &name, const std::u16string &value) {
    shell_test::SetText(HKEY_CLASSES_ROOT, classKey + u"\\ShellEx\\ContextMenuHandlers\\" + name, nullptr, value);
  }

  static std::string Keys(const SelectedItem &item) {
    std::string joined;
    for (const std::u16string &key : ApplicableClassKeys(item)) joined += (joined.empty() ? "" : ",") + U8(key);
    return joined;
  }

  static SelectedItem Item(const std::string &path, ItemKind kind) { return SelectedItem{U16(path), kind}; }
};

TEST_F(HandlerKeys, ExtensionsAsTheShellSeesThem) {
  const struct {
    const char *path;
    const char *extension;
  } cases[] = {
      {"/d/a.txt", ".txt"}, {"/d/a.tar.gz", ".gz"},      {"/d/noext", ""}, {"/d.dir/noext", ""},
      {"/d/trailing.", ""}, {"/d/.profile", ".profile"}, {"/d/a.b c", ""},
  };
  for (const auto &c : cases) EXPECT_EQ(c.extension, U8(FileExtension(U16(c.path)))) << c.path;
}

TEST_F(HandlerKeys, KeysThatApplyByKindAndProgId) {
  shell_test::SetText(HKEY_CLASSES_ROOT, u".txt", nullptr, u"txtfile");
  shell_test::SetText(HKEY_CLASSES_ROOT, u"txtfile", nullptr, u"Text Document");
  // A ProgID without a key of its own contributes nothing.
  shell_test::SetText(HKEY_CLASSES_ROOT, u".log", nullptr, u"logfile");
  const struct {
    SelectedItem item;
    const char *keys;
  } cases[] = {
      {Item("/d/notes.txt", ItemKind::File), "*,txtfile"},
      {Item("/d/NOTES.TXT", ItemKind::File), "*,txtfile"},
      {Item("/d/server.log", ItemKind::File), "*"},
      {Item("/d/README", ItemKind::File), "*"},
      {Item("/d/sub", ItemKind::Directory), "Directory,Folder"},
      {Item("/mnt", ItemKind::Drive), "Drive,Folder"},
  };
  for (const auto &c : cases) EXPECT_EQ(c.keys, Keys(c.item)) << U8(c.item.path);
}

TEST_F(HandlerKeys, ResolvingClassifiesFilesDirectoriesAndMountPoints) {
  shell_test::TempDirectory scratch;
  const std::string file = scratch.path() + "/a.txt";
  FILE *f = std::fopen(file.c_str(), "w");
  ASSERT_NE(nullptr, f);
  std::fclose(f);
  const struct {
    std::string path;
    DWORD status;
    ItemKind kind;
    std::string resolved;
  } cases[] = {
      {file, ERROR_SUCCESS, ItemKind::File, file},
      {scratch.path() + "/./x/../", ERROR_SUCCESS, ItemKind::Directory, scratch.path()},
      {"/", ERROR_SUCCESS, ItemKind::Drive, "/"},
      {"/proc", ERROR_SUCCESS, ItemKind::Drive, "/proc"},
      {scratch.path() + "/missing", ERROR_FILE_NOT_FOUND, ItemKind::File, ""},
  };
  for (const auto &c : cases) {
    SelectedItem item;
    ASSERT_EQ(c.status, ResolveItem(c.path, &item)) << c.path;
    if (c.status != ERROR_SUCCESS) continue;
    EXPECT_EQ(c.kind, item.kind) << c.path;
    EXPECT_EQ(c.resolved, U8(item.path)) << c.path;
  }
}

TEST_F(HandlerKeys, ASelectionGetsTheHandlersEveryItemHasEachOnce) {
  const std::u16string a = u"{00000000-0000-0000-0000-00000000000A}";
  const std::u16string b = u"{00000000-0000-0000-0000-00000000000B}";
  const std::u16string c = u"{00000000-0000-0000-0000-00000000000C}";
  AddHandler(u"Directory", u"A", a);
  AddHandler(u"Folder", u"AlsoA", a);  // the same class again: once
  AddHandler(u"Folder", u"B", b);
  AddHandler(u"*", u"OtherNameForB", b);
  AddHandler(u"Directory", c, u"");  // the key name is the CLSID
  AddHandler(u"Directory", u"Broken", u"not a clsid");

  std::vector<HandlerKey> unusable;
  const std::vector<HandlerKey> dirOnly = SelectionHandlers({Item("/d", ItemKind::Directory)}, &unusable);
  ASSERT_EQ(3u, dirOnly.size());
  EXPECT_EQ("A", U8(dirOnly[0].name));
  EXPECT_EQ(U8(c), U8(dirOnly[1].name));
  EXPECT_EQ("B", U8(dirOnly[2].name));
  ASSERT_EQ(1u, unusable.size());
  EXPECT_EQ("Broken", U8(unusable[0].name));

  // A directory and a file share only B, registered under different names.
  const std::vector<HandlerKey> mixed =
      SelectionHandlers({Item("/d", ItemKind::Directory), Item("/d/f", ItemKind::File)}, nullptr);
  ASSERT_EQ(1u, mixed.size());
  EXPECT_EQ("B", U8(mixed[0].name));
  EXPECT_EQ("Folder", U8(mixed[0].classKey));
}

TEST_F(HandlerKeys, PerUserRegistrationsCountThroughTheClassesRoot) {
  shell_test::SetText(HKEY_CURRENT_USER, u"Software\\Classes\\Drive\\ShellEx\\ContextMenuHandlers\\Mine", nullptr,
                      shell_test::kExtensionClsid);
  const std::vector<HandlerKey> handlers = SelectionHandlers({Item("/", ItemKind::Drive)}, nullptr);
  ASSERT_EQ(1u, handlers.size());
  EXPECT_EQ(U8(shell_test::kExtensionClsid), U8(ClsidText(handlers[0].clsid)));
}

}  // namespace
