#include "live/StagePlay.h"

namespace kestralux {

StagePlay::StagePlay(Setlist setlist, Send send) : setlist_(std::move(setlist)), send_(std::move(send)) {}

StepResult StagePlay::start() { return step({StepKind::First, 0}); }

StepResult StagePlay::play(int index) {
  if (!send_ || !send_(setlist_.songs[static_cast<std::size_t>(index)].sound)) return {StepOutcome::SendFailed, index};
  current_ = index;
  endOfSet_ = false;
  return {StepOutcome::Played, index};
}

StepResult StagePlay::step(const Step& step) {
  const int count = static_cast<int>(setlist_.songs.size());
  if (count == 0) return {StepOutcome::NoSuchSong, -1};
  switch (step.kind) {
    case StepKind::First: return play(0);
    case StepKind::Song:
      if (step.song < 1 || step.song > count) return {StepOutcome::NoSuchSong, -1};
      return play(step.song - 1);
    case StepKind::Next: {
      // Before anything went out (the first song's send failed) a next plays the first song.
      const int next = current_ ? *current_ + 1 : 0;
      if (next >= count) {
        endOfSet_ = true;
        return {StepOutcome::EndOfSet, -1};
      }
      return play(next);
    }
    case StepKind::Previous: {
      if (!current_) return play(0);
      if (*current_ == 0) return {StepOutcome::StartOfSet, -1};
      return play(*current_ - 1);
    }
  }
  return {StepOutcome::NoSuchSong, -1};
}

const Song* StagePlay::currentSong() const {
  return current_ ? &setlist_.songs[static_cast<std::size_t>(*current_)] : nullptr;
}

const Song* StagePlay::nextSong() const {
  const std::size_t next = current_ ? static_cast<std::size_t>(*current_) + 1 : 0;
  return next < setlist_.songs.size() ? &setlist_.songs[next] : nullptr;
}

std::string StagePlay::positionText() const {
  const std::string count = std::to_string(setlist_.songs.size());
  return (current_ ? std::to_string(*current_ + 1) : std::string("-")) + " / " + count;
}

std::string StagePlay::stepLine() const {
  const Song* song = currentSong();
  if (!song) return {};
  return std::to_string(*current_ + 1) + "/" + std::to_string(setlist_.songs.size()) + " " + song->title + ": " +
         soundNameText(*song);
}

std::string stepOutcomeText(const StepResult& result, const Step& step) {
  switch (result.outcome) {
    case StepOutcome::Played: return {};
    case StepOutcome::SendFailed: return "SEND FAILED";
    case StepOutcome::EndOfSet: return kEndOfSetText;
    case StepOutcome::StartOfSet: return "FIRST SONG OF THE SET";
    case StepOutcome::NoSuchSong:
      return step.kind == StepKind::Song ? "NO SONG " + std::to_string(step.song) + " IN THIS SET" : "NO SONG IN THIS SET";
  }
  return {};
}

}  // namespace kestralux
