#pragma once
// Received messages come on the port's thread and wait here for the tool's own loop.

#include <deque>
#include <functional>
#include <mutex>

namespace kestralux {

class Inbox {
 public:
  void post(std::function<void()> work) {
    std::lock_guard<std::mutex> guard(lock_);
    work_.push_back(std::move(work));
  }
  void runPosted() {
    std::deque<std::function<void()>> batch;
    {
      std::lock_guard<std::mutex> guard(lock_);
      batch.swap(work_);
    }
    for (auto& w : batch) w();
  }

 private:
  std::mutex lock_;
  std::deque<std::function<void()>> work_;
};

}  // namespace kestralux
