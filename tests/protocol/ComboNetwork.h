#pragma once
// A MIDI network played by loopback ports, for finding the combo: each output leads to a
// device (the virtual combo's logic, or a port that echoes), whose messages reach its input
// when the test's clock gets there. The finder's port objects join it as they are made.

#include <algorithm>
#include <chrono>
#include <map>
#include <string>
#include <vector>

#include "midi/LoopbackPorts.h"
#include "protocol/BankTransfer.h"
#include "sim/VirtualKestralux.h"
#include "tests/PresetValues.h"

namespace kestralux::test {

using namespace std::chrono_literals;

PresetBank comboBank(int seed) {
  PresetBank bank{};
  for (int n = 0; n < kPresetCount; ++n) {
    for (int i = 0; i < kParameterCount; ++i) bank[n].setValue(i, (seed * 7 + n * 3 + i) % 128);
    test::makePreset(bank[n], n + seed);
  }
  return bank;
}

struct Device {
  enum Kind { Combo, Echo } kind;
  std::uint32_t output, input;
  std::chrono::milliseconds delay{0};  // before a combo's first message
  int seed = 0;                        // a combo's bank
  int lost = 0;                        // requests lost on their way to it, the first ones
};

struct Network {
  std::vector<std::string> outputs, inputs;
  std::vector<Device> devices;
  TransferClock::time_point now{};
  std::multimap<TransferClock::time_point, std::pair<std::uint32_t, LoopbackPorts::Message>> onTheWire;
  std::vector<LoopbackPorts*> ports;     // those the finder holds now
  std::vector<std::uint32_t> requested;  // outputs a bank request went out on, in order
  // Whether the ports offer one connection to every input and output, as JACK's do.
  bool oneConnection = false;
  std::vector<std::uint32_t> opened;  // outputs connected one by one, in order
  int searchConnections = 0;          // connections to all of them made

  struct Search : MidiPorts::SearchConnection {
    Search(Network& n, MidiPorts::TaggedDelivery d) : net(n), deliver(std::move(d)) { net.searches.push_back(this); }
    ~Search() override { std::erase(net.searches, this); }
    bool send(std::uint32_t output, std::span<const std::uint8_t> m) override {
      net.sent(output, LoopbackPorts::Message(m.begin(), m.end()));
      return true;
    }
    Network& net;
    MidiPorts::TaggedDelivery deliver;
  };
  std::vector<Search*> searches;

  struct Joined : LoopbackPorts {
    explicit Joined(Network& n) : LoopbackPorts(n.inputs, n.outputs), net(n) {
      net.ports.push_back(this);
      onSend = [this](const LoopbackPorts::Message& m) { net.sent(*openOutputDevice(), m); };
    }
    ~Joined() override { std::erase(net.ports, this); }
    bool openOutput(std::uint32_t device) override {
      net.opened.push_back(device);
      return LoopbackPorts::openOutput(device);
    }
    std::unique_ptr<SearchConnection> connectForSearch(const std::vector<std::string>&, const std::vector<std::string>&,
                                                       TaggedDelivery deliver) override {
      if (!net.oneConnection) return nullptr;
      ++net.searchConnections;
      return std::make_unique<Search>(net, std::move(deliver));
    }
    Network& net;
  };

  void sent(std::uint32_t output, const LoopbackPorts::Message& message) {
    if (message.size() == kParameterMessageSize && message[7] == CODE_REQUEST_BANK) requested.push_back(output);
    for (Device& d : devices) {
      if (d.output != output) continue;
      if (d.lost > 0) {
        --d.lost;
        continue;
      }
      if (d.kind == Device::Echo) onTheWire.emplace(now, std::pair{d.input, message});
      TransferClock::time_point at = now + d.delay;
      for (const PresetMessage& m : d.kind == Device::Combo ? VirtualKestralux(comboBank(d.seed)).receive(message).answer
                                                            : std::vector<PresetMessage>{})
        onTheWire.emplace(at += 12800us, std::pair{d.input, LoopbackPorts::Message(m.begin(), m.end())});
    }
  }

  void advanceTo(TransferClock::time_point t) {
    while (!onTheWire.empty() && onTheWire.begin()->first <= t) {
      now = onTheWire.begin()->first;
      const auto [input, message] = onTheWire.begin()->second;
      onTheWire.erase(onTheWire.begin());
      for (LoopbackPorts* p : ports)
        if (p->openInputDevice() == input) p->inject(message);
      for (Search* search : searches) search->deliver(input, message);
    }
    now = t;
  }
};


}  // namespace kestralux::test
