#include "midi/MidiEngine.h"

#include <thread>
#include <vector>

namespace kestralux {

MidiEngine::MidiEngine(MidiPorts& ports)
    : ports_(ports),
      pause_([](std::chrono::milliseconds d) { std::this_thread::sleep_for(d); }),
      poster_([](std::function<void()> work) { work(); }) {}

MidiEngine::~MidiEngine() {
  CLOSE_MIDI_IN();
  CLOSE_MIDI_OUT();
}

bool MidiEngine::openOutput() {
  if (outputChoice_) {
    const std::optional<std::uint32_t> device = outputChoice_();
    if (!device) return false;
    OUT_DEVICE = *device;
  }
  if (!ports_.openOutput(OUT_DEVICE)) return false;
  outputOpenOn_ = OUT_DEVICE;
  return true;
}

bool MidiEngine::SEND_SYSEX(std::span<const std::uint8_t> message) {
  // A connection left on another device by an earlier choice is not the chosen port.
  if (outputOpenOn_ && *outputOpenOn_ != OUT_DEVICE) CLOSE_MIDI_OUT();
  if (!outputOpenOn_) {
    OUT_USED = true;
    if (!openOutput()) {
      reportCardError();
      return false;
    }
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

bool MidiEngine::chooseInput() {
  if (!inputChoice_) return true;
  const std::optional<std::uint32_t> device = inputChoice_();
  if (device) IN_DEVICE = *device;
  return device.has_value();
}

void MidiEngine::OPEN_MIDI_IN() {
  if (ports_.isInputOpen()) CLOSE_MIDI_IN();
  inputSession_.reset();
  if (!chooseInput()) return;
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

void MidiEngine::MIDI_LONG_DATA(std::span<const std::uint8_t> message) {
  if (receiver_) receiver_(message);
}

void MidiEngine::followReturnedPorts() {
  if (ports_.inputPortReturned() && inputSession_) OPEN_MIDI_IN();
  if (ports_.outputPortReturned() && outputOpenOn_) {
    // Opened again at once, quietly: no user action waits on it, and a port that is gone
    // again is told at the next send as ever. Found by its name, never by a number that
    // another port may hold now.
    CLOSE_MIDI_OUT();
    openOutput();
  }
}

}  // namespace kestralux
