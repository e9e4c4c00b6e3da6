// The name a preset that came in a fetch takes, for each thing the slot and the library may
// know: the values never change, only the name.

#include <gtest/gtest.h>

#include <algorithm>
#include <map>
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
    PresetRecord held;
    std::map<int, std::string> library;  // by AMP_GAIN: the newest name the library has
    std::string name;                    // "" for no name
  };
  const Row rows[] = {
      {"the combo sent back what the slot held: its name stays", sound(5, "CLEAN CHIME"), sound(5, "CLEAN CHIME"),
       {{5, "OLDER NAME"}}, "CLEAN CHIME"},
      {"its own values, but the slot had no name: the library names it", sound(5), sound(5), {{5, "CRUNCH"}}, "CRUNCH"},
      {"other values: the slot's name belonged to another sound", sound(7, "CLEAN CHIME"), sound(5, "CLEAN CHIME"),
       {{7, "LEAD"}}, "LEAD"},
      {"other values the library does not know: no name", sound(7, "CLEAN CHIME"), sound(5, "CLEAN CHIME"),
       {{5, "CLEAN CHIME"}}, ""},
      {"no library at all", sound(7, "CLEAN CHIME"), sound(5, "CLEAN CHIME"), {}, ""},
      {"the held name's bytes after its end come along", withOldBytes(sound(5), "AB"), withOldBytes(sound(5), "AB"), {},
       "AB"},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.what);
    const NewestName newest = [&](const PresetRecord& r) {
      const auto it = row.library.find(r.value(AMP_GAIN));
      return it == row.library.end() ? std::string() : it->second;
    };
    const PresetRecord named = nameFetched(row.came, row.held, newest);
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
