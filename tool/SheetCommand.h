#pragma once
// `kestralux-tool sheet`: the bank sheet of a file or of the combo's bank, on standard output
// or into a file that is not there yet.

#include <ostream>
#include <string>
#include <vector>

#include "tool/KestraluxTool.h"

namespace kestralux {

// `args` as runKestraluxTool gets them, "sheet" first; its exit status.
int runSheetCommand(const std::vector<std::string>& args, std::ostream& out, std::ostream& err, const PortsFactory& ports);

}  // namespace kestralux
