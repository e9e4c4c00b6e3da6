#include "link/MessageWords.h"

#include <algorithm>
#include <cstdio>

#include "editor/EditorTables.h"
#include "files/PresetListing.h"
#include "protocol/Sysex.h"

namespace kestralux {

namespace {

constexpr const char* kForeign = "NOT FOR THIS COMBO";
constexpr const char* kCutShort = "CUT SHORT";

bool ourHead(std::span<const std::uint8_t> m) {
  if (m.size() < 6) return false;
  return m[0] == SYSEX_START && std::equal(MANUFACTURER_ID.begin(), MANUFACTURER_ID.end(), m.begin() + 1) && m[4] == MODEL_ID;
}

// A message whose bytes, as far as they go, are our head: it was ours before it lost its end.
bool startOfOurHead(std::span<const std::uint8_t> m) {
  const std::uint8_t head[] = {SYSEX_START, MANUFACTURER_ID[0], MANUFACTURER_ID[1], MANUFACTURER_ID[2], MODEL_ID};
  std::size_t n = m.size();
  if (n > 0 && m[n - 1] == SYSEX_END) --n;
  return n >= 1 && n < 6 && std::equal(m.begin(), m.begin() + static_cast<std::ptrdiff_t>(std::min<std::size_t>(n, 5)), head);
}

// A status byte between the frame's ends: the message is not one of ours.
bool statusInside(std::span<const std::uint8_t> m) {
  const std::size_t end = !m.empty() && m.back() == SYSEX_END ? m.size() - 1 : m.size();
  return std::any_of(m.begin() + 1, m.begin() + static_cast<std::ptrdiff_t>(end), [](std::uint8_t b) { return b >= 0x80; });
}

// Not whole: what is wrong with its length, or nothing when it has its length and its end.
const char* lengthFault(std::span<const std::uint8_t> m, std::size_t size) {
  if (m.size() < size || m.back() != SYSEX_END) return kCutShort;
  if (m.size() > size) return "DAMAGED: TOO LONG";
  return nullptr;
}

std::string liveEditWords(int context, int code, int valueByte) {
  const int parameter = code - 1;
  if (parameter < 0 || parameter >= kParameterCount)
    return "PARAMETER " + std::to_string(code) + " VALUE " + std::to_string(valueByte);
  // The message carries the value's bit 7 and the effect in its context byte for the
  // parameters that need them; a record holding both shows the value as the window does.
  PresetRecord record;
  record.setValue(EFFECT_SELECT, (context >> 1) & 0x0F);
  int value = valueByte;
  if (parameter == DELAY_TIME || parameter == EFF_RATE) value |= (context & 1) << 7;
  record.setValue(parameter, value);
  const auto caption = std::find_if(kParameterCaptions.begin(), kParameterCaptions.end(),
                                    [&](const ParameterCaption& c) { return c.parameter == parameter; });
  return std::string(caption->caption) + " " + shownValue(record, parameter);
}

std::string commandHex(std::uint8_t command) {
  char text[8];
  std::snprintf(text, sizeof text, "0x%02X", command);
  return text;
}

}  // namespace

bool isTransferKind(MessageKind kind) {
  return kind == MessageKind::BankRequest || kind == MessageKind::Preset || kind == MessageKind::Store;
}

MessageMeaning MessageReader::read(MessageDirection direction, const std::string& port, std::span<const std::uint8_t> m) {
  if (startOfOurHead(m)) return {MessageKind::Damaged, kCutShort};
  if (!ourHead(m) || statusInside(m)) return {MessageKind::Foreign, kForeign};
  const std::uint8_t command = m[5];
  if (command == CMD_PARAMETER) {
    if (const char* fault = lengthFault(m, kParameterMessageSize)) return {MessageKind::Damaged, fault};
    const int context = m[6], code = m[7], value = m[8];
    if (code == CODE_REQUEST_BANK) return {MessageKind::BankRequest, "BANK REQUEST"};
    if (code == CODE_STARTUP) return {MessageKind::Startup, "STARTUP"};
    return {MessageKind::LiveEdit, liveEditWords(context, code, value)};
  }
  if (command != CMD_STORE_ONE && command != CMD_BANK_FIRST && command != CMD_BANK_NEXT) return {MessageKind::Foreign, kForeign};

  const bool out = direction == MessageDirection::Out;
  std::string place;
  if (command == CMD_STORE_ONE) {
    place = out ? "STORE ONE" : "PRESET";
  } else {
    int& last = lastInBank_[{direction, port}];
    last = command == CMD_BANK_FIRST ? 1 : last == 0 ? 0 : last + 1;
    const std::string number = last == 0 ? "?" : std::to_string(last);
    place = (out ? "STORE " : "PRESET ") + number + " OF " + std::to_string(kPresetCount);
  }
  const char* fault = lengthFault(m, kPresetMessageSize);
  if (!fault && presetChecksum(m) != m[kChecksumByte]) fault = "DAMAGED: CHECKSUM";
  if (!fault && !isPreset(presetOfMessage(m))) fault = "DAMAGED: VALUES";
  if (fault) return {MessageKind::Damaged, std::string(fault) + " (" + place + ")"};
  return {out ? MessageKind::Store : MessageKind::Preset, out ? place : place + " (" + commandHex(command) + ")"};
}

std::string hexBytes(std::span<const std::uint8_t> message) {
  std::string text;
  char pair[4];
  for (std::uint8_t b : message) {
    std::snprintf(pair, sizeof pair, "%02X", b);
    if (!text.empty()) text += ' ';
    text += pair;
  }
  return text;
}

}  // namespace kestralux
