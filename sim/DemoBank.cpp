#include "sim/DemoBank.h"

#include <array>

namespace kestralux {

namespace {

struct DemoPreset {
  const char* name;
  // In the record's order: AMP_TYPE, AMP_GAIN, AMP_MASTER, AMP_BASS, AMP_MID, AMP_TREBLE,
  // REV_LEVEL, DELAY_LEVEL, DELAY_REGEN, DELAY_PAN, DELAY_TIME, EFF_RATE, GATE_THRES,
  // EFFECT_SELECT, EFF_ADJUST1, EFF_ADJUST2.
  std::array<int, kParameterCount> values;
};

// Knobs run 0..30, the pan 0..31 with 15 in the middle, the delay time in steps of 4 ms; the
// rotary's rate is its switch (0 slow, 1 fast).
constexpr std::array<DemoPreset, kPresetCount> kDemoPresets{{
    {"CLEAN CHORUS", {0, 6, 20, 14, 15, 18, 10, 6, 4, 15, 90, 40, 3, 0, 16, 20}},
    {"GLASSY CLEAN", {15, 5, 20, 12, 14, 20, 12, 0, 0, 15, 0, 0, 2, 10, 12, 0}},
    {"BRIT CRUNCH", {1, 16, 18, 16, 18, 17, 6, 0, 0, 15, 0, 0, 8, 8, 0, 0}},
    {"BLUES LEAD", {2, 18, 20, 15, 20, 16, 10, 10, 6, 15, 110, 0, 6, 8, 0, 0}},
    {"CLASSIC ROCK", {3, 20, 18, 16, 17, 18, 8, 6, 5, 15, 85, 0, 8, 8, 0, 0}},
    {"HOT BRIT LEAD", {4, 24, 18, 15, 19, 17, 10, 12, 8, 15, 100, 0, 10, 8, 0, 0}},
    {"HI GAIN RHYTHM", {5, 24, 17, 18, 10, 18, 4, 0, 0, 15, 0, 0, 14, 8, 0, 0}},
    {"MEGA CHUG", {6, 28, 16, 20, 8, 18, 3, 0, 0, 15, 0, 0, 18, 8, 0, 0}},
    {"THRASH SCOOP", {7, 27, 16, 20, 6, 20, 4, 0, 0, 15, 0, 0, 20, 8, 0, 0}},
    {"GRUNGE FLANGE", {8, 25, 18, 18, 14, 14, 6, 0, 0, 15, 0, 60, 12, 2, 18, 14}},
    {"FUZZ OCTAVE", {9, 28, 16, 16, 20, 14, 6, 0, 0, 15, 0, 0, 10, 6, 22, 15}},
    {"70S PHASER", {10, 19, 20, 16, 18, 16, 8, 8, 4, 15, 80, 30, 6, 13, 16, 12}},
    {"TEXAS TREMOLO", {11, 15, 20, 16, 18, 17, 10, 0, 0, 15, 0, 70, 5, 14, 14, 0}},
    {"BLUES WAH", {12, 17, 20, 15, 19, 16, 8, 0, 0, 15, 0, 0, 6, 11, 15, 0}},
    {"TWEED SLAPBACK", {13, 14, 22, 14, 18, 16, 9, 8, 3, 15, 30, 0, 4, 8, 0, 0}},
    {"JAZZ BOX", {14, 4, 20, 16, 18, 10, 12, 0, 0, 15, 0, 25, 2, 0, 8, 10}},
    {"ROTARY ORGAN", {15, 8, 20, 15, 16, 16, 10, 0, 0, 15, 0, 1, 3, 12, 12, 0}},
    {"SURF TREMOLO", {0, 5, 20, 14, 14, 20, 20, 0, 0, 15, 0, 110, 2, 15, 18, 0}},
    {"SLAPBACK TWANG", {15, 7, 22, 13, 16, 22, 6, 14, 0, 15, 30, 0, 3, 10, 16, 0}},
    {"AMBIENT SWELL", {0, 3, 18, 14, 14, 16, 24, 20, 14, 20, 150, 50, 2, 0, 20, 16}},
    {"STADIUM LEAD", {4, 24, 18, 15, 20, 17, 14, 16, 10, 12, 120, 0, 10, 6, 18, 10}},
    {"METAL LEAD", {6, 27, 17, 17, 16, 18, 10, 14, 8, 15, 110, 0, 16, 8, 0, 0}},
    {"FUNK WAH", {15, 6, 20, 12, 16, 20, 6, 0, 0, 15, 0, 0, 3, 11, 10, 0}},
    {"PHASE CRUNCH", {3, 17, 18, 16, 16, 17, 8, 0, 0, 15, 0, 45, 8, 13, 14, 18}},
    {"BRIT FLANGE", {1, 15, 20, 15, 17, 17, 8, 0, 0, 15, 0, 35, 6, 2, 20, 20}},
    {"SWAMP TREMOLO", {13, 12, 20, 16, 18, 16, 14, 0, 0, 15, 0, 90, 4, 14, 20, 0}},
    {"LESLIE BLUES", {12, 14, 20, 16, 18, 16, 10, 0, 0, 15, 0, 0, 5, 12, 10, 0}},
    {"SQUEEZED COUNTRY", {11, 10, 20, 14, 16, 20, 6, 10, 0, 15, 28, 0, 4, 10, 20, 0}},
    {"DOOM FUZZ", {9, 30, 16, 22, 12, 12, 8, 0, 0, 15, 0, 0, 22, 8, 0, 0}},
    {"WIDE DETUNE", {15, 5, 20, 14, 15, 18, 12, 8, 4, 18, 95, 0, 2, 6, 17, 12}},
}};

}  // namespace

PresetBank demoBank() {
  PresetBank bank{};
  for (std::size_t n = 0; n < kDemoPresets.size(); ++n) {
    bank[n].storeName(kDemoPresets[n].name);
    for (int i = 0; i < kParameterCount; ++i) bank[n].setValue(i, kDemoPresets[n].values[static_cast<std::size_t>(i)]);
  }
  return bank;
}

}  // namespace kestralux
