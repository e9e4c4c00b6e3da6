#pragma once
// The .kessound file: sounds to share with other people and other programs, as UTF-8 JSON.
//
//   { "format": "kestralux-sound", "version": 1,
//     "sounds": [ { "values": [16 integers], "reserved": 0,
//                   "shown": { "AMP MODEL": "BRIT BLUES", "GAIN": "8.00", ... },
//                   "names": [ { "name": "Lead", "time": "2026-12-07T14:03:55Z" } ],
//                   "tags": ["live"], "favourite": true, "note": "...",
//                   "category": "CRUNCH, MODULATION", "category by hand": false } ] }
//
// The values say which sound it is, exactly; "shown" is the same as the window shows it, for
// people, and is never read back; so is "category", unless "category by hand" says it was
// given by hand (then it is one of CLEAN, CRUNCH, HIGH GAIN, FUZZ, and travels). A file is taken whole or refused whole, with what is wrong.

#include <cstdint>
#include <filesystem>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "library/LibraryChanges.h"
#include "library/PresetLibrary.h"

namespace kestralux {

inline constexpr const char* kSoundFileFormat = "kestralux-sound";
inline constexpr int kSoundFileVersion = 1;
inline constexpr const char* kSoundFileExtension = ".kessound";

// "2026-12-07T14:03:55Z": a time in UTC as the files that travel write it; nothing for
// any other text.
std::string utcTimeText(std::int64_t time);
std::optional<std::int64_t> utcTimeOf(std::string_view text);

// The file's text, UTF-8 JSON.
std::string soundFileText(std::span<const SharedSound> sounds);

struct SoundFileReading {
  std::vector<SharedSound> sounds;
  std::string refused;  // why the file was not taken; empty when it was
};
SoundFileReading readSoundFile(std::string_view text);

// The sounds `ids` name, with every name each was seen under (the last time it was), tags,
// favourite and note; `error` says which is missing.
std::vector<SharedSound> sharedSounds(PresetLibrary& library, std::span<const std::int64_t> ids, std::string& error);

// Whether `path` names a sound file by its extension, in any case.
bool isSoundFileName(const std::filesystem::path& path);

}  // namespace kestralux
