#pragma once
// `kestralux-tool vary` and `kestralux-tool morph`: the explore window's variation and morph
// from the command line, into a file that is not there yet. The same seed gives the same bytes.

#include <ostream>
#include <string>
#include <vector>

namespace kestralux {

// `args` as runKestraluxTool gets them, "vary" or "morph" first; the exit status.
int runExploreCommand(const std::vector<std::string>& args, std::ostream& out, std::ostream& err);
std::string exploreUsage();

}  // namespace kestralux
