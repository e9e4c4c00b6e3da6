#pragma once
// The running program: it owns the state of the run and the windows, and performs start-up.

#include <memory>
#include <span>

#include "model/EditorState.h"
#include "protocol/DeviceProtocol.h"
#include "protocol/SysexOutput.h"

namespace kestralux {

class HelpViewer;
class TForm1;
class TSplashForm;

// Until a MIDI engine is attached, messages go nowhere.
class NoMidiOutput : public SysexOutput {
 public:
  void SEND_SYSEX(std::span<const std::uint8_t>) override {}
  void DUMP_PAUSE() override {}
};

class KestraluxApplication {
 public:
  KestraluxApplication();
  ~KestraluxApplication();

  // Start-up up to the event loop: splash, pause, title, help, windows, splash removed.
  void startUp();
  // Shows the main window and runs the event loop until it is closed.
  int run();

  TForm1& form() { return *Form1; }
  HelpViewer& help() { return *help_; }

  // Length of the splash's pause; tests shorten it.
  int splashPauseMs = 1000;

  EditorState state;
  NoMidiOutput output;
  DeviceProtocol protocol{state, output};

 private:
  void createMidiSetup();

  std::unique_ptr<TSplashForm> SplashForm;
  std::unique_ptr<HelpViewer> help_;
  std::unique_ptr<TForm1> Form1;
};

}  // namespace kestralux
