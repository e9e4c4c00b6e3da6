#include "protocol/DeviceProtocol.h"

namespace kestralux {

void DeviceProtocol::SendParameter(int context, int code, int value) {
  if (state_.SendSuppressed) return;
  PARAM_BUFFER = buildParameterMessage(context, code, value);
  // The engine may show a box that lets a nested send run; hand it its own copy.
  const ParameterMessage message = PARAM_BUFFER;
  output_.SEND_SYSEX(message);
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
  SendBankRequest();
  fetch.requested(clock());
}

void DeviceProtocol::DecodeNextSlot(const RxSlot& slot) {
  const BankFetch::Report report = fetch.take(slot, state_.bank, clock());
  if (report.complete) state_.BankRefreshPending = true;
  tell(report.notices);
}

void DeviceProtocol::CheckTransferSilence() { tell(fetch.checkSilence(clock()).notices); }

void DeviceProtocol::PrepareStore(StoreScope scope) {
  std::vector<PresetMessage> messages;
  if (scope == StoreScope::ALL) {
    for (int n = 0; n < kPresetCount; ++n) messages.push_back(BuildStoreMessage(StoreScope::ALL, n));
  } else {
    messages.push_back(BuildStoreMessage(StoreScope::SINGLE, state_.CurrentPreset));
  }
  store.prepare(std::move(messages));
}

std::string DeviceProtocol::SendNextStoreMessage() {
  // Its own copy: a box opened by a failing send may let other work run.
  const PresetMessage message = store.take();
  output_.SEND_SYSEX(message);
  return store.progressNotice();
}

}  // namespace kestralux
