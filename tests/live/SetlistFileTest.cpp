// The setlist and its file, one table: what a band passes around by hand must come back as the
// same songs with the same sounds, or be refused whole with the line that is wrong.

#include <gtest/gtest.h>

#include <functional>

#include "editor/EditorTables.h"
#include "live/SetlistFile.h"

namespace kestralux {
namespace {

PresetRecord sound(const char* name, int amp, int effect, std::initializer_list<std::pair<int, int>> values = {}) {
  PresetRecord r;
  if (*name) r.storeName(name);
  r.setValue(AMP_TYPE, amp);
  r.setValue(EFFECT_SELECT, effect);
  for (auto [p, v] : values) r.setValue(p, v);
  return r;
}

Song song(std::string title, PresetRecord s, std::string note = "") {
  Song out = songOfSound(s, std::move(title));
  out.note = std::move(note);
  return out;
}

Setlist gig() {
  Setlist s;
  s.name = "Friday at the Anchor";
  s.songs = {song("Hold the Line", sound("CRUNCH 2", 3, 2, {{AMP_GAIN, 21}, {DELAY_TIME, 140}, {EFF_RATE, 90}}), "capo 2"),
             song("Slow Burn", sound("CLEAN", 0, 12, {{EFF_RATE, 1}, {DELAY_PAN, 5}})),
             song("Encore", sound("LEAD", 15, 15, {{AMP_MASTER, 30}, {REV_LEVEL, 12}}))};
  return s;
}

// The file's lines, and the lines put back together.
std::vector<std::string> linesOf(const std::string& text) {
  std::vector<std::string> lines;
  std::size_t start = 0;
  for (std::size_t end; (end = text.find('\n', start)) != std::string::npos; start = end + 1)
    lines.push_back(text.substr(start, end - start));
  return lines;
}
std::string joined(const std::vector<std::string>& lines, const char* ending = "\n") {
  std::string text;
  for (const auto& l : lines) text += l + ending;
  return text;
}
std::string replaced(std::string text, const std::string& from, const std::string& to) {
  const auto at = text.find(from);
  EXPECT_NE(at, std::string::npos) << from;
  if (at != std::string::npos) text.replace(at, from.size(), to);
  return text;
}

// The first song line's KEY=VALUE given another value.
std::string withValue(std::string text, const std::string& key, const std::string& value) {
  const auto at = text.find(" " + key + "=");
  EXPECT_NE(at, std::string::npos) << key;
  if (at == std::string::npos) return text;
  const auto start = at + key.size() + 2;
  const auto end = text[start] == '"' ? text.find('"', start + 1) + 1 : text.find_first_of(" \n", start);
  return text.replace(at, end - at, " " + key + "=" + value);
}

struct FileRow {
  const char* name;
  std::function<std::string()> text;  // the file as it reaches the reader
  std::function<void(const SetlistReading&)> expect;
};

void PrintTo(const FileRow& row, std::ostream* os) { *os << row.name; }

void refusedAt(const SetlistReading& r, int line, const char* reasonPart) {
  EXPECT_FALSE(r.setlist) << "nothing is imported from a file with a bad line";
  ASSERT_TRUE(r.error);
  EXPECT_EQ(r.error->line, line);
  EXPECT_NE(r.error->reason.find(reasonPart), std::string::npos) << r.error->text();
}

const FileRow kFiles[] = {
    {"round trip keeps every song, its note and its sound whole",
     [] { return setlistFileText(gig()); },
     [](const SetlistReading& r) {
       ASSERT_TRUE(r.setlist) << r.error->text();
       EXPECT_EQ(*r.setlist, gig());
     }},
    {"every value of every control under every effect comes back exactly, shown or not",
     [] {
       Setlist s;
       for (const int effect : kEffectCodes)
         for (int v = 0; v <= kLargestValue; ++v) {
           PresetRecord r = sound("X", v % kAmpModelCount, effect);
           for (int p = 0; p < kParameterCount; ++p)
             if (p != AMP_TYPE && p != EFFECT_SELECT) r.setValue(p, v);
           s.songs.push_back(songOfSound(r));
         }
       return setlistFileText(s);
     },
     [](const SetlistReading& r) {
       ASSERT_TRUE(r.setlist) << r.error->text();
       ASSERT_EQ(r.setlist->songs.size(), kEffectCodes.size() * (kLargestValue + 1));
       std::size_t k = 0;
       for (const int effect : kEffectCodes)
         for (int v = 0; v <= kLargestValue; ++v) {
           const PresetRecord& got = r.setlist->songs[k++].sound;
           ASSERT_EQ(got.value(EFFECT_SELECT), effect);
           ASSERT_EQ(got.value(AMP_TYPE), v % kAmpModelCount);
           for (int p = 0; p < kParameterCount; ++p)
             if (p != AMP_TYPE && p != EFFECT_SELECT) {
               ASSERT_EQ(got.value(p), v) << parameterName(p) << " under effect " << effect;
             }
         }
     }},
    {"lines reordered by hand play in their new order",
     [] {
       auto lines = linesOf(setlistFileText(gig()));
       std::swap(lines[2], lines[4]);  // the heading and the name stand first
       return joined(lines);
     },
     [](const SetlistReading& r) {
       ASSERT_TRUE(r.setlist);
       const Setlist g = gig();
       EXPECT_EQ(r.setlist->songs, (std::vector<Song>{g.songs[2], g.songs[1], g.songs[0]}));
     }},
    {"a damaged line refuses the file with its number",
     [] { return withValue(setlistFileText(gig()), "GAIN", "eleven"); },
     [](const SetlistReading& r) { refusedAt(r, 3, "GAIN"); }},
    {"a line that is no song at all is refused, counted with blank lines and comments",
     [] {
       auto lines = linesOf(setlistFileText(gig()));
       lines.insert(lines.begin() + 3, "");
       lines.insert(lines.begin() + 4, "# the slow one");
       lines.insert(lines.begin() + 5, "Slow Burn, the clean sound");
       return joined(lines);
     },
     [](const SetlistReading& r) { refusedAt(r, 6, "title"); }},
    {"a song missing a value is refused: a sound is carried whole or not at all",
     [] { return replaced(setlistFileText(gig()), " TREBLE=", " X="); },
     [](const SetlistReading& r) { refusedAt(r, 3, "\"X\""); }},
    {"a value the combo cannot hold is refused",
     [] { return withValue(setlistFileText(gig()), "AMP", "#16"); },
     [](const SetlistReading& r) { refusedAt(r, 3, "AMP: 16 is not a value the combo holds"); }},
    {"a sound's name beyond Latin-1 is refused, a title beyond it is kept",
     [] { return replaced(replaced(setlistFileText(gig()), "\"CLEAN\"", "\"CLEAN \xE2\x82\xAC\""), "\"Hold", "\"\xE2\x99\xAA Hold"); },
     [](const SetlistReading& r) { refusedAt(r, 4, "name"); }},
    {"names with tabs, quotes, line feeds and Latin-1 letters stay one line and come back",
     [] {
       Setlist s;
       s.name = "Caf\xC3\xA9 \"Noir\"";
       s.songs = {song("Say \"Hi\"\tnow \\ then", sound("CAF\xC9\t\"\xDC\"", 2, 0), "verse 2:\nsolo")};
       return setlistFileText(s);
     },
     [](const SetlistReading& r) {
       ASSERT_TRUE(r.setlist) << r.error->text();
       EXPECT_EQ(r.setlist->name, "Caf\xC3\xA9 \"Noir\"");
       ASSERT_EQ(r.setlist->songs.size(), 1u);
       EXPECT_EQ(r.setlist->songs[0].title, "Say \"Hi\"\tnow \\ then");
       EXPECT_EQ(r.setlist->songs[0].sound.validName(), "CAF\xC9\t\"\xDC\"");
       EXPECT_EQ(r.setlist->songs[0].note, "verse 2:\nsolo");
     }},
    {"an empty setlist keeps its name",
     [] {
       Setlist s;
       s.name = "Soundcheck";
       return setlistFileText(s);
     },
     [](const SetlistReading& r) {
       ASSERT_TRUE(r.setlist);
       EXPECT_EQ(r.setlist->name, "Soundcheck");
       EXPECT_TRUE(r.setlist->songs.empty());
     }},
    {"a file saved on another system: byte order mark, CR LF, no SETLIST line",
     [] {
       auto lines = linesOf(setlistFileText(gig()));
       lines.erase(lines.begin(), lines.begin() + 2);
       return "\xEF\xBB\xBF" + joined(lines, "\r\n");
     },
     [](const SetlistReading& r) {
       ASSERT_TRUE(r.setlist) << r.error->text();
       EXPECT_EQ(r.setlist->name, "fallback");
       EXPECT_EQ(r.setlist->songs, gig().songs);
     }},
    {"a value typed by hand in the window's words takes the nearest position",
     [] {
       return withValue(setlistFileText(gig()), "GAIN", "9.96");
     },
     [](const SetlistReading& r) {
       ASSERT_TRUE(r.setlist) << r.error->text();
       PresetRecord shown = r.setlist->songs[0].sound;
       EXPECT_EQ(soundValueText(shown, AMP_GAIN), "10.00") << "the box's own words for the position typed";
     }},
};

class SetlistFile : public ::testing::TestWithParam<FileRow> {};

TEST_P(SetlistFile, Reads) { GetParam().expect(readSetlistFile(GetParam().text(), "fallback")); }

INSTANTIATE_TEST_SUITE_P(Rows, SetlistFile, ::testing::ValuesIn(kFiles));

// The edits and the name PUT INTO THE BANK gives, in one table of before and after.
struct EditRow {
  const char* name;
  std::function<bool(Setlist&)> edit;
  bool done;
  std::vector<std::string> titles;  // after
};

void PrintTo(const EditRow& row, std::ostream* os) { *os << row.name; }

const EditRow kEdits[] = {
    {"move down", [](Setlist& s) { return moveSong(s, 0, 2); }, true, {"Slow Burn", "Encore", "Hold the Line"}},
    {"move up", [](Setlist& s) { return moveSong(s, 2, 0); }, true, {"Encore", "Hold the Line", "Slow Burn"}},
    {"move past the end", [](Setlist& s) { return moveSong(s, 1, 3); }, false, {"Hold the Line", "Slow Burn", "Encore"}},
    {"add at the end", [](Setlist& s) { return insertSong(s, 3, songOfSound(sound("BONUS", 1, 0))); }, true,
     {"Hold the Line", "Slow Burn", "Encore", "BONUS"}},
    {"add past the end", [](Setlist& s) { return insertSong(s, 4, Song{}); }, false, {"Hold the Line", "Slow Burn", "Encore"}},
    {"remove", [](Setlist& s) { return removeSong(s, 1); }, true, {"Hold the Line", "Encore"}},
};

class SetlistEdits : public ::testing::TestWithParam<EditRow> {};

TEST_P(SetlistEdits, KeepEverySongOrRefuse) {
  Setlist s = gig();
  EXPECT_EQ(GetParam().edit(s), GetParam().done);
  std::vector<std::string> titles;
  for (const Song& song : s.songs) titles.push_back(song.title);
  EXPECT_EQ(titles, GetParam().titles);
}

INSTANTIATE_TEST_SUITE_P(Rows, SetlistEdits, ::testing::ValuesIn(kEdits));

TEST(SetlistSong, CarriesTheSoundAloneAndGoesIntoTheBankNamedByItsTitle) {
  PresetRecord s = sound("LEAD", 4, 6, {{AMP_GAIN, 25}});
  s.setSlot(kReservedSlot, 9);
  s.bytes[15] = 'Z';  // after the name's terminator
  const Song carried = songOfSound(s);
  EXPECT_EQ(carried.title, "LEAD");
  EXPECT_EQ(carried.sound.slot(kReservedSlot), 0);
  EXPECT_EQ(carried.sound.bytes[15], 0);

  struct Case {
    std::string title;
    std::optional<std::string> name;
  };
  for (const Case& c : {Case{"Hold the Line", "Hold the Line"},
                        Case{"A Very Long Song Title Indeed", "A Very Long Song Ti"},
                        Case{"Caf\xC3\xA9 \xE2\x99\xAA", "Caf\xE9 ?"},
                        Case{"", "LEAD"},
                        Case{"   ", "LEAD"}}) {
    Song titled = carried;
    titled.title = c.title;
    const PresetRecord named = soundNamedByTitle(titled);
    EXPECT_EQ(named.validName(), c.name) << c.title;
    EXPECT_TRUE(sameSound(named, carried.sound)) << c.title;
  }

  // Into the bank: the set's sounds in slots 1..n under their titles, the rest as they were.
  PresetBank bank{};
  for (std::size_t n = 0; n < bank.size(); ++n) bank[n] = sound("OLD", 1, 0, {{AMP_GAIN, static_cast<int>(n)}});
  const auto filled = bankWithSetlist(bank, gig());
  ASSERT_TRUE(filled);
  for (std::size_t n = 0; n < 3; ++n) {
    EXPECT_EQ((*filled)[n].validName(), gig().songs[n].title);
    EXPECT_TRUE(sameSound((*filled)[n], gig().songs[n].sound));
  }
  for (std::size_t n = 3; n < bank.size(); ++n) EXPECT_EQ((*filled)[n], bank[n]);
  Setlist tooLong = gig();
  while (tooLong.songs.size() <= bank.size()) tooLong.songs.push_back(gig().songs[0]);
  EXPECT_FALSE(bankWithSetlist(bank, tooLong)) << "31 songs do not fit 30 slots";
  EXPECT_FALSE(bankWithSetlist(bank, Setlist{}));
}

}  // namespace
}  // namespace kestralux
