// What the history of banks and the library keep of each bank that came or went: one entry,
// and one sighting per slot that came or went, at that slot, under the preset's name.

#include <gtest/gtest.h>

#include <fstream>
#include <functional>
#include <random>
#include <sstream>

#include "library/BankMoves.h"
#include "tests/library/LibraryFolder.h"

namespace kestralux {
namespace {

namespace fs = std::filesystem;

TEST(KeptBankMoves, OneEntryAndOneSightingPerSlotThatCameOrWent) {
  struct Row {
    const char* what;
    BankMove::Kind kind;
    std::vector<int> which;
    std::string entry;         // the history entry's kind
    std::vector<int> slots;    // the library's sightings, by combo slot
    const char* place;         // how the first is described
  };
  const Row rows[] = {
      {"a whole fetch", BankMove::Kind::Fetched, {}, "fetched", {}, "fetched from the combo's slot 1"},
      {"a fetch whose 0x2A was lost and one damaged", BankMove::Kind::Fetched, {1, 2, 4}, "fetched 3 of 30, 1 damaged",
       {2, 3, 5}, "fetched from the combo's slot 2"},
      {"a store of which ten went out", BankMove::Kind::Stored, {0, 1, 2, 3, 4, 5, 6, 7, 8, 9}, "stored 10 of 30",
       {1, 2, 3, 4, 5, 6, 7, 8, 9, 10}, "stored to the combo's slot 1"},
      {"the bank kept before a fetch is no sighting", BankMove::Kind::BeforeFetch, {}, "before fetch", {}, nullptr},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.what);
    const fs::path folder = test::freshFolder("bank-moves");
    PresetLibrary library;
    ASSERT_EQ(library.open(folder / "library.sqlite", folder / "history").state, LibraryOpening::State::Ready);
    BankMove move;
    move.kind = row.kind;
    for (int n = 0; n < kPresetCount; ++n) move.bank[static_cast<std::size_t>(n)] = test::sound("", n + 1, n % 16);
    move.bank[1].storeName("CLEAN CHIME");
    move.damaged = row.kind == BankMove::Kind::Fetched && !row.which.empty() ? 1 : 0;
    std::vector<int> slots = row.slots;
    if (row.which.empty() && row.kind != BankMove::Kind::BeforeFetch) {
      move.which.set();
      for (int n = 1; n <= kPresetCount; ++n) slots.push_back(n);
    }
    for (int n : row.which) move.which.set(static_cast<std::size_t>(n));
    std::ostringstream err;

    keepBankMove(move, folder / "history", &library, err, "test", 1'800'000'000);

    EXPECT_EQ(err.str(), "");
    const std::vector<HistoryEntry> entries = listHistory(folder / "history");
    ASSERT_EQ(entries.size(), 1u);
    EXPECT_EQ(entries[0].kind, row.entry);
    std::vector<int> seen;
    std::string first;
    for (const SoundRow& sound : library.search({}).rows) {
      for (const Sighting& s : library.sound(sound.id).sightings) {
        seen.push_back(s.place.slot);
        if (s.place.slot == slots.front()) first = describePlace(s.place);
        if (s.place.slot == 2) {
          EXPECT_EQ(s.name, "CLEAN CHIME");
        }
      }
    }
    std::sort(seen.begin(), seen.end());
    EXPECT_EQ(seen, slots);
    if (row.place) {
      EXPECT_EQ(first, row.place);
    }
  }
}

// What the library found while a fetch or a store was noted is said with it, once; a library
// that only reads is never asked to note anything, and says nothing.
TEST(KeptBankMoves, WhatTheLibraryFoundIsSaidOnceAndAReadOnlyOneIsLeftAlone) {
  struct Row {
    const char* what;
    std::function<void(const fs::path& file)> meanwhile;  // done to the open library's file
    bool readOnly;
    const char* said;  // "" for nothing
  };
  const Row rows[] = {
      {"left alone", [](const fs::path&) {}, false, ""},
      {"replaced by 100,000 random bytes",
       [](const fs::path& file) {
         std::mt19937 random(7);
         std::string bytes(100'000, '\0');
         for (char& c : bytes) c = static_cast<char>(random());
         std::ofstream(file.string() + ".new", std::ios::binary) << bytes;
         fs::rename(file.string() + ".new", file);
       },
       false, " was replaced while this program ran"},
      {"removed", [](const fs::path& file) { fs::remove(file); }, false, " was removed while this program ran"},
      {"of a newer version, so read-only", [](const fs::path&) {}, true, ""},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.what);
    const fs::path folder = test::freshFolder("bank-moves-said");
    const fs::path file = folder / "library.sqlite";
    if (row.readOnly) {
      PresetLibrary newer;
      ASSERT_EQ(newer.open(file, folder / "history").state, LibraryOpening::State::Ready);
      sqlite3_exec(newer.connection(), "PRAGMA user_version = 99; PRAGMA wal_checkpoint(TRUNCATE)", nullptr, nullptr, nullptr);
    }
    PresetLibrary library;
    ASSERT_EQ(library.open(file, folder / "history").state,
              row.readOnly ? LibraryOpening::State::ReadOnly : LibraryOpening::State::Ready);
    row.meanwhile(file);
    BankMove move;
    move.kind = BankMove::Kind::Fetched;
    move.which.set();
    for (int n = 0; n < kPresetCount; ++n) move.bank[static_cast<std::size_t>(n)] = test::sound("", n + 1, n % 16);

    std::ostringstream first, second;
    const Noted noted = keepBankMove(move, folder / "history", &library, first, "test", 1'800'000'000);
    keepBankMove(move, folder / "history", &library, second, "test", 1'800'000'001);

    EXPECT_EQ(listHistory(folder / "history").size(), 2u) << "the history keeps every bank";
    if (*row.said) {
      EXPECT_TRUE(first.str().starts_with("test: " + file.string() + row.said)) << first.str();
      EXPECT_EQ("test: " + noted.notice.value_or("") + "\n", first.str());
    } else {
      EXPECT_EQ(first.str(), "");
    }
    EXPECT_EQ(second.str(), "") << "said once";
  }
}

}  // namespace
}  // namespace kestralux
