#include "files/PresetListing.h"

#include <algorithm>
#include <array>
#include <cctype>

#include "editor/EditorTables.h"

namespace kestralux {

namespace {


std::string trimmed(const std::string& text) {
  const auto first = text.find_first_not_of(' ');
  if (first == std::string::npos) return "";
  return text.substr(first, text.find_last_not_of(' ') - first + 1);
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
  int parameter;  // -1 for the number and the name
};

constexpr std::array<Column, 18> kColumns{{
    {"#", 4, -1},                  {"NAME", 21, -1},            {"AMP", 14, AMP_TYPE},
    {"GAIN", 6, AMP_GAIN},         {"BASS", 6, AMP_BASS},       {"MID", 6, AMP_MID},
    {"TREBLE", 7, AMP_TREBLE},     {"VOLUME", 7, AMP_MASTER},   {"GATE", 7, GATE_THRES},
    {"REVERB", 7, REV_LEVEL},      {"D.LEVEL", 8, DELAY_LEVEL}, {"D.REGEN", 8, DELAY_REGEN},
    {"D.PAN", 7, DELAY_PAN},       {"D.TIME", 8, DELAY_TIME},   {"EFFECT", 11, EFFECT_SELECT},
    {"ADJUST 1", 11, EFF_ADJUST1}, {"ADJUST 2", 9, EFF_ADJUST2}, {"RATE", 5, EFF_RATE},
}};

}  // namespace

std::string utf8OfLatin1(const std::string& latin1) {
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

std::string shownValue(const PresetRecord& r, int parameter) {
  const int effect = r.value(EFFECT_SELECT);
  switch (parameter) {
    case AMP_TYPE: {
      const int amp = r.value(AMP_TYPE);
      return amp >= 0 && amp < static_cast<int>(kAmpModels.size()) ? std::string(kAmpModels[static_cast<std::size_t>(amp)].caption)
                                                                    : number(amp);
    }
    case EFFECT_SELECT: {
      const EffectRow* fx = findEffect(effect);
      return fx ? trimmed(std::string(fx->caption)) : number(effect);
    }
    case EFF_ADJUST1: return upper(trimmed(effect15Text(effect, std::clamp(r.value(EFF_ADJUST1), 0, kEffectAdjustMaximum))));
    case EFF_ADJUST2: return trimmed(effect16Text(std::clamp(r.value(EFF_ADJUST2), 0, kEffectAdjustMaximum), TextSource::Handler));
    case EFF_RATE:
      return trimmed(rateText(effect, std::clamp(r.value(EFF_RATE), 0, rateMaximum(effect))));
    default: break;
  }
  const auto row = std::find_if(kStrips.begin(), kStrips.end(), [&](const StripRow& s) { return s.parameter == parameter; });
  if (row == kStrips.end()) return std::to_string(r.value(parameter));
  const std::string text = trimmed(stripText(*row, std::clamp(r.value(parameter), 0, row->maximum), TextSource::Handler));
  // The delay time's box shows "ms" as it is; the others show capitals.
  return parameter == DELAY_TIME ? text : upper(text);
}

std::string presetListing(std::span<const PresetRecord> presets, int firstNumber) {
  std::string out;
  for (const Column& c : kColumns) out += cell(c.heading, c.width);
  out.back() = '\n';
  int n = firstNumber;
  for (const PresetRecord& r : presets) {
    const std::optional<std::string> name = r.validName();
    for (const Column& c : kColumns) {
      std::string text;
      if (c.parameter < 0) {
        text = c.heading[0] == '#' ? std::to_string(n) : name ? utf8OfLatin1(*name) : std::string(kNoName);
      } else {
        // A control the effect hides shows no value.
        const bool hidden = !effectHasControl(r.value(EFFECT_SELECT), c.parameter);
        text = hidden ? "-" : shownValue(r, c.parameter);
      }
      out += cell(text, c.width);
    }
    ++n;
    while (!out.empty() && out.back() == ' ') out.pop_back();
    out += '\n';
  }
  return out;
}

}  // namespace kestralux
