#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "editor/DisplayTables.h"

namespace kestralux {
namespace {

// The texts exactly as the device documents them, one list per table.
struct TableCase {
  const char* name;
  DisplayTable table;
  std::vector<std::string> texts;
};

const TableCase kTables[] = {
    {"DB_TEXT", DB_TEXT, {
        "-60dB", "-58dB", "-56dB", "-54dB", "-52dB", "-50dB", "-48dB", "-46dB", "-44dB", "-42dB",
        "-40dB", "-38dB", "-36dB", "-34dB", "-32dB", "-30dB", "-28dB", "-26dB", "-24dB", "-22dB",
        "-20dB", "-18dB", "-16dB", "-14dB", "-12dB", "-10dB", "- 8dB", "- 6dB", "- 4dB", "- 2dB",
        "  0dB",
    }},
    {"LEVEL_TEXT", LEVEL_TEXT, {
        " OFF ", " 0.33", " 0.66", " 1.00", " 1.33", " 1.66", " 2.00", " 2.33", " 2.66", " 3.00",
        " 3.33", " 3.66", " 4.00", " 4.33", " 4.66", " 5.00", " 5.33", " 5.66", " 6.00", " 6.33",
        " 6.66", " 7.00", " 7.33", " 7.66", " 8.00", " 8.33", " 8.66", " 9.00", " 9.33", " 9.66",
        "10.00",
    }},
    {"KNOB_TEXT", KNOB_TEXT, {
        " 0.00", " 0.33", " 0.66", " 1.00", " 1.33", " 1.66", " 2.00", " 2.33", " 2.66", " 3.00",
        " 3.33", " 3.66", " 4.00", " 4.33", " 4.66", " 5.00", " 5.33", " 5.66", " 6.00", " 6.33",
        " 6.66", " 7.00", " 7.33", " 7.66", " 8.00", " 8.33", " 8.66", " 9.00", " 9.33", " 9.66",
        "10.00",
    }},
    {"PAN_TEXT", PAN_TEXT, {
        "LEFT  ", "L< 1  ", "L< 2  ", "L< 3  ", "L< 4  ", "L< 5  ", "L< 6  ", "L< 7  ", "L< 8  ",
        "L<9   ", "L>10  ", "L<11  ", "L<12  ", "L<13  ", "L<14  ", "CENTER", "  16>R", "  17>R",
        "  18>R", "  19>R", "  20>R", "  21>R", "  22>R", "  23>R", "  24>R", "  25>R", "  26>R",
        "  27>R", "  28>R", "  29>R", "  30>R", " RIGHT",
    }},
    {"CENTS_TEXT", CENTS_TEXT, {
        "-30 cents", "-28 cents", "-26 cents", "-24 cents", "-22 cents", "-20 cents",
        "-18 cents", "-16 cents", "-14 cents", "-12 cents", "-10 cents", "- 8 cents",
        "- 6 cents", "- 4 cents", "- 2 cents", "  0 cents", "+ 2 cents", "+ 4 cents",
        "+ 6 cents", "+ 8 cents", "+10 cents", "+12 cents", "+14 cents", "+16 cents",
        "+18 cents", "+20 cents", "+22 cents", "+24 cents", "+26 cents", "+28 cents",
        "+30 cents",
    }},
    {"FREQ_TEXT", FREQ_TEXT, {
        " 310 Hz  ", " 339 Hz  ", " 369 Hz  ", " 403 Hz  ", " 439 Hz  ", " 489 Hz  ",
        " 534 Hz  ", " 595 Hz  ", " 648 Hz  ", " 707 Hz  ", " 771 Hz  ", " 841 Hz  ",
        " 917 Hz  ", "1000 Hz  ", "1091 Hz  ", "1189 Hz  ", "1297 Hz  ", "1414 Hz  ",
        "1542 Hz  ", "1682 Hz  ", "1834 Hz  ", "2000 Hz  ", "2075 Hz  ", "2150 Hz  ",
        "2225 Hz  ", "2300 Hz  ", "2375 Hz  ", "2450 Hz  ", "2525 Hz  ", "2591 Hz  ",
        "2595 Hz  ", "2599 Hz  ",
    }},
    {"SPEED_TEXT", SPEED_TEXT, {
        " SLOW ", " FAST ",
    }},
};

TEST(DisplayTables, EveryEntryMatchesTheDocumentedText) {
  for (const TableCase& c : kTables) {
    ASSERT_EQ(c.table.size(), c.texts.size()) << c.name;
    for (std::size_t i = 0; i < c.texts.size(); ++i) {
      EXPECT_EQ(tableText(c.table, static_cast<int>(i)), c.texts[i]) << c.name << "[" << i << "]";
      // The rest of each 32-character slot is zero.
      for (std::size_t k = c.texts[i].size(); k < kDisplaySlotSize; ++k)
        ASSERT_EQ(c.table[i][k], '\0') << c.name << "[" << i << "] byte " << k;
    }
  }
}

TEST(DisplayTables, LookupNeverLeavesTheTable) {
  EXPECT_EQ(tableText(SPEED_TEXT, 200), " FAST ");
  EXPECT_EQ(tableText(KNOB_TEXT, -5), " 0.00");
  EXPECT_EQ(tableText(DB_TEXT, 31), "  0dB");
}

}  // namespace
}  // namespace kestralux
