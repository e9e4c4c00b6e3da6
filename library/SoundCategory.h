#pragma once
// What kind of sound a preset is, read from its values and never from its name: how much it
// drives (CLEAN, CRUNCH, HIGH GAIN, FUZZ, from the amp model and the gain), which family its
// effect belongs to, and whether it is AMBIENT (a high delay or reverb level). Every
// threshold stands once, in the table of amp models and the two constants below, in the
// window's scale steps (0..30, shown as 0.00..10.00).

#include <array>
#include <optional>
#include <string>
#include <string_view>

#include "model/PresetRecord.h"

namespace kestralux {

enum class Category { Clean, Crunch, HighGain, Fuzz };
enum class EffectFamily { None, Modulation, Wah, Dynamics };

inline constexpr std::array<Category, 4> kCategories{Category::Clean, Category::Crunch, Category::HighGain, Category::Fuzz};
inline constexpr std::array<EffectFamily, 4> kEffectFamilies{EffectFamily::None, EffectFamily::Modulation, EffectFamily::Wah,
                                                             EffectFamily::Dynamics};

// How an amp model drives: CLEAN below `crunchFrom`, CRUNCH from there, `top` from `topFrom`.
// A gain of 31 never comes: a model whose `topFrom` is 31 never leaves CRUNCH.
struct AmpCategoryRow {
  int ampType;
  int crunchFrom;  // GAIN step
  int topFrom;     // GAIN step
  Category top;
};

// Indexed by AMP_TYPE.
extern const std::array<AmpCategoryRow, kAmpModelCount> kAmpCategories;

struct EffectFamilyRow {
  int effect;  // EFFECT_SELECT code
  EffectFamily family;
};

extern const std::array<EffectFamilyRow, kEffectCodes.size()> kEffectFamilyOf;

// A sound is AMBIENT when its DELAY LEVEL or its REVERB LEVEL is at least this step (6.66).
inline constexpr int kAmbientDelayFrom = 20;
inline constexpr int kAmbientReverbFrom = 20;

// The category of the values alone; a record that is no preset (an amp model outside 0..15)
// counts as CLEAN.
Category categoryOf(const PresetRecord& record);
EffectFamily effectFamilyOf(const PresetRecord& record);
bool isAmbient(const PresetRecord& record);

// "CLEAN", "CRUNCH", "HIGH GAIN", "FUZZ"; "NONE", "MODULATION", "WAH", "DYNAMICS".
std::string_view categoryName(Category category);
std::string_view familyName(EffectFamily family);
// Any case, blanks around ignored: "high gain" is HIGH GAIN.
std::optional<Category> categoryNamed(std::string_view name);
std::optional<EffectFamily> familyNamed(std::string_view name);

// What a sound is, as one text: "CRUNCH, MODULATION, AMBIENT"; the family is left out when
// NONE, AMBIENT when not. `byHand` stands for the category a user gave the sound.
struct SoundKind {
  Category category = Category::Clean;
  EffectFamily family = EffectFamily::None;
  bool ambient = false;
  bool byHand = false;
};
SoundKind soundKindOf(const PresetRecord& record, std::optional<Category> byHand = std::nullopt);
std::string kindText(const SoundKind& kind);

// What `library search --category` and the pane's category filter take: a category, a family
// or AMBIENT.
struct KindFilter {
  std::optional<Category> category;
  std::optional<EffectFamily> family;
  bool ambient = false;
};
std::optional<KindFilter> kindFilterNamed(std::string_view name);
// The names kindFilterNamed takes, for help and messages.
std::string kindFilterNames();

}  // namespace kestralux
