#include "library/CloseSounds.h"

#include <algorithm>
#include <cstdlib>
#include <map>
#include <utility>

#include "editor/EditorTables.h"

namespace kestralux {

namespace {

// The controls most sounds differ in come first, so the first splits leave small groups.
constexpr int kNarrowingOrder[] = {AMP_GAIN,   DELAY_TIME,  AMP_TREBLE, AMP_MID,   AMP_BASS,    AMP_MASTER, REV_LEVEL,
                                   DELAY_LEVEL, DELAY_REGEN, DELAY_PAN, GATE_THRES, EFF_RATE,   EFF_ADJUST1, EFF_ADJUST2};

using Group = std::vector<int>;

// Splits sounds pairwise within a step on the controls before `depth` into the pairs within a
// step on all of them. A self join looks for pairs inside one group, a cross join for pairs
// between two groups.
class PairFinder {
 public:
  PairFinder(std::span<const PresetRecord> sounds, std::vector<int> controls, std::vector<std::vector<int>>& out)
      : sounds_(sounds), controls_(std::move(controls)), out_(out) {}

  void self(Group group, std::size_t depth) {
    if (group.size() < 2) return;
    if (depth == controls_.size()) {
      for (std::size_t i = 0; i < group.size(); ++i)
        for (std::size_t j = i + 1; j < group.size(); ++j) pair(group[i], group[j]);
      return;
    }
    const std::vector<Run> runs = split(group, depth);
    for (std::size_t r = 0; r < runs.size(); ++r) {
      self(runs[r].members, depth + 1);
      if (r + 1 < runs.size() && runs[r + 1].value - runs[r].value <= kCloseSteps) cross(runs[r].members, runs[r + 1].members, depth + 1);
    }
  }

  void cross(Group a, Group b, std::size_t depth) {
    if (a.empty() || b.empty()) return;
    if (depth == controls_.size()) {
      for (const int i : a)
        for (const int j : b) pair(i, j);
      return;
    }
    const std::vector<Run> left = split(a, depth), right = split(b, depth);
    std::size_t from = 0;
    for (const Run& l : left) {
      while (from < right.size() && right[from].value < l.value - kCloseSteps) ++from;
      for (std::size_t r = from; r < right.size() && right[r].value <= l.value + kCloseSteps; ++r)
        cross(l.members, right[r].members, depth + 1);
    }
  }

 private:
  struct Run {
    std::int32_t value;
    Group members;
  };

  std::vector<Run> split(Group& group, std::size_t depth) const {
    const int control = controls_[depth];
    std::sort(group.begin(), group.end(), [&](int x, int y) { return valueOf(x, control) < valueOf(y, control); });
    std::vector<Run> runs;
    for (const int i : group) {
      const std::int32_t v = valueOf(i, control);
      if (runs.empty() || runs.back().value != v) runs.push_back({v, {}});
      runs.back().members.push_back(i);
    }
    return runs;
  }

  std::int32_t valueOf(int i, int control) const { return sounds_[static_cast<std::size_t>(i)].value(control); }

  void pair(int i, int j) {
    out_[static_cast<std::size_t>(i)].push_back(j);
    out_[static_cast<std::size_t>(j)].push_back(i);
  }

  std::span<const PresetRecord> sounds_;
  std::vector<int> controls_;
  std::vector<std::vector<int>>& out_;
};

}  // namespace

std::vector<int> closeControls(int effect) {
  std::vector<int> controls;
  for (const int p : kNarrowingOrder)
    if (effectHasControl(effect, p)) controls.push_back(p);
  return controls;
}

bool areClose(const PresetRecord& a, const PresetRecord& b) {
  if (a.value(AMP_TYPE) != b.value(AMP_TYPE) || a.value(EFFECT_SELECT) != b.value(EFFECT_SELECT)) return false;
  for (const int p : closeControls(a.value(EFFECT_SELECT)))
    if (std::abs(static_cast<std::int64_t>(a.value(p)) - b.value(p)) > kCloseSteps) return false;
  return true;
}

std::vector<std::vector<int>> closeNeighbours(std::span<const PresetRecord> sounds) {
  std::vector<std::vector<int>> out(sounds.size());
  std::map<std::pair<std::int32_t, std::int32_t>, Group> buckets;
  for (std::size_t i = 0; i < sounds.size(); ++i)
    buckets[{sounds[i].value(AMP_TYPE), sounds[i].value(EFFECT_SELECT)}].push_back(static_cast<int>(i));
  for (auto& [key, group] : buckets) PairFinder(sounds, closeControls(key.second), out).self(std::move(group), 0);
  for (std::vector<int>& list : out) std::sort(list.begin(), list.end());
  return out;
}

std::vector<bool> keptOfCloseGroups(const std::vector<std::vector<int>>& neighbours, std::span<const int> members) {
  enum : char { Outside, Listed, Kept };
  std::vector<char> state(neighbours.size(), Outside);
  for (const int m : members) state[static_cast<std::size_t>(m)] = Listed;
  std::vector<bool> kept(members.size(), false);
  for (std::size_t n = 0; n < members.size(); ++n) {
    const auto& close = neighbours[static_cast<std::size_t>(members[n])];
    kept[n] = std::none_of(close.begin(), close.end(), [&](int other) { return state[static_cast<std::size_t>(other)] == Kept; });
    if (kept[n]) state[static_cast<std::size_t>(members[n])] = Kept;
  }
  return kept;
}

}  // namespace kestralux
