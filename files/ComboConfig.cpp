#include "files/ComboConfig.h"

#include <algorithm>
#include <cstdio>
#include <fstream>
#include <system_error>

namespace kestralux {

namespace {

void putLittleEndian(std::uint32_t value, std::uint8_t* out) {
  for (int i = 0; i < 4; ++i) out[i] = static_cast<std::uint8_t>(value >> (8 * i));
}

std::uint32_t getLittleEndian(const std::uint8_t* in) {
  std::uint32_t value = 0;
  for (int i = 0; i < 4; ++i) value |= static_cast<std::uint32_t>(in[i]) << (8 * i);
  return value;
}

}  // namespace

std::array<std::uint8_t, kComboConfigSize> encodeComboConfig(const ComboConfig& config) {
  std::array<std::uint8_t, kComboConfigSize> bytes{};
  putLittleEndian(config.OUT_DEVICE, bytes.data());
  putLittleEndian(config.IN_DEVICE, bytes.data() + 4);
  return bytes;
}

ComboConfig decodeComboConfig(const std::array<std::uint8_t, kComboConfigSize>& bytes) {
  return {getLittleEndian(bytes.data()), getLittleEndian(bytes.data() + 4)};
}

std::optional<ComboConfig> parseComboConfig(std::span<const std::uint8_t> file) {
  if (file.size() < kComboConfigSize) return std::nullopt;
  std::array<std::uint8_t, kComboConfigSize> bytes{};
  std::copy_n(file.begin(), kComboConfigSize, bytes.begin());
  return decodeComboConfig(bytes);
}

std::optional<ComboConfig> LOAD_CONFIG(const std::filesystem::path& path) {
  std::ifstream in(path, std::ios::binary);
  if (!in) return std::nullopt;
  std::array<std::uint8_t, kComboConfigSize> bytes{};
  in.read(reinterpret_cast<char*>(bytes.data()), bytes.size());
  return parseComboConfig(std::span(bytes).first(static_cast<std::size_t>(in.gcount())));
}

bool SAVE_CONFIG(const ComboConfig& config, const std::filesystem::path& path) {
  std::filesystem::path temporary = path;
  temporary += ".new";
  const auto bytes = encodeComboConfig(config);
  bool written = false;
  {
    std::ofstream out(temporary, std::ios::binary | std::ios::trunc);
    if (out) {
      out.write(reinterpret_cast<const char*>(bytes.data()), bytes.size());
      out.close();
      written = !out.fail();
    }
  }
  std::error_code error;
  if (written) std::filesystem::rename(temporary, path, error);
  if (!written || error) {
    std::filesystem::remove(temporary, error);
    std::fputs("Cannot open output file.\n", stderr);
    return false;
  }
  return true;
}

}  // namespace kestralux
