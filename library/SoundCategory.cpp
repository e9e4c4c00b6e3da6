#include "library/SoundCategory.h"

#include <algorithm>
#include <cctype>

namespace kestralux {

namespace {

constexpr int kNever = 31;

std::string normalised(std::string_view text) {
  std::string out;
  for (const char c : text) {
    const auto b = static_cast<unsigned char>(c);
    if (std::isspace(b) && (out.empty() || out.back() == ' ')) continue;
    out += std::isspace(b) ? ' ' : static_cast<char>(std::toupper(b));
  }
  while (!out.empty() && out.back() == ' ') out.pop_back();
  return out;
}

}  // namespace

// The clean models take a pushed gain only as far as CRUNCH; the high-gain models leave
// CLEAN almost at once, so a low gain on them is still a driven sound.
const std::array<AmpCategoryRow, kAmpModelCount> kAmpCategories{{
    {0, 21, kNever, Category::HighGain},  // CLEAN 1
    {1, 12, 27, Category::HighGain},      // BRIT CLASS A
    {2, 9, 24, Category::HighGain},       // BRIT BLUES
    {3, 6, 18, Category::HighGain},       // BRIT CLASSIC
    {4, 3, 12, Category::HighGain},       // BRIT HI GAIN
    {5, 3, 12, Category::HighGain},       // HI GAIN
    {6, 3, 9, Category::HighGain},        // MEGA GAIN
    {7, 3, 9, Category::HighGain},        // THRASH
    {8, 3, 9, Category::HighGain},        // GRUNGE
    {9, 3, 9, Category::Fuzz},            // FUZZ
    {10, 12, 27, Category::HighGain},     // 70'S
    {11, 9, 24, Category::HighGain},      // TEXAS
    {12, 12, 27, Category::HighGain},     // BLUES
    {13, 12, 27, Category::HighGain},     // TWEED
    {14, 21, kNever, Category::HighGain}, // JAZZ
    {15, 21, kNever, Category::HighGain}, // CLEAN 2
}};

const std::array<EffectFamilyRow, kEffectCodes.size()> kEffectFamilyOf{{
    {0, EffectFamily::Modulation},   // CHORUS
    {2, EffectFamily::Modulation},   // FLANGER
    {6, EffectFamily::Modulation},   // DETUNE
    {8, EffectFamily::None},         // BYPASS
    {10, EffectFamily::Dynamics},    // COMPRESSOR
    {11, EffectFamily::Wah},         // WAH
    {12, EffectFamily::Modulation},  // ROTARY
    {13, EffectFamily::Modulation},  // PHASER
    {14, EffectFamily::Modulation},  // TREMOLO 1
    {15, EffectFamily::Modulation},  // TREMOLO 2
}};

Category categoryOf(const PresetRecord& record) {
  const std::int32_t amp = record.value(AMP_TYPE);
  if (amp < 0 || amp >= kAmpModelCount) return Category::Clean;
  const AmpCategoryRow& row = kAmpCategories[static_cast<std::size_t>(amp)];
  const std::int32_t gain = record.value(AMP_GAIN);
  if (gain < row.crunchFrom) return Category::Clean;
  return gain < row.topFrom ? Category::Crunch : row.top;
}

EffectFamily effectFamilyOf(const PresetRecord& record) {
  for (const EffectFamilyRow& row : kEffectFamilyOf)
    if (row.effect == record.value(EFFECT_SELECT)) return row.family;
  return EffectFamily::None;
}

bool isAmbient(const PresetRecord& record) {
  return record.value(DELAY_LEVEL) >= kAmbientDelayFrom || record.value(REV_LEVEL) >= kAmbientReverbFrom;
}

std::string_view categoryName(Category category) {
  switch (category) {
    case Category::Clean: return "CLEAN";
    case Category::Crunch: return "CRUNCH";
    case Category::HighGain: return "HIGH GAIN";
    case Category::Fuzz: return "FUZZ";
  }
  return "CLEAN";
}

std::string_view familyName(EffectFamily family) {
  switch (family) {
    case EffectFamily::None: return "NONE";
    case EffectFamily::Modulation: return "MODULATION";
    case EffectFamily::Wah: return "WAH";
    case EffectFamily::Dynamics: return "DYNAMICS";
  }
  return "NONE";
}

std::optional<Category> categoryNamed(std::string_view name) {
  const std::string wanted = normalised(name);
  for (const Category c : kCategories)
    if (categoryName(c) == wanted) return c;
  return std::nullopt;
}

std::optional<EffectFamily> familyNamed(std::string_view name) {
  const std::string wanted = normalised(name);
  for (const EffectFamily f : kEffectFamilies)
    if (familyName(f) == wanted) return f;
  return std::nullopt;
}

SoundKind soundKindOf(const PresetRecord& record, std::optional<Category> byHand) {
  return {byHand.value_or(categoryOf(record)), effectFamilyOf(record), isAmbient(record), byHand.has_value()};
}

std::string kindText(const SoundKind& kind) {
  std::string text(categoryName(kind.category));
  if (kind.family != EffectFamily::None) text += ", " + std::string(familyName(kind.family));
  if (kind.ambient) text += ", AMBIENT";
  return text;
}

std::optional<KindFilter> kindFilterNamed(std::string_view name) {
  if (normalised(name) == "AMBIENT") return KindFilter{std::nullopt, std::nullopt, true};
  if (const auto c = categoryNamed(name)) return KindFilter{c, std::nullopt, false};
  // A sound with no effect family is not a kind anyone searches for; NONE would only confuse.
  if (const auto f = familyNamed(name); f && *f != EffectFamily::None) return KindFilter{std::nullopt, f, false};
  return std::nullopt;
}

std::string kindFilterNames() { return "CLEAN, CRUNCH, HIGH GAIN, FUZZ, MODULATION, WAH, DYNAMICS or AMBIENT"; }

}  // namespace kestralux
