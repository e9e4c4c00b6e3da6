// The effect section: ten effect buttons, and three controls (EFFECT ADJUST 1, EFFECT
// ADJUST 2, RATE) whose captions, ranges, texts and visibility follow the chosen effect.

#include <QLabel>
#include <QLineEdit>
#include <QRadioButton>
#include <QScrollBar>

#include "app/Latin1.h"
#include "app/TForm1.h"
#include "editor/EditorTables.h"

namespace kestralux {

namespace {

void paintButton(QRadioButton* button, const QColor& colour) {
  QPalette p = button->palette();
  p.setColor(QPalette::Window, colour);
  p.setColor(QPalette::Button, colour);
  button->setPalette(p);
}

void setShown(std::initializer_list<QWidget*> widgets, bool shown) {
  for (QWidget* w : widgets) w->setVisible(shown);
}

const QColor kBlack(0, 0, 0);
const QColor kLime(0, 255, 0);

}  // namespace

void TForm1::PaintEffectButtonsBlack() {
  for (const EffectRow& row : kEffects) paintButton(effectButtonOf(row.code), kBlack);
}

void TForm1::SelectEffect(int code) {
  const EffectRow& effect = *findEffect(code);
  PaintEffectButtonsBlack();
  actions.setParameter(EFFECT_SELECT, code, false);

  // Narrowing the rate range pulls a higher position down to 1; the bar's change handler then
  // stores and sends that rate, already with the rotary's code in its context byte.
  ScrollRATE->setMaximum(rateMaximum(code));
  setBoxText(Rate, latin1(rateText(code, ScrollRATE->value())));
  setBoxText(Effect15, latin1(effect15Text(code, ScrollFX15->value())));

  paintButton(effectButtonOf(code), kLime);
  LABL15->setText(latin1(effect.adjust1Caption));
  if (effect.adjust2Caption) LABL16->setText(latin1(*effect.adjust2Caption));
  if (effect.rateShown) LABLRATE->setText(QStringLiteral("RATE"));
  // A control's caption, value box and scroll bar show and hide together.
  setShown({LABL15, Effect15, ScrollFX15}, effect.adjust1Shown);
  setShown({LABL16, Effect16, ScrollFX16}, effect.adjust2Shown);
  setShown({LABLRATE, Rate, ScrollRATE}, effect.rateShown);

  actions.sendEffectSelect(code);
}

void TForm1::SrollFX15() {
  const int p = ScrollFX15->value();
  setBoxText(Effect15, latin1(effect15Text(actions.shownPreset().value(EFFECT_SELECT), p)));
  actions.setParameter(EFF_ADJUST1, p);
}

void TForm1::ScrollFX16Change() {
  const int p = ScrollFX16->value();
  setBoxText(Effect16, latin1(effect16Text(p, TextSource::Handler)));
  actions.setParameter(EFF_ADJUST2, p);
}

void TForm1::ScrollRATEChange() {
  const int p = ScrollRATE->value();
  setBoxText(Rate, latin1(rateText(actions.shownPreset().value(EFFECT_SELECT), p)));
  actions.setParameter(EFF_RATE, p);
}

void TForm1::ShowEffectControls() {
  const PresetRecord& record = actions.shownPreset();
  ScrollFX15->setValue(record.value(EFF_ADJUST1));
  ScrollFX16->setValue(record.value(EFF_ADJUST2));
  ScrollRATE->setValue(record.value(EFF_RATE));
  const int effect = record.value(EFFECT_SELECT);
  setBoxText(Rate, latin1(rateText(effect, ScrollRATE->value())));
  setBoxText(Effect15, latin1(effect15Text(effect, ScrollFX15->value())));
  setBoxText(Effect16, latin1(effect16Text(ScrollFX16->value(), TextSource::ShowPreset)));
}

}  // namespace kestralux
