#include "sim/VirtualKestralux.h"

#include <algorithm>
#include <array>
#include <cctype>
#include <cstdio>

#include "editor/EditorTables.h"
#include "files/PresetFiles.h"

namespace kestralux {

namespace {

std::string hex(int byte) {
  char text[3];
  std::snprintf(text, sizeof text, "%02X", byte & 0xFF);
  return text;
}

// The first bytes of a message we ignore, enough to tell what it was.
std::string preview(std::span<const std::uint8_t> message) {
  constexpr std::size_t kShown = 12;
  std::string text = std::to_string(message.size()) + " bytes:";
  for (std::size_t i = 0; i < message.size() && i < kShown; ++i) text += " " + hex(message[i]);
  if (message.size() > kShown) text += " ...";
  return text;
}

VirtualKestralux::Reception ignored(const std::string& why, std::span<const std::uint8_t> message) {
  return {VirtualKestralux::Kind::Ignored, "ignored: " + why + " (" + preview(message) + ")", {}};
}

// F0, our manufacturer and model bytes, F7 at the end, and nothing with bit 7 in between:
// a data byte of 0x80 or more would have ended the message on a real MIDI line.
bool framedAsOurs(std::span<const std::uint8_t> message) {
  if (message.size() < 7 || message.front() != SYSEX_START || message.back() != SYSEX_END) return false;
  if (!std::equal(MANUFACTURER_ID.begin(), MANUFACTURER_ID.end(), message.begin() + 1)) return false;
  if (message[4] != MODEL_ID) return false;
  return std::all_of(message.begin() + 1, message.end() - 1, [](std::uint8_t b) { return b < 0x80; });
}

std::string presetNumber(int record) { return "preset " + std::to_string(record + 1); }

}  // namespace

const char* parameterNameOfCode(int code) {
  if (code < 1 || code > kParameterCount) return "";
  return parameterName(code - 1);
}

VirtualKestralux::VirtualKestralux(const PresetBank& bank) : VirtualKestralux(bank, AnswerShape{}) {}
VirtualKestralux::VirtualKestralux(const PresetBank& bank, AnswerShape shape, int current)
    : bank_(bank), shape_(shape), current_(std::clamp(current, 0, kPresetCount - 1)), sound_(bank_[static_cast<std::size_t>(current_)]) {}

std::vector<PresetMessage> VirtualKestralux::bankAnswer() const {
  std::vector<PresetMessage> answer;
  answer.reserve(kPresetCount);
  for (int n = 0; n < kPresetCount; ++n)
    answer.push_back(buildPresetMessage(n == 0 ? CMD_BANK_FIRST : CMD_BANK_NEXT, bank_[static_cast<std::size_t>(n)]));
  return answer;
}

std::optional<int> steppedParameterOfCaption(std::string_view caption) {
  const auto upper = [](std::string_view text) {
    std::string u(text);
    for (char& c : u) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    return u;
  };
  for (const auto& [parameter, name] : kParameterCaptions)
    if (parameter != EFFECT_SELECT && upper(name) == upper(caption)) return parameter;
  return std::nullopt;
}

std::vector<PresetMessage> VirtualKestralux::shapedAnswer() const {
  if (shape_.silent || (faults_.silentAfterStore && stored_)) return {};
  std::vector<PresetMessage> answer = bankAnswer();
  answer.resize(static_cast<std::size_t>(std::clamp(shape_.count, 0, kPresetCount)));
  if (shape_.damaged >= 1 && static_cast<std::size_t>(shape_.damaged) <= answer.size())
    answer[static_cast<std::size_t>(shape_.damaged - 1)][kChecksumByte] ^= 0x01;
  return answer;
}

VirtualKestralux::Reception VirtualKestralux::receive(std::span<const std::uint8_t> message) {
  if (message.empty()) return ignored("empty message", message);
  if (message.front() != SYSEX_START) return ignored("not a SysEx message", message);
  if (!framedAsOurs(message)) return ignored("not a message of ours", message);
  const std::uint8_t command = message[5];
  if (command == CMD_PARAMETER) {
    if (message.size() != kParameterMessageSize) return ignored("parameter message of wrong length", message);
    return receiveParameter(message);
  }
  if (command == CMD_STORE_ONE || command == CMD_BANK_FIRST || command == CMD_BANK_NEXT) {
    if (!isOurPresetMessage(message)) return ignored("preset message of wrong length or checksum", message);
    return receivePreset(message);
  }
  return ignored("unknown command " + hex(command), message);
}

VirtualKestralux::Reception VirtualKestralux::receiveParameter(std::span<const std::uint8_t> message) {
  const int context = message[6];
  const int code = message[7];
  int value = message[8];
  if (code == CODE_STARTUP) {
    ++startups_;
    return {Kind::Startup, "start-up", {}};
  }
  if (code == CODE_REQUEST_BANK) {
    std::vector<PresetMessage> answer = shapedAnswer();
    std::string description = "bank request: answering with " + std::to_string(answer.size()) + " presets";
    if (shape_.damaged >= 1 && static_cast<std::size_t>(shape_.damaged) <= answer.size())
      description += ", preset " + std::to_string(shape_.damaged) + " damaged";
    return {Kind::BankRequest, std::move(description), std::move(answer)};
  }
  if (code < 1 || code > kParameterCount) return ignored("unknown parameter code " + hex(code), message);
  const int index = code - 1;
  // The two parameters wider than 7 bits carry their bit 7 in bit 0 of the context.
  if (index == DELAY_TIME || index == EFF_RATE) value |= (context & 1) << 7;
  const std::string description = std::string("param ") + parameterNameOfCode(code) + " ctx=" + hex(context) +
                                  " code=" + hex(code) + " value=" + std::to_string(value);
  PresetRecord alone{};
  alone.setValue(index, value);
  if (presetFault(alone)) return ignored(description + ", a value the combo has no control for", message);
  sound_.setValue(index, value);
  return {Kind::Parameter, description, {}};
}

VirtualKestralux::Reception VirtualKestralux::receivePreset(std::span<const std::uint8_t> message) {
  const std::uint8_t command = message[5];
  int record = current_;
  std::string what;
  // Where this message stands in a store-all: a lost one is as if never sent.
  if (command == CMD_BANK_FIRST)
    storePosition_ = 1;
  else if (command == CMD_BANK_NEXT && storePosition_ > 0)
    ++storePosition_;
  if (command != CMD_STORE_ONE && faults_.loseStore > 0 && storePosition_ == faults_.loseStore) {
    faults_.loseStore = 0;
    return {Kind::Ignored, "store-all message " + std::to_string(storePosition_) + " lost on purpose", {}};
  }
  if (command == CMD_BANK_FIRST) {
    record = 0;
    what = "store-all first 0x2A";
  } else if (command == CMD_BANK_NEXT) {
    if (!storeCursor_) return ignored("0x2B without a preceding 0x2A", message);
    if (*storeCursor_ >= kPresetCount - 1) return ignored("0x2B beyond the last preset", message);
    record = *storeCursor_ + 1;
    what = "store-all next 0x2B";
  } else {
    what = "store-one 0x28";
  }
  if (command != CMD_STORE_ONE) storeCursor_ = record;
  // Refused, but in a store-all it still holds its place, so the presets after it go to
  // their own slots; and a bank written on exit always loads again.
  if (const auto fault = presetFault(presetOfMessage(message)))
    return ignored(what + ": " + describe(RecordFault{record, *fault}), message);
  PresetRecord& slot = bank_[static_cast<std::size_t>(record)];
  DecodeDump(message, slot);
  stored_ = true;
  if (record == faults_.stuckSlot && faults_.stuckParameter >= 0) {
    // One step off, always within the control's range: down, or up from its lowest value.
    const int value = slot.value(faults_.stuckParameter);
    slot.setValue(faults_.stuckParameter, value > 0 ? value - 1 : value + 1);
    what += ", " + std::string(parameterName(faults_.stuckParameter)) + " kept one step off on purpose";
  }
  return {Kind::StoredPreset, what + " -> " + presetNumber(record), {}};
}

}  // namespace kestralux
