#include <gtest/gtest.h>

#include <vector>

#include "model/EditorState.h"
#include "protocol/DeviceProtocol.h"
#include "protocol/Sysex.h"
#include "tests/protocol/RecordingOutput.h"

namespace kestralux {
namespace {

using Bytes = std::vector<std::uint8_t>;
constexpr std::uint8_t ID = MANUFACTURER_ID[2];

Bytes param(std::uint8_t context, std::uint8_t code, std::uint8_t value) {
  return {0xF0, 0x00, 0x00, ID, 0x06, 0x42, context, code, value, 0xF7};
}

TEST(ParameterMessage, LiteralImages) {
  struct Case { int context, code, value; Bytes bytes; };
  const Case cases[] = {
      {0, 2, 20, {0xF0, 0x00, 0x00, ID, 0x06, 0x42, 0x00, 0x02, 0x14, 0xF7}},  // GAIN at 20
      {0, 55, 0, {0xF0, 0x00, 0x00, ID, 0x06, 0x42, 0x00, 0x37, 0x00, 0xF7}},  // bank request
      {0, 0, 0, {0xF0, 0x00, 0x00, ID, 0x06, 0x42, 0x00, 0x00, 0x00, 0xF7}},   // start-up
      {0, 3, 200, param(0, 3, 0x48)},  // a stored value of 128+ cannot break the frame
  };
  for (const Case& c : cases) {
    const ParameterMessage m = buildParameterMessage(c.context, c.code, c.value);
    EXPECT_EQ(Bytes(m.begin(), m.end()), c.bytes) << "code " << c.code;
  }
}

// Every parameter-change message the editor sends, on both paths: live edits of one control
// and the whole-preset burst. E is the preset's effect, h bit 7 of the value.
TEST(ContextByte, EveryParameterOnBothPaths) {
  struct Case { int index, effect, value; std::uint8_t live, whole, valueByte; };
  const Case cases[] = {
      {AMP_TYPE, 15, 7, 0, 0, 7},
      {AMP_GAIN, 15, 20, 0, 0, 20},
      {AMP_MASTER, 2, 30, 0, 0, 30},
      {AMP_BASS, 2, 1, 0, 0, 1},
      {AMP_MID, 2, 15, 0, 0, 15},
      {AMP_TREBLE, 2, 30, 0, 0, 30},
      {REV_LEVEL, 2, 3, 0, 0, 3},
      {DELAY_LEVEL, 2, 4, 0, 0, 4},
      {DELAY_REGEN, 2, 5, 0, 0, 5},
      {DELAY_PAN, 2, 31, 0, 0, 31},
      {DELAY_TIME, 2, 250, 0x01, 0x05, 0x7A},
      {DELAY_TIME, 2, 127, 0x00, 0x04, 0x7F},
      {DELAY_TIME, 2, 128, 0x01, 0x05, 0x00},
      {DELAY_TIME, 15, 250, 0x01, 0x1F, 0x7A},
      {EFF_RATE, 2, 200, 0x05, 0x05, 0x48},
      {EFF_RATE, 12, 1, 0x18, 0x18, 0x01},
      {EFF_RATE, 15, 255, 0x1F, 0x1F, 0x7F},
      {GATE_THRES, 2, 30, 0x09, 0x00, 30},
      {EFFECT_SELECT, 12, 12, 0, 0, 12},
      {EFF_ADJUST1, 15, 10, 0x1E, 0x1E, 10},
      {EFF_ADJUST1, 6, 15, 0x0C, 0x0C, 15},
      {EFF_ADJUST2, 15, 10, 0x00, 0x1E, 10},
      {EFF_ADJUST2, 13, 30, 0x1C, 0x1A, 30},
      // Any 32-bit number can come from a file: only the masked bits count, nothing overflows.
      {EFF_ADJUST2, 2147483647, 5, 0x00, 0x1E, 5},
      {EFF_RATE, -2147483647 - 1, -1, 0x01, 0x01, 0x7F},
      {DELAY_TIME, 7, -2147483647 - 1, 0x00, 0x0E, 0x00},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(contextByte(c.index, SendPath::Live, c.effect, c.value), c.live) << "index " << c.index;
    EXPECT_EQ(contextByte(c.index, SendPath::WholePreset, c.effect, c.value), c.whole) << "index " << c.index;
    EXPECT_EQ(valueByte(c.value), c.valueByte) << "index " << c.index;
  }
}

TEST(PresetMessage, ImageChecksumAndCommands) {
  PresetRecord r;
  r.setValue(AMP_GAIN, 20);
  r.setValue(DELAY_TIME, 250);
  const PresetMessage m = buildPresetMessage(CMD_BANK_FIRST, r);
  Bytes expected(40, 0);
  expected[0] = 0xF0; expected[3] = ID; expected[4] = 0x06; expected[5] = 0x2A;
  expected[8] = 0x14;                      // AMP_GAIN low 7 bits
  expected[26] = 0x7A; expected[27] = 0x01;  // DELAY_TIME 250
  expected[38] = 0x6F;                     // 0x14 ^ 0x7A ^ 0x01
  expected[39] = 0xF7;
  EXPECT_EQ(Bytes(m.begin(), m.end()), expected);
  EXPECT_TRUE(isOurPresetMessage(m));
}

TEST(PresetMessage, OnlyWholeOwnCheckedMessagesAreOurs) {
  PresetRecord r;
  r.setValue(AMP_GAIN, 20);
  const PresetMessage good = buildPresetMessage(CMD_BANK_NEXT, r);
  struct Case { const char* what; int at; std::uint8_t value; };
  const Case corrupt[] = {
      {"start byte", 0, 0xF1},  {"manufacturer", 3, static_cast<std::uint8_t>(ID ^ 1)},
      {"model", 4, 0x07},       {"command", 5, 0x42},
      {"checksum", 38, 0x00},   {"value changed in transit", 8, 0x15},
      {"end byte", 39, 0x00},
  };
  for (const Case& c : corrupt) {
    PresetMessage m = good;
    m[static_cast<std::size_t>(c.at)] = c.value;
    EXPECT_FALSE(isOurPresetMessage(m)) << c.what;
  }
  const Bytes shortMessage(good.begin(), good.end() - 1);
  EXPECT_FALSE(isOurPresetMessage(shortMessage));
}

TEST(DecodeDump, UsesOnlyBitZeroOfTheHighByteAndKeepsNameAndReserved) {
  PresetRecord source;
  for (int i = 0; i < kParameterCount; ++i) source.setValue(i, 100 + 9 * i);  // 100..235
  PresetMessage m = buildPresetMessage(CMD_BANK_NEXT, source);
  m[9] = 0x03;  // AMP_GAIN high byte with a stray bit 1

  PresetRecord target;
  target.storeName("KEEP ME");
  target.setSlot(kReservedSlot, 77);
  DecodeDump(m, target);
  for (int i = 0; i < kParameterCount; ++i) {
    if (i == AMP_GAIN) continue;
    EXPECT_EQ(target.value(i), source.value(i)) << i;
  }
  m[8] = 0x14;
  DecodeDump(m, target);
  EXPECT_EQ(target.value(AMP_GAIN), 0x94);
  EXPECT_EQ(*target.validName(), "KEEP ME");
  EXPECT_EQ(target.slot(kReservedSlot), 77);
}

// What arrives on the input goes through the receive ring first; only a whole preset
// message of ours may change a record.
TEST(DecodeReceivedDump, OnlyWholeOwnCheckedMessagesChangeTheRecord) {
  PresetRecord source;
  for (int i = 0; i < kParameterCount; ++i) source.setValue(i, 3 * i + 1);
  source.setValue(DELAY_TIME, 250);
  const PresetMessage good = buildPresetMessage(CMD_BANK_NEXT, source);

  struct Case { const char* what; Bytes message; bool decoded; };
  Bytes badChecksum(good.begin(), good.end());
  badChecksum[38] ^= 0x01;
  Bytes otherMaker(good.begin(), good.end());
  otherMaker[3] = static_cast<std::uint8_t>(ID ^ 0x10);
  otherMaker[38] = presetChecksum(otherMaker);
  Bytes longer(good.begin(), good.end());
  longer.insert(longer.begin() + 20, 0x00);
  Bytes noEnd(good.begin(), good.end());
  noEnd[39] = 0x00;
  const Case cases[] = {
      {"whole and ours", Bytes(good.begin(), good.end()), true},
      {"checksum wrong", badChecksum, false},
      {"another maker", otherMaker, false},
      {"one byte longer", longer, false},
      {"no closing F7", noEnd, false},
      {"short", Bytes(good.begin(), good.begin() + 30), false},
  };
  for (const Case& c : cases) {
    RxRing ring;
    ASSERT_EQ(ring.store(c.message), RxStoreResult::Stored) << c.what;
    PresetRecord target;
    target.storeName("MINE");
    EXPECT_EQ(DecodeReceivedDump(ring.takeNext(), target), c.decoded) << c.what;
    PresetRecord expected;
    expected.storeName("MINE");
    if (c.decoded) for (int i = 0; i < kParameterCount; ++i) expected.setValue(i, source.value(i));
    EXPECT_EQ(target, expected) << c.what;
  }
}

class DeviceProtocolTest : public ::testing::Test {
 protected:
  EditorState state;
  RecordingOutput out;
  DeviceProtocol protocol{state, out};
};

TEST_F(DeviceProtocolTest, NothingLeavesWhileSuppressed) {
  state.SendSuppressed = true;
  protocol.SendParameter(0, 2, 20);
  protocol.SendBankRequest();
  protocol.SendStartup();
  protocol.SendAmpModel();
  protocol.SendEffectSelect(12);
  protocol.SendLiveEdit(DELAY_TIME);
  EXPECT_TRUE(out.messages.empty());
}

TEST_F(DeviceProtocolTest, AmpModelSendsModelThenUnchangedVolume) {
  state.CurrentPreset = 4;
  state.current().setValue(AMP_TYPE, 14);
  state.current().setValue(AMP_MASTER, 22);
  protocol.SendAmpModel();
  EXPECT_EQ(out.messages, (std::vector<Bytes>{param(0, 1, 14), param(0, 3, 22)}));
}

TEST_F(DeviceProtocolTest, WholePresetIsSixteenMessagesInCodeOrderThenOnePause) {
  state.CurrentPreset = 7;
  PresetRecord& r = state.current();
  const int values[kParameterCount] = {3, 20, 25, 1, 15, 30, 2, 4, 5, 31, 250, 200, 30, 15, 10, 11};
  for (int i = 0; i < kParameterCount; ++i) r.setValue(i, values[i]);
  protocol.SendWholePreset();

  const std::vector<Bytes> expected = {
      param(0, 1, 3),     param(0, 2, 20),   param(0, 3, 25),    param(0, 4, 1),
      param(0, 5, 15),    param(0, 6, 30),   param(0, 7, 2),     param(0, 8, 4),
      param(0, 9, 5),     param(0, 10, 31),  param(0x1F, 11, 0x7A), param(0x1F, 12, 0x48),
      param(0, 13, 30),   param(0, 14, 15),  param(0x1E, 15, 10), param(0x1E, 16, 11),
  };
  EXPECT_EQ(out.messages, expected);
  ASSERT_EQ(out.events.size(), 17u);
  EXPECT_EQ(out.events.back(), "pause");
}

TEST_F(DeviceProtocolTest, StoreMessagesByScopeAndPosition) {
  state.bank[29].setValue(DELAY_TIME, 250);
  struct Case { StoreScope scope; int n; std::uint8_t command; };
  const Case cases[] = {
      {StoreScope::ALL, 0, 0x2A}, {StoreScope::ALL, 1, 0x2B}, {StoreScope::ALL, 29, 0x2B},
      {StoreScope::SINGLE, 0, 0x28}, {StoreScope::SINGLE, 29, 0x28},
  };
  for (const Case& c : cases) {
    const PresetMessage& m = protocol.BuildStoreMessage(c.scope, c.n);
    EXPECT_EQ(m[5], c.command);
    EXPECT_EQ(&m, &protocol.DUMP_BUFFER);
    EXPECT_TRUE(isOurPresetMessage(m));
  }
  EXPECT_EQ(protocol.DUMP_BUFFER[26], 0x7A);
  EXPECT_EQ(protocol.DUMP_BUFFER[27], 0x01);
}

}  // namespace
}  // namespace kestralux
