#include "protocol/BankTransfer.h"

#include <algorithm>

namespace kestralux {

namespace {

constexpr int kLastRecord = kPresetCount - 1;
// Beyond this many damaged presets one notice counts them instead of naming each.
constexpr std::size_t kDamagedNamedOneByOne = 3;

// The slot keeps message bytes 0..n-3 in place and byte n-2 at 38.
bool dataBytesAreSeven(const RxSlot& slot) {
  const std::size_t last = std::min(slot.length - 3, kRxSlotSize - 1);
  for (std::size_t i = 1; i <= last; ++i)
    if (slot.data[i] >= 0x80) return false;
  return slot.data[38] < 0x80;
}

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
  if (slot.length < kShortestStoredMessage || !ourHead(slot) || !dataBytesAreSeven(slot)) return reading;
  reading.command = slot.data[5];
  if (reading.command != CMD_STORE_ONE && reading.command != CMD_BANK_FIRST && reading.command != CMD_BANK_NEXT)
    return reading;
  reading.verdict = presetMessageInSlot(slot) ? SlotVerdict::Whole : SlotVerdict::Damaged;
  return reading;
}

void BankFetch::requested(TransferClock::time_point now) {
  phase_ = Phase::Requested;
  lastHeard_ = now;
}

BankFetch::Report BankFetch::take(const RxSlot& slot, PresetBank& bank, TransferClock::time_point now) {
  const SlotReading reading = readSlot(slot);
  if (reading.verdict == SlotVerdict::NotOurs) return {};
  if (reading.command == CMD_BANK_FIRST) {
    cursor_ = 0;
    damaged_.clear();
  } else if (reading.command == CMD_BANK_NEXT && cursor_ < kLastRecord) {
    // A transfer heard without its 0x2A goes on from where the cursor stands.
    if (phase_ != Phase::Receiving) damaged_.clear();
    ++cursor_;
  } else {
    return {};
  }
  phase_ = Phase::Receiving;
  lastHeard_ = now;

  if (reading.verdict == SlotVerdict::Whole)
    DecodeDump(*presetMessageInSlot(slot), bank[static_cast<std::size_t>(cursor_)]);
  else
    damaged_.push_back(cursor_);

  if (reading.command == CMD_BANK_NEXT && cursor_ == kLastRecord) {
    phase_ = Phase::Idle;
    return {endNotices("ALL PRESETS RECEIVED"), true};
  }
  return {{"RECEIVING " + presetNumber(cursor_) + "/" + std::to_string(kPresetCount)}, false};
}

BankFetch::Report BankFetch::checkSilence(TransferClock::time_point now) {
  if (phase_ == Phase::Idle || now - lastHeard_ < kTransferSilenceLimit) return {};
  const Phase was = phase_;
  phase_ = Phase::Idle;
  if (was == Phase::Requested) return {{"NO ANSWER FROM COMBO"}, false};
  return {endNotices("ONLY " + presetNumber(cursor_) + " OF " + std::to_string(kPresetCount) + " RECEIVED"), false};
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

void StoreSequence::prepare(std::vector<PresetMessage> messages) {
  messages_ = std::move(messages);
  next_ = 0;
}

std::string StoreSequence::progressNotice() const {
  return "STORING " + std::to_string(next_) + "/" + std::to_string(messages_.size());
}

std::string StoreSequence::endNotice() const {
  return messages_.size() == 1 ? "PRESET STORED" : "ALL PRESETS STORED";
}

}  // namespace kestralux
