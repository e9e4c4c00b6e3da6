// How long exploring takes of our own time: a climb's generation of 8 candidates (from the
// preset on screen, and bred from 3 marked ones), and a key in the explore window to the first
// message of the candidate at the MIDI port. The port is the loopback, so no MIDI system's
// time is counted; the pause after a whole-preset send is left out, it follows the messages.
// Run: explore_bench [rounds]

#include <QApplication>
#include <QElapsedTimer>
#include <QPushButton>
#include <QTest>
#include <QTemporaryDir>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <vector>

#include "app/ExploreWindow.h"
#include "app/TForm1.h"
#include "app/TMIDI_IO.h"
#include "explore/Explore.h"
#include "link/ComboLink.h"
#include "midi/LoopbackPorts.h"

using namespace kestralux;

namespace {

struct Figures {
  double median, p99;
};

// The slowest percent is the shared machine's, not ours: the 99th percentile is shown.
Figures figures(std::vector<double> us) {
  std::sort(us.begin(), us.end());
  return {us[us.size() / 2], us[us.size() * 99 / 100]};
}

PresetRecord sound() {
  PresetRecord r{};
  r.storeName("BENCH");
  r.setValue(AMP_TYPE, 6);
  r.setValue(EFFECT_SELECT, 2);
  for (int p : {AMP_GAIN, AMP_BASS, AMP_MID, AMP_TREBLE, REV_LEVEL, DELAY_LEVEL, DELAY_REGEN, GATE_THRES, EFF_ADJUST1, EFF_ADJUST2})
    r.setValue(p, 15);
  r.setValue(DELAY_TIME, 120);
  r.setValue(EFF_RATE, 90);
  return r;
}

}  // namespace

int main(int argc, char** argv) {
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  QTemporaryDir config;
  qputenv("XDG_CONFIG_HOME", config.path().toLocal8Bit());
  QApplication application(argc, argv);
  const int rounds = argc > 1 ? std::max(1, std::atoi(argv[1])) : 2000;

  // A generation, timed one at a time.
  QElapsedTimer clock;
  ExploreRandom random(1);
  const PresetRecord onScreen = sound();
  const Locks locks;
  std::vector<double> fresh, bred;
  Generation last = breed(onScreen, {}, locks, 25, random);
  for (int n = 0; n < rounds; ++n) {
    clock.start();
    last = breed(onScreen, {}, locks, 25, random);
    fresh.push_back(clock.nsecsElapsed() / 1e3);
    const std::vector<PresetRecord> marked{last[0], last[3], last[5]};
    clock.start();
    last = breed(onScreen, marked, locks, 25, random);
    bred.push_back(clock.nsecsElapsed() / 1e3);
  }

  // The editor over the loopback port, its poll tick left to the test, the explore window open.
  LoopbackPorts ports{{"KESTRALUX IN"}, {"KESTRALUX OUT"}};
  EditorState state;
  ComboLink link{ports, state, config.filePath("combo.cfg").toStdString()};
  link.engine.setPause([](std::chrono::milliseconds) {});
  MidiSetupBoxes boxes;
  boxes.cardError = [](QWidget*) {};
  boxes.confirmCardChange = [](QWidget*) { return true; };
  TMIDI_IO setup(link, nullptr, boxes);
  setup.FIND_MIDI_PORTS({});
  setup.interupt_timer->stop();
  EditSession session{state};
  link.protocol.session = &session;
  state.current() = sound();
  EditorActions actions(state, link.protocol, session);
  TForm1 form(actions);
  form.show();
  form.ShowPreset();
  ExploreWindow explore(actions, &form);
  explore.showBeside();
  explore.climbButton->click();

  QElapsedTimer keyClock;
  bool waiting = false;
  double firstMessage = 0;
  ports.onSend = [&](const LoopbackPorts::Message&) {
    if (!waiting) return;
    firstMessage = keyClock.nsecsElapsed() / 1e3;
    waiting = false;
  };
  std::vector<double> keyToPort, wholeKey;
  for (int n = 0; n < std::min(rounds, 1000); ++n) {
    waiting = true;
    keyClock.start();
    // On the candidate strip, where the keys 1-8 act.
    QTest::keyClick(explore.focusWidget(), static_cast<Qt::Key>(Qt::Key_1 + n % kCandidates));
    if (waiting) {
      std::fprintf(stderr, "explore_bench: key %d sent nothing\n", n % kCandidates + 1);
      return 1;
    }
    keyToPort.push_back(firstMessage);
    wholeKey.push_back(keyClock.nsecsElapsed() / 1e3);
    ports.clearSent();
  }

  const Figures f = figures(fresh), b = figures(bred), k = figures(keyToPort), w = figures(wholeKey);
  std::printf("a generation of 8 candidates from the preset on screen: median %.2f us, 99th percentile %.2f us (%d)\n", f.median, f.p99, rounds);
  std::printf("a generation of 8 bred from 3 marked:                  median %.2f us, 99th percentile %.2f us (%d)\n", b.median, b.p99, rounds);
  std::printf("a key 1-8 to the candidate's first message at the port: median %.2f us, 99th percentile %.2f us (%zu)\n", k.median, k.p99,
              keyToPort.size());
  std::printf("a key 1-8 handled whole, its 16 messages sent:           median %.2f us, 99th percentile %.2f us\n", w.median, w.p99);
  return 0;
}
