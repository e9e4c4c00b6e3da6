#include "actions/SetlistActions.h"

#include <algorithm>
#include <utility>

#include "live/SetlistFile.h"

namespace kestralux {

namespace {

std::string songsText(std::size_t n) { return n == 1 ? std::string("1 SONG") : std::to_string(n) + " SONGS"; }

std::string upper(std::string text) {
  // The status line is in capitals; a name keeps its own letters.
  std::transform(text.begin(), text.end(), text.begin(), [](unsigned char c) { return c >= 'a' && c <= 'z' ? c - 32 : c; });
  return text;
}

}  // namespace

SetlistActions::SetlistActions(EditorActions& editor, PresetLibrary* library) : editor_(editor), library_(library) {}

std::string SetlistActions::reload() {
  setlists_.clear();
  history_.clear();
  done_ = 0;
  if (!library_) return {};
  const SetlistListing listing = listSetlists(*library_);
  if (!listing.error.empty()) return listing.error;
  std::string failures;
  for (const SetlistSummary& summary : listing.setlists) {
    SetlistLoad load = loadSetlist(*library_, summary.id);
    if (load.setlist)
      setlists_.push_back(std::move(*load.setlist));
    else
      failures = load.error;
  }
  return failures;
}

std::optional<std::size_t> SetlistActions::indexOf(std::int64_t id) const {
  for (std::size_t n = 0; n < setlists_.size(); ++n)
    if (setlists_[n].id == id) return n;
  return std::nullopt;
}

std::string SetlistActions::keep(Setlist& setlist) {
  if (!library_) {
    if (setlist.id == 0) setlist.id = nextLocalId_--;
    return "NO LIBRARY";
  }
  const std::int64_t before = setlist.id;
  const SetlistSaved saved = saveSetlist(*library_, setlist);
  if (saved.id == 0) {
    if (setlist.id == 0) setlist.id = nextLocalId_--;
    return saved.error.empty() ? std::string("NOT WRITTEN") : saved.error;
  }
  setlist.id = saved.id;
  if (before != 0 && before != saved.id) renumber(before, saved.id);
  return {};
}

std::string SetlistActions::drop(std::int64_t id) {
  if (!library_ || id < 0) return library_ ? std::string() : std::string("NO LIBRARY");
  const std::optional<std::string> error = deleteSetlist(*library_, id);
  return error.value_or(std::string());
}

void SetlistActions::renumber(std::int64_t from, std::int64_t to) {
  for (Change& change : history_) {
    if (change.before && change.before->id == from) change.before->id = to;
    if (change.after && change.after->id == from) change.after->id = to;
  }
}

std::string SetlistActions::apply(const std::optional<Setlist>& from, std::optional<Setlist> to, std::size_t place) {
  if (from && to) {
    const std::optional<std::size_t> n = indexOf(from->id);
    if (!n) return "NO SUCH SETLIST";
    to->id = from->id;
    const std::string failure = keep(*to);
    setlists_[*n] = std::move(*to);
    landed_ = {*n, 0, 0};
    return failure;
  }
  if (to) {
    // Made again (an undone delete, a redone make), where it stood: the library gives it an id
    // of its own.
    Setlist again = std::move(*to);
    const std::int64_t old = again.id;
    if (library_ && old > 0) again.id = 0;
    const std::string failure = keep(again);
    if (again.id != old) renumber(old, again.id);
    place = std::min(place, setlists_.size());
    setlists_.insert(setlists_.begin() + static_cast<std::ptrdiff_t>(place), std::move(again));
    landed_ = {place, 0, 0};
    return failure;
  }
  if (from) {
    const std::optional<std::size_t> n = indexOf(from->id);
    if (!n) return {};
    setlists_.erase(setlists_.begin() + static_cast<std::ptrdiff_t>(*n));
    landed_ = {*n > 0 ? *n - 1 : 0, 0, 0};
    return drop(from->id);
  }
  return {};
}

void SetlistActions::record(Change change) {
  history_.resize(done_);
  history_.push_back(std::move(change));
  done_ = history_.size();
}

std::string SetlistActions::saidWith(std::string said, const std::string& failure) const {
  if (failure.empty()) return said;
  return said + ", " + kNotKept + ": " + upper(failure);
}

std::string SetlistActions::changed(std::size_t n, Setlist after, std::string said) {
  Setlist before = setlists_[n];
  const std::string failure = keep(after);
  setlists_[n] = after;
  record({std::move(before), std::move(after), said, n});
  return saidWith(std::move(said), failure);
}

std::string SetlistActions::freshName(const std::string& base) const {
  const auto taken = [this](const std::string& name) {
    return std::any_of(setlists_.begin(), setlists_.end(), [&](const Setlist& s) { return s.name == name; });
  };
  if (base != "SETLIST" && !taken(base)) return base;
  for (int n = base == "SETLIST" ? 1 : 2;; ++n) {
    std::string name = base + " " + std::to_string(n);
    if (!taken(name)) return name;
  }
}

std::string SetlistActions::make() {
  Setlist fresh;
  fresh.name = freshName("SETLIST");
  const std::string failure = keep(fresh);
  setlists_.push_back(fresh);
  landed_ = {setlists_.size() - 1, 0, 0};
  std::string said = upper(fresh.name) + " MADE";
  record({std::nullopt, std::move(fresh), said, setlists_.size() - 1});
  return saidWith(std::move(said), failure);
}

std::string SetlistActions::rename(std::size_t n, const std::string& name) {
  if (n >= setlists_.size()) return {};
  if (name.empty()) return "A SETLIST NEEDS A NAME";
  if (name == setlists_[n].name) return "NOTHING CHANGED";
  Setlist after = setlists_[n];
  after.name = name;
  landed_ = {n, 0, 0};
  return changed(n, std::move(after), "RENAMED " + upper(name));
}

std::string SetlistActions::copy(std::size_t n) {
  if (n >= setlists_.size()) return {};
  Setlist twin = setlists_[n];
  twin.id = 0;
  twin.name = freshName(twin.name + " COPY");
  const std::string failure = keep(twin);
  setlists_.push_back(twin);
  landed_ = {setlists_.size() - 1, 0, 0};
  std::string said = "COPIED AS " + upper(twin.name);
  record({std::nullopt, std::move(twin), said, setlists_.size() - 1});
  return saidWith(std::move(said), failure);
}

std::string SetlistActions::remove(std::size_t n) {
  if (n >= setlists_.size()) return {};
  Setlist gone = setlists_[n];
  const std::string failure = apply(gone, std::nullopt, n);
  std::string said = upper(gone.name) + " DELETED";
  record({std::move(gone), std::nullopt, said, n});
  return saidWith(std::move(said), failure);
}

std::string SetlistActions::addSongs(std::size_t n, std::size_t at, const std::vector<Song>& songs) {
  if (n >= setlists_.size()) return {};
  if (songs.empty()) return "NOTHING TO ADD";
  Setlist after = setlists_[n];
  at = std::min(at, after.songs.size());
  for (std::size_t k = 0; k < songs.size(); ++k) insertSong(after, at + k, songs[k]);
  landed_ = {n, at, songs.size()};
  return changed(n, std::move(after), songsText(songs.size()) + " ADDED");
}

std::string SetlistActions::removeSongs(std::size_t n, const std::vector<std::size_t>& rows) {
  if (n >= setlists_.size()) return {};
  Setlist after = setlists_[n];
  std::vector<std::size_t> gone = rows;
  std::sort(gone.begin(), gone.end());
  gone.erase(std::unique(gone.begin(), gone.end()), gone.end());
  std::size_t removed = 0;
  for (auto row = gone.rbegin(); row != gone.rend(); ++row) removed += removeSong(after, *row) ? 1 : 0;
  if (removed == 0) return "NOTHING CHANGED";
  const std::size_t next = std::min(gone.front(), after.songs.empty() ? 0 : after.songs.size() - 1);
  landed_ = {n, next, after.songs.empty() ? std::size_t{0} : std::size_t{1}};
  return changed(n, std::move(after), songsText(removed) + " REMOVED");
}

std::string SetlistActions::moveSongs(std::size_t n, const std::vector<std::size_t>& rows, std::size_t before) {
  if (n >= setlists_.size() || rows.empty()) return {};
  const Setlist& now = setlists_[n];
  std::vector<Song> picked, rest;
  std::size_t landing = std::min(before, now.songs.size());
  for (std::size_t row = 0; row < now.songs.size(); ++row) {
    if (std::find(rows.begin(), rows.end(), row) != rows.end()) {
      picked.push_back(now.songs[row]);
      if (row < before) --landing;
    } else {
      rest.push_back(now.songs[row]);
    }
  }
  if (picked.empty()) return "NOTHING CHANGED";
  Setlist after = now;
  after.songs = rest;
  after.songs.insert(after.songs.begin() + static_cast<std::ptrdiff_t>(landing), picked.begin(), picked.end());
  landed_ = {n, landing, picked.size()};
  if (after.songs == now.songs) return "NOTHING CHANGED";
  return changed(n, std::move(after), songsText(picked.size()) + " MOVED TO " + std::to_string(landing + 1));
}

std::string SetlistActions::nudgeSong(std::size_t n, std::size_t row, int by) {
  if (n >= setlists_.size() || row >= setlists_[n].songs.size()) return {};
  const long to = static_cast<long>(row) + by;
  if (to < 0 || to >= static_cast<long>(setlists_[n].songs.size())) return {};
  Setlist after = setlists_[n];
  moveSong(after, row, static_cast<std::size_t>(to));
  landed_ = {n, static_cast<std::size_t>(to), 1};
  return changed(n, std::move(after), "SONG MOVED TO " + std::to_string(to + 1));
}

std::string SetlistActions::setTitle(std::size_t n, std::size_t row, const std::string& title) {
  if (n >= setlists_.size() || row >= setlists_[n].songs.size()) return {};
  if (setlists_[n].songs[row].title == title) return {};
  Setlist after = setlists_[n];
  after.songs[row].title = title;
  landed_ = {n, row, 1};
  return changed(n, std::move(after), "SONG " + std::to_string(row + 1) + " RETITLED");
}

std::string SetlistActions::setNote(std::size_t n, std::size_t row, const std::string& note) {
  if (n >= setlists_.size() || row >= setlists_[n].songs.size()) return {};
  if (setlists_[n].songs[row].note == note) return {};
  Setlist after = setlists_[n];
  after.songs[row].note = note;
  landed_ = {n, row, 1};
  return changed(n, std::move(after), "NOTE OF SONG " + std::to_string(row + 1) + " CHANGED");
}

std::string SetlistActions::undo() {
  if (!canUndo()) return "NOTHING TO UNDO";
  Change& change = history_[--done_];
  const std::string what = change.what;
  const std::string failure = apply(change.after, change.before, change.place);
  return saidWith("UNDO: " + what, failure);
}

std::string SetlistActions::redo() {
  if (!canRedo()) return "NOTHING TO REDO";
  Change& change = history_[done_++];
  const std::string what = change.what;
  const std::string failure = apply(change.before, change.after, change.place);
  return saidWith("REDO: " + what, failure);
}

Song SetlistActions::songOnScreen() const { return songOfSound(editor_.shownPreset()); }

Song SetlistActions::songOfSlot(int slot) const {
  return songOfSound(editor_.bank()[static_cast<std::size_t>(std::clamp(slot, 0, kPresetCount - 1))]);
}

std::string SetlistActions::exportText(std::size_t n) const {
  return n < setlists_.size() ? setlistFileText(setlists_[n]) : std::string();
}

std::string SetlistActions::importText(const std::string& text, const std::string& fileName) {
  SetlistReading reading = readSetlistFile(text, fileName);
  if (!reading.setlist) return "NOTHING IMPORTED: " + upper(reading.error ? reading.error->text() : std::string("not a setlist"));
  Setlist taken = std::move(*reading.setlist);
  taken.id = 0;
  const std::string failure = keep(taken);
  setlists_.push_back(taken);
  landed_ = {setlists_.size() - 1, 0, 0};
  std::string said = upper(taken.name) + " IMPORTED, " + songsText(taken.songs.size());
  record({std::nullopt, std::move(taken), upper(setlists_.back().name) + " IMPORTED", setlists_.size() - 1});
  return saidWith(std::move(said), failure);
}

std::string SetlistActions::putIntoBank(std::size_t n) {
  if (n >= setlists_.size()) return {};
  const Setlist& set = setlists_[n];
  if (set.songs.empty()) return "THE SETLIST HAS NO SONGS";
  if (set.songs.size() > static_cast<std::size_t>(kPresetCount))
    return songsText(set.songs.size()) + " DO NOT FIT THE BANK'S " + std::to_string(kPresetCount) + " SLOTS";
  if (editor_.transferRunning()) return kTransferInProgress;
  std::vector<PresetRecord> sounds;
  for (const Song& song : set.songs) sounds.push_back(soundNamedByTitle(song));
  const std::string said = editor_.paste(0, sounds);
  if (said != std::to_string(sounds.size()) + (sounds.size() == 1 ? " PRESET PASTED" : " PRESETS PASTED")) return said;
  const std::string slots = sounds.size() == 1 ? "SLOT 1" : "SLOTS 1-" + std::to_string(sounds.size());
  return "THE SET IS IN " + slots + ", STORE ALL PUTS IT INTO THE COMBO";
}

}  // namespace kestralux
