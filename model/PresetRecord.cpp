#include "model/PresetRecord.h"

#include <algorithm>
#include <cstring>

namespace kestralux {

std::int32_t PresetRecord::slot(int n) const {
  const std::size_t at = static_cast<std::size_t>(n) * 4;
  const std::uint32_t u = std::uint32_t{bytes[at]} | std::uint32_t{bytes[at + 1]} << 8 |
                          std::uint32_t{bytes[at + 2]} << 16 | std::uint32_t{bytes[at + 3]} << 24;
  return static_cast<std::int32_t>(u);
}

void PresetRecord::setSlot(int n, std::int32_t value) {
  const std::size_t at = static_cast<std::size_t>(n) * 4;
  const auto u = static_cast<std::uint32_t>(value);
  bytes[at] = static_cast<std::uint8_t>(u);
  bytes[at + 1] = static_cast<std::uint8_t>(u >> 8);
  bytes[at + 2] = static_cast<std::uint8_t>(u >> 16);
  bytes[at + 3] = static_cast<std::uint8_t>(u >> 24);
}

std::optional<std::string> PresetRecord::validName() const {
  const auto end = bytes.begin() + kNameFieldSize;
  const auto terminator = std::find(bytes.begin(), end, std::uint8_t{0});
  const auto length = static_cast<std::size_t>(terminator - bytes.begin());
  if (terminator == end || length == 0) return std::nullopt;
  std::string name(bytes.begin(), terminator);
  const auto upper = [](char c) { return c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c; };
  if (std::equal(name.begin(), name.end(), kNoPresetHere.begin(), kNoPresetHere.end(),
                 [&](char a, char b) { return upper(a) == b; }))
    return std::nullopt;
  return name;
}

bool PresetRecord::storeName(std::string_view latin1) {
  if (latin1.empty() || latin1.size() > kMaxNameLength) return false;
  std::memcpy(bytes.data(), latin1.data(), latin1.size());
  bytes[latin1.size()] = 0;
  return true;
}

bool sameSound(const PresetRecord& a, const PresetRecord& b) {
  for (int n = kFirstParameterSlot; n < kSlotCount; ++n)
    if (a.slot(n) != b.slot(n)) return false;
  return true;
}

const char* parameterName(int index) {
  static constexpr std::array<const char*, kParameterCount> names{
      "AMP_TYPE",   "AMP_GAIN",   "AMP_MASTER", "AMP_BASS",      "AMP_MID",     "AMP_TREBLE",
      "REV_LEVEL",  "DELAY_LEVEL", "DELAY_REGEN", "DELAY_PAN",   "DELAY_TIME",  "EFF_RATE",
      "GATE_THRES", "EFFECT_SELECT", "EFF_ADJUST1", "EFF_ADJUST2"};
  return index >= 0 && index < kParameterCount ? names[static_cast<std::size_t>(index)] : "?";
}

std::optional<PresetFault> presetFault(const PresetRecord& record) {
  for (int i = 0; i < kParameterCount; ++i) {
    const std::int32_t v = record.value(i);
    bool fits = v >= 0 && v <= kLargestValue;
    if (i == AMP_TYPE) fits = v >= 0 && v < kAmpModelCount;
    if (i == EFFECT_SELECT) fits = std::find(kEffectCodes.begin(), kEffectCodes.end(), v) != kEffectCodes.end();
    if (!fits) return PresetFault{i, v};
  }
  return std::nullopt;
}

}  // namespace kestralux
