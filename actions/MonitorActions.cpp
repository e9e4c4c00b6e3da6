#include "actions/MonitorActions.h"

#include "files/PresetFiles.h"

namespace kestralux {

void MonitorActions::open(std::chrono::steady_clock::time_point now) {
  const MonitorFilter filter = log_.filter();
  log_ = MonitorLog(now);
  log_.setFilter(filter);
  notListed_ = 0;
  // What waited from an earlier opening is not of this one.
  tap_->drain();
  droppedAtOpen_ = tap_->dropped();
  tap_->setWatched(true);
  open_ = true;
}

void MonitorActions::close() {
  if (!open_) return;
  tap_->setWatched(false);
  tap_->drain();
  open_ = false;
}

void MonitorActions::setPaused(bool paused) {
  paused_ = paused;
  if (!paused) notListed_ = 0;
}

MonitorActions::Poll MonitorActions::poll() {
  Poll poll;
  if (!open_) return poll;
  const std::size_t before = log_.shownCount();
  for (const TappedMessage& m : tap_->drain()) {
    if (paused_) {
      ++notListed_;
      continue;
    }
    const MonitorLog::Change change = log_.take(m);
    poll.removedAtFront += change.removedAtFront;
    poll.appended += change.appended;
  }
  // Rows that came and went within one poll were never shown: the list is drawn afresh.
  if (poll.removedAtFront > before) poll.reset = true;
  return poll;
}

std::string MonitorActions::save(const std::filesystem::path& path, bool asSyx, bool withBytes) const {
  std::string error;
  if (asSyx) {
    const std::vector<std::uint8_t> bytes = log_.syx({});
    if (!writeFileAtomically(path, bytes, error)) return error.empty() ? "SAVE FAILED" : error;
    return "";
  }
  const std::string text = log_.text({}, withBytes);
  const std::span<const std::uint8_t> bytes(reinterpret_cast<const std::uint8_t*>(text.data()), text.size());
  if (!writeFileAtomically(path, bytes, error)) return error.empty() ? "SAVE FAILED" : error;
  return "";
}

}  // namespace kestralux
