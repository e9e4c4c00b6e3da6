#pragma once
// Test banks vary their values freely; the amp model and the effect are set to ones the combo
// has, so the bank passes everywhere a preset is checked (files, fetches, the virtual combo).

#include "model/PresetRecord.h"

namespace kestralux::test {

inline void makePreset(PresetRecord& record, int n) {
  record.setValue(AMP_TYPE, n % kAmpModelCount);
  record.setValue(EFFECT_SELECT, kEffectCodes[static_cast<std::size_t>(n) % kEffectCodes.size()]);
}

}  // namespace kestralux::test
