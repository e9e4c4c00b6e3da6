#include "files/PresetDiff.h"

#include <algorithm>
#include <array>
#include <cctype>
#include <functional>
#include <string_view>

#include "editor/EditorTables.h"
#include "files/PresetListing.h"

namespace kestralux {

namespace {

std::string trimmed(std::string_view text) {
  const auto first = text.find_first_not_of(' ');
  if (first == std::string_view::npos) return "";
  return std::string(text.substr(first, text.find_last_not_of(' ') - first + 1));
}

// "EFFECT ADJUST 1 (DEPTH)": the control's caption and what it adjusts for the effect(s).
std::string adjustCaption(std::string_view control, const PresetRecord& a, const PresetRecord& b, int parameter) {
  std::string what = adjustPurpose(a, parameter);
  const std::string other = adjustPurpose(b, parameter);
  if (other != what) what += (what.empty() ? "" : " / ") + other;
  return what.empty() ? std::string(control) : std::string(control) + " (" + what + ")";
}

std::string quotedName(const PresetRecord& r) {
  const auto name = r.validName();
  return name ? "\"" + utf8OfLatin1(*name) + "\"" : std::string(kNoName);
}

}  // namespace

std::string adjustPurpose(const PresetRecord& r, int parameter) {
  const EffectRow* fx = findEffect(r.value(EFFECT_SELECT));
  if (!fx) return "";
  if (parameter == EFF_ADJUST2) return fx->adjust2Caption ? trimmed(*fx->adjust2Caption) : "";
  return trimmed(fx->adjust1Caption);
}

std::vector<std::string> presetDifferences(const PresetRecord& a, const PresetRecord& b, bool withNames) {
  std::vector<std::string> lines;
  const auto line = [&](const std::string& caption, const std::string& from, const std::string& to) {
    if (from != to) lines.push_back("  " + caption + "  " + from + " -> " + to);
  };
  if (withNames) line("NAME", quotedName(a), quotedName(b));
  const auto value = [&](const std::string& caption, int parameter) {
    line(caption, shownValue(a, parameter), shownValue(b, parameter));
  };
  for (const auto& [parameter, caption] : kParameterCaptions)
    value(parameter == EFF_ADJUST1 || parameter == EFF_ADJUST2 ? adjustCaption(caption, a, b, parameter) : std::string(caption),
          parameter);
  // Values the window cannot show apart (beyond a control's range) still differ.
  if (lines.empty())
    for (int i = 0; i < kParameterCount; ++i)
      line(parameterName(i), std::to_string(a.value(i)), std::to_string(b.value(i)));
  return lines;
}

std::string diffText(std::span<const PresetRecord> a, std::span<const PresetRecord> b, bool withNames, int firstNumber) {
  std::string out;
  for (std::size_t n = 0; n < std::min(a.size(), b.size()); ++n) {
    const std::vector<std::string> lines = presetDifferences(a[n], b[n], withNames);
    if (lines.empty()) continue;
    out += "preset " + std::to_string(firstNumber + static_cast<int>(n));
    if (withNames) out += " " + quotedName(a[n]);
    out += "\n";
    for (const std::string& l : lines) out += l + "\n";
  }
  return out;
}

}  // namespace kestralux
