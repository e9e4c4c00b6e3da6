#include "protocol/RxRing.h"

#include <algorithm>

namespace kestralux {

RxStoreResult RxRing::store(std::span<const std::uint8_t> message) {
  const std::size_t n = message.size();
  if (n < kShortestStoredMessage) return RxStoreResult::TooShort;
  if (n > kLongestStoredMessage) return RxStoreResult::TooLong;
  const int next = (RX_WRITE + 1) % kRxSlotCount;
  // A full ring drops the newest message: a waiting one is never overwritten.
  if (next == RX_READ) return RxStoreResult::RingFull;

  RX_WRITE = next;
  RxSlot& slot = RX_RING[static_cast<std::size_t>(RX_WRITE)];
  for (std::size_t i = 0; i <= n - 3; ++i) slot.data[i] = message[i];
  slot.data[38] = message[n - 2];
  slot.length = n;
  slot.endsWithF7 = message[n - 1] == 0xF7;
  slot.highDataByte = std::any_of(message.begin() + 1, message.end() - 1, [](std::uint8_t b) { return b >= 0x80; });
  RX_PENDING = true;
  return RxStoreResult::Stored;
}

const RxSlot& RxRing::takeNext() {
  RX_READ = (RX_READ + 1) % kRxSlotCount;
  if (RX_READ == RX_WRITE) RX_PENDING = false;
  return RX_RING[static_cast<std::size_t>(RX_READ)];
}

}  // namespace kestralux
