#include <gtest/gtest.h>

#include <set>
#include <string>

#include "editor/EditorTables.h"

namespace kestralux {
namespace {

TEST(StripText, ValueBoxTexts) {
  struct Case { const char* strip; int position; TextSource source; const char* text; };
  const Case cases[] = {
      {"ScrollMID", 15, TextSource::Handler, "           5.00"},    // ten blanks
      {"ScrollMID", 15, TextSource::ShowPreset, "          5.00"},  // nine blanks
      {"ScrollGAIN", 0, TextSource::Handler, "          0.00"},
      {"ScrollREV", 0, TextSource::Handler, "          OFF "},
      {"ScrollDLVL", 30, TextSource::ShowPreset, "         10.00"},
      {"ScrollPVOL", 3, TextSource::Handler, "            1.00"},
      {"ScrollDPAN", 15, TextSource::Handler, "       CENTER"},
      {"ScrollDPAN", 31, TextSource::ShowPreset, "        RIGHT"},
      {"ScrollDPAN", 9, TextSource::Handler, "       L<9   "},
      {"ScrollDPAN", 10, TextSource::Handler, "       L>10  "},
      {"ScrollDTIME", 250, TextSource::Handler, "         1000 ms"},
      {"ScrollDTIME", 0, TextSource::ShowPreset, "         0 ms"},
      {"ScrollGATE", 30, TextSource::Handler, "           0dB"},
      {"ScrollGATE", 0, TextSource::Handler, "         -60dB"},
  };
  for (const Case& c : cases) {
    const StripRow* row = findStrip(c.strip);
    ASSERT_NE(row, nullptr) << c.strip;
    EXPECT_EQ(stripText(*row, c.position, c.source), c.text) << c.strip << " at " << c.position;
  }
}

TEST(StripTable, EachParameterHasOneStripWithItsRange) {
  std::set<int> parameters;
  for (const StripRow& row : kStrips) parameters.insert(row.parameter);
  EXPECT_EQ(parameters.size(), kStrips.size());
  EXPECT_EQ(findStrip("ScrollDPAN")->maximum, 31);
  EXPECT_EQ(findStrip("ScrollDTIME")->maximum, 250);
  EXPECT_EQ(findStrip("ScrollGATE")->parameter, GATE_THRES);
  EXPECT_EQ(findStrip("ScrollPVOL")->parameter, AMP_MASTER);
  EXPECT_EQ(findStrip("ScrollRATE"), nullptr);  // an effect control, not a strip
}

TEST(AmpModels, DeviceNumbersDoNotFollowTheGrid) {
  for (std::size_t i = 0; i < kAmpModels.size(); ++i) EXPECT_EQ(kAmpModels[i].ampType, static_cast<int>(i));
  EXPECT_EQ(kAmpModels[14].panel, "POLY");
  EXPECT_EQ(kAmpModels[14].caption, "JAZZ");
  EXPECT_EQ(kAmpModels[11].panel, "TEX");
  EXPECT_EQ(kAmpModels[15].panel, "CLN2");
  EXPECT_EQ(kAmpModels[1].caption, "BRIT CLASS A");
}

TEST(EffectTexts, AdjustAndRateBoxes) {
  struct Case { int effect; int position; const char* effect15; const char* rate; };
  const Case cases[] = {
      {6, 15, "          0 cents", "            15"},
      {11, 15, "        1189 Hz  ", "            15"},
      {10, 15, "         -15Db", "            15"},
      {10, 12, "         -12Db", "            12"},
      {0, 30, "         10.00", "            30"},
      {12, 1, "          0.33", "       FAST "},
      {12, 0, "          0.00", "       SLOW "},
      {3, 2, "          0.66", "            2"},  // a code without a button shows the knob scale
  };
  for (const Case& c : cases) {
    EXPECT_EQ(effect15Text(c.effect, c.position), c.effect15) << c.effect;
    EXPECT_EQ(rateText(c.effect, c.position), c.rate) << c.effect;
  }
  EXPECT_EQ(effect16Text(3, TextSource::Handler), "          1.00");
  EXPECT_EQ(effect16Text(3, TextSource::ShowPreset), "         1.00");
}

TEST(Effects, EveryCodeHasOneButton) {
  const int codes[] = {0, 2, 6, 8, 10, 11, 12, 13, 14, 15};
  for (int code : codes) ASSERT_NE(findEffect(code), nullptr) << code;
  for (int code : {1, 3, 4, 5, 7, 9, 16, -1}) EXPECT_EQ(findEffect(code), nullptr) << code;
  EXPECT_FALSE(findEffect(8)->adjust1Shown);
  EXPECT_EQ(findEffect(12)->caption, "ROTARY ");
}

// Which controls an effect has, as every listing, sheet, search and the window read it.
struct ControlsRow {
  int effect;
  bool adjust1, adjust2, rate;
  int rateMaximum;
};

class EffectControls : public ::testing::TestWithParam<ControlsRow> {};

TEST_P(EffectControls, OneRuleForEveryReader) {
  const ControlsRow& row = GetParam();
  EXPECT_EQ(effectHasControl(row.effect, EFF_ADJUST1), row.adjust1);
  EXPECT_EQ(effectHasControl(row.effect, EFF_ADJUST2), row.adjust2);
  EXPECT_EQ(effectHasControl(row.effect, EFF_RATE), row.rate);
  EXPECT_EQ(rateMaximum(row.effect), row.rateMaximum);
  for (int parameter : {AMP_TYPE, AMP_GAIN, DELAY_TIME, EFFECT_SELECT}) EXPECT_TRUE(effectHasControl(row.effect, parameter));
}

INSTANTIATE_TEST_SUITE_P(EditorTables, EffectControls,
                         ::testing::Values(ControlsRow{8, false, false, false, 255},   // bypass
                                           ControlsRow{10, true, false, false, 255},   // compressor
                                           ControlsRow{11, true, false, false, 255},   // wah
                                           ControlsRow{0, true, true, true, 255},      // chorus
                                           ControlsRow{6, true, true, false, 255},     // detune
                                           ControlsRow{12, true, false, true, 1},      // rotary: two speeds
                                           ControlsRow{3, true, true, true, 255}));    // no effect of ours: all shown

}  // namespace
}  // namespace kestralux
