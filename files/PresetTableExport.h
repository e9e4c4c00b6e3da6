#pragma once
// KES_PRE.INC: the bank as an assembler include file for the device's firmware. A label
// line, then for each preset a DB line of its 16 values in hexadecimal and a comment line
// with its number; every line ends in CR LF. The low 8 bits of each value are written, so
// the file is 3,367 bytes whatever the bank holds.

#include <cstdint>
#include <filesystem>
#include <string>

#include "model/PresetRecord.h"

namespace kestralux {

inline constexpr const char* kExportFileName = "KES_PRE.INC";
inline constexpr std::size_t kExportFileSize = 3367;

// One value as "0", two upper-case hexadecimal digits and "H", then "," or, when `closing` is
// set, ";" and the line end; `closing` is cleared after use.
void WriteHexByte(std::string& out, std::int32_t value, bool& closing);

std::string presetTableText(const PresetBank& bank);

// Writes presetTableText to `path`, replacing a file that is there only once the new one is
// whole. Returns 0, or 1 after the line "Cannot open output file.\n" on standard error when
// the file cannot be written.
int ExportPresetTable(const PresetBank& bank, const std::filesystem::path& path = kExportFileName);

}  // namespace kestralux
