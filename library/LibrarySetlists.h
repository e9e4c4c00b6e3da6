#pragma once
// Setlists kept in the library, each song with its sound whole (the record's 88 bytes), so a
// setlist does not depend on the library's sounds: deleting or merging a sound never changes
// a set. Errors are values, as in the rest of the library.

#include <cstdint>
#include <ctime>
#include <optional>
#include <string>
#include <vector>

#include "library/PresetLibrary.h"
#include "live/Setlist.h"

namespace kestralux {

struct SetlistSummary {
  std::int64_t id = 0;
  std::string name;
  int songs = 0;
  std::int64_t changed = 0;  // seconds since the epoch
};

struct SetlistListing {
  std::vector<SetlistSummary> setlists;  // by name, then id
  std::string error;
};

struct SetlistLoad {
  std::optional<Setlist> setlist;
  std::string error;  // "no setlist 12" or what the database said
};

struct SetlistSaved {
  std::int64_t id = 0;  // the setlist's id in the library; 0 when it was not saved
  std::string error;
};

SetlistListing listSetlists(PresetLibrary& library);
SetlistLoad loadSetlist(PresetLibrary& library, std::int64_t id);
// One transaction. A setlist whose id is 0 (or one the library does not hold) is added under
// a new id; any other replaces the one with its id, songs and all.
SetlistSaved saveSetlist(PresetLibrary& library, const Setlist& setlist, std::int64_t time = std::time(nullptr));
// Nothing when it went; "no setlist 12" when there was none.
std::optional<std::string> deleteSetlist(PresetLibrary& library, std::int64_t id);

}  // namespace kestralux
