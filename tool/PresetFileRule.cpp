#include "tool/PresetFileRule.h"

#include <algorithm>
#include <string>

#include "files/PresetFiles.h"
#include "tool/ToolCommandLine.h"

namespace kestralux {

namespace {

namespace fs = std::filesystem;

std::string extensionOf(const fs::path& path) {
  std::string ext = path.extension().string();
  std::transform(ext.begin(), ext.end(), ext.begin(), [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
  return ext;
}

}  // namespace

std::variant<PresetRecord, PresetBank> readPresetFile(const fs::path& path) {
  const std::optional<Bytes> read = readFileStart(path, kBankFileSize + 1);
  if (!read) throw badInput("cannot read " + path.string());
  const Bytes& data = *read;
  const std::string ext = extensionOf(path);
  const bool asPreset = ext == ".pre" || (ext != ".bnk" && data.size() == kPresetFileSize);
  const std::size_t size = asPreset ? kPresetFileSize : kBankFileSize;
  if (data.size() != size)
    throw badInput(path.string() + ": " + (data.size() > kBankFileSize ? "more than " + std::to_string(kBankFileSize) : std::to_string(data.size())) +
                   " bytes, a " + (asPreset ? "preset" : "bank") + " file holds exactly " + std::to_string(size));
  if (const auto fault = firstNonPreset(data)) throw badInput(path.string() + ": " + describe(*fault));
  if (asPreset) return *parsePresetFile(data);
  return *parseBankFile(data);
}

PresetRecord readOnePreset(const fs::path& path, int n) {
  const auto presets = readPresetFile(path);
  if (const auto* bank = std::get_if<PresetBank>(&presets)) return (*bank)[static_cast<std::size_t>(n)];
  return std::get<PresetRecord>(presets);
}

PresetFileKind outputKind(const fs::path& target) {
  const std::string ext = extensionOf(target);
  if (ext == ".pre") return PresetFileKind::Preset;
  if (ext == ".bnk") return PresetFileKind::Bank;
  throw badUsage(target.string() + ": write it to a .pre or a .bnk file");
}

void expectExtension(const fs::path& target, const char* extension) {
  if (extensionOf(target) != extension) throw badUsage(target.string() + ": write it to a " + extension + " file");
}

}  // namespace kestralux
