#include "files/HistoryChoices.h"

#include <algorithm>

#include "files/PresetFiles.h"

namespace kestralux {

std::string historyWhen(const HistoryEntry& entry) {
  std::string when = entry.time;
  // The file name cannot carry a colon; the clock can.
  if (when.size() > 11) std::replace(when.begin() + 11, when.end(), '-', ':');
  return when;
}

std::optional<PresetBank> readHistoryBank(const HistoryEntry& entry) {
  // One byte more than a bank: a longer file is no bank of ours.
  const std::optional<Bytes> data = readFileStart(entry.path, kBankFileSize + 1);
  return data ? parseBankFile(*data) : std::nullopt;
}

std::bitset<kPresetCount> slotsDiffering(const PresetBank& kept, const PresetBank& bank) {
  std::bitset<kPresetCount> differing;
  for (std::size_t n = 0; n < kept.size(); ++n) differing[n] = kept[n] != bank[n];
  return differing;
}

std::string differingText(const std::bitset<kPresetCount>& differing) {
  const std::size_t count = differing.count();
  if (count == 0) return "SAME AS THE BANK";
  if (count == kPresetCount) return "ALL " + std::to_string(kPresetCount) + " SLOTS DIFFER";
  std::string ranges;
  for (int n = 0; n < kPresetCount; ++n) {
    if (!differing[static_cast<std::size_t>(n)]) continue;
    int last = n;
    while (last + 1 < kPresetCount && differing[static_cast<std::size_t>(last + 1)]) ++last;
    if (!ranges.empty()) ranges += ", ";
    ranges += std::to_string(n + 1);
    if (last > n) ranges += "-" + std::to_string(last + 1);
    n = last;
  }
  return (count == 1 ? "SLOT " : "SLOTS ") + ranges + (count == 1 ? " DIFFERS" : " DIFFER");
}

std::optional<HistoryEntry> sessionToTell(const std::vector<HistoryEntry>& newestFirst, const std::string& toldBefore) {
  const auto session = std::find_if(newestFirst.begin(), newestFirst.end(),
                                    [](const HistoryEntry& e) { return e.kind == "session"; });
  if (session == newestFirst.end() || session->path.filename().string() == toldBefore) return std::nullopt;
  return *session;
}

}  // namespace kestralux
