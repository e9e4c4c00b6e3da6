#include "files/PresetListing.h"

#include <algorithm>
#include <array>
#include <cctype>

#include "editor/EditorTables.h"

namespace kestralux {

namespace {

constexpr int kAdjustMaximum = 30;

std::string trimmed(const std::string& text) {
  const auto first = text.find_first_not_of(' ');
  if (first == std::string::npos) return "";
  return text.substr(first, text.find_last_not_of(' ') - first + 1);
}

std::string latin1ToUtf8(const std::string& latin1) {
  std::string out;
  for (unsigned char c : latin1) {
    if (c < 0x80) {
      out += static_cast<char>(c);
    } else {
      out += static_cast<char>(0xC0 | (c >> 6));
      out += static_cast<char>(0x80 | (c & 0x3F));
    }
  }
  return out;
}

// Pads to `width` display columns; UTF-8 continuation bytes take no column.
std::string cell(const std::string& text, std::size_t width) {
  const auto columns = static_cast<std::size_t>(
      std::count_if(text.begin(), text.end(), [](char c) { return (static_cast<unsigned char>(c) & 0xC0) != 0x80; }));
  return text + std::string(columns < width ? width - columns : 1, ' ');
}

std::string number(std::int32_t value) { return "?" + std::to_string(value); }

std::string upper(std::string s) {
  for (char& c : s) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
  return s;
}

struct Column {
  const char* heading;
  std::size_t width;
  bool upperCase;  // as the window's value box shows it
};

constexpr std::array<Column, 18> kColumns{{
    {"#", 4, false},         {"NAME", 21, false},      {"AMP", 14, false},      {"GAIN", 6, true},
    {"BASS", 6, true},       {"MID", 6, true},         {"TREBLE", 7, true},     {"VOLUME", 7, true},
    {"GATE", 7, true},       {"REVERB", 7, true},      {"D.LEVEL", 8, true},    {"D.REGEN", 8, true},
    {"D.PAN", 7, true},      {"D.TIME", 8, false},     {"EFFECT", 11, false},   {"ADJUST 1", 11, true},
    {"ADJUST 2", 9, false},  {"RATE", 5, false},
}};

std::string stripCell(const PresetRecord& r, std::string_view scrollBar) {
  const StripRow& row = *findStrip(scrollBar);
  const int position = std::clamp(r.value(row.parameter), 0, row.maximum);
  return trimmed(stripText(row, position, TextSource::Handler));
}

}  // namespace

std::string presetListing(std::span<const PresetRecord> presets, int firstNumber) {
  std::string out;
  for (const Column& c : kColumns) out += cell(c.heading, c.width);
  out.back() = '\n';
  int n = firstNumber;
  for (const PresetRecord& r : presets) {
    const int ampType = r.value(AMP_TYPE);
    const int effect = r.value(EFFECT_SELECT);
    const EffectRow* fx = findEffect(effect);
    const std::optional<std::string> name = r.validName();
    const int rateMaximum = effect == EFFECT_ROTARY ? kRotaryRateMaximum : kRateMaximum;
    const bool adjust1 = !fx || fx->adjust1Shown, adjust2 = !fx || fx->adjust2Shown, rate = !fx || fx->rateShown;
    const std::array<std::string, 18> cells{
        std::to_string(n++),
        name ? latin1ToUtf8(*name) : "NO PRESET HERE",
        ampType >= 0 && ampType < static_cast<int>(kAmpModels.size())
            ? std::string(kAmpModels[static_cast<std::size_t>(ampType)].caption)
            : number(ampType),
        stripCell(r, "ScrollGAIN"),
        stripCell(r, "ScrollBASS"),
        stripCell(r, "ScrollMID"),
        stripCell(r, "ScrollTREB"),
        stripCell(r, "ScrollPVOL"),
        stripCell(r, "ScrollGATE"),
        stripCell(r, "ScrollREV"),
        stripCell(r, "ScrollDLVL"),
        stripCell(r, "ScrollDREG"),
        stripCell(r, "ScrollDPAN"),
        stripCell(r, "ScrollDTIME"),
        fx ? trimmed(std::string(fx->caption)) : number(effect),
        adjust1 ? trimmed(effect15Text(effect, std::clamp(r.value(EFF_ADJUST1), 0, kAdjustMaximum))) : "-",
        adjust2 ? trimmed(effect16Text(std::clamp(r.value(EFF_ADJUST2), 0, kAdjustMaximum), TextSource::Handler)) : "-",
        rate ? trimmed(rateText(effect, std::clamp(r.value(EFF_RATE), 0, rateMaximum))) : "-",
    };
    for (std::size_t c = 0; c < cells.size(); ++c)
      out += cell(kColumns[c].upperCase ? upper(cells[c]) : cells[c], kColumns[c].width);
    while (!out.empty() && out.back() == ' ') out.pop_back();
    out += '\n';
  }
  return out;
}

}  // namespace kestralux
