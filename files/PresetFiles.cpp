#include "files/PresetFiles.h"

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <random>

#if defined(_WIN32)
#include <io.h>
#else
#include <fcntl.h>
#include <unistd.h>
#endif

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

namespace fs = std::filesystem;

bool syncFileToDisk(int descriptor) {
#if defined(_WIN32)
  return _commit(descriptor) == 0;
#else
  return ::fsync(descriptor) == 0;
#endif
}

void syncFolderOf(const fs::path& file) {
#if !defined(_WIN32)
  // Windows keeps a renamed name with the file; POSIX wants the folder's entry flushed too.
  const fs::path folder = file.parent_path().empty() ? fs::path(".") : file.parent_path();
  const int descriptor = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (descriptor < 0) return;
  ::fsync(descriptor);
  ::close(descriptor);
#else
  (void)file;
#endif
}

namespace {

// Writes `bytes` to a new file beside `path` whose name no other writer, thread or process,
// takes at the same time: the exclusive create refuses a name already taken.
std::optional<fs::path> writeTemporaryBeside(const fs::path& path, std::span<const std::uint8_t> bytes,
                                             std::string& error) {
  static std::atomic<std::uint64_t> counter{0};
  std::random_device entropy;
  for (int attempt = 0; attempt < 16; ++attempt) {
    const std::uint64_t tag = (std::uint64_t{entropy()} << 32 ^ entropy()) + counter.fetch_add(1);
    char suffix[32];
    std::snprintf(suffix, sizeof suffix, ".part-%016llx", static_cast<unsigned long long>(tag));
    fs::path temporary = path;
    temporary += suffix;
    std::FILE* file = std::fopen(temporary.string().c_str(), "wbx");
    if (!file) {
      if (errno == EEXIST) continue;
      error = "cannot create " + temporary.string() + ": " + std::strerror(errno);
      return std::nullopt;
    }
    // On the disk before it takes the name: a power cut after the rename finds the whole file.
    const bool written = std::fwrite(bytes.data(), 1, bytes.size(), file) == bytes.size() && std::fflush(file) == 0 &&
                         syncFileToDisk(fileno(file));
    if (std::fclose(file) != 0 || !written) {
      error = "cannot write " + temporary.string();
      std::remove(temporary.string().c_str());
      return std::nullopt;
    }
    return temporary;
  }
  error = "cannot create a file beside " + path.string();
  return std::nullopt;
}

}  // namespace

bool writeFileAtomically(const fs::path& path, std::span<const std::uint8_t> bytes, std::string& error) {
  const std::optional<fs::path> temporary = writeTemporaryBeside(path, bytes, error);
  if (!temporary) return false;
  std::error_code failure;
  fs::rename(*temporary, path, failure);
  if (failure) {
    error = "cannot replace " + path.string() + ": " + failure.message();
    fs::remove(*temporary, failure);
    return false;
  }
  syncFolderOf(path);
  return true;
}

NewFile writeNewFileAtomically(const fs::path& path, std::span<const std::uint8_t> bytes, std::string& error) {
  const std::optional<fs::path> temporary = writeTemporaryBeside(path, bytes, error);
  if (!temporary) return NewFile::Failed;
  // A hard link appears whole under its name, and only if the name is free.
  std::error_code failure, ignored;
  fs::create_hard_link(*temporary, path, failure);
  NewFile outcome = NewFile::Written;
  if (failure == std::errc::file_exists) {
    outcome = NewFile::Exists;
  } else if (failure) {
    // Where the disk has no hard links, the name is taken by an exclusive create first and the
    // whole file then renamed over it.
    std::FILE* reserved = std::fopen(path.string().c_str(), "wbx");
    if (!reserved) {
      outcome = errno == EEXIST ? NewFile::Exists : NewFile::Failed;
      if (outcome == NewFile::Failed) error = "cannot create " + path.string() + ": " + std::strerror(errno);
    } else {
      std::fclose(reserved);
      fs::rename(*temporary, path, failure);
      if (failure) {
        error = "cannot write " + path.string() + ": " + failure.message();
        fs::remove(path, ignored);
        outcome = NewFile::Failed;
      }
    }
  }
  fs::remove(*temporary, ignored);
  if (outcome == NewFile::Written) syncFolderOf(path);
  return outcome;
}

}  // namespace kestralux
