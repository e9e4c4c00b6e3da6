#pragma once
// The history of banks as the editor offers it: each kept bank with when it was kept and what
// happened, which of its slots differ from the bank being edited, and whether the last run's
// unsaved edits wait there to be told of at start.

#include <bitset>
#include <optional>
#include <string>
#include <vector>

#include "files/BankHistory.h"

namespace kestralux {

// "2026-12-07 14:03:55": an entry's time as a clock shows it.
std::string historyWhen(const HistoryEntry& entry);

// The bank an entry holds; nothing for a file that is not a whole bank.
std::optional<PresetBank> readHistoryBank(const HistoryEntry& entry);

// The slots whose preset (values, name or reserved slot) is not the bank's.
std::bitset<kPresetCount> slotsDiffering(const PresetBank& kept, const PresetBank& bank);

// "SAME AS THE BANK", "SLOT 4 DIFFERS", "SLOTS 1-3, 7 DIFFER", "ALL 30 SLOTS DIFFER".
std::string differingText(const std::bitset<kPresetCount>& differing);

// The newest entry a run kept of its unsaved edits ("session"), unless it is the one already
// told of (by its file name); entries newest first.
std::optional<HistoryEntry> sessionToTell(const std::vector<HistoryEntry>& newestFirst, const std::string& toldBefore);

}  // namespace kestralux
