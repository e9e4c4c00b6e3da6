#pragma once
// One library on several machines through a folder that a sync tool carries (Syncthing,
// Nextcloud, a network share, a USB stick). Each library appends what changed on it to its own
// file in the folder, ID.kessync, one change a line, and reads every other library's file from
// where it left off. Another machine's SQLite file is never opened: two machines writing one
// database through a sync tool is how libraries get damaged.
//
// The first line names the format, its version and the library:
//   {"format":"kestralux-sync","version":1,"library":"3f9c..."}
// then one change a line, in the order the library made them:
//   {"seq":1,"time":1765115035,"change":"seen","values":[...16],"reserved":0,"name":"Lead","place":"fetched","slot":3}
//   {"seq":2,"time":1765115100,"change":"tag","values":[...],"reserved":0,"tag":"live","on":true}
//   {"seq":3,"time":1765115101,"change":"favourite","values":[...],"reserved":0,"on":true}
//   {"seq":4,"time":1765115102,"change":"note","values":[...],"reserved":0,"note":"for the bridge"}
//   {"seq":5,"time":1765115103,"change":"category","values":[...],"reserved":0,"category":"CRUNCH"}
// A line without its line feed is one a sync tool is still copying: it is left for next time.
// A file that is not one of ours, or a damaged line before the end, is skipped and named once.

#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "library/LibraryChanges.h"
#include "library/PresetLibrary.h"

namespace kestralux {

inline constexpr const char* kSyncFileFormat = "kestralux-sync";
inline constexpr int kSyncFileVersion = 1;
inline constexpr const char* kSyncFileExtension = ".kessync";

std::string syncHeaderLine(const std::string& library);
// One change as its line, without the line feed.
std::string syncLineOf(const Change& change);
// The change a line of `library`'s file holds, or why it holds none.
std::optional<Change> changeOfSyncLine(std::string_view line, const std::string& library, std::string& why);

struct SyncReport {
  std::filesystem::path folder;
  int sent = 0;  // changes of this library newly written to its file
  struct From {
    std::string library;
    Merged merged;
  };
  std::vector<From> received;        // per other library whose file brought lines
  std::vector<std::string> skipped;  // files not ours and damaged lines, each named once
  std::optional<std::string> error;  // the folder or the library could not be used
  bool anythingNew() const;
  // What came in, a line per library, then what was skipped and what was sent.
  std::string text() const;
};

// Writes this library's new changes to its file in `folder` and reads the others'.
SyncReport syncFolder(PresetLibrary& library, const std::filesystem::path& folder);

}  // namespace kestralux
