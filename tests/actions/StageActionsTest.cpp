// The stage's actions: what a key, a click or a foot controller's bytes make the combo hear,
// and that playing is never an edit and lets nothing else reach the combo.

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "actions/StageActions.h"
#include "tests/PresetValues.h"
#include "tests/actions/RecordedActions.h"

namespace kestralux {
namespace {

using Bytes = std::vector<std::uint8_t>;
using Messages = std::vector<std::vector<std::uint8_t>>;

Song song(int n) {
  Song s;
  s.title = "SONG " + std::to_string(n + 1);
  s.note = n == 1 ? "capo 2" : "";
  s.sound.storeName("SOUND " + std::to_string(n + 1));
  for (int i = 0; i < kParameterCount; ++i) s.sound.setValue(i, (n * 11 + i * 3 + 1) % 90);
  test::makePreset(s.sound, n + 3);
  return s;
}

Setlist threeSongs() {
  Setlist set;
  set.name = "FRIDAY";
  for (int n = 0; n < 3; ++n) set.songs.push_back(song(n));
  return set;
}

Messages wholePreset(const PresetRecord& record) {
  EditorState shown;
  shown.bank[0] = record;
  RecordingOutput out;
  DeviceProtocol sender(shown, out);
  sender.SendWholePreset();
  return out.messages;
}

// Which songs' sounds went out, whole, in order; -1 for anything else.
std::vector<int> songsSent(const Messages& sent) {
  const Setlist set = threeSongs();
  std::vector<int> songs;
  for (std::size_t at = 0; at < sent.size(); at += kParameterCount) {
    const Messages burst(sent.begin() + static_cast<std::ptrdiff_t>(at),
                         sent.begin() + static_cast<std::ptrdiff_t>(std::min(sent.size(), at + kParameterCount)));
    int which = -1;
    for (std::size_t n = 0; n < set.songs.size(); ++n)
      if (burst == wholePreset(set.songs[n].sound)) which = static_cast<int>(n);
    songs.push_back(which);
  }
  return songs;
}

struct StageRow {
  const char* name;
  int startAt;  // the song (from 0) playing before the input
  std::function<void(StageActions&)> input;
  std::vector<int> sent;  // the songs whose sounds go out (or are tried), whole, in order
  const char* position;
  const char* passing;  // what the moment's message says; "" for none
  bool sendsFail = false;
};

void keys(StageActions& stage, std::initializer_list<StageKey> pressed) {
  for (StageKey key : pressed) stage.key(key);
}
void digits(StageActions& stage, const std::string& typed) {
  for (char c : typed) stage.key(StageKey::Digit, c - '0');
  stage.key(StageKey::Enter);
}
std::function<void(StageActions&)> bytes(Bytes sent) {
  return [sent](StageActions& stage) { stage.controllerBytes(sent); };
}

const StageRow kRows[] = {
    {"next key", 0, [](StageActions& s) { keys(s, {StageKey::Next}); }, {1}, "2 / 3", ""},
    {"previous key", 1, [](StageActions& s) { keys(s, {StageKey::Previous}); }, {0}, "1 / 3", ""},
    {"previous on the first song", 0, [](StageActions& s) { keys(s, {StageKey::Previous}); }, {}, "1 / 3", "FIRST SONG OF THE SET"},
    {"next on the last song: no wrap", 2, [](StageActions& s) { keys(s, {StageKey::Next}); }, {}, "3 / 3", "END OF THE SET"},
    {"Home", 2, [](StageActions& s) { keys(s, {StageKey::First}); }, {0}, "1 / 3", ""},
    {"a number then Enter", 0, [](StageActions& s) { digits(s, "3"); }, {2}, "3 / 3", ""},
    {"a number outside the set", 0, [](StageActions& s) { digits(s, "12"); }, {}, "1 / 3", "NO SONG 12 IN THIS SET"},
    {"a leading zero is not typed", 0, [](StageActions& s) { digits(s, "02"); }, {1}, "2 / 3", ""},
    {"Backspace takes a digit back", 0,
     [](StageActions& s) {
       s.key(StageKey::Digit, 1);
       s.key(StageKey::Digit, 9);
       s.key(StageKey::Backspace);
       s.key(StageKey::Digit, 3);
       s.key(StageKey::Enter);
     },
     {}, "1 / 3", "NO SONG 13 IN THIS SET"},
    {"Esc forgets a number being typed and stays", 0,
     [](StageActions& s) {
       s.key(StageKey::Digit, 2);
       s.key(StageKey::Escape);
       s.key(StageKey::Enter);
     },
     {}, "1 / 3", ""},
    {"click on the right half", 0, [](StageActions& s) { s.click(true); }, {1}, "2 / 3", ""},
    {"click on the left half", 2, [](StageActions& s) { s.click(false); }, {1}, "2 / 3", ""},
    {"Program Change 2 plays song 3", 0, bytes({0xC4, 0x02}), {2}, "3 / 3", ""},
    {"Program Change past the end", 1, bytes({0xC0, 0x05}), {}, "2 / 3", "NO SONG 6 IN THIS SET"},
    {"CC 80 pressed", 0, bytes({0xB0, 80, 127}), {1}, "2 / 3", ""},
    {"CC 80 released only", 0, bytes({0xB0, 80, 63}), {}, "1 / 3", ""},
    {"CC 81 pressed", 2, bytes({0xB9, 81, 64}), {1}, "2 / 3", ""},
    {"running status: press, release, press", 0, bytes({0xB0, 80, 127, 80, 0, 80, 127}), {1, 2}, "3 / 3", ""},
    {"clock and active sensing inside a message", 0, bytes({0xF8, 0xB0, 0xFE, 80, 0xF8, 127}), {1}, "2 / 3", ""},
    {"a pedal that means nothing here", 0, bytes({0xB0, 7, 100}), {}, "1 / 3", "NOTHING IN THIS SET"},
    {"a send that fails keeps the song", 0, [](StageActions& s) { keys(s, {StageKey::Next}); }, {1}, "1 / 3", "SEND FAILED",
     true},
};

TEST(StageActions, EachInputPlaysItsSongWholeAndTouchesNoEdit) {
  for (const StageRow& row : kRows) {
    SCOPED_TRACE(row.name);
    test::RecordedActions e;
    for (int n = 0; n < kPresetCount; ++n) test::makePreset(e.state.bank[static_cast<std::size_t>(n)], n);
    e.state.CurrentPreset = 4;
    const PresetBank bankBefore = e.state.bank;
    StageActions stage(e.actions, e.state);
    std::string passing;
    stage.changed = [&] {
      if (!stage.screen().passing.empty()) passing = stage.screen().passing;
    };
    ASSERT_EQ(stage.begin(threeSongs()), std::nullopt);
    if (row.startAt > 0) digits(stage, std::to_string(row.startAt + 1));
    e.output.messages.clear();
    passing.clear();
    e.output.failing = row.sendsFail;

    row.input(stage);

    EXPECT_EQ(songsSent(e.output.messages), row.sent);
    EXPECT_EQ(stage.screen().position, row.position);
    if (*row.passing == '\0') {
      EXPECT_EQ(passing, "");
    } else {
      EXPECT_NE(passing.find(row.passing), std::string::npos) << passing;
    }
    // Playing is never an edit.
    EXPECT_EQ(e.state.bank, bankBefore);
    EXPECT_EQ(e.state.CurrentPreset, 4);
    EXPECT_FALSE(e.actions.canUndo());
    EXPECT_TRUE(stage.playing());
  }
}

TEST(StageActions, WhileUpNothingButAStepReachesTheCombo) {
  test::RecordedActions e;
  for (int n = 0; n < kPresetCount; ++n) test::makePreset(e.state.bank[static_cast<std::size_t>(n)], n);
  StageActions stage(e.actions, e.state);
  ASSERT_EQ(stage.begin(threeSongs()), std::nullopt);
  EXPECT_EQ(e.output.messages, wholePreset(threeSongs().songs[0].sound)) << "the first song at PLAY";
  e.output.messages.clear();

  // What the main window, the bank window and the link's tick would send.
  e.actions.setParameter(AMP_GAIN, 3);
  e.actions.showSlot(7);
  e.protocol.SendWholePreset();
  e.protocol.SendBankRequest();
  EXPECT_TRUE(e.output.messages.empty());

  // Esc leaves: the combo keeps the song's sound, which the editor says it hears, and the
  // main window's controls reach the combo again.
  EXPECT_EQ(stage.key(StageKey::Escape), StageKeyOutcome::Leave);
  EXPECT_FALSE(stage.playing());
  EXPECT_TRUE(e.output.messages.empty());
  EXPECT_TRUE(e.actions.auditioning());
  e.actions.setParameter(AMP_GAIN, 4);
  EXPECT_FALSE(e.output.messages.empty());
}

TEST(StageActions, PlayIsRefusedDuringAStoreAndForAnEmptySet) {
  test::RecordedActions e;
  StageActions stage(e.actions, e.state);
  EXPECT_EQ(stage.begin(Setlist{}), std::string(kNoSongs));
  e.state.StoreInProgress = true;
  EXPECT_EQ(stage.begin(threeSongs()), std::string(kStoreRunning));
  EXPECT_FALSE(stage.playing());
  EXPECT_TRUE(e.output.messages.empty());
  EXPECT_FALSE(e.state.SendSuppressed);
}

TEST(StageActions, LearnedPedalStepsAndIsRemembered) {
  test::RecordedActions e;
  StageActions stage(e.actions, e.state);
  std::optional<FootControllerSettings> remembered;
  stage.controllerChanged = [&](const FootControllerSettings& settings) { remembered = settings; };
  stage.setController({"PEDAL:out", FootMapping{}});

  // Learned before PLAY, from the controller choice: the release of the press that started it
  // is passed over.
  stage.beginLearn(LearnTarget::Next);
  const Bytes release{0xB0, 20, 0}, press{0xB0, 20, 127};
  stage.controllerBytes(release);
  EXPECT_TRUE(stage.learning());
  stage.controllerBytes(press);
  EXPECT_FALSE(stage.learning());
  ASSERT_TRUE(remembered.has_value());
  EXPECT_EQ(remembered->mapping.next, (FootTrigger{FootTrigger::Kind::ControlChange, 20}));
  EXPECT_EQ(stage.lastHeard(), "NEXT = CC 20");

  ASSERT_EQ(stage.begin(threeSongs()), std::nullopt);
  e.output.messages.clear();
  stage.controllerBytes(press);
  EXPECT_EQ(e.output.messages, wholePreset(threeSongs().songs[1].sound));
  EXPECT_EQ(stage.screen().title, "SONG 2");
  EXPECT_EQ(stage.screen().note, "capo 2");
  EXPECT_EQ(stage.screen().next, "SONG 3");
  EXPECT_EQ(stage.screen().controller, "PEDAL:out");
}

}  // namespace
}  // namespace kestralux
