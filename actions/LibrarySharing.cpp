#include "actions/LibrarySharing.h"

#include <algorithm>
#include <cctype>

#include "files/PresetFiles.h"
#include "library/LibraryBackup.h"
#include "library/LibraryChanges.h"
#include "library/LibrarySync.h"
#include "library/SoundFile.h"

namespace kestralux {

namespace {

std::string upper(std::string text) {
  std::transform(text.begin(), text.end(), text.begin(), [](unsigned char c) { return static_cast<char>(std::toupper(c)); });
  return text;
}

std::string plural(int n, const char* one, const char* many) { return std::to_string(n) + " " + (n == 1 ? one : many); }

}  // namespace

std::string shareSounds(PresetLibrary& library, std::span<const std::int64_t> ids, const std::filesystem::path& target) {
  if (ids.empty()) return "NO SOUND PICKED TO SHARE";
  std::string error;
  const std::vector<SharedSound> sounds = sharedSounds(library, ids, error);
  if (!error.empty()) return "SHARE FAILED: " + upper(error);
  std::string failed;
  const std::string text = soundFileText(sounds);
  if (!writeFileAtomically(target, std::span(reinterpret_cast<const std::uint8_t*>(text.data()), text.size()), failed))
    return "SHARE FAILED: " + upper(failed);
  return upper(plural(static_cast<int>(sounds.size()), "sound", "sounds")) + " SHARED AS " + target.filename().string();
}

std::string backUpLibraryTo(PresetLibrary& library, const std::filesystem::path& target) {
  // The file dialog asked before a file there is replaced.
  if (auto why = backUpLibrary(library, target, true)) return "BACK UP FAILED: " + upper(*why);
  return "LIBRARY COPIED TO " + target.filename().string();
}

std::string SyncFolderActions::use(const std::optional<std::filesystem::path>& folder, std::int64_t nowMs) {
  folder_ = folder;
  lastSyncMs_.reset();
  if (!folder_) return "NO SYNC FOLDER";
  const std::optional<std::string> said = syncNow(nowMs);
  return said ? *said : "SYNCED WITH " + folder_->filename().string();
}

std::optional<std::string> SyncFolderActions::tick(std::int64_t nowMs) {
  broughtIn_ = false;
  if (!folder_ || (lastSyncMs_ && nowMs - *lastSyncMs_ < kSyncSpacingMs)) return std::nullopt;
  if (!folderChanged_ && lastChange(library_) == sentUpTo_) return std::nullopt;
  return syncNow(nowMs);
}

std::optional<std::string> SyncFolderActions::syncNow(std::int64_t nowMs) {
  lastSyncMs_ = nowMs;
  folderChanged_ = false;
  const SyncReport report = syncFolder(library_, *folder_);
  broughtIn_ = report.anythingNew();
  // What came in is itself no change to send: the next tick rests.
  sentUpTo_ = lastChange(library_);
  if (report.error) return "SYNC FAILED: " + upper(*report.error);
  if (!report.skipped.empty()) return "SYNC FOLDER: SKIPPED " + upper(report.skipped.front());
  if (!broughtIn_) return std::nullopt;
  Merged in;
  for (const SyncReport::From& f : report.received) {
    in.newSounds += f.merged.newSounds;
    in.sightings += f.merged.sightings;
    in.tags += f.merged.tags + f.merged.favourites + f.merged.notes + f.merged.categories;
  }
  return "FROM THE SYNC FOLDER: " + upper(plural(in.newSounds, "new sound", "new sounds") + ", " +
                                          plural(in.sightings, "sighting", "sightings") + ", " +
                                          plural(in.tags, "tag, favourite or note", "tags, favourites or notes"));
}

}  // namespace kestralux
