#pragma once
// The simulator's own reading and writing of .bnk images: exactly 30 records of 88
// bytes, no header. Failures come back as text for standard error.

#include <filesystem>
#include <optional>
#include <string>

#include "model/PresetRecord.h"

namespace kestralux {

// Anything but exactly 2,640 readable bytes is an error: a device never starts from a
// half-loaded bank.
std::optional<PresetBank> readBankFile(const std::string& path, std::string& error);

// The virtual combo's own memory between runs when no --bank names another:
// kestralux-sim.bnk in the data folder.
std::filesystem::path defaultSimBankPath();

// The stored slots a run starts from: the file's bank, or the demo bank while there is no file
// yet. A file that is there but not a bank is an error, so it is never written over.
struct StartingBank {
  PresetBank bank;
  bool demo = false;
};
std::optional<StartingBank> startingBank(const std::string& path, std::string& error);

// Writes beside the target and renames over it, so a failed write keeps the old file.
bool writeBankFile(const std::string& path, const PresetBank& bank, std::string& error);

}  // namespace kestralux
