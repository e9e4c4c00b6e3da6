#pragma once
// The program-wide state of one run: the bank, the preset shown and edited, and the flags
// that couple editing to the device traffic. One instance, owned by the application and
// passed by reference, so a test can build a fresh editor.

#include "model/PresetRecord.h"

namespace kestralux {

enum class StoreScope { SINGLE = 0, ALL = 1 };

struct EditorState {
  PresetBank bank{};
  int CurrentPreset = 0;  // 0..29

  bool SendSuppressed = false;       // while set, SendParameter sends nothing
  bool PresetResendPending = false;  // the next poll tick sends the whole current preset
  bool BankRefreshPending = false;   // a fetch has completed; Timer2 shows preset 1

  bool StoreRequested = false;
  // From the confirmation of a store until its last message has gone out; a whole-preset
  // send waits until then, so the device hears nothing between the store's messages.
  bool StoreInProgress = false;
  StoreScope storeScope = StoreScope::SINGLE;

  // Each preset as it was last fetched, loaded, saved or stored: the bank differs from it
  // when there is work that is nowhere else yet.
  PresetBank reference{};

  PresetRecord& current() { return bank[static_cast<std::size_t>(CurrentPreset)]; }
  const PresetRecord& current() const { return bank[static_cast<std::size_t>(CurrentPreset)]; }
};

}  // namespace kestralux
