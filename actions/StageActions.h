#pragma once
// Playing a setlist on stage, whatever the step comes from: a key, a click on the stage view or
// the foot controller. A step sends the song's sound whole as the combo's current sound, the
// way a library sound is heard, so the bank, the preset on screen and the undo history are
// never touched. While the stage is up nothing else reaches the combo: a control of the main
// window, a preset waiting to be resent or a fetched bank being shown all go nowhere, so the
// sound a player stands on changes only by a step.
//
// The foot controller's messages come here whether or not the stage is up, so LEARN works
// from the controller choice as well.

#include <cstdint>
#include <functional>
#include <optional>
#include <span>
#include <string>

#include "actions/EditorActions.h"
#include "actions/StageScreen.h"
#include "live/FootController.h"
#include "live/StagePlay.h"
#include "model/EditorState.h"

namespace kestralux {

// The keys of the stage view, whatever toolkit reads them.
enum class StageKey { Next, Previous, First, Digit, Enter, Backspace, Escape, Other };

// Space, Right, Down and PageDown go on; Left, Up and PageUp go back; Home goes to the first.
// The window maps its own key codes to these.
enum class StageKeyOutcome { Taken, Leave, Ignored };

// What refuses PLAY.
inline constexpr const char* kStoreRunning = "WAIT FOR THE STORE TO END";
inline constexpr const char* kNoSongs = "THE SETLIST HAS NO SONGS";

class StageActions {
 public:
  StageActions(EditorActions& editor, EditorState& state);
  ~StageActions();
  StageActions(const StageActions&) = delete;
  StageActions& operator=(const StageActions&) = delete;

  // PLAY: the stage is up and the first song's sound goes out. What refused it, else nothing.
  std::optional<std::string> begin(Setlist setlist);
  // The stage is down. The combo goes on playing the song it played, which the editor says
  // it is hearing, until the user returns to the preset on screen.
  void leave();
  bool playing() const { return play_.has_value(); }
  const StagePlay* play() const { return play_ ? &*play_ : nullptr; }

  // A key of the stage view; `digit` 0..9 with StageKey::Digit. Esc leaves, unless a number is
  // being typed: then it only forgets the number.
  StageKeyOutcome key(StageKey key, int digit = -1);
  // A click on the right half goes on, on the left half back.
  void click(bool rightHalf);
  // Bytes from the foot controller's port, as they came.
  void controllerBytes(std::span<const std::uint8_t> bytes);
  // One message from it.
  void controllerMessage(const ControllerMessage& message);

  void setConnected(bool connected);
  StageScreen screen() const;
  // The screen may show something else now.
  std::function<void()> changed;

  // The foot controller: its port (by name) and what its messages mean. The window that
  // chooses the port opens it; these are the rules.
  const FootControllerSettings& controller() const { return controller_; }
  void setController(FootControllerSettings settings);
  // LEARN: the next CC pressed, note-on or Program Change becomes the trigger of `target`.
  void beginLearn(LearnTarget target);
  void cancelLearn();
  bool learning() const { return learn_.learning(); }
  // What the controller sent last, described; what LEARN took says "NEXT = CC 64".
  const std::string& lastHeard() const { return lastHeard_; }
  // The mapping changed by LEARN: to be remembered.
  std::function<void(const FootControllerSettings&)> controllerChanged;

 private:
  StepResult step(const Step& step, const std::string& cause = {});
  bool send(const PresetRecord& sound);
  void tell();

  EditorActions& editor_;
  EditorState& state_;
  std::optional<StagePlay> play_;
  // What held the combo's sends before the stage took them.
  bool suppressedBefore_ = false;
  bool connected_ = true;
  std::string passing_;
  std::string typed_;
  FootControllerSettings controller_;
  ControllerByteParser parser_;
  FootLearn learn_;
  std::string lastHeard_;
};

}  // namespace kestralux
