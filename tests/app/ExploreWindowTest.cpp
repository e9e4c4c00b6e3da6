// The explore window under a user's keys and mouse, over the live editor: each key reaches its
// action and the combo hears what it should. What the actions do is the explore session's and
// is tested in the core.

#include <QAction>
#include <QAbstractItemView>
#include <QComboBox>
#include <QApplication>
#include <QCheckBox>
#include <QLabel>
#include <QPushButton>
#include <QSettings>
#include <QSpinBox>

#include <functional>

#include "app/CaptionLocks.h"
#include "app/ExploreWindow.h"
#include "app/MainWindowLayout.h"
#include "tests/app/FormFixture.h"
#include "tests/editor/LiveEditor.h"

namespace kestralux::test {
namespace {

class ExploreWindowTest : public LiveEditor {
 protected:
  void SetUp() override {
    LiveEditor::SetUp();
    QSettings().remove(QStringLiteral("ExploreWindow"));
    state.current().storeName("CLEAN");
    state.current().setValue(AMP_TYPE, 3);
    state.current().setValue(AMP_GAIN, 15);
    state.current().setValue(EFFECT_SELECT, 0);
    state.reference = state.bank;
    original = state.current();
    form->ShowPreset();
    window = std::make_unique<ExploreWindow>(actions, form.get());
    window->openWith(form->EDIT1->findChild<QAction*>(QStringLiteral("EXPLORE1")));
    new CaptionLocks(*form, *window);
    window->amount->setValue(60);
    form->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(form.get()));
    QTest::keyClick(form.get(), Qt::Key_E, Qt::ControlModifier);
    ASSERT_TRUE(QTest::qWaitForWindowActive(window.get()));
    tick();
    forget();
  }
  void TearDown() override {
    window.reset();
    LiveEditor::TearDown();
  }
  // To the control that has the focus in the explore window, as a user's key goes.
  void key(int k, Qt::KeyboardModifiers modifiers = {}) {
    QTest::keyClick(window->focusWidget(), static_cast<Qt::Key>(k), modifiers);
  }

  PresetRecord original;
  std::unique_ptr<ExploreWindow> window;
};

TEST_F(ExploreWindowTest, MorphTowardNamesTheSlotsAsTheBankHoldsThem) {
  EXPECT_EQ(window->morphTarget->itemText(1), "1  CLEAN  (BRIT CLASSIC)");
  EXPECT_EQ(window->morphTarget->itemText(2), "2  -  (CLEAN 1)");
  PresetRecord lead = original;
  lead.storeName("Lead");
  lead.setValue(AMP_TYPE, 9);
  actions.restorePreset(lead, 4);
  EXPECT_EQ(window->morphTarget->itemText(1), "1  LEAD  (FUZZ)");
}

TEST_F(ExploreWindowTest, KeysReachTheActions) {
  struct Row {
    const char* what;
    std::function<void()> act;
    std::function<void()> expect;
  };
  PresetRecord candidate;
  const Row rows[] = {
      {"Ctrl+E in the main window opened it", [] {}, [&] { EXPECT_TRUE(window->isVisible()); }},
      {"CLIMB, then key 1: the combo hears candidate 1 whole, the bank keeps its preset",
       [&] {
         window->climbButton->click();
         key(Qt::Key_1);
       },
       [&] {
         candidate = window->session.candidates()[0];
         EXPECT_EQ(hex(sent()), hex(wholePreset(candidate)));
         EXPECT_EQ(state.current(), original);
         EXPECT_EQ(session.steps(), 0u);
       }},
      {"Space marks it", [&] { key(Qt::Key_Space); },
       [&] {
         EXPECT_TRUE(window->session.marked(0));
         EXPECT_EQ(window->candidateButtons[0]->text(), "1*");
       }},
      {"Enter breeds the next generation", [&] { key(Qt::Key_Return); }, [&] { EXPECT_EQ(window->session.generation(), 2u); }},
      {"Backspace goes back to the first", [&] { key(Qt::Key_Backspace); },
       [&] {
         EXPECT_EQ(window->session.generation(), 1u);
         EXPECT_EQ(window->session.candidates()[0], candidate);
       }},
      {"Esc: the combo hears the preset on screen again", [&] { key(Qt::Key_Escape); },
       [&] { EXPECT_EQ(hex(sent()), hex(wholePreset(original))); }},
      {"key 8, then KEEP: candidate 8 is in the slot, one step",
       [&] {
         key(Qt::Key_8);
         window->keepButton->click();
       },
       [&] {
         EXPECT_EQ(state.current(), window->session.candidates()[7]);
         EXPECT_EQ(session.steps(), 1u);
       }},
      {"Ctrl+Z in the explore window undoes it", [&] { key(Qt::Key_Z, Qt::ControlModifier); },
       [&] { EXPECT_EQ(state.current(), original); }},
      {"Ctrl+R varies the preset on screen: one step", [&] { key(Qt::Key_R, Qt::ControlModifier); },
       [&] {
         EXPECT_NE(state.current(), original);
         EXPECT_EQ(session.steps(), 1u);
         EXPECT_EQ(window->status->text().toStdString(), "VARIED BY 60 %");
       }},
      {"a right-click on GAIN's caption in the main window locks it, kept in the settings",
       [&] { QTest::mouseClick(form->LABLGAIN, Qt::RightButton); },
       [&] {
         EXPECT_TRUE(window->session.locks.locked(AMP_GAIN));
         EXPECT_TRUE(window->lockBoxes.at(AMP_GAIN)->isChecked());
         EXPECT_EQ(QSettings().value(QStringLiteral("ExploreWindow/locks")).toString(), "GAIN,PRESET VOLUME");
       }},
      {"closing the window sends the preset on screen again",
       [&] {
         key(Qt::Key_2);
         forget();
         window->close();
       },
       [&] { EXPECT_EQ(hex(sent()), hex(wholePreset(state.current()))); }},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.what);
    forget();
    row.act();
    row.expect();
  }
}

// Outside the candidate strip a focused control takes its own Space and Enter; on the strip
// they mark and breed.
TEST_F(ExploreWindowTest, AFocusedControlTakesItsOwnSpaceAndEnter) {
  struct Row {
    const char* what;
    std::function<QWidget*()> focus;
    int key;
    std::function<void()> expect;
  };
  window->climbButton->click();
  window->candidateButtons[2]->click();
  const Row rows[] = {
      {"Enter on KEEP keeps the candidate heard", [&] { return window->keepButton; }, Qt::Key_Return,
       [&] { EXPECT_EQ(window->status->text().toStdString(), "CANDIDATE 3 KEPT IN PRESET 1"); }},
      {"Space on VARY varies", [&] { return window->varyButton; }, Qt::Key_Space,
       [&] { EXPECT_EQ(window->status->text().toStdString(), "VARIED BY 60 %"); }},
      {"Space on a lock box ticks it", [&] { return window->lockBoxes.at(AMP_BASS); }, Qt::Key_Space,
       [&] { EXPECT_TRUE(window->session.locks.locked(AMP_BASS)); }},
      {"Space on the MORPH TOWARD list opens it", [&] { return window->morphTarget; }, Qt::Key_Space,
       [&] {
         EXPECT_TRUE(window->morphTarget->view()->isVisible());
         window->morphTarget->hidePopup();
       }},
      {"Space on the strip marks the candidate heard",
       [&] {
         window->candidateButtons[2]->click();
         return window->candidateButtons[2];
       },
       Qt::Key_Space,
       [&] { EXPECT_TRUE(window->session.marked(2)); }},
      {"Enter on the strip breeds", [&] { return window->climbButton; }, Qt::Key_Return,
       [&] { EXPECT_EQ(window->status->text().toStdString(), "GENERATION 2 FROM 1 MARKED"); }},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.what);
    row.focus()->setFocus();
    key(row.key);
    row.expect();
  }
}

// Every caption of the main window shows whole, and the padlock left of PRESET VOLUME (locked
// until unlocked) clears its first letter.
TEST_F(ExploreWindowTest, CaptionsFitAndAPadlockClearsItsCaption) {
  for (const layout::ControlRow& row : layout::kControls) {
    if (row.kind != layout::Label || row.name == "Label2") continue;
    auto* caption = form->clientArea->findChild<QLabel*>(QLatin1String(row.name));
    SCOPED_TRACE(caption->objectName().toStdString());
    EXPECT_LE(caption->fontMetrics().horizontalAdvance(caption->text()), caption->width());
  }
  QLabel* caption = form->LABLPVOL;
  auto* padlock = form->clientArea->findChild<QWidget*>(QStringLiteral("lockLABLPVOL"));
  ASSERT_NE(padlock, nullptr);
  EXPECT_TRUE(padlock->isVisible());
  const int textLeft = caption->x() + (caption->width() - caption->fontMetrics().horizontalAdvance(caption->text())) / 2;
  // A few pixels of navy between them, so the padlock never reads as part of the "P".
  EXPECT_LE(padlock->geometry().right() + 4, textLeft);
}

}  // namespace
}  // namespace kestralux::test
