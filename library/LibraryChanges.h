#pragma once
// What a library's changes are, so that they can travel: a sound seen, a tag added or
// removed, a favourite set or cleared, a note, a category given by hand. Every change made here is kept, in order, for the
// library's file in a sync folder; changes made elsewhere (another library's file, a copy of a
// library) are merged so that the result is the same whatever order they come in:
//   - sounds join by their 16 values (and the reserved slot);
//   - a sighting is kept once, known by the library that made it and its place among that
//     library's changes;
//   - every name stays; the newest sighting's name is shown (one second: by library, then change);
//   - a tag, the favourite, the note and the category take the later change, by its time, then the library's
//     id, then its place among that library's changes.
// A shared sound file's sounds are joined here as changes of this library.

#include <sqlite3.h>

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "library/PresetLibrary.h"

namespace kestralux {

enum class ChangeKind { Seen, Tag, Favourite, Note, Category };

struct Change {
  ChangeKind kind = ChangeKind::Seen;
  PresetRecord sound;    // its values and reserved slot say which sound; its name plays no part
  std::int64_t time = 0; // seconds since the epoch
  std::string library;   // the id of the library that made it
  std::int64_t seq = 0;  // its place among that library's changes, from 1
  std::string name;      // Seen: the name it was seen under, Latin-1
  Place place;           // Seen: where
  std::string text;      // Tag: the tag; Note: the note (UTF-8); Category: its name, empty for the one the values give
  bool on = false;       // Tag: added, else removed; Favourite: set, else cleared
};

struct Merged {
  int newSounds = 0;
  int sightings = 0;  // kept, new here
  int tags = 0, favourites = 0, notes = 0, categories = 0;  // changes that took effect here
  std::optional<std::string> error;
  bool nothing() const { return newSounds + sightings + tags + favourites + notes + categories == 0; }
};

// One sound as a shared file carries it.
struct SharedSound {
  PresetRecord sound;
  struct Name {
    std::string name;  // Latin-1
    std::int64_t time = 0;
  };
  std::vector<Name> names;
  std::vector<std::string> tags;  // UTF-8
  bool favourite = false;
  std::string note;  // UTF-8
  std::string category;  // given by hand: "CRUNCH"; empty when the values give it
};

struct Joined {
  int newSounds = 0, knownSounds = 0;
  int sightings = 0;  // sounds already known, seen from this file for the first time
  int names = 0, tags = 0, favourites = 0, notes = 0, categories = 0;  // what came in for sounds already known
  std::optional<std::string> error;
  bool nothingNew() const { return newSounds + sightings + names + tags + favourites + notes + categories == 0; }
};

// The place of the last change made on this library (0 for none): what its sync file must
// reach; -1 when it cannot be read.
std::int64_t lastChange(PresetLibrary& library);

// The library id that `db` keeps; empty when it keeps none.
std::string readLibraryId(sqlite3* db);

// A sound's favourite, tags (the whole list, as the user gave it) or note, changed here: each
// difference a change of this library. One transaction.
struct SoundEdit {
  enum class What { Favourite, Tags, Note, Category } what = What::Favourite;
  bool favourite = false;
  std::vector<std::string> tags;
  std::string note;
  std::string category;  // empty: the one the values give
};
std::optional<std::string> editSound(sqlite3* db, const std::string& library, std::int64_t sound, const SoundEdit& edit,
                                     std::int64_t time);

// Changes another library made, in one transaction: all of them or, on a failure, none.
Merged mergeChanges(PresetLibrary& library, std::span<const Change> changes);

// A shared file's sounds, joined into the library as changes of this library, in one
// transaction. For each sound: every name the library has not seen it under comes in as a
// sighting "imported from `path`" at the time the file gives it; when no name is new and the
// sound was never imported from `path`, one sighting at `time`; tags the sound lacks are added,
// a favourite set, a note the sound does not hold yet added below its own, a category given by
// hand taken when the sound has none given here.
Joined joinSounds(PresetLibrary& library, std::span<const SharedSound> sounds, const std::string& path, std::int64_t time);

// The changes this library made after its `after`th, in order, for its file in the sync folder.
std::vector<Change> changesSince(sqlite3* db, std::int64_t after, std::string& error);

// What a whole library holds, as the changes that would build it: each sighting as its maker
// made it, each tag, favourite and note with its stamp. Restoring a copy merges these.
std::vector<Change> everyChange(sqlite3* db, std::string& error);

}  // namespace kestralux
