#include <gtest/gtest.h>

#include <cstdint>
#include <optional>
#include <random>
#include <string>
#include <vector>

#include "protocol/Sysex.h"
#include "sim/VirtualKestralux.h"

namespace kestralux {
namespace {

using Bytes = std::vector<std::uint8_t>;
using Kind = VirtualKestralux::Kind;

const std::uint8_t M = MANUFACTURER_ID[2];

Bytes parameter(int context, int code, int value) {
  const ParameterMessage m = buildParameterMessage(context, code, value);
  return Bytes(m.begin(), m.end());
}

Bytes preset(std::uint8_t command, const PresetRecord& record) {
  const PresetMessage m = buildPresetMessage(command, record);
  return Bytes(m.begin(), m.end());
}

// A bank whose records can be told apart: record n has AMP_GAIN n and a name.
PresetBank numberedBank() {
  PresetBank bank{};
  for (int n = 0; n < kPresetCount; ++n) {
    bank[n].storeName("P" + std::to_string(n + 1));
    bank[n].setValue(AMP_GAIN, n);
    bank[n].setSlot(kReservedSlot, 1000 + n);
  }
  return bank;
}

PresetRecord recordWithGain(int gain, int delayTime = 0) {
  PresetRecord r;
  r.setValue(AMP_GAIN, gain);
  r.setValue(DELAY_TIME, delayTime);
  return r;
}

// A live edit changes the current sound only: the stored slots, which a fetch brings back,
// stay as they were.
TEST(VirtualKestralux, ParameterMessagesSetTheCurrentSound) {
  struct Case {
    int context, code, valueByte;
    int index;
    int stored;
    const char* description;
  };
  const Case cases[] = {
      {0x00, 1, 5, AMP_TYPE, 5, "param AMP_TYPE ctx=00 code=01 value=5"},
      {0x00, 2, 0x14, AMP_GAIN, 20, "param AMP_GAIN ctx=00 code=02 value=20"},
      // Bit 0 of the context widens only DELAY_TIME and EFF_RATE.
      {0x01, 2, 0x14, AMP_GAIN, 20, "param AMP_GAIN ctx=01 code=02 value=20"},
      {0x00, 3, 31, AMP_MASTER, 31, "param AMP_MASTER ctx=00 code=03 value=31"},
      {0x00, 4, 7, AMP_BASS, 7, "param AMP_BASS ctx=00 code=04 value=7"},
      {0x00, 5, 8, AMP_MID, 8, "param AMP_MID ctx=00 code=05 value=8"},
      {0x00, 6, 9, AMP_TREBLE, 9, "param AMP_TREBLE ctx=00 code=06 value=9"},
      {0x00, 7, 10, REV_LEVEL, 10, "param REV_LEVEL ctx=00 code=07 value=10"},
      {0x00, 8, 11, DELAY_LEVEL, 11, "param DELAY_LEVEL ctx=00 code=08 value=11"},
      {0x00, 9, 12, DELAY_REGEN, 12, "param DELAY_REGEN ctx=00 code=09 value=12"},
      {0x00, 10, 13, DELAY_PAN, 13, "param DELAY_PAN ctx=00 code=0A value=13"},
      {0x01, 11, 0x7A, DELAY_TIME, 250, "param DELAY_TIME ctx=01 code=0B value=250"},
      {0x00, 11, 0x7A, DELAY_TIME, 122, "param DELAY_TIME ctx=00 code=0B value=122"},
      {0x15, 11, 0x00, DELAY_TIME, 128, "param DELAY_TIME ctx=15 code=0B value=128"},
      {0x05, 12, 0x48, EFF_RATE, 200, "param EFF_RATE ctx=05 code=0C value=200"},
      {0x04, 12, 0x48, EFF_RATE, 72, "param EFF_RATE ctx=04 code=0C value=72"},
      {0x1F, 12, 0x7F, EFF_RATE, 255, "param EFF_RATE ctx=1F code=0C value=255"},
      {0x09, 13, 5, GATE_THRES, 5, "param GATE_THRES ctx=09 code=0D value=5"},
      {0x00, 14, 15, EFFECT_SELECT, 15, "param EFFECT_SELECT ctx=00 code=0E value=15"},
      {0x1E, 15, 3, EFF_ADJUST1, 3, "param EFF_ADJUST1 ctx=1E code=0F value=3"},
      {0x01, 15, 3, EFF_ADJUST1, 3, "param EFF_ADJUST1 ctx=01 code=0F value=3"},
      {0x00, 16, 4, EFF_ADJUST2, 4, "param EFF_ADJUST2 ctx=00 code=10 value=4"},
  };
  const PresetBank start = numberedBank();
  for (const Case& c : cases) {
    SCOPED_TRACE(c.description);
    VirtualKestralux device(start);
    const auto reception = device.receive(parameter(c.context, c.code, c.valueByte));
    EXPECT_EQ(reception.kind, Kind::Parameter);
    EXPECT_EQ(reception.description, c.description);
    EXPECT_TRUE(reception.answer.empty());

    PresetRecord expected = start[device.currentPreset()];
    expected.setValue(c.index, c.stored);
    EXPECT_EQ(device.sound(), expected);
    EXPECT_EQ(device.bank(), start);
  }
}

TEST(VirtualKestralux, BankRequestAnswersWithTheWholeBankByteForByte) {
  PresetBank bank{};
  bank[0] = recordWithGain(20, 250);
  bank[1].setValue(EFF_RATE, 255);
  bank[29].setValue(AMP_TYPE, 15);
  VirtualKestralux device(bank);

  const auto reception = device.receive(Bytes{0xF0, 0x00, 0x00, M, 0x06, 0x42, 0x00, 0x37, 0x00, 0xF7});
  EXPECT_EQ(reception.kind, Kind::BankRequest);
  EXPECT_EQ(reception.description, "bank request: answering with 30 presets");
  ASSERT_EQ(reception.answer.size(), 30u);

  const PresetMessage first{0xF0, 0x00, 0x00, M,    0x06, 0x2A, 0x00, 0x00, 0x14, 0x00,  // AMP_TYPE, AMP_GAIN
                            0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00,
                            0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x7A, 0x01,              // DELAY_TIME 250
                            0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00,
                            0x6F, 0xF7};
  const PresetMessage second{0xF0, 0x00, 0x00, M,    0x06, 0x2B, 0x00, 0x00, 0x00, 0x00,
                             0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00,
                             0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x7F, 0x01,  // EFF_RATE 255
                             0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x7E, 0xF7};
  const PresetMessage last{0xF0, 0x00, 0x00, M,    0x06, 0x2B, 0x0F, 0x00, 0x00, 0x00,  // AMP_TYPE 15
                           0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00,
                           0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00,
                           0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x0F, 0xF7};
  EXPECT_EQ(reception.answer[0], first);
  EXPECT_EQ(reception.answer[1], second);
  EXPECT_EQ(reception.answer[29], last);
  for (int n = 2; n < 29; ++n) EXPECT_EQ(reception.answer[n], buildPresetMessage(CMD_BANK_NEXT, PresetRecord{})) << n;
  EXPECT_EQ(device.bank(), bank) << "a request changes nothing";
}

// A bad link on demand: a short answer, one damaged message, or none at all.
TEST(VirtualKestralux, ShapedBankAnswers) {
  struct Row {
    VirtualKestralux::AnswerShape shape;
    std::size_t messages;
    int damaged;  // 1-based, 0 for none
    const char* description;
  };
  const Row rows[] = {
      {{12, 5, false}, 12, 5, "bank request: answering with 12 presets, preset 5 damaged"},
      {{30, 30, false}, 30, 30, "bank request: answering with 30 presets, preset 30 damaged"},
      {{4, 9, false}, 4, 0, "bank request: answering with 4 presets"},
      {{30, 0, true}, 0, 0, "bank request: answering with 0 presets"},
  };
  const PresetBank bank = numberedBank();
  for (const Row& row : rows) {
    SCOPED_TRACE(row.description);
    VirtualKestralux device(bank, row.shape);
    const auto reception = device.receive(parameter(0, CODE_REQUEST_BANK, 0));
    EXPECT_EQ(reception.description, row.description);
    ASSERT_EQ(reception.answer.size(), row.messages);
    for (std::size_t n = 0; n < row.messages; ++n) {
      const bool damaged = static_cast<int>(n) + 1 == row.damaged;
      EXPECT_EQ(isOurPresetMessage(reception.answer[n]), !damaged) << "message " << n + 1;
      PresetMessage good = buildPresetMessage(n == 0 ? CMD_BANK_FIRST : CMD_BANK_NEXT, bank[n]);
      if (damaged) good[kChecksumByte] ^= 0x01;
      EXPECT_EQ(reception.answer[n], good) << "message " << n + 1;
    }
  }
}

TEST(VirtualKestralux, StartUpIsNotedAndChangesNothing) {
  const PresetBank start = numberedBank();
  VirtualKestralux device(start);
  const auto reception = device.receive(Bytes{0xF0, 0x00, 0x00, M, 0x06, 0x42, 0x00, 0x00, 0x00, 0xF7});
  EXPECT_EQ(reception.kind, Kind::Startup);
  EXPECT_EQ(reception.description, "start-up");
  EXPECT_EQ(device.startupCount(), 1);
  EXPECT_EQ(device.bank(), start);
}

TEST(VirtualKestralux, StoreAllWritesEveryRecordAndKeepsNamesAndReservedWords) {
  const PresetBank start = numberedBank();
  VirtualKestralux device(start);
  for (int n = 0; n < kPresetCount; ++n) {
    const auto reception = device.receive(preset(n == 0 ? CMD_BANK_FIRST : CMD_BANK_NEXT, recordWithGain(100 + n, n)));
    ASSERT_EQ(reception.kind, Kind::StoredPreset) << n;
    EXPECT_EQ(reception.description, (n == 0 ? std::string("store-all first 0x2A") : std::string("store-all next 0x2B")) +
                                         " -> preset " + std::to_string(n + 1));
  }
  for (int n = 0; n < kPresetCount; ++n) {
    PresetRecord expected = start[n];
    expected.setValue(AMP_GAIN, 100 + n);
    expected.setValue(DELAY_TIME, n);
    EXPECT_EQ(device.bank()[n], expected) << n;
  }
}

// Each row is a sequence of store messages, given as the gain each carries and the
// command; the result is which records end up with which gain.
TEST(VirtualKestralux, StoreCursorRules) {
  struct Step {
    std::uint8_t command;
    int gain;
    Kind kind;
    int ampModel = 0;
  };
  struct Case {
    const char* name;
    std::vector<Step> steps;
    std::vector<std::pair<int, int>> recordGains;  // record, gain afterwards
    int current = 0;
  };
  std::vector<Step> fullThenOneMore{{CMD_BANK_FIRST, 50, Kind::StoredPreset}};
  for (int n = 1; n < kPresetCount; ++n) fullThenOneMore.push_back({CMD_BANK_NEXT, 50 + n, Kind::StoredPreset});
  fullThenOneMore.push_back({CMD_BANK_NEXT, 127, Kind::Ignored});

  const Case cases[] = {
      {"0x2B without 0x2A is ignored", {{CMD_BANK_NEXT, 99, Kind::Ignored}}, {{0, 0}, {1, 1}}},
      {"second 0x2A restarts at record 0",
       {{CMD_BANK_FIRST, 90, Kind::StoredPreset}, {CMD_BANK_NEXT, 91, Kind::StoredPreset},
        {CMD_BANK_FIRST, 92, Kind::StoredPreset}, {CMD_BANK_NEXT, 93, Kind::StoredPreset}},
       {{0, 92}, {1, 93}, {2, 2}}},
      {"0x28 writes the current preset and leaves the cursor",
       {{CMD_BANK_FIRST, 90, Kind::StoredPreset}, {CMD_STORE_ONE, 77, Kind::StoredPreset},
        {CMD_BANK_NEXT, 91, Kind::StoredPreset}},
       {{0, 77}, {1, 91}, {2, 2}}},
      {"0x2B past the last preset is ignored", fullThenOneMore, {{0, 50}, {28, 78}, {29, 79}}},
      {"a refused 0x2B holds its place",
       {{CMD_BANK_FIRST, 90, Kind::StoredPreset}, {CMD_BANK_NEXT, 91, Kind::Ignored, kAmpModelCount},
        {CMD_BANK_NEXT, 92, Kind::StoredPreset}},
       {{0, 90}, {1, 1}, {2, 92}}},
      {"0x28 writes the current slot given at start", {{CMD_STORE_ONE, 77, Kind::StoredPreset}}, {{0, 0}, {5, 77}}, 5},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    VirtualKestralux device(numberedBank(), {}, c.current);
    for (const Step& s : c.steps) {
      PresetRecord record = recordWithGain(s.gain);
      record.setValue(AMP_TYPE, s.ampModel);
      EXPECT_EQ(device.receive(preset(s.command, record)).kind, s.kind);
    }
    for (const auto& [record, gain] : c.recordGains) EXPECT_EQ(device.bank()[record].value(AMP_GAIN), gain) << record;
  }
}

TEST(VirtualKestralux, IgnoresWhatIsNotItsOwnAndChangesNothing) {
  Bytes badChecksum = preset(CMD_STORE_ONE, recordWithGain(20));
  badChecksum[kChecksumByte] ^= 0x01;
  Bytes truncatedPreset = preset(CMD_BANK_FIRST, recordWithGain(20));
  truncatedPreset.erase(truncatedPreset.begin() + 20);
  Bytes presetWithoutEnd = preset(CMD_BANK_FIRST, recordWithGain(20));
  presetWithoutEnd.back() = 0x00;
  Bytes highDataByte = parameter(0, 2, 20);
  highDataByte[8] = 0x94;

  struct Case {
    const char* name;
    Bytes message;
  };
  const Case cases[] = {
      {"empty", {}},
      {"note on", {0x90, 0x40, 0x7F}},
      {"lone start byte", {0xF0}},
      {"lone end byte", {0xF7}},
      {"other manufacturer", {0xF0, 0x00, 0x00, static_cast<std::uint8_t>(M ^ 1), 0x06, 0x42, 0x00, 0x02, 0x14, 0xF7}},
      {"one-byte manufacturer", {0xF0, 0x43, 0x00, M, 0x06, 0x42, 0x00, 0x02, 0x14, 0xF7}},
      {"other model", {0xF0, 0x00, 0x00, M, 0x07, 0x42, 0x00, 0x02, 0x14, 0xF7}},
      {"parameter 9 bytes", {0xF0, 0x00, 0x00, M, 0x06, 0x42, 0x02, 0x14, 0xF7}},
      {"parameter 11 bytes", {0xF0, 0x00, 0x00, M, 0x06, 0x42, 0x00, 0x02, 0x14, 0x00, 0xF7}},
      {"parameter without end byte", {0xF0, 0x00, 0x00, M, 0x06, 0x42, 0x00, 0x02, 0x14, 0x00}},
      {"data byte with bit 7", highDataByte},
      {"unknown command", {0xF0, 0x00, 0x00, M, 0x06, 0x43, 0x00, 0x02, 0x14, 0xF7}},
      {"code 17", parameter(0, 17, 1)},
      {"code 54", parameter(0, 54, 1)},
      {"code 56", parameter(0, 56, 1)},
      {"preset with a wrong checksum", badChecksum},
      {"preset one byte short", truncatedPreset},
      {"preset without end byte", presetWithoutEnd},
      {"amp model 16 in a live edit", parameter(0, 1, 16)},
      {"effect code 1 in a live edit", parameter(0, 14, 1)},
      {"store-one of effect code 3", [] {
         PresetRecord r;
         r.setValue(EFFECT_SELECT, 3);
         return preset(CMD_STORE_ONE, r);
       }()},
      {"request command as a preset length", [] {
         Bytes b = preset(CMD_BANK_FIRST, PresetRecord{});
         b[5] = CMD_PARAMETER;
         return b;
       }()},
  };
  const PresetBank start = numberedBank();
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    VirtualKestralux device(start);
    const auto reception = device.receive(c.message);
    EXPECT_EQ(reception.kind, Kind::Ignored);
    EXPECT_EQ(reception.description.rfind("ignored: ", 0), 0u) << reception.description;
    EXPECT_TRUE(reception.answer.empty());
    EXPECT_EQ(device.bank(), start);
    EXPECT_EQ(device.sound(), start[0]);
    EXPECT_EQ(device.startupCount(), 0);
  }
}

// Random bytes behind a header of ours reach every branch; whatever is rejected must
// leave the bank and the sound as they were, and both only ever hold presets.
TEST(VirtualKestralux, RandomInputNeverCorruptsTheBank) {
  std::mt19937 random(20240607);
  VirtualKestralux device(numberedBank());
  int accepted = 0;
  for (int round = 0; round < 20000; ++round) {
    const std::size_t lengths[] = {kParameterMessageSize, kPresetMessageSize, random() % 48};
    Bytes message(lengths[random() % 3]);
    const unsigned mask = random() % 2 ? 0x7F : 0xFF;
    for (auto& b : message) b = static_cast<std::uint8_t>(random() & mask);
    const Bytes head{0xF0, 0x00, 0x00, M, 0x06, static_cast<std::uint8_t>(0x28 + random() % 0x1B)};
    if (random() % 2) std::copy_n(head.begin(), std::min(head.size(), message.size()), message.begin());
    if (!message.empty() && random() % 2) message.back() = 0xF7;

    const PresetBank before = device.bank();
    const PresetRecord soundBefore = device.sound();
    const auto reception = device.receive(message);
    if (reception.kind == Kind::Ignored || reception.kind == Kind::BankRequest || reception.kind == Kind::Startup) {
      ASSERT_EQ(device.bank(), before) << reception.description;
      ASSERT_EQ(device.sound(), soundBefore) << reception.description;
    } else {
      ++accepted;
    }
    for (const PresetRecord& r : device.bank()) ASSERT_TRUE(isPreset(r)) << reception.description;
    ASSERT_TRUE(isPreset(device.sound())) << reception.description;
  }
  EXPECT_GT(accepted, 0) << "the random input never reached the applying branches";
}

// --stuck-slot names a control as the window captions it, in any case; EFFECT SELECT has no
// step of one and is refused, as is a caption the window does not have.
TEST(VirtualKestralux, FaultsNameAControlByItsCaption) {
  const struct {
    const char* caption;
    std::optional<int> parameter;
  } rows[] = {{"GAIN", AMP_GAIN}, {"delay time", DELAY_TIME}, {"Effect Adjust 1", EFF_ADJUST1},
              {"EFFECT SELECT", std::nullopt}, {"VOLUME", std::nullopt}, {"", std::nullopt}};
  for (const auto& row : rows) EXPECT_EQ(steppedParameterOfCaption(row.caption), row.parameter) << row.caption;
}

TEST(VirtualKestralux, ParameterNames) {
  EXPECT_STREQ(parameterNameOfCode(1), "AMP_TYPE");
  EXPECT_STREQ(parameterNameOfCode(16), "EFF_ADJUST2");
  EXPECT_STREQ(parameterNameOfCode(0), "");
  EXPECT_STREQ(parameterNameOfCode(17), "");
}

}  // namespace
}  // namespace kestralux
