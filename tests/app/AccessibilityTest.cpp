// The windows as a screen reader and a keyboard user meet them, through Qt's accessibility
// interfaces and real keys: names, values that follow, Tab in reading order, keys that pick,
// a typed value, and the focus ring only after a key.

#include <QAccessible>
#include <QApplication>
#include <QComboBox>
#include <QImage>
#include <QLabel>
#include <QListWidget>
#include <QMenu>
#include <QMenuBar>
#include <QScrollArea>
#include <QSet>
#include <QTest>

#include "app/Accessibility.h"
#include "app/ExploreWindow.h"
#include "app/BankWindow.h"
#include "app/ClickablePanel.h"
#include "editor/EditorTables.h"
#include "editor/ValueEntry.h"
#include "tests/editor/LiveEditor.h"

namespace kestralux::test {
namespace {

struct ControlRow {
  const char* window;  // "main", "bank", "setup"
  const char* control;
  const char* name;    // what a screen reader says for it
  QAccessible::Role role;
};

// Every control of the three windows, in reading order within each window. The main window
// shows chorus, so its effect controls are named DEPTH, LEVEL and RATE.
const ControlRow kControls[] = {
    {"main", "ScrollGAIN", "GAIN", QAccessible::ScrollBar},
    {"main", "ScrollBASS", "BASS", QAccessible::ScrollBar},
    {"main", "ScrollMID", "MID", QAccessible::ScrollBar},
    {"main", "ScrollTREB", "TREBLE", QAccessible::ScrollBar},
    {"main", "ScrollDLVL", "DELAY LEVEL", QAccessible::ScrollBar},
    {"main", "ScrollDREG", "DELAY REGEN", QAccessible::ScrollBar},
    {"main", "ScrollDPAN", "DELAY PAN", QAccessible::ScrollBar},
    {"main", "ScrollDTIME", "DELAY TIME", QAccessible::ScrollBar},
    {"main", "ScrollREV", "REVERB LEVEL", QAccessible::ScrollBar},
    {"main", "ScrollGATE", "GATE", QAccessible::ScrollBar},
    {"main", "ScrollPVOL", "PRESET VOLUME", QAccessible::ScrollBar},
    {"main", "ScrollFX15", "DEPTH", QAccessible::ScrollBar},
    {"main", "ScrollFX16", "LEVEL", QAccessible::ScrollBar},
    {"main", "ScrollRATE", "RATE", QAccessible::ScrollBar},
    {"main", "PRESETUpDown", "PRESET", QAccessible::Client},
    {"main", "up", "NEXT PRESET", QAccessible::Button},
    {"main", "down", "PREVIOUS PRESET", QAccessible::Button},
    {"main", "PRENUM", "PRESET NUMBER", QAccessible::EditableText},
    {"main", "PRENAME", "PRESET NAME", QAccessible::EditableText},
    {"main", "STOR", "Store All Presets to Kestralux", QAccessible::Button},
    {"main", "REQUES", "Get All Presets from Kestralux", QAccessible::Button},
    {"main", "PRESET_STR", "Store Single Preset to Hard Drive", QAccessible::Button},
    {"main", "Load_preset", "Load Single Preset from Hard Drive", QAccessible::Button},
    {"main", "STR_ALL", "Store All Presets to Hard Drive", QAccessible::Button},
    {"main", "Load_all", "Load All Presets From Hard Drive", QAccessible::Button},
    {"main", "CLN1", "CLEAN 1", QAccessible::RadioButton},
    {"main", "BRITCLSA", "BRIT CLASS A", QAccessible::RadioButton},
    {"main", "HIGAIN", "HI GAIN", QAccessible::RadioButton},
    {"main", "TEX", "TEXAS", QAccessible::RadioButton},
    {"main", "CLN2", "CLEAN 2", QAccessible::RadioButton},
    {"main", "BRITBLU", "BRIT BLUES", QAccessible::RadioButton},
    {"main", "MEGA", "MEGA GAIN", QAccessible::RadioButton},
    {"main", "BLUE", "BLUES", QAccessible::RadioButton},
    {"main", "TWED", "TWEED", QAccessible::RadioButton},
    {"main", "BRITCLAS", "BRIT CLASSIC", QAccessible::RadioButton},
    {"main", "THRAS", "THRASH", QAccessible::RadioButton},
    {"main", "SEVENTY", "70'S", QAccessible::RadioButton},
    {"main", "POLY", "JAZZ", QAccessible::RadioButton},
    {"main", "BRITHI", "BRIT HI GAIN", QAccessible::RadioButton},
    {"main", "GRUNG", "GRUNGE", QAccessible::RadioButton},
    {"main", "FUZ", "FUZZ", QAccessible::RadioButton},
    {"main", "Panel1", "EFFECT SELECT", QAccessible::Grouping},
    {"main", "BYPASSBTN", "BYPASS", QAccessible::RadioButton},
    {"main", "COMPBTN", "COMPRESSOR", QAccessible::RadioButton},
    {"main", "TREMBTN", "TREMOLO 1", QAccessible::RadioButton},
    {"main", "TREMBTN2", "TREMOLO 2", QAccessible::RadioButton},
    {"main", "WAHBTN", "WAH", QAccessible::RadioButton},
    {"main", "CRSBTN", "CHORUS", QAccessible::RadioButton},
    {"main", "FLANBTN", "FLANGER", QAccessible::RadioButton},
    {"main", "PHSBTN", "PHASER", QAccessible::RadioButton},
    {"main", "PITBTN", "DETUNE", QAccessible::RadioButton},
    {"main", "ROTBTN", "ROTARY", QAccessible::RadioButton},
    {"main", "GAINEDIT", "GAIN VALUE", QAccessible::EditableText},
    {"main", "BASSEDIT", "BASS VALUE", QAccessible::EditableText},
    {"main", "MIDEDIT", "MID VALUE", QAccessible::EditableText},
    {"main", "TREBEDIT", "TREBLE VALUE", QAccessible::EditableText},
    {"main", "DLVLEDIT", "DELAY LEVEL VALUE", QAccessible::EditableText},
    {"main", "DREGEDIT", "DELAY REGEN VALUE", QAccessible::EditableText},
    {"main", "DPANEDIT", "DELAY PAN VALUE", QAccessible::EditableText},
    {"main", "DTIMEEDIT", "DELAY TIME VALUE", QAccessible::EditableText},
    {"main", "REVEDIT", "REVERB LEVEL VALUE", QAccessible::EditableText},
    {"main", "GATEEDIT", "GATE VALUE", QAccessible::EditableText},
    {"main", "PVOLEDIT", "PRESET VOLUME VALUE", QAccessible::EditableText},
    {"main", "Effect15", "EFFECT ADJUST 1 VALUE", QAccessible::EditableText},
    {"main", "Effect16", "EFFECT ADJUST 2 VALUE", QAccessible::EditableText},
    {"main", "Rate", "RATE VALUE", QAccessible::EditableText},
    {"main", "STORE_SELECT", "ALL", QAccessible::Button},
    {"main", "Button1", "PROCESS PRESETS", QAccessible::Button},
    {"bank", "slotList", "SLOTS", QAccessible::Tree},
    {"bank", "librarySearch", "SEARCH NAMES", QAccessible::EditableText},
    {"bank", "libraryResults", "LIBRARY", QAccessible::Tree},
    {"bank", "libraryFavourites", "FAVOURITES ONLY", QAccessible::CheckBox},
    // A list box reads by its name, not by what it shows.
    {"bank", "libraryAmp", "AMP MODEL", QAccessible::ComboBox},
    {"bank", "libraryEffect", "EFFECT", QAccessible::ComboBox},
    {"explore", "morphTarget", "MORPH TOWARD", QAccessible::ComboBox},
    {"bank", "libraryTagFilter", "TAG", QAccessible::EditableText},
    {"bank", "libraryWhere", "CONDITIONS", QAccessible::EditableText},
    {"bank", "libraryTags", "TAGS OF THE SOUND", QAccessible::EditableText},
    {"bank", "libraryCategory", "CATEGORY", QAccessible::ComboBox},
    {"bank", "libraryHideClose", "HIDE CLOSE SOUNDS", QAccessible::CheckBox},
    {"bank", "libraryClear", "CLEAR FILTERS", QAccessible::Button},
    {"bank", "libraryShare", "SHARE", QAccessible::Button},
    {"setup", "MIDI_IN_SEL", "MIDI INPUT", QAccessible::List},
    {"setup", "MIDI_OUT_SEL", "MIDI OUTPUT", QAccessible::List},
    {"setup", "MIDI_DONE", "OK?", QAccessible::Button},
    {"setup", "FIND_COMBO", "FIND COMBO", QAccessible::Button},
};

// The preset on screen drawn, nothing sent for it.
void showQuietly(TForm1& window) {
  const EditorActions::Drawing drawing(window.actions);
  window.ShowPreset();
}

class AccessibilityTest : public LiveEditor {
 protected:
  void SetUp() override {
    LiveEditor::SetUp();
    showQuietly(*form);
    bank = std::make_unique<BankWindow>(actions, nullptr, form.get());
    explore = std::make_unique<ExploreWindow>(actions, form.get());
    accessibility = new Accessibility(*form, *form, actions);
    accessibility->attachBankWindow(*bank);
    accessibility->attachSetupWindow(*setup);
    form->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(form.get()));
    forget();
  }
  void TearDown() override {
    explore.reset();
    bank.reset();
    LiveEditor::TearDown();
  }

  QWidget* windowOf(const char* name) {
    const std::string_view w = name;
    if (w == "explore") return explore.get();
    return w == "main" ? static_cast<QWidget*>(form.get()) : w == "bank" ? static_cast<QWidget*>(bank.get()) : setup.get();
  }
  QWidget* control(const ControlRow& row) { return windowOf(row.window)->findChild<QWidget*>(QLatin1String(row.control)); }
  static QAccessibleInterface* of(QObject* o) { return QAccessible::queryAccessibleInterface(o); }
  static const QLineEdit* labelledBox(const QScrollBar* bar) {
    return qobject_cast<QLineEdit*>(bar->property(kValueBoxProperty).value<QObject*>());
  }
  static void settle() {
    QApplication::processEvents();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
  }

  std::unique_ptr<BankWindow> bank;
  std::unique_ptr<ExploreWindow> explore;
  Accessibility* accessibility = nullptr;
};

// What a user operates, as opposed to labels, frames and the parts inside a list or a box.
bool isControl(QWidget* w) {
  for (QWidget* p = w->parentWidget(); p; p = p->parentWidget())
    if (qobject_cast<QAbstractItemView*>(p) || qobject_cast<QComboBox*>(p) || qobject_cast<QMenuBar*>(p)) return false;
  return qobject_cast<QAbstractButton*>(w) || qobject_cast<QAbstractSlider*>(w) || qobject_cast<QLineEdit*>(w) ||
         qobject_cast<QAbstractItemView*>(w) || qobject_cast<QComboBox*>(w) || qobject_cast<ClickablePanel*>(w) ||
         qobject_cast<UpDownArrows*>(w);
}

TEST_F(AccessibilityTest, EveryControlHasItsNameAndNoTwoShareOne) {
  QSet<QWidget*> listed;
  for (const ControlRow& row : kControls) {
    SCOPED_TRACE(row.control);
    QWidget* w = control(row);
    ASSERT_NE(w, nullptr);
    listed.insert(w);
    QAccessibleInterface* iface = of(w);
    ASSERT_NE(iface, nullptr);
    EXPECT_EQ(iface->text(QAccessible::Name).toStdString(), row.name);
    EXPECT_EQ(iface->role(), row.role);
    if (auto* list = qobject_cast<QComboBox*>(w)) {
      EXPECT_EQ(iface->text(QAccessible::Value), list->currentText());
    }
  }
  for (const char* window : {"main", "bank", "setup"}) {
    QMap<QString, QString> seen;
    for (QWidget* w : windowOf(window)->findChildren<QWidget*>()) {
      if (!isControl(w) || w->window() != windowOf(window)) continue;
      const QString name = of(w)->text(QAccessible::Name);
      // The main window's own scroll bars are the only controls not in the table.
      const bool windowScrollBar = qobject_cast<QScrollBar*>(w) && w->parentWidget() &&
                                   qobject_cast<QAbstractScrollArea*>(w->parentWidget()->parentWidget());
      if (!windowScrollBar) {
        EXPECT_TRUE(listed.contains(w)) << window << ": " << w->metaObject()->className() << " "
                                        << w->objectName().toStdString() << " '" << name.toStdString() << "'";
      }
      EXPECT_FALSE(name.isEmpty()) << w->objectName().toStdString();
      EXPECT_FALSE(seen.contains(name)) << window << ": '" << name.toStdString() << "' names "
                                        << seen.value(name).toStdString() << " and " << w->objectName().toStdString();
      seen.insert(name, w->objectName());
    }
  }
}

TEST_F(AccessibilityTest, EveryScrollBarsValueIsWhatItsBoxShowsAndFollowsIt) {
  for (const std::string_view name : kValueBars) {
    auto* bar = form->clientArea->findChild<QScrollBar*>(QLatin1String(name.data(), static_cast<qsizetype>(name.size())));
    SCOPED_TRACE(std::string(name));
    for (const int position : {0, bar->maximum() / 2, bar->maximum()}) {
      bar->setValue(position);
      QAccessibleInterface* iface = of(bar);
      ASSERT_NE(iface->valueInterface(), nullptr);
      EXPECT_EQ(iface->valueInterface()->currentValue().toInt(), position);
      const auto* box = labelledBox(bar);
      // As the box shows it: the boxes in capitals turn "dB" to "DB".
      QString shown = QString::fromStdString(shownValue(name, state.current().value(EFFECT_SELECT), position));
      if (form->isUpperCaseBox(box)) shown = shown.toUpper();
      EXPECT_EQ(iface->text(QAccessible::Description).toStdString(), shown.toStdString());
      EXPECT_EQ(iface->text(QAccessible::Value).toStdString(), shown.toStdString());
    }
  }
  // Another effect renames its controls as their captions change.
  QTest::keyClick(form->COMPBTN, Qt::Key_Return);
  EXPECT_EQ(of(form->ScrollFX15)->text(QAccessible::Name), "THRESHOLD");
  form->ScrollFX15->setValue(12);
  EXPECT_EQ(of(form->ScrollFX15)->text(QAccessible::Description), "-12DB");
}

TEST_F(AccessibilityTest, TabReachesEveryControlInReadingOrder) {
  form->ScrollGAIN->setFocus(Qt::OtherFocusReason);
  QStringList stops;
  for (int n = 0; n < 60 && (stops.isEmpty() || QApplication::focusWidget() != form->ScrollGAIN); ++n) {
    stops << QApplication::focusWidget()->objectName();
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
  }
  // The amp models and the effects are one stop each, the chosen one; the arrow keys move
  // among them.
  ClickablePanel* amp = form->ampPanelOfModel(state.current().value(AMP_TYPE));
  const QStringList expected = {
      "ScrollGAIN", "ScrollBASS", "ScrollMID", "ScrollTREB", "ScrollDLVL", "ScrollDREG", "ScrollDPAN",
      "ScrollDTIME", "ScrollREV", "ScrollGATE", "ScrollPVOL", "ScrollFX15", "ScrollFX16", "ScrollRATE",
      "PRESETUpDown", "PRENAME", "STOR", "REQUES", "PRESET_STR", "Load_preset", "STR_ALL", "Load_all",
      amp->objectName(), "CRSBTN"};
  EXPECT_EQ(stops.join(' ').toStdString(), expected.join(' ').toStdString());
  // And back: Shift+Tab leaves the effects for the amp models, never sticking among them.
  form->CRSBTN->setFocus(Qt::TabFocusReason);
  QTest::keyClick(form->CRSBTN, Qt::Key_Backtab, Qt::ShiftModifier);
  EXPECT_EQ(QApplication::focusWidget(), amp);
  form->ScrollGAIN->setFocus(Qt::TabFocusReason);
  QTest::keyClick(form->ScrollGAIN, Qt::Key_Backtab, Qt::ShiftModifier);
  EXPECT_EQ(QApplication::focusWidget(), form->CRSBTN);
}

struct KeyRow {
  const char* control;
  Qt::Key key;
  int parameter;  // -1: the preset shown
  int expected;
};

// A key on a focused control does what a click or a drag does there, and the combo hears it.
const KeyRow kKeys[] = {
    {"BRITBLU", Qt::Key_Space, AMP_TYPE, 2},
    {"TWED", Qt::Key_Return, AMP_TYPE, 13},
    {"FUZ", Qt::Key_Enter, AMP_TYPE, 9},
    {"COMPBTN", Qt::Key_Return, EFFECT_SELECT, 10},
    {"WAHBTN", Qt::Key_Space, EFFECT_SELECT, 11},
    {"ScrollGAIN", Qt::Key_Right, AMP_GAIN, 11},
    {"ScrollGAIN", Qt::Key_Up, AMP_GAIN, 11},
    {"ScrollGAIN", Qt::Key_Left, AMP_GAIN, 9},
    {"ScrollGAIN", Qt::Key_Down, AMP_GAIN, 9},
    {"ScrollDTIME", Qt::Key_Up, DELAY_TIME, 11},
    {"PRESETUpDown", Qt::Key_Up, -1, 1},
    {"PRESETUpDown", Qt::Key_Down, -1, 0},
};

TEST_F(AccessibilityTest, KeysPickAndStepWhatTheMouseWould) {
  for (const KeyRow& row : kKeys) {
    SCOPED_TRACE(std::string(row.control) + " key " + QKeySequence(row.key).toString().toStdString());
    prepare(form->ScrollGAIN, 10);
    prepare(form->ScrollDTIME, 10);
    state.CurrentPreset = 0;
    form->PRESETUpDown->setPosition(0);
    auto* w = form->clientArea->findChild<QWidget*>(QLatin1String(row.control));
    w->setFocus(Qt::TabFocusReason);
    forget();
    QTest::keyClick(w, row.key);
    if (row.parameter < 0) {
      EXPECT_EQ(state.CurrentPreset, row.expected);
    } else {
      EXPECT_EQ(state.current().value(row.parameter), row.expected);
      tick();
      EXPECT_FALSE(sent().empty()) << "the combo heard nothing";
    }
  }
}

TEST_F(AccessibilityTest, ATypedValueIsOneStepSentAsAnEditAndEscLeavesIt) {
  prepare(form->ScrollDTIME, 10);
  session.endAction();
  const std::size_t stepsBefore = session.steps();
  form->ScrollDTIME->setFocus(Qt::TabFocusReason);
  QTest::keyClick(form->ScrollDTIME, Qt::Key_Return);
  ValueEntryBox* entry = accessibility->entry();
  ASSERT_NE(entry, nullptr);
  EXPECT_EQ(entry->text(), "40 ms");
  EXPECT_EQ(QApplication::focusWidget(), entry);
  QTest::keyClicks(entry, QStringLiteral("350"));
  QTest::keyClick(entry, Qt::Key_Return);
  settle();
  EXPECT_EQ(accessibility->entry(), nullptr);
  EXPECT_EQ(form->ScrollDTIME->value(), 87);
  EXPECT_EQ(form->DTIMEEDIT->text().trimmed(), "348 ms");
  EXPECT_EQ(QApplication::focusWidget(), form->ScrollDTIME);
  EXPECT_EQ(hex(sent()), hex({param(0, DELAY_TIME + 1, 87)}));
  EXPECT_EQ(session.steps(), stepsBefore + 1);
  form->UNDO1->trigger();
  EXPECT_EQ(form->ScrollDTIME->value(), 10);

  // A double-click on the box; a text that means nothing stays for correcting; Esc leaves.
  forget();
  QTest::mouseDClick(form->GATEEDIT, Qt::LeftButton);
  entry = accessibility->entry();
  ASSERT_NE(entry, nullptr);
  QTest::keyClicks(entry, QStringLiteral("loud"));
  QTest::keyClick(entry, Qt::Key_Return);
  EXPECT_EQ(accessibility->entry(), entry);
  QTest::keyClick(entry, Qt::Key_Escape);
  settle();
  EXPECT_EQ(accessibility->entry(), nullptr);
  EXPECT_EQ(form->ScrollGATE->value(), 0);
  EXPECT_TRUE(sent().empty());
}

TEST_F(AccessibilityTest, TheFocusRingShowsAfterAKeyAndNeverBefore) {
  QWidget* area = form->clientArea;
  // The number box as an edit and its undo leave it: the window follows every edit now, so
  // only the ring may tell the pictures apart.
  form->PRENUM->setText(QString::fromStdString(actions.presetNumberText()));
  form->ScrollGAIN->setFocus(Qt::OtherFocusReason);
  QApplication::processEvents();
  const QImage untouched = area->grab().toImage();
  // The windows as a mouse user sees them: the same pixels as before it was keyboard-ready.
  auto plain = std::make_unique<TForm1>(actions);
  showQuietly(*plain);
  plain->PRENUM->setText(form->PRENUM->text());
  EXPECT_EQ(plain->clientArea->grab().toImage(), untouched);
  plain.reset();

  QTest::keyClick(form->ScrollGAIN, Qt::Key_Right);
  QTest::keyClick(form->ScrollGAIN, Qt::Key_Left);
  QApplication::processEvents();
  const QImage ringed = area->grab().toImage();
  const QRect bar = form->ScrollGAIN->geometry();
  EXPECT_NE(ringed.copy(bar), untouched.copy(bar)) << "no ring around the focused bar";
  EXPECT_EQ(ringed.copy(0, 0, 1200, bar.top()), untouched.copy(0, 0, 1200, bar.top())) << "the ring reached outside the bar";

  QTest::mousePress(form->PRENAME, Qt::LeftButton);
  QTest::mouseRelease(form->PRENAME, Qt::LeftButton);
  form->ScrollGAIN->setFocus(Qt::MouseFocusReason);
  QApplication::processEvents();
  EXPECT_EQ(area->grab().toImage().copy(bar), untouched.copy(bar)) << "a click takes the ring away";
}

}  // namespace
}  // namespace kestralux::test

namespace kestralux::test {
namespace {

struct SetKeyRow {
  const char* name;
  const char* picked;  // clicked first, and focused
  Qt::Key key;
  const char* landed;  // focused after the key
  int parameter;
  const char* pickedAfter;  // whose value the parameter holds then
};

// Inside a set of choices the arrows move and pick, as among radio buttons; Tab has left it
// with one stop.
const SetKeyRow kSetKeys[] = {
    {"Right picks the next amp model", "CLN1", Qt::Key_Right, "BRITCLSA", AMP_TYPE, "BRITCLSA"},
    {"Down moves a row of amp models", "BRITCLSA", Qt::Key_Down, "BRITBLU", AMP_TYPE, "BRITBLU"},
    {"Left from the first runs on to the last", "CLN1", Qt::Key_Left, "FUZ", AMP_TYPE, "FUZ"},
    {"Up in the top row stays", "HIGAIN", Qt::Key_Up, "HIGAIN", AMP_TYPE, "HIGAIN"},
    {"Down picks the next effect", "CRSBTN", Qt::Key_Down, "FLANBTN", EFFECT_SELECT, "FLANBTN"},
};

TEST_F(AccessibilityTest, ArrowsMoveAndPickInsideTheAmpModelsAndTheEffects) {
  for (const SetKeyRow& row : kSetKeys) {
    SCOPED_TRACE(row.name);
    auto* picked = form->clientArea->findChild<QWidget*>(QLatin1String(row.picked));
    QTest::keyClick(picked, Qt::Key_Space);
    picked->setFocus(Qt::TabFocusReason);
    QTest::keyClick(picked, row.key);
    EXPECT_EQ(QApplication::focusWidget()->objectName().toStdString(), row.landed);
    const int expected = row.parameter == AMP_TYPE ? [&] {
      for (const AmpModelRow& m : kAmpModels)
        if (m.panel == row.pickedAfter) return m.ampType;
      return -1;
    }() : effectCodeOf(row.pickedAfter);
    EXPECT_EQ(state.current().value(row.parameter), expected);
    // The one Tab stop of the set is the one now chosen.
    EXPECT_TRUE(QApplication::focusWidget()->focusPolicy() & Qt::TabFocus);
  }
  for (const AmpModelRow& m : kAmpModels)
    EXPECT_EQ(bool(form->ampPanelOfModel(m.ampType)->focusPolicy() & Qt::TabFocus), m.panel == "HIGAIN") << m.panel;
}

TEST_F(AccessibilityTest, CtrlZTakesBackTypingInATextBoxAndTheBankElsewhereAndEditSaysWhich) {
  form->PRENAME->setText(QStringLiteral("CLEAN"));
  const QString before = form->PRENAME->text();
  form->PRENAME->setFocus(Qt::TabFocusReason);
  form->PRENAME->selectAll();
  QTest::keyClicks(form->PRENAME, "RIFF");
  ASSERT_EQ(state.current().validName(), std::optional<std::string>("RIFF"));
  EXPECT_EQ(form->UNDO1->text(), "UNDO TYPING");
  EXPECT_TRUE(form->UNDO1->isEnabled());
  QTest::keyClick(form->PRENAME, Qt::Key_Z, Qt::ControlModifier);
  EXPECT_EQ(form->PRENAME->text(), before) << "the typing, whole, taken back";
  EXPECT_EQ(state.current().validName(), std::optional<std::string>("CLEAN"));

  const int gain = state.current().value(AMP_GAIN);
  form->ScrollGAIN->setFocus(Qt::TabFocusReason);
  EXPECT_EQ(form->UNDO1->text(), "UNDO");
  QTest::keyClick(form->ScrollGAIN, Qt::Key_Right);
  ASSERT_EQ(state.current().value(AMP_GAIN), gain + 1);
  QTest::keyClick(form->ScrollGAIN, Qt::Key_Z, Qt::ControlModifier);
  EXPECT_EQ(state.current().value(AMP_GAIN), gain);
  EXPECT_EQ(form->ScrollGAIN->value(), gain);
}

TEST_F(AccessibilityTest, AltAndALetterOrF10OpenTheMenus) {
  const struct {
    const char* name;
    Qt::Key key;
    Qt::KeyboardModifiers modifiers;
    QMenu* opened;
  } keys[] = {
      {"F10 opens the menu bar at FILE", Qt::Key_F10, Qt::NoModifier, form->LOADPRESET1},
      {"Alt+F opens FILE", Qt::Key_F, Qt::AltModifier, form->LOADPRESET1},
      {"Alt+V opens VIEW", Qt::Key_V, Qt::AltModifier, form->VIEW1},
      {"Alt+L opens LIBRARY", Qt::Key_L, Qt::AltModifier, form->LIBRARY1},
  };
  for (const auto& row : keys) {
    SCOPED_TRACE(row.name);
    form->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(form.get()));
    QTest::keyClick(form.get(), row.key, row.modifiers);
    EXPECT_TRUE(row.opened->isVisible());
    EXPECT_EQ(form->menuBar()->activeAction(), row.opened->menuAction());
    row.opened->close();
    form->menuBar()->setActiveAction(nullptr);
  }
}

}  // namespace
}  // namespace kestralux::test
