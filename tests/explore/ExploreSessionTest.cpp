// The explore window's state without the window: what reaches the bank (and as how many undo
// steps), what the combo hears, and what is refused while a transfer runs. Each row is a run of
// the window's actions and what it must leave behind.

#include <gtest/gtest.h>

#include <cstdlib>
#include <sstream>

#include "explore/ExploreSession.h"

namespace kestralux {
namespace {

struct Explorer {
  EditorState state;
  EditSession edits{state};
  ExploreBlock block = ExploreBlock::None;
  std::vector<PresetRecord> heard;
  int onScreenAgain = 0;
  int shownChanges = 0;
  // A change shown goes out whole, which ends any hearing.
  bool hearing = false;
  ExploreSession session{state, edits,
                         ExploreSession::Hooks{[this](const PresetRecord& r) { heard.push_back(r), hearing = true; },
                                               [this] { ++onScreenAgain, hearing = false; },
                                               [this] { return hearing; },
                                               [this](const BankChange&, const PresetRecord&) { ++shownChanges, hearing = false; },
                                               [this] { return block; }},
                         42};
  PresetRecord original;
  std::string said;

  Explorer() {
    state.CurrentPreset = 6;
    state.current().storeName("CLEAN");
    state.current().setValue(AMP_TYPE, 3);
    state.current().setValue(EFFECT_SELECT, 0);
    state.current().setValue(AMP_GAIN, 15);
    state.reference = state.bank;
    original = state.current();
    session.amount = 60;
  }

  // "vary", "again", "climb", "hear 3" (1-based, as the keys), "mark", "breed", "back", "keep",
  // "leave", "undo", "morph" (toward a louder, brighter preset), "move 40", "letgo", "fetch",
  // "store", "free".
  void run(const std::string& script) {
    std::istringstream words(script);
    std::string w;
    while (words >> w) {
      if (w == "vary") said = session.varyOnScreen();
      else if (w == "again") said = session.again();
      else if (w == "climb") said = session.climb();
      else if (w == "hear") { int n; words >> n; said = session.hearCandidate(n - 1); }
      else if (w == "mark") said = session.markHeard();
      else if (w == "breed") said = session.breedNext();
      else if (w == "back") said = session.back();
      else if (w == "keep") said = session.keep();
      else if (w == "leave") said = session.leave();
      else if (w == "undo") edits.undo();
      else if (w == "morph") {
        PresetRecord target = original;
        target.setValue(AMP_GAIN, 25);
        target.setValue(AMP_TREBLE, 30);
        said = session.setMorphTarget(target, "PRESET 2");
      }
      else if (w == "move") { int at; words >> at; said = session.moveMorph(at); }
      else if (w == "letgo") said = session.letGoMorph();
      else if (w == "fetch") block = ExploreBlock::Fetch;
      else if (w == "store") block = ExploreBlock::Store;
      else if (w == "free") block = ExploreBlock::None;
      else ADD_FAILURE() << "no such action " << w;
    }
  }
};

enum class Slot { Original, Changed, LastHeard };

struct SessionRow {
  const char* script;
  std::size_t steps;  // undo steps the run left
  Slot slot;          // what the slot on screen holds after it
  std::size_t heard;  // records the combo heard besides the preset on screen
  int onScreenAgain;
  const char* said;   // the last thing the window said
};

void PrintTo(const SessionRow& row, std::ostream* os) { *os << '"' << row.script << '"'; }

const SessionRow kRuns[] = {
    {"vary", 1, Slot::Changed, 0, 0, "VARIED BY 60 %"},
    {"vary undo", 0, Slot::Original, 0, 0, "VARIED BY 60 %"},
    // AGAIN replaces the variation: still one step, and one undo brings the preset back.
    {"vary again", 1, Slot::Changed, 0, 0, "VARIED AGAIN BY 60 %"},
    {"vary again again undo", 0, Slot::Original, 0, 0, "VARIED AGAIN BY 60 %"},
    // Hearing is never an edit.
    {"climb hear 1 hear 8 hear 3", 0, Slot::Original, 3, 0, "CANDIDATE 3"},
    {"climb hear 3 keep", 1, Slot::LastHeard, 1, 0, "CANDIDATE 3 KEPT IN PRESET 7"},
    {"climb hear 3 keep undo", 0, Slot::Original, 1, 0, "CANDIDATE 3 KEPT IN PRESET 7"},
    {"climb keep", 0, Slot::Original, 0, 0, "HEAR A CANDIDATE FIRST (KEYS 1-8)"},
    {"climb hear 2 leave", 0, Slot::Original, 1, 1, ""},
    {"climb leave", 0, Slot::Original, 0, 0, ""},
    // The combo still plays a candidate of a generation gone since.
    {"climb hear 2 breed back leave", 0, Slot::Original, 1, 1, ""},
    {"climb hear 2 leave leave", 0, Slot::Original, 1, 1, ""},
    {"climb hear 2 mark hear 5 mark breed", 0, Slot::Original, 2, 0, "GENERATION 2 FROM 2 MARKED"},
    {"climb hear 8 mark breed", 0, Slot::Original, 1, 0, "GENERATION 2 FROM 1 MARKED"},
    {"climb breed", 0, Slot::Original, 0, 0, "GENERATION 2 FROM THE PRESET ON SCREEN"},
    {"climb breed breed back back", 0, Slot::Original, 0, 0, "BACK TO GENERATION 1"},
    {"climb breed back back", 0, Slot::Original, 0, 0, "NO EARLIER GENERATION"},
    {"climb hear 4 mark mark", 0, Slot::Original, 1, 0, "CANDIDATE 4 UNMARKED"},
    // The slider is heard while it moves; the bank changes once, when it is let go.
    {"morph move 10 move 40 move 60", 0, Slot::Original, 3, 0, "60 % TOWARD PRESET 2"},
    {"morph move 40 letgo", 1, Slot::Changed, 1, 0, "MORPHED 40 % TOWARD PRESET 2"},
    {"morph move 40 letgo move 80 letgo undo", 1, Slot::Changed, 2, 0, "MORPHED 80 % TOWARD PRESET 2"},
    {"morph move 40 leave", 0, Slot::Original, 1, 1, ""},
    {"move 40", 0, Slot::Original, 0, 0, "CHOOSE WHAT TO MORPH TOWARD"},
    // A transfer owns the bank and the combo: nothing is explored, and the window says why.
    {"fetch vary", 0, Slot::Original, 0, 0, "A FETCH IS RUNNING: EXPLORE WAITS FOR ITS END"},
    {"climb store hear 1", 0, Slot::Original, 0, 0, "A STORE IS RUNNING: EXPLORE WAITS FOR ITS END"},
    {"climb hear 1 store keep", 0, Slot::Original, 1, 0, "A STORE IS RUNNING: EXPLORE WAITS FOR ITS END"},
    {"climb hear 1 store leave", 0, Slot::Original, 1, 0, ""},
    {"morph fetch move 30", 0, Slot::Original, 0, 0, "A FETCH IS RUNNING: EXPLORE WAITS FOR ITS END"},
    {"fetch vary free vary", 1, Slot::Changed, 0, 0, "VARIED BY 60 %"},
};

class ExploreSessionRuns : public testing::TestWithParam<SessionRow> {};

TEST_P(ExploreSessionRuns, LeaveTheBankTheCombosEarsAndTheWordsAsTheySay) {
  const SessionRow& row = GetParam();
  Explorer x;
  x.run(row.script);
  EXPECT_EQ(x.edits.steps(), row.steps);
  switch (row.slot) {
    case Slot::Original: EXPECT_EQ(x.state.current(), x.original); break;
    case Slot::Changed: EXPECT_NE(x.state.current(), x.original); break;
    case Slot::LastHeard:
      ASSERT_FALSE(x.heard.empty());
      EXPECT_EQ(x.state.current(), x.heard.back());
      break;
  }
  // Whatever changed, only the slot on screen did, and its name stayed.
  for (int n = 0; n < kPresetCount; ++n) {
    if (n == x.state.CurrentPreset) continue;
    EXPECT_EQ(x.state.bank[static_cast<std::size_t>(n)], PresetRecord{});
  }
  EXPECT_EQ(x.state.current().validName(), "CLEAN");
  EXPECT_EQ(x.heard.size(), row.heard);
  EXPECT_EQ(x.onScreenAgain, row.onScreenAgain);
  EXPECT_EQ(x.said, row.said);
}

INSTANTIATE_TEST_SUITE_P(Explore, ExploreSessionRuns, testing::ValuesIn(kRuns));

// AGAIN varies the same preset, not the variation: both steps start from the original.
TEST(ExploreSession, AgainVariesThePresetTheVariationCameFrom) {
  Explorer x;
  x.session.amount = 10;
  x.run("vary");
  for (int n = 0; n < 20; ++n) {
    x.run("again");
    // At 10 % a 0..30 control moves at most 3 from where it was before the first variation.
    EXPECT_LE(std::abs(x.state.current().value(AMP_GAIN) - x.original.value(AMP_GAIN)), 3);
  }
  EXPECT_EQ(x.edits.steps(), 1u);
}

// A morph let go and moved again still starts from the preset it started from.
TEST(ExploreSession, MorphAfterALetGoStartsFromTheSamePreset) {
  Explorer x;
  x.run("morph move 50 letgo move 100 letgo");
  EXPECT_EQ(x.state.current().value(AMP_GAIN), 25);
  EXPECT_EQ(x.state.current().value(AMP_TREBLE), 30);
  x.run("move 0 letgo");
  EXPECT_EQ(x.state.current(), x.original);
}

}  // namespace
}  // namespace kestralux
