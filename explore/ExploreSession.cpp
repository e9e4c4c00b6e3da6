#include "explore/ExploreSession.h"

#include <algorithm>
#include <span>

namespace kestralux {

ExploreSession::ExploreSession(EditorState& state, EditSession& edits, Hooks hooks, std::uint64_t seed)
    : state_(state), edits_(edits), hooks_(std::move(hooks)), random_(seed) {}

std::string ExploreSession::blockedText(ExploreBlock block) {
  switch (block) {
    case ExploreBlock::Fetch: return "A FETCH IS RUNNING: EXPLORE WAITS FOR ITS END";
    case ExploreBlock::Store: return "A STORE IS RUNNING: EXPLORE WAITS FOR ITS END";
    case ExploreBlock::None: break;
  }
  return {};
}

std::optional<std::string> ExploreSession::refusal() const {
  const ExploreBlock block = hooks_.blocked ? hooks_.blocked() : ExploreBlock::None;
  if (block == ExploreBlock::None) return std::nullopt;
  return blockedText(block);
}

bool ExploreSession::put(const PresetRecord& record) {
  // A compare ends first, so the step starts from the edit and the window shows it.
  if (edits_.comparing()) {
    const PresetRecord before = state_.current();
    const BankChange ended = edits_.endCompare();
    if (hooks_.shown) hooks_.shown(ended, before);
  }
  const PresetRecord before = state_.current();
  const BankChange change = edits_.pasteSlots(state_.CurrentPreset, std::span<const PresetRecord>(&record, 1));
  heardCandidate_.reset();
  if (change.kind == BankChange::Kind::None) {
    // The slot already held it; the combo plays the slot on screen from here on.
    if (hearingSomethingElse() && hooks_.hearOnScreen) hooks_.hearOnScreen();
    return false;
  }
  if (hooks_.shown) hooks_.shown(change, before);
  return true;
}

void ExploreSession::hear(const PresetRecord& record) {
  if (hooks_.hear) hooks_.hear(record);
}

// By value: the preset on screen changes under it.
std::string ExploreSession::varyFrom(PresetRecord base, const char* said) {
  const PresetRecord result = vary(base, locks, amount, random_);
  if (!put(result)) return "NOTHING CHANGED: RAISE THE AMOUNT OR UNLOCK A CONTROL";
  variation_ = Variation{state_.CurrentPreset, base, result, edits_.steps()};
  return std::string(said) + " BY " + std::to_string(amount) + " %";
}

std::string ExploreSession::varyOnScreen() {
  if (auto why = refusal()) return *why;
  return varyFrom(state_.current(), "VARIED");
}

std::string ExploreSession::again() {
  if (auto why = refusal()) return *why;
  // Only our own variation, still the last step and still on screen, is taken back.
  const bool ours = variation_ && variation_->preset == state_.CurrentPreset && state_.current() == variation_->result &&
                    edits_.steps() == variation_->steps && !edits_.canRedo() && !edits_.comparing();
  if (!ours) return varyFrom(state_.current(), "VARIED");
  const PresetRecord base = variation_->base;
  const PresetRecord before = state_.current();
  const BankChange undone = edits_.undo();
  if (hooks_.shown) hooks_.shown(undone, before);
  return varyFrom(base, "VARIED AGAIN");
}

std::string ExploreSession::setMorphTarget(const PresetRecord& target, std::string description) {
  target_ = target;
  targetDescription_ = std::move(description);
  source_ = state_.current();
  morphPut_.reset();
  position_ = 0;
  return "MORPH TOWARD " + targetDescription_;
}

std::string ExploreSession::moveMorph(int at) {
  if (auto why = refusal()) return *why;
  if (!target_) return "CHOOSE WHAT TO MORPH TOWARD";
  // The preset on screen changed since the last let-go (an edit, another slot): it is the
  // new starting point.
  if (!(morphPut_ && state_.current() == *morphPut_)) {
    source_ = state_.current();
    morphPut_.reset();
  }
  position_ = std::clamp(at, 0, kLargestPosition);
  hear(morph(source_, *target_, position_, locks));
  heardCandidate_.reset();
  return std::to_string(position_) + " % TOWARD " + targetDescription_;
}

std::string ExploreSession::letGoMorph() {
  if (auto why = refusal()) return *why;
  if (!target_) return "CHOOSE WHAT TO MORPH TOWARD";
  if (!(morphPut_ && state_.current() == *morphPut_)) source_ = state_.current();
  const PresetRecord result = morph(source_, *target_, position_, locks);
  put(result);
  morphPut_ = result;
  return "MORPHED " + std::to_string(position_) + " % TOWARD " + targetDescription_;
}

std::string ExploreSession::climb() {
  if (auto why = refusal()) return *why;
  generations_.clear();
  generations_.push_back({breed(state_.current(), {}, locks, amount, random_), {}});
  heardCandidate_.reset();
  return "GENERATION 1: KEYS 1-8 HEAR, SPACE MARKS, ENTER BREEDS";
}

std::string ExploreSession::hearCandidate(int n) {
  if (auto why = refusal()) return *why;
  if (!climbing()) return "CLIMB FIRST";
  if (n < 0 || n >= kCandidates) return {};
  hear(candidates()[static_cast<std::size_t>(n)]);
  heardCandidate_ = n;
  return "CANDIDATE " + std::to_string(n + 1) + (marked(n) ? " (MARKED)" : "");
}

std::string ExploreSession::markHeard() {
  if (!heardCandidate()) return "HEAR A CANDIDATE FIRST (KEYS 1-8)";
  const auto n = static_cast<std::size_t>(*heardCandidate_);
  generations_.back().marks.flip(n);
  return "CANDIDATE " + std::to_string(n + 1) + (generations_.back().marks.test(n) ? " MARKED" : " UNMARKED");
}

std::string ExploreSession::breedNext() {
  if (auto why = refusal()) return *why;
  if (!climbing()) return climb();
  std::vector<PresetRecord> parents;
  const Step& last = generations_.back();
  for (int n = 0; n < kCandidates; ++n)
    if (last.marks.test(static_cast<std::size_t>(n))) parents.push_back(last.candidates[static_cast<std::size_t>(n)]);
  generations_.push_back({breed(state_.current(), parents, locks, amount, random_), {}});
  heardCandidate_.reset();
  const std::string from = parents.empty() ? std::string("THE PRESET ON SCREEN") : std::to_string(parents.size()) + " MARKED";
  return "GENERATION " + std::to_string(generations_.size()) + " FROM " + from;
}

std::string ExploreSession::back() {
  if (generations_.size() <= 1) return "NO EARLIER GENERATION";
  generations_.pop_back();
  heardCandidate_.reset();
  return "BACK TO GENERATION " + std::to_string(generations_.size());
}

std::string ExploreSession::keep() {
  if (auto why = refusal()) return *why;
  if (!heardCandidate()) return "HEAR A CANDIDATE FIRST (KEYS 1-8)";
  const int n = *heardCandidate_;
  put(candidates()[static_cast<std::size_t>(n)]);
  return "CANDIDATE " + std::to_string(n + 1) + " KEPT IN PRESET " + std::to_string(state_.CurrentPreset + 1);
}

std::string ExploreSession::leave() {
  heardCandidate_.reset();
  // During a store the combo takes nothing but the store's messages; a fetch that ends shows
  // and sends the preset on screen by itself.
  if (!hearingSomethingElse() || refusal()) return {};
  if (hooks_.hearOnScreen) hooks_.hearOnScreen();
  return {};
}

}  // namespace kestralux
