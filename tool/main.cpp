// kestralux-tool: the presets on the command line. See `kestralux-tool --help`.

#include <iostream>

#include "tool/KestraluxTool.h"
#include "midi/RtMidiPorts.h"

int main(int argc, char** argv) {
  const std::vector<std::string> args(argv + 1, argv + argc);
  return kestralux::runKestraluxTool(args, std::cout, std::cerr, []() -> std::unique_ptr<kestralux::MidiPorts> {
    const kestralux::MidiSystem system = kestralux::detectMidiSystem();
    if (system == kestralux::MidiSystem::None) return nullptr;
    return std::make_unique<kestralux::RtMidiPorts>(system, kestralux::kToolClientName);
  });
}
