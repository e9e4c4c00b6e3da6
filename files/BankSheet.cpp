#include "files/BankSheet.h"

#include <algorithm>
#include <array>
#include <vector>

#include "editor/EditorTables.h"
#include "files/PresetDiff.h"
#include "files/PresetListing.h"

namespace kestralux {

namespace {

constexpr std::size_t kPresetsPerPage = 10;

struct Cell {
  std::string purpose;  // what an effect control adjusts ("DEPTH"); empty for the others
  std::string value;
  bool absent = false;  // a control the preset's effect does not have
  std::string joined() const { return purpose.empty() ? value : purpose + " " + value; }
};

Cell parameterCell(const PresetRecord& r, int parameter) {
  if (!effectHasControl(r.value(EFFECT_SELECT), parameter)) return {"", "", true};
  const bool adjust = parameter == EFF_ADJUST1 || parameter == EFF_ADJUST2;
  return {adjust ? adjustPurpose(r, parameter) : "", shownValue(r, parameter)};
}

// Control characters in a name would break a line of the text sheet or the page's markup.
std::string printableName(const std::string& latin1) {
  std::string name = latin1;
  for (char& c : name) {
    const auto byte = static_cast<unsigned char>(c);
    if (byte < 0x20 || (byte >= 0x7F && byte < 0xA0)) c = '?';
  }
  return utf8OfLatin1(name);
}

std::string nameOf(const PresetRecord& r, bool withNames, bool printable) {
  if (!withNames) return "";
  const std::optional<std::string> name = r.validName();
  if (!name) return std::string(kNoName);
  return printable ? printableName(*name) : utf8OfLatin1(*name);
}

std::size_t columnsOf(const std::string& utf8) {
  return static_cast<std::size_t>(
      std::count_if(utf8.begin(), utf8.end(), [](char c) { return (static_cast<unsigned char>(c) & 0xC0) != 0x80; }));
}

// ---- text ----

// Each column as wide as its widest possible value, whatever the bank holds, so that a change
// of one preset changes one line of the sheet.
const std::array<std::size_t, kParameterCount>& parameterWidths() {
  static const std::array<std::size_t, kParameterCount> widths = [] {
    std::array<std::size_t, kParameterCount> w{};
    for (std::size_t k = 0; k < kParameterCaptions.size(); ++k) {
      const int parameter = kParameterCaptions[k].parameter;
      w[k] = kParameterCaptions[k].caption.size();
      // Only the effect's own controls read differently for each effect.
      const bool byEffect = parameter == EFF_ADJUST1 || parameter == EFF_ADJUST2 || parameter == EFF_RATE;
      for (const int effect : std::span(kEffectCodes).first(byEffect ? kEffectCodes.size() : 1))
        for (int value = 0; value <= (parameter == AMP_TYPE ? kAmpModelCount - 1 : kLargestValue); ++value) {
          PresetRecord r;
          r.setValue(EFFECT_SELECT, effect);
          r.setValue(parameter, value);
          w[k] = std::max(w[k], columnsOf(parameterCell(r, parameter).joined()));
        }
    }
    return w;
  }();
  return widths;
}

void addTextCell(std::string& line, const std::string& text, std::size_t width) {
  line += text;
  line.append(width + 2 - std::min(width + 1, columnsOf(text)), ' ');
}

std::string textSheet(std::span<const PresetRecord> presets, bool withNames) {
  constexpr std::size_t kNumberWidth = 2, kNameWidth = kMaxNameLength;
  const auto& widths = parameterWidths();
  const auto finish = [](std::string& out, std::string& line) {
    line.erase(line.find_last_not_of(' ') + 1);
    out += line + "\n";
    line.clear();
  };
  std::string out, line;
  addTextCell(line, "#", kNumberWidth);
  addTextCell(line, "NAME", kNameWidth);
  for (std::size_t k = 0; k < kParameterCaptions.size(); ++k) addTextCell(line, std::string(kParameterCaptions[k].caption), widths[k]);
  finish(out, line);
  for (std::size_t n = 0; n < presets.size(); ++n) {
    std::string number = std::to_string(n + 1);
    line = std::string(kNumberWidth - std::min(kNumberWidth, number.size()), ' ') + number + "  ";
    addTextCell(line, nameOf(presets[n], withNames, true), kNameWidth);
    for (std::size_t k = 0; k < kParameterCaptions.size(); ++k) {
      const Cell cell = parameterCell(presets[n], kParameterCaptions[k].parameter);
      addTextCell(line, cell.absent ? "-" : cell.joined(), widths[k]);
    }
    finish(out, line);
  }
  return out;
}

// ---- CSV ----

std::string csvField(const std::string& text) {
  if (text.find_first_of(",\"\r\n") == std::string::npos) return text;
  std::string quoted = "\"";
  for (char c : text) quoted += c == '"' ? std::string("\"\"") : std::string(1, c);
  return quoted + "\"";
}

// A spreadsheet takes a cell that begins with one of these as a formula; the apostrophe makes
// it text, so a name can never compute anything.
std::string csvName(std::string name) {
  if (!name.empty() && std::string_view("=+-@").find(name.front()) != std::string_view::npos) name.insert(0, 1, '\'');
  return csvField(name);
}

std::string csvSheet(std::span<const PresetRecord> presets, bool withNames) {
  std::string out = "#,NAME";
  for (const auto& [parameter, caption] : kParameterCaptions) out += "," + csvField(std::string(caption));
  out += "\r\n";
  for (std::size_t n = 0; n < presets.size(); ++n) {
    // An empty cell, not the dash, which a spreadsheet would take as the start of a formula.
    const std::string name = presets[n].validName() ? nameOf(presets[n], withNames, false) : std::string();
    out += std::to_string(n + 1) + "," + csvName(name);
    for (const auto& [parameter, caption] : kParameterCaptions) out += "," + csvField(parameterCell(presets[n], parameter).joined());
    out += "\r\n";
  }
  return out;
}

// ---- HTML ----

std::string escaped(std::string_view text) {
  std::string out;
  for (char c : text) {
    switch (c) {
      case '&': out += "&amp;"; break;
      case '<': out += "&lt;"; break;
      case '>': out += "&gt;"; break;
      case '"': out += "&quot;"; break;
      case '\'': out += "&#39;"; break;
      default: out += c;
    }
  }
  return out;
}

// A table on a wide screen and on paper, ten presets a page; on a narrow screen each preset
// becomes a card of captioned values, so nothing needs scrolling sideways.
constexpr std::string_view kStyle = R"(
:root { color-scheme: light; }
body { font-family: "Liberation Sans", Arial, Helvetica, sans-serif; margin: 1em; color: #111; background: #fff; }
h1 { font-size: 1.25em; margin: 0 0 .6em; }
.page { overflow-x: auto; }
.page + .page { break-before: page; margin-top: 1.5em; }
table { border-collapse: collapse; font-size: .8em; width: 100%; }
th, td { border: 1px solid #b8b8b8; padding: .25em .4em; text-align: left; vertical-align: top; white-space: nowrap; }
thead th { background: #e4e4e4; font-size: .85em; white-space: normal; vertical-align: bottom; }
tbody tr:nth-child(even) { background: #f5f5f5; }
td.num { text-align: right; }
td.name { font-weight: bold; }
.purpose { color: #555; font-size: .85em; }
tr { break-inside: avoid; }
@page { size: A4 landscape; margin: 10mm; }
@media print {
  body { margin: 0; font-size: 9pt; }
  .page { overflow: visible; margin-top: 0; }
  table { font-size: 1em; }
  th, td { padding: .5em .35em; white-space: normal; }
  thead th, tbody tr:nth-child(even) { print-color-adjust: exact; -webkit-print-color-adjust: exact; }
}
@media screen and (max-width: 60em) {
  table, tbody, tr, td { display: block; }
  thead { display: none; }
  table { font-size: 1em; }
  tr { display: flex; flex-wrap: wrap; gap: .4em 1em; border: 1px solid #b8b8b8; border-radius: .4em; margin: 0 0 .8em; padding: .6em; }
  tbody tr:nth-child(even) { background: none; }
  td { border: none; padding: 0; white-space: normal; flex: 1 1 8.5em; }
  td::before { content: attr(data-label); display: block; font-size: .7em; color: #666; }
  td.num, td.name { font-size: 1.1em; }
  td.num { flex: 0 0 auto; }
  td.num::before { content: "#"; display: inline; font-size: 1em; color: inherit; }
  td.name { flex: 1 1 60%; }
  td.name::before { content: none; }
  td.absent { display: none; }
}
)";

std::string htmlSheet(std::span<const PresetRecord> presets, std::string_view title, bool withNames) {
  std::string head = "<tr><th>#</th><th>NAME</th>";
  for (const auto& [parameter, caption] : kParameterCaptions) head += "<th>" + escaped(caption) + "</th>";
  head += "</tr>";

  std::string out = "<!DOCTYPE html>\n<html lang=\"en\">\n<head>\n<meta charset=\"utf-8\">\n"
                    "<meta name=\"viewport\" content=\"width=device-width, initial-scale=1\">\n<title>KESTRALUX bank sheet: " +
                    escaped(title) + "</title>\n<style>" + std::string(kStyle) + "</style>\n</head>\n<body>\n";
  out += "<h1>KESTRALUX bank sheet: " + escaped(title) + "</h1>\n";
  for (std::size_t first = 0; first < presets.size(); first += kPresetsPerPage) {
    out += "<div class=\"page\">\n<table>\n<thead>" + head + "</thead>\n<tbody>\n";
    for (std::size_t n = first; n < std::min(presets.size(), first + kPresetsPerPage); ++n) {
      const PresetRecord& r = presets[n];
      out += "<tr><td class=\"num\">" + std::to_string(n + 1) + "</td><td class=\"name\">" +
             escaped(nameOf(r, withNames, true)) + "</td>";
      for (const auto& [parameter, caption] : kParameterCaptions) {
        const Cell cell = parameterCell(r, parameter);
        out += "<td data-label=\"" + escaped(caption) + "\"" + (cell.absent ? " class=\"absent\">" : ">");
        if (!cell.purpose.empty()) out += "<span class=\"purpose\">" + escaped(cell.purpose) + "</span> ";
        out += escaped(cell.value) + "</td>";
      }
      out += "</tr>\n";
    }
    out += "</tbody>\n</table>\n</div>\n";
  }
  return out + "</body>\n</html>\n";
}

}  // namespace

std::optional<SheetFormat> sheetFormatNamed(std::string_view name) {
  if (name == "text") return SheetFormat::Text;
  if (name == "csv") return SheetFormat::Csv;
  if (name == "html") return SheetFormat::Html;
  return std::nullopt;
}

std::string_view sheetExtension(SheetFormat format) {
  switch (format) {
    case SheetFormat::Csv: return ".csv";
    case SheetFormat::Html: return ".html";
    case SheetFormat::Text: break;
  }
  return ".txt";
}

std::string bankSheet(std::span<const PresetRecord> presets, SheetFormat format, std::string_view title, bool withNames) {
  switch (format) {
    case SheetFormat::Csv: return csvSheet(presets, withNames);
    case SheetFormat::Html: return htmlSheet(presets, title, withNames);
    case SheetFormat::Text: break;
  }
  return textSheet(presets, withNames);
}

}  // namespace kestralux
