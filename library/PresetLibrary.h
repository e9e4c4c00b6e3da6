#pragma once
// The preset library: every sound the editor and the tool have seen, in one SQLite file
// (library.sqlite beside the history of banks). A sound is the 16 values and the reserved
// slot; the name is not part of it. Each time a sound is seen it gets a sighting: when, under
// which name, and where. Nothing is dropped as a duplicate, so a sound seen under three names
// keeps all three.
//
// Errors are values: nothing here throws, and a failure to write (a full disk, a read-only
// folder, another program holding the file) is returned for the caller to say and stops
// nothing. The editor and the tool may hold the file at once.

#include <sqlite3.h>

#include <bitset>
#include <cstdint>
#include <ctime>
#include <filesystem>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "library/SoundCategory.h"
#include "model/PresetRecord.h"

namespace kestralux {

// $XDG_DATA_HOME/kestralux/library.sqlite, beside history/.
std::filesystem::path libraryFile();

// Whether this user may write `file` and make the files SQLite keeps beside it. A library
// that is there but not writable is opened read-only: searched, never written.
bool libraryWritable(const std::filesystem::path& file);

// Which file a path named when it was opened: a file put in its place has another.
struct FileIdentity {
  std::uint64_t device = 0;
  std::uint64_t inode = 0;
  bool operator==(const FileIdentity&) const = default;
};

enum class SightingKind { Fetched, Stored, Loaded, Saved, Imported, History };

// Where a sound was seen: the combo's slot (1..30) for a fetch or a store; the file's path,
// and the record's place in it for a bank, for the others.
struct Place {
  SightingKind kind = SightingKind::Imported;
  int slot = 0;  // 0: none
  std::string path;
};

struct Sighting {
  std::int64_t time = 0;  // seconds since the epoch
  std::string name;       // Latin-1, as the record held it; empty when it held no name
  Place place;
};

// How a sighting's kind is written in the library and in the files that carry it: "fetched".
const char* sightingKindText(SightingKind kind);
SightingKind sightingKindNamed(const std::string& text);

// "fetched from the combo's slot 3", "loaded from /x/a.bnk (preset 4)".
std::string describePlace(const Place& place);
// "2026-12-07 14:03:55" in local time.
std::string localTimeText(std::int64_t time);

struct LibraryOpening {
  enum class State { Ready, ReadOnly, Unavailable };
  State state = State::Unavailable;
  int soundsFromHistory = 0;  // sounds the history of banks brought in at this opening
  std::optional<std::filesystem::path> movedAside;  // where a damaged or foreign file went
  std::string message;  // what the user should be told, empty when nothing
};

enum class SortColumn { LastSeen, FirstSeen, Name, AmpModel, Effect, TimesSeen, Id, Parameter };

struct LibraryQuery {
  std::string text;                     // part of any name the sound was seen under; Latin-1
  std::optional<std::string> ampModel;  // as the window shows it: "BRIT BLUES"
  std::optional<std::string> effect;    // "CHORUS"
  std::vector<std::string> conditions;  // "GAIN >= 7", all must hold
  bool favouritesOnly = false;
  std::optional<std::string> tag;
  std::optional<std::string> kind;      // "crunch", "high gain", "modulation", "ambient": kindFilterNamed
  std::optional<std::int64_t> near;     // only the sounds close to this one (CloseSounds.h)
  bool closeCounts = false;             // each row says how many sounds of the library are close to it
  bool hideClose = false;               // of each group of close sounds found, only the most recently seen
  SortColumn sort = SortColumn::LastSeen;
  int sortParameter = 0;                // ParameterIndex, for SortColumn::Parameter
  bool descending = true;
  std::optional<int> limit;             // rows returned; the count is always of every match
};

struct SoundRow {
  std::int64_t id = 0;
  PresetRecord record;     // the values, and the newest name
  std::string newestName;  // Latin-1
  int timesSeen = 0;
  std::int64_t firstSeen = 0;
  std::int64_t lastSeen = 0;
  bool favourite = false;
  std::vector<std::string> tags;
  std::string note;  // UTF-8
  std::optional<Category> categoryByHand;  // nothing: the category the values give
  int closeCount = -1;                     // -1: not asked

  SoundKind kind() const { return soundKindOf(record, categoryByHand); }
};

struct SearchResult {
  std::vector<SoundRow> rows;
  std::int64_t count = 0;  // found and not hidden
  std::int64_t hiddenClose = 0;  // found, hidden as close to a more recently seen one found
  std::string error;  // a bad condition or name, or what the database said
};

struct SoundDetail {
  SoundRow sound;
  std::vector<Sighting> sightings;  // oldest first
  std::string error;                // "no sound 12" or what the database said
};

// What noting a sound did: how many were new to the library.
struct Noted {
  int sightings = 0;
  int newSounds = 0;
  std::optional<std::string> error;
  // What the library had to tell when it was written (PresetLibrary::takeNotice), already said
  // by whoever wrote it on standard error.
  std::optional<std::string> notice;
};

struct CloseIndex;

class PresetLibrary {
 public:
  PresetLibrary();
  PresetLibrary(const PresetLibrary&) = delete;
  PresetLibrary& operator=(const PresetLibrary&) = delete;
  ~PresetLibrary();

  // Opens or makes `file`. At the first opening of a library the banks of `historyFolder` come
  // in once. A file that is not a database, is damaged or belongs to another program is never
  // written: it is moved aside as FILE.broken-DATE and a new library built. A library of a
  // newer version opens read-only.
  LibraryOpening open(const std::filesystem::path& file, const std::filesystem::path& historyFolder);
  // A second connection to a library another PresetLibrary has opened, for searches only (on
  // another thread, which must never share the first one's connection): no migration, no
  // check, no history. False when the file cannot be read.
  bool openToSearch(const std::filesystem::path& file);
  // How long a write waits for another program's write to end before it reports the file busy.
  void setBusyWait(int milliseconds);

  bool writable() const { return db_ && !readOnly_; }
  const std::filesystem::path& file() const { return file_; }

  // One transaction: a bank's presets (all, or those `which` marks) as slots 1..30 of `where`.
  // Records that are not presets and the empty records of a new bank are not sounds.
  Noted noteBank(const PresetBank& bank, const Place& where, std::int64_t time = std::time(nullptr),
                 std::bitset<kPresetCount> which = std::bitset<kPresetCount>().set());
  Noted notePreset(const PresetRecord& record, const Place& where, std::int64_t time = std::time(nullptr));
  // The ids among `records` already in the library, with every name each was seen under;
  // 0 and no names for a sound the library does not know.
  struct Known {
    std::int64_t id = 0;
    std::vector<std::string> names;
  };
  // `before`, when given, gets for each record what the library knew of it just before it was
  // noted, inside the same transaction: so a sound twice in `records`, or noted meanwhile by
  // another program, is known and never counted as new twice.
  Noted noteRecords(std::span<const PresetRecord> records, std::span<const Place> where, std::int64_t time,
                    std::vector<Known>* before = nullptr);
  std::vector<Known> known(std::span<const PresetRecord> records);

  // The newest non-empty name under which the library has seen `sound` (its values and
  // reserved slot; its own name plays no part): "" when none, or when the library is not open.
  std::string newestName(const PresetRecord& sound) const;

  SearchResult search(const LibraryQuery& query);
  SoundDetail sound(std::int64_t id);
  // Each of these is a change of this library for the sync folder, stamped `time` or, when
  // another library's change to the same thing is stamped later (a clock ahead), just after it:
  // what the user did here last is what every library ends with.
  std::optional<std::string> setFavourite(std::int64_t id, bool favourite, std::int64_t time = std::time(nullptr));
  // Comma-separated, blanks around each ignored; empty clears them.
  std::optional<std::string> setTags(std::int64_t id, const std::string& tags, std::int64_t time = std::time(nullptr));
  // Free text, UTF-8; empty clears it.
  std::optional<std::string> setNote(std::int64_t id, const std::string& note, std::int64_t time = std::time(nullptr));

  // This library's random id, made with it: what its changes carry in a sync folder.
  const std::string& libraryId() const { return libraryId_; }
  // A category given by hand, which the sound keeps whatever its values say; nothing gives it
  // back the category of its values.
  std::optional<std::string> setCategory(std::int64_t id, std::optional<Category> category, std::int64_t time = std::time(nullptr));

  // The history's banks, oldest first, as sightings at the times their names carry. Returns
  // the number of sounds new to the library.
  Noted importHistory(const std::filesystem::path& historyFolder);

  // What happened since the opening that the user should be told, once: a library found
  // damaged by a statement, moved aside and built again; the file replaced or removed under
  // this program, noticed before a write. Nothing when there is nothing new to tell.
  std::optional<std::string> takeNotice();
  // Before a write, and before a search on another connection: the file at the library's path
  // is still the one opened, or the one there now is opened and the change told.
  void followFile();

  sqlite3* connection() { return db_; }

 private:
  LibraryOpening openExisting(const std::filesystem::path& historyFolder);
  bool openReadOnly();
  void findCategoryColumn();
  // Every close pair of the library, found again only when a connection changed it.
  const CloseIndex& closeIndex();
  // Moves the damaged file aside with its journal, when the file at the path is still
  // `damaged`; nothing and no error when another program did it first.
  std::optional<std::filesystem::path> moveAside(const std::optional<FileIdentity>& damaged, std::string& error);
  std::optional<std::string> failure(const char* what) const;
  void close();

  // Marks the library damaged when `code` says so; returns it.
  int checked(int code) const;
  // A library marked damaged is moved aside and built again; true when there is one to use.
  bool recoverFromDamage();
  // Runs `operation`, and once more on the library built again when it found damage.
  template <typename Operation>
  auto recovering(Operation operation) {
    auto result = operation();
    if (damage_ && recoverFromDamage()) result = operation();
    return result;
  }
  Noted noteRecordsNow(std::span<const PresetRecord> records, std::span<const Place> where, std::int64_t time,
                       std::vector<Known>* before);
  std::vector<Known> knownNow(std::span<const PresetRecord> records);
  SearchResult searchNow(const LibraryQuery& query);
  SoundDetail soundNow(std::int64_t id);

  sqlite3* db_ = nullptr;
  bool readOnly_ = false;
  mutable std::optional<std::string> damage_;  // what SQLite said of the damage a statement found
  int busyWait_ = 3000;
  std::filesystem::path file_;
  std::filesystem::path historyFolder_;
  std::optional<FileIdentity> identity_;
  std::optional<std::string> notice_;
  std::string libraryId_;
  // A library of an older version opened read-only has no column for a category by hand.
  std::string categoryColumn_ = "category";
  std::string noteColumn_ = "note";
  std::unique_ptr<CloseIndex> closeIndex_;
};

// Whether a record is a bank's unused place: every byte zero, as a new bank holds.
bool isEmptyRecord(const PresetRecord& record);

// The name a sighting of `record` keeps: the record's own, or none when it holds none or
// only the window's placeholder "NO PRESET HERE".
std::string sightingName(const PresetRecord& record);

// The fingerprint of a sound: what identifies it, the values and reserved slot's 68 bytes.
std::string soundFingerprint(const PresetRecord& record);
// The same as 16 hexadecimal digits, short enough to show.
std::string fingerprintText(const PresetRecord& record);

// Names are Latin-1 in the record; arguments and windows speak UTF-8. A character beyond
// Latin-1 has no one-byte form: nothing is returned for such a text.
std::optional<std::string> latin1OfUtf8(const std::string& utf8);

}  // namespace kestralux
