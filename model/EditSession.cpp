#include "model/EditSession.h"

#include <algorithm>

namespace kestralux {

namespace {

PresetRecord& at(EditorState& state, int n) { return state.bank[static_cast<std::size_t>(n)]; }

}  // namespace

void EditSession::touch(Open& open, int n) {
  open.try_emplace(n, at(state_, n));
  // A new change: what was undone cannot come back over it.
  redo_.clear();
}

void EditSession::close(Open& open, BankChange::Kind kind) {
  Step step{kind, {}};
  for (const auto& [n, before] : open)
    if (at(state_, n) != before) step.records.push_back({n, before, at(state_, n)});
  open.clear();
  if (!step.records.empty()) push(std::move(step));
}

void EditSession::push(Step step) {
  undo_.push_back(std::move(step));
  if (undo_.size() > kUndoStepsKept) undo_.erase(undo_.begin());
  redo_.clear();
}

bool EditSession::setValue(int parameter, std::int32_t value) {
  PresetRecord changedValue = state_.current();
  changedValue.setValue(parameter, value);
  return write(changedValue);
}

bool EditSession::setName(std::string_view latin1) {
  PresetRecord changedName = state_.current();
  if (!changedName.storeName(latin1)) return false;
  return write(changedName);
}

bool EditSession::write(const PresetRecord& record) {
  const int n = state_.CurrentPreset;
  PresetRecord& reference = state_.reference[static_cast<std::size_t>(n)];
  if (record == state_.current()) return false;
  if (showing_) {
    // Written back by a control as it shows the preset: no step of the user's. The name box
    // writes the name as it shows it (in capitals), which is no change the combo would hear,
    // so the reference takes the same name. A value held to its control's range is a change
    // a store would make: the reference keeps the old value, and the preset is marked. While
    // comparing, the bank holds a copy of the reference that the compare's end puts away
    // again; the reference itself is never written then.
    if (!compared_ && sameSoundAndName(reference, state_.current()) && sameSound(record, state_.current()))
      std::copy_n(record.bytes.begin(), kNameFieldSize, reference.bytes.begin());
  } else if (transfer_) {
    touch(sinceStep_, n);
    userInTransfer_ = true;
  } else {
    touch(user_, n);
  }
  state_.current() = record;
  tell();
  return true;
}

void EditSession::endAction() {
  if (transfer_) {
    // The end of an action while presets arrive: the bank as it is now, with the presets
    // that arrived since the last step, is a state undo may come back to.
    if (!userInTransfer_) return;
    userInTransfer_ = false;
    close(sinceStep_, BankChange::Kind::Presets);
    tell();
    return;
  }
  if (user_.empty()) return;
  close(user_, BankChange::Kind::Edit);
  tell();
}

void EditSession::loadPreset(int n, const PresetRecord& record) {
  if (transfer_) return;
  restoreCompared();
  endAction();
  Open open;
  touch(open, n);
  replacedEdits_ = replacesEdit(n, record);
  at(state_, n) = record;
  state_.reference[static_cast<std::size_t>(n)] = record;
  close(open, BankChange::Kind::Presets);
  tell();
}

void EditSession::loadBank(std::span<const PresetRecord> records) {
  if (transfer_) return;
  restoreCompared();
  endAction();
  Open open;
  replacedEdits_ = 0;
  for (std::size_t n = 0; n < records.size() && n < state_.bank.size(); ++n) {
    replacedEdits_ += replacesEdit(static_cast<int>(n), records[n]);
    touch(open, static_cast<int>(n));
    state_.bank[n] = records[n];
    state_.reference[n] = records[n];
  }
  close(open, BankChange::Kind::Presets);
  tell();
}

void EditSession::fetched(int n, const PresetRecord& record) {
  if (compared_) {
    restoreCompared();
    compareEndedByTransfer_ = true;
  }
  if (!transfer_) {
    // What was edited before the first preset came is a step of its own.
    endAction();
    transfer_ = true;
    replacedEdits_ = 0;
  }
  replacedEdits_ += replacesEdit(n, record);
  touch(sinceStep_, n);
  at(state_, n) = record;
  state_.reference[static_cast<std::size_t>(n)] = record;
  tell();
}

void EditSession::fetchEnded() {
  close(sinceStep_, BankChange::Kind::Presets);
  transfer_ = false;
  userInTransfer_ = false;
  tell();
}

void EditSession::saved(int n) {
  state_.reference[static_cast<std::size_t>(n)] = compared_ && compared_->first == n ? compared_->second : at(state_, n);
  tell();
}

void EditSession::savedAll() {
  state_.reference = state_.bank;
  if (compared_) state_.reference[static_cast<std::size_t>(compared_->first)] = compared_->second;
  tell();
}

void EditSession::stored(const PresetBank& asStored, std::bitset<kPresetCount> which) {
  for (std::size_t n = 0; n < asStored.size(); ++n)
    if (which[n]) state_.reference[n] = asStored[n];
  tell();
}

bool EditSession::replacesEdit(int n, const PresetRecord& record) const {
  return edited(n) && !sameSoundAndName(state_.bank[static_cast<std::size_t>(n)], record);
}

int EditSession::editedCount() const {
  int count = 0;
  for (int n = 0; n < kPresetCount; ++n) count += edited(n);
  return count;
}

bool EditSession::edited(int n) const {
  const PresetRecord& shown = compared_ && compared_->first == n ? compared_->second : state_.bank[static_cast<std::size_t>(n)];
  return !sameSoundAndName(shown, state_.reference[static_cast<std::size_t>(n)]);
}

BankChange EditSession::apply(const Step& step, bool forward) {
  const PresetRecord shown = state_.current();
  for (const Record& r : step.records) at(state_, r.preset) = forward ? r.after : r.before;
  return {step.kind, step.records.front().preset, state_.current() != shown};
}

bool EditSession::canArrange(int first, int count) const {
  // Presets arriving go to the slots the combo numbers; moved, they would land on others.
  return !transfer_ && count > 0 && first >= 0 && first <= kPresetCount - count;
}

// One step from the bank as it is to `arranged`; the references stay where they are.
BankChange EditSession::arrange(const PresetBank& arranged, int written) {
  restoreCompared();
  endAction();
  const PresetRecord shown = state_.current();
  Open open;
  for (int n = 0; n < kPresetCount; ++n)
    if (arranged[static_cast<std::size_t>(n)] != at(state_, n)) touch(open, n);
  if (open.empty()) return {BankChange::Kind::None, 0, false, written};
  const int firstChanged = open.begin()->first;
  state_.bank = arranged;
  close(open, BankChange::Kind::Presets);
  tell();
  return {BankChange::Kind::Presets, firstChanged, state_.current() != shown, written};
}

BankChange EditSession::moveSlots(int first, int count, int to) {
  if (!canArrange(first, count) || !canArrange(to, count)) return {};
  PresetBank arranged = state_.bank;
  const auto begin = arranged.begin();
  if (to < first)
    std::rotate(begin + to, begin + first, begin + first + count);
  else
    std::rotate(begin + first, begin + first + count, begin + to + count);
  return arrange(arranged, count);
}

BankChange EditSession::copySlots(int first, int count, int to) {
  if (!canArrange(first, count) || !canArrange(to, count)) return {};
  PresetBank arranged = state_.bank;
  std::copy_n(state_.bank.begin() + first, count, arranged.begin() + to);
  return arrange(arranged, count);
}

BankChange EditSession::swapSlots(int first, int other, int count) {
  if (!canArrange(first, count) || !canArrange(other, count)) return {};
  if (first < other + count && other < first + count) return {};
  PresetBank arranged = state_.bank;
  std::swap_ranges(arranged.begin() + first, arranged.begin() + first + count, arranged.begin() + other);
  return arrange(arranged, count);
}

BankChange EditSession::gatherSlots(std::span<const int> slots, int to) {
  const int count = static_cast<int>(slots.size());
  if (!canArrange(to, count) || !std::is_sorted(slots.begin(), slots.end()) ||
      std::adjacent_find(slots.begin(), slots.end()) != slots.end() || slots.front() < 0 || slots.back() >= kPresetCount)
    return {};
  std::vector<PresetRecord> picked, others;
  for (int n = 0; n < kPresetCount; ++n)
    (std::binary_search(slots.begin(), slots.end(), n) ? picked : others).push_back(at(state_, n));
  others.insert(others.begin() + to, picked.begin(), picked.end());
  PresetBank arranged;
  std::copy(others.begin(), others.end(), arranged.begin());
  return arrange(arranged, count);
}

BankChange EditSession::pasteSlots(int first, std::span<const PresetRecord> records) {
  const int count = static_cast<int>(std::min<std::size_t>(records.size(), static_cast<std::size_t>(std::max(0, kPresetCount - first))));
  if (!canArrange(first, count)) return {};
  PresetBank arranged = state_.bank;
  std::copy_n(records.begin(), count, arranged.begin() + first);
  return arrange(arranged, count);
}

BankChange EditSession::undo() { return takeStep(undo_, redo_, false); }
BankChange EditSession::redo() { return takeStep(redo_, undo_, true); }

// The newest step of `from` applied backwards (undo) or forwards (redo), and kept on `to`.
BankChange EditSession::takeStep(std::vector<Step>& from, std::vector<Step>& to, bool forward) {
  // While presets arrive, no earlier bank can be brought back without mixing it with them.
  if (transfer_) return {};
  restoreCompared();
  endAction();
  if (from.empty()) return {};
  Step step = std::move(from.back());
  from.pop_back();
  const BankChange change = apply(step, forward);
  to.push_back(std::move(step));
  tell();
  return change;
}

BankChange EditSession::compare() {
  if (compared_) return endCompare();
  endAction();
  const int n = state_.CurrentPreset;
  compared_.emplace(n, at(state_, n));
  at(state_, n) = state_.reference[static_cast<std::size_t>(n)];
  tell();
  return {BankChange::Kind::Presets, n, at(state_, n) != compared_->second};
}

BankChange EditSession::endCompare() {
  if (!compared_) return {};
  const int n = compared_->first;
  const bool differs = at(state_, n) != compared_->second;
  restoreCompared();
  tell();
  return {BankChange::Kind::Presets, n, differs};
}

void EditSession::restoreCompared() {
  if (!compared_) return;
  at(state_, compared_->first) = compared_->second;
  compared_.reset();
}

}  // namespace kestralux
