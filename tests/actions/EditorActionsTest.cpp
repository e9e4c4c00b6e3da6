// The editor's actions without any window: what each does to the bank, the edited mark, the
// hearing of library sounds and the bytes the combo receives.

#include <gtest/gtest.h>

#include <cctype>
#include <functional>
#include <ostream>
#include <string>
#include <vector>

#include "actions/EditorActions.h"
#include "actions/MessageLog.h"
#include "editor/EditorTables.h"
#include "files/BankSheet.h"
#include "files/PresetDiff.h"
#include "files/PresetFiles.h"
#include "files/PresetListing.h"
#include "protocol/RxRing.h"
#include "protocol/Sysex.h"
#include "tests/PresetValues.h"
#include "tests/actions/RecordedActions.h"

namespace kestralux {
namespace {

struct Editor : test::RecordedActions {
  std::vector<ActionNotice> notices;

  Editor() {
    for (int n = 0; n < kPresetCount; ++n) {
      PresetRecord& record = state.bank[static_cast<std::size_t>(n)];
      test::makePreset(record, n);
      record.setValue(AMP_GAIN, n % 20);
      record.storeName("SLOT " + std::to_string(n + 1));
    }
    state.reference = state.bank;
    actions.listen([this](const ActionNotice& notice) { notices.push_back(notice); });
  }

  // A value as the user sets it with a control: one action, let go.
  void edit(int parameter, int value) {
    actions.setParameter(parameter, value);
    actions.endAction();
  }
  // What the window writes back while it draws the preset on screen.
  void drawnBack(int parameter, int value) {
    const EditSession::Showing showing(session);
    actions.setParameter(parameter, value);
  }
  // A bank arriving from the combo, whole.
  void bankArrives(const PresetBank& bank) {
    for (int n = 0; n < kPresetCount; ++n) session.fetched(n, bank[static_cast<std::size_t>(n)]);
    session.fetchEnded();
  }
  bool heardRecordLast(const PresetRecord& record) {
    // The sixteen values of a whole-preset burst are the last messages before the pause.
    if (output.messages.size() < kParameterCount) return false;
    for (int i = 0; i < kParameterCount; ++i)
      if (output.messages[output.messages.size() - kParameterCount + static_cast<std::size_t>(i)][8] !=
          (record.value(i) & 0x7F))
        return false;
    return true;
  }
};

PresetRecord soundOf(int amp, int effect, int gain) {
  PresetRecord sound;
  sound.setValue(AMP_TYPE, amp);
  sound.setValue(EFFECT_SELECT, effect);
  sound.setValue(AMP_GAIN, gain);
  return sound;
}

// The edited mark is exactly "the values or the name differ from the slot's reference".
struct MarkRow {
  const char* what;
  std::function<void(Editor&)> steps;
  bool edited;
  std::string numberBox;
};

void PrintTo(const MarkRow& row, std::ostream* os) { *os << row.what; }

class EditedMark : public ::testing::TestWithParam<MarkRow> {};

TEST_P(EditedMark, FollowsTheReferenceAlone) {
  Editor e;
  e.actions.showSlot(4);
  GetParam().steps(e);
  EXPECT_EQ(e.session.edited(4), GetParam().edited);
  EXPECT_EQ(e.actions.presetNumberText(), GetParam().numberBox);
}

INSTANTIATE_TEST_SUITE_P(
    Actions, EditedMark,
    ::testing::Values(
        MarkRow{"nothing done", [](Editor&) {}, false, "PRESET   5"},
        MarkRow{"a value changed", [](Editor& e) { e.edit(AMP_GAIN, 9); }, true, "PRESET   5*"},
        MarkRow{"a value changed and set back by hand", [](Editor& e) { e.edit(AMP_GAIN, 9); e.edit(AMP_GAIN, 4); }, false, "PRESET   5"},
        MarkRow{"a value changed and undone", [](Editor& e) { e.edit(AMP_GAIN, 9); e.actions.undo(); }, false, "PRESET   5"},
        MarkRow{"two edits, a compare and back, both undone",
                [](Editor& e) {
                  e.edit(AMP_GAIN, 9);
                  e.edit(AMP_BASS, 7);
                  e.actions.compare();
                  e.actions.compare();
                  e.actions.undo();
                  e.actions.undo();
                },
                false, "PRESET   5"},
        MarkRow{"an edit, a compare the window draws with the reference's name written back, undone",
                [](Editor& e) {
                  e.state.reference[4].storeName("slot 5");
                  e.state.bank[4].storeName("slot 5");
                  e.edit(AMP_GAIN, 9);
                  e.actions.compare();
                  const EditSession::Showing showing(e.session);
                  e.actions.setName("SLOT 5");
                },
                true, "COMPARE  5"},
        MarkRow{"... and then the compare ended and the edit undone",
                [](Editor& e) {
                  e.state.reference[4].storeName("slot 5");
                  e.state.bank[4].storeName("slot 5");
                  e.edit(AMP_GAIN, 9);
                  e.actions.compare();
                  {
                    const EditSession::Showing showing(e.session);
                    e.actions.setName("SLOT 5");
                  }
                  e.actions.compare();
                  e.actions.undo();
                },
                false, "PRESET   5"},
        MarkRow{"a compare ended by a control, then every step undone",
                [](Editor& e) {
                  e.edit(AMP_GAIN, 9);
                  e.actions.compare();
                  e.edit(AMP_TREBLE, 3);
                  e.actions.undo();
                  e.actions.undo();
                },
                false, "PRESET   5"},
        MarkRow{"the name typed and undone", [](Editor& e) { e.actions.setName("NEW"); e.actions.endAction(); e.actions.undo(); }, false,
                "PRESET   5"},
        MarkRow{"the name the window draws in capitals",
                [](Editor& e) {
                  e.state.bank[4].storeName("soft");
                  e.state.reference[4] = e.state.bank[4];
                  const EditSession::Showing showing(e.session);
                  e.actions.setName("SOFT");
                },
                false, "PRESET   5"},
        MarkRow{"bytes after the name's end differ",
                [](Editor& e) { e.state.bank[4].bytes[kNameFieldSize - 1] = 0x55; e.state.reference[4].bytes[kNameFieldSize - 1] = 0x66; },
                false, "PRESET   5"},
        MarkRow{"a value beyond its control's range, held to it as the window shows it",
                [](Editor& e) {
                  e.state.bank[4].setValue(AMP_GAIN, 200);
                  e.state.reference[4] = e.state.bank[4];
                  e.actions.showAgain();
                  e.drawnBack(AMP_GAIN, 30);
                  EXPECT_EQ(e.state.reference[4].value(AMP_GAIN), 200) << "the combo still holds it";
                },
                true, "PRESET   5*"},
        MarkRow{"a rate narrowed to the rotary's two speeds as the window shows it",
                [](Editor& e) {
                  e.state.bank[4].setValue(EFFECT_SELECT, EFFECT_ROTARY);
                  e.state.bank[4].setValue(EFF_RATE, 40);
                  e.state.reference[4] = e.state.bank[4];
                  e.actions.showAgain();
                  e.drawnBack(EFF_RATE, 1);
                },
                true, "PRESET   5*"},
        MarkRow{"saved after an edit", [](Editor& e) { e.edit(AMP_GAIN, 9); e.actions.savedPreset(); }, false, "PRESET   5"},
        MarkRow{"saved, then the edit undone", [](Editor& e) { e.edit(AMP_GAIN, 9); e.actions.savedPreset(); e.actions.undo(); }, true,
                "PRESET   5*"}),
    [](const auto& info) { return "Row" + std::to_string(info.index); });

// A library sound is heard, never edited into the bank.
struct HearingRow {
  const char* what;
  std::function<void(Editor&, const PresetRecord& sound)> steps;
  bool hearing;
};

void PrintTo(const HearingRow& row, std::ostream* os) { *os << row.what; }

class Audition : public ::testing::TestWithParam<HearingRow> {};

TEST_P(Audition, NeverChangesTheBank) {
  Editor e;
  e.actions.showSlot(4);
  const PresetBank listed = e.state.bank;
  const PresetRecord sound = soundOf(2, 0, 17);
  GetParam().steps(e, sound);
  EXPECT_EQ(e.actions.auditioning(), GetParam().hearing);
  EXPECT_EQ(e.state.bank, listed) << GetParam().what;
  EXPECT_EQ(e.state.CurrentPreset, 4);
}

INSTANTIATE_TEST_SUITE_P(
    Actions, Audition,
    ::testing::Values(
        HearingRow{"heard", [](Editor& e, const PresetRecord& s) { EXPECT_TRUE(e.actions.audition(s)); }, true},
        HearingRow{"a send that fails",
                   [](Editor& e, const PresetRecord& s) {
                     e.output.failing = true;
                     EXPECT_FALSE(e.actions.audition(s));
                     EXPECT_EQ(e.actions.hearingText(), "");
                   },
                   false},
        HearingRow{"heard, then Esc",
                   [](Editor& e, const PresetRecord& s) {
                     e.actions.audition(s);
                     e.actions.endAudition();
                     EXPECT_TRUE(e.heardRecordLast(e.state.bank[4])) << "the preset on screen is heard again";
                   },
                   false},
        HearingRow{"heard while a store runs", [](Editor& e, const PresetRecord& s) {
                     e.state.StoreInProgress = true;
                     EXPECT_FALSE(e.actions.audition(s));
                     e.state.StoreInProgress = false;
                   }, false},
        HearingRow{"heard, then a compare", [](Editor& e, const PresetRecord& s) {
                     e.actions.audition(s);
                     e.actions.compare();
                     e.actions.compare();
                   }, false},
        // What the explore window plays is the same hearing: one Esc, wherever, ends it.
        HearingRow{"a climb's candidate heard", [](Editor& e, const PresetRecord&) {
                     ExploreSession explore = e.actions.exploreSession(1);
                     explore.climb();
                     explore.hearCandidate(7);
                     EXPECT_TRUE(e.heardRecordLast(explore.candidates()[7]));
                     EXPECT_TRUE(explore.hearingSomethingElse());
                   }, true},
        HearingRow{"a candidate heard, then Esc in the bank window", [](Editor& e, const PresetRecord&) {
                     ExploreSession explore = e.actions.exploreSession(1);
                     explore.climb();
                     explore.hearCandidate(0);
                     e.actions.endAudition();
                     EXPECT_FALSE(explore.hearingSomethingElse());
                     EXPECT_TRUE(e.heardRecordLast(e.state.bank[4]));
                   }, false},
        HearingRow{"a library sound heard, then Esc in the explore window", [](Editor& e, const PresetRecord& s) {
                     ExploreSession explore = e.actions.exploreSession(1);
                     e.actions.audition(s);
                     explore.leave();
                     EXPECT_TRUE(e.heardRecordLast(e.state.bank[4]));
                   }, false},
        HearingRow{"a candidate heard while a store runs", [](Editor& e, const PresetRecord&) {
                     ExploreSession explore = e.actions.exploreSession(1);
                     explore.climb();
                     e.state.StoreInProgress = true;
                     EXPECT_EQ(explore.hearCandidate(0), "A STORE IS RUNNING: EXPLORE WAITS FOR ITS END");
                     e.state.StoreInProgress = false;
                   }, false}),
    [](const auto& info) { return "Row" + std::to_string(info.index); });

TEST(AuditionText, NamesTheSoundAndTheWayBack) {
  Editor e;
  e.actions.showSlot(4);
  e.actions.audition(soundOf(2, 0, 17));
  EXPECT_EQ(e.actions.hearingText(), "HEARING: BRIT BLUES / CHORUS, Esc RETURNS TO PRESET 5");
  e.actions.audition(soundOf(9, EFFECT_ROTARY, 1));
  EXPECT_EQ(e.actions.hearingText(), "HEARING: FUZZ / ROTARY, Esc RETURNS TO PRESET 5");
}

TEST(AuditionEnds, WhenABankArrivesAndTheBankTakesItWhole) {
  Editor e;
  e.actions.showSlot(4);
  e.actions.audition(soundOf(2, 0, 17));
  PresetBank combo = e.state.bank;
  for (PresetRecord& record : combo) record.setValue(AMP_BASS, 11);
  e.bankArrives(combo);
  EXPECT_FALSE(e.actions.auditioning());
  EXPECT_EQ(e.state.bank, combo) << "no slot is skipped";
}

TEST(AuditionEnds, BeforeAStoreAllWhichStoresWhatIsListed) {
  Editor e;
  e.actions.showSlot(4);
  const PresetBank listed = e.state.bank;
  e.actions.audition(soundOf(2, 0, 17));
  e.actions.startStore(StoreScope::ALL);
  EXPECT_FALSE(e.actions.auditioning());
  e.output.messages.clear();
  // The driver on a clock of the test's: each wake comes at once, time jumping to it.
  TransferClock::time_point now{};
  std::chrono::milliseconds next{};
  e.actions.transfers().now = [&] { return now; };
  e.actions.transfers().wakeAfter = [&](std::chrono::milliseconds after) { next = after; };
  e.actions.runStore();
  while (e.actions.transfers().running()) {
    now += next;
    e.actions.transfers().wake();
  }
  std::vector<std::vector<std::uint8_t>> stored;
  for (const auto& m : e.output.messages)
    if (m.size() == kPresetMessageSize) stored.push_back(m);
  ASSERT_EQ(stored.size(), static_cast<std::size_t>(kPresetCount));
  for (int n = 0; n < kPresetCount; ++n) {
    const PresetMessage expected = buildPresetMessage(n == 0 ? CMD_BANK_FIRST : CMD_BANK_NEXT, listed[static_cast<std::size_t>(n)]);
    EXPECT_TRUE(std::equal(expected.begin(), expected.end(), stored[static_cast<std::size_t>(n)].begin())) << "slot " << n + 1;
  }
  EXPECT_FALSE(e.actions.storeRunning());
}

TEST(PutSound, WhileHeardTakesItIntoTheSlotAsOneStep) {
  Editor e;
  e.actions.showSlot(4);
  const PresetRecord sound = soundOf(2, 0, 17);
  e.actions.audition(sound);
  EXPECT_EQ(e.actions.putSound(9, sound, "CRUNCH"), "CRUNCH PUT INTO SLOT 10");
  EXPECT_FALSE(e.actions.auditioning());
  EXPECT_TRUE(sameSound(e.state.bank[9], sound));
  EXPECT_TRUE(e.heardRecordLast(e.state.bank[4])) << "the preset on screen is heard again";
  e.actions.undo();
  EXPECT_FALSE(e.session.edited(9));
}

// While a fetch or a store has the bank, every action that would rearrange or replace it is
// refused, by the one definition of a running transfer.
struct TransferRow {
  const char* what;
  std::function<void(Editor&)> begin;
};

void PrintTo(const TransferRow& row, std::ostream* os) { *os << row.what; }

class DuringTransfer : public ::testing::TestWithParam<TransferRow> {};

TEST_P(DuringTransfer, NothingIsArrangedLoadedOrUndone) {
  Editor e;
  e.edit(AMP_GAIN, 9);
  GetParam().begin(e);
  ASSERT_TRUE(e.actions.transferRunning());
  const PresetBank before = e.state.bank;
  EXPECT_EQ(e.actions.arrange(0, 2, 5, Arrangement::Move), kTransferInProgress);
  const PresetRecord one = e.state.bank[3];
  EXPECT_EQ(e.actions.paste(0, std::span(&one, 1)), kTransferInProgress);
  EXPECT_EQ(e.actions.putSound(0, one, "X"), kTransferInProgress);
  EXPECT_EQ(e.actions.restorePreset(one, 3), kTransferInProgress);
  PresetBank kept = before;
  kept[7] = one;
  EXPECT_EQ(e.actions.restoreBank(kept, "YESTERDAY"), kTransferInProgress);
  e.actions.undo();
  EXPECT_EQ(e.state.bank, before);
}

INSTANTIATE_TEST_SUITE_P(
    Actions, DuringTransfer,
    ::testing::Values(TransferRow{"a fetch asked for", [](Editor& e) { e.actions.requestFetch(); }},
                      TransferRow{"presets arriving", [](Editor& e) { e.session.fetched(0, e.state.bank[0]); }},
                      TransferRow{"a store going out", [](Editor& e) { e.actions.startStore(StoreScope::ALL); }}),
    [](const auto& info) { return "Row" + std::to_string(info.index); });

// Loads change the bank only with whole records of ours; what they say on the status line.
struct LoadRow {
  const char* what;
  bool bank;
  std::optional<std::vector<std::uint8_t>> bytes;
  std::optional<std::string> said;
  int loaded;
};

void PrintTo(const LoadRow& row, std::ostream* os) { *os << row.what; }

class Loads : public ::testing::TestWithParam<LoadRow> {};

std::vector<std::uint8_t> bankImageOf(int records) {
  PresetBank bank{};
  for (int n = 0; n < kPresetCount; ++n) test::makePreset(bank[static_cast<std::size_t>(n)], n + 3);
  const Bytes image = bankFileImage(bank);
  return {image.begin(), image.begin() + static_cast<std::ptrdiff_t>(records * kPresetFileSize)};
}

TEST_P(Loads, ReplaceWholeRecordsOrNothing) {
  Editor e;
  e.actions.showSlot(4);
  const PresetBank before = e.state.bank;
  const LoadRow& row = GetParam();
  const auto said = row.bank ? e.actions.loadBankFile(row.bytes) : e.actions.loadPresetFile(row.bytes);
  EXPECT_EQ(said.said, row.said);
  EXPECT_EQ(said.loaded, row.loaded);
  int replaced = 0;
  for (std::size_t n = 0; n < before.size(); ++n) replaced += before[n] != e.state.bank[n];
  EXPECT_EQ(replaced, row.loaded);
  if (row.loaded > 0) {
    EXPECT_EQ(e.state.CurrentPreset, row.bank ? 0 : 4);
  }
}

INSTANTIATE_TEST_SUITE_P(
    Actions, Loads,
    ::testing::Values(LoadRow{"no file", true, std::nullopt, "CANNOT OPEN FILE", 0},
                      LoadRow{"an empty file", false, std::vector<std::uint8_t>{}, "NOT A PRESET FILE", 0},
                      LoadRow{"a whole bank", true, bankImageOf(30), std::nullopt, 30},
                      LoadRow{"a bank cut off after 11", true, bankImageOf(11), "11 OF 30 PRESETS LOADED", 11},
                      LoadRow{"a one-record file as a bank", true, bankImageOf(1), std::nullopt, 1},
                      LoadRow{"a preset file", false, bankImageOf(1), std::nullopt, 1}),
    [](const auto& info) { return "Row" + std::to_string(info.index); });

// Slots picked anywhere in the list, dragged: where each original slot ends, by its number.
struct PickedRow {
  const char* what;
  std::vector<int> slots;
  int to;
  Arrangement how;
  std::vector<int> firstSlotsAfter;  // the original numbers (1..30) of slots 1..8 afterwards
  std::string said;
};

void PrintTo(const PickedRow& row, std::ostream* os) { *os << row.what; }

class PickedSlots : public ::testing::TestWithParam<PickedRow> {};

TEST_P(PickedSlots, MoveInTheirOrderOrAreRefusedSayingWhy) {
  Editor e;
  const PresetBank original = e.state.bank;
  const PickedRow& row = GetParam();
  EXPECT_EQ(e.actions.arrangeSlots(row.slots, row.to, row.how), row.said);
  std::vector<int> after;
  for (int n = 0; n < 8; ++n)
    for (int from = 0; from < kPresetCount; ++from)
      if (e.state.bank[static_cast<std::size_t>(n)] == original[static_cast<std::size_t>(from)]) after.push_back(from + 1);
  EXPECT_EQ(after, row.firstSlotsAfter);
  if (e.state.bank != original) {
    e.actions.undo();
    EXPECT_EQ(e.state.bank, original) << "one step";
  }
}

INSTANTIATE_TEST_SUITE_P(
    Actions, PickedSlots,
    ::testing::Values(PickedRow{"2 and 5 moved to the top", {1, 4}, 0, Arrangement::Move, {2, 5, 1, 3, 4, 6, 7, 8}, "2 PRESETS MOVED TO 1-2"},
                      PickedRow{"1, 3 and 4 moved down to 5", {0, 2, 3}, 4, Arrangement::Move, {2, 5, 6, 7, 1, 3, 4, 8},
                                "3 PRESETS MOVED TO 5-7"},
                      PickedRow{"an unbroken run moves as a range", {2, 3}, 0, Arrangement::Move, {3, 4, 1, 2, 5, 6, 7, 8},
                                "2 PRESETS MOVED TO 1-2"},
                      PickedRow{"2 and 5 copied over 7", {1, 4}, 6, Arrangement::Copy, {1, 2, 3, 4, 5, 6, 2, 5}, "2 PRESETS COPIED OVER 7-8"},
                      PickedRow{"separate slots are no range to swap", {1, 4}, 6, Arrangement::Swap, {1, 2, 3, 4, 5, 6, 7, 8},
                                "SWAP NEEDS ONE UNBROKEN RANGE"},
                      PickedRow{"moved to where they would run off the end", {1, 4}, 29, Arrangement::Move, {1, 2, 3, 4, 5, 6, 7, 8},
                                "NOTHING CHANGED"}),
    [](const auto& info) { return "Row" + std::to_string(info.index); });

// A bank kept in the history coming back, whole or one preset into the slot on screen: one
// step, the slot on screen heard as a load is, the references kept so the mark shows what
// the combo does not hold.
struct RestoreRow {
  const char* what;
  std::function<void(Editor&)> before;
  std::function<std::string(Editor&, const PresetBank& kept)> restore;
  std::string said;
  std::vector<int> edited;  // slots (1..30) marked afterwards
  bool shownSent;           // the slot on screen goes whole at the next tick
};

void PrintTo(const RestoreRow& row, std::ostream* os) { *os << row.what; }

class Restore : public ::testing::TestWithParam<RestoreRow> {};

TEST_P(Restore, IsOneStepOverTheBankAsItIs) {
  Editor e;
  e.actions.showSlot(0);
  e.state.PresetResendPending = false;
  PresetBank kept = e.state.bank;
  kept[1].setValue(AMP_BASS, 9);
  kept[4].setValue(AMP_BASS, 12);
  const RestoreRow& row = GetParam();
  row.before(e);
  const bool compared = e.actions.comparing();
  const PresetBank before = e.state.bank;
  const std::size_t steps = e.session.steps();
  EXPECT_EQ(row.restore(e, kept), row.said);
  std::vector<int> edited;
  for (int n = 0; n < kPresetCount; ++n)
    if (e.session.edited(n)) edited.push_back(n + 1);
  EXPECT_EQ(edited, row.edited);
  EXPECT_EQ(e.state.PresetResendPending, row.shownSent);
  EXPECT_FALSE(e.actions.auditioning());
  EXPECT_FALSE(e.actions.comparing());
  if (e.state.bank == before) return;
  EXPECT_EQ(e.session.steps(), steps + 1);
  e.actions.undo();
  if (compared)
    EXPECT_EQ(e.state.bank[0].value(AMP_GAIN), 19) << "the edited version comes back, not the reference compared";
  else
    EXPECT_EQ(e.state.bank, before) << "undone as one step";
}

INSTANTIATE_TEST_SUITE_P(
    Actions, Restore,
    ::testing::Values(
        RestoreRow{"the whole bank", [](Editor&) {}, [](Editor& e, const PresetBank& k) { return e.actions.restoreBank(k, "2026-12-01 10:00:00"); },
                   "BANK OF 2026-12-01 10:00:00 LOADED", {2, 5}, false},
        RestoreRow{"the same bank again", [](Editor&) {}, [](Editor& e, const PresetBank&) { return e.actions.restoreBank(e.state.bank, "X"); },
                   "NOTHING CHANGED", {}, false},
        RestoreRow{"its preset 5 into the slot on screen, 1", [](Editor&) {},
                   [](Editor& e, const PresetBank& k) { return e.actions.restorePreset(k[4], 4); }, "PRESET 5 PUT INTO SLOT 1", {1}, true},
        RestoreRow{"its preset 5 into slot 5 on screen, while a library sound is heard",
                   [](Editor& e) {
                     e.actions.showSlot(4);
                     e.state.PresetResendPending = false;
                     e.actions.audition(soundOf(3, 0, 1));
                   },
                   [](Editor& e, const PresetBank& k) { return e.actions.restorePreset(k[4], 4); }, "PRESET 5 PUT INTO SLOT 5", {5}, true},
        RestoreRow{"the whole bank while the reference of slot 1 is compared",
                   [](Editor& e) {
                     e.edit(AMP_GAIN, 19);
                     e.actions.compare();
                   },
                   [](Editor& e, const PresetBank& k) { return e.actions.restoreBank(k, "X"); }, "BANK OF X LOADED", {2, 5}, true}),
    [](const auto& info) { return "Row" + std::to_string(info.index); });

// Undo, redo and COMPARE over slot 1 with GAIN 0 (its reference), as the screen and the combo
// see them: which preset is shown, what the number box says, and what is heard, now and at
// the next tick of the send timer.
struct StepRow {
  const char* what;
  std::function<void(Editor&)> steps;
  int shown;  // 1..30
  std::string numberBox;
  int gainSentNow;  // the value of the last GAIN message sent by the steps alone; -1: none
  bool wholeAtTick;
};

void PrintTo(const StepRow& row, std::ostream* os) { *os << row.what; }

class Steps : public ::testing::TestWithParam<StepRow> {};

TEST_P(Steps, ShowAndSendWhatTheyChange) {
  Editor e;
  e.actions.showSlot(0);
  e.state.PresetResendPending = false;
  const StepRow& row = GetParam();
  row.steps(e);
  EXPECT_EQ(e.state.CurrentPreset + 1, row.shown);
  EXPECT_EQ(e.actions.presetNumberText(), row.numberBox);
  int gain = -1;
  for (const auto& m : e.output.messages)
    if (m.size() == 10 && m[7] == codeOfParameter(AMP_GAIN)) gain = m[8];
  EXPECT_EQ(gain, row.gainSentNow);
  EXPECT_EQ(e.state.PresetResendPending, row.wholeAtTick);
}

INSTANTIATE_TEST_SUITE_P(
    Actions, Steps,
    ::testing::Values(
        StepRow{"an edit of slot 1 undone from slot 3: slot 1 shown first, whole at the tick",
                [](Editor& e) {
                  e.edit(AMP_GAIN, 5);
                  e.actions.showSlot(2);
                  e.state.PresetResendPending = false;
                  e.output.messages.clear();
                  e.actions.undo();
                },
                1, "PRESET   1", -1, true},
        StepRow{"an edit undone on screen: its control's message goes out, no window needed",
                [](Editor& e) {
                  e.edit(AMP_GAIN, 5);
                  e.output.messages.clear();
                  e.actions.undo();
                  ASSERT_FALSE(e.notices.empty());
                  EXPECT_EQ(e.notices.back().movedFrom->value(AMP_GAIN), 5);
                  EXPECT_EQ(e.output.messages.size(), 1u);
                },
                1, "PRESET   1", 0, false},
        StepRow{"an edit redone on screen: the same",
                [](Editor& e) {
                  e.edit(AMP_GAIN, 5);
                  e.actions.undo();
                  e.output.messages.clear();
                  e.actions.redo();
                  EXPECT_EQ(e.output.messages.size(), 1u);
                },
                1, "PRESET   1*", 5, false},
        StepRow{"an edit undone while a library sound is heard: the preset on screen whole at the tick",
                [](Editor& e) {
                  e.edit(AMP_GAIN, 5);
                  e.actions.audition(soundOf(2, 0, 17));
                  e.output.messages.clear();
                  e.actions.undo();
                  EXPECT_FALSE(e.actions.auditioning());
                },
                1, "PRESET   1", -1, true},
        StepRow{"COMPARE: the reference is shown and goes whole at the tick",
                [](Editor& e) {
                  e.edit(AMP_GAIN, 5);
                  e.output.messages.clear();
                  e.actions.compare();
                  EXPECT_EQ(e.state.current().value(AMP_GAIN), 0);
                },
                1, "COMPARE  1", -1, true},
        StepRow{"COMPARE twice: the edit again",
                [](Editor& e) {
                  e.edit(AMP_GAIN, 5);
                  e.actions.compare();
                  e.actions.compare();
                  EXPECT_EQ(e.state.current().value(AMP_GAIN), 5);
                },
                1, "PRESET   1*", 5, true},
        StepRow{"a control touched while comparing: the edit is heard whole first, then the touch",
                [](Editor& e) {
                  e.edit(AMP_GAIN, 5);
                  e.actions.compare();
                  e.state.PresetResendPending = false;
                  e.output.messages.clear();
                  e.edit(AMP_GAIN, 6);
                  ASSERT_EQ(e.output.messages.size(), kParameterCount + 1u);
                  EXPECT_EQ(e.output.messages[1][8], 5) << "the edit comes back first";
                },
                1, "PRESET   1*", 6, false}),
    [](const auto& info) { return "Row" + std::to_string(info.index); });

TEST(Rename, IsOneStepUnderTheNameBoxRules) {
  Editor e;
  e.actions.showSlot(2);
  EXPECT_FALSE(e.actions.renameSlot(6, "")) << "no empty name";
  EXPECT_FALSE(e.actions.renameSlot(6, "TWENTY CHARACTERS!!!")) << "19 at most";
  EXPECT_TRUE(e.actions.renameSlot(6, "LEAD"));
  EXPECT_EQ(e.state.bank[6].validName(), std::optional<std::string>("LEAD"));
  EXPECT_EQ(e.actions.presetNumberText(), "PRESET   7*");
  e.actions.undo();
  EXPECT_EQ(e.state.bank[6].validName(), std::optional<std::string>("SLOT 7"));
  EXPECT_FALSE(e.session.edited(6));
}

PresetBank withPlaceholderNamed(PresetBank bank) {
  bank[1].storeName(kNoPresetHere);
  return bank;
}

// The name box's placeholder is drawn, never a name: whatever shows, moves, saves, prints or
// compares a slot that holds none, no record and no text takes it as one.
TEST(Placeholder, IsNeverStoredSavedPrintedOrDiffedAsAName) {
  struct Row {
    const char* what;
    std::function<std::string(Editor&)> written;  // the bytes or text that came out
  };
  const auto nameBytes = [](const PresetRecord& r) { return std::string(r.bytes.begin(), r.bytes.begin() + kNameFieldSize); };
  const auto drawnName = [](Editor& e) {
    const EditSession::Showing showing(e.session);
    e.actions.setName(kNoPresetHere);
  };
  const auto sheet = [](Editor& e, SheetFormat format) {
    return bankSheet(std::span(e.state.bank).first(4), format, "bank");
  };
  const Row rows[] = {
      {"drawn by the name box as it shows the slot",
       [&](Editor& e) {
         e.actions.showSlot(1);
         drawnName(e);
         return nameBytes(e.state.bank[1]) + e.actions.presetNumberText();
       }},
      {"typed as a name where the slots are listed",
       [&](Editor& e) {
         EXPECT_FALSE(e.actions.renameSlot(1, kNoPresetHere));
         return nameBytes(e.state.bank[1]);
       }},
      {"saved after a renamed slot is moved down and a nameless one comes up",
       [&](Editor& e) {
         e.actions.renameSlot(1, "WARM");
         e.actions.arrange(1, 1, 2, Arrangement::Move);
         e.actions.showSlot(1);
         drawnName(e);
         const Bytes image = bankFileImage(e.state.bank);
         return std::string(image.begin(), image.end());
       }},
      {"printed by show", [](Editor& e) { return presetListing(std::span(e.state.bank).first(4)); }},
      {"the text sheet", [&](Editor& e) { return sheet(e, SheetFormat::Text); }},
      {"the CSV sheet", [&](Editor& e) { return sheet(e, SheetFormat::Csv); }},
      {"the HTML sheet", [&](Editor& e) { return sheet(e, SheetFormat::Html); }},
      {"diffed against a named preset",
       [](Editor& e) { return diffText(std::span(e.state.bank).first(4), std::span(e.state.reference).first(4), true); }},
      // Files written while the box could still store it hold it as text.
      {"a bank file holding it as a name, loaded and printed by show",
       [&](Editor& e) {
         e.actions.loadBankFile(bankFileImage(withPlaceholderNamed(e.state.bank)));
         return presetListing(std::span(e.state.bank).first(4));
       }},
      {"a bank file holding it as a name, loaded and put on a sheet",
       [&](Editor& e) {
         e.actions.loadBankFile(bankFileImage(withPlaceholderNamed(e.state.bank)));
         return sheet(e, SheetFormat::Csv);
       }},
      {"a preset file holding it as a name, loaded and diffed",
       [&](Editor& e) {
         e.actions.showSlot(1);
         e.actions.loadPresetFile(presetFileImage(withPlaceholderNamed(e.state.bank)[1]));
         return diffText(std::span(e.state.bank).first(4), std::span(e.state.bank).first(4), true) +
                e.state.bank[1].validName().value_or("");
       }},
      {"a preset file holding it in small letters, loaded and printed",
       [&](Editor& e) {
         PresetRecord lower = e.state.bank[2];
         lower.storeName("no preset here");
         e.actions.showSlot(2);
         e.actions.loadPresetFile(presetFileImage(lower));
         return presetListing(std::span(e.state.bank).first(4));
       }},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.what);
    Editor e;
    for (const int n : {1, 2}) std::fill_n(e.state.bank[static_cast<std::size_t>(n)].bytes.begin(), kNameFieldSize, 0);
    for (const int n : {0, 1}) e.state.reference[static_cast<std::size_t>(n)] = e.state.bank[static_cast<std::size_t>(n)];
    std::string written = row.written(e);
    for (char& c : written) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    EXPECT_EQ(written.find(kNoPresetHere), std::string::npos) << written;
    EXPECT_FALSE(e.state.bank[1].validName() == std::string(kNoPresetHere));
  }
}

// The combo's bank arriving through the protocol: after GET ALL, or as the answer FIND COMBO
// found and OK? took, which nobody clicked GET ALL for.
void comboAnswers(Editor& e, const PresetBank& bank) {
  for (int n = 0; n < kPresetCount; ++n) {
    RxRing ring;
    const PresetMessage m = buildPresetMessage(n == 0 ? CMD_BANK_FIRST : CMD_BANK_NEXT, bank[static_cast<std::size_t>(n)]);
    ring.store(std::span<const std::uint8_t>(m.data(), m.size()));
    e.protocol.DecodeNextSlot(ring.takeNext());
  }
}

// Presets 1..`edited` edited, then each row's act, then the window closed one way: a load or
// a fetch that put other presets over edits says how many and how to get them back, and the
// history got the bank as it was first; a close at the window asks while anything is edited,
// one from outside never does.
TEST(ReplacedWork, IsSaidAndOnlyAClosingWindowAsks) {
  const PresetBank combo = Editor().state.bank;  // what the edits were made over
  PresetRecord onDisk = combo[0];
  onDisk.setValue(AMP_GAIN, 29);
  onDisk.storeName("ON DISK");
  const auto load = [&](Editor& e) {
    e.actions.showSlot(0);
    e.actions.loadPresetFile(presetFileImage(onDisk));
  };
  const auto getAll = [&](Editor& e) {
    e.actions.requestFetch();
    comboAnswers(e, combo);
  };
  const auto findCombo = [&](Editor& e) {
    e.protocol.fetch.requested({}, false);
    comboAnswers(e, combo);
  };
  const auto nothing = [](Editor&) {};
  const std::string three = "3 EDITED PRESETS REPLACED: CTRL+Z OR LIBRARY > HISTORY BRINGS THEM BACK";
  const std::string one = "1 EDITED PRESET REPLACED: CTRL+Z OR LIBRARY > HISTORY BRINGS IT BACK";
  struct Row {
    const char* what;
    int edited;
    std::function<void(Editor&)> act;
    std::string said;
    std::vector<std::string> kept;
    CloseWay close;
    std::optional<std::string> asked;
  };
  const Row rows[] = {
      {"get all over three edits", 3, getAll, three, {"before fetch", "fetched"}, CloseWay::Button, std::nullopt},
      {"get all over none", 0, getAll, "", {"fetched"}, CloseWay::Button, std::nullopt},
      {"a load into an edited slot", 3, load, one, {"before load"}, CloseWay::Shortcut, "2 EDITED PRESETS ARE NOT STORED OR SAVED"},
      {"a load into a slot not edited", 0, load, "", {}, CloseWay::Menu, std::nullopt},
      {"find combo's bank keeps the edits", 3, findCombo, "", {"fetched"}, CloseWay::Button, "3 EDITED PRESETS ARE NOT STORED OR SAVED"},
      {"find combo's bank over none", 0, findCombo, "", {"fetched"}, CloseWay::Button, std::nullopt},
      {"close button", 1, nothing, "", {}, CloseWay::Button, "1 EDITED PRESET IS NOT STORED OR SAVED"},
      {"Ctrl+Q", 3, nothing, "", {}, CloseWay::Shortcut, "3 EDITED PRESETS ARE NOT STORED OR SAVED"},
      {"FILE > EXIT", 3, nothing, "", {}, CloseWay::Menu, "3 EDITED PRESETS ARE NOT STORED OR SAVED"},
      {"a signal never waits for an answer", 3, nothing, "", {}, CloseWay::Signal, std::nullopt},
      {"nor does the end of the session", 3, nothing, "", {}, CloseWay::SessionEnd, std::nullopt},
      {"a close after the bank was saved", 3, [](Editor& e) { e.actions.savedBank(); }, "", {}, CloseWay::Button, std::nullopt},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.what);
    Editor e;
    std::vector<std::string> kept;
    e.protocol.bankMoved = [&](const BankMove& move) { kept.push_back(historyKind(move)); };
    for (int n = 0; n < row.edited; ++n) {
      e.actions.showSlot(n);
      e.edit(AMP_GAIN, 25);
    }
    e.notices.clear();
    row.act(e);
    std::string said;
    for (const ActionNotice& notice : e.notices)
      if (!notice.message.empty()) said = notice.message;
    EXPECT_EQ(said, row.said);
    EXPECT_EQ(kept, row.kept);
    EXPECT_EQ(e.actions.closeQuestion(row.close), row.asked);
    if (row.said.empty()) continue;
    // What the message promises: one undo brings the edits back.
    e.actions.undo();
    EXPECT_EQ(e.state.bank[0].value(AMP_GAIN), 25);
  }
}

// HELP > MESSAGES: every message said, oldest first, the newest 50; nothing for nothing said.
TEST(MessageLog, KeepsTheNewestFifty) {
  struct Row {
    const char* what;
    int said;
    std::vector<std::string> blankToo;
    std::size_t kept;
    std::string oldest;
  };
  const Row rows[] = {
      {"none", 0, {}, 0, ""},
      {"one", 1, {}, 1, "MESSAGE 1"},
      {"fifty", 50, {}, 50, "MESSAGE 1"},
      {"fifty-one: the oldest goes", 51, {}, 50, "MESSAGE 2"},
      {"an empty text is nothing said", 2, {""}, 2, "MESSAGE 1"},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.what);
    MessageLog log;
    const MessageLog::Time start{};
    for (int n = 1; n <= row.said; ++n) {
      log.add("MESSAGE " + std::to_string(n), start + std::chrono::seconds(n));
      for (const std::string& blank : row.blankToo) log.add(blank, start);
    }
    ASSERT_EQ(log.entries().size(), row.kept);
    if (row.kept == 0) continue;
    EXPECT_EQ(log.entries().front().text, row.oldest);
    EXPECT_EQ(log.entries().back().text, "MESSAGE " + std::to_string(row.said));
  }
}

}  // namespace
}  // namespace kestralux
