#pragma once
// What the stage view shows, as plain values: the window only draws it. Texts are UTF-8.

#include <string>

namespace kestralux {

struct StageScreen {
  std::string title;
  // The sound's name as the combo's presets are named; empty when it has none.
  std::string sound;
  std::string note;
  // The next song's title; empty on the last song.
  std::string next;
  // "3 / 12"; empty for a setlist without songs.
  std::string position;
  bool connected = true;
  // On the last song: there is no next one, and a step forward does nothing.
  bool endOfSet = false;
  // A moment's message: a controller message that means nothing in this setlist, a step whose
  // sound could not be sent, what LEARN took. The view shows it for a second.
  std::string passing;
  // Digits typed toward a jump, shown until Enter or Esc.
  std::string typed;
  // The foot controller's port, or empty with none chosen.
  std::string controller;

  bool operator==(const StageScreen&) const = default;
};

inline constexpr const char* kComboNotConnected = "COMBO NOT CONNECTED";
inline constexpr const char* kEndOfTheSet = "END OF THE SET";

}  // namespace kestralux
