#pragma once
// The .setlist file: plain UTF-8 text a person can read, reorder in any text editor and hand to
// the band. One song a line, in play order: the title, the sound's name, every value of the
// sound in the words the window shows it in, and the note:
//
//   SETLIST "Friday at the Anchor"
//   "Hold the Line" "CRUNCH 2" AMP="BRIT BLUES" GAIN=7.50 ... RATE=1.2 NOTE="capo 2"
//
// Texts stand between double quotes, with \" \\ \t \n \r and \xHH for the other control
// characters. A value that its words cannot carry exactly (a position the window shows the
// same as another, or one beyond the control's range) is written as its number: GAIN=#200.
// Blank lines and lines starting with '#' are for people; any other line must be a song.

#include <optional>
#include <string>
#include <string_view>

#include "live/Setlist.h"

namespace kestralux {

inline constexpr std::string_view kSetlistExtension = ".setlist";

// The file's text for `setlist`.
std::string setlistFileText(const Setlist& setlist);
// One song as its line, without the line feed (also what a copy puts on the clipboard).
std::string songLine(const Song& song);

struct SetlistFileError {
  int line = 0;        // from 1
  std::string reason;  // "no sound name", "GAIN: \"eleven\" is not a value it shows"

  // "line 7: no sound name"
  std::string text() const;
};

struct SetlistReading {
  std::optional<Setlist> setlist;  // nothing when any line is refused
  std::optional<SetlistFileError> error;
};

// The setlist a file's text holds, named by its SETLIST line or else `fallbackName`. The first
// line that is not a song (nor blank, a comment or the name) refuses the whole file.
SetlistReading readSetlistFile(std::string_view text, const std::string& fallbackName);
// One song line: what a paste takes.
std::optional<Song> readSongLine(std::string_view line, std::string* reason = nullptr);

// Parameter `parameter` of `sound` as the file writes it: its words, or "#N".
std::string soundValueText(const PresetRecord& sound, int parameter);
// The file's key for a parameter: "AMP", "GAIN", ... "D.TIME", "ADJUST1", "RATE".
std::string_view soundValueKey(int parameter);

}  // namespace kestralux
