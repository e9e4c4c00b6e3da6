#include "sim/BankFile.h"

#include <cstdio>
#include <fstream>
#include <iterator>

namespace kestralux {

std::optional<PresetBank> readBankFile(const std::string& path, std::string& error) {
  std::ifstream file(path, std::ios::binary);
  if (!file) {
    error = "cannot open bank file " + path;
    return std::nullopt;
  }
  PresetBank bank{};
  file.read(reinterpret_cast<char*>(bank.data()), sizeof(PresetBank));
  const std::streamsize got = file.gcount();
  if (got != static_cast<std::streamsize>(sizeof(PresetBank))) {
    error = path + ": " + std::to_string(got) + " bytes, a bank file holds " + std::to_string(sizeof(PresetBank));
    return std::nullopt;
  }
  if (file.peek() != std::char_traits<char>::eof()) {
    error = path + ": longer than a bank file (" + std::to_string(sizeof(PresetBank)) + " bytes)";
    return std::nullopt;
  }
  return bank;
}

bool writeBankFile(const std::string& path, const PresetBank& bank, std::string& error) {
  const std::string temporary = path + ".part";
  {
    std::ofstream file(temporary, std::ios::binary | std::ios::trunc);
    if (!file) {
      error = "cannot create " + temporary;
      return false;
    }
    file.write(reinterpret_cast<const char*>(bank.data()), sizeof(PresetBank));
    file.flush();
    if (!file) {
      error = "cannot write " + temporary;
      file.close();
      std::remove(temporary.c_str());
      return false;
    }
  }
  if (std::rename(temporary.c_str(), path.c_str()) != 0) {
    error = "cannot replace " + path;
    std::remove(temporary.c_str());
    return false;
  }
  return true;
}

}  // namespace kestralux
