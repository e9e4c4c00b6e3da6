// The kind of a sound from its values: every amp model at low and high gain and at the edges
// of its steps, every effect, the delay and reverb that make it AMBIENT.

#include <gtest/gtest.h>

#include "library/SoundCategory.h"

namespace kestralux {
namespace {

PresetRecord soundOf(int amp, int gain, int effect = 8, int delay = 0, int reverb = 0) {
  PresetRecord r;
  r.setValue(AMP_TYPE, amp);
  r.setValue(AMP_GAIN, gain);
  r.setValue(EFFECT_SELECT, effect);
  r.setValue(DELAY_LEVEL, delay);
  r.setValue(REV_LEVEL, reverb);
  return r;
}

struct KindRow {
  const char* what;
  PresetRecord record;
  const char* kind;
};

TEST(SoundCategory, EveryAmpModelAtLowAndHighGainEveryEffectAndTheAmbientEdges) {
  const std::vector<KindRow> rows{
      {"CLEAN 1 low", soundOf(0, 0), "CLEAN"},
      {"CLEAN 1 high: a clean model is never more than crunch", soundOf(0, 30), "CRUNCH"},
      {"CLEAN 1 just below 7.00", soundOf(0, 20), "CLEAN"},
      {"CLEAN 1 at 7.00", soundOf(0, 21), "CRUNCH"},
      {"BRIT CLASS A low", soundOf(1, 0), "CLEAN"},
      {"BRIT CLASS A high", soundOf(1, 30), "HIGH GAIN"},
      {"BRIT CLASS A at 4.00", soundOf(1, 12), "CRUNCH"},
      {"BRIT CLASS A just below 9.00", soundOf(1, 26), "CRUNCH"},
      {"BRIT BLUES low", soundOf(2, 0), "CLEAN"},
      {"BRIT BLUES high", soundOf(2, 30), "HIGH GAIN"},
      {"BRIT CLASSIC low", soundOf(3, 0), "CLEAN"},
      {"BRIT CLASSIC high", soundOf(3, 30), "HIGH GAIN"},
      {"BRIT CLASSIC mid", soundOf(3, 10), "CRUNCH"},
      {"BRIT HI GAIN low", soundOf(4, 0), "CLEAN"},
      {"BRIT HI GAIN high", soundOf(4, 30), "HIGH GAIN"},
      {"HI GAIN low", soundOf(5, 0), "CLEAN"},
      {"HI GAIN high", soundOf(5, 30), "HIGH GAIN"},
      {"MEGA GAIN low", soundOf(6, 0), "CLEAN"},
      {"MEGA GAIN high", soundOf(6, 30), "HIGH GAIN"},
      {"MEGA GAIN at 3.00", soundOf(6, 9), "HIGH GAIN"},
      {"THRASH low", soundOf(7, 0), "CLEAN"},
      {"THRASH high", soundOf(7, 30), "HIGH GAIN"},
      {"GRUNGE low", soundOf(8, 0), "CLEAN"},
      {"GRUNGE high", soundOf(8, 30), "HIGH GAIN"},
      {"FUZZ low", soundOf(9, 0), "CLEAN"},
      {"FUZZ high", soundOf(9, 30), "FUZZ"},
      {"FUZZ just below 3.00", soundOf(9, 8), "CRUNCH"},
      {"70'S low", soundOf(10, 0), "CLEAN"},
      {"70'S high", soundOf(10, 30), "HIGH GAIN"},
      {"TEXAS low", soundOf(11, 0), "CLEAN"},
      {"TEXAS high", soundOf(11, 30), "HIGH GAIN"},
      {"BLUES low", soundOf(12, 0), "CLEAN"},
      {"BLUES high", soundOf(12, 30), "HIGH GAIN"},
      {"TWEED low", soundOf(13, 0), "CLEAN"},
      {"TWEED high", soundOf(13, 30), "HIGH GAIN"},
      {"JAZZ low", soundOf(14, 0), "CLEAN"},
      {"JAZZ high", soundOf(14, 30), "CRUNCH"},
      {"CLEAN 2 low", soundOf(15, 0), "CLEAN"},
      {"CLEAN 2 high", soundOf(15, 30), "CRUNCH"},
      {"a gain past the scale, from a file", soundOf(9, 255), "FUZZ"},
      {"an amp model the combo has not", soundOf(16, 30), "CLEAN"},
      {"CHORUS", soundOf(0, 0, 0), "CLEAN, MODULATION"},
      {"FLANGER", soundOf(0, 0, 2), "CLEAN, MODULATION"},
      {"DETUNE", soundOf(0, 0, 6), "CLEAN, MODULATION"},
      {"BYPASS", soundOf(0, 0, 8), "CLEAN"},
      {"COMPRESSOR", soundOf(0, 0, 10), "CLEAN, DYNAMICS"},
      {"WAH", soundOf(0, 0, 11), "CLEAN, WAH"},
      {"ROTARY", soundOf(0, 0, 12), "CLEAN, MODULATION"},
      {"PHASER", soundOf(0, 0, 13), "CLEAN, MODULATION"},
      {"TREMOLO 1", soundOf(0, 0, 14), "CLEAN, MODULATION"},
      {"TREMOLO 2", soundOf(0, 0, 15), "CLEAN, MODULATION"},
      {"delay just below 6.66", soundOf(0, 0, 8, 19, 0), "CLEAN"},
      {"delay at 6.66", soundOf(0, 0, 8, 20, 0), "CLEAN, AMBIENT"},
      {"reverb at 6.66", soundOf(0, 0, 8, 0, 20), "CLEAN, AMBIENT"},
      {"reverb just below, delay off", soundOf(0, 0, 8, 0, 19), "CLEAN"},
      {"all three", soundOf(6, 30, 11, 30, 30), "HIGH GAIN, WAH, AMBIENT"},
  };
  for (const KindRow& row : rows) EXPECT_EQ(kindText(soundKindOf(row.record)), row.kind) << row.what;
}

struct FilterRow {
  const char* name;
  bool known;
  bool matchesHighGainWahAmbient;
};

TEST(SoundCategory, TheNamesASearchTakes) {
  const SoundKind kind = soundKindOf(soundOf(6, 30, 11, 30, 30));
  const std::vector<FilterRow> rows{
      {"high gain", true, true}, {" HIGH   GAIN ", true, true}, {"crunch", true, false}, {"Fuzz", true, false},
      {"wah", true, true},       {"modulation", true, false},  {"ambient", true, true},  {"none", false, false},
      {"highgain", false, false}, {"", false, false},
  };
  for (const FilterRow& row : rows) {
    const std::optional<KindFilter> filter = kindFilterNamed(row.name);
    ASSERT_EQ(filter.has_value(), row.known) << row.name;
    if (filter) {
      EXPECT_EQ(matches(*filter, kind), row.matchesHighGainWahAmbient) << row.name;
    }
  }
  // A category given by hand stands for the values' own, and says so.
  const SoundKind byHand = soundKindOf(soundOf(6, 30), Category::Clean);
  EXPECT_EQ(kindText(byHand), "CLEAN");
  EXPECT_TRUE(byHand.byHand);
}

}  // namespace
}  // namespace kestralux
