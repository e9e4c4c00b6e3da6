#include "protocol/DeviceProtocol.h"

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

void DeviceProtocol::SendWholePreset() {
  const PresetRecord record = state_.current();
  const int effect = record.value(EFFECT_SELECT);
  for (int i = 0; i < kParameterCount; ++i) {
    const int value = record.value(i);
    SendParameter(contextByte(i, SendPath::WholePreset, effect, value), codeOfParameter(i), value);
  }
  output_.DUMP_PAUSE();
}

const PresetMessage& DeviceProtocol::BuildStoreMessage(StoreScope scope, int n) {
  std::uint8_t command = CMD_STORE_ONE;
  if (scope == StoreScope::ALL) command = n == 0 ? CMD_BANK_FIRST : CMD_BANK_NEXT;
  DUMP_BUFFER = buildPresetMessage(command, state_.bank.at(static_cast<std::size_t>(n)));
  return DUMP_BUFFER;
}

void DeviceProtocol::RequestBank() {
  // A request that could not go out has no answer to wait for: the card error says why.
  if (SendBankRequest()) fetch.requested(clock());
}

void DeviceProtocol::DecodeNextSlot(const RxSlot& slot) {
  // Decoded into a copy, so the record changes only through the session.
  PresetBank decoded = state_.bank;
  const BankFetch::Report report = fetch.take(slot, decoded, clock());
  if (report.decoded >= 0) {
    const auto n = static_cast<std::size_t>(report.decoded);
    if (session) {
      session->fetched(report.decoded, decoded[n]);
    } else {
      state_.bank[n] = decoded[n];
      state_.reference[n] = decoded[n];
    }
  }
  if (report.complete) state_.BankRefreshPending = true;
  tell(report.notices);
  if (report.complete && bankComplete) bankComplete();
  if (report.ended) fetchEnded();
}

void DeviceProtocol::CheckTransferSilence() {
  const BankFetch::Report report = fetch.checkSilence(clock());
  tell(report.notices);
  if (report.ended) fetchEnded();
}

void DeviceProtocol::fetchEnded() {
  if (session) session->fetchEnded();
  const int received = fetch.received();
  if (received > 0) bankReceived = true;
  if (received == 0 || !bankMoved) return;
  bankMoved(state_.bank, received == kPresetCount ? std::string("fetched")
                                                  : "fetched " + std::to_string(received) + " of " + std::to_string(kPresetCount));
}

void DeviceProtocol::PrepareStore(StoreScope scope) {
  std::vector<PresetMessage> messages;
  if (scope == StoreScope::ALL) {
    for (int n = 0; n < kPresetCount; ++n) messages.push_back(BuildStoreMessage(StoreScope::ALL, n));
    storedBank_ = state_.bank;
  } else {
    messages.push_back(BuildStoreMessage(StoreScope::SINGLE, state_.CurrentPreset));
  }
  store.prepare(std::move(messages));
  storingAll_ = scope == StoreScope::ALL;
}

std::string DeviceProtocol::SendNextStoreMessage() {
  // Its own copy: a box opened by a failing send may let other work run.
  const PresetMessage message = store.take();
  if (!output_.SEND_SYSEX(message)) store.failed();
  if (!store.pending() && storingAll_ && store.sent() > store.failures()) {
    if (session)
      session->stored(storedBank_);
    else
      state_.reference = storedBank_;
    if (bankMoved) bankMoved(storedBank_, "stored");
  }
  return store.progressNotice();
}

}  // namespace kestralux
