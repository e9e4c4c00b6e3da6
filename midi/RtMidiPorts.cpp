#include "midi/RtMidiPorts.h"

#include <rtmidi/RtMidi.h>

#include "midi/JackClient.h"
#include "midi/JackSysex.h"
#include "midi/JackSearch.h"

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <chrono>
#include <functional>
#include <mutex>
#include <optional>
#include <set>
#include <thread>
#include <utility>

#if defined(__linux__)
#include <unistd.h>
#endif
#if defined(KESTRALUX_HAVE_JACK)
#include <jack/jack.h>
#include <jack/midiport.h>
#include <jack/ringbuffer.h>
#endif

namespace kestralux {

namespace {

// RtMidi reports through this instead of throwing or printing once a callback is set.
// A port whose system went away is an expected condition here, not a crash or noise on
// the terminal: callers look at `failed` after each call.
struct ErrorSink {
  bool failed = false;
  std::string text;

  void reset() {
    failed = false;
    text.clear();
  }
};

// One whole message out; RtMidi reports a failed send through the error sink, not always
// by throwing.
bool sendThrough(RtMidiOut& out, ErrorSink& sink, std::span<const std::uint8_t> message) {
  try {
    sink.reset();
    out.sendMessage(message.data(), message.size());
  } catch (const RtMidiError&) {
    return false;
  }
  return !sink.failed;
}

void collectError(RtMidiError::Type type, const std::string& text, void* userData) {
  auto* sink = static_cast<ErrorSink*>(userData);
  if (type == RtMidiError::WARNING || type == RtMidiError::DEBUG_WARNING) return;
  sink->failed = true;
  sink->text = text;
}

RtMidi::Api apiOf(MidiSystem system) {
  switch (system) {
    case MidiSystem::Alsa: return RtMidi::LINUX_ALSA;
    case MidiSystem::Jack: return RtMidi::UNIX_JACK;
    case MidiSystem::PlatformDefault: {
      std::vector<RtMidi::Api> apis;
      RtMidi::getCompiledApi(apis);
      return apis.empty() ? RtMidi::RTMIDI_DUMMY : apis.front();
    }
    case MidiSystem::None: break;
  }
  return RtMidi::RTMIDI_DUMMY;
}

bool compiledWith(RtMidi::Api api) {
  std::vector<RtMidi::Api> apis;
  RtMidi::getCompiledApi(apis);
  return std::find(apis.begin(), apis.end(), api) != apis.end();
}

}  // namespace

struct ListedMidiPort {
  std::string name;
  unsigned index;  // RtMidi's number for it
};

namespace {

using ListedPort = ListedMidiPort;

// A port of the editor's or the tool's own: choosing one would loop a program of ours into
// another (the tool storing into the editor's input). Left out of every list, so the editor,
// its search and the tool number the ports alike, whichever of them runs.
bool ownPort(const std::string& name, const std::string& ownClient) {
  for (const std::string& client : {ownClient, std::string(kEditorClientName), std::string(kToolClientName)})
    if (!client.empty() && name.rfind(client, 0) == 0) return true;
  return false;
}

// The ports other programs and devices offer.
template <typename Port>
std::vector<ListedPort> listPorts(Port* port, ErrorSink& sink, const std::string& ownClient) {
  std::vector<ListedPort> ports;
  if (!port) return ports;
  try {
    sink.reset();
    const unsigned count = port->getPortCount();
    ports.reserve(count);
    for (unsigned i = 0; i < count; ++i) {
      std::string name = port->getPortName(i);
      if (sink.failed) break;  // the port went away while we were listing
      if (ownPort(name, ownClient)) continue;
      ports.push_back({std::move(name), i});
    }
  } catch (const RtMidiError&) {
    ports.clear();
  }
  return ports;
}

std::vector<std::string> namesOf(const std::vector<ListedPort>& ports) {
  std::vector<std::string> names;
  for (const ListedPort& p : ports) names.push_back(p.name);
  return names;
}

// The port listed as `listed[device]`, found again by its name in what is there now; falls
// back to the device number itself when nothing was listed yet.
std::optional<ListedPort> resolveDevice(std::uint32_t device, const std::vector<std::string>& listed,
                                        const std::vector<ListedPort>& now) {
  if (device < listed.size()) {
    const auto it = std::find_if(now.begin(), now.end(), [&](const ListedPort& p) { return p.name == listed[device]; });
    if (it == now.end()) return std::nullopt;
    return *it;
  }
  if (listed.empty() && device < now.size()) return now[device];
  return std::nullopt;
}

}  // namespace

const char* midiSystemName(MidiSystem system) {
  switch (system) {
    case MidiSystem::None: return "none";
    case MidiSystem::Alsa: return "ALSA";
    case MidiSystem::Jack: return "JACK";
    case MidiSystem::PlatformDefault: return "default";
  }
  return "none";
}

bool alsaSequencerAvailable() {
#if defined(__linux__)
  return compiledWith(RtMidi::LINUX_ALSA) && ::access("/dev/snd/seq", R_OK | W_OK) == 0;
#else
  return false;
#endif
}

bool jackServerRunning() {
#if defined(KESTRALUX_HAVE_JACK)
  if (!compiledWith(RtMidi::UNIX_JACK)) return false;
  return JackClient::open("kestralux-probe") != nullptr;
#else
  return false;
#endif
}

MidiSystem detectMidiSystem() {
#if defined(__linux__)
  if (alsaSequencerAvailable()) return MidiSystem::Alsa;
  if (jackServerRunning()) return MidiSystem::Jack;
  return MidiSystem::None;
#else
  return MidiSystem::PlatformDefault;
#endif
}

// Lives as long as the ports object, so RtMidi's thread never sees a freed pointer; the
// delivery itself is swapped under the lock when the input is closed or reopened.
struct RtMidiPorts::InputContext {
  std::mutex lock;
  Delivery deliver;
  ErrorSink inErrors;
  ErrorSink outErrors;
};

#if defined(KESTRALUX_HAVE_JACK)
namespace {
// What a connection's client hears of a port registering (true) or going (false), on the
// client's own thread.
using PortRegistration = std::function<void(jack_client_t*, jack_port_id_t, bool)>;

// Lives in the connection, so as long as the client that calls it.
struct PortsHeard {
  PortRegistration hearing;
  jack_client_t* handle = nullptr;

  // Before the client is activated; nothing without a hearing.
  void install(jack_client_t* client) {
    if (!hearing) return;
    handle = client;
    jack_set_port_registration_callback(
        client,
        [](jack_port_id_t id, int registered, void* self) {
          auto* heard = static_cast<PortsHeard*>(self);
          heard->hearing(heard->handle, id, registered != 0);
        },
        this);
  }
};
}  // namespace
#endif

// The port a connection was made to. Whether it still exists is asked before every send: a
// device switched off, a program that quit or a server that died must not swallow messages
// unseen. Whether it has come back since is asked every poll tick: the old connection reaches
// nothing then. On JACK the connection's own client hears every port coming or going and the
// server's shutdown (a client more would cost the start as much as the connection itself), so
// a send looks the name up only after something changed and a port of the watched name
// registering again is the return; elsewhere, and on JACK once that client lost its server,
// the port list is read, at most once a second for the return.
class RtMidiPorts::PortWatch {
 public:
  explicit PortWatch(MidiSystem system) : system_(system) {}

  // `client` is the connection's, on JACK: it must stay open until release().
  void watch(std::string name, [[maybe_unused]] JackClient* client = nullptr) {
    {
      std::lock_guard<std::mutex> guard(nameLock_);
      name_ = std::move(name);
    }
    changed_ = true;
    returned_ = false;
    seenGone_ = false;
#if defined(KESTRALUX_HAVE_JACK)
    client_ = system_ == MidiSystem::Jack ? client : nullptr;
#endif
  }

  // Before the connection's client closes.
  void release() {
#if defined(KESTRALUX_HAVE_JACK)
    client_ = nullptr;
#endif
  }

#if defined(KESTRALUX_HAVE_JACK)
  // For the connection's client, set before it is activated.
  PortRegistration hearing() {
    return [this](jack_client_t* handle, jack_port_id_t id, bool registered) {
      changed_ = true;
      if (registered) noteRegistered(handle, id);
    };
  }
#endif

  template <typename ListNames>
  bool returned(const ListNames& listNames) {
    if (name_.empty()) return false;
#if defined(KESTRALUX_HAVE_JACK)
    if (jackWatching()) return returned_.exchange(false);
#endif
    const auto now = std::chrono::steady_clock::now();
    if (now - lastListed_ < std::chrono::seconds(1)) return false;
    lastListed_ = now;
    const std::vector<std::string> names = listNames();
    const bool present = std::find(names.begin(), names.end(), name_) != names.end();
    if (!present) seenGone_ = true;
    if (!present || !seenGone_) return false;
    seenGone_ = false;
    return true;
  }

  template <typename ListNames>
  bool present(const ListNames& listNames) {
#if defined(KESTRALUX_HAVE_JACK)
    if (jackWatching()) {
      if (changed_.exchange(false)) {
        bool there = false;
        client_->use([&](jack_client_t* c) { there = jack_port_by_name(c, name_.c_str()) != nullptr; });
        present_ = there;
      }
      return present_;
    }
#endif
    const std::vector<std::string> names = listNames();
    return std::find(names.begin(), names.end(), name_) != names.end();
  }

 private:
#if defined(KESTRALUX_HAVE_JACK)
  // False once the connection's client is lost with its server: the port went with it, and
  // from then on the port list (through a client opened afresh) tells whether it is back.
  bool jackWatching() {
    if (client_ && client_->lost()) {
      client_ = nullptr;
      seenGone_ = true;
      present_ = false;
    }
    return client_ != nullptr;
  }

  // On JACK's thread, while the client is open. A port can register under the watched name only
  // after the old one went.
  void noteRegistered(jack_client_t* handle, jack_port_id_t id) {
    const jack_port_t* port = jack_port_by_id(handle, id);
    const char* name = port ? jack_port_name(port) : nullptr;
    std::lock_guard<std::mutex> guard(nameLock_);
    if (name && !name_.empty() && name_ == name) returned_ = true;
  }

  JackClient* client_ = nullptr;
  bool present_ = false;
#endif
  MidiSystem system_;
  std::mutex nameLock_;
  std::string name_;
  std::atomic<bool> changed_{true};
  std::atomic<bool> returned_{false};
  bool seenGone_ = false;
  std::chrono::steady_clock::time_point lastListed_{};
};

namespace {

template <typename Context>
void deliverMessage(double, std::vector<unsigned char>* message, void* userData) {
  if (!message || message->empty() || message->front() != 0xF0) return;
  auto* context = static_cast<Context*>(userData);
  std::lock_guard<std::mutex> guard(context->lock);
  if (context->deliver) context->deliver(std::vector<std::uint8_t>(message->begin(), message->end()));
}

// A foot controller's channel messages, SysEx left out.
template <typename Context>
void deliverChannelMessage(double, std::vector<unsigned char>* message, void* userData) {
  if (!message || message->empty() || message->front() == 0xF0) return;
  auto* context = static_cast<Context*>(userData);
  std::lock_guard<std::mutex> guard(context->lock);
  if (context->deliver) context->deliver(std::vector<std::uint8_t>(message->begin(), message->end()));
}

// Messages are whole SysEx dumps of 40 bytes and more; give the input room for a
// complete bank transfer in flight.
constexpr unsigned kInputBufferSize = 4096;
constexpr unsigned kInputBufferCount = 8;

}  // namespace

#if defined(KESTRALUX_HAVE_JACK)
namespace {

// Connections are made by port name, and PipeWire lets two clients of a program share a name, so
// two outputs open at once (the search's and the link's, both "kestralux-tool:MIDI out") would
// be one name: the connection asked for one port could be made for the other, and the first
// port reach nobody. So no two outputs of ours open at once share a port name.
class OutputPortNames {
 public:
  // The lowest number no open output holds; the first port keeps its plain name.
  static int take() {
    std::lock_guard<std::mutex> guard(lock());
    std::set<int>& held = taken();
    int n = 1;
    while (held.count(n)) ++n;
    held.insert(n);
    return n;
  }
  static void give(int n) {
    std::lock_guard<std::mutex> guard(lock());
    taken().erase(n);
  }
  static std::string name(const std::string& base, int n) { return n == 1 ? base : base + " " + std::to_string(n); }

 private:
  static std::mutex& lock() {
    static std::mutex m;
    return m;
  }
  static std::set<int>& taken() {
    static std::set<int> numbers;
    return numbers;
  }
};

}  // namespace

// One port out through a client of its own: a connection to one port (`target`), or a port others
// connect to (no target). Messages go through a ring the process cycle empties into the port;
// the client is stopped before the ring is freed, so no cycle ever sees it gone.
class JackOutput {
 public:
  static std::unique_ptr<JackOutput> open(const std::string& clientName, const std::string& target,
                                          const char* portName = "MIDI out", PortRegistration hearing = {}) {
    std::unique_ptr<JackOutput> output(new JackOutput);
    output->target_ = target;
    output->heard_.hearing = std::move(hearing);
    output->client_ = JackClient::open(clientName);
    if (!output->client_) return nullptr;
    output->ring_ = jack_ringbuffer_create(kRingSize);
    if (!output->ring_) return nullptr;
    if (!target.empty()) output->portNumber_ = OutputPortNames::take();
    const std::string name = target.empty() ? portName : OutputPortNames::name(portName, output->portNumber_);
    output->client_->use([&](jack_client_t* c) {
      output->port_ = jack_port_register(c, name.c_str(), JACK_DEFAULT_MIDI_TYPE, JackPortIsOutput, 0);
      if (output->port_) jack_set_process_callback(c, process, output.get());
      output->heard_.install(c);
    });
    if (!output->port_ || !output->client_->activate()) return nullptr;
    output->active_ = true;
    if (target.empty()) return output;
    bool connected = false;
    output->client_->use(
        [&](jack_client_t* c) { connected = jack_connect(c, jack_port_name(output->port_), target.c_str()) == 0; });
    if (!connected || !output->awaitConnection()) return nullptr;
    return output;
  }

  // The client stops before the ring is freed; one the library already freed with its lost
  // server runs no more cycles.
  ~JackOutput() {
    if (active_) drain();
    client_.reset();
    if (ring_) jack_ringbuffer_free(ring_);
    if (portNumber_) OutputPortNames::give(portNumber_);
  }

  bool lost() const { return client_->lost(); }
  JackClient& client() { return *client_; }

  // The whole message or nothing: a cycle takes a message only once all of it is in the ring.
  // A connection that is no longer live (cut by a patchbay or by the other side) fails the send,
  // so the engine says so and makes it afresh, instead of the message reaching nobody.
  bool send(std::span<const std::uint8_t> message) {
    if (client_->lost() || message.size() > kMaxMessage) return false;
    if (!target_.empty() && !live()) return false;
    const auto size = static_cast<std::uint32_t>(message.size());
    if (jack_ringbuffer_write_space(ring_) < sizeof size + size) return false;
    jack_ringbuffer_write(ring_, reinterpret_cast<const char*>(&size), sizeof size);
    jack_ringbuffer_write(ring_, reinterpret_cast<const char*>(message.data()), size);
    return true;
  }

 private:
  // Far beyond what a busy machine needs (a few cycles): a connection not live by then fails
  // the open, and the user is told.
  static constexpr std::chrono::milliseconds kConnectionLiveLimit{1000};
  // Room for a whole bank sent at once, with the framing of each message.
  static constexpr std::size_t kRingSize = 1 << 16;
  static constexpr std::size_t kMaxMessage = kInputBufferSize;

  JackOutput() = default;

  // A connection is live from the first cycle of the server's graph that holds it, a moment
  // after it was asked for; a message a cycle takes before then reaches nobody, and the first
  // message (a store's 0x2A, the start-up greeting) follows the open at once. So the open waits
  // for it, and a connection that never goes live fails the open.
  bool awaitConnection() {
    const auto end = std::chrono::steady_clock::now() + kConnectionLiveLimit;
    while (!live()) {
      if (client_->lost() || std::chrono::steady_clock::now() >= end) return false;
      std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    return true;
  }

  // In the graph the cycles use now.
  bool live() {
    bool shown = false;
    client_->use([&](jack_client_t*) { shown = jack_port_connected_to(port_, target_.c_str()) != 0; });
    return shown;
  }

  // What was sent goes out before the client stops: the ring is emptied and one more cycle has
  // run, so the port buffer the last messages went into has reached the port connected to it.
  // Bounded: a server that stopped running cycles does not hold the program.
  void drain() {
    const auto end = std::chrono::steady_clock::now() + std::chrono::seconds(1);
    const auto waiting = [&] { return !client_->lost() && std::chrono::steady_clock::now() < end; };
    while (jack_ringbuffer_read_space(ring_) > 0 && waiting()) std::this_thread::sleep_for(std::chrono::milliseconds(1));
    const std::uint64_t emptiedBy = cycles_.load();
    while (cycles_.load() < emptiedBy + 2 && waiting()) std::this_thread::sleep_for(std::chrono::milliseconds(1));
  }

  // On JACK's thread. A message the port's buffer has no room for waits for the next cycle.
  // Whether the connection is live is asked by the sender, never here: PipeWire's library
  // answers it under the lock of its own loop, which a cycle must never wait for.
  static int process(jack_nframes_t frames, void* self) {
    auto* output = static_cast<JackOutput*>(self);
    void* buffer = jack_port_get_buffer(output->port_, frames);
    jack_midi_clear_buffer(buffer);
    std::uint32_t size = 0;
    while (jack_ringbuffer_read_space(output->ring_) >= sizeof size) {
      jack_ringbuffer_peek(output->ring_, reinterpret_cast<char*>(&size), sizeof size);
      if (jack_ringbuffer_read_space(output->ring_) < sizeof size + size) break;
      jack_midi_data_t* event = jack_midi_event_reserve(buffer, 0, size);
      if (!event) break;
      jack_ringbuffer_read_advance(output->ring_, sizeof size);
      jack_ringbuffer_read(output->ring_, reinterpret_cast<char*>(event), size);
    }
    output->cycles_.fetch_add(1);
    return 0;
  }

  std::string target_;
  PortsHeard heard_;
  // Its number among the outputs open now, or 0 for a port others connect to.
  int portNumber_ = 0;
  std::unique_ptr<JackClient> client_;
  jack_port_t* port_ = nullptr;
  jack_ringbuffer_t* ring_ = nullptr;
  bool active_ = false;
  std::atomic<std::uint64_t> cycles_{0};
};
#else
class JackOutput {
 public:
  bool send(std::span<const std::uint8_t>) { return false; }
};
#endif

#if defined(KESTRALUX_HAVE_JACK)
namespace {

// One JACK client listening to every source it is given, a port of its own for each: a client
// costs the server far more than a port, and a connection costs little. SysEx that JACK hands
// over in pieces is put together per port before it is delivered.
class JackListening : public MidiPorts::Listening {
 public:
  // The ports are called `portName`, or `portName` and their number when there are several.
  // An empty source leaves its port for others to connect to. With `everyConnection`, nothing
  // unless each source is connected.
  static std::unique_ptr<JackListening> open(const std::string& clientName, const std::vector<std::string>& sources,
                                             const std::string& portName, MidiPorts::TaggedDelivery deliver,
                                             bool everyConnection = false, bool channelMessages = false,
                                             PortRegistration hearing = {}) {
    std::unique_ptr<JackListening> listening(new JackListening(std::move(deliver)));
    listening->channelMessages_ = channelMessages;
    listening->heard_.hearing = std::move(hearing);
    listening->client_ = JackClient::open(clientName);
    if (!listening->client_) return nullptr;
    listening->inputs_.resize(sources.size());
    listening->client_->use([&](jack_client_t* c) {
      for (std::size_t k = 0; k < sources.size(); ++k) {
        const std::string name = sources.size() == 1 ? portName : portName + " " + std::to_string(k);
        listening->inputs_[k].port = jack_port_register(c, name.c_str(), JACK_DEFAULT_MIDI_TYPE, JackPortIsInput, 0);
      }
      jack_set_process_callback(c, process, listening.get());
      listening->heard_.install(c);
    });
    if (!listening->client_->activate()) return nullptr;
    bool connected = true;
    listening->client_->use([&](jack_client_t* c) {
      for (std::size_t k = 0; k < sources.size(); ++k) {
        const jack_port_t* port = listening->inputs_[k].port;
        if (port && sources[k].empty()) continue;
        const int result = port ? jack_connect(c, sources[k].c_str(), jack_port_name(port)) : -1;
        if (result != 0 && result != EEXIST) connected = false;
      }
    });
    if (everyConnection && !connected) return nullptr;
    // A pedal pressed the moment the player says it listens must be heard: the connection is
    // live only from the first cycle of the graph that holds it, which on a busy machine comes
    // a good while after it was asked for.
    if (channelMessages && !listening->awaitConnections(sources)) return nullptr;
    return listening;
  }

  // Its cycles use the inputs: the client stops first.
  ~JackListening() override { client_.reset(); }

  bool lost() const { return client_->lost(); }
  JackClient& client() { return *client_; }

 private:

  explicit JackListening(MidiPorts::TaggedDelivery deliver) : deliver_(std::move(deliver)) {}

  bool awaitConnections(const std::vector<std::string>& sources) {
    const auto end = std::chrono::steady_clock::now() + std::chrono::seconds(1);
    for (std::size_t k = 0; k < sources.size(); ++k) {
      if (sources[k].empty() || !inputs_[k].port) continue;
      for (;;) {
        bool live = false;
        client_->use([&](jack_client_t*) { live = jack_port_connected_to(inputs_[k].port, sources[k].c_str()) != 0; });
        if (live) break;
        if (client_->lost() || std::chrono::steady_clock::now() >= end) return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
      }
    }
    // The connection shows before the server's cycles run the graph that holds it: two whole
    // cycles after it shows, they do.
    const std::uint64_t shownAt = cycles_.load();
    while (cycles_.load() < shownAt + 2) {
      if (client_->lost() || std::chrono::steady_clock::now() >= end) return false;
      std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    return true;
  }

  // On JACK's thread.
  static int process(jack_nframes_t frames, void* self) {
    auto* listening = static_cast<JackListening*>(self);
    listening->cycles_.fetch_add(1);
    if (listening->channelMessages_) {
      listening->hearChannelMessages(frames);
      return 0;
    }
    for (std::size_t k = 0; k < listening->inputs_.size(); ++k)
      listening->inputs_[k].hear(frames, kInputBufferSize, [&](std::vector<std::uint8_t>&& message) {
        listening->deliver_(static_cast<std::uint32_t>(k), std::move(message));
      });
    return 0;
  }

  // A JACK event is one whole message: a controller's are delivered as they come.
  void hearChannelMessages(jack_nframes_t frames) {
    for (std::size_t k = 0; k < inputs_.size(); ++k) {
      if (!inputs_[k].port) continue;
      void* buffer = jack_port_get_buffer(inputs_[k].port, frames);
      const std::uint32_t count = jack_midi_get_event_count(buffer);
      for (std::uint32_t e = 0; e < count; ++e) {
        jack_midi_event_t event;
        if (jack_midi_event_get(&event, buffer, e) != 0 || event.size == 0 || event.buffer[0] == 0xF0) continue;
        deliver_(static_cast<std::uint32_t>(k), std::vector<std::uint8_t>(event.buffer, event.buffer + event.size));
      }
    }
  }

  MidiPorts::TaggedDelivery deliver_;
  PortsHeard heard_;
  std::unique_ptr<JackClient> client_;
  std::vector<JackSysexInput> inputs_;
  bool channelMessages_ = false;
  std::atomic<std::uint64_t> cycles_{0};
};

}  // namespace
#endif

RtMidiPorts::RtMidiPorts(MidiSystem system, std::string clientName)
    : system_(system),
      clientName_(std::move(clientName)),
      inputContext_(std::make_unique<InputContext>()),
      outputWatch_(std::make_unique<PortWatch>(system)),
      inputWatch_(std::make_unique<PortWatch>(system)) {
  if (system_ == MidiSystem::None || onJack()) return;
  const RtMidi::Api api = apiOf(system_);
  try {
    in_ = std::make_unique<RtMidiIn>(api, clientName_);
    in_->setErrorCallback(collectError, &inputContext_->inErrors);
    out_ = std::make_unique<RtMidiOut>(api, clientName_);
    out_->setErrorCallback(collectError, &inputContext_->outErrors);
  } catch (const RtMidiError&) {
    in_.reset();
    out_.reset();
    system_ = MidiSystem::None;
  }
}

RtMidiPorts::~RtMidiPorts() {
  closeInput();
  closeOutput();
  in_.reset();
  out_.reset();
}

bool RtMidiPorts::onJack() const {
#if defined(KESTRALUX_HAVE_JACK)
  return system_ == MidiSystem::Jack;
#else
  return false;
#endif
}

std::vector<ListedMidiPort> RtMidiPorts::listed(bool inputs) {
#if defined(KESTRALUX_HAVE_JACK)
  if (onJack()) {
    // A lister whose server went away is dropped: one opened afresh finds a server started again.
    if (jackLister_ && jackLister_->lost()) jackLister_.reset();
    if (!jackLister_) jackLister_ = JackClient::open(clientName_);
    std::vector<ListedPort> ports;
    if (!jackLister_) return ports;
    // In the server's order, as RtMidi numbered them: an input listens to a port that sends.
    jackLister_->use([&](jack_client_t* c) {
      const char** names = jack_get_ports(c, nullptr, JACK_DEFAULT_MIDI_TYPE, inputs ? JackPortIsOutput : JackPortIsInput);
      if (!names) return;
      for (unsigned i = 0; names[i]; ++i)
        if (!ownPort(names[i], clientName_)) ports.push_back({names[i], i});
      jack_free(names);
    });
    return ports;
  }
#endif
  return inputs ? listPorts(in_.get(), inputContext_->inErrors, clientName_)
                : listPorts(out_.get(), inputContext_->outErrors, clientName_);
}

std::vector<std::string> RtMidiPorts::inputPortNames() {
  listedInputs_ = namesOf(listed(true));
  return listedInputs_;
}

std::vector<std::string> RtMidiPorts::outputPortNames() {
  listedOutputs_ = namesOf(listed(false));
  return listedOutputs_;
}

bool RtMidiPorts::openOutput(std::uint32_t device) {
  if (!out_ && !onJack()) return false;
  closeOutput();
  const auto port = resolveDevice(device, listedOutputs_, listed(false));
  if (!port) return false;
#if defined(KESTRALUX_HAVE_JACK)
  if (onJack()) {
    jackOut_ = JackOutput::open(clientName_, port->name, "MIDI out", outputWatch_->hearing());
    if (!jackOut_) return false;
    outputWatch_->watch(port->name, &jackOut_->client());
    return true;
  }
#endif
  ErrorSink& sink = inputContext_->outErrors;
  try {
    sink.reset();
    out_->openPort(port->index, "MIDI out");
    if (sink.failed || !out_->isPortOpen()) {
      out_->closePort();
      return false;
    }
  } catch (const RtMidiError&) {
    return false;
  }
  outputWatch_->watch(port->name);
  return true;
}

bool RtMidiPorts::isOutputOpen() const { return jackOut_ || (out_ && out_->isPortOpen()); }

bool RtMidiPorts::sendMessage(std::span<const std::uint8_t> message) {
  if (!isOutputOpen() || message.empty()) return false;
  // A port that is gone fails the send, so the engine closes the connection, says so, and
  // opens the port afresh once it is back.
  if (!outputWatch_->present([this] { return namesOf(listed(false)); })) return false;
#if defined(KESTRALUX_HAVE_JACK)
  if (jackOut_) return jackOut_->send(message);
#endif
  return sendThrough(*out_, inputContext_->outErrors, message);
}

bool RtMidiPorts::outputPortReturned() {
  if (!isOutputOpen()) return false;
  return outputWatch_->returned([this] { return namesOf(listed(false)); });
}

bool RtMidiPorts::inputPortReturned() {
  if (!isInputOpen()) return false;
  return inputWatch_->returned([this] { return namesOf(listed(true)); });
}

void RtMidiPorts::closeOutput() {
  outputWatch_->release();
  jackOut_.reset();
  if (!out_) return;
  try {
    out_->closePort();
  } catch (const RtMidiError&) {
  }
}

bool RtMidiPorts::openInput(std::uint32_t device, Delivery deliver) { return openInputOf(device, std::move(deliver), false); }

bool RtMidiPorts::openControllerInput(std::uint32_t device, Delivery deliver) {
  return openInputOf(device, std::move(deliver), true);
}

bool RtMidiPorts::openInputOf(std::uint32_t device, Delivery deliver, bool channelMessages) {
  if (!in_ && !onJack()) return false;
  closeInput();
  const auto port = resolveDevice(device, listedInputs_, listed(true));
  if (!port) return false;
  {
    std::lock_guard<std::mutex> guard(inputContext_->lock);
    inputContext_->deliver = std::move(deliver);
  }
#if defined(KESTRALUX_HAVE_JACK)
  if (onJack()) {
    InputContext* context = inputContext_.get();
    auto listening = JackListening::open(
        clientName_, {port->name}, "MIDI in",
        [context](std::uint32_t, std::vector<std::uint8_t> message) {
          std::lock_guard<std::mutex> guard(context->lock);
          if (context->deliver) context->deliver(std::move(message));
        },
        true, channelMessages, inputWatch_->hearing());
    if (listening) {
      JackClient& client = listening->client();
      jackIn_ = std::move(listening);
      inputWatch_->watch(port->name, &client);
      return true;
    }
    closeInput();
    return false;
  }
#endif
  ErrorSink& sink = inputContext_->inErrors;
  try {
    sink.reset();
    in_->setBufferSize(kInputBufferSize, kInputBufferCount);
    in_->ignoreTypes(false, true, true);
    in_->setCallback(channelMessages ? deliverChannelMessage<InputContext> : deliverMessage<InputContext>, inputContext_.get());
    in_->openPort(port->index, "MIDI in");
    if (!sink.failed && in_->isPortOpen()) {
      inputWatch_->watch(port->name);
      return true;
    }
  } catch (const RtMidiError&) {
  }
  closeInput();
  return false;
}

bool RtMidiPorts::isInputOpen() const { return jackIn_ || (in_ && in_->isPortOpen()); }

void RtMidiPorts::closeInput() {
  inputWatch_->release();
  jackIn_.reset();
  if (in_) {
    try {
      in_->closePort();
      in_->cancelCallback();
    } catch (const RtMidiError&) {
    }
  }
  std::lock_guard<std::mutex> guard(inputContext_->lock);
  inputContext_->deliver = nullptr;
}

std::unique_ptr<MidiPorts::Listening> RtMidiPorts::listenToAll(const std::vector<std::string>& inputs,
                                                               TaggedDelivery deliver) {
#if defined(KESTRALUX_HAVE_JACK)
  // Named like this object's client, so no program of ours lists its ports.
  if (system_ == MidiSystem::Jack) return JackListening::open(clientName_ + " search", inputs, "in", std::move(deliver));
#endif
  (void)inputs;
  (void)deliver;
  return nullptr;
}

std::unique_ptr<MidiPorts::SearchConnection> RtMidiPorts::connectForSearch(const std::vector<std::string>& inputs,
                                                                           const std::vector<std::string>& outputs,
                                                                           TaggedDelivery deliver) {
#if defined(KESTRALUX_HAVE_JACK)
  if (system_ == MidiSystem::Jack) return JackSearch::open(clientName_ + " search", inputs, outputs, std::move(deliver));
#endif
  (void)inputs;
  (void)outputs;
  (void)deliver;
  return nullptr;
}

struct RtMidiVirtualPorts::InputContext {
  std::mutex lock;
  MidiPorts::Delivery deliver;
  ErrorSink inErrors;
  ErrorSink outErrors;
};

#if defined(KESTRALUX_HAVE_JACK)
// On JACK the virtual ports are clients of ours, as the editor's are: they outlive a lost server
// safely, so the ports can be made again once it is back.
struct RtMidiVirtualPorts::JackPorts {
  std::unique_ptr<JackListening> in;
  std::unique_ptr<JackOutput> out;
};
#else
struct RtMidiVirtualPorts::JackPorts {};
#endif

RtMidiVirtualPorts::RtMidiVirtualPorts(MidiSystem system)
    : system_(system), inputContext_(std::make_unique<InputContext>()) {}

RtMidiVirtualPorts::~RtMidiVirtualPorts() { close(); }

bool RtMidiVirtualPorts::open(const std::string& clientName, MidiPorts::Delivery deliver) {
  close();
  if (system_ == MidiSystem::None) {
    lastError_ = "no MIDI system (no ALSA sequencer, no JACK server)";
    return false;
  }
  const RtMidi::Api api = apiOf(system_);
  {
    std::lock_guard<std::mutex> guard(inputContext_->lock);
    inputContext_->deliver = std::move(deliver);
  }
#if defined(KESTRALUX_HAVE_JACK)
  if (system_ == MidiSystem::Jack) {
    InputContext* context = inputContext_.get();
    auto ports = std::make_unique<JackPorts>();
    // Two clients, so other programs list the ports under the names a device on the MIDI
    // network would have.
    ports->in = JackListening::open(clientName + " MIDI IN", {std::string()}, "in",
                                    [context](std::uint32_t, std::vector<std::uint8_t> message) {
                                      std::lock_guard<std::mutex> guard(context->lock);
                                      if (context->deliver) context->deliver(std::move(message));
                                    });
    if (ports->in) ports->out = JackOutput::open(clientName + " MIDI OUT", std::string(), "out");
    if (!ports->out) {
      lastError_ = "no JACK server answers, or it refused the ports";
      close();
      return false;
    }
    jack_ = std::move(ports);
    open_ = true;
    return true;
  }
#endif
  try {
    // Two clients in one system must not share a name, or the system renames the second.
    in_ = std::make_unique<RtMidiIn>(api, clientName + " MIDI IN");
    in_->setErrorCallback(collectError, &inputContext_->inErrors);
    in_->setBufferSize(kInputBufferSize, kInputBufferCount);
    in_->ignoreTypes(false, true, true);
    in_->setCallback(deliverMessage<InputContext>, inputContext_.get());
    inputContext_->inErrors.reset();
    in_->openVirtualPort("in");
    out_ = std::make_unique<RtMidiOut>(api, clientName + " MIDI OUT");
    out_->setErrorCallback(collectError, &inputContext_->outErrors);
    inputContext_->outErrors.reset();
    out_->openVirtualPort("out");
  } catch (const RtMidiError& e) {
    lastError_ = e.getMessage();
    close();
    return false;
  }
  if (inputContext_->inErrors.failed || inputContext_->outErrors.failed) {
    lastError_ = inputContext_->inErrors.failed ? inputContext_->inErrors.text : inputContext_->outErrors.text;
    close();
    return false;
  }
  open_ = true;
  return true;
}

bool RtMidiVirtualPorts::sendMessage(std::span<const std::uint8_t> message) {
  if (!open_ || message.empty()) return false;
#if defined(KESTRALUX_HAVE_JACK)
  if (jack_) return jack_->out->send(message);
#endif
  return sendThrough(*out_, inputContext_->outErrors, message);
}

bool RtMidiVirtualPorts::serverLost() const {
#if defined(KESTRALUX_HAVE_JACK)
  return jack_ && (jack_->in->lost() || jack_->out->lost());
#else
  return false;
#endif
}

void RtMidiVirtualPorts::close() {
  open_ = false;
  jack_.reset();
  try {
    if (in_) in_->cancelCallback();
  } catch (const RtMidiError&) {
  }
  in_.reset();
  out_.reset();
  std::lock_guard<std::mutex> guard(inputContext_->lock);
  inputContext_->deliver = nullptr;
}

}  // namespace kestralux
