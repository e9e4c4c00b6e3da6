// The name a preset that came in a fetch takes, for each thing the slot and the library may
// know: the values never change, only the name.

#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <optional>
#include <string>

#include "protocol/FetchedNames.h"

namespace kestralux {
namespace {

PresetRecord sound(int gain, const char* name = nullptr) {
  PresetRecord r;
  for (int i = 0; i < kParameterCount; ++i) r.setValue(i, 3);
  r.setValue(AMP_GAIN, gain);
  r.setSlot(kReservedSlot, 0x0BADCAFE);
  if (name) r.storeName(name);
  return r;
}

PresetRecord withValue(PresetRecord r, int parameter, int value) {
  r.setValue(parameter, value);
  return r;
}

// A name field that held a longer name before a shorter one: bytes after the terminator.
PresetRecord withOldBytes(PresetRecord r, const char* name) {
  r.storeName("LEFTOVER BYTES HERE");
  r.storeName(name);
  return r;
}

TEST(FetchedNames, TheSlotsNameForItsOwnValuesElseTheLibrarysNewestElseNone) {
  struct Row {
    const char* what;
    PresetRecord came;  // as decoded into the slot: the slot's old name bytes still there
    PresetRecord held;  // in this run
    std::optional<PresetRecord> kept;    // in the newest history entry of the combo's bank
    std::map<int, std::string> library;  // by AMP_GAIN: the newest name the library has
    std::string name;                    // "" for no name
  };
  const Row rows[] = {
      {"the combo sent back what the slot held: its name stays", sound(5, "CLEAN CHIME"), sound(5, "CLEAN CHIME"), {},
       {{5, "OLDER NAME"}}, "CLEAN CHIME"},
      {"its own values, but the slot had no name: the library names it", sound(5), sound(5), {}, {{5, "CRUNCH"}}, "CRUNCH"},
      {"other values: the slot's name belonged to another sound", sound(7, "CLEAN CHIME"), sound(5, "CLEAN CHIME"), {},
       {{7, "LEAD"}}, "LEAD"},
      {"only the last control differs: still another sound", withValue(sound(5), EFF_ADJUST2, 4), sound(5, "CLEAN CHIME"),
       sound(5, "CLEAN B COPY"), {}, ""},
      {"other values the library does not know: no name", sound(7, "CLEAN CHIME"), sound(5, "CLEAN CHIME"), {},
       {{5, "CLEAN CHIME"}}, ""},
      {"no library at all", sound(7, "CLEAN CHIME"), sound(5, "CLEAN CHIME"), {}, {}, ""},
      {"the held name's bytes after its end come along", withOldBytes(sound(5), "AB"), withOldBytes(sound(5), "AB"), {}, {},
       "AB"},
      {"nothing known in this run: the history's slot names its twin, not the library's newest", sound(5), PresetRecord{},
       sound(5, "CLEAN A"), {{5, "CLEAN B COPY"}}, "CLEAN A"},
      {"this run's name comes before the history's", sound(5), sound(5, "RENAMED"), sound(5, "CLEAN A"), {{5, "LEAD"}},
       "RENAMED"},
      {"this run's slot held other values: the history's still fits", sound(5), sound(7, "LEAD"), sound(5, "CLEAN A"), {},
       "CLEAN A"},
      {"the history's slot held other values: the library names it", sound(5), PresetRecord{}, sound(7, "CLEAN A"),
       {{5, "CRUNCH"}}, "CRUNCH"},
      {"the window's placeholder, as an older editor kept it, names nothing", sound(5), PresetRecord{},
       sound(5, "NO PRESET HERE"), {{5, "CRUNCH"}}, "CRUNCH"},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.what);
    const NewestName newest = [&](const PresetRecord& r) {
      const auto it = row.library.find(r.value(AMP_GAIN));
      return it == row.library.end() ? std::string() : it->second;
    };
    const PresetRecord named = nameFetched(row.came, row.held, row.kept, newest);
    EXPECT_EQ(named.validName().value_or(""), row.name);
    for (int n = kFirstParameterSlot; n < kSlotCount; ++n) EXPECT_EQ(named.slot(n), row.came.slot(n)) << "slot " << n;
    if (row.name.empty()) {
      EXPECT_TRUE(std::all_of(named.bytes.begin(), named.bytes.begin() + kNameFieldSize, [](std::uint8_t b) { return b == 0; }))
          << "nothing of another sound's name is left";
    } else if (row.name == row.held.validName().value_or("")) {
      EXPECT_TRUE(std::equal(named.bytes.begin(), named.bytes.begin() + kNameFieldSize, row.held.bytes.begin()));
    }
  }
}

}  // namespace
}  // namespace kestralux
