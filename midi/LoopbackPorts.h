#pragma once
// An in-process MIDI port for tests: it records every byte sent, per output device,
// delivers injected messages synchronously, and can be told to fail an open or a send.
// Nothing runs on another thread and nothing waits.

#include <cstdint>
#include <functional>
#include <map>
#include <optional>
#include <set>
#include <string>
#include <utility>
#include <vector>

#include "midi/MidiPorts.h"

namespace kestralux {

class LoopbackPorts : public MidiPorts {
 public:
  using Message = std::vector<std::uint8_t>;

  LoopbackPorts() = default;
  LoopbackPorts(std::vector<std::string> inputNames, std::vector<std::string> outputNames)
      : inputNames_(std::move(inputNames)), outputNames_(std::move(outputNames)) {}

  // Ports come and go: the lists from now on.
  void setPortNames(std::vector<std::string> inputNames, std::vector<std::string> outputNames) {
    inputNames_ = std::move(inputNames);
    outputNames_ = std::move(outputNames);
  }

  std::vector<std::string> inputPortNames() override { return inputNames_; }
  std::vector<std::string> outputPortNames() override { return outputNames_; }

  bool openOutput(std::uint32_t device) override;
  bool isOutputOpen() const override { return openOutput_.has_value(); }
  bool sendMessage(std::span<const std::uint8_t> message) override;
  void closeOutput() override;

  bool openInput(std::uint32_t device, Delivery deliver) override;
  bool isInputOpen() const override { return openInput_.has_value(); }
  void closeInput() override;

  // What a device would answer: calls the open input's Delivery at once. Returns false
  // (and delivers nothing) while no input is open.
  bool inject(const Message& message);

  // The Delivery of the input as it was last opened, kept after a close so a test can
  // play a notice that was already on its way when the input closed.
  const Delivery& lastDelivery() const { return lastDelivery_; }

  // Everything sent on output `device`, in order.
  const std::vector<Message>& sentTo(std::uint32_t device) const;
  // Everything sent on any output, in order.
  const std::vector<Message>& allSent() const { return allSent_; }
  void clearSent();

  // Opens of these devices fail (a port that is busy or gone). Opens of device numbers
  // beyond the name lists fail too.
  std::set<std::uint32_t> failingOutputs;
  std::set<std::uint32_t> failingInputs;
  // Sends fail while set, as on a port that vanished after it was opened.
  bool failSends = false;
  // A test says the port of the open output or input has gone and come back.
  bool outputReturned = false;
  bool inputReturned = false;
  bool outputPortReturned() override { return std::exchange(outputReturned, false); }
  bool inputPortReturned() override { return std::exchange(inputReturned, false); }
  // Called inside sendMessage before it returns, to stage re-entrant calls from a test.
  std::function<void(const Message&)> onSend;

  std::optional<std::uint32_t> openOutputDevice() const { return openOutput_; }
  std::optional<std::uint32_t> openInputDevice() const { return openInput_; }

  int outputOpens = 0;   // successful opens
  int outputOpenAttempts = 0;
  int outputCloses = 0;  // closes of an open connection
  int inputOpens = 0;
  int inputOpenAttempts = 0;
  int inputCloses = 0;

 private:
  std::vector<std::string> inputNames_;
  std::vector<std::string> outputNames_;
  std::optional<std::uint32_t> openOutput_;
  std::optional<std::uint32_t> openInput_;
  Delivery delivery_;
  Delivery lastDelivery_;
  std::map<std::uint32_t, std::vector<Message>> sent_;
  std::vector<Message> allSent_;
};

}  // namespace kestralux
