#pragma once
// The one narrow interface to the platform's MIDI ports. Two implementations: RtMidi
// (ALSA, JACK, WinMM, CoreMIDI) and an in-process loopback for unit tests.

#include <cstdint>
#include <functional>
#include <memory>
#include <span>
#include <string>
#include <utility>
#include <vector>

namespace kestralux {

class MidiPorts {
 public:
  // Called with each whole received message; may run on a backend thread.
  using Delivery = std::function<void(std::vector<std::uint8_t> message)>;

  virtual ~MidiPorts() = default;

  // Port names in device-number order: device d is entry d.
  virtual std::vector<std::string> inputPortNames() = 0;
  virtual std::vector<std::string> outputPortNames() = 0;

  // Output connection: open fails for a port that does not exist (or cannot be opened).
  virtual bool openOutput(std::uint32_t device) = 0;
  virtual bool isOutputOpen() const = 0;
  virtual bool sendMessage(std::span<const std::uint8_t> message) = 0;
  virtual void closeOutput() = 0;

  // Input connection delivering whole SysEx messages.
  virtual bool openInput(std::uint32_t device, Delivery deliver) = 0;
  virtual bool isInputOpen() const = 0;
  virtual void closeInput() = 0;

  // Input connection for a foot controller: it delivers the channel messages (program and
  // control changes, notes), each event's bytes as they came, instead of SysEx. It is closed
  // with closeInput, and a port object holds one input of either kind at a time.
  virtual bool openControllerInput(std::uint32_t device, Delivery deliver) { return openInput(device, std::move(deliver)); }

  // Whether the port an open connection was made to has gone and come back since (a device
  // switched off and on, a program started again): the old connection reaches nothing, so
  // the connection is to be made afresh. Asking clears it. Cheap enough for every poll tick.
  virtual bool outputPortReturned() { return false; }
  virtual bool inputPortReturned() { return false; }

  // Listening to many inputs at once, with one connection of the MIDI system for all of them,
  // for the search for the combo: each message comes with the position of its port in
  // `inputs`. Listening ends when the object goes. Nothing when the system cannot do it: the
  // caller then opens the inputs one by one, a port object each.
  class Listening {
   public:
    virtual ~Listening() = default;
  };
  using TaggedDelivery = std::function<void(std::uint32_t input, std::vector<std::uint8_t> message)>;
  virtual std::unique_ptr<Listening> listenToAll(const std::vector<std::string>& inputs, TaggedDelivery deliver) {
    (void)inputs;
    (void)deliver;
    return nullptr;
  }

  // Listening to many inputs and sending to many outputs through one connection of the MIDI
  // system, kept for the whole search for the combo, which asks each output and may ask it
  // again: a connection made per request pays the system's wait for it to go live, and the
  // drain before it closes, every time. Messages come as with listenToAll; `output` is the
  // position of the port in `outputs`. Nothing when the system cannot do it: the caller then
  // listens with listenToAll, or input by input, and opens the outputs one by one.
  class SearchConnection {
   public:
    virtual ~SearchConnection() = default;
    virtual bool send(std::uint32_t output, std::span<const std::uint8_t> message) = 0;
  };
  virtual std::unique_ptr<SearchConnection> connectForSearch(const std::vector<std::string>& inputs,
                                                             const std::vector<std::string>& outputs,
                                                             TaggedDelivery deliver) {
    (void)inputs;
    (void)outputs;
    (void)deliver;
    return nullptr;
  }
};

}  // namespace kestralux
