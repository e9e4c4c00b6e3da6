#pragma once
// What the editor and the tool keep of a bank that came from the combo or went to it: the
// whole bank in the history of banks, and in the preset library one sighting per slot that
// came or went, under the name the preset has. A bank kept before a fetch replaced it is no
// sighting of the combo's: it goes to the history only.

#include <ctime>
#include <filesystem>
#include <ostream>

#include "library/PresetLibrary.h"
#include "protocol/BankTransfer.h"
#include "protocol/FetchedNames.h"

namespace kestralux {

// `library` may be null or read-only: then only the history keeps it. Failures are said on
// `err` after `program` and stop nothing, and so is what the library found in the write (its
// file replaced or damaged under the program), once.
Noted keepBankMove(const BankMove& move, const std::filesystem::path& historyFolder, PresetLibrary* library,
                   std::ostream& err, const char* program, std::time_t now = std::time(nullptr));

// The library's newest name for a sound, for a fetch's presets; "" without a library.
NewestName newestNameIn(PresetLibrary* library);

}  // namespace kestralux
