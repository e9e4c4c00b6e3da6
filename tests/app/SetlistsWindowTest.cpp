// The setlists window: its keys, F2 and a slot dragged out of the bank window reach the
// setlist, and its Ctrl+Z undoes the setlist's change, not the bank's.

#include <gtest/gtest.h>

#include <QApplication>
#include <QDir>
#include <QListWidget>
#include <QMimeData>
#include <QMouseEvent>
#include <QTableView>
#include <QTest>

#include <functional>
#include <string>

#include "app/Application.h"
#include "app/BankWindow.h"
#include "app/SetlistsWindow.h"
#include "app/TForm1.h"
#include "live/SetlistFile.h"
#include "midi/LoopbackPorts.h"
#include "tests/PresetValues.h"

namespace kestralux::test {
namespace {

struct SetlistsUp {
  std::unique_ptr<KestraluxApplication> application;

  SetlistsUp() {
    application = std::make_unique<KestraluxApplication>(std::make_unique<LoopbackPorts>(),
                                                         MidiSetupBoxes{[](QWidget*) {}, [](QWidget*) { return false; }},
                                                         QDir::temp().filePath(QStringLiteral("kestralux-no-such-dir/combo.cfg")));
    application->splashPauseMs = 0;
    application->fetchAtStart = false;
    application->startUp();
    for (int n = 0; n < kPresetCount; ++n) {
      PresetRecord& slot = application->state.bank[static_cast<std::size_t>(n)];
      makePreset(slot, n);
      slot.storeName("SLOT " + std::to_string(n + 1));
    }
    application->form().show();
    application->bankWindow().showBeside();
    window().showBeside();
    window().move(application->bankWindow().geometry().bottomLeft() + QPoint(0, 40));
  }
  SetlistsWindow& window() { return application->setlistsWindow(); }
  QTableView& songs() { return *window().songList; }
  std::string titles() {
    std::string text;
    for (int row = 0; row < songs().model()->rowCount(); ++row)
      text += (text.empty() ? "" : " ") + songs().model()->index(row, 1).data().toString().toStdString();
    return text;
  }
  void selectSong(int row) {
    songs().setFocus();
    songs().selectionModel()->setCurrentIndex(songs().model()->index(row, 1), QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
  }
  // Slot `n` of the bank window pressed, carried and let go over song `row` of this window.
  void dragSlotOnto(int n, int row) {
    QWidget* from = application->bankWindow().slotList->viewport();
    const QPoint start(30, application->bankWindow().slotList->visualRect(application->bankWindow().slotList->model()->index(n, 0)).center().y());
    const QPoint target = from->mapFromGlobal(songs().viewport()->mapToGlobal(songs().visualRect(songs().model()->index(row, 1)).center()));
    QTest::mouseClick(from, Qt::LeftButton, {}, start);
    QTest::mousePress(from, Qt::LeftButton, {}, start);
    for (const QPoint at : {start + QPoint(0, 12), target}) {
      QMouseEvent move(QEvent::MouseMove, QPointF(at), QPointF(from->mapToGlobal(at)), Qt::NoButton, Qt::LeftButton, Qt::NoModifier);
      QApplication::sendEvent(from, &move);
    }
    QTest::mouseRelease(from, Qt::LeftButton, {}, target);
  }
};

struct WindowStep {
  const char* name;
  std::function<void(SetlistsUp&)> act;
  const char* titles;
};

const WindowStep kSteps[] = {
    {"Ctrl+Down", [](SetlistsUp& w) { w.selectSong(0); QTest::keyClick(&w.songs(), Qt::Key_Down, Qt::ControlModifier); }, "B A C"},
    {"Ctrl+Up on the song moved", [](SetlistsUp& w) { QTest::keyClick(&w.songs(), Qt::Key_Up, Qt::ControlModifier); }, "A B C"},
    {"Delete", [](SetlistsUp& w) { w.selectSong(0); QTest::keyClick(&w.songs(), Qt::Key_Delete); }, "B C"},
    {"Ctrl+Z in the songs", [](SetlistsUp& w) { QTest::keyClick(&w.songs(), Qt::Key_Z, Qt::ControlModifier); }, "A B C"},
    {"a slot dragged out of the bank window onto song 2", [](SetlistsUp& w) { w.dragSlotOnto(4, 1); }, "A SLOT 5 B C"},
    {"F2 on the title, typed, Enter",
     [](SetlistsUp& w) {
       w.selectSong(1);
       QTest::keyClick(&w.songs(), Qt::Key_F2);
       QWidget* editor = QApplication::focusWidget();
       QTest::keyClick(editor, Qt::Key_A, Qt::ControlModifier);
       QTest::keyClicks(editor, QStringLiteral("Intro"));
       QTest::keyClick(editor, Qt::Key_Return);
       QApplication::processEvents();
     },
     "A Intro B C"},
};

TEST(SetlistsWindow, KeysF2AndADragFromTheBankReachTheSetlist) {
  SetlistsUp w;
  w.window().newButton->click();
  ASSERT_EQ(w.window().setlistList->count(), 1);
  Song a, b, c;
  for (auto [song, title] : {std::pair{&a, "A"}, std::pair{&b, "B"}, std::pair{&c, "C"}}) {
    song->title = title;
    makePreset(song->sound, 3);
  }
  // The songs come in as lines of a .setlist file would, through the window's own paste.
  QMimeData lines;
  std::string text;
  for (const Song* song : {&a, &b, &c}) text += songLine(*song) + "\n";
  lines.setText(QString::fromStdString(text));
  w.window().land(&lines, 0, false);
  ASSERT_EQ(w.titles(), "A B C");

  const PresetBank bank = w.application->state.bank;
  for (const WindowStep& step : kSteps) {
    SCOPED_TRACE(step.name);
    step.act(w);
    QApplication::processEvents();
    EXPECT_EQ(w.titles(), step.titles);
  }
  EXPECT_EQ(w.application->state.bank, bank) << "nothing here changes the bank";
  EXPECT_FALSE(w.application->actions.canUndo());
}

}  // namespace
}  // namespace kestralux::test
