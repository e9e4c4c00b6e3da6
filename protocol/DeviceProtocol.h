#pragma once
// The operations through which the editor talks to the device: every edit, the whole-preset
// burst, the start-up message and the preset messages all pass through here.

#include <bitset>
#include <functional>
#include <optional>
#include <vector>

#include "model/EditSession.h"
#include "model/EditorState.h"
#include "protocol/BankTransfer.h"
#include "protocol/FetchedNames.h"
#include "protocol/Sysex.h"
#include "midi/SysexOutput.h"

namespace kestralux {

class DeviceProtocol {
 public:
  DeviceProtocol(EditorState& state, SysexOutput& output) : state_(state), output_(output) {}

  // The one operation through which an edit reaches the device. Sends nothing while
  // SendSuppressed is set. Whether the message went out.
  bool SendParameter(int context, int code, int value);

  // A live edit of parameter `index`: its current value in the current preset with the
  // live context byte of that parameter.
  void SendLiveEdit(int index);

  void SendAmpModel();
  void SendEffectSelect(int effectCode);
  void SendStartup() { SendParameter(0, CODE_STARTUP, 0); }
  bool SendBankRequest() { return SendParameter(0, CODE_REQUEST_BANK, 0); }

  // The 16 parameters of the current preset in code order, then one pause.
  void SendWholePreset() { SendWholePreset(state_.current()); }
  // The same for any record, as the combo's current sound; the bank is not read. Whether
  // every message went out.
  bool SendWholePreset(const PresetRecord& record);

  // Fills DUMP_BUFFER with the preset message of record n: 0x28 for SINGLE; for ALL 0x2A at
  // position 0 and 0x2B after it.
  const PresetMessage& BuildStoreMessage(StoreScope scope, int n);

  // The fetch. A request that went out starts the wait for an answer; DecodeNextSlot takes every
  // received message the poll tick hands it and sets BankRefreshPending once the bank is
  // whole; CheckTransferSilence ends a fetch the device has stopped answering.
  // `clicked`: asked for with a click in the window. Only such a fetch replaces presets that
  // differ from their reference; any other (at start, on plugging in, the search's) keeps
  // them and says so. A bank nobody here asked for changes nothing.
  void RequestBank(bool clicked = false);
  void DecodeNextSlot(const RxSlot& slot);
  void CheckTransferSilence();
  // The same, but a request due once more is only said (true), for whoever drives the fetch
  // to send.
  bool LookAtTransferSilence();
  // Received messages were lost: the user is told with the fetch's texts.
  void ReportDropped(int count) { tell({std::to_string(count) + " MESSAGES DROPPED"}, false); }

  // The store: the messages of the bank as it is now, for `scope`, ready to go out one by
  // one through SendNextStoreMessage, which returns its progress text.
  void PrepareStore(StoreScope scope);
  // The same for a bank that is not the one being edited (a bank put back from the history),
  // and for one preset as a 0x28.
  void PrepareStore(const PresetBank& bank);
  void PrepareStoreOne(const PresetRecord& record);
  // The same messages once more, for a bank the combo did not take whole; the history and
  // the references are told of the store once.
  void RepeatStore() { store.prepare(store.messages()); }
  std::string SendNextStoreMessage();
  // Said in the history's entry of the next store-all ("bank before it not read").
  std::string storeNote;

  ParameterMessage PARAM_BUFFER{};
  PresetMessage DUMP_BUFFER{};

  BankFetch fetch;
  StoreSequence store;
  // The editor's edit session: fetched presets and stored banks go through it, so a fetch is
  // one undo step and moves the references. Without one (the command line) they go straight
  // into the bank.
  EditSession* session = nullptr;
  // A fetch has brought at least one preset in this run.
  bool bankReceived = false;
  // Where the fetch's texts go: the window shows them. Called on the thread of the tick.
  std::function<void(const Notices&)> fetchNotices;
  // A fetch has filled the bank to its last preset: preset 1 is to be shown.
  std::function<void()> bankComplete;
  // A fetch that brought at least one whole preset has ended, a store-all of which at least
  // one message went out has ended, or a clicked fetch is about to replace edited presets:
  // for the history of banks and the library.
  std::function<void(const BankMove& move)> bankMoved;
  // Where a fetched preset's name comes from when the slot held other values.
  NewestName newestName;
  // The combo's bank as the newest history entry of it holds it: what each slot held before
  // this run, as far as this editor knows. Asked once per fetch, at its first preset.
  std::function<std::optional<PresetBank>()> keptComboBank;
  // Tests move time themselves.
  std::function<TransferClock::time_point()> clock = [] { return TransferClock::now(); };

 private:
  void fetchEnded();
  void tell(Notices notices, bool ended);
  void take(int n, const PresetRecord& record);

  EditorState& state_;
  SysexOutput& output_;
  // The bank as it was when a store-all was confirmed, and the presets whose message went.
  PresetBank storedBank_{};
  std::bitset<kPresetCount> storedWhich_;
  bool storingAll_ = false;
  bool storeTold_ = false;
  // The transfer under way: whether a click asked for it, the bank as it was when its first
  // preset came and as the combo sent it, whether the first was kept in the history, and the
  // edited presets it left alone.
  bool clickedFetch_ = false;
  std::optional<PresetBank> beforeFetch_;
  std::optional<PresetBank> keptBank_;
  PresetBank fetchedBank_{};
  bool keptBeforeFetch_ = false;
  std::vector<int> editsKept_;
};

}  // namespace kestralux
