#pragma once
// The receive ring: received SysEx messages wait here, one per 41-byte slot, until the
// poll tick hands them to the decoder. Written and read on the GUI thread only.

#include <array>
#include <cstddef>
#include <cstdint>
#include <span>

namespace kestralux {

inline constexpr std::size_t kRxSlotSize = 41;
// Room for a whole 30-message bank transfer and more: a bank never laps the reader.
inline constexpr int kRxSlotCount = 64;
inline constexpr std::size_t kShortestStoredMessage = 11;
inline constexpr std::size_t kLongestStoredMessage = 43;  // bytes 6..n-3 still fit a slot

struct RxSlot {
  // Message bytes 0..n-3 at their own positions, byte n-2 at 38; the closing 0xF7 is not
  // kept. Bytes a message does not reach keep what they held.
  std::array<std::uint8_t, kRxSlotSize> data{};
  // Length of the whole message as received, so the decoder can tell a whole preset
  // message (40 bytes ending in 0xF7) from anything else.
  std::size_t length = 0;
  bool endsWithF7 = false;
  // A byte of 0x80 or more among bytes 1..n-2. Noted while the whole message is at hand:
  // in a message of 41 to 43 bytes, byte 38 is overwritten by byte n-2 in the slot.
  bool highDataByte = false;
};
static_assert(sizeof(RxSlot::data) == 41, "a receive slot holds 41 bytes");

enum class RxStoreResult { Stored, TooShort, TooLong, RingFull };

class RxRing {
 public:
  // MIDI_LONG_DATA's copy of one received message into the next slot.
  RxStoreResult store(std::span<const std::uint8_t> message);

  // Advances RX_READ and returns that slot; clears RX_PENDING once the reader has
  // caught up. Only call while RX_PENDING is set.
  const RxSlot& takeNext();

  int waiting() const { return (RX_WRITE - RX_READ + kRxSlotCount) % kRxSlotCount; }

  std::array<RxSlot, kRxSlotCount> RX_RING{};
  int RX_WRITE = 1;  // slot written last
  int RX_READ = 1;   // slot decoded last
  bool RX_PENDING = false;
};

}  // namespace kestralux
