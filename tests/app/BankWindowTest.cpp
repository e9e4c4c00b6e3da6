// The bank window under a user's mouse and keys, over the live editor: what the list says,
// what the main window shows and what the combo hears. The rules of arranging are the edit
// session's, and what each drop of records does is the bank model's; both are tested there.

#include <QApplication>
#include <QClipboard>
#include <QLabel>
#include <QComboBox>
#include <QHeaderView>
#include <QMimeData>
#include <QLineEdit>
#include <QPointer>
#include <QSignalSpy>
#include <QTreeWidget>

#include <fstream>

#include "app/BankWindow.h"
#include "app/ElidedLabel.h"
#include "app/Latin1.h"
#include "app/LibraryFeed.h"
#include "app/LibraryPane.h"
#include "editor/EditorTables.h"
#include "library/SoundFile.h"
#include "tests/app/FormFixture.h"
#include "tests/editor/LiveEditor.h"

namespace kestralux::test {
namespace {

// Slot n holds "SLOT n+1" with an amp model, an effect and a gain of its own.
PresetBank numberedBank() {
  PresetBank bank{};
  for (int n = 0; n < kPresetCount; ++n) {
    PresetRecord& r = bank[static_cast<std::size_t>(n)];
    r.setValue(AMP_TYPE, n % kAmpModelCount);
    r.setValue(EFFECT_SELECT, kEffects[static_cast<std::size_t>(n) % kEffects.size()].code);
    r.setValue(AMP_GAIN, n);
    r.storeName("SLOT " + std::to_string(n + 1));
  }
  return bank;
}

class BankWindowTest : public LiveEditor {
 protected:
  void SetUp() override {
    LiveEditor::SetUp();
    state.bank = state.reference = original;
    form->ShowPreset();
    window = std::make_unique<BankWindow>(actions, nullptr, form.get());
    window->resize(1040, 760);
    window->show();
    window->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(window.get()));
    tick();
    forget();
  }
  void TearDown() override {
    window.reset();
    LiveEditor::TearDown();
  }

  QWidget* viewport() { return window->slotList->viewport(); }
  QPoint rowAt(int n) { return QPoint(30, window->slotList->rowRect(n).center().y()); }
  QString cell(int n, int column) { return window->slotList->text(n, column); }

  // A press on slot `from`, a move that carries the button to `to`, and the release there;
  // `meanwhile` happens while the button is held.
  void drag(int from, QPoint to, Qt::KeyboardModifiers modifiers, const std::function<void()>& meanwhile = {}) {
    const QPoint start = rowAt(from);
    QTest::mousePress(viewport(), Qt::LeftButton, {}, start);
    for (const QPoint at : {start + QPoint(0, 12), to}) {
      QMouseEvent move(QEvent::MouseMove, QPointF(at), QPointF(viewport()->mapToGlobal(at)), Qt::NoButton,
                       Qt::LeftButton, modifiers);
      QApplication::sendEvent(viewport(), &move);
    }
    statusWhileHeld = window->status->text();
    if (meanwhile) meanwhile();
    QTest::mouseRelease(viewport(), Qt::LeftButton, modifiers, to);
  }
  void key(Qt::Key key, Qt::KeyboardModifiers modifiers = {}) { QTest::keyClick(window->slotList, key, modifiers); }
  // What the combo hears at the next tick.
  std::vector<std::string> heard() {
    tick();
    const auto bytes = hex(sent());
    forget();
    return bytes;
  }
  std::vector<std::string> names() {
    std::vector<std::string> out;
    for (const PresetRecord& r : state.bank) out.push_back(r.validName().value_or("?"));
    return out;
  }

  const PresetBank original = numberedBank();
  std::unique_ptr<BankWindow> window;
  QString statusWhileHeld;
};

TEST_F(BankWindowTest, KeysBrowseAndDragsArrangeWhatTheComboHears) {
  const auto slotName = [this](int n) { return original[static_cast<std::size_t>(n)].validName().value(); };

  // The list names every slot as the main window does.
  EXPECT_EQ(cell(4, SlotList::NameColumn), "SLOT 5");
  EXPECT_EQ(cell(4, SlotList::AmpColumn), latin1(kAmpModels[4].caption));
  EXPECT_EQ(cell(4, SlotList::EffectColumn), latin1(kEffects[4].caption));
  EXPECT_EQ(cell(4, SlotList::MarkColumn), "");

  // Browsing: a click, then the keys; each slot reached is shown and sent whole.
  struct Step {
    const char* what;
    std::function<void()> act;
    int shown;
  };
  const Step steps[] = {
      {"click on slot 3", [&] { QTest::mouseClick(viewport(), Qt::LeftButton, {}, rowAt(2)); }, 2},
      {"Down", [&] { key(Qt::Key_Down); }, 3},
      {"End", [&] { key(Qt::Key_End); }, 29},
      {"Up", [&] { key(Qt::Key_Up); }, 28},
      {"Home", [&] { key(Qt::Key_Home); }, 0},
      {"Page Down", [&] { key(Qt::Key_PageDown); }, -1},
      {"Page Up", [&] { key(Qt::Key_PageUp); }, 0},
      {"click on slot 2", [&] { QTest::mouseClick(viewport(), Qt::LeftButton, {}, rowAt(1)); }, 1},
  };
  for (const Step& step : steps) {
    SCOPED_TRACE(step.what);
    step.act();
    if (step.shown >= 0)
      EXPECT_EQ(state.CurrentPreset, step.shown);
    else
      EXPECT_GT(state.CurrentPreset, 0);
    EXPECT_EQ(form->PRENUM->text(), QStringLiteral("PRESET   %1").arg(state.CurrentPreset + 1));
    EXPECT_EQ(form->PRENAME->text(), latin1(slotName(state.CurrentPreset)));
    EXPECT_EQ(window->slotList->currentIndex().row(), state.CurrentPreset);
    EXPECT_EQ(heard(), hex(wholePreset(original[static_cast<std::size_t>(state.CurrentPreset)])));
  }

  // Slots 2 and 3 selected, dragged onto slot 7: they land at 7 and 8, slots 4 to 8 move up.
  QTest::mouseClick(viewport(), Qt::LeftButton, Qt::ShiftModifier, rowAt(2));
  ASSERT_EQ(state.CurrentPreset, 2);
  forget();
  drag(1, rowAt(6), {});
  EXPECT_EQ(statusWhileHeld, "MOVE 2-3 TO 7-8");
  EXPECT_EQ(window->status->text(), "2 PRESETS MOVED TO 7-8");
  std::vector<std::string> expected = names();
  EXPECT_EQ(std::vector<std::string>(expected.begin(), expected.begin() + 9),
            (std::vector<std::string>{"SLOT 1", "SLOT 4", "SLOT 5", "SLOT 6", "SLOT 7", "SLOT 8", "SLOT 2", "SLOT 3", "SLOT 9"}));
  for (int n = 0; n < 9; ++n) EXPECT_EQ(cell(n, SlotList::MarkColumn), n >= 1 && n <= 7 ? "*" : "") << n;
  EXPECT_EQ(cell(6, SlotList::NameColumn), "SLOT 2");
  EXPECT_EQ(window->slotList->selectedRows(), (QList<int>{6, 7}));
  // Slot 3 on screen holds SLOT 5 now: shown, marked and heard whole.
  EXPECT_EQ(form->PRENAME->text(), "SLOT 5");
  EXPECT_EQ(form->PRENUM->text(), "PRESET   3*");
  EXPECT_EQ(heard(), hex(wholePreset(original[4])));

  // Ctrl+Z in the bank window takes the move back in one step.
  key(Qt::Key_Z, Qt::ControlModifier);
  EXPECT_EQ(state.bank, original);
  EXPECT_EQ(cell(6, SlotList::NameColumn), "SLOT 7");
  EXPECT_EQ(cell(6, SlotList::MarkColumn), "");
  EXPECT_EQ(form->PRENAME->text(), "SLOT 3");
  EXPECT_EQ(heard(), hex(wholePreset(original[2])));

  // Shift: slots 7 and 8, still selected, trade places with slots 3 and 4; slot 3 is on screen.
  drag(6, rowAt(2), Qt::ShiftModifier);
  EXPECT_EQ(statusWhileHeld, "SWAP 7-8 WITH 3-4");
  EXPECT_EQ(window->status->text(), "7-8 SWAPPED WITH 3-4");
  EXPECT_EQ(state.bank[2], original[6]);
  EXPECT_EQ(state.bank[7], original[3]);
  EXPECT_EQ(form->PRENAME->text(), "SLOT 7");
  EXPECT_EQ(heard(), hex(wholePreset(original[6])));

  // Ctrl: the two copied over slots 11 and 12; the slot on screen keeps its preset, so
  // nothing is sent.
  drag(2, rowAt(10), Qt::ControlModifier);
  EXPECT_EQ(statusWhileHeld, "COPY 3-4 OVER 11-12");
  EXPECT_EQ(state.bank[10], original[6]);
  EXPECT_EQ(state.bank[11], original[7]);
  EXPECT_EQ(cell(11, SlotList::NameColumn), "SLOT 8");
  EXPECT_EQ(cell(11, SlotList::MarkColumn), "*");
  EXPECT_EQ(heard(), std::vector<std::string>{});
  const PresetBank arranged = state.bank;

  // A drag let go outside the list: nothing changes or is sent.
  drag(10, QPoint(viewport()->width() / 2, viewport()->height() + 30), {});
  EXPECT_EQ(state.bank, arranged);
  EXPECT_EQ(heard(), std::vector<std::string>{});

  // Ctrl+C on slots 1 and 2, Ctrl+V on slot 30: one fits, and the status says so.
  QTest::mouseClick(viewport(), Qt::LeftButton, {}, rowAt(0));
  QTest::mouseClick(viewport(), Qt::LeftButton, Qt::ShiftModifier, rowAt(1));
  ASSERT_EQ(window->slotList->selectedRows(), (QList<int>{0, 1}));
  key(Qt::Key_C, Qt::ControlModifier);
  EXPECT_EQ(window->status->text(), "2 PRESETS ON THE CLIPBOARD");
  key(Qt::Key_End);
  forget();
  key(Qt::Key_V, Qt::ControlModifier);
  EXPECT_EQ(window->status->text(), "1 PRESET PASTED");
  EXPECT_EQ(state.bank[29], arranged[0]);
  EXPECT_EQ(form->PRENAME->text(), latin1(*arranged[0].validName()));
  EXPECT_EQ(heard(), hex(wholePreset(arranged[0])));
  // The clipboard holds records only: nothing to paste into a text box.
  EXPECT_FALSE(QApplication::clipboard()->mimeData()->hasText());

  // What was dragged is taken as the drag begins: a fetch that rewrites those slots while the
  // button is held leaves the drop nothing to arrange.
  const PresetBank pasted = state.bank;
  drag(29, rowAt(0), {}, [&] {
    session.fetched(29, original[3]);
    session.fetchEnded();
  });
  EXPECT_EQ(window->status->text(), "THE BANK CHANGED DURING THE DRAG");
  EXPECT_EQ(state.bank[0], pasted[0]);
  EXPECT_EQ(state.bank[29], original[3]);
}

// The list follows what changes elsewhere: an edit in the main window marks its slot, the
// preset arrows move the highlight.
TEST_F(BankWindowTest, TheListFollowsTheMainWindow) {
  form->ScrollGAIN->setValue(77);
  EXPECT_EQ(cell(0, SlotList::MarkColumn), "*");
  stepUp();
  EXPECT_EQ(window->slotList->currentIndex().row(), 1);
  const auto background = [this](int n) { return window->bankModel->index(n, SlotList::NameColumn).data(Qt::BackgroundRole).value<QBrush>(); };
  EXPECT_EQ(background(1).color(), QColor(255, 0, 0));
  EXPECT_EQ(background(0).style(), Qt::NoBrush);
  QTest::keyClick(form.get(), Qt::Key_Z, Qt::ControlModifier);
  EXPECT_EQ(cell(0, SlotList::MarkColumn), "");
}

}  // namespace
}  // namespace kestralux::test

namespace kestralux::test {
namespace {

PresetRecord sound(const char* name, int amp, int gain) {
  PresetRecord r;
  r.setValue(AMP_TYPE, amp);
  r.setValue(EFFECT_SELECT, kEffects[0].code);
  r.setValue(AMP_GAIN, gain);
  r.storeName(name);
  return r;
}

class LibraryInBankWindow : public BankWindowTest {
 protected:
  void SetUp() override {
    ASSERT_TRUE(libraryDir.isValid());
    feed.open(libraryDir.filePath("library.sqlite").toStdString(), libraryDir.filePath("history").toStdString());
    ASSERT_TRUE(feed.available());
    // Newest first in the results.
    for (const auto& [record, time] : {std::pair{clean1, 1000}, {crunch, 2000}, {clean2, 3000}})
      ASSERT_FALSE(feed.library().notePreset(record, Place{SightingKind::Imported, 0, "/presets/x.pre"}, time).error);
    BankWindowTest::SetUp();
    window.reset();
    window = std::make_unique<BankWindow>(actions, &feed, form.get());
    window->resize(1040, 760);
    window->show();
    window->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(window.get()));
    pane = window->library;
  }
  // What is typed into the search's boxes is answered from the search's thread, later.
  void typed(const std::function<void()>& keys) {
    QSignalSpy shown(pane, &LibraryPane::searched);
    keys();
    if (shown.isEmpty()) {
      ASSERT_TRUE(shown.wait(5000));
    }
  }
  QStringList shownNames() {
    QStringList names;
    for (int n = 0; n < pane->results->topLevelItemCount(); ++n) names << pane->results->topLevelItem(n)->text(LibraryPane::NameColumn);
    return names;
  }

  QTemporaryDir libraryDir;
  LibraryFeed feed;
  const PresetRecord clean1 = sound("CLEAN 1", 0, 10), crunch = sound("crunch", 4, 250), clean2 = sound("CLEAN 2", 15, 20);
  LibraryPane* pane = nullptr;
};

TEST_F(LibraryInBankWindow, SearchBrowseHearAndPutIntoASlot) {
  EXPECT_EQ(shownNames(), (QStringList{"CLEAN 2", "CRUNCH", "CLEAN 1"}));
  EXPECT_EQ(pane->count->text(), "3 SOUNDS");

  // The list follows each letter typed, and each filter.
  struct Filter {
    std::function<void()> set;
    QStringList names;
  };
  const Filter filters[] = {
      {[&] { QTest::keyClicks(pane->searchBox, "c"); }, {"CLEAN 2", "CRUNCH", "CLEAN 1"}},
      {[&] { QTest::keyClicks(pane->searchBox, "l"); }, {"CLEAN 2", "CLEAN 1"}},
      {[&] { pane->ampFilter->setCurrentText("CLEAN 2"); }, {"CLEAN 2"}},
      {[&] { pane->ampFilter->setCurrentIndex(0); }, {"CLEAN 2", "CLEAN 1"}},
      {[&] { QTest::keyClick(pane->searchBox, Qt::Key_Backspace); }, {"CLEAN 2", "CRUNCH", "CLEAN 1"}},
      {[&] { QTest::keyClick(pane->searchBox, Qt::Key_Backspace); }, {"CLEAN 2", "CRUNCH", "CLEAN 1"}},
      {[&] { QTest::keyClicks(pane->conditions, "GAIN >= 7"); }, {"CRUNCH"}},
      {[&] { pane->conditions->clear(); }, {"CLEAN 2", "CRUNCH", "CLEAN 1"}},
  };
  for (const Filter& filter : filters) {
    typed(filter.set);
    EXPECT_EQ(shownNames(), filter.names) << pane->count->text().toStdString();
  }
  QTest::mouseClick(pane->results->header()->viewport(), Qt::LeftButton, {},
                    QPoint(pane->results->header()->sectionViewportPosition(LibraryPane::NameColumn) + 5, 5));
  EXPECT_EQ(shownNames(), (QStringList{"CLEAN 1", "CLEAN 2", "CRUNCH"}));
  pane->searchBox->setFocus();
  typed([&] { QTest::keyClicks(pane->searchBox, "cl"); });
  EXPECT_EQ(shownNames(), (QStringList{"CLEAN 1", "CLEAN 2"}));
  EXPECT_EQ(pane->count->text(), "2 SOUNDS");

  // The keys move through the results: each sound is heard, the bank stays as it is.
  forget();
  QTest::keyClick(pane->searchBox, Qt::Key_Tab);
  ASSERT_TRUE(pane->results->hasFocus());
  EXPECT_EQ(hex(sent()), hex(wholePreset(clean1)));
  for (const auto& [key, heard] : {std::pair{Qt::Key_Down, clean2}, {Qt::Key_Up, clean1}, {Qt::Key_End, clean2}}) {
    forget();
    QTest::keyClick(pane->results, key);
    EXPECT_EQ(hex(sent()), hex(wholePreset(heard)));
  }
  EXPECT_EQ(state.bank, original);
  // F marks the sound a favourite.
  QTest::keyClick(pane->results, Qt::Key_F);
  EXPECT_EQ(pane->results->currentItem()->text(LibraryPane::StarColumn), QString::fromUtf8("\u2605"));
  // Esc leaves the library: the preset on screen is heard again.
  forget();
  QTest::keyClick(pane->results, Qt::Key_Escape);
  EXPECT_EQ(hex(sent()), hex(wholePreset(original[0])));
  EXPECT_TRUE(window->slotList->hasFocus());

  // Enter puts the sound into the slot on screen with its newest name: one step, heard whole.
  pane->results->setFocus();
  forget();
  QTest::keyClick(pane->results, Qt::Key_Return);
  EXPECT_EQ(state.bank[0], clean2);
  EXPECT_EQ(form->PRENAME->text(), "CLEAN 2");
  EXPECT_EQ(cell(0, SlotList::NameColumn), "CLEAN 2");
  EXPECT_EQ(heard(), hex(wholePreset(clean2)));
  QTest::keyClick(window->slotList, Qt::Key_Z, Qt::ControlModifier);
  EXPECT_EQ(state.bank, original);
  EXPECT_EQ(heard(), hex(wholePreset(original[0])));

  // The first result dragged onto slot 5: it lands there; the slot on screen is not touched.
  QWidget* from = pane->results->viewport();
  const QPoint start = pane->results->visualItemRect(pane->results->topLevelItem(0)).center();
  const QPoint there = from->mapFromGlobal(viewport()->mapToGlobal(rowAt(4)));
  QTest::mousePress(from, Qt::LeftButton, {}, start);
  for (const QPoint at : {start + QPoint(0, 12), there}) {
    QMouseEvent move(QEvent::MouseMove, QPointF(at), QPointF(from->mapToGlobal(at)), Qt::NoButton, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(from, &move);
  }
  QTest::mouseRelease(from, Qt::LeftButton, {}, there);
  EXPECT_EQ(state.bank[4], clean1);
  EXPECT_EQ(cell(4, SlotList::MarkColumn), "*");
  EXPECT_EQ(state.bank[0], original[0]);
}

// An old condition is drawn, named and counted, and CLEAR takes it away; tags typed are kept
// even with no sound picked yet or when the list is answered again before Enter.
TEST_F(LibraryInBankWindow, AnOldFilterIsSeenAndClearedAndTypedTagsAreKept) {
  typed([&] { QTest::keyClicks(pane->conditions, "GAIN >= 7"); });
  EXPECT_EQ(shownNames(), (QStringList{"CRUNCH"}));
  EXPECT_TRUE(pane->conditions->property("narrowing").toBool());
  EXPECT_FALSE(pane->ampFilter->property("narrowing").toBool());
  EXPECT_EQ(pane->filtersLine->text(), "FILTERED BY GAIN >= 7");
  EXPECT_FALSE(pane->results->isColumnHidden(LibraryPane::SearchedColumn));
  EXPECT_EQ(pane->results->headerItem()->text(LibraryPane::SearchedColumn), "GAIN");
  EXPECT_EQ(pane->results->topLevelItem(0)->text(LibraryPane::SearchedColumn), "10.00");
  typed([&] { QTest::keyClicks(pane->searchBox, "clean"); });
  EXPECT_EQ(shownNames(), QStringList{});
  EXPECT_EQ(pane->count->text(), "0 SOUNDS; THE FILTERS HIDE 2 MORE");
  QTest::mouseClick(pane->clearButton, Qt::LeftButton);
  EXPECT_EQ(shownNames(), (QStringList{"CLEAN 2", "CLEAN 1"}));
  EXPECT_EQ(pane->searchBox->text(), "clean");
  EXPECT_EQ(pane->conditions->text(), "");
  EXPECT_TRUE(pane->filtersLine->isHidden());
  EXPECT_TRUE(pane->results->isColumnHidden(LibraryPane::SearchedColumn));
  EXPECT_FALSE(pane->clearButton->isEnabled());
  const QString lastSeen = pane->results->topLevelItem(0)->text(LibraryPane::LastSeenColumn);
  EXPECT_GE(pane->results->columnWidth(LibraryPane::LastSeenColumn), pane->results->fontMetrics().horizontalAdvance(lastSeen));

  // Nothing picked: Enter says so and the tags stay, for the sound picked next.
  QSignalSpy said(pane, &LibraryPane::said);
  pane->results->setCurrentItem(nullptr);
  pane->tags->setFocus();
  QTest::keyClicks(pane->tags, "live");
  QTest::keyClick(pane->tags, Qt::Key_Return);
  ASSERT_EQ(said.size(), 1);
  EXPECT_TRUE(said[0][0].toString().startsWith("NO SOUND PICKED")) << said[0][0].toString().toStdString();
  pane->results->setCurrentItem(pane->results->topLevelItem(1));
  EXPECT_EQ(pane->tags->text(), "live");
  QTest::keyClick(pane->tags, Qt::Key_Return);
  EXPECT_EQ(feed.library().sound(feed.library().known(std::span(&clean1, 1))[0].id).sound.tags, std::vector<std::string>{"live"});
  EXPECT_EQ(pane->results->topLevelItem(1)->text(LibraryPane::TagsColumn), "live");

  // A sound noted while the user types its tags: the list is answered again, the tags stay.
  pane->tags->selectAll();
  QTest::keyClicks(pane->tags, "live, solo");
  feed.library().notePreset(sound("NEW", 2, 3), Place{SightingKind::Imported, 0, "/presets/y.pre"}, 4000);
  emit feed.noted();
  EXPECT_EQ(shownNames(), (QStringList{"CLEAN 2", "CLEAN 1"}));
  EXPECT_EQ(pane->tags->text(), "live, solo");
  QTest::keyClick(pane->tags, Qt::Key_Return);
  EXPECT_EQ(feed.library().sound(feed.library().known(std::span(&clean1, 1))[0].id).sound.tags,
            (std::vector<std::string>{"live", "solo"}));
}

// The bank window is where the user works: above the main window, names typed in the list,
// Ctrl+D comparing there too.
TEST_F(BankWindowTest, RenamesInTheListAndComparesThere) {
  EXPECT_EQ(window->windowType(), Qt::Tool);
  EXPECT_EQ(window->parentWidget(), form.get()) << "a palette of the main window stays above it";

  struct Rename {
    const char* what;
    std::function<void()> open;
    QString typed;
    QString named;  // the slot's name afterwards
  };
  const Rename rows[] = {
      {"F2 on slot 1", [&] { key(Qt::Key_F2); }, "lead tone", "LEAD TONE"},
      {"a double-click on its name",
       [&] {
         const QPoint at(window->slotList->visualRect(window->bankModel->index(0, SlotList::NameColumn)).center());
         QTest::mouseDClick(viewport(), Qt::LeftButton, {}, at);
       },
       "crunch", "CRUNCH"},
      {"a name of more than 19 characters is cut as in the name box", [&] { key(Qt::Key_F2); }, "abcdefghijklmnopqrstu",
       "ABCDEFGHIJKLMNOPQRS"},
  };
  QTest::mouseClick(viewport(), Qt::LeftButton, {}, rowAt(0));
  for (const Rename& row : rows) {
    SCOPED_TRACE(row.what);
    const std::size_t steps = session.steps();
    row.open();
    QPointer<QLineEdit> editor;
    for (QLineEdit* open : window->slotList->findChildren<QLineEdit*>())
      if (open->isVisible()) editor = open;
    ASSERT_TRUE(editor && editor->isVisible()) << "no editor opened";
    editor->selectAll();
    QTest::keyClicks(editor, row.typed);
    QTest::keyClick(editor, Qt::Key_Return);
    // The list takes the name once the key has been handled.
    ASSERT_TRUE(QTest::qWaitFor([&] { return !editor || !editor->isVisible(); }, 2000));
    EXPECT_EQ(cell(0, SlotList::NameColumn), row.named);
    EXPECT_EQ(form->PRENAME->text(), row.named);
    EXPECT_EQ(cell(0, SlotList::MarkColumn), "*");
    EXPECT_EQ(session.steps(), steps + 1) << "one undo step";
  }
  key(Qt::Key_D, Qt::ControlModifier);
  EXPECT_EQ(form->PRENUM->text(), "COMPARE  1");
  EXPECT_EQ(form->PRENAME->text(), "SLOT 1");
  key(Qt::Key_D, Qt::ControlModifier);
  EXPECT_EQ(form->PRENUM->text(), "PRESET   1*");
  for (int n = 0; n < 3; ++n) key(Qt::Key_Z, Qt::ControlModifier);
  EXPECT_EQ(cell(0, SlotList::NameColumn), "SLOT 1");
  EXPECT_EQ(cell(0, SlotList::MarkColumn), "");
}

// Slots picked here and there, dragged: they land together, in their order.
TEST_F(BankWindowTest, PickedSlotsMoveTogether) {
  QTest::mouseClick(viewport(), Qt::LeftButton, {}, rowAt(1));
  QTest::mouseClick(viewport(), Qt::LeftButton, Qt::ControlModifier, rowAt(4));
  ASSERT_EQ(window->slotList->selectedRows(), (QList<int>{1, 4}));
  drag(4, rowAt(9), Qt::ShiftModifier);
  EXPECT_EQ(statusWhileHeld, "SWAP NEEDS ONE UNBROKEN RANGE");
  EXPECT_EQ(state.bank, original);
  drag(4, rowAt(9), {});
  EXPECT_EQ(window->status->text(), "2 PRESETS MOVED TO 9-10");
  EXPECT_EQ(names()[8], "SLOT 2");
  EXPECT_EQ(names()[9], "SLOT 5");
  EXPECT_EQ(window->slotList->selectedRows(), (QList<int>{8, 9}));
}

// While a library sound is heard both windows say so; a long error of the search is drawn
// shortened inside the window, which keeps its width.
// SHARE... takes the sounds picked together in the list, not only the one under the cursor.
TEST_F(LibraryInBankWindow, ShareTakesTheSoundsPickedTogether) {
  const QRect first = pane->results->visualItemRect(pane->results->topLevelItem(0));
  const QRect third = pane->results->visualItemRect(pane->results->topLevelItem(2));
  QTest::mouseClick(pane->results->viewport(), Qt::LeftButton, {}, first.center());
  QTest::mouseClick(pane->results->viewport(), Qt::LeftButton, Qt::ControlModifier, third.center());
  const std::filesystem::path file = libraryDir.filePath("picked.kessound").toStdString();
  EXPECT_EQ(pane->shareTo(file), "2 SOUNDS SHARED AS picked.kessound");
  std::ifstream in(file);
  const SoundFileReading read = readSoundFile(std::string(std::istreambuf_iterator<char>(in), {}));
  ASSERT_EQ(read.sounds.size(), 2u) << read.refused;
  EXPECT_EQ(read.sounds[0].names.back().name, "CLEAN 2");
  EXPECT_EQ(read.sounds[1].names.back().name, "CLEAN 1");
}

TEST_F(LibraryInBankWindow, HearingIsSaidAndLongErrorsNeverWidenTheWindow) {
  pane->results->setFocus();
  QTest::keyClick(pane->results, Qt::Key_Down);
  const QString hearing = QString::fromStdString(actions.hearingText());
  EXPECT_TRUE(hearing.startsWith("HEARING: ")) << hearing.toStdString();
  EXPECT_TRUE(hearing.endsWith(", Esc RETURNS TO PRESET 1")) << hearing.toStdString();
  EXPECT_TRUE(window->hearing->isVisible());
  EXPECT_EQ(window->hearing->text(), hearing);
  EXPECT_EQ(form->messageLine->text(), hearing);
  QTest::keyClick(pane->results, Qt::Key_Escape);
  EXPECT_FALSE(window->hearing->isVisible());
  EXPECT_EQ(form->messageLine->text(), "");

  const int width = window->width();
  typed([&] { pane->conditions->setText("DRIVE > 5"); });
  EXPECT_FALSE(pane->count->text().isEmpty());
  EXPECT_EQ(window->width(), width);
  EXPECT_LE(pane->count->minimumSizeHint().width(), 40);
  window->resize(500, window->height());
  QApplication::processEvents();
  EXPECT_TRUE(pane->count->elided()) << "shortened in its room, whole in its tooltip";
}

// What the protocol says moved is noted after the window's turn, slot by slot as it came.
TEST_F(LibraryInBankWindow, FetchesAndStoresGoInByThemselves) {
  struct Row {
    BankMove::Kind kind;
    int count;
  };
  const Row rows[] = {{BankMove::Kind::Fetched, 2}, {BankMove::Kind::Fetched, 30}, {BankMove::Kind::Stored, 30}};
  for (const Row& row : rows) {
    BankMove move{row.kind, original, {}, 0, {}};
    for (int n = 0; n < row.count; ++n) move.which.set(static_cast<std::size_t>(n));
    SCOPED_TRACE(historyKind(move));
    const auto before = feed.library().search({}).count;
    feed.keepMove(move);
    EXPECT_EQ(feed.library().search({}).count, before) << "not before the window has had its turn";
    QTest::qWait(20);
    std::int64_t seen = 0;
    for (const SoundRow& r : feed.library().search({}).rows) seen += r.timesSeen;
    EXPECT_GE(seen, row.count);
  }
  EXPECT_EQ(feed.library().search({}).count, 3 + kPresetCount);
}

}  // namespace
}  // namespace kestralux::test
