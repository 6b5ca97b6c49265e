// reg import over a registry file cut short: killed at random points, a write
// failing at each point in turn, and a disk filling up at each size in turn.
// Each time the file must pass SQLite's check and hold every key and value as
// before the import (or, for a kill after the commit, as after it).
#include <gtest/gtest.h>
#include <signal.h>
#include <sqlite3.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <random>

#include "platform_seams.h"
#include "processes_posix.h"
#include "regedit_apply.h"
#include "regedit_reader.h"
#include "tests/support/temp_directory.h"

namespace {

using processes::IntegrityCheck;
using Clock = std::chrono::steady_clock;

// Every key and value row of the database, in id order; `times` keeps the
// keys' write times, which an import applied anew gives other values.
std::string Contents(const std::string &file, bool times) {
  sqlite3 *db = nullptr;
  std::string out;
  if (sqlite3_open_v2(file.c_str(), &db, SQLITE_OPEN_READONLY, nullptr) == SQLITE_OK) {
    const std::string sql = std::string("SELECT id, parent, hex(name), hex(class), volatile, ") +
                            (times ? "written" : "0") + " FROM reg_keys UNION ALL SELECT key, -1, hex(name), " +
                            "hex(data), type, 0 FROM reg_values ORDER BY 2, 1, 3";
    sqlite3_stmt *statement = nullptr;
    if (sqlite3_prepare_v2(db, sql.c_str(), -1, &statement, nullptr) == SQLITE_OK)
      while (sqlite3_step(statement) == SQLITE_ROW) {
        for (int i = 0; i < 6; ++i) {
          const unsigned char *text = sqlite3_column_text(statement, i);
          out += text ? reinterpret_cast<const char *>(text) : "-";
          out += i < 5 ? ' ' : '\n';
        }
      }
    sqlite3_finalize(statement);
  }
  sqlite3_close(db);
  return out;
}

// A regedit file of `keys` new keys with a value each, after lines that
// change what Seed wrote: a value overwritten, one deleted, a subtree deleted.
std::string ImportFile(unsigned keys) {
  std::string text =
      "REGEDIT4\n[HKEY_CURRENT_USER\\Software\\Seed]\n\"a\"=\"changed\"\n\"b\"=-\n"
      "[-HKEY_CURRENT_USER\\Software\\Seed\\Old]\n";
  for (unsigned i = 0; i < keys; ++i)
    text += "[HKEY_CURRENT_USER\\Software\\Import\\K" + std::to_string(i) + "\\Inner]\n\"v\"=dword:" +
            std::to_string(10000000 + i) + "\n";
  return text;
}

class ImportSweep : public ::testing::Test {
 protected:
  void SetUp() override {
    seams::Reset();
    ASSERT_FALSE(directory.path().empty());
    file = directory.path() + "/registry.db";
    seams::SetRegistryFile(file);
    ASSERT_EQ(Apply("REGEDIT4\n[HKEY_CURRENT_USER\\Software\\Seed]\n\"a\"=\"1\"\n\"b\"=\"2\"\n"
                    "[HKEY_CURRENT_USER\\Software\\Seed\\Old\\Inner]\n\"c\"=hex:01,02\n")
                  .status,
              ERROR_SUCCESS);
    seams::SetRegistryFile("");  // closed: the file alone holds the seed
    before = Contents(file, true);
    ASSERT_NE(before, "");
  }
  void TearDown() override { seams::SetRegistryFile(""); }

  static tools::ApplyResult Apply(const std::string &text) {
    tools::RegeditParse parse;
    std::string error;
    EXPECT_TRUE(tools::ParseRegedit(text, &parse, &error)) << error;
    return tools::ApplyRegedit(parse.ops);
  }

  // Applies `text` in this process with `arm` run first on the open store;
  // true when it was applied, else checks that nothing of it was kept.
  bool ApplyArmed(const std::string &text, void (*arm)(unsigned), unsigned n) {
    seams::SetRegistryFile(file);
    arm(n);
    const tools::ApplyResult result = Apply(text);
    seams::FailRegistryWrite(0, 0);
    seams::SetRegistryFile("");
    if (result.status == ERROR_SUCCESS) return true;
    EXPECT_EQ("ok", IntegrityCheck(file)) << n;
    EXPECT_EQ(Contents(file, true), before) << n;
    return false;
  }

  testing_files::TempDirectory directory;
  std::string file;
  std::string before;
};

// reg import of a file of TOVIN_IMPORT_KEYS (600) keys, each with a subkey
// and a value, killed at TOVIN_KILL_ITERATIONS (100) random points of its
// run, by SIGKILL, SIGTERM or SIGINT in turn.
TEST_F(ImportSweep, KilledImportsLeaveTheRegistryAsBeforeOrWhole) {
  const std::string reg = directory.path() + "/import.reg", base = directory.path() + "/base.db";
  std::ofstream(reg) << ImportFile(processes::Setting("TOVIN_IMPORT_KEYS", 600));
  std::filesystem::copy_file(file, base);
  const std::vector<std::string> argv{REG_PATH, "import", reg, "--registry", file};
  const auto started = Clock::now();
  ASSERT_EQ(0, processes::Run(argv));
  const auto span = std::chrono::duration_cast<std::chrono::microseconds>(Clock::now() - started).count();
  const std::string after = Contents(file, false);
  const unsigned seed = std::random_device()();
  SCOPED_TRACE("seed " + std::to_string(seed));
  std::mt19937 random(seed);
  std::uniform_int_distribution<long> delay(0, span);
  const int signals[] = {SIGKILL, SIGTERM, SIGINT};
  const unsigned iterations = processes::Setting("TOVIN_KILL_ITERATIONS", 100);
  unsigned untouched = 0, whole = 0;
  for (unsigned i = 0; i < iterations && !HasFailure(); ++i) {
    std::filesystem::copy_file(base, file, std::filesystem::copy_options::overwrite_existing);
    for (const char *suffix : {"-wal", "-shm"}) std::filesystem::remove(file + suffix);
    const pid_t child = processes::Start(argv);
    ASSERT_LT(0, child);
    usleep(static_cast<useconds_t>(delay(random)));
    kill(child, signals[i % 3]);
    processes::Finish(child);
    ASSERT_EQ("ok", IntegrityCheck(file)) << "run " << i;
    if (Contents(file, true) == before) {
      ++untouched;
    } else {
      EXPECT_EQ(Contents(file, false), after) << "run " << i;
      ++whole;
    }
  }
  std::cout << untouched << " runs left the registry as before, " << whole << " whole\n";
  EXPECT_LT(0u, untouched);
}

// The Nth statement that changes the store fails, for every N the import reaches.
TEST_F(ImportSweep, AFailedWriteAnywhereLeavesTheRegistryAsBefore) {
  const std::string text = ImportFile(3);
  unsigned n = 1;
  while (!ApplyArmed(text, [](unsigned nth) { seams::FailRegistryWrite(nth, ERROR_REGISTRY_IO_FAILED); }, n)) ++n;
  EXPECT_LT(10u, n);
}

// The database may grow by N pages only, for every N until the import fits.
TEST_F(ImportSweep, AFullDiskAnywhereLeavesTheRegistryAsBefore) {
  const std::string text = ImportFile(300);
  unsigned n = 0;
  while (!ApplyArmed(text, seams::LimitRegistryGrowth, n)) ++n;
  EXPECT_LT(5u, n);
}

}  // namespace
