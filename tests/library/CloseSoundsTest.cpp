// Close sounds: one step in, one step out, another effect or amp model, the controls an
// effect has not; every close pair found among many sounds; which of a group a list keeps;
// and the same through the library's search.

#include <gtest/gtest.h>

#include <random>

#include "library/CloseSounds.h"
#include "tests/library/LibraryFolder.h"

namespace kestralux {
namespace {

PresetRecord base(int effect = 0) {
  PresetRecord r;
  r.setValue(AMP_TYPE, 3);
  r.setValue(EFFECT_SELECT, effect);
  for (const int p : {AMP_GAIN, AMP_MASTER, AMP_BASS, AMP_MID, AMP_TREBLE, REV_LEVEL, DELAY_LEVEL, DELAY_REGEN, DELAY_PAN,
                      GATE_THRES, EFF_ADJUST1, EFF_ADJUST2})
    r.setValue(p, 15);
  r.setValue(DELAY_TIME, 100);
  r.setValue(EFF_RATE, 100);
  return r;
}

PresetRecord changed(PresetRecord r, int parameter, int by) {
  r.setValue(parameter, r.value(parameter) + by);
  return r;
}

struct CloseRow {
  const char* what;
  PresetRecord a, b;
  bool close;
};

TEST(CloseSounds, OneStepInOneStepOutAnotherEffect) {
  std::vector<CloseRow> rows{
      {"the same values", base(), base(), true},
      {"another amp model", base(), changed(base(), AMP_TYPE, 1), false},
      {"another effect", base(0), base(2), false},
      {"a step apart in every control at once", base(), [] {
         PresetRecord r = base();
         for (const int p : closeControls(0)) r.setValue(p, r.value(p) + (p % 2 ? 1 : -1));
         return r;
       }(), true},
      {"a bypass's adjusts are not heard", base(8), changed(changed(base(8), EFF_ADJUST1, 9), EFF_RATE, -90), true},
      {"a chorus's are", base(0), changed(base(0), EFF_ADJUST2, 2), false},
      {"a rotary's rate is its speed", changed(base(12), EFF_RATE, -100), changed(base(12), EFF_RATE, -99), true},
      {"the reserved slot is no control", base(), [] {
         PresetRecord r = base();
         r.setSlot(kReservedSlot, 77);
         return r;
       }(), true},
  };
  for (const int p : closeControls(0)) {
    rows.push_back({parameterName(p), base(), changed(base(), p, 1), true});
    rows.push_back({parameterName(p), base(), changed(base(), p, -1), true});
    rows.push_back({parameterName(p), base(), changed(base(), p, 2), false});
    rows.push_back({parameterName(p), base(), changed(base(), p, -2), false});
  }
  for (const CloseRow& row : rows) {
    EXPECT_EQ(areClose(row.a, row.b), row.close) << row.what;
    EXPECT_EQ(areClose(row.b, row.a), row.close) << row.what;
    const std::vector<PresetRecord> both{row.a, row.b};
    EXPECT_EQ(closeNeighbours(both)[0], row.close ? std::vector<int>{1} : std::vector<int>{}) << row.what;
  }
  EXPECT_EQ(closeControls(0).size(), 14u);
}

TEST(CloseSounds, EveryPairAmongManySoundsIsFoundAndNoOther) {
  // Values crowded into a few steps, so that many sounds are close.
  for (const unsigned seed : {1u, 2u, 3u}) {
    std::mt19937 random(seed);
    std::vector<PresetRecord> sounds(400);
    for (PresetRecord& r : sounds) {
      for (int p = 0; p < kParameterCount; ++p) r.setValue(p, static_cast<int>(random() % 3));
      r.setValue(AMP_TYPE, static_cast<int>(random() % 2));
      r.setValue(EFFECT_SELECT, random() % 2 ? 8 : 0);
    }
    const auto found = closeNeighbours(sounds);
    std::size_t pairs = 0;
    for (std::size_t i = 0; i < sounds.size(); ++i) {
      std::vector<int> expected;
      for (std::size_t j = 0; j < sounds.size(); ++j)
        if (j != i && areClose(sounds[i], sounds[j])) expected.push_back(static_cast<int>(j));
      ASSERT_EQ(found[i], expected) << "seed " << seed << ", sound " << i;
      pairs += expected.size();
    }
    EXPECT_GT(pairs, 0u);
  }
}

TEST(CloseSounds, AListKeepsTheMostRecentlySeenOfEachGroup) {
  // A chain: 0 close to 1, 1 close to 2, 2 close to 3; 4 stands alone.
  const std::vector<std::vector<int>> chain{{1}, {0, 2}, {1, 3}, {2}, {}};
  struct Row {
    const char* what;
    std::vector<int> members;  // most recently seen first
    std::vector<bool> kept;
  };
  const Row rows[] = {
      {"newest first along the chain", {0, 1, 2, 3, 4}, {true, false, true, false, true}},
      {"the middle newest", {1, 0, 2, 3, 4}, {true, false, false, true, true}},
      {"one of a pair left out of the list", {1, 3}, {true, true}},
      {"nothing listed", {}, {}},
  };
  for (const Row& row : rows) EXPECT_EQ(keptOfCloseGroups(chain, row.members), row.kept) << row.what;
}

TEST(CloseSounds, TheLibraryListsCountsAndHidesThemAndDeletesNothing) {
  const auto folder = test::freshFolder("close");
  PresetLibrary library;
  ASSERT_EQ(library.open(folder / "library.sqlite", folder / "history").state, LibraryOpening::State::Ready);
  const std::vector<std::pair<const char*, PresetRecord>> seen{
      {"OLD", base()}, {"NEAR", changed(base(), AMP_GAIN, 1)}, {"FAR", changed(base(), AMP_GAIN, 5)},
      {"OTHER FX", base(2)}, {"NEWEST", changed(base(), AMP_GAIN, -1)}};
  std::vector<std::int64_t> ids;
  std::int64_t time = 100;
  for (auto [name, record] : seen) {
    record.storeName(name);
    ASSERT_FALSE(library.notePreset(record, {SightingKind::Imported, 0, "x"}, time++).error);
    ids.push_back(test::knownOf(library, record).id);
  }
  const auto names = [&](LibraryQuery q) {
    std::vector<std::string> out;
    for (const SoundRow& row : library.search(q).rows) out.push_back(row.newestName + " " + std::to_string(row.closeCount));
    return out;
  };
  LibraryQuery near;
  near.near = ids[0];
  EXPECT_EQ(names(near), (std::vector<std::string>{"NEWEST -1", "NEAR -1"}));
  LibraryQuery counted;
  counted.closeCounts = true;
  EXPECT_EQ(names(counted), (std::vector<std::string>{"NEWEST 1", "OTHER FX 0", "FAR 0", "NEAR 1", "OLD 2"}));
  LibraryQuery hiding = counted;
  hiding.hideClose = true;
  hiding.sort = SortColumn::Name;
  hiding.descending = false;
  const SearchResult hidden = library.search(hiding);
  EXPECT_EQ(hidden.count, 4);
  EXPECT_EQ(hidden.hiddenClose, 1);
  EXPECT_EQ(names(hiding), (std::vector<std::string>{"FAR 0", "NEAR 1", "NEWEST 1", "OTHER FX 0"}));
  // A new sound close to NEAR is counted at once.
  PresetRecord newer = changed(base(), AMP_GAIN, 2);
  newer.storeName("NEWER");
  library.notePreset(newer, {SightingKind::Imported, 0, "x"}, 200);
  EXPECT_EQ(names(counted).front(), "NEWER 1");
  LibraryQuery all;
  EXPECT_EQ(library.search(all).count, 6);
  near.near = 999;
  EXPECT_EQ(library.search(near).error, "no sound 999 in the library");
}

}  // namespace
}  // namespace kestralux
