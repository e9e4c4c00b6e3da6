#pragma once
// LIBRARY > SETLISTS without the window: the setlists the library keeps, made, renamed,
// copied, deleted and filled with songs, each change one undo step of this window's own and
// written to the library at once; the .setlist file in and out; and PUT INTO THE BANK, which
// goes through the editor's actions as any arrangement of the bank does.
//
// Every method that changes something returns what the window's status line says.

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "actions/EditorActions.h"
#include "library/LibrarySetlists.h"
#include "live/Setlist.h"

namespace kestralux {

class SetlistActions {
 public:
  // Without a library (none could be opened) setlists live until the end of the run, and the
  // window says so at each change.
  SetlistActions(EditorActions& editor, PresetLibrary* library);

  // Reads the library's setlists again; what it could not read is the text returned.
  std::string reload();
  const std::vector<Setlist>& setlists() const { return setlists_; }
  const Setlist* setlist(std::size_t n) const { return n < setlists_.size() ? &setlists_[n] : nullptr; }
  // Where a setlist stands in the list, by its library id.
  std::optional<std::size_t> indexOf(std::int64_t id) const;

  // Setlists. `make` names the new one "SETLIST n" with the first n free.
  std::string make();
  std::string rename(std::size_t n, const std::string& name);
  std::string copy(std::size_t n);
  std::string remove(std::size_t n);

  // Songs of setlist n. `at` may be the number of songs (the end).
  std::string addSongs(std::size_t n, std::size_t at, const std::vector<Song>& songs);
  std::string removeSongs(std::size_t n, const std::vector<std::size_t>& rows);
  // The songs at `rows` (in increasing order), gathered in their order to land before the
  // song that is at `before` now (the number of songs: at the end).
  std::string moveSongs(std::size_t n, const std::vector<std::size_t>& rows, std::size_t before);
  // Ctrl+Up / Ctrl+Down: one place up (-1) or down (+1).
  std::string nudgeSong(std::size_t n, std::size_t row, int by);
  std::string setTitle(std::size_t n, std::size_t row, const std::string& title);
  std::string setNote(std::size_t n, std::size_t row, const std::string& note);

  // What a change left for the window to select: the setlist and the first and last rows.
  struct Landed {
    std::size_t setlist = 0;
    std::size_t first = 0;
    std::size_t count = 0;
  };
  const Landed& landed() const { return landed_; }

  bool canUndo() const { return done_ > 0; }
  bool canRedo() const { return done_ < history_.size(); }
  std::string undo();
  std::string redo();

  // The songs the editor offers: the sound on screen, a bank slot, a library sound.
  Song songOnScreen() const;
  Song songOfSlot(int slot) const;

  // The .setlist file: the text of setlist n, and a file's text taken in as a new setlist
  // (named by its SETLIST line, else `fileName`); a line that is not a song refuses the
  // whole file, with its number.
  std::string exportText(std::size_t n) const;
  std::string importText(const std::string& text, const std::string& fileName);

  // PUT INTO THE BANK: slots 1..n take the songs' sounds, each named by its title, as one undo
  // step of the editor's. Refused for more than 30 songs and during a transfer.
  std::string putIntoBank(std::size_t n);

 private:
  struct Change {
    std::optional<Setlist> before;  // nothing: the change made it
    std::optional<Setlist> after;   // nothing: the change deleted it
    std::string what;               // "3 SONGS ADDED", for UNDO and REDO to say
    std::size_t place = 0;          // where in the list a made or deleted one stands
  };
  // Writes `setlist` to the library (a new one gets its id); the failure's text, else empty.
  std::string keep(Setlist& setlist);
  std::string drop(std::int64_t id);
  // Applies a change in one direction; the text of a library failure, else empty.
  std::string apply(const std::optional<Setlist>& from, std::optional<Setlist> to, std::size_t place);
  // Records a change already applied.
  void record(Change change);
  // A setlist added again under a new id: the steps that name the old id name the new one.
  void renumber(std::int64_t from, std::int64_t to);
  std::string changed(std::size_t n, Setlist after, std::string said);
  std::string saidWith(std::string said, const std::string& failure) const;
  std::string freshName(const std::string& base) const;

  EditorActions& editor_;
  PresetLibrary* library_;
  std::vector<Setlist> setlists_;
  std::vector<Change> history_;
  std::size_t done_ = 0;
  // Ids for setlists the library does not keep (none is open), counted down from -1.
  std::int64_t nextLocalId_ = -1;
  Landed landed_;
};

inline constexpr const char* kNotKept = "NOT KEPT IN THE LIBRARY";

}  // namespace kestralux
