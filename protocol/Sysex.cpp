#include "protocol/Sysex.h"

#include <algorithm>

namespace kestralux {

namespace {

// How a parameter's context byte is formed; E is the effect code, h bit 7 of the value.
enum class Context { Zero, Nine, H, EH, E, ENext };

struct ContextRule {
  Context live;
  Context whole;
};

// One row per parameter index, AMP_TYPE first.
constexpr std::array<ContextRule, kParameterCount> kContextRules{{
    {Context::Zero, Context::Zero},   // AMP_TYPE
    {Context::Zero, Context::Zero},   // AMP_GAIN
    {Context::Zero, Context::Zero},   // AMP_MASTER
    {Context::Zero, Context::Zero},   // AMP_BASS
    {Context::Zero, Context::Zero},   // AMP_MID
    {Context::Zero, Context::Zero},   // AMP_TREBLE
    {Context::Zero, Context::Zero},   // REV_LEVEL
    {Context::Zero, Context::Zero},   // DELAY_LEVEL
    {Context::Zero, Context::Zero},   // DELAY_REGEN
    {Context::Zero, Context::Zero},   // DELAY_PAN
    {Context::H, Context::EH},        // DELAY_TIME
    {Context::EH, Context::EH},       // EFF_RATE
    {Context::Nine, Context::Zero},   // GATE_THRES
    {Context::Zero, Context::Zero},   // EFFECT_SELECT
    {Context::E, Context::E},         // EFF_ADJUST1
    {Context::ENext, Context::E},     // EFF_ADJUST2
}};

// Unsigned arithmetic: a value loaded from a file may be any 32-bit number, and only the low
// bits survive the masks anyway.
std::uint8_t apply(Context rule, int effect, int value) {
  const unsigned e = static_cast<unsigned>(effect);
  const unsigned h = (static_cast<unsigned>(value) & 0x80u) >> 7;
  switch (rule) {
    case Context::Zero: return 0;
    case Context::Nine: return 9;
    case Context::H: return static_cast<std::uint8_t>(h);
    case Context::EH: return static_cast<std::uint8_t>(((e << 1) | h) & 0x1Fu);
    case Context::E: return static_cast<std::uint8_t>((e << 1) & 0x1Eu);
    case Context::ENext: return static_cast<std::uint8_t>(((e + 1) << 1) & 0x1Eu);
  }
  return 0;
}

void writeFrameHead(std::uint8_t* out, std::uint8_t command) {
  out[0] = SYSEX_START;
  std::copy(MANUFACTURER_ID.begin(), MANUFACTURER_ID.end(), out + 1);
  out[4] = MODEL_ID;
  out[5] = command;
}

}  // namespace

std::uint8_t contextByte(int index, SendPath path, int effect, int value) {
  const ContextRule& rule = kContextRules.at(static_cast<std::size_t>(index));
  return apply(path == SendPath::Live ? rule.live : rule.whole, effect, value);
}

std::uint8_t valueByte(int value) { return static_cast<std::uint8_t>(value & 0x7F); }

ParameterMessage buildParameterMessage(int context, int code, int value) {
  ParameterMessage m{};
  writeFrameHead(m.data(), CMD_PARAMETER);
  m[6] = static_cast<std::uint8_t>(context);
  m[7] = static_cast<std::uint8_t>(code);
  m[8] = valueByte(value);
  m[9] = SYSEX_END;
  return m;
}

PresetMessage buildPresetMessage(std::uint8_t command, const PresetRecord& record) {
  PresetMessage m{};
  writeFrameHead(m.data(), command);
  for (int i = 0; i < kParameterCount; ++i) {
    const std::int32_t v = record.value(i);
    m[static_cast<std::size_t>(6 + 2 * i)] = static_cast<std::uint8_t>(v & 0x7F);
    m[static_cast<std::size_t>(7 + 2 * i)] = static_cast<std::uint8_t>((v & 0x80) >> 7);
  }
  m[kChecksumByte] = presetChecksum(m);
  m[39] = SYSEX_END;
  return m;
}

std::uint8_t presetChecksum(std::span<const std::uint8_t> message) {
  std::uint8_t c = 0;
  for (std::size_t i = 6; i < kChecksumByte && i < message.size(); ++i) c ^= message[i];
  return c;
}

bool isOurPresetMessage(std::span<const std::uint8_t> message) {
  if (message.size() != kPresetMessageSize) return false;
  const bool framed = message[0] == SYSEX_START && message[39] == SYSEX_END &&
                      std::equal(MANUFACTURER_ID.begin(), MANUFACTURER_ID.end(), message.begin() + 1) &&
                      message[4] == MODEL_ID;
  const std::uint8_t command = message[5];
  const bool preset = command == CMD_STORE_ONE || command == CMD_BANK_FIRST || command == CMD_BANK_NEXT;
  return framed && preset && presetChecksum(message) == message[kChecksumByte];
}

void DecodeDump(std::span<const std::uint8_t> message, PresetRecord& record) {
  for (int i = 0; i < kParameterCount; ++i) {
    const int lo = message[static_cast<std::size_t>(6 + 2 * i)] & 0x7F;
    const int hi = message[static_cast<std::size_t>(7 + 2 * i)] & 1;
    record.setValue(i, lo | (hi << 7));
  }
}

PresetRecord presetOfMessage(std::span<const std::uint8_t> message) {
  PresetRecord record;
  DecodeDump(message, record);
  return record;
}

std::optional<PresetMessage> presetMessageInSlot(const RxSlot& slot) {
  if (slot.length != kPresetMessageSize || !slot.endsWithF7) return std::nullopt;
  PresetMessage m{};
  std::copy(slot.data.begin(), slot.data.begin() + kPresetMessageSize - 1, m.begin());
  m[kPresetMessageSize - 1] = SYSEX_END;
  if (!isOurPresetMessage(m)) return std::nullopt;
  return m;
}

bool DecodeReceivedDump(const RxSlot& slot, PresetRecord& record) {
  const std::optional<PresetMessage> message = presetMessageInSlot(slot);
  if (!message) return false;
  DecodeDump(*message, record);
  return true;
}

}  // namespace kestralux
