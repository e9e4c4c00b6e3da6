#include <gtest/gtest.h>

#include <optional>
#include <ostream>
#include <string>

#include "editor/EditorTables.h"
#include "editor/ValueEntry.h"

namespace kestralux {
namespace {

constexpr int kChorus = 0, kCompressor = 10, kWah = 11, kDetune = 6, kRotary = 12;

struct Typed {
  const char* bar;
  int effect;
  const char* text;
  std::optional<int> position;
};

// What a user types into a value box's entry, in the box's units, and where the bar goes.
const Typed kTyped[] = {
    {"ScrollGAIN", kChorus, "7.5", 23},         // halfway 7.33..7.66 is nearer 7.66
    {"ScrollGAIN", kChorus, "7,33", 22},
    {"ScrollGAIN", kChorus, "10", 30},
    {"ScrollGAIN", kChorus, "99", 30},          // snapped to the last step
    {"ScrollGAIN", kChorus, "-3", 0},
    {"ScrollBASS", kChorus, " 5 ", 15},
    {"ScrollMID", kChorus, "0", 0},
    {"ScrollTREB", kChorus, "9.9", 30},
    {"ScrollPVOL", kChorus, "3.4", 10},
    {"ScrollDLVL", kChorus, "OFF", 0},
    {"ScrollDLVL", kChorus, "off", 0},
    {"ScrollDLVL", kChorus, "0", 0},            // OFF is where 0 would be
    {"ScrollDLVL", kChorus, "0.2", 1},
    {"ScrollREV", kChorus, "6.66", 20},
    {"ScrollDREG", kChorus, "2", 6},
    {"ScrollDTIME", kChorus, "350", 87},        // 348 and 352 ms: halfway is the lower step
    {"ScrollDTIME", kChorus, "351 ms", 88},
    {"ScrollDTIME", kChorus, "350MS", 87},
    {"ScrollDTIME", kChorus, "2000", 250},
    {"ScrollDTIME", kChorus, "350 dB", std::nullopt},  // another unit
    {"ScrollDPAN", kChorus, "L3", 3},
    {"ScrollDPAN", kChorus, "l 3", 3},
    {"ScrollDPAN", kChorus, "R20", 20},
    {"ScrollDPAN", kChorus, "20R", 20},
    {"ScrollDPAN", kChorus, "L10", 10},
    {"ScrollDPAN", kChorus, "L0", 0},
    {"ScrollDPAN", kChorus, "R31", 31},
    {"ScrollDPAN", kChorus, "R3", 16},          // the right side starts at 16
    {"ScrollDPAN", kChorus, "CENTER", 15},
    {"ScrollDPAN", kChorus, "c", 15},
    {"ScrollDPAN", kChorus, "LEFT", 0},
    {"ScrollDPAN", kChorus, "right", 31},
    {"ScrollDPAN", kChorus, "15", 15},          // a plain number is the position
    {"ScrollDPAN", kChorus, "X3", std::nullopt},
    {"ScrollGATE", kChorus, "-40", 10},
    {"ScrollGATE", kChorus, "40", 10},          // nothing above 0 dB: 40 means -40
    {"ScrollGATE", kChorus, "-41dB", 9},        // halfway -42..-40 is the lower step
    {"ScrollGATE", kChorus, "+5", 30},
    {"ScrollGATE", kChorus, "-8", 26},
    {"ScrollFX15", kChorus, "5", 15},
    {"ScrollFX15", kCompressor, "12", 12},
    {"ScrollFX15", kCompressor, "-12db", 12},
    {"ScrollFX15", kDetune, "+10", 20},
    {"ScrollFX15", kDetune, "-10 cents", 10},
    {"ScrollFX15", kDetune, "10", 20},          // cents go both ways: no sign is up
    {"ScrollFX15", kWah, "1000", 13},
    {"ScrollFX15", kWah, "1000 Hz", 13},
    {"ScrollFX15", kWah, "5000", 30},            // the bar ends at 2595 Hz
    {"ScrollFX15", kWah, "1k", std::nullopt},
    {"ScrollFX16", kChorus, "2.66", 8},
    {"ScrollRATE", kChorus, "128", 128},
    {"ScrollRATE", kChorus, "300", 255},
    {"ScrollRATE", kRotary, "FAST", 1},
    {"ScrollRATE", kRotary, "s", 0},
    {"ScrollRATE", kRotary, "1", 1},
    {"ScrollRATE", kRotary, "7", 1},
    {"ScrollGAIN", kChorus, "", std::nullopt},
    {"ScrollGAIN", kChorus, "loud", std::nullopt},
    {"ScrollGAIN", kChorus, "7.5.1", std::nullopt},
    {"ScrollGAIN", kChorus, "7 8", std::nullopt},
    {"ScrollGAIN", kChorus, "7-", std::nullopt},
    {"ScrollGAIN", kChorus, "--7", std::nullopt},
    {"ScrollGAIN", kChorus, "-", std::nullopt},
    {"ScrollGAIN", kChorus, "7;", std::nullopt},
    {"PRENAME", kChorus, "7", std::nullopt},    // not a value bar
};

void PrintTo(const Typed& row, std::ostream* out) { *out << row.bar << " effect " << row.effect << " '" << row.text << "'"; }

class TypedValue : public ::testing::TestWithParam<Typed> {};

TEST_P(TypedValue, SnapsToTheNearestStepInTheBoxsUnits) {
  const Typed& row = GetParam();
  EXPECT_EQ(typedPosition(row.bar, row.effect, row.text), row.position);
}

INSTANTIATE_TEST_SUITE_P(EveryValueBar, TypedValue, ::testing::ValuesIn(kTyped));

// Whatever a box shows can be typed back: every bar, every effect, every position.
TEST(TypedValue, EveryShownTextTypesBackToItsPosition) {
  for (const std::string_view bar : kValueBars) {
    for (const EffectRow& effect : kEffects) {
      const int maximum = valueMaximum(bar, effect.code);
      ASSERT_GT(maximum, 0) << bar;
      for (int p = 0; p <= maximum; ++p) {
        const std::string shown = shownValue(bar, effect.code, p);
        EXPECT_EQ(typedPosition(bar, effect.code, shown), p) << bar << " " << effect.caption << " '" << shown << "'";
      }
    }
  }
}

}  // namespace
}  // namespace kestralux
