#include "editor/DisplayTables.h"

#include <algorithm>

namespace kestralux {

const DisplaySlot DB_TEXT[31] = {
    "-60dB", "-58dB", "-56dB", "-54dB", "-52dB", "-50dB", "-48dB", "-46dB", "-44dB", "-42dB",
    "-40dB", "-38dB", "-36dB", "-34dB", "-32dB", "-30dB", "-28dB", "-26dB", "-24dB", "-22dB",
    "-20dB", "-18dB", "-16dB", "-14dB", "-12dB", "-10dB", "- 8dB", "- 6dB", "- 4dB", "- 2dB",
    "  0dB",
};

const DisplaySlot LEVEL_TEXT[31] = {
    " OFF ", " 0.33", " 0.66", " 1.00", " 1.33", " 1.66", " 2.00", " 2.33", " 2.66", " 3.00",
    " 3.33", " 3.66", " 4.00", " 4.33", " 4.66", " 5.00", " 5.33", " 5.66", " 6.00", " 6.33",
    " 6.66", " 7.00", " 7.33", " 7.66", " 8.00", " 8.33", " 8.66", " 9.00", " 9.33", " 9.66",
    "10.00",
};

const DisplaySlot KNOB_TEXT[31] = {
    " 0.00", " 0.33", " 0.66", " 1.00", " 1.33", " 1.66", " 2.00", " 2.33", " 2.66", " 3.00",
    " 3.33", " 3.66", " 4.00", " 4.33", " 4.66", " 5.00", " 5.33", " 5.66", " 6.00", " 6.33",
    " 6.66", " 7.00", " 7.33", " 7.66", " 8.00", " 8.33", " 8.66", " 9.00", " 9.33", " 9.66",
    "10.00",
};

const DisplaySlot PAN_TEXT[32] = {
    "LEFT  ", "L< 1  ", "L< 2  ", "L< 3  ", "L< 4  ", "L< 5  ", "L< 6  ", "L< 7  ", "L< 8  ",
    "L<9   ", "L>10  ", "L<11  ", "L<12  ", "L<13  ", "L<14  ", "CENTER", "  16>R", "  17>R",
    "  18>R", "  19>R", "  20>R", "  21>R", "  22>R", "  23>R", "  24>R", "  25>R", "  26>R",
    "  27>R", "  28>R", "  29>R", "  30>R", " RIGHT",
};

const DisplaySlot CENTS_TEXT[31] = {
    "-30 cents", "-28 cents", "-26 cents", "-24 cents", "-22 cents", "-20 cents", "-18 cents",
    "-16 cents", "-14 cents", "-12 cents", "-10 cents", "- 8 cents", "- 6 cents", "- 4 cents",
    "- 2 cents", "  0 cents", "+ 2 cents", "+ 4 cents", "+ 6 cents", "+ 8 cents", "+10 cents",
    "+12 cents", "+14 cents", "+16 cents", "+18 cents", "+20 cents", "+22 cents", "+24 cents",
    "+26 cents", "+28 cents", "+30 cents",
};

const DisplaySlot FREQ_TEXT[32] = {
    " 310 Hz  ", " 339 Hz  ", " 369 Hz  ", " 403 Hz  ", " 439 Hz  ", " 489 Hz  ", " 534 Hz  ",
    " 595 Hz  ", " 648 Hz  ", " 707 Hz  ", " 771 Hz  ", " 841 Hz  ", " 917 Hz  ", "1000 Hz  ",
    "1091 Hz  ", "1189 Hz  ", "1297 Hz  ", "1414 Hz  ", "1542 Hz  ", "1682 Hz  ", "1834 Hz  ",
    "2000 Hz  ", "2075 Hz  ", "2150 Hz  ", "2225 Hz  ", "2300 Hz  ", "2375 Hz  ", "2450 Hz  ",
    "2525 Hz  ", "2591 Hz  ", "2595 Hz  ", "2599 Hz  ",
};

const DisplaySlot SPEED_TEXT[2] = {
    " SLOW ", " FAST ",
};

std::string tableText(DisplayTable table, int position) {
  const auto last = static_cast<int>(table.size()) - 1;
  return std::string(table[static_cast<std::size_t>(std::clamp(position, 0, last))]);
}

}  // namespace kestralux
