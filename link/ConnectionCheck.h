#pragma once
// The connection check: the ports seen, the pair in use, one bank request on its output with
// every input listening, and what answered where, said in plain words a user can copy into a
// question. The rules of the report are one pure function (checkReport); ConnectionCheck
// gathers what it needs on the caller's clock and thread.

#include <chrono>
#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "files/ComboPorts.h"
#include "link/MessageWords.h"
#include "midi/MidiPorts.h"
#include "protocol/BankTransfer.h"

namespace kestralux {

// What one input heard after the request.
struct InputAnswers {
  int presets = 0;  // whole preset messages of the combo's bank
  int damaged = 0;  // ours, but not whole
  std::chrono::milliseconds last{0};  // from the request to the last of them
};

struct CheckFindings {
  std::vector<std::string> outputs;  // the ports seen, in device-number order
  std::vector<std::string> inputs;
  PortNames pair;                    // the pair in use; a side empty when none is chosen
  bool requestSent = false;
  std::map<std::string, InputAnswers> answers;  // by input name; only inputs that heard one
};

struct CheckReport {
  std::string text;        // one line each, ending in a newline
  bool wholeOnPair = false;  // the combo answered all 30, none damaged, on the pair in use
};

CheckReport checkReport(const CheckFindings& findings);

class ConnectionCheck {
 public:
  using PortsMaker = std::function<std::unique_ptr<MidiPorts>()>;
  using Poster = std::function<void(std::function<void()> work)>;
  // Called on the MIDI threads too.
  using Clock = std::function<TransferClock::time_point()>;

  // `portsAtHand` lists the ports and, where the MIDI system can, listens to them all and
  // sends through one connection; elsewhere `makePorts` gives a port object per input and one
  // to send with.
  ConnectionCheck(MidiPorts& portsAtHand, PortsMaker makePorts, Poster post,
                  Clock clock = [] { return TransferClock::now(); });
  ~ConnectionCheck();
  ConnectionCheck(const ConnectionCheck&) = delete;
  ConnectionCheck& operator=(const ConnectionCheck&) = delete;

  // Lists the ports, listens on every input and sends the bank request on `pair.output`.
  void start(const PortNames& pair);
  // Whether it still waits: until the pair's input has heard all 30 and a moment more, or
  // until every input has been silent for the transfer's silence limit.
  bool tick();
  void stop();

  const CheckFindings& findings() const { return findings_; }

 private:
  void heard(std::uint32_t input, const std::vector<std::uint8_t>& message, TransferClock::time_point at);
  bool send(const std::vector<std::uint8_t>& message);

  MidiPorts& portsAtHand_;
  PortsMaker makePorts_;
  Poster post_;
  Clock clock_;
  CheckFindings findings_;
  MessageReader reader_;
  std::unique_ptr<MidiPorts::SearchConnection> search_;
  std::unique_ptr<MidiPorts::Listening> listening_;
  std::vector<std::unique_ptr<MidiPorts>> listeners_;
  std::unique_ptr<MidiPorts> sender_;
  std::shared_ptr<int> session_;
  bool running_ = false;
  TransferClock::time_point requestAt_{};
  TransferClock::time_point lastHeard_{};
};

}  // namespace kestralux
