// kestralux-tool fetching from and storing into kestralux-sim over a private JACK server, run
// as a user runs it: a separate process, ports chosen by name.

#include <gtest/gtest.h>
#include <sys/wait.h>

#include <algorithm>
#include <atomic>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <thread>

#include "files/ComboConfig.h"
#include "files/ComboPorts.h"
#include "editor/EditorTables.h"
#include "files/PresetFiles.h"
#include "midi/RtMidiPorts.h"
#include "tests/e2e/SimProcess.h"
#include "tests/HistoryHome.h"
#include "tests/PresetValues.h"

namespace kestralux {
namespace {

namespace fs = std::filesystem;

PresetBank deviceBank(int seed) {
  PresetBank bank{};
  for (int n = 0; n < kPresetCount; ++n) {
    for (int i = 0; i < kParameterCount; ++i) bank[n].setValue(i, (seed + n * 11 + i * 13) % 256);
    test::makePreset(bank[n], n + seed);
  }
  return bank;
}

PresetBank valuesOf(const PresetBank& bank) {
  PresetBank values{};
  for (int n = 0; n < kPresetCount; ++n)
    for (int i = 0; i < kParameterCount; ++i) values[n].setValue(i, bank[n].value(i));
  return values;
}

class ToolOverJack : public ::testing::Test {
 protected:
  void SetUp() override {
    dir = fs::temp_directory_path() / ("kestralux-tool-e2e-" + std::to_string(getpid()));
    fs::remove_all(dir);
    fs::create_directories(dir);
  }
  void TearDown() override {
    if (sim) sim->stop();
    fs::remove_all(dir);
  }

  void startDevice(const PresetBank& bank, std::vector<std::string> options = {}) {
    sim = e2e::startSimulator(dir, bank, std::move(options));
    ASSERT_TRUE(sim->waitForLines("kestralux-sim:", 1)) << "the simulator did not start";
  }

  // The tool's exit status, run in `dir`, on the simulator's ports unless `namedPorts` is false;
  // what it said goes to `said`, what it printed to `printed`.
  int tool(const std::string& arguments, bool namedPorts = true) {
    const std::string command = "cd '" + dir.string() + "' && " + KESTRALUX_TOOL_PROGRAM + " " + arguments +
                                (namedPorts ? " --in 'KESTRALUX MIDI OUT' --out 'KESTRALUX MIDI IN'" : "") + " >" +
                                (dir / "printed").string() + " 2>" + (dir / "said").string();
    const int status = std::system(command.c_str());
    std::ifstream in(dir / "said");
    said.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    std::ifstream out(dir / "printed");
    printed.assign(std::istreambuf_iterator<char>(out), std::istreambuf_iterator<char>());
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  }

  PresetBank bankIn(const fs::path& file) const {
    return parseBankFile(readFileStart(file, kBankFileSize + 1).value_or(Bytes{})).value_or(PresetBank{});
  }

  fs::path dir;
  std::unique_ptr<e2e::SimProcess> sim;
  std::string said, printed;
};

TEST_F(ToolOverJack, FetchThenStoreAnotherBank) {
  startDevice(deviceBank(1));
  ASSERT_EQ(tool("ports"), 0) << said;
  EXPECT_EQ(printed, "MIDI INPUT\n  0  KESTRALUX MIDI OUT:out\nMIDI OUTPUT\n  0  KESTRALUX MIDI IN:in\n");
  ASSERT_EQ(tool("fetch -o " + (dir / "backup.bnk").string()), 0) << said;
  EXPECT_EQ(bankIn(dir / "backup.bnk"), valuesOf(deviceBank(1)));
  EXPECT_NE(said.find("kestralux-tool: all presets received\n"), std::string::npos) << said;

  // The fetch put the combo's 30 presets into the preset library: each is found by its amp model.
  for (int n = 0; n < kPresetCount; ++n) {
    const std::string amp(kAmpModels[static_cast<std::size_t>(deviceBank(1)[n].value(AMP_TYPE))].caption);
    if (amp.find('\'') != std::string::npos) continue;  // not through the shell's quotes
    ASSERT_EQ(tool("library search --amp '" + amp + "'", false), 0) << said;
    EXPECT_NE(printed.find(amp), std::string::npos) << printed;
  }
  ASSERT_EQ(tool("library search", false), 0) << said;
  std::size_t sounds = 0;
  for (char c : printed) sounds += c == '\n';
  EXPECT_GE(sounds, 30u) << printed;

  std::ofstream(dir / "other.bnk", std::ios::binary)
      .write(reinterpret_cast<const char*>(bankFileImage(deviceBank(7)).data()), kBankFileSize);
  ASSERT_EQ(tool("store " + (dir / "other.bnk").string()), 0) << said;
  ASSERT_TRUE(sim->waitForLines("store-all", 30));
  ASSERT_EQ(sim->stop(), 0);
  EXPECT_EQ(valuesOf(bankIn(dir / "end.bnk")), valuesOf(deviceBank(7)));
}

// A combo whose slot 12 keeps its gain one step off: the store says so per slot and control,
// and exits 1.
TEST_F(ToolOverJack, AStoreThatDidNotTakeExitsOne) {
  startDevice(deviceBank(1), {"--stuck-slot", "12:GAIN"});
  std::ofstream(dir / "other.bnk", std::ios::binary)
      .write(reinterpret_cast<const char*>(bankFileImage(deviceBank(7)).data()), kBankFileSize);
  EXPECT_EQ(tool("store " + (dir / "other.bnk").string()), 1) << said;
  EXPECT_NE(said.find("kestralux-tool: sending the bank again\n"), std::string::npos) << said;
  EXPECT_NE(said.find("kestralux-tool: slot 12 did not take: gain "), std::string::npos) << said;
  EXPECT_EQ(said.find("stored and checked"), std::string::npos) << said;
}

// A device that never answers is listed first; detect asks it, goes on to the combo, and
// --save remembers the combo as the editor's setup window does.
TEST_F(ToolOverJack, DetectFindsTheComboBehindAForeignDevice) {
  auto foreign = e2e::startSimulator(dir, PresetBank{}, {"--name", "FOREIGN", "--silent"}, "foreign-");
  ASSERT_TRUE(foreign->waitForLines("kestralux-sim:", 1));
  startDevice(deviceBank(2));
  ASSERT_EQ(tool("ports", false), 0) << said;
  const std::string listed = printed;
  for (const char* side : {" MIDI OUT:", " MIDI IN:"})
    ASSERT_LT(listed.find(std::string("FOREIGN") + side), listed.find(std::string("KESTRALUX") + side))
        << "the foreign device is listed first:\n" << listed;

  ASSERT_EQ(tool("detect --save", false), 0) << said;
  EXPECT_EQ(printed, "MIDI OUTPUT  1  KESTRALUX MIDI IN:in\nMIDI INPUT   1  KESTRALUX MIDI OUT:out\n");
  // A working folder without them is no place the user chose: they go to the data folder.
  const fs::path kept = test::dataHome() / "kestralux";
  EXPECT_EQ(said, "kestralux-tool: combo.cfg and combo.ports written in " + kept.string() + "\n");
  EXPECT_TRUE(foreign->waitForLines("bank request", 1)) << "the foreign device was asked first";
  EXPECT_FALSE(fs::exists(dir / "combo.cfg"));
  EXPECT_EQ(readFileStart(kept / "combo.cfg", 100), (Bytes{1, 0, 0, 0, 1, 0, 0, 0}));
  const Bytes ports = readFileStart(kept / "combo.ports", 1000).value_or(Bytes{});
  EXPECT_EQ(std::string(ports.begin(), ports.end()), "output=KESTRALUX MIDI IN:in\ninput=KESTRALUX MIDI OUT:out\n");
}

// Beside a running editor, with another device listed first, the tool numbers the ports as
// the editor does, follows the names the editor remembered, and never sends to the editor's
// own ports; with nothing remembered it finds the combo itself and says where.
TEST_F(ToolOverJack, BesideTheEditorTheToolReachesTheComboByName) {
  auto foreign = e2e::startSimulator(dir, PresetBank{}, {"--name", "FOREIGN", "--silent"}, "foreign-");
  ASSERT_TRUE(foreign->waitForLines("kestralux-sim:", 1));
  startDevice(deviceBank(4));
  // Counted on JACK's thread; declared before the ports so it outlives their last delivery.
  std::atomic<int> editorHeard{0};
  // The editor's own ports, its input listening to the foreign device. Ports are found by
  // name: PipeWire lists them in an order of its own, not the order they came in.
  RtMidiPorts editor(MidiSystem::Jack, kEditorClientName);
  const auto numberOf = [](const std::vector<std::string>& names, const std::string& name) {
    return static_cast<std::uint32_t>(std::find(names.begin(), names.end(), name) - names.begin());
  };
  const std::vector<std::string> inputs = editor.inputPortNames(), outputs = editor.outputPortNames();
  const std::uint32_t comboOut = numberOf(outputs, "KESTRALUX MIDI IN:in"), comboIn = numberOf(inputs, "KESTRALUX MIDI OUT:out");
  ASSERT_LT(comboOut, outputs.size());
  ASSERT_LT(comboIn, inputs.size());
  ASSERT_TRUE(editor.openInput(numberOf(inputs, "FOREIGN MIDI OUT:out"), [&](std::vector<std::uint8_t>) { ++editorHeard; }));
  ASSERT_TRUE(editor.openOutput(numberOf(outputs, "FOREIGN MIDI IN:in")));
  SAVE_CONFIG({comboOut, comboIn}, dir / "combo.cfg");
  SAVE_PORT_NAMES({"KESTRALUX MIDI IN:in", "KESTRALUX MIDI OUT:out"}, dir / "combo.ports");

  ASSERT_EQ(tool("ports", false), 0) << said;
  EXPECT_EQ(printed.find(kEditorClientName), std::string::npos) << printed;
  ASSERT_EQ(tool("fetch -o " + (dir / "fetched.bnk").string(), false), 0) << said;
  EXPECT_EQ(bankIn(dir / "fetched.bnk"), valuesOf(deviceBank(4)));
  std::ofstream(dir / "other.bnk", std::ios::binary)
      .write(reinterpret_cast<const char*>(bankFileImage(deviceBank(8)).data()), kBankFileSize);
  ASSERT_EQ(tool("store " + (dir / "other.bnk").string(), false), 0) << said;
  ASSERT_TRUE(sim->waitForLines("store-all", 30));
  EXPECT_EQ(editorHeard.load(), 0) << "the store went to the editor's own input";
  EXPECT_FALSE(foreign->waitForLines("store-all", 1, std::chrono::milliseconds(200)));

  fs::remove(dir / "combo.cfg");
  fs::remove(dir / "combo.ports");
  ASSERT_EQ(tool("fetch -o " + (dir / "found.bnk").string(), false), 0) << said;
  EXPECT_NE(said.find("kestralux-tool: combo found: output " + std::to_string(comboOut) + " \"KESTRALUX MIDI IN:in\", input " +
                      std::to_string(comboIn) + " \"KESTRALUX MIDI OUT:out\"\n"),
            std::string::npos) << said;
  EXPECT_EQ(bankIn(dir / "found.bnk"), valuesOf(deviceBank(8)));
  EXPECT_FALSE(fs::exists(dir / "combo.cfg")) << "the tool remembers nothing unless told to";
}

TEST_F(ToolOverJack, BrokenFetchWritesNothing) {
  startDevice(deviceBank(3), {"--answer", "12"});
  EXPECT_EQ(tool("fetch -o " + (dir / "part.bnk").string()), 1);
  EXPECT_NE(said.find("kestralux-tool: only 12 of 30 presets received; nothing written"), std::string::npos) << said;
  EXPECT_FALSE(fs::exists(dir / "part.bnk"));
}

// While the connection check asks the combo for its bank, the monitor on the combo's output
// sees the answer arrive; the check finds it whole on the pair and exits 0, its --trace
// showing the request it sent.
TEST_F(ToolOverJack, MonitorSeesTheBankTheCheckAsksFor) {
  startDevice(deviceBank(3));
  const std::string monitor = "cd '" + dir.string() + "' && (" + KESTRALUX_TOOL_PROGRAM +
                              " monitor --in 'KESTRALUX MIDI OUT' --seconds 3 >monitored 2>&1; echo $? >monitor-status) &";
  ASSERT_EQ(std::system(monitor.c_str()), 0);
  // The monitor listens before the request goes.
  std::this_thread::sleep_for(std::chrono::seconds(1));
  ASSERT_EQ(tool("check --trace"), 0) << printed << said;
  EXPECT_NE(printed.find("Answers on input \"KESTRALUX MIDI OUT:out\" (in use): 30 of 30 presets, 0 damaged, the last "),
            std::string::npos) << printed;
  EXPECT_NE(printed.find("The combo answered whole on the pair in use.\n"), std::string::npos) << printed;
  EXPECT_NE(said.find(" ms  OUT   10  BANK REQUEST  to KESTRALUX MIDI IN:in\n"), std::string::npos) << said;

  // The monitor ends by itself after its seconds.
  for (int tries = 0; tries < 100 && !fs::exists(dir / "monitor-status"); ++tries)
    std::this_thread::sleep_for(std::chrono::milliseconds(100));
  std::ifstream status(dir / "monitor-status");
  int exitStatus = -1;
  status >> exitStatus;
  EXPECT_EQ(exitStatus, 0);
  std::ifstream in(dir / "monitored");
  const std::string monitored{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
  EXPECT_NE(monitored.find(" ms  IN    40  PRESET 1 OF 30 (0x2A)  from KESTRALUX MIDI OUT:out\n"), std::string::npos) << monitored;
  EXPECT_NE(monitored.find(" ms  IN    40  PRESET 30 OF 30 (0x2B)  from KESTRALUX MIDI OUT:out\n"), std::string::npos) << monitored;
  EXPECT_EQ(monitored.find("DAMAGED"), std::string::npos) << monitored;
}

}  // namespace
}  // namespace kestralux
