// The regsvr program run as a process against scratch registry files, with
// the built extension library: registration, its messages and exit codes,
// and /export files replayed by reg.
#include <gtest/gtest.h>

#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>

#include <cstring>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "platform_seams.h"
#include "support/registry_listing.h"
#include "support/temp_directory.h"

extern char **environ;

namespace {

using registry_listing::Listing;
using registry_listing::ReadValue;

const std::string kLibrary = TOVINCOPYSHL_PATH;
const std::u16string kServerKey = u"Software\\Classes\\CLSID\\{1955A1E8-C828-42AF-A571-081D65B07B83}\\InprocServer32";

struct RunResult {
  int status = -1;
  std::string out;
  std::string err;
};

class RegsvrProcess : public ::testing::Test {
 protected:
  void SetUp() override { ASSERT_FALSE(scratch_.path().empty()); }
  void TearDown() override { seams::ResetRegistry(); }

  std::string Path(const std::string &name) const { return scratch_.path() + "/" + name; }

  std::string Bytes(const std::string &name) const {
    std::ifstream in(Path(name), std::ios::binary);
    std::stringstream bytes;
    bytes << in.rdbuf();
    return bytes.str();
  }

  // Runs `program` in the scratch directory against the registry file
  // `registry` (in that directory), with `environment` ("NAME=value") added.
  RunResult Run(const std::string &program, std::vector<std::string> args, const std::string &registry,
                const std::vector<std::string> &environment = {}) const {
    args.insert(args.begin(), program);
    args.push_back("--registry");
    args.push_back(Path(registry));
    std::vector<char *> argv;
    for (std::string &arg : args) argv.push_back(arg.data());
    argv.push_back(nullptr);
    // Nothing may reach the user's own registry file.
    std::vector<std::string> variables = environment;
    variables.push_back("XDG_STATE_HOME=" + Path("state"));
    for (char **e = environ; *e; ++e)
      if (std::strncmp(*e, "TOVIN_REGISTRY_", 15) != 0) variables.push_back(*e);
    std::vector<char *> envp;
    for (std::string &variable : variables) envp.push_back(variable.data());
    envp.push_back(nullptr);

    const std::string outPath = Path(".out"), errPath = Path(".err");
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addchdir_np(&actions, scratch_.path().c_str());
    posix_spawn_file_actions_addopen(&actions, 1, outPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
    posix_spawn_file_actions_addopen(&actions, 2, errPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
    pid_t pid = 0;
    RunResult result;
    const int spawned = posix_spawn(&pid, program.c_str(), &actions, nullptr, argv.data(), envp.data());
    posix_spawn_file_actions_destroy(&actions);
    if (spawned != 0) return result;
    int status = 0;
    if (waitpid(pid, &status, 0) == pid && WIFEXITED(status)) result.status = WEXITSTATUS(status);
    result.out = Bytes(".out");
    result.err = Bytes(".err");
    return result;
  }

  RunResult Regsvr(const std::vector<std::string> &args, const std::string &registry = "registry.db",
                   const std::vector<std::string> &environment = {}) const {
    return Run(REGSVR_PATH, args, registry, environment);
  }

  // The default value of root\kServerKey in the registry file `registry`, or "-" when missing.
  std::string ServerPath(HKEY root, const std::string &registry) const {
    seams::SetRegistryFile(Path(registry));
    registry_listing::RawValue value = ReadValue(root, kServerKey, nullptr);
    if (value.code != ERROR_SUCCESS) return "-";
    std::u16string text(reinterpret_cast<const char16_t *>(value.bytes.data()), value.bytes.size() / 2);
    return testing_text::U8(text.substr(0, text.find(u'\0')));
  }

  // Every key and value below HKLM\SOFTWARE and HKCU\Software of `registry`.
  std::vector<std::string> Everything(const std::string &registry) const {
    seams::SetRegistryFile(Path(registry));
    std::vector<std::string> lines = Listing(HKEY_LOCAL_MACHINE, u"SOFTWARE");
    for (const std::string &line : Listing(HKEY_CURRENT_USER, u"Software")) lines.push_back("HKCU " + line);
    return lines;
  }

  testing_files::TempDirectory scratch_;
};

TEST_F(RegsvrProcess, RegistersAndUnregistersQuietlyWithS) {
  RunResult registered = Regsvr({kLibrary});
  EXPECT_EQ(registered.status, 0) << registered.err;
  EXPECT_EQ(registered.out, "DllRegisterServer in " + kLibrary + " succeeded.\n");
  EXPECT_EQ(ServerPath(HKEY_LOCAL_MACHINE, "registry.db"), kLibrary);
  seams::ResetRegistry();

  RunResult removed = Regsvr({"/U", "-s", kLibrary});
  EXPECT_EQ(removed.status, 0) << removed.err;
  EXPECT_EQ(removed.out + removed.err, "");
  EXPECT_EQ(ServerPath(HKEY_LOCAL_MACHINE, "registry.db"), "-");
}

TEST_F(RegsvrProcess, InstallForTheUserOnly) {
  RunResult installed = Regsvr({"/n", "/i:user", kLibrary});
  EXPECT_EQ(installed.status, 0) << installed.err;
  EXPECT_EQ(installed.out, "DllInstall in " + kLibrary + " succeeded.\n");
  EXPECT_EQ(ServerPath(HKEY_CURRENT_USER, "registry.db"), kLibrary);
  EXPECT_EQ(ServerPath(HKEY_LOCAL_MACHINE, "registry.db"), "-");
}

TEST_F(RegsvrProcess, FailuresGiveTheirExitCodeAndMessage) {
  const std::string load = "The module \"missing.so\" failed to load.\n\nMake sure the binary is stored at the "
                           "specified path or debug it to check for problems with the binary or dependent .DLL "
                           "files.\n\nThe specified module could not be found.\n";
  const std::string entry = std::string("The module \"") + PLATFORM_PATH +
                            "\" was loaded but the entry-point DllUnregisterServer was not found.\n\nMake sure "
                            "that \"" + PLATFORM_PATH + "\" is a valid DLL or OCX file and then try again.\n";
  const std::string call = "The module \"" + kLibrary +
                           "\" was loaded but the call to DllRegisterServer failed with error code 0x80070005.\n\n"
                           "For more information about this problem, search online using the error code as the "
                           "search term.\n\nAccess is denied.\n";
  struct Case {
    std::vector<std::string> args;
    std::vector<std::string> environment;
    int status;
    std::string err;  // its start
  } cases[] = {
      {{"missing.so", kLibrary}, {}, 3, load},
      {{"/u", "/s", PLATFORM_PATH}, {}, 4, entry},
      {{"/s", kLibrary}, {"TOVIN_REGISTRY_MACHINE_READONLY=1"}, 5, call},
      {{"/n", kLibrary}, {}, 1, "regsvr: /n is only valid together with /i\n\nUsage: regsvr "},
      {{"/s"}, {}, 1, "regsvr: To register a module, you must provide a binary name.\n\nUsage: regsvr "},
  };
  for (const Case &c : cases) {
    RunResult result = Regsvr(c.args, "registry.db", c.environment);
    EXPECT_EQ(result.status, c.status) << c.args[0];
    EXPECT_EQ(result.err.substr(0, c.err.size()), c.err);
    EXPECT_EQ(result.out, "");
  }
  // Nothing after the first failure ran.
  EXPECT_EQ(ServerPath(HKEY_LOCAL_MACHINE, "registry.db"), "-");
  std::ofstream(Path("notes.db")) << "not a database\n";
  RunResult other = Regsvr({"/s", kLibrary}, "notes.db");
  EXPECT_EQ(other.status, 5);
  EXPECT_EQ(other.err, "regsvr: The registry file " + Path("notes.db") +
                           " is not a registry database; it was left unchanged.\n");
}

TEST_F(RegsvrProcess, ExportGivesWhatRegistrationGivesAndLeavesTheRegistryAlone) {
  RunResult exported = Regsvr({"/export:machine.reg", kLibrary}, "persistent.db");
  EXPECT_EQ(exported.status, 0) << exported.err;
  EXPECT_EQ(exported.out, "DllRegisterServer in " + kLibrary + " succeeded.\n");
  EXPECT_FALSE(std::ifstream(Path("persistent.db")).good());
  EXPECT_EQ(Bytes("machine.reg").substr(0, 2), "\xff\xfe");
  EXPECT_EQ(Regsvr({kLibrary}, "direct.db").status, 0);
  EXPECT_EQ(Run(REG_PATH, {"import", "machine.reg"}, "imported.db").status, 0);
  EXPECT_EQ(Everything("imported.db"), Everything("direct.db"));
  seams::ResetRegistry();

  EXPECT_EQ(Regsvr({"/s", "/export:user.reg", "/n", "/i:user", kLibrary}).status, 0);
  EXPECT_EQ(Regsvr({"/s", "/n", "/i:user", kLibrary}, "direct-user.db").status, 0);
  EXPECT_EQ(Run(REG_PATH, {"import", "user.reg"}, "imported-user.db").status, 0);
  EXPECT_EQ(Everything("imported-user.db"), Everything("direct-user.db"));
}

TEST_F(RegsvrProcess, ExportOfUnregistrationDeletesWhatUnregistrationDeletes) {
  ASSERT_EQ(Regsvr({"/s", kLibrary}, "persistent.db").status, 0);
  const std::string database = Bytes("persistent.db"), log = Bytes("persistent.db-wal");
  RunResult exported = Regsvr({"/s", "/u", "/export:remove.reg", kLibrary}, "persistent.db");
  EXPECT_EQ(exported.status, 0) << exported.err;
  EXPECT_EQ(exported.out, "");
  EXPECT_TRUE(Bytes("persistent.db") == database && Bytes("persistent.db-wal") == log);
  EXPECT_EQ(ServerPath(HKEY_LOCAL_MACHINE, "persistent.db"), kLibrary);

  ASSERT_EQ(Regsvr({"/s", kLibrary}, "target.db").status, 0);
  EXPECT_EQ(Run(REG_PATH, {"import", "remove.reg"}, "target.db").status, 0);
  ASSERT_EQ(Regsvr({"/s", kLibrary}, "direct.db").status, 0);
  ASSERT_EQ(Regsvr({"/s", "/u", kLibrary}, "direct.db").status, 0);
  EXPECT_EQ(Everything("target.db"), Everything("direct.db"));
}

TEST_F(RegsvrProcess, ExportOfAHostileLibraryWritesNothingAndLeavesNoCopyBehind) {
  const struct {
    std::vector<std::string> args;
    std::string err;
  } cases[] = {
      {{"/s", "/export:old.reg", HOSTILE_SERVER_PATH},
       "regsvr: cannot export HKEY_CURRENT_USER\\Software\\j]^M^J[-HKEY_CLASSES_ROOT: its name or a value name in it "
       "holds a line break, which a regedit file cannot carry\n"},
      {{"/s", "/u", "/export:old.reg", HOSTILE_SERVER_PATH},
       "regsvr: the calls ended with signal 6 (Aborted); nothing was exported\n"},
  };
  std::filesystem::create_directory(Path("tmp"));
  std::ofstream(Path("old.reg")) << "old";
  for (const auto &c : cases) {
    RunResult result = Regsvr(c.args, "registry.db", {"TMPDIR=" + Path("tmp")});
    EXPECT_EQ(result.status, 5);
    EXPECT_EQ(result.err, c.err);
    EXPECT_EQ(Bytes("old.reg"), "old");
    EXPECT_TRUE(std::filesystem::is_empty(Path("tmp")));
  }
}

}  // namespace
