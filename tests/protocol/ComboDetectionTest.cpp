// Finding the combo in a MIDI network played by loopback ports: each output leads to a device
// (the virtual combo's logic, or a port that echoes), whose messages reach its input when the
// test's clock gets there. Time only moves when the test moves it.

#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <optional>

#include "midi/LoopbackPorts.h"
#include "protocol/ComboFinder.h"
#include "sim/VirtualKestralux.h"
#include "tests/PresetValues.h"

namespace kestralux {

void PrintTo(const ComboPair& pair, std::ostream* os) { *os << "output " << pair.output << ", input " << pair.input; }

namespace {

using namespace std::chrono_literals;
using Message = LoopbackPorts::Message;

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
};

struct Network {
  std::vector<std::string> outputs, inputs;
  std::vector<Device> devices;
  TransferClock::time_point now{};
  std::multimap<TransferClock::time_point, std::pair<std::uint32_t, Message>> onTheWire;
  std::vector<LoopbackPorts*> ports;     // those the finder holds now
  std::vector<std::uint32_t> requested;  // outputs a bank request went out on, in order

  struct Joined : LoopbackPorts {
    explicit Joined(Network& n) : LoopbackPorts(n.inputs, n.outputs), net(n) {
      net.ports.push_back(this);
      onSend = [this](const Message& m) { net.sent(*openOutputDevice(), m); };
    }
    ~Joined() override { std::erase(net.ports, this); }
    Network& net;
  };

  void sent(std::uint32_t output, const Message& message) {
    if (message.size() == kParameterMessageSize && message[7] == CODE_REQUEST_BANK) requested.push_back(output);
    for (const Device& d : devices) {
      if (d.output != output) continue;
      if (d.kind == Device::Echo) onTheWire.emplace(now, std::pair{d.input, message});
      TransferClock::time_point at = now + d.delay;
      for (const PresetMessage& m : d.kind == Device::Combo ? VirtualKestralux(comboBank(d.seed)).receive(message).answer
                                                            : std::vector<PresetMessage>{})
        onTheWire.emplace(at += 12800us, std::pair{d.input, Message(m.begin(), m.end())});
    }
  }

  void advanceTo(TransferClock::time_point t) {
    while (!onTheWire.empty() && onTheWire.begin()->first <= t) {
      now = onTheWire.begin()->first;
      const auto [input, message] = onTheWire.begin()->second;
      onTheWire.erase(onTheWire.begin());
      for (LoopbackPorts* p : ports)
        if (p->openInputDevice() == input) p->inject(message);
    }
    now = t;
  }
};

TEST(ComboDetection, FindsTheOutputThatReachesTheComboAndTheInputThatHearsIt) {
  struct Row {
    const char* name;
    std::vector<std::string> outputs, inputs;
    std::vector<Device> devices;
    std::optional<ComboPair> found;
    std::vector<std::uint32_t> requested;
  };
  const Row rows[] = {
      {"no port", {}, {}, {}, std::nullopt, {}},
      // Not the first output asked: its answer is confirmed by a second request.
      {"one combo among foreign ports", {"Synth in", "Drums in", "COMBO IN"}, {"Synth out", "COMBO OUT", "Drums out"},
       {{Device::Combo, 2, 1, 5ms, 1}}, ComboPair{2, 1}, {0, 1, 2, 2}},
      {"a Midi-Through-like port echoes our request back", {"Midi Through", "COMBO IN"}, {"Midi Through", "COMBO OUT"},
       {{Device::Combo, 1, 1, 5ms, 2}, {Device::Echo, 0, 0}}, ComboPair{1, 1}, {0, 1, 1}},
      // Its answer arrives in the window of the output asked next, which never answers again.
      {"a combo that answers late", {"COMBO IN", "Synth in"}, {"COMBO OUT"}, {{Device::Combo, 0, 0, 1500ms, 3}},
       std::nullopt, {0, 1, 1}},
      {"two combos: the first found wins", {"COMBO A IN", "COMBO B IN"}, {"COMBO B OUT", "COMBO A OUT"},
       {{Device::Combo, 0, 1, 5ms, 4}, {Device::Combo, 1, 0, 5ms, 5}}, ComboPair{0, 1}, {0}},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.name);
    Network net;
    net.outputs = row.outputs;
    net.inputs = row.inputs;
    net.devices = row.devices;
    ComboFinder finder([&net] { return std::make_unique<Network::Joined>(net); },
                       [](std::function<void()> work) { work(); }, [&net] { return net.now; });
    ComboDetection::State state = finder.start();
    while ((state == ComboDetection::State::Running || !finder.detection().answerEnded()) &&
           net.now < TransferClock::time_point{} + 20s && state != ComboDetection::State::NotFound) {
      net.advanceTo(net.now + 10ms);
      state = finder.tick();
    }
    EXPECT_EQ(finder.detection().found(), row.found);
    EXPECT_EQ(net.requested, row.requested);
    if (!row.found) continue;

    // The answer, taken as a fetch, is the whole bank of the combo found.
    BankFetch fetch;
    PresetBank bank{};
    RxRing ring;
    fetch.requested(net.now);
    for (const Message& m : finder.detection().answer()) {
      ring.store(m);
      fetch.take(ring.takeNext(), bank, net.now);
    }
    EXPECT_EQ(fetch.received(), kPresetCount);
    EXPECT_EQ(bank, comboBank(row.devices[0].seed));
  }
}

}  // namespace
}  // namespace kestralux
