#include "library/LibraryBackup.h"

#include <unistd.h>

#include <cstring>
#include <fstream>
#include <system_error>

#include "library/LibrarySchema.h"
#include "library/Sqlite.h"

namespace kestralux {

namespace fs = std::filesystem;

std::optional<std::string> backUpLibrary(PresetLibrary& library, const fs::path& target, bool replace) {
  library.followFile();
  sqlite3* source = library.connection();
  if (!source) return "the library is not open";
  std::error_code failed;
  if (!replace && fs::exists(target, failed)) return target.string() + " exists";
  fs::path part = target;
  part += ".part-" + std::to_string(::getpid());
  fs::remove(part, failed);
  sqlite3* copy = nullptr;
  std::optional<std::string> why;
  if (sqlite3_open_v2(part.c_str(), &copy, SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE, nullptr) != SQLITE_OK) {
    why = "cannot make " + part.string() + ": " + sql::message(copy);
  } else if (sqlite3_backup* backup = sqlite3_backup_init(copy, "main", source, "main"); !backup) {
    why = "cannot copy the library: " + sql::message(copy);
  } else {
    // Pages a step at a time, so another program's write waits a moment, not the whole copy;
    // a write that comes in between makes the copy start again from a state that is whole.
    int code;
    while ((code = sqlite3_backup_step(backup, 256)) == SQLITE_OK || code == SQLITE_BUSY || code == SQLITE_LOCKED)
      if (code != SQLITE_OK) sqlite3_sleep(20);
    sqlite3_backup_finish(backup);
    if (code != SQLITE_DONE) why = "cannot copy the library: " + std::string(sqlite3_errstr(code));
    // One file, with no journal beside it: a copy to carry or keep.
    else if (sql::execute(copy, "PRAGMA journal_mode = DELETE") != SQLITE_OK)
      why = "cannot finish the copy: " + sql::message(copy);
  }
  sqlite3_close_v2(copy);
  if (!why) {
    if (!replace && fs::exists(target, failed))
      why = target.string() + " exists";
    else if (fs::rename(part, target, failed), failed)
      why = "cannot write " + target.string() + ": " + failed.message();
  }
  if (why) fs::remove(part, failed);
  return why;
}

bool isDatabaseFile(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  char head[16] = {};
  return in.read(head, sizeof head) && std::memcmp(head, "SQLite format 3", 16) == 0;
}

Merged restoreLibraryCopy(PresetLibrary& library, const fs::path& copy, std::string& refused) {
  // Opened as the library opens its own file (its version brought up to date, its damage
  // found), but on a copy of its own in a folder of its own: the copy given is never written.
  char pattern[] = "/tmp/kestralux-restore-XXXXXX";
  const char* made = ::mkdtemp(pattern);
  if (!made) {
    refused = "cannot make a folder to read the copy in";
    return {};
  }
  const fs::path scratch(made);
  Merged merged;
  std::error_code failed;
  fs::copy_file(copy, scratch / "library.sqlite", failed);
  if (failed) {
    refused = "unreadable: " + failed.message();
  } else {
    PresetLibrary other;
    const LibraryOpening opening = other.open(scratch / "library.sqlite", scratch / "no-history");
    if (opening.movedAside)
      refused = "not a library copy, or a damaged one";
    else if (opening.state == LibraryOpening::State::ReadOnly)
      refused = "a copy of a newer version: " + opening.message;
    else if (opening.state != LibraryOpening::State::Ready)
      refused = opening.message;
    else {
      std::string error;
      const std::vector<Change> changes = everyChange(other.connection(), error);
      if (!error.empty())
        refused = "cannot read the copy: " + error;
      else
        merged = mergeChanges(library, changes);
    }
  }
  fs::remove_all(scratch, failed);
  return merged;
}

}  // namespace kestralux
