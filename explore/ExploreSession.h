#pragma once
// What the explore window does, without the window: the amount, the locks, the variation that
// AGAIN takes back, the morph's two ends and position, the climb's generations with their
// marks, and what the combo is hearing. Only a variation, a morph let go and KEEP reach the
// bank, each as one undo step on the slot on screen; hearing a candidate or a morph position
// sends it as the combo's current sound and leaves the bank alone. Each action returns what
// the window says about it.

#include <bitset>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "explore/Explore.h"
#include "model/EditSession.h"
#include "model/EditorState.h"

namespace kestralux {

// What keeps the explore window from acting: a transfer owns the bank and the combo's ears.
enum class ExploreBlock { None, Fetch, Store };

class ExploreSession {
 public:
  struct Hooks {
    // Sends the record as the combo's current sound, whole; the bank is not touched.
    std::function<void(const PresetRecord&)> hear;
    // Sends the preset on screen again, whole.
    std::function<void()> hearOnScreen;
    // Whether the combo plays something else than the preset on screen: ours, or a sound
    // heard from elsewhere, for there is one such state.
    std::function<bool()> hearing;
    // The bank changed (one step, or a compare ended): the window shows it and sends it.
    std::function<void(const BankChange&, const PresetRecord& shownBefore)> shown;
    std::function<ExploreBlock()> blocked;
  };

  ExploreSession(EditorState& state, EditSession& edits, Hooks hooks, std::uint64_t seed);

  int amount = 25;  // percent, 1..100
  Locks locks;

  // VARY: the preset on screen varied by the amount, one step. AGAIN: that step undone and the
  // same preset varied anew; with nothing of ours to undo, the same as VARY.
  std::string varyOnScreen();
  std::string again();

  // MORPH: from the preset on screen toward `target`; moving the slider is heard, letting go
  // puts the morph into the slot on screen as one step. A move after a let-go still morphs
  // from the same preset, not from the morph it put there.
  std::string setMorphTarget(const PresetRecord& target, std::string description);
  std::string moveMorph(int at);
  std::string letGoMorph();
  bool hasMorphTarget() const { return target_.has_value(); }
  int morphPosition() const { return position_; }

  // CLIMB: generations of candidates. Hearing is never an edit; KEEP is.
  std::string climb();
  std::string hearCandidate(int n);  // 0..7
  std::string markHeard();           // marks or unmarks the candidate heard
  std::string breedNext();
  std::string back();
  std::string keep();

  // Esc or closing: the combo plays the preset on screen again.
  std::string leave();

  bool climbing() const { return !generations_.empty(); }
  std::size_t generation() const { return generations_.size(); }
  const Generation& candidates() const { return generations_.back().candidates; }
  bool marked(int n) const { return climbing() && generations_.back().marks.test(static_cast<std::size_t>(n)); }
  // The candidate the combo is playing, if it plays one: a hearing ended anywhere ends it.
  std::optional<int> heardCandidate() const { return hearingSomethingElse() ? heardCandidate_ : std::nullopt; }
  // The combo plays something else than the preset on screen (a candidate, even of a generation
  // gone since, or a morph position).
  bool hearingSomethingElse() const { return hooks_.hearing && hooks_.hearing(); }

  // Texts the window shows.
  static std::string blockedText(ExploreBlock block);

 private:
  struct Step {
    Generation candidates;
    std::bitset<kCandidates> marks;
  };
  std::optional<std::string> refusal() const;
  // The record into the slot on screen, one step; whether the bank changed.
  bool put(const PresetRecord& record);
  void hear(const PresetRecord& record);
  std::string varyFrom(PresetRecord base, const char* said);

  EditorState& state_;
  EditSession& edits_;
  Hooks hooks_;
  ExploreRandom random_;

  // The last variation: the preset it varied, what it put there, and the undo steps after it.
  struct Variation {
    int preset;
    PresetRecord base, result;
    std::size_t steps;
  };
  std::optional<Variation> variation_;

  std::optional<PresetRecord> target_;
  std::string targetDescription_;
  PresetRecord source_{};
  std::optional<PresetRecord> morphPut_;
  int position_ = 0;

  std::vector<Step> generations_;
  std::optional<int> heardCandidate_;
};

}  // namespace kestralux
