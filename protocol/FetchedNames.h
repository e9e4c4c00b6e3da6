#pragma once
// The combo sends no names. A preset that arrives in a fetch takes the name the slot had when
// the combo sent back the values the slot held; else the newest name under which the preset
// library has seen the sound; else none. Only the name changes: the values are the combo's.

#include <functional>
#include <string>

#include "model/PresetRecord.h"

namespace kestralux {

// The newest non-empty name the library has for a sound, "" when it has none (or there is no
// library).
using NewestName = std::function<std::string(const PresetRecord& sound)>;

// `came` as decoded into the slot, `held` what the slot held before (as last fetched, loaded,
// saved or stored).
PresetRecord nameFetched(const PresetRecord& came, const PresetRecord& held, const NewestName& newestName);

}  // namespace kestralux
