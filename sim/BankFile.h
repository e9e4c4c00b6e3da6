#pragma once
// The simulator's own reading and writing of .bnk images: exactly 30 records of 88
// bytes, no header. Failures come back as text for standard error.

#include <optional>
#include <string>

#include "model/PresetRecord.h"

namespace kestralux {

// Anything but exactly 2,640 readable bytes is an error: a device never starts from a
// half-loaded bank.
std::optional<PresetBank> readBankFile(const std::string& path, std::string& error);

// Writes beside the target and renames over it, so a failed write keeps the old file.
bool writeBankFile(const std::string& path, const PresetBank& bank, std::string& error);

}  // namespace kestralux
