#pragma once
// The texts the value boxes show for a scroll position, in the device's own units. Each
// table is an array of fixed 32-character slots holding a zero-terminated text.

#include <cstddef>
#include <span>
#include <string>

namespace kestralux {

inline constexpr std::size_t kDisplaySlotSize = 32;
using DisplaySlot = char[kDisplaySlotSize];

extern const DisplaySlot DB_TEXT[31];
extern const DisplaySlot LEVEL_TEXT[31];
extern const DisplaySlot KNOB_TEXT[31];
extern const DisplaySlot PAN_TEXT[32];
extern const DisplaySlot CENTS_TEXT[31];
extern const DisplaySlot FREQ_TEXT[32];
extern const DisplaySlot SPEED_TEXT[2];

using DisplayTable = std::span<const DisplaySlot>;

// The entry for `position`, clamped to the table: a position comes from a scroll bar whose
// range the table covers, but a table lookup must never read outside it.
std::string tableText(DisplayTable table, int position);

}  // namespace kestralux
