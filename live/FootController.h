#pragma once
// A MIDI foot controller on an input port of its own: what its messages mean for the set.
// By default Program Change n (any channel) plays song n + 1, and CC 80 / CC 81 with a value
// of 64 or more (the press, not the release) play the next / the previous song. LEARN makes
// the next CC (pressed), note-on or Program Change that arrives the trigger for next or
// previous instead. A learned trigger goes before the Program Change rule.

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "live/StagePlay.h"

namespace kestralux {

// A channel message the step rules read; every other message is dropped by the parser.
struct ControllerMessage {
  enum class Kind { ProgramChange, ControlChange, NoteOn, NoteOff };
  Kind kind = Kind::ProgramChange;
  int channel = 0;  // 0..15
  int number = 0;   // program, controller or note number
  int value = 0;    // controller value or velocity; 0 for a program change

  bool operator==(const ControllerMessage&) const = default;
};

// "PROGRAM 41", "CC 80 = 127", "NOTE 60"; the channel from 1: " (CH 2)".
std::string describeControllerMessage(const ControllerMessage& message);

// Bytes from the controller's port as they come, one or many at a time: running status is
// followed, real-time bytes (clock, active sensing, start, stop) are skipped wherever they fall
// without breaking a message, SysEx and system common messages are skipped whole, and a data
// byte without a status is dropped.
class ControllerByteParser {
 public:
  std::optional<ControllerMessage> feed(std::uint8_t byte);
  std::vector<ControllerMessage> feed(std::span<const std::uint8_t> bytes);
  void reset();

 private:
  std::uint8_t status_ = 0;  // the running status; 0 when none
  std::uint8_t data_[2]{};
  int have_ = 0;
  bool inSysex_ = false;
  int skipData_ = 0;  // data bytes of a system common message still to skip
};

struct FootTrigger {
  enum class Kind { ControlChange, NoteOn, ProgramChange };
  Kind kind = Kind::ControlChange;
  int number = 0;

  bool operator==(const FootTrigger&) const = default;
};

// "CC 80", "NOTE 60", "PROGRAM 5": how the controller choice shows a trigger.
std::string describeFootTrigger(const FootTrigger& trigger);
// Back from that text; nothing for any other.
std::optional<FootTrigger> footTriggerOfText(const std::string& text);

inline constexpr int kNextController = 80;
inline constexpr int kPreviousController = 81;
inline constexpr int kPressedValue = 64;

struct FootMapping {
  FootTrigger next{FootTrigger::Kind::ControlChange, kNextController};
  FootTrigger previous{FootTrigger::Kind::ControlChange, kPreviousController};
  bool programChangePlaysSong = true;

  bool operator==(const FootMapping&) const = default;
};

// The step a message asks for, if any: a CC below 64, a note-off, a note-on of velocity 0 and
// anything not mapped mean nothing.
std::optional<Step> stepOfMessage(const FootMapping& mapping, const ControllerMessage& message);

enum class LearnTarget { Next, Previous };

// LEARN: the next CC pressed (value 64 or more), note-on or Program Change becomes the trigger.
// A release or a note-off that arrives first is passed over, so the end of the press that
// started LEARN is not what is learned.
class FootLearn {
 public:
  void begin(LearnTarget target) { target_ = target; }
  void cancel() { target_.reset(); }
  bool learning() const { return target_.has_value(); }
  std::optional<LearnTarget> target() const { return target_; }

  // While learning: takes `message` into `mapping` when it can be a trigger, and ends. Whether
  // it was taken. A trigger learned for one side that the other side had swaps the two, so one
  // pedal never means both and neither side is left without one.
  bool offer(const ControllerMessage& message, FootMapping& mapping);

 private:
  std::optional<LearnTarget> target_;
};

// The controller as remembered between runs, in the working directory beside combo.cfg: the
// port by name, and the mapping. One setting a line, "port=NAME", "next=CC 80",
// "previous=CC 81", "programs=on".
inline constexpr const char* kFootControllerFileName = "controller.cfg";
struct FootControllerSettings {
  std::string port;  // empty: no controller
  FootMapping mapping;

  bool operator==(const FootControllerSettings&) const = default;
};
std::string footControllerSettingsText(const FootControllerSettings& settings);
// Lines it does not know are passed over, so a newer file still gives what it can.
FootControllerSettings readFootControllerSettings(std::string_view text);

}  // namespace kestralux
