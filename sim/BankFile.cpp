#include "sim/BankFile.h"

#include "files/BankHistory.h"
#include "files/PresetFiles.h"
#include "sim/DemoBank.h"


namespace kestralux {

std::optional<PresetBank> readBankFile(const std::string& path, std::string& error) {
  const std::optional<Bytes> data = readFileStart(path, kBankFileSize + 1);
  if (!data) {
    error = "cannot open bank file " + path;
    return std::nullopt;
  }
  if (data->size() > kBankFileSize) {
    error = path + ": longer than a bank file (" + std::to_string(kBankFileSize) + " bytes)";
    return std::nullopt;
  }
  if (data->size() != kBankFileSize) {
    error = path + ": " + std::to_string(data->size()) + " bytes, a bank file holds " + std::to_string(kBankFileSize);
    return std::nullopt;
  }
  if (const auto fault = firstNonPreset(*data)) {
    error = path + ": " + describe(*fault);
    return std::nullopt;
  }
  return parseBankFile(*data);
}

std::filesystem::path defaultSimBankPath() { return dataFolder() / "kestralux-sim.bnk"; }

std::optional<StartingBank> startingBank(const std::string& path, std::string& error) {
  std::error_code ignored;
  if (!std::filesystem::exists(std::filesystem::symlink_status(path, ignored))) return StartingBank{demoBank(), true};
  const std::optional<PresetBank> bank = readBankFile(path, error);
  if (!bank) return std::nullopt;
  return StartingBank{*bank, false};
}

bool writeBankFile(const std::string& path, const PresetBank& bank, std::string& error) {
  return writeFileAtomically(path, bankFileImage(bank), error);
}

}  // namespace kestralux
