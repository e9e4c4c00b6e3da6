#pragma once
// Sounds for the library's benchmarks: random values in every control's range, distinct by
// number, with names made of the words musicians use.

#include <random>
#include <string>
#include <vector>

#include "model/PresetRecord.h"

namespace kestralux::bench {

inline const std::vector<std::string> kWords{"CLEAN", "CRUNCH", "LEAD",    "SOLO",  "JAZZ",  "BLUES", "METAL",
                                             "FUNK",  "CHIME",  "DRIVE",   "ROCK",  "SHIMMER", "SPACE", "TWANG",
                                             "GRIT",  "WARM",   "ICE",     "FIRE",  "DUST",  "VELVET"};

inline PresetRecord randomSound(std::mt19937& random, int n) {
  PresetRecord r;
  for (int p = 0; p < kParameterCount; ++p) r.setValue(p, static_cast<int>(random() % 31));
  r.setValue(AMP_TYPE, static_cast<int>(random() % kAmpModelCount));
  r.setValue(EFFECT_SELECT, kEffectCodes[random() % kEffectCodes.size()]);
  r.setValue(DELAY_TIME, static_cast<int>(random() % 251));
  r.setSlot(kReservedSlot, n);  // distinct sounds stay distinct
  return r;
}

}  // namespace kestralux::bench
