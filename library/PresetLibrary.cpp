#include "library/PresetLibrary.h"

#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <system_error>
#include <unordered_map>
#include <utility>

#include "editor/EditorTables.h"
#include "files/BankHistory.h"
#include "files/PresetFiles.h"
#include "library/CloseSounds.h"
#include "library/LibrarySchema.h"
#include "library/ParameterConditions.h"
#include "library/LibraryChanges.h"
#include "library/SightingWriter.h"
#include "library/Sqlite.h"

namespace kestralux {

namespace fs = std::filesystem;

struct CloseIndex {
  std::int64_t sounds = -1;  // how many, and the newest id, when the pairs were found
  std::int64_t newest = -1;
  std::unordered_map<std::int64_t, int> position;  // of each sound's id in neighbours
  std::vector<std::vector<int>> neighbours;
};

namespace {

constexpr std::size_t kFingerprintOffset = static_cast<std::size_t>(kFirstParameterSlot) * 4;
constexpr std::size_t kFingerprintSize = sizeof(PresetRecord) - kFingerprintOffset;
static_assert(kFingerprintSize == 68, "16 values and the reserved slot");

constexpr const char* kHistoryImported = "history imported";

std::span<const std::uint8_t> bytesOf(const std::string& s) {
  return {reinterpret_cast<const std::uint8_t*>(s.data()), s.size()};
}

// "2026-12-07 14-03-55", the time a history entry's name carries, in local time.
std::int64_t historyTime(const std::string& text) {
  std::tm t{};
  if (std::sscanf(text.c_str(), "%d-%d-%d %d-%d-%d", &t.tm_year, &t.tm_mon, &t.tm_mday, &t.tm_hour, &t.tm_min, &t.tm_sec) != 6)
    return 0;
  t.tm_year -= 1900;
  t.tm_mon -= 1;
  t.tm_isdst = -1;
  return static_cast<std::int64_t>(std::mktime(&t));
}

bool isDamage(int code) { return (code & 0xFF) == SQLITE_NOTADB || (code & 0xFF) == SQLITE_CORRUPT; }

// A path as an SQLite URI names it: every byte but the unreserved ones and / escaped.
std::string uriOf(const fs::path& path) {
  std::string uri = "file:";
  for (const char c : fs::absolute(path).string()) {
    const auto b = static_cast<unsigned char>(c);
    if (std::isalnum(b) || c == '/' || c == '-' || c == '.' || c == '_' || c == '~') {
      uri += c;
    } else {
      char escaped[4];
      std::snprintf(escaped, sizeof escaped, "%%%02X", b);
      uri += escaped;
    }
  }
  return uri;
}

std::optional<FileIdentity> identityOf(const fs::path& path) {
  struct stat status {};
  if (::stat(path.c_str(), &status) != 0) return std::nullopt;
  return FileIdentity{static_cast<std::uint64_t>(status.st_dev), static_cast<std::uint64_t>(status.st_ino)};
}

PresetRecord recordOf(const std::string& fingerprint, const std::string& name) {
  PresetRecord r;
  std::copy_n(fingerprint.begin(), std::min(fingerprint.size(), kFingerprintSize), r.bytes.begin() + kFingerprintOffset);
  if (!name.empty()) r.storeName(name);
  return r;
}

std::vector<std::string> splitTags(const std::string& stored) {
  std::vector<std::string> tags;
  std::size_t start = 0;
  while (start < stored.size()) {
    const std::size_t end = stored.find(',', start);
    const std::string tag = stored.substr(start, end == std::string::npos ? std::string::npos : end - start);
    if (!tag.empty()) tags.push_back(tag);
    if (end == std::string::npos) break;
    start = end + 1;
  }
  return tags;
}

std::string trimmed(const std::string& text) {
  const auto first = text.find_first_not_of(" \t");
  if (first == std::string::npos) return "";
  return text.substr(first, text.find_last_not_of(" \t") - first + 1);
}

// A set of stored values as SQL over column `column`: runs of values as BETWEEN, so a
// condition is a few comparisons per row.
std::string valuesClause(const std::string& column, const ValueSet& values) {
  if (values.none()) return "0";
  if (values.all()) return "1";
  std::string out;
  for (int v = 0; v <= kLargestValue;) {
    if (!values[static_cast<std::size_t>(v)]) {
      ++v;
      continue;
    }
    int end = v;
    while (end < kLargestValue && values[static_cast<std::size_t>(end + 1)]) ++end;
    if (!out.empty()) out += " OR ";
    out += v == end ? column + " = " + std::to_string(v)
                    : column + " BETWEEN " + std::to_string(v) + " AND " + std::to_string(end);
    v = end + 1;
  }
  return "(" + out + ")";
}

std::string column(int parameter) { return "p" + std::to_string(parameter); }

std::string conditionClause(const std::vector<ParameterMatch>& matches) {
  std::string out;
  for (const ParameterMatch& m : matches) {
    std::string clause;
    if (m.sameForEveryEffect()) {
      clause = valuesClause(column(m.parameter), m.byEffect[0]);
    } else {
      for (std::size_t e = 0; e < kEffectCodes.size(); ++e) {
        if (m.byEffect[e].none()) continue;
        clause += (clause.empty() ? "" : " OR ") + std::string("(p13 = ") + std::to_string(kEffectCodes[e]) + " AND " +
                  valuesClause(column(m.parameter), m.byEffect[e]) + ")";
      }
      if (clause.empty()) clause = "0";
    }
    out += (out.empty() ? "" : " OR ") + clause;
  }
  return "(" + out + ")";
}

const char* sortColumn(SortColumn sort) {
  switch (sort) {
    case SortColumn::LastSeen: return "last_seen";
    case SortColumn::FirstSeen: return "first_seen";
    case SortColumn::Name: return "newest_name";
    case SortColumn::AmpModel: return "p0";
    case SortColumn::Effect: return "p13";
    case SortColumn::TimesSeen: return "times_seen";
    case SortColumn::Id: return "id";
    case SortColumn::Parameter: return nullptr;
  }
  return "last_seen";
}

std::string rowColumns(const std::string& category, const std::string& note) {
  return "id, fingerprint, newest_name, times_seen, first_seen, last_seen, favourite, tags, " + category + ", " + note;
}

// The sounds of one kind as SQL over the values, from the same table categoryOf reads; a
// category given by hand stands before the one the values give.
std::string kindClause(const KindFilter& filter, const std::string& categoryColumn) {
  std::string out = "1";
  if (filter.category) {
    std::string byValues;
    for (const AmpCategoryRow& row : kAmpCategories) {
      std::string gains;
      if (*filter.category == Category::Clean) gains = "p1 < " + std::to_string(row.crunchFrom);
      else if (*filter.category == Category::Crunch)
        gains = "p1 >= " + std::to_string(row.crunchFrom) + " AND p1 < " + std::to_string(row.topFrom);
      else if (*filter.category == row.top) gains = "p1 >= " + std::to_string(row.topFrom);
      else continue;
      byValues += (byValues.empty() ? "" : " OR ") + std::string("(p0 = ") + std::to_string(row.ampType) + " AND " + gains + ")";
    }
    const std::string name(categoryName(*filter.category));
    out += " AND (" + categoryColumn + " = '" + name + "' OR (" + categoryColumn + " IS NULL AND (" +
           (byValues.empty() ? "0" : byValues) + ")))";
  }
  if (filter.family) {
    std::string codes;
    for (const EffectFamilyRow& row : kEffectFamilyOf)
      if (row.family == *filter.family) codes += (codes.empty() ? "" : ", ") + std::to_string(row.effect);
    out += " AND p13 IN (" + codes + ")";
  }
  if (filter.ambient)
    out += " AND (p7 >= " + std::to_string(kAmbientDelayFrom) + " OR p6 >= " + std::to_string(kAmbientReverbFrom) + ")";
  return out;
}

SoundRow rowOf(const sql::Statement& s) {
  SoundRow row;
  row.id = s.integer(0);
  row.newestName = s.blob(2);
  row.record = recordOf(s.blob(1), row.newestName);
  row.timesSeen = static_cast<int>(s.integer(3));
  row.firstSeen = s.integer(4);
  row.lastSeen = s.integer(5);
  row.favourite = s.integer(6) != 0;
  row.tags = splitTags(s.text(7));
  if (!s.isNull(8)) row.categoryByHand = categoryNamed(s.text(8));
  row.note = s.text(9);
  return row;
}

}  // namespace

SightingWriter::SightingWriter(sqlite3* db, std::string library)
    : library(std::move(library)),
      find(db, "SELECT id, names FROM sounds JOIN sound_names ON sound = id WHERE fingerprint = ?"),
      // A sound made by another library's tag or note before its first sighting came has
      // been seen no time yet: its first sighting dates it.
      update(db,
             "UPDATE sounds SET times_seen = times_seen + 1, "
             "first_seen = CASE WHEN times_seen = 0 THEN ?1 ELSE min(first_seen, ?1) END, "
             "last_seen = max(last_seen, ?1) WHERE id = ?2"),
      // The newest name is the newest sighting's that has one: a sighting without a name hides
      // none, and one older than the sound's newest (the history, an import) takes the name
      // only when no named sighting is newer. Sightings of one second are ordered by library
      // and change, so every library that holds the same sightings shows the same name.
      newest(db,
             "UPDATE sounds SET newest_name = coalesce((SELECT name FROM sightings WHERE sound = ?1 AND length(name) > 0 "
             "ORDER BY time DESC, origin DESC, origin_seq DESC LIMIT 1), x'') WHERE id = ?1"),
      updateNames(db, "UPDATE sound_names SET names = ? WHERE sound = ?"),
      insertNames(db, "INSERT INTO sound_names(sound, names) VALUES(?, ?)"),
      insertSound(db,
                  "INSERT INTO sounds(fingerprint, p0, p1, p2, p3, p4, p5, p6, p7, p8, p9, p10, p11, p12, p13, p14, p15, "
                  "reserved, newest_name, first_seen, last_seen, times_seen) "
                  "VALUES(?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, 1)"),
      insertSighting(db, "INSERT INTO sightings(sound, time, name, kind, slot, path, origin, origin_seq) VALUES(?, ?, ?, ?, ?, ?, ?, ?)"),
      insertChange(db, "INSERT INTO changes(kind, fingerprint, time, name, place, slot, path) VALUES('seen', ?, ?, ?, ?, ?, ?)"),
      seenBefore(db, "SELECT 1 FROM sightings WHERE origin = ? AND origin_seq = ?") {}

bool SightingWriter::ok() const {
  return find.ok() && update.ok() && newest.ok() && updateNames.ok() && insertNames.ok() && insertSound.ok() && insertSighting.ok() &&
         insertChange.ok() && seenBefore.ok();
}

int SightingWriter::note(sqlite3* db, const PresetRecord& record, const Sighting& seen, bool& isNew) {
  const std::string fingerprint = soundFingerprint(record);
  insertChange.bindBlob(1, bytesOf(fingerprint)).bind(2, seen.time).bindBlob(3, bytesOf(seen.name)).bind(4, sightingKindText(seen.place.kind));
  if (seen.place.slot > 0) insertChange.bind(5, seen.place.slot); else insertChange.bindNull(5);
  if (!seen.place.path.empty()) insertChange.bind(6, seen.place.path); else insertChange.bindNull(6);
  const int code = insertChange.step();
  insertChange.reset();
  if (code != SQLITE_DONE) return code;
  return write(db, record, seen, library, sqlite3_last_insert_rowid(db), isNew);
}

int SightingWriter::noteFrom(sqlite3* db, const PresetRecord& record, const Sighting& seen, const std::string& origin,
                             std::int64_t seq, bool& isNew, bool& kept) {
  isNew = kept = false;
  seenBefore.bind(1, origin).bind(2, seq);
  const int code = seenBefore.step();
  seenBefore.reset();
  if (code == SQLITE_ROW) return SQLITE_DONE;
  if (code != SQLITE_DONE) return code;
  kept = true;
  return write(db, record, seen, origin, seq, isNew);
}

int SightingWriter::write(sqlite3* db, const PresetRecord& record, const Sighting& seen, const std::string& origin, std::int64_t seq,
                          bool& isNew) {
  const std::string fingerprint = soundFingerprint(record);
  const std::string folded = foldedName(seen.name) + kNameSeparator;
  find.bindBlob(1, bytesOf(fingerprint));
  int code = find.step();
  std::int64_t sound = 0;
  isNew = code == SQLITE_DONE;
  if (code == SQLITE_ROW) {
    sound = find.integer(0);
    std::string names = find.blob(1);
    const bool newName = names.find(kNameSeparator + folded) == std::string::npos;
    find.reset();
    update.bind(1, seen.time).bind(2, sound);
    code = update.step();
    update.reset();
    if (code == SQLITE_DONE && newName) {
      names += folded;
      updateNames.bindBlob(1, bytesOf(names)).bind(2, sound);
      code = updateNames.step();
      updateNames.reset();
    }
  } else if (code == SQLITE_DONE) {
    find.reset();
    insertSound.bindBlob(1, bytesOf(fingerprint));
    for (int p = 0; p < kParameterCount; ++p) insertSound.bind(2 + p, record.value(p));
    insertSound.bind(18, record.slot(kReservedSlot));
    insertSound.bindBlob(19, bytesOf(seen.name)).bind(20, seen.time).bind(21, seen.time);
    code = insertSound.step();
    insertSound.reset();
    sound = sqlite3_last_insert_rowid(db);
    if (code == SQLITE_DONE) {
      insertNames.bind(1, sound).bindBlob(2, bytesOf(kNameSeparator + folded));
      code = insertNames.step();
      insertNames.reset();
    }
  } else {
    find.reset();
    return code;
  }
  if (code != SQLITE_DONE) return code;
  insertSighting.bind(1, sound).bind(2, seen.time).bindBlob(3, bytesOf(seen.name)).bind(4, sightingKindText(seen.place.kind));
  if (seen.place.slot > 0) insertSighting.bind(5, seen.place.slot); else insertSighting.bindNull(5);
  if (!seen.place.path.empty()) insertSighting.bind(6, seen.place.path); else insertSighting.bindNull(6);
  insertSighting.bind(7, origin).bind(8, seq);
  code = insertSighting.step();
  insertSighting.reset();
  if (code != SQLITE_DONE || seen.name.empty() || isNew) return code;
  newest.bind(1, sound);
  code = newest.step();
  newest.reset();
  return code;
}

const char* sightingKindText(SightingKind kind) {
  switch (kind) {
    case SightingKind::Fetched: return "fetched";
    case SightingKind::Stored: return "stored";
    case SightingKind::Loaded: return "loaded";
    case SightingKind::Saved: return "saved";
    case SightingKind::Imported: return "imported";
    case SightingKind::History: return "history";
  }
  return "imported";
}

SightingKind sightingKindNamed(const std::string& text) {
  for (SightingKind k : {SightingKind::Fetched, SightingKind::Stored, SightingKind::Loaded, SightingKind::Saved,
                         SightingKind::Imported, SightingKind::History})
    if (text == sightingKindText(k)) return k;
  return SightingKind::Imported;
}


fs::path libraryFile() { return historyFolder().parent_path() / "library.sqlite"; }

bool libraryWritable(const fs::path& file) {
  const fs::path folder = file.parent_path().empty() ? fs::path(".") : file.parent_path();
  // access(2) answers for this user, as the kernel will at the write; the journal and the
  // shared-memory file are made beside the library, so the folder must take new files.
  if (::access(folder.c_str(), W_OK | X_OK) != 0) return false;
  return ::access(file.c_str(), F_OK) != 0 || ::access(file.c_str(), R_OK | W_OK) == 0;
}

bool isEmptyRecord(const PresetRecord& record) {
  return std::all_of(record.bytes.begin(), record.bytes.end(), [](std::uint8_t b) { return b == 0; });
}

std::string sightingName(const PresetRecord& record) {
  std::string name = record.validName().value_or("");
  if (foldedName(name) == kNoPresetHere) name.clear();
  return name;
}

std::string soundFingerprint(const PresetRecord& record) {
  return std::string(reinterpret_cast<const char*>(record.bytes.data()) + kFingerprintOffset, kFingerprintSize);
}

std::string fingerprintText(const PresetRecord& record) {
  std::uint64_t hash = 14695981039346656037ull;  // FNV-1a
  for (char c : soundFingerprint(record)) hash = (hash ^ static_cast<std::uint8_t>(c)) * 1099511628211ull;
  char text[17];
  std::snprintf(text, sizeof text, "%016llx", static_cast<unsigned long long>(hash));
  return text;
}

std::optional<std::string> latin1OfUtf8(const std::string& utf8) {
  std::string out;
  for (std::size_t i = 0; i < utf8.size(); ++i) {
    const auto b = static_cast<unsigned char>(utf8[i]);
    if (b < 0x80) {
      out += static_cast<char>(b);
    } else if ((b == 0xC2 || b == 0xC3) && i + 1 < utf8.size() && (static_cast<unsigned char>(utf8[i + 1]) & 0xC0) == 0x80) {
      out += static_cast<char>(((b & 0x03) << 6) | (static_cast<unsigned char>(utf8[++i]) & 0x3F));
    } else {
      return std::nullopt;
    }
  }
  return out;
}

std::string describePlace(const Place& place) {
  const std::string slot = std::to_string(place.slot);
  const std::string inFile = place.slot > 0 ? " (preset " + slot + ")" : "";
  switch (place.kind) {
    case SightingKind::Fetched: return "fetched from the combo's slot " + slot;
    case SightingKind::Stored: return "stored to the combo's slot " + slot;
    case SightingKind::Loaded: return "loaded from " + place.path + inFile;
    case SightingKind::Saved: return "saved to " + place.path + inFile;
    case SightingKind::Imported: return "imported from " + place.path + inFile;
    case SightingKind::History: return "in the history of banks, " + place.path + inFile;
  }
  return "";
}

std::string localTimeText(std::int64_t time) {
  const auto t = static_cast<std::time_t>(time);
  std::tm local{};
  localtime_r(&t, &local);
  char text[32];
  std::strftime(text, sizeof text, "%Y-%m-%d %H:%M:%S", &local);
  return text;
}

PresetLibrary::PresetLibrary() = default;
PresetLibrary::~PresetLibrary() { close(); }

void PresetLibrary::close() {
  closeIndex_.reset();
  if (db_) sqlite3_close_v2(db_);
  db_ = nullptr;
  readOnly_ = false;
  identity_.reset();
}

void PresetLibrary::setBusyWait(int milliseconds) {
  busyWait_ = milliseconds;
  if (db_) sqlite3_busy_timeout(db_, busyWait_);
}

std::optional<std::string> PresetLibrary::failure(const char* what) const {
  return std::string(what) + ": " + sql::message(db_);
}

LibraryOpening PresetLibrary::open(const fs::path& file, const fs::path& historyFolder) {
  close();
  file_ = file;
  historyFolder_ = historyFolder;
  notice_.reset();
  LibraryOpening opening;
  std::error_code error;
  fs::create_directories(file.parent_path().empty() ? fs::path(".") : file.parent_path(), error);
  if (error) {
    opening.message = "cannot make " + file.parent_path().string() + ": " + error.message();
    return opening;
  }
  opening = openExisting(historyFolder);
  if (db_) findCategoryColumn();
  if (!opening.movedAside) return opening;

  // A new library in the place of the one moved aside, built from the history.
  LibraryOpening rebuilt = openExisting(historyFolder);
  if (db_) findCategoryColumn();
  rebuilt.movedAside = opening.movedAside;
  rebuilt.message = opening.message +
                    (rebuilt.state == LibraryOpening::State::Ready
                         ? "; a new library was built from the history of banks (" + std::to_string(rebuilt.soundsFromHistory) + " sounds)"
                         : "; " + rebuilt.message);
  return rebuilt;
}

bool PresetLibrary::openToSearch(const fs::path& file) {
  close();
  file_ = file;
  if (sqlite3_open_v2((uriOf(file_) + "?mode=ro").c_str(), &db_, SQLITE_OPEN_READONLY | SQLITE_OPEN_URI, nullptr) != SQLITE_OK) {
    close();
    return false;
  }
  sqlite3_busy_timeout(db_, busyWait_);
  registerLibraryFunctions(db_);
  readOnly_ = true;
  // A name search walks every sound's names (8 MB at 100,000 sounds): SQLite's default cache
  // of 2 MB would read them anew at each letter.
  sql::execute(db_, "PRAGMA mmap_size = 268435456; PRAGMA cache_size = -16384");
  // A library in a folder this user cannot write has no shared-memory file for a second
  // reader: the first connection's searches are all there is.
  bool readable = false;
  {
    sql::Statement probe(db_, "SELECT count(*) FROM sounds");
    readable = probe.ok() && probe.step() == SQLITE_ROW;
  }
  if (!readable) close();
  if (readable) findCategoryColumn();
  return readable;
}

bool PresetLibrary::openReadOnly() {
  // Without a shared-memory file beside it (which a folder this user cannot write cannot
  // get), SQLite reads a library only as a file nobody changes meanwhile.
  for (const char* how : {"?mode=ro", "?mode=ro&immutable=1"}) {
    close();
    if (sqlite3_open_v2((uriOf(file_) + how).c_str(), &db_, SQLITE_OPEN_READONLY | SQLITE_OPEN_URI, nullptr) != SQLITE_OK) continue;
    sqlite3_busy_timeout(db_, busyWait_);
    registerLibraryFunctions(db_);
    readOnly_ = true;
    sql::Statement probe(db_, "SELECT count(*) FROM sqlite_master");
    const int code = probe.ok() ? probe.step() : probe.prepareCode();
    if (code == SQLITE_ROW || isDamage(code)) return true;
  }
  return db_ != nullptr;
}

std::optional<fs::path> PresetLibrary::moveAside(const std::optional<FileIdentity>& damaged, std::string& error) {
  // Another program that found the same damage may have set it aside and built a new one
  // already: that one is not ours to move.
  if (identityOf(file_) != damaged) return std::nullopt;
  fs::path aside = file_;
  aside += ".broken-" + historyTimeText(std::time(nullptr)).substr(0, 10);  // the date
  const fs::path base = aside;
  for (int n = 2; fs::exists(aside); ++n) (aside = base) += "-" + std::to_string(n);
  std::error_code failed;
  fs::rename(file_, aside, failed);
  if (failed) {
    error = failed.message();
    return std::nullopt;
  }
  // Its journal belongs to it: left here, it would be replayed into the new library.
  fs::path journal = file_, journalAside = aside;
  journal += "-wal";
  journalAside += "-wal";
  if (fs::exists(journal, failed)) fs::rename(journal, journalAside, failed);
  fs::path shared = file_;
  shared += "-shm";
  fs::remove(shared, failed);
  return aside;
}

LibraryOpening PresetLibrary::openExisting(const fs::path& historyFolder) {
  LibraryOpening opening;
  const auto unavailable = [&](const std::string& why) {
    opening.state = LibraryOpening::State::Unavailable;
    opening.message = "the library " + file_.string() + " cannot be used: " + why;
    close();
    return opening;
  };
  std::error_code error;
  const bool exists = fs::exists(file_, error);
  if (!libraryWritable(file_)) {
    if (!exists) return unavailable("its folder cannot be written");
    if (!openReadOnly()) return unavailable(sql::message(db_));
  } else {
    if (sqlite3_open_v2(file_.c_str(), &db_, SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE, nullptr) != SQLITE_OK)
      return unavailable(sql::message(db_));
    sqlite3_busy_timeout(db_, busyWait_);
    registerLibraryFunctions(db_);
    readOnly_ = sqlite3_db_readonly(db_, "main") == 1;
  }
  const std::optional<FileIdentity> opened = identityOf(file_);
  // A search reads every sound's row: mapped, those pages are read without a copy, and kept
  // between searches instead of read from the file each time.
  sql::execute(db_, "PRAGMA mmap_size = 268435456; PRAGMA cache_size = -65536");

  std::int64_t application = 0, version = 0, objects = 0;
  int code = SQLITE_OK;
  for (const auto& [text, value] : {std::pair<const char*, std::int64_t*>{"PRAGMA application_id", &application},
                                    {"PRAGMA user_version", &version},
                                    {"SELECT count(*) FROM sqlite_master", &objects}}) {
    sql::Statement s(db_, text);
    code = s.ok() ? s.step() : s.prepareCode();
    if (code != SQLITE_ROW) break;
    *value = s.integer(0);
  }
  bool broken = isDamage(code);
  if (!broken && code != SQLITE_ROW) return unavailable(sql::message(db_));
  const bool fresh = !broken && objects == 0 && version == 0 && application == 0;
  if (!broken && !fresh && application != kLibraryApplicationId) broken = true;

  if (!broken && version > kLibrarySchemaVersion) {
    if (!readOnly_ && !openReadOnly()) return unavailable(sql::message(db_));
    opening.state = LibraryOpening::State::ReadOnly;
    opening.message = file_.string() + " was written by a newer version (its version " + std::to_string(version) +
                      ", this program knows up to " + std::to_string(kLibrarySchemaVersion) + "): opened read-only";
    return opening;
  }

  std::string damage;
  if (!broken && !fresh) {
    // Our mark on a file whose tables cannot be read is a damaged library; a page spoiled
    // inside is found by the quick check before anything is written.
    for (const char* text : {"SELECT max(id) FROM sounds", "SELECT max(id) FROM sightings", "PRAGMA quick_check(1)"}) {
      sql::Statement s(db_, text);
      code = s.ok() ? s.step() : s.prepareCode();
      if (code == SQLITE_ROW && s.text(0) != "ok" && !s.isNull(0) && std::string_view(text).starts_with("PRAGMA")) {
        broken = true;
        damage = "damaged: " + s.text(0);
        break;
      }
      if (code != SQLITE_ROW) {
        if (!isDamage(code) && (code & 0xFF) != SQLITE_ERROR) return unavailable(sql::message(db_));
        broken = true;
        break;
      }
    }
  }

  if (broken) {
    const std::string why = !damage.empty()            ? damage
                            : code == SQLITE_ROW       ? "a database of another program"
                            : (code & 0xFF) == SQLITE_ERROR ? "its tables are missing"
                                                       : sql::message(db_);
    close();
    std::string failed;
    const std::optional<fs::path> aside = moveAside(opened, failed);
    if (!aside && failed.empty()) return openExisting(historyFolder);
    if (!aside) return unavailable(why + ", and it cannot be moved aside: " + failed);
    opening.movedAside = aside;
    opening.message = file_.string() + " is not a readable library (" + why + "); it was moved aside as " + aside->filename().string();
    return opening;
  }

  if (readOnly_) {
    opening.state = LibraryOpening::State::ReadOnly;
    libraryId_ = readLibraryId(db_);
    opening.message = file_.string() + " cannot be written by this user: searches work, but nothing new will be kept";
    if (fresh) return unavailable("it cannot be written");
    return opening;
  }
  if (sql::execute(db_, "PRAGMA journal_mode = WAL; PRAGMA synchronous = NORMAL") != SQLITE_OK)
    return unavailable(sql::message(db_));
  if (version < kLibrarySchemaVersion) {
    if (sql::execute(db_, "BEGIN IMMEDIATE") != SQLITE_OK) return unavailable(sql::message(db_));
    // Another program may have brought it up to date while this one waited.
    if (auto why = migrateLibrary(db_)) {
      sql::execute(db_, "ROLLBACK");
      return unavailable(*why);
    }
    if (sql::execute(db_, "COMMIT") != SQLITE_OK) {
      const std::string why = sql::message(db_);
      sql::execute(db_, "ROLLBACK");
      return unavailable(why);
    }
  }
  opening.state = LibraryOpening::State::Ready;
  identity_ = opened;
  libraryId_ = readLibraryId(db_);

  sql::Statement imported(db_, "SELECT 1 FROM meta WHERE key = ?");
  imported.bind(1, kHistoryImported);
  if (imported.step() == SQLITE_DONE) {
    const Noted noted = importHistory(historyFolder);
    if (noted.error) opening.message = "the history of banks could not be brought in: " + *noted.error;
    opening.soundsFromHistory = noted.newSounds;
  }
  return opening;
}

std::optional<std::string> PresetLibrary::takeNotice() { return std::exchange(notice_, std::nullopt); }

int PresetLibrary::checked(int code) const {
  if (isDamage(code) && !damage_) damage_ = sql::message(db_);
  return code;
}

bool PresetLibrary::recoverFromDamage() {
  if (!damage_) return false;
  const std::string why = *std::exchange(damage_, std::nullopt);
  if (readOnly_) {
    notice_ = file_.string() + " is damaged (" + why + ") and cannot be moved aside by this user";
    return false;
  }
  const std::optional<FileIdentity> damaged = identity_;
  close();
  std::string failed;
  const std::optional<fs::path> aside = moveAside(damaged, failed);
  if (!aside && failed.empty()) {
    const LibraryOpening reopened = open(file_, historyFolder_);
    notice_ = file_.string() + " was found damaged (" + why + ") and another program had set it aside; " +
              (reopened.state == LibraryOpening::State::Ready ? "the new library is used" : reopened.message);
    return db_ != nullptr;
  }
  if (!aside) {
    notice_ = file_.string() + " is damaged (" + why + ") and cannot be moved aside: " + failed;
    return false;
  }
  const LibraryOpening rebuilt = open(file_, historyFolder_);
  notice_ = file_.string() + " was found damaged (" + why + "); it was moved aside as " + aside->filename().string() +
            (rebuilt.state == LibraryOpening::State::Ready
                 ? " and a new library was built from the history of banks (" + std::to_string(rebuilt.soundsFromHistory) + " sounds)"
                 : "; " + rebuilt.message);
  return db_ != nullptr;
}

void PresetLibrary::followFile() {
  if (!db_ || readOnly_ || !identity_) return;
  const std::optional<FileIdentity> now = identityOf(file_);
  if (now == identity_) return;
  // What this program wrote goes into the file it wrote to, wherever that is now, and its
  // write-ahead log is emptied: left, it would be replayed into the file there now. Closing
  // must then not touch the log by its name, which may be the new file's.
  sql::execute(db_, "PRAGMA wal_checkpoint(TRUNCATE)");
  sqlite3_db_config(db_, SQLITE_DBCONFIG_NO_CKPT_ON_CLOSE, 1, nullptr);
  const LibraryOpening reopened = open(file_, historyFolder_);
  std::string what = file_.string() + (now ? " was replaced" : " was removed") + " while this program ran; ";
  if (reopened.state == LibraryOpening::State::Ready)
    what += now ? "the library there now is used from here on" : "a new library was built from the history of banks (" +
                                                                     std::to_string(reopened.soundsFromHistory) + " sounds)";
  else
    what += "nothing more can be written: " + reopened.message;
  notice_ = what + "; what was written before stays with the file " + (now ? "replaced" : "removed");
}

Noted PresetLibrary::importHistory(const fs::path& historyFolder) {
  Noted noted;
  if (!writable()) {
    noted.error = "the library is read-only";
    return noted;
  }
  std::vector<HistoryEntry> entries = listHistory(historyFolder);
  std::reverse(entries.begin(), entries.end());
  if (sql::execute(db_, "BEGIN IMMEDIATE") != SQLITE_OK) {
    noted.error = failure("cannot write the library");
    return noted;
  }
  // Once only: another program that opened the library meanwhile did it already.
  sql::Statement done(db_, "SELECT 1 FROM meta WHERE key = ?");
  done.bind(1, kHistoryImported);
  if (done.step() == SQLITE_ROW) {
    sql::execute(db_, "ROLLBACK");
    return noted;
  }
  SightingWriter writer(db_, libraryId_);
  int code = writer.ok() ? SQLITE_DONE : SQLITE_ERROR;
  for (const HistoryEntry& entry : entries) {
    const std::optional<Bytes> data = readFileStart(entry.path, kBankFileSize + 1);
    const std::optional<PresetBank> bank = data ? parseBankFile(*data) : std::nullopt;
    if (!bank) continue;  // a history file spoiled by hand brings nothing, and stops nothing
    const std::int64_t time = historyTime(entry.time);
    for (int slot = 0; slot < kPresetCount && code == SQLITE_DONE; ++slot) {
      const PresetRecord& r = (*bank)[static_cast<std::size_t>(slot)];
      if (!isPreset(r) || isEmptyRecord(r)) continue;
      bool isNew = false;
      code = writer.note(db_, r, {time, sightingName(r), {SightingKind::History, slot + 1, entry.path.string()}}, isNew);
      noted.sightings += code == SQLITE_DONE;
      noted.newSounds += code == SQLITE_DONE && isNew;
    }
    if (code != SQLITE_DONE) break;
  }
  sql::Statement mark(db_, "INSERT INTO meta(key, value) VALUES(?, ?)");
  mark.bind(1, kHistoryImported).bind(2, std::to_string(entries.size()) + " banks");
  if (code == SQLITE_DONE) code = mark.step();
  if (code != SQLITE_DONE || sql::execute(db_, "COMMIT") != SQLITE_OK) {
    noted = Noted{0, 0, failure("cannot write the library"), std::nullopt};
    sql::execute(db_, "ROLLBACK");
  }
  return noted;
}

Noted PresetLibrary::noteRecords(std::span<const PresetRecord> records, std::span<const Place> where, std::int64_t time,
                                 std::vector<Known>* before) {
  followFile();
  return recovering([&] { return noteRecordsNow(records, where, time, before); });
}

Noted PresetLibrary::noteRecordsNow(std::span<const PresetRecord> records, std::span<const Place> where, std::int64_t time,
                                    std::vector<Known>* before) {
  if (before) before->assign(records.size(), Known{});
  Noted noted;
  if (!db_ || readOnly_) {
    noted.error = db_ ? "the library is read-only" : "the library is not open";
    return noted;
  }
  if (checked(sql::execute(db_, "BEGIN IMMEDIATE")) != SQLITE_OK) {
    noted.error = failure("cannot write the library");
    return noted;
  }
  SightingWriter writer(db_, libraryId_);
  int code = writer.ok() ? SQLITE_DONE : SQLITE_ERROR;
  for (std::size_t i = 0; i < records.size() && i < where.size() && code == SQLITE_DONE; ++i) {
    const PresetRecord& r = records[i];
    if (!isPreset(r) || isEmptyRecord(r)) continue;
    if (before) (*before)[i] = knownNow(std::span(&r, 1))[0];
    bool isNew = false;
    code = writer.note(db_, r, {time, sightingName(r), where[i]}, isNew);
    noted.sightings += code == SQLITE_DONE;
    noted.newSounds += code == SQLITE_DONE && isNew;
  }
  if (code != SQLITE_DONE || sql::execute(db_, "COMMIT") != SQLITE_OK) {
    checked(code != SQLITE_DONE ? code : sqlite3_extended_errcode(db_));
    noted = Noted{0, 0, failure("cannot write the library"), std::nullopt};
    sql::execute(db_, "ROLLBACK");
    if (before) before->assign(records.size(), Known{});
  }
  return noted;
}

Noted PresetLibrary::noteBank(const PresetBank& bank, const Place& where, std::int64_t time, std::bitset<kPresetCount> which) {
  std::vector<PresetRecord> records;
  std::vector<Place> places;
  for (int slot = 0; slot < kPresetCount; ++slot) {
    if (!which[static_cast<std::size_t>(slot)]) continue;
    records.push_back(bank[static_cast<std::size_t>(slot)]);
    places.push_back(where);
    places.back().slot = slot + 1;
  }
  return noteRecords(records, places, time);
}

Noted PresetLibrary::notePreset(const PresetRecord& record, const Place& where, std::int64_t time) {
  return noteRecords(std::span(&record, 1), std::span(&where, 1), time);
}

std::string PresetLibrary::newestName(const PresetRecord& sound) const {
  if (!db_) return "";
  sql::Statement find(db_, "SELECT newest_name FROM sounds WHERE fingerprint = ?");
  find.bindBlob(1, bytesOf(soundFingerprint(sound)));
  if (checked(find.step()) != SQLITE_ROW) return "";
  std::string name = find.blob(0);
  // A library written before the placeholder was kept out of the names may still hold it.
  if (foldedName(name) == kNoPresetHere) name.clear();
  return name;
}

std::vector<PresetLibrary::Known> PresetLibrary::known(std::span<const PresetRecord> records) {
  return recovering([&] { return knownNow(records); });
}

std::vector<PresetLibrary::Known> PresetLibrary::knownNow(std::span<const PresetRecord> records) {
  std::vector<Known> out(records.size());
  if (!db_) return out;
  sql::Statement find(db_, "SELECT id FROM sounds WHERE fingerprint = ?");
  sql::Statement names(db_, "SELECT name FROM sightings WHERE sound = ? GROUP BY name ORDER BY min(id)");
  for (std::size_t i = 0; i < records.size(); ++i) {
    find.bindBlob(1, bytesOf(soundFingerprint(records[i])));
    if (checked(find.step()) == SQLITE_ROW) out[i].id = find.integer(0);
    find.reset();
    if (out[i].id == 0) continue;
    names.bind(1, out[i].id);
    int code;
    while ((code = names.step()) == SQLITE_ROW) out[i].names.push_back(names.blob(0));
    checked(code);
    names.reset();
  }
  return out;
}

SearchResult PresetLibrary::search(const LibraryQuery& query) {
  return recovering([&] { return searchNow(query); });
}

SearchResult PresetLibrary::searchNow(const LibraryQuery& query) {
  const auto refused = [](std::string why) {
    SearchResult failed;
    failed.error = std::move(why);
    return failed;
  };
  if (!db_) return refused("the library is not open");
  std::string where = "1";
  std::vector<std::string> blobs;  // bound in order after the clauses that use them
  if (!query.text.empty()) {
    where += " AND id IN (SELECT sound FROM sound_names WHERE holds_bytes(names, ?))";
    blobs.push_back(foldedName(query.text));
  }
  if (query.ampModel) {
    const auto amp = ampModelNamed(*query.ampModel);
    if (const auto* bad = std::get_if<ConditionError>(&amp)) return refused(bad->why);
    where += " AND p0 = " + std::to_string(std::get<int>(amp));
  }
  if (query.effect) {
    const auto effect = effectNamed(*query.effect);
    if (const auto* bad = std::get_if<ConditionError>(&effect)) return refused(bad->why);
    where += " AND p13 = " + std::to_string(std::get<int>(effect));
  }
  for (const std::string& condition : query.conditions) {
    const auto parsed = parseCondition(condition);
    if (const auto* bad = std::get_if<ConditionError>(&parsed)) return refused(bad->why);
    where += " AND " + conditionClause(std::get<std::vector<ParameterMatch>>(parsed));
  }
  if (query.favouritesOnly) where += " AND favourite = 1";
  if (query.kind) {
    const std::optional<KindFilter> kind = kindFilterNamed(*query.kind);
    if (!kind) return refused("no category \"" + *query.kind + "\": one of " + kindFilterNames());
    where += " AND " + kindClause(*kind, categoryColumn_);
  }
  if (query.near) {
    sql::Statement of(db_, "SELECT fingerprint FROM sounds WHERE id = ?");
    of.bind(1, *query.near);
    const int code = checked(of.step());
    if (code != SQLITE_ROW)
      return refused(code == SQLITE_DONE ? "no sound " + std::to_string(*query.near) + " in the library" : sql::message(db_));
    const PresetRecord centre = recordOf(of.blob(0), "");
    const int effect = centre.value(EFFECT_SELECT);
    where += " AND id != " + std::to_string(*query.near) + " AND p0 = " + std::to_string(centre.value(AMP_TYPE)) +
             " AND p13 = " + std::to_string(effect);
    for (const int p : closeControls(effect))
      where += " AND " + column(p) + " BETWEEN " + std::to_string(centre.value(p) - kCloseSteps) + " AND " +
               std::to_string(centre.value(p) + kCloseSteps);
  }
  std::string tag;
  if (query.tag) {
    tag = foldedTag("," + trimmed(*query.tag) + ",");
    where += " AND instr(folded_tag(tags), ?)";
  }
  const char* named = sortColumn(query.sort);
  const std::string order = named ? named : column(std::clamp(query.sortParameter, 0, kParameterCount - 1));
  const char* direction = query.descending ? " DESC" : " ASC";
  // The sort column's index would walk every sound to find the few a name matches; a scan
  // and a sort of the matches is what a name search wants.
  const bool scan = !query.text.empty() || !query.conditions.empty() || query.near;
  const std::string text = "SELECT " + rowColumns(categoryColumn_, noteColumn_) + " FROM sounds WHERE " + where + " ORDER BY " +
                           (scan ? "+" : "") + order + direction + ", id" + direction;
  sql::Statement s(db_, text);
  if (!s.ok()) return checked(s.prepareCode()), refused(sql::message(db_));
  int n = 1;
  for (const std::string& b : blobs) s.bindBlob(n++, bytesOf(b));
  if (query.tag) s.bind(n++, tag);

  const CloseIndex* close = query.closeCounts || query.hideClose ? &closeIndex() : nullptr;
  const auto positionOf = [close](std::int64_t id) {
    const auto at = close->position.find(id);
    return at == close->position.end() ? -1 : at->second;
  };
  // Which matches a list without close sounds keeps needs every match first: the most
  // recently seen of a group may come last in the order asked for.
  std::vector<bool> keptInOrder;
  int code;
  if (query.hideClose) {
    struct Match {
      std::int64_t id, lastSeen;
      std::size_t order;
    };
    std::vector<Match> matches;
    while ((code = s.step()) == SQLITE_ROW) matches.push_back({s.integer(0), s.integer(5), matches.size()});
    if (checked(code) != SQLITE_DONE) return refused(sql::message(db_));
    std::sort(matches.begin(), matches.end(), [](const Match& a, const Match& b) {
      return a.lastSeen != b.lastSeen ? a.lastSeen > b.lastSeen : a.id > b.id;
    });
    std::vector<int> members;
    std::vector<std::size_t> orders;
    keptInOrder.assign(matches.size(), true);
    for (const Match& m : matches)
      if (const int at = positionOf(m.id); at >= 0) {
        members.push_back(at);
        orders.push_back(m.order);
      }
    const std::vector<bool> kept = keptOfCloseGroups(close->neighbours, members);
    for (std::size_t k = 0; k < kept.size(); ++k) keptInOrder[orders[k]] = kept[k];
    s.reset();
  }
  SearchResult result;
  std::size_t place = 0;
  while ((code = s.step()) == SQLITE_ROW) {
    if (query.hideClose && !keptInOrder[place++]) {
      ++result.hiddenClose;
      continue;
    }
    if (!query.limit || result.count < *query.limit) {
      result.rows.push_back(rowOf(s));
      if (close) {
        const int at = positionOf(result.rows.back().id);
        result.rows.back().closeCount = at < 0 ? 0 : static_cast<int>(close->neighbours[static_cast<std::size_t>(at)].size());
      }
    }
    ++result.count;
  }
  if (checked(code) != SQLITE_DONE) return refused(sql::message(db_));
  return result;
}

const CloseIndex& PresetLibrary::closeIndex() {
  if (!closeIndex_) closeIndex_ = std::make_unique<CloseIndex>();
  // A sound's values never change and sounds are only added: the pairs stand until a sound
  // comes, whatever else is written (a sighting, a favourite, a tag).
  sql::Statement size(db_, "SELECT count(*), coalesce(max(id), 0) FROM sounds");
  const bool sized = checked(size.step()) == SQLITE_ROW;
  const std::int64_t sounds = sized ? size.integer(0) : -1, newest = sized ? size.integer(1) : -1;
  CloseIndex& index = *closeIndex_;
  if (sized && index.sounds == sounds && index.newest == newest) return index;
  index = CloseIndex{sounds, newest, {}, {}};
  std::vector<PresetRecord> records;
  sql::Statement all(db_, "SELECT id, fingerprint FROM sounds");
  while (checked(all.step()) == SQLITE_ROW) {
    index.position.emplace(all.integer(0), static_cast<int>(records.size()));
    records.push_back(recordOf(all.blob(1), ""));
  }
  index.neighbours = closeNeighbours(records);
  return index;
}

SoundDetail PresetLibrary::sound(std::int64_t id) {
  return recovering([&] { return soundNow(id); });
}

SoundDetail PresetLibrary::soundNow(std::int64_t id) {
  SoundDetail detail;
  if (!db_) {
    detail.error = "the library is not open";
    return detail;
  }
  sql::Statement s(db_, "SELECT " + rowColumns(categoryColumn_, noteColumn_) + " FROM sounds WHERE id = ?");
  s.bind(1, id);
  const int code = checked(s.step());
  if (code != SQLITE_ROW) {
    detail.error = code == SQLITE_DONE ? "no sound " + std::to_string(id) + " in the library" : sql::message(db_);
    return detail;
  }
  detail.sound = rowOf(s);
  sql::Statement seen(db_, "SELECT time, name, kind, slot, path FROM sightings WHERE sound = ? ORDER BY time, id");
  seen.bind(1, id);
  int step;
  while ((step = seen.step()) == SQLITE_ROW)
    detail.sightings.push_back({seen.integer(0), seen.blob(1), {sightingKindNamed(seen.text(2)), static_cast<int>(seen.integer(3)), seen.text(4)}});
  if (checked(step) != SQLITE_DONE) detail.error = sql::message(db_);
  return detail;
}

std::optional<std::string> PresetLibrary::setFavourite(std::int64_t id, bool favourite, std::int64_t time) {
  SoundEdit edit;
  edit.what = SoundEdit::What::Favourite;
  edit.favourite = favourite;
  followFile();
  return recovering([&]() -> std::optional<std::string> {
    if (!writable()) return db_ ? "the library is read-only" : "the library is not open";
    auto why = editSound(db_, libraryId_, id, edit, time);
    checked(sqlite3_extended_errcode(db_));
    return why;
  });
}

std::optional<std::string> PresetLibrary::setTags(std::int64_t id, const std::string& tags, std::int64_t time) {
  if (!writable()) return db_ ? "the library is read-only" : "the library is not open";
  SoundEdit edit;
  edit.what = SoundEdit::What::Tags;
  for (const std::string& tag : splitTags(tags)) {
    const std::string t = trimmed(tag);
    // One tag given twice in other cases is one tag, kept as first given.
    if (!t.empty() && std::none_of(edit.tags.begin(), edit.tags.end(), [&](const std::string& k) { return foldedTag(k) == foldedTag(t); }))
      edit.tags.push_back(t);
  }
  followFile();
  return recovering([&]() -> std::optional<std::string> {
    if (!writable()) return db_ ? "the library is read-only" : "the library is not open";
    auto why = editSound(db_, libraryId_, id, edit, time);
    checked(sqlite3_extended_errcode(db_));
    return why;
  });
}

std::optional<std::string> PresetLibrary::setNote(std::int64_t id, const std::string& note, std::int64_t time) {
  SoundEdit edit;
  edit.what = SoundEdit::What::Note;
  edit.note = note;
  followFile();
  return recovering([&]() -> std::optional<std::string> {
    if (!writable()) return db_ ? "the library is read-only" : "the library is not open";
    auto why = editSound(db_, libraryId_, id, edit, time);
    checked(sqlite3_extended_errcode(db_));
    return why;
  });
}

std::optional<std::string> PresetLibrary::setCategory(std::int64_t id, std::optional<Category> category, std::int64_t time) {
  SoundEdit edit;
  edit.what = SoundEdit::What::Category;
  if (category) edit.category = categoryName(*category);
  followFile();
  return recovering([&]() -> std::optional<std::string> {
    if (!writable()) return db_ ? "the library is read-only" : "the library is not open";
    auto why = editSound(db_, libraryId_, id, edit, time);
    checked(sqlite3_extended_errcode(db_));
    return why;
  });
}

void PresetLibrary::findCategoryColumn() {
  sql::Statement probe(db_, "SELECT category FROM sounds LIMIT 0");
  categoryColumn_ = probe.ok() ? "category" : "NULL";
  sql::Statement notes(db_, "SELECT note FROM sounds LIMIT 0");
  noteColumn_ = notes.ok() ? "note" : "''";
}

}  // namespace kestralux
