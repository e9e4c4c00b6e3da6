#pragma once
// .pre and .bnk files: the memory image of one PresetRecord (88 bytes) and of the thirty of a
// bank (2,640 bytes), nothing around them. The name's left-over bytes and the reserved word
// travel as they are.

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "model/PresetRecord.h"

namespace kestralux {

using Bytes = std::vector<std::uint8_t>;

inline constexpr std::size_t kPresetFileSize = sizeof(PresetRecord);
inline constexpr std::size_t kBankFileSize = sizeof(PresetBank);
static_assert(kPresetFileSize == 88 && kBankFileSize == 2640);

Bytes presetFileImage(const PresetRecord& record);
Bytes bankFileImage(const PresetBank& bank);

// The window's loads take a file as leniently as it comes, but only whole records that are
// presets: the first record of any file for a preset, as many whole records as a file holds
// (at most 30) for a bank. A record the file holds in part is not touched; bytes after the
// last whole record are ignored. A file with a whole record that is not a preset changes
// nothing. They return how many records were replaced; 0 changes nothing.
int loadPresetImage(std::span<const std::uint8_t> data, PresetRecord& record);
int loadBankImage(std::span<const std::uint8_t> data, PresetBank& bank);

// The command line is strict: exactly one file's size and every record a preset, or nothing.
std::optional<PresetRecord> parsePresetFile(std::span<const std::uint8_t> data);
std::optional<PresetBank> parseBankFile(std::span<const std::uint8_t> data);

// The first whole record of a file image that is not a preset, and why; numbers are 0-based.
struct RecordFault {
  int record;
  PresetFault fault;
};
std::optional<RecordFault> firstNonPreset(std::span<const std::uint8_t> image);
// "preset 3: AMP_TYPE 97 is not an amp model (0..15)", counting from 1.
std::string describe(const RecordFault& fault);

// At most `limit` bytes from the start of the file; nothing when it cannot be opened or read.
std::optional<Bytes> readFileStart(const std::filesystem::path& path, std::size_t limit);

// The file's bytes on the disk, not only in the system's cache.
bool syncFileToDisk(int descriptor);
// The folder's entry for `file` (a rename, a new name) on the disk too.
void syncFolderOf(const std::filesystem::path& file);

// Writes beside `path` and renames over it, flushed to the disk before it takes the name, so a failed write leaves the old file whole and
// no part of the new one behind. The file beside is this writer's own, so two writers at once
// leave one whole file, never a mix. On failure `error` says what went wrong.
bool writeFileAtomically(const std::filesystem::path& path, std::span<const std::uint8_t> bytes,
                         std::string& error);

// Like writeFileAtomically, but only where nothing of that name exists yet (a file, a folder,
// anything): of two writers choosing one name at once, one gets Exists and writes nothing.
enum class NewFile { Written, Exists, Failed };
NewFile writeNewFileAtomically(const std::filesystem::path& path, std::span<const std::uint8_t> bytes,
                               std::string& error);

}  // namespace kestralux
