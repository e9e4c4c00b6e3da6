#include "link/TransferDriver.h"

#include "editor/EditorTables.h"
#include "files/PresetDiff.h"
#include "files/PresetListing.h"
#include "midi/MidiEngine.h"

namespace kestralux {

namespace {

using namespace std::chrono_literals;

// While a read waits, the driver looks at the silence this often, as the link's tick does.
constexpr std::chrono::milliseconds kReadLook{50};

std::string slotNumber(int slot) { return std::to_string(slot + 1); }

// The 16 values: what a preset message carries. The name is the editor's own.
bool sameValues(const PresetRecord& a, const PresetRecord& b) {
  for (int i = 0; i < kParameterCount; ++i)
    if (a.value(i) != b.value(i)) return false;
  return true;
}

// "7", "7 and 12", "7 to 30": runs of neighbours as one, so the name of a history entry
// stays short when everything after a lost message moved.
std::string slotList(const std::vector<SlotDifference>& differences) {
  std::vector<std::string> runs;
  for (std::size_t k = 0; k < differences.size();) {
    std::size_t end = k;
    while (end + 1 < differences.size() && differences[end + 1].slot == differences[end].slot + 1) ++end;
    runs.push_back(end == k ? slotNumber(differences[k].slot)
                            : slotNumber(differences[k].slot) + (end == k + 1 ? " and " : " to ") + slotNumber(differences[end].slot));
    k = end + 1;
  }
  std::string list;
  for (std::size_t k = 0; k < runs.size(); ++k) list += (k == 0 ? "" : k + 1 == runs.size() ? " and " : ", ") + runs[k];
  return list;
}

// The combo keeps no names: a slot that holds the values sent is shown under the name sent.
PresetBank namedAsSent(PresetBank read, const PresetBank& sent) {
  for (std::size_t n = 0; n < read.size(); ++n)
    if (sameValues(read[n], sent[n])) read[n] = sent[n];
  return read;
}

}  // namespace

std::vector<ControlDifference> controlDifferences(const PresetRecord& onCombo, const PresetRecord& sent) {
  std::vector<ControlDifference> controls;
  for (const auto& [parameter, caption] : kParameterCaptions) {
    if (onCombo.value(parameter) == sent.value(parameter)) continue;
    std::string name(caption);
    if (parameter == EFF_ADJUST1 || parameter == EFF_ADJUST2) {
      const std::string purpose = adjustPurpose(sent, parameter);
      if (!purpose.empty()) name += " (" + purpose + ")";
    }
    std::string combo = shownValue(onCombo, parameter), ours = shownValue(sent, parameter);
    // Values the window shows alike (beyond a control's range) are told by their numbers.
    if (combo == ours) {
      combo = std::to_string(onCombo.value(parameter));
      ours = std::to_string(sent.value(parameter));
    }
    controls.push_back({std::move(name), std::move(combo), std::move(ours)});
  }
  return controls;
}

std::string slotDifferenceText(const SlotDifference& difference) {
  std::string text = "SLOT " + slotNumber(difference.slot) + " DID NOT TAKE: ";
  for (std::size_t k = 0; k < difference.controls.size(); ++k) {
    const ControlDifference& c = difference.controls[k];
    if (k > 0) text += "; ";
    text += c.caption + " " + c.onCombo + " ON THE COMBO, " + c.sent + " SENT";
  }
  return text;
}

bool TransferDriver::storeAll(const PresetBank& bank, Check check) {
  if (running()) return false;
  // The store's own reads take every answer from now on; a fetch under way is left to the
  // link's silence check, as one started without the driver.
  if (fetching()) step_ = Step::Idle;
  all_ = true;
  sent_ = bank;
  check_ = check;
  protocol_.PrepareStore(bank);
  start();
  return true;
}

bool TransferDriver::storeOne(const PresetRecord& record, Check check) {
  if (running()) return false;
  if (fetching()) step_ = Step::Idle;
  all_ = false;
  sent_ = {};
  sent_[0] = record;
  // Nothing of the bank goes out: there is nothing to put back, so nothing is read first.
  check_ = check == Check::None ? Check::None : Check::ReadBack;
  protocol_.PrepareStoreOne(record);
  start();
  return true;
}

bool TransferDriver::fetch(bool clicked) {
  if (running()) return false;
  protocol_.RequestBank(clicked);
  return followFetch();
}

bool TransferDriver::followFetch() {
  if (running() || !protocol_.fetch.waiting()) return false;
  step_ = Step::Fetching;
  return true;
}

void TransferDriver::fetchEnded() {
  step_ = Step::Idle;
  if (fetched) fetched(protocol_.fetch);
}

void TransferDriver::start() {
  pass_ = 0;
  beforeRead_ = false;
  protocol_.storeNote.clear();
  if (check_ == Check::ReadBoth) {
    beginRead(Step::ReadBefore);
    return;
  }
  step_ = Step::Sending;
  pass_ = 1;
  sendNext();
}

void TransferDriver::say(const std::string& text) {
  if (progress) progress(text);
}

void TransferDriver::wakeIn(std::chrono::milliseconds after) { wakeAt(now() + after); }

void TransferDriver::wakeAt(TransferClock::time_point due) {
  due_ = due;
  // Rounded up: a wake a fraction of a millisecond early would only ask again.
  if (wakeAfter) wakeAfter(std::max(std::chrono::ceil<std::chrono::milliseconds>(due - now()), 0ms));
}

void TransferDriver::beginRead(Step step) {
  step_ = step;
  read_ = {};
  say(step == Step::ReadBefore ? "READING THE COMBO'S BANK" : "READING BACK");
  fetch_.requested(now());
  // A request that could not go out is told by the card error; the silence that follows
  // ends the read as any unanswered one.
  protocol_.SendBankRequest();
  wakeIn(kReadLook);
}

bool TransferDriver::receive(const RxSlot& slot) {
  if (fetching()) {
    protocol_.DecodeNextSlot(slot);
    // A request made while an answer came keeps the fetch waiting for the next one.
    if (!protocol_.fetch.waiting()) fetchEnded();
    return true;
  }
  if (!running()) return false;
  // Between reads the fetch is idle: a twin answer to a request sent twice goes by there.
  const BankFetch::Report report = fetch_.take(slot, read_, now());
  if ((step_ == Step::ReadBefore || step_ == Step::ReadBack) && report.ended) readEnded();
  return true;
}

void TransferDriver::wake() {
  // A timer that runs out early would shorten the pause between two store messages.
  if (running() && now() < due_) {
    wakeAt(due_);
    return;
  }
  switch (step_) {
    case Step::Idle: return;
    case Step::ReadBefore:
    case Step::ReadBack: {
      const BankFetch::Report report = fetch_.checkSilence(now());
      if (report.askAgain) protocol_.SendBankRequest();
      if (report.ended)
        readEnded();
      else
        wakeIn(kReadLook);
      return;
    }
    case Step::Fetching:
      if (protocol_.LookAtTransferSilence()) protocol_.SendBankRequest();
      if (!protocol_.fetch.waiting()) fetchEnded();
      return;
    case Step::Sending: sendNext(); return;
    case Step::LastPause: afterSending(); return;
  }
}

void TransferDriver::readEnded() {
  if (step_ == Step::ReadBack) {
    compare();
    return;
  }
  beforeRead_ = fetch_.arrived().count() == static_cast<std::size_t>(kPresetCount);
  if (beforeRead_) {
    if (keep) keep(namedAsSent(read_, sent_), kBeforeStoreKind);
  } else {
    // The store goes out all the same; the history's entry of it says what is missing.
    protocol_.storeNote = "bank before it not read";
    say("THE COMBO'S BANK BEFORE THE STORE COULD NOT BE READ");
  }
  step_ = Step::Sending;
  pass_ = 1;
  sendNext();
}

void TransferDriver::sendNext() {
  // Paced from the start of one message to the start of the next, so the time a send takes
  // does not add up over the bank.
  lastSentAt_ = now();
  say(protocol_.SendNextStoreMessage());
  step_ = protocol_.store.pending() ? Step::Sending : Step::LastPause;
  wakeAt(lastSentAt_ + kDumpPause);
}

void TransferDriver::afterSending() {
  if (protocol_.store.failures() > 0) {
    StoreOutcome outcome;
    outcome.result = StoreOutcome::Result::Failed;
    outcome.notices = {protocol_.store.endNotice()};
    finish(std::move(outcome));
    return;
  }
  if (check_ == Check::None) {
    StoreOutcome outcome;
    outcome.result = StoreOutcome::Result::Sent;
    outcome.notices = {all_ ? "ALL PRESETS SENT, NOT CHECKED" : "PRESET SENT, NOT CHECKED"};
    finish(std::move(outcome));
    return;
  }
  beginRead(Step::ReadBack);
}

void TransferDriver::compare() {
  const auto& arrived = fetch_.arrived();
  const std::size_t count = arrived.count();
  StoreOutcome outcome;
  if (count == 0) {
    outcome.result = StoreOutcome::Result::NotChecked;
    outcome.notices = {"STORE NOT CHECKED: THE COMBO DID NOT ANSWER"};
    finish(std::move(outcome));
    return;
  }
  if (!all_) {
    std::vector<int> holding;
    for (int n = 0; n < kPresetCount; ++n)
      if (arrived[static_cast<std::size_t>(n)] && sameValues(read_[static_cast<std::size_t>(n)], sent_[0])) holding.push_back(n);
    if (keep) keep(read_, "read back after the store");
    if (holding.size() == 1) {
      outcome.result = StoreOutcome::Result::Checked;
      outcome.landedIn = holding.front();
      outcome.notices = {"STORED INTO SLOT " + slotNumber(holding.front()) + " AND CHECKED"};
    } else if (holding.empty()) {
      outcome.result = count == static_cast<std::size_t>(kPresetCount) ? StoreOutcome::Result::NotTaken
                                                                        : StoreOutcome::Result::NotChecked;
      outcome.notices = {count == static_cast<std::size_t>(kPresetCount)
                             ? "NO SLOT HOLDS THE STORED PRESET"
                             : "STORE NOT CHECKED: ONLY " + std::to_string(count) + " OF 30 READ BACK"};
    } else {
      // Twin slots: the preset is there, but which of them took it the combo does not say.
      outcome.result = StoreOutcome::Result::Checked;
      std::string slots;
      for (int n : holding) slots += (slots.empty() ? "" : ", ") + slotNumber(n);
      outcome.notices = {"STORED AND CHECKED: SLOTS " + slots + " HOLD IT"};
    }
    outcome.passes = pass_;
    finish(std::move(outcome));
    return;
  }

  std::vector<SlotDifference> differences;
  for (int n = 0; n < kPresetCount; ++n) {
    const auto i = static_cast<std::size_t>(n);
    if (!arrived[i] || sameValues(read_[i], sent_[i])) continue;
    differences.push_back({n, controlDifferences(read_[i], sent_[i])});
  }
  std::string kind = "read back after the store";
  if (!differences.empty())
    kind += differences.size() == 1 ? ", slot " + slotList(differences) + " differs" : ", slots " + slotList(differences) + " differ";
  if (count < static_cast<std::size_t>(kPresetCount)) kind += ", " + std::to_string(count) + " of 30";
  if (keep) keep(namedAsSent(read_, sent_), kind);

  if (!differences.empty() && pass_ == 1) {
    // The combo cannot be told which slot to take: the whole bank goes once more.
    say("SENDING THE BANK AGAIN");
    protocol_.RepeatStore();
    pass_ = 2;
    step_ = Step::Sending;
    sendNext();
    return;
  }
  outcome.passes = pass_;
  outcome.beforeRead = beforeRead_;
  if (!differences.empty()) {
    outcome.result = StoreOutcome::Result::NotTaken;
    for (const SlotDifference& d : differences) outcome.notices.push_back(slotDifferenceText(d));
    outcome.differences = std::move(differences);
  } else if (count < static_cast<std::size_t>(kPresetCount)) {
    outcome.result = StoreOutcome::Result::NotChecked;
    outcome.notices = {"STORE NOT CHECKED: ONLY " + std::to_string(count) + " OF 30 READ BACK"};
  } else {
    outcome.result = StoreOutcome::Result::Checked;
    outcome.notices = {"STORED AND CHECKED: 30 OF 30"};
  }
  finish(std::move(outcome));
}

void TransferDriver::finish(StoreOutcome outcome) {
  outcome.beforeRead = beforeRead_;
  if (outcome.passes == 0) outcome.passes = pass_;
  if (check_ == Check::ReadBoth && !beforeRead_)
    outcome.notices.push_back("THE COMBO'S BANK BEFORE THE STORE COULD NOT BE READ");
  step_ = Step::Idle;
  if (ended) ended(outcome);
}

}  // namespace kestralux
