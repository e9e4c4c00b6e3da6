#pragma once
// The platform's MIDI ports through RtMidi. This pair of files is the only place that
// includes RtMidi.h; the rest of the program sees the MidiPorts interface.

#include <cstdint>
#include <memory>
#include <span>
#include <string>
#include <vector>

#include "midi/MidiPorts.h"

class RtMidiIn;
class RtMidiOut;

namespace kestralux {

class JackClient;
class JackOutput;
struct ListedMidiPort;

// Which MIDI system the ports go through. `None` gives a working object with no ports,
// for a machine that has no MIDI at all; `PlatformDefault` is RtMidi's compiled default
// on systems other than Linux.
enum class MidiSystem { None, Alsa, Jack, PlatformDefault };

const char* midiSystemName(MidiSystem system);

// Whether the ALSA sequencer device exists and can be opened for reading and writing.
bool alsaSequencerAvailable();

// Whether a JACK server (the one JACK_DEFAULT_SERVER names, or the default) answers a
// client now. Never starts a server and prints nothing.
bool jackServerRunning();

// ALSA when its sequencer can be used, else JACK when a server runs, else None; on
// other platforms the compiled default.
MidiSystem detectMidiSystem();

inline constexpr const char* kEditorClientName = "KESTRALUX Preset Manager";
inline constexpr const char* kToolClientName = "kestralux-tool";

class RtMidiPorts final : public MidiPorts {
 public:
  explicit RtMidiPorts(MidiSystem system = detectMidiSystem(),
                       std::string clientName = kEditorClientName);
  ~RtMidiPorts() override;

  RtMidiPorts(const RtMidiPorts&) = delete;
  RtMidiPorts& operator=(const RtMidiPorts&) = delete;

  // The system actually in use: None when the chosen one could not be started.
  MidiSystem system() const { return system_; }

  std::vector<std::string> inputPortNames() override;
  std::vector<std::string> outputPortNames() override;

  // Device numbers are positions in the last list this object returned. When ports come
  // or go between listing and opening, the port is found again by its listed name.
  bool openOutput(std::uint32_t device) override;
  bool isOutputOpen() const override;
  bool sendMessage(std::span<const std::uint8_t> message) override;
  void closeOutput() override;

  bool openInput(std::uint32_t device, Delivery deliver) override;
  bool openControllerInput(std::uint32_t device, Delivery deliver) override;
  bool isInputOpen() const override;
  void closeInput() override;

  bool outputPortReturned() override;
  bool inputPortReturned() override;

  // On JACK: one client with a port for each input, connected all at once.
  std::unique_ptr<Listening> listenToAll(const std::vector<std::string>& inputs, TaggedDelivery deliver) override;
  // On JACK: one client with a port for each input and each output, connected all at once.
  std::unique_ptr<SearchConnection> connectForSearch(const std::vector<std::string>& inputs,
                                                     const std::vector<std::string>& outputs,
                                                     TaggedDelivery deliver) override;

 private:
  struct InputContext;
  class PortWatch;

  // The ports the other programs and devices offer now, to listen to (`inputs`) or to send to.
  std::vector<ListedMidiPort> listed(bool inputs);
  bool onJack() const;
  bool openInputOf(std::uint32_t device, Delivery deliver, bool channelMessages);

  MidiSystem system_;
  std::string clientName_;
  std::unique_ptr<RtMidiIn> in_;
  std::unique_ptr<RtMidiOut> out_;
  // On JACK the output connection is a client of ours: RtMidi's frees its send buffer while
  // its client still runs, and a process cycle caught in between reads freed memory.
  std::unique_ptr<JackOutput> jackOut_;
  // On JACK the input and the port lists go through clients of ours too: the JACK library frees
  // every client of a program once its server is gone, and RtMidi then closes a freed client.
  std::unique_ptr<Listening> jackIn_;
  std::unique_ptr<JackClient> jackLister_;
  std::vector<std::string> listedInputs_;
  std::vector<std::string> listedOutputs_;
  std::unique_ptr<InputContext> inputContext_;
  std::unique_ptr<PortWatch> outputWatch_;
  std::unique_ptr<PortWatch> inputWatch_;
};

// A pair of virtual ports that other programs connect to, as a device on the MIDI
// network would appear: the input receives what they send, the output is what they
// read. They belong to the clients "<clientName> MIDI IN" and "<clientName> MIDI OUT",
// so other programs list them under those names (JACK: "KESTRALUX MIDI OUT:out").
class RtMidiVirtualPorts {
 public:
  explicit RtMidiVirtualPorts(MidiSystem system = detectMidiSystem());
  ~RtMidiVirtualPorts();

  RtMidiVirtualPorts(const RtMidiVirtualPorts&) = delete;
  RtMidiVirtualPorts& operator=(const RtMidiVirtualPorts&) = delete;

  // Creates both ports; false (with a reason in lastError()) when the system cannot.
  bool open(const std::string& clientName, MidiPorts::Delivery deliver);
  bool isOpen() const { return open_; }
  bool sendMessage(std::span<const std::uint8_t> message);
  void close();

  // The JACK server under the ports went away, and the ports with it: open() makes them again
  // once a server runs. Cheap enough to ask at every turn of a loop.
  bool serverLost() const;

  const std::string& lastError() const { return lastError_; }

 private:
  struct InputContext;
  struct JackPorts;

  MidiSystem system_;
  std::unique_ptr<RtMidiIn> in_;
  std::unique_ptr<RtMidiOut> out_;
  std::unique_ptr<JackPorts> jack_;
  std::unique_ptr<InputContext> inputContext_;
  bool open_ = false;
  std::string lastError_;
};

}  // namespace kestralux
