#pragma once
// The editor as a user meets it: the main window, shown, over the MIDI engine and the setup
// window's poll tick, with a loopback port standing in for the KESTRALUX so every byte that
// leaves the program can be compared. Controls are driven by mouse and keyboard events.

#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QMouseEvent>
#include <QWheelEvent>
#include <QRadioButton>
#include <QLineEdit>
#include <QScrollBar>
#include <QStyle>
#include <QStyleOptionButton>
#include <QStyleOptionSlider>
#include <QTemporaryDir>
#include <QTest>
#include <QToolButton>

#include <cstdint>
#include <ostream>
#include <memory>
#include <string>
#include <vector>

#include "app/MessageLine.h"
#include "app/TForm1.h"
#include "tests/app/UserActions.h"
#include "app/UpDownArrows.h"
#include "midi/LoopbackPorts.h"
#include "midi/MidiEngine.h"
#include "app/TMIDI_IO.h"
#include "model/EditorState.h"
#include "protocol/DeviceProtocol.h"

// Value boxes compare as quoted text, blanks visible, when a test fails.
inline void PrintTo(const QString& text, std::ostream* os) { *os << '"' << text.toStdString() << '"'; }

namespace kestralux::test {

using Message = LoopbackPorts::Message;
using Messages = std::vector<Message>;

// One parameter-change message as it appears on the wire.
inline Message param(std::uint8_t context, std::uint8_t code, std::uint8_t value) {
  return {0xF0, 0x00, 0x00, MANUFACTURER_ID[2], 0x06, 0x42, context, code, value, 0xF7};
}

// Messages as hexadecimal text, so a mismatch reads like a MIDI monitor.
inline std::vector<std::string> hex(const Messages& messages) {
  std::vector<std::string> out;
  for (const Message& m : messages) {
    std::string line;
    for (std::uint8_t b : m) {
      static const char digits[] = "0123456789ABCDEF";
      if (!line.empty()) line += ' ';
      line += digits[b >> 4];
      line += digits[b & 0xF];
    }
    out.push_back(line);
  }
  return out;
}

inline QString blanks(int n) { return QString(n, QLatin1Char(' ')); }

// How a test moves a scroll bar; each is something a user does.
enum class Move { ArrowClick, KeyRight, KeyLeft, KeyHome, KeyEnd, DragToEnd, GrooveClick, WheelUp, WheelDown };

inline const char* moveName(Move move) {
  switch (move) {
    case Move::ArrowClick: return "click on the right arrow";
    case Move::KeyRight: return "Right key";
    case Move::KeyLeft: return "Left key";
    case Move::KeyHome: return "Home key";
    case Move::KeyEnd: return "End key";
    case Move::DragToEnd: return "drag of the thumb to the right end";
    case Move::GrooveClick: return "click in the groove right of the thumb";
    case Move::WheelUp: return "one wheel notch up";
    case Move::WheelDown: return "one wheel notch down";
  }
  return "?";
}

inline void move(QScrollBar* bar, Move how) {
  switch (how) {
    case Move::ArrowClick: {
      const QRect arrow = scrollBarPart(bar, QStyle::SC_ScrollBarAddLine);
      ASSERT_FALSE(arrow.isEmpty()) << "the bar has no right arrow to click";
      QTest::mouseClick(bar, Qt::LeftButton, {}, arrow.center());
      return;
    }
    case Move::KeyRight: QTest::keyClick(bar, Qt::Key_Right); return;
    case Move::KeyLeft: QTest::keyClick(bar, Qt::Key_Left); return;
    case Move::KeyHome: QTest::keyClick(bar, Qt::Key_Home); return;
    case Move::KeyEnd: QTest::keyClick(bar, Qt::Key_End); return;
    case Move::GrooveClick: {
      const QRect groove = scrollBarPart(bar, QStyle::SC_ScrollBarAddPage);
      ASSERT_FALSE(groove.isEmpty()) << "no groove right of the thumb";
      QTest::mouseClick(bar, Qt::LeftButton, {}, groove.center());
      return;
    }
    case Move::WheelUp:
    case Move::WheelDown: {
      const QPoint at = bar->rect().center();
      QWheelEvent wheel(QPointF(at), QPointF(bar->mapToGlobal(at)), QPoint(), QPoint(0, how == Move::WheelUp ? 120 : -120),
                        Qt::NoButton, Qt::NoModifier, Qt::NoScrollPhase, false);
      QApplication::sendEvent(bar, &wheel);
      return;
    }
    case Move::DragToEnd: {
      const QPoint from = scrollBarPart(bar, QStyle::SC_ScrollBarSlider).center();
      const QPoint to(bar->width() + 40, from.y());
      QTest::mousePress(bar, Qt::LeftButton, {}, from);
      // The move carries the held button, as a real drag does.
      QMouseEvent drag(QEvent::MouseMove, QPointF(to), QPointF(bar->mapToGlobal(to)), Qt::NoButton,
                       Qt::LeftButton, Qt::NoModifier);
      QApplication::sendEvent(bar, &drag);
      QTest::mouseRelease(bar, Qt::LeftButton, {}, to);
      return;
    }
  }
}

// Clicks where the style says a radio button takes its click (its indicator and caption).
inline void clickRadio(QRadioButton* button) {
  QStyleOptionButton opt;
  opt.initFrom(button);
  opt.text = button->text();
  const QRect area = button->style()->subElementRect(QStyle::SE_RadioButtonClickRect, &opt, button);
  QTest::mouseClick(button, Qt::LeftButton, {}, area.center());
}

// Every parameter of `record` except `changed` equals the same one of `before`.
inline ::testing::AssertionResult onlyChanged(const PresetRecord& before, const PresetRecord& after,
                                              int changed) {
  for (int i = 0; i < kParameterCount; ++i) {
    if (i == changed) continue;
    if (before.value(i) != after.value(i))
      return ::testing::AssertionFailure() << "parameter " << i << " changed from " << before.value(i)
                                           << " to " << after.value(i);
  }
  if (before.slot(kReservedSlot) != after.slot(kReservedSlot))
    return ::testing::AssertionFailure() << "the reserved slot changed";
  return ::testing::AssertionSuccess();
}

class LiveEditor : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(configDir.isValid());
    engine.setPause([this](std::chrono::milliseconds) { ++pauses; });
    MidiSetupBoxes boxes;
    boxes.cardError = [this](QWidget*) { ++cardErrors; };
    boxes.confirmCardChange = [](QWidget*) { return true; };
    setup = std::make_unique<TMIDI_IO>(link, nullptr, boxes);
    setup->FIND_MIDI_PORTS({});
    // Ticks run when a test says so, never on their own.
    setup->interupt_timer->stop();
    protocol.session = &session;
    form = std::make_unique<TForm1>(actions);
    form->show();
    forget();
  }

  void TearDown() override {
    EXPECT_EQ(cardErrors, 0) << "the loopback port never fails unless a test tells it to";
    form.reset();
    setup.reset();
  }

  // What the device has received since the last forget().
  const Messages& sent() const { return ports.allSent(); }
  void forget() {
    ports.clearSent();
    pauses = 0;
  }

  // One 50 ms tick of the setup window, run now.
  void tick() {
    setup->interupt_timerTimer();
    setup->interupt_timer->stop();
  }

  // What the main window said last, on its status label or on its message line.
  QString lastSaid() const {
    const auto& said = form->messageLine->log().entries();
    return said.empty() ? QString() : QString::fromStdString(said.back().text);
  }

  // Clicks the preset arrows as a user does.
  void stepUp(int times = 1) {
    for (int i = 0; i < times; ++i) QTest::mouseClick(form->PRESETUpDown->upArrow(), Qt::LeftButton);
  }
  void stepDown(int times = 1) {
    for (int i = 0; i < times; ++i) QTest::mouseClick(form->PRESETUpDown->downArrow(), Qt::LeftButton);
  }

  // Puts a bar at `position` the way an earlier edit would have, then forgets what that sent.
  void prepare(QScrollBar* bar, int position) {
    bar->setValue(position);
    ASSERT_EQ(bar->value(), position);
    forget();
  }

  // One user move of `bar` from `from`: the bar ends at `to`, exactly `wire` goes out, the
  // record holds `to` in `parameter` and nothing else, and `box` shows `shown`.
  void expectMove(QScrollBar* bar, QLineEdit* box, int parameter, int from, Move how, int to,
                  const Message& wire, const QString& shown) {
    prepare(bar, from);
    const PresetRecord before = state.current();

    move(bar, how);

    EXPECT_EQ(bar->value(), to);
    EXPECT_EQ(hex(sent()), hex({wire}));
    EXPECT_EQ(state.current().value(parameter), to);
    EXPECT_TRUE(onlyChanged(before, state.current(), parameter));
    EXPECT_EQ(box->text(), shown);
  }

  QTemporaryDir configDir;
  LoopbackPorts ports{{"KESTRALUX IN"}, {"KESTRALUX OUT"}};
  EditorState state;
  ComboLink link{ports, state, configDir.filePath("combo.cfg").toStdString()};
  MidiEngine& engine = link.engine;
  DeviceProtocol& protocol = link.protocol;
  EditSession session{state};
  EditorActions actions{state, protocol, session, &link.transfers};
  int pauses = 0;
  int cardErrors = 0;
  std::unique_ptr<TMIDI_IO> setup;
  std::unique_ptr<TForm1> form;
};


}  // namespace kestralux::test
