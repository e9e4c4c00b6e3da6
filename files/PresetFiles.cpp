#include "files/PresetFiles.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <fstream>

namespace kestralux {

Bytes presetFileImage(const PresetRecord& record) { return Bytes(record.bytes.begin(), record.bytes.end()); }

Bytes bankFileImage(const PresetBank& bank) {
  Bytes image;
  image.reserve(kBankFileSize);
  for (const PresetRecord& r : bank) image.insert(image.end(), r.bytes.begin(), r.bytes.end());
  return image;
}

int loadPresetImage(std::span<const std::uint8_t> data, PresetRecord& record) {
  if (data.size() < kPresetFileSize) return 0;
  std::copy_n(data.begin(), kPresetFileSize, record.bytes.begin());
  return 1;
}

int loadBankImage(std::span<const std::uint8_t> data, PresetBank& bank) {
  const std::size_t whole = std::min<std::size_t>(data.size() / kPresetFileSize, kPresetCount);
  for (std::size_t n = 0; n < whole; ++n)
    std::copy_n(data.begin() + static_cast<std::ptrdiff_t>(n * kPresetFileSize), kPresetFileSize, bank[n].bytes.begin());
  return static_cast<int>(whole);
}

std::optional<PresetRecord> parsePresetFile(std::span<const std::uint8_t> data) {
  if (data.size() != kPresetFileSize) return std::nullopt;
  PresetRecord record;
  loadPresetImage(data, record);
  return record;
}

std::optional<PresetBank> parseBankFile(std::span<const std::uint8_t> data) {
  if (data.size() != kBankFileSize) return std::nullopt;
  PresetBank bank{};
  loadBankImage(data, bank);
  return bank;
}

std::optional<Bytes> readFileStart(const std::filesystem::path& path, std::size_t limit) {
  std::ifstream file(path, std::ios::binary);
  if (!file) return std::nullopt;
  Bytes data(limit);
  file.read(reinterpret_cast<char*>(data.data()), static_cast<std::streamsize>(limit));
  if (file.bad()) return std::nullopt;
  data.resize(static_cast<std::size_t>(file.gcount()));
  return data;
}

bool writeFileAtomically(const std::filesystem::path& path, std::span<const std::uint8_t> bytes,
                         std::string& error) {
  std::filesystem::path temporary = path;
  temporary += ".part";
  {
    std::ofstream file(temporary, std::ios::binary | std::ios::trunc);
    if (!file) {
      error = "cannot create " + temporary.string();
      return false;
    }
    file.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
    file.flush();
    if (!file) {
      error = "cannot write " + temporary.string();
      file.close();
      std::remove(temporary.c_str());
      return false;
    }
  }
  if (std::rename(temporary.c_str(), path.c_str()) != 0) {
    error = "cannot replace " + path.string() + ": " + std::strerror(errno);
    std::remove(temporary.c_str());
    return false;
  }
  return true;
}

}  // namespace kestralux
