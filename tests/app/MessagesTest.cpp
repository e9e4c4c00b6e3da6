// What the windows say, seen by a user: a message comes and goes and nothing moves under the
// pointer; the message line shows a long message whole; the close question is asked once.

#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QScrollArea>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include <functional>
#include <memory>

#include "app/BankWindow.h"
#include "app/HistoryWindow.h"
#include "app/LibraryFeed.h"
#include "app/LibraryPane.h"
#include "app/MessageLine.h"
#include "app/QuitOnSignal.h"
#include "tests/editor/LiveEditor.h"

namespace kestralux::test {
namespace {

const QString kLong = QStringLiteral(
    "SHEET SAVED TO /home/musician/Documents/rehearsal room/autumn tour 2026/sheets/gig1.html");

class Messages : public LiveEditor {};

// Each window says something and its time runs out: the control a user is about to click
// stays where it was, to the pixel.
TEST_F(Messages, ComeAndGoWithoutMovingAControl) {
  QTemporaryDir libraryDir;
  ASSERT_TRUE(libraryDir.isValid());
  LibraryFeed feed;
  feed.open(libraryDir.filePath("library.sqlite").toStdString(), libraryDir.filePath("history").toStdString());
  ASSERT_TRUE(feed.available());
  HistoryWindow history(actions);
  history.resize(900, 560);
  history.show();
  BankWindow bank(actions, &feed, form.get());
  bank.resize(1040, 760);
  bank.show();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(&bank));

  struct Row {
    const char* what;
    QWidget* watched;
    std::function<void()> say, timeOut;
  };
  const Row rows[] = {
      {"LOAD AS THE BANK", history.loadBank, [&] { history.say(kLong); }, [&] { history.findChild<QLabel*>("historyStatus")->hide(); }},
      {"the tag box", bank.library->tags, [&] { bank.say(kLong); }, [&] { bank.findChild<QLabel*>("bankStatus")->hide(); }},
      {"the main window's controls", form->scrollArea, [&] { form->say(kLong); }, [&] { form->messageLine->timeOut(); }},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.what);
    QCoreApplication::processEvents();
    const QRect before = row.watched->geometry();
    row.say();
    QCoreApplication::processEvents();
    EXPECT_EQ(row.watched->geometry(), before) << "when the message came";
    row.timeOut();
    QCoreApplication::processEvents();
    EXPECT_EQ(row.watched->geometry(), before) << "when it went";
  }
}

// The main window's message line shows every word of a message too long for one line, and
// lets it go when its time is up, showing what is heard if anything is.
TEST_F(Messages, TheMessageLineShowsAMessageWholeUntilItsTimeIsUp) {
  form->resize(800, 600);
  form->say(kLong);
  MessageLine& line = *form->messageLine;
  EXPECT_EQ(line.text(), kLong);
  EXPECT_GE(line.height(), 2 * line.fontMetrics().lineSpacing()) << "room for a second line";
  EXPECT_TRUE(line.timer->isActive());
  line.setIdleText(QStringLiteral("HEARING: CLEAN 1 / BYPASS, Esc RETURNS TO PRESET 1"));
  EXPECT_EQ(line.text(), kLong) << "a message first";
  line.timeOut();
  EXPECT_EQ(line.text(), QStringLiteral("HEARING: CLEAN 1 / BYPASS, Esc RETURNS TO PRESET 1"));
  ASSERT_FALSE(line.log().entries().empty());
  EXPECT_EQ(line.log().entries().back().text, kLong.toStdString()) << "kept for HELP > MESSAGES";
}

// With an edited preset the window asks before it closes, once: after CLOSE no other close
// of the same run asks again.
TEST_F(Messages, TheCloseQuestionIsAskedOnce) {
  ASSERT_FALSE(QuitOnSignal::requested()) << "a close after a signal never asks";
  state.reference = state.bank;
  EXPECT_TRUE(form->closeAllowed()) << "nothing edited: no question";
  LiveEditor::TearDown();
  LiveEditor::SetUp();
  state.reference = state.bank;
  actions.setParameter(AMP_GAIN, (actions.shownPreset().value(AMP_GAIN) + 1) % 30);
  actions.endAction();
  ASSERT_EQ(actions.editedCount(), 1);
  int asked = 0;
  std::function<void()> answer = [&] {
    auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
    if (!box) return QTimer::singleShot(10, answer);
    ++asked;
    EXPECT_EQ(box->text(), "1 EDITED PRESET IS NOT STORED OR SAVED.\nCLOSE KEEPS THEM IN LIBRARY > HISTORY.");
    box->findChild<QPushButton*>("closeNow")->click();
  };
  QTimer::singleShot(0, answer);
  EXPECT_TRUE(form->closeAllowed());
  EXPECT_TRUE(form->closeAllowed()) << "the second close of the same run";
  EXPECT_EQ(asked, 1);
}

}  // namespace
}  // namespace kestralux::test
