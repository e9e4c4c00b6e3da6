#include "tool/KestraluxTool.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <optional>
#include <span>
#include <thread>
#include <variant>

#include "files/BankHistory.h"
#include "files/PresetDiff.h"
#include "files/PresetFiles.h"
#include "files/PresetListing.h"
#include "files/PresetTableExport.h"
#include "files/Syx.h"
#include "files/ComboConfig.h"
#include "files/ComboConfigPlace.h"
#include "files/ComboPorts.h"
#include "link/ComboFinder.h"
#include "library/BankMoves.h"
#include "library/PresetLibrary.h"
#include "link/ComboLink.h"
#include "model/EditorState.h"
#include "tool/ExploreCommands.h"
#include "tool/LibraryCommands.h"
#include "tool/MonitorCommands.h"
#include "tool/LiveCommands.h"
#include "tool/PresetFileRule.h"
#include "tool/SheetCommand.h"
#include "tool/ToolInbox.h"

namespace kestralux {

namespace {

namespace fs = std::filesystem;
using namespace std::chrono_literals;

// A .syx file of preset messages is 1,200 bytes for a bank; anything far beyond is not one.
constexpr std::size_t kLargestSyx = 1 << 20;

struct Arguments {
  std::string command;
  std::vector<std::string> files;
  std::optional<std::string> output, in, out, entry, preset, historyEntry;
  bool partial = false;
  bool noVerify = false;
  bool save = false;
  bool force = false;
  bool trace = false;
};

Arguments parse(const std::vector<std::string>& args) {
  if (args.empty()) throw badUsage("no command");
  static const OptionSpec options{{"-o", "--in", "--out", "--preset", "--show", "--history"},
                                  {"--partial", "--save", "--force", "--no-verify", "--trace"}};
  const ParsedArguments parsed = parseArguments(std::span(args).subspan(1), options);
  Arguments a;
  a.command = args[0];
  a.files = parsed.words;
  a.output = parsed.value("-o");
  a.in = parsed.value("--in");
  a.out = parsed.value("--out");
  a.preset = parsed.value("--preset");
  a.entry = parsed.value("--show");
  a.historyEntry = parsed.value("--history");
  a.noVerify = parsed.has("--no-verify");
  a.partial = parsed.has("--partial");
  a.save = parsed.has("--save");
  a.force = parsed.has("--force");
  a.trace = parsed.has("--trace");
  return a;
}

void expectFiles(const Arguments& a, std::size_t count) {
  if (a.files.size() != count)
    throw badUsage(a.command + " takes " + (count == 0 ? std::string("no file") : "one file"));
}

std::string lower(std::string s) {
  std::transform(s.begin(), s.end(), s.begin(), [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
  return s;
}

Bytes readInput(const fs::path& path, std::size_t limit) {
  std::optional<Bytes> data = readFileStart(path, limit + 1);
  if (!data) throw badInput("cannot read " + path.string());
  return *data;
}

PresetBank readBank(const fs::path& path) {
  auto presets = readPresetFile(path);
  if (auto* bank = std::get_if<PresetBank>(&presets)) return *bank;
  throw badInput(path.string() + " holds one preset; this command needs a bank (.bnk)");
}

fs::path withExtension(const fs::path& input, const char* extension) {
  return fs::path(input.filename()).replace_extension(extension);
}

// ---- MIDI ----

}  // namespace

// The port a --in/--out argument names: a port of exactly that name, else its device number,
// else the one port whose name contains the text (any case). Several such ports are a
// question only the user can answer.
std::string choosePort(const std::vector<std::string>& names, const std::string& wanted, const char* side) {
  if (std::find(names.begin(), names.end(), wanted) != names.end()) return wanted;
  if (!wanted.empty() && wanted.size() < 6 && std::all_of(wanted.begin(), wanted.end(), [](unsigned char c) { return std::isdigit(c); })) {
    const unsigned long n = std::stoul(wanted);
    if (n < names.size()) return names[n];
    throw badInput(std::string("no MIDI ") + side + " port " + wanted);
  }
  std::vector<std::string> alike;
  for (const std::string& name : names)
    if (lower(name) == lower(wanted)) return name;
  for (const std::string& name : names)
    if (lower(name).find(lower(wanted)) != std::string::npos) alike.push_back(name);
  if (alike.size() == 1) return alike.front();
  if (alike.empty()) throw badInput(std::string("no MIDI ") + side + " port named like \"" + wanted + "\"");
  std::string list;
  for (const std::string& name : alike) list += (list.empty() ? "\"" : ", \"") + name + "\"";
  throw badInput(std::string("\"") + wanted + "\" names " + std::to_string(alike.size()) + " MIDI " + side + " ports: " + list);
}

namespace {

// The editor's link to the combo, run from the tool's own loop.
struct Link {
  std::unique_ptr<MidiPorts> ports;
  EditorState state;
  std::unique_ptr<ComboLink> combo;
  Inbox inbox;
  std::string cardError;
  // fetch and store feed the preset library and take the names of fetched presets from it;
  // the commands that only look (diff, sheet) leave it alone.
  std::unique_ptr<PresetLibrary> library;
  // With --trace: every message on standard error as it goes.
  std::unique_ptr<Tracer> tracer;

  Link() = default;
  Link(const Link&) = delete;
  Link& operator=(const Link&) = delete;
  ~Link() { trace(); }
  void trace() {
    if (tracer) tracer->print();
  }
  void step() {
    std::this_thread::sleep_for(10ms);
    inbox.runPosted();
    // Before the tick, so a message is shown before what it brings about.
    trace();
    combo->tick();
  }
};

// The library in the data folder, as the editor opens it; one that cannot be opened gives
// no names and keeps nothing, and says why.
std::unique_ptr<PresetLibrary> openLibrary(std::ostream& err) {
  auto library = std::make_unique<PresetLibrary>();
  const LibraryOpening opening = library->open(libraryFile(), historyFolder());
  if (opening.soundsFromHistory > 0)
    err << "kestralux-tool: the history of banks brought " << opening.soundsFromHistory << " sounds into the library\n";
  if (!opening.message.empty()) err << "kestralux-tool: " << opening.message << "\n";
  return library;
}

std::string describePort(const std::vector<std::string>& names, const std::string& name) {
  const auto it = std::find(names.begin(), names.end(), name);
  return std::to_string(it - names.begin()) + " \"" + name + "\"";
}

// The ports exactly as the editor takes them: the names in combo.ports, else the numbers in
// combo.cfg (both where the editor keeps them); with neither, the combo is searched for and the
// ports it answers on are said. --out and --in override.
ComboLink& makeLink(Link& link, const PortsFactory& untraced, bool trace, std::ostream& err) {
  if (trace) link.tracer = std::make_unique<Tracer>(err);
  const PortsFactory factory = trace ? link.tracer->wrap(untraced) : untraced;
  link.ports = factory ? factory() : nullptr;
  if (!link.ports) throw badInput("no MIDI system");
  link.combo = std::make_unique<ComboLink>(*link.ports, link.state, comboConfigPath());
  link.combo->portsMaker = factory;
  link.combo->setPoster([&link](std::function<void()> work) { link.inbox.post(std::move(work)); });
  return *link.combo;
}

void openLink(Link& link, const Arguments& a, const PortsFactory& factory, std::ostream& err) {
  ComboLink& combo = makeLink(link, factory, a.trace, err);
  combo.engine.setPause([](std::chrono::milliseconds) {});
  combo.cardError = [&link] {
    if (link.cardError.empty()) link.cardError = "cannot send on MIDI output \"" + link.combo->ports().output + "\"";
  };
  combo.protocol.bankMoved = [&err, &link](const BankMove& move) {
    keepBankMove(move, historyFolder(), link.library.get(), err, "kestralux-tool");
  };
  combo.protocol.newestName = newestNameIn(link.library.get());
  combo.protocol.keptComboBank = [] { return newestComboBank(historyFolder()); };
  combo.protocol.fetchNotices = [&err](const Notices& notices) {
    for (const std::string& n : notices) err << "kestralux-tool: " << lower(n) << "\n";
  };
  ComboLink::StartUp how;
  how.startupMessage = false;
  how.fetchWhenAtHand = false;
  how.found = ComboLink::FoundPair::Use;
  how.search = a.out || a.in ? ComboLink::SearchAtStart::Never : ComboLink::SearchAtStart::WhenNothingRemembered;
  combo.start(how);
  while (combo.searching()) link.step();
  if (combo.search() == ComboLink::Search::NotFound)
    throw badInput("no combo found (nothing in combo.cfg or combo.ports, and no port answered the bank request)");
  if (combo.search() == ComboLink::Search::Found)
    err << "kestralux-tool: combo found: output " << describePort(combo.outputNames(), combo.ports().output) << ", input "
        << describePort(combo.inputNames(), combo.ports().input) << "\n";
  if (a.out || a.in) {
    PortNames chosen = combo.ports();
    if (a.out) chosen.output = choosePort(combo.outputNames(), *a.out, "output");
    if (a.in) chosen.input = choosePort(combo.inputNames(), *a.in, "input");
    combo.usePorts(chosen);
  }
  if (!combo.outputNumber())
    throw badInput(combo.ports().output.empty() ? std::string("no MIDI output port")
                                                : "the combo's MIDI output \"" + combo.ports().output + "\" is not there");
}

// Asks the combo for its bank (unless the search already brought it) and waits until the
// fetch has ended, telling how it goes.
const BankFetch& requestBank(Link& link, const Arguments& a, std::ostream& err, const PortsFactory& factory) {
  openLink(link, a, factory, err);
  ComboLink& combo = *link.combo;
  if (!link.ports->isInputOpen()) throw badInput("cannot open MIDI input \"" + combo.ports().input + "\"");
  // The search may have brought the answer already; the link's tick runs the fetch to its end.
  TransferDriver& driver = combo.transfers;
  const bool started = combo.protocol.fetch.waiting() ? driver.followFetch() : driver.fetch();
  if (!link.cardError.empty()) throw badInput(link.cardError);
  while (started && driver.fetching()) link.step();
  combo.stop();
  return combo.protocol.fetch;
}

int fetch(const Arguments& a, std::ostream& err, const PortsFactory& factory) {
  expectFiles(a, 0);
  const fs::path target = a.output.value_or("FULL1.bnk");
  if (outputKind(target) != PresetFileKind::Bank) throw badUsage("fetch brings a bank; write it to a .bnk file");
  // Before asking the combo, so the answer is not waited for in vain.
  refuseExisting(target, a.force);
  Link link;
  link.library = openLibrary(err);
  const BankFetch& result = requestBank(link, a, err, factory);
  const bool whole = result.received() == kPresetCount && result.damaged().empty();
  if (result.received() == 0) throw badInput("no answer; nothing written");
  if (!whole && !a.partial) {
    std::string why = "only " + std::to_string(result.received()) + " of 30 presets received";
    if (result.received() == kPresetCount) why = std::to_string(result.damaged().size()) + " of 30 presets damaged";
    throw badInput(why + "; nothing written (--partial writes what arrived)");
  }
  writeTarget(target, bankFileImage(link.state.bank), a.force);
  err << "kestralux-tool: bank written to " << target.string() << "\n";
  return whole ? kToolSuccess : kToolBadInput;
}

// One side of a diff: the presets of a .pre, .bnk or .syx, or the combo's bank. A .syx and
// the combo carry no names.
struct DiffSide {
  std::vector<PresetRecord> presets;
  bool names = true;
};

DiffSide readDiffSide(const std::string& what, const Arguments& a, std::ostream& err, const PortsFactory& factory) {
  if (what == "combo") {
    Link link;
    const BankFetch& result = requestBank(link, a, err, factory);
    if (result.received() != kPresetCount || !result.damaged().empty())
      throw badInput("the combo's bank did not arrive whole");
    return {{link.state.bank.begin(), link.state.bank.end()}, false};
  }
  if (lower(fs::path(what).extension().string()) == ".syx") {
    const Bytes data = readInput(what, kLargestSyx);
    const SyxReading reading = readSyx(data);
    if (!reading.error.empty()) throw badInput(what + ": " + reading.error);
    if (const auto* bank = std::get_if<PresetBank>(&reading.contents)) return {{bank->begin(), bank->end()}, false};
    return {{std::get<PresetRecord>(reading.contents)}, false};
  }
  const auto presets = readPresetFile(what);
  if (const auto* bank = std::get_if<PresetBank>(&presets)) return {{bank->begin(), bank->end()}, true};
  return {{std::get<PresetRecord>(presets)}, true};
}

// Like diff(1): 0 when the same, 1 when they differ, 2 for bad input or usage.
int diff(const Arguments& a, std::ostream& out, std::ostream& err, const PortsFactory& factory) {
  if (a.files.size() != 2) throw badUsage("diff takes two files (or combo)");
  int chosen = 0;
  if (a.preset) {
    const std::string& n = *a.preset;
    const bool number = !n.empty() && n.size() < 3 && std::all_of(n.begin(), n.end(), [](unsigned char c) { return std::isdigit(c); });
    if (!number || std::stoi(n) < 1 || std::stoi(n) > kPresetCount) throw badUsage("--preset takes a preset number 1..30");
    chosen = std::stoi(n);
  }
  DiffSide left, right;
  try {
    left = readDiffSide(a.files[0], a, err, factory);
    right = readDiffSide(a.files[1], a, err, factory);
  } catch (const ToolError& e) {
    // diff keeps 1 for "they differ": what could not be read is trouble, as diff(1) says it.
    if (e.kind != ToolError::Kind::BadInput) throw;
    err << "kestralux-tool: " << e.why << "\n";
    return kToolBadUsage;
  }
  // A bank side gives the chosen preset (preset 1 against a single preset) or all of them.
  int first = 1;
  const auto pick = [&](DiffSide& side, bool otherIsOne) {
    if (side.presets.size() == 1) return;
    const int n = chosen ? chosen : otherIsOne ? 1 : 0;
    if (n == 0) return;
    side.presets = {side.presets[static_cast<std::size_t>(n - 1)]};
    first = n;
  };
  const bool leftOne = left.presets.size() == 1, rightOne = right.presets.size() == 1;
  pick(left, rightOne);
  pick(right, leftOne);
  // Two single presets are called by the number asked for.
  if (leftOne && rightOne && chosen) first = chosen;
  const std::string text = diffText(left.presets, right.presets, left.names && right.names, first);
  out << text;
  return text.empty() ? kToolSuccess : kToolBadInput;
}

// Entry N of the history of banks, numbered as `history` lists them.
PresetBank historyBank(const std::string& n) {
  const std::vector<HistoryEntry> entries = listHistory(historyFolder());
  const bool number = !n.empty() && n.size() < 6 && std::all_of(n.begin(), n.end(), [](unsigned char c) { return std::isdigit(c); });
  if (!number) throw badUsage("--history takes an entry number");
  const std::size_t k = std::stoul(n);
  if (k == 0 || k > entries.size()) throw badInput("no history entry " + n + " (there are " + std::to_string(entries.size()) + ")");
  const std::optional<Bytes> data = readFileStart(entries[k - 1].path, kBankFileSize + 1);
  const std::optional<PresetBank> bank = data ? parseBankFile(*data) : std::nullopt;
  if (!bank) throw badInput(entries[k - 1].path.string() + ": not a bank file");
  return *bank;
}

// The store through the link's driver, on a plain clock: the combo's bank read and kept, the
// bank stored, read back and compared; --no-verify sends the messages only.
int store(const Arguments& a, std::ostream& err, const PortsFactory& factory) {
  std::variant<PresetRecord, PresetBank> what;
  if (a.historyEntry) {
    expectFiles(a, 0);
    what = historyBank(*a.historyEntry);
  } else {
    expectFiles(a, 1);
    what = readPresetFile(a.files[0]);
  }
  Link link;
  link.library = openLibrary(err);
  openLink(link, a, factory, err);
  if (!a.noVerify && !link.ports->isInputOpen())
    throw badInput("cannot open MIDI input \"" + link.combo->ports().input + "\" to check the store (--no-verify stores unchecked)");
  TransferDriver& driver = link.combo->transfers;
  std::optional<TransferClock::time_point> due;
  std::optional<StoreOutcome> outcome;
  driver.wakeAfter = [&due](std::chrono::milliseconds after) { due = TransferClock::now() + after; };
  driver.progress = [&err](const std::string& text) { err << "kestralux-tool: " << lower(text) << "\n"; };
  driver.ended = [&outcome](const StoreOutcome& o) { outcome = o; };
  driver.keep = [&err](const PresetBank& bank, const std::string& kind) { keepBank(bank, kind, err, "kestralux-tool"); };
  if (const auto* bank = std::get_if<PresetBank>(&what))
    driver.storeAll(*bank, a.noVerify ? TransferDriver::Check::None : TransferDriver::Check::ReadBoth);
  else
    driver.storeOne(std::get<PresetRecord>(what), a.noVerify ? TransferDriver::Check::None : TransferDriver::Check::ReadBack);
  while (!outcome) {
    const auto now = TransferClock::now();
    std::this_thread::sleep_until(due ? std::min(*due, now + 10ms) : now + 10ms);
    link.inbox.runPosted();
    link.combo->tick();
    link.trace();
    if (due && TransferClock::now() >= *due) {
      due.reset();
      driver.wake();
    }
  }
  link.combo->stop();
  if (!link.cardError.empty()) err << "kestralux-tool: " << link.cardError << "\n";
  for (const SlotDifference& d : outcome->differences)
    for (const ControlDifference& c : d.controls)
      err << "kestralux-tool: " << lower(slotDifferenceText({d.slot, {c}})) << "\n";
  for (const std::string& line : outcome->notices)
    if (line.rfind("SLOT ", 0) != 0) err << "kestralux-tool: " << lower(line) << "\n";
  const bool done = outcome->result == StoreOutcome::Result::Checked || outcome->result == StoreOutcome::Result::Sent;
  return done ? kToolSuccess : kToolBadInput;
}

// The history of banks, newest first, each with how many presets differ from the entry
// before it; or, with --show N, entry N as `show` prints a bank.
int history(const Arguments& a, std::ostream& out) {
  expectFiles(a, 0);
  const std::vector<HistoryEntry> entries = listHistory(historyFolder());
  const auto bankOf = [](const HistoryEntry& e) -> std::optional<PresetBank> {
    const std::optional<Bytes> data = readFileStart(e.path, kBankFileSize + 1);
    return data ? parseBankFile(*data) : std::nullopt;
  };
  if (a.entry) {
    const std::string& n = *a.entry;
    const bool number = !n.empty() && n.size() < 6 && std::all_of(n.begin(), n.end(), [](unsigned char c) { return std::isdigit(c); });
    if (!number) throw badUsage("--show takes an entry number");
    const std::size_t k = std::stoul(n);
    if (k == 0 || k > entries.size()) throw badInput("no history entry " + n + " (there are " + std::to_string(entries.size()) + ")");
    const auto bank = bankOf(entries[k - 1]);
    if (!bank) throw badInput(entries[k - 1].path.string() + ": not a bank file");
    out << presetListing(*bank);
    return kToolSuccess;
  }
  if (entries.empty()) {
    out << "no banks in " << historyFolder().string() << "\n";
    return kToolSuccess;
  }
  std::vector<std::optional<PresetBank>> banks;
  for (const HistoryEntry& e : entries) banks.push_back(bankOf(e));
  for (std::size_t k = 0; k < entries.size(); ++k) {
    std::string differs = "first";
    if (!banks[k]) {
      differs = "unreadable";
    } else if (k + 1 < entries.size() && banks[k + 1]) {
      const int count = presetsDiffering(*banks[k], *banks[k + 1]);
      differs = std::to_string(count) + (count == 1 ? " preset differs" : " presets differ");
    } else if (k + 1 < entries.size()) {
      differs = "";
    }
    std::string time = entries[k].time;
    std::replace(time.begin() + 11, time.end(), '-', ':');
    char line[160];
    std::snprintf(line, sizeof line, "%4zu  %s  %-18s %s", k + 1, time.c_str(), entries[k].kind.c_str(), differs.c_str());
    std::string text = line;
    text.erase(text.find_last_not_of(' ') + 1);
    out << text << "\n";
  }
  return kToolSuccess;
}

// The bank request on each output in turn, every input listened to; prints the pair, and with
// --save remembers it in the working directory as the editor's setup window does.
int detect(const Arguments& a, std::ostream& out, std::ostream& err, const PortsFactory& factory) {
  expectFiles(a, 0);
  Link link;
  ComboLink& combo = makeLink(link, factory, a.trace, err);
  ComboLink::StartUp how;
  how.startupMessage = false;
  how.fetchWhenAtHand = false;
  how.search = ComboLink::SearchAtStart::Never;
  // Only the search listens, and only until the pair is found: the rest of the combo's answer
  // is nothing to this command.
  how.listen = false;
  combo.start(how);
  combo.findCombo(ComboLink::FoundPair::Offer);
  while (combo.searching() && combo.search() != ComboLink::Search::Found) link.step();
  combo.stop();
  combo.readPorts();
  const std::vector<std::string>& outputs = combo.outputNames();
  const std::vector<std::string>& inputs = combo.inputNames();
  const std::optional<PortNames> pair = combo.foundPorts();
  if (!pair) {
    if (outputs.empty() || inputs.empty())
      throw badInput(std::string("no combo found: there is no MIDI ") + (outputs.empty() ? "output" : "input") + " port");
    throw badInput("no combo found: no answer within 1 s on any of " + std::to_string(outputs.size()) + " MIDI output" +
                   (outputs.size() == 1 ? "" : "s"));
  }
  const auto number = [](const std::vector<std::string>& names, const std::string& name) {
    return std::find(names.begin(), names.end(), name) - names.begin();
  };
  out << "MIDI OUTPUT  " << number(outputs, pair->output) << "  " << pair->output << "\n"
      << "MIDI INPUT   " << number(inputs, pair->input) << "  " << pair->input << "\n";
  if (a.save) {
    combo.usePorts(*pair);
    if (!combo.rememberPorts()) throw badInput(std::string("cannot write ") + kComboConfigName + " and " + kComboPortsName);
    err << "kestralux-tool: " << kComboConfigName << " and " << kComboPortsName << " written";
    if (combo.configPath().has_parent_path()) err << " in " << combo.configPath().parent_path().string();
    err << "\n";
  }
  return kToolSuccess;
}

int ports(const Arguments& a, std::ostream& out, const PortsFactory& factory) {
  expectFiles(a, 0);
  std::unique_ptr<MidiPorts> p = factory ? factory() : nullptr;
  if (!p) throw badInput("no MIDI system");
  const auto list = [&](const char* heading, const std::vector<std::string>& names) {
    out << heading << "\n";
    if (names.empty()) out << "  No Midi Devices Found!\n";
    for (std::size_t d = 0; d < names.size(); ++d) out << "  " << d << "  " << names[d] << "\n";
  };
  list("MIDI INPUT", p->inputPortNames());
  list("MIDI OUTPUT", p->outputPortNames());
  return kToolSuccess;
}

int run(const Arguments& a, std::ostream& out, std::ostream& err, const PortsFactory& factory) {
  if (a.command == "show") {
    expectFiles(a, 1);
    const auto presets = readPresetFile(a.files[0]);
    if (const auto* r = std::get_if<PresetRecord>(&presets))
      out << presetListing(std::span<const PresetRecord>(r, 1));
    else
      out << presetListing(std::get<PresetBank>(presets));
    return kToolSuccess;
  }
  if (a.command == "export-inc") {
    expectFiles(a, 1);
    const std::string text = presetTableText(readBank(a.files[0]));
    writeTarget(a.output.value_or(kExportFileName), text, a.force);
    return kToolSuccess;
  }
  if (a.command == "to-syx") {
    expectFiles(a, 1);
    if (a.output) expectExtension(*a.output, ".syx");
    const auto presets = readPresetFile(a.files[0]);
    const Bytes syx = std::holds_alternative<PresetBank>(presets) ? bankToSyx(std::get<PresetBank>(presets))
                                                                  : presetToSyx(std::get<PresetRecord>(presets));
    writeTarget(a.output ? fs::path(*a.output) : withExtension(a.files[0], ".syx"), syx, a.force);
    return kToolSuccess;
  }
  if (a.command == "from-syx") {
    expectFiles(a, 1);
    const Bytes data = readInput(a.files[0], kLargestSyx);
    if (data.size() > kLargestSyx) throw badInput(a.files[0] + ": too large for a .syx of presets");
    const SyxReading reading = readSyx(data);
    if (!reading.error.empty()) throw badInput(a.files[0] + ": " + reading.error);
    // The file written must load as what it holds: a bank as .bnk, a preset as .pre.
    const bool isBank = std::holds_alternative<PresetBank>(reading.contents);
    const char* extension = isBank ? ".bnk" : ".pre";
    const fs::path target = a.output ? fs::path(*a.output) : withExtension(a.files[0], extension);
    if (lower(target.extension().string()) != extension)
      throw badUsage(a.files[0] + " holds " + (isBank ? "a bank" : "one preset") + "; write it to a " + extension + " file");
    writeTarget(target, isBank ? bankFileImage(std::get<PresetBank>(reading.contents))
                         : presetFileImage(std::get<PresetRecord>(reading.contents)),
          a.force);
    return kToolSuccess;
  }
  if (a.command == "ports") return ports(a, out, factory);
  if (a.command == "detect") return detect(a, out, err, factory);
  if (a.command == "history") return history(a, out);
  if (a.command == "diff") return diff(a, out, err, factory);
  if (a.command == "fetch") return fetch(a, err, factory);
  if (a.command == "store") return store(a, err, factory);
  throw badUsage("unknown command " + a.command);
}

}  // namespace

PresetSource readPresetSource(const std::string& what, const std::optional<std::string>& in,
                              const std::optional<std::string>& out, std::ostream& err, const PortsFactory& ports, bool trace) {
  Arguments a;
  a.in = in;
  a.out = out;
  a.trace = trace;
  try {
    DiffSide side = readDiffSide(what, a, err, ports);
    return {std::move(side.presets), side.names, ""};
  } catch (const ToolError& e) {
    return {{}, true, e.why};
  }
}

std::string toolUsage() {
  return R"(usage: kestralux-tool COMMAND [ARGUMENTS]

The KESTRALUX presets without the window.

  show FILE.pre|FILE.bnk
      Print the presets, one row each, every value as the editor shows it.
  export-inc FILE.bnk [-o OUT] [--force]
      Write the firmware include file (default KES_PRE.INC), byte for byte the editor's export.
  to-syx FILE.bnk|FILE.pre [-o OUT.syx] [--force]
      Write the store messages the editor sends: a bank as 0x2A then 29 x 0x2B, a preset as
      one 0x28 (default: the input's name with .syx, in the working directory).
  from-syx FILE.syx [-o OUT.bnk|OUT.pre] [--force]
      Read a .syx of preset messages (a captured bank transfer, or to-syx output) into a bank
      (.bnk), or a single 0x28 into a preset file (.pre). Names are empty: the messages carry
      none (default: the input's name with .bnk or .pre, in the working directory). A damaged
      or foreign message, a value the combo has no control for, or a bank of other than 30, is
      refused and nothing is written.
  ports
      List the MIDI input and output ports, numbered as the editor's MIDI setup window does.
  detect [--save]
      Find the combo: the bank request goes to each output in turn, 100 ms apart, and every
      input listens; the input that brings a preset pairs with the output that, asked again,
      answers again. Prints the pair (the first found, when two combos answer); --save writes
      it to combo.cfg and combo.ports where the editor keeps them, as its MIDI setup does. Exit 1 when no combo answers.
  fetch [-o OUT.bnk] [--in N|NAME] [--out N|NAME] [--partial] [--force]
      Ask the combo for its bank and write it (default FULL1.bnk). Fails with "no answer" or
      "only k of 30 presets received" after 2 s of silence, and writes nothing unless --partial.
  store FILE.bnk|FILE.pre|--history N [--no-verify] [--in N|NAME] [--out N|NAME]
      Store a bank into the combo, checked: the combo's bank is read first and kept in the
      history ("on the combo before the store"), the 30 messages go out 60 ms apart, and the
      bank is read back and compared slot by slot (names are the editor's and not compared).
      A difference sends the whole bank once more and reads it back again; what still differs
      is printed, one line per slot and control. A .pre goes as one preset into the combo's
      current slot, and the read-back says which slot holds it. --history N stores entry N of
      the history (as history lists it). --no-verify sends the messages only, with no bank
      request. Exit 1 when a slot did not take, the combo did not answer or a send failed.
  diff A B [--preset N] [--in N|NAME] [--out N|NAME]
      Compare two presets or banks, each a .pre, .bnk or .syx, or the word combo for a fetch
      from the combo: one line per preset that differs and under it one line per parameter,
      by the window's caption, with both values as the window shows them; names too where
      both sides carry them. A .pre against a .bnk compares with preset 1 unless --preset N.
      Exit status 0 when the same, 1 when different, 2 for bad input or usage.
  sheet FILE|combo [--format text|csv|html] [-o OUT] [--force] [--in N|NAME] [--out N|NAME]
      The bank sheet: every preset of a .pre, .bnk or .syx, or of the combo's bank, with each
      parameter by the window's caption and value as the window shows it, and the effect's
      controls only where the effect has them. text (the default) is aligned in columns, csv
      is for spreadsheets (RFC 4180), html is one page for a browser, a phone or paper (ten
      presets a printed page). Printed on standard output, or written to OUT, which must not
      exist yet unless --force.
  history [--show N]
      List the history of banks, newest first: every bank fetched or stored, by the editor or
      by this tool, and the editor's bank at the end of a run that changed it. --show N prints
      entry N as show does.
)" + monitorUsage() + exploreUsage() + liveUsage() + R"(
)" + libraryUsage() + R"(
Ports are the editor's: the names in combo.ports, else the numbers in combo.cfg, both in
the working directory when either is there, else in $XDG_DATA_HOME/kestralux; with neither, the combo is searched for as detect does and the ports it took are
said. --in and --out choose another: an exact name, else a number, else the one port whose
name contains the text. Neither the editor's ports nor the tool's are listed. detect, fetch,
store, diff, sheet and check take --trace: each message sent and received is printed on
standard error as monitor prints it. A .pre must be exactly
88 bytes and a .bnk exactly 2,640, every record a preset (an amp model 0..15, one of the ten
effect codes, every other value 0..255). Every file is written whole or not at all, and never
over a file that is already there unless --force is given (exit 2, naming the file). Fetched
and stored banks are kept in $XDG_DATA_HOME/kestralux/history (~/.local/share/...).

--help prints this text, --version the version.

Exit status: 0 done; 1 bad input or a failed transfer (the reason on standard error);
2 wrong usage, or a file that would be written over without --force.
)";
}

int runKestraluxTool(const std::vector<std::string>& args, std::ostream& out, std::ostream& err,
                     const PortsFactory& ports) {
  if (args.size() == 1 && (args[0] == "--help" || args[0] == "-h" || args[0] == "help")) {
    out << toolUsage();
    return kToolSuccess;
  }
  if (args.size() == 1 && args[0] == "--version") {
    out << "kestralux-tool " << KESTRALUX_VERSION << "\n";
    return kToolSuccess;
  }
  if (!args.empty() && args[0] == "library") return runLibraryCommand(args, out, err);
  if (!args.empty() && args[0] == "sheet") return runSheetCommand(args, out, err, ports);
  if (!args.empty() && args[0] == "monitor") return runMonitorCommand(args, out, err, ports);
  if (!args.empty() && args[0] == "check") return runCheckCommand(args, out, err, ports);
  if (!args.empty() && (args[0] == "vary" || args[0] == "morph")) return runExploreCommand(args, out, err);
  if (!args.empty() && args[0] == "live") return runLiveCommand(args, out, err, ports);
  if (!args.empty() && args[0] == "setlist") return runSetlistCommand(args, out, err);
  try {
    return run(parse(args), out, err, ports);
  } catch (const ToolError& e) {
    return reportToolError(e, err, toolUsage());
  }
}

}  // namespace kestralux
