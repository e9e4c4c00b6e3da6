#pragma once
// A copy of the whole library, whole even while the editor and the tool write to it: SQLite's
// online backup copies a consistent state under its own lock. Restoring is importing the copy:
// its sounds, sightings, tags, favourites and notes join the library, and nothing there is
// replaced.

#include <filesystem>
#include <optional>
#include <string>

#include "library/LibraryChanges.h"
#include "library/PresetLibrary.h"

namespace kestralux {

// Writes the copy to `target` (made beside it, then put in its place, so a failed copy leaves
// what was there). `target` must not exist unless `replace`. What failed, or nothing.
std::optional<std::string> backUpLibrary(PresetLibrary& library, const std::filesystem::path& target, bool replace);

// Whether `path` starts as an SQLite database does.
bool isDatabaseFile(const std::filesystem::path& path);

// The copy at `copy` merged into `library`; `refused` says why nothing came (not a library of
// ours, a newer version, damaged).
Merged restoreLibraryCopy(PresetLibrary& library, const std::filesystem::path& copy, std::string& refused);

}  // namespace kestralux
