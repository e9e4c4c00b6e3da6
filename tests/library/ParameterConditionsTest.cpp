// Conditions on values as the window shows them: each caption, unit and operator against
// stored values on both sides of the boundary, and each way a condition can be wrong.

#include <gtest/gtest.h>

#include "library/ParameterConditions.h"

namespace kestralux {
namespace {

struct ConditionRow {
  const char* condition;
  int effect;
  int parameter;
  int value;
  bool satisfied;
};

class ConditionCase : public ::testing::TestWithParam<ConditionRow> {};

TEST_P(ConditionCase, ComparesTheValueTheWindowShows) {
  const ConditionRow& row = GetParam();
  const auto parsed = parseCondition(row.condition);
  ASSERT_TRUE(std::holds_alternative<std::vector<ParameterMatch>>(parsed)) << std::get<ConditionError>(parsed).why;
  PresetRecord r;
  r.setValue(EFFECT_SELECT, row.effect);
  r.setValue(row.parameter, row.value);
  EXPECT_EQ(satisfies(std::get<std::vector<ParameterMatch>>(parsed), r), row.satisfied);
}

constexpr int kChorus = 0, kDetune = 6, kBypass = 8, kCompressor = 10, kWah = 11, kRotary = 12, kTremolo = 14;

INSTANTIATE_TEST_SUITE_P(
    Library, ConditionCase,
    ::testing::Values(
        // GAIN shows 0.00..10.00 in steps of a third: 20 is 6.66, 21 is 7.00.
        ConditionRow{"GAIN >= 7", kChorus, AMP_GAIN, 21, true}, ConditionRow{"GAIN >= 7", kChorus, AMP_GAIN, 20, false},
        ConditionRow{"  gain>=7 ", kChorus, AMP_GAIN, 200, true},  // beyond the scale shows 10.00
        ConditionRow{"GAIN = 6.66", kChorus, AMP_GAIN, 20, true},
        ConditionRow{"DELAY TIME < 300", kChorus, DELAY_TIME, 74, true},
        ConditionRow{"DELAY TIME < 300", kChorus, DELAY_TIME, 75, false},
        ConditionRow{"delay time <= 300 ms", kChorus, DELAY_TIME, 75, true},
        ConditionRow{"REVERB LEVEL = 0", kChorus, REV_LEVEL, 0, true},
        ConditionRow{"REVERB LEVEL = 0", kChorus, REV_LEVEL, 1, false},
        ConditionRow{"REVERB LEVEL = OFF", kChorus, REV_LEVEL, 0, true},
        ConditionRow{"GATE > -10dB", kChorus, GATE_THRES, 26, true},
        ConditionRow{"GATE > -10dB", kChorus, GATE_THRES, 25, false},
        ConditionRow{"DELAY PAN = CENTER", kChorus, DELAY_PAN, 15, true},
        ConditionRow{"DELAY PAN < CENTER", kChorus, DELAY_PAN, 3, true},
        ConditionRow{"DELAY PAN < CENTER", kChorus, DELAY_PAN, 16, false},
        ConditionRow{"PRESET VOLUME != 5", kChorus, AMP_MASTER, 15, false},
        ConditionRow{"PRESET VOLUME != 5", kChorus, AMP_MASTER, 16, true},
        // An effect's own caption for its adjust controls applies to the effects that use it.
        ConditionRow{"DEPTH > 5", kChorus, EFF_ADJUST1, 16, true},
        ConditionRow{"DEPTH > 5", kWah, EFF_ADJUST1, 30, false},
        ConditionRow{"LEVEL >= 5", kDetune, EFF_ADJUST2, 15, true},
        ConditionRow{"PITCH < 0", kDetune, EFF_ADJUST1, 14, true},
        ConditionRow{"FREQUENCY >= 1000 Hz", kWah, EFF_ADJUST1, 13, true},
        ConditionRow{"EFFECT ADJUST 1 > -10", kCompressor, EFF_ADJUST1, 5, true},
        ConditionRow{"RATE = FAST", kRotary, EFF_RATE, 1, true},
        ConditionRow{"RATE > 100", kTremolo, EFF_RATE, 101, true},
        ConditionRow{"RATE > 100", kBypass, EFF_RATE, 200, false},  // a hidden control shows nothing
        // Numbers far beyond any shown value compare as the numbers they are.
        ConditionRow{"GAIN > 21474837", kChorus, AMP_GAIN, 255, false},
        ConditionRow{"GAIN < 21474837", kChorus, AMP_GAIN, 255, true},
        ConditionRow{"GAIN > -21474837", kChorus, AMP_GAIN, 0, true},
        ConditionRow{"DELAY TIME >= 99999999999999999999 ms", kChorus, DELAY_TIME, 255, false},
        ConditionRow{"GATE < -4294967296.5 dB", kChorus, GATE_THRES, 0, false}));

struct BadConditionRow {
  std::string condition;
  const char* why;
};

TEST(ConditionErrors, NameWhatIsWrong) {
  const std::vector<BadConditionRow> rows{
      {"GAIN 7", "no comparison"},
      {"LOUDNESS > 3", "LOUDNESS is not a control of the window"},
      {"GAIN >", "no value after"},
      {"> 3", "no parameter"},
      {"GAIN > loud", "GAIN never shows LOUD"},
      {"GAIN ! 3", "!="},
      {"DELAY PAN > 3", "DELAY PAN never shows 3"},
      {"GAIN > 1" + std::string(400, '0'), "out of range"},
  };
  for (const BadConditionRow& row : rows) {
    const auto parsed = parseCondition(row.condition);
    ASSERT_TRUE(std::holds_alternative<ConditionError>(parsed)) << row.condition;
    EXPECT_NE(std::get<ConditionError>(parsed).why.find(row.why), std::string::npos)
        << row.condition << ": " << std::get<ConditionError>(parsed).why;
  }
}

}  // namespace
}  // namespace kestralux
