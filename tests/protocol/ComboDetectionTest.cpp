// Finding the combo among the ports of a MIDI network played in the test: each output leads to
// a device (the virtual combo's logic, a port that echoes, or one that ignores us), whose
// messages reach its input when the test's clock gets there. Time only moves when the test
// moves it.

#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "protocol/ComboFinder.h"
#include "protocol/Sysex.h"
#include "sim/VirtualKestralux.h"
#include "tests/PresetValues.h"

namespace kestralux {

void PrintTo(const ComboPair& pair, std::ostream* os) { *os << "output " << pair.output << ", input " << pair.input; }

namespace {

using namespace std::chrono_literals;
using Message = std::vector<std::uint8_t>;

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
  std::map<std::size_t, VirtualKestralux> combos;  // by device
  TransferClock::time_point now{};
  std::multimap<TransferClock::time_point, std::pair<std::uint32_t, Message>> onTheWire;
  std::map<std::uint32_t, MidiPorts::Delivery> listening;
  std::vector<std::uint32_t> requested;  // outputs a bank request was sent on, in order

  void sent(std::uint32_t output, const Message& message) {
    const ParameterMessage request = buildParameterMessage(0, CODE_REQUEST_BANK, 0);
    if (std::equal(message.begin(), message.end(), request.begin(), request.end())) requested.push_back(output);
    for (std::size_t d = 0; d < devices.size(); ++d) {
      const Device& device = devices[d];
      if (device.output != output) continue;
      if (device.kind == Device::Echo) {
        onTheWire.emplace(now, std::pair{device.input, message});
        continue;
      }
      auto combo = combos.try_emplace(d, comboBank(device.seed)).first;
      TransferClock::time_point at = now + device.delay;
      for (const PresetMessage& m : combo->second.receive(message).answer) {
        at += 12800us;  // 40 bytes at MIDI wire speed
        onTheWire.emplace(at, std::pair{device.input, Message(m.begin(), m.end())});
      }
    }
  }

  void advanceTo(TransferClock::time_point t) {
    while (!onTheWire.empty() && onTheWire.begin()->first <= t) {
      const auto [input, message] = onTheWire.begin()->second;
      now = onTheWire.begin()->first;
      onTheWire.erase(onTheWire.begin());
      if (auto it = listening.find(input); it != listening.end()) it->second(message);
    }
    now = t;
  }
};

class NetworkPorts : public MidiPorts {
 public:
  explicit NetworkPorts(Network& network) : net_(network) {}
  ~NetworkPorts() override { closeInput(); }
  std::vector<std::string> inputPortNames() override { return net_.inputs; }
  std::vector<std::string> outputPortNames() override { return net_.outputs; }
  bool openOutput(std::uint32_t device) override {
    if (out_ || device >= net_.outputs.size()) return false;
    out_ = device;
    return true;
  }
  bool isOutputOpen() const override { return out_.has_value(); }
  bool sendMessage(std::span<const std::uint8_t> message) override {
    if (!out_) return false;
    net_.sent(*out_, Message(message.begin(), message.end()));
    return true;
  }
  void closeOutput() override { out_.reset(); }
  bool openInput(std::uint32_t device, Delivery deliver) override {
    if (in_ || device >= net_.inputs.size() || net_.listening.contains(device)) return false;
    net_.listening[device] = std::move(deliver);
    in_ = device;
    return true;
  }
  bool isInputOpen() const override { return in_.has_value(); }
  void closeInput() override {
    if (in_) net_.listening.erase(*in_);
    in_.reset();
  }

 private:
  Network& net_;
  std::optional<std::uint32_t> out_, in_;
};

TEST(ComboDetection, FindsTheOutputThatReachesTheComboAndTheInputThatHearsIt) {
  struct Row {
    const char* name;
    std::vector<std::string> outputs, inputs;
    std::vector<Device> devices;
    std::optional<ComboPair> found;
    std::vector<std::uint32_t> requested;
    int answerSeed = 0;  // whose bank the handed-over answer is
  };
  const Row rows[] = {
      {"no port", {}, {}, {}, std::nullopt, {}},
      // Not the first output asked: its answer is confirmed by a second request.
      {"one combo among foreign ports",
       {"Synth A in", "Drums in", "COMBO IN"},
       {"Synth A out", "COMBO OUT", "Drums out"},
       {{Device::Combo, 2, 1, 5ms, 1}},
       ComboPair{2, 1},
       {0, 1, 2, 2},
       1},
      {"a Midi-Through-like port echoes our request back",
       {"Midi Through", "COMBO IN"},
       {"Midi Through", "COMBO OUT"},
       {{Device::Echo, 0, 0}, {Device::Combo, 1, 1, 5ms, 2}},
       ComboPair{1, 1},
       {0, 1, 1},
       2},
      // Its answer arrives in the window of the output asked next, which never answers again.
      {"a combo that answers late", {"COMBO IN", "Synth A in"}, {"COMBO OUT"}, {{Device::Combo, 0, 0, 1500ms, 3}},
       std::nullopt, {0, 1, 1}},
      {"two combos: the first found wins",
       {"COMBO A IN", "COMBO B IN"},
       {"COMBO B OUT", "COMBO A OUT"},
       {{Device::Combo, 0, 1, 5ms, 4}, {Device::Combo, 1, 0, 5ms, 5}},
       ComboPair{0, 1},
       {0},
       4},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.name);
    Network net;
    net.outputs = row.outputs;
    net.inputs = row.inputs;
    net.devices = row.devices;
    ComboFinder finder([&net] { return std::make_unique<NetworkPorts>(net); },
                       [](std::function<void()> work) { work(); }, [&net] { return net.now; });
    const TransferClock::time_point start = net.now;
    ComboDetection::State state = finder.start();
    while ((state == ComboDetection::State::Running ||
            (state == ComboDetection::State::Found && !finder.detection().answerEnded())) &&
           net.now - start < 20s) {
      net.advanceTo(net.now + 10ms);
      state = finder.tick();
    }
    finder.stop();
    EXPECT_TRUE(net.listening.empty()) << "stop() closes every input";
    EXPECT_EQ(finder.detection().found(), row.found);
    EXPECT_EQ(state, row.found ? ComboDetection::State::Found : ComboDetection::State::NotFound);
    EXPECT_EQ(net.requested, row.requested);
    if (!row.found) continue;

    // The answer, taken as a fetch, is the combo's whole bank.
    const std::vector<Message>& answer = finder.detection().answer();
    ASSERT_EQ(answer.size(), std::size_t(kPresetCount));
    BankFetch fetch;
    PresetBank bank{};
    fetch.requested(net.now);
    RxRing ring;
    BankFetch::Report report;
    for (const Message& m : answer) {
      ring.store(m);
      report = fetch.take(ring.takeNext(), bank, net.now);
    }
    EXPECT_TRUE(report.complete);
    EXPECT_EQ(bank, comboBank(row.answerSeed));
  }
}

}  // namespace
}  // namespace kestralux
