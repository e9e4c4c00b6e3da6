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
  static const std::regex pattern(R"((\d{4}-\d\d-\d\d \d\d-\d\d-\d\d) ([a-z0-9 ,]+?)(?: \((\d+)\))?\.bnk)");
  return pattern;
}


bool newerFirst(const HistoryEntry& a, const HistoryEntry& b) {
  return a.time != b.time ? a.time > b.time : a.sequence > b.sequence;
}

}  // namespace

fs::path dataFolder() {
  const char* data = std::getenv("XDG_DATA_HOME");
  fs::path base;
  if (data && *data) {
    base = data;
  } else {
    const char* home = std::getenv("HOME");
    base = fs::path(home && *home ? home : ".") / ".local" / "share";
  }
  return base / "kestralux";
}

fs::path historyFolder() { return dataFolder() / "history"; }

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

namespace {

// The entries in the order they were written, oldest first: by the time the disk gave each,
// not the time in its name, which a clock that was ahead or a time-zone change puts anywhere.
std::vector<HistoryEntry> oldestWrittenFirst(const fs::path& folder) {
  struct Written {
    fs::file_time_type time;
    HistoryEntry entry;
  };
  std::vector<Written> written;
  for (HistoryEntry& e : listHistory(folder)) {
    std::error_code error;
    const fs::file_time_type time = fs::last_write_time(e.path, error);
    if (!error) written.push_back({time, std::move(e)});
  }
  std::sort(written.begin(), written.end(), [](const Written& a, const Written& b) {
    return a.time != b.time ? a.time < b.time : newerFirst(b.entry, a.entry);
  });
  std::vector<HistoryEntry> entries;
  for (Written& w : written) entries.push_back(std::move(w.entry));
  return entries;
}

// More than a busy second can bring; beyond it the folder is not behaving as a folder should.
constexpr int kLastSequence = 10000;

}  // namespace

std::string historyTimeText(std::time_t now) {
  std::tm local{};
  localtime_r(&now, &local);
  char text[32];
  std::strftime(text, sizeof text, "%Y-%m-%d %H-%M-%S", &local);
  return text;
}

std::optional<std::string> keepInHistory(const fs::path& folder, const PresetBank& bank, const std::string& kind,
                                         std::time_t now) {
  std::error_code error;
  fs::create_directories(folder, error);
  if (error) return "cannot make " + folder.string() + ": " + error.message();
  const std::string time = historyTimeText(now);
  const std::string stem = time + " " + kind;
  // Entries of one second are numbered across kinds, so their names keep the order of writing;
  // the exclusive create settles two writers choosing the same number.
  int first = 1;
  for (const HistoryEntry& e : listHistory(folder))
    if (e.time == time) first = std::max(first, e.sequence + 1);
  const Bytes image = bankFileImage(bank);
  fs::path written;
  for (int sequence = first; written.empty(); ++sequence) {
    if (sequence > first + kLastSequence) return "no free name for " + (folder / stem).string() + ".bnk";
    const fs::path path = folder / (stem + (sequence > 1 ? " (" + std::to_string(sequence) + ")" : "") + ".bnk");
    std::string why;
    switch (writeNewFileAtomically(path, image, why)) {
      case NewFile::Written: written = path; break;
      case NewFile::Exists: break;
      case NewFile::Failed: return why;
    }
  }
  const std::vector<HistoryEntry> entries = oldestWrittenFirst(folder);
  std::size_t excess = entries.size() > kHistoryKept ? entries.size() - kHistoryKept : 0;
  for (std::size_t n = 0; n < entries.size() && excess > 0; ++n) {
    if (entries[n].path == written) continue;
    fs::remove(entries[n].path, error);
    --excess;
  }
  return std::nullopt;
}

std::optional<PresetBank> newestComboBank(const fs::path& folder) {
  for (const HistoryEntry& e : listHistory(folder)) {
    // A store whose bank before it could not be read still went out whole.
    if (e.kind != "fetched" && e.kind != "stored" && e.kind.rfind("stored, ", 0) != 0) continue;
    if (auto bank = parseBankFile(readFileStart(e.path, kBankFileSize + 1).value_or(Bytes{}))) return bank;
  }
  return std::nullopt;
}

namespace {

bool sameButForName(const PresetRecord& a, const PresetRecord& b) {
  for (int n = kFirstParameterSlot; n < kSlotCount; ++n)
    if (a.slot(n) != b.slot(n)) return false;
  return true;
}

}  // namespace

int presetsDiffering(const PresetBank& a, const PresetBank& b) {
  int count = 0;
  for (std::size_t n = 0; n < a.size(); ++n) {
    const bool nameMissing = !a[n].validName() || !b[n].validName();
    count += a[n] != b[n] && !(nameMissing && sameButForName(a[n], b[n]));
  }
  return count;
}

void keepBank(const PresetBank& bank, const std::string& kind, std::ostream& err, const char* program) {
  if (const auto why = keepInHistory(historyFolder(), bank, kind))
    err << program << ": the history of banks could not keep this bank (" << *why << ")\n";
}

}  // namespace kestralux
