#pragma once
// What differs between two presets, parameter by parameter, in the window's words: each
// parameter by the caption the window gives it and both values as the window shows them
// ("EFFECT ADJUST 1 (DEPTH)  3.33 -> 5.00"). What `kestralux-tool diff` prints.

#include <array>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "editor/EditorTables.h"
#include "model/PresetRecord.h"

namespace kestralux {

// What the preset's effect adjusts with EFFECT ADJUST 1 or 2 ("DEPTH"); empty when the effect
// gives the control no caption of its own.
std::string adjustPurpose(const PresetRecord& record, int parameter);

// One line per parameter that differs (and the name, when `withNames`), each indented by two
// blanks; empty when the presets are the same.
std::vector<std::string> presetDifferences(const PresetRecord& a, const PresetRecord& b, bool withNames);

// Presets side by side, numbered from `firstNumber`: for each that differs, a line
// "preset N" (with its name where names are compared) and its differences under it.
std::string diffText(std::span<const PresetRecord> a, std::span<const PresetRecord> b, bool withNames, int firstNumber = 1);

}  // namespace kestralux
