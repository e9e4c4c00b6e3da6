// The .kessound file: what a library shares comes back whole into another, and a second
// import changes nothing; a file that is newer, damaged or not ours is refused with why.

#include <gtest/gtest.h>

#include <fstream>

#include "library/LibraryBackup.h"
#include "library/LibraryImport.h"
#include "library/SoundFile.h"
#include "tests/library/LibraryFolder.h"

namespace kestralux {
namespace {

namespace fs = std::filesystem;

struct Given {
  PresetRecord sound;
  std::vector<std::pair<std::string, std::int64_t>> names;  // Latin-1, oldest first
  std::string tags;
  bool favourite = false;
  std::string note;
  std::optional<Category> category;  // given by hand
};

PresetRecord valuesAt(int amp, int effect, int each, int reserved = 0) {
  PresetRecord r;
  for (int p = 0; p < kParameterCount; ++p) r.setValue(p, each);
  r.setValue(AMP_TYPE, amp);
  r.setValue(EFFECT_SELECT, effect);
  r.setSlot(kReservedSlot, reserved);
  return r;
}

struct RoundTripRow {
  const char* what;
  std::vector<Given> sounds;
};

std::vector<Given> many(int n) {
  std::vector<Given> out;
  for (int i = 0; i < n; ++i) out.push_back({valuesAt(i % 16, kEffectCodes[static_cast<std::size_t>(i % 10)], i % 256), {{"N" + std::to_string(i), 1000 + i}}, "", false, "", {}});
  return out;
}

class SoundFile : public ::testing::Test {
 protected:
  void SetUp() override {
    folder = test::freshFolder("sound-file");
    from.open(folder / "from.sqlite", folder / "history");
    to.open(folder / "to.sqlite", folder / "history");
  }
  // The sound as `given` into `from`; its id there.
  std::int64_t put(const Given& given) {
    for (const auto& [name, time] : given.names) {
      PresetRecord r = given.sound;
      r.storeName(name);
      EXPECT_FALSE(from.notePreset(r, {SightingKind::Fetched, 1, ""}, time).error);
    }
    if (given.names.empty()) from.notePreset(given.sound, {SightingKind::Fetched, 1, ""}, 500);
    const std::int64_t id = from.known(std::span(&given.sound, 1))[0].id;
    EXPECT_FALSE(from.setTags(id, given.tags));
    EXPECT_FALSE(from.setFavourite(id, given.favourite));
    EXPECT_FALSE(from.setNote(id, given.note));
    EXPECT_FALSE(from.setCategory(id, given.category));
    return id;
  }
  ImportReport import(const fs::path& file) { return importPaths(to, std::span(&file, 1), {}, 9000); }

  fs::path folder;
  PresetLibrary from, to;
};

TEST_F(SoundFile, ASharedSoundComesBackWholeAndOnce) {
  const std::vector<RoundTripRow> rows{
      {"quotes, a newline, a backslash", {{valuesAt(3, 6, 9), {{"say \"hi\"", 100}, {"A\nB\\C", 200}}, "live", true, "a \"quoted\"\nnote", {}}}},
      {"Latin-1 letters", {{valuesAt(1, 2, 4), {{"CAF\xC9 \xFC\xDF", 100}}, "caf\xC3\xA9, Warm", false, "\xC3\xA9t\xC3\xA9", {}}}},
      {"every control at its low end", {{valuesAt(0, 0, 0), {{"LOW", 1}}, "", false, "", {}}}},
      {"every control at its high end", {{valuesAt(15, 15, 255, -1), {{"HIGH", 2}}, "", false, "", {}}}},
      {"a sound never named", {{valuesAt(2, 8, 7), {}, "x", false, "", {}}}},
      {"a category given by hand", {{valuesAt(9, 0, 250), {{"NOT FUZZ", 4}}, "", false, "", Category::Clean}}},
      {"the longest name", {{valuesAt(4, 10, 1), {{"ABCDEFGHIJKLMNOPQRS", 3}}, "", false, "", {}}}},
      {"many sounds", many(300)},
  };
  for (const RoundTripRow& row : rows) {
    SetUp();
    std::vector<std::int64_t> ids;
    for (const Given& g : row.sounds) ids.push_back(put(g));
    std::string error;
    const std::vector<SharedSound> shared = sharedSounds(from, ids, error);
    ASSERT_EQ(error, "") << row.what;
    const fs::path file = folder / "shared.kessound";
    std::ofstream(file, std::ios::binary) << soundFileText(shared);
    EXPECT_EQ(readSoundFile(soundFileText(shared)).refused, "") << row.what;

    const ImportReport first = import(file);
    ASSERT_EQ(first.refused(), 0) << row.what << "\n" << importReportText(first);
    EXPECT_EQ(first.added(), static_cast<int>(row.sounds.size())) << row.what;
    for (std::size_t n = 0; n < row.sounds.size(); ++n) {
      const Given& g = row.sounds[n];
      const std::int64_t there = to.known(std::span(&g.sound, 1))[0].id;
      ASSERT_NE(there, 0) << row.what;
      const SoundDetail in = to.sound(there), out = from.sound(ids[n]);
      EXPECT_TRUE(sameSound(in.sound.record, g.sound)) << row.what;
      EXPECT_EQ(in.sound.newestName, out.sound.newestName) << row.what;
      EXPECT_EQ(in.sound.tags, out.sound.tags) << row.what;
      EXPECT_EQ(in.sound.favourite, g.favourite) << row.what;
      EXPECT_EQ(in.sound.note, g.note) << row.what;
      EXPECT_EQ(in.sound.categoryByHand, g.category) << row.what;
      // Every name, at the time it was given, and so each from this file.
      std::vector<std::pair<std::string, std::int64_t>> names;
      for (const Sighting& s : in.sightings) {
        EXPECT_EQ(s.place.path, fs::absolute(file).string()) << row.what;
        if (!s.name.empty()) names.emplace_back(s.name, s.time);
      }
      if (!g.names.empty()) {
        EXPECT_EQ(names, g.names) << row.what;
      }
    }
    const int changes = test::scalar(to.connection(), "SELECT count(*) FROM changes");
    const ImportReport second = import(file);
    EXPECT_EQ(second.added(), 0) << row.what;
    EXPECT_NE(importReportText(second).find("nothing new"), std::string::npos) << row.what << importReportText(second);
    EXPECT_EQ(test::scalar(to.connection(), "SELECT count(*) FROM changes"), changes) << row.what;
  }
}

TEST_F(SoundFile, ImportJoinsIntoTheSoundThatIsThere) {
  Given g{valuesAt(5, 6, 3), {{"THEIRS", 100}}, "Live, slow", true, "from the band", {}};
  std::string error;
  const std::int64_t id = put(g);
  const std::string text = soundFileText(sharedSounds(from, std::span(&id, 1), error));
  const fs::path file = folder / "theirs.kessound";
  std::ofstream(file) << text;
  PresetRecord mine = g.sound;
  mine.storeName("MINE");
  to.notePreset(mine, {SightingKind::Fetched, 2, ""}, 50);
  const std::int64_t there = to.known(std::span(&mine, 1))[0].id;
  to.setTags(there, "LIVE, loud");
  to.setNote(there, "my own note");

  const ImportReport report = import(file);
  EXPECT_EQ(report.added(), 0);
  EXPECT_EQ(report.known(), 1);
  const SoundDetail joined = to.sound(there);
  EXPECT_EQ(joined.sound.tags, (std::vector<std::string>{"LIVE", "loud", "slow"}));  // a tag known in other capitals stays as it was
  EXPECT_TRUE(joined.sound.favourite);
  EXPECT_EQ(joined.sound.note, "my own note\nfrom the band");
  EXPECT_EQ(joined.sound.newestName, "THEIRS");  // named later than MINE
  EXPECT_EQ(joined.sightings.size(), 2u);
}

struct RefusedRow {
  std::string text;
  std::string why;
};

TEST(SoundFileReading, AFileNotWholeOrNotOursIsRefusedWithWhy) {
  const std::string head = R"({"format": "kestralux-sound", "version": 1, "sounds": [)";
  const std::string values = R"("values": [0,0,0,0,0,0,0,0,0,0,0,0,0,0,0,0])";
  const std::vector<RefusedRow> rows{
      {R"({"format": "kestralux-sound", "version": 2, "sounds": []})", "version 2, newer than this program reads (1)"},
      {head + "{" + values + "}", "not a sound file: parse error at line 1, column 101"},
      {"", "not a sound file:"},
      {R"({"format": "other", "version": 1, "sounds": []})", "no \"format\": \"kestralux-sound\""},
      {R"([1, 2])", "no \"format\""},
      {R"({"format": "kestralux-sound", "sounds": []})", "no version"},
      {R"({"format": "kestralux-sound", "version": 1})", "damaged: no list of \"sounds\""},
      {head + R"({"values": [1,2,3]}]})", "sound 1: \"values\" must be 16 whole numbers"},
      {head + "{" + values + "}, {" + R"("values": [0,0,0,0,0,0,0,0,0,0,0,0,0,0,0,256]})" + "]}", "sound 2: not a sound the combo can hold"},
      {head + "{" + R"("values": [16,0,0,0,0,0,0,0,0,0,0,0,0,0,0,0])" + "}]}", "not a sound the combo can hold: AMP_TYPE is 16"},
      {head + "{" + values + R"(, "names": [{"name": "€uro", "time": "2026-12-07T14:03:55Z"}]}]})", "no preset name can hold"},
      {head + "{" + values + R"(, "names": [{"name": "ABCDEFGHIJKLMNOPQRST", "time": "2026-12-07T14:03:55Z"}]}]})", "not 1 to 19 characters"},
      {head + "{" + values + R"(, "names": [{"name": "A", "time": "yesterday"}]}]})", "is not a time like"},
      {head + "{" + values + R"(, "tags": ["a,b"]}]})", "holds a comma"},
      {head + "{" + values + R"(, "favourite": "yes"}]})", "\"favourite\" must be true or false"},
      {head + "{" + values + R"(, "values2": 1, "reserved": 1.5}]})", "\"reserved\" must be a whole number"},
      {head + "{" + values + R"(, "category": "PAD", "category by hand": true}]})", "one of CLEAN, CRUNCH, HIGH GAIN, FUZZ"},
  };
  for (const RefusedRow& row : rows) {
    const SoundFileReading reading = readSoundFile(row.text);
    EXPECT_NE(reading.refused.find(row.why), std::string::npos) << row.text << "\n" << reading.refused;
    EXPECT_TRUE(reading.sounds.empty()) << row.text;
  }
}

}  // namespace
}  // namespace kestralux

namespace kestralux {
namespace {

// A copy taken while another connection keeps writing is whole, and importing it joins its
// sounds into a library that has its own: nothing there is replaced, and a second time
// changes nothing.
TEST_F(SoundFile, ACopyOfTheLibraryRestoresByJoining) {
  const PresetRecord shared = valuesAt(2, 6, 9);
  PresetRecord named = shared;
  named.storeName("OLD NAME");
  from.notePreset(named, {SightingKind::Fetched, 4, ""}, 100);
  const std::int64_t id = from.known(std::span(&shared, 1))[0].id;
  from.setTags(id, "from copy");
  from.setNote(id, "kept in the copy", 150);
  PresetLibrary writer;  // another program writing meanwhile
  ASSERT_EQ(writer.open(folder / "from.sqlite", folder / "history").state, LibraryOpening::State::Ready);
  const fs::path copy = folder / "copy.sqlite";
  for (int n = 0; n < 30; ++n) writer.notePreset(valuesAt(n % 16, 0, n), {SightingKind::Loaded, 0, "/x.bnk"}, 200 + n);
  ASSERT_EQ(backUpLibrary(from, copy, false), std::nullopt);
  EXPECT_NE(backUpLibrary(from, copy, false), std::nullopt);  // never over a file without being told

  named.storeName("NEW NAME");
  to.notePreset(named, {SightingKind::Fetched, 1, ""}, 300);
  const std::int64_t there = to.known(std::span(&shared, 1))[0].id;
  to.setNote(there, "my note", 400);
  const ImportReport first = import(copy);
  ASSERT_EQ(first.refused(), 0) << importReportText(first);
  const SoundDetail joined = to.sound(there);
  EXPECT_EQ(joined.sound.newestName, "NEW NAME");
  EXPECT_EQ(joined.sightings.size(), 2u);
  EXPECT_EQ(joined.sound.tags, (std::vector<std::string>{"from copy"}));
  EXPECT_EQ(joined.sound.note, "my note");  // the later note stays
  EXPECT_EQ(test::scalar(to.connection(), "SELECT count(*) FROM sounds"), test::scalar(from.connection(), "SELECT count(*) FROM sounds"));
  const ImportReport second = import(copy);
  EXPECT_NE(importReportText(second).find("nothing new"), std::string::npos) << importReportText(second);
}

}  // namespace
}  // namespace kestralux
