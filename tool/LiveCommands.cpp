#include "tool/LiveCommands.h"

#include <algorithm>
#include <chrono>
#include <condition_variable>
#include <csignal>
#include <deque>
#include <filesystem>
#include <fstream>
#include <memory>
#include <mutex>
#include <optional>
#include <span>
#include <thread>

#if __has_include(<termios.h>)
#include <termios.h>
#include <unistd.h>
#define KESTRALUX_TERMINAL_KEYS 1
#endif

#include "files/PresetFiles.h"
#include "files/PresetListing.h"
#include "link/ComboLink.h"
#include "live/FootController.h"
#include "live/SetlistFile.h"
#include "live/StagePlay.h"
#include "model/EditorState.h"
#include "tool/PresetFileRule.h"

namespace kestralux {

namespace {

namespace fs = std::filesystem;
using namespace std::chrono_literals;

// A setlist of a thousand songs is some 300 kB; anything far beyond is not one.
constexpr std::size_t kLargestSetlistFile = 16 << 20;
// How often the controller's port is looked for while nothing arrives.
constexpr auto kControllerLook = 500ms;

std::atomic<bool> signalledStop{false};
extern "C" void stopOnSignal(int) { signalledStop = true; }

// What the controller's port thread and the key reader hand to the player's loop: the loop
// wakes at once, so a pedal's step costs no polling interval.
class Mailbox {
 public:
  struct Item {
    bool fromController = false;
    std::vector<std::uint8_t> bytes;  // the controller's, or one key
  };

  void post(Item item) {
    {
      std::lock_guard<std::mutex> guard(lock_);
      items_.push_back(std::move(item));
    }
    ready_.notify_one();
  }

  std::deque<Item> wait(std::chrono::milliseconds limit) {
    std::unique_lock<std::mutex> guard(lock_);
    ready_.wait_for(guard, limit, [this] { return !items_.empty(); });
    std::deque<Item> taken;
    taken.swap(items_);
    return taken;
  }

 private:
  std::mutex lock_;
  std::condition_variable ready_;
  std::deque<Item> items_;
};

// The terminal in one-key-at-a-time mode without echo while it lives, as it was afterwards.
class TerminalKeys {
 public:
  explicit TerminalKeys(int fd) : fd_(fd) {
#ifdef KESTRALUX_TERMINAL_KEYS
    if (fd_ < 0 || !::isatty(fd_) || ::tcgetattr(fd_, &saved_) != 0) return;
    termios raw = saved_;
    raw.c_lflag &= static_cast<tcflag_t>(~(ICANON | ECHO));
    raw.c_cc[VMIN] = 1;
    raw.c_cc[VTIME] = 0;
    changed_ = ::tcsetattr(fd_, TCSANOW, &raw) == 0;
#endif
  }
  ~TerminalKeys() {
#ifdef KESTRALUX_TERMINAL_KEYS
    if (changed_) ::tcsetattr(fd_, TCSANOW, &saved_);
#endif
  }
  TerminalKeys(const TerminalKeys&) = delete;
  TerminalKeys& operator=(const TerminalKeys&) = delete;

 private:
  int fd_;
#ifdef KESTRALUX_TERMINAL_KEYS
  termios saved_{};
#endif
  bool changed_ = false;
};

// Reads keys on a thread of its own until the file ends. A read blocked on a terminal cannot be
// called off, so the thread is left to end with the program; it holds the mailbox with it.
void readKeys(int fd, const std::shared_ptr<Mailbox>& mailbox) {
#ifdef KESTRALUX_TERMINAL_KEYS
  if (fd < 0) return;
  std::thread([fd, mailbox] {
    unsigned char key = 0;
    while (::read(fd, &key, 1) == 1) mailbox->post({false, {key}});
  }).detach();
#else
  (void)fd;
  (void)mailbox;
#endif
}

std::optional<Step> stepOfKey(std::uint8_t key) {
  switch (key) {
    case ' ':
    case '\n':
    case '\r': return Step{StepKind::Next, 0};
    case 'b':
    case 'B': return Step{StepKind::Previous, 0};
    default: return std::nullopt;
  }
}

int controllerNumber(const std::string& option, const std::string& text) {
  int n = -1;
  try {
    std::size_t used = 0;
    n = std::stoi(text, &used);
    if (used != text.size()) n = -1;
  } catch (...) {
  }
  if (n < 0 || n > 127) throw badValue(option + " takes a controller number 0..127, not \"" + text + "\"");
  return n;
}

Setlist readSetlist(const fs::path& path) {
  const std::optional<Bytes> data = readFileStart(path, kLargestSetlistFile + 1);
  if (!data) throw badInput("cannot read " + path.string());
  if (data->size() > kLargestSetlistFile) throw badInput(path.string() + ": too large for a setlist");
  const SetlistReading reading = readSetlistFile(std::string(data->begin(), data->end()), path.stem().string());
  if (reading.error) throw badInput(path.string() + ": " + reading.error->text());
  return *reading.setlist;
}

std::optional<FootControllerSettings> rememberedController() {
  std::ifstream in(kFootControllerFileName, std::ios::binary);
  if (!in) return std::nullopt;
  const std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  return readFootControllerSettings(text);
}

bool listed(MidiPorts& ports, const std::string& name) {
  const auto names = ports.inputPortNames();
  return std::find(names.begin(), names.end(), name) != names.end();
}

int live(const std::vector<std::string>& args, std::ostream& out, std::ostream& err, const PortsFactory& factory,
         const LiveInputs& inputs) {
  static const OptionSpec options{{"--controller", "--in", "--out", "--next-cc", "--previous-cc"}, {}};
  const ParsedArguments a = parseArguments(std::span(args).subspan(1), options);
  if (a.words.size() != 1) throw badUsage("live takes one setlist file");
  const Setlist setlist = readSetlist(a.words[0]);
  if (setlist.songs.empty()) throw badInput(a.words[0] + " holds no song");

  FootControllerSettings controller = rememberedController().value_or(FootControllerSettings{});
  if (const auto named = a.value("--controller")) controller.port = *named;
  if (const auto c = a.value("--next-cc")) controller.mapping.next = {FootTrigger::Kind::ControlChange, controllerNumber("--next-cc", *c)};
  if (const auto c = a.value("--previous-cc"))
    controller.mapping.previous = {FootTrigger::Kind::ControlChange, controllerNumber("--previous-cc", *c)};
  if (controller.mapping.next == controller.mapping.previous)
    throw badValue("next and previous would be the same pedal (" + describeFootTrigger(controller.mapping.next) + ")");

  // The combo's ports as the editor remembers them, or as --in/--out name them; never searched
  // for, since a search asks every port for its bank.
  std::unique_ptr<MidiPorts> ports = factory ? factory() : nullptr;
  if (!ports) throw badInput("no MIDI system");
  EditorState state;
  ComboLink link(*ports, state);
  std::string cardError;
  link.cardError = [&] { cardError = "cannot send on MIDI output \"" + link.ports().output + "\""; };
  ComboLink::StartUp how;
  how.startupMessage = false;
  how.search = ComboLink::SearchAtStart::Never;
  how.fetchWhenAtHand = false;
  how.listen = false;
  link.start(how);
  if (!link.remembered() && !a.value("--out"))
    throw badInput("no combo remembered here (combo.ports, combo.cfg): name its output with --out, or save it with detect --save");
  PortNames chosen = link.ports();
  // With nothing remembered the link takes the first input; that is no port of the combo's.
  if (!link.remembered()) chosen.input.clear();
  if (const auto o = a.value("--out")) chosen.output = choosePort(link.outputNames(), *o, "output");
  if (const auto i = a.value("--in")) chosen.input = choosePort(link.inputNames(), *i, "input");
  link.usePorts(chosen);
  // Only the output is used: what the combo says is not waited for.
  link.engine.CLOSE_MIDI_IN();
  if (!link.outputNumber()) throw badInput("the combo's MIDI output \"" + link.ports().output + "\" is not there");

  const auto mailbox = std::make_shared<Mailbox>();
  std::unique_ptr<MidiPorts> pedalPorts;
  if (!controller.port.empty()) {
    pedalPorts = factory();
    if (!pedalPorts) throw badInput("no MIDI system");
    const std::vector<std::string> names = pedalPorts->inputPortNames();
    controller.port = choosePort(names, controller.port, "input");
    if (!link.ports().input.empty() && controller.port == link.ports().input)
      throw badInput("\"" + controller.port + "\" is the combo's input; the foot controller needs a port of its own");
    const auto device = static_cast<std::uint32_t>(std::find(names.begin(), names.end(), controller.port) - names.begin());
    if (!pedalPorts->openControllerInput(device, [mailbox](std::vector<std::uint8_t> bytes) { mailbox->post({true, std::move(bytes)}); }))
      throw badInput("cannot open MIDI input \"" + controller.port + "\" for the foot controller");
    err << "kestralux-tool: foot controller on \"" << controller.port << "\": " << describeFootTrigger(controller.mapping.next)
        << " next, " << describeFootTrigger(controller.mapping.previous) << " previous"
        << (controller.mapping.programChangePlaysSong ? ", program n plays song n+1" : "") << "\n";
  }

  std::atomic<bool>* stop = inputs.stop;
  void (*previousInt)(int) = SIG_DFL;
  void (*previousTerm)(int) = SIG_DFL;
  if (!stop) {
    signalledStop = false;
    stop = &signalledStop;
    previousInt = std::signal(SIGINT, stopOnSignal);
    previousTerm = std::signal(SIGTERM, stopOnSignal);
  }
  TerminalKeys terminal(inputs.keys);
  readKeys(inputs.keys, mailbox);

  StagePlay play(setlist, [&](const PresetRecord& sound) {
    cardError.clear();
    const bool sent = link.protocol.SendWholePreset(sound);
    if (!cardError.empty()) err << "kestralux-tool: " << cardError << "\n";
    return sent;
  });
  const auto say = [&](const StepResult& result, const Step& step, const std::string& cause) {
    if (result.outcome == StepOutcome::Played)
      out << play.stepLine() << std::endl;
    else
      out << (cause.empty() ? "" : cause + ": ") << stepOutcomeText(result, step) << std::endl;
  };
  say(play.start(), {StepKind::First, 0}, "");

  ControllerByteParser parser;
  std::string ending;
  auto lastLook = std::chrono::steady_clock::now();
  while (ending.empty()) {
    if (stop->load()) {
      ending = "stopped";
      break;
    }
    for (Mailbox::Item& item : mailbox->wait(50ms)) {
      if (!ending.empty()) break;
      if (!item.fromController) {
        if (item.bytes[0] == 'q' || item.bytes[0] == 'Q') ending = "stopped";
        if (const auto step = stepOfKey(item.bytes[0])) say(play.step(*step), *step, "");
        continue;
      }
      for (const ControllerMessage& message : parser.feed(item.bytes))
        if (const auto step = stepOfMessage(controller.mapping, message))
          say(play.step(*step), *step, describeControllerMessage(message));
    }
    link.engine.followReturnedPorts();
    if (pedalPorts && std::chrono::steady_clock::now() - lastLook >= kControllerLook) {
      lastLook = std::chrono::steady_clock::now();
      if (!listed(*pedalPorts, controller.port)) ending = "the foot controller's port \"" + controller.port + "\" went away";
    }
  }
  if (inputs.stop == nullptr) {
    std::signal(SIGINT, previousInt);
    std::signal(SIGTERM, previousTerm);
  }
  if (pedalPorts) pedalPorts->closeInput();
  link.stop();
  err << "kestralux-tool: " << ending << " at " << (play.current() ? play.positionText() : "no song") << "\n";
  return kToolSuccess;
}

// ---- setlist ----

std::vector<std::string> splitCommas(const std::string& text) {
  std::vector<std::string> parts;
  std::size_t start = 0;
  for (std::size_t comma; (comma = text.find(',', start)) != std::string::npos; start = comma + 1)
    parts.push_back(text.substr(start, comma - start));
  parts.push_back(text.substr(start));
  return parts;
}

// Columns of UTF-8 text padded to the widest cell, two blanks between.
std::string table(const std::vector<std::vector<std::string>>& rows) {
  const auto width = [](const std::string& s) {
    return static_cast<std::size_t>(std::count_if(s.begin(), s.end(), [](char c) { return (static_cast<unsigned char>(c) & 0xC0) != 0x80; }));
  };
  std::vector<std::size_t> widths;
  for (const auto& row : rows)
    for (std::size_t c = 0; c < row.size(); ++c) {
      if (widths.size() <= c) widths.push_back(0);
      widths[c] = std::max(widths[c], width(row[c]));
    }
  std::string text;
  for (const auto& row : rows) {
    std::string line;
    for (std::size_t c = 0; c < row.size(); ++c) line += row[c] + (c + 1 < row.size() ? std::string(widths[c] - width(row[c]) + 2, ' ') : "");
    while (!line.empty() && line.back() == ' ') line.pop_back();
    text += line + "\n";
  }
  return text;
}

// Tabs and line feeds of a title or note would break the table's rows.
std::string oneLine(std::string text) {
  for (char& c : text)
    if (c == '\t' || c == '\n' || c == '\r') c = ' ';
  return text;
}

int showSetlist(const std::string& file, std::ostream& out) {
  const Setlist setlist = readSetlist(file);
  out << "SETLIST " << setlist.name << " (" << setlist.songs.size() << (setlist.songs.size() == 1 ? " song" : " songs") << ")\n";
  std::vector<std::vector<std::string>> rows{{"#", "TITLE", "SOUND", "AMP", "EFFECT", "NOTE"}};
  int n = 0;
  for (const Song& song : setlist.songs) {
    const std::string name = soundNameText(song);
    rows.push_back({std::to_string(++n), oneLine(song.title), oneLine(name.empty() ? "-" : name),
                    shownValue(song.sound, AMP_TYPE), shownValue(song.sound, EFFECT_SELECT), oneLine(song.note)});
  }
  out << table(rows);
  return kToolSuccess;
}

int makeSetlist(const ParsedArguments& a, std::ostream& err) {
  if (a.words.empty()) throw badUsage("setlist takes one or more .bnk or .pre files, or --show FILE.setlist");
  const auto output = a.value("-o");
  if (!output) throw badUsage("setlist writes its setlist to -o OUT.setlist");
  expectExtension(*output, std::string(kSetlistExtension).c_str());
  refuseExisting(*output, a.has("--force"));

  // Every preset of the files in the order given, each titled as it comes unless named.
  std::vector<Song> presets;
  for (const std::string& file : a.words) {
    const auto read = readPresetFile(file);
    if (const auto* one = std::get_if<PresetRecord>(&read)) {
      presets.push_back(songOfSound(*one, one->validName() ? std::nullopt : std::optional(fs::path(file).stem().string())));
      continue;
    }
    const PresetBank& bank = std::get<PresetBank>(read);
    for (int slot = 0; slot < kPresetCount; ++slot) {
      const PresetRecord& r = bank[static_cast<std::size_t>(slot)];
      presets.push_back(songOfSound(r, r.validName() ? std::nullopt : std::optional("SLOT " + std::to_string(slot + 1))));
    }
  }
  Setlist setlist;
  setlist.name = fs::path(*output).stem().string();
  if (const auto slots = a.value("--slots")) {
    for (const std::string& text : splitCommas(*slots)) {
      std::size_t used = 0;
      int n = 0;
      try {
        n = std::stoi(text, &used);
      } catch (...) {
        used = 0;
      }
      if (used == 0 || used != text.size() || n < 1 || n > static_cast<int>(presets.size()))
        throw badValue("--slots: \"" + text + "\" is not a slot 1.." + std::to_string(presets.size()) + " of the files given");
      setlist.songs.push_back(presets[static_cast<std::size_t>(n - 1)]);
    }
  } else {
    setlist.songs = presets;
  }
  if (const auto titles = a.value("--titles")) {
    const std::vector<std::string> given = splitCommas(*titles);
    if (given.size() > setlist.songs.size())
      throw badValue("--titles gives " + std::to_string(given.size()) + " titles for " + std::to_string(setlist.songs.size()) + " songs");
    for (std::size_t k = 0; k < given.size(); ++k) setlist.songs[k].title = given[k];
  }
  writeTarget(*output, setlistFileText(setlist), a.has("--force"));
  err << "kestralux-tool: " << setlist.songs.size() << " songs written to " << *output << "\n";
  return kToolSuccess;
}

int setlistCommand(const std::vector<std::string>& args, std::ostream& out, std::ostream& err) {
  static const OptionSpec options{{"-o", "--slots", "--titles", "--show"}, {"--force"}};
  const ParsedArguments a = parseArguments(std::span(args).subspan(1), options);
  if (const auto shown = a.value("--show")) {
    if (!a.words.empty() || a.value("-o")) throw badUsage("setlist --show takes one setlist file and nothing else");
    return showSetlist(*shown, out);
  }
  return makeSetlist(a, err);
}

}  // namespace

int runLiveCommand(const std::vector<std::string>& args, std::ostream& out, std::ostream& err, const PortsFactory& ports,
                   const LiveInputs& inputs) {
  try {
    return live(args, out, err, ports, inputs);
  } catch (const ToolError& e) {
    return reportToolError(e, err, toolUsage());
  }
}

int runSetlistCommand(const std::vector<std::string>& args, std::ostream& out, std::ostream& err) {
  try {
    return setlistCommand(args, out, err);
  } catch (const ToolError& e) {
    return reportToolError(e, err, toolUsage());
  }
}

std::string liveUsage() {
  return R"(  live FILE.setlist [--controller N|NAME] [--in N|NAME] [--out N|NAME] [--next-cc C] [--previous-cc C]
      Play a setlist on stage without a screen: the first song's sound goes to the combo at
      start, then each step sends the next song's sound whole, as stepping through the bank
      does, and prints "3/12 TITLE: SOUND". Keys: Space or Enter next, b previous, q quits.
      The foot controller (an input port other than the combo's, else the one controller.cfg
      remembers): Program Change n on any channel plays song n+1; CC 80 (value 64 or more)
      next, CC 81 previous, or the CCs --next-cc and --previous-cc give. Past the last song
      nothing is sent ("END OF THE SET"). It never stores and never asks for the bank; it ends
      on q, Ctrl+C, or when the controller's port goes away, and says so.
  setlist FILE.bnk|FILE.pre... [--slots 3,7,1] [--titles A,B,C] -o OUT.setlist [--force]
      Make a setlist of the files' presets: every one in order, or the slots --slots gives,
      counted through the files as given (a .pre is one). Titled by the presets' names, or
      by --titles in song order.
  setlist --show FILE.setlist
      Print a setlist as a table: number, title, sound, amp model, effect, note.
)";
}

}  // namespace kestralux
