// The eleven parameter strips under a user's hand: one move, one message with the bytes the
// device expects, the position in the preset on screen and the value in the device's units.

#include <QLineEdit>
#include <QScrollBar>

#include "tests/editor/LiveEditor.h"

namespace kestralux::test {
namespace {

struct StripMoveRow {
  QScrollBar* TForm1::*bar;
  QLineEdit* TForm1::*box;
  int parameter;
  int from;
  Move how;
  int to;
  QString shown;
  Message wire;
};

TEST_F(LiveEditor, EachStripMoveSendsOneMessageStoresThePositionAndShowsItsValue) {
  const StripMoveRow rows[] = {
      {&TForm1::ScrollGAIN, &TForm1::GAINEDIT, AMP_GAIN, 19, Move::KeyRight, 20, blanks(9) + " 6.66", param(0x00, 0x02, 0x14)},
      {&TForm1::ScrollGAIN, &TForm1::GAINEDIT, AMP_GAIN, 0, Move::ArrowClick, 1, blanks(9) + " 0.33", param(0x00, 0x02, 0x01)},
      {&TForm1::ScrollBASS, &TForm1::BASSEDIT, AMP_BASS, 0, Move::ArrowClick, 1, blanks(9) + " 0.33", param(0x00, 0x04, 0x01)},
      {&TForm1::ScrollBASS, &TForm1::BASSEDIT, AMP_BASS, 12, Move::KeyEnd, 30, blanks(9) + "10.00", param(0x00, 0x04, 0x1E)},
      {&TForm1::ScrollMID, &TForm1::MIDEDIT, AMP_MID, 14, Move::KeyRight, 15, blanks(10) + " 5.00", param(0x00, 0x05, 0x0F)},
      {&TForm1::ScrollTREB, &TForm1::TREBEDIT, AMP_TREBLE, 30, Move::KeyLeft, 29, blanks(9) + " 9.66", param(0x00, 0x06, 0x1D)},
      {&TForm1::ScrollPVOL, &TForm1::PVOLEDIT, AMP_MASTER, 0, Move::KeyEnd, 30, blanks(11) + "10.00", param(0x00, 0x03, 0x1E)},
      {&TForm1::ScrollPVOL, &TForm1::PVOLEDIT, AMP_MASTER, 4, Move::ArrowClick, 5, blanks(11) + " 1.66", param(0x00, 0x03, 0x05)},
      {&TForm1::ScrollREV, &TForm1::REVEDIT, REV_LEVEL, 1, Move::KeyLeft, 0, blanks(9) + " OFF ", param(0x00, 0x07, 0x00)},
      {&TForm1::ScrollREV, &TForm1::REVEDIT, REV_LEVEL, 8, Move::KeyRight, 9, blanks(9) + " 3.00", param(0x00, 0x07, 0x09)},
      {&TForm1::ScrollDLVL, &TForm1::DLVLEDIT, DELAY_LEVEL, 0, Move::ArrowClick, 1, blanks(9) + " 0.33", param(0x00, 0x08, 0x01)},
      {&TForm1::ScrollDREG, &TForm1::DREGEDIT, DELAY_REGEN, 5, Move::KeyHome, 0, blanks(9) + " 0.00", param(0x00, 0x09, 0x00)},
      {&TForm1::ScrollDPAN, &TForm1::DPANEDIT, DELAY_PAN, 14, Move::KeyRight, 15, blanks(7) + "CENTER", param(0x00, 0x0A, 0x0F)},
      {&TForm1::ScrollDPAN, &TForm1::DPANEDIT, DELAY_PAN, 8, Move::ArrowClick, 9, blanks(7) + "L<9   ", param(0x00, 0x0A, 0x09)},
      {&TForm1::ScrollDPAN, &TForm1::DPANEDIT, DELAY_PAN, 9, Move::KeyRight, 10, blanks(7) + "L>10  ", param(0x00, 0x0A, 0x0A)},
      {&TForm1::ScrollDPAN, &TForm1::DPANEDIT, DELAY_PAN, 30, Move::KeyRight, 31, blanks(7) + " RIGHT", param(0x00, 0x0A, 0x1F)},
      {&TForm1::ScrollDPAN, &TForm1::DPANEDIT, DELAY_PAN, 1, Move::KeyLeft, 0, blanks(7) + "LEFT  ", param(0x00, 0x0A, 0x00)},
      // Bit 7 of the delay time rides in the context byte; the box keeps its lower-case unit.
      {&TForm1::ScrollDTIME, &TForm1::DTIMEEDIT, DELAY_TIME, 126, Move::KeyRight, 127, blanks(9) + "508 ms", param(0x00, 0x0B, 0x7F)},
      {&TForm1::ScrollDTIME, &TForm1::DTIMEEDIT, DELAY_TIME, 127, Move::ArrowClick, 128, blanks(9) + "512 ms", param(0x01, 0x0B, 0x00)},
      {&TForm1::ScrollDTIME, &TForm1::DTIMEEDIT, DELAY_TIME, 249, Move::KeyRight, 250, blanks(9) + "1000 ms", param(0x01, 0x0B, 0x7A)},
      {&TForm1::ScrollDTIME, &TForm1::DTIMEEDIT, DELAY_TIME, 1, Move::KeyLeft, 0, blanks(9) + "0 ms", param(0x00, 0x0B, 0x00)},
      // The gate alone sends context 9; its decibels show in capitals.
      {&TForm1::ScrollGATE, &TForm1::GATEEDIT, GATE_THRES, 29, Move::KeyRight, 30, blanks(9) + "  0DB", param(0x09, 0x0D, 0x1E)},
      {&TForm1::ScrollGATE, &TForm1::GATEEDIT, GATE_THRES, 1, Move::KeyLeft, 0, blanks(9) + "-60DB", param(0x09, 0x0D, 0x00)},
      {&TForm1::ScrollGATE, &TForm1::GATEEDIT, GATE_THRES, 25, Move::ArrowClick, 26, blanks(9) + "- 8DB", param(0x09, 0x0D, 0x1A)},
      // A drag of the thumb past the end of the bar.
      {&TForm1::ScrollDTIME, &TForm1::DTIMEEDIT, DELAY_TIME, 0, Move::DragToEnd, 250, blanks(9) + "1000 ms", param(0x01, 0x0B, 0x7A)},
      {&TForm1::ScrollGATE, &TForm1::GATEEDIT, GATE_THRES, 0, Move::DragToEnd, 30, blanks(9) + "  0DB", param(0x09, 0x0D, 0x1E)},
      {&TForm1::ScrollDPAN, &TForm1::DPANEDIT, DELAY_PAN, 0, Move::DragToEnd, 31, blanks(7) + " RIGHT", param(0x00, 0x0A, 0x1F)},
  };
  for (const StripMoveRow& row : rows) {
    QScrollBar* bar = form.get()->*row.bar;
    QLineEdit* box = form.get()->*row.box;
    SCOPED_TRACE(bar->objectName().toStdString() + " from " + std::to_string(row.from) + " by " +
                 moveName(row.how));
    expectMove(bar, box, row.parameter, row.from, row.how, row.to, row.wire, row.shown);
  }
}

struct KeyRow {
  Qt::Key key;
  int direction;  // +1 towards the maximum, -1 towards 0
};

// Keys move a focused bar the way the desktop's own scroll bars do: Right, Down and Page Down
// towards the end, Left, Up and Page Up towards the start.
TEST_F(LiveEditor, KeysMoveAFocusedStripInTheDesktopsDirections) {
  const KeyRow rows[] = {
      {Qt::Key_Right, +1}, {Qt::Key_Left, -1},    {Qt::Key_Down, +1},
      {Qt::Key_Up, -1},    {Qt::Key_PageDown, +1}, {Qt::Key_PageUp, -1},
  };
  for (const KeyRow& row : rows) {
    SCOPED_TRACE(QKeySequence(row.key).toString().toStdString());
    prepare(form->ScrollGAIN, 15);
    form->ScrollGAIN->setFocus();
    QTest::keyClick(form->ScrollGAIN, row.key);
    const int now = form->ScrollGAIN->value();
    EXPECT_EQ(now > 15 ? +1 : now < 15 ? -1 : 0, row.direction);
    EXPECT_EQ(hex(sent()), hex({param(0x00, 0x02, static_cast<std::uint8_t>(now))}));
    EXPECT_EQ(state.current().value(AMP_GAIN), now);
  }
}

TEST_F(LiveEditor, AMoveAtTheEndOfAStripSendsNothing) {
  const std::pair<QScrollBar*, Move> rows[] = {
      {form->ScrollGAIN, Move::KeyLeft}, {form->ScrollDTIME, Move::KeyHome}, {form->ScrollGATE, Move::KeyLeft},
  };
  for (const auto& [bar, how] : rows) {
    SCOPED_TRACE(bar->objectName().toStdString());
    prepare(bar, 0);
    move(bar, how);
    EXPECT_TRUE(sent().empty());
  }
  prepare(form->ScrollDPAN, 31);
  move(form->ScrollDPAN, Move::ArrowClick);
  EXPECT_TRUE(sent().empty());
}

TEST_F(LiveEditor, StripEditsGoToThePresetOnScreen) {
  stepUp(2);
  tick();
  forget();
  const PresetBank before = state.bank;

  move(form->ScrollTREB, Move::KeyRight);
  move(form->ScrollTREB, Move::KeyRight);

  EXPECT_EQ(hex(sent()), hex({param(0x00, 0x06, 0x01), param(0x00, 0x06, 0x02)}));
  EXPECT_EQ(state.bank[2].value(AMP_TREBLE), 2);
  for (int n = 0; n < kPresetCount; ++n) {
    if (n != 2) {
      EXPECT_EQ(state.bank[static_cast<std::size_t>(n)], before[static_cast<std::size_t>(n)]) << n;
    }
  }
}

// Every bar moves in steps of 1: a click in the groove and a wheel notch as much as an arrow.
TEST_F(LiveEditor, EveryBarMovesOneStepForAGrooveClickOrAWheelNotch) {
  const QList<QScrollBar*> bars = form->clientArea->findChildren<QScrollBar*>();
  ASSERT_EQ(bars.size(), 14);
  for (QScrollBar* bar : bars) {
    for (const auto& [how, to] : {std::pair{Move::GrooveClick, 3}, {Move::WheelUp, 3}, {Move::WheelDown, 1}}) {
      SCOPED_TRACE(bar->objectName().toStdString() + " by " + moveName(how));
      prepare(bar, 2);
      move(bar, how);
      EXPECT_EQ(bar->value(), to);
      EXPECT_EQ(sent().size(), 1u);
    }
  }
}

}  // namespace
}  // namespace kestralux::test
