#pragma once
// The statements one transaction of sightings uses, prepared once for all its records: what
// the library's own notes, a shared file's import and another library's changes all write
// through, so a sighting counts, names and dates its sound the same way whichever brought it.

#include <sqlite3.h>

#include <cstdint>
#include <string>

#include "library/PresetLibrary.h"
#include "library/Sqlite.h"

namespace kestralux {

struct SightingWriter {
  // `library`: this library's id, which the sightings seen here carry.
  SightingWriter(sqlite3* db, std::string library);

  bool ok() const;

  // A sighting made here: it becomes a change of this library for the sync folder. SQLITE_DONE,
  // or the failure's code; `isNew` tells whether the sound was new.
  int note(sqlite3* db, const PresetRecord& record, const Sighting& seen, bool& isNew);
  // A sighting another library made, its `seq`th change: kept once, however often it comes;
  // `kept` tells whether it was new here.
  int noteFrom(sqlite3* db, const PresetRecord& record, const Sighting& seen, const std::string& origin, std::int64_t seq,
               bool& isNew, bool& kept);

  std::string library;
  sql::Statement find, update, newest, updateNames, insertNames, insertSound, insertSighting, insertChange, seenBefore;

 private:
  int write(sqlite3* db, const PresetRecord& record, const Sighting& seen, const std::string& origin, std::int64_t seq, bool& isNew);
};

}  // namespace kestralux
