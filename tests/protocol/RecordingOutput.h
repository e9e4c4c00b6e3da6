#pragma once
// Records every message and pause handed to the MIDI output, in order.

#include <cstdint>
#include <string>
#include <vector>

#include "midi/SysexOutput.h"

namespace kestralux {

class RecordingOutput : public SysexOutput {
 public:
  bool SEND_SYSEX(std::span<const std::uint8_t> message) override {
    messages.emplace_back(message.begin(), message.end());
    events.push_back("send");
    return !failing;
  }
  void DUMP_PAUSE() override { events.push_back("pause"); }

  std::vector<std::vector<std::uint8_t>> messages;
  std::vector<std::string> events;
  bool failing = false;  // sends fail, as to a port that is gone
};

}  // namespace kestralux
