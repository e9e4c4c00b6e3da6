#include "protocol/FetchedNames.h"

#include <algorithm>

namespace kestralux {

namespace {

constexpr std::size_t kNameBytes = kNameFieldSize;

bool sameValues(const PresetRecord& a, const PresetRecord& b) {
  for (int i = 0; i < kParameterCount; ++i)
    if (a.value(i) != b.value(i)) return false;
  return true;
}

}  // namespace

PresetRecord nameFetched(const PresetRecord& came, const PresetRecord& held, const NewestName& newestName) {
  PresetRecord named = came;
  if (sameValues(came, held) && held.validName()) {
    std::copy_n(held.bytes.begin(), kNameBytes, named.bytes.begin());
    return named;
  }
  // Whatever the slot's old name was, it belonged to another sound.
  std::fill_n(named.bytes.begin(), kNameBytes, std::uint8_t{0});
  if (newestName) named.storeName(newestName(came));
  return named;
}

}  // namespace kestralux
