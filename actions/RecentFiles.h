#pragma once
// FILE > RECENT FILES: the files last loaded or saved, newest first.

#include <cstddef>
#include <string>
#include <vector>

namespace kestralux {

inline constexpr std::size_t kRecentFilesKept = 8;

// `list` with `path` first: once only, the oldest dropped past `kept`.
std::vector<std::string> withRecentFile(std::vector<std::string> list, const std::string& path,
                                        std::size_t kept = kRecentFilesKept);

// What a recent file opens as: a bank for a .bnk (any case), else a single preset.
bool isBankFileName(const std::string& path);

}  // namespace kestralux
