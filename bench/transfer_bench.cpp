// How fast the bank transfers run over a JACK server against kestralux-sim, whose answer keeps
// MIDI wire pace (12.8 ms a 40-byte message, 384 ms for the bank): from the request to the
// last preset decoded, and to preset 1 shown; the same with one message decoded per 50 ms
// tick; the span of a store-all from its first message to its last, and of a checked store-all
// from its first bank request to the end of its check; and a start with the combo remembered,
// to its preset 1 on screen.
// Run beside a JACK server: scripts/with-jack transfer_bench [fetches]

#include <QApplication>
#include <QElapsedTimer>
#include <QLineEdit>
#include <QPushButton>
#include <QMessageBox>
#include <QTest>
#include <QTimer>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <deque>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <optional>
#include <vector>

#include "app/Application.h"
#include "app/ClickablePanel.h"
#include "app/TForm1.h"
#include "files/BankHistory.h"
#include "library/BankMoves.h"
#include "midi/RtMidiPorts.h"
#include "tests/e2e/SimProcess.h"

using namespace kestralux;

namespace {

constexpr double kWireMs = 384.0;  // 30 messages of 40 bytes at 31,250 bit/s
constexpr double kTickMs = 50.0;

// The real ports, with the time of every preset message sent.
class TimedPorts : public MidiPorts {
 public:
  explicit TimedPorts(std::unique_ptr<MidiPorts> inner) : inner_(std::move(inner)) { clock.start(); }
  std::vector<std::string> inputPortNames() override { return inner_->inputPortNames(); }
  std::vector<std::string> outputPortNames() override { return inner_->outputPortNames(); }
  bool openOutput(std::uint32_t device) override { return inner_->openOutput(device); }
  bool isOutputOpen() const override { return inner_->isOutputOpen(); }
  bool sendMessage(std::span<const std::uint8_t> message) override {
    const bool sent = inner_->sendMessage(message);
    if (message.size() == kPresetMessageSize) presetSends.push_back(clock.nsecsElapsed() / 1e6);
    if (message.size() == kParameterMessageSize && message[7] == CODE_REQUEST_BANK) requestSends.push_back(clock.nsecsElapsed() / 1e6);
    return sent;
  }
  void closeOutput() override { inner_->closeOutput(); }
  bool openInput(std::uint32_t device, Delivery deliver) override { return inner_->openInput(device, std::move(deliver)); }
  bool isInputOpen() const override { return inner_->isInputOpen(); }
  void closeInput() override { inner_->closeInput(); }

  QElapsedTimer clock;
  std::vector<double> presetSends;  // milliseconds
  std::vector<double> requestSends;

 private:
  std::unique_ptr<MidiPorts> inner_;
};

struct Figures {
  double median, p95;
};

Figures summarise(std::vector<double> v) {
  std::sort(v.begin(), v.end());
  const auto at = [&](double q) { return v[static_cast<std::size_t>(q * static_cast<double>(v.size() - 1))]; };
  return {at(0.5), at(0.95)};
}

// The ratio is to `base`: the wire's time for the bank, unless a row has a floor of its own.
void row(const char* name, const std::vector<double>& ms, double goal, double base = kWireMs) {
  const Figures f = summarise(ms);
  std::printf("%-52s %9.1f %9.1f %8.2f x %9.1f\n", name, f.median, f.p95, f.median / base, goal);
}

PresetBank benchBank() {
  PresetBank bank{};
  for (int n = 0; n < kPresetCount; ++n) {
    PresetRecord& r = bank[static_cast<std::size_t>(n)];
    for (int i = 0; i < kParameterCount; ++i) r.setValue(i, (n * 3 + i) % 31);
    r.setValue(AMP_TYPE, n % kAmpModelCount);
    r.setValue(EFFECT_SELECT, kEffectCodes[static_cast<std::size_t>(n) % kEffectCodes.size()]);
  }
  return bank;
}

}  // namespace

int main(int argc, char** argv) {
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  QApplication application(argc, argv);
  const int fetches = argc > 1 ? std::max(1, std::atoi(argv[1])) : 10;

  const auto dir = std::filesystem::temp_directory_path() / ("kestralux-transfer-bench-" + std::to_string(getpid()));
  std::filesystem::create_directories(dir);
  // The banks its fetches and stores leave go to its own folder, not the user's history.
  setenv("XDG_DATA_HOME", (dir / "data").c_str(), 1);
  auto sim = e2e::startSimulator(dir, benchBank());
  std::optional<std::uint32_t> out, in;
  {
    RtMidiPorts lister(detectMidiSystem(), "kestralux-bench-lister");
    if (lister.system() == MidiSystem::None) {
      std::fprintf(stderr, "transfer_bench: no MIDI system; run it under scripts/with-jack\n");
      return 1;
    }
    for (int tries = 0; tries < 200 && !(out && in); ++tries) {
      QTest::qWait(50);
      const auto outs = lister.outputPortNames(), ins = lister.inputPortNames();
      for (std::size_t d = 0; d < outs.size(); ++d)
        if (outs[d].find("KESTRALUX MIDI IN") != std::string::npos) out = static_cast<std::uint32_t>(d);
      for (std::size_t d = 0; d < ins.size(); ++d)
        if (ins[d].find("KESTRALUX MIDI OUT") != std::string::npos) in = static_cast<std::uint32_t>(d);
    }
  }
  if (!out || !in) {
    std::fprintf(stderr, "transfer_bench: the simulator's ports never appeared\n");
    return 1;
  }
  {
    const std::uint32_t cfg[2] = {*out, *in};
    std::ofstream(dir / "combo.cfg", std::ios::binary).write(reinterpret_cast<const char*>(cfg), sizeof cfg);
  }

  int cardErrors = 0;
  MidiSetupBoxes boxes;
  boxes.cardError = [&](QWidget*) { ++cardErrors; };
  boxes.confirmCardChange = [](QWidget*) { return true; };

  // A start with the combo remembered: from the start of the program (no splash pause) to the
  // combo's preset 1 on screen.
  std::vector<double> startToShown;
  for (int i = 0; i < std::min(fetches, 5); ++i) {
    QElapsedTimer clock;
    clock.start();
    KestraluxApplication starting(std::make_unique<RtMidiPorts>(detectMidiSystem()), boxes,
                                  QString::fromStdString((dir / "combo.cfg").string()));
    starting.splashPauseMs = 0;
    starting.startUp();
    std::optional<double> shownAt;
    const auto windowComplete = starting.protocol.bankComplete;
    starting.protocol.bankComplete = [&] {
      windowComplete();
      QTimer::singleShot(0, &starting.form(), [&] {
        if (!starting.state.BankRefreshPending) shownAt = clock.nsecsElapsed() / 1e6;
      });
    };
    starting.form().show();
    if (!QTest::qWaitFor([&] { return shownAt.has_value(); }, 5000)) {
      std::fprintf(stderr, "transfer_bench: start %d did not open on the combo's bank\n", i + 1);
      return 1;
    }
    startToShown.push_back(*shownAt);
    QTest::qWait(600);  // the refresh's sends settle
    starting.form().close();
  }

  auto timed = std::make_unique<TimedPorts>(std::make_unique<RtMidiPorts>(detectMidiSystem()));
  TimedPorts& ports = *timed;
  KestraluxApplication app(std::move(timed), boxes, QString::fromStdString((dir / "combo.cfg").string()));
  app.splashPauseMs = 0;
  app.fetchAtStart = false;  // only the clicked fetches are timed
  app.startUp();
  TForm1& form = app.form();
  form.show();
  QTest::qWait(300);

  // The window's own fetch texts, timed: the last preset is decoded when "ALL PRESETS
  // RECEIVED" is told.
  QElapsedTimer clock;
  clock.start();
  std::optional<double> decodedAt, shownAt;
  const auto windowNotices = app.protocol.fetchNotices;
  app.protocol.fetchNotices = [&](const Notices& n) {
    if (n.front() == "ALL PRESETS RECEIVED") decodedAt = clock.nsecsElapsed() / 1e6;
    windowNotices(n);
  };
  // Preset 1 is shown right after the tick that decoded the last preset; this runs after it.
  const auto windowComplete = app.protocol.bankComplete;
  app.protocol.bankComplete = [&] {
    windowComplete();
    QTimer::singleShot(0, &form, [&] {
      if (decodedAt && !shownAt && !app.state.BankRefreshPending && form.PRENUM->text() == "PRESET   1")
        shownAt = clock.nsecsElapsed() / 1e6;
    });
  };

  std::vector<double> toDecoded, toShown, toShownWithoutLibrary;
  // The same fetches with the preset library left out first: what feeding it costs the screen.
  const auto withLibrary = app.protocol.bankMoved;
  const auto namesFromLibrary = app.protocol.newestName;
  app.protocol.bankMoved = [](const BankMove& move) { keepBankMove(move, historyFolder(), nullptr, std::cerr, "kestralux"); };
  app.protocol.newestName = nullptr;
  for (int i = 0; i < 2 * fetches; ++i) {
    if (i == fetches) {
      app.protocol.bankMoved = withLibrary;
      app.protocol.newestName = namesFromLibrary;
      toShownWithoutLibrary = toShown;
      toDecoded.clear();
      toShown.clear();
    }
    form.PRENUM->setText(QStringLiteral("PRESET 1"));
    decodedAt.reset();
    shownAt.reset();
    const double start = clock.nsecsElapsed() / 1e6;
    form.REQUESClick();
    if (!QTest::qWaitFor([&] { return shownAt.has_value(); }, 5000)) {
      std::fprintf(stderr, "transfer_bench: fetch %d did not end\n", i + 1);
      return 1;
    }
    toDecoded.push_back(*decodedAt - start);
    toShown.push_back(*shownAt - start);
    QTest::qWait(600);  // the refresh's sends and the colour restore settle
  }

  // As the device's first editor did it: at most one message decoded per 50 ms tick.
  std::deque<RxSlot> waiting;
  app.link.setDecoder([&](const RxSlot& slot) { waiting.push_back(slot); });
  QTimer onePerTick;
  onePerTick.setInterval(static_cast<int>(kTickMs));
  QObject::connect(&onePerTick, &QTimer::timeout, [&] {
    if (waiting.empty()) return;
    app.protocol.DecodeNextSlot(waiting.front());
    waiting.pop_front();
  });
  onePerTick.start();
  std::vector<double> onePerTickDecoded;
  for (int i = 0; i < std::min(fetches, 3); ++i) {
    decodedAt.reset();
    const double start = clock.nsecsElapsed() / 1e6;
    form.REQUESClick();
    if (!QTest::qWaitFor([&] { return decodedAt.has_value(); }, 5000)) {
      std::fprintf(stderr, "transfer_bench: fetch at one message per tick did not end\n");
      return 1;
    }
    onePerTickDecoded.push_back(*decodedAt - start);
    QTest::qWait(600);
  }
  onePerTick.stop();
  app.link.setDecoder(nullptr);

  // A checked Store All: the combo's bank read, the bank stored, read back and compared. From
  // the first bank request to the end of the check, against the wire's floor: the bank's
  // answer twice and 29 pauses between the stored messages.
  std::vector<double> storeSpans, checkedStores;
  for (int i = 0; i < std::min(fetches, 3); ++i) {
    ports.presetSends.clear();
    ports.requestSends.clear();
    QTimer::singleShot(20, [] {
      if (auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget())) box->button(QMessageBox::Yes)->click();
    });
    form.STORClick();
    if (!QTest::qWaitFor([&] { return !app.actions.storeRunning(); }, 15000) ||
        ports.presetSends.size() != kPresetCount || ports.requestSends.size() != 2 ||
        !app.actions.lastStoreOutcome() || app.actions.lastStoreOutcome()->result != StoreOutcome::Result::Checked) {
      std::fprintf(stderr, "transfer_bench: the store did not end checked (%zu messages, %zu requests)\n",
                   ports.presetSends.size(), ports.requestSends.size());
      return 1;
    }
    // On the ports' clock, as the sends are timed.
    checkedStores.push_back(ports.clock.nsecsElapsed() / 1e6 - ports.requestSends.front());
    storeSpans.push_back(ports.presetSends.back() - ports.presetSends.front());
    QTest::qWait(600);
  }

  std::printf("Bank transfers over %s against kestralux-sim, %d fetches (milliseconds; ratio to the %.0f ms\n"
              "the wire needs for 30 messages)\n",
              midiSystemName(detectMidiSystem()), fetches, kWireMs);
  std::printf("%-52s %9s %9s %10s %9s\n", "case", "median", "p95", "ratio", "goal");
  row("request to last preset decoded", toDecoded, 1.15 * kWireMs + kTickMs);
  row("request to preset 1 shown", toShown, 1.15 * kWireMs + 100.0);
  row("the same without the preset library", toShownWithoutLibrary, 1.15 * kWireMs + 100.0);
  row("request to last preset decoded, one per 50 ms tick", onePerTickDecoded, 1.15 * kWireMs + kTickMs);
  const Figures start = summarise(startToShown);
  std::printf("%-52s %9.1f %9.1f %8.2f x\n", "start-up to the combo's preset 1 shown", start.median, start.p95,
              start.median / kWireMs);
  const Figures store = summarise(storeSpans);
  std::printf("%-52s %9.1f %9.1f %8.3f of 29 x DUMP_PAUSE (%.0f ms)\n", "store-all, first message to last", store.median,
              store.p95, store.median / (29.0 * kDumpPause.count()), 29.0 * kDumpPause.count());
  const double floor = kWireMs + 29.0 * kDumpPause.count() + kWireMs;
  row("checked store-all: read, store, read back", checkedStores, 1.1 * floor, floor);

  app.form().close();
  sim->stop();
  std::filesystem::remove_all(dir);
  if (cardErrors) std::fprintf(stderr, "transfer_bench: %d sends failed\n", cardErrors);
  return cardErrors ? 1 : 0;
}
