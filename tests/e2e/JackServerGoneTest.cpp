// The ports over a JACK server of the test's own that is killed under them and started again:
// nothing crashes, what needs the server fails while it is gone, and the same ports object
// reaches the same running simulator once the server is back.

#include <gtest/gtest.h>
#include <signal.h>
#include <sys/prctl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <functional>
#include <iterator>
#include <optional>

#include "midi/RtMidiPorts.h"
#include "protocol/Sysex.h"
#include "tests/e2e/SimProcess.h"
#include "tests/HistoryHome.h"

namespace kestralux {
namespace {

namespace fs = std::filesystem;
using namespace std::chrono_literals;

bool waitUntil(const std::function<bool()>& done, std::chrono::seconds limit = 20s) {
  const auto end = std::chrono::steady_clock::now() + limit;
  while (!done()) {
    if (std::chrono::steady_clock::now() > end) return false;
    std::this_thread::sleep_for(20ms);
  }
  return true;
}

// jackd with the dummy driver under a name of this run's own; the clients of the test and of
// the simulator find it through JACK_DEFAULT_SERVER.
class PrivateServer {
 public:
  explicit PrivateServer(std::string name) : name_(std::move(name)) {
    ::setenv("JACK_DEFAULT_SERVER", name_.c_str(), 1);
    ::setenv("JACK_NO_START_SERVER", "1", 1);
    ::setenv("JACK_NO_AUDIO_RESERVATION", "1", 1);
  }
  ~PrivateServer() { stop(SIGTERM); }

  bool start() {
    const pid_t parent = ::getpid();
    pid_ = ::fork();
    if (pid_ == 0) {
      ::prctl(PR_SET_PDEATHSIG, SIGTERM);
      if (::getppid() != parent) ::_exit(127);
      std::freopen("/dev/null", "w", stdout);
      std::freopen("/dev/null", "w", stderr);
      ::execlp("jackd", "jackd", "--no-realtime", "-t", "5000", "-n", name_.c_str(), "-d", "dummy", "-r", "48000",
               "-p", "1024", static_cast<char*>(nullptr));
      ::_exit(127);
    }
    return pid_ > 0 && waitUntil([] { return jackServerRunning(); }, 30s);
  }

  void stop(int signal) {
    if (pid_ <= 0) return;
    ::kill(pid_, signal);
    ::waitpid(pid_, nullptr, 0);
    pid_ = -1;
  }

 private:
  std::string name_;
  pid_t pid_ = -1;
};

struct ToolRun {
  int status;
  std::string said;
};

// kestralux-tool run in `dir` beside the test, on the test's server.
ToolRun runTool(const fs::path& dir, const std::string& arguments) {
  const std::string command = "cd '" + dir.string() + "' && " + KESTRALUX_TOOL_PROGRAM + " " + arguments +
                              " >/dev/null 2>'" + (dir / "said").string() + "'";
  const int status = std::system(command.c_str());
  std::ifstream in(dir / "said");
  return {WIFEXITED(status) ? WEXITSTATUS(status) : -1,
          std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>())};
}

std::optional<std::uint32_t> deviceNamed(const std::vector<std::string>& names, const std::string& name) {
  const auto it = std::find(names.begin(), names.end(), name);
  if (it == names.end()) return std::nullopt;
  return static_cast<std::uint32_t>(it - names.begin());
}

TEST(JackServerGone, PortsOutliveTheServerAndReachTheDeviceOnceItIsBack) {
  const fs::path dir = fs::temp_directory_path() / ("kestralux-server-gone-" + std::to_string(::getpid()));
  fs::remove_all(dir);
  fs::create_directories(dir);
  PrivateServer server("kestralux-gone-" + std::to_string(::getpid()));
  ASSERT_TRUE(server.start()) << "no JACK server (jackd) could be started";

  const ParameterMessage request = buildParameterMessage(0, CODE_REQUEST_BANK, 0);
  auto heard = std::make_shared<std::atomic<int>>(0);
  const auto count = [heard](std::vector<std::uint8_t>) { ++*heard; };
  std::optional<std::uint32_t> input, output;
  const auto findDevice = [&](RtMidiPorts& ports) {
    return waitUntil([&] {
      input = deviceNamed(ports.inputPortNames(), "KESTRALUX MIDI OUT:out");
      output = deviceNamed(ports.outputPortNames(), "KESTRALUX MIDI IN:in");
      return input && output;
    });
  };

  auto sim = e2e::startSimulator(dir, PresetBank{});
  RtMidiPorts ports(MidiSystem::Jack, "kestralux-e2e-gone");
  ASSERT_TRUE(findDevice(ports)) << "the simulator's ports never appeared";
  ASSERT_TRUE(ports.openInput(*input, count));
  ASSERT_TRUE(ports.openOutput(*output));
  auto listening = ports.listenToAll({"KESTRALUX MIDI OUT:out"}, [](std::uint32_t, std::vector<std::uint8_t>) {});
  ASSERT_TRUE(listening);
  ASSERT_TRUE(ports.sendMessage(request));

  server.stop(SIGKILL);
  ASSERT_TRUE(waitUntil([&] { return !ports.sendMessage(request); })) << "a send still succeeds without a server";
  // A client opened now makes the JACK library free every client the program still holds: none
  // of them may be touched again, neither by a new ports object nor by the old one's closing.
  {
    RtMidiPorts again(MidiSystem::Jack, "kestralux-e2e-gone");
    EXPECT_TRUE(again.inputPortNames().empty());
    EXPECT_FALSE(again.openOutput(0));
  }
  EXPECT_FALSE(jackServerRunning());
  // The tool started now says there is no MIDI system, fails, and writes nothing.
  for (const std::string& command : {std::string("ports"), std::string("detect"), "fetch -o " + (dir / "gone.bnk").string()}) {
    const ToolRun run = runTool(dir, command);
    EXPECT_EQ(run.status, 1) << command;
    EXPECT_EQ(run.said, "kestralux-tool: no MIDI system\n") << command;
  }
  EXPECT_FALSE(fs::exists(dir / "gone.bnk"));
  listening.reset();
  EXPECT_TRUE(ports.inputPortNames().empty());
  EXPECT_FALSE(ports.openInput(*input, count));
  EXPECT_FALSE(ports.openOutput(*output));

  ASSERT_TRUE(server.start()) << "the JACK server did not start again";
  ASSERT_TRUE(findDevice(ports)) << "the simulator did not make its ports again, or the ports object does not find them";
  EXPECT_TRUE(sim->waitForLines("kestralux-sim: KESTRALUX MIDI IN / KESTRALUX MIDI OUT on JACK again", 1));
  *heard = 0;
  ASSERT_TRUE(ports.openInput(*input, count));
  ASSERT_TRUE(ports.openOutput(*output));
  ASSERT_TRUE(ports.sendMessage(request));
  EXPECT_TRUE(waitUntil([&] { return *heard >= kPresetCount; })) << "heard " << *heard << " of the bank's presets";
  ports.closeInput();
  ports.closeOutput();
  EXPECT_EQ(sim->stop(), 0);
  fs::remove_all(dir);
}

}  // namespace
}  // namespace kestralux
