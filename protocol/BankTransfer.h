#pragma once
// The bank transfers in both directions. The fetch takes the device's 30 preset messages
// into the bank through a cursor of its own, so the preset on screen stays the one that is
// edited while presets arrive; it tells what it received, what was damaged and when the
// device fell silent. The store sends the 30 messages of the bank as it was when the user
// confirmed, one at a time, so whoever drives it can pace them.

#include <bitset>
#include <chrono>
#include <cstdint>
#include <string>
#include <vector>

#include "protocol/RxRing.h"
#include "model/PresetRecord.h"
#include "protocol/Sysex.h"

namespace kestralux {

using TransferClock = std::chrono::steady_clock;

// A device that says nothing for this long after the request, or in the middle of a
// transfer, is taken to have stopped. A slow device that keeps sending is never cut off.
inline constexpr std::chrono::milliseconds kTransferSilenceLimit{2000};
// A bank request that has brought nothing for this long is sent once more: a MIDI server on a
// busy machine may drop a message between its clients. The combo may then answer both.
inline constexpr std::chrono::milliseconds kRequestRepeatAfter{500};

// What a received message is to a bank transfer.
enum class SlotVerdict {
  NotOurs,  // foreign framing or model, a byte of 0x80 or more, or no preset command
  Damaged,  // our framing and a preset command, but not whole or its checksum is wrong
  Whole,    // a whole preset message of ours with a matching checksum
};

struct SlotReading {
  SlotVerdict verdict = SlotVerdict::NotOurs;
  std::uint8_t command = 0;
};

SlotReading readSlot(const RxSlot& slot);

// Transient texts for the user; the first is shown at once, each further one after it.
using Notices = std::vector<std::string>;

class BankFetch {
 public:
  struct Report {
    Notices notices;        // empty when there is nothing to tell
    bool complete = false;  // a 0x2B has reached the last record: show preset 1
    bool ended = false;     // the transfer (or the wait for it) is over, complete or not
    int decoded = -1;       // the record a whole preset message was written into
    bool askAgain = false;  // send the bank request once more
  };

  // The bank request went out: from now on silence is an unanswered request, and the answer
  // starts at record 0 even when its 0x2A is lost. Asked again while an answer is on its way,
  // that answer goes on and the next one is awaited. A new request that has brought nothing
  // for kRequestRepeatAfter is asked by checkSilence to go once more, unless
  // `askAgainWhenSilent` is false (the answer is already at hand).
  void requested(TransferClock::time_point now, bool askAgainWhenSilent = true);
  // Requests of ours went out twice (the search's): `count` answers beyond the one taken may
  // still come, and are skipped.
  void expectSpareAnswers(int count, TransferClock::time_point now);

  // One received message. 0x2A starts at record 0, 0x2B goes to the record after the
  // cursor; a damaged one holds its place and its record keeps its values. Messages that
  // are not ours, single-store messages and a 0x2B with the cursor on the last record are
  // skipped without moving the cursor. A complete transfer puts the cursor back to 0.
  // Only an answer to a request of ours is taken: a bank that comes while nothing was asked
  // for answers another program, changes nothing and is only told.
  Report take(const RxSlot& slot, PresetBank& bank, TransferClock::time_point now);

  // Ends a request or transfer that has heard nothing for kTransferSilenceLimit; asks for the
  // request to go once more after kRequestRepeatAfter, and from then on counts the silence
  // from that second request.
  Report checkSilence(TransferClock::time_point now);

  int cursor() const { return cursor_; }
  // Preset messages of the current or last transfer, whole or damaged.
  int received() const { return received_; }
  bool waiting() const { return phase_ != Phase::Idle; }
  // Records (0..29) of the current or last transfer that arrived damaged.
  const std::vector<int>& damaged() const { return damaged_; }
  // Records (0..29) of the current or last transfer that arrived whole.
  const std::bitset<kPresetCount>& arrived() const { return arrived_; }

 private:
  enum class Phase { Idle, Requested, Receiving };

  Notices endNotices(std::string first) const;
  void awaitNextAnswer(TransferClock::time_point now);
  std::string receivedNotice() const;

  bool skipSpare(std::uint8_t command, TransferClock::time_point now);

  Phase phase_ = Phase::Idle;
  int cursor_ = 0;
  // The request of this round may still be sent once more.
  bool mayAskAgain_ = false;
  TransferClock::time_point requestedAt_{};
  // Answers to requests sent twice that may still come: each round takes one answer, and the
  // combo answering both requests must not make a second transfer of the same bank.
  int spareAnswers_ = 0;
  // A spare answer is going by: where its cursor stands.
  bool skipping_ = false;
  int skipCursor_ = 0;
  int received_ = 0;
  TransferClock::time_point lastHeard_{};
  std::vector<int> damaged_;
  std::bitset<kPresetCount> arrived_;
  // Asked again while an answer was on its way: the next answer is ours too.
  bool askedAgain_ = false;
  bool quietWhenUnanswered_ = false;
};

// A bank that came from the combo or went to it, or the editor's bank that a clicked fetch is
// about to replace: what the history of banks and the preset library keep of it.
struct BankMove {
  enum class Kind { Fetched, Stored, BeforeFetch, BeforeLoad };
  Kind kind = Kind::Fetched;
  PresetBank bank{};                // as it came or went, the names as the fetch gave them
  std::bitset<kPresetCount> which;  // the slots that came whole or went out
  int damaged = 0;                  // presets of a fetch that came damaged
  std::string note;                 // said after the kind in the history ("bank before it not read")
};

// As the history of banks names it: "fetched", "fetched 11 of 30, 1 damaged", "stored",
// "stored 10 of 30", "before fetch", "before load".
std::string historyKind(const BankMove& move);

// A confirmed store: the messages are built when the user confirms and go out one by one.
class StoreSequence {
 public:
  void prepare(std::vector<PresetMessage> messages);

  bool pending() const { return next_ < messages_.size(); }
  // The next message to send, and the sequence moves past it. Only while pending().
  const PresetMessage& take() { return messages_[next_++]; }
  // The message just taken could not be sent.
  void failed() { ++failed_; }

  std::size_t sent() const { return next_; }
  const std::vector<PresetMessage>& messages() const { return messages_; }
  std::size_t total() const { return messages_.size(); }

  std::string progressNotice() const;
  // "STORE FAILED" when any message could not be sent.
  std::string endNotice() const;
  std::size_t failures() const { return failed_; }

 private:
  std::vector<PresetMessage> messages_;
  std::size_t next_ = 0;
  std::size_t failed_ = 0;
};

}  // namespace kestralux
