#include "midi/LoopbackPorts.h"

namespace kestralux {

bool LoopbackPorts::openOutput(std::uint32_t device) {
  ++outputOpenAttempts;
  // Like a real port: an output connection is opened once; a second open is refused.
  if (openOutput_) return false;
  if (device >= outputNames_.size() || failingOutputs.contains(device)) return false;
  openOutput_ = device;
  ++outputOpens;
  return true;
}

bool LoopbackPorts::sendMessage(std::span<const std::uint8_t> message) {
  if (!openOutput_ || failSends) return false;
  Message copy(message.begin(), message.end());
  sent_[*openOutput_].push_back(copy);
  allSent_.push_back(copy);
  if (onSend) onSend(copy);
  return true;
}

void LoopbackPorts::closeOutput() {
  if (!openOutput_) return;
  openOutput_.reset();
  ++outputCloses;
}

bool LoopbackPorts::openInput(std::uint32_t device, Delivery deliver) {
  ++inputOpenAttempts;
  if (openInput_) return false;
  if (device >= inputNames_.size() || failingInputs.contains(device)) return false;
  openInput_ = device;
  delivery_ = std::move(deliver);
  lastDelivery_ = delivery_;
  ++inputOpens;
  return true;
}

void LoopbackPorts::closeInput() {
  if (!openInput_) return;
  openInput_.reset();
  delivery_ = nullptr;
  ++inputCloses;
}

bool LoopbackPorts::inject(const Message& message) {
  if (!openInput_ || !delivery_) return false;
  // A copy, so a Delivery that closes the input cannot pull its own function out from under it.
  const Delivery deliver = delivery_;
  deliver(message);
  return true;
}

const std::vector<LoopbackPorts::Message>& LoopbackPorts::sentTo(std::uint32_t device) const {
  static const std::vector<Message> none;
  const auto it = sent_.find(device);
  return it == sent_.end() ? none : it->second;
}

void LoopbackPorts::clearSent() {
  sent_.clear();
  allSent_.clear();
}

}  // namespace kestralux
