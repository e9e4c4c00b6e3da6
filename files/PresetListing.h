#pragma once
// A readable table of presets, one row each, every value in the words and units the window
// shows it in: what `kestralux-tool show` prints.

#include <span>
#include <string>

#include "model/PresetRecord.h"

namespace kestralux {

// One value of `record` as the window shows it: the amp model's and the effect's captions,
// the value boxes' texts without their blanks, in capitals where the box shows capitals.
std::string shownValue(const PresetRecord& record, int parameter);
std::string utf8OfLatin1(const std::string& latin1);

// Rows numbered from `firstNumber`; text in UTF-8.
std::string presetListing(std::span<const PresetRecord> presets, int firstNumber = 1);

}  // namespace kestralux
