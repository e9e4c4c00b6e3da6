// kestralux-sim: a virtual KESTRALUX on virtual MIDI ports, for trying the editor without
// the hardware and as the device of the end-to-end tests.

#include <chrono>
#include <condition_variable>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <deque>
#include <filesystem>
#include <iostream>
#include <mutex>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "files/PresetFiles.h"
#include "midi/RtMidiPorts.h"
#include "sim/BankFile.h"
#include "sim/VirtualKestralux.h"

namespace {

using namespace kestralux;

volatile std::sig_atomic_t stopRequested = 0;

void requestStop(int) { stopRequested = 1; }

struct Options {
  std::optional<std::string> bankFile;
  std::optional<std::string> dumpFile;
  std::string name = "KESTRALUX";
  bool saveOnExit = false;
  bool verbose = false;
  int current = 0;  // the current slot, 0..29
  VirtualKestralux::AnswerShape answer;
  VirtualKestralux::Faults faults;
};

// Where --dump-on-exit FILE.bnk puts the current sound: FILE.pre beside it.
std::filesystem::path soundDumpPath(const std::string& bankDump) {
  return std::filesystem::path(bankDump).replace_extension(".pre");
}

void printUsage(std::ostream& out) {
  out << "usage: kestralux-sim [--bank FILE.bnk] [--current N] [--save-on-exit] [--dump-on-exit FILE.bnk]\n"
         "                     [--name NAME] [--verbose] [--answer N] [--damage K] [--silent]\n"
         "                     [--lose-store N] [--stuck-slot S:CAPTION] [--silent-after-store]\n"
         "                     [--help] [--version]\n"
         "The stored slots are kept between runs: read at start and written whole after each\n"
         "store, in " << defaultSimBankPath().string() << "\n"
         "($XDG_DATA_HOME/kestralux/, else ~/.local/share/kestralux/). The first run starts from a\n"
         "demo bank of 30 named presets.\n"
         "  --bank FILE.bnk         keep the stored slots in this file instead (30 records of 88\n"
         "                          bytes); one that does not exist yet starts as the demo bank\n"
         "  --current N             the current slot (1..30, default 1): the sound starts as it,\n"
         "                          and a store-one writes it\n"
         "  --save-on-exit          write the stored bank to its file again when stopped\n"
         "  --dump-on-exit FILE.bnk write the stored bank to FILE.bnk and the current sound to\n"
         "                          FILE.pre beside it when stopped (SIGINT, SIGTERM)\n"
         "  --name NAME             port prefix, default KESTRALUX\n"
         "  --verbose               print one line per received message on standard output\n"
         "  --answer N              answer a bank request with only the first N presets (0..30)\n"
         "  --damage K              send preset K (1..30) of the answer with a wrong checksum\n"
         "  --silent                never answer a bank request\n"
         "  --lose-store N          message N (1..30) of the next store-all never arrives: every\n"
         "                          later preset lands one slot early\n"
         "  --stuck-slot S:CAPTION  slot S (1..30) always keeps that control (GAIN, DELAY TIME, ...)\n"
         "                          one step off what was stored\n"
         "  --silent-after-store    once a preset has been stored, never answer a bank request\n";
}

std::optional<int> presetCountArgument(const char* text, int lowest) {
  char* end = nullptr;
  const long n = std::strtol(text, &end, 10);
  if (end == text || *end != '\0' || n < lowest || n > kPresetCount) return std::nullopt;
  return static_cast<int>(n);
}

std::optional<Options> parseOptions(int argc, char** argv) {
  Options options;
  for (int i = 1; i < argc; ++i) {
    const std::string arg = argv[i];
    const bool hasValue = i + 1 < argc;
    if (arg == "--bank" && hasValue) {
      options.bankFile = argv[++i];
    } else if (arg == "--dump-on-exit" && hasValue) {
      options.dumpFile = argv[++i];
    } else if (arg == "--name" && hasValue) {
      options.name = argv[++i];
    } else if ((arg == "--answer" || arg == "--damage" || arg == "--current") && hasValue) {
      const int lowest = arg == "--answer" ? 0 : 1;
      const std::optional<int> n = presetCountArgument(argv[++i], lowest);
      if (!n) {
        std::cerr << "kestralux-sim: " << arg << " takes a number from " << lowest << " to " << kPresetCount << "\n";
        return std::nullopt;
      }
      if (arg == "--current")
        options.current = *n - 1;
      else
        (arg == "--answer" ? options.answer.count : options.answer.damaged) = *n;
    } else if (arg == "--lose-store" && hasValue) {
      const std::optional<int> n = presetCountArgument(argv[++i], 1);
      if (!n) {
        std::cerr << "kestralux-sim: --lose-store takes a number from 1 to " << kPresetCount << "\n";
        return std::nullopt;
      }
      options.faults.loseStore = *n;
    } else if (arg == "--stuck-slot" && hasValue) {
      const std::string value = argv[++i];
      const auto colon = value.find(':');
      const std::optional<int> slot = colon == std::string::npos ? std::nullopt : presetCountArgument(value.substr(0, colon).c_str(), 1);
      const std::optional<int> parameter =
          colon == std::string::npos ? std::nullopt : steppedParameterOfCaption(value.substr(colon + 1));
      if (!slot || !parameter) {
        std::cerr << "kestralux-sim: --stuck-slot takes SLOT:CAPTION, a slot 1.." << kPresetCount
                  << " and a control's caption as the window shows it (GAIN, DELAY TIME, ...)\n";
        return std::nullopt;
      }
      options.faults.stuckSlot = *slot - 1;
      options.faults.stuckParameter = *parameter;
    } else if (arg == "--silent-after-store") {
      options.faults.silentAfterStore = true;
    } else if (arg == "--silent") {
      options.answer.silent = true;
    } else if (arg == "--save-on-exit") {
      options.saveOnExit = true;
    } else if (arg == "--verbose") {
      options.verbose = true;
    } else if (arg == "--version") {
      std::cout << "kestralux-sim " << KESTRALUX_VERSION << "\n";
      std::exit(0);
    } else if (arg == "--help" || arg == "-h") {
      printUsage(std::cout);
      std::exit(0);
    } else {
      std::cerr << "kestralux-sim: unknown or incomplete option " << arg << "\n";
      printUsage(std::cerr);
      return std::nullopt;
    }
  }
  if (options.dumpFile && soundDumpPath(*options.dumpFile) == std::filesystem::path(*options.dumpFile)) {
    std::cerr << "kestralux-sim: --dump-on-exit takes the bank's file; the sound goes to a .pre beside it\n";
    return std::nullopt;
  }
  return options;
}

// Messages from the MIDI thread wait here for the main thread, which alone touches the
// device and may sleep while it answers.
class Inbox {
 public:
  void push(std::vector<std::uint8_t> message) {
    {
      std::lock_guard<std::mutex> guard(lock_);
      if (messages_.size() >= kLimit) return;
      messages_.push_back(std::move(message));
    }
    ready_.notify_one();
  }

  std::optional<std::vector<std::uint8_t>> pop(std::chrono::milliseconds wait) {
    std::unique_lock<std::mutex> guard(lock_);
    if (!ready_.wait_for(guard, wait, [this] { return !messages_.empty(); })) return std::nullopt;
    auto message = std::move(messages_.front());
    messages_.pop_front();
    return message;
  }

 private:
  static constexpr std::size_t kLimit = 4096;
  std::mutex lock_;
  std::condition_variable ready_;
  std::deque<std::vector<std::uint8_t>> messages_;
};

// A message's time on a 31,250 bit/s MIDI line: ten bits a byte.
std::chrono::microseconds wireTime(std::size_t bytes) {
  return std::chrono::microseconds(static_cast<long long>(bytes) * 320);
}

bool writeBank(const std::string& path, const PresetBank& bank) {
  std::string error;
  std::error_code ignored;
  if (const auto folder = std::filesystem::path(path).parent_path(); !folder.empty())
    std::filesystem::create_directories(folder, ignored);
  if (writeBankFile(path, bank, error)) return true;
  std::cerr << "kestralux-sim: " << error << "\n";
  return false;
}

}  // namespace

int main(int argc, char** argv) {
  const std::optional<Options> options = parseOptions(argc, argv);
  if (!options) return 2;

  const std::string bankPath = options->bankFile.value_or(defaultSimBankPath().string());
  std::string error;
  const std::optional<StartingBank> start = startingBank(bankPath, error);
  if (!start) {
    std::cerr << "kestralux-sim: " << error << " (the stored slots are kept there; give another --bank)\n";
    return 1;
  }
  // The demo bank is written at once, names and all, so that the editor's library can take
  // the names from the file as it would from any bank a user keeps.
  if (start->demo) {
    std::cerr << "kestralux-sim: no bank in " << bankPath << " yet; starting from the demo bank\n";
    writeBank(bankPath, start->bank);
  }
  VirtualKestralux device(start->bank, options->answer, options->current);
  device.setFaults(options->faults);

  struct sigaction action {};
  action.sa_handler = requestStop;
  sigemptyset(&action.sa_mask);
  sigaction(SIGINT, &action, nullptr);
  sigaction(SIGTERM, &action, nullptr);

  const MidiSystem system = detectMidiSystem();
  Inbox inbox;
  RtMidiVirtualPorts ports(system);
  const auto openPorts = [&] {
    return ports.open(options->name, [&inbox](std::vector<std::uint8_t> message) { inbox.push(std::move(message)); });
  };
  if (!openPorts()) {
    std::cerr << "kestralux-sim: cannot open virtual MIDI ports on " << midiSystemName(system) << ": "
              << ports.lastError() << "\n";
    return 1;
  }
  const auto sayPorts = [&](const char* when) {
    std::cout << "kestralux-sim: " << options->name << " MIDI IN / " << options->name << " MIDI OUT on "
              << midiSystemName(system) << when << std::endl;
  };
  sayPorts("");

  // A JACK server that went away took the ports with it; they are made again once one runs, as
  // the combo's own ports come back when it is switched on again.
  bool waitingForServer = false;
  auto nextTry = std::chrono::steady_clock::now();
  const auto followServer = [&] {
    if (!waitingForServer && ports.serverLost()) {
      std::cerr << "kestralux-sim: the JACK server went away; the ports come back when it does" << std::endl;
      ports.close();
      waitingForServer = true;
    }
    if (!waitingForServer || std::chrono::steady_clock::now() < nextTry) return;
    nextTry = std::chrono::steady_clock::now() + std::chrono::milliseconds(500);
    if (!openPorts()) return;
    waitingForServer = false;
    sayPorts(" again");
  };

  // Like the combo's memory, a store outlives the run. The bank is written once the line has
  // been quiet for a moment, so a store-all is one write and no message waits for the disk; a
  // failed write is said and the combo plays on.
  bool storedSinceWrite = false;
  while (!stopRequested) {
    followServer();
    const auto message = inbox.pop(std::chrono::milliseconds(50));
    if (!message) {
      if (storedSinceWrite) writeBank(bankPath, device.bank());
      storedSinceWrite = false;
      continue;
    }
    const VirtualKestralux::Reception reception = device.receive(*message);
    if (options->verbose) std::cout << reception.description << std::endl;
    storedSinceWrite = storedSinceWrite || reception.kind == VirtualKestralux::Kind::StoredPreset;
    // Each message leaves when its last byte would have reached the editor on a MIDI line,
    // counted from the request, so the pace does not drift over the 30 messages.
    auto due = std::chrono::steady_clock::now();
    for (const PresetMessage& answer : reception.answer) {
      if (stopRequested) break;
      due += wireTime(answer.size());
      std::this_thread::sleep_until(due);
      ports.sendMessage(answer);
    }
  }

  ports.close();
  bool written = !storedSinceWrite || writeBank(bankPath, device.bank());
  if (options->dumpFile) {
    written = writeBank(*options->dumpFile, device.bank()) && written;
    std::string error;
    if (!writeFileAtomically(soundDumpPath(*options->dumpFile), presetFileImage(device.sound()), error)) {
      std::cerr << "kestralux-sim: " << error << "\n";
      written = false;
    }
  }
  if (options->saveOnExit) written = writeBank(bankPath, device.bank()) && written;
  return written ? 0 : 1;
}
