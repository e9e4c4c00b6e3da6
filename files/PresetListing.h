#pragma once
// A readable table of presets, one row each, every value in the words and units the window
// shows it in: what `kestralux-tool show` prints.

#include <span>
#include <string>

#include "model/PresetRecord.h"

namespace kestralux {

// Rows numbered from `firstNumber`; text in UTF-8.
std::string presetListing(std::span<const PresetRecord> presets, int firstNumber = 1);

}  // namespace kestralux
