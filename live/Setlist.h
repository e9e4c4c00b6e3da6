#pragma once
// A setlist: the songs of a set in play order, each carrying its sound whole (the 16 values
// and the name), so a set plays the same on any machine, with or without the library that
// made it. Titles and notes are UTF-8; the sound's name stays Latin-1, as the record keeps it.

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "model/PresetRecord.h"

namespace kestralux {

struct Song {
  std::string title;  // UTF-8, may be empty
  std::string note;   // UTF-8, may be empty
  PresetRecord sound;

  bool operator==(const Song& other) const;
};

struct Setlist {
  std::int64_t id = 0;  // the library's; 0 for a setlist it does not hold yet
  std::string name;     // UTF-8
  std::vector<Song> songs;

  bool operator==(const Setlist&) const = default;
};

// A song playing `sound` (its name and 16 values; the bytes after the name do not travel),
// titled by the sound's name unless `title` is given.
Song songOfSound(const PresetRecord& sound, std::optional<std::string> title = std::nullopt);

// The sound's name in UTF-8; empty for a sound without one.
std::string soundNameText(const Song& song);

// The sound as PUT INTO THE BANK keeps it: named by the song's title, as much of it as a
// preset name holds (19 Latin-1 characters; a character without a Latin-1 form becomes '?').
// A song without a title keeps the sound's own name.
PresetRecord soundNamedByTitle(const Song& song);

// PUT INTO THE BANK: slots 1..n of `bank` take the songs' sounds in play order, each named by
// its song's title; the slots after them keep what they hold. Nothing for an empty set or one
// of more than the bank's 30 slots: a set is put into the bank whole or not at all.
std::optional<PresetBank> bankWithSetlist(const PresetBank& bank, const Setlist& setlist);

// The edits. Each returns false and changes nothing when a position is outside the list.
// `at` may be the list's size (append).
bool insertSong(Setlist& setlist, std::size_t at, Song song);
bool removeSong(Setlist& setlist, std::size_t at);
// The song at `from` ends up at `to` (both positions in the list as it is).
bool moveSong(Setlist& setlist, std::size_t from, std::size_t to);

// UTF-8 and the record's Latin-1. latin1OfText gives nothing for a character beyond Latin-1
// or for bytes that are not UTF-8.
std::string textOfLatin1(std::string_view latin1);
std::optional<std::string> latin1OfText(std::string_view utf8);

}  // namespace kestralux
