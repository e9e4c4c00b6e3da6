// The kind of a sound from its values: every amp model at low and high gain and at the edges
// of its steps, every effect, the delay and reverb that make it AMBIENT.

#include <gtest/gtest.h>

#include "library/SoundCategory.h"
#include "tests/library/LibraryFolder.h"

namespace kestralux {
namespace {

PresetRecord soundOf(int amp, int gain, int effect = 8, int delay = 0, int reverb = 0) {
  PresetRecord r;
  r.setValue(AMP_TYPE, amp);
  r.setValue(AMP_GAIN, gain);
  r.setValue(EFFECT_SELECT, effect);
  r.setValue(DELAY_LEVEL, delay);
  r.setValue(REV_LEVEL, reverb);
  return r;
}

struct KindRow {
  const char* what;
  PresetRecord record;
  const char* kind;
};

TEST(SoundCategory, EveryAmpModelAtLowAndHighGainEveryEffectAndTheAmbientEdges) {
  const std::vector<KindRow> rows{
      {"CLEAN 1 low", soundOf(0, 0), "CLEAN"},
      {"CLEAN 1 high: a clean model is never more than crunch", soundOf(0, 30), "CRUNCH"},
      {"CLEAN 1 just below 7.00", soundOf(0, 20), "CLEAN"},
      {"CLEAN 1 at 7.00", soundOf(0, 21), "CRUNCH"},
      {"BRIT CLASS A low", soundOf(1, 0), "CLEAN"},
      {"BRIT CLASS A high", soundOf(1, 30), "HIGH GAIN"},
      {"BRIT CLASS A at 4.00", soundOf(1, 12), "CRUNCH"},
      {"BRIT CLASS A just below 9.00", soundOf(1, 26), "CRUNCH"},
      {"BRIT BLUES low", soundOf(2, 0), "CLEAN"},
      {"BRIT BLUES high", soundOf(2, 30), "HIGH GAIN"},
      {"BRIT CLASSIC low", soundOf(3, 0), "CLEAN"},
      {"BRIT CLASSIC high", soundOf(3, 30), "HIGH GAIN"},
      {"BRIT CLASSIC mid", soundOf(3, 10), "CRUNCH"},
      {"BRIT HI GAIN low", soundOf(4, 0), "CLEAN"},
      {"BRIT HI GAIN high", soundOf(4, 30), "HIGH GAIN"},
      {"HI GAIN low", soundOf(5, 0), "CLEAN"},
      {"HI GAIN high", soundOf(5, 30), "HIGH GAIN"},
      {"MEGA GAIN low", soundOf(6, 0), "CLEAN"},
      {"MEGA GAIN high", soundOf(6, 30), "HIGH GAIN"},
      {"MEGA GAIN at 3.00", soundOf(6, 9), "HIGH GAIN"},
      {"THRASH low", soundOf(7, 0), "CLEAN"},
      {"THRASH high", soundOf(7, 30), "HIGH GAIN"},
      {"GRUNGE low", soundOf(8, 0), "CLEAN"},
      {"GRUNGE high", soundOf(8, 30), "HIGH GAIN"},
      {"FUZZ low", soundOf(9, 0), "CLEAN"},
      {"FUZZ high", soundOf(9, 30), "FUZZ"},
      {"FUZZ just below 3.00", soundOf(9, 8), "CRUNCH"},
      {"70'S low", soundOf(10, 0), "CLEAN"},
      {"70'S high", soundOf(10, 30), "HIGH GAIN"},
      {"TEXAS low", soundOf(11, 0), "CLEAN"},
      {"TEXAS high", soundOf(11, 30), "HIGH GAIN"},
      {"BLUES low", soundOf(12, 0), "CLEAN"},
      {"BLUES high", soundOf(12, 30), "HIGH GAIN"},
      {"TWEED low", soundOf(13, 0), "CLEAN"},
      {"TWEED high", soundOf(13, 30), "HIGH GAIN"},
      {"JAZZ low", soundOf(14, 0), "CLEAN"},
      {"JAZZ high", soundOf(14, 30), "CRUNCH"},
      {"CLEAN 2 low", soundOf(15, 0), "CLEAN"},
      {"CLEAN 2 high", soundOf(15, 30), "CRUNCH"},
      {"a gain past the scale, from a file", soundOf(9, 255), "FUZZ"},
      {"an amp model the combo has not", soundOf(16, 30), "CLEAN"},
      {"CHORUS", soundOf(0, 0, 0), "CLEAN, MODULATION"},
      {"FLANGER", soundOf(0, 0, 2), "CLEAN, MODULATION"},
      {"DETUNE", soundOf(0, 0, 6), "CLEAN, MODULATION"},
      {"BYPASS", soundOf(0, 0, 8), "CLEAN"},
      {"COMPRESSOR", soundOf(0, 0, 10), "CLEAN, DYNAMICS"},
      {"WAH", soundOf(0, 0, 11), "CLEAN, WAH"},
      {"ROTARY", soundOf(0, 0, 12), "CLEAN, MODULATION"},
      {"PHASER", soundOf(0, 0, 13), "CLEAN, MODULATION"},
      {"TREMOLO 1", soundOf(0, 0, 14), "CLEAN, MODULATION"},
      {"TREMOLO 2", soundOf(0, 0, 15), "CLEAN, MODULATION"},
      {"delay just below 6.66", soundOf(0, 0, 8, 19, 0), "CLEAN"},
      {"delay at 6.66", soundOf(0, 0, 8, 20, 0), "CLEAN, AMBIENT"},
      {"reverb at 6.66", soundOf(0, 0, 8, 0, 20), "CLEAN, AMBIENT"},
      {"reverb just below, delay off", soundOf(0, 0, 8, 0, 19), "CLEAN"},
      {"all three", soundOf(6, 30, 11, 30, 30), "HIGH GAIN, WAH, AMBIENT"},
  };
  for (const KindRow& row : rows) EXPECT_EQ(kindText(soundKindOf(row.record)), row.kind) << row.what;
}

// The library finds a kind with SQL built from the same table: it must find exactly the sounds
// whose values the table reads so, at every step of every amp model.
TEST(SoundCategory, TheLibraryFindsEachKindAsTheTableReadsIt) {
  const auto folder = test::freshFolder("kinds");
  PresetLibrary library;
  ASSERT_EQ(library.open(folder / "library.sqlite", folder / "history").state, LibraryOpening::State::Ready);
  std::vector<PresetRecord> sounds;
  for (int amp = 0; amp < kAmpModelCount; ++amp)
    for (int gain = 0; gain <= 31; ++gain) {
      const int effect = kEffectCodes[static_cast<std::size_t>(gain) % kEffectCodes.size()];
      sounds.push_back(soundOf(amp, gain, effect, gain % 7 == 0 ? 25 : 0, amp % 5 == 0 ? 20 : 19));
    }
  const std::vector<Place> places(sounds.size(), Place{SightingKind::Imported, 0, "x"});
  ASSERT_FALSE(library.noteRecords(sounds, places, 100).error);
  for (const char* name : {"CLEAN", "crunch", "High Gain", "FUZZ", "MODULATION", "WAH", "DYNAMICS", "AMBIENT"}) {
    const KindFilter filter = kindFilterNamed(name).value();
    std::int64_t expected = 0;
    for (const PresetRecord& r : sounds) {
      const SoundKind kind = soundKindOf(r);
      expected += (!filter.category || *filter.category == kind.category) && (!filter.family || *filter.family == kind.family) &&
                  (!filter.ambient || kind.ambient);
    }
    LibraryQuery q;
    q.kind = name;
    const SearchResult found = library.search(q);
    EXPECT_EQ(found.count, expected) << name;
    EXPECT_GT(found.count, 0) << name;
  }
  EXPECT_FALSE(kindFilterNamed("none")) << "no family is not a kind to search for";
}

}  // namespace
}  // namespace kestralux
