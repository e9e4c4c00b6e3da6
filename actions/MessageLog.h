#pragma once
// What the editor told the user lately, to be read again after it left the message line:
// the newest 50, each with the time it was said.

#include <chrono>
#include <cstddef>
#include <deque>
#include <string>

namespace kestralux {

class MessageLog {
 public:
  using Time = std::chrono::system_clock::time_point;
  struct Entry {
    Time when;
    std::string text;
    bool operator==(const Entry&) const = default;
  };

  static constexpr std::size_t kKept = 50;
  // A message stays on the line this long, unless the next one takes its place first.
  static constexpr std::chrono::seconds kShown{8};

  // An empty text is nothing said.
  void add(std::string text, Time when);
  // Oldest first.
  const std::deque<Entry>& entries() const { return entries_; }

 private:
  std::deque<Entry> entries_;
};

// "14:03:55  ALL PRESETS RECEIVED", in local time.
std::string logLine(const MessageLog::Entry& entry);

}  // namespace kestralux
