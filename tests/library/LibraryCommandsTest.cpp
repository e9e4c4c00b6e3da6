// kestralux-tool library: each command's lines and exit code, on the test's own data folder.

#include <gtest/gtest.h>

#include <sstream>

#include "files/PresetFiles.h"
#include "files/Syx.h"
#include "tests/library/LibraryFolder.h"
#include "tool/KestraluxTool.h"

namespace kestralux {
namespace {

namespace fs = std::filesystem;

struct CommandRow {
  std::vector<std::string> args;
  int exit;
  std::string out;  // a part of standard output
  std::string err;  // a part of standard error
};

TEST(LibraryCommands, EachCommandSaysWhatItDid) {
  const fs::path data = test::dataHome();
  fs::remove_all(data / "kestralux");
  const fs::path work = test::freshFolder("commands");
  PresetBank bank{};
  bank[0] = test::sound("BRIGHT", 24, 2, 14);
  bank[1] = test::sound("DARK", 3, 2, 0);
  std::string error;
  ASSERT_TRUE(writeFileAtomically(work / "in.bnk", bankFileImage(bank), error));
  ASSERT_TRUE(writeFileAtomically(work / "taken.pre", presetFileImage(bank[1]), error));
  ASSERT_TRUE(writeFileAtomically(work / "forced.pre", presetFileImage(bank[1]), error));
  ASSERT_TRUE(writeFileAtomically(work / "taken.bnk", bankFileImage(bank), error));
  ASSERT_TRUE(writeFileAtomically(work / "forced.bnk", bankFileImage(bank), error));
  // The combo sends no names: BRIGHT seen again, later, without one.
  ASSERT_TRUE(writeFileAtomically(work / "nameless.syx", presetToSyx(bank[0]), error));
  const std::string out1 = (work / "one.pre").string(), taken = (work / "taken.pre").string(), out2 = (work / "two.bnk").string();
  const std::string forced = (work / "forced.pre").string(), takenBank = (work / "taken.bnk").string(),
                    forcedBank = (work / "forced.bnk").string();

  const std::vector<CommandRow> rows{
      {{"library", "import", (work / "in.bnk").string()}, 0, "2 sounds added, 0 already known", ""},
      {{"library", "import", (work / "nameless.syx").string()}, 0, "0 sounds added, 1 already known", ""},
      {{"library", "search"}, 0, "2      DARK", "2 sounds"},
      {{"library", "search", "--sort", "id"}, 0, "1      BRIGHT ", ""},
      {{"library", "search", "brig", "--amp", "brit blues", "--where", "GAIN >= 7"}, 0, "1      BRIGHT               BRIT BLUES    TREMOLO 1   seen 2 times", "1 sound"},
      {{"library", "search", "--where", "GAIN 7"}, 1, "", "\"GAIN 7\": no comparison"},
      {{"library", "search", "--where", "GAIN >= 7", "--where", "depth < 9"}, 0, "HIGH GAIN, MODULATION  GAIN 8.00  DEPTH 0.00\n", "1 sound"},
      {{"library", "search", "--category", "high gain"}, 0, "BRIGHT", "1 sound"},
      {{"library", "search", "--category", "crunch"}, 0, "", "0 sounds"},
      {{"library", "search", "--category", "loud"}, 1, "", "no category \"loud\""},
      {{"library", "category", "2", "fuzz"}, 0, "sound 2: FUZZ, MODULATION (given by hand)", ""},
      {{"library", "search", "--category", "FUZZ"}, 0, "FUZZ, MODULATION (by hand)", "1 sound"},
      {{"library", "category", "2"}, 0, "sound 2: CLEAN, MODULATION (from its values)", ""},
      {{"library", "category", "2", "metal"}, 2, "", "no category \"metal\""},
      {{"library", "search", "--near", "2"}, 0, "", "0 sounds"},
      {{"library", "search", "--near", "9"}, 1, "", "no sound 9 in the library"},
      {{"library", "search", "--sort", "gain", "--limit", "1"}, 0, "1      BRIGHT", "2 sounds"},
      {{"library", "search", "--colour", "red"}, 2, "", "unknown option --colour"},
      {{"library", "show", "1"}, 0, "  GAIN                          8.00\n", ""},
      {{"library", "show", "1"}, 0, "\"BRIGHT\"              imported from", ""},
      {{"library", "show", "9"}, 1, "", "no sound 9 in the library"},
      {{"library", "favourite", "2"}, 0, "sound 2 is a favourite", ""},
      {{"library", "search", "--favourite"}, 0, "DARK", "1 sound"},
      {{"library", "tag", "2", "slow, jazz"}, 0, "sound 2: tags slow, jazz", ""},
      {{"library", "search", "--tag", "JAZZ"}, 0, "DARK", "1 sound"},
      {{"library", "export", "1", out1}, 0, "", "sound 1 written to"},
      {{"library", "export", "1", taken}, 2, "", taken + " exists; nothing written (--force writes over it)"},
      {{"library", "export", "1", forced, "--force"}, 0, "", "sound 1 written to"},
      {{"library", "export", "1", (work / "x.bnk").string()}, 2, "", "write it to a .pre file"},
      {{"library", "bank", "2", "1", out2}, 0, "", "2 sounds written to"},
      {{"library", "bank", "1", takenBank}, 2, "", takenBank + " exists; nothing written"},
      {{"library", "bank", "--force", "2", "1", forcedBank}, 0, "", "2 sounds written to"},
      {{"library", "show", "2"}, 0, "saved to " + out2 + " (preset 1)", ""},
      {{"library", "import", (work / "nothing.bnk").string()}, 1, "refused, no such file or folder", ""},
      {{"library", "frobnicate"}, 2, "", "unknown library command frobnicate"},
  };
  for (const CommandRow& row : rows) {
    std::ostringstream out, err;
    const int exit = runKestraluxTool(row.args, out, err, {});
    std::string line;
    for (const std::string& a : row.args) line += a + " ";
    EXPECT_EQ(exit, row.exit) << line << "\n" << out.str() << err.str();
    EXPECT_NE(out.str().find(row.out), std::string::npos) << line << "\n" << out.str();
    EXPECT_NE(err.str().find(row.err), std::string::npos) << line << "\n" << err.str();
  }
  // Written whole and exactly, under the newest name each sound was given; a file already
  // there kept without --force and replaced with it.
  EXPECT_EQ(readFileStart(work / "one.pre", 100), presetFileImage(bank[0]));
  EXPECT_EQ(readFileStart(work / "taken.pre", 100), presetFileImage(bank[1]));
  EXPECT_EQ(readFileStart(work / "forced.pre", 100), presetFileImage(bank[0]));
  PresetBank expected{};
  expected[0] = bank[1];
  expected[1] = bank[0];
  EXPECT_EQ(readFileStart(work / "two.bnk", 3000), bankFileImage(expected));
  EXPECT_EQ(readFileStart(work / "taken.bnk", 3000), bankFileImage(bank));
  EXPECT_EQ(readFileStart(work / "forced.bnk", 3000), bankFileImage(expected));
}

TEST(LibraryCommands, ALibraryThisUserCannotWriteIsSearchedAndShownAndSaysSoOnce) {
  const fs::path data = test::freshFolder("read-only") / "data";
  const fs::path own = data / "kestralux";
  {
    PresetLibrary library;
    ASSERT_EQ(library.open(own / "library.sqlite", own / "history").state, LibraryOpening::State::Ready);
    library.notePreset(test::sound("KEPT", 12), {SightingKind::Saved, 0, "/k.pre"}, 100);
  }
  ASSERT_FALSE(fs::exists(own / "library.sqlite-shm"));  // closed: nothing of it but the file
  test::openToEveryone(data.parent_path());
  fs::permissions(own, fs::perms::owner_all | fs::perms::group_read | fs::perms::group_exec | fs::perms::others_read |
                           fs::perms::others_exec);
  fs::permissions(own / "library.sqlite", fs::perms::owner_read | fs::perms::owner_write | fs::perms::others_read);
  const Bytes before = readFileStart(own / "library.sqlite", 1 << 20).value_or(Bytes{});
  const std::optional<std::string> said = test::asUserBoundByPermissions([&] {
    ::setenv("XDG_DATA_HOME", data.c_str(), 1);
    std::string lines;
    for (const std::vector<std::string>& args : {std::vector<std::string>{"library", "search"}, {"library", "show", "1"},
                                                 {"library", "favourite", "1"}}) {
      std::ostringstream out, err;
      const int exit = runKestraluxTool(args, out, err, {});
      lines += args[1] + " " + std::to_string(exit) + "\n" + out.str() + err.str() + "--\n";
    }
    return lines;
  });
  if (!said) GTEST_SKIP() << "no user here whom permissions bind";
  const std::string search = said->substr(0, said->find("--\n"));
  EXPECT_EQ(search.rfind("search 0\n", 0), 0u) << *said;
  EXPECT_NE(search.find("1      KEPT"), std::string::npos) << *said;
  const std::string told = "cannot be written by this user: searches work, but nothing new will be kept";
  EXPECT_NE(search.find(told), std::string::npos) << *said;
  EXPECT_EQ(search.find(told), search.rfind(told)) << "said once: " << *said;
  EXPECT_NE(said->find("show 0\nsound 1  \"KEPT\""), std::string::npos) << *said;
  EXPECT_NE(said->find("favourite 1\n"), std::string::npos) << *said;
  EXPECT_NE(said->find("the library cannot be written"), std::string::npos) << *said;
  EXPECT_EQ(readFileStart(own / "library.sqlite", 1 << 20), before);
}

}  // namespace
}  // namespace kestralux
