#pragma once
// The MIDI engine: sends whole SysEx messages on the chosen output port, takes received
// messages into the receive ring, and does the work of the 50 ms poll tick. It holds no
// Qt and no thread of its own; whoever owns it says how a received message reaches the
// thread the engine lives on (setInputPoster).

#include <chrono>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <span>

#include "midi/MidiPorts.h"
#include "protocol/RxRing.h"
#include "midi/SysexOutput.h"

namespace kestralux {

struct EditorState;
class DeviceProtocol;

// About five times the wire time of a 40-byte message (12.8 ms at 31,250 bit/s): the device
// has taken one dump before the next starts.
inline constexpr std::chrono::milliseconds kDumpPause{60};

class MidiEngine : public SysexOutput {
 public:
  using Pause = std::function<void(std::chrono::milliseconds)>;
  using Decoder = std::function<void(const RxSlot&)>;
  // Runs `work` later on the engine's thread. Called on whatever thread the port delivers
  // on, so it must be safe to call from there.
  using Poster = std::function<void(std::function<void()> work)>;

  explicit MidiEngine(MidiPorts& ports);
  ~MidiEngine() override;
  MidiEngine(const MidiEngine&) = delete;
  MidiEngine& operator=(const MidiEngine&) = delete;

  // Opens OUT_DEVICE if no connection is open and sends. A failed open or send loses the
  // message and reports MIDI_CARD_ERROR; a failed send also drops the connection so the
  // next send opens the port afresh.
  bool SEND_SYSEX(std::span<const std::uint8_t> message) override;
  void DUMP_PAUSE() override;

  void OPEN_MIDI_IN();   // on IN_DEVICE; a failure is silent
  // Connects output and input again to ports that have come back (the device switched off
  // and on), with or without a failed send in between; the poll tick does it first.
  void followReturnedPorts();
  void CLOSE_MIDI_IN();  // notices already on their way are ignored from here on
  void CLOSE_MIDI_OUT();

  // One received message, on the engine's thread.
  RxStoreResult MIDI_LONG_DATA(std::span<const std::uint8_t> message);

  // The body of the poll tick: the pending whole-preset send (held while a store runs), then
  // every waiting message to the decoder (the fetch's, unless one is set), then the fetch's
  // silence check.
  void pollTick(EditorState& state, DeviceProtocol& protocol);

  void setCardErrorHook(std::function<void()> hook) { MIDI_CARD_ERROR_ = std::move(hook); }
  void setDecoder(Decoder decoder) { decoder_ = std::move(decoder); }
  // Runs when a message arrives to a full ring, before the tick: it should empty the ring.
  void setFullRingDrain(std::function<void()> drain) { fullRingDrain_ = std::move(drain); }

  // The decoding half of the poll tick: every waiting message to the decoder.
  void decodeWaiting(DeviceProtocol& protocol);
  void setPause(Pause pause) { pause_ = std::move(pause); }
  // Takes effect at the next OPEN_MIDI_IN. The default runs the work at once, which is right
  // only for ports that deliver on the engine's own thread.
  void setInputPoster(Poster poster) { poster_ = std::move(poster); }

  std::uint32_t OUT_DEVICE = 0;
  std::uint32_t IN_DEVICE = 0;
  bool OUT_USED = false;
  RxRing rx;

  // Failures that showed no box because one was open already.
  int quietCardErrors() const { return quietCardErrors_; }
  // Received messages lost: too long for a slot, or the ring full with no drain.
  int droppedMessages() const { return droppedMessages_; }

 private:
  void reportCardError();

  MidiPorts& ports_;
  std::function<void()> MIDI_CARD_ERROR_;
  Decoder decoder_;
  std::function<void()> fullRingDrain_;
  int droppedAtLastTick_ = 0;
  bool losingAtLastTick_ = false;
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
  int droppedMessages_ = 0;
};

}  // namespace kestralux
