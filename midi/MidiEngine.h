#pragma once
// The MIDI engine: sends whole SysEx messages on the chosen output port and hands each
// received message to its receiver on the engine's thread. It holds no Qt and no thread of its
// own; whoever owns it says how a received message reaches that thread (setInputPoster) and
// which ports are chosen (choosePortsWith).

#include <chrono>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <span>

#include "midi/MidiPorts.h"
#include "midi/SysexOutput.h"

namespace kestralux {

// About five times the wire time of a 40-byte message (12.8 ms at 31,250 bit/s): the device
// has taken one dump before the next starts.
inline constexpr std::chrono::milliseconds kDumpPause{60};

class MidiEngine : public SysexOutput {
 public:
  using Pause = std::function<void(std::chrono::milliseconds)>;
  // Runs `work` later on the engine's thread. Called on whatever thread the port delivers
  // on, so it must be safe to call from there.
  using Poster = std::function<void(std::function<void()> work)>;
  using Receiver = std::function<void(std::span<const std::uint8_t> message)>;
  // The device number of the chosen port in the port list as it is now, or nothing when the
  // chosen port is not there.
  using PortChoice = std::function<std::optional<std::uint32_t>()>;

  explicit MidiEngine(MidiPorts& ports);
  ~MidiEngine() override;
  MidiEngine(const MidiEngine&) = delete;
  MidiEngine& operator=(const MidiEngine&) = delete;

  // Opens the chosen output if no connection is open and sends. A failed open or send loses
  // the message and reports MIDI_CARD_ERROR; a failed send also drops the connection so the
  // next send opens the port afresh.
  bool SEND_SYSEX(std::span<const std::uint8_t> message) override;
  void DUMP_PAUSE() override;

  void OPEN_MIDI_IN();   // on the chosen input; a failure is silent
  // Connects output and input again to ports that have come back (the device switched off
  // and on), with or without a failed send in between.
  void followReturnedPorts();
  void CLOSE_MIDI_IN();  // notices already on their way are ignored from here on
  void CLOSE_MIDI_OUT();

  // One received message, on the engine's thread: to the receiver.
  void MIDI_LONG_DATA(std::span<const std::uint8_t> message);

  // Asked before every open, so a port is always found where it is listed at that moment.
  // Without them the numbers OUT_DEVICE and IN_DEVICE are used as they stand.
  void choosePortsWith(PortChoice output, PortChoice input) {
    outputChoice_ = std::move(output);
    inputChoice_ = std::move(input);
  }
  void setReceiver(Receiver receiver) { receiver_ = std::move(receiver); }
  void setCardErrorHook(std::function<void()> hook) { MIDI_CARD_ERROR_ = std::move(hook); }
  void setPause(Pause pause) { pause_ = std::move(pause); }
  // Takes effect at the next OPEN_MIDI_IN. The default runs the work at once, which is right
  // only for ports that deliver on the engine's own thread.
  void setInputPoster(Poster poster) { poster_ = std::move(poster); }

  // The devices the connections are made on: set by the choice at each open.
  std::uint32_t OUT_DEVICE = 0;
  std::uint32_t IN_DEVICE = 0;
  bool OUT_USED = false;

  bool outputOpen() const { return outputOpenOn_.has_value(); }
  // Failures that showed no box because one was open already.
  int quietCardErrors() const { return quietCardErrors_; }

 private:
  void reportCardError();
  bool openOutput();
  bool chooseInput();

  MidiPorts& ports_;
  std::function<void()> MIDI_CARD_ERROR_;
  Receiver receiver_;
  PortChoice outputChoice_;
  PortChoice inputChoice_;
  Pause pause_;
  Poster poster_;
  // The device the output connection was opened on, while it is open.
  std::optional<std::uint32_t> outputOpenOn_;
  // One per open input; a notice carries a weak reference to the one it was posted under,
  // so a notice that outlives its input (or the engine) finds it gone and does nothing.
  std::shared_ptr<int> inputSession_;
  // A send failed on an open connection: the port went away.
  bool outputLost_ = false;
  bool cardErrorShowing_ = false;
  int quietCardErrors_ = 0;
};

}  // namespace kestralux
