#pragma once
// The controls a search's conditions looked at, so that a list of what was found can show
// their values beside each sound: a "GAIN >= 7" search shows GAIN.

#include <string>
#include <vector>

#include "model/PresetRecord.h"

namespace kestralux {

// In the order the conditions name them, each once; a condition that does not parse names none.
// A caption that stands for several controls (DEPTH is EFFECT ADJUST 1 of several effects)
// gives each of them once.
std::vector<int> searchedParameters(const std::vector<std::string>& conditions);

// "GAIN", "DELAY TIME", "DEPTH": the caption the window gives a parameter of `record`, whose
// effect names its own adjusts.
std::string parameterCaption(const PresetRecord& record, int parameter);

// The value as the window shows it, without its padding: "8.00", "400 ms"; "-" for a control
// the sound's effect has not.
std::string shownValueText(const PresetRecord& record, int parameter);

}  // namespace kestralux
