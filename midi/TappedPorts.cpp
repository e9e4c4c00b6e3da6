#include "midi/TappedPorts.h"

namespace kestralux {

namespace {

std::string nameAt(const std::vector<std::string>& names, std::uint32_t n) {
  return n < names.size() ? names[n] : std::to_string(n);
}

// Sends through the wrapped search connection and shows the tap each message.
class TappedSearch : public MidiPorts::SearchConnection {
 public:
  TappedSearch(std::unique_ptr<MidiPorts::SearchConnection> search, std::vector<std::string> outputs,
               std::shared_ptr<MessageTap> tap)
      : search_(std::move(search)), outputs_(std::move(outputs)), tap_(std::move(tap)), sent_(tap_->newRing()) {}
  bool send(std::uint32_t output, std::span<const std::uint8_t> message) override {
    if (tap_->watched()) sent_->push(MessageDirection::Out, nameAt(outputs_, output), message, std::chrono::steady_clock::now());
    return search_->send(output, message);
  }

 private:
  std::unique_ptr<MidiPorts::SearchConnection> search_;
  std::vector<std::string> outputs_;
  std::shared_ptr<MessageTap> tap_;
  std::shared_ptr<TapRing> sent_;
};

}  // namespace

TappedPorts::TappedPorts(std::unique_ptr<MidiPorts> ports, std::shared_ptr<MessageTap> tap)
    : ports_(std::move(ports)), tap_(std::move(tap)), sent_(tap_->newRing()) {}

bool TappedPorts::openOutput(std::uint32_t device) {
  outputName_ = nameAt(ports_->outputPortNames(), device);
  return ports_->openOutput(device);
}

bool TappedPorts::sendMessage(std::span<const std::uint8_t> message) {
  // Shown as sent before the port has it, so a send that fails is seen too.
  if (tap_->watched()) sent_->push(MessageDirection::Out, outputName_, message, std::chrono::steady_clock::now());
  return ports_->sendMessage(message);
}

bool TappedPorts::openInput(std::uint32_t device, Delivery deliver) {
  const std::string name = nameAt(ports_->inputPortNames(), device);
  // A ring of this input's own: its deliveries come on a thread of their own.
  auto heard = [tap = tap_, ring = tap_->newRing(), name, deliver = std::move(deliver)](std::vector<std::uint8_t> message) {
    if (tap->watched()) ring->push(MessageDirection::In, name, message, std::chrono::steady_clock::now());
    deliver(std::move(message));
  };
  return ports_->openInput(device, std::move(heard));
}

MidiPorts::TaggedDelivery TappedPorts::tapped(const std::vector<std::string>& inputs, TaggedDelivery deliver) {
  return [tap = tap_, ring = tap_->newRing(), inputs, deliver = std::move(deliver)](std::uint32_t input,
                                                                                   std::vector<std::uint8_t> message) {
    if (tap->watched()) ring->push(MessageDirection::In, nameAt(inputs, input), message, std::chrono::steady_clock::now());
    deliver(input, std::move(message));
  };
}

std::unique_ptr<MidiPorts::Listening> TappedPorts::listenToAll(const std::vector<std::string>& inputs, TaggedDelivery deliver) {
  return ports_->listenToAll(inputs, tapped(inputs, std::move(deliver)));
}

std::unique_ptr<MidiPorts::SearchConnection> TappedPorts::connectForSearch(const std::vector<std::string>& inputs,
                                                                           const std::vector<std::string>& outputs,
                                                                           TaggedDelivery deliver) {
  auto search = ports_->connectForSearch(inputs, outputs, tapped(inputs, std::move(deliver)));
  if (!search) return nullptr;
  return std::make_unique<TappedSearch>(std::move(search), outputs, tap_);
}

}  // namespace kestralux
