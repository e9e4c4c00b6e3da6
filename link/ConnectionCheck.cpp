#include "link/ConnectionCheck.h"

#include <algorithm>

#include "protocol/Sysex.h"

namespace kestralux {

namespace {

using namespace std::chrono_literals;

// Once the pair's input has all 30, a moment for what other inputs still bring.
constexpr auto kAfterWhole = 300ms;
// However the ports behave, the check ends.
constexpr auto kLongest = 10s;

std::string inQuotes(const std::string& name) { return "\"" + name + "\""; }

std::string numbered(const std::vector<std::string>& names, const std::string& name) {
  const auto it = std::find(names.begin(), names.end(), name);
  if (it == names.end()) return inQuotes(name) + " (not there now)";
  return std::to_string(it - names.begin()) + " " + inQuotes(name);
}

std::string answersText(const InputAnswers& a) {
  std::string text = std::to_string(a.presets) + " of " + std::to_string(kPresetCount) + " presets, " +
                     std::to_string(a.damaged) + " damaged";
  if (a.presets + a.damaged > 0) text += ", the last " + std::to_string(a.last.count()) + " ms after the request";
  return text;
}

}  // namespace

CheckReport checkReport(const CheckFindings& f) {
  CheckReport report;
  std::string& t = report.text;
  const auto list = [&t](const char* heading, const std::vector<std::string>& names) {
    t += std::string(heading) + ": " + std::to_string(names.size()) + "\n";
    for (std::size_t d = 0; d < names.size(); ++d) t += "  " + std::to_string(d) + "  " + names[d] + "\n";
  };
  list("MIDI outputs seen", f.outputs);
  list("MIDI inputs seen", f.inputs);
  t += "Pair in use: output " + (f.pair.output.empty() ? std::string("none") : numbered(f.outputs, f.pair.output)) +
       ", input " + (f.pair.input.empty() ? std::string("none") : numbered(f.inputs, f.pair.input)) + "\n";
  if (!f.requestSent) {
    t += f.pair.output.empty() ? "No bank request sent: no output is chosen. Choose OUTPUT in MIDI SETUP.\n"
                               : "The bank request could not be sent on output " + inQuotes(f.pair.output) + ".\n";
    return report;
  }
  t += "Bank request sent on output " + inQuotes(f.pair.output) + ".\n";

  const auto onPair = f.answers.find(f.pair.input);
  const InputAnswers pair = onPair == f.answers.end() ? InputAnswers{} : onPair->second;
  if (!f.pair.input.empty()) t += "Answers on input " + inQuotes(f.pair.input) + " (in use): " + answersText(pair) + "\n";
  // The other inputs that heard the combo, the one with the most first.
  std::vector<std::pair<std::string, InputAnswers>> others;
  for (const auto& [input, answers] : f.answers)
    if (input != f.pair.input && answers.presets + answers.damaged > 0) others.emplace_back(input, answers);
  std::stable_sort(others.begin(), others.end(), [](const auto& a, const auto& b) {
    return a.second.presets + a.second.damaged > b.second.presets + b.second.damaged;
  });
  for (const auto& [input, answers] : others) t += "Answers on input " + inQuotes(input) + ": " + answersText(answers) + "\n";

  int damaged = pair.damaged;
  for (const auto& [input, answers] : others) damaged += answers.damaged;

  report.wholeOnPair = !f.pair.input.empty() && pair.presets >= kPresetCount && pair.damaged == 0;
  const int heardOnPair = pair.presets + pair.damaged;
  if (report.wholeOnPair) {
    t += "The combo answered whole on the pair in use.\n";
  } else if (heardOnPair == 0 && !others.empty()) {
    const std::string other = numbered(f.inputs, others.front().first);
    t += "Nothing answered on the input in use, but input " + other + " did.\n";
    t += "The fix: choose INPUT " + other + " in MIDI SETUP (kestralux-tool: --in " + inQuotes(others.front().first) + ").\n";
  } else if (heardOnPair == 0) {
    t += "No input heard an answer: is the combo on, and is output " + inQuotes(f.pair.output) +
         " the one its MIDI IN is connected to?\n";
  } else if (heardOnPair < kPresetCount) {
    t += "Only " + std::to_string(heardOnPair) + " of " + std::to_string(kPresetCount) +
         " presets came on the input in use: the answer stopped on its way.\n";
  }
  if (damaged > 0)
    t += std::to_string(damaged) + (damaged == 1 ? " answer" : " answers") +
         " came damaged: a cable or interface dropping bytes, or a too-fast port.\n";
  return report;
}

ConnectionCheck::ConnectionCheck(MidiPorts& portsAtHand, PortsMaker makePorts, Poster post, Clock clock)
    : portsAtHand_(portsAtHand), makePorts_(std::move(makePorts)), post_(std::move(post)), clock_(std::move(clock)) {}

ConnectionCheck::~ConnectionCheck() { stop(); }

void ConnectionCheck::start(const PortNames& pair) {
  stop();
  findings_ = {};
  reader_ = {};
  findings_.pair = pair;
  findings_.outputs = portsAtHand_.outputPortNames();
  findings_.inputs = portsAtHand_.inputPortNames();
  session_ = std::make_shared<int>(0);
  const std::weak_ptr<int> session = session_;
  const MidiPorts::TaggedDelivery deliver = [this, session](std::uint32_t input, std::vector<std::uint8_t> message) {
    const TransferClock::time_point at = clock_();
    post_([this, session, input, at, message = std::move(message)] {
      if (session.lock()) heard(input, message, at);
    });
  };
  const auto& inputs = findings_.inputs;
  search_ = portsAtHand_.connectForSearch(inputs, findings_.outputs, deliver);
  if (!search_) listening_ = portsAtHand_.listenToAll(inputs, deliver);
  if (!search_ && !listening_ && makePorts_) {
    for (std::uint32_t n = 0; n < inputs.size(); ++n) {
      std::unique_ptr<MidiPorts> ports = makePorts_();
      if (!ports) break;
      // By name: the numbering of a new object's list may differ if a port came meanwhile.
      const std::vector<std::string> names = ports->inputPortNames();
      const auto it = std::find(names.begin(), names.end(), inputs[n]);
      if (it == names.end()) continue;
      const bool open = ports->openInput(static_cast<std::uint32_t>(it - names.begin()),
                                         [deliver, n](std::vector<std::uint8_t> message) { deliver(n, std::move(message)); });
      if (open) listeners_.push_back(std::move(ports));
    }
  }
  const ParameterMessage request = buildParameterMessage(0, CODE_REQUEST_BANK, 0);
  requestAt_ = lastHeard_ = clock_();
  findings_.requestSent = !pair.output.empty() && send({request.begin(), request.end()});
  running_ = findings_.requestSent;
  if (!running_) stop();
}

bool ConnectionCheck::send(const std::vector<std::uint8_t>& message) {
  const auto it = std::find(findings_.outputs.begin(), findings_.outputs.end(), findings_.pair.output);
  if (it == findings_.outputs.end()) return false;
  const auto output = static_cast<std::uint32_t>(it - findings_.outputs.begin());
  if (search_) return search_->send(output, message);
  sender_ = makePorts_ ? makePorts_() : nullptr;
  if (!sender_) return false;
  const std::vector<std::string> names = sender_->outputPortNames();
  const auto at = std::find(names.begin(), names.end(), findings_.pair.output);
  return at != names.end() && sender_->openOutput(static_cast<std::uint32_t>(at - names.begin())) && sender_->sendMessage(message);
}

void ConnectionCheck::heard(std::uint32_t input, const std::vector<std::uint8_t>& message, TransferClock::time_point at) {
  if (input >= findings_.inputs.size()) return;
  const std::string& name = findings_.inputs[input];
  const MessageMeaning meaning = reader_.read(MessageDirection::In, name, message);
  // The request itself, heard back on an input that echoes the output, is no answer.
  if (meaning.kind != MessageKind::Preset && meaning.kind != MessageKind::Damaged) return;
  InputAnswers& answers = findings_.answers[name];
  (meaning.kind == MessageKind::Preset ? answers.presets : answers.damaged) += 1;
  answers.last = std::chrono::duration_cast<std::chrono::milliseconds>(at - requestAt_);
  lastHeard_ = std::max(lastHeard_, at);
}

bool ConnectionCheck::tick() {
  if (!running_) return false;
  const TransferClock::time_point now = clock_();
  const auto pair = findings_.answers.find(findings_.pair.input);
  const bool pairDone = pair != findings_.answers.end() && pair->second.presets + pair->second.damaged >= kPresetCount;
  if ((pairDone && now - lastHeard_ >= kAfterWhole) || now - lastHeard_ >= kTransferSilenceLimit || now - requestAt_ >= kLongest)
    stop();
  return running_;
}

void ConnectionCheck::stop() {
  running_ = false;
  session_.reset();
  listening_.reset();
  for (auto& listener : listeners_) listener->closeInput();
  listeners_.clear();
  search_.reset();
  if (sender_) sender_->closeOutput();
  sender_.reset();
}

}  // namespace kestralux
