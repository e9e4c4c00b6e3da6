// The edit session: every change of the bank as an undo step, what an undo or a redo gives
// back and says it changed, the references that mark a preset edited, and compare.

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <utility>
#include <vector>

#include "model/EditSession.h"

namespace kestralux {
namespace {

PresetRecord named(const char* name, int gain) {
  PresetRecord r;
  r.storeName(name);
  r.setValue(AMP_GAIN, gain);
  return r;
}

struct Fixture {
  EditorState state;
  EditSession session{state};
  Fixture() {
    for (int n = 0; n < kPresetCount; ++n) state.bank[static_cast<std::size_t>(n)] = named("START", n);
    state.reference = state.bank;
    state.CurrentPreset = 2;
  }
};

// Each row: what the user did (one action), then one undo and one redo.
TEST(EditSession, EachActionIsOneStepThatUndoAndRedoTakeBackAndBringAgain) {
  struct Row {
    const char* what;
    std::function<void(EditSession&, EditorState&)> act;
    BankChange undone;  // what the undo says it changed
  };
  const Row rows[] = {
      {"a held arrow: many values, one step",
       [](EditSession& s, EditorState&) {
         for (int v = 3; v <= 9; ++v) s.setValue(AMP_GAIN, v);
       },
       {BankChange::Kind::Edit, 2}},
      {"an amp model and a master in one action",
       [](EditSession& s, EditorState&) {
         s.setValue(AMP_TYPE, 7);
         s.setValue(AMP_MASTER, 20);
       },
       {BankChange::Kind::Edit, 2}},
      {"a name typed letter by letter",
       [](EditSession& s, EditorState&) {
         for (const char* name : {"C", "CR", "CRU", "CRUNCH"}) s.setName(name);
       },
       {BankChange::Kind::Edit, 2}},
      {"an edit of preset 5, undone while preset 3 is shown",
       [](EditSession& s, EditorState& st) {
         st.CurrentPreset = 4;
         s.setValue(DELAY_TIME, 200);
         s.endAction();
         st.CurrentPreset = 2;
       },
       {BankChange::Kind::Edit, 4}},
      {"a preset file loaded", [](EditSession& s, EditorState&) { s.loadPreset(2, named("LOADED", 30)); },
       {BankChange::Kind::Presets, 2}},
      {"a bank of two records loaded",
       [](EditSession& s, EditorState&) {
         const PresetRecord two[] = {named("ONE", 1), named("TWO", 2)};
         s.loadBank(two);
       },
       {BankChange::Kind::Presets, 0}},
      {"a fetch, with an edit of the preset on screen while it arrives",
       [](EditSession& s, EditorState&) {
         s.fetched(0, named("START", 100));
         s.fetched(1, named("START", 101));
         s.setValue(AMP_BASS, 9);  // ends a step with the presets that came before it
         s.endAction();
         s.fetched(2, named("START", 102));
         s.fetchEnded();
       },
       {BankChange::Kind::Presets, 2}},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.what);
    Fixture f;
    const PresetBank before = f.state.bank;
    row.act(f.session, f.state);
    f.session.endAction();
    const PresetBank after = f.state.bank;
    ASSERT_TRUE(f.session.canUndo());

    const BankChange undone = f.session.undo();
    EXPECT_EQ(undone.kind, row.undone.kind);
    EXPECT_EQ(undone.preset, row.undone.preset);
    if (std::string(row.what).rfind("a fetch", 0) == 0) {
      // Back to the bank as it was when the edit ended: presets 1 and 2 fetched, 3 edited.
      EXPECT_EQ(f.state.bank[2].value(AMP_BASS), 9);
      EXPECT_EQ(f.state.bank[2].value(AMP_GAIN), 2);
      EXPECT_EQ(f.state.bank[0], named("START", 100));
      f.session.undo();
    }
    EXPECT_EQ(f.state.bank, before);
    EXPECT_TRUE(f.session.canRedo());
    while (f.session.canRedo()) f.session.redo();
    EXPECT_EQ(f.state.bank, after);
  }
}

TEST(EditSession, ShowingAPresetIsNoStepAndANewEditDropsTheRedo) {
  Fixture f;
  {
    const EditSession::Showing showing(f.session);
    f.session.setValue(AMP_GAIN, 30);  // a control clamped to its range while shown
  }
  f.session.endAction();
  EXPECT_FALSE(f.session.canUndo());
  f.session.setValue(AMP_GAIN, 1);
  f.session.endAction();
  f.session.undo();
  f.session.setValue(AMP_BASS, 4);
  EXPECT_FALSE(f.session.canRedo());
}

TEST(EditSession, TenThousandStepsUndoToTheStart) {
  Fixture f;
  const PresetBank start = f.state.bank;
  for (int k = 0; k < 10000; ++k) {
    f.session.setValue(AMP_GAIN, k % 31);
    f.session.setValue(AMP_BASS, (k + 1) % 31);
    f.session.endAction();
  }
  EXPECT_GE(f.session.steps(), 9999u);
  while (f.session.canUndo()) f.session.undo();
  EXPECT_EQ(f.state.bank, start);
}

// Beyond the cap the oldest step goes, one for one.
TEST(EditSession, TheUndoHistoryKeepsExactlyItsCap) {
  Fixture f;
  for (std::size_t k = 0; k <= kUndoStepsKept; ++k) {
    f.session.setValue(AMP_GAIN, static_cast<int>(k % 31));
    f.session.endAction();
  }
  EXPECT_EQ(f.session.steps(), kUndoStepsKept);
}

// A preset is edited while it differs from what was last fetched, loaded, saved or stored.
TEST(EditSession, ReferencesMoveWithFetchLoadSaveAndStore) {
  struct Row {
    const char* what;
    std::function<void(EditSession&, EditorState&)> keep;
    bool editedAfter;
  };
  const Row rows[] = {
      {"nothing kept", [](EditSession&, EditorState&) {}, true},
      {"saved", [](EditSession& s, EditorState& st) { s.saved(st.CurrentPreset); }, false},
      {"the bank saved", [](EditSession& s, EditorState&) { s.savedAll(); }, false},
      {"stored", [](EditSession& s, EditorState& st) { s.stored(st.bank); }, false},
      {"fetched over it", [](EditSession& s, EditorState& st) { s.fetched(2, st.bank[2]); s.fetchEnded(); }, false},
      {"loaded over it", [](EditSession& s, EditorState&) { s.loadPreset(2, named("FILE", 5)); }, false},
      {"saved, then undone", [](EditSession& s, EditorState& st) { s.saved(st.CurrentPreset); s.undo(); }, true},
      // While comparing, the bank holds the reference: what counts as saved is the edit.
      {"saved while comparing", [](EditSession& s, EditorState& st) { s.compare(); s.saved(st.CurrentPreset); s.endCompare(); }, false},
      {"the bank saved while comparing", [](EditSession& s, EditorState&) { s.compare(); s.savedAll(); s.endCompare(); }, false},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.what);
    Fixture f;
    EXPECT_FALSE(f.session.edited(2));
    f.session.setValue(AMP_GAIN, 25);
    f.session.endAction();
    EXPECT_TRUE(f.session.edited(2));
    row.keep(f.session, f.state);
    EXPECT_EQ(f.session.edited(2), row.editedAfter);
    EXPECT_FALSE(f.session.edited(3));
  }
}

TEST(EditSession, CompareShowsTheReferenceAndChangesNothing) {
  Fixture f;
  f.session.setValue(AMP_GAIN, 25);
  f.session.endAction();
  const PresetBank edited = f.state.bank;
  const std::size_t steps = f.session.steps();

  EXPECT_EQ(f.session.compare().kind, BankChange::Kind::Presets);
  EXPECT_TRUE(f.session.comparing());
  EXPECT_EQ(f.state.bank[2].value(AMP_GAIN), 2) << "the reference is shown";
  EXPECT_TRUE(f.session.edited(2)) << "the edit is still there";
  f.session.compare();
  EXPECT_FALSE(f.session.comparing());
  EXPECT_EQ(f.state.bank, edited);
  EXPECT_EQ(f.session.steps(), steps) << "compare is no step";

  // Anything that changes the bank brings the edited version back first.
  f.session.compare();
  f.session.undo();
  EXPECT_FALSE(f.session.comparing());
  EXPECT_EQ(f.state.bank[2].value(AMP_GAIN), 2);
  f.session.redo();
  f.session.compare();
  f.session.savedAll();
  EXPECT_FALSE(f.session.edited(2)) << "what is saved is the edited version";
  EXPECT_EQ(f.session.endCompare().kind, BankChange::Kind::Presets);
  EXPECT_EQ(f.state.bank, edited);
}

// Arranging the bank. Slot n starts as preset n, its own reference; each row says which slots
// then hold which presets (an origin of 100 + k is the k-th record pasted), every other slot
// keeping its own. Each arrangement is one step, undone and redone whole.
TEST(EditSession, ArrangingMovesPresetsBetweenSlotsAsOneStepAndReferencesStay) {
  using Spans = std::vector<std::pair<int, std::vector<int>>>;  // from slot, the origins there
  struct Row {
    const char* what;
    std::function<BankChange(EditSession&)> arrange;
    Spans holds;
    int written;       // how many slots the call says it wrote
    int firstChanged;  // -1: nothing changed
  };
  const std::vector<PresetRecord> pasted{named("PASTED A", 20), named("PASTED B", 21), named("PASTED C", 22)};
  const auto range = [](int from, int to) {
    std::vector<int> v;
    for (int n = from; n <= to; ++n) v.push_back(n);
    return v;
  };
  std::vector<int> lastThreeFirst{27, 28, 29};
  for (int n = 0; n <= 26; ++n) lastThreeFirst.push_back(n);
  std::vector<int> forwardRange = range(13, 22);
  forwardRange.insert(forwardRange.end(), {10, 11, 12});
  const Row rows[] = {
      {"one slot forward", [](EditSession& s) { return s.moveSlots(0, 1, 3); }, {{0, {1, 2, 3, 0}}}, 1, 0},
      {"one slot back", [](EditSession& s) { return s.moveSlots(5, 1, 1); }, {{1, {5, 1, 2, 3, 4}}}, 1, 1},
      {"three slots forward", [](EditSession& s) { return s.moveSlots(10, 3, 20); }, {{10, forwardRange}}, 3, 10},
      {"the last three to the front", [](EditSession& s) { return s.moveSlots(27, 3, 0); }, {{0, lastThreeFirst}}, 3, 0},
      {"copied over others", [](EditSession& s) { return s.copySlots(0, 2, 5); }, {{5, {0, 1}}}, 2, 5},
      {"copied over itself in part", [](EditSession& s) { return s.copySlots(0, 4, 2); }, {{2, {0, 1, 2, 3}}}, 4, 2},
      {"swapped with the far end", [](EditSession& s) { return s.swapSlots(0, 28, 2); }, {{0, {28, 29}}, {28, {0, 1}}}, 2, 0},
      {"adjacent ranges swapped", [](EditSession& s) { return s.swapSlots(4, 2, 2); }, {{2, {4, 5, 2, 3}}}, 2, 2},
      {"pasted", [&](EditSession& s) { return s.pasteSlots(2, pasted); }, {{2, {100, 101, 102}}}, 3, 2},
      {"pasted and clipped at slot 30", [&](EditSession& s) { return s.pasteSlots(28, pasted); }, {{28, {100, 101}}}, 2, 28},
      {"moved onto itself", [](EditSession& s) { return s.moveSlots(4, 2, 4); }, {}, 2, -1},
      {"no slots", [](EditSession& s) { return s.moveSlots(3, 0, 5); }, {}, 0, -1},
      {"a range past the last slot", [](EditSession& s) { return s.moveSlots(28, 3, 0); }, {}, 0, -1},
      {"a target past the last slot", [](EditSession& s) { return s.copySlots(0, 3, 28); }, {}, 0, -1},
      {"a slot before the first", [](EditSession& s) { return s.moveSlots(-1, 2, 5); }, {}, 0, -1},
      {"swapped ranges that overlap", [](EditSession& s) { return s.swapSlots(0, 2, 3); }, {}, 0, -1},
      {"pasted past the last slot", [&](EditSession& s) { return s.pasteSlots(30, pasted); }, {}, 0, -1},
      {"nothing pasted", [](EditSession& s) { return s.pasteSlots(0, {}); }, {}, 0, -1},
      {"while a fetch brings presets",
       [](EditSession& s) {
         s.fetched(10, named("START", 10));  // what slot 10 holds already
         return s.moveSlots(0, 1, 3);
       },
       {}, 0, -1},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.what);
    Fixture f;
    f.session.setValue(AMP_BASS, 7);  // an edit in the making ends before the arrangement
    const PresetBank before = f.state.bank;
    const PresetBank references = f.state.reference;
    std::vector<PresetRecord> expected(before.begin(), before.end());
    for (const auto& [from, origins] : row.holds)
      for (std::size_t k = 0; k < origins.size(); ++k)
        expected[static_cast<std::size_t>(from) + k] = origins[k] >= 100 ? pasted[static_cast<std::size_t>(origins[k] - 100)]
                                                                          : before[static_cast<std::size_t>(origins[k])];
    const std::size_t steps = f.session.steps() + 1;  // the edit's

    const BankChange change = row.arrange(f.session);
    EXPECT_EQ(change.written, row.written);
    EXPECT_EQ(std::vector<PresetRecord>(f.state.bank.begin(), f.state.bank.end()), expected);
    EXPECT_EQ(f.state.reference, references) << "references stay with their slots";
    EXPECT_EQ(f.state.CurrentPreset, 2);
    EXPECT_EQ(change.shownChanged, expected[2] != before[2]);
    if (row.firstChanged < 0) {
      EXPECT_EQ(change.kind, BankChange::Kind::None);
      f.session.endAction();
      EXPECT_EQ(f.session.steps(), steps) << "no step of its own";
      continue;
    }
    EXPECT_EQ(change.kind, BankChange::Kind::Presets);
    EXPECT_EQ(change.preset, row.firstChanged);
    EXPECT_EQ(f.session.steps(), steps + 1);
    for (int n = 0; n < kPresetCount; ++n)
      EXPECT_EQ(f.session.edited(n), f.state.bank[static_cast<std::size_t>(n)] != references[static_cast<std::size_t>(n)]) << n;

    const BankChange undone = f.session.undo();
    EXPECT_EQ(f.state.bank, before);
    EXPECT_EQ(undone.preset, row.firstChanged);
    EXPECT_EQ(undone.shownChanged, change.shownChanged);
    f.session.redo();
    EXPECT_EQ(std::vector<PresetRecord>(f.state.bank.begin(), f.state.bank.end()), expected);
    f.session.undo();
    f.session.undo();  // the edit before it: its own step
    EXPECT_EQ(f.state.bank, references);
  }
}

}  // namespace
}  // namespace kestralux
