#include "protocol/BankTransfer.h"

#include <algorithm>

namespace kestralux {

namespace {

constexpr int kLastRecord = kPresetCount - 1;
// Beyond this many damaged presets one notice counts them instead of naming each.
constexpr std::size_t kDamagedNamedOneByOne = 3;

bool ourHead(const RxSlot& slot) {
  return slot.data[0] == SYSEX_START &&
         std::equal(MANUFACTURER_ID.begin(), MANUFACTURER_ID.end(), slot.data.begin() + 1) &&
         slot.data[4] == MODEL_ID;
}

std::string presetNumber(int record) { return std::to_string(record + 1); }

}  // namespace

SlotReading readSlot(const RxSlot& slot) {
  SlotReading reading;
  // The ring takes nothing shorter than 11 bytes, so the head is always there.
  if (slot.length < kShortestStoredMessage || !ourHead(slot) || slot.highDataByte) return reading;
  reading.command = slot.data[5];
  if (reading.command != CMD_STORE_ONE && reading.command != CMD_BANK_FIRST && reading.command != CMD_BANK_NEXT)
    return reading;
  // A message that would put into the bank what the combo has no control for is damaged.
  const auto message = presetMessageInSlot(slot);
  reading.verdict = message && isPreset(presetOfMessage(*message)) ? SlotVerdict::Whole : SlotVerdict::Damaged;
  return reading;
}

void BankFetch::requested(TransferClock::time_point now, bool askAgainWhenSilent) {
  lastHeard_ = now;
  // An answer already on its way goes on where it is; the one asked for now is ours too and
  // is awaited once it has ended.
  if (phase_ != Phase::Idle) {
    askedAgain_ = true;
    return;
  }
  phase_ = Phase::Requested;
  requestedAt_ = now;
  mayAskAgain_ = askAgainWhenSilent;
  quietWhenUnanswered_ = false;
  cursor_ = 0;
  received_ = 0;
  damaged_.clear();
  arrived_.reset();
}

void BankFetch::expectSpareAnswers(int count, TransferClock::time_point now) {
  if (count <= 0) return;
  spareAnswers_ += count;
  if (phase_ == Phase::Idle) lastHeard_ = now;
}

// Whether a bank message belongs to a spare answer and is to be skipped.
bool BankFetch::skipSpare(std::uint8_t command, TransferClock::time_point now) {
  if (skipping_) {
    if (command == CMD_BANK_NEXT) {
      ++skipCursor_;
      lastHeard_ = now;
      if (skipCursor_ >= kLastRecord) skipping_ = false;
      return true;
    }
    // A 0x2A begins another answer.
    skipping_ = false;
  }
  if (spareAnswers_ == 0) return false;
  if (phase_ == Phase::Idle) {
    // This round's transfer has ended: the other request's answer goes by untaken, and
    // without its 0x2A it is already past its first preset.
    --spareAnswers_;
    skipping_ = true;
    skipCursor_ = command == CMD_BANK_FIRST ? 0 : 1;
    lastHeard_ = now;
    return true;
  }
  // The first answer stopped short and the other begins: the same bank, taken in its place.
  if (phase_ == Phase::Receiving && command == CMD_BANK_FIRST) --spareAnswers_;
  return false;
}

BankFetch::Report BankFetch::take(const RxSlot& slot, PresetBank& bank, TransferClock::time_point now) {
  const SlotReading reading = readSlot(slot);
  if (reading.verdict == SlotVerdict::NotOurs) return {};
  if ((reading.command == CMD_BANK_FIRST || reading.command == CMD_BANK_NEXT) && skipSpare(reading.command, now))
    return {};
  if (phase_ == Phase::Idle) {
    if (reading.command == CMD_BANK_FIRST) return {{"ANOTHER PROGRAM FETCHED THE BANK"}, false, false, -1};
    return {};
  }
  if (reading.command == CMD_BANK_FIRST) {
    cursor_ = 0;
    damaged_.clear();
    arrived_.reset();
    received_ = 0;
  } else if (reading.command == CMD_BANK_NEXT && cursor_ < kLastRecord) {
    // An answer whose 0x2A was lost goes on from where the cursor stands: record 0.
    if (phase_ != Phase::Receiving) {
      damaged_.clear();
      arrived_.reset();
      received_ = 0;
    }
    ++cursor_;
  } else {
    return {};
  }
  phase_ = Phase::Receiving;
  lastHeard_ = now;
  ++received_;

  const int record = cursor_;
  if (reading.verdict == SlotVerdict::Whole) {
    DecodeDump(*presetMessageInSlot(slot), bank[static_cast<std::size_t>(record)]);
    arrived_.set(static_cast<std::size_t>(record));
  } else {
    damaged_.push_back(record);
  }
  const int decoded = reading.verdict == SlotVerdict::Whole ? record : -1;

  if (reading.command == CMD_BANK_NEXT && record == kLastRecord) {
    // The next answer starts again at record 0, even when its 0x2A is lost.
    awaitNextAnswer(now);
    cursor_ = 0;
    const std::string first = received_ < kPresetCount ? receivedNotice()
                              : damaged_.empty()       ? "ALL PRESETS RECEIVED"
                                                       : std::to_string(arrived_.count()) + " OF " +
                                                             std::to_string(kPresetCount) + " RECEIVED WHOLE";
    return {endNotices(first), true, true, decoded};
  }
  return {{"RECEIVING " + presetNumber(record) + "/" + std::to_string(kPresetCount)}, false, false, decoded};
}

BankFetch::Report BankFetch::checkSilence(TransferClock::time_point now) {
  if (phase_ == Phase::Idle) {
    // A spare answer would have followed the transfer at once.
    if (now - lastHeard_ >= kTransferSilenceLimit) {
      spareAnswers_ = 0;
      skipping_ = false;
    }
    return {};
  }
  if (phase_ == Phase::Requested && mayAskAgain_ && now - requestedAt_ >= kRequestRepeatAfter &&
      now - requestedAt_ < kTransferSilenceLimit) {
    mayAskAgain_ = false;
    ++spareAnswers_;
    // A late combo answers the request it heard last: its silence counts from that one.
    lastHeard_ = now;
    Report report;
    report.askAgain = true;
    return report;
  }
  if (now - lastHeard_ < kTransferSilenceLimit) return {};
  const Phase was = phase_;
  // After this long a second answer is no longer the twin of the first.
  spareAnswers_ = 0;
  skipping_ = false;
  if (was == Phase::Requested) {
    phase_ = Phase::Idle;
    // A second request made during an answer that was told already: the combo answered once.
    if (quietWhenUnanswered_) return {};
    return {{"NO ANSWER FROM COMBO"}, false, true};
  }
  awaitNextAnswer(now);
  cursor_ = 0;
  return {endNotices(receivedNotice()), false, true};
}

void BankFetch::awaitNextAnswer(TransferClock::time_point now) {
  phase_ = askedAgain_ ? Phase::Requested : Phase::Idle;
  // That request went while an answer came: it is not the one to send again.
  mayAskAgain_ = false;
  quietWhenUnanswered_ = askedAgain_;
  askedAgain_ = false;
  lastHeard_ = now;
}

std::string BankFetch::receivedNotice() const {
  return "ONLY " + std::to_string(received_) + " OF " + std::to_string(kPresetCount) + " RECEIVED";
}

Notices BankFetch::endNotices(std::string first) const {
  Notices notices{std::move(first)};
  if (damaged_.size() > kDamagedNamedOneByOne) {
    notices.push_back(std::to_string(damaged_.size()) + " PRESETS DAMAGED, KEPT");
  } else {
    for (int record : damaged_) notices.push_back("PRESET " + presetNumber(record) + " DAMAGED, KEPT");
  }
  return notices;
}

namespace {

std::string historyKindAlone(const BankMove& move) {
  const std::string all = std::to_string(kPresetCount);
  const int count = static_cast<int>(move.which.count());
  switch (move.kind) {
    case BankMove::Kind::BeforeFetch: return "before fetch";
    case BankMove::Kind::BeforeLoad: return "before load";
    case BankMove::Kind::Stored: return count == kPresetCount ? "stored" : "stored " + std::to_string(count) + " of " + all;
    case BankMove::Kind::Fetched: break;
  }
  if (count == kPresetCount) return "fetched";
  std::string kind = "fetched " + std::to_string(count) + " of " + all;
  if (move.damaged > 0) kind += ", " + std::to_string(move.damaged) + " damaged";
  return kind;
}

}  // namespace

std::string historyKind(const BankMove& move) {
  std::string kind = historyKindAlone(move);
  if (!move.note.empty()) kind += ", " + move.note;
  return kind;
}

void StoreSequence::prepare(std::vector<PresetMessage> messages) {
  messages_ = std::move(messages);
  next_ = 0;
  failed_ = 0;
}

std::string StoreSequence::progressNotice() const {
  return "STORING " + std::to_string(next_) + "/" + std::to_string(messages_.size());
}

std::string StoreSequence::endNotice() const {
  if (failed_ > 0) return "STORE FAILED";
  return messages_.size() == 1 ? "PRESET STORED" : "ALL PRESETS STORED";
}

}  // namespace kestralux
