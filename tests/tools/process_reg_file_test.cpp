// The registry file as the host programs meet it: another program's file, a
// file that may only be read, a missing file, a copy of the file alone, and
// an import while another process writes.
#include <sqlite3.h>
#include <sys/stat.h>
#include <unistd.h>

#include <chrono>
#include <thread>

#include "tools/reg_process.h"

namespace {

using reg_test::RegProcess;
using reg_test::Result;

// Runs `sql` on the database `path`, made when missing.
void Sql(const std::string &path, const std::string &sql) {
  sqlite3 *db = nullptr;
  ASSERT_EQ(sqlite3_open(path.c_str(), &db), SQLITE_OK);
  EXPECT_EQ(sqlite3_exec(db, sql.c_str(), nullptr, nullptr, nullptr), SQLITE_OK) << sqlite3_errmsg(db);
  sqlite3_close(db);
}

TEST_F(RegProcess, FilesOfOtherProgramsAreRefusedUnchanged) {
  const struct {
    const char *name;
    const char *sql;   // makes the file, or null
    const char *text;  // else its bytes
  } files[] = {
      {"notes.db", "CREATE TABLE notes(t); INSERT INTO notes VALUES('x')", nullptr},
      {"tagged.db", "PRAGMA application_id = 42; CREATE TABLE reg_keys(x)", nullptr},
      {"text.db", nullptr, "plain text, no database\n"},
  };
  for (const auto &f : files) {
    if (f.sql)
      Sql(Path(f.name), f.sql);
    else
      WriteFile(f.name, f.text);
    const std::string before = ReadFile(f.name);
    for (const char *command : {"query", "add"}) {
      Result result = Reg({command, "HKCU\\Software\\T", "--registry", f.name});
      EXPECT_EQ(result.status, 1) << f.name << " " << command;
      EXPECT_EQ(result.err, "ERROR: The registry file " + std::string(f.name) +
                                " is not a registry database; it was left unchanged.\n");
    }
    EXPECT_EQ(ReadFile(f.name), before) << f.name;
    EXPECT_FALSE(std::filesystem::exists(Path(f.name + std::string("-wal")))) << f.name;
  }
}

TEST_F(RegProcess, QueryOfAMissingFileSaysSoAndMakesNone) {
  Result result = Reg({"query", "HKCU\\Software"});
  EXPECT_EQ(result.status, 1);
  EXPECT_EQ(result.err, "ERROR: The registry file " + registry_ + " does not exist.\n");
  EXPECT_FALSE(std::filesystem::exists(registry_));
}

// The programs leave no write-ahead log behind: a backup of the file alone holds everything.
TEST_F(RegProcess, TheDatabaseFileAloneHoldsWhatWasWritten) {
  Ok({"add", "HKCU\\Software\\T", "/v", "v", "/d", "kept", "/f"});
  EXPECT_FALSE(std::filesystem::exists(registry_ + "-wal") && std::filesystem::file_size(registry_ + "-wal") > 0);
  std::filesystem::copy_file(registry_, Path("copy.db"));
  EXPECT_NE(Ok({"query", "HKCU\\Software\\T", "--registry", Path("copy.db")}).find("kept"), std::string::npos);
}

// The owner's file made read-only; as root, whom that does not stop, the
// files go to nobody and the commands run as nobody.
TEST_F(RegProcess, AFileThatMayOnlyBeReadServesReadsAndRefusesWrites) {
  Ok({"add", "HKCU\\Software\\T", "/v", "v", "/d", "kept", "/f"});
  WriteFile("t.reg", "REGEDIT4\n[HKEY_CURRENT_USER\\Software\\T]\n\"v\"=\"new\"\n");
  std::string prefix;
  if (geteuid() == 0) {
    if (std::system("command -v setpriv >/dev/null") != 0) GTEST_SKIP() << "no setpriv to run as another user";
    prefix = "setpriv --reuid=65534 --regid=65534 --clear-groups ";
    for (const auto &entry : std::filesystem::directory_iterator(dir_))
      ASSERT_EQ(chown(entry.path().c_str(), 65534, 65534), 0);
    ASSERT_EQ(chown(dir_.c_str(), 65534, 65534), 0);
  }
  ASSERT_EQ(chmod(registry_.c_str(), 0444), 0);
  const std::string before = ReadFile("registry.db");
  const auto as = [&](const std::vector<std::string> &args) {
    return Shell(prefix + "sh -c " + reg_test::Quote(Command(args)));
  };
  Result read = as({"query", "HKCU\\Software\\T"});
  EXPECT_EQ(read.status, 0) << read.err;
  EXPECT_NE(read.out.find("kept"), std::string::npos);
  const std::string refused = "ERROR: Access is denied. The registry file " + registry_ + " may only be read.\n";
  for (const std::vector<std::string> &args : {std::vector<std::string>{"add", "HKCU\\Software\\T", "/v", "w", "/f"},
                                               std::vector<std::string>{"import", "t.reg"}}) {
    Result write = as(args);
    EXPECT_EQ(write.status, 1) << args[0];
    EXPECT_EQ(write.err, refused);
  }
  EXPECT_EQ(ReadFile("registry.db"), before);
}

// An import waits for another process's write to end, then lands whole.
TEST_F(RegProcess, AnImportWaitsForAnotherWriter) {
  Ok({"add", "HKCU\\Software\\T", "/f"});
  WriteFile("t.reg", "REGEDIT4\n[HKEY_CURRENT_USER\\Software\\T]\n\"v\"=\"new\"\n");
  sqlite3 *db = nullptr;
  ASSERT_EQ(sqlite3_open(registry_.c_str(), &db), SQLITE_OK);
  ASSERT_EQ(sqlite3_exec(db, "BEGIN IMMEDIATE", nullptr, nullptr, nullptr), SQLITE_OK);
  const auto started = std::chrono::steady_clock::now();
  std::thread release([db] {
    std::this_thread::sleep_for(std::chrono::milliseconds(300));
    sqlite3_exec(db, "COMMIT", nullptr, nullptr, nullptr);
  });
  Result import = Reg({"import", "t.reg"});
  release.join();
  sqlite3_close(db);
  EXPECT_EQ(import.status, 0) << import.err;
  EXPECT_GE(std::chrono::steady_clock::now() - started, std::chrono::milliseconds(300));
  EXPECT_NE(Ok({"query", "HKCU\\Software\\T"}).find("new"), std::string::npos);
}

}  // namespace
