#pragma once
// A value typed in the units its value box shows ("350", "7.5", "L3", "-40", "FAST") taken back
// to a scroll position: the position whose box text is nearest. Every scroll bar of the main
// window has its texts here, so what can be typed is exactly what the box can show.

#include <array>
#include <optional>
#include <span>
#include <string>
#include <string_view>

namespace kestralux {

// The scroll bars whose value can be typed: the eleven strips and the three effect controls.
extern const std::array<std::string_view, 14> kValueBars;

// The bar's highest position with `effect` chosen; -1 for a name that is not a value bar.
int valueMaximum(std::string_view scrollBar, int effect);

// What the bar's value box shows at `position` with `effect` chosen, without the blanks that
// centre it ("7.50", "348 ms", "L< 3", "FAST"); empty for a name that is not a value bar.
std::string shownValue(std::string_view scrollBar, int effect, int position);

// The position `typed` means among `texts` (the text of each position, from 0): a word the
// box shows, or a number snapped to the nearest position. Letters beside the number must be
// the side the box shows ("L3", "R20"); the unit may be left out. Nothing when the text
// means no position at all.
std::optional<int> nearestPosition(std::span<const std::string> texts, std::string_view typed);

// nearestPosition over the bar's texts with `effect` chosen.
std::optional<int> typedPosition(std::string_view scrollBar, int effect, std::string_view typed);

}  // namespace kestralux
