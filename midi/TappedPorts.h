#pragma once
// MIDI ports that show a tap every message they send and receive, with the name of its port;
// otherwise exactly the ports they wrap.

#include <memory>
#include <string>

#include "midi/MessageTap.h"
#include "midi/MidiPorts.h"

namespace kestralux {

class TappedPorts : public MidiPorts {
 public:
  TappedPorts(std::unique_ptr<MidiPorts> ports, std::shared_ptr<MessageTap> tap);

  MidiPorts& wrapped() { return *ports_; }

  std::vector<std::string> inputPortNames() override { return ports_->inputPortNames(); }
  std::vector<std::string> outputPortNames() override { return ports_->outputPortNames(); }
  bool openOutput(std::uint32_t device) override;
  bool isOutputOpen() const override { return ports_->isOutputOpen(); }
  bool sendMessage(std::span<const std::uint8_t> message) override;
  void closeOutput() override { ports_->closeOutput(); }
  bool openInput(std::uint32_t device, Delivery deliver) override;
  bool isInputOpen() const override { return ports_->isInputOpen(); }
  void closeInput() override { ports_->closeInput(); }
  bool outputPortReturned() override { return ports_->outputPortReturned(); }
  bool inputPortReturned() override { return ports_->inputPortReturned(); }
  std::unique_ptr<Listening> listenToAll(const std::vector<std::string>& inputs, TaggedDelivery deliver) override;
  std::unique_ptr<SearchConnection> connectForSearch(const std::vector<std::string>& inputs,
                                                     const std::vector<std::string>& outputs,
                                                     TaggedDelivery deliver) override;

 private:
  TaggedDelivery tapped(const std::vector<std::string>& inputs, TaggedDelivery deliver);

  std::unique_ptr<MidiPorts> ports_;
  std::shared_ptr<MessageTap> tap_;
  // What this object sends, on the thread that sends.
  std::shared_ptr<TapRing> sent_;
  std::string outputName_;
};

// A port maker whose ports all show `tap` their messages.
template <typename Maker>
auto tappedMaker(Maker maker, std::shared_ptr<MessageTap> tap) {
  return [maker = std::move(maker), tap = std::move(tap)]() -> std::unique_ptr<MidiPorts> {
    std::unique_ptr<MidiPorts> ports = maker ? maker() : nullptr;
    if (!ports) return nullptr;
    return std::make_unique<TappedPorts>(std::move(ports), tap);
  };
}

}  // namespace kestralux
