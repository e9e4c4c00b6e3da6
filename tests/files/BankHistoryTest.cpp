// The history of banks: entry names by local time and kind, newest first, the newest 500
// kept, files of other names left alone, and a failure that says why and writes nothing.

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "files/BankHistory.h"
#include "files/PresetFiles.h"
#include "tests/HistoryHome.h"

namespace kestralux {
namespace {

namespace fs = std::filesystem;

std::time_t localTime(int year, int month, int day, int hour, int minute, int second) {
  std::tm t{};
  t.tm_year = year - 1900, t.tm_mon = month - 1, t.tm_mday = day;
  t.tm_hour = hour, t.tm_min = minute, t.tm_sec = second;
  t.tm_isdst = -1;
  return std::mktime(&t);
}

class BankHistory : public ::testing::Test {
 protected:
  void SetUp() override {
    folder = test::historyHome() / "bank-history-test";
    fs::remove_all(folder);
  }
  std::vector<std::string> names() const {
    std::vector<std::string> out;
    for (const HistoryEntry& e : listHistory(folder)) out.push_back(e.path.filename().string());
    return out;
  }
  fs::path folder;
};

TEST_F(BankHistory, EntriesAreNamedByTimeAndKindNewestFirst) {
  PresetBank bank{};
  bank[3].storeName("KEPT");
  const std::time_t t = localTime(2026, 12, 7, 14, 3, 55);
  for (const char* kind : {"fetched", "stored", "fetched 12 of 30"}) ASSERT_FALSE(keepInHistory(folder, bank, kind, t));
  ASSERT_FALSE(keepInHistory(folder, bank, "session", t + 61));
  std::ofstream(folder / "notes.txt") << "not an entry";
  std::ofstream(folder / "2026-12-07 14-03-55 mine.bnk.part") << "not an entry";

  EXPECT_EQ(names(), (std::vector<std::string>{"2026-12-07 14-04-56 session.bnk", "2026-12-07 14-03-55 fetched 12 of 30 (3).bnk",
                                               "2026-12-07 14-03-55 stored (2).bnk", "2026-12-07 14-03-55 fetched.bnk"}));
  const HistoryEntry newest = listHistory(folder)[1];
  EXPECT_EQ(newest.time, "2026-12-07 14-03-55");
  EXPECT_EQ(newest.kind, "fetched 12 of 30");
  EXPECT_EQ(readFileStart(newest.path, 3000), bankFileImage(bank)) << "an ordinary .bnk";
  EXPECT_TRUE(fs::exists(folder / "notes.txt"));
}

TEST_F(BankHistory, TheNewest500AreKept) {
  const std::time_t start = localTime(2026, 1, 1, 0, 0, 0);
  for (int n = 0; n < 503; ++n) ASSERT_FALSE(keepInHistory(folder, PresetBank{}, "fetched", start + n));
  const std::vector<HistoryEntry> kept = listHistory(folder);
  ASSERT_EQ(kept.size(), kHistoryKept);
  EXPECT_EQ(kept.front().time, "2026-01-01 00-08-22");
  EXPECT_EQ(kept.back().time, "2026-01-01 00-00-03");
}

TEST_F(BankHistory, AFailureSaysWhyAndStopsNothing) {
  fs::create_directories(folder.parent_path());
  std::ofstream(folder) << "a file where the folder should be";
  const auto why = keepInHistory(folder, PresetBank{}, "stored", localTime(2026, 12, 7, 9, 0, 0));
  ASSERT_TRUE(why);
  EXPECT_NE(why->find(folder.string()), std::string::npos) << *why;

  ::setenv("XDG_DATA_HOME", folder.c_str(), 1);  // the folder cannot be made under a file
  std::ostringstream err;
  keepBank(PresetBank{}, "stored", err, "kestralux");
  ::setenv("XDG_DATA_HOME", test::historyHome().c_str(), 1);
  EXPECT_EQ(err.str().rfind("kestralux: the history of banks could not keep this bank (", 0), 0u) << err.str();
  fs::remove(folder);
}

}  // namespace
}  // namespace kestralux
