#pragma once
// .syx files of preset messages: the store messages the editor sends, one after another, as
// every MIDI librarian and `amidi -s` reads and sends them. A bank is 0x2A then 0x2B 29
// times; a single preset one 0x28. The messages carry no names.

#include <optional>
#include <span>
#include <string>
#include <variant>

#include "files/PresetFiles.h"
#include "model/PresetRecord.h"

namespace kestralux {

Bytes bankToSyx(const PresetBank& bank);
Bytes presetToSyx(const PresetRecord& record);

struct SyxReading {
  // A bank for 0x2A + 29 x 0x2B, a preset for one 0x28; nothing, with `error`, otherwise.
  std::variant<std::monostate, PresetRecord, PresetBank> contents;
  std::string error;  // names the message (1-based) that was refused
};

SyxReading readSyx(std::span<const std::uint8_t> bytes);

}  // namespace kestralux
