#include "files/Syx.h"

#include <algorithm>
#include <vector>

#include "protocol/Sysex.h"

namespace kestralux {

namespace {

void append(Bytes& out, const PresetMessage& m) { out.insert(out.end(), m.begin(), m.end()); }

// Why a message is not a preset message of ours, or "" when it is one.
std::string refusal(std::span<const std::uint8_t> m) {
  if (m.size() != kPresetMessageSize)
    return std::to_string(m.size()) + " bytes, a preset message has " + std::to_string(kPresetMessageSize);
  const bool ours = m[0] == SYSEX_START && std::equal(MANUFACTURER_ID.begin(), MANUFACTURER_ID.end(), m.begin() + 1) &&
                    m[4] == MODEL_ID &&
                    std::all_of(m.begin() + 1, m.end() - 1, [](std::uint8_t b) { return b < 0x80; });
  if (!ours) return "not a KESTRALUX message";
  if (m[5] != CMD_STORE_ONE && m[5] != CMD_BANK_FIRST && m[5] != CMD_BANK_NEXT) return "not a preset message";
  if (!isOurPresetMessage(m)) return "damaged (wrong checksum)";
  // Each value's high byte carries one bit; anything else would not come back the same.
  for (std::size_t i = 7; i < kChecksumByte; i += 2)
    if (m[i] > 1) return "byte " + std::to_string(i) + " holds " + std::to_string(m[i]) + " where a value carries one bit";
  if (const auto fault = presetFault(presetOfMessage(m)))
    return std::string("not a preset: ") + parameterName(fault->parameter) + " " + std::to_string(fault->value);
  return "";
}

}  // namespace

Bytes bankToSyx(const PresetBank& bank) {
  Bytes out;
  out.reserve(kPresetCount * kPresetMessageSize);
  for (int n = 0; n < kPresetCount; ++n)
    append(out, buildPresetMessage(n == 0 ? CMD_BANK_FIRST : CMD_BANK_NEXT, bank[static_cast<std::size_t>(n)]));
  return out;
}

Bytes presetToSyx(const PresetRecord& record) {
  Bytes out;
  append(out, buildPresetMessage(CMD_STORE_ONE, record));
  return out;
}

SyxReading readSyx(std::span<const std::uint8_t> bytes) {
  SyxReading reading;
  const auto fail = [&](std::size_t number, const std::string& why) {
    reading.error = "message " + std::to_string(number) + ": " + why;
    return reading;
  };
  std::vector<std::span<const std::uint8_t>> messages;
  for (std::size_t at = 0; at < bytes.size();) {
    if (bytes[at] != SYSEX_START) return fail(messages.size() + 1, "does not start with F0");
    const auto end = std::find(bytes.begin() + static_cast<std::ptrdiff_t>(at), bytes.end(), SYSEX_END);
    if (end == bytes.end()) return fail(messages.size() + 1, "has no closing F7");
    const std::size_t length = static_cast<std::size_t>(end - bytes.begin()) + 1 - at;
    messages.push_back(bytes.subspan(at, length));
    at += length;
  }
  if (messages.empty()) {
    reading.error = "no preset message";
    return reading;
  }
  for (std::size_t k = 0; k < messages.size(); ++k)
    if (const std::string why = refusal(messages[k]); !why.empty()) return fail(k + 1, why);

  if (messages.size() == 1 && messages[0][5] == CMD_STORE_ONE) {
    PresetRecord record;
    DecodeDump(messages[0], record);
    reading.contents = record;
    return reading;
  }
  for (std::size_t k = 0; k < messages.size(); ++k) {
    const std::uint8_t expected = k == 0 ? CMD_BANK_FIRST : CMD_BANK_NEXT;
    if (messages[k][5] != expected)
      return fail(k + 1, k == 0 ? "a bank starts with 0x2A" : "a bank goes on with 0x2B");
  }
  if (messages.size() != kPresetCount) {
    reading.error = std::to_string(messages.size()) + " presets, a bank has " + std::to_string(kPresetCount);
    return reading;
  }
  PresetBank bank{};
  for (std::size_t k = 0; k < messages.size(); ++k) DecodeDump(messages[k], bank[k]);
  reading.contents = bank;
  return reading;
}

}  // namespace kestralux
