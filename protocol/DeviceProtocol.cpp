#include "protocol/DeviceProtocol.h"

#include <algorithm>

namespace kestralux {

bool DeviceProtocol::SendParameter(int context, int code, int value) {
  if (state_.SendSuppressed) return false;
  PARAM_BUFFER = buildParameterMessage(context, code, value);
  // The engine may show a box that lets a nested send run; hand it its own copy.
  const ParameterMessage message = PARAM_BUFFER;
  return output_.SEND_SYSEX(message);
}

void DeviceProtocol::SendLiveEdit(int index) {
  const PresetRecord& record = state_.current();
  const int value = record.value(index);
  SendParameter(contextByte(index, SendPath::Live, record.value(EFFECT_SELECT), value),
                codeOfParameter(index), value);
}

void DeviceProtocol::SendAmpModel() {
  SendLiveEdit(AMP_TYPE);
  SendLiveEdit(AMP_MASTER);
}

void DeviceProtocol::SendEffectSelect(int effectCode) {
  SendParameter(0, codeOfParameter(EFFECT_SELECT), effectCode);
}

bool DeviceProtocol::SendWholePreset(const PresetRecord& preset) {
  // Its own copy: a box opened by a failing send may let other work change the bank.
  const PresetRecord record = preset;
  const int effect = record.value(EFFECT_SELECT);
  bool whole = true;
  for (int i = 0; i < kParameterCount; ++i) {
    const int value = record.value(i);
    whole = SendParameter(contextByte(i, SendPath::WholePreset, effect, value), codeOfParameter(i), value) && whole;
  }
  output_.DUMP_PAUSE();
  return whole;
}

const PresetMessage& DeviceProtocol::BuildStoreMessage(StoreScope scope, int n) {
  std::uint8_t command = CMD_STORE_ONE;
  if (scope == StoreScope::ALL) command = n == 0 ? CMD_BANK_FIRST : CMD_BANK_NEXT;
  DUMP_BUFFER = buildPresetMessage(command, state_.bank.at(static_cast<std::size_t>(n)));
  return DUMP_BUFFER;
}

void DeviceProtocol::RequestBank(bool clicked) {
  // A request that could not go out has no answer to wait for: the card error says why.
  if (!SendBankRequest()) return;
  const bool running = fetch.waiting();
  fetch.requested(clock());
  clickedFetch_ = clicked || (running && clickedFetch_);
}

void DeviceProtocol::take(int n, const PresetRecord& came) {
  const auto i = static_cast<std::size_t>(n);
  if (!beforeFetch_) {
    beforeFetch_ = state_.bank;
    fetchedBank_ = state_.bank;
    keptBank_ = keptComboBank ? keptComboBank() : std::nullopt;
  }
  const std::optional<PresetRecord> kept = keptBank_ ? std::optional((*keptBank_)[i]) : std::nullopt;
  const PresetRecord record = nameFetched(came, state_.reference[i], kept, newestName);
  fetchedBank_[i] = record;
  // Without an edit session (the command line) nobody edits the bank.
  const bool edited = session && session->edited(n);
  if (edited && !clickedFetch_) {
    // Work that is nowhere else is not replaced by a bank nobody asked for here.
    if (std::find(editsKept_.begin(), editsKept_.end(), n) == editsKept_.end()) editsKept_.push_back(n);
    return;
  }
  if (edited && !keptBeforeFetch_) {
    keptBeforeFetch_ = true;
    if (bankMoved) bankMoved({BankMove::Kind::BeforeFetch, *beforeFetch_, {}, 0, {}});
  }
  if (session) {
    session->fetched(n, record);
  } else {
    state_.bank[i] = record;
    state_.reference[i] = record;
  }
}

void DeviceProtocol::DecodeNextSlot(const RxSlot& slot) {
  // Decoded into a copy, so the record changes only through the session.
  PresetBank decoded = state_.bank;
  const BankFetch::Report report = fetch.take(slot, decoded, clock());
  if (report.decoded >= 0) take(report.decoded, decoded[static_cast<std::size_t>(report.decoded)]);
  if (report.complete) state_.BankRefreshPending = true;
  tell(report.notices, report.ended);
  if (report.complete && bankComplete) bankComplete();
  if (report.ended) fetchEnded();
}

void DeviceProtocol::CheckTransferSilence() {
  if (LookAtTransferSilence()) SendBankRequest();
}

bool DeviceProtocol::LookAtTransferSilence() {
  const BankFetch::Report report = fetch.checkSilence(clock());
  tell(report.notices, report.ended);
  if (report.ended) fetchEnded();
  return report.askAgain;
}

void DeviceProtocol::tell(Notices notices, bool ended) {
  if (ended && !editsKept_.empty()) {
    notices.push_back(std::to_string(editsKept_.size()) + (editsKept_.size() == 1 ? " EDITED PRESET KEPT" : " EDITED PRESETS KEPT"));
    notices.push_back("GET ALL TAKES THE COMBO'S");
  }
  if (!notices.empty() && fetchNotices) fetchNotices(notices);
}

void DeviceProtocol::fetchEnded() {
  if (session) session->fetchEnded();
  const int received = fetch.received();
  if (received > 0) bankReceived = true;
  if (fetch.arrived().any() && bankMoved)
    bankMoved({BankMove::Kind::Fetched, beforeFetch_ ? fetchedBank_ : state_.bank, fetch.arrived(),
               static_cast<int>(fetch.damaged().size()), {}});
  // A click during the answer that ended asked for the next one.
  if (!fetch.waiting()) clickedFetch_ = false;
  beforeFetch_.reset();
  keptBank_.reset();
  keptBeforeFetch_ = false;
  editsKept_.clear();
}

void DeviceProtocol::PrepareStore(StoreScope scope) {
  if (scope == StoreScope::ALL) {
    PrepareStore(state_.bank);
    return;
  }
  store.prepare({BuildStoreMessage(StoreScope::SINGLE, state_.CurrentPreset)});
  storingAll_ = false;
  storedWhich_.reset();
}

void DeviceProtocol::PrepareStore(const PresetBank& bank) {
  std::vector<PresetMessage> messages;
  for (int n = 0; n < kPresetCount; ++n)
    messages.push_back(buildPresetMessage(n == 0 ? CMD_BANK_FIRST : CMD_BANK_NEXT, bank[static_cast<std::size_t>(n)]));
  storedBank_ = bank;
  store.prepare(std::move(messages));
  storingAll_ = true;
  storeTold_ = false;
  storedWhich_.reset();
}

void DeviceProtocol::PrepareStoreOne(const PresetRecord& record) {
  store.prepare({buildPresetMessage(CMD_STORE_ONE, record)});
  storingAll_ = false;
  storedWhich_.reset();
}

std::string DeviceProtocol::SendNextStoreMessage() {
  // Its own copy: a box opened by a failing send may let other work run.
  const std::size_t k = store.sent();
  const PresetMessage message = store.take();
  if (output_.SEND_SYSEX(message))
    storedWhich_.set(k % kPresetCount);
  else
    store.failed();
  if (!store.pending() && storingAll_ && !storeTold_ && store.sent() > store.failures()) {
    storeTold_ = true;
    // Only what went out is in the combo now.
    if (session) {
      session->stored(storedBank_, storedWhich_);
    } else {
      for (std::size_t n = 0; n < storedBank_.size(); ++n)
        if (storedWhich_[n]) state_.reference[n] = storedBank_[n];
    }
    if (bankMoved) bankMoved({BankMove::Kind::Stored, storedBank_, storedWhich_, 0, storeNote});
  }
  return store.progressNotice();
}

}  // namespace kestralux
