#include "library/LibrarySetlists.h"

#include <algorithm>

#include "library/Sqlite.h"

namespace kestralux {

namespace {

std::string notOpen(PresetLibrary& library) {
  return library.connection() ? "the library is read-only" : "the library is not open";
}

std::string failure(sqlite3* db, const char* what) { return std::string(what) + ": " + sql::message(db); }

}  // namespace

SetlistListing listSetlists(PresetLibrary& library) {
  SetlistListing listing;
  sqlite3* db = library.connection();
  if (!db) {
    listing.error = notOpen(library);
    return listing;
  }
  library.followFile();
  db = library.connection();
  sql::Statement s(db,
                   "SELECT id, name, changed, (SELECT count(*) FROM setlist_songs WHERE setlist = setlists.id) "
                   "FROM setlists ORDER BY name, id");
  if (!s.ok()) {
    listing.error = failure(db, "cannot read the setlists");
    return listing;
  }
  int code;
  while ((code = s.step()) == SQLITE_ROW)
    listing.setlists.push_back({s.integer(0), s.text(1), static_cast<int>(s.integer(3)), s.integer(2)});
  if (code != SQLITE_DONE) listing.error = failure(db, "cannot read the setlists");
  return listing;
}

SetlistLoad loadSetlist(PresetLibrary& library, std::int64_t id) {
  SetlistLoad load;
  sqlite3* db = library.connection();
  if (!db) {
    load.error = notOpen(library);
    return load;
  }
  library.followFile();
  db = library.connection();
  // One read transaction: the name and the songs of the same moment.
  const bool ownTransaction = sql::execute(db, "BEGIN") == SQLITE_OK;
  Setlist setlist;
  sql::Statement head(db, "SELECT name FROM setlists WHERE id = ?");
  head.bind(1, id);
  const int found = head.ok() ? head.step() : head.prepareCode();
  if (found == SQLITE_DONE) {
    load.error = "no setlist " + std::to_string(id) + " in the library";
  } else if (found != SQLITE_ROW) {
    load.error = failure(db, "cannot read the setlist");
  } else {
    setlist.id = id;
    setlist.name = head.text(0);
    sql::Statement songs(db, "SELECT title, note, sound FROM setlist_songs WHERE setlist = ? ORDER BY position");
    songs.bind(1, id);
    int code = songs.ok() ? SQLITE_OK : songs.prepareCode();
    while (songs.ok() && (code = songs.step()) == SQLITE_ROW) {
      const std::string bytes = songs.blob(2);
      Song song;
      if (bytes.size() != song.sound.bytes.size()) {
        load.error = "setlist " + std::to_string(id) + " holds a damaged song";
        break;
      }
      std::copy(bytes.begin(), bytes.end(), song.sound.bytes.begin());
      song.title = songs.text(0);
      song.note = songs.text(1);
      setlist.songs.push_back(std::move(song));
    }
    if (load.error.empty() && code != SQLITE_DONE) load.error = failure(db, "cannot read the setlist");
  }
  if (ownTransaction) sql::execute(db, "COMMIT");
  if (load.error.empty()) load.setlist = std::move(setlist);
  return load;
}

SetlistSaved saveSetlist(PresetLibrary& library, const Setlist& setlist, std::int64_t time) {
  SetlistSaved saved;
  library.followFile();
  sqlite3* db = library.connection();
  if (!library.writable()) {
    saved.error = notOpen(library);
    return saved;
  }
  if (sql::execute(db, "BEGIN IMMEDIATE") != SQLITE_OK) {
    saved.error = failure(db, "cannot write the library");
    return saved;
  }
  const auto fail = [&](const char* what) {
    saved.error = failure(db, what);
    saved.id = 0;
    sql::execute(db, "ROLLBACK");
    return saved;
  };
  std::int64_t id = setlist.id;
  bool held = false;
  if (id > 0) {
    sql::Statement update(db, "UPDATE setlists SET name = ?, changed = ? WHERE id = ?");
    update.bind(1, setlist.name).bind(2, time).bind(3, id);
    if ((update.ok() ? update.step() : update.prepareCode()) != SQLITE_DONE) return fail("cannot write the setlist");
    held = sqlite3_changes(db) > 0;
  }
  if (held) {
    sql::Statement clear(db, "DELETE FROM setlist_songs WHERE setlist = ?");
    clear.bind(1, id);
    if ((clear.ok() ? clear.step() : clear.prepareCode()) != SQLITE_DONE) return fail("cannot write the setlist");
  } else {
    sql::Statement add(db, "INSERT INTO setlists(name, changed) VALUES(?, ?)");
    add.bind(1, setlist.name).bind(2, time);
    if ((add.ok() ? add.step() : add.prepareCode()) != SQLITE_DONE) return fail("cannot write the setlist");
    id = sqlite3_last_insert_rowid(db);
  }
  sql::Statement song(db, "INSERT INTO setlist_songs(setlist, position, title, note, sound) VALUES(?, ?, ?, ?, ?)");
  if (!song.ok()) return fail("cannot write the setlist");
  std::int64_t position = 0;
  for (const Song& s : setlist.songs) {
    song.bind(1, id).bind(2, position++).bind(3, s.title).bind(4, s.note).bindBlob(5, s.sound.bytes);
    if (song.step() != SQLITE_DONE) return fail("cannot write the setlist");
    song.reset();
  }
  if (sql::execute(db, "COMMIT") != SQLITE_OK) return fail("cannot write the setlist");
  saved.id = id;
  return saved;
}

std::optional<std::string> deleteSetlist(PresetLibrary& library, std::int64_t id) {
  library.followFile();
  sqlite3* db = library.connection();
  if (!library.writable()) return notOpen(library);
  if (sql::execute(db, "BEGIN IMMEDIATE") != SQLITE_OK) return failure(db, "cannot write the library");
  sql::Statement songs(db, "DELETE FROM setlist_songs WHERE setlist = ?");
  songs.bind(1, id);
  sql::Statement head(db, "DELETE FROM setlists WHERE id = ?");
  head.bind(1, id);
  if ((songs.ok() ? songs.step() : songs.prepareCode()) != SQLITE_DONE ||
      (head.ok() ? head.step() : head.prepareCode()) != SQLITE_DONE) {
    const std::string why = failure(db, "cannot delete the setlist");
    sql::execute(db, "ROLLBACK");
    return why;
  }
  const bool gone = sqlite3_changes(db) > 0;
  if (sql::execute(db, "COMMIT") != SQLITE_OK) {
    const std::string why = failure(db, "cannot delete the setlist");
    sql::execute(db, "ROLLBACK");
    return why;
  }
  if (!gone) return "no setlist " + std::to_string(id) + " in the library";
  return std::nullopt;
}

}  // namespace kestralux
