// The reg executable end to end: its output, prompts and exit codes, export
// and import round trips, an import that fails part way, and the registry
// location.
#include <fcntl.h>
#include <poll.h>
#include <unistd.h>

#include <array>
#include <fstream>

#include "reg_process.h"

namespace reg_test {
namespace {

const char kDone[] = "The operation completed successfully.\n";
const char kMissing[] = "ERROR: The system was unable to find the specified registry key or value.\n";

TEST_F(RegProcess, AddQueryDelete) {
  const std::string key = "HKCU\\Software\\Tovin";
  EXPECT_EQ(Ok({"add", key, "/v", "Name", "/d", "C:\\copy.exe"}), kDone);
  Ok({"ADD", key, "-v", "Count", "/t", "REG_DWORD", "/d", "42"});
  Ok({"add", key, "/v", "List", "/t", "REG_MULTI_SZ", "/d", "a\\0b"});
  Ok({"add", key + "\\Sub", "/ve", "/d", "x"});
  const std::string full = "HKEY_CURRENT_USER\\Software\\Tovin";
  EXPECT_EQ(Ok({"query", key}), "\n" + full +
                                    "\n    Name    REG_SZ    C:\\copy.exe\n    Count    REG_DWORD    0x2a\n"
                                    "    List    REG_MULTI_SZ    a\\0b\n\n" +
                                    full + "\\Sub\n");
  EXPECT_EQ(Ok({"query", key, "/v", "count"}), "\n" + full + "\n    Count    REG_DWORD    0x2a\n\n");
  // A key without values of its own shows only its subkeys; with /s each subkey shows in full.
  Ok({"add", "HKCU\\Software\\Bare\\Child\\Leaf\\", "/v", "y", "/d", "1"});
  const std::string child = "HKEY_CURRENT_USER\\Software\\Bare\\Child";
  EXPECT_EQ(Ok({"query", "HKCU\\Software\\Bare"}), "\n" + child + "\n");
  EXPECT_EQ(Ok({"query", "HKCU\\Software\\Bare\\", "/s"}), "\n" + child + "\n\n" + child + "\\Leaf\n    y    REG_SZ    1\n\n");
  EXPECT_EQ(Ok({"query", "hkey_current_user\\software", "/s", "/f", "X", "/e"}),
            "\nHKEY_CURRENT_USER\\software\\Tovin\\Sub\n    (Default)    REG_SZ    x\n\n"
            "End of search: 1 match(es) found.\n");
  Result none = Reg({"query", key, "/f", "nowhere"});
  EXPECT_EQ(none.status, 1);
  EXPECT_EQ(none.out, "\nEnd of search: 0 match(es) found.\n");

  EXPECT_EQ(Ok({"delete", key, "/v", "Count", "/f"}), kDone);
  Result gone = Reg({"query", key, "/v", "Count"});
  EXPECT_EQ(gone.status, 1);
  EXPECT_EQ(gone.err, kMissing);

  Result declined = Reg({"delete", key});
  EXPECT_EQ(declined.status, 1);
  EXPECT_EQ(declined.out, "Delete the registry key " + full +
                              " (Yes/No)? \nThe operation was canceled by the user.\n");
  Ok({"query", key + "\\Sub"});
  EXPECT_EQ(Reg({"delete", key}, "maybe\nyes\n").status, 0);
  EXPECT_EQ(Reg({"query", key}).err, kMissing);
}

TEST_F(RegProcess, QueryShowsControlCharactersVisiblyOnATerminalAndKeepsThemInAPipe) {
  Ok({"add", "HKCU\\Software\\T\x1b[2J", "/v", "a\rb", "/d", "x\ty"});
  const int terminal = posix_openpt(O_RDWR | O_NOCTTY | O_NONBLOCK);
  ASSERT_TRUE(terminal >= 0 && grantpt(terminal) == 0 && unlockpt(terminal) == 0);
  EXPECT_EQ(Shell("(" + Command({"query", "HKCU\\Software\\T\x1b[2J"}) + ") >" + Quote(ptsname(terminal))).status, 0);
  std::string shown;
  char buffer[4096];
  for (ssize_t count; poll(std::array{pollfd{terminal, POLLIN, 0}}.data(), 1, 200) > 0 &&
                      (count = read(terminal, buffer, sizeof buffer)) > 0;)
    shown.append(buffer, static_cast<size_t>(count));
  close(terminal);
  EXPECT_NE(shown.find("\\T^[[2J\r\n    a^Mb    REG_SZ    x^Iy\r\n"), std::string::npos) << shown;
  EXPECT_NE(Ok({"query", "HKCU\\Software\\T\x1b[2J"}).find("\\T\x1b[2J\n    a\rb    REG_SZ    x\ty\n"),
            std::string::npos);
}

TEST_F(RegProcess, OverwritingAValueAsksUnlessForced) {
  const std::string key = "HKCU\\Software\\Tovin";
  Ok({"add", key, "/v", "n", "/d", "1"});
  Result no = Reg({"add", key, "/v", "n", "/d", "2"});
  EXPECT_EQ(no.status, 1);
  EXPECT_EQ(no.out, "Value n exists, overwrite(Yes/No)? \nThe operation was canceled by the user.\n");
  EXPECT_NE(Ok({"query", key, "/v", "n"}).find("REG_SZ    1\n"), std::string::npos);
  EXPECT_EQ(Reg({"add", key, "/v", "n", "/d", "3"}, "Y\n").status, 0);
  EXPECT_NE(Ok({"query", key, "/v", "n"}).find("REG_SZ    3\n"), std::string::npos);
  Ok({"add", key, "/v", "n", "/d", "4", "/f"});
  EXPECT_NE(Ok({"query", key, "/v", "n"}).find("REG_SZ    4\n"), std::string::npos);
  // The key alone addresses its default value, which it sets to an empty string.
  Ok({"add", key});
  EXPECT_EQ(Reg({"add", key}).out, "Value (Default) exists, overwrite(Yes/No)? \nThe operation was canceled by the user.\n");
}

TEST_F(RegProcess, ExportThenImportIntoAnEmptyRegistryReproducesIt) {
  // Values reg add cannot make come from a file: a string without its NUL, a
  // short dword, a type without a name.
  WriteFile("odd.reg",
            "Windows Registry Editor Version 5.00\r\n\r\n[HKEY_CURRENT_USER\\Software\\Tovin\\Odd]\r\n"
            "\"sz\"=hex(1):61,00\r\n\"dw\"=hex(4):01\r\n\"t\"=hex(12345678):ff\r\n\"\u00e9\"=\"\u20ac\"\r\n");
  Ok({"import", "odd.reg"});
  const std::string key = "HKCU\\Software\\Tovin";
  Ok({"add", key, "/v", "Name", "/d", "say \"hi\" \\o/"});
  Ok({"add", key, "/ve", "/t", "REG_EXPAND_SZ", "/d", "%TEMP%"});
  Ok({"add", key, "/v", "Q", "/t", "REG_QWORD", "/d", "0x1122334455667788"});
  Ok({"add", key, "/v", "B", "/t", "REG_BINARY", "/d", std::string(400, 'a')});
  Ok({"add", key, "/v", "N", "/t", "REG_NONE"});
  Ok({"add", key + "\\Empty\\Deeper", "/v", "M", "/t", "REG_MULTI_SZ", "/s", ",", "/d", "x,y"});

  EXPECT_EQ(Ok({"export", key, "first.reg"}), kDone);
  const std::string before = Ok({"query", key, "/s"});
  registry_ = Path("second.db");
  Ok({"import", "first.reg"});
  EXPECT_EQ(Ok({"query", key, "/s"}), before);
  Ok({"export", key, "second.reg"});
  EXPECT_EQ(ReadFile("second.reg"), ReadFile("first.reg"));

  Result asked = Reg({"export", key, "second.reg"});
  EXPECT_EQ(asked.status, 1);
  EXPECT_EQ(asked.out, "File second.reg already exists. Overwrite (Yes/No)? \nThe operation was canceled by the user.\n");
  EXPECT_EQ(Ok({"export", key + "\\Empty", "second.reg", "/y"}), kDone);
  EXPECT_NE(ReadFile("second.reg"), ReadFile("first.reg"));
}

TEST_F(RegProcess, ExportRefusesNamesWithALineBreakAndWritesNothing) {
  // Written as it stands, the name's second line would delete every class when imported.
  Ok({"add", "HKCU\\Software\\j]\r\n[-HKEY_CLASSES_ROOT\\CLSID"});
  Ok({"add", "HKCU\\Software\\Tovin", "/v", "a\nb", "/d", "1"});
  WriteFile("old.reg", "old");
  const struct {
    const char *key;
    const char *shown;
  } cases[] = {{"HKCU\\Software", "HKEY_CURRENT_USER\\Software\\j]^M^J[-HKEY_CLASSES_ROOT"},
               {"HKCU\\Software\\Tovin", "HKEY_CURRENT_USER\\Software\\Tovin"}};
  for (const auto &c : cases) {
    Result refused = Reg({"export", c.key, "old.reg", "/y"});
    EXPECT_EQ(refused.status, 1);
    EXPECT_EQ(refused.err, std::string("ERROR: Cannot export ") + c.shown +
                               ": its name or a value name in it holds a line break, which a registry file cannot "
                               "carry.\n");
    EXPECT_EQ(ReadFile("old.reg"), "old");
  }
}

TEST_F(RegProcess, ImportThatFailsPartWayLeavesNothingWritten) {
  Ok({"add", "HKCU\\Software\\Tovin", "/v", "keep", "/d", "old"});
  Ok({"add", "HKCU\\Software\\Gone\\Below", "/v", "x", "/d", "1"});
  Ok({"export", "HKCU\\Software", "before.reg"});
  WriteFile("both.reg",
            "Windows Registry Editor Version 5.00\r\n\r\n"
            "[HKEY_CURRENT_USER\\Software\\Tovin]\r\n\"keep\"=\"new\"\r\n\"added\"=dword:00000001\r\n\r\n"
            "[-HKEY_CURRENT_USER\\Software\\Gone]\r\n\r\n"
            "[HKEY_CURRENT_USER\\Software\\Fresh\\Deep]\r\n@=\"x\"\r\n\r\n"
            "[HKEY_LOCAL_MACHINE\\SOFTWARE\\Tovin]\r\n\"m\"=\"1\"\r\n");
  Result refused = Reg({"import", "both.reg"}, "", "TOVIN_REGISTRY_MACHINE_READONLY=1");
  EXPECT_EQ(refused.status, 1);
  EXPECT_EQ(refused.err, "ERROR: Access is denied.\nThe import stopped at line 12 "
                         "(HKEY_LOCAL_MACHINE\\SOFTWARE\\Tovin); nothing of it was kept.\n");
  Ok({"export", "HKCU\\Software", "after.reg"});
  EXPECT_EQ(ReadFile("after.reg"), ReadFile("before.reg"));
  EXPECT_EQ(Reg({"query", "HKLM\\SOFTWARE\\Tovin"}).status, 1);

  EXPECT_EQ(Ok({"import", "both.reg"}), kDone);
  EXPECT_NE(Ok({"query", "HKLM\\SOFTWARE\\Tovin", "/v", "m"}).find("REG_SZ    1"), std::string::npos);
  EXPECT_EQ(Reg({"query", "HKCU\\Software\\Gone"}).status, 1);
}

TEST_F(RegProcess, ImportReportsSkippedLinesAndRefusesFilesWithoutHeader) {
  WriteFile("skips.reg",
            "REGEDIT4\n\n[HKEY_CURRENT_USER\\Software\\Tovin]\n\"bad\"=dword:xyz\n\"good\"=\"1\"\n\"l1\"=\"\xE9\"\n");
  Result skipped = Reg({"import", "skips.reg"});
  EXPECT_EQ(skipped.status, 0);
  EXPECT_EQ(skipped.err, "WARNING: line 6 holds bytes that are not UTF-8; each was read as U+FFFD.\n"
                         "WARNING: line 4 skipped: dword value is not 1 to 8 hex digits.\n");
  Ok({"query", "HKCU\\Software\\Tovin", "/v", "good"});

  WriteFile("plain.txt", "[HKEY_CURRENT_USER\\Software\\Other]\n\"v\"=\"1\"\n");
  Result refused = Reg({"import", "plain.txt"});
  EXPECT_EQ(refused.status, 1);
  EXPECT_EQ(refused.err.rfind("ERROR: The specified file is not a registry script", 0), 0u) << refused.err;
  EXPECT_EQ(Reg({"query", "HKCU\\Software\\Other"}).status, 1);
  Result unreadable = Reg({"import", "missing.reg"});
  EXPECT_EQ(unreadable.status, 1);
  EXPECT_EQ(unreadable.err, "ERROR: Error opening the file missing.reg: No such file or directory.\n");
}

TEST_F(RegProcess, ImportReadsFilesAndPipesUpToTheLimitAndNoDevices) {
  const std::string file = "Windows Registry Editor Version 5.00\r\n[HKEY_CURRENT_USER\\Software\\Piped]\r\n";
  WriteFile("piped.reg", file);
  const std::string tooLarge = "larger than 64 MiB, the most a file read whole may hold.\n";
  const struct {
    std::string shell;
    int status;
    std::string err;
  } cases[] = {
      {"cat piped.reg | (" + Command({"import", "/dev/stdin"}) + ")", 0, ""},
      {Command({"import", "/dev/zero"}), 1, "ERROR: Error opening the file /dev/zero: not a regular file or a pipe.\n"},
      {"head -c 67108865 /dev/zero | (" + Command({"import", "/dev/stdin"}) + ")", 1,
       "ERROR: Error opening the file /dev/stdin: " + tooLarge},
      {"truncate -s 67108865 huge.reg && " + Command({"import", "huge.reg"}), 1,
       "ERROR: Error opening the file huge.reg: " + tooLarge},
  };
  for (const auto &c : cases) {
    Result result = Shell(c.shell);
    EXPECT_EQ(result.status, c.status) << c.shell;
    EXPECT_EQ(result.err, c.err);
  }
  Ok({"query", "HKCU\\Software\\Piped"});
}

TEST_F(RegProcess, ExportThatFailsPartWayKeepsTheOldFile) {
  std::string hex;
  for (int i = 0; i < 100000; ++i) hex += "ab,";
  WriteFile("big.reg", "REGEDIT4\n[HKEY_CURRENT_USER\\Software\\Big]\n\"b\"=hex:" + hex + "00\n");
  Ok({"import", "big.reg"});
  WriteFile("old.reg", "old");
  // A full disk: the file may not grow past 256 blocks, and the signal for it is ignored.
  Result full = Shell("trap '' XFSZ && ulimit -f 256 && " + Command({"export", "HKCU\\Software\\Big", "old.reg", "/y"}));
  EXPECT_EQ(full.status, 1);
  EXPECT_EQ(full.err, "ERROR: Cannot write the file old.reg: File too large.\n");
  EXPECT_EQ(ReadFile("old.reg"), "old");
  for (const auto &entry : std::filesystem::directory_iterator(dir_))
    EXPECT_EQ(entry.path().filename().string().find("old.reg."), std::string::npos);  // nothing left beside it
}

TEST_F(RegProcess, BadCommandLinesFailWithTheMessage) {
  const struct {
    std::vector<std::string> args;
    const char *err;
  } cases[] = {
      {{}, "ERROR: Invalid syntax.\nType \"REG /?\" for usage.\n"},
      {{"query", "HKXY\\Software"}, "ERROR: Invalid key name.\nType \"REG QUERY /?\" for usage.\n"},
      {{"add", "HKCU\\" + std::string(256, 'k')}, "ERROR: Invalid key name.\nType \"REG ADD /?\" for usage.\n"},
      {{"add", "HKCU\\x", "/t", "REG_TEXT"}, "ERROR: Invalid syntax.\nType \"REG ADD /?\" for usage.\n"},
      {{"add", "HKCU\\x", "/v", "n", "/t", "REG_DWORD", "/d", "ten"},
       "ERROR: Invalid syntax. Specify valid numeric value.\nType \"REG ADD /?\" for usage.\n"},
      {{"delete", "HKCU\\x", "/q"}, "ERROR: Invalid syntax.\nType \"REG DELETE /?\" for usage.\n"},
      {{"query", "HKCU\\Software\\Missing"}, kMissing},
      {{"query", "\\\\pc\\HKCU\\Software"}, "ERROR: The network path was not found.\n"},
      {{"query", "HKCU", "--registry"}, "ERROR: --registry needs a file name\n"},
  };
  Ok({"add", "HKCU\\Software\\Present", "/f"});  // the file, whose keys are asked for
  for (const auto &c : cases) {
    Result result = Reg(c.args);
    EXPECT_EQ(result.status, 1) << c.err;
    EXPECT_EQ(result.err, c.err);
    EXPECT_EQ(result.out, "");
  }
  EXPECT_FALSE(std::filesystem::exists(Path("HKCU")));
  Result usage = Reg({"add", "/?"});
  EXPECT_EQ(usage.status, 0);
  EXPECT_EQ(usage.out.rfind("\nREG ADD KeyName", 0), 0u);
}

TEST_F(RegProcess, RegistryFileFromOptionEnvironmentOrDefault) {
  const std::string state = Path("state");
  const std::string defaultFile = state + "/tovincopyshl/registry.db";
  // An empty TOVIN_REGISTRY_FILE counts as unset.
  Result result = Reg({"add", "HKCU\\Software\\Where", "/v", "is", "/d", "default"}, "",
                      "TOVIN_REGISTRY_FILE= XDG_STATE_HOME=" + Quote(state));
  ASSERT_EQ(result.status, 0) << result.err;
  EXPECT_TRUE(std::filesystem::exists(defaultFile));
  Ok({"add", "HKCU\\Software\\Where", "/v", "is", "/d", "environment"});
  Ok({"add", "HKCU\\Software\\Where", "/v", "is", "/d", "option", "--registry", Path("option.db")});

  for (const auto &[file, text] : {std::pair{defaultFile, "default"}, {registry_, "environment"}, {Path("option.db"), "option"}}) {
    Result query = Reg({"query", "HKCU\\Software\\Where", "/v", "is", "--registry=" + file});
    EXPECT_NE(query.out.find(std::string("REG_SZ    ") + text + "\n"), std::string::npos) << file << query.err;
  }
}

TEST_F(RegProcess, ConcurrentImportsBothLand) {
  for (const char *name : {"a", "b"}) {
    std::string text = "Windows Registry Editor Version 5.00\r\n";
    for (int i = 0; i < 60; ++i)
      text += "\r\n[HKEY_CURRENT_USER\\Software\\" + std::string(name) + "\\k" + std::to_string(i) + "]\r\n\"n\"=dword:1\r\n";
    WriteFile(std::string(name) + ".reg", text);
  }
  std::string both = "(" + Command({"import", "a.reg"}) + " >a.out 2>&1 & " + Command({"import", "b.reg"}) +
                     " >b.out 2>&1; wait $!; s=$?; wait; exit $s)";
  ASSERT_EQ(std::system(both.c_str()), 0);
  EXPECT_EQ(ReadFile("a.out"), kDone);
  EXPECT_EQ(ReadFile("b.out"), kDone);
  for (const char *name : {"a", "b"}) {
    std::string out = Ok({"query", std::string("HKCU\\Software\\") + name, "/s", "/v", "n"});
    EXPECT_NE(out.find("End of search: 60 match(es) found.\n"), std::string::npos) << name;
  }
}

}  // namespace
}  // namespace reg_test
