// The application shell: commands of the menus, help, the small widgets the window is made
// of, the artwork and start-up.

#include <filesystem>
#include <QApplication>
#include <QTimer>
#include <csignal>
#include <stdexcept>
#include <QDir>
#include <QElapsedTimer>
#include <QMenu>
#include <QMessageBox>
#include <QSignalSpy>
#include <QTest>
#include <QToolButton>

#include "app/Application.h"
#include "midi/LoopbackPorts.h"
#include "app/Artwork.h"
#include "app/ClickablePanel.h"
#include "app/GuardedApplication.h"
#include "app/HelpViewer.h"
#include "app/QuitOnSignal.h"
#include "app/UpDownArrows.h"
#include "tests/app/FormFixture.h"
#include "tests/app/UserActions.h"
#include "files/BankHistory.h"
#include "files/PresetFiles.h"

namespace kestralux::test {
namespace {

TEST_F(FormTest, GettingStartedAndF1AskForHelpContextOne) {
  QSignalSpy help(form.get(), &TForm1::helpRequested);
  form->CONTENTS1->trigger();
  ASSERT_EQ(help.size(), 1);
  EXPECT_EQ(help.at(0).at(0).toInt(), 1);

  form->show();
  QApplication::setActiveWindow(form.get());
  ASSERT_TRUE(QTest::qWaitForWindowActive(form.get()));
  form->PRENAME->setFocus();
  QTest::keyClick(form->PRENAME, Qt::Key_F1);
  ASSERT_EQ(help.size(), 2);
  EXPECT_EQ(help.at(1).at(0).toInt(), 1);
  EXPECT_TRUE(state.bank[0].validName() == std::nullopt) << "F1 is no text for the name";
}

TEST_F(FormTest, MidiSetupCommandAsksForTheSetupWindow) {
  QSignalSpy setup(form.get(), &TForm1::midiSetupRequested);
  form->MIDISETUP1->trigger();
  EXPECT_EQ(setup.size(), 1);
  QSignalSpy help(form.get(), &TForm1::helpRequested);
  emit form->HELP1->aboutToShow();  // opening HELP by itself asks for nothing
  EXPECT_EQ(help.size(), 0);
}

TEST(HelpViewer, GettingStartedPageCoversTheFirstSession) {
  HelpViewer viewer;
  viewer.showContext(1);
  EXPECT_EQ(viewer.currentContext(), 1);
  EXPECT_EQ(viewer.pageTitle(), "Getting started");
  EXPECT_TRUE(viewer.windowTitle().contains("Getting started"));
  const QString text = viewer.pageText();
  for (const char* phrase : {"MIDI interface", "MIDI SETUP", "combo.cfg", "Get All Presets from Kestralux",
                             "Store All Presets to Kestralux", ".pre", ".bnk", "preset 30"}) {
    EXPECT_TRUE(text.contains(QLatin1String(phrase))) << phrase;
  }
  viewer.showContext(42);
  EXPECT_EQ(viewer.currentContext(), 1) << "an unknown context falls back to the first page";
  viewer.close();
}

TEST(ClickablePanel, ReportsAClickOnlyWhenReleasedOverItself) {
  ClickablePanel panel;
  panel.resize(100, 20);
  QSignalSpy clicks(&panel, &ClickablePanel::clicked);
  QTest::mouseClick(&panel, Qt::LeftButton, {}, QPoint(50, 10));
  EXPECT_EQ(clicks.size(), 1);
  QTest::mouseClick(&panel, Qt::RightButton, {}, QPoint(50, 10));
  EXPECT_EQ(clicks.size(), 1);
  QTest::mousePress(&panel, Qt::LeftButton, {}, QPoint(50, 10));
  QTest::mouseRelease(&panel, Qt::LeftButton, {}, QPoint(150, 10));
  EXPECT_EQ(clicks.size(), 1) << "released outside: no click";
}

struct ArrowRow {
  int start;
  bool up;
  int after;
};

TEST(UpDownArrows, EachClickMovesOneWithinTheRangeAndReportsIt) {
  const ArrowRow rows[] = {{0, true, 1}, {5, false, 4}, {29, true, 29}, {0, false, 0}, {28, true, 29}};
  for (const ArrowRow& row : rows) {
    SCOPED_TRACE(row.start);
    UpDownArrows arrows;
    arrows.resize(17, 65);
    arrows.setRange(0, 29);
    arrows.setPosition(row.start);
    QSignalSpy clicks(&arrows, &UpDownArrows::clicked);
    QTest::mouseClick(row.up ? arrows.upArrow() : arrows.downArrow(), Qt::LeftButton);
    EXPECT_EQ(arrows.position(), row.after);
    EXPECT_EQ(clicks.size(), 1);
  }
  UpDownArrows arrows;
  arrows.resize(17, 65);
  arrows.show();
  EXPECT_LT(arrows.upArrow()->geometry().bottom(), arrows.downArrow()->geometry().top()) << "up above down";
}

struct PictureRow {
  const char* what;
  QImage image;
  QSize size;
  int maxColours;
};

TEST(Artwork, PicturesHaveTheirSizesAndColourDepths) {
  const PictureRow rows[] = {
      {"splash", makeSplashPicture(), QSize(1024, 768), 16},
      {"logo", makeWindowLogo(), QSize(150, 55), 256},
      {"icon", makeApplicationIcon(), QSize(32, 32), 16},
  };
  for (const PictureRow& row : rows) {
    SCOPED_TRACE(row.what);
    EXPECT_EQ(row.image.size(), row.size);
    EXPECT_EQ(row.image.format(), QImage::Format_Indexed8);
    EXPECT_LE(row.image.colorCount(), row.maxColours);
  }
  // The splash is on black and the icon's wave is green and below the amplifier.
  const QImage splash = makeSplashPicture();
  EXPECT_EQ(splash.pixelColor(0, 0), QColor(Qt::black));
  const QImage icon = makeApplicationIcon();
  int greenTop = 32, greenBottom = 0;
  for (int y = 0; y < 32; ++y)
    for (int x = 0; x < 32; ++x)
      if (icon.pixelColor(x, y) == QColor(0, 255, 0)) {
        greenTop = std::min(greenTop, y);
        greenBottom = std::max(greenBottom, y);
      }
  EXPECT_GT(greenTop, 20);
  EXPECT_GT(greenBottom, greenTop);
}

// Boxes that count instead of waiting for a user.
MidiSetupBoxes countingBoxes(int& cardErrors) {
  return {[&cardErrors](QWidget*) { ++cardErrors; }, [](QWidget*) { return false; }};
}

// Closed while Store All goes out, a third of the way through, well after the tick that
// started it: the window stays until the last message has gone, then the program ends.
TEST(KestraluxApplication, ClosingInTheMiddleOfStoreAllWaitsForItsLastMessage) {
  auto loopback = std::make_unique<LoopbackPorts>(std::vector<std::string>{"combo in"},
                                                  std::vector<std::string>{"combo out"});
  LoopbackPorts& ports = *loopback;
  int cardErrors = 0;
  const QString config = QDir::temp().filePath(QStringLiteral("kestralux-no-such-dir/combo.cfg"));
  KestraluxApplication application(std::move(loopback), countingBoxes(cardErrors), config);
  application.splashPauseMs = 0;
  application.startUp();
  TForm1& form = application.form();
  bool closedMidway = false;
  QTimer watch;
  QObject::connect(&watch, &QTimer::timeout, [&] {
    if (application.protocol.store.sent() < 10) return;
    watch.stop();
    closedMidway = application.protocol.store.pending();
    form.close();
  });
  test::answerBox(QMessageBox::Yes);
  QTimer::singleShot(0, &form, [&] {
    QTest::mouseClick(form.STOR, Qt::LeftButton, {}, form.STOR->rect().center());
    watch.start(5);
  });
  application.run();
  ASSERT_TRUE(closedMidway) << "the close came after the store";
  EXPECT_FALSE(form.isVisible());
  const auto stored = std::count_if(ports.allSent().begin(), ports.allSent().end(), [](const LoopbackPorts::Message& m) {
    return m.size() == kPresetMessageSize && (m[5] == CMD_BANK_FIRST || m[5] == CMD_BANK_NEXT);
  });
  EXPECT_EQ(stored, kPresetCount) << "the close cut the store short";
  EXPECT_EQ(cardErrors, 0);
}

TEST(KestraluxApplication, StartUpHoldsTheSplashThenLeavesTheHiddenMainWindow) {
  auto loopback = std::make_unique<LoopbackPorts>(std::vector<std::string>{"combo in"},
                                                  std::vector<std::string>{"combo out"});
  LoopbackPorts& ports = *loopback;
  int cardErrors = 0;
  const QString config = QDir::temp().filePath(QStringLiteral("kestralux-no-such-dir/combo.cfg"));
  KestraluxApplication application(std::move(loopback), countingBoxes(cardErrors), config);
  application.splashPauseMs = 150;
  QElapsedTimer clock;
  clock.start();
  application.startUp();
  EXPECT_GE(clock.elapsed(), 150);

  EXPECT_EQ(QApplication::applicationName(), "KESTRALUX");
  EXPECT_FALSE(QApplication::windowIcon().isNull());
  TForm1& form = application.form();
  EXPECT_FALSE(form.isVisible()) << "shown only when the event loop starts";
  EXPECT_TRUE(form.Timer2->isActive());
  EXPECT_TRUE(form.STORE_Time2->isActive());
  EXPECT_FALSE(form.Timer1->isActive());
  for (QWidget* w : QApplication::topLevelWidgets()) EXPECT_NE(w->objectName(), "SplashForm");

  // With no combo remembered, start-up loads and fetches nothing: the bank is all zero and
  // preset 1 is current.
  EXPECT_EQ(application.state.CurrentPreset, 0);
  for (const PresetRecord& record : application.state.bank) EXPECT_EQ(record, PresetRecord{});
  EXPECT_EQ(form.PRENUM->text(), "PRESET 1");
  EXPECT_EQ(form.PRENAME->text(), "MY PRESET");

  // MIDI started with the setup window: hidden, input open, exactly one start message.
  EXPECT_FALSE(application.midiSetup().isVisible());
  EXPECT_TRUE(ports.isInputOpen());
  const std::vector<std::uint8_t> start{0xF0, 0x00, 0x00, MANUFACTURER_ID[2], 0x06, 0x42, 0x00, 0x00, 0x00, 0xF7};
  ASSERT_EQ(ports.allSent().size(), 1u);
  EXPECT_EQ(ports.allSent()[0], start);
  EXPECT_EQ(cardErrors, 0);
  form.MIDISETUP1->trigger();
  EXPECT_TRUE(application.midiSetup().isVisible());
  application.midiSetup().hide();

  form.CONTENTS1->trigger();
  EXPECT_TRUE(application.help().isVisible());
  EXPECT_EQ(application.help().currentContext(), 1);
  application.help().close();
}

}  // namespace
}  // namespace kestralux::test

namespace kestralux::test {
namespace {

// The desktop knows the program's name from its first window on; closing the main window ends
// the program while the help and setup windows are open.
TEST(KestraluxApplication, NamedBeforeItsFirstWindowAndEndsWithItsMainWindow) {
  QApplication::setApplicationName(QStringLiteral("app_tests"));
  QString nameAtFirstShow;
  struct FirstShow : QObject {
    QString* seen;
    bool eventFilter(QObject* o, QEvent* e) override {
      if (e->type() == QEvent::Show && o->isWidgetType() && seen->isEmpty()) *seen = QApplication::applicationName();
      return false;
    }
  } firstShow;
  firstShow.seen = &nameAtFirstShow;
  qApp->installEventFilter(&firstShow);
  int cardErrors = 0;
  KestraluxApplication application(std::make_unique<LoopbackPorts>(std::vector<std::string>{"in"}, std::vector<std::string>{"out"}),
                                   countingBoxes(cardErrors), QDir::temp().filePath("kestralux-no-such-dir/combo.cfg"));
  application.splashPauseMs = 0;
  application.startUp();
  qApp->removeEventFilter(&firstShow);
  EXPECT_EQ(nameAtFirstShow, "KESTRALUX");
  EXPECT_EQ(QGuiApplication::desktopFileName(), "org.kestralux.PresetManager");

  bool timedOut = false;
  bool helpOpenAtClose = false;
  QTimer::singleShot(0, [&] {
    application.form().CONTENTS1->trigger();
    application.form().MIDISETUP1->trigger();
    QTimer::singleShot(50, [&] {
      helpOpenAtClose = application.help().isVisible() && application.midiSetup().isVisible();
      application.form().close();
    });
  });
  QTimer::singleShot(5000, [&] {
    timedOut = true;
    QApplication::quit();
  });
  application.run();
  EXPECT_FALSE(timedOut) << "the program went on after its main window closed";
  EXPECT_TRUE(helpOpenAtClose) << "the help and setup windows were open";
}

// At the end of a run the bank goes into the history only when it holds work that is nowhere
// else: changed since it was last fetched, loaded, saved or stored.
TEST(KestraluxApplication, AtTheEndOfARunAChangedBankIsKeptInTheHistory) {
  struct Row { const char* what; bool edited; bool keptSince; bool entry; };
  const Row rows[] = {
      {"unchanged", false, false, false},
      {"edited", true, false, true},
      {"edited, then saved", true, true, false},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.what);
    std::filesystem::remove_all(historyFolder());
    KestraluxApplication application(std::make_unique<LoopbackPorts>(), MidiSetupBoxes::standard(),
                                     QDir::temp().filePath("kestralux-no-such-dir/combo.cfg"));
    if (row.edited) application.state.bank[4].setValue(AMP_GAIN, 12);
    if (row.keptSince) application.state.reference = application.state.bank;
    application.keepSessionBank();
    const std::vector<HistoryEntry> entries = listHistory(historyFolder());
    ASSERT_EQ(entries.size(), row.entry ? 1u : 0u);
    if (row.entry) {
      EXPECT_EQ(entries[0].kind, "session");
      EXPECT_EQ(readFileStart(entries[0].path, 3000), bankFileImage(application.state.bank));
    }
  }
}

TEST(KestraluxApplication, WithoutMidiPortsStartUpShowsTheCardErrorOnceAndCompletes) {
  int cardErrors = 0;
  const QString config = QDir::temp().filePath(QStringLiteral("kestralux-no-such-dir/combo.cfg"));
  KestraluxApplication application(std::make_unique<LoopbackPorts>(), countingBoxes(cardErrors), config);
  application.splashPauseMs = 0;
  application.startUp();
  EXPECT_EQ(cardErrors, 1);
  EXPECT_EQ(application.midiSetup().MIDI_IN_SEL->item(0)->text(), "No Midi Devices Found!");
  EXPECT_EQ(application.midiSetup().MIDI_OUT_SEL->item(0)->text(), "No Midi Devices Found!");
}

}  // namespace
}  // namespace kestralux::test

namespace kestralux::test {
namespace {

TEST(QuitOnSignal, TerminationEndsTheEventLoopInsteadOfTheProcess) {
  for (int signal : {SIGTERM, SIGINT}) {
    QuitOnSignal quit;
    QTimer::singleShot(0, [signal] { ::raise(signal); });
    QTimer watchdog;
    bool timedOut = false;
    QObject::connect(&watchdog, &QTimer::timeout, [&] { timedOut = true; QApplication::quit(); });
    watchdog.start(5000);
    QApplication::exec();
    EXPECT_FALSE(timedOut) << "signal " << signal;
  }
}

}  // namespace
}  // namespace kestralux::test

namespace kestralux::test {
namespace {

TEST(GuardedApplication, AnExceptionFromAHandlerIsShownAndTheLoopGoesOn) {
  auto* app = dynamic_cast<GuardedApplication*>(QApplication::instance());
  ASSERT_NE(app, nullptr);
  QStringList shown;
  const auto previous = app->showError;
  app->showError = [&](const QString& text) { shown << text; };

  QTimer::singleShot(0, [] { throw std::runtime_error("preset file unreadable"); });
  QTimer::singleShot(20, [] { QApplication::quit(); });
  QApplication::exec();
  app->showError = previous;

  EXPECT_EQ(shown, QStringList{"preset file unreadable"});
}

}  // namespace
}  // namespace kestralux::test
