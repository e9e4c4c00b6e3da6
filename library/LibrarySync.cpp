#include "library/LibrarySync.h"

#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <fstream>
#include <limits>
#include <map>
#include <system_error>

#include <nlohmann/json.hpp>

#include "files/PresetListing.h"
#include "library/SoundCategory.h"
#include "library/Sqlite.h"

namespace kestralux {

namespace fs = std::filesystem;
using json = nlohmann::ordered_json;

namespace {

const char* changeText(ChangeKind kind) {
  switch (kind) {
    case ChangeKind::Seen: return "seen";
    case ChangeKind::Tag: return "tag";
    case ChangeKind::Favourite: return "favourite";
    case ChangeKind::Note: return "note";
    case ChangeKind::Category: return "category";
  }
  return "seen";
}

std::string plural(int n, const char* one, const char* many) { return std::to_string(n) + " " + (n == 1 ? one : many); }

// Whole lines appended in one write each time and made durable before the library records
// them as sent: a sync tool sees a line whole or not at all, never a line twice.
bool appendText(const fs::path& file, const std::string& text, std::string& error) {
  const int fd = ::open(file.c_str(), O_WRONLY | O_APPEND | O_CREAT | O_CLOEXEC, 0644);
  if (fd < 0) {
    error = std::error_code(errno, std::generic_category()).message();
    return false;
  }
  std::size_t done = 0;
  while (done < text.size()) {
    const ssize_t n = ::write(fd, text.data() + done, text.size() - done);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) {
      error = std::error_code(errno, std::generic_category()).message();
      ::close(fd);
      return false;
    }
    done += static_cast<std::size_t>(n);
  }
  const bool synced = ::fsync(fd) == 0;
  if (!synced) error = std::error_code(errno, std::generic_category()).message();
  ::close(fd);
  return synced;
}

std::optional<std::string> readFrom(const fs::path& file, std::int64_t offset) {
  std::ifstream in(file, std::ios::binary);
  if (!in) return std::nullopt;
  in.seekg(offset);
  std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  return text;
}

// The seq of the last whole line of this library's own file: what it has sent already.
// Nothing when the file is not there.
std::optional<std::int64_t> lastSent(const fs::path& file, std::string& error) {
  std::error_code failed;
  const auto size = fs::file_size(file, failed);
  if (failed) return std::nullopt;
  const std::int64_t tail = static_cast<std::int64_t>(std::min<std::uintmax_t>(size, 1 << 16));
  const std::optional<std::string> text = readFrom(file, static_cast<std::int64_t>(size) - tail);
  if (!text) return std::nullopt;
  std::string_view whole(*text);
  whole = whole.substr(0, whole.rfind('\n') == std::string_view::npos ? 0 : whole.rfind('\n'));
  const std::string_view last = whole.substr(whole.rfind('\n') == std::string_view::npos ? 0 : whole.rfind('\n') + 1);
  const json line = json::parse(last, nullptr, false);
  if (line.is_object() && line.contains("seq") && line["seq"].is_number_integer()) return line["seq"].get<std::int64_t>();
  if (line.is_object() && line.contains("format")) return 0;
  error = "the last line of " + file.string() + " cannot be read";
  return 0;
}

struct FileState {
  std::int64_t offset = 0;
  std::string told;
};

}  // namespace

std::string syncHeaderLine(const std::string& library) {
  return json{{"format", kSyncFileFormat}, {"version", kSyncFileVersion}, {"library", library}}.dump();
}

std::string syncLineOf(const Change& c) {
  json values = json::array();
  for (int p = 0; p < kParameterCount; ++p) values.push_back(c.sound.value(p));
  json line = {{"seq", c.seq}, {"time", c.time}, {"change", changeText(c.kind)}, {"values", values}, {"reserved", c.sound.slot(kReservedSlot)}};
  switch (c.kind) {
    case ChangeKind::Seen:
      line["name"] = utf8OfLatin1(c.name);
      line["place"] = sightingKindText(c.place.kind);
      if (c.place.slot > 0) line["slot"] = c.place.slot;
      if (!c.place.path.empty()) line["path"] = c.place.path;
      break;
    case ChangeKind::Tag:
      line["tag"] = c.text;
      line["on"] = c.on;
      break;
    case ChangeKind::Favourite: line["on"] = c.on; break;
    case ChangeKind::Note: line["note"] = c.text; break;
    case ChangeKind::Category: line["category"] = c.text; break;
  }
  return line.dump(-1, ' ', false, json::error_handler_t::replace);
}

std::optional<Change> changeOfSyncLine(std::string_view text, const std::string& library, std::string& why) {
  const json line = json::parse(text, nullptr, false);
  const auto integer = [&](const char* key) -> std::optional<std::int64_t> {
    const auto it = line.find(key);
    if (it == line.end() || !it->is_number_integer()) return std::nullopt;
    return it->get<std::int64_t>();
  };
  const auto string = [&](const char* key) -> std::optional<std::string> {
    const auto it = line.find(key);
    if (it == line.end() || !it->is_string()) return std::nullopt;
    return it->get<std::string>();
  };
  const auto flag = [&](const char* key) -> std::optional<bool> {
    const auto it = line.find(key);
    if (it == line.end() || !it->is_boolean()) return std::nullopt;
    return it->get<bool>();
  };
  if (line.is_discarded() || !line.is_object()) {
    why = "not a line of JSON";
    return std::nullopt;
  }
  Change c;
  c.library = library;
  const auto seq = integer("seq"), time = integer("time");
  const auto kind = string("change");
  const auto values = line.find("values");
  if (!seq || *seq < 1 || !time || !kind || values == line.end() || !values->is_array() || values->size() != kParameterCount) {
    why = "no seq, time, change or 16 values";
    return std::nullopt;
  }
  c.seq = *seq;
  c.time = *time;
  for (int p = 0; p < kParameterCount; ++p) {
    const json& v = (*values)[static_cast<std::size_t>(p)];
    if (!v.is_number_integer() || v.get<std::int64_t>() < std::numeric_limits<std::int32_t>::min() ||
        v.get<std::int64_t>() > std::numeric_limits<std::int32_t>::max()) {
      why = "a value is not a whole number";
      return std::nullopt;
    }
    c.sound.setValue(p, static_cast<std::int32_t>(v.get<std::int64_t>()));
  }
  c.sound.setSlot(kReservedSlot, static_cast<std::int32_t>(integer("reserved").value_or(0)));
  if (!isPreset(c.sound)) {
    why = "not a sound the combo can hold";
    return std::nullopt;
  }
  if (*kind == "seen") {
    const auto name = string("name"), place = string("place");
    const std::optional<std::string> latin1 = name ? latin1OfUtf8(*name) : std::nullopt;
    if (!latin1 || latin1->size() > kMaxNameLength || !place) {
      why = "no name a preset can hold, or no place";
      return std::nullopt;
    }
    c.kind = ChangeKind::Seen;
    c.name = *latin1;
    c.place = {sightingKindNamed(*place), static_cast<int>(integer("slot").value_or(0)), string("path").value_or("")};
  } else if (*kind == "tag") {
    const auto tag = string("tag");
    const auto on = flag("on");
    if (!tag || tag->empty() || tag->find(',') != std::string::npos || !on) {
      why = "no tag, or no on";
      return std::nullopt;
    }
    c.kind = ChangeKind::Tag;
    c.text = *tag;
    c.on = *on;
  } else if (*kind == "favourite") {
    const auto on = flag("on");
    if (!on) {
      why = "no on";
      return std::nullopt;
    }
    c.kind = ChangeKind::Favourite;
    c.on = *on;
  } else if (*kind == "note") {
    const auto note = string("note");
    if (!note) {
      why = "no note";
      return std::nullopt;
    }
    c.kind = ChangeKind::Note;
    c.text = *note;
  } else if (*kind == "category") {
    const auto category = string("category");
    if (!category || (!category->empty() && !categoryNamed(*category))) {
      why = "no category of CLEAN, CRUNCH, HIGH GAIN, FUZZ";
      return std::nullopt;
    }
    c.kind = ChangeKind::Category;
    c.text = category->empty() ? "" : std::string(categoryName(*categoryNamed(*category)));
  } else {
    // A kind of change a later version makes: this one has no place for it.
    why = "a change this version does not know: " + *kind;
    return std::nullopt;
  }
  return c;
}

bool SyncReport::anythingNew() const {
  return std::any_of(received.begin(), received.end(), [](const From& f) { return !f.merged.nothing(); });
}

std::string SyncReport::text() const {
  std::string out;
  if (error) return "sync with " + folder.string() + " failed: " + *error + "\n";
  for (const From& f : received) {
    const Merged& m = f.merged;
    out += "from " + f.library + ": " +
           (m.nothing() ? std::string("nothing new")
                        : plural(m.newSounds, "new sound", "new sounds") + ", " + plural(m.sightings, "sighting", "sightings") + ", " +
                              plural(m.tags, "tag", "tags") + ", " + plural(m.favourites, "favourite", "favourites") + ", " +
                              plural(m.notes, "note", "notes") + ", " + plural(m.categories, "category", "categories")) +
           "\n";
  }
  for (const std::string& s : skipped) out += "skipped " + s + "\n";
  out += plural(sent, "change", "changes") + " of this library written to " + folder.string() + "\n";
  return out;
}

SyncReport syncFolder(PresetLibrary& library, const fs::path& folderGiven) {
  SyncReport report;
  report.folder = folderGiven;
  library.followFile();
  sqlite3* db = library.connection();
  if (!library.writable() || library.libraryId().empty()) {
    report.error = db ? "the library is read-only" : "the library is not open";
    return report;
  }
  std::error_code failed;
  const fs::path folder = fs::absolute(folderGiven, failed);
  if (failed || !fs::is_directory(folder, failed)) {
    report.error = "no such folder";
    return report;
  }

  // What this library made and its file lacks.
  const std::string& self = library.libraryId();
  const fs::path own = folder / (self + kSyncFileExtension);
  std::string error;
  std::optional<std::int64_t> sent = lastSent(own, error);
  if (!error.empty()) {
    report.error = error;
    return report;
  }
  const std::vector<Change> mine = changesSince(db, sent.value_or(0), error);
  if (!error.empty()) {
    report.error = "cannot read the library: " + error;
    return report;
  }
  if (!sent || !mine.empty()) {
    std::string text = sent ? "" : syncHeaderLine(self) + "\n";
    for (const Change& c : mine) text += syncLineOf(c) + "\n";
    if (!sent) {
      // A new file appears whole: a sync tool never carries it without its first line.
      const fs::path part = folder / ("." + self + ".part");
      fs::remove(part, failed);
      if (!appendText(part, text, error) || (fs::rename(part, own, failed), failed)) {
        fs::remove(part, failed);
        report.error = "cannot write " + own.string() + ": " + (error.empty() ? failed.message() : error);
        return report;
      }
    } else if (!appendText(own, text, error)) {
      report.error = "cannot write " + own.string() + ": " + error;
      return report;
    }
    report.sent = static_cast<int>(mine.size());
  }

  // Where each other library's file was read up to.
  std::map<std::string, FileState> states;
  {
    sql::Statement s(db, "SELECT file, offset, told FROM sync_files");
    while (s.step() == SQLITE_ROW) states[s.text(0)] = {s.integer(1), s.text(2)};
  }
  std::vector<fs::path> files;
  for (fs::directory_iterator it(folder, failed), end; !failed && it != end; it.increment(failed))
    if (it->path().extension() == kSyncFileExtension && it->path() != own && it->is_regular_file()) files.push_back(it->path());
  std::sort(files.begin(), files.end());

  sql::Statement remember(db, "INSERT OR REPLACE INTO sync_files(file, offset, told) VALUES(?, ?, ?)");
  for (const fs::path& file : files) {
    FileState state = states[file.string()];
    if (state.offset < 0) continue;  // not ours: named once already
    const auto size = static_cast<std::int64_t>(fs::file_size(file, failed));
    if (failed) continue;
    // Shorter than what was read: its library wrote it anew (the file was lost); its changes
    // are the same changes, and each is taken once.
    if (size < state.offset) state.offset = 0;
    if (size == state.offset) continue;
    const std::optional<std::string> text = readFrom(file, state.offset);
    if (!text) continue;
    const std::string maker = file.stem().string();
    std::vector<Change> changes;
    std::size_t at = 0;
    std::string notOurs;
    for (std::size_t end; (end = text->find('\n', at)) != std::string::npos; at = end + 1) {
      const std::string_view line(text->data() + at, end - at);
      const std::int64_t where = state.offset + static_cast<std::int64_t>(at);
      if (where == 0) {
        const json header = json::parse(line, nullptr, false);
        const bool format = header.is_object() && header.value("format", "") == kSyncFileFormat;
        const auto version = format && header.contains("version") && header["version"].is_number_integer() ? header["version"].get<std::int64_t>() : 0;
        if (!format)
          notOurs = "not a sync file of this program";
        else if (version > kSyncFileVersion)
          notOurs = "written by a newer version (its version " + std::to_string(version) + ", this program reads up to " +
                    std::to_string(kSyncFileVersion) + ")";
        else if (version < 1 || header.value("library", "") != maker)
          notOurs = "its first line does not name the library " + maker;
        if (!notOurs.empty()) break;
        continue;
      }
      std::string why;
      if (auto c = changeOfSyncLine(line, maker, why))
        changes.push_back(std::move(*c));
      else
        report.skipped.push_back(file.filename().string() + " at byte " + std::to_string(where) + ": " + why);
    }
    if (!notOurs.empty()) {
      report.skipped.push_back(file.filename().string() + ": " + notOurs);
      remember.bind(1, file.string()).bind(2, std::int64_t{-1}).bind(3, notOurs);
      remember.step();
      remember.reset();
      continue;
    }
    if (at == 0) continue;  // not one whole line yet
    const Merged merged = mergeChanges(library, changes);
    if (merged.error) {
      report.error = *merged.error;
      return report;
    }
    if (!changes.empty()) report.received.push_back({maker, merged});
    remember.bind(1, file.string()).bind(2, state.offset + static_cast<std::int64_t>(at)).bind(3, "");
    if (remember.step() != SQLITE_DONE) {
      report.error = "cannot write the library: " + sql::message(db);
      return report;
    }
    remember.reset();
  }
  return report;
}

}  // namespace kestralux
