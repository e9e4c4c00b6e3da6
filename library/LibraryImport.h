#pragma once
// Bringing files into the library: .pre, .bnk, .syx and .kessound, and copies of a library
// (restoring one), named one by one or found in folders
// and everything under them. Each file is its own transaction with its own line in the
// report, so one bad file never stops the rest, and an import stopped half-way keeps what
// it had taken.

#include <cstdint>
#include <ctime>
#include <filesystem>
#include <functional>
#include <span>
#include <string>
#include <vector>

#include "library/PresetLibrary.h"

namespace kestralux {

struct FileImport {
  std::filesystem::path path;
  int added = 0;  // sounds new to the library
  struct KnownSound {
    std::int64_t id = 0;
    std::string name;                 // as this file names it; Latin-1
    std::vector<std::string> knownAs; // every name the library had seen it under
  };
  std::vector<KnownSound> known;
  std::string refused;  // why the file brought nothing; empty when it was taken
  std::string damaged;  // what is wrong with a file taken in part: "11 of 30 whole records"
  int alsoKnown = 0;    // sounds already known that are not listed in `known` (a sound file's, a copy's)
  std::string joined;   // what else a sound file or a copy brought: names, tags, favourites, notes
};

struct ImportReport {
  std::vector<FileImport> files;
  bool cancelled = false;
  int added() const;
  int known() const;
  int refused() const;
  int damaged() const;
};

// Called before each file with how many are done and how many there are; false stops the
// import before that file.
using ImportProgress = std::function<bool(std::size_t done, std::size_t total, const std::filesystem::path& file)>;

ImportReport importPaths(PresetLibrary& library, std::span<const std::filesystem::path> paths,
                         const ImportProgress& progress = {}, std::int64_t time = std::time(nullptr));

// The report as lines of text (UTF-8): a line per file, one per sound already known, a total.
std::string importReportText(const ImportReport& report);

}  // namespace kestralux
