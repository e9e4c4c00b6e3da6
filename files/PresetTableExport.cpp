#include "files/PresetTableExport.h"

#include <cstdio>

#include "files/PresetFiles.h"

namespace kestralux {

namespace {
constexpr const char* kLineEnd = "\r\n";
}

void WriteHexByte(std::string& out, std::int32_t value, bool& closing) {
  static constexpr char kDigits[] = "0123456789ABCDEF";
  const auto v = static_cast<std::uint32_t>(value);
  out += '0';
  out += kDigits[(v & 0xF0) >> 4];
  out += kDigits[v & 0x0F];
  out += 'H';
  if (closing) {
    out += ';';
    out += kLineEnd;
  } else {
    out += ',';
  }
  closing = false;
}

std::string presetTableText(const PresetBank& bank) {
  std::string text;
  text.reserve(kExportFileSize);
  text += "COMBO_PRESETS ";
  text += kLineEnd;
  // A counter of its own: the preset on screen stays the current one.
  for (int n = 0; n < kPresetCount; ++n) {
    text += "      DB  ";
    for (int i = 0; i < kParameterCount; ++i) {
      bool closing = i == kParameterCount - 1;
      WriteHexByte(text, bank[static_cast<std::size_t>(n)].value(i), closing);
    }
    text += ";PRESET NUMBER  " + std::to_string(n + 1) + kLineEnd;
  }
  return text;
}

int ExportPresetTable(const PresetBank& bank, const std::filesystem::path& path) {
  const std::string text = presetTableText(bank);
  std::string error;
  // Whole or not at all: a write that fails part way leaves the file that was there.
  if (!writeFileAtomically(path, std::span(reinterpret_cast<const std::uint8_t*>(text.data()), text.size()), error)) {
    std::fputs("Cannot open output file.\n", stderr);
    return 1;
  }
  return 0;
}

}  // namespace kestralux
