// The window's words for every kind of message, from literal byte images, and what the
// monitor's filters show.

#include <gtest/gtest.h>

#include <sstream>
#include <string>
#include <vector>

#include "editor/EditorTables.h"
#include "link/MessageWords.h"
#include "link/MonitorLog.h"

using namespace kestralux;

namespace {

using Bytes = std::vector<std::uint8_t>;

Bytes hex(const std::string& text) {
  Bytes bytes;
  std::istringstream in(text);
  unsigned b;
  while (in >> std::hex >> b) bytes.push_back(static_cast<std::uint8_t>(b));
  return bytes;
}

// AMP_TYPE 3, GAIN 100, ..., DELAY_TIME 200, EFFECT_SELECT 2 (flanger); checksum 0x52.
const std::string kBankFirst = "F0 00 00 4B 06 2A 03 00 64 00 50 00 0F 00 0F 00 0F 00 14 00 0A 00 05 00 10 00 48 01 28 00 09 00 02 00 0C 00 07 00 52 F7";
const std::string kBankNext  = "F0 00 00 4B 06 2B 03 00 64 00 50 00 0F 00 0F 00 0F 00 14 00 0A 00 05 00 10 00 48 01 28 00 09 00 02 00 0C 00 07 00 52 F7";
const std::string kStoreOne  = "F0 00 00 4B 06 28 03 00 64 00 50 00 0F 00 0F 00 0F 00 14 00 0A 00 05 00 10 00 48 01 28 00 09 00 02 00 0C 00 07 00 52 F7";
// The same with amp model 20, which the combo has not (checksum 0x45, right for those bytes).
const std::string kNoAmpModel = "F0 00 00 4B 06 2B 14 00 64 00 50 00 0F 00 0F 00 0F 00 14 00 0A 00 05 00 10 00 48 01 28 00 09 00 02 00 0C 00 07 00 45 F7";
const std::string kWrongSum  = "F0 00 00 4B 06 2B 03 00 64 00 50 00 0F 00 0F 00 0F 00 14 00 0A 00 05 00 10 00 48 01 28 00 09 00 02 00 0C 00 07 00 53 F7";
// Byte 20 lost on the way.
const std::string kShort     = "F0 00 00 4B 06 2B 03 00 64 00 50 00 0F 00 0F 00 0F 00 14 0A 00 05 00 10 00 48 01 28 00 09 00 02 00 0C 00 07 00 52 F7";

struct WordsRow {
  const char* name;
  MessageDirection direction;
  std::vector<std::string> before;  // read first, on the same port
  std::string message;
  MessageKind kind;
  std::string words;
};

const MessageDirection In = MessageDirection::In, Out = MessageDirection::Out;

const WordsRow kWords[] = {
    {"gain", Out, {}, "F0 00 00 4B 06 42 00 02 12 F7", MessageKind::LiveEdit, "GAIN 6.00"},
    {"gate with its live context", Out, {}, "F0 00 00 4B 06 42 09 0D 1E F7", MessageKind::LiveEdit, "GATE 0DB"},
    {"delay time carries bit 7 in its context", Out, {}, "F0 00 00 4B 06 42 01 0B 48 F7", MessageKind::LiveEdit, "DELAY TIME 800 ms"},
    {"amp model by its caption", Out, {}, "F0 00 00 4B 06 42 00 01 03 F7", MessageKind::LiveEdit,
     "AMP MODEL " + std::string(kAmpModels[3].caption)},
    {"effect select by its caption", Out, {}, "F0 00 00 4B 06 42 00 0E 02 F7", MessageKind::LiveEdit, "EFFECT SELECT FLANGER"},
    {"effect adjust 1 in the context's effect", Out, {}, "F0 00 00 4B 06 42 0C 0F 0F F7", MessageKind::LiveEdit, "EFFECT ADJUST 1 0 CENTS"},
    {"rotary rate", Out, {}, "F0 00 00 4B 06 42 18 0C 01 F7", MessageKind::LiveEdit, "RATE FAST"},
    {"a code no control has", Out, {}, "F0 00 00 4B 06 42 00 28 03 F7", MessageKind::LiveEdit, "PARAMETER 40 VALUE 3"},
    {"bank request", Out, {}, "F0 00 00 4B 06 42 00 37 00 F7", MessageKind::BankRequest, "BANK REQUEST"},
    {"greeting", Out, {}, "F0 00 00 4B 06 42 00 00 00 F7", MessageKind::Startup, "STARTUP"},
    {"first preset of a bank", In, {}, kBankFirst, MessageKind::Preset, "PRESET 1 OF 30 (0x2A)"},
    {"seventh preset", In, {kBankFirst, kBankNext, kBankNext, kBankNext, kBankNext, kBankNext}, kBankNext, MessageKind::Preset,
     "PRESET 7 OF 30 (0x2B)"},
    {"a damaged preset holds its place", In, {kBankFirst, kWrongSum}, kBankNext, MessageKind::Preset, "PRESET 3 OF 30 (0x2B)"},
    {"a new bank starts again at 1", In, {kBankFirst, kBankNext}, kBankFirst, MessageKind::Preset, "PRESET 1 OF 30 (0x2A)"},
    {"a next preset without a first", In, {}, kBankNext, MessageKind::Preset, "PRESET ? OF 30 (0x2B)"},
    {"single preset from the combo", In, {}, kStoreOne, MessageKind::Preset, "PRESET (0x28)"},
    {"seventh store", Out, {kBankFirst, kBankNext, kBankNext, kBankNext, kBankNext, kBankNext}, kBankNext, MessageKind::Store,
     "STORE 7 OF 30"},
    {"store of one", Out, {}, kStoreOne, MessageKind::Store, "STORE ONE"},
    {"wrong checksum", In, {kBankFirst}, kWrongSum, MessageKind::Damaged, "DAMAGED: CHECKSUM (PRESET 2 OF 30)"},
    {"a byte lost", In, {kBankFirst}, kShort, MessageKind::Damaged, "CUT SHORT (PRESET 2 OF 30)"},
    {"without its end", In, {}, "F0 00 00 4B 06 2A 03 00 64", MessageKind::Damaged, "CUT SHORT (PRESET 1 OF 30)"},
    {"a byte too many", In, {}, kBankFirst.substr(0, kBankFirst.size() - 3) + " 00 F7", MessageKind::Damaged,
     "DAMAGED: TOO LONG (PRESET 1 OF 30)"},
    {"an amp model the combo has not", In, {kBankFirst}, kNoAmpModel, MessageKind::Damaged, "DAMAGED: VALUES (PRESET 2 OF 30)"},
    {"edit cut short", Out, {}, "F0 00 00 4B 06 42 00 02 F7", MessageKind::Damaged, "CUT SHORT"},
    {"only the head left", In, {}, "F0 00 00 4B F7", MessageKind::Damaged, "CUT SHORT"},
    {"another maker", In, {}, "F0 00 00 4C 06 42 00 02 12 F7", MessageKind::Foreign, "NOT FOR THIS COMBO"},
    {"another model", In, {}, "F0 00 00 4B 07 42 00 02 12 F7", MessageKind::Foreign, "NOT FOR THIS COMBO"},
    {"a command of no meaning", In, {}, "F0 00 00 4B 06 11 00 F7", MessageKind::Foreign, "NOT FOR THIS COMBO"},
    {"a status byte inside", In, {}, "F0 00 00 4B 06 42 00 90 12 F7", MessageKind::Foreign, "NOT FOR THIS COMBO"},
    {"identity reply", In, {}, "F0 7E 7F 06 02 00 F7", MessageKind::Foreign, "NOT FOR THIS COMBO"},
    {"not sysex", In, {}, "90 40 7F", MessageKind::Foreign, "NOT FOR THIS COMBO"},
    {"nothing", In, {}, "", MessageKind::Foreign, "NOT FOR THIS COMBO"},
};

}  // namespace

TEST(MessageWords, EveryKindOfMessage) {
  for (const WordsRow& row : kWords) {
    SCOPED_TRACE(row.name);
    MessageReader reader;
    // What another port carries never moves this port's count.
    reader.read(row.direction, "other port", hex(kBankFirst));
    for (const std::string& b : row.before) reader.read(row.direction, "port", hex(b));
    const MessageMeaning meaning = reader.read(row.direction, "port", hex(row.message));
    EXPECT_EQ(meaning.kind, row.kind);
    EXPECT_EQ(meaning.words, row.words);
  }
}

TEST(MessageWords, LineWithAndWithoutBytes) {
  MonitorLine line{1234, MessageDirection::In, "KESTRALUX MIDI OUT", {MessageKind::BankRequest, "BANK REQUEST"}, hex("F0 00 F7")};
  EXPECT_EQ(lineText(line, false), "   1234 ms  IN     3  BANK REQUEST  from KESTRALUX MIDI OUT");
  line.direction = MessageDirection::Out;
  EXPECT_EQ(lineText(line, true), "   1234 ms  OUT    3  BANK REQUEST  to KESTRALUX MIDI OUT: F0 00 F7");
}

namespace {

struct FilterRow {
  const char* name;
  MonitorFilter filter;
  MessageDirection direction;
  std::string message;
  bool shown;
};

MonitorFilter with(void (*change)(MonitorFilter&)) {
  MonitorFilter f;
  change(f);
  return f;
}

const FilterRow kFilters[] = {
    {"live edits are hidden at first", {}, Out, "F0 00 00 4B 06 42 00 02 12 F7", false},
    {"live edits on", with([](MonitorFilter& f) { f.liveEdits = true; }), Out, "F0 00 00 4B 06 42 00 02 12 F7", true},
    {"transfers at first", {}, In, kBankFirst, true},
    {"transfers off", with([](MonitorFilter& f) { f.transfers = false; }), Out, "F0 00 00 4B 06 42 00 37 00 F7", false},
    {"in off", with([](MonitorFilter& f) { f.in = false; }), In, kBankFirst, false},
    {"out off, an in shows", with([](MonitorFilter& f) { f.out = false; }), In, kBankFirst, true},
    {"damaged at first", {}, In, kWrongSum, true},
    {"damaged only hides the whole", with([](MonitorFilter& f) { f.damagedOnly = true; }), In, kBankFirst, false},
    {"damaged only shows a damaged one", with([](MonitorFilter& f) { f.damagedOnly = true; }), In, kWrongSum, true},
    {"foreign at first", {}, In, "F0 7E 7F 06 02 00 F7", true},
};

}  // namespace

TEST(MonitorLog, FiltersShow) {
  const auto opened = std::chrono::steady_clock::time_point{};
  for (const FilterRow& row : kFilters) {
    SCOPED_TRACE(row.name);
    MonitorLog log(opened);
    log.setFilter(row.filter);
    log.take({opened, row.direction, "port", hex(row.message)});
    EXPECT_EQ(log.shownCount(), row.shown ? 1u : 0u);
  }
}

TEST(MonitorLog, KeepsTheNewestTenThousandAndSavesWhatItShows) {
  const auto opened = std::chrono::steady_clock::time_point{};
  MonitorLog log(opened);
  const Bytes request = hex("F0 00 00 4B 06 42 00 37 00 F7");
  const Bytes edit = hex("F0 00 00 4B 06 42 00 02 12 F7");
  MonitorLog::Change last;
  for (int i = 0; i < 10001; ++i)
    last = log.take({opened + std::chrono::milliseconds(i), MessageDirection::Out, "port", i % 2 ? edit : request});
  EXPECT_EQ(log.lineCount(), MonitorLog::kMostLines);
  // The oldest line, a shown request, went from the top as the newest came.
  EXPECT_EQ(last.removedAtFront, 1u);
  EXPECT_EQ(last.appended, 1u);
  EXPECT_EQ(log.shownCount(), 5000u);
  EXPECT_EQ(log.shown(0).ms, 2);
  const std::size_t rows[] = {0, 1};
  Bytes two = request;
  two.insert(two.end(), request.begin(), request.end());
  EXPECT_EQ(log.syx(rows), two);
  EXPECT_EQ(log.text(std::span<const std::size_t>(rows, 1), false), "      2 ms  OUT   10  BANK REQUEST  to port\n");
  // The hidden edits were kept: a filter that shows them lists every line.
  MonitorFilter all;
  all.liveEdits = true;
  log.setFilter(all);
  EXPECT_EQ(log.shownCount(), MonitorLog::kMostLines);
  log.clear();
  EXPECT_EQ(log.shownCount(), 0u);
}
