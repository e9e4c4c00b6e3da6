// The desktop's rules of the editor, without a display: where the tool windows open beside the
// main window, the zoom's steps, the list of recent files.

#include <gtest/gtest.h>

#include <optional>

#include "actions/MainWindowZoom.h"
#include "actions/RecentFiles.h"
#include "actions/WindowPlacement.h"

namespace kestralux {
namespace {

// The main window maximised on a screen: a title bar, the menu bar, and the controls from the
// top left of the area below it; the layout's controls take 654 x 449 pixels at 100 %.
struct Desk {
  ScreenRect screen, menuBar, controls;
};

Desk maximised(int w, int h, int percent = 100) {
  const int top = 24 + 22;
  return {{0, 0, w, h}, {0, 24, w, 22}, {0, top, std::min(w, zoomed(654, percent)), std::min(h - top, zoomed(449, percent))}};
}

struct PlacementRow {
  const char* name;
  Desk desk;
  ScreenSize size, minimum;
  std::optional<ScreenRect> remembered;
  long long cover;                   // pixels of the controls it may hide
  std::optional<ScreenRect> expected;  // where exactly, where it matters
};

// The windows' own sizes (the first size each opens in, and the least its controls need),
// with a title bar of 24 pixels.
const PlacementRow kPlacements[] = {
    {"bank 1600x1200", maximised(1600, 1200), {1040, 664}, {743, 218}, {}, 0, ScreenRect{660, 46, 940, 664}},
    {"bank 1280x720", maximised(1280, 720), {1040, 664}, {743, 218}, {}, 0, ScreenRect{0, 501, 1040, 219}},
    {"history 1600x1200", maximised(1600, 1200), {900, 584}, {320, 133}, {}, 0, ScreenRect{660, 46, 900, 584}},
    {"history 1280x720", maximised(1280, 720), {900, 584}, {320, 133}, {}, 0, ScreenRect{660, 46, 620, 584}},
    {"explore 1600x1200", maximised(1600, 1200), {541, 420}, {541, 407}, {}, 0, ScreenRect{660, 46, 541, 420}},
    {"explore 1280x720", maximised(1280, 720), {541, 420}, {541, 407}, {}, 0, ScreenRect{660, 46, 541, 420}},
    {"setup 1600x1200", maximised(1600, 1200), {617, 326}, {617, 326}, {}, 0, {}},
    {"setup 1280x720", maximised(1280, 720), {617, 326}, {617, 326}, {}, 0, ScreenRect{660, 46, 617, 326}},
    {"help 1600x1200", maximised(1600, 1200), {560, 624}, {70, 94}, {}, 0, {}},
    {"help 1280x720", maximised(1280, 720), {560, 624}, {70, 94}, {}, 0, {}},
    // No room beside the controls: the corner where it hides the least of them.
    {"bank beside 150 %", maximised(1280, 720, 150), {1040, 664}, {743, 218}, {}, 741LL * 664, ScreenRect{240, 56, 1040, 664}},
    {"setup over 200 %", maximised(1280, 720, 200), {617, 326}, {617, 326}, {}, 617LL * 326, ScreenRect{663, 394, 617, 326}},
    // Where the user put it, even over the controls; a place on a screen now gone is forgotten.
    {"moved by the user", maximised(1600, 1200), {900, 584}, {320, 133}, ScreenRect{100, 300, 900, 584}, 554LL * 195, ScreenRect{100, 300, 900, 584}},
    {"left on a screen now gone", maximised(1280, 720), {900, 584}, {320, 133}, ScreenRect{1700, 200, 900, 584}, 0, ScreenRect{660, 46, 620, 584}},
};

TEST(WindowPlacement, ToolWindowsOpenWhereTheyHideNoControlAndNeverTheMenuBar) {
  for (const PlacementRow& row : kPlacements) {
    SCOPED_TRACE(row.name);
    const PlacementRequest request{row.desk.screen, row.desk.controls, row.desk.menuBar, row.size, row.minimum, row.remembered};
    const ScreenRect placed = placeSideWindow(request);
    EXPECT_TRUE(row.desk.screen.contains(placed)) << placed.x << "," << placed.y << " " << placed.w << "x" << placed.h;
    EXPECT_EQ(placed.overlapArea(row.desk.menuBar), 0);
    EXPECT_LE(placed.overlapArea(row.desk.controls), row.cover);
    EXPECT_GE(placed.w, row.minimum.w);
    EXPECT_GE(placed.h, row.minimum.h);
    if (row.expected) {
      EXPECT_EQ(placed, *row.expected) << placed.x << "," << placed.y << " " << placed.w << "x" << placed.h;
    }
  }
}

struct ZoomRow {
  const char* name;
  int from;
  enum { In, Out, Actual, Fit, Remembered } command;
  int argument;  // the remembered factor, or the room's height for a fit (width ample)
  int expected;
};

const ZoomRow kZooms[] = {
    {"in from 100", 100, ZoomRow::In, 0, 110},
    {"in between steps", 113, ZoomRow::In, 0, 125},
    {"in at the top", 300, ZoomRow::In, 0, 300},
    {"out from 100", 100, ZoomRow::Out, 0, 90},
    {"out between steps", 113, ZoomRow::Out, 0, 110},
    {"out at the bottom", 50, ZoomRow::Out, 0, 50},
    {"back to 100", 250, ZoomRow::Actual, 0, 100},
    {"fit a tall window", 100, ZoomRow::Fit, 1154, 255},
    {"fit a window too small", 100, ZoomRow::Fit, 100, 50},
    {"fit a huge window", 100, ZoomRow::Fit, 9000, 300},
    {"a remembered factor out of range", 100, ZoomRow::Remembered, 9000, 300},
    {"a remembered factor of nothing", 100, ZoomRow::Remembered, 0, 50},
};

TEST(MainWindowZoom, CommandsStepWithinTheRangeAndSayOnlyWhatChanged) {
  for (const ZoomRow& row : kZooms) {
    SCOPED_TRACE(row.name);
    MainWindowZoom zoom(row.from);
    int told = 0;
    zoom.changed = [&told](int percent) { told = percent; };
    switch (row.command) {
      case ZoomRow::In: zoom.zoomIn(); break;
      case ZoomRow::Out: zoom.zoomOut(); break;
      case ZoomRow::Actual: zoom.actualSize(); break;
      case ZoomRow::Fit: zoom.fit(100000, row.argument, 662, 451); break;
      case ZoomRow::Remembered: zoom.set(row.argument); break;
    }
    EXPECT_EQ(zoom.percent(), row.expected);
    EXPECT_EQ(told, row.expected == row.from ? 0 : row.expected);
  }
  // The room's narrower side decides: all of the layout stays in view.
  EXPECT_EQ(fitPercent(1600, 1154, 662, 451), 241);
}

struct RecentRow {
  const char* name;
  std::vector<std::string> before;
  std::string opened;
  std::vector<std::string> after;
};

const RecentRow kRecents[] = {
    {"the first", {}, "/a/1.pre", {"/a/1.pre"}},
    {"a new one goes first", {"/a/1.pre"}, "/a/2.bnk", {"/a/2.bnk", "/a/1.pre"}},
    {"one opened again moves up, once", {"/a/2.bnk", "/a/1.pre", "/a/3.pre"}, "/a/1.pre", {"/a/1.pre", "/a/2.bnk", "/a/3.pre"}},
    {"the oldest goes past eight", {"1", "2", "3", "4", "5", "6", "7", "8"}, "9", {"9", "1", "2", "3", "4", "5", "6", "7"}},
    {"no name changes nothing", {"/a/1.pre"}, "", {"/a/1.pre"}},
};

TEST(RecentFiles, NewestFirstOnceEachAndEightAtMost) {
  for (const RecentRow& row : kRecents) {
    SCOPED_TRACE(row.name);
    EXPECT_EQ(withRecentFile(row.before, row.opened), row.after);
  }
  EXPECT_TRUE(isBankFileName("/x/FULL1.BNK"));
  EXPECT_TRUE(isBankFileName("b.bnk"));
  EXPECT_FALSE(isBankFileName("/x/bnk"));
  EXPECT_FALSE(isBankFileName("/x/PRESET1.pre"));
}

}  // namespace
}  // namespace kestralux
