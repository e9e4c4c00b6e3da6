#include "tool/MonitorCommands.h"

#include <algorithm>
#include <csignal>
#include <optional>
#include <thread>

#include "link/ComboLink.h"
#include "link/ConnectionCheck.h"
#include "link/MonitorLog.h"
#include "midi/TappedPorts.h"
#include "model/EditorState.h"
#include "tool/ToolInbox.h"

namespace kestralux {

namespace {

using namespace std::chrono_literals;

volatile std::sig_atomic_t interrupted = 0;
void onInterrupt(int) { interrupted = 1; }

// Ctrl+C ends the wait instead of the program, for as long as this lives.
class InterruptCatch {
 public:
  InterruptCatch() {
    interrupted = 0;
    previousInt_ = std::signal(SIGINT, onInterrupt);
    previousTerm_ = std::signal(SIGTERM, onInterrupt);
  }
  ~InterruptCatch() {
    std::signal(SIGINT, previousInt_);
    std::signal(SIGTERM, previousTerm_);
  }
  InterruptCatch(const InterruptCatch&) = delete;
  InterruptCatch& operator=(const InterruptCatch&) = delete;

 private:
  void (*previousInt_)(int);
  void (*previousTerm_)(int);
};

struct ChosenPorts {
  std::unique_ptr<MidiPorts> ports;
  PortNames pair;
  bool remembered = false;
};

// The pair as the editor takes it (combo.ports, else combo.cfg, else the first ports), with
// --in and --out choosing another; nothing is opened and nothing sent.
ChosenPorts choosePorts(const PortsFactory& factory, const std::optional<std::string>& in, const std::optional<std::string>& out) {
  ChosenPorts chosen;
  chosen.ports = factory ? factory() : nullptr;
  if (!chosen.ports) throw badInput("no MIDI system");
  EditorState state;
  ComboLink link(*chosen.ports, state);
  ComboLink::StartUp how;
  how.startupMessage = false;
  how.search = ComboLink::SearchAtStart::Never;
  how.fetchWhenAtHand = false;
  how.listen = false;
  link.start(how);
  link.stop();
  chosen.pair = link.ports();
  chosen.remembered = link.remembered();
  if (in) chosen.pair.input = choosePort(link.inputNames(), *in, "input");
  if (out) chosen.pair.output = choosePort(link.outputNames(), *out, "output");
  return chosen;
}

double secondsOf(const std::string& text) {
  try {
    std::size_t used = 0;
    const double s = std::stod(text, &used);
    if (used == text.size() && s > 0 && s <= 7 * 24 * 3600) return s;
  } catch (const std::exception&) {
  }
  throw badUsage("--seconds takes a number of seconds above 0");
}

}  // namespace

Tracer::Tracer(std::ostream& to, bool receivedOnly) : to_(to), receivedOnly_(receivedOnly) { tap_->setWatched(true); }

PortsFactory Tracer::wrap(const PortsFactory& factory) const { return tappedMaker(factory, tap_); }

void Tracer::print() {
  bool printed = false;
  for (const TappedMessage& m : tap_->drain()) {
    if (receivedOnly_ && m.direction != MessageDirection::In) continue;
    MonitorLine line;
    line.ms = std::chrono::duration_cast<std::chrono::milliseconds>(m.at - started_).count();
    line.direction = m.direction;
    line.port = m.port;
    line.meaning = reader_.read(m.direction, m.port, m.bytes);
    line.bytes = m.bytes;
    to_ << lineText(line, false) << "\n";
    printed = true;
  }
  if (printed) to_.flush();
}

int runMonitorCommand(const std::vector<std::string>& args, std::ostream& out, std::ostream& err, const PortsFactory& ports) {
  try {
    static const OptionSpec options{{"--in", "--seconds"}, {}};
    const ParsedArguments parsed = parseArguments(std::span(args).subspan(1), options);
    if (!parsed.words.empty()) throw badUsage("monitor takes no file");
    const std::optional<std::string> secondsText = parsed.value("--seconds");
    const double seconds = secondsText ? secondsOf(*secondsText) : 0.0;
    Tracer tracer(out, true);
    ChosenPorts chosen = choosePorts(tracer.wrap(ports), parsed.value("--in"), std::nullopt);
    const std::vector<std::string> inputs = chosen.ports->inputPortNames();
    if (chosen.pair.input.empty()) throw badInput("no MIDI input port (--in N|NAME chooses one)");
    const auto it = std::find(inputs.begin(), inputs.end(), chosen.pair.input);
    if (it == inputs.end()) throw badInput("the MIDI input \"" + chosen.pair.input + "\" is not there");
    // The tap sees every message; nothing else is done with them.
    if (!chosen.ports->openInput(static_cast<std::uint32_t>(it - inputs.begin()), [](std::vector<std::uint8_t>) {}))
      throw badInput("cannot open MIDI input \"" + chosen.pair.input + "\"");
    err << "kestralux-tool: listening on MIDI input " << (it - inputs.begin()) << " \"" << chosen.pair.input << "\" "
        << (secondsText ? "for " + *secondsText + " s" : std::string("until Ctrl+C")) << "\n";
    const InterruptCatch interrupt;
    const auto until = std::chrono::steady_clock::now() + std::chrono::duration_cast<std::chrono::steady_clock::duration>(
                                                               std::chrono::duration<double>(seconds));
    while (!interrupted && (!secondsText || std::chrono::steady_clock::now() < until)) {
      std::this_thread::sleep_for(20ms);
      tracer.print();
    }
    chosen.ports->closeInput();
    tracer.print();
    return kToolSuccess;
  } catch (const ToolError& e) {
    return reportToolError(e, err, toolUsage());
  }
}

int runCheckCommand(const std::vector<std::string>& args, std::ostream& out, std::ostream& err, const PortsFactory& ports) {
  try {
    static const OptionSpec options{{"--in", "--out"}, {"--trace"}};
    const ParsedArguments parsed = parseArguments(std::span(args).subspan(1), options);
    if (!parsed.words.empty()) throw badUsage("check takes no file");
    std::optional<Tracer> tracer;
    if (parsed.has("--trace")) tracer.emplace(err);
    const PortsFactory factory = tracer ? tracer->wrap(ports) : ports;
    ChosenPorts chosen = choosePorts(factory, parsed.value("--in"), parsed.value("--out"));
    if (!chosen.remembered && !parsed.value("--in") && !parsed.value("--out"))
      err << "kestralux-tool: no " << kComboConfigName << " or " << kComboPortsName << " here: checking the first ports\n";
    Inbox inbox;
    ConnectionCheck check(*chosen.ports, factory, [&inbox](std::function<void()> work) { inbox.post(std::move(work)); });
    check.start(chosen.pair);
    do {
      std::this_thread::sleep_for(10ms);
      inbox.runPosted();
      if (tracer) tracer->print();
    } while (check.tick());
    const CheckReport report = checkReport(check.findings());
    out << report.text;
    return report.wholeOnPair ? kToolSuccess : kToolBadInput;
  } catch (const ToolError& e) {
    return reportToolError(e, err, toolUsage());
  }
}

std::string monitorUsage() {
  return R"usage(  monitor [--in N|NAME] [--seconds S]
      Print every message that arrives on the input (the combo's as combo.ports or combo.cfg
      remember it, else the first input; or --in), one line each as
      the editor's MIDI monitor shows it: milliseconds since the start, IN, the length, what it
      means ("PRESET 7 OF 30 (0x2B)", "DAMAGED: CHECKSUM", "NOT FOR THIS COMBO") and the port;
      until Ctrl+C, or for S seconds.
  check [--in N|NAME] [--out N|NAME] [--trace]
      The connection check: the ports seen, the pair in use, a bank request on its output with
      every input listening, and what answered where (how many of 30, how many damaged, the
      time to the last), with the fix when the answers came on another input. Exit 0 when the
      combo answered whole on the pair, else 1.
)usage";
}

}  // namespace kestralux
