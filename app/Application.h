#pragma once
// The running program: it owns the state of the run and the windows, and performs start-up.

#include <memory>
#include <span>

#include <QPointer>
#include <QString>

#include "actions/EditorActions.h"
#include "actions/MonitorActions.h"
#include "actions/SetlistActions.h"
#include "actions/StageActions.h"
#include "app/TMIDI_IO.h"
#include "link/ComboLink.h"
#include "midi/MessageTap.h"
#include "midi/MidiPorts.h"
#include "model/EditorState.h"
#include "protocol/DeviceProtocol.h"

namespace kestralux {

class Accessibility;
class BankWindow;
class CheckWindow;
class MonitorWindow;
class ControllerDialog;
class FootControllerPort;
class SetlistsWindow;
class StageWindow;
class ExploreWindow;
class LibraryFeed;
class HelpViewer;
class HistoryWindow;
class LibrarySyncWatch;
class TForm1;
class TSplashForm;

// The desktop entry the windows belong to: a reverse-domain name of our own.
inline constexpr const char* kDesktopFileName = "org.kestralux.PresetManager";

class KestraluxApplication {
 public:
  // The MIDI ports come from the caller: RtMidi in the program, a loopback in tests.
  explicit KestraluxApplication(std::unique_ptr<MidiPorts> ports,
                                MidiSetupBoxes boxes = MidiSetupBoxes::standard(),
                                QString configPath = QStringLiteral("combo.cfg"));
  ~KestraluxApplication();

  // Start-up up to the event loop: splash, pause, title, help, windows, splash removed.
  void startUp();
  // Shows the main window and runs the event loop until it is closed; then keeps the bank
  // in the history of banks if it holds work that is nowhere else.
  int run();
  void keepSessionBank();
  // After a run that ended with unsaved edits, the status line says where they are; once.
  void tellLastSessionEdits();

  TForm1& form() { return *Form1; }
  TMIDI_IO& midiSetup() { return *MIDI_IO; }
  HelpViewer& help() { return *help_; }
  BankWindow& bankWindow() { return *bankWindow_; }
  ExploreWindow& exploreWindow() { return *exploreWindow_; }
  LibraryFeed& libraryFeed() { return *libraryFeed_; }
  // Names, keys and typed values of every window's controls; a child of the main window.
  Accessibility& accessibility() { return *accessibility_; }
  HistoryWindow& historyWindow() { return *historyWindow_; }
  MonitorWindow& monitorWindow() { return *monitorWindow_; }
  CheckWindow& checkWindow() { return *checkWindow_; }
  SetlistsWindow& setlistsWindow() { return *setlistsWindow_; }
  StageWindow& stageWindow() { return *stageWindow_; }
  ControllerDialog& controllerDialog();
  FootControllerPort& footControllerPort() { return *footPort_; }

  // `kestralux --setlist FILE`: the stage view up on that file's first song. What went wrong
  // is said on the main window's status line and on standard error, and the editor opens.
  bool playAtStart(const QString& path);

  // Length of the splash's pause; tests shorten it.
  int splashPauseMs = 1000;
  // `--setlist FILE`: run() opens the stage view on it once the main window is shown.
  QString setlistAtStart;
  // With the remembered combo there at start, its bank is asked for after the start-up
  // message, so the window opens on the combo's own presets. Tests of other flows turn it off
  // to start from the bank as it starts.
  bool fetchAtStart = true;
  // More port objects like `ports`, for the search for the combo.
  ComboFinder::PortsMaker portsMaker;

  // Declared in the order they are made; the windows go before the link they use.
  // Every message the ports carry, for the MIDI monitor while it is open.
  std::shared_ptr<MessageTap> monitorTap = std::make_shared<MessageTap>();
  std::unique_ptr<MidiPorts> ports;
  EditorState state;
  ComboLink link;
  MidiEngine& engine = link.engine;
  DeviceProtocol& protocol = link.protocol;
  EditSession session{state};
  EditorActions actions{state, protocol, session, &link.transfers};
  MonitorActions monitor{monitorTap};
  // Goes after the windows that play through it.
  StageActions stage{actions, state};

 private:
  void startMidi();
  void showMidiInWindows();
  void openLibrary();
  void openSetlists();

  MidiSetupBoxes boxes_;
  QString configPath_;

  std::unique_ptr<TSplashForm> SplashForm;
  std::unique_ptr<HelpViewer> help_;
  std::unique_ptr<TForm1> Form1;
  std::unique_ptr<TMIDI_IO> MIDI_IO;
  std::unique_ptr<LibraryFeed> libraryFeed_;
  // Goes before the main window it shows presets in and the library it searches.
  std::unique_ptr<BankWindow> bankWindow_;
  // A tool window of the main window, gone before it and before the bank window it reads.
  std::unique_ptr<ExploreWindow> exploreWindow_;
  std::unique_ptr<HistoryWindow> historyWindow_;
  std::unique_ptr<MonitorWindow> monitorWindow_;
  std::unique_ptr<CheckWindow> checkWindow_;
  // Over the library, which goes after them.
  std::unique_ptr<SetlistActions> setlistActions_;
  std::unique_ptr<FootControllerPort> footPort_;
  std::unique_ptr<StageWindow> stageWindow_;
  // Shown over the stage view or the setlists window, whichever asked, as their child: gone
  // first, in the destructor.
  QPointer<ControllerDialog> controllerDialog_;
  std::unique_ptr<SetlistsWindow> setlistsWindow_;
  Accessibility* accessibility_ = nullptr;
  LibrarySyncWatch* syncWatch_ = nullptr;  // a child of the main window
};

}  // namespace kestralux
