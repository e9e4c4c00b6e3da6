// Vary, morph and climb: the cases a guitarist would notice, one table, and the properties
// every result keeps, checked over random presets, locks and seeds.

#include <gtest/gtest.h>
#include <rapidcheck.h>
#include <rapidcheck/gtest.h>

#include <cstdlib>
#include <functional>

#include "explore/Explore.h"

namespace kestralux {
namespace {

PresetRecord preset(int amp, int effect, std::initializer_list<std::pair<int, int>> values = {}) {
  PresetRecord r{};
  r.storeName("CRUNCH");
  r.setSlot(kReservedSlot, 77);
  r.setValue(AMP_TYPE, amp);
  r.setValue(EFFECT_SELECT, effect);
  for (auto [p, v] : values) r.setValue(p, v);
  return r;
}

Locks locking(std::initializer_list<int> parameters) {
  Locks l = Locks::none();
  for (int p : parameters) l.set(p, true);
  return l;
}

Locks allBut(std::initializer_list<int> parameters) {
  Locks l = Locks::none();
  for (int p = 0; p < kParameterCount; ++p) l.set(p, true);
  for (int p : parameters) l.set(p, false);
  return l;
}

struct RuleRow {
  const char* name;
  std::function<PresetRecord()> result;
  std::function<void(const PresetRecord&)> expect;
};

void PrintTo(const RuleRow& row, std::ostream* os) { *os << row.name; }

constexpr int CHORUS = 0, BYPASS = 8, ROTARY = 12, TREMOLO = 14;

const RuleRow kRules[] = {
    {"morph rounds the proportion half away from zero, either way",
     [] { return morph(preset(1, CHORUS, {{AMP_GAIN, 10}, {AMP_BASS, 20}}), preset(1, CHORUS, {{AMP_GAIN, 20}, {AMP_BASS, 10}}), 25, Locks::none()); },
     [](const PresetRecord& r) {
       EXPECT_EQ(r.value(AMP_GAIN), 13);  // 12.5
       EXPECT_EQ(r.value(AMP_BASS), 17);  // 17.5
     }},
    {"morph takes the amp model and the effect with its controls from A below 50 %",
     [] { return morph(preset(1, CHORUS, {{EFF_ADJUST1, 30}}), preset(9, ROTARY, {{EFF_ADJUST1, 0}, {EFF_RATE, 1}}), 49, Locks::none()); },
     [](const PresetRecord& r) {
       EXPECT_EQ(r.value(AMP_TYPE), 1);
       EXPECT_EQ(r.value(EFFECT_SELECT), CHORUS);
       EXPECT_EQ(r.value(EFF_ADJUST1), 30);
       EXPECT_EQ(r.value(EFF_RATE), 0);
     }},
    {"morph takes them from B at 50 %",
     [] { return morph(preset(1, CHORUS, {{EFF_ADJUST1, 30}}), preset(9, ROTARY, {{EFF_ADJUST1, 0}, {EFF_RATE, 1}}), 50, Locks::none()); },
     [](const PresetRecord& r) {
       EXPECT_EQ(r.value(AMP_TYPE), 9);
       EXPECT_EQ(r.value(EFFECT_SELECT), ROTARY);
       EXPECT_EQ(r.value(EFF_ADJUST1), 0);
       EXPECT_EQ(r.value(EFF_RATE), 1);
     }},
    {"morph between two of the same effect moves its controls in proportion",
     [] { return morph(preset(1, TREMOLO, {{EFF_RATE, 100}}), preset(1, TREMOLO, {{EFF_RATE, 200}}), 30, Locks::none()); },
     [](const PresetRecord& r) { EXPECT_EQ(r.value(EFF_RATE), 130); }},
    {"morph keeps a locked control and A's name",
     [] { return morph(preset(1, CHORUS, {{AMP_GAIN, 3}}), preset(2, CHORUS, {{AMP_GAIN, 30}}), 100, locking({AMP_GAIN})); },
     [](const PresetRecord& r) {
       EXPECT_EQ(r.value(AMP_GAIN), 3);
       EXPECT_EQ(r.value(AMP_TYPE), 2);
       EXPECT_EQ(r.validName(), "CRUNCH");
       EXPECT_EQ(r.slot(kReservedSlot), 77);
     }},
    {"morph never brings the rotary to a locked rate it cannot hold",
     [] { return morph(preset(1, TREMOLO, {{EFF_RATE, 200}}), preset(1, ROTARY, {{EFF_RATE, 1}}), 100, locking({EFF_RATE})); },
     [](const PresetRecord& r) {
       EXPECT_EQ(r.value(EFFECT_SELECT), TREMOLO);
       EXPECT_EQ(r.value(EFF_RATE), 200);
     }},
    {"vary at 100 % with only the amp model free changes the model and nothing else",
     [] {
       ExploreRandom random(7);
       return vary(preset(5, CHORUS, {{AMP_GAIN, 12}}), allBut({AMP_TYPE}), 100, random);
     },
     [](const PresetRecord& r) {
       EXPECT_NE(r.value(AMP_TYPE), 5);
       PresetRecord same = r;
       same.setValue(AMP_TYPE, 5);
       EXPECT_EQ(same, preset(5, CHORUS, {{AMP_GAIN, 12}}));
     }},
    {"vary never picks the rotary while a locked rate is above its 0..1",
     [] {
       ExploreRandom random(3);
       PresetRecord r = preset(1, TREMOLO, {{EFF_RATE, 200}});
       // At 100 % the effect changes every time; 200 draws meet every effect.
       for (int n = 0; n < 200; ++n) {
         r = vary(r, allBut({EFFECT_SELECT}), 100, random);
         if (r.value(EFFECT_SELECT) == ROTARY) return r;
       }
       return r;
     },
     [](const PresetRecord& r) { EXPECT_NE(r.value(EFFECT_SELECT), ROTARY); }},
    {"vary leaves a control the effect hides alone",
     [] {
       ExploreRandom random(11);
       return vary(preset(1, BYPASS, {{EFF_ADJUST2, 9}, {EFF_RATE, 40}}), allBut({EFF_ADJUST2, EFF_RATE}), 100, random);
     },
     [](const PresetRecord& r) {
       EXPECT_EQ(r.value(EFF_ADJUST2), 9);
       EXPECT_EQ(r.value(EFF_RATE), 40);
     }},
    {"a 1 % step of a 0..30 control is less than one position: it stays",
     [] {
       ExploreRandom random(5);
       return vary(preset(1, CHORUS, {{AMP_GAIN, 15}}), allBut({AMP_GAIN}), 3, random);
     },
     [](const PresetRecord& r) { EXPECT_EQ(r.value(AMP_GAIN), 15); }},
    {"breeding from one marked candidate at 0 % gives that candidate, with the name on screen",
     [] {
       ExploreRandom random(9);
       const PresetRecord parent = preset(4, ROTARY, {{AMP_GAIN, 30}, {EFF_RATE, 1}, {AMP_MASTER, 2}});
       const PresetRecord onScreen = preset(2, CHORUS, {{AMP_GAIN, 3}, {AMP_MASTER, 20}});
       return breed(onScreen, std::span(&parent, 1), Locks(), 0, random)[5];
     },
     [](const PresetRecord& r) {
       EXPECT_EQ(r.value(AMP_TYPE), 4);
       EXPECT_EQ(r.value(EFFECT_SELECT), ROTARY);
       EXPECT_EQ(r.value(EFF_RATE), 1);
       EXPECT_EQ(r.value(AMP_GAIN), 30);
       EXPECT_EQ(r.value(AMP_MASTER), 20);  // locked by default
       EXPECT_EQ(r.validName(), "CRUNCH");
     }},
};

class ExploreRules : public testing::TestWithParam<RuleRow> {};
TEST_P(ExploreRules, Hold) { GetParam().expect(GetParam().result()); }
INSTANTIATE_TEST_SUITE_P(Explore, ExploreRules, testing::ValuesIn(kRules));

// Presets as the window shows them: every value within its control's range.
rc::Gen<PresetRecord> anyPreset() {
  return rc::gen::exec([] {
    PresetRecord r{};
    const auto length = static_cast<std::size_t>(*rc::gen::inRange(1, 20));
    r.storeName(*rc::gen::container<std::string>(length, rc::gen::inRange('A', static_cast<char>('Z' + 1))));
    r.setSlot(kReservedSlot, *rc::gen::arbitrary<std::int32_t>());
    r.setValue(AMP_TYPE, *rc::gen::inRange(0, kAmpModelCount));
    const int effect = *rc::gen::elementOf(kEffectCodes);
    r.setValue(EFFECT_SELECT, effect);
    for (int p = 0; p < kParameterCount; ++p)
      if (const auto maximum = controlMaximum(p, effect)) r.setValue(p, *rc::gen::inRange(0, *maximum + 1));
    return r;
  });
}

rc::Gen<Locks> anyLocks() {
  return rc::gen::map(rc::gen::inRange(0, 1 << kParameterCount), [](int bits) {
    Locks l = Locks::none();
    for (int p = 0; p < kParameterCount; ++p) l.set(p, (bits >> p) & 1);
    return l;
  });
}

void requireLockedKept(const PresetRecord& before, const PresetRecord& after, const Locks& locks) {
  for (int p = 0; p < kParameterCount; ++p)
    if (locks.locked(p)) RC_ASSERT(after.value(p) == before.value(p));
  RC_ASSERT(after.validName() == before.validName());
  RC_ASSERT(after.slot(kReservedSlot) == before.slot(kReservedSlot));
}

RC_GTEST_PROP(ExploreProperties, VaryKeepsLocksAndGivesAPreset, (std::uint64_t seed)) {
  const PresetRecord p = *anyPreset();
  const Locks locks = *anyLocks();
  ExploreRandom random(seed);
  const PresetRecord r = vary(p, locks, *rc::gen::inRange(0, kLargestAmount + 1), random);
  RC_ASSERT(isPreset(r));
  requireLockedKept(p, r, locks);
}

RC_GTEST_PROP(ExploreProperties, MorphKeepsLocksAndGivesAPreset, ()) {
  const PresetRecord a = *anyPreset(), b = *anyPreset();
  const Locks locks = *anyLocks();
  const PresetRecord r = morph(a, b, *rc::gen::inRange(0, kLargestPosition + 1), locks);
  RC_ASSERT(isPreset(r));
  requireLockedKept(a, r, locks);
}

RC_GTEST_PROP(ExploreProperties, BredCandidatesKeepLocksAndArePresets, (std::uint64_t seed)) {
  const PresetRecord onScreen = *anyPreset();
  const Locks locks = *anyLocks();
  // The parents were bred with the locks of their own generation: a lock ticked since holds
  // against them too.
  ExploreRandom random(seed);
  const Generation first = breed(onScreen, {}, *anyLocks(), kLargestAmount, random);
  const std::vector<PresetRecord> parents(first.begin(), first.begin() + *rc::gen::inRange(0, kCandidates + 1));
  for (const PresetRecord& r : breed(onScreen, parents, locks, *rc::gen::inRange(0, kLargestAmount + 1), random)) {
    RC_ASSERT(isPreset(r));
    requireLockedKept(onScreen, r, locks);
  }
}

RC_GTEST_PROP(ExploreProperties, AmountZeroChangesNothing, (std::uint64_t seed)) {
  const PresetRecord p = *anyPreset();
  ExploreRandom random(seed);
  RC_ASSERT(vary(p, Locks::none(), 0, random) == p);
}

RC_GTEST_PROP(ExploreProperties, MorphEndsAreAAndB, ()) {
  const PresetRecord a = *anyPreset(), b = *anyPreset();
  RC_ASSERT(morph(a, b, 0, Locks::none()) == a);
  PresetRecord bNamedA = b;
  bNamedA.bytes = a.bytes;
  for (int p = 0; p < kParameterCount; ++p) bNamedA.setValue(p, b.value(p));
  RC_ASSERT(morph(a, b, kLargestPosition, Locks::none()) == bNamedA);
}

RC_GTEST_PROP(ExploreProperties, ASeedRepeats, (std::uint64_t seed)) {
  const PresetRecord p = *anyPreset();
  const Locks locks = *anyLocks();
  const int amount = *rc::gen::inRange(0, kLargestAmount + 1);
  ExploreRandom first(seed), second(seed);
  RC_ASSERT(vary(p, locks, amount, first) == vary(p, locks, amount, second));
  RC_ASSERT(breed(p, {}, locks, amount, first) == breed(p, {}, locks, amount, second));
}

RC_GTEST_PROP(ExploreProperties, StepsAreBoundedByTheAmount, (std::uint64_t seed)) {
  const PresetRecord p = *anyPreset();
  const int amount = *rc::gen::inRange(1, kLargestAmount + 1);
  ExploreRandom random(seed);
  const PresetRecord r = vary(p, Locks::none(), amount, random);
  const int effect = r.value(EFFECT_SELECT);
  for (int n = 0; n < kParameterCount; ++n) {
    const auto maximum = controlMaximum(n, effect);
    // A new effect's controls are drawn anew, over their whole range.
    if (!maximum || (effect != p.value(EFFECT_SELECT) && (n == EFF_ADJUST1 || n == EFF_ADJUST2 || n == EFF_RATE))) continue;
    RC_ASSERT(std::abs(r.value(n) - p.value(n)) * kLargestAmount <= amount * *maximum);
    RC_ASSERT(r.value(n) >= 0 && r.value(n) <= *maximum);
  }
}

// The settings keep locks by the window's captions; typed by hand, case and blanks are forgiven
// and what names no control is passed over.
TEST(ExploreLocks, AreKeptByCaption) {
  EXPECT_EQ(Locks::fromText("gain, preset  volume,DEPTH,EFFECT ADJUST 2").text(), "GAIN,PRESET VOLUME,EFFECT ADJUST 2");
  EXPECT_EQ(Locks().text(), "PRESET VOLUME");
  EXPECT_EQ(Locks::fromText(""), Locks::none());
}

// The generator's numbers are ours, so they are the same with every standard library.
TEST(ExploreRandom, GivesTheSameNumbersEverywhere) {
  ExploreRandom random(1234567);
  // SplitMix64's published sequence for this seed: 6457827717110365317, 3203168211198807973.
  EXPECT_EQ(random.next(), 6457827717110365317ULL);
  EXPECT_EQ(random.below(31), static_cast<int>(3203168211198807973ULL % 31));
}

}  // namespace
}  // namespace kestralux
