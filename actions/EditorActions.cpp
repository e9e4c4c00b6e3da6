#include "actions/EditorActions.h"

#include <algorithm>

#include "editor/EditorTables.h"
#include "files/PresetFiles.h"

namespace kestralux {

namespace {

std::string presetsText(int n) { return n == 1 ? std::string("1 PRESET") : std::to_string(n) + " PRESETS"; }

std::string rangeText(int first, int count) {
  return count == 1 ? std::to_string(first + 1) : std::to_string(first + 1) + "-" + std::to_string(first + count);
}

enum What { Bank = 1, Shown = 2, Transfer = 4, Hearing = 8 };

ActionNotice noticeOf(int what) {
  ActionNotice notice;
  notice.bankChanged = what & Bank;
  notice.presetShown = what & Shown;
  notice.transferChanged = what & Transfer;
  notice.hearingChanged = what & Hearing;
  return notice;
}

// Said after a load or a fetch put other presets over edited ones: the fetch and the load
// are undo steps, and the bank as it was went into the history first.
std::string replacedEditsText(int n) {
  return n == 1 ? std::string("1 EDITED PRESET REPLACED: CTRL+Z OR LIBRARY > HISTORY BRINGS IT BACK")
                : std::to_string(n) + " EDITED PRESETS REPLACED: CTRL+Z OR LIBRARY > HISTORY BRINGS THEM BACK";
}

std::string trimmed(std::string_view text) {
  while (!text.empty() && text.back() == ' ') text.remove_suffix(1);
  return std::string(text);
}

}  // namespace

EditorActions::EditorActions(EditorState& state, DeviceProtocol& protocol, EditSession& session,
                             TransferDriver* transfers)
    : state_(state), protocol_(protocol), session_(session) {
  if (!transfers) ownTransfers_ = std::make_unique<TransferDriver>(protocol);
  transfers_ = transfers ? transfers : ownTransfers_.get();
  transfers_->progress = [this](const std::string& text) {
    if (storeProgress_) storeProgress_(text);
  };
  transfers_->ended = [this](const StoreOutcome& outcome) {
    // Only now may the bank change again, and the window close.
    state_.StoreInProgress = false;
    lastStore_ = outcome;
    tell(noticeOf(Transfer));
    if (storeEnded_) storeEnded_(outcome);
  };
  session_.changed = [this] {
    ActionNotice notice;
    notice.bankChanged = true;
    // Presets arriving are the combo's bank: what was being heard is over.
    if (heard_ && session_.transferRunning()) {
      heard_.reset();
      notice.hearingChanged = true;
    }
    if (const int replaced = session_.takeReplacedEdits()) notice.message = replacedEditsText(replaced);
    tell(notice);
    // A preset that arrived ended a compare: what the bank holds is shown and heard again.
    if (session_.compareEndedByTransfer()) presetShown(false);
  };
}

EditorActions::~EditorActions() {
  session_.changed = nullptr;
  transfers_->progress = nullptr;
  transfers_->ended = nullptr;
}

int EditorActions::listen(Listener listener) {
  listeners_.emplace(nextListener_, std::move(listener));
  return nextListener_++;
}

void EditorActions::stopListening(int id) { listeners_.erase(id); }

void EditorActions::tell(const ActionNotice& notice) {
  // A listener may stop listening while it is told.
  const auto listeners = listeners_;
  for (const auto& [id, listener] : listeners)
    if (listeners_.count(id)) listener(notice);
}

bool EditorActions::transferRunning() const {
  return protocol_.fetch.waiting() || session_.transferRunning() || state_.StoreInProgress || transfers_->running();
}

void EditorActions::presetShown(bool sendNow) {
  tell(noticeOf(Bank | Shown));
  if (sendNow)
    protocol_.SendWholePreset();
  else
    state_.PresetResendPending = true;
}

void EditorActions::showSlot(int n) {
  if (n < 0 || n >= kPresetCount) return;
  if (heard_) {
    // The slot is sent whole below; that ends the hearing.
    heard_.reset();
    tell(noticeOf(Hearing));
  }
  if (session_.comparing()) session_.endCompare();
  state_.CurrentPreset = n;
  presetShown(false);
}

void EditorActions::showAgain() { presetShown(false); }

void EditorActions::setParameter(int parameter, std::int32_t value, bool send) {
  // The window moving its controls to a record writes back what it shows; only a user's
  // change ends a compare.
  if (!session_.showing() && session_.comparing()) endCompare(true);
  session_.setValue(parameter, value);
  if (!send) return;
  if (parameter == AMP_TYPE)
    protocol_.SendAmpModel();
  else if (parameter == EFFECT_SELECT)
    protocol_.SendEffectSelect(value);
  else
    protocol_.SendLiveEdit(parameter);
}

void EditorActions::setName(std::string_view latin1) {
  if (latin1.empty() || latin1.size() > kMaxNameLength || latin1 == kNoPresetHere) return;
  if (!session_.showing() && session_.comparing()) endCompare(true);
  session_.setName(latin1);
}

bool EditorActions::renameSlot(int n, std::string_view latin1) {
  if (n < 0 || n >= kPresetCount || latin1.empty() || latin1.size() > kMaxNameLength || latin1 == kNoPresetHere) return false;
  if (n != state_.CurrentPreset) showSlot(n);
  endCompare();
  session_.endAction();
  const bool renamed = session_.setName(latin1);
  session_.endAction();
  if (renamed) tell(noticeOf(Bank | Shown));
  return renamed;
}

void EditorActions::sendMoved(const PresetRecord& before) {
  const PresetRecord& now = state_.current();
  const auto moved = [&](int parameter) { return now.value(parameter) != before.value(parameter); };
  // In the order the controls send when they move to a record.
  for (const StripRow& row : kStrips)
    if (moved(row.parameter)) protocol_.SendLiveEdit(row.parameter);
  if (moved(AMP_TYPE)) protocol_.SendAmpModel();
  if (moved(EFFECT_SELECT)) protocol_.SendEffectSelect(now.value(EFFECT_SELECT));
  for (int parameter : {EFF_ADJUST1, EFF_ADJUST2, EFF_RATE})
    if (moved(parameter)) protocol_.SendLiveEdit(parameter);
}

void EditorActions::showChange(const BankChange& change, const PresetRecord& shownBefore) {
  if (change.kind == BankChange::Kind::None) return;
  if (heard_) {
    // The combo plays another sound: a live message would change that one. The preset on
    // screen goes out whole instead.
    heard_.reset();
    tell(noticeOf(Hearing));
  } else if (change.kind == BankChange::Kind::Edit && change.preset == state_.CurrentPreset) {
    // Control by control, each heard as the edit was.
    sendMoved(shownBefore);
    ActionNotice notice = noticeOf(Bank);
    notice.movedFrom = shownBefore;
    tell(notice);
    return;
  }
  // Another preset is shown first, as a step of the arrows shows it; whole presets go out as
  // one burst.
  if (change.kind == BankChange::Kind::Edit) state_.CurrentPreset = change.preset;
  presetShown(false);
}

void EditorActions::undo() {
  if (transferRunning()) return;
  const PresetRecord before = state_.current();
  showChange(session_.undo(), before);
}

void EditorActions::redo() {
  if (transferRunning()) return;
  const PresetRecord before = state_.current();
  showChange(session_.redo(), before);
}

void EditorActions::compare() {
  if (heard_) endAudition();
  const PresetRecord before = state_.current();
  showChange(session_.compare(), before);
}

void EditorActions::endCompare(bool sendNow) {
  if (!session_.comparing()) return;
  session_.endCompare();
  presetShown(sendNow);
}

std::string EditorActions::presetNumberText() const {
  const std::string n = std::to_string(state_.CurrentPreset + 1);
  if (session_.comparing()) return "COMPARE  " + n;
  return "PRESET   " + n + (session_.edited(state_.CurrentPreset) ? "*" : "");
}

bool EditorActions::arranged(const BankChange& change, int first) {
  lastArranged_ = {first, change.written};
  if (change.kind == BankChange::Kind::None) return false;
  // The slot on screen holds another preset now: shown, and sent whole as a load is.
  if (change.shownChanged)
    presetShown(false);
  else
    tell(noticeOf(Bank));
  return true;
}

std::string EditorActions::arrange(int first, int count, int to, Arrangement how) {
  if (transferRunning()) return kTransferInProgress;
  endCompare();
  BankChange change;
  switch (how) {
    case Arrangement::Move: change = session_.moveSlots(first, count, to); break;
    case Arrangement::Copy: change = session_.copySlots(first, count, to); break;
    case Arrangement::Swap: change = session_.swapSlots(first, to, count); break;
  }
  const bool senseless = change.written == 0;
  change.written = count;
  if (!arranged(change, to)) return how == Arrangement::Swap && senseless ? "SWAP NEEDS TWO SEPARATE RANGES" : "NOTHING CHANGED";
  switch (how) {
    case Arrangement::Move: return presetsText(count) + " MOVED TO " + rangeText(to, count);
    case Arrangement::Copy: return presetsText(count) + " COPIED OVER " + rangeText(to, count);
    case Arrangement::Swap: return rangeText(first, count) + " SWAPPED WITH " + rangeText(to, count);
  }
  return {};
}

std::string EditorActions::arrangeSlots(const std::vector<int>& slots, int to, Arrangement how) {
  if (slots.empty()) return "NOTHING CHANGED";
  const int count = static_cast<int>(slots.size());
  if (slots.back() - slots.front() + 1 == count) return arrange(slots.front(), count, to, how);
  if (how == Arrangement::Swap) return "SWAP NEEDS ONE UNBROKEN RANGE";
  if (transferRunning()) return kTransferInProgress;
  endCompare();
  if (how == Arrangement::Copy) {
    std::vector<PresetRecord> records;
    for (int n : slots) records.push_back(state_.bank[static_cast<std::size_t>(n)]);
    const BankChange change = session_.pasteSlots(to, records);
    if (!arranged(change, to)) return "NOTHING CHANGED";
    return presetsText(change.written) + " COPIED OVER " + rangeText(to, change.written);
  }
  BankChange change = session_.gatherSlots(slots, to);
  change.written = count;
  if (!arranged(change, to)) return "NOTHING CHANGED";
  return presetsText(count) + " MOVED TO " + rangeText(to, count);
}

std::string EditorActions::paste(int first, std::span<const PresetRecord> records) {
  if (records.empty()) return "NO PRESETS ON THE CLIPBOARD";
  if (transferRunning()) return kTransferInProgress;
  endCompare();
  const BankChange change = session_.pasteSlots(first, records);
  if (!arranged(change, first)) return "NOTHING CHANGED";
  return presetsText(change.written) + " PASTED";
}

std::string EditorActions::putSound(int n, const PresetRecord& sound, const std::string& name) {
  if (n < 0 || n >= kPresetCount) return {};
  if (transferRunning()) return kTransferInProgress;
  endCompare();
  const bool wasHearing = heard_.has_value();
  heard_.reset();
  const BankChange change = session_.pasteSlots(n, std::span<const PresetRecord>(&sound, 1));
  arranged(change, n);
  lastArranged_ = {n, 1};
  if (wasHearing) {
    tell(noticeOf(Hearing));
    // The combo played the library's sound; unless the slot on screen took it, it plays
    // that slot again.
    if (!change.shownChanged) protocol_.SendWholePreset();
  }
  return name + " PUT INTO SLOT " + std::to_string(n + 1);
}

std::string EditorActions::restoreBank(const PresetBank& kept, const std::string& when) {
  if (transferRunning()) return kTransferInProgress;
  endAudition();
  endCompare();
  if (!arranged(session_.pasteSlots(0, std::span<const PresetRecord>(kept.data(), kept.size())), 0)) return "NOTHING CHANGED";
  return "BANK OF " + when + " LOADED";
}

std::string EditorActions::restorePreset(const PresetRecord& kept, int from) {
  if (transferRunning()) return kTransferInProgress;
  endAudition();
  endCompare();
  const int onScreen = state_.CurrentPreset;
  if (!arranged(session_.pasteSlots(onScreen, std::span<const PresetRecord>(&kept, 1)), onScreen)) return "NOTHING CHANGED";
  return "PRESET " + std::to_string(from + 1) + " PUT INTO SLOT " + std::to_string(onScreen + 1);
}

bool EditorActions::audition(const PresetRecord& sound) {
  if (state_.StoreInProgress) return false;
  // Straight to the combo's current sound: the bank never holds it, so nothing that reads
  // the bank meanwhile (a box's event loop, a fetch, a store) can meet it there.
  if (!protocol_.SendWholePreset(sound)) return false;
  heard_ = sound;
  tell(noticeOf(Hearing));
  return true;
}

void EditorActions::hearingAlready(const PresetRecord& sound) {
  heard_ = sound;
  tell(noticeOf(Hearing));
}

void EditorActions::endAudition() {
  if (!heard_) return;
  heard_.reset();
  if (!state_.StoreInProgress) protocol_.SendWholePreset();
  tell(noticeOf(Hearing));
}

ExploreSession EditorActions::exploreSession(std::uint64_t seed) {
  ExploreSession::Hooks hooks;
  hooks.hear = [this](const PresetRecord& record) { audition(record); };
  hooks.hearOnScreen = [this] { endAudition(); };
  hooks.hearing = [this] { return auditioning(); };
  hooks.shown = [this](const BankChange& change, const PresetRecord& before) { showChange(change, before); };
  hooks.blocked = [this] { return exploreBlock(); };
  return ExploreSession(state_, session_, std::move(hooks), seed);
}

ExploreBlock EditorActions::exploreBlock() const {
  if (state_.StoreInProgress || state_.StoreRequested) return ExploreBlock::Store;
  if (transferRunning()) return ExploreBlock::Fetch;
  return ExploreBlock::None;
}

std::string EditorActions::hearingText() const {
  if (!heard_) return {};
  const int amp = heard_->value(AMP_TYPE);
  const EffectRow* effect = findEffect(heard_->value(EFFECT_SELECT));
  std::string what = amp >= 0 && amp < static_cast<int>(kAmpModels.size()) ? std::string(kAmpModels[static_cast<std::size_t>(amp)].caption) : "?";
  if (effect) what += " / " + trimmed(effect->caption);
  return "HEARING: " + what + ", Esc RETURNS TO PRESET " + std::to_string(state_.CurrentPreset + 1);
}

LoadOutcome EditorActions::loadPresetFile(const std::optional<std::vector<std::uint8_t>>& bytes) {
  if (!bytes) return {0, "CANNOT OPEN FILE"};
  PresetRecord read = state_.current();
  if (loadPresetImage(*bytes, read) == 0) return {0, "NOT A PRESET FILE"};
  endCompare();
  if (session_.replacesEdit(state_.CurrentPreset, read)) keepBeforeLoad();
  session_.loadPreset(state_.CurrentPreset, read);
  return {1, std::nullopt};
}

LoadOutcome EditorActions::loadBankFile(const std::optional<std::vector<std::uint8_t>>& bytes) {
  if (!bytes) return {0, "CANNOT OPEN FILE"};
  PresetBank read = state_.bank;
  const int loaded = loadBankImage(*bytes, read);
  if (loaded == 0) return {0, "NOT A PRESET FILE"};
  endCompare();
  for (int n = 0; n < loaded; ++n)
    if (session_.replacesEdit(n, read[static_cast<std::size_t>(n)])) {
      keepBeforeLoad();
      break;
    }
  // A file of fewer than 30 whole records replaced only those.
  session_.loadBank(std::span<const PresetRecord>(read.data(), static_cast<std::size_t>(loaded)));
  state_.CurrentPreset = 0;
  // A cut-off bank replaced only its whole records: the text says how many, so it never reads
  // as the whole bank. A file of exactly one record keeps the usual text.
  if (loaded < kPresetCount && bytes->size() != kPresetFileSize)
    return {loaded, std::to_string(loaded) + " OF " + std::to_string(kPresetCount) + " PRESETS LOADED"};
  return {loaded, std::nullopt};
}

void EditorActions::keepBeforeLoad() {
  if (protocol_.bankMoved) protocol_.bankMoved({BankMove::Kind::BeforeLoad, state_.bank, {}, 0, {}});
}

std::optional<std::string> EditorActions::closeQuestion(CloseWay way) const {
  if (way == CloseWay::Signal || way == CloseWay::SessionEnd) return std::nullopt;
  const int edited = editedCount();
  if (edited == 0) return std::nullopt;
  return (edited == 1 ? std::string("1 EDITED PRESET IS") : std::to_string(edited) + " EDITED PRESETS ARE") +
         " NOT STORED OR SAVED";
}

void EditorActions::savedPreset() { session_.saved(state_.CurrentPreset); }
void EditorActions::savedBank() { session_.savedAll(); }

void EditorActions::requestFetch() {
  transfers_->fetch(true);
  tell(noticeOf(Transfer));
}

void EditorActions::startStore(StoreScope scope) {
  // What goes out is what the bank window lists: the combo's current sound is the preset on
  // screen again, and the edited version, not a reference being compared, is stored.
  endAudition();
  endCompare();
  state_.storeScope = scope;
  // The scope is the click's: a restore tick before the store starts does not change it.
  storeAll_ = scope == StoreScope::ALL;
  storeBank_ = state_.bank;
  if (!storeAll_) storeBank_[0] = state_.current();
  state_.StoreRequested = true;
  state_.StoreInProgress = true;
  tell(noticeOf(Transfer));
}

void EditorActions::runStore() {
  if (!state_.StoreRequested) return;
  state_.StoreRequested = false;
  const bool started = storeAll_
                           ? transfers_->storeAll(storeBank_, TransferDriver::Check::ReadBoth)
                           : transfers_->storeOne(storeBank_[0], TransferDriver::Check::ReadBack);
  if (!started) {
    state_.StoreInProgress = false;
    tell(noticeOf(Transfer));
  }
}

std::optional<std::string> EditorActions::putBack(const PresetBank& bank) {
  if (transferRunning() || state_.StoreRequested) return std::string(kTransferInProgress);
  endAudition();
  state_.StoreInProgress = true;
  tell(noticeOf(Transfer));
  if (!transfers_->storeAll(bank, TransferDriver::Check::ReadBoth)) {
    state_.StoreInProgress = false;
    tell(noticeOf(Transfer));
    return std::string(kTransferInProgress);
  }
  return std::nullopt;
}

bool EditorActions::showFetchedBank() {
  if (!state_.BankRefreshPending || state_.StoreInProgress) return false;
  state_.CurrentPreset = 0;
  // Sent whole, as a step of the arrows sends it: the combo's current sound may hold
  // anything, and a control that did not move would otherwise never tell it.
  presetShown(false);
  return true;
}

}  // namespace kestralux
