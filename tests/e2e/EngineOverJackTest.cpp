// The link to the combo over real MIDI ports (a private JACK server) talking to kestralux-sim.

#include <gtest/gtest.h>
#include <jack/jack.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iterator>

#include "link/ComboLink.h"
#include "midi/RtMidiPorts.h"
#include "model/EditorState.h"
#include "protocol/DeviceProtocol.h"
#include "tests/e2e/SimProcess.h"
#include "tests/e2e/WorkQueue.h"
#include "tests/PresetValues.h"

namespace kestralux {
namespace {

namespace fs = std::filesystem;
using namespace std::chrono_literals;

std::string hex(int byte) {
  char text[3];
  std::snprintf(text, sizeof text, "%02X", byte & 0xFF);
  return text;
}

std::optional<std::uint32_t> deviceNamed(const std::vector<std::string>& names, const std::string& part) {
  for (std::size_t d = 0; d < names.size(); ++d)
    if (names[d].find(part) != std::string::npos) return static_cast<std::uint32_t>(d);
  return std::nullopt;
}

PresetBank distinctBank() {
  PresetBank bank{};
  for (int n = 0; n < 30; ++n) {
    PresetRecord& r = bank[static_cast<std::size_t>(n)];
    r.storeName("PRESET " + std::to_string(n + 1));
    for (int i = 0; i < kParameterCount; ++i) r.setValue(i, (n * 5 + i * 3) % 128);
    test::makePreset(r, n);
  }
  return bank;
}

bool waitUntil(const std::function<bool()>& done, std::chrono::seconds limit = 30s) {
  const auto end = std::chrono::steady_clock::now() + limit;
  while (!done()) {
    if (std::chrono::steady_clock::now() > end) return false;
    std::this_thread::sleep_for(20ms);
  }
  return true;
}

class EngineOverJack : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_EQ(ports.system(), MidiSystem::Jack) << "run under scripts/with-jack";
    fs::create_directories(dir);
    sim = e2e::startSimulator(dir, distinctBank());
    ASSERT_TRUE(sim->started());
    const auto end = std::chrono::steady_clock::now() + 10s;
    while ((!toDevice || !fromDevice) && std::chrono::steady_clock::now() < end) {
      std::this_thread::sleep_for(50ms);
      toDevice = deviceNamed(ports.outputPortNames(), "KESTRALUX MIDI IN");
      fromDevice = deviceNamed(ports.inputPortNames(), "KESTRALUX MIDI OUT");
    }
    ASSERT_TRUE(toDevice && fromDevice) << "the simulator's ports never appeared";
    engine.setPause([](std::chrono::milliseconds) {});
    link.cardError = [this] { ++cardErrors; };
    link.setPoster([this](std::function<void()> work) { gui.post(std::move(work)); });
    combo = {ports.outputPortNames()[*toDevice], ports.inputPortNames()[*fromDevice]};
    link.usePorts(combo);
  }

  void TearDown() override {
    engine.CLOSE_MIDI_IN();
    if (sim) sim->stop();
    fs::remove_all(dir);
  }

  std::vector<std::string> simLines(const std::string& prefix) const {
    std::vector<std::string> out;
    for (const auto& l : sim->outputLines())
      if (l.rfind(prefix, 0) == 0) out.push_back(l);
    return out;
  }

  PresetBank dumpedBank() const {
    PresetBank bank{};
    std::ifstream(dir / "end.bnk", std::ios::binary).read(reinterpret_cast<char*>(bank.data()), sizeof bank);
    return bank;
  }

  fs::path dir = fs::temp_directory_path() / ("kestralux-e2e-" + std::to_string(getpid()));
  RtMidiPorts ports{MidiSystem::Jack, "kestralux-e2e"};
  e2e::WorkQueue gui;
  EditorState state;
  ComboLink link{ports, state, dir / "combo.cfg"};
  MidiEngine& engine = link.engine;
  DeviceProtocol& protocol = link.protocol;
  PortNames combo;
  std::unique_ptr<e2e::SimProcess> sim;
  std::optional<std::uint32_t> toDevice;
  std::optional<std::uint32_t> fromDevice;
  int cardErrors = 0;
};

// Rounds of the rows below: KESTRALUX_FIRST_MESSAGE_ROUNDS, else a number that keeps the suite
// quick over both servers.
std::size_t firstMessageRounds() {
  const char* rounds = std::getenv("KESTRALUX_FIRST_MESSAGE_ROUNDS");
  return rounds ? std::max(1ul, std::strtoul(rounds, nullptr, 10)) : 20;
}

// Every connection is new: opened, used at once, and closed again. What is sent straight after
// opening must reach the device whole each time (a Store All whose 0x2A is lost puts every
// preset one slot early), and closing a connection the server is still serving must not take
// the program down.
struct FirstMessages {
  const char* flow;
  std::function<void(DeviceProtocol&)> send;
  const char* deviceLine;  // what the device says of the first message
  std::size_t lines;       // and how many lines a round is
};

class FirstMessagesOverJack : public EngineOverJack, public ::testing::WithParamInterface<FirstMessages> {};

TEST_P(FirstMessagesOverJack, ReachTheDeviceOnEveryNewConnection) {
  const std::size_t rounds = firstMessageRounds();
  for (std::size_t k = 0; k < rounds; ++k) {
    engine.CLOSE_MIDI_OUT();
    GetParam().send(protocol);
  }
  engine.CLOSE_MIDI_OUT();
  const std::size_t all = rounds * GetParam().lines;
  EXPECT_TRUE(waitUntil([&] { return sim->outputLines().size() >= all + 1; }));
  EXPECT_EQ(simLines(GetParam().deviceLine).size(), rounds);
  EXPECT_EQ(sim->outputLines().size(), all + 1) << "the device's first line names its ports";
  EXPECT_TRUE(simLines("ignored").empty()) << simLines("ignored").front();
  EXPECT_EQ(cardErrors, 0);
}

INSTANTIATE_TEST_SUITE_P(
    Flows, FirstMessagesOverJack,
    ::testing::Values(
        FirstMessages{"StoreAll",
                      [](DeviceProtocol& p) {
                        p.PrepareStore(StoreScope::ALL);
                        while (p.store.pending()) p.SendNextStoreMessage();
                      },
                      "store-all first 0x2A -> preset 1", kPresetCount},
        FirstMessages{"LiveEdit", [](DeviceProtocol& p) { p.SendParameter(0, codeOfParameter(AMP_GAIN), 64); },
                      "param AMP_GAIN ctx=00 code=02 value=64", 1}),
    [](const ::testing::TestParamInfo<FirstMessages>& info) { return std::string(info.param.flow); });

// A connection cut under the editor (by a patchbay, by the device's side) reaches nobody: the
// send says so, and the next one makes the connection afresh and arrives.
TEST_F(EngineOverJack, ASendOnACutConnectionFailsAndTheNextOneArrives) {
  protocol.SendStartup();
  ASSERT_TRUE(sim->waitForLines("start-up", 1));
  {
    jack_client_t* patchbay = jack_client_open("kestralux-e2e-patchbay", JackNoStartServer, nullptr);
    ASSERT_TRUE(patchbay);
    const std::string device = ports.outputPortNames()[*toDevice];
    jack_port_t* input = jack_port_by_name(patchbay, device.c_str());
    ASSERT_TRUE(input);
    const char** sources = jack_port_get_all_connections(patchbay, input);
    ASSERT_TRUE(sources) << "the editor's connection is not there";
    for (std::size_t k = 0; sources[k]; ++k) jack_disconnect(patchbay, sources[k], device.c_str());
    jack_free(sources);
    jack_client_close(patchbay);
  }
  protocol.SendStartup();
  EXPECT_EQ(cardErrors, 1) << "a message that reached nobody was taken as sent";
  protocol.SendStartup();
  EXPECT_TRUE(sim->waitForLines("start-up", 2));
  EXPECT_EQ(cardErrors, 1);
}

TEST_F(EngineOverJack, StartAndParameterMessagesArriveByteForByte) {
  struct Edit {
    int index;
    int value;
    const char* line;  // as the device reads the message back
  };
  const Edit edits[] = {
      {AMP_GAIN, 77, "param AMP_GAIN ctx=00 code=02 value=77"},
      {DELAY_TIME, 200, "param DELAY_TIME ctx=01 code=0B value=200"},
      {EFF_RATE, 5, "param EFF_RATE ctx=00 code=0C value=5"},
      {GATE_THRES, 127, "param GATE_THRES ctx=09 code=0D value=127"},
  };
  protocol.SendStartup();
  for (const auto& e : edits) {
    state.current().setValue(e.index, e.value);
    protocol.SendLiveEdit(e.index);
  }
  ASSERT_TRUE(sim->waitForLines("param ", std::size(edits)));
  EXPECT_EQ(simLines("start-up").size(), 1u);
  const auto lines = simLines("param ");
  ASSERT_EQ(lines.size(), std::size(edits));
  for (std::size_t k = 0; k < std::size(edits); ++k) EXPECT_EQ(lines[k], edits[k].line);
  EXPECT_TRUE(simLines("ignored").empty());
  EXPECT_EQ(cardErrors, 0);

  // The whole-preset burst of the poll tick, each message with its own context byte.
  state.PresetResendPending = true;
  link.tick();
  ASSERT_TRUE(sim->waitForLines("param ", std::size(edits) + kParameterCount));
  const auto burst = simLines("param ");
  for (int i = 0; i < kParameterCount; ++i) {
    const int v = state.current().value(i);
    const int context = contextByte(i, SendPath::WholePreset, state.current().value(EFFECT_SELECT), v);
    EXPECT_NE(burst[std::size(edits) + static_cast<std::size_t>(i)].find(
                  " ctx=" + hex(context) + " code=" + hex(codeOfParameter(i)) + " value=" + std::to_string(v)),
              std::string::npos)
        << burst[std::size(edits) + static_cast<std::size_t>(i)];
  }

  // The edits went to the device's current sound: a fetch brings back its stored preset 1
  // as it was.
  const PresetRecord played = state.current();
  protocol.RequestBank();
  ASSERT_TRUE(gui.runUntil([&] { return link.rx.waiting() >= 30; }, 10s));
  link.tick();
  EXPECT_EQ(protocol.fetch.received(), 30);
  for (int i = 0; i < kParameterCount; ++i) EXPECT_EQ(state.bank[0].value(i), distinctBank()[0].value(i)) << i;

  ASSERT_EQ(sim->stop(), 0);
  EXPECT_EQ(dumpedBank(), distinctBank());
  const PresetRecord sound = e2e::dumpedSound(dir);
  for (int i = 0; i < kParameterCount; ++i) EXPECT_EQ(sound.value(i), played.value(i)) << i;
}

TEST_F(EngineOverJack, BankAnswerReachesTheRingWholeAndInOrder) {
  ASSERT_TRUE(ports.isInputOpen());
  protocol.SendBankRequest();
  ASSERT_TRUE(gui.runUntil([&] { return link.rx.waiting() >= 30; }, 10s))
      << "only " << link.rx.waiting() << " messages arrived";
  std::vector<RxSlot> decoded;
  link.setDecoder([&](const RxSlot& slot) { decoded.push_back(slot); });
  link.tick();
  ASSERT_EQ(decoded.size(), 30u);
  const PresetBank bank = distinctBank();
  for (int n = 0; n < 30; ++n) {
    const PresetMessage expected =
        buildPresetMessage(n == 0 ? CMD_BANK_FIRST : CMD_BANK_NEXT, bank[static_cast<std::size_t>(n)]);
    const RxSlot& slot = decoded[static_cast<std::size_t>(n)];
    EXPECT_EQ(slot.length, 40u) << "message " << n;
    EXPECT_TRUE(slot.endsWithF7);
    for (std::size_t b = 0; b <= 38; ++b) ASSERT_EQ(slot.data[b], expected[b]) << "message " << n << " byte " << b;
  }
  EXPECT_EQ(link.droppedMessages(), 0);
}

TEST_F(EngineOverJack, SendToAMissingPortShowsTheErrorAndTheProgramGoesOn) {
  link.usePorts({"no such port", combo.input});
  protocol.SendStartup();
  protocol.SendStartup();
  EXPECT_EQ(cardErrors, 2);
  EXPECT_FALSE(ports.isOutputOpen());

  link.usePorts(combo);
  protocol.SendStartup();
  EXPECT_TRUE(sim->waitForLines("start-up", 1));
  EXPECT_EQ(cardErrors, 2);
}

}  // namespace
}  // namespace kestralux
