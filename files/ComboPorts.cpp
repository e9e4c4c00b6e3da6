#include "files/ComboPorts.h"

#include <algorithm>
#include <sstream>

#include "files/PresetFiles.h"

namespace kestralux {

namespace {
constexpr const char* kOutputKey = "output=";
constexpr const char* kInputKey = "input=";
constexpr std::size_t kLargestPortsFile = 4096;
}  // namespace

std::string encodePortNames(const PortNames& names) {
  return std::string(kOutputKey) + names.output + "\n" + kInputKey + names.input + "\n";
}

std::optional<PortNames> decodePortNames(const std::string& text) {
  PortNames names;
  bool any = false;
  std::istringstream in(text);
  for (std::string line; std::getline(in, line);) {
    // A file edited on another system ends its lines in CR LF, one converted twice in CR CR LF.
    while (!line.empty() && line.back() == '\r') line.pop_back();
    for (auto [key, field] : {std::pair{kOutputKey, &names.output}, std::pair{kInputKey, &names.input}}) {
      const std::string k(key);
      if (line.rfind(k, 0) == 0 && line.size() > k.size()) {
        *field = line.substr(k.size());
        any = true;
      }
    }
  }
  if (!any) return std::nullopt;
  return names;
}

std::optional<PortNames> LOAD_PORT_NAMES(const std::filesystem::path& path) {
  const std::optional<Bytes> data = readFileStart(path, kLargestPortsFile);
  if (!data) return std::nullopt;
  return decodePortNames(std::string(data->begin(), data->end()));
}

bool SAVE_PORT_NAMES(const PortNames& names, const std::filesystem::path& path) {
  const std::string text = encodePortNames(names);
  std::string error;
  return writeFileAtomically(path, std::span(reinterpret_cast<const std::uint8_t*>(text.data()), text.size()), error);
}

std::uint32_t deviceFollowingName(std::uint32_t number, const std::vector<std::string>& names,
                                  const std::string& remembered) {
  if (remembered.empty() || (number < names.size() && names[number] == remembered)) return number;
  const auto it = std::find(names.begin(), names.end(), remembered);
  return it == names.end() ? number : static_cast<std::uint32_t>(it - names.begin());
}

}  // namespace kestralux
