#pragma once
// The bank sheet: the presets of a bank (or of a .pre) on paper or in a spreadsheet, every
// parameter by the window's caption and value as the window shows it, the effect's controls
// only where the effect has them. What `kestralux-tool sheet` and FILE > EXPORT BANK SHEET...
// write.

#include <optional>
#include <span>
#include <string>
#include <string_view>

#include "model/PresetRecord.h"

namespace kestralux {

enum class SheetFormat {
  Text,  // aligned columns of fixed widths, so that two sheets compare line by line
  Csv,   // RFC 4180: a header row, CRLF line ends, quoted where a field needs it
  Html,  // one self-contained page: no network, no script; reflows on a phone, ten presets a printed page
};

// "text", "csv" or "html".
std::optional<SheetFormat> sheetFormatNamed(std::string_view name);
// ".txt", ".csv" or ".html".
std::string_view sheetExtension(SheetFormat format);

// The sheet in UTF-8, presets numbered from 1. `title` (UTF-8) heads the HTML page, say the
// file's name. `withNames` is false for presets that carry none (from the combo or a .syx):
// their name column stays empty.
std::string bankSheet(std::span<const PresetRecord> presets, SheetFormat format, std::string_view title,
                      bool withNames = true);

}  // namespace kestralux
