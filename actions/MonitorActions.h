#pragma once
// What the MIDI monitor window does, without the window: it watches the tap while open, takes
// what came at each poll into the list, and pauses, clears, copies and saves.

#include <chrono>
#include <cstdint>
#include <filesystem>
#include <memory>
#include <span>
#include <string>

#include "link/MonitorLog.h"
#include "midi/MessageTap.h"

namespace kestralux {

class MonitorActions {
 public:
  explicit MonitorActions(std::shared_ptr<MessageTap> tap) : tap_(std::move(tap)) {}
  ~MonitorActions() { close(); }
  MonitorActions(const MonitorActions&) = delete;
  MonitorActions& operator=(const MonitorActions&) = delete;

  // From now on every message is copied to the tap; times count from `now`. The list starts
  // empty, under the filter it had.
  void open(std::chrono::steady_clock::time_point now);
  // Nothing is copied any more: the MIDI path is as it is without a monitor.
  void close();
  bool isOpen() const { return open_; }

  // What came since the last poll, in the list (unless paused). The rows the shown list lost
  // from its top and gained at its end; `reset` when more went than it held before.
  struct Poll {
    std::size_t removedAtFront = 0;
    std::size_t appended = 0;
    bool reset = false;
  };
  Poll poll();

  void setFilter(const MonitorFilter& filter) { log_.setFilter(filter); }
  // While paused, what comes is counted and not listed, so the lines being read stay put.
  void setPaused(bool paused);
  bool paused() const { return paused_; }
  std::uint64_t notListed() const { return notListed_; }
  void clear() { log_.clear(); }
  // Messages the tap could not hand over since the monitor opened (its ring was full).
  std::uint64_t missed() const { return tap_->dropped() - droppedAtOpen_; }

  const MonitorLog& log() const { return log_; }
  // The shown lines at `rows` (every shown line when empty).
  std::string text(std::span<const std::size_t> rows, bool withBytes) const { return log_.text(rows, withBytes); }
  // The shown lines to `path`: their messages as a .syx, or their text. The error, or empty.
  std::string save(const std::filesystem::path& path, bool asSyx, bool withBytes) const;

 private:
  std::shared_ptr<MessageTap> tap_;
  MonitorLog log_{std::chrono::steady_clock::time_point{}};
  bool open_ = false;
  bool paused_ = false;
  std::uint64_t notListed_ = 0;
  std::uint64_t droppedAtOpen_ = 0;
};

}  // namespace kestralux
