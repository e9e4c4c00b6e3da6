#pragma once
// The operations through which the editor talks to the device: every edit, the whole-preset
// burst, the start-up message and the preset messages all pass through here.

#include "model/EditorState.h"
#include "protocol/Sysex.h"
#include "protocol/SysexOutput.h"

namespace kestralux {

class DeviceProtocol {
 public:
  DeviceProtocol(EditorState& state, SysexOutput& output) : state_(state), output_(output) {}

  // The one operation through which an edit reaches the device. Sends nothing while
  // SendSuppressed is set.
  void SendParameter(int context, int code, int value);

  // A live edit of parameter `index`: its current value in the current preset with the
  // live context byte of that parameter.
  void SendLiveEdit(int index);

  void SendAmpModel();
  void SendEffectSelect(int effectCode);
  void SendStartup() { SendParameter(0, CODE_STARTUP, 0); }
  void SendBankRequest() { SendParameter(0, CODE_REQUEST_BANK, 0); }

  // The 16 parameters of the current preset in code order, then one pause.
  void SendWholePreset();

  // Fills DUMP_BUFFER with the preset message of record n: 0x28 for SINGLE; for ALL 0x2A at
  // position 0 and 0x2B after it.
  const PresetMessage& BuildStoreMessage(StoreScope scope, int n);

  ParameterMessage PARAM_BUFFER{};
  PresetMessage DUMP_BUFFER{};

 private:
  EditorState& state_;
  SysexOutput& output_;
};

}  // namespace kestralux
