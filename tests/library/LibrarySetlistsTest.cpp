// Setlists in the library: kept whole, replaced whole, and brought into an older library
// without losing one of its sounds.

#include <gtest/gtest.h>

#include "library/LibrarySchema.h"
#include "library/LibrarySetlists.h"
#include "tests/library/LibraryFolder.h"

namespace kestralux {
namespace {

namespace fs = std::filesystem;
using test::freshFolder;
using test::scalar;
using test::sound;

Setlist twoSongs(const char* name) {
  Setlist s;
  s.name = name;
  s.songs = {songOfSound(sound("CRUNCH", 20, 3, 2), "Hold the Line"), songOfSound(sound("CLEAN", 4, 0, 12), "Slow Burn")};
  s.songs[1].note = "capo 2";
  return s;
}

std::vector<std::string> names(PresetLibrary& library) {
  const SetlistListing listing = listSetlists(library);
  EXPECT_EQ(listing.error, "");
  std::vector<std::string> out;
  for (const SetlistSummary& s : listing.setlists) out.push_back(s.name + " (" + std::to_string(s.songs) + ")");
  return out;
}

TEST(LibrarySetlists, AreKeptWholeReplacedWholeCopiedAndDeleted) {
  const fs::path folder = freshFolder("setlists");
  PresetLibrary library;
  ASSERT_EQ(library.open(folder / "library.sqlite", folder / "history").state, LibraryOpening::State::Ready);

  Setlist friday = twoSongs("Friday");
  const SetlistSaved first = saveSetlist(library, friday, 100);
  ASSERT_EQ(first.error, "");
  friday.id = first.id;
  EXPECT_EQ(loadSetlist(library, first.id).setlist, friday);

  // A copy is a setlist of its own; the edits to one leave the other.
  Setlist copy = friday;
  copy.id = 0;
  copy.name = "Friday (copy)";
  copy.id = saveSetlist(library, copy, 101).id;
  ASSERT_NE(copy.id, 0);
  ASSERT_NE(copy.id, friday.id);

  friday.songs.erase(friday.songs.begin());
  moveSong(copy, 0, 1);
  ASSERT_EQ(saveSetlist(library, friday, 102).id, friday.id);
  ASSERT_EQ(saveSetlist(library, copy, 103).id, copy.id);
  EXPECT_EQ(loadSetlist(library, friday.id).setlist, friday);
  EXPECT_EQ(loadSetlist(library, copy.id).setlist, copy);
  EXPECT_EQ(names(library), (std::vector<std::string>{"Friday (1)", "Friday (copy) (2)"}));
  EXPECT_EQ(library.search({}).count, 0) << "a setlist's sounds are its own, not sightings";

  EXPECT_EQ(deleteSetlist(library, friday.id), std::nullopt);
  EXPECT_EQ(deleteSetlist(library, friday.id), "no setlist " + std::to_string(friday.id) + " in the library");
  EXPECT_EQ(loadSetlist(library, friday.id).error, "no setlist " + std::to_string(friday.id) + " in the library");
  EXPECT_EQ(names(library), (std::vector<std::string>{"Friday (copy) (2)"}));
  EXPECT_EQ(scalar(library.connection(), "SELECT count(*) FROM setlist_songs"), 2) << "a deleted setlist's songs go with it";

  PresetLibrary again;
  again.open(folder / "library.sqlite", folder / "history");
  EXPECT_EQ(loadSetlist(again, copy.id).setlist, copy);
}

TEST(LibrarySetlists, ComeIntoALibraryOfTheVersionBeforeThemKeepingEverySound) {
  const fs::path folder = freshFolder("setlists-migration");
  const fs::path file = folder / "library.sqlite";
  {
    PresetLibrary older;
    ASSERT_EQ(older.open(file, folder / "history").state, LibraryOpening::State::Ready);
    PresetBank bank{};
    for (int n = 0; n < kPresetCount; ++n) bank[static_cast<std::size_t>(n)] = sound("S", n, n % 16);
    ASSERT_EQ(older.noteBank(bank, {SightingKind::Fetched, 0, ""}).newSounds, kPresetCount);
  }
  // The library as the version before setlists left it.
  sqlite3* db = nullptr;
  ASSERT_EQ(sqlite3_open(file.c_str(), &db), SQLITE_OK);
  sqlite3_exec(db, "PRAGMA user_version = 5; DROP TABLE setlist_songs; DROP TABLE setlists;", nullptr, nullptr, nullptr);
  sqlite3_close(db);

  PresetLibrary library;
  ASSERT_EQ(library.open(file, folder / "history").state, LibraryOpening::State::Ready);
  EXPECT_EQ(scalar(library.connection(), "PRAGMA user_version"), kLibrarySchemaVersion);
  EXPECT_EQ(library.search({}).count, kPresetCount);
  EXPECT_NE(saveSetlist(library, twoSongs("Saturday")).id, 0);
}

TEST(LibrarySetlists, AReadOnlyLibraryIsNeverWritten) {
  const fs::path folder = freshFolder("setlists-readonly");
  {
    PresetLibrary library;
    library.open(folder / "library.sqlite", folder / "history");
    saveSetlist(library, twoSongs("Friday"));
  }
  test::openToEveryone(folder);
  fs::permissions(folder, fs::perms::owner_write | fs::perms::group_write | fs::perms::others_write, fs::perm_options::remove);
  const auto said = test::asUserBoundByPermissions([&] {
    PresetLibrary library;
    library.open(folder / "library.sqlite", folder / "history");
    return saveSetlist(library, twoSongs("Saturday")).error + "|" + std::to_string(listSetlists(library).setlists.size());
  });
  fs::permissions(folder, fs::perms::owner_write, fs::perm_options::add);
  ASSERT_TRUE(said);
  EXPECT_EQ(*said, "the library is read-only|1");
}

}  // namespace
}  // namespace kestralux
