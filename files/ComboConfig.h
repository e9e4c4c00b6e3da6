#pragma once
// combo.cfg: the chosen output and input device numbers, 8 bytes, each an unsigned 32-bit
// little-endian number, output first. It holds device numbers, not port names.

#include <array>
#include <cstdint>
#include <filesystem>
#include <optional>
#include <span>

namespace kestralux {

inline constexpr std::size_t kComboConfigSize = 8;
inline constexpr const char* kComboConfigName = "combo.cfg";

struct ComboConfig {
  std::uint32_t OUT_DEVICE = 0;
  std::uint32_t IN_DEVICE = 0;
  bool operator==(const ComboConfig&) const = default;
};

std::array<std::uint8_t, kComboConfigSize> encodeComboConfig(const ComboConfig& config);
ComboConfig decodeComboConfig(const std::array<std::uint8_t, kComboConfigSize>& bytes);
// The file's bytes: nothing when there are fewer than 8; bytes after the eighth are not looked at.
std::optional<ComboConfig> parseComboConfig(std::span<const std::uint8_t> file);

// Nothing when the file is missing, unreadable or shorter than 8 bytes: the caller keeps
// the devices it has. Bytes after the eighth are not looked at.
std::optional<ComboConfig> LOAD_CONFIG(const std::filesystem::path& path = kComboConfigName);

// Writes a temporary file beside `path` and renames it over `path`, so a failed save leaves
// the previous file whole. On failure writes "Cannot open output file.\n" to standard error
// and returns false.
bool SAVE_CONFIG(const ComboConfig& config, const std::filesystem::path& path = kComboConfigName);

}  // namespace kestralux
