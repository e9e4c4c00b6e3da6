#pragma once
// The device's side of the conversation, without any MIDI port: what a KESTRALUX does
// with each message it receives. The kestralux-sim program puts it on virtual ports.

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "model/PresetRecord.h"
#include "protocol/Sysex.h"

namespace kestralux {

class VirtualKestralux {
 public:
  enum class Kind {
    Ignored,        // not ours, malformed, or nothing to do
    Parameter,      // a parameter of the current preset changed
    Startup,        // the editor's start-up message
    BankRequest,    // answered with the whole bank
    StoredPreset,   // a preset message was written into the bank
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

  explicit VirtualKestralux(const PresetBank& bank = {});
  VirtualKestralux(const PresetBank& bank, AnswerShape shape);

  Reception receive(std::span<const std::uint8_t> message);

  const PresetBank& bank() const { return bank_; }
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
  // Edits and single stores go to the record under this number; nothing on the wire
  // moves it, so it stays at the first preset.
  int current_ = 0;
  // The record the last bank-store message wrote, empty until a 0x2A opens a transfer,
  // so a stray 0x2B can never overwrite a record.
  std::optional<int> storeCursor_;
  int startups_ = 0;
};

// The name of a parameter code 1..16 (AMP_GAIN for 2), or "" for any other code.
const char* parameterNameOfCode(int code);

}  // namespace kestralux
