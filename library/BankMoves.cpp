#include "library/BankMoves.h"

#include "files/BankHistory.h"

namespace kestralux {

Noted keepBankMove(const BankMove& move, const std::filesystem::path& historyFolder, PresetLibrary* library,
                   std::ostream& err, const char* program, std::time_t now) {
  if (const auto why = keepInHistory(historyFolder, move.bank, historyKind(move), now))
    err << program << ": the history of banks could not keep this bank (" << *why << ")\n";
  if (move.kind == BankMove::Kind::BeforeFetch || !library || !library->writable() || move.which.none()) return {};
  const SightingKind kind = move.kind == BankMove::Kind::Stored ? SightingKind::Stored : SightingKind::Fetched;
  Noted noted = library->noteBank(move.bank, Place{kind, 0, {}}, now, move.which);
  if (noted.error) err << program << ": the library could not note this bank (" << *noted.error << ")\n";
  noted.notice = library->takeNotice();
  if (noted.notice) err << program << ": " << *noted.notice << "\n";
  return noted;
}

NewestName newestNameIn(PresetLibrary* library) {
  return [library](const PresetRecord& sound) { return library && library->connection() ? library->newestName(sound) : std::string(); };
}

}  // namespace kestralux
