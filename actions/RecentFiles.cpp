#include "actions/RecentFiles.h"

#include <algorithm>
#include <cctype>

namespace kestralux {

std::vector<std::string> withRecentFile(std::vector<std::string> list, const std::string& path, std::size_t kept) {
  if (path.empty()) return list;
  std::erase(list, path);
  list.insert(list.begin(), path);
  if (list.size() > kept) list.resize(kept);
  return list;
}

bool isBankFileName(const std::string& path) {
  if (path.size() < 4) return false;
  std::string suffix = path.substr(path.size() - 4);
  std::transform(suffix.begin(), suffix.end(), suffix.begin(), [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
  return suffix == ".bnk";
}

}  // namespace kestralux
