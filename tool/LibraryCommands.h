#pragma once
// `kestralux-tool library ...`: search, show, import, export, bank, favourite and tag over
// the preset library in the data folder, with the tool's exit codes.

#include <ostream>
#include <string>
#include <vector>

namespace kestralux {

// `args` begins with "library".
int runLibraryCommand(const std::vector<std::string>& args, std::ostream& out, std::ostream& err);

std::string libraryUsage();

}  // namespace kestralux
