#pragma once
// A client of the JACK server that outlives the server safely. Once a server has gone away
// (stopped, killed, or one of the program's clients thrown out), the JACK library frees every
// client of the program inside the next client it opens; a handle held from before then points
// at freed memory, and closing it, unregistering its port or asking it anything crashes the
// program. Every JACK client of ours is opened here, so that each open knows whether it freed
// the ones before it, and a freed client is only dropped, never touched again.

#if defined(KESTRALUX_HAVE_JACK)

#include <jack/jack.h>

#include <atomic>
#include <cstdint>
#include <memory>
#include <string>

namespace kestralux {

class JackClient {
 public:
  // A client named `name` (the server makes the name unique), never starting a server; nothing
  // when no server answers. The library's messages about a missing server are held back.
  static std::unique_ptr<JackClient> open(const std::string& name);

  // Deactivates and closes the client, or only drops it when the library has freed it.
  ~JackClient();
  JackClient(const JackClient&) = delete;
  JackClient& operator=(const JackClient&) = delete;

  // The server went away (a client of ours heard it), or the library freed the client since:
  // nothing more goes through it.
  bool lost() const;

  // Runs `work` with the handle while it may still be used, in turn with every open and close;
  // false (without running it) once the client is lost. Never from one of the client's threads.
  template <typename Work>
  bool use(Work&& work) {
    Turn turn;
    if (lost()) return false;
    work(client_);
    return true;
  }

  // Activates the client; its callbacks must be set before. False when the server refuses.
  bool activate();

  // What the library's shutdown callback runs, on the client's own thread: this client heard
  // its server go. Public so a test can stand for a loss that only one client of several heard.
  void heardServerGone();

 private:
  // Holds every other open, close and use of a client of ours back for its duration.
  class Turn {
   public:
    Turn();
    ~Turn();
    Turn(const Turn&) = delete;
    Turn& operator=(const Turn&) = delete;
  };

  JackClient() = default;
  bool freed() const;

  jack_client_t* client_ = nullptr;
  // The library's clean-ups done before this client was opened.
  std::uint64_t era_ = 0;
  bool active_ = false;
  std::atomic<bool> serverGone_{false};
};

}  // namespace kestralux

#else

namespace kestralux {
class JackClient {};
}  // namespace kestralux

#endif
