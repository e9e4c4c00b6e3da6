// The EDIT menu under a user's mouse and keys: one action is one step, Ctrl+Z and its
// companions take it back and send what moves as an edit would, and COMPARE lets the user
// hear the stored sound against the edited one.

#include <optional>

#include <QMenuBar>
#include <QRadioButton>

#include "app/ClickablePanel.h"
#include "tests/editor/LiveEditor.h"

namespace kestralux::test {
namespace {

class UndoCompare : public LiveEditor {
 protected:
  void SetUp() override {
    LiveEditor::SetUp();
    form->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(form.get()));
  }
  void key(int key, Qt::KeyboardModifiers modifiers = Qt::ControlModifier) {
    QTest::keyClick(form.get(), static_cast<Qt::Key>(key), modifiers);
  }
};

// Each action, then Ctrl+Z: the record is as before and the device hears the live message of
// each control that moved back; Ctrl+Y brings the action again.
TEST_F(UndoCompare, OneActionIsOneStepAndItsUndoSendsWhatMoves) {
  struct Row {
    const char* what;
    std::function<void(TForm1&)> act;
    Messages undoSends;
  };
  const Row rows[] = {
      {"an arrow held until it repeats",
       [](TForm1& f) {
         const QPoint arrow = scrollBarPart(f.ScrollGAIN, QStyle::SC_ScrollBarAddLine).center();
         QTest::mousePress(f.ScrollGAIN, Qt::LeftButton, {}, arrow);
         QTest::qWait(600);
         QTest::mouseRelease(f.ScrollGAIN, Qt::LeftButton, {}, arrow);
         ASSERT_GT(f.ScrollGAIN->value(), 2) << "the arrow did not repeat";
       },
       {param(0x00, 0x02, 0x00)}},
      {"a click in the groove", [](TForm1& f) { move(f.ScrollBASS, Move::GrooveClick); }, {param(0x00, 0x04, 0x00)}},
      {"a wheel notch", [](TForm1& f) { move(f.ScrollTREB, Move::WheelUp); }, {param(0x00, 0x06, 0x00)}},
      {"an amp model", [](TForm1& f) { QTest::mouseClick(f.HIGAIN, Qt::LeftButton); }, {param(0x00, 0x01, 0x00), param(0x00, 0x03, 0x00)}},
      {"an effect", [](TForm1& f) { QTest::mouseClick(f.FLANBTN, Qt::LeftButton); }, {param(0x00, 0x0E, 0x00)}},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.what);
    const PresetRecord before = state.current();
    row.act(*form);
    const PresetRecord after = state.current();
    ASSERT_NE(after, before);
    tick();
    forget();

    key(Qt::Key_Z);
    EXPECT_EQ(state.current(), before);
    EXPECT_EQ(hex(sent()), hex(row.undoSends));
    tick();
    EXPECT_EQ(sent().size(), row.undoSends.size()) << "nothing else goes out";
    forget();

    key(Qt::Key_Y);
    EXPECT_EQ(state.current(), after);
    EXPECT_FALSE(sent().empty());
    key(Qt::Key_Z);
    forget();
  }
  EXPECT_FALSE(form->UNDO1->isEnabled()) << "nothing left to undo";
  EXPECT_TRUE(form->REDO1->isEnabled());
  key(Qt::Key_Z, Qt::ControlModifier | Qt::ShiftModifier);  // redo, the other way
  EXPECT_TRUE(form->UNDO1->isEnabled());
}

// A click on a panel or an effect button acts on its release; the key that follows is an
// action of its own, so one Ctrl+Z takes back the key's change alone.
TEST_F(UndoCompare, AClickIsItsOwnStepBeforeTheNextAction) {
  struct Row {
    const char* what;
    std::function<void(TForm1&)> click;
  };
  const Row rows[] = {
      {"an amp model", [](TForm1& f) { QTest::mouseClick(f.HIGAIN, Qt::LeftButton); }},
      {"an effect", [](TForm1& f) { QTest::mouseClick(f.PHSBTN, Qt::LeftButton); }},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.what);
    row.click(*form);
    const PresetRecord clicked = state.current();
    form->ScrollGAIN->setFocus();
    QTest::keyClick(form->ScrollGAIN, Qt::Key_Right);
    ASSERT_NE(state.current(), clicked);
    key(Qt::Key_Z);
    EXPECT_EQ(state.current(), clicked) << "the click stays; only the key's change is undone";
  }
}

// The rotary pulls the rate down to its switch in the same step; the undo selects the flanger
// again before its rate comes back, so the bar, the record and the combo all get 200.
TEST_F(UndoCompare, UndoingTheRotaryBringsTheRateBack) {
  QTest::mouseClick(form->FLANBTN, Qt::LeftButton);
  form->actions.endAction();
  form->ScrollRATE->setValue(200);
  form->actions.endAction();
  ASSERT_EQ(state.current().value(EFF_RATE), 200);
  tick();
  forget();
  QTest::mouseClick(form->ROTBTN, Qt::LeftButton);
  ASSERT_EQ(state.current().value(EFF_RATE), 1);
  tick();
  forget();

  key(Qt::Key_Z);
  EXPECT_EQ(state.current().value(EFFECT_SELECT), 2);
  EXPECT_EQ(state.current().value(EFF_RATE), 200);
  EXPECT_EQ(form->ScrollRATE->value(), 200);
  tick();
  std::optional<std::size_t> lastRate, lastEffect;
  for (std::size_t n = 0; n < sent().size(); ++n) {
    const Message& m = sent()[n];
    if (m.size() == 10 && m[7] == codeOfParameter(EFF_RATE)) lastRate = n;
    if (m.size() == 10 && m[7] == codeOfParameter(EFFECT_SELECT)) lastEffect = n;
  }
  ASSERT_TRUE(lastEffect) << "the flanger is selected on the combo";
  EXPECT_EQ(sent()[*lastEffect][8], 2);
  ASSERT_TRUE(lastRate) << "the combo hears the rate";
  EXPECT_EQ(sent()[*lastRate][8], 200 & 0x7F);
  EXPECT_LT(*lastEffect, *lastRate) << "a rate sent before the effect would be the rotary's";
}

// Ctrl+Z in the name box is the EDIT menu's: the name typed so far is one step, undone and
// redone through the session, never the box's own text undo (which would clear REDO).
TEST_F(UndoCompare, UndoInTheNameBoxIsTheMenus) {
  form->PRENAME->setFocus();
  form->PRENAME->selectAll();
  QTest::keyClicks(form->PRENAME, "LEAD");
  ASSERT_EQ(state.current().validName(), std::optional<std::string>("LEAD"));
  ASSERT_TRUE(form->PRENAME->hasFocus());
  QTest::keyClick(form->PRENAME, Qt::Key_Z, Qt::ControlModifier);
  EXPECT_NE(state.current().validName(), std::optional<std::string>("LEAD"));
  EXPECT_TRUE(form->REDO1->isEnabled());
  QTest::keyClick(form->PRENAME, Qt::Key_Z, Qt::ControlModifier | Qt::ShiftModifier);
  EXPECT_EQ(state.current().validName(), std::optional<std::string>("LEAD"));
  EXPECT_EQ(form->PRENAME->text(), "LEAD");
}

// While a fetch runs UNDO, REDO and the loads are refused and greyed, and say why; edits go on.
TEST_F(UndoCompare, NothingIsUndoneOrLoadedWhileAFetchRuns) {
  move(form->ScrollGAIN, Move::ArrowClick);
  ASSERT_TRUE(form->UNDO1->isEnabled());
  QTest::mouseClick(form->REQUES, Qt::LeftButton, {}, form->REQUES->rect().center());
  EXPECT_FALSE(form->UNDO1->isEnabled());
  key(Qt::Key_Z);
  EXPECT_EQ(form->ScrollGAIN->value(), 1);
  QTest::mouseClick(form->Load_preset, Qt::LeftButton);
  EXPECT_EQ(lastSaid(), "TRANSFER IN PROGRESS") << "no file dialog while presets may arrive";
  move(form->ScrollGAIN, Move::ArrowClick);
  EXPECT_EQ(form->ScrollGAIN->value(), 2);
}

// Ctrl+D reaches COMPARE and the window draws the reference; what compare sends and how a
// touch ends it are the actions' rules.
TEST_F(UndoCompare, CtrlDShowsTheStoredSound) {
  for (int i = 0; i < 5; ++i) move(form->ScrollGAIN, Move::ArrowClick);
  EXPECT_EQ(form->PRENUM->text(), "PRESET   1*");
  key(Qt::Key_D);
  EXPECT_EQ(form->PRENUM->text(), "COMPARE  1");
  EXPECT_EQ(form->ScrollGAIN->value(), 0);
  key(Qt::Key_D);
  EXPECT_EQ(form->PRENUM->text(), "PRESET   1*");
  EXPECT_EQ(form->ScrollGAIN->value(), 5);
}

}  // namespace
}  // namespace kestralux::test
