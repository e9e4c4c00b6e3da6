#pragma once
// The detection on MIDI ports. Received messages arrive on the backends' threads and are
// posted, with the time they came, to the caller's thread, where the detection runs; nothing
// here blocks.
//
// Where the MIDI system has one connection for every input and output (JACK), start() makes it
// for the whole search and sends the first request. Elsewhere a MidiPorts holds one input
// connection, so the finder makes a port object of its own to send on, which stays open on the
// output asked last, and one more for each input it listens to; making one and opening its
// input takes the MIDI system a while, so each tick() opens one more input, and the first
// request goes out once every input listens. The window: start() from a button or at start-up,
// tick() from its timer until the state is no longer Running; once Found, go on ticking until
// detection().answerEnded(), then stop() and take the answer as a fetch (see
// ComboDetection::answer()).

#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "midi/MidiPorts.h"
#include "protocol/ComboDetection.h"

namespace kestralux {

class ComboFinder {
 public:
  // Each call makes a new port object, or nothing when there is no MIDI system. They must all
  // leave out the same own ports (make them with the program's own client name) so that
  // their lists number the ports alike; RtMidiPorts leaves out every client whose name
  // starts with its own, the finder's extra clients included.
  using PortsMaker = std::function<std::unique_ptr<MidiPorts>()>;
  // Runs `work` later on the caller's thread; called on the backends' threads.
  using Poster = std::function<void(std::function<void()> work)>;
  // Must be safe to call from the backends' threads too.
  using Clock = std::function<TransferClock::time_point()>;

  // `portsAtHand`, the caller's own port object, lists the ports and makes the search's one
  // connection where the MIDI system has it; it must number the ports as makePorts' objects do.
  ComboFinder(PortsMaker makePorts, Poster post, Clock clock = [] { return TransferClock::now(); },
              MidiPorts* portsAtHand = nullptr);
  ~ComboFinder();
  ComboFinder(const ComboFinder&) = delete;
  ComboFinder& operator=(const ComboFinder&) = delete;

  // Lists the ports.
  ComboDetection::State start();
  // Opens the next input, or once all listen, runs the detection.
  ComboDetection::State tick();
  // Closes every connection the finder opened; messages still on their way are ignored.
  // The detection's result stays.
  void stop();

  const ComboDetection& detection() const { return detection_; }
  // The ports as they were listed at start(); the pair's numbers index these.
  const std::vector<std::string>& outputNames() const { return outputNames_; }
  const std::vector<std::string>& inputNames() const { return inputNames_; }

 private:
  // Lists the ports with `ports` (none without) and makes the detection over them.
  void list(MidiPorts* ports);
  bool sendRequest(std::uint32_t output);
  void listen(std::uint32_t input);

  PortsMaker makePorts_;
  Poster post_;
  Clock clock_;
  MidiPorts* portsAtHand_;
  std::unique_ptr<MidiPorts> sender_;
  std::optional<std::uint32_t> senderOutput_;  // the output sender_ was opened on
  std::unique_ptr<MidiPorts::SearchConnection> search_;
  std::vector<std::unique_ptr<MidiPorts>> listeners_;
  std::unique_ptr<MidiPorts::Listening> allListening_;
  std::vector<std::string> outputNames_;
  std::vector<std::string> inputNames_;
  std::uint32_t nextListener_ = 0;
  // One per start(); a posted message finds it gone after stop() or the finder's end.
  std::shared_ptr<int> session_;
  ComboDetection detection_;
};

}  // namespace kestralux
