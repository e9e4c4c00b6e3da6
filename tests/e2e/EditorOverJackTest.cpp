// The whole editor, driven by mouse clicks and key presses on its window, talking over real
// MIDI ports (a private JACK server) to kestralux-sim. The device's own account of what it
// received (its --verbose lines) and the bank it holds at the end are the evidence.

#include <gtest/gtest.h>

#include <tuple>

#include <QApplication>
#include <QLineEdit>
#include <QListWidget>
#include <QMessageBox>
#include <QPointer>
#include <QProcess>
#include <QTimer>
#include <QMenu>
#include <QMenuBar>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QScrollBar>
#include <QSpinBox>
#include <QStyle>
#include <QStyleOptionButton>
#include <QStyleOptionSlider>
#include <QTest>
#include <QToolButton>
#include <QTreeWidget>

#include <array>
#include <fstream>
#include <functional>
#include <iterator>
#include <optional>
#include <string>
#include <vector>

#include "app/Application.h"
#include "app/CheckWindow.h"
#include "app/ClickablePanel.h"
#include "app/ExploreWindow.h"
#include "app/HistoryWindow.h"
#include "app/MonitorWindow.h"
#include "app/MessageLine.h"
#include "app/PanelNotice.h"
#include "app/StageView.h"
#include "app/StageWindow.h"
#include "app/TForm1.h"
#include "app/UpDownArrows.h"
#include "midi/RtMidiPorts.h"
#include "model/PresetRecord.h"
#include "protocol/Sysex.h"
#include "tests/app/UserActions.h"
#include "tests/e2e/SimProcess.h"
#include "tests/HistoryHome.h"
#include "editor/EditorTables.h"
#include "library/PresetLibrary.h"
#include "files/BankHistory.h"
#include "library/PresetLibrary.h"
#include "files/PresetFiles.h"
#include "tests/PresetValues.h"

namespace kestralux {
namespace {

namespace fs = std::filesystem;
using namespace std::chrono_literals;

constexpr const char* kToDevice = "KESTRALUX MIDI IN";
constexpr const char* kFromDevice = "KESTRALUX MIDI OUT";

// What the device had before the editor said anything: every value distinct, so a value
// the editor never sent cannot pass for one it did.
PresetBank startBank() {
  PresetBank bank{};
  for (int n = 0; n < kPresetCount; ++n) {
    PresetRecord& r = bank[static_cast<std::size_t>(n)];
    r.storeName("FACTORY " + std::to_string(n + 1));
    for (int i = 0; i < kParameterCount; ++i) r.setValue(i, (n * 7 + i * 5 + 3) % 100);
    test::makePreset(r, n);
  }
  return bank;
}

// The one port whose name holds `part`. Two mean that a device's port is still listed after
// it quit (PipeWire takes it away a moment later): its number is not yet the one to use.
std::optional<std::uint32_t> deviceNamed(const std::vector<std::string>& names, const std::string& part) {
  std::optional<std::uint32_t> found;
  for (std::size_t d = 0; d < names.size(); ++d) {
    if (names[d].find(part) == std::string::npos) continue;
    if (found) return std::nullopt;
    found = static_cast<std::uint32_t>(d);
  }
  return found;
}

int rowNamed(const QListWidget* list, const QString& part) {
  for (int row = 0; row < list->count(); ++row)
    if (list->item(row)->text().contains(part)) return row;
  return -1;
}

// ---- Real input: every action below is a mouse or key event on a control. ----

QPoint partOf(const QScrollBar* bar, QStyle::SubControl part) { return test::scrollBarPart(bar, part).center(); }

// The arrow at the scroll bar's right end, clicked `times` times.
void clickRightArrow(QScrollBar* bar, int times = 1) {
  for (int i = 0; i < times; ++i) QTest::mouseClick(bar, Qt::LeftButton, {}, partOf(bar, QStyle::SC_ScrollBarAddLine));
}

// The trough between the thumb and the right arrow: one step, like the arrow.
void clickRightOfThumb(QScrollBar* bar) {
  QTest::mouseClick(bar, Qt::LeftButton, {}, partOf(bar, QStyle::SC_ScrollBarAddPage));
}

void press(QWidget* widget, Qt::Key key) { QTest::keyClick(widget, key); }

void clickPanel(ClickablePanel* panel) { QTest::mouseClick(panel, Qt::LeftButton, {}, panel->rect().center()); }

void clickRadio(QRadioButton* button) {
  QStyleOptionButton option;
  option.initFrom(button);
  option.text = button->text();
  const QRect hit = button->style()->subElementRect(QStyle::SE_RadioButtonIndicator, &option, button);
  QTest::mouseClick(button, Qt::LeftButton, {}, hit.center());
}

void clickArrow(QToolButton* arrow) { QTest::mouseClick(arrow, Qt::LeftButton, {}, arrow->rect().center()); }

void clickListRow(QListWidget* list, int row) {
  QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, list->visualItemRect(list->item(row)).center());
}

// The 16 parameter names, as the device names them in its lines, in code order 1..16.
constexpr std::array<const char*, kParameterCount> kNames{
    "AMP_TYPE", "AMP_GAIN",   "AMP_MASTER", "AMP_BASS",      "AMP_MID",     "AMP_TREBLE",
    "REV_LEVEL", "DELAY_LEVEL", "DELAY_REGEN", "DELAY_PAN",   "DELAY_TIME",  "EFF_RATE",
    "GATE_THRES", "EFFECT_SELECT", "EFF_ADJUST1", "EFF_ADJUST2",
};

class EditorOverJack : public ::testing::Test {
 protected:
  void SetUp() override {
    dir = fs::temp_directory_path() / ("kestralux-editor-e2e-" + std::to_string(getpid()));
    fs::remove_all(dir);
    fs::create_directories(dir);
    fs::remove_all(historyFolder());
    for (const char* end : {"", "-wal", "-shm"}) fs::remove(libraryFile().string() + end);
    sim = e2e::startSimulator(dir, deviceStart, deviceOptions);
    ASSERT_TRUE(sim->started());

    // Listed the way the editor will list them, before the editor has a port of its own.
    RtMidiPorts lister(MidiSystem::Jack, "kestralux-e2e-lister");
    ASSERT_EQ(lister.system(), MidiSystem::Jack) << "run under scripts/with-jack";
    const auto end = std::chrono::steady_clock::now() + 10s;
    while ((!toDevice || !fromDevice) && std::chrono::steady_clock::now() < end) {
      std::this_thread::sleep_for(50ms);
      toDevice = deviceNamed(lister.outputPortNames(), kToDevice);
      fromDevice = deviceNamed(lister.inputPortNames(), kFromDevice);
    }
    ASSERT_TRUE(toDevice && fromDevice) << "the simulator's ports never appeared";
  }

  void TearDown() override {
    if (app) app->form().close();
    app.reset();
    // Closing the editor asks the application to quit; asked with no event loop running, that
    // would end the next test's first dialog at once. One turn of the application's own loop
    // takes the request.
    QTimer::singleShot(0, qApp, [] { QCoreApplication::exit(0); });
    QCoreApplication::exec();
    if (sim) sim->stop();
    fs::remove_all(dir);
  }

  void writeComboConfig(std::uint32_t out, std::uint32_t in) {
    const std::array<std::uint8_t, 8> bytes{
        static_cast<std::uint8_t>(out),       static_cast<std::uint8_t>(out >> 8),
        static_cast<std::uint8_t>(out >> 16), static_cast<std::uint8_t>(out >> 24),
        static_cast<std::uint8_t>(in),        static_cast<std::uint8_t>(in >> 8),
        static_cast<std::uint8_t>(in >> 16),  static_cast<std::uint8_t>(in >> 24)};
    std::ofstream(dir / "combo.cfg", std::ios::binary).write(reinterpret_cast<const char*>(bytes.data()), 8);
  }

  std::vector<std::uint8_t> comboConfigBytes() const {
    std::ifstream in(dir / "combo.cfg", std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
  }

  // The tests of other flows start from the bank as it starts, without the combo's bank.
  void startEditor(bool findsTheCombo = false, bool fetchesAtStart = false) {
    MidiSetupBoxes boxes;
    boxes.cardError = [this](QWidget*) { ++cardErrors; };
    boxes.confirmCardChange = [this](QWidget*) {
      ++confirmations;
      return true;
    };
    app = std::make_unique<KestraluxApplication>(std::make_unique<RtMidiPorts>(MidiSystem::Jack), boxes,
                                                 QString::fromStdString((dir / "combo.cfg").string()));
    app->splashPauseMs = 0;
    app->fetchAtStart = fetchesAtStart;
    if (findsTheCombo) app->portsMaker = [] { return std::make_unique<RtMidiPorts>(MidiSystem::Jack); };
    app->startUp();
    app->form().show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&app->form()));
  }

  // Every line in which the device reports a message it received, in order of arrival.
  std::vector<std::string> deviceLines() const {
    std::vector<std::string> lines;
    for (auto& l : sim->outputLines())
      if (l.rfind("kestralux-sim:", 0) != 0) lines.push_back(l);
    return lines;
  }

  bool deviceHeard(const std::string& line) const {
    const std::vector<std::string> lines = deviceLines();
    return std::find(lines.begin(), lines.end(), line) != lines.end();
  }

  std::size_t countLines(const std::string& prefix) const {
    std::size_t n = 0;
    for (const auto& l : deviceLines())
      if (l.rfind(prefix, 0) == 0) ++n;
    return n;
  }

  // Runs the editor's event loop (its timers, its MIDI input) until the device has reported
  // `count` lines.
  bool waitForDeviceLines(std::size_t count, int timeoutMs = 10000) const {
    return QTest::qWaitFor([&] { return deviceLines().size() >= count; }, timeoutMs);
  }

  PresetBank dumpedBank(const std::string& tag = "") const {
    PresetBank bank{};
    std::ifstream(dir / (tag + "end.bnk"), std::ios::binary).read(reinterpret_cast<char*>(bank.data()), sizeof bank);
    return bank;
  }

  // What the device holds at the start and how it answers a bank request.
  PresetBank deviceStart = startBank();
  std::vector<std::string> deviceOptions;
  fs::path dir;
  std::unique_ptr<e2e::SimProcess> sim;
  std::optional<std::uint32_t> toDevice;
  std::optional<std::uint32_t> fromDevice;
  std::unique_ptr<KestraluxApplication> app;
  int cardErrors = 0;
  int confirmations = 0;
};

struct Step {
  const char* what;
  std::function<void(TForm1&)> act;
  std::vector<std::string> deviceHears;  // its lines for this step, in order
};

std::vector<std::string> wholePresetOfZeros() {
  std::vector<std::string> lines;
  char code[3];
  for (int i = 0; i < kParameterCount; ++i) {
    std::snprintf(code, sizeof code, "%02X", i + 1);
    lines.push_back(std::string("param ") + kNames[static_cast<std::size_t>(i)] + " ctx=00 code=" + code + " value=0");
  }
  return lines;
}

TEST_F(EditorOverJack, WhatTheWindowShowsIsWhatTheDeviceHolds) {
  writeComboConfig(*toDevice, *fromDevice);
  startEditor();
  ASSERT_TRUE(waitForDeviceLines(1)) << "no start message reached the device";
  ASSERT_EQ(deviceLines().front(), "start-up");
  TForm1& form = app->form();

  const std::vector<Step> steps{
      {"GAIN to the top with End, one back with the left arrow key",
       [](TForm1& f) { press(f.ScrollGAIN, Qt::Key_End); press(f.ScrollGAIN, Qt::Key_Left); },
       {"param AMP_GAIN ctx=00 code=02 value=30", "param AMP_GAIN ctx=00 code=02 value=29"}},
      {"PRESET VOLUME: two clicks on its right arrow",
       [](TForm1& f) { clickRightArrow(f.ScrollPVOL, 2); },
       {"param AMP_MASTER ctx=00 code=03 value=1", "param AMP_MASTER ctx=00 code=03 value=2"}},
      {"the tone and level strips one groove click each",
       [](TForm1& f) {
         for (QScrollBar* bar : {f.ScrollBASS, f.ScrollMID, f.ScrollTREB, f.ScrollREV, f.ScrollDLVL, f.ScrollDREG})
           clickRightOfThumb(bar);
       },
       {"param AMP_BASS ctx=00 code=04 value=1", "param AMP_MID ctx=00 code=05 value=1",
        "param AMP_TREBLE ctx=00 code=06 value=1", "param REV_LEVEL ctx=00 code=07 value=1",
        "param DELAY_LEVEL ctx=00 code=08 value=1", "param DELAY_REGEN ctx=00 code=09 value=1"}},
      {"DELAY PAN hard right with End", [](TForm1& f) { press(f.ScrollDPAN, Qt::Key_End); },
       {"param DELAY_PAN ctx=00 code=0A value=31"}},
      {"DELAY TIME to 250: its high bit rides in the context byte",
       [](TForm1& f) { press(f.ScrollDTIME, Qt::Key_End); },
       {"param DELAY_TIME ctx=01 code=0B value=250"}},
      {"JAZZ: the model, then the unchanged preset volume", [](TForm1& f) { clickPanel(f.POLY); },
       {"param AMP_TYPE ctx=00 code=01 value=14", "param AMP_MASTER ctx=00 code=03 value=2"}},
      {"GATE one step: its own context byte 9", [](TForm1& f) { clickRightArrow(f.ScrollGATE); },
       {"param GATE_THRES ctx=09 code=0D value=1"}},
      {"FLANGER", [](TForm1& f) { clickRadio(f.FLANBTN); }, {"param EFFECT_SELECT ctx=00 code=0E value=2"}},
      {"RATE one groove click, then to 255, with the flanger's code in the context",
       [](TForm1& f) { clickRightOfThumb(f.ScrollRATE); press(f.ScrollRATE, Qt::Key_End); },
       {"param EFF_RATE ctx=04 code=0C value=1", "param EFF_RATE ctx=05 code=0C value=255"}},
      {"EFFECT ADJUST 2 two steps: the next effect code in its context",
       [](TForm1& f) { clickRightArrow(f.ScrollFX16, 2); },
       {"param EFF_ADJUST2 ctx=06 code=10 value=1", "param EFF_ADJUST2 ctx=06 code=10 value=2"}},
      {"ROTARY with RATE at 255: the rate drops to FAST first", [](TForm1& f) { clickRadio(f.ROTBTN); },
       {"param EFF_RATE ctx=18 code=0C value=1", "param EFFECT_SELECT ctx=00 code=0E value=12"}},
      {"TREMOLO 2: the rate range opens again, nothing else is sent", [](TForm1& f) { clickRadio(f.TREMBTN2); },
       {"param EFFECT_SELECT ctx=00 code=0E value=15"}},
      {"DEPTH to the top and RATE to 255 under TREMOLO 2",
       [](TForm1& f) { press(f.ScrollFX15, Qt::Key_End); press(f.ScrollRATE, Qt::Key_End); },
       {"param EFF_ADJUST1 ctx=1E code=0F value=30", "param EFF_RATE ctx=1F code=0C value=255"}},
      {"up arrow: preset 2, empty, goes out whole at the next tick",
       [](TForm1& f) { clickArrow(f.PRESETUpDown->upArrow()); }, wholePresetOfZeros()},
      {"TEXAS on preset 2", [](TForm1& f) { clickPanel(f.TEX); },
       {"param AMP_TYPE ctx=00 code=01 value=11", "param AMP_MASTER ctx=00 code=03 value=0"}},
      {"down arrow: back to preset 1, sent whole with the whole-preset context bytes",
       [](TForm1& f) { clickArrow(f.PRESETUpDown->downArrow()); },
       {"param AMP_TYPE ctx=00 code=01 value=14", "param AMP_GAIN ctx=00 code=02 value=29",
        "param AMP_MASTER ctx=00 code=03 value=2", "param AMP_BASS ctx=00 code=04 value=1",
        "param AMP_MID ctx=00 code=05 value=1", "param AMP_TREBLE ctx=00 code=06 value=1",
        "param REV_LEVEL ctx=00 code=07 value=1", "param DELAY_LEVEL ctx=00 code=08 value=1",
        "param DELAY_REGEN ctx=00 code=09 value=1", "param DELAY_PAN ctx=00 code=0A value=31",
        "param DELAY_TIME ctx=1F code=0B value=250", "param EFF_RATE ctx=1F code=0C value=255",
        "param GATE_THRES ctx=00 code=0D value=1", "param EFFECT_SELECT ctx=00 code=0E value=15",
        "param EFF_ADJUST1 ctx=1E code=0F value=30", "param EFF_ADJUST2 ctx=1E code=10 value=2"}},
      {"DEPTH one back after the return", [](TForm1& f) { press(f.ScrollFX15, Qt::Key_Left); },
       {"param EFF_ADJUST1 ctx=1E code=0F value=29"}},
  };

  std::size_t heard = deviceLines().size();
  for (const Step& step : steps) {
    SCOPED_TRACE(step.what);
    step.act(form);
    ASSERT_TRUE(waitForDeviceLines(heard + step.deviceHears.size()))
        << "the device heard " << deviceLines().size() - heard << " of " << step.deviceHears.size()
        << " lines; its last: " << deviceLines().back();
    // Let anything stray arrive before counting.
    QTest::qWait(150);
    const auto lines = deviceLines();
    std::string heardNow;
    for (std::size_t k = heard; k < lines.size(); ++k) heardNow += "\n  " + lines[k];
    ASSERT_EQ(lines.size(), heard + step.deviceHears.size()) << "the device heard:" << heardNow;
    for (std::size_t k = 0; k < step.deviceHears.size(); ++k) EXPECT_EQ(lines[heard + k], step.deviceHears[k]);
    heard = lines.size();
  }

  // The window, after all that: preset 1, edited since the bank started.
  EXPECT_EQ(app->state.CurrentPreset, 0);
  EXPECT_EQ(form.PRENUM->text(), "PRESET   1*");
  EXPECT_EQ(form.DTIMEEDIT->text(), "         1000 ms");
  EXPECT_EQ(form.DPANEDIT->text(), "        RIGHT");
  EXPECT_EQ(form.GATEEDIT->text(), "         -58DB");
  EXPECT_EQ(form.POLY->colour(), QColor(255, 0, 0));
  EXPECT_EQ(form.TEX->colour(), QColor(128, 0, 128));
  EXPECT_TRUE(form.TREMBTN2->isChecked());

  EXPECT_EQ(countLines("start-up"), 1u);
  EXPECT_EQ(countLines("ignored"), 0u);
  EXPECT_EQ(cardErrors, 0);
  EXPECT_EQ(app->link.droppedMessages(), 0);

  ASSERT_EQ(sim->stop(), 0) << "the device did not write its bank";
  const PresetBank device = dumpedBank();
  const PresetBank before = startBank();
  // The device's current sound is what the editor showed as its preset 1; its stored presets
  // are untouched by edits.
  const PresetRecord sound = e2e::dumpedSound(dir);
  for (int i = 0; i < kParameterCount; ++i)
    EXPECT_EQ(sound.value(i), app->state.bank[0].value(i)) << kNames[static_cast<std::size_t>(i)];
  for (std::size_t n = 0; n < before.size(); ++n) EXPECT_EQ(device[n], before[n]) << "preset " << n + 1;
}

// The ports chosen with the setup window's lists and "OK?", starting from a combo.cfg that
// names ports this machine does not have; then both directions work on the chosen ports.
TEST_F(EditorOverJack, SetupWindowChoosesTheSimulatorAndRemembersIt) {
  constexpr std::uint32_t kNoSuchPort = 40;
  writeComboConfig(kNoSuchPort, kNoSuchPort);
  startEditor();
  EXPECT_EQ(cardErrors, 1) << "the start message had no port to go to";
  EXPECT_FALSE(app->ports->isInputOpen());
  TForm1& form = app->form();
  TMIDI_IO& setup = app->midiSetup();
  ASSERT_FALSE(setup.isVisible());

  test::chooseMenuCommand(form, form.MIDI1, form.MIDISETUP1);
  ASSERT_TRUE(QTest::qWaitFor([&] { return setup.isVisible(); }, 2000)) << "MIDI SETUP did not open the window";
  ASSERT_TRUE(QTest::qWaitForWindowExposed(&setup));
  const int outRow = rowNamed(setup.MIDI_OUT_SEL, kToDevice);
  const int inRow = rowNamed(setup.MIDI_IN_SEL, kFromDevice);
  ASSERT_GE(outRow, 0) << "the output list does not show the simulator";
  ASSERT_GE(inRow, 0) << "the input list does not show the simulator";
  EXPECT_EQ(static_cast<std::uint32_t>(outRow), *toDevice);
  EXPECT_EQ(static_cast<std::uint32_t>(inRow), *fromDevice);

  clickListRow(setup.MIDI_OUT_SEL, outRow);
  clickListRow(setup.MIDI_IN_SEL, inRow);
  EXPECT_EQ(setup.MIDI_OUT_SEL->palette().color(QPalette::Base), QColor(255, 0, 0));
  QTest::mouseClick(setup.MIDI_DONE, Qt::LeftButton);

  EXPECT_EQ(confirmations, 1);
  EXPECT_FALSE(setup.isVisible());
  EXPECT_EQ(app->link.outputNumber(), *toDevice);
  EXPECT_EQ(app->link.inputNumber(), *fromDevice);
  const std::vector<std::uint8_t> remembered{static_cast<std::uint8_t>(*toDevice), 0, 0, 0,
                                             static_cast<std::uint8_t>(*fromDevice), 0, 0, 0};
  EXPECT_EQ(comboConfigBytes(), remembered);
  EXPECT_TRUE(app->ports->isInputOpen());

  // Confirming sends nothing by itself; the next edit goes to the chosen port.
  press(form.ScrollGAIN, Qt::Key_End);
  ASSERT_TRUE(waitForDeviceLines(1));
  QTest::qWait(150);
  EXPECT_EQ(deviceLines(), std::vector<std::string>{"param AMP_GAIN ctx=00 code=02 value=30"});
  EXPECT_EQ(cardErrors, 1);

  // The chosen input hears the device: its answer to a bank request comes back through the
  // setup window and the poll tick, whole and in bank order.
  std::vector<RxSlot> received;
  app->link.setDecoder([&](const RxSlot& slot) { received.push_back(slot); });
  app->protocol.SendBankRequest();
  ASSERT_TRUE(QTest::qWaitFor([&] { return received.size() >= 30; }, 10000))
      << "only " << received.size() << " preset messages came back";
  QTest::qWait(150);
  ASSERT_EQ(received.size(), 30u);
  // The edit went to the device's current sound; the answer carries its stored presets.
  const PresetBank device = startBank();
  for (std::size_t n = 0; n < received.size(); ++n) {
    const PresetMessage expected = buildPresetMessage(n == 0 ? CMD_BANK_FIRST : CMD_BANK_NEXT, device[n]);
    EXPECT_EQ(received[n].length, expected.size()) << "message " << n;
    EXPECT_TRUE(received[n].endsWithF7) << "message " << n;
    for (std::size_t b = 0; b + 1 < expected.size(); ++b)
      ASSERT_EQ(received[n].data[b], expected[b]) << "message " << n << " byte " << b;
  }
  EXPECT_EQ(app->link.droppedMessages(), 0);
}

// ---- The link on today's desktops: ports that come and go, ports found by name. ----

// Waits until a lister sees both ports of the simulator called `name`; their numbers.
std::pair<std::uint32_t, std::uint32_t> waitForPorts(const std::string& name) {
  RtMidiPorts lister(MidiSystem::Jack, "kestralux-e2e-lister");
  std::optional<std::uint32_t> out, in;
  (void)QTest::qWaitFor([&] {
    out = deviceNamed(lister.outputPortNames(), name + " MIDI IN");
    in = deviceNamed(lister.inputPortNames(), name + " MIDI OUT");
    return out && in;
  }, 10000);
  EXPECT_TRUE(out && in) << name << "'s ports never appeared";
  return {out.value_or(0), in.value_or(0)};
}

// The combo switched off in the middle of a session with a second device listed after it, which
// then holds the combo's old numbers: every edit shows the card error once and the other device
// hears nothing, Get All fetches nothing; switched on again, the next edit reaches the combo
// only, and a fetch from it completes.
TEST_F(EditorOverJack, AVanishedComboIsNoticedAndFoundAgainBesideAnotherDevice) {
  auto other = e2e::startSimulator(dir, startBank(), {"--name", "KESTRALUX B"}, "b-");
  waitForPorts("KESTRALUX B");
  // PipeWire may list a device started later before the combo: its numbers as they are now.
  std::tie(toDevice, fromDevice) = waitForPorts("KESTRALUX");
  writeComboConfig(*toDevice, *fromDevice);
  startEditor();
  TForm1& form = app->form();
  ASSERT_TRUE(waitForDeviceLines(1));
  press(form.ScrollGAIN, Qt::Key_Right);
  ASSERT_TRUE(waitForDeviceLines(2));

  ASSERT_EQ(sim->stop(), 0);
  QTest::qWait(300);
  press(form.ScrollGAIN, Qt::Key_Right);
  QTest::qWait(300);
  EXPECT_EQ(cardErrors, 1) << "the edit went nowhere without a word, or said so more than once";
  QTest::qWait(1200);  // the look once a second finds the combo gone
  EXPECT_EQ(form.REQUES->caption(), "Get All Presets (NOT CONNECTED)");
  press(form.ScrollGAIN, Qt::Key_Right);
  clickPanel(form.REQUES);
  QTest::qWait(500);
  EXPECT_EQ(cardErrors, 3) << "one box for each action";
  EXPECT_EQ(countLines("param"), 1u) << "only the edit made before the combo went";
  EXPECT_FALSE(other->waitForLines("param", 1, 100ms)) << "the other device heard an edit meant for the combo";
  EXPECT_FALSE(other->waitForLines("bank request", 1, 100ms)) << "Get All asked the other device";
  EXPECT_TRUE(listHistory(historyFolder()).empty()) << "nothing was fetched";

  sim = e2e::startSimulator(dir, startBank());
  waitForPorts("KESTRALUX");
  press(form.ScrollGAIN, Qt::Key_Right);
  // Back, it may also be asked for its bank and hear the preset on screen: the edit is among them.
  EXPECT_TRUE(QTest::qWaitFor([&] { return deviceHeard("param AMP_GAIN ctx=00 code=02 value=4"); }, 10000))
      << "the combo back on never heard the next edit";
  EXPECT_EQ(cardErrors, 3);
  EXPECT_FALSE(other->waitForLines("param", 1, 300ms));

  // Its answers come back too: a fetch from the combo switched on again.
  clickPanel(form.REQUES);
  EXPECT_TRUE(QTest::qWaitFor([&] { return form.REQUES->caption() == "ALL PRESETS RECEIVED"; }, 10000))
      << "the fetch never ended; the caption reads " << form.REQUES->caption().toStdString();
  EXPECT_EQ(app->state.bank[5].value(AMP_GAIN), startBank()[5].value(AMP_GAIN));
  other->stop();
}

// The device switched off and on with no edit in between: the editor connects to it again by
// itself, so the next edit reaches it without a box and a fetch from it completes.
TEST_F(EditorOverJack, AComboThatComesBackIsHeardAgainWithoutAnEdit) {
  writeComboConfig(*toDevice, *fromDevice);
  startEditor();
  TForm1& form = app->form();
  ASSERT_TRUE(waitForDeviceLines(1));

  ASSERT_EQ(sim->stop(), 0);
  QTest::qWait(300);
  sim = e2e::startSimulator(dir, startBank());
  waitForPorts("KESTRALUX");
  QTest::qWait(300);  // a few poll ticks
  press(form.ScrollGAIN, Qt::Key_Right);
  // Back, it may also be asked for its bank and hear the preset on screen: the edit is among them.
  EXPECT_TRUE(QTest::qWaitFor([&] { return deviceHeard("param AMP_GAIN ctx=00 code=02 value=1"); }, 10000))
      << "the device back on never heard the next edit";
  EXPECT_EQ(cardErrors, 0);

  clickPanel(form.REQUES);
  EXPECT_TRUE(QTest::qWaitFor([&] { return form.REQUES->caption() == "ALL PRESETS RECEIVED"; }, 10000))
      << "the caption reads " << form.REQUES->caption().toStdString();
  EXPECT_EQ(app->state.bank[5].value(AMP_GAIN), startBank()[5].value(AMP_GAIN));
}

// Three edits undone with Ctrl+Z put the combo's live values back; COMPARE sends the fetched
// preset, again the edited one; a bank load undone sends the preset on screen as it was.
TEST_F(EditorOverJack, UndoAndCompareReachTheCombo) {
  writeComboConfig(*toDevice, *fromDevice);
  startEditor();
  TForm1& form = app->form();
  form.activateWindow();
  ASSERT_TRUE(QTest::qWaitForWindowActive(&form));
  clickPanel(form.REQUES);
  ASSERT_TRUE(QTest::qWaitFor([&] { return form.REQUES->caption() == "ALL PRESETS RECEIVED"; }, 10000));
  QTest::qWait(700);  // preset 1 shown and its changes sent
  const auto lastValueOf = [&](const std::string& parameter) {
    std::string last;
    for (const std::string& l : deviceLines())
      if (l.rfind("param " + parameter + " ", 0) == 0) last = l.substr(l.rfind('=') + 1);
    return last;
  };
  const auto heardAfter = [&](std::size_t more) -> std::function<bool()> {
    const std::size_t count = deviceLines().size() + more;
    return [this, count] { return waitForDeviceLines(count); };
  };
  const std::string gain = lastValueOf("AMP_GAIN"), bass = lastValueOf("AMP_BASS"), amp = "0";
  ASSERT_EQ(gain, "8");

  std::function<bool()> heard = heardAfter(4);
  press(form.ScrollGAIN, Qt::Key_Right);
  press(form.ScrollBASS, Qt::Key_Right);
  clickPanel(form.HIGAIN);
  ASSERT_TRUE(heard());
  EXPECT_EQ(lastValueOf("AMP_TYPE"), "5");
  heard = heardAfter(4);
  for (int i = 0; i < 3; ++i) QTest::keyClick(&form, Qt::Key_Z, Qt::ControlModifier);
  ASSERT_TRUE(heard());
  EXPECT_EQ(lastValueOf("AMP_GAIN"), gain);
  EXPECT_EQ(lastValueOf("AMP_BASS"), bass);
  EXPECT_EQ(lastValueOf("AMP_TYPE"), amp);

  press(form.ScrollGAIN, Qt::Key_Right);
  heard = heardAfter(16);
  QTest::keyClick(&form, Qt::Key_D, Qt::ControlModifier);
  ASSERT_TRUE(heard()) << "compare sends the fetched preset whole";
  EXPECT_EQ(lastValueOf("AMP_GAIN"), gain);
  heard = heardAfter(16);
  QTest::keyClick(&form, Qt::Key_D, Qt::ControlModifier);
  ASSERT_TRUE(heard());
  EXPECT_EQ(lastValueOf("AMP_GAIN"), "9");

  PresetBank other = startBank();
  other[0].setValue(AMP_GAIN, 20);
  std::ofstream(dir / "other.bnk", std::ios::binary).write(reinterpret_cast<const char*>(other.data()), sizeof other);
  heard = heardAfter(16);
  test::answerFileDialog(QString::fromStdString((dir / "other.bnk").string()));
  QTest::mouseClick(form.Load_all, Qt::LeftButton);
  ASSERT_TRUE(heard());
  EXPECT_EQ(lastValueOf("AMP_GAIN"), "20");
  form.activateWindow();  // back from the file dialog
  ASSERT_TRUE(QTest::qWaitForWindowActive(&form));
  heard = heardAfter(16);
  QTest::keyClick(&form, Qt::Key_Z, Qt::ControlModifier);
  ASSERT_TRUE(heard()) << "the load undone sends the preset on screen whole";
  EXPECT_EQ(lastValueOf("AMP_GAIN"), "9");
  EXPECT_EQ(cardErrors, 0);
}

// The editor started with the remembered combo switched off and preset 1 edited meanwhile; the
// combo switched on later is connected by itself within a second and asked for its bank, which
// fills every preset but the edited one (nobody clicked for it), and the next edit reaches it.
// The edit, nowhere else, goes to the history at the end of the run.
TEST_F(EditorOverJack, AComboSwitchedOnLaterIsConnectedAndAskedForItsBank) {
  writeComboConfig(*toDevice, *fromDevice);
  std::ofstream(dir / "combo.ports") << "output=KESTRALUX MIDI IN:in\ninput=KESTRALUX MIDI OUT:out\n";
  ASSERT_EQ(sim->stop(), 0);
  QTest::qWait(300);
  startEditor();
  TForm1& form = app->form();
  EXPECT_EQ(cardErrors, 1) << "the start-up message found no combo";
  // The fetch panel says so while no transfer runs; nothing moves.
  ASSERT_TRUE(QTest::qWaitFor([&] { return form.REQUES->caption() == "Get All Presets (NOT CONNECTED)"; }, 2500));
  press(form.ScrollGAIN, Qt::Key_End);
  ASSERT_EQ(form.PRENUM->text(), "PRESET   1*");
  const PresetRecord edited = app->state.bank[0];
  const int cardErrorsBefore = cardErrors;

  sim = e2e::startSimulator(dir, startBank());
  waitForPorts("KESTRALUX");
  const auto on = std::chrono::steady_clock::now();
  ASSERT_TRUE(waitForDeviceLines(1, 3000)) << "no request came without a click";
  EXPECT_LT(std::chrono::steady_clock::now() - on, 1500ms);
  EXPECT_EQ(deviceLines()[0], "bank request: answering with 30 presets");
  ASSERT_TRUE(QTest::qWaitFor([&] { return form.REQUES->caption() == "ALL PRESETS RECEIVED"; }, 5000));
  EXPECT_TRUE(QTest::qWaitFor([&] { return form.REQUES->caption() == "1 EDITED PRESET KEPT"; }, 3000))
      << form.REQUES->caption().toStdString();
  for (int i = 0; i < kParameterCount; ++i)
    EXPECT_EQ(app->state.bank[0].value(i), edited.value(i)) << "a bank nobody clicked for replaced the edit";
  EXPECT_EQ(app->state.bank[5].value(AMP_GAIN), startBank()[5].value(AMP_GAIN));
  QTest::qWait(700);
  const std::size_t heard = deviceLines().size();
  press(form.ScrollBASS, Qt::Key_Right);
  ASSERT_TRUE(waitForDeviceLines(heard + 1));
  EXPECT_EQ(deviceLines().back().rfind("param AMP_BASS ", 0), 0u) << deviceLines().back();
  EXPECT_EQ(cardErrors, cardErrorsBefore);
  EXPECT_TRUE(QTest::qWaitFor([&] { return form.REQUES->caption() == "Get All Presets from Kestralux"; }, 5000));
  ASSERT_EQ(sim->stop(), 0);
  EXPECT_TRUE(QTest::qWaitFor([&] { return form.REQUES->caption() == "Get All Presets (NOT CONNECTED)"; }, 2500))
      << "a combo switched off is shown as such";
  app->keepSessionBank();
  const std::vector<HistoryEntry> history = listHistory(historyFolder());
  ASSERT_EQ(history.size(), 2u);
  EXPECT_EQ(history[0].kind, "session");
  EXPECT_EQ(history[1].kind, "fetched");
}

// Closed within half a second of Yes to Store All: the window waits until the last of the 30
// messages has gone and the bank has been read back, then closes; the store is kept in the
// history as any other.
TEST_F(EditorOverJack, ClosingDuringAStoreWaitsForItsLastMessage) {
  writeComboConfig(*toDevice, *fromDevice);
  startEditor();
  TForm1& form = app->form();
  ASSERT_TRUE(waitForDeviceLines(1));
  press(form.ScrollGAIN, Qt::Key_End);
  test::answerBox(QMessageBox::Yes);
  QTimer::singleShot(0, &form, [&] { clickPanel(form.STOR); });
  QTimer::singleShot(400, &form, [&] { form.close(); });
  app->run();
  EXPECT_FALSE(form.isVisible());
  EXPECT_EQ(countLines("store-all"), 30u) << "the close cut the store short";
  EXPECT_EQ(countLines("bank request"), 2u) << "the close cut the check short";
  const std::vector<HistoryEntry> history = listHistory(historyFolder());
  ASSERT_FALSE(history.empty());
  EXPECT_EQ(history[0].kind, "read back after the store");
}

// A device started after the editor shows up when the setup window opens again; the editor's
// own ports never do.
TEST_F(EditorOverJack, ADeviceStartedLaterIsListedWhenTheSetupWindowOpens) {
  writeComboConfig(*toDevice, *fromDevice);
  startEditor();
  auto late = e2e::startSimulator(dir, PresetBank{}, {"--name", "KESTRALUX LATE"}, "late-");
  waitForPorts("KESTRALUX LATE");
  TForm1& form = app->form();
  TMIDI_IO& setup = app->midiSetup();
  test::chooseMenuCommand(form, form.MIDI1, form.MIDISETUP1);
  ASSERT_TRUE(QTest::qWaitFor([&] { return setup.isVisible(); }, 2000));
  EXPECT_GE(rowNamed(setup.MIDI_OUT_SEL, "KESTRALUX LATE MIDI IN"), 0);
  EXPECT_GE(rowNamed(setup.MIDI_IN_SEL, "KESTRALUX LATE MIDI OUT"), 0);
  EXPECT_LT(rowNamed(setup.MIDI_OUT_SEL, kEditorClientName), 0);
  EXPECT_LT(rowNamed(setup.MIDI_IN_SEL, kEditorClientName), 0);
}

// The chosen device is found by its name at the next start, though the numbers have changed.
TEST_F(EditorOverJack, TheChosenDeviceIsFoundByNameWhenTheNumbersChange) {
  auto second = e2e::startSimulator(dir, PresetBank{}, {"--name", "KESTRALUX B"}, "b-");
  waitForPorts("KESTRALUX B");
  // PipeWire may list a device started later before the combo: its numbers as they are now.
  std::tie(toDevice, fromDevice) = waitForPorts("KESTRALUX");
  writeComboConfig(*toDevice, *fromDevice);
  startEditor();
  TForm1& form = app->form();
  TMIDI_IO& setup = app->midiSetup();
  test::chooseMenuCommand(form, form.MIDI1, form.MIDISETUP1);
  ASSERT_TRUE(QTest::qWaitFor([&] { return setup.isVisible(); }, 2000));
  clickListRow(setup.MIDI_OUT_SEL, rowNamed(setup.MIDI_OUT_SEL, "KESTRALUX B MIDI IN"));
  clickListRow(setup.MIDI_IN_SEL, rowNamed(setup.MIDI_IN_SEL, "KESTRALUX B MIDI OUT"));
  QTest::mouseClick(setup.MIDI_DONE, Qt::LeftButton);
  const std::vector<std::uint8_t> chosen = comboConfigBytes();
  app->form().close();
  app.reset();

  // The next run: the two devices started the other way round.
  sim->stop();
  second->stop();
  second = e2e::startSimulator(dir, PresetBank{}, {"--name", "KESTRALUX B"}, "b-");
  waitForPorts("KESTRALUX B");
  sim = e2e::startSimulator(dir, startBank());
  waitForPorts("KESTRALUX");
  const auto [bOut, bIn] = waitForPorts("KESTRALUX B");
  // jackd lists ports in the order they came; PipeWire reuses freed places and may keep them.
  if (bOut == chosen[0]) GTEST_SKIP() << "the numbers did not change; nothing to follow";

  startEditor();
  EXPECT_EQ(comboConfigBytes(), chosen) << "combo.cfg is read, not rewritten";
  EXPECT_EQ(app->link.outputNumber(), bOut);
  EXPECT_EQ(app->link.inputNumber(), bIn);
  press(app->form().ScrollGAIN, Qt::Key_End);
  ASSERT_TRUE(second->waitForLines("param AMP_GAIN", 1)) << "the chosen device did not hear the edit";
  QTest::qWait(200);
  EXPECT_EQ(countLines("param"), 0u) << "the other device heard it";
}

// ---- Device transfers: the bank fetched from the device and stored back. ----

// A bank every control can show as it stands: values in range and distinct from preset to
// preset, DELAY_TIME and EFF_RATE above 127, every effect (ROTARY with its rate of 0 or 1).
PresetBank transferBank() {
  constexpr std::array<int, 10> effects{0, 2, 6, 8, 10, 11, 12, 13, 14, 15};
  PresetBank bank{};
  for (int n = 0; n < kPresetCount; ++n) {
    PresetRecord& r = bank[static_cast<std::size_t>(n)];
    r.storeName("DEVICE " + std::to_string(n + 1));
    for (int i = 0; i < kParameterCount; ++i) r.setValue(i, (n * 3 + i * 2 + 1) % 31);
    const int effect = effects[static_cast<std::size_t>(n % 10)];
    r.setValue(AMP_TYPE, n % 16);
    r.setValue(DELAY_TIME, 120 + n * 4);
    r.setValue(EFFECT_SELECT, effect);
    r.setValue(EFF_RATE, effect == 12 ? n % 2 : 128 + n * 4);
  }
  return bank;
}

bool sameValues(const PresetRecord& a, const PresetRecord& b) {
  for (int i = 0; i < kParameterCount; ++i)
    if (a.value(i) != b.value(i)) return false;
  return true;
}

class TransfersOverJack : public EditorOverJack {
 protected:
  TransfersOverJack() { deviceStart = transferBank(); }
};

// The device's bank fetched with a click, shown from preset 1; then stored with a click into
// a second device whose bank was empty. Real timers, real ports, the real confirmation box.
TEST_F(TransfersOverJack, FetchedBankStoredIntoAnEmptyDevice) {
  auto empty = e2e::startSimulator(dir, PresetBank{}, {"--name", "KESTRALUX B"}, "b-");
  RtMidiPorts lister(MidiSystem::Jack, "kestralux-e2e-lister");
  ASSERT_TRUE(QTest::qWaitFor([&] {
    return deviceNamed(lister.outputPortNames(), "KESTRALUX B MIDI IN") &&
           deviceNamed(lister.inputPortNames(), "KESTRALUX B MIDI OUT");
  }, 10000)) << "the second device's ports never appeared";
  // PipeWire may list a device started later before the combo: its numbers as they are now.
  std::tie(toDevice, fromDevice) = waitForPorts("KESTRALUX");
  writeComboConfig(*toDevice, *fromDevice);
  startEditor();
  TForm1& form = app->form();
  ASSERT_TRUE(waitForDeviceLines(1));
  const std::size_t heardBefore = deviceLines().size();

  clickPanel(form.REQUES);
  EXPECT_EQ(form.REQUES->colour(), QColor(0, 255, 0));
  ASSERT_TRUE(QTest::qWaitFor([&] { return form.PRENUM->text() == "PRESET   1"; }, 10000))
      << "preset 1 was never shown; the caption reads " << form.REQUES->caption().toStdString();
  EXPECT_EQ(form.REQUES->caption(), "ALL PRESETS RECEIVED");
  EXPECT_EQ(app->state.CurrentPreset, 0);
  const PresetBank device = transferBank();
  for (std::size_t n = 0; n < device.size(); ++n)
    EXPECT_TRUE(sameValues(app->state.bank[n], device[n])) << "preset " << n + 1;
  EXPECT_EQ(app->state.bank[1].validName(), std::nullopt) << "a fetch carries no names";
  EXPECT_EQ(form.DTIMEEDIT->text(), "         480 ms");
  EXPECT_TRUE(form.CRSBTN->isChecked());
  EXPECT_EQ(deviceLines()[heardBefore], "bank request: answering with 30 presets");
  EXPECT_EQ(app->link.droppedMessages(), 0);
  ASSERT_TRUE(QTest::qWaitFor([&] { return form.REQUES->caption() == "Get All Presets from Kestralux"; }, 5000));
  EXPECT_EQ(form.REQUES->colour(), QColor(0, 128, 128));

  // The fetch put its 30 presets into the preset library, each a sighting at its slot, found
  // by amp model as `kestralux-tool library search --amp` finds them.
  {
    PresetLibrary library;
    ASSERT_NE(library.open(libraryFile(), historyFolder()).state, LibraryOpening::State::Unavailable);
    int sightings = 0;
    for (std::size_t n = 0; n < device.size(); ++n) {
      LibraryQuery query;
      query.ampModel = std::string(kAmpModels[static_cast<std::size_t>(device[n].value(AMP_TYPE))].caption);
      const SearchResult found = library.search(query);
      ASSERT_TRUE(found.error.empty()) << found.error;
      EXPECT_TRUE(std::any_of(found.rows.begin(), found.rows.end(), [&](const SoundRow& row) { return sameValues(row.record, device[n]); }))
          << "preset " << n + 1;
    }
    for (const SoundRow& row : library.search({}).rows) sightings += static_cast<int>(library.sound(row.id).sightings.size());
    EXPECT_EQ(sightings, kPresetCount);
  }

  // The second device, chosen in the setup window.
  TMIDI_IO& setup = app->midiSetup();
  test::chooseMenuCommand(form, form.MIDI1, form.MIDISETUP1);
  ASSERT_TRUE(QTest::qWaitFor([&] { return setup.isVisible(); }, 2000));
  const int outRow = rowNamed(setup.MIDI_OUT_SEL, "KESTRALUX B MIDI IN");
  const int inRow = rowNamed(setup.MIDI_IN_SEL, "KESTRALUX B MIDI OUT");
  ASSERT_GE(outRow, 0);
  ASSERT_GE(inRow, 0);
  clickListRow(setup.MIDI_OUT_SEL, outRow);
  clickListRow(setup.MIDI_IN_SEL, inRow);
  QTest::mouseClick(setup.MIDI_DONE, Qt::LeftButton);

  test::answerBox(QMessageBox::Yes);
  clickPanel(form.STOR);
  EXPECT_EQ(form.STOR->colour(), QColor(255, 0, 0));
  ASSERT_TRUE(QTest::qWaitFor([&] { return form.STOR->caption() == "STORED AND CHECKED: 30 OF 30"; }, 20000))
      << "the store did not end; the caption reads " << form.STOR->caption().toStdString();
  ASSERT_TRUE(empty->waitForLines("store-all", 30));
  QTest::qWait(150);
  std::vector<std::string> stored;
  for (const auto& l : empty->outputLines())
    if (l.rfind("kestralux-sim:", 0) != 0) stored.push_back(l);
  ASSERT_EQ(stored.size(), 32u) << "the bank read, stored, and read back";
  EXPECT_EQ(stored[1], "store-all first 0x2A -> preset 1");
  EXPECT_EQ(stored[30], "store-all next 0x2B -> preset 30");
  ASSERT_EQ(empty->stop(), 0);
  const PresetBank second = dumpedBank("b-");
  for (std::size_t n = 0; n < second.size(); ++n)
    EXPECT_TRUE(sameValues(second[n], app->state.bank[n])) << "preset " << n + 1;
  EXPECT_EQ(cardErrors, 0);

  // The history holds the bank that came, the second device's bank before the store, the bank
  // that went and the bank read back.
  const std::vector<HistoryEntry> history = listHistory(historyFolder());
  ASSERT_EQ(history.size(), 4u);
  EXPECT_EQ(history[3].kind, "fetched");
  EXPECT_EQ(history[2].kind, "on the combo before the store");
  EXPECT_EQ(history[1].kind, "stored");
  EXPECT_EQ(history[0].kind, "read back after the store");
  for (const HistoryEntry& entry : history) {
    if (entry.kind == "on the combo before the store") continue;
    const std::optional<PresetBank> kept = parseBankFile(readFileStart(entry.path, 3000).value_or(Bytes{}));
    ASSERT_TRUE(kept) << entry.path;
    for (std::size_t n = 0; n < device.size(); ++n) EXPECT_TRUE(sameValues((*kept)[n], device[n])) << entry.kind << " " << n + 1;
  }
  EXPECT_EQ(parseBankFile(readFileStart(history[1].path, 3000).value_or(Bytes{})), app->state.bank) << "what was stored, names too";
}

// A name given in the editor outlives the combo, which keeps none: stored, fetched again, the
// editor started again, it is still there; kestralux-tool's fetch writes it into its .bnk,
// and that fetch, answered beside the running editor, changes nothing in it.
TEST_F(TransfersOverJack, ANameOutlivesStoreFetchRestartAndTheToolsFetch) {
  writeComboConfig(*toDevice, *fromDevice);
  startEditor();
  TForm1* form = &app->form();
  const auto fetched = [&] {
    return QTest::qWaitFor([&] { return form->REQUES->caption() == "ALL PRESETS RECEIVED"; }, 10000) &&
           QTest::qWaitFor([&] { return form->PRENUM->text() == "PRESET   1"; }, 3000);
  };
  clickPanel(form->REQUES);
  ASSERT_TRUE(fetched()) << "the caption reads " << form->REQUES->caption().toStdString();
  form->PRENAME->setFocus();
  QTest::keyClick(form->PRENAME, Qt::Key_A, Qt::ControlModifier);
  QTest::keyClicks(form->PRENAME, "CLEAN CHIME");
  QTest::keyClick(form->PRENAME, Qt::Key_Return);
  ASSERT_EQ(app->state.bank[0].validName(), "CLEAN CHIME");
  // The combo sends no names: slot 3 has none, and showing it after a named one writes none.
  app->actions.showSlot(2);
  QTest::qWait(200);
  EXPECT_EQ(form->PRENAME->text(), "");
  EXPECT_EQ(form->PRENAME->placeholderText(), "NO PRESET HERE");
  EXPECT_EQ(form->PRENUM->text(), "PRESET   3") << "showing the placeholder is no edit";
  // Slot 2 the same sound as slot 1 under a name of its own.
  app->actions.arrange(0, 1, 1, Arrangement::Copy);
  ASSERT_TRUE(app->actions.renameSlot(1, "CLEAN B COPY"));

  test::answerBox(QMessageBox::Yes);
  clickPanel(form->STOR);
  ASSERT_TRUE(QTest::qWaitFor([&] { return form->STOR->caption() == "STORED AND CHECKED: 30 OF 30"; }, 20000));
  std::optional<PresetBank> stored;
  for (const HistoryEntry& e : listHistory(historyFolder()))
    if (!stored && e.kind == "stored") stored = parseBankFile(readFileStart(e.path, 3000).value_or(Bytes{}));
  ASSERT_TRUE(stored);
  for (const PresetRecord& r : *stored) EXPECT_NE(r.validName(), "NO PRESET HERE") << "the placeholder is never stored";
  clickPanel(form->REQUES);
  ASSERT_TRUE(fetched());
  EXPECT_EQ(form->PRENAME->text(), "CLEAN CHIME");
  EXPECT_EQ(app->state.bank[1].validName(), "CLEAN B COPY");
  EXPECT_EQ(form->PRENUM->text(), "PRESET   1") << "a name from the library is no edit";

  app->form().close();
  app.reset();
  startEditor(false, true);
  form = &app->form();
  ASSERT_TRUE(fetched()) << "the caption reads " << form->REQUES->caption().toStdString();
  EXPECT_EQ(form->PRENAME->text(), "CLEAN CHIME") << "after a restart";
  EXPECT_EQ(app->state.bank[0].validName(), "CLEAN CHIME");
  EXPECT_EQ(app->state.bank[1].validName(), "CLEAN B COPY") << "twin slots keep their own names after a restart";

  // An edit the combo does not hold yet, then another program's fetch.
  QTest::keyClick(form->ScrollGAIN, Qt::Key_End);
  QTest::qWait(300);
  const PresetBank before = app->state.bank;
  const std::size_t entries = listHistory(historyFolder()).size();
  QProcess tool;
  tool.setWorkingDirectory(QString::fromStdString(dir.string()));
  tool.start(QStringLiteral(KESTRALUX_TOOL_PROGRAM),
             {"fetch", "-o", "x.bnk", "--in", QString::fromLatin1(kFromDevice), "--out", QString::fromLatin1(kToDevice)});
  ASSERT_TRUE(QTest::qWaitFor([&] { return tool.state() == QProcess::NotRunning; }, 15000));
  EXPECT_EQ(tool.exitCode(), 0) << tool.readAllStandardError().toStdString();
  QTest::qWait(2500);  // the answer reached the editor too, and its silence is over
  EXPECT_EQ(app->state.bank, before) << "another program's fetch changed the editor's bank";
  EXPECT_EQ(listHistory(historyFolder()).size(), entries + 1) << "one fetch, one entry: the tool's";
  const std::optional<PresetBank> written = parseBankFile(readFileStart(dir / "x.bnk", 3000).value_or(Bytes{}));
  ASSERT_TRUE(written);
  EXPECT_EQ((*written)[0].validName(), "CLEAN CHIME");
  EXPECT_EQ((*written)[1].validName(), "CLEAN B COPY") << "and in the tool";

  // The library replaced by 100,000 random bytes under the running editor: its next fetch says so.
  std::string noise(100'000, '\0');
  for (std::size_t i = 0; i < noise.size(); ++i) noise[i] = static_cast<char>((i * 7919u + 13u) % 251u);
  std::ofstream(libraryFile().string() + ".new", std::ios::binary) << noise;
  fs::rename(libraryFile().string() + ".new", libraryFile());
  clickPanel(form->REQUES);
  const auto lastSaid = [&] {
    const auto& said = form->messageLine->log().entries();
    return said.empty() ? std::string() : said.back().text;
  };
  EXPECT_TRUE(QTest::qWaitFor([&] { return lastSaid() == "LIBRARY OPENED AGAIN"; }, 10000)) << "the window said " << lastSaid();
}

// The bank arranged: fetched from the combo, slot 5 moved to 1 and slots 2 and 3 swapped, then
// Store All: the combo holds them in the new order. The move undone and stored again: back to
// the order it was fetched in but for the swap.
TEST_F(TransfersOverJack, AnArrangedBankIsStoredInItsNewOrder) {
  writeComboConfig(*toDevice, *fromDevice);
  startEditor();
  TForm1& form = app->form();
  ASSERT_TRUE(waitForDeviceLines(1));
  clickPanel(form.REQUES);
  ASSERT_TRUE(QTest::qWaitFor([&] { return form.PRENUM->text() == "PRESET   1"; }, 10000));
  const PresetBank fetched = app->state.bank;

  const QString storeCaption = form.STOR->caption();
  const auto storeAll = [&](std::size_t storedBefore) {
    ASSERT_TRUE(QTest::qWaitFor([&] { return form.STOR->caption() == storeCaption; }, 5000));
    test::answerBox(QMessageBox::Yes);
    clickPanel(form.STOR);
    ASSERT_TRUE(QTest::qWaitFor([&] { return countLines("store-all") >= storedBefore + 30; }, 20000))
        << countLines("store-all");
    ASSERT_TRUE(QTest::qWaitFor([&] { return form.STOR->caption() == "STORED AND CHECKED: 30 OF 30"; }, 20000));
  };
  ASSERT_EQ(app->session.moveSlots(4, 1, 0).kind, BankChange::Kind::Presets);
  ASSERT_EQ(app->session.swapSlots(1, 2, 1).kind, BankChange::Kind::Presets);
  storeAll(0);
  app->session.undo();  // the swap
  app->session.undo();  // the move
  ASSERT_EQ(app->state.bank, fetched);
  app->session.redo();  // the move again
  storeAll(30);
  ASSERT_EQ(sim->stop(), 0);
  const PresetBank combo = dumpedBank();
  const int order[] = {4, 0, 1, 2, 3};  // slot 5 first, the others shifted by one
  for (int n = 0; n < 5; ++n) EXPECT_TRUE(sameValues(combo[n], fetched[order[n]])) << "slot " << n + 1;
  for (int n = 5; n < kPresetCount; ++n) EXPECT_TRUE(sameValues(combo[n], fetched[n])) << "slot " << n + 1;
}

// The climb over the wire: key 1 lets the combo play candidate 1 whole, KEEP puts it into the
// slot on screen, Ctrl+Z brings the fetched preset back and Ctrl+Shift+Z the candidate again,
// and Store All leaves it in the combo's slot 1.
TEST_F(TransfersOverJack, ACandidateHeardKeptUndoneAndStored) {
  writeComboConfig(*toDevice, *fromDevice);
  startEditor();
  TForm1& form = app->form();
  ASSERT_TRUE(waitForDeviceLines(1));
  clickPanel(form.REQUES);
  ASSERT_TRUE(QTest::qWaitFor([&] { return form.PRENUM->text() == "PRESET   1"; }, 10000));
  QTest::qWait(700);  // preset 1 shown and sent
  const PresetRecord fetched = app->state.bank[0];
  const auto heardWhole = [&](const PresetRecord& record) {
    const std::vector<std::string> lines = deviceLines();
    if (lines.size() < kParameterCount) return false;
    for (int i = 0; i < kParameterCount; ++i) {
      const std::string& line = lines[lines.size() - kParameterCount + static_cast<std::size_t>(i)];
      if (line.rfind(std::string("param ") + parameterName(i) + " ", 0) != 0 ||
          line.substr(line.rfind('=') + 1) != std::to_string(record.value(i)))
        return false;
    }
    return true;
  };

  form.activateWindow();
  ASSERT_TRUE(QTest::qWaitForWindowActive(&form));
  QTest::keyClick(&form, Qt::Key_E, Qt::ControlModifier);
  ExploreWindow& explore = app->exploreWindow();
  ASSERT_TRUE(QTest::qWaitFor([&] { return explore.isVisible(); }, 2000));
  explore.amount->setValue(50);
  QTest::mouseClick(explore.climbButton, Qt::LeftButton);
  QTest::keyClick(explore.focusWidget(), Qt::Key_1);
  const PresetRecord candidate = explore.session.candidates()[0];
  ASSERT_FALSE(sameValues(candidate, fetched));
  ASSERT_TRUE(QTest::qWaitFor([&] { return heardWhole(candidate); }, 5000)) << "the combo never played candidate 1 whole";
  EXPECT_EQ(app->state.bank[0], fetched) << "hearing is no edit";

  QTest::mouseClick(explore.keepButton, Qt::LeftButton);
  EXPECT_TRUE(sameValues(app->state.bank[0], candidate));
  EXPECT_EQ(app->state.bank[0].validName(), fetched.validName());
  QTest::keyClick(&explore, Qt::Key_Z, Qt::ControlModifier);
  EXPECT_EQ(app->state.bank[0], fetched);
  ASSERT_TRUE(QTest::qWaitFor([&] { return heardWhole(fetched); }, 5000)) << "the undo is heard";
  QTest::keyClick(&explore, Qt::Key_Z, Qt::ControlModifier | Qt::ShiftModifier);
  EXPECT_TRUE(sameValues(app->state.bank[0], candidate));

  test::answerBox(QMessageBox::Yes);
  clickPanel(form.STOR);
  ASSERT_TRUE(QTest::qWaitFor([&] { return countLines("store-all") >= 30; }, 20000)) << countLines("store-all");
  ASSERT_TRUE(QTest::qWaitFor([&] { return form.STOR->caption() == "STORED AND CHECKED: 30 OF 30"; }, 20000));
  ASSERT_EQ(sim->stop(), 0);
  EXPECT_TRUE(sameValues(dumpedBank()[0], candidate));
  EXPECT_EQ(cardErrors, 0);
}

// A combo that loses the 7th message of the next Store All: the read-back differs from slot 7
// on, the bank goes out once more and is checked; then the bank the combo held before is put
// back from the history, and the bank on screen stays as it is.
class LosingComboOverJack : public EditorOverJack {
 protected:
  LosingComboOverJack() {
    deviceStart = transferBank();
    deviceOptions = {"--lose-store", "7"};
  }
};

TEST_F(LosingComboOverJack, CheckedOnTheSecondPassThenTheOldBankPutBack) {
  writeComboConfig(*toDevice, *fromDevice);
  startEditor();
  TForm1& form = app->form();
  ASSERT_TRUE(waitForDeviceLines(1));
  const QString storeCaption = form.STOR->caption();
  const PresetBank atYes = app->state.bank;
  test::answerBox(QMessageBox::Yes);
  clickPanel(form.STOR);
  ASSERT_TRUE(QTest::qWaitFor([&] { return form.STOR->caption() == "STORED AND CHECKED: 30 OF 30"; }, 30000))
      << form.STOR->caption().toStdString();
  EXPECT_TRUE(deviceHeard("store-all message 7 lost on purpose"));
  EXPECT_EQ(countLines("bank request"), 3u) << "read before, read back, read back again";
  const std::vector<HistoryEntry> kept = listHistory(historyFolder());
  ASSERT_GE(kept.size(), 2u);
  EXPECT_EQ(kept[0].kind, "read back after the store");
  const std::optional<PresetBank> back = parseBankFile(readFileStart(kept[0].path, 3000).value_or(Bytes{}));
  ASSERT_TRUE(back);
  for (int n = 0; n < kPresetCount; ++n) EXPECT_TRUE(sameValues((*back)[n], atYes[n])) << "the combo holds what was sent, slot " << n + 1;

  HistoryWindow& history = app->historyWindow();
  history.showHistory();
  QTreeWidgetItem* before = nullptr;
  for (int row = 0; row < history.entries->topLevelItemCount(); ++row)
    if (history.entries->topLevelItem(row)->text(1) == "on the combo before the store") before = history.entries->topLevelItem(row);
  ASSERT_TRUE(before);
  history.entries->setCurrentItem(before);
  ASSERT_TRUE(history.putBack->isEnabled());
  ASSERT_TRUE(QTest::qWaitFor([&] { return form.STOR->caption() == storeCaption; }, 5000));
  QString caption, text;
  test::answerBox(QMessageBox::Yes, &caption, &text);
  QTest::mouseClick(history.putBack, Qt::LeftButton);
  EXPECT_EQ(caption, " PUT BACK ON THE COMBO? ");
  EXPECT_TRUE(text.contains(before->text(0))) << "the confirmation names the entry's time: " << text.toStdString();
  ASSERT_TRUE(QTest::qWaitFor([&] { return history.status->text() == "STORED AND CHECKED: 30 OF 30"; }, 30000))
      << history.status->text().toStdString();
  EXPECT_EQ(app->state.bank, atYes) << "the bank on screen does not change";
  ASSERT_EQ(sim->stop(), 0);
  const PresetBank combo = dumpedBank();
  for (int n = 0; n < kPresetCount; ++n) EXPECT_TRUE(sameValues(combo[n], transferBank()[n])) << "slot " << n + 1;
  EXPECT_EQ(cardErrors, 0);
}

// A combo whose slot 12 keeps its gain one step off: after the second pass the window names
// the slot and the control.
class StuckComboOverJack : public EditorOverJack {
 protected:
  StuckComboOverJack() {
    deviceStart = transferBank();
    deviceOptions = {"--stuck-slot", "12:GAIN"};
  }
};

TEST_F(StuckComboOverJack, TheWindowSaysWhichSlotDidNotTake) {
  writeComboConfig(*toDevice, *fromDevice);
  startEditor();
  TForm1& form = app->form();
  ASSERT_TRUE(waitForDeviceLines(1));
  test::answerBox(QMessageBox::Yes);
  clickPanel(form.STOR);
  ASSERT_TRUE(QTest::qWaitFor([&] { return form.STOR->caption().startsWith("SLOT 12 DID NOT TAKE: GAIN "); }, 30000))
      << form.STOR->caption().toStdString();
  EXPECT_TRUE(form.STOR->toolTip().startsWith("SLOT 12 DID NOT TAKE: GAIN ")) << form.STOR->toolTip().toStdString();
  EXPECT_EQ(countLines("store-all first"), 2u) << "the bank goes out once more, and only once";
}

// A first start with no combo.cfg, a device that never answers listed before the virtual
// combo: the editor finds the combo by itself, remembers it, and shows its preset 1.
class FirstStartOverJack : public EditorOverJack {
 protected:
  void SetUp() override {
    foreignDir = fs::temp_directory_path() / ("kestralux-foreign-" + std::to_string(getpid()));
    fs::create_directories(foreignDir);
    foreign = e2e::startSimulator(foreignDir, PresetBank{}, {"--name", "A FOREIGN DEVICE", "--silent"});
    ASSERT_TRUE(foreign->started());
    waitForPorts("A FOREIGN DEVICE");
    deviceStart = transferBank();
    EditorOverJack::SetUp();
  }
  void TearDown() override {
    EditorOverJack::TearDown();
    foreign->stop();
    fs::remove_all(foreignDir);
  }
  fs::path foreignDir;
  std::unique_ptr<e2e::SimProcess> foreign;
};

TEST_F(FirstStartOverJack, TheEditorFindsTheComboRemembersItAndShowsItsPresetOne) {
  ASSERT_FALSE(fs::exists(dir / "combo.cfg"));
  startEditor(true);
  TForm1& form = app->form();
  ASSERT_TRUE(QTest::qWaitFor([&] { return form.REQUES->caption() == "ALL PRESETS RECEIVED"; }, 15000))
      << "the caption reads " << form.REQUES->caption().toStdString();
  ASSERT_TRUE(QTest::qWaitFor([&] { return app->state.BankRefreshPending == false && form.PRENUM->text() == "PRESET   1"; }, 3000));
  const PresetBank device = transferBank();
  for (std::size_t n = 0; n < device.size(); ++n) EXPECT_TRUE(sameValues(app->state.bank[n], device[n])) << "preset " << n + 1;
  EXPECT_EQ(comboConfigBytes(), (std::vector<std::uint8_t>{static_cast<std::uint8_t>(*toDevice), 0, 0, 0,
                                                             static_cast<std::uint8_t>(*fromDevice), 0, 0, 0}));
  std::ifstream names(dir / "combo.ports");
  const std::string text{std::istreambuf_iterator<char>(names), std::istreambuf_iterator<char>()};
  EXPECT_NE(text.find("output=KESTRALUX MIDI IN"), std::string::npos) << text;
  EXPECT_EQ(cardErrors, 0);
  EXPECT_EQ(confirmations, 0) << "found at start, it is taken without asking";
}

// A remembered combo that is there: the editor says its start-up message, asks for the bank
// and opens on the combo's preset 1, kept in the history. Remembered ports that never answer:
// the fetch says so and the bank stays as it starts.
TEST_F(FirstStartOverJack, ARememberedComboOpensOnItsOwnBank) {
  const auto [foreignOut, foreignIn] = waitForPorts("A FOREIGN DEVICE");
  RtMidiPorts lister(MidiSystem::Jack, "kestralux-e2e-lister");
  const auto rememberPorts = [&](std::uint32_t out, std::uint32_t in) {
    writeComboConfig(out, in);
    std::ofstream(dir / "combo.ports") << "output=" << lister.outputPortNames().at(out) << "\ninput="
                                       << lister.inputPortNames().at(in) << "\n";
  };

  rememberPorts(*toDevice, *fromDevice);
  startEditor(false, true);
  TForm1& form = app->form();
  ASSERT_TRUE(QTest::qWaitFor([&] { return form.REQUES->caption() == "ALL PRESETS RECEIVED"; }, 10000))
      << "the caption reads " << form.REQUES->caption().toStdString();
  ASSERT_TRUE(QTest::qWaitFor([&] { return form.PRENUM->text() == "PRESET   1"; }, 3000));
  ASSERT_GE(deviceLines().size(), 2u);
  EXPECT_EQ(deviceLines()[0], "start-up");
  EXPECT_EQ(deviceLines()[1], "bank request: answering with 30 presets");
  const PresetBank device = transferBank();
  for (std::size_t n = 0; n < device.size(); ++n) EXPECT_TRUE(sameValues(app->state.bank[n], device[n])) << "preset " << n + 1;
  // Kept once the window has shown what came.
  ASSERT_TRUE(QTest::qWaitFor([&] { return !listHistory(historyFolder()).empty(); }, 2000));
  const std::vector<HistoryEntry> history = listHistory(historyFolder());
  ASSERT_EQ(history.size(), 1u);
  EXPECT_EQ(history[0].kind, "fetched");
  app->form().close();
  app.reset();

  fs::remove_all(historyFolder());
  rememberPorts(foreignOut, foreignIn);
  startEditor(false, true);
  ASSERT_TRUE(QTest::qWaitFor([&] { return app->form().REQUES->caption() == "NO ANSWER FROM COMBO"; }, 5000))
      << "the caption reads " << app->form().REQUES->caption().toStdString();
  for (const PresetRecord& record : app->state.bank) EXPECT_EQ(record, PresetRecord{});
  EXPECT_EQ(app->form().PRENUM->text(), "PRESET 1");
  EXPECT_TRUE(listHistory(historyFolder()).empty());
  EXPECT_TRUE(foreign->waitForLines("bank request", 1)) << "the request went to the remembered ports";
  EXPECT_EQ(cardErrors, 0);
}

class BrokenLinkOverJack : public EditorOverJack {
 protected:
  BrokenLinkOverJack() {
    deviceStart = transferBank();
    deviceOptions = {"--answer", "12", "--damage", "5"};
  }
};

// Twelve presets, the fifth damaged, then silence: eleven records hold the device's presets,
// the rest keep theirs, and the window says so.
TEST_F(BrokenLinkOverJack, BrokenFetchKeepsWhatArrivedAndSaysSo) {
  writeComboConfig(*toDevice, *fromDevice);
  startEditor();
  TForm1& form = app->form();
  ASSERT_TRUE(waitForDeviceLines(1));

  clickPanel(form.REQUES);
  ASSERT_TRUE(QTest::qWaitFor([&] { return form.REQUES->caption() == "ONLY 12 OF 30 RECEIVED"; }, 8000))
      << "the caption reads " << form.REQUES->caption().toStdString();
  ASSERT_TRUE(waitForDeviceLines(2));
  EXPECT_EQ(deviceLines()[1], "bank request: answering with 12 presets, preset 5 damaged");
  const PresetBank device = transferBank();
  for (std::size_t n = 0; n < device.size(); ++n) {
    if (n < 12 && n != 4)
      EXPECT_TRUE(sameValues(app->state.bank[n], device[n])) << "preset " << n + 1;
    else
      EXPECT_TRUE(sameValues(app->state.bank[n], PresetRecord{})) << "preset " << n + 1;
  }
  EXPECT_EQ(form.PRENUM->text(), "PRESET 1") << "an incomplete fetch leaves the window as it was";
  ASSERT_TRUE(QTest::qWaitFor([&] { return form.REQUES->caption() == "PRESET 5 DAMAGED, KEPT"; }, 3000));
  ASSERT_TRUE(QTest::qWaitFor([&] { return form.REQUES->caption() == "Get All Presets from Kestralux"; }, 3000));
  EXPECT_EQ(cardErrors, 0);
}

// MIDI > CHECK CONNECTION with MIDI > MONITOR open: the check's report says the combo
// answered whole on the pair, the monitor lists the request and the 30 answers as they came
// over the MIDI thread, and the editor lets the check's answer go by: the bank stays.
TEST_F(EditorOverJack, TheConnectionCheckAnsweredWholeAsTheMonitorSaw) {
  writeComboConfig(*toDevice, *fromDevice);
  startEditor();
  TForm1& form = app->form();
  ASSERT_TRUE(waitForDeviceLines(1));
  const PresetBank before = app->state.bank;
  test::chooseMenuCommand(form, form.MIDI1, form.MIDI1->findChild<QAction*>(QStringLiteral("MONITOR1")));
  MonitorWindow& monitor = app->monitorWindow();
  ASSERT_TRUE(QTest::qWaitFor([&] { return monitor.isVisible(); }, 2000));
  test::chooseMenuCommand(form, form.MIDI1, form.MIDI1->findChild<QAction*>(QStringLiteral("CHECKCONNECTION1")));
  CheckWindow& check = app->checkWindow();
  ASSERT_TRUE(QTest::qWaitFor([&] { return check.isVisible() && !check.checking(); }, 10000));
  const QString report = check.report->toPlainText();
  EXPECT_TRUE(report.contains(QStringLiteral("The combo answered whole on the pair in use.\n"))) << report.toStdString();

  const auto listed = [&](const QString& text) {
    for (int row = 0; row < monitor.model->rowCount(); ++row)
      if (monitor.model->index(row).data().toString().contains(text)) return true;
    return false;
  };
  EXPECT_TRUE(QTest::qWaitFor([&] { return listed(QStringLiteral("PRESET 30 OF 30 (0x2B)  from KESTRALUX MIDI OUT")); }, 2000));
  EXPECT_TRUE(listed(QStringLiteral("  OUT   10  BANK REQUEST  to KESTRALUX MIDI IN")));
  EXPECT_TRUE(listed(QStringLiteral("  IN    40  PRESET 1 OF 30 (0x2A)  from KESTRALUX MIDI OUT")));
  QTest::qWait(300);
  EXPECT_EQ(app->state.bank, before);
  EXPECT_FALSE(form.REQUES->caption().contains(QStringLiteral("ANOTHER PROGRAM"))) << form.REQUES->caption().toStdString();
}

// PLAY sends the first song, and Space on the stage view the next one: each whole, as the
// combo's current sound, and nothing else goes to the combo.
TEST_F(EditorOverJack, TheStageViewsSpaceSendsTheNextSongWhole) {
  writeComboConfig(*toDevice, *fromDevice);
  startEditor();
  Setlist set;
  for (int n = 0; n < 2; ++n) {
    Song song;
    song.title = "SONG " + std::to_string(n + 1);
    song.sound = startBank()[static_cast<std::size_t>(n + 4)];
    song.sound.setValue(AMP_GAIN, 30 + n * 11);
    set.songs.push_back(song);
  }
  // What the device reports for a sound sent whole: each parameter with its value.
  const auto heardWhole = [](const std::vector<std::string>& lines, const PresetRecord& sound) {
    if (lines.size() != kParameterCount) return false;
    for (int i = 0; i < kParameterCount; ++i) {
      const std::string& line = lines[static_cast<std::size_t>(i)];
      if (line.rfind(std::string("param ") + kNames[static_cast<std::size_t>(i)] + " ", 0) != 0 ||
          line.substr(line.rfind('=') + 1) != std::to_string(sound.value(i)))
        return false;
    }
    return true;
  };
  const std::size_t before = deviceLines().size();
  ASSERT_EQ(app->stageWindow().play(set), std::nullopt);
  ASSERT_TRUE(waitForDeviceLines(before + kParameterCount));
  StageView& view = *app->stageWindow().view();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(&view));

  QTest::keyClick(&view, Qt::Key_Space);
  ASSERT_TRUE(waitForDeviceLines(before + 2 * kParameterCount));
  QTest::qWait(500);  // anything else would have come by now
  const std::vector<std::string> lines = deviceLines();
  ASSERT_EQ(lines.size(), before + 2 * kParameterCount);
  EXPECT_TRUE(heardWhole({lines.begin() + static_cast<std::ptrdiff_t>(before), lines.begin() + static_cast<std::ptrdiff_t>(before + kParameterCount)},
                         set.songs[0].sound));
  EXPECT_TRUE(heardWhole({lines.begin() + static_cast<std::ptrdiff_t>(before + kParameterCount), lines.end()}, set.songs[1].sound));
  EXPECT_EQ(view.title->text(), "SONG 2");
  EXPECT_EQ(cardErrors, 0);
}

}  // namespace
}  // namespace kestralux

int main(int argc, char** argv) {
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  // The windows' settings (places, locks, the amount) go to a folder of this run, never the user's.
  qputenv("XDG_CONFIG_HOME", QByteArray((kestralux::test::historyHome() / "config").c_str()));
  QApplication application(argc, argv);
  ::testing::InitGoogleTest(&argc, argv);
  return RUN_ALL_TESTS();
}
