#pragma once
// A copy of every message the program sends or receives, for whoever watches (the MIDI
// monitor, a --trace). A port hands its messages over on the thread it runs on, the MIDI
// backend's for what arrives, without a lock: each producer writes a ring of its own, which
// only the watcher's thread reads. While nobody watches, a message costs one atomic load.

#include <array>
#include <atomic>
#include <chrono>
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <span>
#include <string>
#include <vector>

namespace kestralux {

enum class MessageDirection { In, Out };

struct TappedMessage {
  std::chrono::steady_clock::time_point at;
  MessageDirection direction = MessageDirection::In;
  std::string port;
  std::vector<std::uint8_t> bytes;
};

// One producer thread, one consumer thread. Slots keep their buffers, so once warm a push
// allocates nothing. A full ring drops the newest message and counts it.
class TapRing {
 public:
  static constexpr std::size_t kSlots = 512;

  bool push(MessageDirection direction, const std::string& port, std::span<const std::uint8_t> bytes,
            std::chrono::steady_clock::time_point at);
  bool pop(TappedMessage& out);
  std::uint64_t dropped() const { return dropped_.load(std::memory_order_relaxed); }
  bool peekEmpty() const { return tail_.load(std::memory_order_acquire) == head_.load(std::memory_order_acquire); }

 private:
  std::array<TappedMessage, kSlots> slots_;
  std::atomic<std::size_t> head_{0};  // next to write; written by the producer only
  std::atomic<std::size_t> tail_{0};  // next to read; written by the consumer only
  std::atomic<std::uint64_t> dropped_{0};
};

class MessageTap {
 public:
  // A ring for one producer. Made and drained on the watcher's thread; the producer keeps it
  // for as long as it may push, and a ring nobody else holds goes once it is drained.
  std::shared_ptr<TapRing> newRing();

  // Whether anybody watches; ports skip the copy while nobody does.
  void setWatched(bool watched) { watched_.store(watched, std::memory_order_relaxed); }
  bool watched() const { return watched_.load(std::memory_order_relaxed); }

  // Every message waiting in any ring, oldest first.
  std::vector<TappedMessage> drain();
  // Messages lost because a ring was full, since the tap was made.
  std::uint64_t dropped() const;

 private:
  std::atomic<bool> watched_{false};
  mutable std::mutex rings_;  // the list only; never taken on a MIDI thread
  std::vector<std::shared_ptr<TapRing>> list_;
  std::uint64_t droppedByGone_ = 0;
};

}  // namespace kestralux
