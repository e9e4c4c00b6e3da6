// The preset library's figures: bringing in 500 history banks (15,000 presets of about 1,000
// distinct sounds), and searches over 100,000 sounds seen 1,000,000 times, by name, by a
// value and by closeness (the sounds close to one, every close pair for the pane's counts and
// hiding), and the opening of that library; and the newest bank of the combo in that history,
// which each fetch reads. Prints medians; asserts nothing timed. Goals: 2 s for the history,
// 20 ms for the combo's bank, 20 ms for a name, 50 ms with a condition, 1 s for close sounds.
// Run: library_bench [FOLDER] (with a folder, the big library is kept there and used again)

#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <optional>
#include <random>
#include <string>
#include <vector>

#include "files/BankHistory.h"
#include "files/PresetFiles.h"
#include "bench/RandomSounds.h"
#include "library/CloseSounds.h"
#include "library/PresetLibrary.h"

namespace fs = std::filesystem;
using namespace kestralux;

namespace kestralux::bench {
bool shareFigures(const fs::path& folder);  // library_share_figures.cpp
}
using bench::kWords;
using bench::randomSound;
using Clock = std::chrono::steady_clock;

namespace {

double milliseconds(Clock::duration d) { return std::chrono::duration<double, std::milli>(d).count(); }

double median(std::vector<double> v) {
  std::sort(v.begin(), v.end());
  return v[v.size() / 2];
}

std::string randomName(std::mt19937& random) {
  return kWords[random() % kWords.size()] + " " + std::to_string(random() % 100);
}

bool fail(const std::string& why) {
  std::fprintf(stderr, "library_bench: %s\n", why.c_str());
  return false;
}

bool historyImport(const fs::path& folder) {
  const fs::path history = folder / "history";
  fs::create_directories(history);
  std::mt19937 random(7);
  std::vector<PresetRecord> pool;
  for (int n = 0; n < 1000; ++n) pool.push_back(randomSound(random, n));
  for (int b = 0; b < 500; ++b) {
    PresetBank bank{};
    for (PresetRecord& r : bank) {
      r = pool[random() % pool.size()];
      r.storeName(randomName(random));
    }
    char name[64];
    std::snprintf(name, sizeof name, "2026-01-%02d %02d-%02d-00 fetched.bnk", 1 + b / 24, b % 24, b % 60);
    std::string error;
    if (!writeFileAtomically(history / name, bankFileImage(bank), error)) return fail(error);
  }
  std::vector<double> times;
  int sounds = 0;
  for (int run = 0; run < 3; ++run) {
    fs::remove(folder / "library.sqlite");
    const auto start = Clock::now();
    PresetLibrary library;
    const LibraryOpening opening = library.open(folder / "library.sqlite", history);
    times.push_back(milliseconds(Clock::now() - start));
    if (opening.state != LibraryOpening::State::Ready) return fail(opening.message);
    sounds = opening.soundsFromHistory;
  }
  std::printf("history of 500 banks (15,000 presets) brought in: %d sounds, median %.0f ms of 3 (goal 2000 ms)\n", sounds,
              median(times));
  // What a fetch reads once, at its first preset, to name the slots this run knows nothing of.
  std::vector<double> lookups;
  for (int run = 0; run < 21; ++run) {
    const auto start = Clock::now();
    if (!newestComboBank(history)) return fail("no bank of the combo in the history");
    lookups.push_back(milliseconds(Clock::now() - start));
  }
  std::printf("the combo's bank as last known, from the same history: median %.1f ms of 21 (goal 20 ms)\n", median(lookups));
  return true;
}

bool searches(const fs::path& folder, const std::optional<fs::path>& kept) {
  const fs::path file = kept ? *kept / "big.sqlite" : folder / "big.sqlite";
  const bool written = kept && fs::exists(file);
  if (!written) fs::remove(file);
  PresetLibrary library;
  if (library.open(file, folder / "no-history").state != LibraryOpening::State::Ready) return fail("cannot open the library");
  std::mt19937 random(11);
  constexpr int kSounds = 100000, kSeen = 10;
  const auto start = Clock::now();
  std::vector<PresetRecord> records;
  std::vector<Place> places;
  for (int round = 0; round < (written ? 0 : kSeen); ++round) {
    for (int n = 0; n < kSounds; ++n) {
      std::mt19937 own(static_cast<unsigned>(n));
      PresetRecord r = randomSound(own, n);
      r.storeName(randomName(random));
      records.push_back(r);
      places.push_back({SightingKind::Imported, 1 + n % 30, "/banks/bank" + std::to_string(n / 30) + ".bnk"});
      if (records.size() == 20000) {
        const Noted noted = library.noteRecords(records, places, 1000000 + round * kSounds + n);
        if (noted.error) return fail(*noted.error);
        records.clear();
        places.clear();
      }
    }
  }
  std::printf("library of %d sounds and %d sightings written in %.1f s, %.0f MB\n", kSounds, kSounds * kSeen,
              milliseconds(Clock::now() - start) / 1000, static_cast<double>(fs::file_size(file)) / 1e6);
  // An opening reads every page once for its quick check: the cost of finding damage early.
  const auto opened = Clock::now();
  if (library.open(file, folder / "no-history").state != LibraryOpening::State::Ready) return fail("cannot open the library again");
  std::printf("opening it again, with its quick check: %.0f ms\n", milliseconds(Clock::now() - opened));

  const auto timed = [&](const char* what, auto makeQuery, double goal) {
    std::vector<double> times;
    std::int64_t matches = 0;
    for (int run = 0; run < 21; ++run) {
      const LibraryQuery q = makeQuery(run);
      const auto t = Clock::now();
      const SearchResult result = library.search(q);
      times.push_back(milliseconds(Clock::now() - t));
      if (!result.error.empty()) return fail(result.error);
      matches += result.count;
    }
    std::printf("%s: median %.1f ms of 21, %lld matches on average (goal %.0f ms)\n", what, median(times),
                static_cast<long long>(matches / 21), goal);
    return true;
  };
  const auto byName = [&](int run) {
    LibraryQuery q;
    q.text = kWords[static_cast<std::size_t>(run) % kWords.size()] + " " + std::to_string(10 + run);
    q.limit = 500;
    return q;
  };
  const auto byNameAndValue = [&](int run) {
    LibraryQuery q = byName(run);
    q.conditions = {"GAIN >= 7"};
    return q;
  };
  const auto byValues = [&](int run) {
    LibraryQuery q;
    q.conditions = {"GAIN >= 7", "DELAY TIME < " + std::to_string(300 + run)};
    q.limit = 500;
    return q;
  };
  const auto byValuesAll = [&](int run) {
    LibraryQuery q = byValues(run);
    q.limit.reset();
    return q;
  };
  const auto near = [&](int run) {
    LibraryQuery q;
    q.near = 1 + (run * 4999) % kSounds;
    return q;
  };
  const auto counted = [&](int) {
    LibraryQuery q;
    q.closeCounts = true;
    q.limit = 500;
    return q;
  };
  const auto hiding = [&](int) {
    LibraryQuery q = counted(0);
    q.hideClose = true;
    return q;
  };
  // The first list with counts finds every close pair of the library; later ones reuse them
  // until a new sound comes.
  const auto first = Clock::now();
  if (const SearchResult r = library.search(counted(0)); !r.error.empty()) return fail(r.error);
  std::printf("every close pair of %d sounds found, with the first 500 rows: %.0f ms (goal 1000 ms)\n", kSounds,
              milliseconds(Clock::now() - first));
  return timed("search by a name", byName, 20) && timed("search by a name with GAIN >= 7", byNameAndValue, 50) &&
         timed("search by GAIN >= 7 and DELAY TIME < 300, first 500 rows", byValues, 50) &&
         timed("the same, every row", byValuesAll, 50) && timed("the sounds close to one (--near)", near, 1000) &&
         timed("first 500 rows with their close sounds counted", counted, 1000) &&
         timed("the same, close sounds hidden", hiding, 1000);
}

// Close sounds where there are many: 20,000 sounds each with four others a step or two away,
// in the core alone.
void closeGroups() {
  std::mt19937 random(5);
  std::vector<PresetRecord> sounds;
  for (int n = 0; n < 20000; ++n) {
    const PresetRecord base = randomSound(random, n);
    sounds.push_back(base);
    for (int k = 0; k < 4; ++k) {
      PresetRecord variant = base;
      const int p = closeControls(base.value(EFFECT_SELECT))[random() % 6];
      variant.setValue(p, std::max(0, base.value(p) + static_cast<int>(random() % 5) - 2));
      variant.setSlot(kReservedSlot, 100000 + n * 4 + k);
      sounds.push_back(variant);
    }
  }
  std::vector<double> times;
  std::size_t pairs = 0;
  for (int run = 0; run < 5; ++run) {
    const auto start = Clock::now();
    const auto neighbours = closeNeighbours(sounds);
    std::vector<int> everyone(sounds.size());
    for (std::size_t i = 0; i < everyone.size(); ++i) everyone[i] = static_cast<int>(i);
    const auto kept = keptOfCloseGroups(neighbours, everyone);
    times.push_back(milliseconds(Clock::now() - start));
    pairs = 0;
    for (const auto& list : neighbours) pairs += list.size();
    pairs /= 2;
    if (kept.empty()) return;
  }
  std::printf("close pairs and groups of 100,000 sounds in clusters of five: %zu pairs, median %.0f ms of 5 (goal 1000 ms)\n",
              pairs, median(times));
}

}  // namespace

int main(int argc, char** argv) {
  const fs::path folder = fs::temp_directory_path() / ("kestralux-library-bench-" + std::to_string(::getpid()));
  fs::remove_all(folder);
  fs::create_directories(folder);
  // A folder given keeps the big library between runs, to compare searches without writing it again.
  const std::optional<fs::path> kept = argc > 1 ? std::optional<fs::path>(argv[1]) : std::nullopt;
  if (kept) fs::create_directories(*kept);
  closeGroups();
  const bool ok = (kept || historyImport(folder)) && searches(folder, kept) && bench::shareFigures(folder);
  fs::remove_all(folder);
  return ok ? 0 : 1;
}
