#pragma once
// The search for the combo on JACK: one client with a port for every input and every output,
// connected all at once and kept for the whole search. The search asks each output and may ask
// it again; a client costs the server far more than a port, and a connection made per request
// would pay the wait for it to go live and the drain before it closes every time.

#if defined(KESTRALUX_HAVE_JACK)

#include <jack/jack.h>
#include <jack/ringbuffer.h>

#include <atomic>
#include <cstdint>
#include <memory>
#include <span>
#include <string>
#include <vector>

#include "midi/JackSysex.h"
#include "midi/MidiPorts.h"

namespace kestralux {

class JackClient;

class JackSearch final : public MidiPorts::SearchConnection {
 public:
  // Nothing when no client can be made. A port whose connection fails hears nothing, or
  // refuses its sends.
  static std::unique_ptr<JackSearch> open(const std::string& clientName, const std::vector<std::string>& sources,
                                          const std::vector<std::string>& targets, MidiPorts::TaggedDelivery deliver);
  // What was sent reaches its port before the client stops.
  ~JackSearch() override;

  bool send(std::uint32_t output, std::span<const std::uint8_t> message) override;

 private:
  struct Output {
    jack_port_t* port = nullptr;
    jack_ringbuffer_t* ring = nullptr;
    bool connected = false;
  };

  explicit JackSearch(MidiPorts::TaggedDelivery deliver) : deliver_(std::move(deliver)) {}
  void awaitConnections(const std::vector<std::string>& targets);
  void drain();
  static int process(jack_nframes_t frames, void* self);
  void hear(jack_nframes_t frames);
  void speak(jack_nframes_t frames);

  MidiPorts::TaggedDelivery deliver_;
  std::unique_ptr<JackClient> client_;
  std::vector<JackSysexInput> inputs_;
  std::vector<Output> outputs_;
  bool active_ = false;
  std::atomic<std::uint64_t> cycles_{0};
  // The count of cycles once the last message sent was moved into its port's buffer; 0 for none.
  std::atomic<std::uint64_t> lastMoved_{0};
};

}  // namespace kestralux

#endif
