// The merge of libraries through a sync folder, against random use: whatever each library
// does and whenever each reads the others' files, all end equal; a file read while it is cut
// short takes only whole lines, and the rest later, as if it had been read whole.

#include <gtest/gtest.h>
#include <rapidcheck.h>
#include <rapidcheck/gtest.h>

#include <fstream>
#include <set>
#include <tuple>

#include "library/LibrarySchema.h"
#include "library/LibrarySync.h"
#include "library/SoundCategory.h"
#include "library/Sqlite.h"
#include "tests/library/LibraryFolder.h"

namespace kestralux {
namespace {

namespace fs = std::filesystem;

// One step of one library: a sighting, a tag, a favourite, a note, a category, or a sync with
// the folder.
struct Step {
  int library = 0;  // 0..2
  int what = 0;     // 0 seen, 1 tag, 2 favourite, 3 note, 4 sync, 5 category
  int sound = 0;    // 0..3
  int pick = 0;     // a name, a tag, a note, or on/off
  int time = 0;     // few seconds, so that changes often share one
};

PresetRecord soundNumber(int n) {
  PresetRecord r;
  r.setValue(AMP_GAIN, 10 * n);
  r.setValue(AMP_TYPE, n);
  return r;
}

const std::vector<std::string> kNames{"", "LEAD", "lead", "CLEAN", "\xC9T\xC9"};
const std::vector<std::string> kTags{"live", "LIVE", "slow", "caf\xC3\xA9"};

fs::path folderFor(const std::string& name) { return test::freshFolder(name); }

// Everything the libraries must agree on, independent of their own row ids: per sound, its
// sightings (by their maker and place among its changes), shown name, dates, count, favourite,
// note, tags as a set, and category given by hand (their order is the order they came in).
using Sound = std::tuple<std::string, std::set<std::string>, std::string, std::int64_t, std::int64_t, std::int64_t, bool, std::string,
                         std::set<std::string>, std::string>;

std::map<std::string, Sound> stateOf(PresetLibrary& library) {
  std::map<std::string, Sound> out;
  sqlite3* db = library.connection();
  sql::Statement sounds(db, "SELECT id, fingerprint, newest_name, times_seen, first_seen, last_seen, favourite, note, tags, "
                                "coalesce(category, '') FROM sounds");
  while (sounds.step() == SQLITE_ROW) {
    std::set<std::string> seen;
    sql::Statement s(db, "SELECT origin || ' ' || origin_seq || ' ' || time || ' ' || hex(name) || ' ' || kind || ' ' || "
                         "coalesce(slot, 0) || ' ' || coalesce(path, '') FROM sightings WHERE sound = ?");
    s.bind(1, sounds.integer(0));
    while (s.step() == SQLITE_ROW) seen.insert(s.text(0));
    std::set<std::string> tags;
    for (const std::string& t : library.sound(sounds.integer(0)).sound.tags) tags.insert(t);
    out[sounds.blob(1)] = {sounds.blob(1), seen, sounds.blob(2), sounds.integer(3), sounds.integer(4), sounds.integer(5),
                           sounds.integer(6) != 0, sounds.text(7), tags, sounds.text(9)};
  }
  return out;
}

void apply(PresetLibrary& library, const Step& step, const fs::path& folder) {
  const PresetRecord sound = soundNumber(step.sound);
  const std::int64_t time = 1000 + step.time;
  if (step.what == 4) {
    const SyncReport report = syncFolder(library, folder);
    RC_ASSERT(!report.error);
    RC_ASSERT(report.skipped.empty());
    return;
  }
  if (step.what == 0) {
    PresetRecord named = sound;
    const std::string& name = kNames[static_cast<std::size_t>(step.pick) % kNames.size()];
    if (!name.empty()) named.storeName(name);
    RC_ASSERT(!library.notePreset(named, {SightingKind::Fetched, 1 + step.pick, ""}, time).error);
    return;
  }
  const std::int64_t id = library.known(std::span(&sound, 1))[0].id;
  if (id == 0) return;  // nothing to change on a sound this library has not seen
  if (step.what == 1) {
    const std::string& tag = kTags[static_cast<std::size_t>(step.pick) % kTags.size()];
    std::string tags;
    bool had = false;
    for (const std::string& t : library.sound(id).sound.tags) {
      if (foldedTag(t) == foldedTag(tag))
        had = true;
      else
        tags += t + ",";
    }
    RC_ASSERT(!library.setTags(id, had ? tags : tags + tag, time));
  } else if (step.what == 2) {
    RC_ASSERT(!library.setFavourite(id, step.pick % 2 == 0, time));
  } else if (step.what == 5) {
    const std::optional<Category> category =
        step.pick == 0 ? std::nullopt : std::optional(kCategories[static_cast<std::size_t>(step.pick) % kCategories.size()]);
    RC_ASSERT(!library.setCategory(id, category, time));
  } else {
    RC_ASSERT(!library.setNote(id, step.pick % 3 == 0 ? "" : "note " + std::to_string(step.pick), time));
  }
}

}  // namespace
}  // namespace kestralux

namespace rc {
template <>
struct Arbitrary<kestralux::Step> {
  static Gen<kestralux::Step> arbitrary() {
    return gen::build<kestralux::Step>(gen::set(&kestralux::Step::library, gen::inRange(0, 3)),
                                       gen::set(&kestralux::Step::what, gen::inRange(0, 6)),
                                       gen::set(&kestralux::Step::sound, gen::inRange(0, 4)),
                                       gen::set(&kestralux::Step::pick, gen::inRange(0, 6)),
                                       gen::set(&kestralux::Step::time, gen::inRange(0, 3)));
  }
};
}  // namespace rc

namespace kestralux {
namespace {

RC_GTEST_PROP(LibrarySync, ThreeLibrariesEndEqualWhateverTheOrder, (const std::vector<Step>& steps, const std::vector<int>& lastOrder)) {
  const fs::path home = folderFor("sync-property");
  const fs::path shared = home / "folder";
  fs::create_directories(shared);
  PresetLibrary libraries[3];
  for (int n = 0; n < 3; ++n) libraries[n].open(home / ("library" + std::to_string(n) + ".sqlite"), home / "history");
  for (const Step& step : steps) apply(libraries[step.library], step, shared);
  // Each writes what it has not sent, in some order; then each reads all, in some order;
  // reading again changes nothing.
  for (int round = 0; round < 3; ++round)
    for (int n = 0; n < 3; ++n) {
      const int which = (n + (lastOrder.empty() ? 0 : lastOrder[static_cast<std::size_t>(round) % lastOrder.size()] % 3 + 3)) % 3;
      const SyncReport report = syncFolder(libraries[which], shared);
      RC_ASSERT(!report.error);
      if (round == 2) RC_ASSERT(!report.anythingNew());
    }
  const auto first = stateOf(libraries[0]);
  RC_ASSERT(first == stateOf(libraries[1]));
  RC_ASSERT(first == stateOf(libraries[2]));
}

RC_GTEST_PROP(LibrarySync, AFileCutAtAnyByteLeavesNothingHalfRead, (const std::vector<Step>& steps, unsigned cutAt)) {
  const fs::path home = folderFor("sync-cut");
  PresetLibrary maker, whole, cut;
  maker.open(home / "maker.sqlite", home / "history");
  whole.open(home / "whole.sqlite", home / "history");
  cut.open(home / "cut.sqlite", home / "history");
  for (Step step : steps) {
    if (step.what == 4) continue;
    apply(maker, step, home);
  }
  for (const char* f : {"complete", "partial"}) fs::create_directories(home / f);
  RC_ASSERT(!syncFolder(maker, home / "complete").error);
  const fs::path file = home / "complete" / (maker.libraryId() + kSyncFileExtension);
  std::ifstream in(file, std::ios::binary);
  const std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  const std::size_t at = cutAt % (text.size() + 1);
  const fs::path part = home / "partial" / file.filename();
  std::ofstream(part, std::ios::binary) << text.substr(0, at);

  RC_ASSERT(!syncFolder(whole, home / "complete").error);
  const SyncReport early = syncFolder(cut, home / "partial");
  RC_ASSERT(!early.error);
  RC_ASSERT(early.skipped.empty());
  // Exactly the whole lines before the cut: the sightings among them, no more.
  const std::string before = text.substr(0, at);
  std::size_t seen = 0;
  for (std::size_t p = 0; (p = before.find("\"change\":\"seen\"", p)) != std::string::npos; ++p)
    if (before.find('\n', p) != std::string::npos) ++seen;
  RC_ASSERT(test::scalar(cut.connection(), "SELECT count(*) FROM sightings") == static_cast<int>(seen));

  std::ofstream(part, std::ios::binary | std::ios::app) << text.substr(at);
  const SyncReport late = syncFolder(cut, home / "partial");
  RC_ASSERT(!late.error);
  RC_ASSERT(late.skipped.empty());
  RC_ASSERT(stateOf(cut) == stateOf(whole));
}

}  // namespace
}  // namespace kestralux

namespace kestralux {
namespace {

// A library made before it could sync sends everything it held at its first sync: every
// sighting, favourite, tag and category given by hand.
TEST(LibrarySyncUpgrade, AnOlderLibrarySendsAllItHeld) {
  const fs::path home = folderFor("sync-upgrade");
  fs::create_directories(home / "folder");
  {
    sqlite3* db = nullptr;
    ASSERT_EQ(sqlite3_open((home / "old.sqlite").c_str(), &db), SQLITE_OK);
    ASSERT_FALSE(migrateLibrary(db, 4));
    const std::string fingerprint = soundFingerprint(soundNumber(3));
    sqlite3_stmt* s = nullptr;
    sqlite3_prepare_v2(db,
                       "INSERT INTO sounds(id, fingerprint, p0, p1, p2, p3, p4, p5, p6, p7, p8, p9, p10, p11, p12, p13, p14, p15, reserved, "
                       "newest_name, first_seen, last_seen, times_seen, favourite, tags, category) "
                       "VALUES(5, ?, 3, 30, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, CAST('LATER' AS BLOB), 10, 20, 2, 1, ',live,Slow,', 'FUZZ')",
                       -1, &s, nullptr);
    sqlite3_bind_blob(s, 1, fingerprint.data(), static_cast<int>(fingerprint.size()), SQLITE_TRANSIENT);
    ASSERT_EQ(sqlite3_step(s), SQLITE_DONE);
    sqlite3_finalize(s);
    ASSERT_EQ(sqlite3_exec(db,
                           "INSERT INTO sound_names VALUES(5, x'0a4541524c590a4c415445520a');"
                           "INSERT INTO sightings VALUES(1, 5, 10, CAST('EARLY' AS BLOB), 'loaded', NULL, '/a.pre');"
                           "INSERT INTO sightings VALUES(2, 5, 20, CAST('LATER' AS BLOB), 'fetched', 4, NULL);"
                           "INSERT INTO meta VALUES('history imported', '0 banks');",
                           nullptr, nullptr, nullptr),
              SQLITE_OK);
    sqlite3_close(db);
  }
  PresetLibrary old, fresh;
  ASSERT_EQ(old.open(home / "old.sqlite", home / "history").state, LibraryOpening::State::Ready);
  ASSERT_EQ(fresh.open(home / "fresh.sqlite", home / "history").state, LibraryOpening::State::Ready);
  EXPECT_EQ(syncFolder(old, home / "folder").sent, 6);  // 2 sightings, a favourite, 2 tags, a category
  const SyncReport in = syncFolder(fresh, home / "folder");
  ASSERT_EQ(in.received.size(), 1u);
  const PresetRecord sound = soundNumber(3);
  const SoundRow row = fresh.sound(fresh.known(std::span(&sound, 1))[0].id).sound;
  EXPECT_EQ(row.newestName, "LATER");
  EXPECT_EQ(row.timesSeen, 2);
  EXPECT_TRUE(row.favourite);
  EXPECT_EQ(std::set<std::string>(row.tags.begin(), row.tags.end()), (std::set<std::string>{"live", "Slow"}));
  EXPECT_EQ(row.categoryByHand, Category::Fuzz);
  EXPECT_EQ(stateOf(old), stateOf(fresh));
}

}  // namespace
}  // namespace kestralux
