#pragma once
// A MIDI system as a desktop has one, for the link's tests: devices known by their port names,
// switched off and on (a port that comes back is a new port: connections made to the old one
// reach nothing), listed in the order they are plugged in, so numbers move as devices come and
// go. A combo answers with the virtual combo's logic on the test's clock; other devices only
// listen. Every port object made on it (the link's, the search's) sees the same system.

#include <algorithm>
#include <chrono>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "midi/MidiPorts.h"
#include "protocol/BankTransfer.h"
#include "sim/VirtualKestralux.h"
#include "tests/protocol/ComboNetwork.h"

namespace kestralux::test {

using Message = std::vector<std::uint8_t>;

struct NamedWire {
  struct Device {
    std::string name{};  // its ports are "<name> IN" (we send to it) and "<name> OUT"
    bool combo = false;
    int seed = 0;
    bool on = true;
    int generation = 0;  // one more each time it is switched on again
    std::vector<Message> heard{};
    bool sends = true;  // it has an "<name> OUT" port; without, only an input of its own
  };
  std::vector<Device> devices;
  TransferClock::time_point now{};
  std::multimap<TransferClock::time_point, std::pair<std::string, Message>> onTheWire;
  std::vector<struct WirePorts*> ports;

  Device* byPort(const std::string& port) {
    for (Device& d : devices)
      if (d.on && (port == d.name + " IN" || (d.sends && port == d.name + " OUT"))) return &d;
    return nullptr;
  }
  Device& named(const std::string& name) {
    return *std::find_if(devices.begin(), devices.end(), [&](const Device& d) { return d.name == name; });
  }
  std::vector<std::string> list(const char* side) const {
    std::vector<std::string> names;
    for (const Device& d : devices)
      if (d.on && (d.sends || std::string(side) == " IN")) names.push_back(d.name + side);
    return names;
  }
  void switchOff(const std::string& name) { named(name).on = false; }
  // Switched on again, at the end of the lists (or at their head: numbers of all others move).
  void switchOn(const std::string& name, bool atHead = false) {
    Device d = named(name);
    devices.erase(std::find_if(devices.begin(), devices.end(), [&](const Device& x) { return x.name == name; }));
    d.on = true;
    ++d.generation;
    devices.insert(atHead ? devices.begin() : devices.end(), d);
  }
  // What reached a device: the parameter codes (byte 7) of 10-byte messages, 0x28.. of dumps.
  std::vector<int> heardCodes(const std::string& name) {
    std::vector<int> codes;
    for (const Message& m : named(name).heard) codes.push_back(m.size() == kParameterMessageSize ? m[7] : m[5]);
    return codes;
  }

  void sent(const std::string& port, const Message& message) {
    Device* d = byPort(port);
    if (!d) return;
    d->heard.push_back(message);
    if (!d->combo) return;
    TransferClock::time_point at = now;
    for (const PresetMessage& m : VirtualKestralux(comboBank(d->seed)).receive(message).answer)
      onTheWire.emplace(at += std::chrono::microseconds(12800), std::pair{d->name + " OUT", Message(m.begin(), m.end())});
  }

  void advanceTo(TransferClock::time_point t);
};

struct WirePorts : MidiPorts {
  explicit WirePorts(NamedWire& w) : wire(w) { wire.ports.push_back(this); }
  ~WirePorts() override { std::erase(wire.ports, this); }

  std::vector<std::string> inputPortNames() override {
    ++listReads;
    return listedIn = wire.list(" OUT");
  }
  std::vector<std::string> outputPortNames() override {
    ++listReads;
    return listedOut = wire.list(" IN");
  }

  bool openOutput(std::uint32_t device) override {
    if (out || device >= listedOut.size() || !wire.byPort(listedOut[device])) return false;
    out = listedOut[device];
    outGeneration = wire.byPort(*out)->generation;
    return true;
  }
  bool isOutputOpen() const override { return out.has_value(); }
  // A port that went away takes the connection with it, as on ALSA and JACK.
  bool sendMessage(std::span<const std::uint8_t> message) override {
    const NamedWire::Device* d = out ? wire.byPort(*out) : nullptr;
    if (!d || d->generation != outGeneration) return false;
    wire.sent(*out, Message(message.begin(), message.end()));
    return true;
  }
  void closeOutput() override { out.reset(); }

  bool openInput(std::uint32_t device, Delivery d) override {
    if (in || device >= listedIn.size() || !wire.byPort(listedIn[device])) return false;
    in = listedIn[device];
    inGeneration = wire.byPort(*in)->generation;
    deliver = std::move(d);
    return true;
  }
  bool isInputOpen() const override { return in.has_value(); }
  void closeInput() override {
    in.reset();
    deliver = nullptr;
  }
  bool hears(const std::string& port) const {
    const NamedWire::Device* d = in ? wire.byPort(*in) : nullptr;
    return d && *in == port && d->generation == inGeneration;
  }

  bool outputPortReturned() override { return returned(out, outGeneration, outSeen); }
  bool inputPortReturned() override { return returned(in, inGeneration, inSeen); }

  NamedWire& wire;
  std::vector<std::string> listedOut, listedIn;
  std::optional<std::string> out, in;
  int outGeneration = 0, inGeneration = 0, outSeen = -1, inSeen = -1;
  Delivery deliver;
  int listReads = 0;  // the port lists read, either side

 private:
  bool returned(const std::optional<std::string>& port, int openedOn, int& seen) {
    const NamedWire::Device* d = port ? wire.byPort(*port) : nullptr;
    if (!d || d->generation == openedOn || d->generation == seen) return false;
    seen = d->generation;
    return true;
  }
};

inline void NamedWire::advanceTo(TransferClock::time_point t) {
  while (!onTheWire.empty() && onTheWire.begin()->first <= t) {
    now = onTheWire.begin()->first;
    const auto [port, message] = onTheWire.begin()->second;
    onTheWire.erase(onTheWire.begin());
    for (WirePorts* p : std::vector<WirePorts*>(ports))
      if (p->hears(port) && p->deliver) p->deliver(message);
  }
  now = t;
}

}  // namespace kestralux::test
