// Import of a mixed folder: a line per file with what it added, what was known and under
// which names, and why a file was refused; progress and a stop half-way.

#include <gtest/gtest.h>

#include <fstream>
#include <thread>

#include "files/PresetFiles.h"
#include "files/Syx.h"
#include "library/LibraryImport.h"
#include "tests/library/LibraryFolder.h"

namespace kestralux {
namespace {

namespace fs = std::filesystem;
using test::freshFolder;
using test::sound;

void put(const fs::path& path, const Bytes& bytes) {
  fs::create_directories(path.parent_path());
  std::ofstream(path, std::ios::binary).write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
}

class LibraryImport : public ::testing::Test {
 protected:
  void SetUp() override {
    folder = freshFolder("import");
    in = folder / "in";
    library.open(folder / "library.sqlite", folder / "history");
    library.notePreset(sound("CLEAN 1", 5), {SightingKind::Fetched, 1, ""}, 10);
    PresetBank bank{};
    bank[0] = sound("MY CLEAN", 5);  // known, under another name
    bank[1] = sound("NEW ONE", 6);
    put(in / "a.bnk", bankFileImage(bank));
    put(in / "sub" / "b.PRE", presetFileImage(sound("DEEP", 7)));
    put(in / "c.syx", presetToSyx(sound("", 8)));
    PresetRecord foreign = sound("ALIEN", 1);
    foreign.setValue(AMP_TYPE, 97);
    put(in / "d.pre", presetFileImage(foreign));
    put(in / "e.bnk", Bytes(10, 1));
    put(in / "f.syx", Bytes{0xF0, 0x01, 0xF7});
    put(in / "notes.txt", Bytes(88, 0));  // not a preset file name: not looked at in a folder
  }
  fs::path folder;
  fs::path in;
  PresetLibrary library;
};

struct ReportRow {
  const char* file;
  int added;
  int known;
  const char* refused;
};

TEST_F(LibraryImport, AMixedFolderGetsALinePerFile) {
  const std::vector<fs::path> paths{in, folder / "missing.bnk", in / "notes.txt"};
  std::vector<std::size_t> progress;
  const ImportReport report = importPaths(library, paths, [&](std::size_t done, std::size_t total, const fs::path&) {
    progress.push_back(done * 100 + total);
    return true;
  }, 500);
  const std::vector<ReportRow> rows{
      {"a.bnk", 1, 1, ""},
      {"c.syx", 1, 0, ""},
      {"d.pre", 0, 0, "not a preset file: preset 1: AMP_TYPE 97"},
      {"e.bnk", 0, 0, "not a preset file: 10 bytes"},
      {"f.syx", 0, 0, "not a preset file"},
      {"b.PRE", 1, 0, ""},
      {"missing.bnk", 0, 0, "no such file or folder"},
      {"notes.txt", 0, 0, "not a preset file (.pre, .bnk, .syx or .kessound) nor a library copy"},
  };
  ASSERT_EQ(report.files.size(), rows.size());
  for (std::size_t n = 0; n < rows.size(); ++n) {
    const FileImport& f = report.files[n];
    EXPECT_EQ(f.path.filename(), rows[n].file);
    EXPECT_EQ(f.added, rows[n].added) << rows[n].file;
    EXPECT_EQ(static_cast<int>(f.known.size()), rows[n].known) << rows[n].file;
    EXPECT_EQ(f.refused.rfind(rows[n].refused, 0), 0u) << rows[n].file << ": " << f.refused;
  }
  EXPECT_EQ(report.files[0].known[0].name, "MY CLEAN");
  EXPECT_EQ(report.files[0].known[0].knownAs, std::vector<std::string>{"CLEAN 1"});
  EXPECT_EQ(progress.size(), rows.size() + 1);
  EXPECT_EQ(progress.back(), 808u);
  const std::string text = importReportText(report);
  EXPECT_NE(text.find("  \"MY CLEAN\" is sound 1, seen as CLEAN 1\n"), std::string::npos) << text;
  EXPECT_NE(text.find("8 files: 3 sounds added, 1 already known, 5 files refused\n"), std::string::npos) << text;
  // The sighting of a known sound is kept: now seen as both names.
  EXPECT_EQ(test::knownOf(library, sound("", 5)).names, (std::vector<std::string>{"CLEAN 1", "MY CLEAN"}));
  EXPECT_EQ(describePlace(library.sound(1).sightings[1].place), "imported from " + (in / "a.bnk").string() + " (preset 1)");
}

TEST_F(LibraryImport, AStopKeepsWhatCameInBeforeIt) {
  const std::vector<fs::path> paths{in};
  const ImportReport report = importPaths(library, paths, [](std::size_t done, std::size_t, const fs::path&) { return done < 2; });
  EXPECT_TRUE(report.cancelled);
  EXPECT_EQ(report.files.size(), 2u);
  EXPECT_EQ(library.search({}).count, 3);  // the sound fetched before, and a.bnk's new one and c.syx's
}

struct CountRow {
  const char* file;
  int added;
  int known;
  const char* damaged;
};

TEST_F(LibraryImport, EveryPresetIsAddedOrKnownAndACutOffBankIsDamaged) {
  const fs::path more = folder / "more";
  PresetBank twice{};
  twice[0] = sound("ONE", 40);
  twice[1] = sound("AGAIN", 40);  // the same sound in the same file
  put(more / "1-twice.bnk", bankFileImage(twice));
  PresetBank cut{};
  for (int n = 0; n < kPresetCount; ++n) cut[static_cast<std::size_t>(n)] = sound("CUT", 50 + n);
  Bytes image = bankFileImage(cut);
  image.resize(11 * kPresetFileSize + 40);  // 11 whole records and a part of the 12th
  put(more / "2-cut.bnk", image);
  PresetBank whole{};
  whole[0] = sound("", 90);
  whole[1] = sound("", 5);  // CLEAN 1, fetched before
  whole[2] = sound("", 91);
  put(more / "3-bank.syx", bankToSyx(whole));
  const std::vector<fs::path> paths{more};
  const ImportReport report = importPaths(library, paths, {}, 600);
  const std::vector<CountRow> rows{
      {"1-twice.bnk", 1, 1, ""},
      {"2-cut.bnk", 11, 0, "11 of 30 whole records"},
      {"3-bank.syx", 2, 1, ""},
  };
  ASSERT_EQ(report.files.size(), rows.size());
  for (std::size_t n = 0; n < rows.size(); ++n) {
    const FileImport& f = report.files[n];
    EXPECT_EQ(f.path.filename(), rows[n].file);
    EXPECT_EQ(f.refused, "") << rows[n].file;
    EXPECT_EQ(f.added, rows[n].added) << rows[n].file;
    EXPECT_EQ(static_cast<int>(f.known.size()), rows[n].known) << rows[n].file;
    EXPECT_EQ(f.damaged, rows[n].damaged) << rows[n].file;
  }
  EXPECT_EQ(report.files[0].known[0].knownAs, std::vector<std::string>{"ONE"});
  const std::string text = importReportText(report);
  EXPECT_NE(text.find("2-cut.bnk: damaged, 11 of 30 whole records; 11 sounds added, 0 already known\n"), std::string::npos) << text;
  EXPECT_NE(text.find("3 files: 14 sounds added, 2 already known, 0 files refused, 1 file damaged\n"), std::string::npos) << text;
  // A whole bank's .syx is a bank: each sighting at its preset's place, as a .bnk's.
  const SoundDetail third = library.sound(test::knownOf(library, sound("", 91)).id);
  ASSERT_EQ(third.sightings.size(), 1u);
  EXPECT_EQ(describePlace(third.sightings[0].place), "imported from " + (more / "3-bank.syx").string() + " (preset 3)");
}

TEST_F(LibraryImport, TwoImportsAtOnceCountEachSoundAddedOnce) {
  const fs::path shared = folder / "shared";
  for (int file = 0; file < 12; ++file) {
    PresetBank bank{};
    // Neighbouring files share half their sounds.
    for (int n = 0; n < kPresetCount; ++n) bank[static_cast<std::size_t>(n)] = sound("S", 60 + file * 15 + n);
    put(shared / ("bank" + std::to_string(10 + file) + ".bnk"), bankFileImage(bank));
  }
  PresetLibrary other;
  ASSERT_EQ(other.open(folder / "library.sqlite", folder / "history").state, LibraryOpening::State::Ready);
  const std::int64_t soundsBefore = library.search({}).count;
  const std::vector<fs::path> paths{shared};
  ImportReport first, second;
  std::thread one([&] { first = importPaths(library, paths); });
  std::thread two([&] { second = importPaths(other, paths); });
  one.join();
  two.join();
  for (const ImportReport* report : {&first, &second}) {
    EXPECT_EQ(report->refused(), 0) << importReportText(*report);
    for (const FileImport& f : report->files) EXPECT_EQ(f.added + static_cast<int>(f.known.size()), kPresetCount) << f.path;
  }
  const std::int64_t soundsAdded = library.search({}).count - soundsBefore;
  EXPECT_EQ(soundsAdded, 11 * 15 + kPresetCount);
  EXPECT_EQ(first.added() + second.added(), soundsAdded);
}

TEST_F(LibraryImport, AFolderThatCannotBeReadIsReportedAndTheRestComesIn) {
  const fs::path tree = folder / "tree";
  put(tree / "open" / "a.pre", presetFileImage(sound("OPEN", 60)));
  put(tree / "locked" / "b.pre", presetFileImage(sound("LOCKED", 61)));
  put(tree / "z.pre", presetFileImage(sound("LAST", 62)));
  fs::permissions(tree / "locked", fs::perms::none);
  test::openToEveryone(folder);
  fs::remove(folder / "library.sqlite");  // the fixture's, which the other user could not write
  const std::optional<std::string> said = test::asUserBoundByPermissions([&] {
    PresetLibrary own;
    own.open(folder / "own.sqlite", folder / "history");
    const std::vector<fs::path> paths{tree};
    const ImportReport report = importPaths(own, paths);
    return std::to_string(report.refused()) + "\n" + importReportText(report);
  });
  fs::permissions(tree / "locked", fs::perms::owner_all);
  if (!said) GTEST_SKIP() << "no user here whom permissions bind";
  EXPECT_EQ(said->substr(0, 2), "1\n") << *said;
  EXPECT_NE(said->find((tree / "locked").string() + ": refused, unreadable folder: Permission denied\n"), std::string::npos) << *said;
  EXPECT_NE(said->find("3 files: 2 sounds added, 0 already known, 1 file refused\n"), std::string::npos) << *said;
}

}  // namespace
}  // namespace kestralux
