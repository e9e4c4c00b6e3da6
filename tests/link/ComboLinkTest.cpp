// The rules of the link to the combo, on a MIDI system of named ports with a clock: which
// ports it takes at start, what it does when the combo comes, goes and comes back beside
// another device, and the search.

#include "link/ComboLink.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <functional>

#include "model/EditSession.h"
#include "tests/link/NamedWire.h"

namespace kestralux {
namespace {

namespace fs = std::filesystem;
using namespace std::chrono_literals;
using test::NamedWire;

constexpr int kGainCode = 2;
constexpr int kRequestCode = CODE_REQUEST_BANK;
constexpr int kStartCode = CODE_STARTUP;

struct Rig {
  explicit Rig(std::vector<NamedWire::Device> devices) {
    wire.devices = std::move(devices);
    dir = fs::temp_directory_path() / ("combo-link-" + std::to_string(::getpid()) + "-" + std::to_string(++counter));
    fs::remove_all(dir);
    fs::create_directories(dir);
    link = std::make_unique<ComboLink>(ports, state, dir / "combo.cfg");
    link->engine.setPause([](std::chrono::milliseconds) {});
    link->clock = [this] { return wire.now; };
    link->protocol.clock = [this] { return wire.now; };
    link->cardError = [this] {
      ++cardErrors;
      if (whileBoxOpen) whileBoxOpen();
    };
    link->connectionChanged = [this](bool connected) { connections.push_back(connected); };
    link->protocol.bankMoved = [this](const BankMove& move) { moved.push_back(historyKind(move)); };
    link->portsMaker = [this] { return std::make_unique<test::WirePorts>(wire); };
  }
  ~Rig() {
    link.reset();
    fs::remove_all(dir);
  }

  void remember(std::optional<ComboConfig> config, std::optional<std::string> names) {
    if (config) SAVE_CONFIG(*config, dir / "combo.cfg");
    if (names) std::ofstream(dir / "combo.ports") << *names;
  }
  void start(bool fetch = true, ComboLink::SearchAtStart search = ComboLink::SearchAtStart::WhenNotAtHand) {
    ComboLink::StartUp how;
    how.fetchWhenAtHand = fetch;
    how.search = search;
    link->start(how);
  }
  // Time passes in ticks of the setup window's timer.
  void run(std::chrono::milliseconds span) {
    for (auto end = wire.now + span; wire.now < end;) {
      wire.advanceTo(wire.now + 50ms);
      link->tick();
    }
  }
  bool edit(int value) { return link->protocol.SendParameter(0, kGainCode, value); }
  std::vector<int> heard(const std::string& device) { return wire.heardCodes(device); }
  bool hasFile(const char* name) const { return fs::exists(dir / name); }

  static inline int counter = 0;
  NamedWire wire;
  test::WirePorts ports{wire};
  EditorState state;
  fs::path dir;
  std::unique_ptr<ComboLink> link;
  int cardErrors = 0;
  std::function<void()> whileBoxOpen;
  std::vector<bool> connections;
  std::vector<std::string> moved;
};

NamedWire::Device combo(const char* name, int seed = 1) { return {.name = name, .combo = true, .seed = seed}; }
// What the combo hears: these codes, then the preset on screen sent whole (codes 1..16).
std::vector<int> thenWholePreset(std::vector<int> codes) {
  for (int code = 1; code <= kParameterCount; ++code) codes.push_back(code);
  return codes;
}
NamedWire::Device other(const char* name) { return {.name = name}; }
// A device we can send to that sends nothing back: the output list is longer than the input's.
NamedWire::Device listener(const char* name) {
  NamedWire::Device d{.name = name};
  d.sends = false;
  return d;
}
const std::string kRememberK = "output=K IN\ninput=K OUT\n";

struct Row {
  const char* what;
  std::vector<NamedWire::Device> devices;
  std::optional<ComboConfig> config;
  std::optional<std::string> names;
  std::function<void(Rig&)> play;
};

TEST(ComboLink, FollowsTheCombo) {
  const Row rows[] = {
      {"remembered by number: the ports those numbers name now", {other("A"), combo("K")}, ComboConfig{1, 1}, std::nullopt,
       [](Rig& r) {
         r.start();
         EXPECT_EQ(r.link->ports(), (PortNames{"K IN", "K OUT"}));
         EXPECT_TRUE(r.link->comboAtHand());
         r.run(1s);
         EXPECT_EQ(r.heard("K"), (std::vector<int>{kStartCode, kRequestCode}));
         EXPECT_TRUE(r.heard("A").empty());
         EXPECT_EQ(r.state.bank[7].value(AMP_GAIN), test::comboBank(1)[7].value(AMP_GAIN));
         EXPECT_EQ(r.moved, std::vector<std::string>{"fetched"});
         EXPECT_EQ(r.connections, std::vector<bool>{true});
       }},
      {"by name: numbers that moved follow the names", {other("X"), other("A"), combo("K")}, ComboConfig{1, 1}, kRememberK,
       [](Rig& r) {
         r.start(false);
         EXPECT_EQ(r.link->outputNumber(), 2u);
         r.edit(5);
         EXPECT_EQ(r.heard("K"), (std::vector<int>{kStartCode, kGainCode}));
         EXPECT_TRUE(r.heard("A").empty());
       }},
      {"names gone, another device at the old number: it hears nothing", {other("A"), other("B")}, ComboConfig{1, 1}, kRememberK,
       [](Rig& r) {
         r.start(true, ComboLink::SearchAtStart::Never);
         EXPECT_FALSE(r.link->comboAtHand());
         EXPECT_EQ(r.cardErrors, 1) << "the start-up message had nowhere to go";
         EXPECT_FALSE(r.edit(5));
         EXPECT_EQ(r.cardErrors, 2);
         EXPECT_FALSE(r.ports.isInputOpen());
         EXPECT_TRUE(r.heard("A").empty());
         EXPECT_TRUE(r.heard("B").empty());
         EXPECT_EQ(r.connections, std::vector<bool>{false});
       }},
      {"a garbled names file: the numbers", {other("A"), combo("K")}, ComboConfig{1, 1}, "nonsense\n",
       [](Rig& r) {
         r.start(false);
         EXPECT_EQ(r.link->ports(), (PortNames{"K IN", "K OUT"}));
       }},
      {"the combo switched on later: connected and asked for its bank, once",
       {other("A"), {"K", true, 1, false}}, ComboConfig{1, 1}, kRememberK,
       [](Rig& r) {
         r.start(true, ComboLink::SearchAtStart::Never);
         r.wire.switchOn("K");
         r.run(1500ms);
         EXPECT_EQ(r.connections, (std::vector<bool>{false, true}));
         EXPECT_EQ(r.heard("K"), thenWholePreset({kRequestCode}));
         EXPECT_EQ(r.moved, std::vector<std::string>{"fetched"});
         r.run(3s);
         EXPECT_EQ(r.heard("K"), thenWholePreset({kRequestCode})) << "a look after the bank came asks nothing";
       }},
      {"the combo goes beside another device and comes back", {combo("K"), other("A")}, std::nullopt, kRememberK,
       [](Rig& r) {
         r.start();
         r.run(1s);
         ASSERT_EQ(r.moved.size(), 1u);
         r.wire.switchOff("K");  // A now holds K's old number
         EXPECT_FALSE(r.edit(5));
         EXPECT_FALSE(r.edit(6));
         EXPECT_EQ(r.cardErrors, 2) << "one box each";
         r.link->protocol.RequestBank();
         EXPECT_FALSE(r.link->protocol.fetch.waiting()) << "a request that never went waits for nothing";
         r.run(3s);
         EXPECT_TRUE(r.heard("A").empty());
         EXPECT_EQ(r.connections, (std::vector<bool>{true, false}));
         r.wire.switchOn("K");
         r.edit(7);  // before the look: the port is found by its name, wherever it is listed
         r.run(1s);
         r.edit(8);
         EXPECT_TRUE(r.heard("A").empty());
         std::vector<int> heard = thenWholePreset({kStartCode, kRequestCode, kGainCode});
         heard.push_back(kGainCode);
         EXPECT_EQ(r.heard("K"), heard) << "back, it plays the preset on screen";
         EXPECT_EQ(r.connections, (std::vector<bool>{true, false, true}));
         EXPECT_EQ(r.moved.size(), 1u) << "a bank came in this run: the return asks for none";
       }},
      {"switched off and on before any bank came: asked for it", {combo("K")}, std::nullopt, kRememberK,
       [](Rig& r) {
         r.start(false);
         r.wire.switchOff("K");
         r.run(1s);
         r.wire.switchOn("K");
         r.run(2s);
         EXPECT_EQ(r.heard("K"), thenWholePreset({kStartCode, kRequestCode}));
         EXPECT_EQ(r.moved, std::vector<std::string>{"fetched"});
       }},
      {"the connection is told whatever a box does meanwhile", {other("A")}, std::nullopt, kRememberK,
       [](Rig& r) {
         // The start-up message's box runs the timer's ticks, and so the look, before start ends.
         r.whileBoxOpen = [&r] {
           r.wire.now += 2s;
           r.link->tick();
         };
         r.start(true, ComboLink::SearchAtStart::Never);
         ASSERT_FALSE(r.connections.empty());
         EXPECT_FALSE(r.connections.back());
         EXPECT_FALSE(r.link->connected());
       }},
      {"nothing remembered: found, used, remembered, its answer taken as the fetch", {other("A"), combo("K", 3)},
       std::nullopt, std::nullopt,
       [](Rig& r) {
         r.start();
         r.run(4s);
         EXPECT_EQ(r.link->search(), ComboLink::Search::Found);
         EXPECT_EQ(r.link->ports(), (PortNames{"K IN", "K OUT"}));
         EXPECT_EQ(LOAD_CONFIG(r.dir / "combo.cfg"), (ComboConfig{1, 1}));
         EXPECT_EQ(LOAD_PORT_NAMES(r.dir / "combo.ports"), (PortNames{"K IN", "K OUT"}));
         EXPECT_EQ(r.state.bank, test::comboBank(3));
         EXPECT_EQ(r.moved, std::vector<std::string>{"fetched"});
         EXPECT_EQ(r.connections.back(), true);
       }},
      {"nothing remembered, nothing answers: the first ports, nothing written", {other("A"), other("B")}, std::nullopt,
       std::nullopt,
       [](Rig& r) {
         r.start();
         r.run(5s);
         EXPECT_EQ(r.link->search(), ComboLink::Search::NotFound);
         EXPECT_EQ(r.link->ports(), (PortNames{"A IN", "A OUT"}));
         EXPECT_FALSE(r.hasFile("combo.cfg"));
       }},
      {"FIND COMBO beside the connected combo: one fetch, at OK", {combo("K", 2)}, std::nullopt, kRememberK,
       [](Rig& r) {
         r.start(false);
         ASSERT_TRUE(r.link->findCombo(ComboLink::FoundPair::Offer));
         r.run(3s);
         EXPECT_EQ(r.link->search(), ComboLink::Search::Found);
         EXPECT_TRUE(r.moved.empty()) << "the link's own input heard the answer and left it to the search";
         r.link->takeFoundBank();
         r.run(1s);
         EXPECT_EQ(r.moved, std::vector<std::string>{"fetched"});
         EXPECT_EQ(r.state.bank, test::comboBank(2));
       }},
      {"a device plugged in while the search runs moves the numbers, not the pair", {other("A"), combo("K")},
       std::nullopt, std::nullopt,
       [](Rig& r) {
         r.wire.devices.insert(r.wire.devices.begin(), NamedWire::Device{.name = "N", .on = false});
         r.start(false);
         r.run(100ms);
         r.wire.switchOn("N", true);
         r.run(4s);
         EXPECT_EQ(r.link->foundPorts(), (PortNames{"K IN", "K OUT"}));
         EXPECT_TRUE(r.heard("N").empty());
       }},
      {"remembered by numbers that differ, output 2 and input 0: each side its own",
       {listener("A"), listener("B"), combo("K", 4)}, ComboConfig{2, 0}, std::nullopt,
       [](Rig& r) {
         r.start();
         EXPECT_EQ(r.link->ports(), (PortNames{"K IN", "K OUT"}));
         r.run(1s);
         EXPECT_EQ(r.heard("K"), (std::vector<int>{kStartCode, kRequestCode}));
         EXPECT_TRUE(r.heard("A").empty());
         EXPECT_EQ(r.state.bank, test::comboBank(4));
       }},
      {"connected for ten seconds: the port lists are read once a second, not every tick", {combo("K")}, std::nullopt,
       kRememberK,
       [](Rig& r) {
         r.start();
         r.run(2s);
         ASSERT_TRUE(r.link->connected());
         const int before = r.ports.listReads;
         r.run(10s);
         // Each look reads both lists.
         EXPECT_GE(r.ports.listReads - before, 2 * 9);
         EXPECT_LE(r.ports.listReads - before, 2 * 11);
       }},
      {"the combo back while a preset is edited: the edit stays and is told", {combo("K", 5)}, std::nullopt, kRememberK,
       [](Rig& r) {
         EditSession session(r.state);
         r.link->protocol.session = &session;
         std::vector<Notices> told;
         r.link->protocol.fetchNotices = [&](const Notices& n) { told.push_back(n); };
         r.start(false);
         r.state.CurrentPreset = 2;
         session.setValue(AMP_GAIN, 30);
         session.endAction();
         const PresetRecord edited = r.state.bank[2];
         r.wire.switchOff("K");
         r.run(1s);
         r.wire.switchOn("K");
         r.run(3s);
         EXPECT_EQ(r.state.bank[2], edited);
         EXPECT_EQ(r.state.bank[3], test::comboBank(5)[3]) << "the rest came";
         ASSERT_FALSE(told.empty());
         EXPECT_EQ(told.back(), (Notices{"ALL PRESETS RECEIVED", "1 EDITED PRESET KEPT", "GET ALL TAKES THE COMBO'S"}));
         r.link->protocol.session = nullptr;
       }},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.what);
    Rig rig(row.devices);
    rig.remember(row.config, row.names);
    row.play(rig);
  }
}

}  // namespace
}  // namespace kestralux
