#pragma once
// Close sounds: the same amp model and effect, and every other control within one step of the
// window's scale (each scroll bar moves by one stored value). A control the effect has no
// control for (a bypass's adjusts, a compressor's rate) is not heard, so it plays no part.
// Closeness is not passed on: A close to B and B close to C does not make A close to C.

#include <cstdint>
#include <span>
#include <vector>

#include "model/PresetRecord.h"

namespace kestralux {

inline constexpr int kCloseSteps = 1;

// The parameters compared between two sounds of `effect`, in the order the search narrows by.
std::vector<int> closeControls(int effect);

bool areClose(const PresetRecord& a, const PresetRecord& b);

// Every close pair among `sounds`, as each sound's list of the others close to it (positions
// in `sounds`, ascending). The sounds are put in buckets by amp model and effect, then split
// control by control, so the time goes with the pairs found, not with the square of the
// library.
std::vector<std::vector<int>> closeNeighbours(std::span<const PresetRecord> sounds);

// Which of `members` (positions, most recently seen first) a list keeps when it hides close
// sounds: each one unless a sound kept before it is close to it. So every sound hidden has a
// more recently seen one in the list that is close to it, and no two kept are close.
std::vector<bool> keptOfCloseGroups(const std::vector<std::vector<int>>& neighbours, std::span<const int> members);

}  // namespace kestralux
