// The history as the editor offers it: which slots of a kept bank differ from the bank being
// edited, said in a line; and the last run's edits told of once at start.

#include <gtest/gtest.h>

#include <initializer_list>

#include "files/HistoryChoices.h"

namespace kestralux {
namespace {

struct DifferRow {
  std::initializer_list<int> changedSlots;  // from 1, as the window numbers them
  bool byName;                              // the name changed, not a value
  const char* said;
};

const DifferRow kDiffers[] = {
    {{}, false, "SAME AS THE BANK"},
    {{4}, false, "SLOT 4 DIFFERS"},
    {{4}, true, "SLOT 4 DIFFERS"},
    {{1, 2, 3, 7}, false, "SLOTS 1-3, 7 DIFFER"},
    {{29, 30}, true, "SLOTS 29-30 DIFFER"},
    {{1, 30}, false, "SLOTS 1, 30 DIFFER"},
    {{2, 4, 5, 6, 9, 10}, false, "SLOTS 2, 4-6, 9-10 DIFFER"},
};

TEST(HistoryChoices, SaysWhichSlotsOfAKeptBankDifferFromTheBank) {
  PresetBank bank{};
  for (int n = 0; n < kPresetCount; ++n) bank[static_cast<std::size_t>(n)].setValue(AMP_GAIN, n);
  for (const DifferRow& row : kDiffers) {
    SCOPED_TRACE(row.said);
    PresetBank kept = bank;
    for (const int slot : row.changedSlots) {
      PresetRecord& r = kept[static_cast<std::size_t>(slot - 1)];
      if (row.byName) r.storeName("OTHER");
      else r.setValue(AMP_BASS, 7);
    }
    const std::bitset<kPresetCount> differing = slotsDiffering(kept, bank);
    EXPECT_EQ(differing.count(), row.changedSlots.size());
    for (const int slot : row.changedSlots) EXPECT_TRUE(differing[static_cast<std::size_t>(slot - 1)]);
    EXPECT_EQ(differingText(differing), row.said);
  }
  PresetBank other{};
  for (PresetRecord& r : other) r.setValue(AMP_TREBLE, 3);
  EXPECT_EQ(differingText(slotsDiffering(other, bank)), "ALL 30 SLOTS DIFFER");
}

HistoryEntry entry(const char* time, const char* kind) {
  return {std::string("/h/") + time + " " + kind + ".bnk", time, kind, 1};
}

struct SessionRow {
  const char* what;
  std::vector<HistoryEntry> newestFirst;
  const char* toldBefore;
  const char* told;  // nullptr: nothing to tell
};

TEST(HistoryChoices, TellsOfTheLastRunsEditsOnce) {
  const SessionRow rows[] = {
      {"no history", {}, "", nullptr},
      {"nothing kept at an end", {entry("2026-12-07 10-00-00", "fetched")}, "", nullptr},
      {"a run ended with edits", {entry("2026-12-07 11-00-00", "session"), entry("2026-12-07 10-00-00", "fetched")}, "",
       "2026-12-07 11-00-00 session.bnk"},
      {"the tool fetched since", {entry("2026-12-07 12-00-00", "fetched"), entry("2026-12-07 11-00-00", "session")}, "",
       "2026-12-07 11-00-00 session.bnk"},
      {"already told", {entry("2026-12-07 11-00-00", "session")}, "2026-12-07 11-00-00 session.bnk", nullptr},
      {"a newer run's edits", {entry("2026-12-07 13-00-00", "session"), entry("2026-12-07 11-00-00", "session")},
       "2026-12-07 11-00-00 session.bnk", "2026-12-07 13-00-00 session.bnk"},
  };
  for (const SessionRow& row : rows) {
    SCOPED_TRACE(row.what);
    const std::optional<HistoryEntry> told = sessionToTell(row.newestFirst, row.toldBefore);
    ASSERT_EQ(told.has_value(), row.told != nullptr);
    if (told) {
      EXPECT_EQ(told->path.filename().string(), row.told);
    }
  }
}

TEST(HistoryChoices, WhenReadsAsAClock) {
  EXPECT_EQ(historyWhen(entry("2026-12-07 14-03-55", "stored 10 of 30")), "2026-12-07 14:03:55");
}

}  // namespace
}  // namespace kestralux
