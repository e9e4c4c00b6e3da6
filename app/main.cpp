#include <cstdio>
#include <exception>
#include <optional>
#include <string_view>

#include "app/Application.h"
#include "app/GuardedApplication.h"
#include "app/QuitOnSignal.h"
#include "files/ComboConfigPlace.h"
#include "midi/RtMidiPorts.h"

namespace {

// Answered before any window or display is needed.
std::optional<int> answerOption(int argc, char** argv) {
  for (int i = 1; i < argc; ++i) {
    const std::string_view arg = argv[i];
    if (arg == "--version") {
      std::printf("kestralux %s\n", KESTRALUX_VERSION);
      return 0;
    }
    if (arg == "--setlist" && i + 1 >= argc) {
      std::fprintf(stderr, "kestralux: --setlist needs a file\n");
      return 2;
    }
    if (arg == "--help" || arg == "-h") {
      std::printf(
          "usage: kestralux [--help] [--version] [--setlist FILE.setlist]\n\n"
          "The KESTRALUX Preset Manager: edits the combo's presets live over MIDI System\n"
          "Exclusive, fetches and stores its bank of 30, and keeps presets and banks on disk.\n"
          "The MIDI ports chosen in MIDI > MIDI SETUP are kept in combo.cfg and combo.ports in\n"
          "the working directory when either is there, else in $XDG_DATA_HOME/kestralux\n"
          "(~/.local/share/kestralux). --setlist opens straight into the stage view on that\n"
          "setlist, its first song sent to the combo. See also kestralux-tool and kestralux-sim.\n");
      return 0;
    }
  }
  return std::nullopt;
}

}  // namespace

int main(int argc, char** argv) {
  if (const std::optional<int> answered = answerOption(argc, argv)) return *answered;
  kestralux::GuardedApplication qtApplication(argc, argv);
  kestralux::QuitOnSignal quitOnSignal;
  try {
    auto ports = std::make_unique<kestralux::RtMidiPorts>();
    const kestralux::MidiSystem system = ports->system();
    kestralux::KestraluxApplication application(std::move(ports), kestralux::MidiSetupBoxes::standard(),
                                                QString::fromStdString(kestralux::comboConfigPath().string()));
    application.portsMaker = [system] { return std::make_unique<kestralux::RtMidiPorts>(system); };
    for (int i = 1; i + 1 < argc; ++i)
      if (std::string_view(argv[i]) == "--setlist") {
        application.setlistAtStart = QString::fromLocal8Bit(argv[i + 1]);
        // On stage only the songs' sounds go out: the bank is not asked for.
        application.fetchAtStart = false;
      }
    application.startUp();
    return application.run();
  } catch (const std::exception& error) {
    kestralux::GuardedApplication::showErrorBox(QString::fromLocal8Bit(error.what()));
  } catch (...) {
    kestralux::GuardedApplication::showErrorBox(QStringLiteral("Unknown error"));
  }
  return 0;
}
