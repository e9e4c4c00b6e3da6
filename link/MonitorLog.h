#pragma once
// What the MIDI monitor lists: every message taken from the tap, read once into the window's
// words, at most kMostLines of them (the oldest go first), and which of them the filters show.

#include <chrono>
#include <cstdint>
#include <deque>
#include <span>
#include <string>
#include <vector>

#include "link/MessageWords.h"
#include "midi/MessageTap.h"

namespace kestralux {

struct MonitorLine {
  std::int64_t ms = 0;  // since the monitor opened
  MessageDirection direction = MessageDirection::In;
  std::string port;
  MessageMeaning meaning;
  std::vector<std::uint8_t> bytes;
};

// "   1234 ms  IN   40  PRESET 7 OF 30 (0x2B)  from PORT", the bytes after a colon when asked.
std::string lineText(const MonitorLine& line, bool withBytes);

struct MonitorFilter {
  bool in = true;
  bool out = true;
  // A moving slider sends a message every step and would flood the list.
  bool liveEdits = false;
  bool transfers = true;
  bool damagedOnly = false;

  bool shows(const MonitorLine& line) const;
  bool operator==(const MonitorFilter&) const = default;
};

class MonitorLog {
 public:
  static constexpr std::size_t kMostLines = 10000;

  explicit MonitorLog(std::chrono::steady_clock::time_point opened) : opened_(opened) {}

  // What a take did to the shown lines: rows gone from the top, rows added at the end.
  struct Change {
    std::size_t removedAtFront = 0;
    std::size_t appended = 0;
  };
  Change take(const TappedMessage& message);

  // Every line is kept whatever the filter: a filter changed later shows them.
  void setFilter(const MonitorFilter& filter);
  const MonitorFilter& filter() const { return filter_; }

  std::size_t lineCount() const { return lines_.size(); }
  std::size_t shownCount() const { return shown_.size(); }
  const MonitorLine& shown(std::size_t row) const;
  void clear();

  // The shown lines at `rows` (all shown lines when empty), one a line.
  std::string text(std::span<const std::size_t> rows, bool withBytes) const;
  // Their messages one after the other, as a .syx holds them.
  std::vector<std::uint8_t> syx(std::span<const std::size_t> rows) const;

 private:
  std::vector<std::size_t> rowsOrAll(std::span<const std::size_t> rows) const;

  std::chrono::steady_clock::time_point opened_;
  MessageReader reader_;
  MonitorFilter filter_;
  std::deque<MonitorLine> lines_;
  std::uint64_t firstSerial_ = 0;  // the serial number of lines_.front()
  std::deque<std::uint64_t> shown_;
};

}  // namespace kestralux
