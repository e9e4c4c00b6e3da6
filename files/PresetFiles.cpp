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

namespace {

// The whole records at the start of `data`, at most `limit` of them.
std::vector<PresetRecord> wholeRecords(std::span<const std::uint8_t> data, std::size_t limit) {
  std::vector<PresetRecord> records(std::min(data.size() / kPresetFileSize, limit));
  for (std::size_t n = 0; n < records.size(); ++n)
    std::copy_n(data.begin() + static_cast<std::ptrdiff_t>(n * kPresetFileSize), kPresetFileSize, records[n].bytes.begin());
  return records;
}

}  // namespace

std::optional<RecordFault> firstNonPreset(std::span<const std::uint8_t> image) {
  const std::vector<PresetRecord> records = wholeRecords(image, kPresetCount);
  for (std::size_t n = 0; n < records.size(); ++n)
    if (const auto fault = presetFault(records[n])) return RecordFault{static_cast<int>(n), *fault};
  return std::nullopt;
}

std::string describe(const RecordFault& fault) {
  const int p = fault.fault.parameter;
  const char* range = p == AMP_TYPE        ? "is not an amp model (0..15)"
                      : p == EFFECT_SELECT ? "is not an effect code"
                                           : "is out of range (0..255)";
  return "preset " + std::to_string(fault.record + 1) + ": " + parameterName(p) + " " + std::to_string(fault.fault.value) +
         " " + range;
}

int loadPresetImage(std::span<const std::uint8_t> data, PresetRecord& record) {
  const std::vector<PresetRecord> records = wholeRecords(data, 1);
  if (records.empty() || !isPreset(records[0])) return 0;
  record = records[0];
  return 1;
}

int loadBankImage(std::span<const std::uint8_t> data, PresetBank& bank) {
  const std::vector<PresetRecord> records = wholeRecords(data, kPresetCount);
  if (std::any_of(records.begin(), records.end(), [](const PresetRecord& r) { return !isPreset(r); })) return 0;
  std::copy(records.begin(), records.end(), bank.begin());
  return static_cast<int>(records.size());
}

std::optional<PresetRecord> parsePresetFile(std::span<const std::uint8_t> data) {
  PresetRecord record;
  if (data.size() != kPresetFileSize || loadPresetImage(data, record) != 1) return std::nullopt;
  return record;
}

std::optional<PresetBank> parseBankFile(std::span<const std::uint8_t> data) {
  PresetBank bank{};
  if (data.size() != kBankFileSize || loadBankImage(data, bank) != kPresetCount) return std::nullopt;
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
