// When the editor syncs its library with the folder: at once when the folder is chosen, then
// only when there is something to send or the folder changed, and never twice within a second.

#include <gtest/gtest.h>

#include "actions/LibrarySharing.h"
#include "library/LibrarySync.h"
#include "tests/library/LibraryFolder.h"

namespace kestralux {
namespace {

namespace fs = std::filesystem;

struct TickRow {
  const char* what;
  std::int64_t atMs;
  bool changeHere = false;     // a sound noted just before
  bool folderChanged = false;  // the folder's files changed just before
  bool syncs = false;          // this library's file grows, or the other's change comes in
};

TEST(SyncFolderActions, SyncsWhenThereIsSomethingAndAtMostOnceASecond) {
  const fs::path home = test::freshFolder("sync-ticks");
  fs::create_directories(home / "folder");
  PresetLibrary here, there;
  here.open(home / "here.sqlite", home / "history");
  there.open(home / "there.sqlite", home / "history");
  SyncFolderActions sync(here);
  here.notePreset(test::sound("FIRST", 1), {SightingKind::Fetched, 1, ""}, 10);
  sync.use(home / "folder", 0);
  const fs::path file = home / "folder" / (here.libraryId() + kSyncFileExtension);
  ASSERT_TRUE(fs::exists(file));

  const std::vector<TickRow> rows{
      {"nothing new", 5000},
      {"a change here, a second after the last sync", 6000, true, false, true},
      {"another change, within the second", 6500, true, false, false},
      {"the same change, the second over", 7000, false, false, true},
      {"the folder changed, within the second", 7200, false, true, false},
      {"the folder change waits for the second", 8000, false, false, true},
      {"nothing new again", 12000},
  };
  int gain = 2;
  for (const TickRow& row : rows) {
    if (row.changeHere) here.notePreset(test::sound("MORE", gain++), {SightingKind::Fetched, 1, ""}, 20);
    if (row.folderChanged) {
      there.notePreset(test::sound("THEIRS", 100 + gain++), {SightingKind::Fetched, 1, ""}, 30);
      ASSERT_FALSE(syncFolder(there, home / "folder").error);
      sync.folderChanged();
    }
    const auto before = fs::file_size(file);
    const int soundsBefore = test::scalar(here.connection(), "SELECT count(*) FROM sounds");
    const std::optional<std::string> said = sync.tick(row.atMs);
    const bool synced = fs::file_size(file) != before || test::scalar(here.connection(), "SELECT count(*) FROM sounds") != soundsBefore;
    EXPECT_EQ(synced, row.syncs) << row.what;
    EXPECT_EQ(said.has_value(), sync.broughtIn()) << row.what << ": what came in is said, and only that";
  }
}

}  // namespace
}  // namespace kestralux
