#pragma once
// SysEx messages put together from one JACK input port's events, on JACK's thread: a message
// may come split over several events (and cycles). Bytes before a message's 0xF0 are not ours,
// and a message that outgrows `limit` is dropped whole.

#if defined(KESTRALUX_HAVE_JACK)

#include <jack/midiport.h>

#include <cstddef>
#include <cstdint>
#include <utility>
#include <vector>

namespace kestralux {

struct JackSysexInput {
  jack_port_t* port = nullptr;
  std::vector<std::uint8_t> pending;

  // `deliver` takes each whole message (a std::vector<std::uint8_t>&&).
  template <typename Deliver>
  void hear(jack_nframes_t frames, std::size_t limit, Deliver&& deliver) {
    if (!port) return;
    void* buffer = jack_port_get_buffer(port, frames);
    const std::uint32_t count = jack_midi_get_event_count(buffer);
    for (std::uint32_t e = 0; e < count; ++e) {
      jack_midi_event_t event;
      if (jack_midi_event_get(&event, buffer, e) != 0 || event.size == 0) continue;
      if (event.buffer[0] == 0xF0)
        pending.assign(event.buffer, event.buffer + event.size);
      else if (!pending.empty())
        pending.insert(pending.end(), event.buffer, event.buffer + event.size);
      else
        continue;
      if (pending.back() == 0xF7) {
        deliver(std::move(pending));
        pending.clear();
      } else if (pending.size() > limit) {
        pending.clear();
      }
    }
  }
};

}  // namespace kestralux

#endif
