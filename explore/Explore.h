#pragma once
// Looking for a sound: a preset varied by an amount, a morph from one preset to another, and
// the climb's generations of candidates bred from the ones the user liked. Pure functions of
// presets, locks and a seed, so the same seed gives the same presets on every platform: the
// random numbers and their ranges are our own few lines, not a standard library's
// distributions, which differ between libraries.

#include <array>
#include <bitset>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "model/PresetRecord.h"

namespace kestralux {

// A seed for a run that was given none: different on each run.
std::uint64_t freshSeed();

// SplitMix64: small, fast, and the same sequence everywhere for the same seed.
class ExploreRandom {
 public:
  explicit ExploreRandom(std::uint64_t seed) : state_(seed) {}
  std::uint64_t next();
  // 0 .. n-1, each equally likely (n > 0).
  int below(int n);
  // lowest .. highest, both included.
  int between(int lowest, int highest) { return lowest + below(highest - lowest + 1); }

 private:
  std::uint64_t state_;
};

// Which controls a variation, a morph or a breeding leaves alone, by parameter index.
class Locks {
 public:
  // The preset volume is locked until the user unlocks it: a sound found louder or quieter
  // than the rest of the bank is not a better sound.
  Locks() { locked_.set(AMP_MASTER); }
  static Locks none() {
    Locks l;
    l.locked_.reset();
    return l;
  }
  bool locked(int parameter) const { return locked_.test(static_cast<std::size_t>(parameter)); }
  void set(int parameter, bool locked) { locked_.set(static_cast<std::size_t>(parameter), locked); }
  void toggle(int parameter) { locked_.flip(static_cast<std::size_t>(parameter)); }
  bool operator==(const Locks&) const = default;

  // As the window names them, for the editor's settings: "GAIN,PRESET VOLUME".
  std::string text() const;
  // Unknown captions are skipped: settings written by another version stay usable.
  static Locks fromText(std::string_view text);

 private:
  std::bitset<kParameterCount> locked_;
};

// The parameter a caption of the explore window names (case and blanks as typed are
// forgiven), or nothing.
std::optional<int> parameterOfCaption(std::string_view caption);
std::string_view captionOfParameter(int parameter);
// "AMP MODEL, GAIN, ..." for a message that lists them.
std::string captionList();

// The largest value a control of the scroll-bar kind takes with `effect` selected; nothing for
// the two choices (amp model and effect).
std::optional<int> controlMaximum(int parameter, int effect);
// Whether `effect` shows the control: the others are not heard, so no step goes to them.
bool shownWith(int parameter, int effect);

// Amounts and positions in percent.
inline constexpr int kLargestAmount = 100;
inline constexpr int kLargestPosition = 100;

// Each unlocked control of the scroll-bar kind moves by at most amount x its range around
// its value; the amp model and the effect change, each with a probability of `amount`, to
// another choice, and a new effect's controls are drawn anew. The name and the reserved slot
// stay. `amount` is 0..100; 0 gives the preset back unchanged.
PresetRecord vary(const PresetRecord& preset, const Locks& locks, int amount, ExploreRandom& random);

// `at` percent of the way from `from` to `to` (0..100): controls in proportion, rounded; the
// amp model, and the effect with its controls, from `from` below 50 % and from `to` from 50 %
// on. Locked controls keep `from`'s value; the name and the reserved slot are `from`'s.
PresetRecord morph(const PresetRecord& from, const PresetRecord& to, int at, const Locks& locks);

inline constexpr int kCandidates = 8;
using Generation = std::array<PresetRecord, kCandidates>;

// The climb's next generation. Without parents, each candidate varies `onScreen`; with
// parents, each control of a candidate is taken from one of them at random (the effect
// together with its controls), then varied. Locked controls, the name and the reserved slot
// are `onScreen`'s.
Generation breed(const PresetRecord& onScreen, std::span<const PresetRecord> parents, const Locks& locks, int amount,
                 ExploreRandom& random);

}  // namespace kestralux
