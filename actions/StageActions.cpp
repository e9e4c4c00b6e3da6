#include "actions/StageActions.h"

#include <utility>

namespace kestralux {

namespace {

// Three digits reach any song a set can hold; more would be a finger resting on a key.
constexpr std::size_t kMostDigits = 3;

std::string songTitle(const Song& song) { return song.title.empty() ? soundNameText(song) : song.title; }

// A press that means nothing yet is worth a moment's notice; its release is not.
bool isRelease(const ControllerMessage& message) {
  switch (message.kind) {
    case ControllerMessage::Kind::ControlChange: return message.value < kPressedValue;
    case ControllerMessage::Kind::NoteOn: return message.value == 0;
    case ControllerMessage::Kind::NoteOff: return true;
    case ControllerMessage::Kind::ProgramChange: return false;
  }
  return true;
}

std::string triggerSide(LearnTarget target) { return target == LearnTarget::Next ? "NEXT = " : "PREVIOUS = "; }

}  // namespace

StageActions::StageActions(EditorActions& editor, EditorState& state) : editor_(editor), state_(state) {}

StageActions::~StageActions() { leave(); }

std::optional<std::string> StageActions::begin(Setlist setlist) {
  if (play_) leave();
  if (state_.StoreInProgress || state_.StoreRequested) return std::string(kStoreRunning);
  if (setlist.songs.empty()) return std::string(kNoSongs);
  // From here on only a step reaches the combo.
  suppressedBefore_ = state_.SendSuppressed;
  state_.SendSuppressed = true;
  typed_.clear();
  play_.emplace(std::move(setlist), [this](const PresetRecord& sound) { return send(sound); });
  const StepResult first = play_->start();
  passing_ = stepOutcomeText(first, Step{StepKind::First, 1});
  tell();
  return std::nullopt;
}

void StageActions::leave() {
  if (!play_) return;
  const Song* last = play_->currentSong();
  const std::optional<PresetRecord> playing = last ? std::optional<PresetRecord>(last->sound) : std::nullopt;
  play_.reset();
  typed_.clear();
  state_.SendSuppressed = suppressedBefore_;
  // Whatever the editor did meanwhile, the combo plays the last song until the user goes back
  // to the preset on screen.
  if (playing) editor_.hearingAlready(*playing);
  tell();
}

bool StageActions::send(const PresetRecord& sound) {
  // The one way through the lock: the song's sound, whole, as the combo's current sound.
  state_.SendSuppressed = false;
  const bool sent = editor_.audition(sound);
  state_.SendSuppressed = true;
  return sent;
}

StepResult StageActions::step(const Step& step, const std::string& cause) {
  const StepResult result = play_->step(step);
  const std::string said = stepOutcomeText(result, step);
  passing_ = said.empty() || cause.empty() ? said : cause + ": " + said;
  tell();
  return result;
}

StageKeyOutcome StageActions::key(StageKey key, int digit) {
  if (!play_) return StageKeyOutcome::Ignored;
  switch (key) {
    case StageKey::Next: step({StepKind::Next, 0}); return StageKeyOutcome::Taken;
    case StageKey::Previous: step({StepKind::Previous, 0}); return StageKeyOutcome::Taken;
    case StageKey::First: step({StepKind::First, 0}); return StageKeyOutcome::Taken;
    case StageKey::Digit:
      if (digit < 0 || digit > 9) return StageKeyOutcome::Ignored;
      if (typed_.size() < kMostDigits && !(typed_.empty() && digit == 0)) typed_ += static_cast<char>('0' + digit);
      tell();
      return StageKeyOutcome::Taken;
    case StageKey::Backspace:
      if (typed_.empty()) return StageKeyOutcome::Ignored;
      typed_.pop_back();
      tell();
      return StageKeyOutcome::Taken;
    case StageKey::Enter: {
      if (typed_.empty()) return StageKeyOutcome::Ignored;
      const int song = std::stoi(typed_);
      typed_.clear();
      step({StepKind::Song, song});
      return StageKeyOutcome::Taken;
    }
    case StageKey::Escape:
      // A number half typed is what Esc takes back first; the stage stays up.
      if (!typed_.empty()) {
        typed_.clear();
        tell();
        return StageKeyOutcome::Taken;
      }
      leave();
      return StageKeyOutcome::Leave;
    case StageKey::Other: return StageKeyOutcome::Ignored;
  }
  return StageKeyOutcome::Ignored;
}

void StageActions::click(bool rightHalf) {
  if (!play_) return;
  step({rightHalf ? StepKind::Next : StepKind::Previous, 0});
}

void StageActions::controllerBytes(std::span<const std::uint8_t> bytes) {
  for (const ControllerMessage& message : parser_.feed(bytes)) controllerMessage(message);
}

void StageActions::controllerMessage(const ControllerMessage& message) {
  const std::string heard = describeControllerMessage(message);
  if (learn_.learning()) {
    const LearnTarget target = *learn_.target();
    if (learn_.offer(message, controller_.mapping)) {
      lastHeard_ = triggerSide(target) + describeFootTrigger(target == LearnTarget::Next ? controller_.mapping.next
                                                                                           : controller_.mapping.previous);
      if (controllerChanged) controllerChanged(controller_);
      tell();
      return;
    }
  }
  lastHeard_ = heard;
  if (!play_) return tell();
  if (const std::optional<Step> asked = stepOfMessage(controller_.mapping, message)) {
    step(*asked, heard);
    return;
  }
  if (isRelease(message)) return tell();
  passing_ = heard + ": NOTHING IN THIS SET";
  tell();
}

void StageActions::setConnected(bool connected) {
  if (connected == connected_) return;
  connected_ = connected;
  tell();
}

void StageActions::setController(FootControllerSettings settings) {
  controller_ = std::move(settings);
  parser_.reset();
  tell();
}

void StageActions::beginLearn(LearnTarget target) {
  learn_.begin(target);
  lastHeard_ = target == LearnTarget::Next ? "PRESS THE PEDAL FOR NEXT" : "PRESS THE PEDAL FOR PREVIOUS";
  tell();
}

void StageActions::cancelLearn() {
  if (!learn_.learning()) return;
  learn_.cancel();
  lastHeard_.clear();
  tell();
}

StageScreen StageActions::screen() const {
  StageScreen screen;
  screen.connected = connected_;
  screen.passing = passing_;
  screen.typed = typed_;
  screen.controller = controller_.port;
  if (!play_) return screen;
  if (const Song* song = play_->currentSong()) {
    screen.title = songTitle(*song);
    screen.sound = soundNameText(*song);
    screen.note = song->note;
  }
  if (const Song* next = play_->nextSong()) screen.next = songTitle(*next);
  screen.endOfSet = play_->current() && !play_->nextSong();
  screen.position = play_->positionText();
  return screen;
}

void StageActions::tell() {
  if (changed) changed();
  // A moment's message is said once; the view keeps it up for its second.
  passing_.clear();
}

}  // namespace kestralux
