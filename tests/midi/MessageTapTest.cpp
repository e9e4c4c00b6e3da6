// The monitor's hand-over from the MIDI threads: every message once, in order, none while
// nobody watches, and a full ring drops the newest and says how many.

#include <gtest/gtest.h>

#include <thread>

#include "midi/LoopbackPorts.h"
#include "midi/MessageTap.h"
#include "midi/TappedPorts.h"

using namespace kestralux;

TEST(MessageTap, TwoThreadsHandOverEveryMessageInOrder) {
  auto tap = std::make_shared<MessageTap>();
  tap->setWatched(true);
  auto ring = tap->newRing();
  constexpr int kCount = 20000;  // many times the ring, so it wraps and fills while read
  std::thread producer([ring] {
    for (int n = 0; n < kCount; ++n) {
      const std::uint8_t bytes[] = {static_cast<std::uint8_t>(n), static_cast<std::uint8_t>(n >> 8)};
      while (!ring->push(MessageDirection::In, "port", bytes, std::chrono::steady_clock::time_point(std::chrono::microseconds(n))))
        std::this_thread::yield();
    }
  });
  std::vector<int> seen;
  while (static_cast<int>(seen.size()) < kCount)
    for (const TappedMessage& m : tap->drain()) seen.push_back(m.bytes[0] | m.bytes[1] << 8);
  producer.join();
  ASSERT_EQ(seen.size(), static_cast<std::size_t>(kCount));
  for (int n = 0; n < kCount; ++n) ASSERT_EQ(seen[static_cast<std::size_t>(n)], n);
  // Every refused push was counted; the producer tried them again.
  EXPECT_EQ(tap->dropped(), ring->dropped());
}

TEST(MessageTap, FullRingDropsTheNewestAndCountsIt) {
  MessageTap tap;
  auto ring = tap.newRing();
  const std::uint8_t one[] = {1};
  for (std::size_t n = 0; n + 1 < TapRing::kSlots; ++n) ASSERT_TRUE(ring->push(MessageDirection::Out, "p", one, {}));
  EXPECT_FALSE(ring->push(MessageDirection::Out, "p", one, {}));
  EXPECT_EQ(tap.dropped(), 1u);
  EXPECT_EQ(tap.drain().size(), TapRing::kSlots - 1);
}

TEST(MessageTap, PortsShowTheTapOnlyWhileWatchedWithTheirPortNames) {
  auto tap = std::make_shared<MessageTap>();
  auto loopback = std::make_unique<LoopbackPorts>(std::vector<std::string>{"in a", "in b"}, std::vector<std::string>{"out a", "out b"});
  LoopbackPorts& wire = *loopback;
  TappedPorts ports(std::move(loopback), tap);
  ASSERT_TRUE(ports.openOutput(1));
  ASSERT_TRUE(ports.openInput(0, [](std::vector<std::uint8_t>) {}));
  const std::vector<std::uint8_t> message{0xF0, 0x01, 0xF7};
  ports.sendMessage(message);
  wire.inject(message);
  EXPECT_TRUE(tap->drain().empty()) << "nobody watched";

  tap->setWatched(true);
  ports.sendMessage(message);
  wire.inject(message);
  const std::vector<TappedMessage> seen = tap->drain();
  ASSERT_EQ(seen.size(), 2u);
  EXPECT_EQ(seen[0].direction, MessageDirection::Out);
  EXPECT_EQ(seen[0].port, "out b");
  EXPECT_EQ(seen[1].direction, MessageDirection::In);
  EXPECT_EQ(seen[1].port, "in a");
  EXPECT_EQ(seen[1].bytes, message);
  EXPECT_EQ(wire.allSent().size(), 2u) << "the wrapped ports sent both";
}
