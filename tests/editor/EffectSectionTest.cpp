// The effect section under the mouse and keyboard: the ten effect buttons relabel, show, hide
// and re-range the three effect controls and send the effect; the three effect bars carry the
// effect in their context byte.

#include <QLabel>
#include <QLineEdit>
#include <QRadioButton>
#include <QScrollBar>

#include <functional>

#include "app/ClickablePanel.h"
#include "tests/editor/LiveEditor.h"

namespace kestralux::test {
namespace {

const QColor kLime(0, 255, 0);
const QColor kBlack(0, 0, 0);

QRadioButton* TForm1::*const kButtons[] = {
    &TForm1::BYPASSBTN, &TForm1::COMPBTN, &TForm1::TREMBTN, &TForm1::TREMBTN2, &TForm1::WAHBTN,
    &TForm1::CRSBTN,    &TForm1::FLANBTN, &TForm1::PHSBTN,  &TForm1::PITBTN,   &TForm1::ROTBTN,
};

QColor background(const QRadioButton* button) { return button->palette().color(button->backgroundRole()); }

struct EffectButtonRow {
  QRadioButton* TForm1::*button;
  const char* caption;
  std::uint8_t code;
  const char* adjust1Caption;
  const char* adjust2Caption;  // after the phaser had set "RESONANCE"
  bool adjust1Shown, adjust2Shown, rateShown;
  QString effect15;  // with EFFECT ADJUST 1 at 15; empty where the box is hidden
  QString rate;      // with RATE at 1
};

TEST_F(LiveEditor, EachEffectButtonLaysOutTheEffectControlsAndSendsOnlyTheEffect) {
  const QString knob15 = blanks(9) + " 5.00";
  const QString rate1 = blanks(12) + "1";
  const EffectButtonRow rows[] = {
      {&TForm1::BYPASSBTN, "BYPASS", 8, "THRESHOLD", "RESONANCE", false, false, false, {}, rate1},
      {&TForm1::COMPBTN, "COMPRESSOR", 10, "THRESHOLD", "RESONANCE", true, false, false, blanks(9) + "-15DB", rate1},
      {&TForm1::TREMBTN, "TREMOLO 1", 14, "DEPTH", "RESONANCE", true, false, true, knob15, rate1},
      {&TForm1::TREMBTN2, "TREMOLO 2", 15, "DEPTH", "RESONANCE", true, false, true, knob15, rate1},
      {&TForm1::WAHBTN, "WAH", 11, "FREQUENCY", "RESONANCE", true, false, false, blanks(8) + "1189 HZ  ", rate1},
      {&TForm1::CRSBTN, "CHORUS", 0, "DEPTH", "LEVEL", true, true, true, knob15, rate1},
      {&TForm1::FLANBTN, "FLANGER", 2, "DEPTH", "REGEN", true, true, true, knob15, rate1},
      {&TForm1::PHSBTN, "PHASER", 13, "DEPTH", "RESONANCE", true, true, true, knob15, rate1},
      {&TForm1::PITBTN, "DETUNE", 6, "PITCH", "LEVEL", true, true, false, blanks(8) + "  0 CENTS", rate1},
      {&TForm1::ROTBTN, "ROTARY ", 12, "SLOW SPEED", "RESONANCE", true, false, true, knob15, blanks(6) + " FAST "},
  };
  for (const EffectButtonRow& row : rows) {
    QRadioButton* button = form.get()->*row.button;
    SCOPED_TRACE(row.caption);
    ASSERT_EQ(button->text(), row.caption);
    clickRadio(form->PHSBTN);
    prepare(form->ScrollFX15, 15);
    prepare(form->ScrollRATE, 1);
    const PresetRecord before = state.current();

    clickRadio(button);

    EXPECT_EQ(hex(sent()), hex({param(0x00, 0x0E, row.code)}));
    EXPECT_EQ(state.current().value(EFFECT_SELECT), row.code);
    EXPECT_TRUE(onlyChanged(before, state.current(), EFFECT_SELECT));
    EXPECT_EQ(form->LABL15->text(), row.adjust1Caption);
    EXPECT_EQ(form->LABL16->text(), row.adjust2Caption);
    EXPECT_EQ(form->LABLRATE->text(), "RATE");
    const std::pair<std::vector<QWidget*>, bool> groups[] = {
        {{form->LABL15, form->Effect15, form->ScrollFX15}, row.adjust1Shown},
        {{form->LABL16, form->Effect16, form->ScrollFX16}, row.adjust2Shown},
        {{form->LABLRATE, form->Rate, form->ScrollRATE}, row.rateShown},
    };
    for (const auto& [widgets, shown] : groups)
      for (QWidget* w : widgets) EXPECT_EQ(w->isVisible(), shown) << w->objectName().toStdString();
    if (!row.effect15.isEmpty()) {
      EXPECT_EQ(form->Effect15->text(), row.effect15);
    }
    EXPECT_EQ(form->Effect16->text(), "  EFFECT ADJ 2") << "the effect never rewrites ADJUST 2's box";
    EXPECT_EQ(form->Rate->text(), row.rate);
    EXPECT_EQ(form->ScrollRATE->value(), 1);
    EXPECT_EQ(form->ScrollRATE->maximum(), row.code == 12 ? 1 : 255);
    for (QRadioButton* TForm1::*member : kButtons) {
      const QRadioButton* other = form.get()->*member;
      EXPECT_EQ(other->isChecked(), other == button) << other->objectName().toStdString();
      EXPECT_EQ(background(other), other == button ? kLime : kBlack) << other->objectName().toStdString();
    }
  }
}

TEST_F(LiveEditor, ClickingTheCheckedEffectSendsItAgain) {
  clickRadio(form->WAHBTN);
  clickRadio(form->WAHBTN);
  EXPECT_EQ(hex(sent()), hex({param(0x00, 0x0E, 0x0B), param(0x00, 0x0E, 0x0B)}));
  EXPECT_TRUE(form->WAHBTN->isChecked());
}

TEST_F(LiveEditor, RotaryPullsAFastRateDownAndSendsItBeforeTheEffect) {
  clickRadio(form->CRSBTN);
  prepare(form->ScrollRATE, 200);

  clickRadio(form->ROTBTN);

  // The rate goes out first, already with the rotary's code in its context byte.
  EXPECT_EQ(hex(sent()), hex({param(0x18, 0x0C, 0x01), param(0x00, 0x0E, 0x0C)}));
  EXPECT_EQ(form->ScrollRATE->maximum(), 1);
  EXPECT_EQ(form->ScrollRATE->value(), 1);
  EXPECT_EQ(state.current().value(EFF_RATE), 1);
  EXPECT_EQ(form->Rate->text(), blanks(6) + " FAST ");
}

TEST_F(LiveEditor, RotaryAtASlowRateSendsOnlyTheEffect) {
  clickRadio(form->FLANBTN);
  prepare(form->ScrollRATE, 0);
  clickRadio(form->ROTBTN);
  EXPECT_EQ(hex(sent()), hex({param(0x00, 0x0E, 0x0C)}));
  EXPECT_EQ(form->Rate->text(), blanks(6) + " SLOW ");
  EXPECT_EQ(state.current().value(EFF_RATE), 0);
}

TEST_F(LiveEditor, ChorusAfterRotaryWidensTheRateAndKeepsItsPosition) {
  clickRadio(form->CRSBTN);
  prepare(form->ScrollRATE, 90);
  clickRadio(form->ROTBTN);
  forget();

  clickRadio(form->CRSBTN);

  EXPECT_EQ(hex(sent()), hex({param(0x00, 0x0E, 0x00)}));
  EXPECT_EQ(form->ScrollRATE->maximum(), 255);
  EXPECT_EQ(form->ScrollRATE->value(), 1);
  EXPECT_EQ(state.current().value(EFF_RATE), 1);
  EXPECT_EQ(form->Rate->text(), blanks(12) + "1");
  EXPECT_EQ(form->LABL16->text(), "LEVEL");
  EXPECT_TRUE(form->ScrollFX16->isVisible());
}

struct EffectBarRow {
  QRadioButton* TForm1::*effect;
  QScrollBar* TForm1::*bar;
  QLineEdit* TForm1::*box;
  int parameter;
  int from;
  Move how;
  int to;
  Message wire;
  QString shown;
};

TEST_F(LiveEditor, EffectBarsCarryTheEffectInTheirContextByte) {
  const EffectBarRow rows[] = {
      // EFFECT ADJUST 1: the effect code in bits 1..4.
      {&TForm1::CRSBTN, &TForm1::ScrollFX15, &TForm1::Effect15, EFF_ADJUST1, 14, Move::KeyRight, 15, param(0x00, 0x0F, 0x0F), blanks(9) + " 5.00"},
      {&TForm1::TREMBTN2, &TForm1::ScrollFX15, &TForm1::Effect15, EFF_ADJUST1, 0, Move::ArrowClick, 1, param(0x1E, 0x0F, 0x01), blanks(9) + " 0.33"},
      {&TForm1::PITBTN, &TForm1::ScrollFX15, &TForm1::Effect15, EFF_ADJUST1, 14, Move::KeyRight, 15, param(0x0C, 0x0F, 0x0F), blanks(8) + "  0 CENTS"},
      {&TForm1::PITBTN, &TForm1::ScrollFX15, &TForm1::Effect15, EFF_ADJUST1, 0, Move::KeyEnd, 30, param(0x0C, 0x0F, 0x1E), blanks(8) + "+30 CENTS"},
      {&TForm1::WAHBTN, &TForm1::ScrollFX15, &TForm1::Effect15, EFF_ADJUST1, 0, Move::DragToEnd, 30, param(0x16, 0x0F, 0x1E), blanks(8) + "2595 HZ  "},
      {&TForm1::WAHBTN, &TForm1::ScrollFX15, &TForm1::Effect15, EFF_ADJUST1, 1, Move::KeyLeft, 0, param(0x16, 0x0F, 0x00), blanks(8) + " 310 HZ  "},
      {&TForm1::COMPBTN, &TForm1::ScrollFX15, &TForm1::Effect15, EFF_ADJUST1, 11, Move::KeyRight, 12, param(0x14, 0x0F, 0x0C), blanks(9) + "-12DB"},
      {&TForm1::COMPBTN, &TForm1::ScrollFX15, &TForm1::Effect15, EFF_ADJUST1, 1, Move::KeyLeft, 0, param(0x14, 0x0F, 0x00), blanks(9) + "-0DB"},
      {&TForm1::ROTBTN, &TForm1::ScrollFX15, &TForm1::Effect15, EFF_ADJUST1, 1, Move::KeyLeft, 0, param(0x18, 0x0F, 0x00), blanks(9) + " 0.00"},
      // EFFECT ADJUST 2: the code after the effect's own. Its box keeps lower case.
      {&TForm1::CRSBTN, &TForm1::ScrollFX16, &TForm1::Effect16, EFF_ADJUST2, 9, Move::KeyRight, 10, param(0x02, 0x10, 0x0A), blanks(9) + " 3.33"},
      {&TForm1::FLANBTN, &TForm1::ScrollFX16, &TForm1::Effect16, EFF_ADJUST2, 9, Move::ArrowClick, 10, param(0x06, 0x10, 0x0A), blanks(9) + " 3.33"},
      {&TForm1::PITBTN, &TForm1::ScrollFX16, &TForm1::Effect16, EFF_ADJUST2, 0, Move::KeyRight, 1, param(0x0E, 0x10, 0x01), blanks(9) + " 0.33"},
      {&TForm1::PHSBTN, &TForm1::ScrollFX16, &TForm1::Effect16, EFF_ADJUST2, 0, Move::KeyEnd, 30, param(0x1C, 0x10, 0x1E), blanks(9) + "10.00"},
      // Tremolo 2 hides the bar from the user; moved anyway, the code after 15 wraps to 0.
      {&TForm1::TREMBTN2, &TForm1::ScrollFX16, &TForm1::Effect16, EFF_ADJUST2, 4, Move::KeyRight, 5, param(0x00, 0x10, 0x05), blanks(9) + " 1.66"},
      // RATE: the effect code and bit 7 of the rate.
      {&TForm1::FLANBTN, &TForm1::ScrollRATE, &TForm1::Rate, EFF_RATE, 199, Move::KeyRight, 200, param(0x05, 0x0C, 0x48), blanks(12) + "200"},
      {&TForm1::TREMBTN, &TForm1::ScrollRATE, &TForm1::Rate, EFF_RATE, 127, Move::ArrowClick, 128, param(0x1D, 0x0C, 0x00), blanks(12) + "128"},
      {&TForm1::TREMBTN, &TForm1::ScrollRATE, &TForm1::Rate, EFF_RATE, 128, Move::KeyLeft, 127, param(0x1C, 0x0C, 0x7F), blanks(12) + "127"},
      {&TForm1::TREMBTN2, &TForm1::ScrollRATE, &TForm1::Rate, EFF_RATE, 3, Move::KeyEnd, 255, param(0x1F, 0x0C, 0x7F), blanks(12) + "255"},
      {&TForm1::PHSBTN, &TForm1::ScrollRATE, &TForm1::Rate, EFF_RATE, 0, Move::DragToEnd, 255, param(0x1B, 0x0C, 0x7F), blanks(12) + "255"},
      {&TForm1::CRSBTN, &TForm1::ScrollRATE, &TForm1::Rate, EFF_RATE, 0, Move::ArrowClick, 1, param(0x00, 0x0C, 0x01), blanks(12) + "1"},
      {&TForm1::ROTBTN, &TForm1::ScrollRATE, &TForm1::Rate, EFF_RATE, 0, Move::ArrowClick, 1, param(0x18, 0x0C, 0x01), blanks(6) + " FAST "},
      {&TForm1::ROTBTN, &TForm1::ScrollRATE, &TForm1::Rate, EFF_RATE, 1, Move::KeyLeft, 0, param(0x18, 0x0C, 0x00), blanks(6) + " SLOW "},
  };
  for (const EffectBarRow& row : rows) {
    QScrollBar* bar = form.get()->*row.bar;
    QLineEdit* box = form.get()->*row.box;
    SCOPED_TRACE((form.get()->*row.effect)->objectName().toStdString() + " " + bar->objectName().toStdString() +
                 " from " + std::to_string(row.from) + " by " + moveName(row.how));
    clickRadio(form.get()->*row.effect);
    expectMove(bar, box, row.parameter, row.from, row.how, row.to, row.wire, row.shown);
  }
}

struct QuietRow {
  const char* action;
  std::function<void()> act;
  int parameter;
  int stored;
  std::function<QString()> box;  // what the control's box shows; null for none
  QString shown;
};

TEST_F(LiveEditor, WhileSendingIsSuppressedEveryControlStillShowsAndStores) {
  state.SendSuppressed = true;
  TForm1& f = *form;
  const QuietRow rows[] = {
      {"GAIN Right", [&] { move(f.ScrollGAIN, Move::KeyRight); }, AMP_GAIN, 1, [&] { return f.GAINEDIT->text(); }, blanks(9) + " 0.33"},
      {"MID arrow", [&] { move(f.ScrollMID, Move::ArrowClick); }, AMP_MID, 1, [&] { return f.MIDEDIT->text(); }, blanks(10) + " 0.33"},
      {"DTIME End", [&] { move(f.ScrollDTIME, Move::KeyEnd); }, DELAY_TIME, 250, [&] { return f.DTIMEEDIT->text(); }, blanks(9) + "1000 ms"},
      {"GATE drag", [&] { move(f.ScrollGATE, Move::DragToEnd); }, GATE_THRES, 30, [&] { return f.GATEEDIT->text(); }, blanks(9) + "  0DB"},
      {"DPAN End", [&] { move(f.ScrollDPAN, Move::KeyEnd); }, DELAY_PAN, 31, [&] { return f.DPANEDIT->text(); }, blanks(7) + " RIGHT"},
      {"PVOL arrow", [&] { move(f.ScrollPVOL, Move::ArrowClick); }, AMP_MASTER, 1, [&] { return f.PVOLEDIT->text(); }, blanks(11) + " 0.33"},
      {"REV Right", [&] { move(f.ScrollREV, Move::KeyRight); }, REV_LEVEL, 1, [&] { return f.REVEDIT->text(); }, blanks(9) + " 0.33"},
      {"JAZZ panel", [&] { QTest::mouseClick(f.POLY, Qt::LeftButton); }, AMP_TYPE, 14, nullptr, {}},
      {"CHORUS", [&] { clickRadio(f.CRSBTN); }, EFFECT_SELECT, 0, [&] { return f.LABL16->text(); }, "LEVEL"},
      {"RATE End", [&] { move(f.ScrollRATE, Move::KeyEnd); }, EFF_RATE, 255, [&] { return f.Rate->text(); }, blanks(12) + "255"},
      {"ROTARY", [&] { clickRadio(f.ROTBTN); }, EFF_RATE, 1, [&] { return f.Rate->text(); }, blanks(6) + " FAST "},
      {"FX15 Right", [&] { move(f.ScrollFX15, Move::KeyRight); }, EFF_ADJUST1, 1, [&] { return f.Effect15->text(); }, blanks(9) + " 0.33"},
      {"DETUNE", [&] { clickRadio(f.PITBTN); }, EFFECT_SELECT, 6, [&] { return f.Effect15->text(); }, blanks(8) + "-28 CENTS"},
      {"FX16 Right", [&] { move(f.ScrollFX16, Move::KeyRight); }, EFF_ADJUST2, 1, [&] { return f.Effect16->text(); }, blanks(9) + " 0.33"},
  };
  for (const QuietRow& row : rows) {
    SCOPED_TRACE(row.action);
    row.act();
    EXPECT_TRUE(sent().empty());
    EXPECT_EQ(state.current().value(row.parameter), row.stored);
    if (row.box) {
      EXPECT_EQ(row.box(), row.shown);
    }
    EXPECT_TRUE(state.SendSuppressed);
  }
  EXPECT_EQ(state.current().value(EFFECT_SELECT), 6);
  EXPECT_TRUE(f.POLY->outerBevel() == Bevel::Raised);

  state.SendSuppressed = false;
  move(f.ScrollFX16, Move::KeyRight);
  EXPECT_EQ(hex(sent()), hex({param(0x0E, 0x10, 0x02)}));
}

}  // namespace
}  // namespace kestralux::test
