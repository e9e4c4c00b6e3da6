#pragma once
// Where the editor and the tool keep combo.cfg and combo.ports. A folder that holds either
// already is where a user started the program on purpose, so that folder keeps them; anywhere
// else (a source checkout, the desktop's start menu) they go to the data folder, beside the
// history, where every start finds them whatever its working folder.

#include <filesystem>

namespace kestralux {

// combo.cfg as a path relative to `workingFolder` when it or combo.ports is there, else in
// `dataFolder`.
std::filesystem::path comboConfigPath(const std::filesystem::path& workingFolder, const std::filesystem::path& dataFolder);

// The same for this process: its working folder and the user's data folder.
std::filesystem::path comboConfigPath();

}  // namespace kestralux
