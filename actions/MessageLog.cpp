#include "actions/MessageLog.h"

#include <ctime>

namespace kestralux {

void MessageLog::add(std::string text, Time when) {
  if (text.empty()) return;
  entries_.push_back({when, std::move(text)});
  while (entries_.size() > kKept) entries_.pop_front();
}

std::string logLine(const MessageLog::Entry& entry) {
  const std::time_t t = std::chrono::system_clock::to_time_t(entry.when);
  std::tm local{};
  localtime_r(&t, &local);
  char clock[16];
  std::strftime(clock, sizeof clock, "%H:%M:%S", &local);
  return std::string(clock) + "  " + entry.text;
}

}  // namespace kestralux
