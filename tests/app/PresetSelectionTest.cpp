// Stepping through the bank with the arrows, naming the preset on screen, and showing a
// stored preset in the controls.

#include <QButtonGroup>
#include <QLineEdit>
#include <QRadioButton>
#include <QScrollBar>
#include <QTest>
#include <QToolButton>

#include "app/ClickablePanel.h"
#include "app/PresetNameValidator.h"
#include "app/UpDownArrows.h"
#include "tests/app/FormFixture.h"

namespace kestralux::test {
namespace {

void clickUp(TForm1& form, int times = 1) {
  for (int i = 0; i < times; ++i) QTest::mouseClick(form.PRESETUpDown->upArrow(), Qt::LeftButton);
}

void clickDown(TForm1& form, int times = 1) {
  for (int i = 0; i < times; ++i) QTest::mouseClick(form.PRESETUpDown->downArrow(), Qt::LeftButton);
}

// Types text as a keyboard would, letters outside ASCII included.
void typeText(QWidget* widget, const QString& text) {
  for (const QChar c : text) {
    if (c.unicode() < 0x80)
      QTest::keyClick(widget, c.toLatin1());
    else
      QTest::sendKeyEvent(QTest::Click, widget, Qt::Key_unknown, QString(c), Qt::NoModifier);
  }
}

std::string nameField(const PresetRecord& record) {
  return std::string(reinterpret_cast<const char*>(record.bytes.data()), kNameFieldSize);
}

struct StepRow {
  int ups, downs;
  int position;
  const char* shown;
};

TEST_F(FormTest, ArrowsStepThroughPresetsOneToThirtyWithoutWrapping) {
  const StepRow rows[] = {
      {1, 0, 1, "PRESET   2"},  {6, 0, 6, "PRESET   7"},   {29, 0, 29, "PRESET   30"},
      {35, 0, 29, "PRESET   30"}, {35, 1, 28, "PRESET   29"}, {0, 1, 0, "PRESET   1"},
      {3, 5, 0, "PRESET   1"},
  };
  for (const StepRow& row : rows) {
    SCOPED_TRACE(std::string(row.shown) + " after " + std::to_string(row.ups) + " up");
    EditorState fresh;
    RecordingOutput out;
    DeviceProtocol proto(fresh, out);
    EditSession edits(fresh);
    EditorActions acts(fresh, proto, edits);
    TForm1 window(acts);
    clickUp(window, row.ups);
    clickDown(window, row.downs);
    EXPECT_EQ(window.PRESETUpDown->position(), row.position);
    EXPECT_EQ(fresh.CurrentPreset, row.position);
    EXPECT_EQ(window.PRENUM->text(), row.shown);
    EXPECT_TRUE(fresh.PresetResendPending);
    EXPECT_FALSE(fresh.SendSuppressed);
    EXPECT_TRUE(out.messages.empty()) << "stepping sends nothing until the poll tick";
  }
}

TEST_F(FormTest, ArrowsShowTheSteppedPresetAndLeaveTheWholeSendToThePollTick) {
  state.bank[1].setValue(AMP_GAIN, 21);
  state.bank[1].setValue(AMP_TYPE, 14);
  state.bank[1].setValue(EFFECT_SELECT, 13);
  state.bank[1].storeName("CRUNCH");
  clickUp(*form);
  EXPECT_EQ(form->ScrollGAIN->value(), 21);
  EXPECT_EQ(form->POLY->outerBevel(), Bevel::Raised);
  EXPECT_TRUE(form->PHSBTN->isChecked());
  EXPECT_EQ(form->PRENAME->text(), "CRUNCH");
  EXPECT_TRUE(output.messages.empty());
  protocol.SendWholePreset();
  EXPECT_EQ(output.messages.size(), 16u);
}

TEST_F(FormTest, NoPresetHereIsDrawnNeverStoredAndTheFirstKeyReplacesIt) {
  clickUp(*form);  // preset 2: the box read "MY PRESET"
  EXPECT_EQ(form->PRENAME->text(), "");
  EXPECT_EQ(form->PRENAME->placeholderText(), "NO PRESET HERE");
  EXPECT_EQ(form->PRENAME->palette().color(QPalette::PlaceholderText), form->PRENAME->palette().color(QPalette::Text))
      << "drawn as a name is";
  EXPECT_EQ(state.bank[1].validName(), std::nullopt);
  EXPECT_EQ(form->PRENUM->text(), "PRESET   2") << "showing is no edit";
  // Record 1, all zero: clean model, chorus.
  EXPECT_EQ(form->CLN1->outerBevel(), Bevel::Raised);
  EXPECT_EQ(form->CLN1->colour(), QColor(255, 0, 0));
  EXPECT_TRUE(form->CRSBTN->isChecked());

  clickUp(*form);
  EXPECT_EQ(form->PRENAME->placeholderText(), "NO PRESET HERE");
  EXPECT_EQ(state.bank[2].validName(), std::nullopt);
  EXPECT_EQ(state.bank[0].validName(), std::nullopt) << "the start-up name lives only in the box";

  form->PRENAME->setFocus();
  QTest::keyClicks(form->PRENAME, "WARM");
  EXPECT_EQ(form->PRENAME->text(), "WARM") << "the placeholder is replaced whole";
  EXPECT_EQ(state.bank[2].validName(), std::optional<std::string>("WARM"));
}

struct TypingRow {
  const char* typed;
  const char* boxShows;
  std::optional<std::string> stored;
};

TEST_F(FormTest, TypedNamesAreStoredInCapitalsUpToNineteenCharacters) {
  const TypingRow rows[] = {
      {"lead", "LEAD", "LEAD"},
      {"ABCDEFGHIJKLMNOPQRS", "ABCDEFGHIJKLMNOPQRS", "ABCDEFGHIJKLMNOPQRS"},
      {"ABCDEFGHIJKLMNOPQRST", "ABCDEFGHIJKLMNOPQRST", "ABCDEFGHIJKLMNOPQRS"},
      {"ABCDEFGHIJKLMNOPQRSTUVW", "ABCDEFGHIJKLMNOPQRST", "ABCDEFGHIJKLMNOPQRS"},
      {"caf\u00e9", "CAF\u00c9", "CAF\xc9"},
      {"A\u03a9B", "AB", "AB"},
      {"x\u20acy", "XY", "XY"},
  };
  for (const TypingRow& row : rows) {
    SCOPED_TRACE(row.typed);
    EditorState fresh;
    RecordingOutput out;
    DeviceProtocol proto(fresh, out);
    EditSession edits(fresh);
    EditorActions acts(fresh, proto, edits);
    TForm1 window(acts);
    window.PRENAME->clear();
    typeText(window.PRENAME, QString::fromUtf8(row.typed));
    EXPECT_EQ(window.PRENAME->text(), QString::fromUtf8(row.boxShows));
    EXPECT_EQ(fresh.bank[0].validName(), row.stored);
    EXPECT_TRUE(out.messages.empty());
  }
}

TEST_F(FormTest, ClearingTheNameKeepsTheLastOneCharacterName) {
  form->PRENAME->clear();
  QTest::keyClicks(form->PRENAME, "tone");
  form->PRENAME->end(false);
  for (int i = 0; i < 4; ++i) QTest::keyClick(form->PRENAME, Qt::Key_Backspace);
  EXPECT_TRUE(form->PRENAME->text().isEmpty());
  EXPECT_EQ(state.bank[0].validName(), std::optional<std::string>("T"));
}

TEST_F(FormTest, ANameIsWrittenIntoThePresetOnScreen) {
  clickUp(*form, 4);
  form->PRENAME->selectAll();
  QTest::keyClicks(form->PRENAME, "solo");
  EXPECT_EQ(state.bank[4].validName(), std::optional<std::string>("SOLO"));
  EXPECT_EQ(state.bank[0].validName(), std::nullopt);
}

TEST_F(FormTest, AShorterNameLeavesTheOldBytesBehindItsTerminator) {
  state.bank[0].storeName("ABCDEF");
  form->PRENAME->setText("X");
  form->PRENAME->setText("XY");
  EXPECT_EQ(nameField(state.bank[0]).substr(0, 7), std::string("XY\0DEF\0", 7));
}

struct AmpRow {
  int ampType;
  const char* raised;  // nullptr: none
};

TEST_F(FormTest, ShowPresetRaisesThePanelOfTheAmpModel) {
  const AmpRow rows[] = {
      {0, "CLN1"},  {1, "BRITCLSA"}, {2, "BRITBLU"}, {5, "HIGAIN"},  {9, "FUZ"},
      {10, "SEVENTY"}, {11, "TEX"},  {13, "TWED"},   {14, "POLY"},   {15, "CLN2"},
      {16, nullptr}, {-1, nullptr},  {1000, nullptr},
  };
  for (const AmpRow& row : rows) {
    SCOPED_TRACE(row.ampType);
    state.current().setValue(AMP_TYPE, 3);
    form->ShowPreset();  // another panel raised before
    state.current().setValue(AMP_TYPE, row.ampType);
    form->ShowPreset();
    int raised = 0;
    for (ClickablePanel* panel : {form->CLN1, form->BRITCLSA, form->BRITBLU, form->BRITCLAS, form->BRITHI,
                                  form->HIGAIN, form->MEGA, form->THRAS, form->GRUNG, form->FUZ, form->SEVENTY,
                                  form->TEX, form->BLUE, form->TWED, form->POLY, form->CLN2}) {
      const bool selected = row.raised && panel->objectName() == row.raised;
      EXPECT_EQ(panel->outerBevel(), selected ? Bevel::Raised : Bevel::Lowered) << panel->objectName().toStdString();
      EXPECT_EQ(panel->colour(), selected ? QColor(255, 0, 0) : QColor(128, 0, 128));
      raised += panel->outerBevel() == Bevel::Raised;
    }
    EXPECT_EQ(raised, row.raised ? 1 : 0);
    EXPECT_EQ(state.current().value(AMP_TYPE), row.ampType) << "the record keeps the value";
  }
}

struct EffectRow {
  int effect;
  const char* checked;  // nullptr: none
};

TEST_F(FormTest, ShowPresetChecksTheButtonOfTheEffect) {
  const EffectRow rows[] = {
      {0, "CRSBTN"},  {2, "FLANBTN"}, {6, "PITBTN"},  {8, "BYPASSBTN"}, {10, "COMPBTN"},
      {11, "WAHBTN"}, {12, "ROTBTN"}, {13, "PHSBTN"}, {14, "TREMBTN"},  {15, "TREMBTN2"},
      {1, nullptr},   {7, nullptr},   {16, nullptr},  {-3, nullptr},
  };
  for (const EffectRow& row : rows) {
    SCOPED_TRACE(row.effect);
    state.current().setValue(EFFECT_SELECT, 14);
    form->ShowPreset();
    state.current().setValue(EFFECT_SELECT, row.effect);
    form->ShowPreset();
    for (QAbstractButton* button : form->effectButtons->buttons()) {
      EXPECT_EQ(button->isChecked(), row.checked && button->objectName() == row.checked)
          << button->objectName().toStdString();
      // The effect's own button is painted lime by its click handler; the rest go black.
      const bool selected = row.checked && button->objectName() == row.checked;
      EXPECT_EQ(button->palette().color(button->backgroundRole()),
                selected ? QColor(0, 255, 0) : QColor(0, 0, 0));
    }
  }
}

struct RangeRow {
  int effect;
  int storedRate;
  int rateMaximum;
  int ratePosition;
};

TEST_F(FormTest, ShowPresetSetsTheRateRangeAndClampsPositions) {
  const RangeRow rows[] = {
      {12, 0, 1, 0}, {12, 1, 1, 1}, {12, 200, 1, 1}, {0, 200, 255, 200}, {0, 300, 255, 255}, {13, -5, 255, 0},
  };
  for (const RangeRow& row : rows) {
    SCOPED_TRACE(std::to_string(row.effect) + "/" + std::to_string(row.storedRate));
    form->ScrollRATE->setMaximum(255);
    form->ScrollRATE->setValue(200);
    state.current().setValue(EFFECT_SELECT, row.effect);
    state.current().setValue(EFF_RATE, row.storedRate);
    form->ShowPreset();
    EXPECT_EQ(form->ScrollRATE->maximum(), row.rateMaximum);
    EXPECT_EQ(form->ScrollRATE->value(), row.ratePosition);
  }
}

TEST_F(FormTest, NarrowingTheRateRangeRunsNoRateChangeBeforeThePositionIsSet) {
  QList<int> seen;
  QObject::connect(form->ScrollRATE, &QScrollBar::valueChanged, [&](int v) { seen << v; });
  form->ScrollRATE->setValue(200);
  seen.clear();
  state.current().setValue(EFFECT_SELECT, 12);
  state.current().setValue(EFF_RATE, 0);
  form->ShowPreset();
  EXPECT_EQ(seen, QList<int>{0});
  EXPECT_EQ(state.current().value(EFF_RATE), 0);
}

TEST_F(FormTest, ShowPresetSetsEveryBarInOrderFromItsSlot) {
  const std::pair<QScrollBar*, int> bars[] = {
      {form->ScrollGAIN, AMP_GAIN},    {form->ScrollBASS, AMP_BASS},   {form->ScrollMID, AMP_MID},
      {form->ScrollTREB, AMP_TREBLE},  {form->ScrollDTIME, DELAY_TIME}, {form->ScrollDPAN, DELAY_PAN},
      {form->ScrollDREG, DELAY_REGEN}, {form->ScrollDLVL, DELAY_LEVEL}, {form->ScrollREV, REV_LEVEL},
      {form->ScrollPVOL, AMP_MASTER},  {form->ScrollGATE, GATE_THRES},  {form->ScrollFX15, EFF_ADJUST1},
      {form->ScrollFX16, EFF_ADJUST2}, {form->ScrollRATE, EFF_RATE},
  };
  QStringList order;
  int value = 1;
  for (const auto& [bar, parameter] : bars) {
    state.current().setValue(parameter, value++);
    QObject::connect(bar, &QScrollBar::valueChanged, [&order, bar = bar] { order << bar->objectName(); });
  }
  state.current().setValue(AMP_GAIN, 99);  // outside 0..30: clamped by the bar
  state.BankRefreshPending = true;
  form->ShowPreset();

  EXPECT_FALSE(state.BankRefreshPending);
  EXPECT_EQ(form->ScrollGAIN->value(), 30);
  EXPECT_EQ(form->ScrollBASS->value(), 2);
  EXPECT_EQ(form->ScrollRATE->value(), 14);
  EXPECT_EQ(order, (QStringList{"ScrollGAIN", "ScrollBASS", "ScrollMID", "ScrollTREB", "ScrollDTIME",
                                "ScrollDPAN", "ScrollDREG", "ScrollDLVL", "ScrollREV", "ScrollPVOL",
                                "ScrollGATE", "ScrollFX15", "ScrollFX16", "ScrollRATE"}));

  // Showing the same preset again moves nothing, so no change runs.
  order.clear();
  form->ShowPreset();
  EXPECT_TRUE(order.isEmpty());
}

TEST_F(FormTest, ShowPresetPutsTheStoredNameInCapitalsTheRecordCanHold) {
  struct Row { const char* stored; const char* shown; const char* keptAfterEdit; };
  const Row rows[] = {
      {"clean tone", "CLEAN TONE", "CLEAN TONE"},
      // y-diaeresis and the micro sign have no one-byte capital: they stay, never a '?'.
      {"\xff\xb5 amp", "\u00ff\u00b5 AMP", "\xff\xb5 AMP"},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.shown);
    state.current().storeName(row.stored);
    form->ShowPreset();
    EXPECT_EQ(form->PRENAME->text(), QString::fromUtf8(row.shown));
    form->CHANGE_PRESET_NAME();
    EXPECT_EQ(state.current().validName(), std::optional<std::string>(row.keptAfterEdit));
  }
}

struct ValidatorRow {
  const char* input;
  QValidator::State state;
  const char* result;
};

TEST(PresetNameValidator, AcceptsLatinOneInCapitalsAndRefusesTheRest) {
  const ValidatorRow rows[] = {
      {"abc", QValidator::Acceptable, "ABC"},
      {"\u00e0\u00e9\u00ee", QValidator::Acceptable, "\u00c0\u00c9\u00ce"},
      {"A\u03a9", QValidator::Invalid, nullptr},
      {"\u00ff\u00b5", QValidator::Acceptable, "\u00ff\u00b5"},  // no one-byte capital: kept
      {"TAB\tX", QValidator::Invalid, nullptr},
      {"ABCDEFGHIJKLMNOPQRST", QValidator::Acceptable, "ABCDEFGHIJKLMNOPQRST"},
      {"ABCDEFGHIJKLMNOPQRS\u00df", QValidator::Acceptable, "ABCDEFGHIJKLMNOPQRS\u00df"},  // one letter
      {"", QValidator::Acceptable, ""},
  };
  PresetNameValidator validator(20);
  for (const ValidatorRow& row : rows) {
    SCOPED_TRACE(row.input);
    QString text = QString::fromUtf8(row.input);
    int position = static_cast<int>(text.size());
    EXPECT_EQ(validator.validate(text, position), row.state);
    if (row.result) {
      EXPECT_EQ(text, QString::fromUtf8(row.result));
      EXPECT_EQ(position, text.size());
    }
  }
}

}  // namespace
}  // namespace kestralux::test
