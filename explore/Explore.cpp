#include "explore/Explore.h"

#include <algorithm>
#include <cstdlib>
#include <random>

#include "editor/EditorTables.h"

namespace kestralux {

std::uint64_t freshSeed() { return (std::uint64_t{std::random_device{}()} << 32) ^ std::random_device{}(); }

std::uint64_t ExploreRandom::next() {
  std::uint64_t z = (state_ += 0x9E3779B97F4A7C15ULL);
  z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ULL;
  z = (z ^ (z >> 27)) * 0x94D049BB133111EBULL;
  return z ^ (z >> 31);
}

int ExploreRandom::below(int n) {
  if (n <= 1) return 0;
  // Draws past the last whole multiple of n are drawn again, so no result is more likely.
  const auto range = static_cast<std::uint64_t>(n);
  const std::uint64_t limit = ~std::uint64_t{0} - (~std::uint64_t{0} % range + 1) % range;
  std::uint64_t draw = next();
  while (draw > limit) draw = next();
  return static_cast<int>(draw % range);
}

namespace {

std::string normalised(std::string_view text) {
  std::string out;
  for (char c : text) {
    if (c == ' ' || c == '\t' || c == '_') {
      if (!out.empty() && out.back() != ' ') out += ' ';
    } else {
      out += c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c;
    }
  }
  if (!out.empty() && out.back() == ' ') out.pop_back();
  return out;
}

bool isEffectControl(int parameter) { return parameter == EFF_ADJUST1 || parameter == EFF_ADJUST2 || parameter == EFF_RATE; }

constexpr std::array<int, 3> kEffectControls{EFF_ADJUST1, EFF_ADJUST2, EFF_RATE};

// A locked effect control keeps its value, so an effect whose range would not hold it is
// never chosen: the rotary's rate is 0 or 1.
bool locksFit(const PresetRecord& preset, const Locks& locks, int effect) {
  for (int p : kEffectControls) {
    if (!locks.locked(p)) continue;
    const int value = preset.value(p);
    if (value < 0 || value > *controlMaximum(p, effect)) return false;
  }
  return true;
}

// Half away from zero, so a morph halfway between 3 and 4 and between 4 and 3 meet alike.
int proportion(int a, int b, int at) {
  const int n = (b - a) * at;
  int q = n / kLargestPosition;
  const int r = n % kLargestPosition;
  if (2 * std::abs(r) >= kLargestPosition) q += n > 0 ? 1 : -1;
  return a + q;
}

}  // namespace

std::string Locks::text() const {
  std::string out;
  for (const ParameterCaption& c : kParameterCaptions) {
    if (!locked(c.parameter)) continue;
    if (!out.empty()) out += ',';
    out += c.caption;
  }
  return out;
}

Locks Locks::fromText(std::string_view text) {
  Locks locks = none();
  while (!text.empty()) {
    const std::size_t comma = text.find(',');
    if (const auto parameter = parameterOfCaption(text.substr(0, comma))) locks.set(*parameter, true);
    if (comma == std::string_view::npos) break;
    text.remove_prefix(comma + 1);
  }
  return locks;
}

std::optional<int> parameterOfCaption(std::string_view caption) {
  const std::string wanted = normalised(caption);
  for (const ParameterCaption& c : kParameterCaptions)
    if (c.caption == wanted) return c.parameter;
  return std::nullopt;
}

std::string_view captionOfParameter(int parameter) {
  for (const ParameterCaption& c : kParameterCaptions)
    if (c.parameter == parameter) return c.caption;
  return {};
}

std::string captionList() {
  std::string out;
  for (const ParameterCaption& c : kParameterCaptions) {
    if (!out.empty()) out += ", ";
    out += c.caption;
  }
  return out;
}

std::optional<int> controlMaximum(int parameter, int effect) {
  if (parameter == AMP_TYPE || parameter == EFFECT_SELECT) return std::nullopt;
  if (parameter == EFF_ADJUST1 || parameter == EFF_ADJUST2) return kEffectAdjustMaximum;
  if (parameter == EFF_RATE) return rateMaximum(effect);
  for (const StripRow& row : kStrips)
    if (row.parameter == parameter) return row.maximum;
  return std::nullopt;
}

bool shownWith(int parameter, int effect) {
  // Under a code that is no effect of ours, nothing is explored in the effect's controls.
  if (!findEffect(effect)) return !isEffectControl(parameter);
  return effectHasControl(effect, parameter);
}

PresetRecord vary(const PresetRecord& preset, const Locks& locks, int amount, ExploreRandom& random) {
  PresetRecord out = preset;
  amount = std::clamp(amount, 0, kLargestAmount);
  if (amount == 0) return out;

  const bool ampChanges = random.below(kLargestAmount) < amount;
  if (ampChanges && !locks.locked(AMP_TYPE)) {
    const int amp = preset.value(AMP_TYPE);
    int other = random.below(kAmpModelCount - 1);
    if (other >= amp) ++other;
    out.setValue(AMP_TYPE, other);
  }

  const int effectBefore = preset.value(EFFECT_SELECT);
  const bool effectChanges = random.below(kLargestAmount) < amount;
  if (effectChanges && !locks.locked(EFFECT_SELECT)) {
    std::vector<int> others;
    for (int code : kEffectCodes)
      if (code != effectBefore && locksFit(preset, locks, code)) others.push_back(code);
    if (!others.empty()) out.setValue(EFFECT_SELECT, others[static_cast<std::size_t>(random.below(static_cast<int>(others.size())))]);
  }
  const int effect = out.value(EFFECT_SELECT);
  const bool newEffect = effect != effectBefore;

  for (int p = 0; p < kParameterCount; ++p) {
    const std::optional<int> maximum = controlMaximum(p, effect);
    if (!maximum || locks.locked(p)) continue;
    if (isEffectControl(p)) {
      if (!shownWith(p, effect)) continue;
      if (newEffect) {
        out.setValue(p, random.between(0, *maximum));
        continue;
      }
    }
    const int step = amount * *maximum / kLargestAmount;
    if (step == 0) continue;
    const int value = std::clamp(preset.value(p), 0, *maximum);
    out.setValue(p, random.between(std::max(0, value - step), std::min(*maximum, value + step)));
  }
  return out;
}

PresetRecord morph(const PresetRecord& from, const PresetRecord& to, int at, const Locks& locks) {
  at = std::clamp(at, 0, kLargestPosition);
  PresetRecord out = from;
  const bool late = 2 * at >= kLargestPosition;
  if (late && !locks.locked(AMP_TYPE)) out.setValue(AMP_TYPE, to.value(AMP_TYPE));

  const int fromEffect = from.value(EFFECT_SELECT), toEffect = to.value(EFFECT_SELECT);
  const bool effectFromTo = late && !locks.locked(EFFECT_SELECT) && locksFit(from, locks, toEffect);
  if (effectFromTo) out.setValue(EFFECT_SELECT, toEffect);
  const PresetRecord& effectSide = effectFromTo ? to : from;

  for (int p = 0; p < kParameterCount; ++p) {
    if (!controlMaximum(p, fromEffect) || locks.locked(p)) continue;
    // Another effect's controls mean other things: they come with their effect.
    if (isEffectControl(p) && fromEffect != toEffect)
      out.setValue(p, effectSide.value(p));
    else
      out.setValue(p, proportion(from.value(p), to.value(p), at));
  }
  return out;
}

Generation breed(const PresetRecord& onScreen, std::span<const PresetRecord> parents, const Locks& locks, int amount,
                 ExploreRandom& random) {
  Generation generation;
  const int count = static_cast<int>(parents.size());
  for (PresetRecord& candidate : generation) {
    PresetRecord child = onScreen;
    if (count > 0) {
      const PresetRecord& ampParent = parents[static_cast<std::size_t>(random.below(count))];
      if (!locks.locked(AMP_TYPE)) child.setValue(AMP_TYPE, ampParent.value(AMP_TYPE));
      // The effect and its three controls are one trait: a depth means nothing without its effect.
      const PresetRecord& effectParent = parents[static_cast<std::size_t>(random.below(count))];
      const int effect = effectParent.value(EFFECT_SELECT);
      const bool takeEffect = !locks.locked(EFFECT_SELECT) && locksFit(onScreen, locks, effect);
      if (takeEffect) child.setValue(EFFECT_SELECT, effect);
      if (child.value(EFFECT_SELECT) == effect)
        for (int p : kEffectControls)
          if (!locks.locked(p)) child.setValue(p, effectParent.value(p));
      for (int p = 0; p < kParameterCount; ++p) {
        if (!controlMaximum(p, effect) || isEffectControl(p)) continue;
        const PresetRecord& parent = parents[static_cast<std::size_t>(random.below(count))];
        if (!locks.locked(p)) child.setValue(p, parent.value(p));
      }
    }
    candidate = vary(child, locks, amount, random);
  }
  return generation;
}

}  // namespace kestralux
