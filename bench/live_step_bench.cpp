// What a foot controller's step costs: from the controller's message reaching our input to the
// first message of the song's sound handed to the combo's port, through the whole of
// `kestralux-tool live` (its wake-up, the parse, the step rule, the burst's first message). Over
// the loopback, and over JACK, where the whole path from the pedal's port to the combo's port is
// measured too (it adds JACK's own cycles: a period is 1024 frames at 48 kHz under with-jack).
// Median and worst of N steps each.
// Run beside a JACK server: scripts/with-jack live_step_bench [steps]

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <thread>
#include <vector>

#include "live/FootController.h"
#include "live/SetlistFile.h"
#include "midi/LoopbackPorts.h"
#include "midi/RtMidiPorts.h"
#include "tool/LiveCommands.h"

using namespace kestralux;
using Clock = std::chrono::steady_clock;

namespace {

std::int64_t now() { return std::chrono::duration_cast<std::chrono::nanoseconds>(Clock::now().time_since_epoch()).count(); }

struct Stamps {
  std::atomic<std::int64_t> delivered{0};  // the controller's message reached our input
  std::atomic<std::int64_t> handed{0};     // the first message after it went to the combo's port
  std::atomic<std::int64_t> arrived{0};    // it reached the combo's port (JACK only)
  std::atomic<int> sends{0};               // every message sent, the start's too
  void reset() { delivered = handed = arrived = 0; }  // not the count of sends
};

// The ports the tool is given, stamping what it receives from the controller and what it sends.
class TimedPorts final : public MidiPorts {
 public:
  TimedPorts(std::unique_ptr<MidiPorts> inner, Stamps& stamps) : inner_(std::move(inner)), stamps_(stamps) {}

  std::vector<std::string> inputPortNames() override { return inner_->inputPortNames(); }
  std::vector<std::string> outputPortNames() override { return inner_->outputPortNames(); }
  bool openOutput(std::uint32_t device) override { return inner_->openOutput(device); }
  bool isOutputOpen() const override { return inner_->isOutputOpen(); }
  bool sendMessage(std::span<const std::uint8_t> message) override {
    const bool sent = inner_->sendMessage(message);
    ++stamps_.sends;
    std::int64_t none = 0;
    if (stamps_.delivered.load() != 0) stamps_.handed.compare_exchange_strong(none, now());
    return sent;
  }
  void closeOutput() override { inner_->closeOutput(); }
  bool openInput(std::uint32_t device, Delivery deliver) override { return inner_->openInput(device, std::move(deliver)); }
  bool openControllerInput(std::uint32_t device, Delivery deliver) override {
    return inner_->openControllerInput(device, [this, deliver = std::move(deliver)](std::vector<std::uint8_t> message) {
      std::int64_t none = 0;
      stamps_.delivered.compare_exchange_strong(none, now());
      deliver(std::move(message));
    });
  }
  bool isInputOpen() const override { return inner_->isInputOpen(); }
  void closeInput() override { inner_->closeInput(); }
  bool outputPortReturned() override { return inner_->outputPortReturned(); }
  bool inputPortReturned() override { return inner_->inputPortReturned(); }

 private:
  std::unique_ptr<MidiPorts> inner_;
  Stamps& stamps_;
};

struct Figures {
  std::vector<double> own;  // ms
  int missed = 0;           // steps whose message never reached our input
  int unanswered = 0;       // steps whose message reached it and sent nothing
};

void print(const char* label, std::vector<double> ms) {
  if (ms.empty()) return;
  std::sort(ms.begin(), ms.end());
  const std::size_t within = static_cast<std::size_t>(std::count_if(ms.begin(), ms.end(), [](double t) { return t < 1.0; }));
  std::printf("  %-44s median %.3f ms, 95th percentile %.3f ms, worst %.3f ms; %zu of %zu under 1 ms\n", label, ms[ms.size() / 2],
              ms[ms.size() * 95 / 100], ms.back(), within, ms.size());
}

bool waitFor(const std::atomic<std::int64_t>& stamp, std::chrono::milliseconds limit) {
  const auto end = Clock::now() + limit;
  while (stamp.load() == 0 && Clock::now() < end) std::this_thread::sleep_for(std::chrono::microseconds(200));
  return stamp.load() != 0;
}

// Plays `setlist` with the tool's live command on the ports `make` gives (the combo's first, the
// controller's second), and takes `steps` steps with `press`.
Figures run(const std::filesystem::path& setlist, const std::vector<std::string>& ports, const PortsFactory& make, Stamps& stamps,
            bool arrives, int steps, const std::function<bool(std::uint8_t controller)>& press) {
  stamps.reset();
  stamps.sends = 0;
  Figures figures;
  std::atomic<bool> stop{false};
  std::ostringstream out, err;
  std::thread player([&] {
    runLiveCommand({"live", setlist.string(), "--controller", ports[0], "--out", ports[1]}, out, err, make, LiveInputs{-1, &stop});
  });
  // The start's sound has reached the combo (or gone out, where nothing tells its arrival): the
  // tool is listening, as it is when a musician steps on the pedal.
  const auto end = Clock::now() + std::chrono::seconds(10);
  while ((stamps.sends.load() < kParameterCount || (arrives && stamps.arrived.load() == 0)) && Clock::now() < end)
    std::this_thread::sleep_for(std::chrono::milliseconds(5));
  std::this_thread::sleep_for(std::chrono::milliseconds(100));
  for (int k = 0; k < steps; ++k) {
    stamps.reset();
    if (!press(kNextController) || !waitFor(stamps.handed, std::chrono::seconds(1))) {
      ++(stamps.delivered.load() == 0 ? figures.missed : figures.unanswered);
      continue;
    }
    figures.own.push_back(static_cast<double>(stamps.handed - stamps.delivered) / 1e6);
    // Past the burst's pause before the next press, so each step starts from a waiting player.
    std::this_thread::sleep_for(std::chrono::milliseconds(90));
  }
  stop = true;
  player.join();
  if (figures.own.empty()) std::fprintf(stderr, "live_step_bench: %s%s\n", out.str().c_str(), err.str().c_str());
  return figures;
}

}  // namespace

int main(int argc, char** argv) {
  const int steps = argc > 1 ? std::max(2, std::atoi(argv[1])) : 100;
  const auto dir = std::filesystem::temp_directory_path() / ("kestralux-live-bench-" + std::to_string(getpid()));
  std::filesystem::create_directories(dir);
  Setlist set;
  // Every step a next, so one message lost would cost one step, not the one after it too.
  for (int n = 0; n <= steps; ++n) {
    PresetRecord sound;
    sound.setValue(AMP_GAIN, n % 256);
    set.songs.push_back(songOfSound(sound, "Song " + std::to_string(n + 1)));
  }
  const auto file = dir / "bench.setlist";
  std::ofstream(file) << setlistFileText(set);
  Stamps stamps;
  int status = 0;

  {
    LoopbackPorts* pedal = nullptr;
    int made = 0;
    const PortsFactory make = [&]() -> std::unique_ptr<MidiPorts> {
      auto ports = std::make_unique<LoopbackPorts>(std::vector<std::string>{"COMBO OUT", "PEDAL"}, std::vector<std::string>{"COMBO IN"});
      if (made++ == 1) pedal = ports.get();
      return std::make_unique<TimedPorts>(std::move(ports), stamps);
    };
    const Figures f = run(file, {"PEDAL", "COMBO IN"}, make, stamps, false, steps, [&](std::uint8_t controller) {
      return pedal && pedal->inject({0xB0, controller, 127});
    });
    std::printf("controller step to the combo's port over the loopback, %d steps (%d never came in, %d came in and sent nothing)\n",
                steps, f.missed, f.unanswered);
    print("our own time (message in, first message out)", f.own);
    if (f.own.empty() || f.unanswered > 0) status = 1;
  }

  RtMidiVirtualPorts pedal(MidiSystem::Jack), combo(MidiSystem::Jack);
  std::atomic<std::int64_t> pressed{0};
  if (!pedal.open("BENCH PEDAL", nullptr) ||
      !combo.open("BENCH COMBO", [&](std::vector<std::uint8_t>) {
        std::int64_t none = 0;
        stamps.arrived.compare_exchange_strong(none, now());
      })) {
    std::fprintf(stderr, "live_step_bench: no JACK server for the second half; run it under scripts/with-jack\n");
    return 1;
  }
  std::vector<double> whole;
  const PortsFactory make = [&]() -> std::unique_ptr<MidiPorts> {
    return std::make_unique<TimedPorts>(std::make_unique<RtMidiPorts>(MidiSystem::Jack, kToolClientName), stamps);
  };
  const Figures f = run(file, {"BENCH PEDAL MIDI OUT", "BENCH COMBO MIDI IN"}, make, stamps, true, steps, [&](std::uint8_t controller) {
    const std::uint8_t message[] = {0xB0, controller, 127};
    pressed = now();
    if (!pedal.sendMessage(message)) return false;
    if (waitFor(stamps.arrived, std::chrono::seconds(1))) whole.push_back(static_cast<double>(stamps.arrived - pressed) / 1e6);
    return true;
  });
  std::printf("controller step to the combo's port over JACK, %d steps (%d never came in, %d came in and sent nothing)\n", steps,
              f.missed, f.unanswered);
  print("our own time (message in, first message out)", f.own);
  print("the whole path, pedal's port to combo's port", whole);
  if (f.own.empty() || f.unanswered > 0) status = 1;
  std::filesystem::remove_all(dir);
  return status;
}
