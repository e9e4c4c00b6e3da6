// How often the first message on a freshly opened output connection reaches the combo: each
// round opens the output on kestralux-sim's input, sends the first two messages of a Store All
// (0x2A, then 0x2B) back to back, and closes it again; the simulator says what it received. The
// figure is the rounds whose 0x2A never arrived. `--load N` keeps N threads busy beside it, as a
// build on the same machine does.
// Run beside a JACK server: scripts/with-jack first_message_bench [rounds] [--load N]

#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <string>
#include <thread>
#include <vector>

#include "midi/MidiEngine.h"
#include "midi/RtMidiPorts.h"
#include "model/EditorState.h"
#include "protocol/DeviceProtocol.h"
#include "tests/e2e/SimProcess.h"

using namespace kestralux;
using Clock = std::chrono::steady_clock;

namespace {

std::size_t linesWith(const e2e::SimProcess& sim, const char* text) {
  std::size_t n = 0;
  for (const std::string& line : sim.outputLines())
    if (line.find(text) != std::string::npos) ++n;
  return n;
}

}  // namespace

int main(int argc, char** argv) {
  int rounds = 200;
  int load = 0;
  for (int i = 1; i < argc; ++i) {
    if (std::strcmp(argv[i], "--load") == 0 && i + 1 < argc)
      load = std::atoi(argv[++i]);
    else
      rounds = std::max(1, std::atoi(argv[i]));
  }
  RtMidiPorts ports(detectMidiSystem(), "kestralux-bench");
  if (ports.system() == MidiSystem::None) {
    std::fprintf(stderr, "first_message_bench: no MIDI system; run it under scripts/with-jack\n");
    return 1;
  }
  const std::string tag = std::to_string(getpid());
  const auto out = std::filesystem::temp_directory_path() / ("kestralux-first-" + tag + ".out");
  const auto bank = std::filesystem::temp_directory_path() / ("kestralux-first-" + tag + ".bnk");
  e2e::SimProcess sim(KESTRALUX_SIM_PROGRAM, {"--bank", bank.string(), "--verbose"}, out);

  std::optional<std::uint32_t> device;
  for (int tries = 0; tries < 200 && !device; ++tries) {
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
    const auto names = ports.outputPortNames();
    for (std::size_t d = 0; d < names.size(); ++d)
      if (names[d] == "KESTRALUX MIDI IN:in") device = static_cast<std::uint32_t>(d);
  }
  if (!device) {
    std::fprintf(stderr, "first_message_bench: the simulator's port never appeared\n");
    return 1;
  }

  std::atomic<bool> busy{true};
  std::vector<std::thread> burners;
  for (int i = 0; i < load; ++i)
    burners.emplace_back([&busy] {
      volatile std::uint64_t spin = 0;
      while (busy.load(std::memory_order_relaxed)) spin = spin + 1;
    });

  MidiEngine engine(ports);
  engine.OUT_DEVICE = *device;
  engine.setPause([](std::chrono::milliseconds) {});
  int sendErrors = 0;
  engine.setCardErrorHook([&] { ++sendErrors; });
  EditorState state;
  DeviceProtocol protocol(state, engine);

  int firstLost = 0;
  int secondLost = 0;
  double slowestOpenMs = 0;
  for (int round = 0; round < rounds; ++round) {
    const std::size_t firstsBefore = linesWith(sim, "store-all first 0x2A");
    const std::size_t nextsBefore = linesWith(sim, "store-all next 0x2B") + linesWith(sim, "0x2B without");
    const auto start = Clock::now();
    engine.SEND_SYSEX(protocol.BuildStoreMessage(StoreScope::ALL, 0));
    slowestOpenMs = std::max(slowestOpenMs, std::chrono::duration<double, std::milli>(Clock::now() - start).count());
    engine.SEND_SYSEX(protocol.BuildStoreMessage(StoreScope::ALL, 1));
    engine.CLOSE_MIDI_OUT();
    // The simulator has had each round's messages once the second one is heard, or never.
    const auto end = Clock::now() + std::chrono::seconds(1);
    while (Clock::now() < end &&
           linesWith(sim, "store-all next 0x2B") + linesWith(sim, "0x2B without") == nextsBefore)
      std::this_thread::sleep_for(std::chrono::milliseconds(2));
    std::this_thread::sleep_for(std::chrono::milliseconds(5));
    if (linesWith(sim, "store-all first 0x2A") == firstsBefore) ++firstLost;
    if (linesWith(sim, "store-all next 0x2B") + linesWith(sim, "0x2B without") == nextsBefore) ++secondLost;
  }
  busy = false;
  for (std::thread& t : burners) t.join();

  std::printf("first message after an output was opened, over %s, %d rounds, %d busy threads\n",
              midiSystemName(ports.system()), rounds, load);
  std::printf("  0x2A lost: %d (%.1f %%)\n  0x2B lost: %d\n  send errors: %d\n  slowest open and first send: %.1f ms\n",
              firstLost, 100.0 * firstLost / rounds, secondLost, sendErrors, slowestOpenMs);
  sim.stop();
  std::filesystem::remove(out);
  std::filesystem::remove(bank);
  return 0;
}
