#include "protocol/FetchedNames.h"

#include <algorithm>

#include "editor/EditorTables.h"

namespace kestralux {

namespace {

constexpr std::size_t kNameBytes = kNameFieldSize;

bool sameValues(const PresetRecord& a, const PresetRecord& b) {
  for (int i = 0; i < kParameterCount; ++i)
    if (a.value(i) != b.value(i)) return false;
  return true;
}

// A slot that held these values under a name. The window's placeholder, which an older editor
// wrote into records it showed, names nothing.
bool namesIt(const PresetRecord& known, const PresetRecord& came) {
  const std::optional<std::string> name = known.validName();
  return name && *name != kNoPresetHere && sameValues(came, known);
}

}  // namespace

PresetRecord nameFetched(const PresetRecord& came, const PresetRecord& held, const std::optional<PresetRecord>& kept,
                         const NewestName& newestName) {
  PresetRecord named = came;
  for (const PresetRecord* known : {&held, kept ? &*kept : nullptr}) {
    if (known && namesIt(*known, came)) {
      std::copy_n(known->bytes.begin(), kNameBytes, named.bytes.begin());
      return named;
    }
  }
  // Whatever the slot's old name was, it belonged to another sound.
  std::fill_n(named.bytes.begin(), kNameBytes, std::uint8_t{0});
  if (newestName) named.storeName(newestName(came));
  return named;
}

}  // namespace kestralux
