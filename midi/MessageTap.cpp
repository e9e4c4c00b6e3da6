#include "midi/MessageTap.h"

#include <algorithm>

namespace kestralux {

bool TapRing::push(MessageDirection direction, const std::string& port, std::span<const std::uint8_t> bytes,
                   std::chrono::steady_clock::time_point at) {
  const std::size_t head = head_.load(std::memory_order_relaxed);
  const std::size_t next = (head + 1) % kSlots;
  if (next == tail_.load(std::memory_order_acquire)) {
    dropped_.fetch_add(1, std::memory_order_relaxed);
    return false;
  }
  TappedMessage& slot = slots_[head];
  slot.at = at;
  slot.direction = direction;
  slot.port.assign(port);
  slot.bytes.assign(bytes.begin(), bytes.end());
  head_.store(next, std::memory_order_release);
  return true;
}

bool TapRing::pop(TappedMessage& out) {
  const std::size_t tail = tail_.load(std::memory_order_relaxed);
  if (tail == head_.load(std::memory_order_acquire)) return false;
  // Copied, not moved: the slot keeps its buffers for the producer's next push.
  const TappedMessage& slot = slots_[tail];
  out.at = slot.at;
  out.direction = slot.direction;
  out.port = slot.port;
  out.bytes = slot.bytes;
  tail_.store((tail + 1) % kSlots, std::memory_order_release);
  return true;
}

std::shared_ptr<TapRing> MessageTap::newRing() {
  auto ring = std::make_shared<TapRing>();
  std::lock_guard<std::mutex> guard(rings_);
  // Rings whose producers are gone, with nothing left to read, go here too: a tap nobody
  // drains must not grow with every input opened.
  std::erase_if(list_, [this](const std::shared_ptr<TapRing>& r) {
    if (r.use_count() != 1 || !r->peekEmpty()) return false;
    droppedByGone_ += r->dropped();
    return true;
  });
  list_.push_back(ring);
  return ring;
}

std::vector<TappedMessage> MessageTap::drain() {
  std::vector<TappedMessage> messages;
  std::lock_guard<std::mutex> guard(rings_);
  for (auto it = list_.begin(); it != list_.end();) {
    // Asked before the ring is read: a producer that lets go meanwhile has pushed its last.
    const bool producerGone = it->use_count() == 1;
    TappedMessage m;
    while ((*it)->pop(m)) messages.push_back(std::move(m));
    if (producerGone) {
      droppedByGone_ += (*it)->dropped();
      it = list_.erase(it);
    } else {
      ++it;
    }
  }
  std::stable_sort(messages.begin(), messages.end(), [](const TappedMessage& a, const TappedMessage& b) { return a.at < b.at; });
  return messages;
}

std::uint64_t MessageTap::dropped() const {
  std::lock_guard<std::mutex> guard(rings_);
  std::uint64_t total = droppedByGone_;
  for (const auto& ring : list_) total += ring->dropped();
  return total;
}

}  // namespace kestralux
