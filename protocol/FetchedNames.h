#pragma once
// The combo sends no names. A preset that arrives in a fetch takes the name its slot had when
// the slot last held these values as far as this editor knows: in this run, else as the newest
// history entry of the combo's bank holds it (so two slots holding one sound keep their own
// names across runs and in the tool); else the newest name under which the preset library has
// seen the sound; else none. Only the name changes: the values are the combo's.

#include <functional>
#include <optional>
#include <string>

#include "model/PresetRecord.h"

namespace kestralux {

// The newest non-empty name the library has for a sound, "" when it has none (or there is no
// library).
using NewestName = std::function<std::string(const PresetRecord& sound)>;

// `came` as decoded into the slot; `held` what the slot held before in this run (as last
// fetched, loaded, saved or stored); `kept` the slot in the newest history entry of the combo's
// bank, when there is one.
PresetRecord nameFetched(const PresetRecord& came, const PresetRecord& held, const std::optional<PresetRecord>& kept,
                         const NewestName& newestName);

}  // namespace kestralux
