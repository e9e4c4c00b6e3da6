#include "protocol/ComboDetection.h"

#include <algorithm>

#include "protocol/RxRing.h"

namespace kestralux {

namespace {

// The message as the fetch would read it from the receive ring, so the detection takes
// exactly what a fetch takes: an echo of our 10-byte request is too short to be anything.
SlotReading readMessage(std::span<const std::uint8_t> message) {
  RxRing ring;
  if (ring.store(message) != RxStoreResult::Stored) return {};
  return readSlot(ring.takeNext());
}

// A message of a bank answer, whole or damaged: the fetch needs the damaged ones too, to keep
// every preset in its place.
bool partOfAnswer(const SlotReading& reading) {
  return reading.verdict != SlotVerdict::NotOurs &&
         (reading.command == CMD_BANK_FIRST || reading.command == CMD_BANK_NEXT);
}

}  // namespace

ComboDetection::ComboDetection(std::uint32_t outputCount, std::uint32_t inputCount, SendRequest send)
    : outputCount_(outputCount), inputCount_(inputCount), send_(std::move(send)) {}

ComboDetection::State ComboDetection::state() const {
  switch (phase_) {
    case Phase::Found:
      return State::Found;
    case Phase::NotFound:
      return State::NotFound;
    default:
      return State::Running;
  }
}

std::optional<ComboPair> ComboDetection::found() const {
  if (phase_ != Phase::Found) return std::nullopt;
  return ComboPair{*output_, input_};
}

ComboDetection::State ComboDetection::start(TransferClock::time_point now) {
  heard_.assign(inputCount_, {});
  answer_.clear();
  answerEnded_ = false;
  output_.reset();
  nextOutput_ = 0;
  askedAt_.assign(outputCount_, std::nullopt);
  askedAgain_.assign(outputCount_, false);
  anyAskedAgain_ = false;
  confirmationAskedAgain_ = false;
  spareAnswers_ = 0;
  candidates_.clear();
  requestsSent_ = 0;
  if (outputCount_ == 0 || inputCount_ == 0) {
    phase_ = Phase::NotFound;
    return state();
  }
  phase_ = Phase::Asking;
  askNext(now);
  return state();
}

bool ComboDetection::ask(std::uint32_t output, TransferClock::time_point now) {
  if (!send_ || !send_(output)) return false;
  output_ = output;
  ++requestsSent_;
  askedAt_[output] = now;
  lastAsked_ = now;
  return true;
}

// The next output not asked yet; a failed send passes it over.
void ComboDetection::askNext(TransferClock::time_point now) {
  while (nextOutput_ < outputCount_)
    if (ask(nextOutput_++, now)) return;
}

// Outputs asked once that have heard nothing for kRequestRepeatAfter are asked again, the
// earliest first; whether one was.
bool ComboDetection::askAgainWhereSilent(TransferClock::time_point now) {
  bool asked = false;
  for (std::uint32_t o = 0; o < outputCount_; ++o) {
    if (!askedAt_[o] || askedAgain_[o] || now - *askedAt_[o] < kRequestRepeatAfter) continue;
    askedAgain_[o] = true;
    if (ask(o, now)) asked = anyAskedAgain_ = true;
  }
  return asked;
}

bool ComboDetection::answerOver(TransferClock::time_point now) const {
  if (now - lastHeard_ >= kTransferSilenceLimit) return true;
  if (heard_[input_].size() < kPresetCount) return false;
  return !anyAskedAgain_ || now - lastHeard_ >= kRequestRepeatAfter;
}

void ComboDetection::confirmNext(TransferClock::time_point now) {
  for (auto& messages : heard_) messages.clear();
  confirmationAskedAgain_ = false;
  while (!candidates_.empty()) {
    const std::uint32_t candidate = candidates_.back();
    candidates_.pop_back();
    if (ask(candidate, now)) {
      phase_ = Phase::Confirming;
      return;
    }
  }
  phase_ = Phase::Asking;
  askNext(now);
}

void ComboDetection::foundWith(std::vector<Message> answer, TransferClock::time_point now) {
  answer_ = std::move(answer);
  answerEnded_ = answer_.size() >= kPresetCount;
  lastHeard_ = now;
  phase_ = Phase::Found;
  heard_.assign(inputCount_, {});
}

ComboDetection::State ComboDetection::receive(std::uint32_t input, std::span<const std::uint8_t> message,
                                              TransferClock::time_point now) {
  if (input >= inputCount_) return state();
  const bool listening = phase_ == Phase::Asking || ((phase_ == Phase::CandidateAnswering || phase_ == Phase::Confirming ||
                                                      phase_ == Phase::Found) && input == input_);
  if (!listening || (phase_ == Phase::Found && answerEnded_)) return state();
  const SlotReading reading = readMessage(message);
  if (reading.verdict == SlotVerdict::NotOurs) return state();

  std::vector<Message>& kept = phase_ == Phase::Found ? answer_ : heard_[input];
  // An answer is 30 messages; what comes beyond is not kept, so a flood cannot grow it.
  if (partOfAnswer(reading)) {
    if (kept.size() < kPresetCount) kept.emplace_back(message.begin(), message.end());
    lastHeard_ = now;
  }
  switch (phase_) {
    case Phase::Asking:
      if (reading.verdict != SlotVerdict::Whole) break;
      input_ = input;
      lastHeard_ = now;
      if (std::count_if(askedAt_.begin(), askedAt_.end(), [](const auto& at) { return at.has_value(); }) == 1) {
        spareAnswers_ = anyAskedAgain_ ? 1 : 0;
        foundWith(std::move(kept), now);
        break;
      }
      candidates_.clear();
      for (std::uint32_t o = 0; o < outputCount_; ++o)
        if (askedAt_[o] && now - *askedAt_[o] <= kDetectionWindow) candidates_.push_back(o);
      std::sort(candidates_.begin(), candidates_.end(), [this](std::uint32_t a, std::uint32_t b) { return *askedAt_[a] < *askedAt_[b]; });
      phase_ = Phase::CandidateAnswering;
      if (answerOver(now)) confirmNext(now);
      break;
    case Phase::CandidateAnswering:
      if (answerOver(now)) confirmNext(now);
      break;
    case Phase::Confirming:
      if (reading.verdict != SlotVerdict::Whole) break;
      spareAnswers_ = confirmationAskedAgain_ ? 1 : 0;
      foundWith(std::move(kept), now);
      break;
    case Phase::Found:
      answerEnded_ = answer_.size() >= kPresetCount;
      break;
    default:
      break;
  }
  return state();
}

ComboDetection::State ComboDetection::tick(TransferClock::time_point now) {
  switch (phase_) {
    case Phase::Asking:
      if (askAgainWhereSilent(now)) break;
      if (nextOutput_ < outputCount_) {
        if (now - lastAsked_ >= kAskingGap) askNext(now);
      } else if (now - lastAsked_ >= kDetectionWindow) {
        phase_ = Phase::NotFound;
      }
      break;
    case Phase::Confirming:
      if (!confirmationAskedAgain_ && now - lastAsked_ >= kRequestRepeatAfter) {
        confirmationAskedAgain_ = true;
        ask(*output_, now);
      } else if (now - lastAsked_ >= kDetectionWindow) {
        confirmNext(now);
      }
      break;
    case Phase::CandidateAnswering:
      if (answerOver(now)) confirmNext(now);
      break;
    case Phase::Found:
      if (now - lastHeard_ >= kTransferSilenceLimit) answerEnded_ = true;
      break;
    default:
      break;
  }
  return state();
}

}  // namespace kestralux
