#include "library/ParameterConditions.h"

#include <algorithm>
#include <cmath>
#include <optional>

#include "editor/EditorTables.h"
#include "files/PresetListing.h"

namespace kestralux {

namespace {

// Which controls a caption names: a parameter the window always captions so, or an effect's
// adjust control under the caption that effect gives it.
enum class Adjust { None, First, Second };

struct Caption {
  std::string_view text;
  int parameter;
  Adjust byEffect;
};

constexpr std::array<Caption, 14> kCaptions{{
    {"GAIN", AMP_GAIN, Adjust::None},
    {"BASS", AMP_BASS, Adjust::None},
    {"MID", AMP_MID, Adjust::None},
    {"TREBLE", AMP_TREBLE, Adjust::None},
    {"DELAY LEVEL", DELAY_LEVEL, Adjust::None},
    {"DELAY REGEN", DELAY_REGEN, Adjust::None},
    {"DELAY PAN", DELAY_PAN, Adjust::None},
    {"DELAY TIME", DELAY_TIME, Adjust::None},
    {"REVERB LEVEL", REV_LEVEL, Adjust::None},
    {"GATE", GATE_THRES, Adjust::None},
    {"PRESET VOLUME", AMP_MASTER, Adjust::None},
    {"EFFECT ADJUST 1", EFF_ADJUST1, Adjust::None},
    {"EFFECT ADJUST 2", EFF_ADJUST2, Adjust::None},
    {"RATE", EFF_RATE, Adjust::None},
}};

char upperAscii(char c) { return c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c; }

// Upper case with single blanks and none at the ends, so "delay  time" names DELAY TIME.
std::string normalised(std::string_view text) {
  std::string out;
  for (char c : text) {
    if (c == ' ' || c == '\t') {
      if (!out.empty() && out.back() != ' ') out += ' ';
    } else {
      out += upperAscii(c);
    }
  }
  if (!out.empty() && out.back() == ' ') out.pop_back();
  return out;
}

std::string withoutBlanks(std::string_view text) {
  std::string out;
  for (char c : text)
    if (c != ' ') out += upperAscii(c);
  return out;
}

std::string trimmedCaption(std::string_view caption) { return normalised(caption); }

bool shownByEffect(const EffectRow& fx, int parameter) {
  if (parameter == EFF_ADJUST1) return fx.adjust1Shown;
  if (parameter == EFF_ADJUST2) return fx.adjust2Shown;
  if (parameter == EFF_RATE) return fx.rateShown;
  return true;
}

// A shown value as a number, when it is one: "7.00", "-60DB", "- 8DB", "250 ms", "+ 2 CENTS",
// "310 HZ"; OFF is the level at 0. The rest after the number is its unit.
struct ShownNumber {
  double value;
  std::string unit;
};

std::optional<ShownNumber> numberIn(std::string_view text) {
  const std::string t = withoutBlanks(text);
  if (t == "OFF") return ShownNumber{0, ""};
  std::size_t i = 0;
  double sign = 1;
  if (i < t.size() && (t[i] == '+' || t[i] == '-')) sign = t[i++] == '-' ? -1 : 1;
  const std::size_t digits = i;
  double value = 0;
  while (i < t.size() && t[i] >= '0' && t[i] <= '9') value = value * 10 + (t[i++] - '0');
  if (i == digits) return std::nullopt;
  if (i < t.size() && t[i] == '.') {
    double scale = 0.1;
    const std::size_t fraction = ++i;
    while (i < t.size() && t[i] >= '0' && t[i] <= '9') value += (t[i++] - '0') * scale, scale /= 10;
    if (i == fraction) return std::nullopt;
  }
  // Pan positions ("16>R") carry a number but are not one.
  const std::string unit = t.substr(i);
  if (unit != "" && unit != "DB" && unit != "MS" && unit != "CENTS" && unit != "HZ") return std::nullopt;
  return ShownNumber{sign * value, unit};
}

enum class Operator { Less, LessOrEqual, Equal, GreaterOrEqual, Greater, NotEqual };

template <typename T>
bool compare(const T& a, Operator op, const T& b) {
  switch (op) {
    case Operator::Less: return a < b;
    case Operator::LessOrEqual: return a <= b;
    case Operator::Equal: return a == b;
    case Operator::GreaterOrEqual: return a >= b;
    case Operator::Greater: return a > b;
    case Operator::NotEqual: return a != b;
  }
  return false;
}

// Shown values are rounded to two places; a typed 6.66 is the 6.66 the window shows. In a
// double, so a typed number far beyond any shown value still compares as the number it is.
double hundredths(double v) { return std::round(v * 100); }

struct Target {
  int parameter;
  std::array<bool, kEffectCodes.size()> effects;  // the effects under which the caption names it
};

std::vector<Target> targetsOf(const std::string& caption) {
  std::vector<Target> targets;
  for (const Caption& c : kCaptions) {
    if (c.text != caption) continue;
    Target t{c.parameter, {}};
    t.effects.fill(true);
    targets.push_back(t);
  }
  for (const int parameter : {EFF_ADJUST1, EFF_ADJUST2}) {
    Target t{parameter, {}};
    bool any = false;
    for (std::size_t e = 0; e < kEffectCodes.size(); ++e) {
      const EffectRow* fx = findEffect(kEffectCodes[e]);
      const auto& own = parameter == EFF_ADJUST1 ? std::optional<std::string_view>(fx->adjust1Caption) : fx->adjust2Caption;
      t.effects[e] = own && trimmedCaption(*own) == caption && shownByEffect(*fx, parameter);
      any = any || t.effects[e];
    }
    if (any) targets.push_back(t);
  }
  return targets;
}

std::string shownText(int parameter, int effectCode, int value) {
  PresetRecord r;
  r.setValue(EFFECT_SELECT, effectCode);
  r.setValue(parameter, value);
  return shownValue(r, parameter);
}

}  // namespace

bool ParameterMatch::sameForEveryEffect() const {
  return std::all_of(byEffect.begin(), byEffect.end(), [&](const ValueSet& s) { return s == byEffect[0]; });
}

std::vector<std::string> conditionCaptions() {
  std::vector<std::string> out;
  for (const Caption& c : kCaptions) out.emplace_back(c.text);
  for (const EffectRow& fx : kEffects) {
    for (const auto& caption : {std::optional<std::string_view>(fx.adjust1Caption), fx.adjust2Caption}) {
      if (!caption) continue;
      const std::string text = trimmedCaption(*caption);
      if (std::find(out.begin(), out.end(), text) == out.end() && !targetsOf(text).empty()) out.push_back(text);
    }
  }
  return out;
}

std::variant<std::vector<ParameterMatch>, ConditionError> parseCondition(std::string_view condition) {
  const std::string whole = normalised(condition);
  const auto fail = [&](const std::string& why) { return ConditionError{"\"" + whole + "\": " + why}; };
  const std::size_t at = whole.find_first_of("<>=!");
  if (at == std::string::npos) return fail("no comparison (< <= = >= > !=)");
  Operator op{};
  std::size_t length = 1;
  const char first = whole[at];
  const bool equalsNext = at + 1 < whole.size() && whole[at + 1] == '=';
  if (first == '<') op = equalsNext ? Operator::LessOrEqual : Operator::Less;
  else if (first == '>') op = equalsNext ? Operator::GreaterOrEqual : Operator::Greater;
  else if (first == '=') op = Operator::Equal;
  else if (equalsNext) op = Operator::NotEqual;
  else return fail("! must be followed by = (!=)");
  if (equalsNext && first != '=') length = 2;
  const std::string caption = normalised(whole.substr(0, at));
  const std::string operand = normalised(whole.substr(at + length));
  if (caption.empty()) return fail("no parameter before the comparison");
  if (operand.empty()) return fail("no value after the comparison");

  const std::vector<Target> targets = targetsOf(caption);
  if (targets.empty()) {
    std::string known;
    for (const std::string& c : conditionCaptions()) known += (known.empty() ? "" : ", ") + c;
    return fail(caption + " is not a control of the window (" + known + ")");
  }

  const std::optional<ShownNumber> typed = numberIn(operand);
  if (typed && !std::isfinite(typed->value * 100)) return fail(operand + " is out of range");
  bool anyNumeric = false;
  bool textFound = false;
  std::vector<ParameterMatch> matches;
  for (const Target& target : targets) {
    ParameterMatch match{target.parameter, {}};
    for (std::size_t e = 0; e < kEffectCodes.size(); ++e) {
      if (!target.effects[e] || !shownByEffect(*findEffect(kEffectCodes[e]), target.parameter)) continue;
      // The window's texts in the order the control steps through them; a text compares by
      // its place there, a number by its value.
      std::vector<std::string> order;
      std::array<int, kLargestValue + 1> rank{};
      for (int v = 0; v <= kLargestValue; ++v) {
        const std::string text = withoutBlanks(shownText(target.parameter, kEffectCodes[e], v));
        auto it = std::find(order.begin(), order.end(), text);
        if (it == order.end()) it = order.insert(order.end(), text);
        rank[static_cast<std::size_t>(v)] = static_cast<int>(it - order.begin());
      }
      const auto typedText = std::find(order.begin(), order.end(), withoutBlanks(operand));
      for (int v = 0; v <= kLargestValue; ++v) {
        const std::string& text = order[static_cast<std::size_t>(rank[static_cast<std::size_t>(v)])];
        const std::optional<ShownNumber> shown = numberIn(text);
        bool ok = false;
        if (typed && shown && (typed->unit.empty() || typed->unit == shown->unit)) {
          anyNumeric = true;
          ok = compare(hundredths(shown->value), op, hundredths(typed->value));
        } else if (typedText != order.end()) {
          textFound = true;
          ok = compare(rank[static_cast<std::size_t>(v)], op, static_cast<int>(typedText - order.begin()));
        }
        match.byEffect[e][static_cast<std::size_t>(v)] = ok;
      }
    }
    matches.push_back(match);
  }
  if (!anyNumeric && !textFound) return fail(caption + " never shows " + operand);
  return matches;
}

bool satisfies(const std::vector<ParameterMatch>& condition, const PresetRecord& record) {
  const auto effect = std::find(kEffectCodes.begin(), kEffectCodes.end(), record.value(EFFECT_SELECT));
  if (effect == kEffectCodes.end()) return false;
  const auto e = static_cast<std::size_t>(effect - kEffectCodes.begin());
  return std::any_of(condition.begin(), condition.end(), [&](const ParameterMatch& m) {
    const std::int32_t v = record.value(m.parameter);
    return v >= 0 && v <= kLargestValue && m.byEffect[e][static_cast<std::size_t>(v)];
  });
}

std::variant<int, ConditionError> ampModelNamed(std::string_view name) {
  const std::string wanted = normalised(name);
  std::string known;
  for (const AmpModelRow& row : kAmpModels) {
    if (normalised(row.caption) == wanted) return row.ampType;
    known += (known.empty() ? "" : ", ") + std::string(row.caption);
  }
  return ConditionError{"no amp model " + wanted + " (" + known + ")"};
}

std::variant<int, ConditionError> effectNamed(std::string_view name) {
  const std::string wanted = normalised(name);
  std::string known;
  for (const EffectRow& row : kEffects) {
    const std::string caption = normalised(row.caption);
    if (caption == wanted) return row.code;
    known += (known.empty() ? "" : ", ") + caption;
  }
  return ConditionError{"no effect " + wanted + " (" + known + ")"};
}

}  // namespace kestralux
