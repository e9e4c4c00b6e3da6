// Finding the combo in a MIDI network played by loopback ports (tests/protocol/ComboNetwork.h).
// Time only moves when the test moves it.

#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <optional>

#include "link/ComboFinder.h"
#include "tests/protocol/ComboNetwork.h"

namespace kestralux {

void PrintTo(const ComboPair& pair, std::ostream* os) { *os << "output " << pair.output << ", input " << pair.input; }

namespace {

using namespace std::chrono_literals;
using test::comboBank;
using test::Device;
using test::Network;
using Message = LoopbackPorts::Message;

TEST(ComboDetection, FindsTheOutputThatReachesTheComboAndTheInputThatHearsIt) {
  struct Row {
    const char* name;
    std::vector<std::string> outputs, inputs;
    std::vector<Device> devices;
    std::optional<ComboPair> found;
    std::vector<std::uint32_t> requested;
    int spareAnswers = 0;
  };
  const Row rows[] = {
      {"no port", {}, {}, {}, std::nullopt, {}},
      // Not the first output asked: its answer is confirmed by a second request.
      {"one combo among foreign ports", {"Synth in", "Drums in", "COMBO IN"}, {"Synth out", "COMBO OUT", "Drums out"},
       {{Device::Combo, 2, 1, 5ms, 1}}, ComboPair{2, 1}, {0, 1, 2, 2}},
      {"a Midi-Through-like port echoes our request back", {"Midi Through", "COMBO IN"}, {"Midi Through", "COMBO OUT"},
       {{Device::Combo, 1, 1, 5ms, 2}, {Device::Echo, 0, 0}}, ComboPair{1, 1}, {0, 1, 1}},
      // Its answer comes after the next output was asked: that one is asked again first, twice
      // since it stays silent, then the combo's own output answers again.
      {"a combo that answers late", {"COMBO IN", "Synth in"}, {"COMBO OUT"}, {{Device::Combo, 0, 0, 300ms, 3}},
       ComboPair{0, 0}, {0, 1, 1, 1, 0}},
      {"a combo that answers after every window", {"COMBO IN", "Synth in"}, {"COMBO OUT"},
       {{Device::Combo, 0, 0, 2500ms, 3}}, std::nullopt, {0, 1, 0, 1}},
      // A busy MIDI server drops a message now and then.
      {"a request lost on its way is sent once more", {"COMBO IN"}, {"COMBO OUT"},
       {{Device::Combo, 0, 0, 5ms, 6, 1}}, ComboPair{0, 0}, {0, 0}, 1},
      {"a late answer to the only output: found, and its twin may follow", {"COMBO IN"}, {"COMBO OUT"},
       {{Device::Combo, 0, 0, 700ms, 7}}, ComboPair{0, 0}, {0, 0}, 1},
      // Both outputs asked twice; the answer names the input, the twin of it must not
      // confirm the other output, asked first.
      {"the twin of a late answer confirms no other output", {"COMBO IN", "Synth in"}, {"COMBO OUT"},
       {{Device::Combo, 0, 0, 620ms, 8}}, ComboPair{0, 0}, {0, 1, 0, 1, 1, 1, 0, 0}, 1},
      {"two combos: the first found wins", {"COMBO A IN", "COMBO B IN"}, {"COMBO B OUT", "COMBO A OUT"},
       {{Device::Combo, 0, 1, 5ms, 4}, {Device::Combo, 1, 0, 5ms, 5}}, ComboPair{0, 1}, {0}},
  };
  enum class Ports { OneForEachInput, OneConnection, OneConnectionFromTheCallers };
  for (const Ports ports : {Ports::OneForEachInput, Ports::OneConnection, Ports::OneConnectionFromTheCallers}) {
    for (const Row& row : rows) {
      SCOPED_TRACE(row.name);
      SCOPED_TRACE(testing::Message() << "ports " << static_cast<int>(ports));
      Network net;
      const bool oneConnection = ports != Ports::OneForEachInput;
      net.oneConnection = oneConnection;
      net.outputs = row.outputs;
      net.inputs = row.inputs;
      net.devices = row.devices;
      Network::Joined callers(net);
      int made = 0;
      ComboFinder finder(
          [&net, &made] {
            ++made;
            return std::make_unique<Network::Joined>(net);
          },
          [](std::function<void()> work) { work(); }, [&net] { return net.now; },
          ports == Ports::OneConnectionFromTheCallers ? &callers : nullptr);
      ComboDetection::State state = finder.start();
      while ((state == ComboDetection::State::Running || !finder.detection().answerEnded()) &&
             net.now < TransferClock::time_point{} + 20s && state != ComboDetection::State::NotFound) {
        net.advanceTo(net.now + 10ms);
        state = finder.tick();
      }
      EXPECT_EQ(finder.detection().found(), row.found);
      EXPECT_EQ(net.requested, row.requested);
      // An output asked again is not connected again: each connection costs the MIDI system a
      // wait until it is live and another until what was sent has left.
      std::vector<std::uint32_t> connectedInTurn = row.requested;
      connectedInTurn.erase(std::unique(connectedInTurn.begin(), connectedInTurn.end()), connectedInTurn.end());
      EXPECT_EQ(net.opened, oneConnection ? std::vector<std::uint32_t>{} : connectedInTurn);
      EXPECT_EQ(net.searchConnections, oneConnection && !row.outputs.empty() ? 1 : 0);
      if (ports == Ports::OneConnectionFromTheCallers) {
        EXPECT_EQ(made, 0) << "no port object made only to list";
      }
      if (!row.found) continue;
      EXPECT_EQ(finder.detection().spareAnswers(), row.spareAnswers);

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
}

}  // namespace
}  // namespace kestralux
