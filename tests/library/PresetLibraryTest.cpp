// The library on temporary folders: sounds and sightings, the searches, the history brought
// in once, the versions, damaged, foreign and newer files, and two programs writing at once.

#include <gtest/gtest.h>

#include <fstream>
#include <memory>
#include <thread>

#include "files/PresetFiles.h"
#include "library/LibrarySchema.h"
#include "tests/library/LibraryFolder.h"

namespace kestralux {
namespace {

namespace fs = std::filesystem;
using test::freshFolder;
using test::scalar;
using test::sound;

std::vector<std::string> namesOf(const SearchResult& result) {
  std::vector<std::string> names;
  for (const SoundRow& row : result.rows) names.push_back(row.newestName);
  return names;
}

Bytes fileBytes(const fs::path& path) { return readFileStart(path, 1 << 24).value_or(Bytes{}); }

struct SightingsRow {
  const char* what;
  std::vector<std::pair<const char*, int>> seen;  // name and gain, in order
  int sounds;
  int timesSeenOfFirst;
  std::vector<std::string> namesOfFirst;
  const char* newestNameOfFirst;
};

TEST(LibrarySightings, OneSoundPerFingerprintAndEverySightingKept) {
  const std::vector<SightingsRow> rows{
      {"same sound, new name", {{"CLEAN 1", 5}, {"MY CLEAN", 5}, {"CLEAN 1", 5}}, 1, 3, {"CLEAN 1", "MY CLEAN"}, "CLEAN 1"},
      {"same name, new sound", {{"CLEAN 1", 5}, {"CLEAN 1", 6}}, 2, 1, {"CLEAN 1"}, "CLEAN 1"},
      {"the same twice", {{"LEAD", 9}, {"LEAD", 9}}, 1, 2, {"LEAD"}, "LEAD"},
  };
  for (const SightingsRow& row : rows) {
    const fs::path folder = freshFolder("sightings");
    PresetLibrary library;
    ASSERT_EQ(library.open(folder / "library.sqlite", folder / "history").state, LibraryOpening::State::Ready);
    std::int64_t time = 1000;
    for (const auto& [name, gain] : row.seen)
      ASSERT_FALSE(library.notePreset(sound(name, gain), {SightingKind::Loaded, 0, "/presets/a.pre"}, time++).error);
    LibraryQuery all;
    all.sort = SortColumn::Id;
    all.descending = false;
    const SearchResult found = library.search(all);
    ASSERT_EQ(found.count, row.sounds) << row.what;
    const SoundDetail first = library.sound(found.rows[0].id);
    EXPECT_EQ(first.sound.timesSeen, row.timesSeenOfFirst) << row.what;
    EXPECT_EQ(first.sound.newestName, row.newestNameOfFirst) << row.what;
    EXPECT_EQ(first.sound.record.validName(), row.newestNameOfFirst) << row.what;
    EXPECT_EQ(soundFingerprint(first.sound.record), soundFingerprint(sound("", row.seen[0].second))) << row.what;
    EXPECT_EQ(static_cast<int>(first.sightings.size()), row.timesSeenOfFirst) << row.what;
    EXPECT_EQ(test::knownOf(library, sound("ANY NAME", row.seen[0].second)).names, row.namesOfFirst) << row.what;
  }
}

struct NewestNameRow {
  const char* what;
  std::vector<std::pair<const char*, std::int64_t>> seen;  // names and times of the sound with gain 5, in the order noted
  const char* newest;
};

TEST(LibrarySightings, TheNewestNameIsTheNewestOneGiven) {
  const std::vector<NewestNameRow> rows{
      {"one name", {{"CLEAN", 10}}, "CLEAN"},
      {"a later name", {{"CLEAN", 10}, {"CHIME", 20}}, "CHIME"},
      {"a later sighting without a name", {{"CLEAN", 10}, {"", 20}}, "CLEAN"},
      {"the window's placeholder later", {{"CLEAN", 10}, {"NO PRESET HERE", 20}, {"no preset here", 30}}, "CLEAN"},
      {"an older sighting noted last", {{"CHIME", 20}, {"CLEAN", 10}}, "CHIME"},
      {"nameless first, named after", {{"", 10}, {"CLEAN", 5}}, "CLEAN"},
      {"never named", {{"", 10}, {"NO PRESET HERE", 20}}, ""},
      {"another sound's name", {}, ""},
  };
  for (const NewestNameRow& row : rows) {
    const fs::path folder = freshFolder("newest");
    PresetLibrary library;
    EXPECT_EQ(library.newestName(sound("X", 5)), "") << "not open";
    ASSERT_EQ(library.open(folder / "library.sqlite", folder / "history").state, LibraryOpening::State::Ready);
    library.notePreset(sound("OTHER", 6), {SightingKind::Fetched, 1, ""}, 100);
    for (const auto& [name, time] : row.seen) {
      PresetRecord r = sound("", 5);
      if (*name) r.storeName(name);
      ASSERT_FALSE(library.notePreset(r, {SightingKind::Fetched, 2, ""}, time).error);
    }
    EXPECT_EQ(library.newestName(sound("WHATEVER", 5)), row.newest) << row.what;
    const std::int64_t id = test::knownOf(library, sound("", 5)).id;
    if (id) {
      EXPECT_EQ(library.sound(id).sound.newestName, row.newest) << row.what;
    }
    LibraryQuery placeholder;
    placeholder.text = "preset here";
    EXPECT_EQ(library.search(placeholder).count, 0) << row.what;
  }
}

TEST(LibrarySightings, ABankIsThirtySightingsAtTheirSlotsWithoutEmptyRecords) {
  const fs::path folder = freshFolder("bank");
  PresetLibrary library;
  library.open(folder / "library.sqlite", folder / "history");
  PresetBank bank{};
  for (int n = 0; n < 29; ++n) bank[static_cast<std::size_t>(n)] = sound(("P" + std::to_string(n)).c_str(), n);
  bank[5].setValue(AMP_TYPE, 97);  // not a preset: never a sound
  const Noted noted = library.noteBank(bank, {SightingKind::Fetched, 0, ""}, 5000);
  EXPECT_FALSE(noted.error);
  EXPECT_EQ(noted.sightings, 28);  // 29 presets, one not a preset, the 30th an empty record
  EXPECT_EQ(noted.newSounds, 28);
  const SoundDetail third = library.sound(test::knownOf(library, bank[2]).id);
  ASSERT_EQ(third.sightings.size(), 1u);
  EXPECT_EQ(describePlace(third.sightings[0].place), "fetched from the combo's slot 3");
  EXPECT_EQ(third.sightings[0].time, 5000);
}

class LibrarySearch : public ::testing::Test {
 protected:
  void SetUp() override {
    folder = freshFolder("search");
    library.open(folder / "library.sqlite", folder / "history");
    PresetRecord chorus = sound("Clean Chorus", 3, 0, 0);
    chorus.setValue(DELAY_TIME, 50);  // 200 ms
    PresetRecord lead = sound("LEAD \xC9T\xC9", 27, 4, 14);  // "LEAD ÉTÉ", tremolo
    lead.setValue(DELAY_TIME, 100);   // 400 ms
    PresetRecord crunch = sound("CRUNCH", 21, 4, 0);
    crunch.setValue(REV_LEVEL, 12);
    std::int64_t time = 100;
    for (const PresetRecord& r : {chorus, lead, crunch}) library.notePreset(r, {SightingKind::Imported, 0, "x"}, time++);
    PresetRecord older = chorus;
    older.storeName("OLD NAME");
    library.notePreset(older, {SightingKind::Imported, 0, "x"}, 50);  // an older name of the chorus
    ids = {test::knownOf(library, chorus).id, test::knownOf(library, lead).id,
           test::knownOf(library, crunch).id};
    library.setFavourite(ids[1], true);
    library.setTags(ids[2], " live , Rhythm,live,LIVE,rhythm");
    library.setTags(ids[0], "Caf\xC3\xA9,\xC3\x86THER");  // UTF-8, as the pane and the tool give them
  }
  fs::path folder;
  PresetLibrary library;
  std::vector<std::int64_t> ids;
};

struct SearchRow {
  const char* what;
  LibraryQuery query;
  std::vector<std::string> names;  // newest names, in the result's order
  const char* error = "";
};

LibraryQuery with(auto change) {
  LibraryQuery q;
  change(q);
  return q;
}

TEST_F(LibrarySearch, EachFormFindsWhatItSays) {
  const std::vector<SearchRow> rows{
      {"everything, last seen first", {}, {"CRUNCH", "LEAD \xC9T\xC9", "Clean Chorus"}},
      {"part of a name, any case", with([](auto& q) { q.text = "clean"; }), {"Clean Chorus"}},
      {"an older name", with([](auto& q) { q.text = "old"; }), {"Clean Chorus"}},
      {"Latin-1 letters in any case", with([](auto& q) { q.text = "\xE9t\xE9"; }), {"LEAD \xC9T\xC9"}},
      {"amp model", with([](auto& q) { q.ampModel = "brit hi gain"; }), {"CRUNCH", "LEAD \xC9T\xC9"}},
      {"effect", with([](auto& q) { q.effect = "Tremolo 1"; }), {"LEAD \xC9T\xC9"}},
      {"a value", with([](auto& q) { q.conditions = {"GAIN >= 7"}; }), {"CRUNCH", "LEAD \xC9T\xC9"}},
      {"two values", with([](auto& q) { q.conditions = {"GAIN >= 7", "DELAY TIME < 300"}; }), {"CRUNCH"}},
      {"level off", with([](auto& q) { q.conditions = {"REVERB LEVEL = 0"}; }), {"LEAD \xC9T\xC9", "Clean Chorus"}},
      {"favourites", with([](auto& q) { q.favouritesOnly = true; }), {"LEAD \xC9T\xC9"}},
      {"an effect's own caption, on every effect that shows it",
       with([](auto& q) { q.conditions = {"DEPTH <= 5"}; }), {"CRUNCH", "LEAD \xC9T\xC9", "Clean Chorus"}},
      {"an effect's own caption, by its value", with([](auto& q) { q.conditions = {"DEPTH > 5"}; }), {}},
      {"a tag, any case", with([](auto& q) { q.tag = "RHYTHM"; }), {"CRUNCH"}},
      {"a tag is whole", with([](auto& q) { q.tag = "liv"; }), {}},
      {"a tag's Latin-1 letters in any case", with([](auto& q) { q.tag = "CAF\xC3\x89"; }), {"Clean Chorus"}},
      {"and the other way", with([](auto& q) { q.tag = "\xC3\xA6ther"; }), {"Clean Chorus"}},
      {"an accent is not its letter", with([](auto& q) { q.tag = "CAFE"; }), {}},
      {"by name", with([](auto& q) { q.sort = SortColumn::Name, q.descending = false; }), {"CRUNCH", "Clean Chorus", "LEAD \xC9T\xC9"}},
      {"by gain", with([](auto& q) { q.sort = SortColumn::Parameter, q.sortParameter = AMP_GAIN; }), {"LEAD \xC9T\xC9", "CRUNCH", "Clean Chorus"}},
      {"a category from the values", with([](auto& q) { q.kind = "high gain"; }), {"CRUNCH", "LEAD \xC9T\xC9"}},
      {"another category", with([](auto& q) { q.kind = "Clean"; }), {"Clean Chorus"}},
      {"an effect family", with([](auto& q) { q.kind = "modulation"; }), {"CRUNCH", "LEAD \xC9T\xC9", "Clean Chorus"}},
      {"no category of that name", with([](auto& q) { q.kind = "loud"; }), {}, "no category \"loud\""},
      {"a bad condition", with([](auto& q) { q.conditions = {"GAIN 7"}; }), {}, "no comparison"},
      {"an unknown amp", with([](auto& q) { q.ampModel = "LOUD"; }), {}, "no amp model LOUD"},
  };
  for (const SearchRow& row : rows) {
    const SearchResult result = library.search(row.query);
    EXPECT_EQ(namesOf(result), row.names) << row.what;
    EXPECT_EQ(result.count, static_cast<std::int64_t>(row.names.size())) << row.what;
    EXPECT_NE(result.error.find(row.error), std::string::npos) << row.what << ": " << result.error;
  }
  LibraryQuery limited;
  limited.limit = 1;
  const SearchResult first = library.search(limited);
  EXPECT_EQ(first.rows.size(), 1u);
  EXPECT_EQ(first.count, 3);
  EXPECT_EQ(library.sound(ids[2]).sound.tags, (std::vector<std::string>{"live", "Rhythm"}));
  EXPECT_EQ(library.setFavourite(9999, true), "no sound 9999 in the library");
}

TEST_F(LibrarySearch, ACategoryGivenByHandIsKeptAndFoundUntilTakenBack) {
  ASSERT_FALSE(library.setCategory(ids[2], Category::Crunch));
  // Seen again, the sound keeps what the user said of it.
  PresetRecord again = library.sound(ids[2]).sound.record;
  library.notePreset(again, {SightingKind::Fetched, 4, ""}, 500);
  const SoundRow kept = library.sound(ids[2]).sound;
  EXPECT_EQ(kept.categoryByHand, Category::Crunch);
  EXPECT_EQ(kindText(kept.kind()), "CRUNCH, MODULATION");
  const auto found = [&](const char* kind) {
    LibraryQuery q;
    q.kind = kind;
    return namesOf(library.search(q));
  };
  EXPECT_EQ(found("crunch"), (std::vector<std::string>{"CRUNCH"}));
  EXPECT_EQ(found("HIGH  GAIN"), (std::vector<std::string>{"LEAD \xC9T\xC9"}));
  ASSERT_FALSE(library.setCategory(ids[2], std::nullopt));
  EXPECT_FALSE(library.sound(ids[2]).sound.categoryByHand);
  EXPECT_EQ(found("high gain"), (std::vector<std::string>{"CRUNCH", "LEAD \xC9T\xC9"}));
  EXPECT_EQ(library.setCategory(9999, Category::Fuzz), "no sound 9999 in the library");
}

void writeHistoryBank(const fs::path& history, const char* name, int firstGain) {
  PresetBank bank{};
  for (int n = 0; n < 3; ++n) bank[static_cast<std::size_t>(n)] = sound(name, firstGain + n);
  std::string error;
  ASSERT_TRUE(writeFileAtomically(history / (std::string("2026-01-0") + name[0] + " 10-00-00 fetched.bnk"), bankFileImage(bank), error));
}

TEST(LibraryOpening, TheHistoryComesInOnce) {
  const fs::path folder = freshFolder("history");
  writeHistoryBank(folder / "history", "1 OLD", 0);
  writeHistoryBank(folder / "history", "2 NEW", 2);  // two of its sounds are the older bank's
  {
    PresetLibrary library;
    const LibraryOpening opening = library.open(folder / "library.sqlite", folder / "history");
    EXPECT_EQ(opening.state, LibraryOpening::State::Ready);
    EXPECT_EQ(opening.soundsFromHistory, 5);
    const SoundDetail shared = library.sound(test::knownOf(library, sound("", 2)).id);
    ASSERT_EQ(shared.sightings.size(), 2u);
    EXPECT_EQ(shared.sound.newestName, "2 NEW");
    EXPECT_EQ(localTimeText(shared.sightings[0].time), "2026-01-01 10:00:00");
    EXPECT_EQ(shared.sightings[0].place.kind, SightingKind::History);
  }
  PresetLibrary again;
  EXPECT_EQ(again.open(folder / "library.sqlite", folder / "history").soundsFromHistory, 0);
  EXPECT_EQ(again.search({}).count, 5);
  EXPECT_EQ(again.sound(test::knownOf(again, sound("", 2)).id).sightings.size(), 2u) << "the history came in again";
}

TEST(LibraryOpening, AVersion1LibraryIsBroughtUpToDate) {
  const fs::path folder = freshFolder("migration");
  const fs::path file = folder / "library.sqlite";
  sqlite3* db = nullptr;
  ASSERT_EQ(sqlite3_open(file.c_str(), &db), SQLITE_OK);
  ASSERT_FALSE(migrateLibrary(db, 1));
  const std::string fingerprint = soundFingerprint(sound("", 12));
  sqlite3_stmt* s = nullptr;
  sqlite3_prepare_v2(db,
                     "INSERT INTO sounds VALUES(7, ?, 0, 12, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, "
                     "CAST('NO PRESET HERE' AS BLOB), 10, 30, 3)",
                     -1, &s, nullptr);
  sqlite3_bind_blob(s, 1, fingerprint.data(), static_cast<int>(fingerprint.size()), SQLITE_TRANSIENT);
  ASSERT_EQ(sqlite3_step(s), SQLITE_DONE);
  sqlite3_finalize(s);
  ASSERT_EQ(sqlite3_exec(db,
                         "INSERT INTO sightings VALUES(1, 7, 10, x'4672FC68', 'loaded', NULL, '/a.pre');"
                         "INSERT INTO sightings VALUES(2, 7, 20, CAST('LATER' AS BLOB), 'fetched', 4, NULL);"
                         "INSERT INTO sightings VALUES(3, 7, 30, CAST('NO PRESET HERE' AS BLOB), 'saved', NULL, '/b.bnk');"
                         "INSERT INTO meta VALUES('history imported', '0 banks');",
                         nullptr, nullptr, nullptr),
            SQLITE_OK);
  EXPECT_EQ(scalar(db, "PRAGMA user_version"), 1);
  sqlite3_close(db);

  PresetLibrary library;
  EXPECT_EQ(library.open(file, folder / "history").state, LibraryOpening::State::Ready);
  EXPECT_EQ(scalar(library.connection(), "PRAGMA user_version"), kLibrarySchemaVersion);
  LibraryQuery q;
  q.text = "later";
  EXPECT_EQ(library.search(q).count, 1);
  q.text = "FR\xDC";  // the older name, folded from the sightings a version 1 library kept
  EXPECT_EQ(library.search(q).count, 1);
  q.text = "preset here";  // the window's placeholder, once kept as a name
  EXPECT_EQ(library.search(q).count, 0);
  EXPECT_FALSE(library.setFavourite(7, true));
  const SoundDetail kept = library.sound(7);
  ASSERT_EQ(kept.sightings.size(), 3u);
  EXPECT_EQ(kept.sound.newestName, "LATER");
  EXPECT_EQ(kept.sightings[2].name, "");
}

struct BrokenRow {
  const char* what;
  void (*make)(const fs::path& file);
  const char* said;
};

TEST(LibraryOpening, ADamagedOrForeignFileIsMovedAsideAndTheLibraryRebuilt) {
  const std::vector<BrokenRow> rows{
      {"text", [](const fs::path& f) { std::ofstream(f) << "my notes about presets, not a database at all\n" << std::string(600, 'x'); },
       "moved aside"},
      {"another program's database",
       [](const fs::path& f) {
         sqlite3* db = nullptr;
         sqlite3_open(f.c_str(), &db);
         sqlite3_exec(db, "CREATE TABLE songs(title TEXT); INSERT INTO songs VALUES('x')", nullptr, nullptr, nullptr);
         sqlite3_close(db);
       },
       "a database of another program"},
      {"a library with its header spoiled",
       [](const fs::path& f) {
         {
           PresetLibrary library;
           library.open(f, f.parent_path() / "none");
           library.notePreset(sound("GONE", 1), {SightingKind::Saved, 0, "/b.pre"});
         }
         std::fstream file(f, std::ios::in | std::ios::out | std::ios::binary);
         file.seekp(16);
         file.write("\xFF\xFF\xFF\xFF\xFF\xFF\xFF\xFF", 8);  // page size and versions
       },
       "moved aside"},
  };
  for (const BrokenRow& row : rows) {
    const fs::path folder = freshFolder("broken");
    writeHistoryBank(folder / "history", "1 KEPT", 0);
    const fs::path file = folder / "library.sqlite";
    row.make(file);
    const Bytes before = fileBytes(file);
    PresetLibrary library;
    const LibraryOpening opening = library.open(file, folder / "history");
    EXPECT_EQ(opening.state, LibraryOpening::State::Ready) << row.what << ": " << opening.message;
    ASSERT_TRUE(opening.movedAside) << row.what;
    EXPECT_EQ(opening.movedAside->filename().string().rfind("library.sqlite.broken-", 0), 0u) << row.what;
    EXPECT_EQ(fileBytes(*opening.movedAside), before) << row.what;
    EXPECT_NE(opening.message.find(row.said), std::string::npos) << row.what << ": " << opening.message;
    EXPECT_NE(opening.message.find("built from the history of banks (3 sounds)"), std::string::npos) << opening.message;
    EXPECT_EQ(library.search({}).count, 3) << row.what;
  }
}

TEST(LibraryOpening, TwoDamagedLibrariesOnOneDayAreBothKept) {
  const fs::path folder = freshFolder("broken-twice");
  const fs::path file = folder / "library.sqlite";
  std::vector<fs::path> aside;
  for (const char* notes : {"the first spoiled library", "the second, on the same day"}) {
    std::ofstream(file) << notes << std::string(600, 'x');
    PresetLibrary library;
    const LibraryOpening opening = library.open(file, folder / "history");
    ASSERT_TRUE(opening.movedAside) << opening.message;
    aside.push_back(*opening.movedAside);
  }
  ASSERT_NE(aside[0], aside[1]);
  EXPECT_EQ(aside[1].string(), aside[0].string() + "-2");
  for (std::size_t n = 0; n < 2; ++n) {
    const Bytes kept = fileBytes(aside[n]);
    EXPECT_EQ(std::string(kept.begin(), kept.begin() + 10), n == 0 ? "the first " : "the second") << aside[n];
  }
}

// About 5 MB: 20,000 sounds, each seen once.
void fillLibrary(PresetLibrary& library) {
  std::vector<PresetRecord> records;
  std::vector<Place> places;
  for (int n = 0; n < 20000; ++n) {
    PresetRecord r = sound(("SOUND " + std::to_string(n)).c_str(), n % 256);
    r.setSlot(kReservedSlot, n);
    records.push_back(r);
    places.push_back({SightingKind::Imported, 0, "/presets/many.bnk"});
  }
  ASSERT_FALSE(library.noteRecords(records, places, 1000).error);
}

// Overwrites the middle page of the names every search by name reads.
void spoilMiddlePage(sqlite3* db, const fs::path& file) {
  const int pageSize = scalar(db, "PRAGMA page_size");
  const int page = scalar(db,
                          "SELECT pageno FROM dbstat WHERE name = 'sound_names' ORDER BY pageno "
                          "LIMIT 1 OFFSET (SELECT count(*) / 2 FROM dbstat WHERE name = 'sound_names')");
  ASSERT_GT(page, 1);
  std::fstream out(file, std::ios::in | std::ios::out | std::ios::binary);
  out.seekp(static_cast<std::streamoff>(page - 1) * pageSize);
  const std::string garbage(static_cast<std::size_t>(pageSize), '\xA5');
  out.write(garbage.data(), pageSize);
}

TEST(LibraryDamage, APageSpoiledInsideIsFoundSetAsideAndTheLibraryBuiltAgainOnce) {
  for (const bool whileOpen : {false, true}) {
    const char* what = whileOpen ? "found by a search" : "found at the opening";
    const fs::path folder = freshFolder("spoiled");
    writeHistoryBank(folder / "history", "1 KEPT", 0);
    const fs::path file = folder / "library.sqlite";
    auto library = std::make_unique<PresetLibrary>();
    ASSERT_EQ(library->open(file, folder / "history").state, LibraryOpening::State::Ready);
    fillLibrary(*library);
    ASSERT_EQ(sqlite3_exec(library->connection(), "PRAGMA wal_checkpoint(TRUNCATE)", nullptr, nullptr, nullptr), SQLITE_OK);
    ASSERT_GT(fs::file_size(file), 4'000'000u);
    spoilMiddlePage(library->connection(), file);
    const Bytes spoiled = fileBytes(file);
    LibraryQuery byName;
    byName.text = "sound 1";
    std::string said;
    if (whileOpen) {
      sqlite3_db_release_memory(library->connection());  // the pages are read from the file again
      const SearchResult found = library->search(byName);
      EXPECT_EQ(found.error, "") << what;
      EXPECT_EQ(found.count, 0) << what;
      said = library->takeNotice().value_or("");
    } else {
      library = std::make_unique<PresetLibrary>();
      said = library->open(file, folder / "history").message;
    }
    EXPECT_NE(said.find("moved aside as library.sqlite.broken-"), std::string::npos) << what << ": " << said;
    EXPECT_NE(said.find("built from the history of banks (3 sounds)"), std::string::npos) << what << ": " << said;
    EXPECT_EQ(library->takeNotice(), std::nullopt) << what << ": said once";
    EXPECT_EQ(library->search({}).count, 3) << what;
    EXPECT_FALSE(library->notePreset(sound("NEW", 9), {SightingKind::Saved, 0, "/n.pre"}).error) << what;
    EXPECT_EQ(library->search(byName).error, "") << what;
    EXPECT_EQ(library->takeNotice(), std::nullopt) << what;
    std::vector<fs::path> aside;
    for (const auto& entry : fs::directory_iterator(folder))
      if (const std::string name = entry.path().filename().string(); name.starts_with("library.sqlite.broken-") && !name.ends_with("-wal"))
        aside.push_back(entry.path());
    ASSERT_EQ(aside.size(), 1u) << what;
    EXPECT_EQ(fileBytes(aside[0]), spoiled) << what;
    // The next program to open it finds a sound library.
    PresetLibrary next;
    const LibraryOpening opening = next.open(file, folder / "history");
    EXPECT_FALSE(opening.movedAside) << what << ": " << opening.message;
    EXPECT_EQ(next.search({}).count, 4) << what;
  }
}

struct FollowRow {
  const char* what;
  bool replaced;  // else removed
  const char* said;
  std::vector<std::string> names;  // in the file there afterwards, by id
};

TEST(LibraryDamage, AFileReplacedOrRemovedUnderARunningWriterIsNoticedBeforeTheNextWrite) {
  const std::vector<FollowRow> rows{
      {"replaced", true, "was replaced while this program ran; the library there now is used", {"RESTORED", "AFTER", "LATER"}},
      {"removed", false, "was removed while this program ran; a new library was built from the history of banks (0 sounds)",
       {"AFTER", "LATER"}},
  };
  for (const FollowRow& row : rows) {
    const fs::path folder = freshFolder("followed");
    const fs::path file = folder / "library.sqlite";
    PresetLibrary writer;
    ASSERT_EQ(writer.open(file, folder / "history").state, LibraryOpening::State::Ready);
    ASSERT_FALSE(writer.notePreset(sound("BEFORE", 1), {SightingKind::Saved, 0, "/b.pre"}, 10).error);
    if (row.replaced) {
      {
        PresetLibrary backup;
        backup.open(folder / "backup.sqlite", folder / "history");
        backup.notePreset(sound("RESTORED", 2), {SightingKind::Saved, 0, "/r.pre"}, 5);
      }
      fs::rename(folder / "backup.sqlite", file);
    } else {
      fs::remove(file);
    }
    ASSERT_FALSE(writer.notePreset(sound("AFTER", 3), {SightingKind::Saved, 0, "/a.pre"}, 20).error) << row.what;
    const std::string said = writer.takeNotice().value_or("");
    EXPECT_NE(said.find(row.said), std::string::npos) << row.what << ": " << said;
    ASSERT_FALSE(writer.notePreset(sound("LATER", 4), {SightingKind::Saved, 0, "/l.pre"}, 30).error) << row.what;
    EXPECT_EQ(writer.takeNotice(), std::nullopt) << row.what << ": said once";

    PresetLibrary reader;
    const LibraryOpening opening = reader.open(file, folder / "history");
    EXPECT_FALSE(opening.movedAside) << row.what << ": " << opening.message;
    LibraryQuery byId;
    byId.sort = SortColumn::Id;
    byId.descending = false;
    EXPECT_EQ(namesOf(reader.search(byId)), row.names) << row.what;
  }
}

TEST(LibraryOpening, ANewerLibraryOpensReadOnlyAndIsNeverWritten) {
  const fs::path folder = freshFolder("newer");
  const fs::path file = folder / "library.sqlite";
  {
    PresetLibrary library;
    library.open(file, folder / "history");
    library.notePreset(sound("FUTURE", 4), {SightingKind::Saved, 0, "/f.pre"}, 10);
    sqlite3_exec(library.connection(), "PRAGMA user_version = 9; PRAGMA wal_checkpoint(TRUNCATE)", nullptr, nullptr, nullptr);
  }
  const Bytes before = fileBytes(file);
  PresetLibrary library;
  const LibraryOpening opening = library.open(file, folder / "history");
  EXPECT_EQ(opening.state, LibraryOpening::State::ReadOnly);
  EXPECT_NE(opening.message.find("newer version (its version 9"), std::string::npos) << opening.message;
  EXPECT_FALSE(opening.movedAside);
  EXPECT_EQ(library.search({}).count, 1);
  EXPECT_EQ(library.notePreset(sound("NOW", 5), {SightingKind::Saved, 0, "/n.pre"}).error, "the library is read-only");
  EXPECT_TRUE(library.setTags(1, "x"));
  EXPECT_EQ(fileBytes(file), before);
}

TEST(LibraryOpening, AFolderThatCannotBeMadeIsToldAndStopsNothing) {
  const fs::path folder = freshFolder("blocked");
  std::ofstream(folder / "data") << "a file where the folder should be";
  PresetLibrary library;
  const LibraryOpening opening = library.open(folder / "data" / "library.sqlite", folder / "history");
  EXPECT_EQ(opening.state, LibraryOpening::State::Unavailable);
  EXPECT_NE(opening.message.find("cannot make"), std::string::npos) << opening.message;
  EXPECT_EQ(library.notePreset(sound("A", 1), {}).error, "the library is not open");
  EXPECT_EQ(library.search({}).error, "the library is not open");
}

TEST(LibraryWriters, TwoConnectionsWriteAtOnceAndABusyFileIsAnError) {
  const fs::path folder = freshFolder("writers");
  const fs::path file = folder / "library.sqlite";
  PresetLibrary editor, tool;
  ASSERT_EQ(editor.open(file, folder / "history").state, LibraryOpening::State::Ready);
  ASSERT_EQ(tool.open(file, folder / "history").state, LibraryOpening::State::Ready);
  const auto write = [&](PresetLibrary& library, int base, int& failures) {
    for (int n = 0; n < 40; ++n) {
      PresetBank bank{};
      for (int p = 0; p < kPresetCount; ++p) bank[static_cast<std::size_t>(p)] = sound("W", (base + n + p) % 256);
      failures += library.noteBank(bank, {SightingKind::Stored, 0, ""}, n).error.has_value();
    }
  };
  int editorFailures = 0, toolFailures = 0;
  std::thread first([&] { write(editor, 0, editorFailures); });
  std::thread second([&] { write(tool, 100, toolFailures); });
  first.join();
  second.join();
  EXPECT_EQ(editorFailures + toolFailures, 0);
  EXPECT_EQ(scalar(editor.connection(), "SELECT count(*) FROM sightings"), 2 * 40 * kPresetCount);
  EXPECT_EQ(scalar(tool.connection(), "SELECT sum(times_seen) FROM sounds"), 2 * 40 * kPresetCount);

  // A write that waits longer than the other's transaction lasts is refused, and says so.
  ASSERT_EQ(sqlite3_exec(editor.connection(), "BEGIN IMMEDIATE", nullptr, nullptr, nullptr), SQLITE_OK);
  tool.setBusyWait(50);
  const Noted refused = tool.notePreset(sound("LATE", 1), {SightingKind::Saved, 0, "/l.pre"});
  ASSERT_TRUE(refused.error);
  EXPECT_NE(refused.error->find("locked"), std::string::npos) << *refused.error;
  sqlite3_exec(editor.connection(), "COMMIT", nullptr, nullptr, nullptr);
  EXPECT_FALSE(tool.notePreset(sound("LATE", 1), {SightingKind::Saved, 0, "/l.pre"}).error);
}

}  // namespace
}  // namespace kestralux
