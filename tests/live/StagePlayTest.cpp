// The step rules of playing a set and what a foot controller's bytes ask of them, one table: a
// row is a set of songs, what the stage does (keys and clicks map to steps, the controller to
// bytes, LEARN to a target), and what reached the combo, where the stage stands and what it says.

#include <gtest/gtest.h>

#include <variant>

#include "live/FootController.h"

namespace kestralux {
namespace {

using Bytes = std::vector<std::uint8_t>;

struct Learn {
  LearnTarget target;
};
struct FailSends {
  bool fail;
};
// One thing done on stage: a step (key, click, number and Enter), bytes from the controller,
// LEARN pressed, or the link to the combo failing or coming back.
using Act = std::variant<Step, Bytes, Learn, FailSends>;

constexpr Step kNext{StepKind::Next, 0}, kPrevious{StepKind::Previous, 0}, kFirst{StepKind::First, 0};
constexpr Step song(int n) { return {StepKind::Song, n}; }

struct PlayRow {
  const char* name;
  int songs;
  std::vector<Act> acts;  // after the start, which plays song 1
  std::vector<int> sent;  // the songs (from 1) whose sound reached the combo, the start's first
  std::string position;   // "3 / 12"
  std::string said;       // what the last act said, "" for a song played or nothing to say
  bool endOfSet = false;
};

void PrintTo(const PlayRow& row, std::ostream* os) { *os << row.name; }

const PlayRow kPlays[] = {
    {"the start plays the first song", 4, {}, {1}, "1 / 4", ""},
    {"next, next, previous", 4, {kNext, kNext, kPrevious}, {1, 2, 3, 2}, "2 / 4", ""},
    {"past the last song nothing is sent and the set ends", 3, {kNext, kNext, kNext, kNext}, {1, 2, 3}, "3 / 3", "END OF THE SET", true},
    {"a previous after the end plays the song before the last", 3, {kNext, kNext, kNext, kPrevious}, {1, 2, 3, 2}, "2 / 3", ""},
    {"before the first song a previous sends nothing", 3, {kPrevious}, {1}, "1 / 3", "FIRST SONG OF THE SET"},
    {"Home plays the first song again", 5, {kNext, kNext, kFirst}, {1, 2, 3, 1}, "1 / 5", ""},
    {"a number then Enter jumps", 12, {song(9)}, {1, 9}, "9 / 12", ""},
    {"a number past the set changes nothing", 12, {kNext, song(13)}, {1, 2}, "2 / 12", "NO SONG 13 IN THIS SET"},
    {"song 0 is no song", 12, {song(0)}, {1}, "1 / 12", "NO SONG 0 IN THIS SET"},
    {"an empty set plays nothing", 0, {kNext}, {}, "- / 0", "NO SONG IN THIS SET"},
    {"a step that could not be sent leaves the stage where it was", 4, {FailSends{true}, kNext}, {1}, "1 / 4", "SEND FAILED"},
    {"once the combo is back the same next plays", 4, {FailSends{true}, kNext, FailSends{false}, kNext}, {1, 2}, "2 / 4", ""},

    {"Program Change n on any channel plays song n + 1", 12, {Bytes{0xC0, 0x04}, Bytes{0xCF, 0x00}}, {1, 5, 1}, "1 / 12", ""},
    {"a program past the set changes nothing", 12, {Bytes{0xC0, 12}}, {1}, "1 / 12", "NO SONG 13 IN THIS SET"},
    {"CC 80 at 64 and more is next, CC 81 previous", 4, {Bytes{0xB0, 80, 64}, Bytes{0xB3, 80, 127}, Bytes{0xB0, 81, 100}}, {1, 2, 3, 2}, "2 / 4", ""},
    {"a pedal's release (CC below 64) is no step", 4, {Bytes{0xB0, 80, 127}, Bytes{0xB0, 80, 63}, Bytes{0xB0, 80, 0}}, {1, 2}, "2 / 4", ""},
    {"other controllers and notes mean nothing by default", 4, {Bytes{0xB0, 7, 127}, Bytes{0x90, 60, 100}}, {1}, "1 / 4", ""},
    {"running status: press, release, press of CC 80", 4, {Bytes{0xB0, 80, 127, 80, 0, 80, 127}}, {1, 2, 3}, "3 / 4", ""},
    {"running status of program changes", 9, {Bytes{0xC1, 3, 5, 7}}, {1, 4, 6, 8}, "8 / 9", ""},
    {"clock and active sensing inside and between messages change nothing", 4,
     {Bytes{0xF8, 0xB0, 0xF8, 80, 0xFE, 127, 0xF8}, Bytes{0xFE, 0xFE}}, {1, 2}, "2 / 4", ""},
    {"data bytes split over deliveries make one message", 4, {Bytes{0xB0, 80}, Bytes{127}}, {1, 2}, "2 / 4", ""},
    {"a controller's SysEx is skipped whole, and its data bytes are not a step", 4, {Bytes{0xF0, 0x7E, 80, 127, 0xF7, 80, 127}}, {1}, "1 / 4", ""},
    {"song position ends running status and its data bytes are skipped", 4, {Bytes{0xB0, 80, 127, 0xF2, 80, 127, 80, 127}}, {1, 2}, "2 / 4", ""},
    {"data bytes with no status before them are dropped", 4, {Bytes{80, 127, 0x05}}, {1}, "1 / 4", ""},

    {"LEARN next takes a note-on; its note-off and velocity 0 are no step", 4,
     {Learn{LearnTarget::Next}, Bytes{0x92, 60, 90}, Bytes{0x92, 60, 90}, Bytes{0x82, 60, 0}, Bytes{0x92, 60, 0}}, {1, 2}, "2 / 4", ""},
    {"LEARN passes over a release that arrives first", 4,
     {Learn{LearnTarget::Next}, Bytes{0xB0, 20, 0}, Bytes{0xB0, 20, 127}, Bytes{0xB0, 20, 127}}, {1, 2}, "2 / 4", ""},
    {"a learned Program Change is next, not a song", 9, {Learn{LearnTarget::Next}, Bytes{0xC0, 5}, Bytes{0xC0, 5}, Bytes{0xC0, 2}}, {1, 2, 3}, "3 / 9", ""},
    {"LEARN previous with next's CC swaps the two", 4,
     {kNext, kNext, Learn{LearnTarget::Previous}, Bytes{0xB0, 80, 127}, Bytes{0xB0, 80, 127}, Bytes{0xB0, 81, 127}}, {1, 2, 3, 2, 3}, "3 / 4", ""},
    {"LEARN is not a step itself", 4, {Learn{LearnTarget::Next}, Bytes{0xB0, 80, 127}}, {1}, "1 / 4", ""},
};

class StageRules : public ::testing::TestWithParam<PlayRow> {};

TEST_P(StageRules, SendWhatTheStageAsked) {
  const PlayRow& row = GetParam();
  Setlist set;
  for (int n = 1; n <= row.songs; ++n) {
    PresetRecord sound;
    sound.storeName(("SOUND " + std::to_string(n)).c_str());
    sound.setValue(AMP_GAIN, n);
    set.songs.push_back(songOfSound(sound, "Song " + std::to_string(n)));
  }
  std::vector<int> sent;
  bool failing = false;
  StagePlay play(set, [&](const PresetRecord& sound) {
    if (failing) return false;
    sent.push_back(sound.value(AMP_GAIN));
    return true;
  });
  Step last = kFirst;
  StepResult result = play.start();
  ControllerByteParser parser;
  FootMapping mapping;
  FootLearn learn;
  const auto take = [&](const Step& step) {
    last = step;
    result = play.step(step);
  };
  for (const Act& act : row.acts) {
    if (const auto* step = std::get_if<Step>(&act)) {
      take(*step);
    } else if (const auto* bytes = std::get_if<Bytes>(&act)) {
      for (const ControllerMessage& m : parser.feed(*bytes)) {
        if (learn.offer(m, mapping)) continue;
        if (const auto step = stepOfMessage(mapping, m)) take(*step);
      }
    } else if (const auto* l = std::get_if<Learn>(&act)) {
      learn.begin(l->target);
    } else {
      failing = std::get<FailSends>(act).fail;
    }
  }
  EXPECT_EQ(sent, row.sent);
  EXPECT_EQ(play.positionText(), row.position);
  EXPECT_EQ(stepOutcomeText(result, last), row.said);
  EXPECT_EQ(play.endOfSet(), row.endOfSet);
  if (play.current()) {
    const std::string n = std::to_string(*play.current() + 1);
    EXPECT_EQ(play.stepLine(), n + "/" + std::to_string(row.songs) + " Song " + n + ": SOUND " + n);
  }
}

INSTANTIATE_TEST_SUITE_P(Rows, StageRules, ::testing::ValuesIn(kPlays));

TEST(FootControllerSettings, ComeBackAsSavedAndNeverWithOnePedalForBoth) {
  FootControllerSettings learned{"USB MIDI Pedal:port 0=A", {{FootTrigger::Kind::NoteOn, 60}, {FootTrigger::Kind::ProgramChange, 3}, false}};
  EXPECT_EQ(readFootControllerSettings(footControllerSettingsText(learned)), learned);
  EXPECT_EQ(readFootControllerSettings("port=P\nnext=CC 81\nprevious=CC 81\n").mapping, FootMapping{});
  EXPECT_EQ(readFootControllerSettings("next=CC 300\nfuture=1\n").mapping, FootMapping{});
}

}  // namespace
}  // namespace kestralux
