// How long a send takes from SendParameter until the port has the message, over a JACK
// server against kestralux-sim: one parameter message, and a whole-preset burst of 16,
// with the output connection kept open between sends and with an open and close per send;
// and a live edit with the MIDI monitor closed and open (its tap drained between sends, as the
// monitor's timer does, outside the time measured), beside the same edit through ports with no
// tap at all, a client of their own. The other cases run on the editor's ports: tapped.
// Run beside a JACK server: scripts/with-jack midi_send_bench [iterations] [live edits a turn]

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <functional>
#include <thread>
#include <vector>

#include "midi/MidiEngine.h"
#include "midi/RtMidiPorts.h"
#include "midi/TappedPorts.h"
#include "model/EditorState.h"
#include "protocol/DeviceProtocol.h"
#include "tests/e2e/SimProcess.h"

using namespace kestralux;
using Clock = std::chrono::steady_clock;

namespace {

struct Figures {
  double median;
  double p95;
  double worst;
};

Figures summarise(std::vector<double> micros) {
  std::sort(micros.begin(), micros.end());
  const auto at = [&](double q) { return micros[static_cast<std::size_t>(q * static_cast<double>(micros.size() - 1))]; };
  return {at(0.5), at(0.95), micros.back()};
}

std::vector<double> measure(int iterations, const std::function<void()>& work, const std::function<void()>& between = {}) {
  std::vector<double> micros;
  micros.reserve(static_cast<std::size_t>(iterations));
  for (int i = 0; i < iterations; ++i) {
    const auto start = Clock::now();
    work();
    micros.push_back(std::chrono::duration<double, std::micro>(Clock::now() - start).count());
    if (between) between();
    // Lets the simulator drain what it got, so its queue never shapes the figures.
    std::this_thread::sleep_for(std::chrono::milliseconds(2));
  }
  return micros;
}

}  // namespace

int main(int argc, char** argv) {
  const int iterations = argc > 1 ? std::max(2, std::atoi(argv[1])) : 200;
  auto rtMidi = std::make_unique<RtMidiPorts>(detectMidiSystem(), "kestralux-bench");
  const MidiSystem system = rtMidi->system();
  auto tap = std::make_shared<MessageTap>();
  TappedPorts ports(std::move(rtMidi), tap);
  if (system == MidiSystem::None) {
    std::fprintf(stderr, "midi_send_bench: no MIDI system; run it under scripts/with-jack\n");
    return 1;
  }
  const auto out = std::filesystem::temp_directory_path() / ("kestralux-bench-" + std::to_string(getpid()) + ".out");
  // A bank file of its own: the bench never reads or writes the user's virtual combo.
  const auto bank = std::filesystem::temp_directory_path() / ("kestralux-bench-" + std::to_string(getpid()) + ".bnk");
  e2e::SimProcess sim(KESTRALUX_SIM_PROGRAM, {"--bank", bank.string()}, out);

  std::optional<std::uint32_t> device;
  for (int tries = 0; tries < 200 && !device; ++tries) {
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
    const auto names = ports.outputPortNames();
    for (std::size_t d = 0; d < names.size(); ++d)
      if (names[d].find("KESTRALUX MIDI IN") != std::string::npos) device = static_cast<std::uint32_t>(d);
  }
  if (!device) {
    std::fprintf(stderr, "midi_send_bench: the simulator's port never appeared\n");
    return 1;
  }

  MidiEngine engine(ports);
  engine.OUT_DEVICE = *device;
  engine.setPause([](std::chrono::milliseconds) {});
  int errors = 0;
  engine.setCardErrorHook([&] { ++errors; });
  EditorState state;
  DeviceProtocol protocol(state, engine);
  for (int i = 0; i < kParameterCount; ++i) state.current().setValue(i, i * 7);

  struct Case {
    const char* name;
    bool reopen;
    bool burst;
  };
  const Case cases[] = {
      {"one parameter, output kept open", false, false},
      {"one parameter, open and close per send", true, false},
      {"whole preset (16), output kept open", false, true},
      {"whole preset (16), open and close per send", true, true},
  };
  std::printf("MIDI send over %s, %d iterations each (microseconds)\n", midiSystemName(system), iterations);
  std::printf("%-46s %10s %10s %10s\n", "case", "median", "p95", "worst");
  for (const auto& c : cases) {
    // Opening and closing for each message: the connection is dropped after every send.
    auto sendOne = [&](int context, int code, int value) {
      protocol.SendParameter(context, code, value);
      if (c.reopen) engine.CLOSE_MIDI_OUT();
    };
    if (!c.reopen) protocol.SendStartup();  // the connection is open before timing starts
    const auto micros = measure(iterations, [&] {
      if (!c.burst) {
        sendOne(0, codeOfParameter(AMP_GAIN), 64);
        return;
      }
      for (int i = 0; i < kParameterCount; ++i) sendOne(0, codeOfParameter(i), state.current().value(i));
    });
    const Figures f = summarise(micros);
    std::printf("%-46s %10.1f %10.1f %10.1f\n", c.name, f.median, f.p95, f.worst);
  }
  // The live edit, kept open, with the monitor closed and open, taken in turns so that both
  // meet the same load on the machine.
  RtMidiPorts barePorts(system, "kestralux-bench-bare");
  MidiEngine bareEngine(barePorts);
  bareEngine.OUT_DEVICE = *device;
  bareEngine.setPause([](std::chrono::milliseconds) {});
  bareEngine.setCardErrorHook([&] { ++errors; });
  DeviceProtocol bareProtocol(state, bareEngine);
  bareProtocol.SendStartup();
  std::vector<double> bare, closed, open;
  std::size_t listed = 0;
  const auto liveEdit = [&] { protocol.SendParameter(0, codeOfParameter(AMP_GAIN), 64); };
  // These are quick: enough of them to see the worst, whatever the slow cases above were given.
  const int liveEdits = argc > 2 ? std::max(2, std::atoi(argv[2])) : 250;
  protocol.SendStartup();  // the connection is open before timing starts
  for (int round = 0; round < 4; ++round) {
    const auto b = measure(liveEdits, [&] { bareProtocol.SendParameter(0, codeOfParameter(AMP_GAIN), 64); });
    bare.insert(bare.end(), b.begin(), b.end());
    tap->setWatched(false);
    const auto c = measure(liveEdits, liveEdit);
    closed.insert(closed.end(), c.begin(), c.end());
    tap->setWatched(true);
    const auto o = measure(liveEdits, liveEdit, [&] { listed += tap->drain().size(); });
    open.insert(open.end(), o.begin(), o.end());
  }
  tap->setWatched(false);
  for (const auto& [name, micros] : {std::pair{"live edit, ports without a tap", bare}, std::pair{"live edit, monitor closed", closed}, std::pair{"live edit, monitor open", open}}) {
    const Figures f = summarise(micros);
    std::printf("%-46s %10.1f %10.1f %10.1f\n", name, f.median, f.p95, f.worst);
  }
  if (listed != open.size()) {
    std::fprintf(stderr, "midi_send_bench: the monitor saw %zu of %zu live edits\n", listed, open.size());
    ++errors;
  }
  engine.CLOSE_MIDI_OUT();
  bareEngine.CLOSE_MIDI_OUT();
  sim.stop();
  std::filesystem::remove(out);
  std::filesystem::remove(bank);
  if (errors) std::fprintf(stderr, "midi_send_bench: %d sends failed\n", errors);
  return errors ? 1 : 0;
}
