#include "app/TMIDI_IO.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <QApplication>
#include <QSignalSpy>
#include <QTest>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <thread>

#include "files/ComboConfig.h"
#include "link/ComboLink.h"
#include "midi/LoopbackPorts.h"
#include "model/EditorState.h"
#include "tests/protocol/ComboNetwork.h"

namespace kestralux {
namespace {

namespace fs = std::filesystem;
using Message = LoopbackPorts::Message;

const Message kStartMessage{0xF0, 0x00, 0x00, MANUFACTURER_ID[2], 0x06, 0x42, 0x00, 0x00, 0x00, 0xF7};

Message presetLike(std::uint8_t tag) {
  Message m(40, 0x00);
  m[0] = 0xF0;
  m[6] = tag;
  m[39] = 0xF7;
  return m;
}

std::vector<std::string> names(const char* stem, int n) {
  std::vector<std::string> v;
  for (int i = 0; i < n; ++i) v.push_back(stem + std::to_string(i));
  return v;
}

// One setup window over a loopback port in a fresh temp folder; every box is answered.
struct SetupWindow {
  explicit SetupWindow(std::vector<std::string> ins = names("in ", 2),
                 std::vector<std::string> outs = names("out ", 3),
                 std::optional<ComboConfig> saved = std::nullopt,
                 std::optional<std::string> portNames = std::nullopt)
      : ports(std::move(ins), std::move(outs)) {
    // ctest runs tests in parallel processes: the folder is this process's own.
    dir = fs::temp_directory_path() /
          ("tmidi-io-" + std::to_string(::getpid()) + "-" + std::to_string(++counter));
    fs::remove_all(dir);
    fs::create_directories(dir);
    config = dir / "combo.cfg";
    if (saved) SAVE_CONFIG(*saved, config);
    if (portNames) std::ofstream(dir / "combo.ports") << *portNames;
    link = std::make_unique<ComboLink>(ports, state, config);
    link->engine.setPause([](std::chrono::milliseconds) {});
    MidiSetupBoxes boxes;
    boxes.cardError = [this](QWidget*) { ++cardErrors; };
    boxes.confirmCardChange = [this](QWidget*) {
      ++confirmations;
      return answerOk;
    };
    window = std::make_unique<TMIDI_IO>(*link, nullptr, boxes);
    window->FIND_MIDI_PORTS({});
  }
  ~SetupWindow() {
    window.reset();
    link.reset();
    fs::remove_all(dir);
  }

  void click(QListWidget* list, int row) {
    QTest::mouseClick(list->viewport(), Qt::LeftButton, {},
                      list->visualItemRect(list->item(row)).center());
  }
  std::vector<std::uint8_t> configBytes() const {
    std::ifstream in(config, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
  }

  static inline int counter = 0;
  fs::path dir;
  fs::path config;
  LoopbackPorts ports;
  EditorState state;
  std::unique_ptr<ComboLink> link;
  int cardErrors = 0;
  int confirmations = 0;
  bool answerOk = true;
  std::unique_ptr<TMIDI_IO> window;
};

QStringList entries(const QListWidget* list) {
  QStringList out;
  for (int i = 0; i < list->count(); ++i) out << list->item(i)->text();
  return out;
}

QWidget* nextTabStop(QWidget* from) {
  QWidget* w = from->nextInFocusChain();
  while (w != from && !(w->focusPolicy() & Qt::TabFocus)) w = w->nextInFocusChain();
  return w;
}

QColor base(const QListWidget* list) { return list->palette().color(QPalette::Base); }

TEST(TMIDI_IO, WindowAndControlsFollowTheLayoutTable) {
  SetupWindow s;
  TMIDI_IO& w = *s.window;
  EXPECT_EQ(w.objectName(), "MIDI_IO");
  EXPECT_EQ(w.windowTitle(), "MIDI_IO");
  EXPECT_EQ(w.geometry(), QRect(9, 123, 617, 302));
  EXPECT_FALSE(w.isVisible());
  EXPECT_EQ(w.font().family(), "Liberation Sans");
  EXPECT_EQ(w.font().pointSize(), 8);

  struct Row {
    QWidget* control;
    const char* name;
    QRect geometry;
  };
  const Row rows[] = {
      {w.MIDI_IN_LABEL, "MIDI_IN_LABEL", {64, 8, 209, 105}},
      {w.MIDI_OUT_LABEL, "MIDI_OUT_LABEL", {272, 8, 217, 105}},
      {w.MIDI_IN_SEL, "MIDI_IN_SEL", {80, 32, 177, 65}},
      {w.MIDI_OUT_SEL, "MIDI_OUT_SEL", {288, 32, 177, 65}},
      {w.MIDI_DONE, "MIDI_DONE", {216, 152, 105, 25}},
  };
  for (const auto& r : rows) {
    EXPECT_EQ(r.control->objectName(), r.name);
    EXPECT_EQ(r.control->geometry(), r.geometry) << r.name;
  }
  EXPECT_EQ(w.MIDI_IN_LABEL->text(), "MIDI INPUT");
  EXPECT_EQ(w.MIDI_OUT_LABEL->text(), "MIDI OUTPUT");
  EXPECT_EQ(w.MIDI_IN_LABEL->alignment(), Qt::AlignHCenter | Qt::AlignTop);
  EXPECT_EQ(w.MIDI_IN_LABEL->palette().color(QPalette::Window), QColor(128, 128, 255));
  EXPECT_EQ(w.MIDI_OUT_LABEL->palette().color(QPalette::Window), QColor(255, 128, 0));
  EXPECT_EQ(w.MIDI_DONE->text(), "OK?");
  for (QListWidget* list : {w.MIDI_IN_SEL, w.MIDI_OUT_SEL}) {
    EXPECT_EQ(base(list), QColor(0, 0, 128));
    EXPECT_EQ(list->palette().color(QPalette::Text), QColor(Qt::white));
    EXPECT_TRUE(list->font().bold());
    EXPECT_EQ(list->selectionMode(), QAbstractItemView::SingleSelection);
    EXPECT_EQ(list->item(0)->sizeHint().height(), 13);
    EXPECT_TRUE(list->selectedItems().isEmpty()) << "nothing highlighted at start";
  }
  EXPECT_EQ(nextTabStop(w.MIDI_IN_SEL), w.MIDI_OUT_SEL);
  EXPECT_EQ(nextTabStop(w.MIDI_OUT_SEL), w.MIDI_DONE);
  EXPECT_TRUE(w.interupt_timer->isActive());
  EXPECT_EQ(w.interupt_timer->interval(), 50);
}

struct ListingCase {
  const char* name;
  int inputs;
  int outputs;
  int startErrors;
};

class TMIDI_IOListing : public ::testing::TestWithParam<ListingCase> {};

TEST_P(TMIDI_IOListing, EveryPortListedInDeviceOrderOrThePlaceholder) {
  const auto& c = GetParam();
  SetupWindow s(names("in ", c.inputs), names("out ", c.outputs));
  const auto expected = [](const char* stem, int n) {
    QStringList l;
    for (int i = 0; i < n; ++i) l << QString(stem) + QString::number(i);
    if (n == 0) l << "No Midi Devices Found!";
    return l;
  };
  EXPECT_EQ(entries(s.window->MIDI_IN_SEL), expected("in ", c.inputs));
  EXPECT_EQ(entries(s.window->MIDI_OUT_SEL), expected("out ", c.outputs));
  EXPECT_EQ(s.window->inNames.size(), static_cast<std::size_t>(c.inputs));
  EXPECT_EQ(s.ports.isInputOpen(), c.inputs > 0);
  EXPECT_EQ(s.cardErrors, c.startErrors);
  EXPECT_FALSE(fs::exists(s.config)) << "start-up creates no combo.cfg";
}

INSTANTIATE_TEST_SUITE_P(Ports, TMIDI_IOListing,
                         ::testing::Values(ListingCase{"some", 2, 3, 0},
                                           ListingCase{"none", 0, 0, 1},
                                           ListingCase{"noInputs", 0, 1, 0},
                                           ListingCase{"noOutputs", 1, 0, 1},
                                           ListingCase{"manyMoreThanTwenty", 25, 23, 0}),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(TMIDI_IO, ClickedListTurnsRedForTheRestOfTheRun) {
  SetupWindow s;
  s.window->showSetup();
  s.click(s.window->MIDI_IN_SEL, 1);
  EXPECT_EQ(base(s.window->MIDI_IN_SEL), QColor(255, 0, 0));
  EXPECT_EQ(base(s.window->MIDI_OUT_SEL), QColor(0, 0, 128));
  s.click(s.window->MIDI_OUT_SEL, 0);
  EXPECT_EQ(base(s.window->MIDI_OUT_SEL), QColor(255, 0, 0));

  s.answerOk = false;
  QTest::mouseClick(s.window->MIDI_DONE, Qt::LeftButton);
  s.window->showSetup();
  s.answerOk = true;
  QTest::mouseClick(s.window->MIDI_DONE, Qt::LeftButton);
  s.window->showSetup();
  EXPECT_EQ(base(s.window->MIDI_IN_SEL), QColor(255, 0, 0));
  EXPECT_EQ(base(s.window->MIDI_OUT_SEL), QColor(255, 0, 0));
}

TEST(TMIDI_IO, KeysInTheInputListOnlyMoveTheHighlight) {
  SetupWindow s;
  s.window->showSetup();
  s.window->MIDI_IN_SEL->setFocus();
  s.window->MIDI_IN_SEL->setCurrentRow(0);
  QTest::keyClick(s.window->MIDI_IN_SEL, Qt::Key_Down);
  EXPECT_EQ(s.window->MIDI_IN_SEL->currentRow(), 1);
  EXPECT_EQ(base(s.window->MIDI_IN_SEL), QColor(0, 0, 128));
  EXPECT_EQ(s.ports.allSent().size(), 1u);
}

TEST(TMIDI_IO, OkAppliesTheClickedPortsReopensTheInputAndSaves) {
  SetupWindow s;
  s.link->protocol.SendParameter(0, 1, 1);  // leaves the output open on device 0
  s.window->showSetup();
  s.click(s.window->MIDI_OUT_SEL, 2);
  s.click(s.window->MIDI_IN_SEL, 1);
  QTest::mouseClick(s.window->MIDI_DONE, Qt::LeftButton);

  EXPECT_EQ(s.confirmations, 1);
  EXPECT_EQ(s.configBytes(), (std::vector<std::uint8_t>{0x02, 0, 0, 0, 0x01, 0, 0, 0}));
  EXPECT_EQ(s.link->ports(), (PortNames{"out 2", "in 1"}));
  EXPECT_EQ(s.ports.openInputDevice(), 1u);
  EXPECT_FALSE(s.ports.isOutputOpen()) << "the output waits for the next send";
  EXPECT_FALSE(s.link->engine.OUT_USED);
  EXPECT_FALSE(s.window->isVisible());
  for (QWidget* c : std::initializer_list<QWidget*>{s.window->MIDI_IN_SEL, s.window->MIDI_OUT_SEL,
                                                    s.window->MIDI_IN_LABEL, s.window->MIDI_OUT_LABEL,
                                                    s.window->MIDI_DONE})
    EXPECT_TRUE(c->isHidden());

  s.link->protocol.SendStartup();
  EXPECT_EQ(s.ports.sentTo(2), std::vector<Message>{kStartMessage});
  std::ifstream names(s.dir / "combo.ports");
  EXPECT_EQ(std::string(std::istreambuf_iterator<char>(names), {}), "output=out 2\ninput=in 1\n");
  s.window->showSetup();
  EXPECT_TRUE(s.window->isVisible());
  EXPECT_TRUE(s.window->MIDI_DONE->isVisible());
}

TEST(TMIDI_IO, PlaceholderChosenMeansDeviceZero) {
  SetupWindow s({}, {}, ComboConfig{4, 5});
  s.window->showSetup();
  s.click(s.window->MIDI_IN_SEL, 0);
  s.click(s.window->MIDI_OUT_SEL, 0);
  QTest::mouseClick(s.window->MIDI_DONE, Qt::LeftButton);
  EXPECT_EQ(s.configBytes(), (std::vector<std::uint8_t>(8, 0)));
}

TEST(TMIDI_IO, CancelChangesNothingAndWritesNoFile) {
  SetupWindow s;
  s.answerOk = false;
  s.window->showSetup();
  s.click(s.window->MIDI_OUT_SEL, 2);
  QTest::mouseClick(s.window->MIDI_DONE, Qt::LeftButton);
  EXPECT_EQ(s.confirmations, 1);
  EXPECT_FALSE(fs::exists(s.config));
  EXPECT_EQ(s.link->ports(), (PortNames{"out 0", "in 0"}));
  EXPECT_EQ(s.ports.inputCloses, 0);
  EXPECT_FALSE(s.window->isVisible());
}

TEST(TMIDI_IO, ClosingTheWindowHidesItAndAppliesNothing) {
  SetupWindow s;
  s.window->showSetup();
  s.click(s.window->MIDI_OUT_SEL, 1);
  s.window->close();
  EXPECT_FALSE(s.window->isVisible());
  EXPECT_EQ(s.confirmations, 0);
  EXPECT_EQ(s.link->ports(), (PortNames{"out 0", "in 0"}));
  EXPECT_FALSE(fs::exists(s.config));
}

TEST(TMIDI_IO, MessagesFromThePortThreadArriveOnTheGuiThreadAndNotAfterAClose) {
  SetupWindow s;
  // The tick would decode what waits; the test counts what arrived.
  s.window->interupt_timer->stop();
  std::thread backend([&] { s.ports.inject(presetLike(1)); });
  backend.join();
  EXPECT_EQ(s.link->rx.waiting(), 0) << "nothing is stored on the port's thread";
  EXPECT_TRUE(QTest::qWaitFor([&] { return s.link->rx.waiting() == 1; }, 5000));

  std::thread late([&] { s.ports.inject(presetLike(2)); });
  late.join();
  s.window->showSetup();
  QTest::mouseClick(s.window->MIDI_DONE, Qt::LeftButton);  // closes and reopens the input
  // Every notice posted so far is delivered now, the late one included.
  QCoreApplication::sendPostedEvents();
  QCoreApplication::processEvents();
  EXPECT_EQ(s.link->rx.waiting(), 1) << "the notice posted before the close is ignored";
}

// FIND COMBO, with a port that echoes our request before the combo: the pair found is selected
// in both lists as clicks would select it, OK makes it the combo's, and the combo's answer is
// taken as a fetch.
TEST(FindCombo, SelectsThePairForOkAndTakesTheAnswerAsAFetch) {
  using namespace std::chrono_literals;
  test::Network net;
  net.outputs = {"Midi Through", "COMBO IN"};
  net.inputs = {"Midi Through", "COMBO OUT"};
  net.devices = {{test::Device::Combo, 1, 1, 5ms, 2}, {test::Device::Echo, 0, 0}};
  SetupWindow s(net.inputs, net.outputs);
  s.window->interupt_timer->stop();
  s.link->portsMaker = [&net] { return std::make_unique<test::Network::Joined>(net); };
  s.link->clock = [&net] { return net.now; };
  s.window->showSetup();
  QTest::mouseClick(s.window->FIND_COMBO, Qt::LeftButton);
  EXPECT_EQ(s.window->FIND_COMBO->text(), "SEARCHING...");
  for (int i = 0; i < 3000 && s.link->searching(); ++i) {
    net.advanceTo(net.now + 10ms);
    QCoreApplication::processEvents();
    s.window->interupt_timerTimer();
  }
  EXPECT_EQ(s.window->FIND_COMBO->text(), "COMBO FOUND");
  EXPECT_EQ(s.window->MIDI_OUT_SEL->currentRow(), 1);
  EXPECT_EQ(s.window->MIDI_IN_SEL->currentRow(), 1);
  s.window->interupt_timerTimer();
  EXPECT_EQ(s.state.bank, PresetBank{}) << "the bank waits for OK";

  QTest::mouseClick(s.window->MIDI_DONE, Qt::LeftButton);
  EXPECT_EQ(s.link->ports(), (PortNames{"COMBO IN", "COMBO OUT"}));
  s.window->interupt_timerTimer();
  EXPECT_TRUE(s.state.BankRefreshPending);
  EXPECT_EQ(s.state.bank, test::comboBank(2));
}

// A search that finds nothing says so on the button and where the transfers are told, since
// at start this window is not shown.
TEST(FindCombo, NothingFoundIsSaidWhereTransfersAreTold) {
  using namespace std::chrono_literals;
  test::Network net;
  net.outputs = {"Midi Through"};
  net.inputs = {"Midi Through"};
  net.devices = {{test::Device::Echo, 0, 0}};
  SetupWindow s(net.inputs, net.outputs);
  s.window->interupt_timer->stop();
  std::vector<Notices> told;
  s.link->protocol.fetchNotices = [&told](const Notices& n) { told.push_back(n); };
  s.link->portsMaker = [&net] { return std::make_unique<test::Network::Joined>(net); };
  s.link->clock = [&net] { return net.now; };
  s.window->showSetup();
  QTest::mouseClick(s.window->FIND_COMBO, Qt::LeftButton);
  for (int i = 0; i < 3000 && s.link->searching(); ++i) {
    net.advanceTo(net.now + 10ms);
    QCoreApplication::processEvents();
    s.window->interupt_timerTimer();
  }
  EXPECT_EQ(s.window->FIND_COMBO->text(), "NO COMBO FOUND");
  EXPECT_EQ(told, std::vector<Notices>{{"NO COMBO FOUND"}});
  EXPECT_EQ(net.requested, (std::vector<std::uint32_t>{0, 0})) << "asked once more after half a second of silence";
}

}  // namespace
}  // namespace kestralux

int main(int argc, char** argv) {
  qputenv("QT_QPA_PLATFORM", "offscreen");
  QApplication app(argc, argv);
  ::testing::InitGoogleTest(&argc, argv);
  return RUN_ALL_TESTS();
}
