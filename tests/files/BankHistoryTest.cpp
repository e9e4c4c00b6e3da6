// The history of banks: entry names by local time and kind, newest first, the newest 500
// kept, files of other names left alone, and a failure that says why and writes nothing.

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <set>
#include <thread>

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

// Several programs keeping banks of one kind in the same second: each gets a name of its own.
TEST_F(BankHistory, WritersAtOnceEachKeepTheirBank) {
  const std::time_t t = localTime(2026, 12, 7, 14, 3, 55);
  constexpr int kWriters = 8, kEach = 25;
  const auto bankOf = [](int writer, int n) {
    PresetBank bank{};
    bank[0].storeName("W" + std::to_string(writer) + " " + std::to_string(n));
    return bank;
  };
  std::vector<std::thread> writers;
  for (int w = 0; w < kWriters; ++w)
    writers.emplace_back([&, w] {
      for (int n = 0; n < kEach; ++n) EXPECT_FALSE(keepInHistory(folder, bankOf(w, n), "fetched", t));
    });
  for (std::thread& w : writers) w.join();

  std::set<Bytes> expected, kept;
  for (int w = 0; w < kWriters; ++w)
    for (int n = 0; n < kEach; ++n) expected.insert(bankFileImage(bankOf(w, n)));
  for (const HistoryEntry& e : listHistory(folder)) kept.insert(readFileStart(e.path, 3000).value_or(Bytes{}));
  EXPECT_EQ(kept.size(), expected.size()) << "banks lost or damaged";
  EXPECT_TRUE(kept == expected);
  for (const auto& file : fs::directory_iterator(folder))
    EXPECT_EQ(file.path().extension(), ".bnk") << "left behind: " << file.path();
}

// Names from a clock that was ahead sort after today's: the entry just written stays, and the
// one written first goes.
TEST_F(BankHistory, PruningGoesByTheOrderOfWriting) {
  const std::time_t now = std::time(nullptr);
  for (std::size_t n = 0; n < kHistoryKept; ++n)
    ASSERT_FALSE(keepInHistory(folder, PresetBank{}, "fetched", now + 366 * 24 * 3600 + static_cast<std::time_t>(n)));
  const fs::path first = listHistory(folder).back().path;
  PresetBank latest{};
  latest[7].storeName("LATEST");
  ASSERT_FALSE(keepInHistory(folder, latest, "stored", now));

  const std::vector<HistoryEntry> kept = listHistory(folder);
  EXPECT_EQ(kept.size(), kHistoryKept);
  EXPECT_EQ(readFileStart(kept.back().path, 3000), bankFileImage(latest)) << "today's name sorts last";
  EXPECT_FALSE(fs::exists(first));
}

// Success means the bank is there, whole; otherwise the reason names the place.
TEST_F(BankHistory, SuccessOnlyWithTheBankKept) {
  const std::time_t t = localTime(2026, 12, 7, 9, 0, 0);
  const std::string stem = "2026-12-07 09-00-00 stored";
  struct Row {
    const char* what;
    std::vector<std::string> folders;  // in the history folder before the write
    bool kept;
  };
  const Row rows[] = {
      {"a folder where the entry goes", {stem + ".bnk"}, true},
      {"folders at the first names", {stem + ".bnk", stem + " (2).bnk", stem + " (3).bnk"}, true},
  };
  PresetBank bank{};
  bank[1].storeName("MINE");
  for (const Row& row : rows) {
    SCOPED_TRACE(row.what);
    fs::remove_all(folder);
    for (const std::string& f : row.folders) fs::create_directories(folder / f);
    const auto why = keepInHistory(folder, bank, "stored", t);
    ASSERT_EQ(!why, row.kept) << why.value_or("");
    const std::vector<HistoryEntry> entries = listHistory(folder);
    ASSERT_EQ(entries.size(), 1u);
    EXPECT_EQ(readFileStart(entries[0].path, 3000), bankFileImage(bank));
    for (const std::string& f : row.folders) EXPECT_TRUE(fs::is_directory(folder / f));
  }
}

TEST_F(BankHistory, AFailureSaysWhyAndStopsNothing) {
  fs::create_directories(folder.parent_path());
  std::ofstream(folder) << "a file where the folder should be";
  const auto why = keepInHistory(folder, PresetBank{}, "stored", localTime(2026, 12, 7, 9, 0, 0));
  ASSERT_TRUE(why);
  EXPECT_NE(why->find(folder.string()), std::string::npos) << *why;

  const fs::path data = test::dataHome();
  ::setenv("XDG_DATA_HOME", folder.c_str(), 1);  // the folder cannot be made under a file
  std::ostringstream err;
  keepBank(PresetBank{}, "stored", err, "kestralux");
  ::setenv("XDG_DATA_HOME", data.c_str(), 1);
  EXPECT_EQ(err.str().rfind("kestralux: the history of banks could not keep this bank (", 0), 0u) << err.str();
  fs::remove(folder);
}

// Two entries' presets differ when their values do, or both have names that differ; a name
// the combo did not send is no difference.
// What the editor last knew of the combo's slots: the newest bank that came whole from it or
// went whole to it, never the editor's own bank nor a part of the combo's.
TEST_F(BankHistory, TheCombosBankIsTheNewestWholeFetchOrStore) {
  const auto bankNamed = [](const char* name) {
    PresetBank bank{};
    bank[1].storeName(name);
    return bank;
  };
  struct Row {
    const char* what;
    std::vector<std::pair<const char*, const char*>> entries;  // kind, slot 2's name; oldest first
    const char* name;                                            // nullptr: none
  };
  const Row rows[] = {
      {"an empty history", {}, nullptr},
      {"the newest store", {{"fetched", "OLD"}, {"stored", "NEW"}}, "NEW"},
      {"the newest fetch", {{"stored", "OLD"}, {"fetched", "NEW"}}, "NEW"},
      {"a later session, fetch in part and bank before a fetch are not the combo's",
       {{"fetched", "COMBO"}, {"session", "EDITS"}, {"fetched 12 of 30", "PART"}, {"before fetch", "BEFORE"}}, "COMBO"},
      {"a damaged entry is passed over", {{"stored", "COMBO"}, {"fetched", nullptr}}, "COMBO"},
  };
  const std::time_t t = localTime(2026, 12, 7, 14, 3, 55);
  for (const Row& row : rows) {
    SCOPED_TRACE(row.what);
    fs::remove_all(folder);
    std::time_t when = t;
    for (const auto& [kind, name] : row.entries) {
      ASSERT_FALSE(keepInHistory(folder, bankNamed(name ? name : "X"), kind, when++));
      if (!name) fs::resize_file(listHistory(folder).front().path, 100);
    }
    const std::optional<PresetBank> bank = newestComboBank(folder);
    ASSERT_EQ(bank.has_value(), row.name != nullptr);
    if (bank) {
      EXPECT_EQ((*bank)[1].validName(), row.name);
    }
  }
}

TEST(HistoryDifferences, AMissingNameIsNoDifference) {
  struct Row {
    const char* what;
    void (*change)(PresetRecord& older, PresetRecord& newer);
    int differing;
  };
  const Row rows[] = {
      {"the same", [](PresetRecord&, PresetRecord&) {}, 0},
      {"the newer has no name", [](PresetRecord&, PresetRecord& newer) { newer.bytes.fill(0), newer.setValue(AMP_GAIN, 9); }, 0},
      {"the older has no name", [](PresetRecord& older, PresetRecord&) { older.bytes.fill(0), older.setValue(AMP_GAIN, 9); }, 0},
      {"two names", [](PresetRecord&, PresetRecord& newer) { newer.storeName("OTHER"); }, 1},
      {"no name and other values", [](PresetRecord&, PresetRecord& newer) { newer.bytes.fill(0); }, 1},
      {"a name and another reserved word", [](PresetRecord&, PresetRecord& newer) { newer.setSlot(kReservedSlot, 1); }, 1},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.what);
    PresetBank older{}, newer{};
    for (PresetBank* bank : {&older, &newer})
      for (PresetRecord& r : *bank) r.setValue(AMP_GAIN, 9);
    older[4].storeName("CLEAN CHIME");
    newer[4].storeName("CLEAN CHIME");
    row.change(older[4], newer[4]);
    EXPECT_EQ(presetsDiffering(older, newer), row.differing);
    EXPECT_EQ(presetsDiffering(newer, older), row.differing);
  }
}

}  // namespace
}  // namespace kestralux
