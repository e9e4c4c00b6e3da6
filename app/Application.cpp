#include "app/Application.h"

#include <QAction>
#include <QMenu>
#include <QApplication>
#include <QElapsedTimer>
#include <QWindow>
#include <QIcon>
#include <QPixmap>
#include <QSettings>
#include <chrono>
#include <iostream>
#include <thread>

#include "app/Accessibility.h"
#include "app/Artwork.h"
#include "app/BankWindow.h"
#include "app/CheckWindow.h"
#include "app/CaptionLocks.h"
#include "app/ControllerDialog.h"
#include "app/FootControllerPort.h"
#include "app/SetlistsWindow.h"
#include "app/StageView.h"
#include "app/StageWindow.h"
#include "app/ExploreWindow.h"
#include "app/HelpViewer.h"
#include "app/HistoryWindow.h"
#include "app/LibraryFeed.h"
#include "app/MonitorWindow.h"
#include "app/LibrarySyncWatch.h"
#include "app/LibraryPane.h"
#include "app/SlotList.h"
#include "app/QuitOnSignal.h"
#include "app/TForm1.h"
#include "app/TSplashForm.h"
#include "app/WindowLook.h"
#include "files/BankHistory.h"
#include "files/HistoryChoices.h"
#include "library/BankMoves.h"
#include "midi/TappedPorts.h"
#include "live/SetlistFile.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>

namespace kestralux {

namespace {
// A window system that never exposes the splash (no display) must not hold start-up.
constexpr int kSplashMappingLimitMs = 2000;

class QuitWhenClosed : public QObject {
 public:
  explicit QuitWhenClosed(TForm1& form) : form_(form) {}

 protected:
  bool eventFilter(QObject*, QEvent* event) override {
    if (event->type() != QEvent::Close) return false;
    if (form_.holdCloseForStore() || !form_.closeAllowed()) {
      event->ignore();
      return true;
    }
    QApplication::quit();
    return false;
  }

 private:
  TForm1& form_;
};
}  // namespace

KestraluxApplication::KestraluxApplication(std::unique_ptr<MidiPorts> midiPorts, MidiSetupBoxes boxes,
                                           QString configPath)
    : ports(midiPorts ? std::make_unique<TappedPorts>(std::move(midiPorts), monitorTap) : nullptr),
      link(*ports, state, configPath.toStdString()),
      boxes_(std::move(boxes)),
      configPath_(std::move(configPath)) {
  protocol.session = &session;
  protocol.bankMoved = [](const BankMove& move) { keepBankMove(move, historyFolder(), nullptr, std::cerr, "kestralux"); };
  protocol.keptComboBank = [] { return newestComboBank(historyFolder()); };
  link.transfers.keep = [](const PresetBank& bank, const std::string& kind) { keepBank(bank, kind, std::cerr, "kestralux"); };
}
KestraluxApplication::~KestraluxApplication() {
  delete controllerDialog_.data();
  // The main window goes before the link: it must not be told of the connection any more.
  link.connectionChanged = nullptr;
  protocol.bankMoved = [](const BankMove& move) { keepBankMove(move, historyFolder(), nullptr, std::cerr, "kestralux"); };
  protocol.newestName = nullptr;
}

void KestraluxApplication::startUp() {
  // Before any window exists, so the desktop sees every window under this name, grouped and
  // with the icon of the desktop entry. The application name, not its display name: the
  // display name would be appended to every window caption.
  QApplication::setApplicationName(QStringLiteral("KESTRALUX"));
  // Settings (where the bank window was) go to ~/.config/kestralux/KESTRALUX.conf.
  QApplication::setOrganizationName(QStringLiteral("kestralux"));
  QGuiApplication::setDesktopFileName(QString::fromLatin1(kDesktopFileName));

  SplashForm = std::make_unique<TSplashForm>();
  SplashForm->showMaximized();
  SplashForm->raise();
  // A window system maps and exposes a window some time after it is shown; paint only once
  // it is on screen, or the pause would hold an empty frame.
  QElapsedTimer mapping;
  mapping.start();
  while (!(SplashForm->windowHandle() && SplashForm->windowHandle()->isExposed()) &&
         mapping.elapsed() < kSplashMappingLimitMs)
    QApplication::processEvents(QEventLoop::ExcludeUserInputEvents, 10);
  QApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
  SplashForm->repaint();
  QApplication::processEvents(QEventLoop::ExcludeUserInputEvents);

  // The splash stays as painted; nothing reacts during the pause.
  std::this_thread::sleep_for(std::chrono::milliseconds(splashPauseMs));

  // The combo's bank is asked for before any window is built: it comes in while they are, and
  // the first turn of the event loop shows it.
  startMidi();

  QApplication::setWindowIcon(QIcon(QPixmap::fromImage(makeApplicationIcon())));

  help_ = std::make_unique<HelpViewer>();
  // Closing the main window ends the program, whatever else is open.
  help_->setAttribute(Qt::WA_QuitOnClose, false);

  Form1 = std::make_unique<TForm1>(actions);
  Form1->restoreZoom();
  QObject::connect(Form1.get(), &TForm1::helpRequested, help_.get(), &HelpViewer::showContext);
  openLibrary();
  bankWindow_ = std::make_unique<BankWindow>(actions, libraryFeed_.get(), Form1.get());
  QObject::connect(Form1.get(), &TForm1::bankWindowRequested, bankWindow_.get(), &BankWindow::showBeside);
  exploreWindow_ = std::make_unique<ExploreWindow>(actions, Form1.get());
  exploreWindow_->openWith(Form1->EDIT1->findChild<QAction*>(QStringLiteral("EXPLORE1")));
  new CaptionLocks(*Form1, *exploreWindow_);
  historyWindow_ = std::make_unique<HistoryWindow>(actions);
  // Windows of their own open beside the main window's controls, as its tool windows do.
  openBeside(*historyWindow_, *Form1);
  openBeside(*help_, *Form1);
  QObject::connect(Form1->LIBRARY1->findChild<QAction*>(QStringLiteral("HISTORY1")), &QAction::triggered,
                   historyWindow_.get(), &HistoryWindow::showHistory);
  monitorWindow_ = std::make_unique<MonitorWindow>(monitor, Form1.get());
  QObject::connect(Form1->MIDI1->findChild<QAction*>(QStringLiteral("MONITOR1")), &QAction::triggered,
                   monitorWindow_.get(), &MonitorWindow::showBeside);
  checkWindow_ = std::make_unique<CheckWindow>(*ports, link, Form1.get());
  QObject::connect(Form1->MIDI1->findChild<QAction*>(QStringLiteral("CHECKCONNECTION1")), &QAction::triggered,
                   checkWindow_.get(), &CheckWindow::showAndCheck);

  openSetlists();

  // Named before anything is shown: a screen reader asks once and keeps what it heard.
  accessibility_ = new Accessibility(*Form1, *Form1, actions);
  accessibility_->attachBankWindow(*bankWindow_);
  accessibility_->attachToolWindow(*historyWindow_);
  accessibility_->attachToolWindow(*exploreWindow_);

  showMidiInWindows();
  accessibility_->attachSetupWindow(*MIDI_IO);

  SplashForm->hide();
  SplashForm.reset();
}

// The library takes in by itself what comes from the combo, goes to it, and what is loaded or
// saved; the main window's status line says once what went wrong with it.
void KestraluxApplication::openLibrary() {
  libraryFeed_ = std::make_unique<LibraryFeed>();
  TForm1* form = Form1.get();
  libraryFeed_->tell = [form](const QString& text) { form->say(text); };
  libraryFeed_->open(libraryFile(), historyFolder());
  protocol.bankMoved = [feed = libraryFeed_.get()](const BankMove& move) { feed->keepMove(move); };
  protocol.newestName = [feed = libraryFeed_.get()](const PresetRecord& sound) {
    return feed->available() ? feed->library().newestName(sound) : std::string();
  };
  QObject::connect(form, &TForm1::presetsOnDisk, libraryFeed_.get(),
                   [form, feed = libraryFeed_.get()](const QString& path, bool saved, bool bank, int count) {
                     const Place where{saved ? SightingKind::Saved : SightingKind::Loaded, 0, path.toStdString()};
                     if (!bank) return feed->notePreset(form->actions.shownPreset(), where);
                     std::bitset<kPresetCount> which;
                     for (int n = 0; n < count && n < kPresetCount; ++n) which.set(static_cast<std::size_t>(n));
                     feed->noteBank(form->actions.bank(), where, which);
                   });
  QObject::connect(form, &TForm1::libraryImportRequested, libraryFeed_.get(),
                   [form, feed = libraryFeed_.get()] { feed->importInteractively(form); });
  // One library on several machines, and safe copies of it.
  syncWatch_ = new LibrarySyncWatch(*libraryFeed_, form);
  syncWatch_->tell = [form](const QString& text) { form->say(text); };
  QObject::connect(form->LIBRARY1->findChild<QAction*>(QStringLiteral("SYNCFOLDER1")), &QAction::triggered, syncWatch_,
                   &LibrarySyncWatch::chooseFolder);
  QObject::connect(form->LIBRARY1->findChild<QAction*>(QStringLiteral("BACKUP1")), &QAction::triggered, syncWatch_,
                   &LibrarySyncWatch::backUp);
  syncWatch_->start();
}

// Creating the setup window starts MIDI: ports listed, combo.cfg read, input opened, the
// start message sent, then the remembered combo's bank asked for (or, with none remembered
// or there, the combo looked for). A port error box raised here shows while the splash is
// still up. What comes in waits for the event loop, which runs once every window is there.
void KestraluxApplication::startMidi() {
  MIDI_IO = std::make_unique<TMIDI_IO>(link, nullptr, boxes_);
  link.portsMaker = portsMaker ? ComboFinder::PortsMaker(tappedMaker(portsMaker, monitorTap)) : nullptr;
  ComboLink::StartUp how;
  how.fetchWhenAtHand = fetchAtStart;
  MIDI_IO->FIND_MIDI_PORTS(how);
}

// The main window shows the connection as the link found it at start, and from then on as
// the link says.
void KestraluxApplication::showMidiInWindows() {
  link.connectionChanged = [this, form = Form1.get()](bool connected) {
    form->showComboConnection(connected);
    stage.setConnected(connected);
  };
  stage.setConnected(link.connected());
  Form1->showComboConnection(link.connected());
  openBeside(*MIDI_IO, *Form1);
  QObject::connect(Form1.get(), &TForm1::midiSetupRequested, MIDI_IO.get(), &TMIDI_IO::showSetup);
}

namespace {
// controller.cfg beside combo.cfg, where kestralux-tool live finds it too.
QString controllerFile(const QString& comboConfig) {
  return QFileInfo(comboConfig).dir().filePath(QString::fromLatin1(kFootControllerFileName));
}
}  // namespace

// LIBRARY > SETLISTS, the stage and the foot controller, which is listened to from the start
// so a pedal pressed at any time finds the editor ready.
void KestraluxApplication::openSetlists() {
  setlistActions_ = std::make_unique<SetlistActions>(actions, libraryFeed_->available() ? &libraryFeed_->library() : nullptr);
  if (const std::string failure = setlistActions_->reload(); !failure.empty())
    std::cerr << "kestralux: setlists: " << failure << "\n";
  footPort_ = std::make_unique<FootControllerPort>(portsMaker,
                                                   [this](std::span<const std::uint8_t> bytes) { stage.controllerBytes(bytes); });
  stageWindow_ = std::make_unique<StageWindow>(stage, Form1.get());
  // On stage a failed send is said on the stage view; a box would wait for a click there.
  stageWindow_->stageUp = [this, quieted = std::function<void()>()](bool up) mutable {
    if (up) {
      quieted = std::exchange(link.cardError, nullptr);
    } else if (quieted) {
      link.cardError = std::exchange(quieted, nullptr);
    }
  };
  controllerDialog_ = new ControllerDialog(stage, *footPort_, [this] { return link.ports().input; }, Form1.get());
  controllerDialog_->remember = [path = controllerFile(configPath_)](const FootControllerSettings& settings) {
    QSaveFile file(path);
    const std::string text = footControllerSettingsText(settings);
    if (!file.open(QIODevice::WriteOnly) || file.write(text.data(), static_cast<qint64>(text.size())) != static_cast<qint64>(text.size()) ||
        !file.commit())
      std::cerr << "kestralux: the foot controller could not be remembered in " << path.toStdString() << "\n";
  };
  stage.controllerChanged = controllerDialog_->remember;
  QObject::connect(stageWindow_.get(), &StageWindow::stageChanged, controllerDialog_.data(), &ControllerDialog::refresh);
  QObject::connect(stageWindow_.get(), &StageWindow::controllerWanted, controllerDialog_.data(),
                   [this] { controllerDialog_->showOver(stageWindow_->view()); });

  QFile kept(controllerFile(configPath_));
  const FootControllerSettings remembered =
      kept.open(QIODevice::ReadOnly) ? readFootControllerSettings(kept.readAll().toStdString()) : FootControllerSettings{};
  stage.setController(remembered);
  footPort_->listenTo(remembered.port);

  setlistsWindow_ = std::make_unique<SetlistsWindow>(*setlistActions_, actions, Form1.get());
  QObject::connect(Form1->LIBRARY1->findChild<QAction*>(QStringLiteral("SETLISTS1")), &QAction::triggered,
                   setlistsWindow_.get(), &SetlistsWindow::showBeside);
  QObject::connect(setlistsWindow_.get(), &SetlistsWindow::controllerWanted, controllerDialog_.data(),
                   [this] { controllerDialog_->showOver(setlistsWindow_.get()); });
  // Slots and library sounds dragged out of the bank window land on the songs.
  QObject::connect(bankWindow_->slotList, &SlotList::droppedOutside, setlistsWindow_.get(), &SetlistsWindow::dropAt);
  QObject::connect(bankWindow_->library, &LibraryPane::droppedOutside, setlistsWindow_.get(), &SetlistsWindow::dropAt);
  QObject::connect(setlistsWindow_.get(), &SetlistsWindow::playWanted, stageWindow_.get(), [this](const Setlist& setlist) {
    if (const std::optional<QString> refused = stageWindow_->play(setlist)) setlistsWindow_->say(*refused);
  });
}

ControllerDialog& KestraluxApplication::controllerDialog() { return *controllerDialog_; }

bool KestraluxApplication::playAtStart(const QString& path) {
  QFile file(path);
  QString failure;
  if (!file.open(QIODevice::ReadOnly)) {
    failure = QStringLiteral("CANNOT OPEN FILE");
  } else {
    const SetlistReading reading = readSetlistFile(file.readAll().toStdString(), QFileInfo(path).completeBaseName().toStdString());
    if (!reading.setlist)
      failure = QStringLiteral("NOT A SETLIST: ") + QString::fromStdString(reading.error ? reading.error->text() : std::string()).toUpper();
    else if (const std::optional<QString> refused = stageWindow_->play(*reading.setlist))
      failure = *refused;
  }
  if (failure.isEmpty()) return true;
  std::cerr << "kestralux: " << path.toStdString() << ": " << failure.toStdString() << "\n";
  Form1->say(failure);
  return false;
}

int KestraluxApplication::run() {
  if (QuitOnSignal::requested()) return 0;
  // Closing the main window ends the program even while another window or a box is open:
  // open boxes return as if answered Cancel or No.
  QuitWhenClosed quitWhenClosed(*Form1);
  Form1->installEventFilter(&quitWhenClosed);
  // Nobody may be there to answer a question while the desktop session ends.
  QObject::connect(qApp, &QGuiApplication::commitDataRequest, Form1.get(), &TForm1::sessionEnding);
  tellLastSessionEdits();
  Form1->showMaximized();
  // Over the main window, which is shown first so the stage has a window to come back to.
  if (!setlistAtStart.isEmpty()) playAtStart(setlistAtStart);
  QApplication::exec();
  keepSessionBank();
  return 0;
}

void KestraluxApplication::tellLastSessionEdits() {
  const QString told = QStringLiteral("History/sessionTold");
  const std::optional<HistoryEntry> entry = sessionToTell(listHistory(historyFolder()), QSettings().value(told).toString().toStdString());
  if (!entry) return;
  Form1->say(QStringLiteral("LAST SESSION'S EDITS ARE IN LIBRARY > HISTORY"));
  QSettings().setValue(told, QString::fromStdString(entry->path.filename().string()));
}

void KestraluxApplication::keepSessionBank() {
  session.endCompare();
  if (state.bank != state.reference) keepBank(state.bank, "session", std::cerr, "kestralux");
}

}  // namespace kestralux
