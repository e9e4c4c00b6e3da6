#pragma once
// Finding the combo: the bank request goes out on each output in turn and every input is
// listened to; the input on which a whole preset message of ours arrives within a second of
// the request pairs with that output. The combo has then started sending its bank, and the
// messages of that answer are kept, so the caller takes them as a fetch instead of asking again.
//
// ComboDetection is the rule alone, driven by the caller's clock and fed the caller's
// messages: nothing waits and nothing runs on another thread, so the window runs it from its
// timer. ComboFinder puts it on MIDI ports.

#include <chrono>
#include <cstdint>
#include <functional>
#include <optional>
#include <span>
#include <vector>

#include "protocol/BankTransfer.h"

namespace kestralux {

// How long a request waits for the first preset message of an answer.
inline constexpr std::chrono::milliseconds kDetectionWindow{1000};
// The outputs are asked one after another this far apart, each without waiting for its whole
// window: an answer names the input at once, and which output reached the combo is settled
// by asking again.
inline constexpr std::chrono::milliseconds kAskingGap{100};

struct ComboPair {
  std::uint32_t output = 0;  // device numbers, as combo.cfg keeps them
  std::uint32_t input = 0;
  bool operator==(const ComboPair&) const = default;
};

class ComboDetection {
 public:
  enum class State { Running, Found, NotFound };
  using Message = std::vector<std::uint8_t>;
  // Sends the bank request on output `device`; false when it could not go out, and the
  // output is passed over.
  using SendRequest = std::function<bool(std::uint32_t device)>;

  ComboDetection(std::uint32_t outputCount, std::uint32_t inputCount, SendRequest send);

  // Sends the first request. With no output or no input it is NotFound at once.
  State start(TransferClock::time_point now);
  // A whole message heard on input `input`.
  State receive(std::uint32_t input, std::span<const std::uint8_t> message, TransferClock::time_point now);
  // Moves on when a window has passed without an answer; call it every few tens of ms.
  State tick(TransferClock::time_point now);

  State state() const;
  // The pair, once Found. Two combos: the output tried first that pairs wins, and the later
  // outputs are never asked.
  std::optional<ComboPair> found() const;

  // Once Found: the preset messages (0x2A, 0x2B, whole or damaged) the found input has brought
  // since the request that paired it, in order; it grows with receive() until answerEnded().
  // To take the answer as a fetch, once it has ended and the listening has stopped:
  //     protocol.fetch.expectSpareAnswers(detection.spareAnswers(), now);
  //     protocol.fetch.requested(now, false);                   // no second request
  //     for (const auto& m : detection.answer()) engine.MIDI_LONG_DATA(m);
  // and the next poll tick decodes them as any fetch (notices, bank complete, history).
  // Waiting for the end means no message is lost or taken twice between the detection's
  // listening and the engine's input.
  const std::vector<Message>& answer() const { return answer_; }
  // 30 messages of the answer have come, or none for kTransferSilenceLimit.
  bool answerEnded() const { return phase_ == Phase::Found && answerEnded_; }

  // How many bank requests went out, the confirmation included.
  int requestsSent() const { return requestsSent_; }
  // Once Found: answers beyond answer() that may still come, because the request that paired
  // was sent twice (kRequestRepeatAfter without an answer). The fetch that takes the answer
  // skips them: BankFetch::expectSpareAnswers.
  int spareAnswers() const { return spareAnswers_; }

 private:
  // An answer may come to any output asked within kDetectionWindow before it, a late combo's
  // to an earlier one. A request that brings nothing for kRequestRepeatAfter is sent once more,
  // and its twin answer is let go by before the candidates are asked again, so that it
  // confirms none. While only the first output has been asked there is no other to blame,
  // so its answer is taken at once. Otherwise the outputs that may have caused it are the
  // candidates: once the answer has ended (so no reply is lost to a combo busy sending), each
  // is asked again, the latest first, and only a new answer on the same input within
  // kDetectionWindow confirms one. When none does, the search goes on with the next output.
  enum class Phase { Idle, Asking, CandidateAnswering, Confirming, Found, NotFound };

  void askNext(TransferClock::time_point now);
  bool ask(std::uint32_t output, TransferClock::time_point now);
  bool askAgainWhereSilent(TransferClock::time_point now);
  // The answer has ended and, with requests sent twice, the other answer has gone by too.
  bool answerOver(TransferClock::time_point now) const;
  void confirmNext(TransferClock::time_point now);
  void foundWith(std::vector<Message> answer, TransferClock::time_point now);

  std::uint32_t outputCount_;
  std::uint32_t inputCount_;
  SendRequest send_;
  Phase phase_ = Phase::Idle;
  std::uint32_t nextOutput_ = 0;         // the next output not yet asked
  std::optional<std::uint32_t> output_;  // the output asked last
  std::uint32_t input_ = 0;              // the candidate's or the pair's input
  std::vector<std::optional<TransferClock::time_point>> askedAt_;
  // Outputs whose request has been sent once more; the confirmation's, likewise.
  std::vector<bool> askedAgain_;
  bool anyAskedAgain_ = false;
  bool confirmationAskedAgain_ = false;
  int spareAnswers_ = 0;
  std::vector<std::uint32_t> candidates_;  // still to confirm, the latest asked last
  TransferClock::time_point lastAsked_{};
  TransferClock::time_point lastHeard_{};
  // Per input, the preset messages heard since the last request.
  std::vector<std::vector<Message>> heard_;
  std::vector<Message> answer_;
  bool answerEnded_ = false;
  int requestsSent_ = 0;
};

}  // namespace kestralux
