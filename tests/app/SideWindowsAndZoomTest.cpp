// The tool windows opening beside the main window's controls, and the main window's zoom over
// the layout tables.

#include <QLabel>
#include <QMenuBar>
#include <QScrollArea>
#include <QScrollBar>
#include <QSettings>
#include <QTest>

#include <set>
#include <string>
#include <utility>

#include "actions/MainWindowZoom.h"
#include "actions/WindowPlacement.h"
#include "app/BankWindow.h"
#include "app/ClickablePanel.h"
#include "app/LayoutExtent.h"
#include "app/MainWindowLayout.h"
#include "app/WindowLook.h"
#include "tests/app/FormFixture.h"

namespace kestralux::test {
namespace {

ScreenRect onScreen(const QWidget& w) {
  const QPoint at = w.mapToGlobal(QPoint(0, 0));
  return {at.x(), at.y(), w.width(), w.height()};
}

TEST_F(FormTest, TheBankWindowOpensWherePlacementSaysAndStaysWhereTheUserMovesIt) {
  QSettings().remove(QStringLiteral("BankWindow"));
  form->showMaximized();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(form.get()));
  // What the placement keeps clear holds the DELAY TIME slider.
  const ScreenRect controls = controlsOnScreen(*form);
  EXPECT_TRUE(controls.contains(onScreen(*form->ScrollDTIME)));
  EXPECT_TRUE(controls.contains(onScreen(*form->Panel1)));

  BankWindow bank(actions, nullptr, form.get());
  bank.resize(1040, 640);
  const ScreenRect expected = placeSideWindow(placementRequest(bank, *form, std::nullopt));
  bank.showBeside();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(&bank));
  const QRect frame = bank.frameGeometry();
  EXPECT_EQ((ScreenRect{frame.x(), frame.y(), frame.width(), frame.height()}), expected);
  EXPECT_EQ(expected.overlapArea(onScreen(*form->menuBar())), 0);

  // Put elsewhere by the user, it opens there again, in this run and the next.
  bank.move(frame.topLeft() + QPoint(-30, 40));
  const QRect moved = bank.geometry();
  bank.hide();
  bank.showBeside();
  EXPECT_EQ(bank.geometry(), moved);
  bank.hide();
  BankWindow again(actions, nullptr, form.get());
  again.showBeside();
  EXPECT_EQ(again.geometry(), moved);
  again.hide();
  QSettings().remove(QStringLiteral("BankWindow"));
}

// Controls of the layout whose cells share a row of pixels at 100 %: the transfer panels'
// bevels meet, the lower disk buttons end on the first amp models' top row, and the status
// label starts on the logo's last row.
const std::set<std::pair<std::string, std::string>> kSharedEdges = {
    {"STOR", "REQUES"},      {"Image1", "Label2"}, {"STR_ALL", "CLN1"},
    {"STR_ALL", "BRITCLSA"}, {"Load_all", "HIGAIN"}, {"Load_all", "TEX"}};

TEST(ZoomedLayout, EveryControlStaysInTheWindowAndNoneGrowsIntoAnother) {
  for (const int percent : {100, 150, 75}) {
    SCOPED_TRACE(percent);
    const ZoomedRect area = zoomedRect(0, 0, layout::kClientWidth, layout::kClientHeight, percent);
    std::set<std::pair<std::string, std::string>> overlapping;
    for (const layout::ControlRow& a : layout::kControls) {
      const ZoomedRect r = zoomedRect(a.x, a.y, a.w, a.h, percent);
      SCOPED_TRACE(std::string(a.name));
      EXPECT_GT(r.w, 0);
      EXPECT_GT(r.h, 0);
      // Inside its parent: the client area, or the effect frame.
      const ZoomedRect parent = a.parent.empty() ? area : [&] {
        for (const layout::ControlRow& p : layout::kControls)
          if (p.name == a.parent) return zoomedRect(0, 0, p.w, p.h, percent);
        return ZoomedRect{};
      }();
      // The logo starts above the window by the layout, and is drawn from its top left.
      EXPECT_GE(r.y, a.name == "Image1" ? zoomed(-8, percent) : 0);
      EXPECT_GE(r.x, 0);
      EXPECT_LE(r.x + r.w, parent.w);
      // EFFECT SELECT lies below its frame by the layout, so it has never been seen.
      if (a.name != "Label1") {
        EXPECT_LE(r.y + r.h, parent.h);
      }
      for (const layout::ControlRow& b : layout::kControls) {
        if (&b <= &a || a.parent != b.parent) continue;
        const ZoomedRect s = zoomedRect(b.x, b.y, b.w, b.h, percent);
        if (r.x < s.x + s.w && s.x < r.x + r.w && r.y < s.y + s.h && s.y < r.y + r.h)
          overlapping.insert({std::string(a.name), std::string(b.name)});
      }
    }
    EXPECT_EQ(overlapping, kSharedEdges);
  }
}

TEST_F(FormTest, TheZoomMovesEveryControlAndBackTo100IsTheLayoutsOwnPixels) {
  form->applyZoom(150);
  EXPECT_EQ(form->clientArea->size(), QSize(1800, 3000));
  EXPECT_EQ(form->ScrollDTIME->geometry(), QRect(828, 408, 134, 14));
  EXPECT_EQ(form->GAINEDIT->font().pixelSize(), 17);
  form->applyZoom(100);
  for (const layout::ControlRow& row : layout::kControls) {
    SCOPED_TRACE(std::string(row.name));
    auto* w = form->clientArea->findChild<QWidget*>(QLatin1String(row.name));
    if (row.kind != layout::Label) {
      EXPECT_EQ(w->geometry(), QRect(row.x, row.y, row.w, row.h));
    }
    EXPECT_EQ(w->font().pixelSize(), row.font.pixelSize);
  }
  EXPECT_EQ(form->clientArea->size(), QSize(1200, 2000));
}

TEST_F(FormTest, FitToWindowFillsTheWindowAndIsRemembered) {
  QSettings().remove(QStringLiteral("MainWindow"));
  form->resize(1000, 800);
  form->show();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(form.get()));
  form->FITTOWINDOW1->trigger();
  const int percent = form->zoom.percent();
  EXPECT_GT(percent, 100);
  // The layout's last control in view, with nothing to scroll to reach it.
  const QRect view(form->scrollArea->viewport()->mapToGlobal(QPoint(0, 0)), form->scrollArea->viewport()->size());
  const QRect frame(form->Panel1->mapToGlobal(QPoint(0, 0)), form->Panel1->size());
  EXPECT_TRUE(view.contains(frame));
  const QRect files(form->Load_all->mapToGlobal(QPoint(0, 0)), form->Load_all->size());
  EXPECT_TRUE(view.contains(files));
  // The step above would not fit.
  const int above = zoomStepIn(percent);
  EXPECT_TRUE(zoomed(layout::kShownExtent.w, above) > view.width() || zoomed(layout::kShownExtent.h, above) > view.height());

  TForm1 next(actions);
  next.restoreZoom();
  EXPECT_EQ(next.zoomPercent(), percent);
  next.ZOOMIN1->trigger();
  EXPECT_EQ(next.zoomPercent(), zoomStepIn(percent));
  next.ACTUALSIZE1->trigger();
  EXPECT_EQ(next.zoomPercent(), 100);
  EXPECT_EQ(QSettings().value(QStringLiteral("MainWindow/zoom")).toInt(), 100);
  QSettings().remove(QStringLiteral("MainWindow"));
}

}  // namespace
}  // namespace kestralux::test
