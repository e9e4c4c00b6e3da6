#include "midi/JackSearch.h"

#if defined(KESTRALUX_HAVE_JACK)

#include <jack/midiport.h>

#include <cerrno>
#include <chrono>
#include <thread>

#include "midi/JackClient.h"

namespace kestralux {

namespace {

// A bank request is 10 bytes; a few of them to one port fit many times over.
constexpr std::size_t kRingSize = 1 << 12;
constexpr std::size_t kMaxSent = 1024;
// Longer than any message of ours: what grows beyond it without an end is dropped.
constexpr std::size_t kMaxHeard = 4096;
constexpr std::chrono::milliseconds kConnectionLiveLimit{200};

}  // namespace

std::unique_ptr<JackSearch> JackSearch::open(const std::string& clientName, const std::vector<std::string>& sources,
                                             const std::vector<std::string>& targets,
                                             MidiPorts::TaggedDelivery deliver) {
  std::unique_ptr<JackSearch> search(new JackSearch(std::move(deliver)));
  search->client_ = JackClient::open(clientName);
  if (!search->client_) return nullptr;
  search->inputs_.resize(sources.size());
  search->outputs_.resize(targets.size());
  for (Output& output : search->outputs_)
    if (!(output.ring = jack_ringbuffer_create(kRingSize))) return nullptr;
  search->client_->use([&](jack_client_t* c) {
    for (std::size_t k = 0; k < sources.size(); ++k)
      search->inputs_[k].port =
          jack_port_register(c, ("in " + std::to_string(k)).c_str(), JACK_DEFAULT_MIDI_TYPE, JackPortIsInput, 0);
    for (std::size_t k = 0; k < targets.size(); ++k)
      search->outputs_[k].port =
          jack_port_register(c, ("out " + std::to_string(k)).c_str(), JACK_DEFAULT_MIDI_TYPE, JackPortIsOutput, 0);
    jack_set_process_callback(c, process, search.get());
  });
  if (!search->client_->activate()) return nullptr;
  search->active_ = true;
  search->client_->use([&](jack_client_t* c) {
    for (std::size_t k = 0; k < sources.size(); ++k)
      if (search->inputs_[k].port) jack_connect(c, sources[k].c_str(), jack_port_name(search->inputs_[k].port));
    for (std::size_t k = 0; k < targets.size(); ++k) {
      Output& output = search->outputs_[k];
      const int result = output.port ? jack_connect(c, jack_port_name(output.port), targets[k].c_str()) : -1;
      output.connected = result == 0 || result == EEXIST;
    }
  });
  search->awaitConnections(targets);
  return search;
}

JackSearch::~JackSearch() {
  if (active_) drain();
  // Its cycles use the ports and rings: the client stops first.
  client_.reset();
  for (Output& output : outputs_)
    if (output.ring) jack_ringbuffer_free(output.ring);
}

bool JackSearch::send(std::uint32_t output, std::span<const std::uint8_t> message) {
  if (output >= outputs_.size() || !outputs_[output].connected || client_->lost() || message.size() > kMaxSent)
    return false;
  jack_ringbuffer_t* ring = outputs_[output].ring;
  const auto size = static_cast<std::uint32_t>(message.size());
  if (jack_ringbuffer_write_space(ring) < sizeof size + size) return false;
  jack_ringbuffer_write(ring, reinterpret_cast<const char*>(&size), sizeof size);
  jack_ringbuffer_write(ring, reinterpret_cast<const char*>(message.data()), size);
  return true;
}

// A message sent before the server shows its connection reaches nobody; the connections are
// waited for together, once. Bounded: one still not shown is used all the same.
void JackSearch::awaitConnections(const std::vector<std::string>& targets) {
  const auto end = std::chrono::steady_clock::now() + kConnectionLiveLimit;
  const auto allShown = [&] {
    bool shown = true;
    client_->use([&](jack_client_t*) {
      for (std::size_t k = 0; k < outputs_.size(); ++k)
        if (outputs_[k].connected && !jack_port_connected_to(outputs_[k].port, targets[k].c_str())) shown = false;
    });
    return shown;
  };
  while (!allShown() && !client_->lost() && std::chrono::steady_clock::now() < end)
    std::this_thread::sleep_for(std::chrono::milliseconds(1));
}

// The rings are emptied and one more cycle has run, so the port buffers the last requests went
// into have reached their ports. Bounded: a server that stopped running cycles holds nothing.
void JackSearch::drain() {
  const auto end = std::chrono::steady_clock::now() + std::chrono::seconds(1);
  const auto waiting = [&] { return !client_->lost() && std::chrono::steady_clock::now() < end; };
  const auto anyLeft = [&] {
    for (const Output& output : outputs_)
      if (jack_ringbuffer_read_space(output.ring) > 0) return true;
    return false;
  };
  while (anyLeft() && waiting()) std::this_thread::sleep_for(std::chrono::milliseconds(1));
  // Requests that left long ago, as the search's mostly have, hold nothing.
  const std::uint64_t lastMoved = lastMoved_.load();
  while (lastMoved > 0 && cycles_.load() < lastMoved + 2 && waiting())
    std::this_thread::sleep_for(std::chrono::milliseconds(1));
}

// On JACK's thread.
int JackSearch::process(jack_nframes_t frames, void* self) {
  auto* search = static_cast<JackSearch*>(self);
  search->hear(frames);
  search->speak(frames);
  search->cycles_.fetch_add(1);
  return 0;
}

void JackSearch::hear(jack_nframes_t frames) {
  for (std::size_t k = 0; k < inputs_.size(); ++k)
    inputs_[k].hear(frames, kMaxHeard, [&](std::vector<std::uint8_t>&& message) {
      deliver_(static_cast<std::uint32_t>(k), std::move(message));
    });
}

// A message a port's buffer has no room for waits for the next cycle.
void JackSearch::speak(jack_nframes_t frames) {
  for (Output& output : outputs_) {
    if (!output.port) continue;
    void* buffer = jack_port_get_buffer(output.port, frames);
    jack_midi_clear_buffer(buffer);
    std::uint32_t size = 0;
    while (jack_ringbuffer_read_space(output.ring) >= sizeof size) {
      jack_ringbuffer_peek(output.ring, reinterpret_cast<char*>(&size), sizeof size);
      if (jack_ringbuffer_read_space(output.ring) < sizeof size + size) break;
      jack_midi_data_t* event = jack_midi_event_reserve(buffer, 0, size);
      if (!event) break;
      // Before the ring shows it gone, so a drain that sees the ring empty sees this too.
      lastMoved_.store(cycles_.load() + 1);
      jack_ringbuffer_read_advance(output.ring, sizeof size);
      jack_ringbuffer_read(output.ring, reinterpret_cast<char*>(event), size);
    }
  }
}

}  // namespace kestralux

#endif
