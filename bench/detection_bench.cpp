// How long the search for the combo takes over a JACK server: from the press of FIND COMBO to
// the pair found, and to the end of the combo's answer (its bank, taken as a fetch), with the
// combo listed first, and behind three devices that never answer.
// Run beside a JACK server: scripts/with-jack detection_bench [rounds]
// On a machine busy with other work a round can miss the combo (its answer later than the
// search waits, or its ports later than this waits for them): the miss is counted and said,
// and the run still succeeds, for a figure is no verdict.

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <thread>
#include <vector>

#include "link/ComboLink.h"
#include "midi/RtMidiPorts.h"
#include "tests/e2e/SimProcess.h"
#include "tests/e2e/WorkQueue.h"

using namespace kestralux;
using namespace std::chrono_literals;
namespace fs = std::filesystem;

namespace {

double median(std::vector<double> v) {
  std::sort(v.begin(), v.end());
  return v.empty() ? 0 : v[v.size() / 2];
}

bool waitForPorts(const std::string& name) {
  // One for the whole run: closing a JACK client while other programs register ports has been
  // seen to hang inside the JACK library, now and then.
  static RtMidiPorts lister(MidiSystem::Jack, "kestralux-bench-lister");
  for (int i = 0; i < 200; ++i) {
    const auto outs = lister.outputPortNames();
    if (std::find_if(outs.begin(), outs.end(), [&](const std::string& n) { return n.find(name + " MIDI IN") != std::string::npos; }) != outs.end())
      return true;
    std::this_thread::sleep_for(50ms);
  }
  return false;
}

struct Timing {
  double found = 0;
  double answered = 0;
  bool ok = false;
};

Timing search(const fs::path& dir) {
  RtMidiPorts ports(MidiSystem::Jack);
  EditorState state;
  ComboLink link(ports, state, dir / "combo.cfg");
  e2e::WorkQueue queue;
  link.setPoster([&queue](std::function<void()> work) { queue.post(std::move(work)); });
  link.portsMaker = [] { return std::make_unique<RtMidiPorts>(MidiSystem::Jack); };
  ComboLink::StartUp how;
  how.startupMessage = false;
  how.fetchWhenAtHand = false;
  how.search = ComboLink::SearchAtStart::Never;
  link.start(how);
  Timing t;
  const auto begin = std::chrono::steady_clock::now();
  const auto since = [&] { return std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - begin).count(); };
  link.findCombo(ComboLink::FoundPair::Offer);
  while (link.searching() && since() < 20000) {
    queue.runUntil([] { return false; }, 5ms);
    link.tick();
    if (!t.found && link.search() == ComboLink::Search::Found) t.found = since();
  }
  t.answered = since();
  t.ok = link.search() == ComboLink::Search::Found && link.foundPorts()->output.find("COMBO") != std::string::npos;
  return t;
}

}  // namespace

int main(int argc, char** argv) {
  const int rounds = argc > 1 ? std::max(1, std::atoi(argv[1])) : 3;
  if (detectMidiSystem() != MidiSystem::Jack) {
    std::fprintf(stderr, "detection_bench: run it beside a JACK server (scripts/with-jack)\n");
    return 1;
  }
  const fs::path dir = fs::temp_directory_path() / ("kestralux-detection-bench-" + std::to_string(::getpid()));
  fs::create_directories(dir);
  for (const bool comboFirst : {true, false}) {
    std::vector<double> found, answered;
    int missed = 0, unlisted = 0;
    for (int r = 0; r < rounds; ++r) {
      std::vector<std::unique_ptr<e2e::SimProcess>> devices;
      bool listed = true;
      const auto start = [&](const std::string& name, bool silent) {
        std::vector<std::string> options{"--name", name};
        if (silent) options.push_back("--silent");
        devices.push_back(e2e::startSimulator(dir, PresetBank{}, options, name + "-"));
        listed = waitForPorts(name) && listed;
      };
      if (comboFirst) start("COMBO", false);
      for (int k = 1; k <= 3; ++k) start("FOREIGN " + std::to_string(k), true);
      if (!comboFirst) start("COMBO", false);
      // A search among ports that are not all there yet measures nothing.
      const Timing t = listed ? search(dir) : Timing{};
      if (!listed) ++unlisted;
      else if (!t.ok) ++missed;
      else {
        found.push_back(t.found);
        answered.push_back(t.answered);
      }
      for (auto& d : devices) d->stop();
    }
    const char* order = comboFirst ? "listed first:" : "behind three silent devices:";
    if (found.empty())
      std::printf("search, combo %-26s no round found the combo\n", order);
    else
      std::printf("search, combo %-26s pair found %7.1f ms, its answer ended %7.1f ms (median of %zu)\n", order,
                  median(found), median(answered), found.size());
    if (missed) std::printf("  the combo was not found in %d of %d rounds\n", missed, rounds);
    if (unlisted) std::printf("  the devices' ports were not all listed within 10 s in %d of %d rounds\n", unlisted, rounds);
  }
  fs::remove_all(dir);
  return 0;
}
