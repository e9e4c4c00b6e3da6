// LIBRARY > HISTORY as a user goes through it: the kept banks newest first, what differs from
// the bank, a preset put into the slot on screen and a whole bank loaded by their keys, heard
// as a load; and the last run's edits told of at the next start, once.

#include <QDir>
#include <QLabel>
#include <QPushButton>
#include <QSettings>
#include <QTest>
#include <QTreeWidget>

#include <filesystem>

#include "app/Application.h"
#include "app/HistoryWindow.h"
#include "app/MessageLine.h"
#include "files/BankHistory.h"
#include "midi/LoopbackPorts.h"
#include "tests/editor/LiveEditor.h"

namespace kestralux::test {
namespace {

PresetBank bankOfGain(int gain) {
  PresetBank bank{};
  for (int n = 0; n < kPresetCount; ++n) {
    bank[static_cast<std::size_t>(n)].setValue(AMP_GAIN, gain);
    bank[static_cast<std::size_t>(n)].storeName("SLOT " + std::to_string(n + 1));
  }
  return bank;
}

class HistoryWindowTest : public LiveEditor {
 protected:
  void SetUp() override {
    LiveEditor::SetUp();
    std::filesystem::remove_all(historyFolder());
    state.bank = state.reference = bankOfGain(3);
    form->ShowPreset();
    tick();
    forget();
  }
};

QStringList row(const QTreeWidget* list, int n) {
  QStringList texts;
  for (int c = 0; c < list->columnCount(); ++c) texts << list->topLevelItem(n)->text(c);
  return texts;
}

TEST_F(HistoryWindowTest, AKeptBankOrOneOfItsPresetsComesBackByItsKeysAndTheComboHearsIt) {
  PresetBank fetched = state.bank;
  fetched[1].setValue(AMP_BASS, 9);
  fetched[4].setValue(AMP_BASS, 12);
  ASSERT_FALSE(keepInHistory(historyFolder(), fetched, "fetched", 1'700'000'000));
  ASSERT_FALSE(keepInHistory(historyFolder(), bankOfGain(20), "stored 10 of 30", 1'700'000'100));

  HistoryWindow window(actions);
  window.showHistory();
  ASSERT_EQ(window.entries->topLevelItemCount(), 2);
  EXPECT_EQ(row(window.entries, 0).mid(1), (QStringList{"stored 10 of 30", "ALL 30 SLOTS DIFFER"}));
  EXPECT_EQ(row(window.entries, 1).mid(1), (QStringList{"fetched", "SLOTS 2, 5 DIFFER"}));
  EXPECT_EQ(row(window.entries, 1)[0].size(), 19);  // a clock's "2023-11-14 22:13:20"

  window.entries->setCurrentItem(window.entries->topLevelItem(1));
  ASSERT_EQ(window.presets->topLevelItemCount(), kPresetCount);
  QStringList marked;
  for (int n = 0; n < kPresetCount; ++n)
    if (!window.presets->topLevelItem(n)->text(1).isEmpty()) marked << row(window.presets, n)[0];
  EXPECT_EQ(marked, (QStringList{"2", "5"}));

  // Enter on slot 5 of the kept bank: it goes into the slot on screen, 1, is drawn, heard
  // whole, and the list follows. What the step does to the bank and its marks is the actions'.
  window.presets->setCurrentItem(window.presets->topLevelItem(4));
  QTest::keyClick(window.presets, Qt::Key_Return);
  EXPECT_EQ(state.bank[0], fetched[4]);
  EXPECT_EQ(form->ScrollBASS->value(), 12);
  EXPECT_EQ(window.status->text(), "PRESET 5 PUT INTO SLOT 1");
  tick();
  EXPECT_EQ(sent().size(), 16u) << "the slot on screen is sent whole, as a load sends it";
  EXPECT_EQ(row(window.entries, 1)[2], "SLOTS 1-2, 5 DIFFER");
  forget();

  // Ctrl+Z in the history window takes the restore back, Ctrl+Shift+Z does it again.
  ASSERT_TRUE(QTest::qWaitForWindowActive(&window));
  QTest::keyClick(window.presets, Qt::Key_Z, Qt::ControlModifier);
  EXPECT_EQ(state.bank[0], bankOfGain(3)[0]);
  EXPECT_EQ(form->ScrollBASS->value(), 0);
  QTest::keyClick(window.presets, Qt::Key_Z, Qt::ControlModifier | Qt::ShiftModifier);
  EXPECT_EQ(state.bank[0], fetched[4]);
  forget();

  // Enter on the list of entries: the whole kept bank.
  window.entries->setFocus();
  QTest::keyClick(window.entries, Qt::Key_Return);
  EXPECT_EQ(state.bank, fetched);
  EXPECT_EQ(row(window.entries, 1)[2], "SAME AS THE BANK");
  // The other kept bank loaded: the entry no longer chosen follows the bank too.
  window.entries->setCurrentItem(window.entries->topLevelItem(0));
  QTest::keyClick(window.entries, Qt::Key_Return);
  EXPECT_EQ(row(window.entries, 0)[2], "SAME AS THE BANK");
  EXPECT_EQ(row(window.entries, 1)[2], "ALL 30 SLOTS DIFFER");
}

TEST(LastSessionEdits, AreToldAtTheNextStartOnce) {
  std::filesystem::remove_all(historyFolder());
  QSettings().remove(QStringLiteral("History"));
  int cardErrors = 0;
  KestraluxApplication application(std::make_unique<LoopbackPorts>(), {[&](QWidget*) { ++cardErrors; }, [](QWidget*) { return false; }},
                                   QDir::temp().filePath(QStringLiteral("kestralux-no-such-dir/combo.cfg")));
  application.splashPauseMs = 0;
  application.startUp();
  QLabel* status = application.form().messageLine;
  application.tellLastSessionEdits();
  EXPECT_TRUE(status->text().isEmpty()) << "no run ended with edits";

  application.state.bank[3].setValue(AMP_GAIN, 12);
  application.keepSessionBank();
  application.tellLastSessionEdits();
  EXPECT_EQ(status->text(), "LAST SESSION'S EDITS ARE IN LIBRARY > HISTORY");

  status->clear();
  application.tellLastSessionEdits();
  EXPECT_TRUE(status->text().isEmpty()) << "told again";
}

TEST_F(HistoryWindowTest, EscClosesItAsItClosesTheOtherToolWindows) {
  HistoryWindow window(actions);
  window.showHistory();
  ASSERT_TRUE(QTest::qWaitForWindowActive(&window));
  QTest::keyClick(window.entries, Qt::Key_Escape);
  EXPECT_FALSE(window.isVisible());
}

}  // namespace
}  // namespace kestralux::test
