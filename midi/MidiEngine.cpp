#include "midi/MidiEngine.h"

#include <cstdio>
#include <thread>
#include <vector>

#include "model/EditorState.h"
#include "protocol/DeviceProtocol.h"

namespace kestralux {

MidiEngine::MidiEngine(MidiPorts& ports)
    : ports_(ports),
      pause_([](std::chrono::milliseconds d) { std::this_thread::sleep_for(d); }),
      poster_([](std::function<void()> work) { work(); }) {}

MidiEngine::~MidiEngine() {
  CLOSE_MIDI_IN();
  CLOSE_MIDI_OUT();
}

bool MidiEngine::SEND_SYSEX(std::span<const std::uint8_t> message) {
  // A connection left on another device by an earlier choice is not the chosen port.
  if (outputOpenOn_ && *outputOpenOn_ != OUT_DEVICE) CLOSE_MIDI_OUT();
  if (!outputOpenOn_) {
    OUT_USED = true;
    if (!ports_.openOutput(OUT_DEVICE)) {
      reportCardError();
      return false;
    }
    outputOpenOn_ = OUT_DEVICE;
    // The device is back after its port went away: its answers come on a new port too, so
    // the input is opened afresh (on ALSA and JACK a vanished source is not reconnected).
    if (outputLost_ && inputSession_) OPEN_MIDI_IN();
    outputLost_ = false;
  }
  if (!ports_.sendMessage(message)) {
    CLOSE_MIDI_OUT();
    outputLost_ = true;
    reportCardError();
    return false;
  }
  return true;
}

void MidiEngine::reportCardError() {
  // The box runs an event loop; a send made from inside it (a tick, an edit) that fails too
  // is not shown on top of the first.
  if (cardErrorShowing_) {
    ++quietCardErrors_;
    return;
  }
  if (!MIDI_CARD_ERROR_) return;
  cardErrorShowing_ = true;
  const auto hook = MIDI_CARD_ERROR_;  // the hook may be replaced while its box is open
  hook();
  cardErrorShowing_ = false;
}

void MidiEngine::DUMP_PAUSE() {
  if (pause_) pause_(kDumpPause);
}

void MidiEngine::CLOSE_MIDI_OUT() {
  outputOpenOn_.reset();
  if (ports_.isOutputOpen()) ports_.closeOutput();
}

void MidiEngine::OPEN_MIDI_IN() {
  if (ports_.isInputOpen()) CLOSE_MIDI_IN();
  auto session = std::make_shared<int>(0);
  std::weak_ptr<int> ticket = session;
  // Runs on the port's thread: copy, post, touch nothing of the engine.
  MidiPorts::Delivery deliver = [this, ticket, post = poster_](std::vector<std::uint8_t> message) {
    post([this, ticket, message = std::move(message)] {
      if (ticket.expired()) return;
      MIDI_LONG_DATA(message);
    });
  };
  if (ports_.openInput(IN_DEVICE, std::move(deliver))) inputSession_ = std::move(session);
}

void MidiEngine::CLOSE_MIDI_IN() {
  inputSession_.reset();
  if (ports_.isInputOpen()) ports_.closeInput();
}

RxStoreResult MidiEngine::MIDI_LONG_DATA(std::span<const std::uint8_t> message) {
  RxStoreResult result = rx.store(message);
  // A sender faster than the tick: what waits is decoded now, so nothing of ours is lost.
  if (result == RxStoreResult::RingFull && fullRingDrain_) {
    fullRingDrain_();
    result = rx.store(message);
  }
  // Messages of ten bytes or less are never kept; they are not counted as lost.
  if (result == RxStoreResult::TooLong || result == RxStoreResult::RingFull) ++droppedMessages_;
  return result;
}

void MidiEngine::decodeWaiting(DeviceProtocol& protocol) {
  while (rx.RX_PENDING) {
    const RxSlot& slot = rx.takeNext();
    if (decoder_)
      decoder_(slot);
    else
      protocol.DecodeNextSlot(slot);
  }
}

void MidiEngine::followReturnedPorts() {
  if (ports_.inputPortReturned() && inputSession_) OPEN_MIDI_IN();
  if (ports_.outputPortReturned() && outputOpenOn_) {
    // Opened again at once, quietly: no user action waits on it, and a port that is gone
    // again is told at the next send as ever.
    CLOSE_MIDI_OUT();
    if (ports_.openOutput(OUT_DEVICE)) outputOpenOn_ = OUT_DEVICE;
  }
}

void MidiEngine::pollTick(EditorState& state, DeviceProtocol& protocol) {
  followReturnedPorts();
  if (state.PresetResendPending && !state.StoreInProgress) {
    // Cleared first: a preset change made while a box of this burst is open asks again.
    state.PresetResendPending = false;
    protocol.SendWholePreset();
  }
  decodeWaiting(protocol);
  protocol.CheckTransferSilence();
  // Said once a flood: at the first tick that finds messages lost since the one before.
  const int lost = droppedMessages_ - droppedAtLastTick_;
  droppedAtLastTick_ = droppedMessages_;
  if (lost > 0 && !losingAtLastTick_) {
    std::fprintf(stderr, "kestralux: %d received messages dropped (longer than a preset message, or more than the receive ring holds)\n", lost);
    // Another device's long message outside a fetch is no news to the user of the window.
    if (protocol.fetch.waiting()) protocol.ReportDropped(lost);
  }
  losingAtLastTick_ = lost > 0;
}

}  // namespace kestralux
