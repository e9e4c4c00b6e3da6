#pragma once
// Playing a setlist: where in the set the stage is, and what a step plays. A step sends the
// song's sound whole as the combo's current sound, and the position moves only once it went
// out; it is never an edit, never a store, and the bank and its history are not touched.
// The stage view, the foot controller and `kestralux-tool live` share these rules.

#include <functional>
#include <optional>
#include <string>

#include "live/Setlist.h"

namespace kestralux {

enum class StepKind {
  Next,      // Space, Right, Down, PageDown, a click on the right half, CC 80, Enter in the tool
  Previous,  // Left, Up, PageUp, a click on the left half, CC 81, b in the tool
  First,     // Home
  Song,      // a number then Enter; Program Change n plays song n + 1
};

struct Step {
  StepKind kind = StepKind::Next;
  int song = 0;  // for StepKind::Song: the song's number, from 1
};

enum class StepOutcome {
  Played,      // the song's sound went out: it is now the current song
  SendFailed,  // it could not be sent: the position stays where it was
  EndOfSet,    // a next past the last song: nothing sent, the set does not wrap
  StartOfSet,  // a previous before the first song: nothing sent
  NoSuchSong,  // a number outside the set (or an empty set): nothing sent
};

struct StepResult {
  StepOutcome outcome = StepOutcome::NoSuchSong;
  int song = -1;  // the index (from 0) that played or was to play; -1 when none
};

// Shown in the stage view past the last song.
inline constexpr const char* kEndOfSetText = "END OF THE SET";

class StagePlay {
 public:
  // Sends a sound whole as the combo's current sound; whether every message went out.
  using Send = std::function<bool(const PresetRecord& sound)>;

  StagePlay(Setlist setlist, Send send);

  // Sends the first song's sound: what playing starts with. NoSuchSong for an empty set.
  StepResult start();
  StepResult step(const Step& step);

  const Setlist& setlist() const { return setlist_; }
  // The current song's index; nothing before a song has gone out.
  std::optional<int> current() const { return current_; }
  const Song* currentSong() const;
  // The song a next would play; nothing at the end.
  const Song* nextSong() const;
  // A next was asked for past the last song, and nothing has played since.
  bool endOfSet() const { return endOfSet_; }

  // "3 / 12" for the stage view; "- / 12" before a song played.
  std::string positionText() const;
  // "3/12 TITLE: SOUND" for the tool's line per step; empty before a song played.
  std::string stepLine() const;

 private:
  StepResult play(int index);

  Setlist setlist_;
  Send send_;
  std::optional<int> current_;
  bool endOfSet_ = false;
};

// What a step that moved nothing says, for a second on stage and as the tool's line:
// "NO SONG 42 IN THIS SET", "END OF THE SET", "SEND FAILED". Empty for Played.
std::string stepOutcomeText(const StepResult& result, const Step& step);

}  // namespace kestralux
