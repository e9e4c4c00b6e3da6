// With the combo's port gone, each user action shows the real "MIDI CARD CHANGE." box once:
// a held arrow does not go on repeating behind it, a preset step's burst and a second key
// press are one box each.

#include <QMessageBox>
#include <QPushButton>

#include "tests/editor/LiveEditor.h"

namespace kestralux::test {
namespace {

class CardErrorBoxes : public LiveEditor {
 protected:
  void SetUp() override {
    LiveEditor::SetUp();
    setup->boxes.cardError = MidiSetupBoxes::standard().cardError;
    ports.failingOutputs = {0};
    engine.CLOSE_MIDI_OUT();
    // A user who reads each box and presses OK a moment later.
    QObject::connect(&user, &QTimer::timeout, [this] {
      auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
      if (!box || !box->isVisible()) return;
      EXPECT_EQ(box->windowTitle(), "MIDI CARD CHANGE.");
      EXPECT_EQ(box->text(), "Midi card already used or Not present!");
      ++boxes;
      QTest::mouseClick(box->button(QMessageBox::Ok), Qt::LeftButton);
    });
    user.start(100);
  }
  void TearDown() override {
    user.stop();
    LiveEditor::TearDown();
  }

  QTimer user;
  int boxes = 0;
};

TEST_F(CardErrorBoxes, OneBoxPerUserAction) {
  // The arrow held down for two seconds: the first step fails and opens the box; the hold
  // must not go on stepping and failing once the box is answered.
  QScrollBar* gain = form->ScrollGAIN;
  const QPoint arrow = scrollBarPart(gain, QStyle::SC_ScrollBarAddLine).center();
  QTest::mousePress(gain, Qt::LeftButton, {}, arrow);
  QTest::qWait(2000);
  QTest::mouseRelease(gain, Qt::LeftButton, {}, arrow);
  EXPECT_EQ(boxes, 1);
  EXPECT_EQ(gain->value(), 1) << "the held arrow went on repeating";

  // A key press is a new action.
  QTest::keyClick(gain, Qt::Key_Right);
  (void)QTest::qWaitFor([&] { return boxes == 2; }, 1000);
  EXPECT_EQ(boxes, 2);

  // A preset step and its 16-message burst: one box.
  stepUp();
  tick();
  QTest::qWait(300);
  EXPECT_EQ(boxes, 3);
  EXPECT_EQ(sent().size(), 0u);

  // Ctrl held, Z pressed three times: three undos, three actions, one box each.
  for (int i = 0; i < 3; ++i) move(gain, Move::ArrowClick);
  const int before = boxes;
  QTest::keyPress(form.get(), Qt::Key_Control);
  for (int i = 0; i < 3; ++i) {
    // The box has had the focus; the main window takes it back, as it does on a desktop.
    form->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(form.get()));
    // Through the window system, as a desktop delivers it: a key that triggers a shortcut
    // never arrives as a key press.
    QTest::keyClick(form->windowHandle(), Qt::Key_Z, Qt::ControlModifier);
    (void)QTest::qWaitFor([&] { return boxes == before + i + 1; }, 1000);
  }
  QTest::keyRelease(form.get(), Qt::Key_Control);
  EXPECT_EQ(boxes, before + 3) << "one box for each undo";
}

}  // namespace
}  // namespace kestralux::test
