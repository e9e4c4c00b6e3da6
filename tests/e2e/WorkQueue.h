#pragma once
// Stands in for the GUI thread's event queue: the port's thread posts, the test thread
// runs what was posted, so MIDI_LONG_DATA runs on the test thread as it would on the GUI
// thread in the program.

#include <chrono>
#include <condition_variable>
#include <deque>
#include <functional>
#include <mutex>

namespace kestralux::e2e {

class WorkQueue {
 public:
  void post(std::function<void()> work) {
    {
      std::lock_guard<std::mutex> guard(lock_);
      work_.push_back(std::move(work));
    }
    ready_.notify_one();
  }

  // Runs posted work on the calling thread until `done` holds or the time is up.
  bool runUntil(const std::function<bool()>& done, std::chrono::milliseconds timeout) {
    const auto end = std::chrono::steady_clock::now() + timeout;
    while (!done()) {
      std::deque<std::function<void()>> batch;
      {
        std::unique_lock<std::mutex> guard(lock_);
        if (!ready_.wait_until(guard, end, [this] { return !work_.empty(); })) return done();
        batch.swap(work_);
      }
      for (auto& w : batch) w();
    }
    return true;
  }

 private:
  std::mutex lock_;
  std::condition_variable ready_;
  std::deque<std::function<void()>> work_;
};

}  // namespace kestralux::e2e
