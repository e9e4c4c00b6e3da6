#pragma once
// The library's search by value: "GAIN >= 7", "DELAY TIME < 300", "REVERB LEVEL = OFF". A
// parameter is named by the caption the window gives it and compared with its value as the
// window shows it, in the window's units, so a condition reads what the user sees. Each
// condition becomes the set of stored values (per effect, where the effect decides what the
// window shows) that satisfy it, which the database can test without knowing any units.

#include <array>
#include <bitset>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

#include "model/PresetRecord.h"

namespace kestralux {

// Every value a preset can hold is 0..255 (see presetFault).
using ValueSet = std::bitset<kLargestValue + 1>;

struct ParameterMatch {
  int parameter = 0;  // ParameterIndex
  // Indexed like kEffectCodes: the stored values that satisfy the condition under that effect.
  std::array<ValueSet, kEffectCodes.size()> byEffect{};

  bool sameForEveryEffect() const;
};

struct ConditionError {
  std::string why;  // names the condition and what in it is wrong
};

// One condition; a caption may be any the window shows over a strip, EFFECT ADJUST 1/2, RATE,
// or what an effect's adjust control is captioned (DEPTH, LEVEL, ...), which then applies to
// the effects that caption it so. Case and blanks around the parts do not matter.
std::variant<std::vector<ParameterMatch>, ConditionError> parseCondition(std::string_view condition);

// Whether `record` satisfies one parsed condition (any of its matches).
bool satisfies(const std::vector<ParameterMatch>& condition, const PresetRecord& record);

// The amp model or effect named as the window shows it ("BRIT BLUES", "ROTARY"), any case.
std::variant<int, ConditionError> ampModelNamed(std::string_view name);
std::variant<int, ConditionError> effectNamed(std::string_view name);

// The captions parseCondition knows, for messages and help.
std::vector<std::string> conditionCaptions();

}  // namespace kestralux
