#pragma once
// Where built messages go: the MIDI engine in the program, a recorder in tests.

#include <cstdint>
#include <span>

namespace kestralux {

class SysexOutput {
 public:
  virtual ~SysexOutput() = default;

  // Sends one whole System Exclusive message on the chosen output port. Failures are
  // announced by the output itself; the caller carries on, told whether the message went.
  virtual bool SEND_SYSEX(std::span<const std::uint8_t> message) = 0;

  // Holds the caller for the fixed gap that keeps 40-byte messages apart on the wire.
  virtual void DUMP_PAUSE() = 0;

  void SEND_DUMP(std::span<const std::uint8_t, 40> message) {
    SEND_SYSEX(message);
    DUMP_PAUSE();
  }
};

}  // namespace kestralux
