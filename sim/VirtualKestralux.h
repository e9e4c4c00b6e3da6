#pragma once
// The device's side of the conversation, without any MIDI port: what a KESTRALUX does
// with each message it receives. The kestralux-sim program puts it on virtual ports.
//
// Like the combo, it has a current sound (the edit buffer) and 30 stored slots: parameter
// changes change the sound only; a store-one writes the current slot, a store-all every
// slot; the bank answer carries the stored slots. So a fetch after live edits brings back
// what is stored, not what is being played.

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "model/PresetRecord.h"
#include "protocol/Sysex.h"

namespace kestralux {

class VirtualKestralux {
 public:
  enum class Kind {
    Ignored,        // not ours, malformed, a value the combo has no control for, or nothing to do
    Parameter,      // a parameter of the current sound changed
    Startup,        // the editor's start-up message
    BankRequest,    // answered with the stored slots
    StoredPreset,   // a preset message was written into a stored slot
  };

  struct Reception {
    Kind kind = Kind::Ignored;
    std::string description;             // one line, for --verbose
    std::vector<PresetMessage> answer;   // to be sent back, in order
  };

  // How the device answers a bank request, so a bad link can be tried: only the first
  // `count` messages, message `damaged` (1..30, 0 for none) with a wrong checksum, or no
  // answer at all.
  struct AnswerShape {
    int count = kPresetCount;
    int damaged = 0;
    bool silent = false;
  };

  // Faults put on on purpose, so the editor's and the tool's checks can be seen at work.
  struct Faults {
    // The n-th message (1..30) of the next store-all never arrives: the position does not
    // move, and every later preset lands one slot early.
    int loseStore = 0;
    // Slot `stuckSlot` (0..29) always keeps parameter `stuckParameter` one step off what was
    // stored; -1 for none.
    int stuckSlot = -1;
    int stuckParameter = -1;
    // Once a preset has been stored, bank requests go unanswered.
    bool silentAfterStore = false;
  };

  // The sound starts as stored slot `current` (0..29), as the combo's does when switched on.
  explicit VirtualKestralux(const PresetBank& bank = {});
  VirtualKestralux(const PresetBank& bank, AnswerShape shape, int current = 0);
  void setFaults(const Faults& faults) { faults_ = faults; }

  Reception receive(std::span<const std::uint8_t> message);

  // The stored slots.
  const PresetBank& bank() const { return bank_; }
  // The current sound: the current slot as stored, with every parameter change since.
  const PresetRecord& sound() const { return sound_; }
  int currentPreset() const { return current_; }
  int startupCount() const { return startups_; }

  // One 0x2A and 29 0x2B preset messages of the bank, in bank order.
  std::vector<PresetMessage> bankAnswer() const;

 private:
  Reception receiveParameter(std::span<const std::uint8_t> message);
  Reception receivePreset(std::span<const std::uint8_t> message);

  std::vector<PresetMessage> shapedAnswer() const;

  PresetBank bank_;
  AnswerShape shape_;
  // Single stores go to the slot under this number; nothing on the wire moves it.
  int current_ = 0;
  PresetRecord sound_;
  // The record the last bank-store message wrote, empty until a 0x2A opens a transfer,
  // so a stray 0x2B can never overwrite a record.
  std::optional<int> storeCursor_;
  int startups_ = 0;
  Faults faults_;
  // The position of the last message of the store-all under way (1 for its 0x2A).
  int storePosition_ = 0;
  bool stored_ = false;
};

// The parameter a window caption names ("GAIN", "delay time": any case), for the faults'
// options; nothing for a caption without steps of one (EFFECT SELECT) or unknown.
std::optional<int> steppedParameterOfCaption(std::string_view caption);

// The name of a parameter code 1..16 (AMP_GAIN for 2), or "" for any other code.
const char* parameterNameOfCode(int code);

}  // namespace kestralux
