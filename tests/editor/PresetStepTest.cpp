// Stepping to another preset: the window shows it at once and sends nothing; the next poll
// tick of the setup window sends it whole, in sixteen messages with the whole-preset context
// bytes, then one pause.

#include <QButtonGroup>
#include <QLabel>
#include <QLineEdit>
#include <QRadioButton>
#include <QScrollBar>

#include "tests/editor/LiveEditor.h"

namespace kestralux::test {
namespace {

// Tremolo 2 with a long delay, a fast rate and the gate wide open.
void fillTremoloPreset(PresetRecord& r) {
  const int values[kParameterCount] = {11, 20, 25, 12, 15, 18, 7, 9, 4, 22, 250, 200, 30, 15, 21, 10};
  for (int i = 0; i < kParameterCount; ++i) r.setValue(i, values[i]);
}

const Messages kTremoloBurst = {
    param(0x00, 0x01, 0x0B), param(0x00, 0x02, 0x14), param(0x00, 0x03, 0x19), param(0x00, 0x04, 0x0C),
    param(0x00, 0x05, 0x0F), param(0x00, 0x06, 0x12), param(0x00, 0x07, 0x07), param(0x00, 0x08, 0x09),
    param(0x00, 0x09, 0x04), param(0x00, 0x0A, 0x16),
    param(0x1F, 0x0B, 0x7A),  // delay time 250: the effect and bit 7, not the live edit's 01
    param(0x1F, 0x0C, 0x48),  // rate 200
    param(0x00, 0x0D, 0x1E),  // gate: 0, not the live edit's 9
    param(0x00, 0x0E, 0x0F),
    param(0x1E, 0x0F, 0x15),
    param(0x1E, 0x10, 0x0A),  // adjust 2: the effect's own code, not the next one
};

// Flanger, mostly at rest.
void fillFlangerPreset(PresetRecord& r) {
  const int values[kParameterCount] = {3, 5, 0, 0, 0, 0, 0, 0, 0, 0, 130, 0, 0, 2, 0, 3};
  for (int i = 0; i < kParameterCount; ++i) r.setValue(i, values[i]);
}

const Messages kFlangerBurst = {
    param(0x00, 0x01, 0x03), param(0x00, 0x02, 0x05), param(0x00, 0x03, 0x00), param(0x00, 0x04, 0x00),
    param(0x00, 0x05, 0x00), param(0x00, 0x06, 0x00), param(0x00, 0x07, 0x00), param(0x00, 0x08, 0x00),
    param(0x00, 0x09, 0x00), param(0x00, 0x0A, 0x00), param(0x05, 0x0B, 0x02), param(0x04, 0x0C, 0x00),
    param(0x00, 0x0D, 0x00), param(0x00, 0x0E, 0x02), param(0x04, 0x0F, 0x00), param(0x04, 0x10, 0x03),
};

TEST_F(LiveEditor, AStepSendsNothingAtOnceAndTheNextTickSendsThePresetWhole) {
  fillTremoloPreset(state.bank[1]);
  state.reference = state.bank;  // as the bank started: not edited

  stepUp();
  EXPECT_TRUE(sent().empty());
  EXPECT_TRUE(state.PresetResendPending);
  EXPECT_EQ(form->PRENUM->text(), "PRESET   2");

  tick();
  EXPECT_EQ(hex(sent()), hex(kTremoloBurst));
  EXPECT_EQ(pauses, 1) << "one pause after the burst, none between its messages";
  EXPECT_FALSE(state.PresetResendPending);

  forget();
  tick();
  EXPECT_TRUE(sent().empty()) << "a burst is sent once";
}

struct StepsRow {
  int ups, downs;
  const Messages* burst;
};

TEST_F(LiveEditor, StepsBetweenTwoTicksGiveOneBurstOfThePresetShownLast) {
  fillTremoloPreset(state.bank[1]);
  fillFlangerPreset(state.bank[2]);
  const StepsRow rows[] = {{2, 0, &kFlangerBurst}, {2, 1, &kTremoloBurst}, {3, 2, &kTremoloBurst}, {1, 0, &kTremoloBurst}};
  for (const StepsRow& row : rows) {
    SCOPED_TRACE(std::to_string(row.ups) + " up, " + std::to_string(row.downs) + " down");
    stepDown(30);
    tick();
    forget();

    stepUp(row.ups);
    stepDown(row.downs);
    EXPECT_TRUE(sent().empty());
    tick();
    EXPECT_EQ(hex(sent()), hex(*row.burst));
    EXPECT_EQ(pauses, 1);
  }
}

TEST_F(LiveEditor, AfterTheBurstEditsUseTheLiveContextBytes) {
  fillTremoloPreset(state.bank[1]);
  stepUp();
  tick();
  forget();

  move(form->ScrollDTIME, Move::KeyLeft);
  move(form->ScrollGATE, Move::KeyLeft);
  move(form->ScrollFX15, Move::KeyRight);

  EXPECT_EQ(hex(sent()), hex({param(0x01, 0x0B, 0x79), param(0x09, 0x0D, 0x1D), param(0x1E, 0x0F, 0x16)}));
  EXPECT_EQ(state.bank[1].value(DELAY_TIME), 249);
  EXPECT_EQ(state.bank[1].value(GATE_THRES), 29);
  EXPECT_EQ(state.bank[1].value(EFF_ADJUST1), 22);
}

struct ShownTextRow {
  QLineEdit* TForm1::*box;
  QString shown;
};

TEST_F(LiveEditor, AStepShowsEveryValueWithTheBlanksOfAShownPreset) {
  fillTremoloPreset(state.bank[1]);
  state.bank[1].setValue(DELAY_PAN, 15);
  state.bank[1].setValue(AMP_MASTER, 15);
  state.bank[1].setValue(REV_LEVEL, 0);
  stepUp();
  const ShownTextRow rows[] = {
      {&TForm1::GAINEDIT, blanks(9) + " 6.66"}, {&TForm1::BASSEDIT, blanks(9) + " 4.00"},
      {&TForm1::MIDEDIT, blanks(9) + " 5.00"},  // a move of the bar shows ten
      {&TForm1::TREBEDIT, blanks(9) + " 6.00"}, {&TForm1::PVOLEDIT, blanks(11) + " 5.00"},
      {&TForm1::REVEDIT, blanks(9) + " OFF "},  // the bar did not move, the box is written anyway
      {&TForm1::DLVLEDIT, blanks(9) + " 3.00"}, {&TForm1::DREGEDIT, blanks(9) + " 1.33"},
      {&TForm1::DPANEDIT, blanks(7) + "CENTER"}, {&TForm1::DTIMEEDIT, blanks(9) + "1000 ms"},
      {&TForm1::GATEEDIT, blanks(9) + "  0DB"},  {&TForm1::Effect15, blanks(9) + " 7.00"},
      {&TForm1::Effect16, blanks(8) + " 3.33"},  // a move of the bar shows nine
      {&TForm1::Rate, blanks(12) + "200"},
  };
  for (const ShownTextRow& row : rows) {
    QLineEdit* box = form.get()->*row.box;
    EXPECT_EQ(box->text(), row.shown) << box->objectName().toStdString();
  }
  EXPECT_TRUE(sent().empty());

  move(form->ScrollMID, Move::KeyRight);
  move(form->ScrollFX16, Move::KeyRight);  // hidden with tremolo 2, moved all the same
  EXPECT_EQ(form->MIDEDIT->text(), blanks(10) + " 5.33");
  EXPECT_EQ(form->Effect16->text(), blanks(9) + " 3.66");
}

TEST_F(LiveEditor, ARotaryPresetAtSlowAfterAFastRateShowsSlowAndKeepsIt) {
  clickRadio(form->CRSBTN);
  prepare(form->ScrollRATE, 200);
  state.bank[1].setValue(EFFECT_SELECT, 12);
  state.bank[1].setValue(EFF_RATE, 0);

  stepUp();

  EXPECT_TRUE(sent().empty());
  EXPECT_EQ(form->Rate->text(), blanks(6) + " SLOW ");
  EXPECT_EQ(form->ScrollRATE->maximum(), 1);
  EXPECT_EQ(form->ScrollRATE->value(), 0);
  EXPECT_EQ(state.bank[1].value(EFF_RATE), 0);
  EXPECT_EQ(state.bank[0].value(EFF_RATE), 200) << "the preset left behind keeps its rate";
  EXPECT_TRUE(form->ROTBTN->isChecked());

  tick();
  ASSERT_EQ(sent().size(), 16u);
  EXPECT_EQ(hex({sent()[11]}), hex({param(0x18, 0x0C, 0x00)}));
  EXPECT_EQ(hex({sent()[13]}), hex({param(0x00, 0x0E, 0x0C)}));
}

struct ClampRow {
  QScrollBar* TForm1::*bar;
  QLineEdit* TForm1::*box;
  int parameter;
  int before;  // where the bar stood, from the preset shown before
  int stored;
  int position;
  int storedAfter;
  QString shown;
  std::uint8_t burstContext, burstValue;
};

TEST_F(LiveEditor, OutOfRangeValuesShowClampedAndAreStoredBackOnlyWhenTheBarMoves) {
  const ClampRow rows[] = {
      {&TForm1::ScrollGAIN, &TForm1::GAINEDIT, AMP_GAIN, 0, 99, 30, 30, blanks(9) + "10.00", 0x00, 0x1E},
      // The bar stands at 30 already: nothing runs, the record keeps 99, sent in 7 bits.
      {&TForm1::ScrollGAIN, &TForm1::GAINEDIT, AMP_GAIN, 30, 99, 30, 99, blanks(9) + "10.00", 0x00, 0x63},
      {&TForm1::ScrollDPAN, &TForm1::DPANEDIT, DELAY_PAN, 5, -4, 0, 0, blanks(7) + "LEFT  ", 0x00, 0x00},
      {&TForm1::ScrollDPAN, &TForm1::DPANEDIT, DELAY_PAN, 0, -4, 0, -4, blanks(7) + "LEFT  ", 0x00, 0x7C},
      {&TForm1::ScrollDTIME, &TForm1::DTIMEEDIT, DELAY_TIME, 0, 300, 250, 250, blanks(9) + "1000 ms", 0x01, 0x7A},
      {&TForm1::ScrollGATE, &TForm1::GATEEDIT, GATE_THRES, 30, 200, 30, 200, blanks(9) + "  0DB", 0x00, 0x48},
      {&TForm1::ScrollFX16, &TForm1::Effect16, EFF_ADJUST2, 0, 31, 30, 30, blanks(8) + "10.00", 0x00, 0x1E},
  };
  for (const ClampRow& row : rows) {
    QScrollBar* bar = form.get()->*row.bar;
    SCOPED_TRACE(bar->objectName().toStdString() + " at " + std::to_string(row.before) + ", stored " +
                 std::to_string(row.stored));
    state.bank = {};
    state.bank[0].setValue(row.parameter, row.before);
    state.bank[1].setValue(row.parameter, row.stored);
    stepDown();
    ASSERT_EQ(bar->value(), row.before);
    forget();

    stepUp();

    EXPECT_EQ(bar->value(), row.position);
    EXPECT_EQ(state.bank[1].value(row.parameter), row.storedAfter);
    EXPECT_EQ((form.get()->*row.box)->text(), row.shown);
    EXPECT_TRUE(sent().empty());
    tick();
    ASSERT_EQ(sent().size(), 16u);
    EXPECT_EQ(hex({sent()[static_cast<std::size_t>(row.parameter)]}),
              hex({param(row.burstContext, static_cast<std::uint8_t>(codeOfParameter(row.parameter)), row.burstValue)}));
  }
}

TEST_F(LiveEditor, APresetWithAnEffectWithoutAButtonLeavesTheEffectControlsAsTheyWere) {
  clickRadio(form->FLANBTN);
  forget();
  state.bank[1].setValue(EFFECT_SELECT, 3);
  state.bank[1].setValue(EFF_ADJUST1, 7);
  state.bank[1].setValue(EFF_RATE, 40);

  stepUp();

  EXPECT_TRUE(sent().empty());
  EXPECT_EQ(state.bank[1].value(EFFECT_SELECT), 3);
  for (QAbstractButton* button : form->effectButtons->buttons()) {
    EXPECT_FALSE(button->isChecked()) << button->objectName().toStdString();
    EXPECT_EQ(button->palette().color(button->backgroundRole()), QColor(0, 0, 0)) << button->objectName().toStdString();
  }
  EXPECT_EQ(form->LABL15->text(), "DEPTH");
  EXPECT_EQ(form->LABL16->text(), "REGEN");
  for (QWidget* w : {static_cast<QWidget*>(form->ScrollFX15), static_cast<QWidget*>(form->ScrollFX16),
                     static_cast<QWidget*>(form->ScrollRATE), static_cast<QWidget*>(form->Effect16),
                     static_cast<QWidget*>(form->LABLRATE)})
    EXPECT_TRUE(w->isVisible()) << w->objectName().toStdString();
  EXPECT_EQ(form->ScrollRATE->maximum(), 255);
  EXPECT_EQ(form->ScrollRATE->value(), 40);
  EXPECT_EQ(form->Effect15->text(), blanks(9) + " 2.33");

  tick();
  ASSERT_EQ(sent().size(), 16u);
  EXPECT_EQ(hex({sent()[13], sent()[14]}), hex({param(0x00, 0x0E, 0x03), param(0x06, 0x0F, 0x07)}));
}

}  // namespace
}  // namespace kestralux::test
