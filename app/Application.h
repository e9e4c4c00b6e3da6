#pragma once
// The running program: it owns the state of the run and the windows, and performs start-up.

#include <memory>
#include <span>

#include <QString>

#include "actions/EditorActions.h"
#include "app/TMIDI_IO.h"
#include "link/ComboLink.h"
#include "midi/MidiPorts.h"
#include "model/EditorState.h"
#include "protocol/DeviceProtocol.h"

namespace kestralux {

class Accessibility;
class BankWindow;
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

  // Length of the splash's pause; tests shorten it.
  int splashPauseMs = 1000;
  // With the remembered combo there at start, its bank is asked for after the start-up
  // message, so the window opens on the combo's own presets. Tests of other flows turn it off
  // to start from the bank as it starts.
  bool fetchAtStart = true;
  // More port objects like `ports`, for the search for the combo.
  ComboFinder::PortsMaker portsMaker;

  // Declared in the order they are made; the windows go before the link they use.
  std::unique_ptr<MidiPorts> ports;
  EditorState state;
  ComboLink link;
  MidiEngine& engine = link.engine;
  DeviceProtocol& protocol = link.protocol;
  EditSession session{state};
  EditorActions actions{state, protocol, session};

 private:
  void startMidi();
  void showMidiInWindows();
  void openLibrary();

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
  Accessibility* accessibility_ = nullptr;
  LibrarySyncWatch* syncWatch_ = nullptr;  // a child of the main window
};

}  // namespace kestralux
