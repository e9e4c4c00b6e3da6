// The figures of the library beyond one machine, part of library_bench: a .kessound file of
// 10,000 sounds imported into an empty library and then again (all known), and a sync that
// reads 10,000 changes another library wrote (10,000 sightings of 5,000 sounds, with tags,
// favourites and notes) and writes its own. Prints medians of three; asserts nothing timed.
// Goals: 2 s for the import of 10,000 sounds.

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <random>
#include <string>
#include <vector>

#include "bench/RandomSounds.h"
#include "library/LibraryImport.h"
#include "library/LibrarySync.h"
#include "library/SoundFile.h"

namespace kestralux::bench {

namespace {

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;

double ms(Clock::duration d) { return std::chrono::duration<double, std::milli>(d).count(); }

double median(std::vector<double> v) {
  std::sort(v.begin(), v.end());
  return v[v.size() / 2];
}

bool fail(const std::string& why) {
  std::fprintf(stderr, "library_bench: %s\n", why.c_str());
  return false;
}

}  // namespace

bool shareFigures(const fs::path& folder) {
  std::mt19937 random(11);
  std::vector<SharedSound> sounds(10000);
  for (int n = 0; n < 10000; ++n) {
    SharedSound& s = sounds[static_cast<std::size_t>(n)];
    s.sound = randomSound(random, n);
    s.names = {{kWords[random() % kWords.size()] + " " + std::to_string(n % 1000), 1765000000 + n}};
    if (n % 3 == 0) s.tags = {"live"};
    if (n % 7 == 0) s.note = "from the band";
  }
  const fs::path file = folder / "many.kessound";
  std::ofstream(file, std::ios::binary) << soundFileText(sounds);

  std::vector<double> first, again, reads, writes;
  for (int run = 0; run < 3; ++run) {
    const fs::path at = folder / ("share-" + std::to_string(run));
    fs::create_directories(at / "sync");
    PresetLibrary library;
    if (library.open(at / "library.sqlite", at / "history").state != LibraryOpening::State::Ready) return fail("cannot open a library");
    auto start = Clock::now();
    const ImportReport report = importPaths(library, std::span(&file, 1));
    first.push_back(ms(Clock::now() - start));
    if (report.added() != 10000) return fail("the import took " + std::to_string(report.added()) + " sounds, not 10,000");
    start = Clock::now();
    importPaths(library, std::span(&file, 1));
    again.push_back(ms(Clock::now() - start));

    // Another library's 10,000 changes: half the sounds seen twice, each sighting a change.
    PresetLibrary other;
    other.open(at / "other.sqlite", at / "history");
    std::vector<PresetRecord> records;
    std::vector<Place> places;
    for (int n = 0; n < 10000; ++n) {
      records.push_back(sounds[static_cast<std::size_t>(n % 5000)].sound);
      places.push_back({SightingKind::Fetched, 1 + n % 30, ""});
    }
    if (other.noteRecords(records, places, 1766000000).error) return fail("cannot note 10,000 sightings");
    start = Clock::now();
    SyncReport sync = syncFolder(other, at / "sync");
    writes.push_back(ms(Clock::now() - start));
    if (sync.error || sync.sent != 10000) return fail("the other library sent " + std::to_string(sync.sent) + " changes");
    start = Clock::now();
    sync = syncFolder(library, at / "sync");
    reads.push_back(ms(Clock::now() - start));
    if (sync.error || sync.received.size() != 1 || sync.received[0].merged.sightings != 10000) return fail("the sync did not take 10,000 sightings");
  }
  std::printf("kessound import, 10,000 sounds into an empty library: %.0f ms (goal 2,000 ms)\n", median(first));
  std::printf("kessound import, the same file again (nothing new): %.0f ms\n", median(again));
  std::printf("sync, writing 10,000 changes to the folder: %.0f ms\n", median(writes));
  std::printf("sync, reading and merging 10,000 changes of another library (and writing 10,000 of its own): %.0f ms\n", median(reads));
  return true;
}

}  // namespace kestralux::bench
