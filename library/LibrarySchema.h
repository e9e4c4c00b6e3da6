#pragma once
// The library file's layout and how an older one is brought up to date. Each version's step
// runs inside the caller's transaction, so a library is at one version or the next, never
// between. PRAGMA user_version holds the version and PRAGMA application_id marks the file as
// ours, so a database of another program is never taken for an old library.

#include <sqlite3.h>

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace kestralux {

inline constexpr int kLibrarySchemaVersion = 5;
inline constexpr std::int32_t kLibraryApplicationId = 0x4B4C5842;

// Brings `db` from its user_version up to `target` (at most kLibrarySchemaVersion); version 0
// is an empty file. Returns what failed, or nothing.
std::optional<std::string> migrateLibrary(sqlite3* db, int target = kLibrarySchemaVersion);

// A name as search compares it: Latin-1 letters in capitals, so "clean" finds "Clean" and
// "é" finds "É". Other bytes stay as they are.
std::string foldedName(std::string_view latin1);

// A tag as search and the tags of one sound compare it: UTF-8 with every Latin-1 letter in
// capitals, so "CAFÉ" finds "café". Other characters stay as they are.
std::string foldedTag(std::string_view utf8);

// Gives `db` the SQL functions folded_tag(text), foldedTag over a column, and
// holds_bytes(haystack, needle), whether a blob holds another (as instr() > 0, but with the
// C library's substring search, which a name search over every sound spends its time in).
int registerLibraryFunctions(sqlite3* db);

// sound_names.names: every name a sound was seen under, folded, each between line feeds, so a
// whole name is found as "\nNAME\n" and any part of one as a plain substring.
inline constexpr char kNameSeparator = '\n';

}  // namespace kestralux
