#pragma once
// kestralux-tool: the presets without the window. Backs up, restores, converts and inspects
// .pre and .bnk files, exports the firmware include file, and fetches and stores the bank over
// MIDI with the editor's own decoder, checks, time-out and pacing.

#include <functional>
#include <memory>
#include <optional>
#include <ostream>
#include <string>
#include <vector>

#include "midi/MidiPorts.h"
#include "model/PresetRecord.h"
#include "tool/ToolCommandLine.h"

namespace kestralux {

std::string toolUsage();

// MIDI ports for `ports`, `fetch` and `store`, made only when one of those runs.
using PortsFactory = std::function<std::unique_ptr<MidiPorts>()>;

// `args` without the program name. 0 on success; 1 with a one-line reason on `err` for bad
// input (nothing written); 2 with the usage text for wrong usage, or with one line naming a
// file that is already there and would be written over without --force.
int runKestraluxTool(const std::vector<std::string>& args, std::ostream& out, std::ostream& err,
                     const PortsFactory& ports);

// For commands in files of their own: the presets `what` names as `diff` reads one side (a
// .pre, .bnk or .syx, or "combo" for the combo's bank over the ports --in/--out choose). When
// they cannot be had, no presets and `error` says why.
struct PresetSource {
  std::vector<PresetRecord> presets;
  bool names = true;  // false for the combo and a .syx: their messages carry none
  std::string error;
};
PresetSource readPresetSource(const std::string& what, const std::optional<std::string>& in,
                              const std::optional<std::string>& out, std::ostream& err, const PortsFactory& ports);

// The port a --in/--out (or --controller) argument names among `names`: a port of exactly that
// name, else its device number, else the one port whose name contains the text (any case). A
// ToolError (bad input) when none or several do; `side` is "input" or "output".
std::string choosePort(const std::vector<std::string>& names, const std::string& wanted, const char* side);

}  // namespace kestralux
