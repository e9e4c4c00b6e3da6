// The stage window in the editor: its keys and clicks reach the step rules and each step's
// sound leaves whole, while the main window can reach the combo no more; and every control
// of the new windows has a name a screen reader says.

#include <algorithm>
#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QAbstractItemView>
#include <QAccessible>
#include <QDir>
#include <QFile>
#include <QListWidget>
#include <QTemporaryDir>
#include <QLabel>
#include <QSpinBox>
#include <QTest>

#include <string>
#include <vector>

#include "app/Application.h"
#include "app/ClickablePanel.h"
#include "app/ControllerDialog.h"
#include "app/SetlistsWindow.h"
#include "app/StageView.h"
#include "app/StageWindow.h"
#include "app/TForm1.h"
#include "midi/LoopbackPorts.h"
#include "tests/PresetValues.h"
#include "tests/app/FormFixture.h"

namespace kestralux::test {
namespace {

Setlist threeSongs() {
  Setlist set;
  set.name = "FRIDAY";
  for (int n = 0; n < 3; ++n) {
    Song song;
    song.title = "SONG " + std::to_string(n + 1);
    song.sound.storeName("SOUND " + std::to_string(n + 1));
    for (int i = 0; i < kParameterCount; ++i) song.sound.setValue(i, (n * 13 + i * 5 + 2) % 80);
    makePreset(song.sound, n + 7);
    set.songs.push_back(song);
  }
  return set;
}

struct StageUp {
  LoopbackPorts* ports = nullptr;
  std::unique_ptr<KestraluxApplication> application;

  StageUp() {
    auto loopback = std::make_unique<LoopbackPorts>(std::vector<std::string>{"combo in"}, std::vector<std::string>{"combo out"});
    ports = loopback.get();
    application = std::make_unique<KestraluxApplication>(std::move(loopback), MidiSetupBoxes{[](QWidget*) {}, [](QWidget*) { return false; }},
                                                         QDir::temp().filePath(QStringLiteral("kestralux-no-such-dir/combo.cfg")));
    application->splashPauseMs = 0;
    application->fetchAtStart = false;
    application->startUp();
    for (int n = 0; n < kPresetCount; ++n) makePreset(application->state.bank[static_cast<std::size_t>(n)], n);
    application->form().show();
  }
  StageView& view() { return *application->stageWindow().view(); }
  // The song whose sound went out whole since the last look; -1 for nothing, -2 for other bytes.
  int sentSong() {
    const Messages sent(ports->allSent().begin(), ports->allSent().end());
    ports->clearSent();
    if (sent.empty()) return -1;
    const Setlist set = threeSongs();
    for (std::size_t n = 0; n < set.songs.size(); ++n)
      if (sent == wholePreset(set.songs[n].sound)) return static_cast<int>(n);
    return -2;
  }
};

struct StageInput {
  const char* name;
  Qt::Key key;          // Qt::Key_unknown: a click
  bool rightHalf;       // for a click
  int sent;             // the song whose sound goes out, -1 for none
};

// Played in this order from the first song.
const StageInput kInputs[] = {
    {"Space", Qt::Key_Space, false, 1},         {"Left", Qt::Key_Left, false, 0},
    {"PageDown", Qt::Key_PageDown, false, 1},   {"Down", Qt::Key_Down, false, 2},
    {"Right past the end", Qt::Key_Right, false, -1}, {"Up", Qt::Key_Up, false, 1},
    {"PageUp", Qt::Key_PageUp, false, 0},       {"click on the right half", Qt::Key_unknown, true, 1},
    {"click on the left half", Qt::Key_unknown, false, 0}, {"3", Qt::Key_3, false, -1},
    {"then Enter", Qt::Key_Return, false, 2},   {"Home", Qt::Key_Home, false, 0},
};

TEST(StageWindow, KeysAndClicksPlayEachSongWholeAndEditNothing) {
  StageUp stage;
  const PresetBank bank = stage.application->state.bank;
  stage.sentSong();
  ASSERT_EQ(stage.application->stageWindow().play(threeSongs()), std::nullopt);
  ASSERT_TRUE(QTest::qWaitForWindowExposed(&stage.view()));
  EXPECT_EQ(stage.sentSong(), 0) << "PLAY sends the first song";
  EXPECT_TRUE(stage.view().isFullScreen());

  for (const StageInput& input : kInputs) {
    SCOPED_TRACE(input.name);
    if (input.key == Qt::Key_unknown) {
      const QPoint at(input.rightHalf ? stage.view().width() * 3 / 4 : stage.view().width() / 4, stage.view().height() / 2);
      QTest::mouseClick(&stage.view(), Qt::LeftButton, {}, at);
    } else {
      QTest::keyClick(&stage.view(), input.key);
    }
    EXPECT_EQ(stage.sentSong(), input.sent);
  }
  EXPECT_EQ(stage.view().title->text(), "SONG 1");
  EXPECT_EQ(stage.view().position->text(), "1 / 3");
  EXPECT_EQ(stage.application->state.bank, bank);
  EXPECT_EQ(stage.application->actions.currentPreset(), 0);
  EXPECT_FALSE(stage.application->actions.canUndo());
}

TEST(StageWindow, NoControlOfTheMainWindowReachesTheComboWhileItIsUp) {
  StageUp stage;
  TForm1& form = stage.application->form();
  ASSERT_EQ(stage.application->stageWindow().play(threeSongs()), std::nullopt);
  stage.sentSong();

  QTest::keyClick(form.ScrollGAIN, Qt::Key_Right);
  QTest::mouseClick(form.CLN1, Qt::LeftButton, {}, form.CLN1->rect().center());
  stage.application->link.tick();
  EXPECT_EQ(stage.sentSong(), -1);

  QTest::keyClick(&stage.view(), Qt::Key_Escape);
  EXPECT_FALSE(stage.view().isVisible());
  EXPECT_TRUE(stage.application->actions.auditioning()) << "the combo still plays the song, and the editor says so";
  QTest::keyClick(form.ScrollGAIN, Qt::Key_Right);
  EXPECT_NE(stage.sentSong(), -1) << "the main window reaches the combo again";
}

// The controller chosen in its window by the port's name, remembered beside combo.cfg, and a
// pedal pressed on that port plays the next song.
TEST(StageWindow, TheChosenControllerIsRememberedAndItsPedalSteps) {
  QTemporaryDir folder;
  // The link's search for the combo makes port objects too: the controller's is the one
  // listening to PEDAL.
  // Ports the editor made and has not let go of yet: some it makes only to look and drops.
  struct MadePorts : LoopbackPorts {
    MadePorts(std::vector<LoopbackPorts*>& list) : LoopbackPorts({"combo in", "PEDAL"}, {}), list_(list) { list_.push_back(this); }
    ~MadePorts() override { list_.erase(std::find(list_.begin(), list_.end(), this)); }
    std::vector<LoopbackPorts*>& list_;
  };
  std::vector<LoopbackPorts*> made;
  auto loopback = std::make_unique<LoopbackPorts>(std::vector<std::string>{"combo in"}, std::vector<std::string>{"combo out"});
  LoopbackPorts& combo = *loopback;
  KestraluxApplication app(std::move(loopback), MidiSetupBoxes{[](QWidget*) {}, [](QWidget*) { return false; }},
                           folder.filePath(QStringLiteral("combo.cfg")));
  app.splashPauseMs = 0;
  app.fetchAtStart = false;
  app.portsMaker = [&made] {
    return std::make_unique<MadePorts>(made);
  };
  app.startUp();
  app.form().show();

  ControllerDialog& choice = app.controllerDialog();
  choice.showOver(&app.setlistsWindow());
  QStringList offered;
  for (int n = 0; n < choice.ports->count(); ++n) offered << choice.ports->item(n)->text();
  EXPECT_EQ(offered, QStringList({QStringLiteral("NONE"), QStringLiteral("PEDAL")})) << "never the combo's own port";
  choice.ports->setCurrentRow(1);
  choice.hide();
  QFile kept(folder.filePath(QStringLiteral("controller.cfg")));
  ASSERT_TRUE(kept.open(QIODevice::ReadOnly));
  EXPECT_TRUE(kept.readAll().contains("port=PEDAL"));
  const auto listening = std::find_if(made.begin(), made.end(), [](LoopbackPorts* p) { return p->openInputDevice() == 1u; });
  ASSERT_NE(listening, made.end());
  LoopbackPorts* pedal = *listening;

  ASSERT_EQ(app.stageWindow().play(threeSongs()), std::nullopt);
  combo.clearSent();
  pedal->inject({0xB0, 80, 127});
  QTRY_COMPARE(app.stageWindow().view()->position->text(), QStringLiteral("2 / 3"));
  EXPECT_EQ(Messages(combo.allSent().begin(), combo.allSent().end()), wholePreset(threeSongs().songs[1].sound));
}

// What a screen reader says for a control: its accessible name, else its caption.
QString spokenName(QWidget* control) {
  QAccessibleInterface* face = QAccessible::queryAccessibleInterface(control);
  return face ? face->text(QAccessible::Name) : QString();
}

TEST(StageWindow, EveryControlOfTheNewWindowsHasAName) {
  StageUp stage;
  KestraluxApplication& app = *stage.application;
  app.controllerDialog().showOver(&app.setlistsWindow());
  const std::vector<std::pair<const char*, QWidget*>> windows = {
      {"setlists", &app.setlistsWindow()}, {"controller", &app.controllerDialog()}, {"stage", &stage.view()}};
  for (const auto& [name, window] : windows) {
    SCOPED_TRACE(name);
    int controls = 0;
    for (QWidget* control : window->findChildren<QWidget*>()) {
      const bool named = qobject_cast<QAbstractButton*>(control) || qobject_cast<QAbstractItemView*>(control) ||
                         qobject_cast<QSpinBox*>(control) || (window == &stage.view() && qobject_cast<QLabel*>(control));
      // A list's own scroll bars and header are the list's.
      if (!named || (control->parentWidget() != window && qobject_cast<QAbstractItemView*>(control->parentWidget()))) continue;
      ++controls;
      EXPECT_FALSE(spokenName(control).isEmpty()) << control->objectName().toStdString();
    }
    EXPECT_GT(controls, 2);
  }
  app.controllerDialog().hide();
}

}  // namespace
}  // namespace kestralux::test
