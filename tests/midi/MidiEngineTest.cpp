#include "midi/MidiEngine.h"

#include <gtest/gtest.h>

#include <deque>

#include "midi/LoopbackPorts.h"
#include "model/EditorState.h"
#include "protocol/DeviceProtocol.h"

namespace kestralux {
namespace {

using Message = LoopbackPorts::Message;

Message presetLike(std::uint8_t tag) {
  Message m(40, 0x00);
  m[0] = 0xF0;
  m[5] = 0x2A;
  m[6] = tag;
  m[39] = 0xF7;
  return m;
}

struct EngineFixture : ::testing::Test {
  LoopbackPorts ports{{"in A", "in B"}, {"out A", "out B", "out C"}};
  MidiEngine engine{ports};
  EditorState state;
  DeviceProtocol protocol{state, engine};
  int cardErrors = 0;
  std::vector<std::chrono::milliseconds> pauses;

  void SetUp() override {
    engine.setCardErrorHook([this] { ++cardErrors; });
    engine.setPause([this](std::chrono::milliseconds d) { pauses.push_back(d); });
  }
};

TEST_F(EngineFixture, OpensTheOutputOnceAndSendsEveryMessageWhole) {
  engine.OUT_DEVICE = 1;
  EXPECT_FALSE(engine.OUT_USED);
  for (int v = 0; v < 5; ++v) protocol.SendParameter(0, 3, v);
  EXPECT_EQ(ports.outputOpens, 1);
  EXPECT_TRUE(engine.OUT_USED);
  ASSERT_EQ(ports.sentTo(1).size(), 5u);
  for (int v = 0; v < 5; ++v) {
    const ParameterMessage expected = buildParameterMessage(0, 3, v);
    EXPECT_EQ(ports.sentTo(1)[static_cast<std::size_t>(v)], Message(expected.begin(), expected.end()));
  }
  EXPECT_EQ(cardErrors, 0);
}

// Ports that came back are connected again, with no send and no box;
// connections never made are left alone.
TEST_F(EngineFixture, PortsThatComeBackAreConnectedAgainAtTheNextTick) {
  struct Row { bool outputOpen, inputOpen, outputBack, inputBack; int outputOpens, inputOpens; };
  const Row rows[] = {
      {true, true, true, true, 2, 2},   {true, true, false, true, 1, 2}, {true, true, true, false, 2, 1},
      {false, false, true, true, 0, 0}, {true, true, false, false, 1, 1},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(::testing::Message() << row.outputBack << row.inputBack << row.outputOpen);
    LoopbackPorts p{{"in"}, {"out"}};
    MidiEngine e{p};
    DeviceProtocol proto{state, e};
    if (row.outputOpen) proto.SendStartup();
    if (row.inputOpen) e.OPEN_MIDI_IN();
    p.clearSent();
    p.outputReturned = row.outputBack;
    p.inputReturned = row.inputBack;
    e.followReturnedPorts();
    EXPECT_EQ(p.outputOpens, row.outputOpens);
    EXPECT_EQ(p.inputOpens, row.inputOpens);
    EXPECT_EQ(p.isOutputOpen(), row.outputOpen);
    EXPECT_EQ(p.isInputOpen(), row.inputOpen);
    EXPECT_TRUE(p.allSent().empty());
  }
}

TEST_F(EngineFixture, AnotherChosenPortOrAClosedOutputIsOpenedAfresh) {
  protocol.SendStartup();
  engine.OUT_DEVICE = 2;
  protocol.SendStartup();
  EXPECT_EQ(ports.sentTo(0).size(), 1u);
  EXPECT_EQ(ports.sentTo(2).size(), 1u);
  engine.CLOSE_MIDI_OUT();
  EXPECT_FALSE(ports.isOutputOpen());
  protocol.SendStartup();
  EXPECT_EQ(ports.sentTo(2).size(), 2u);
  EXPECT_EQ(ports.outputOpens, 3);
  EXPECT_EQ(ports.outputCloses, 2);
}

TEST_F(EngineFixture, CloseWithNothingOpenChangesNothing) {
  engine.CLOSE_MIDI_OUT();
  EXPECT_EQ(ports.outputCloses, 0);
  EXPECT_FALSE(engine.OUT_USED);
}

struct FailureCase {
  const char* name;
  std::uint32_t device;
  bool sendsFail;
};

class EngineFailingPort : public EngineFixture, public ::testing::WithParamInterface<FailureCase> {};

TEST_P(EngineFailingPort, EverySendShowsOneErrorLosesItsMessageAndTheProgramGoesOn) {
  engine.OUT_DEVICE = GetParam().device;
  ports.failSends = GetParam().sendsFail;
  for (int k = 1; k <= 4; ++k) {
    protocol.SendParameter(0, 1, k);
    EXPECT_EQ(cardErrors, k);
    EXPECT_FALSE(ports.isOutputOpen()) << "a failed send leaves no connection behind";
  }
  EXPECT_TRUE(ports.allSent().empty());
  EXPECT_TRUE(engine.OUT_USED);
  EXPECT_EQ(engine.quietCardErrors(), 0);

  // The port comes back: the next send reaches it without any setup.
  ports.failSends = false;
  ports.failingOutputs.clear();
  engine.OUT_DEVICE = 0;
  protocol.SendStartup();
  EXPECT_EQ(ports.sentTo(0).size(), 1u);
  EXPECT_EQ(cardErrors, 4);
}

INSTANTIATE_TEST_SUITE_P(Ports, EngineFailingPort,
                         ::testing::Values(FailureCase{"missing", 9, false},
                                           FailureCase{"goneAfterOpen", 0, true}),
                         [](const auto& info) { return std::string(info.param.name); });

TEST_F(EngineFixture, ASendFromInsideTheErrorBoxOpensNoSecondBoxAndDoesNotDisturbTheFirst) {
  engine.OUT_DEVICE = 9;  // missing
  int depth = 0;
  int deepest = 0;
  engine.setCardErrorHook([&] {
    ++cardErrors;
    ++depth;
    deepest = std::max(deepest, depth);
    // What the box's event loop may run meanwhile: a failing edit, then a working one.
    protocol.SendParameter(0, 2, 7);
    engine.OUT_DEVICE = 1;
    protocol.SendParameter(0, 2, 8);
    --depth;
  });
  protocol.SendParameter(0, 1, 1);
  EXPECT_EQ(cardErrors, 1);
  EXPECT_EQ(deepest, 1);
  EXPECT_EQ(engine.quietCardErrors(), 1);
  const ParameterMessage nested = buildParameterMessage(0, 2, 8);
  ASSERT_EQ(ports.sentTo(1).size(), 1u);
  EXPECT_EQ(ports.sentTo(1)[0], Message(nested.begin(), nested.end()));
  EXPECT_EQ(protocol.PARAM_BUFFER, nested);

  // Boxes show again once the first is closed.
  engine.setCardErrorHook([&] { ++cardErrors; });
  engine.OUT_DEVICE = 9;
  protocol.SendStartup();
  EXPECT_EQ(cardErrors, 2);
}

TEST_F(EngineFixture, DumpSendsFortyBytesThenPausesTheNamedTime) {
  const PresetMessage dump = protocol.BuildStoreMessage(StoreScope::SINGLE, 0);
  engine.SEND_DUMP(dump);
  ASSERT_EQ(ports.allSent().size(), 1u);
  EXPECT_EQ(ports.allSent()[0], Message(dump.begin(), dump.end()));
  EXPECT_EQ(pauses, std::vector<std::chrono::milliseconds>{std::chrono::milliseconds(60)});
}

TEST_F(EngineFixture, InputOpensOnTheChosenDeviceAndFailsSilently) {
  engine.IN_DEVICE = 1;
  engine.OPEN_MIDI_IN();
  EXPECT_EQ(ports.openInputDevice(), 1u);
  engine.CLOSE_MIDI_IN();
  EXPECT_FALSE(ports.isInputOpen());

  engine.IN_DEVICE = 5;  // no such port
  engine.OPEN_MIDI_IN();
  EXPECT_FALSE(ports.isInputOpen());
  EXPECT_EQ(cardErrors, 0);
  EXPECT_FALSE(ports.inject(presetLike(0)));
}

TEST_F(EngineFixture, ReopeningTheInputClosesTheOldConnectionFirst) {
  engine.OPEN_MIDI_IN();
  engine.IN_DEVICE = 1;
  engine.OPEN_MIDI_IN();
  EXPECT_EQ(ports.openInputDevice(), 1u);
  EXPECT_EQ(ports.inputCloses, 1);
}

TEST_F(EngineFixture, NoticeOnItsWayWhenTheInputClosesIsIgnored) {
  std::deque<std::function<void()>> queue;
  std::vector<std::uint8_t> received;
  engine.setReceiver([&](std::span<const std::uint8_t> m) { received.push_back(m[6]); });
  engine.setInputPoster([&](std::function<void()> work) { queue.push_back(std::move(work)); });
  engine.OPEN_MIDI_IN();
  ports.inject(presetLike(1));        // posted before the close
  const auto oldDelivery = ports.lastDelivery();
  engine.CLOSE_MIDI_IN();
  oldDelivery(presetLike(2));         // the port's last word after the close
  engine.OPEN_MIDI_IN();
  ports.inject(presetLike(3));        // the new input's message
  ASSERT_EQ(queue.size(), 3u);
  while (!queue.empty()) {
    queue.front()();
    queue.pop_front();
  }
  EXPECT_EQ(received, std::vector<std::uint8_t>{3});
}

TEST(MidiEngineLifetime, ShutDownClosesBothConnectionsAndLaterNoticesFindNothing) {
  LoopbackPorts ports{{"in"}, {"out"}};
  std::deque<std::function<void()>> queue;
  {
    MidiEngine engine(ports);
    engine.setInputPoster([&](std::function<void()> work) { queue.push_back(std::move(work)); });
    engine.OPEN_MIDI_IN();
    const std::array<std::uint8_t, 10> m{0xF0, 0, 0, 0x4B, 6, 0x42, 0, 0, 0, 0xF7};
    engine.SEND_SYSEX(m);
    ASSERT_TRUE(ports.isInputOpen());
    ASSERT_TRUE(ports.isOutputOpen());
    ports.inject(presetLike(1));
  }
  EXPECT_FALSE(ports.isInputOpen());
  EXPECT_FALSE(ports.isOutputOpen());
  ASSERT_EQ(queue.size(), 1u);
  queue.front()();  // must not touch the engine that is gone (address sanitizer build)
}

}  // namespace
}  // namespace kestralux
