#include "library/LibrarySchema.h"

#include <map>
#include <string_view>
#include <vector>

#include "library/Sqlite.h"

namespace kestralux {

namespace {

// The first library: sounds and their sightings.
constexpr const char* kVersion1 = R"(
CREATE TABLE meta(key TEXT PRIMARY KEY, value TEXT NOT NULL);
CREATE TABLE sounds(
  id INTEGER PRIMARY KEY,
  fingerprint BLOB NOT NULL UNIQUE,
  p0 INTEGER NOT NULL, p1 INTEGER NOT NULL, p2 INTEGER NOT NULL, p3 INTEGER NOT NULL,
  p4 INTEGER NOT NULL, p5 INTEGER NOT NULL, p6 INTEGER NOT NULL, p7 INTEGER NOT NULL,
  p8 INTEGER NOT NULL, p9 INTEGER NOT NULL, p10 INTEGER NOT NULL, p11 INTEGER NOT NULL,
  p12 INTEGER NOT NULL, p13 INTEGER NOT NULL, p14 INTEGER NOT NULL, p15 INTEGER NOT NULL,
  reserved INTEGER NOT NULL,
  newest_name BLOB NOT NULL,
  first_seen INTEGER NOT NULL,
  last_seen INTEGER NOT NULL,
  times_seen INTEGER NOT NULL);
CREATE TABLE sightings(
  id INTEGER PRIMARY KEY,
  sound INTEGER NOT NULL REFERENCES sounds(id),
  time INTEGER NOT NULL,
  name BLOB NOT NULL,
  kind TEXT NOT NULL,
  slot INTEGER,
  path TEXT);
CREATE INDEX sightings_of_sound ON sightings(sound);
)";

// Favourites, tags, and every name a sound was seen under, folded, in a narrow table of its
// own, so a search by name reads one short row per sound instead of every sighting or every
// value; newest first is the listing's usual order.
constexpr const char* kVersion2 = R"(
ALTER TABLE sounds ADD COLUMN favourite INTEGER NOT NULL DEFAULT 0;
ALTER TABLE sounds ADD COLUMN tags TEXT NOT NULL DEFAULT '';
CREATE TABLE sound_names(sound INTEGER PRIMARY KEY REFERENCES sounds(id), names BLOB NOT NULL);
INSERT INTO sound_names SELECT id, x'0a' FROM sounds;
CREATE INDEX sounds_by_last_seen ON sounds(last_seen);
)";

// The window's placeholder for a slot without a name was once kept as a name, and a sighting
// without a name once hid the names before it: the newest name is the newest one given.
constexpr const char* kVersion3 = R"(
UPDATE sightings SET name = x'' WHERE upper(CAST(name AS TEXT)) = 'NO PRESET HERE';
UPDATE sounds SET newest_name = coalesce((SELECT name FROM sightings WHERE sound = sounds.id AND length(name) > 0
                                          ORDER BY time DESC, id DESC LIMIT 1), x'');
)";

// A category given by hand: the name of one of CLEAN, CRUNCH, HIGH GAIN, FUZZ, or NULL for
// the category the values give. Kept as its name so the file reads without this program.
constexpr const char* kVersion4 = R"(
ALTER TABLE sounds ADD COLUMN category TEXT;
)";

// One library on several machines: a random id for this library; every change made here, in
// order, for the file it appends to a shared folder; the time and library of the change that
// set each sound's favourite, note, tags and category, so the later change wins wherever it is read;
// where each other library's file was read up to. Sightings know the library and change that
// brought them, so a sighting read twice is kept once. Every sighting, favourite and category
// given by hand so far is a change of this library (tags are added by fillTagChanges).
constexpr const char* kVersion5 = R"(
ALTER TABLE sounds ADD COLUMN note TEXT NOT NULL DEFAULT '';
ALTER TABLE sightings ADD COLUMN origin TEXT;
ALTER TABLE sightings ADD COLUMN origin_seq INTEGER;
CREATE TABLE changes(
  seq INTEGER PRIMARY KEY,
  kind TEXT NOT NULL,
  fingerprint BLOB NOT NULL,
  time INTEGER NOT NULL,
  name BLOB, place TEXT, slot INTEGER, path TEXT,
  text TEXT, value INTEGER);
CREATE TABLE stamps(
  sound INTEGER NOT NULL REFERENCES sounds(id),
  field TEXT NOT NULL,
  time INTEGER NOT NULL, library TEXT NOT NULL, seq INTEGER NOT NULL,
  PRIMARY KEY(sound, field)) WITHOUT ROWID;
CREATE TABLE sync_files(file TEXT PRIMARY KEY, offset INTEGER NOT NULL, seq INTEGER NOT NULL DEFAULT 0, told TEXT NOT NULL DEFAULT '');
INSERT OR IGNORE INTO meta(key, value) VALUES('library id', lower(hex(randomblob(16))));
INSERT INTO changes(seq, kind, fingerprint, time, name, place, slot, path)
  SELECT s.id, 'seen', o.fingerprint, s.time, s.name, s.kind, s.slot, s.path FROM sightings s JOIN sounds o ON o.id = s.sound ORDER BY s.id;
UPDATE sightings SET origin = (SELECT value FROM meta WHERE key = 'library id'), origin_seq = id;
CREATE UNIQUE INDEX sightings_by_origin ON sightings(origin, origin_seq);
INSERT INTO changes(kind, fingerprint, time, value)
  SELECT 'favourite', fingerprint, CAST(strftime('%s', 'now') AS INTEGER), 1 FROM sounds WHERE favourite = 1;
INSERT INTO stamps(sound, field, time, library, seq)
  SELECT s.id, 'favourite', c.time, (SELECT value FROM meta WHERE key = 'library id'), c.seq
  FROM changes c JOIN sounds s ON s.fingerprint = c.fingerprint WHERE c.kind = 'favourite';
INSERT INTO changes(kind, fingerprint, time, text)
  SELECT 'category', fingerprint, CAST(strftime('%s', 'now') AS INTEGER), category FROM sounds WHERE category IS NOT NULL;
INSERT INTO stamps(sound, field, time, library, seq)
  SELECT s.id, 'category', c.time, (SELECT value FROM meta WHERE key = 'library id'), c.seq
  FROM changes c JOIN sounds s ON s.fingerprint = c.fingerprint WHERE c.kind = 'category';
)";

// Setlists: each song keeps its sound whole, the record's 88 bytes, so a set does not depend on
// the sounds table and plays the same after a sound there is merged or gone.
constexpr int kSetlistsVersion = 6;
constexpr const char* kSetlistsStep = R"(
CREATE TABLE setlists(
  id INTEGER PRIMARY KEY,
  name TEXT NOT NULL,
  changed INTEGER NOT NULL);
CREATE TABLE setlist_songs(
  setlist INTEGER NOT NULL REFERENCES setlists(id),
  position INTEGER NOT NULL,
  title TEXT NOT NULL,
  note TEXT NOT NULL,
  sound BLOB NOT NULL,
  PRIMARY KEY(setlist, position));
)";

std::optional<std::string> failed(sqlite3* db, const char* what) { return std::string(what) + ": " + sql::message(db); }

std::optional<std::string> fillNames(sqlite3* db) {
  std::map<std::int64_t, std::string> names;
  sql::Statement read(db, "SELECT DISTINCT sound, name FROM sightings ORDER BY sound, id");
  if (!read.ok()) return failed(db, "reading the names");
  int code;
  while ((code = read.step()) == SQLITE_ROW) {
    std::string& line = names[read.integer(0)];
    if (line.empty()) line = std::string(1, kNameSeparator);
    const std::string name = foldedName(read.blob(1)) + kNameSeparator;
    if (line.find(kNameSeparator + name) == std::string::npos) line += name;
  }
  if (code != SQLITE_DONE) return failed(db, "reading the names");
  sql::Statement write(db, "UPDATE sound_names SET names = ? WHERE sound = ?");
  for (const auto& [sound, line] : names) {
    write.bindBlob(1, std::span(reinterpret_cast<const std::uint8_t*>(line.data()), line.size())).bind(2, sound);
    if (write.step() != SQLITE_DONE) return failed(db, "writing the names");
    write.reset();
  }
  return std::nullopt;
}

// Each tag a sound holds, as a change of this library with its stamp.
std::optional<std::string> fillTagChanges(sqlite3* db) {
  sql::Statement read(db, "SELECT id, fingerprint, tags FROM sounds WHERE tags != ''");
  sql::Statement change(db, "INSERT INTO changes(kind, fingerprint, time, text, value) VALUES('tag', ?, CAST(strftime('%s', 'now') AS INTEGER), ?, 1)");
  sql::Statement stamp(db, "INSERT OR REPLACE INTO stamps(sound, field, time, library, seq) "
                           "SELECT ?, ?, time, (SELECT value FROM meta WHERE key = 'library id'), seq FROM changes WHERE seq = last_insert_rowid()");
  if (!read.ok() || !change.ok() || !stamp.ok()) return failed(db, "recording the tags");
  int code;
  while ((code = read.step()) == SQLITE_ROW) {
    const std::string fingerprint = read.blob(1), tags = read.text(2);
    std::size_t start = 0;
    while (start < tags.size()) {
      std::size_t end = tags.find(',', start);
      if (end == std::string::npos) end = tags.size();
      const std::string tag = tags.substr(start, end - start);
      start = end + 1;
      if (tag.empty()) continue;
      change.bindBlob(1, std::span(reinterpret_cast<const std::uint8_t*>(fingerprint.data()), fingerprint.size())).bind(2, tag);
      if (change.step() != SQLITE_DONE) return failed(db, "recording the tags");
      change.reset();
      stamp.bind(1, read.integer(0)).bind(2, "tag:" + foldedTag(tag));
      if (stamp.step() != SQLITE_DONE) return failed(db, "recording the tags");
      stamp.reset();
    }
  }
  if (code != SQLITE_DONE) return failed(db, "recording the tags");
  return std::nullopt;
}

int userVersion(sqlite3* db) {
  sql::Statement s(db, "PRAGMA user_version");
  return s.step() == SQLITE_ROW ? static_cast<int>(s.integer(0)) : -1;
}

}  // namespace

std::string foldedName(std::string_view latin1) {
  std::string out(latin1);
  for (char& c : out) {
    const auto b = static_cast<unsigned char>(c);
    // Latin-1's small letters à..þ sit 0x20 above their capitals, as a..z do; ÷ is not a
    // letter, and ß and ÿ have no capital in Latin-1.
    if ((b >= 'a' && b <= 'z') || (b >= 0xE0 && b <= 0xFE && b != 0xF7)) c = static_cast<char>(b - 0x20);
  }
  return out;
}

std::string foldedTag(std::string_view utf8) {
  std::string out(utf8);
  for (std::size_t i = 0; i < out.size(); ++i) {
    const auto b = static_cast<unsigned char>(out[i]);
    if (b >= 'a' && b <= 'z') {
      out[i] = static_cast<char>(b - 0x20);
    } else if (b == 0xC3 && i + 1 < out.size()) {
      // à..þ are C3 A0..BE, their capitals C3 80..9E; C3 B7 is ÷.
      const auto next = static_cast<unsigned char>(out[i + 1]);
      if (next >= 0xA0 && next <= 0xBE && next != 0xB7) out[i + 1] = static_cast<char>(next - 0x20);
      ++i;
    }
  }
  return out;
}

int registerLibraryFunctions(sqlite3* db) {
  const auto fold = [](sqlite3_context* context, int, sqlite3_value** argv) {
    const auto* text = reinterpret_cast<const char*>(sqlite3_value_text(argv[0]));
    const std::string folded = foldedTag(text ? std::string_view(text, static_cast<std::size_t>(sqlite3_value_bytes(argv[0]))) : "");
    sqlite3_result_text(context, folded.data(), static_cast<int>(folded.size()), SQLITE_TRANSIENT);
  };
  const auto holds = [](sqlite3_context* context, int, sqlite3_value** argv) {
    const auto bytes = [argv](int n) {
      const auto* data = static_cast<const char*>(sqlite3_value_blob(argv[n]));
      return data ? std::string_view(data, static_cast<std::size_t>(sqlite3_value_bytes(argv[n]))) : std::string_view();
    };
    sqlite3_result_int(context, bytes(0).find(bytes(1)) != std::string_view::npos ? 1 : 0);
  };
  const int code = sqlite3_create_function_v2(db, "folded_tag", 1, SQLITE_UTF8 | SQLITE_DETERMINISTIC, nullptr, fold, nullptr, nullptr, nullptr);
  if (code != SQLITE_OK) return code;
  return sqlite3_create_function_v2(db, "holds_bytes", 2, SQLITE_UTF8 | SQLITE_DETERMINISTIC | SQLITE_INNOCUOUS, nullptr, holds, nullptr,
                                    nullptr, nullptr);
}

std::optional<std::string> migrateLibrary(sqlite3* db, int target) {
  int version = userVersion(db);
  if (version < 0) return failed(db, "reading the library's version");
  if (version == 0) {
    if (sql::execute(db, kVersion1) != SQLITE_OK) return failed(db, "making the library");
    const std::string mark = "PRAGMA application_id = " + std::to_string(kLibraryApplicationId);
    if (sql::execute(db, mark.c_str()) != SQLITE_OK) return failed(db, "marking the library");
    version = 1;
  }
  if (version == 1 && target >= 2) {
    if (sql::execute(db, kVersion2) != SQLITE_OK) return failed(db, "bringing the library to version 2");
    if (auto why = fillNames(db)) return why;
    version = 2;
  }
  if (version == 2 && target >= 3) {
    if (sql::execute(db, kVersion3) != SQLITE_OK) return failed(db, "bringing the library to version 3");
    if (auto why = fillNames(db)) return why;
    version = 3;
  }
  if (version == 3 && target >= 4) {
    if (sql::execute(db, kVersion4) != SQLITE_OK) return failed(db, "bringing the library to version 4");
    version = 4;
  }
  if (version == 4 && target >= 5) {
    if (sql::execute(db, kVersion5) != SQLITE_OK) return failed(db, "bringing the library to version 5");
    if (auto why = fillTagChanges(db)) return why;
    version = 5;
  }
  if (version == 5 && target >= kSetlistsVersion) {
    if (sql::execute(db, kSetlistsStep) != SQLITE_OK) return failed(db, "bringing the library to its setlists");
    version = kSetlistsVersion;
  }
  const std::string set = "PRAGMA user_version = " + std::to_string(version);
  if (sql::execute(db, set.c_str()) != SQLITE_OK) return failed(db, "writing the library's version");
  return std::nullopt;
}

}  // namespace kestralux
