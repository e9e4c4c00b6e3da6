#pragma once
// `kestralux-tool live`: a setlist played from a small computer on the floor, without a
// screen: the first song's sound at start, then a step per foot-controller message or key,
// each sending the song's sound whole as the combo's current sound. Never a store, never a
// bank request. `kestralux-tool setlist` makes a .setlist from preset files and shows one.

#include <atomic>
#include <ostream>
#include <string>
#include <vector>

#include "tool/KestraluxTool.h"

namespace kestralux {

struct LiveInputs {
  // The keys (Space or Enter next, b previous, q quits) are read from this file descriptor;
  // -1 for none. A terminal is put in its one-key-at-a-time mode while playing.
  int keys = 0;
  // Set (from a signal handler or another thread) to end the play; checked many times a second.
  // Nothing: Ctrl+C and SIGTERM end it.
  std::atomic<bool>* stop = nullptr;
};

// `args` as runKestraluxTool gets them, "live" first; the exit status.
int runLiveCommand(const std::vector<std::string>& args, std::ostream& out, std::ostream& err, const PortsFactory& ports,
                   const LiveInputs& inputs = {});
// "setlist" first.
int runSetlistCommand(const std::vector<std::string>& args, std::ostream& out, std::ostream& err);
std::string liveUsage();

}  // namespace kestralux
