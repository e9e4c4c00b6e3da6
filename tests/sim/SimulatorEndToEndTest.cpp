// Runs under scripts/with-jack: kestralux-sim on its virtual ports, and the editor's
// RtMidi ports talking to it over a real JACK server, byte for byte.

#include <gtest/gtest.h>

#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <condition_variable>
#include <filesystem>
#include <fstream>
#include <mutex>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "midi/RtMidiPorts.h"
#include "protocol/Sysex.h"
#include "sim/BankFile.h"
#include "tests/PresetValues.h"

extern char** environ;

namespace kestralux {
namespace {

namespace fs = std::filesystem;
using namespace std::chrono_literals;
using Bytes = std::vector<std::uint8_t>;

// JACK on a loaded machine can take seconds to register ports and start a client.
constexpr auto kGenerous = 30s;
const std::string kSimName = "KESTRALUX E2E";

class Collector {
 public:
  MidiPorts::Delivery delivery() {
    return [this](Bytes message) {
      {
        std::lock_guard<std::mutex> guard(lock_);
        messages_.push_back(std::move(message));
      }
      arrived_.notify_all();
    };
  }

  // Waits until `count` messages have arrived; returns what arrived by then.
  std::vector<Bytes> waitFor(std::size_t count, std::chrono::seconds timeout) {
    std::unique_lock<std::mutex> guard(lock_);
    arrived_.wait_for(guard, timeout, [&] { return messages_.size() >= count; });
    return messages_;
  }

  void clear() {
    std::lock_guard<std::mutex> guard(lock_);
    messages_.clear();
  }

 private:
  std::mutex lock_;
  std::condition_variable arrived_;
  std::vector<Bytes> messages_;
};

int indexOf(const std::vector<std::string>& names, const std::string& wanted) {
  for (std::size_t i = 0; i < names.size(); ++i)
    if (names[i].find(wanted) != std::string::npos) return static_cast<int>(i);
  return -1;
}

template <typename Condition>
bool waitUntil(Condition condition, std::chrono::seconds timeout) {
  const auto end = std::chrono::steady_clock::now() + timeout;
  while (std::chrono::steady_clock::now() < end) {
    if (condition()) return true;
    std::this_thread::sleep_for(50ms);
  }
  return condition();
}

std::string readText(const fs::path& file) {
  std::ifstream in(file);
  std::stringstream text;
  text << in.rdbuf();
  return text.str();
}

class Simulator {
 public:
  Simulator(const fs::path& bank, const fs::path& dump, const fs::path& log) {
    const std::vector<std::string> args{KESTRALUX_SIM_PATH, "--bank", bank.string(), "--dump-on-exit", dump.string(),
                                        "--name", kSimName, "--verbose"};
    std::vector<char*> argv;
    for (const std::string& a : args) argv.push_back(const_cast<char*>(a.c_str()));
    argv.push_back(nullptr);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 1, log.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    posix_spawn_file_actions_adddup2(&actions, 1, 2);
    if (posix_spawn(&pid_, argv[0], &actions, nullptr, argv.data(), environ) != 0) pid_ = -1;
    posix_spawn_file_actions_destroy(&actions);
  }

  ~Simulator() {
    if (pid_ > 0) {
      ::kill(pid_, SIGKILL);
      ::waitpid(pid_, nullptr, 0);
    }
  }

  bool started() const { return pid_ > 0; }

  // Stops it the way a user would and returns its exit status (-1 if it did not exit).
  int stop() {
    ::kill(pid_, SIGTERM);
    int status = 0;
    const bool exited = waitUntil([&] { return ::waitpid(pid_, &status, WNOHANG) == pid_; }, kGenerous);
    if (!exited) return -1;
    pid_ = -1;
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  }

 private:
  pid_t pid_ = -1;
};

PresetBank startingBank() {
  PresetBank bank{};
  for (int n = 0; n < kPresetCount; ++n) {
    bank[n].storeName("SIM " + std::to_string(n + 1));
    for (int i = 0; i < kParameterCount; ++i) bank[n].setValue(i, (n * 7 + i * 3) % 32);
    test::makePreset(bank[n], n);
    bank[n].setValue(DELAY_TIME, 120 + n * 4);  // crosses 128: the high bit travels too
    bank[n].setValue(EFF_RATE, 255 - n);
  }
  return bank;
}

std::vector<Bytes> expectedAnswer(const PresetBank& bank) {
  std::vector<Bytes> answer;
  for (int n = 0; n < kPresetCount; ++n) {
    const PresetMessage m = buildPresetMessage(n == 0 ? CMD_BANK_FIRST : CMD_BANK_NEXT, bank[n]);
    answer.emplace_back(m.begin(), m.end());
  }
  return answer;
}

TEST(SimulatorOverJack, EditorPortsTalkToTheSimulatorByteForByte) {
  const fs::path dir = fs::temp_directory_path() / ("kestralux-e2e-" + std::to_string(::getpid()));
  fs::create_directories(dir);
  const PresetBank loaded = startingBank();
  std::string error;
  ASSERT_TRUE(writeBankFile((dir / "start.bnk").string(), loaded, error)) << error;

  ASSERT_EQ(detectMidiSystem(), MidiSystem::Jack) << "run this test under scripts/with-jack";
  Simulator sim(dir / "start.bnk", dir / "dump.bnk", dir / "sim.log");
  ASSERT_TRUE(sim.started());

  RtMidiPorts ports;
  ASSERT_EQ(ports.system(), MidiSystem::Jack);
  int fromSim = -1, toSim = -1;
  ASSERT_TRUE(waitUntil(
      [&] {
        fromSim = indexOf(ports.inputPortNames(), kSimName + " MIDI OUT");
        toSim = indexOf(ports.outputPortNames(), kSimName + " MIDI IN");
        return fromSim >= 0 && toSim >= 0;
      },
      kGenerous))
      << "the simulator's ports never appeared; its output:\n" << readText(dir / "sim.log");
  EXPECT_EQ(ports.inputPortNames(), ports.inputPortNames()) << "listing order must be stable";

  Collector received;
  ASSERT_TRUE(ports.openInput(static_cast<std::uint32_t>(fromSim), received.delivery()));
  ASSERT_TRUE(ports.openOutput(static_cast<std::uint32_t>(toSim)));
  EXPECT_FALSE(ports.openOutput(9999)) << "a port that does not exist cannot be opened";
  ASSERT_TRUE(ports.openOutput(static_cast<std::uint32_t>(toSim)));

  // Live edits of the current sound, then the whole bank back: the stored presets, as loaded.
  const PresetBank expected = loaded;
  ASSERT_TRUE(ports.sendMessage(buildParameterMessage(0x00, 2, 20)));
  ASSERT_TRUE(ports.sendMessage(buildParameterMessage(0x01, 11, 250)));
  ASSERT_TRUE(ports.sendMessage(Bytes{0xF0, 0x43, 0x10, 0x4C, 0x00, 0x00, 0x7E, 0x00, 0xF7}));  // not ours
  const auto requested = std::chrono::steady_clock::now();
  ASSERT_TRUE(ports.sendMessage(buildParameterMessage(0x00, CODE_REQUEST_BANK, 0)));

  std::vector<Bytes> answer = received.waitFor(kPresetCount, kGenerous);
  const auto answerTime = std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() - requested);
  RecordProperty("bank_answer_ms", static_cast<int>(answerTime.count()));
  // The simulator paces its answer at MIDI wire speed: 30 times 12.8 ms at the least.
  EXPECT_GE(answerTime.count(), 29 * 12);
  ASSERT_EQ(answer.size(), std::size_t(kPresetCount)) << readText(dir / "sim.log");
  const std::vector<Bytes> wanted = expectedAnswer(expected);
  for (int n = 0; n < kPresetCount; ++n) EXPECT_EQ(answer[n], wanted[n]) << "message " << n;

  // Store a different bank the way the editor does (each message followed by a pause),
  // then fetch it again.
  PresetBank stored = expected;
  for (int n = 0; n < kPresetCount; ++n) {
    for (int i = 0; i < kParameterCount; ++i) stored[n].setValue(i, (n + i * 5) % 24);
    test::makePreset(stored[n], n + 1);
  }
  for (int n = 0; n < kPresetCount; ++n) {
    ASSERT_TRUE(ports.sendMessage(buildPresetMessage(n == 0 ? CMD_BANK_FIRST : CMD_BANK_NEXT, stored[n])));
    std::this_thread::sleep_for(15ms);
  }
  received.clear();
  ASSERT_TRUE(ports.sendMessage(buildParameterMessage(0x00, CODE_REQUEST_BANK, 0)));
  answer = received.waitFor(kPresetCount, kGenerous);
  ASSERT_EQ(answer.size(), std::size_t(kPresetCount)) << readText(dir / "sim.log");
  const std::vector<Bytes> wantedAfterStore = expectedAnswer(stored);
  for (int n = 0; n < kPresetCount; ++n) EXPECT_EQ(answer[n], wantedAfterStore[n]) << "message " << n;

  ports.closeInput();
  EXPECT_FALSE(ports.isInputOpen());
  ports.closeOutput();
  EXPECT_FALSE(ports.isOutputOpen());

  // Names and reserved words stay as the file had them; the values are what was stored.
  ASSERT_EQ(sim.stop(), 0) << readText(dir / "sim.log");
  const auto dumped = readBankFile((dir / "dump.bnk").string(), error);
  ASSERT_TRUE(dumped.has_value()) << error;
  EXPECT_EQ(*dumped, stored);
  EXPECT_EQ(readBankFile((dir / "start.bnk").string(), error), stored) << "the next run starts from what was stored";
  const std::string log = readText(dir / "sim.log");
  EXPECT_NE(log.find("param AMP_GAIN ctx=00 code=02 value=20"), std::string::npos) << log;
  EXPECT_NE(log.find("param DELAY_TIME ctx=01 code=0B value=250"), std::string::npos) << log;
  EXPECT_NE(log.find("ignored: not a message of ours"), std::string::npos) << log;
  fs::remove_all(dir);
}

// The simulator quit and started again before any port list saw it gone: the open connections
// still hear that their ports came back, so the engine connects to the new ones.
TEST(SimulatorOverJack, OpenConnectionsHearTheirPortsComeBack) {
  const fs::path dir = fs::temp_directory_path() / ("kestralux-e2e-back-" + std::to_string(::getpid()));
  fs::create_directories(dir);
  std::string error;
  ASSERT_TRUE(writeBankFile((dir / "start.bnk").string(), startingBank(), error)) << error;
  ASSERT_EQ(detectMidiSystem(), MidiSystem::Jack) << "run this test under scripts/with-jack";
  auto sim = std::make_unique<Simulator>(dir / "start.bnk", dir / "dump.bnk", dir / "sim.log");

  RtMidiPorts ports;
  const auto listed = [&] {
    return indexOf(ports.inputPortNames(), kSimName + " MIDI OUT") >= 0 &&
           indexOf(ports.outputPortNames(), kSimName + " MIDI IN") >= 0;
  };
  ASSERT_TRUE(waitUntil(listed, kGenerous)) << readText(dir / "sim.log");
  Collector received;
  ASSERT_TRUE(ports.openInput(static_cast<std::uint32_t>(indexOf(ports.inputPortNames(), kSimName + " MIDI OUT")),
                              received.delivery()));
  ASSERT_TRUE(ports.openOutput(static_cast<std::uint32_t>(indexOf(ports.outputPortNames(), kSimName + " MIDI IN"))));
  EXPECT_FALSE(ports.outputPortReturned());
  EXPECT_FALSE(ports.inputPortReturned());

  ASSERT_EQ(sim->stop(), 0) << readText(dir / "sim.log");
  sim = std::make_unique<Simulator>(dir / "start.bnk", dir / "dump.bnk", dir / "sim.log");
  EXPECT_TRUE(waitUntil([&] { return ports.outputPortReturned(); }, kGenerous));
  EXPECT_TRUE(waitUntil([&] { return ports.inputPortReturned(); }, kGenerous));
  ports.closeInput();
  ports.closeOutput();
  fs::remove_all(dir);
}

}  // namespace
}  // namespace kestralux
