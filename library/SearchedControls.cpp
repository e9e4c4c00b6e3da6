#include "library/SearchedControls.h"

#include <algorithm>
#include <variant>

#include "editor/EditorTables.h"
#include "files/PresetListing.h"
#include "library/ParameterConditions.h"

namespace kestralux {

std::vector<int> searchedParameters(const std::vector<std::string>& conditions) {
  std::vector<int> searched;
  for (const std::string& condition : conditions) {
    const auto parsed = parseCondition(condition);
    const auto* matches = std::get_if<std::vector<ParameterMatch>>(&parsed);
    if (!matches) continue;
    for (const ParameterMatch& m : *matches)
      if (std::find(searched.begin(), searched.end(), m.parameter) == searched.end()) searched.push_back(m.parameter);
  }
  return searched;
}

std::string parameterCaption(const PresetRecord& record, int parameter) {
  if (const EffectRow* fx = findEffect(record.value(EFFECT_SELECT)); fx && (parameter == EFF_ADJUST1 || parameter == EFF_ADJUST2)) {
    std::string own(parameter == EFF_ADJUST1 ? fx->adjust1Caption : fx->adjust2Caption.value_or(""));
    while (!own.empty() && own.back() == ' ') own.pop_back();
    if (!own.empty()) return own;
  }
  for (const ParameterCaption& c : kParameterCaptions)
    if (c.parameter == parameter) return std::string(c.caption);
  return parameterName(parameter);
}

std::string shownValueText(const PresetRecord& record, int parameter) {
  if (!effectHasControl(record.value(EFFECT_SELECT), parameter)) return "-";
  std::string text = shownValue(record, parameter);
  text.erase(0, text.find_first_not_of(' '));
  while (!text.empty() && text.back() == ' ') text.pop_back();
  return text;
}

}  // namespace kestralux
