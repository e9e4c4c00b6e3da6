#pragma once
// What the editor does with the library beyond this machine, without the windows: SHARE...
// on the picked sounds, LIBRARY > BACK UP..., and LIBRARY > SYNC FOLDER... with when the
// folder is synced: at once when chosen and at start, then after each change to the library
// (made here, by the tool, or by a sync) and when the folder's files change, at most once a
// second. The windows ask for the paths and show the texts these return.

#include <cstdint>
#include <filesystem>
#include <optional>
#include <span>
#include <string>

#include "library/PresetLibrary.h"

namespace kestralux {

// The status line's text for each: what was done, or what failed.
std::string shareSounds(PresetLibrary& library, std::span<const std::int64_t> ids, const std::filesystem::path& target);
std::string backUpLibraryTo(PresetLibrary& library, const std::filesystem::path& target);

inline constexpr std::int64_t kSyncSpacingMs = 1000;

class SyncFolderActions {
 public:
  explicit SyncFolderActions(PresetLibrary& library) : library_(library) {}

  // From now on this folder (none: no syncing), synced at once. The status line's text.
  std::string use(const std::optional<std::filesystem::path>& folder, std::int64_t nowMs);
  const std::optional<std::filesystem::path>& folder() const { return folder_; }

  // The folder's files changed (a sync tool brought or grew one).
  void folderChanged() { folderChanged_ = true; }
  // Called often (once a second and at each folder change): syncs when the library has a change
  // the folder lacks or the folder changed, and the last sync is a second old. The status
  // line's text when the sync brought something, skipped something or failed; else nothing.
  std::optional<std::string> tick(std::int64_t nowMs);
  // Whether the last sync brought anything in: the lists showing the library search again.
  bool broughtIn() const { return broughtIn_; }

 private:
  std::optional<std::string> syncNow(std::int64_t nowMs);

  PresetLibrary& library_;
  std::optional<std::filesystem::path> folder_;
  std::optional<std::int64_t> lastSyncMs_;
  std::int64_t sentUpTo_ = -1;  // the library's last change at the last sync
  bool folderChanged_ = false;
  bool broughtIn_ = false;
};

}  // namespace kestralux
