#include "files/BankHistory.h"

#include <algorithm>
#include <cstdlib>
#include <regex>
#include <system_error>

#include "files/PresetFiles.h"

namespace kestralux {

namespace fs = std::filesystem;

namespace {

// "2026-12-07 14-03-55 fetched 12 of 30 (2).bnk": time, kind, and the sequence when several
// entries were written in one second.
const std::regex& entryName() {
  static const std::regex pattern(R"((\d{4}-\d\d-\d\d \d\d-\d\d-\d\d) ([a-z0-9 ]+?)(?: \((\d+)\))?\.bnk)");
  return pattern;
}

std::string timeText(std::time_t now) {
  std::tm local{};
  localtime_r(&now, &local);
  char text[32];
  std::strftime(text, sizeof text, "%Y-%m-%d %H-%M-%S", &local);
  return text;
}

bool newerFirst(const HistoryEntry& a, const HistoryEntry& b) {
  return a.time != b.time ? a.time > b.time : a.sequence > b.sequence;
}

}  // namespace

fs::path historyFolder() {
  const char* data = std::getenv("XDG_DATA_HOME");
  fs::path base;
  if (data && *data) {
    base = data;
  } else {
    const char* home = std::getenv("HOME");
    base = fs::path(home && *home ? home : ".") / ".local" / "share";
  }
  return base / "kestralux" / "history";
}

std::vector<HistoryEntry> listHistory(const fs::path& folder) {
  std::vector<HistoryEntry> entries;
  std::error_code error;
  for (fs::directory_iterator it(folder, error), end; !error && it != end; it.increment(error)) {
    std::smatch m;
    const std::string name = it->path().filename().string();
    if (!it->is_regular_file(error) || !std::regex_match(name, m, entryName())) continue;
    entries.push_back({it->path(), m[1], m[2], m[3].matched ? std::stoi(m[3]) : 1});
  }
  std::sort(entries.begin(), entries.end(), newerFirst);
  return entries;
}

std::optional<std::string> keepInHistory(const fs::path& folder, const PresetBank& bank, const std::string& kind,
                                         std::time_t now) {
  std::error_code error;
  fs::create_directories(folder, error);
  if (error) return "cannot make " + folder.string() + ": " + error.message();
  const std::string time = timeText(now);
  const std::vector<HistoryEntry> entries = listHistory(folder);
  int sequence = 1;
  for (const HistoryEntry& e : entries)
    if (e.time == time) sequence = std::max(sequence, e.sequence + 1);
  const std::string name = time + " " + kind + (sequence > 1 ? " (" + std::to_string(sequence) + ")" : "") + ".bnk";
  std::string why;
  if (!writeFileAtomically(folder / name, bankFileImage(bank), why)) return why;
  // The one just written is the newest; the oldest beyond the limit go.
  const std::vector<HistoryEntry> kept = listHistory(folder);
  for (std::size_t n = kHistoryKept; n < kept.size(); ++n) fs::remove(kept[n].path, error);
  return std::nullopt;
}

void keepBank(const PresetBank& bank, const std::string& kind, std::ostream& err, const char* program) {
  if (const auto why = keepInHistory(historyFolder(), bank, kind))
    err << program << ": the history of banks could not keep this bank (" << *why << ")\n";
}

}  // namespace kestralux
