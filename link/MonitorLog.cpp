#include "link/MonitorLog.h"

#include <cstdio>

namespace kestralux {

std::string lineText(const MonitorLine& line, bool withBytes) {
  const bool in = line.direction == MessageDirection::In;
  char head[64];
  std::snprintf(head, sizeof head, "%7lld ms  %-3s %4zu  ", static_cast<long long>(line.ms), in ? "IN" : "OUT",
                line.bytes.size());
  std::string text = head + line.meaning.words + (in ? "  from " : "  to ") + line.port;
  if (withBytes) text += ": " + hexBytes(line.bytes);
  return text;
}

bool MonitorFilter::shows(const MonitorLine& line) const {
  const MessageKind kind = line.meaning.kind;
  if (damagedOnly) return kind == MessageKind::Damaged;
  if (!(line.direction == MessageDirection::In ? in : out)) return false;
  if (kind == MessageKind::LiveEdit) return liveEdits;
  if (isTransferKind(kind)) return transfers;
  return true;
}

MonitorLog::Change MonitorLog::take(const TappedMessage& message) {
  Change change;
  MonitorLine line;
  line.ms = std::chrono::duration_cast<std::chrono::milliseconds>(message.at - opened_).count();
  line.direction = message.direction;
  line.port = message.port;
  line.meaning = reader_.read(message.direction, message.port, message.bytes);
  line.bytes = message.bytes;
  const bool shown = filter_.shows(line);
  lines_.push_back(std::move(line));
  if (shown) {
    shown_.push_back(firstSerial_ + lines_.size() - 1);
    change.appended = 1;
  }
  if (lines_.size() > kMostLines) {
    if (!shown_.empty() && shown_.front() == firstSerial_) {
      shown_.pop_front();
      change.removedAtFront = 1;
    }
    lines_.pop_front();
    ++firstSerial_;
  }
  return change;
}

void MonitorLog::setFilter(const MonitorFilter& filter) {
  filter_ = filter;
  shown_.clear();
  for (std::size_t i = 0; i < lines_.size(); ++i)
    if (filter_.shows(lines_[i])) shown_.push_back(firstSerial_ + i);
}

const MonitorLine& MonitorLog::shown(std::size_t row) const { return lines_[shown_[row] - firstSerial_]; }

void MonitorLog::clear() {
  firstSerial_ += lines_.size();
  lines_.clear();
  shown_.clear();
}

std::vector<std::size_t> MonitorLog::rowsOrAll(std::span<const std::size_t> rows) const {
  std::vector<std::size_t> chosen;
  if (rows.empty()) {
    for (std::size_t r = 0; r < shown_.size(); ++r) chosen.push_back(r);
  } else {
    for (std::size_t r : rows)
      if (r < shown_.size()) chosen.push_back(r);
  }
  return chosen;
}

std::string MonitorLog::text(std::span<const std::size_t> rows, bool withBytes) const {
  std::string text;
  for (std::size_t r : rowsOrAll(rows)) text += lineText(shown(r), withBytes) + "\n";
  return text;
}

std::vector<std::uint8_t> MonitorLog::syx(std::span<const std::size_t> rows) const {
  std::vector<std::uint8_t> bytes;
  for (std::size_t r : rowsOrAll(rows)) {
    const auto& b = shown(r).bytes;
    bytes.insert(bytes.end(), b.begin(), b.end());
  }
  return bytes;
}

}  // namespace kestralux
