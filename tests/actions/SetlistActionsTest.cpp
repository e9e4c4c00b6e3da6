// The setlists window's actions over a real library: each change is one undo step, undo and
// redo give back exactly what was there, and the library holds what the window shows.

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "actions/SetlistActions.h"
#include "library/LibrarySetlists.h"
#include "tests/PresetValues.h"
#include "tests/actions/RecordedActions.h"
#include "tests/library/LibraryFolder.h"

namespace kestralux {
namespace {

Song song(const std::string& title, int n) {
  Song s;
  s.title = title;
  s.sound.storeName("SOUND " + std::to_string(n));
  s.sound.setValue(AMP_GAIN, n * 3 % 90);
  test::makePreset(s.sound, n);
  return s;
}

// "NAME: A B C | NAME2: ..." in the list's order: what the window would show.
std::string shown(const std::vector<Setlist>& setlists) {
  std::string text;
  for (const Setlist& set : setlists) {
    if (!text.empty()) text += " | ";
    text += set.name + ":";
    for (const Song& s : set.songs) text += " " + s.title + (s.note.empty() ? "" : "(" + s.note + ")");
  }
  return text;
}

// The same, in the order of the names: the library keeps no order of its setlists.
std::string byName(std::vector<Setlist> setlists) {
  std::stable_sort(setlists.begin(), setlists.end(), [](const Setlist& a, const Setlist& b) { return a.name < b.name; });
  return shown(setlists);
}

std::string libraryHolds(PresetLibrary& library) {
  std::vector<Setlist> kept;
  for (const SetlistSummary& summary : listSetlists(library).setlists) kept.push_back(*loadSetlist(library, summary.id).setlist);
  return byName(kept);
}

struct ChangeRow {
  const char* name;
  std::function<std::string(SetlistActions&)> change;
  const char* after;  // the list as shown after the change; before it is kBefore
  const char* said;
};

constexpr const char* kBefore = "FRIDAY: A B C D | SATURDAY: X";

const ChangeRow kRows[] = {
    {"make", [](SetlistActions& a) { return a.make(); }, "FRIDAY: A B C D | SATURDAY: X | SETLIST 1:", "SETLIST 1 MADE"},
    {"rename", [](SetlistActions& a) { return a.rename(1, "Sunday"); }, "FRIDAY: A B C D | Sunday: X", "RENAMED SUNDAY"},
    {"copy", [](SetlistActions& a) { return a.copy(0); }, "FRIDAY: A B C D | SATURDAY: X | FRIDAY COPY: A B C D",
     "COPIED AS FRIDAY COPY"},
    {"delete", [](SetlistActions& a) { return a.remove(0); }, "SATURDAY: X", "FRIDAY DELETED"},
    {"add songs in the middle", [](SetlistActions& a) { return a.addSongs(0, 1, {song("N", 7), song("M", 8)}); },
     "FRIDAY: A N M B C D | SATURDAY: X", "2 SONGS ADDED"},
    {"remove songs", [](SetlistActions& a) { return a.removeSongs(0, {3, 0}); }, "FRIDAY: B C | SATURDAY: X",
     "2 SONGS REMOVED"},
    {"drag two songs down", [](SetlistActions& a) { return a.moveSongs(0, {0, 2}, 4); }, "FRIDAY: B D A C | SATURDAY: X",
     "2 SONGS MOVED TO 3"},
    {"drag a song up", [](SetlistActions& a) { return a.moveSongs(0, {3}, 1); }, "FRIDAY: A D B C | SATURDAY: X",
     "1 SONG MOVED TO 2"},
    {"Ctrl+Down", [](SetlistActions& a) { return a.nudgeSong(0, 1, +1); }, "FRIDAY: A C B D | SATURDAY: X",
     "SONG MOVED TO 3"},
    {"Ctrl+Up", [](SetlistActions& a) { return a.nudgeSong(0, 1, -1); }, "FRIDAY: B A C D | SATURDAY: X", "SONG MOVED TO 1"},
    {"F2 on a title", [](SetlistActions& a) { return a.setTitle(0, 2, "Ça \"plane\""); },
     "FRIDAY: A B Ça \"plane\" D | SATURDAY: X", "SONG 3 RETITLED"},
    {"F2 on a note", [](SetlistActions& a) { return a.setNote(1, 0, "capo 2"); }, "FRIDAY: A B C D | SATURDAY: X(capo 2)",
     "NOTE OF SONG 1 CHANGED"},
    {"import", [](SetlistActions& a) { return a.importText(a.exportText(1), "other.setlist"); },
     "FRIDAY: A B C D | SATURDAY: X | SATURDAY: X", "SATURDAY IMPORTED, 1 SONG"},
};

TEST(SetlistActions, EachChangeIsKeptAndIsOneUndoStep) {
  for (const ChangeRow& row : kRows) {
    SCOPED_TRACE(row.name);
    const auto folder = test::freshFolder("setlists");
    PresetLibrary library;
    library.open(folder / "library.sqlite", folder / "history");
    test::RecordedActions e;
    {
      SetlistActions seed(e.actions, &library);
      seed.make();
      seed.rename(0, "FRIDAY");
      seed.addSongs(0, 0, {song("A", 1), song("B", 2), song("C", 3), song("D", 4)});
      seed.make();
      seed.rename(1, "SATURDAY");
      seed.addSongs(1, 0, {song("X", 5)});
    }
    SetlistActions actions(e.actions, &library);
    ASSERT_EQ(actions.reload(), "");
    ASSERT_EQ(shown(actions.setlists()), kBefore);
    EXPECT_FALSE(actions.canUndo());

    EXPECT_EQ(row.change(actions), row.said);
    EXPECT_EQ(shown(actions.setlists()), row.after);
    EXPECT_EQ(libraryHolds(library), byName(actions.setlists())) << "the library holds what is shown";

    EXPECT_EQ(actions.undo(), std::string("UNDO: ") + (std::string(row.name) == "import" ? "SATURDAY IMPORTED" : row.said));
    EXPECT_EQ(shown(actions.setlists()), kBefore);
    EXPECT_EQ(libraryHolds(library), kBefore);
    EXPECT_FALSE(actions.canUndo()) << "one step";

    actions.redo();
    EXPECT_EQ(shown(actions.setlists()), row.after);
    EXPECT_EQ(libraryHolds(library), byName(actions.setlists()));
    // Undone again after a redo that gave a deleted or made setlist a new id.
    actions.undo();
    EXPECT_EQ(libraryHolds(library), kBefore);
  }
}

TEST(SetlistActions, ADamagedFileImportsNothing) {
  test::RecordedActions e;
  SetlistActions actions(e.actions, nullptr);
  actions.make();
  actions.addSongs(0, 0, {song("A", 1), song("B", 2)});
  std::string text = actions.exportText(0);
  const auto badLine = std::count(text.begin(), text.end(), '\n') + 1;
  text += "this is not a song\n";
  const std::string said = actions.importText(text, "broken.setlist");
  EXPECT_EQ(said.rfind("NOTHING IMPORTED: LINE " + std::to_string(badLine) + ":", 0), 0u) << said;
  EXPECT_EQ(actions.setlists().size(), 1u);
}

TEST(SetlistActions, PutIntoTheBankIsOneStepOfTheEditorNamedByTitles) {
  test::RecordedActions e;
  for (int n = 0; n < kPresetCount; ++n) test::makePreset(e.state.bank[static_cast<std::size_t>(n)], n);
  const PresetBank before = e.state.bank;
  SetlistActions actions(e.actions, nullptr);
  actions.make();
  actions.addSongs(0, 0, {song("Hold the Line", 11), song("", 12)});
  EXPECT_EQ(actions.putIntoBank(0), "THE SET IS IN SLOTS 1-2, STORE ALL PUTS IT INTO THE COMBO");
  EXPECT_EQ(e.state.bank[0].validName(), "Hold the Line");
  EXPECT_EQ(e.state.bank[1].validName(), "SOUND 12") << "an untitled song keeps its sound's name";
  EXPECT_EQ(e.state.bank[0].value(AMP_GAIN), song("", 11).sound.value(AMP_GAIN));
  EXPECT_EQ(e.state.bank[2], before[2]);
  e.actions.undo();
  EXPECT_EQ(e.state.bank, before) << "one undo step gives the bank back";

  actions.make();
  std::vector<Song> many;
  for (int n = 0; n < kPresetCount + 1; ++n) many.push_back(song("S" + std::to_string(n), n));
  actions.addSongs(1, 0, many);
  EXPECT_EQ(actions.putIntoBank(1), "31 SONGS DO NOT FIT THE BANK'S 30 SLOTS");
  EXPECT_EQ(e.state.bank, before);
}

}  // namespace
}  // namespace kestralux
