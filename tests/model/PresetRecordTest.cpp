#include <gtest/gtest.h>

#include <array>
#include <cstdint>

#include "model/PresetRecord.h"

namespace kestralux {
namespace {

TEST(PresetRecord, ByteImageIsLittleEndianSlotsWithNameFirst) {
  PresetRecord r;
  ASSERT_TRUE(r.storeName("CRUNCH"));
  r.setValue(AMP_TYPE, 2);
  r.setValue(AMP_GAIN, 20);
  r.setValue(DELAY_TIME, 250);
  r.setValue(EFF_ADJUST2, 0x01020304);
  r.setSlot(kReservedSlot, -2);

  std::array<std::uint8_t, 88> expected{};
  const char name[] = "CRUNCH";
  for (int i = 0; i < 6; ++i) expected[i] = static_cast<std::uint8_t>(name[i]);
  expected[20] = 2;                       // slot 5, AMP_TYPE
  expected[24] = 20;                      // slot 6, AMP_GAIN
  expected[60] = 250;                     // slot 15, DELAY_TIME
  expected[80] = 0x04; expected[81] = 0x03; expected[82] = 0x02; expected[83] = 0x01;  // slot 20
  expected[84] = 0xFE; expected[85] = 0xFF; expected[86] = 0xFF; expected[87] = 0xFF;  // reserved -2
  EXPECT_EQ(r.bytes, expected);
  EXPECT_EQ(r.slot(kReservedSlot), -2);
  EXPECT_EQ(r.value(EFF_ADJUST2), 0x01020304);
}

TEST(PresetRecord, NameRules) {
  struct Case { const char* text; bool stored; };
  const Case cases[] = {
      {"", false}, {"A", true}, {"NINETEEN CHARACTERS", true}, {"TWENTY CHARACTERS XX", false},
  };
  for (const Case& c : cases) {
    PresetRecord r;
    ASSERT_TRUE(r.storeName("OLD"));
    EXPECT_EQ(r.storeName(c.text), c.stored) << c.text;
    EXPECT_EQ(*r.validName(), c.stored ? std::string(c.text) : std::string("OLD")) << c.text;
  }
}

TEST(PresetRecord, ShorterNameLeavesBytesBehindTerminator) {
  PresetRecord r;
  ASSERT_TRUE(r.storeName("ABCDEF"));
  ASSERT_TRUE(r.storeName("X"));
  ASSERT_TRUE(r.storeName("XY"));
  const std::array<std::uint8_t, 7> expected{'X', 'Y', 0, 'D', 'E', 'F', 0};
  EXPECT_TRUE(std::equal(expected.begin(), expected.end(), r.bytes.begin()));
  EXPECT_EQ(*r.validName(), "XY");
}

TEST(PresetRecord, InvalidNameFields) {
  PresetRecord empty;
  EXPECT_FALSE(empty.validName());
  PresetRecord unterminated;
  for (std::size_t i = 0; i < kNameFieldSize; ++i) unterminated.bytes[i] = 'A';
  EXPECT_FALSE(unterminated.validName());
  unterminated.bytes[19] = 0;
  EXPECT_EQ(unterminated.validName()->size(), 19u);
}

}  // namespace
}  // namespace kestralux
