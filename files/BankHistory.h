#pragma once
// The history of banks: a copy of every bank that came from the combo or went to it, and of
// the editor's bank at the end of a run when it held work that was nowhere else. Each is an
// ordinary .bnk named by local time and kind ("2026-12-07 14-03-55 fetched.bnk"); the
// kHistoryKept written last are kept, whatever time their names say. A wrong store or a lost file can always be undone from here.

#include <ctime>
#include <filesystem>
#include <optional>
#include <ostream>
#include <string>
#include <vector>

#include "model/PresetRecord.h"

namespace kestralux {

inline constexpr std::size_t kHistoryKept = 500;

// $XDG_DATA_HOME/kestralux, else ~/.local/share/kestralux.
std::filesystem::path dataFolder();
// The history's place in dataFolder(): history/.
std::filesystem::path historyFolder();

struct HistoryEntry {
  std::filesystem::path path;
  std::string time;  // "2026-12-07 14-03-55"
  std::string kind;  // "fetched", "fetched 12 of 30", "stored", "session"
  int sequence = 1;  // the n-th entry written in the same second
};

// "2026-12-07 14-03-55": `now` in local time, as entries' names carry it.
std::string historyTimeText(std::time_t now);

// The entries in `folder`, newest first; files of other names are not entries.
std::vector<HistoryEntry> listHistory(const std::filesystem::path& folder);

// Writes `bank` as a new entry (whole or not at all) under a name no other writer took, then
// removes the earliest written beyond kHistoryKept, never the new one. Returns what went
// wrong, or nothing once the bank is there.
std::optional<std::string> keepInHistory(const std::filesystem::path& folder, const PresetBank& bank,
                                         const std::string& kind, std::time_t now = std::time(nullptr));

// The combo's whole bank as this editor last knew it: the newest entry of `folder` that came
// whole from the combo or went whole to it ("fetched", "stored") and reads as a bank.
std::optional<PresetBank> newestComboBank(const std::filesystem::path& folder);

// How many presets differ between two banks. A preset without a name (the combo sends none)
// is the same as one with a name when only the name is missing.
int presetsDiffering(const PresetBank& a, const PresetBank& b);

// keepInHistory into historyFolder(); a failure is said on `err`, after `program`, and stops
// nothing.
void keepBank(const PresetBank& bank, const std::string& kind, std::ostream& err, const char* program);

}  // namespace kestralux
