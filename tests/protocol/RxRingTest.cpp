#include "protocol/RxRing.h"

#include <gtest/gtest.h>

#include <numeric>
#include <vector>

namespace kestralux {
namespace {

std::vector<std::uint8_t> counting(std::size_t n, std::uint8_t first = 1) {
  std::vector<std::uint8_t> m(n);
  std::iota(m.begin(), m.end(), first);
  if (!m.empty()) m.back() = 0xF7;
  return m;
}

struct SlotCase {
  const char* name;
  std::size_t length;
  RxStoreResult result;
};

class RxRingStore : public ::testing::TestWithParam<SlotCase> {};

TEST_P(RxRingStore, StoresOnlyLengthsThatFitASlot) {
  RxRing ring;
  const auto& c = GetParam();
  EXPECT_EQ(ring.store(counting(c.length)), c.result);
  EXPECT_EQ(ring.RX_PENDING, c.result == RxStoreResult::Stored);
  EXPECT_EQ(ring.RX_WRITE, c.result == RxStoreResult::Stored ? 2 : 1);
}

INSTANTIATE_TEST_SUITE_P(Lengths, RxRingStore,
                         ::testing::Values(SlotCase{"empty", 0, RxStoreResult::TooShort},
                                           SlotCase{"ten", 10, RxStoreResult::TooShort},
                                           SlotCase{"eleven", 11, RxStoreResult::Stored},
                                           SlotCase{"forty", 40, RxStoreResult::Stored},
                                           SlotCase{"fortythree", 43, RxStoreResult::Stored},
                                           SlotCase{"fortyfour", 44, RxStoreResult::TooLong},
                                           SlotCase{"bufferful", 1024, RxStoreResult::TooLong}),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(RxRing, ElevenByteMessageFillsBytesZeroToEightAndThirtyEight) {
  RxRing ring;
  ring.RX_RING[2].data.fill(0xEE);
  const auto m = counting(11);  // 1..10, F7
  ASSERT_EQ(ring.store(m), RxStoreResult::Stored);
  const RxSlot& slot = ring.RX_RING[2];
  for (std::size_t i = 0; i <= 8; ++i) EXPECT_EQ(slot.data[i], m[i]) << "byte " << i;
  for (std::size_t i = 9; i < 38; ++i) EXPECT_EQ(slot.data[i], 0xEE) << "byte " << i;
  EXPECT_EQ(slot.data[38], m[9]);
  EXPECT_EQ(slot.data[39], 0xEE);
  EXPECT_EQ(slot.length, 11u);
  EXPECT_TRUE(slot.endsWithF7);
}

TEST(RxRing, FortyByteMessageFillsBytesZeroToThirtyEightAndKeepsTheTail) {
  RxRing ring;
  ring.RX_RING[2].data[39] = 0x11;
  ring.RX_RING[2].data[40] = 0x22;
  const auto m = counting(40);
  ASSERT_EQ(ring.store(m), RxStoreResult::Stored);
  const RxSlot& slot = ring.RX_RING[2];
  for (std::size_t i = 0; i <= 38; ++i) EXPECT_EQ(slot.data[i], m[i]) << "byte " << i;
  EXPECT_EQ(slot.data[39], 0x11);
  EXPECT_EQ(slot.data[40], 0x22);
}

TEST(RxRing, MessagesComeOutInOrderAndPendingClearsWhenCaughtUp) {
  RxRing ring;
  for (std::uint8_t k = 0; k < 5; ++k) ASSERT_EQ(ring.store(counting(40, k)), RxStoreResult::Stored);
  EXPECT_EQ(ring.waiting(), 5);
  for (std::uint8_t k = 0; k < 5; ++k) {
    ASSERT_TRUE(ring.RX_PENDING);
    EXPECT_EQ(ring.takeNext().data[0], k);
  }
  EXPECT_FALSE(ring.RX_PENDING);
  EXPECT_EQ(ring.RX_READ, ring.RX_WRITE);
}

TEST(RxRing, FullRingDropsTheNewestAndKeepsEveryWaitingMessage) {
  RxRing ring;
  int stored = 0;
  for (int k = 0; k < kRxSlotCount + 5; ++k) {
    if (ring.store(counting(40, static_cast<std::uint8_t>(k))) == RxStoreResult::Stored) ++stored;
  }
  EXPECT_EQ(stored, kRxSlotCount - 1);
  EXPECT_EQ(ring.store(counting(40, 0xAA)), RxStoreResult::RingFull);
  for (int k = 0; k < stored; ++k) EXPECT_EQ(ring.takeNext().data[0], k) << "message " << k;
  EXPECT_FALSE(ring.RX_PENDING);
  // Room again once read.
  EXPECT_EQ(ring.store(counting(40, 0x55)), RxStoreResult::Stored);
}

TEST(RxRing, IndicesWrapAroundTheRingWithoutLosingOrder) {
  RxRing ring;
  for (int k = 0; k < 3 * kRxSlotCount; ++k) {
    ASSERT_EQ(ring.store(counting(11, static_cast<std::uint8_t>(k))), RxStoreResult::Stored);
    EXPECT_EQ(ring.takeNext().data[0], static_cast<std::uint8_t>(k));
    EXPECT_GE(ring.RX_WRITE, 0);
    EXPECT_LT(ring.RX_WRITE, kRxSlotCount);
  }
}

TEST(RxRing, BankTransferFitsWithRoomToSpare) {
  RxRing ring;
  for (int k = 0; k < 30; ++k) ASSERT_EQ(ring.store(counting(40)), RxStoreResult::Stored);
  EXPECT_EQ(ring.waiting(), 30);
}

}  // namespace
}  // namespace kestralux
