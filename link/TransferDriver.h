#pragma once
// The transfers that take many messages and some time: the store of the whole bank or of one
// preset, the read of the combo's bank before it, the read-back that checks it, and the fetch
// of the combo's bank into the editor's. They run
// as steps on a clock the caller gives: the driver asks to be woken after a while
// (`wakeAfter`, which replaces any wake asked for before) and the caller calls wake() then.
// The editor gives it a Qt timer, the tool a plain loop, the tests a clock of their own; none
// of them paces a store or keeps a loop of messages itself.
//
// While a store runs, every message received is the driver's (receive()): the combo's answers
// to its reads never reach the editor's bank, and a late twin of an answer goes by untaken.

#include <chrono>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "model/PresetRecord.h"
#include "protocol/BankTransfer.h"
#include "protocol/DeviceProtocol.h"

namespace kestralux {

// One control that did not take: its caption and both values as the window shows them.
struct ControlDifference {
  std::string caption;  // "GAIN"
  std::string onCombo;  // "6"
  std::string sent;     // "7"
};

struct SlotDifference {
  int slot = 0;  // 0..29
  std::vector<ControlDifference> controls;
};

// "SLOT 7 DID NOT TAKE: GAIN 6 ON THE COMBO, 7 SENT", every control of the slot, "; " between.
std::string slotDifferenceText(const SlotDifference& difference);
// The controls of `onCombo` whose values differ from `sent`, by the window's captions.
std::vector<ControlDifference> controlDifferences(const PresetRecord& onCombo, const PresetRecord& sent);

// The history's kind for the combo's bank read before a store: the bank that can be put back.
inline constexpr const char* kBeforeStoreKind = "on the combo before the store";

struct StoreOutcome {
  enum class Result {
    Checked,     // read back and every slot holds what was sent
    NotTaken,    // read back, and a slot still differs (or no slot holds the one preset)
    NotChecked,  // the combo did not answer the read-back, or only in part
    Failed,      // a message could not be sent
    Sent,        // sent without a check, as asked
  };
  Result result = Result::Sent;
  // What the user is told: the first on the panel, the rest after it.
  Notices notices;
  std::vector<SlotDifference> differences;
  // The combo's bank came whole before the store (and was kept).
  bool beforeRead = false;
  // How many times the messages went out.
  int passes = 0;
  // A single store: the slot that now holds it.
  std::optional<int> landedIn;
};

class TransferDriver {
 public:
  enum class Check {
    None,          // the messages only
    ReadBack,      // then the bank is read back and compared
    ReadBoth,      // the bank read first and kept, then stored and read back
  };

  explicit TransferDriver(DeviceProtocol& protocol) : protocol_(protocol) {}

  // The caller's clock. Set before the first start.
  std::function<void(std::chrono::milliseconds)> wakeAfter;
  std::function<TransferClock::time_point()> now = [] { return TransferClock::now(); };
  // Each step as it goes ("STORING 7/30").
  std::function<void(const std::string&)> progress;
  // The end, whatever it was.
  std::function<void(const StoreOutcome&)> ended;
  // A bank to keep in the history of banks, with its kind ("on the combo before the store").
  std::function<void(const PresetBank&, const std::string& kind)> keep;

  // The whole bank: 0x2A and 29 x 0x2B, checked as `check` says. False while one runs.
  bool storeAll(const PresetBank& bank, Check check);
  // One preset (0x28) into the combo's current slot, which only a read-back can tell.
  bool storeOne(const PresetRecord& record, Check check);

  // The combo's bank into the editor's: DeviceProtocol decodes and names what comes; the driver
  // looks at the silence at each wake() and sends the request once more when the first brought
  // nothing. A fetch asks for no wake of its own: the caller's tick wakes it as often as it
  // ticks (ComboLink::tick does), so the silence is looked at after every message taken, as
  // before the driver ran fetches. `clicked` as for DeviceProtocol::RequestBank; asked while a
  // fetch runs, the next answer is awaited too. False while a store runs or when the request
  // could not go out (the card error says why).
  bool fetch(bool clicked = false);
  // A fetch already asked for (the search's answer, or a request sent before) run to its end.
  bool followFetch();
  // The fetch has ended, whole or not: what came is in the protocol's fetch.
  std::function<void(const BankFetch&)> fetched;

  // The caller's timer has run out.
  void wake();
  // A message received; true when the driver took it (always, while a store or fetch runs).
  bool receive(const RxSlot& slot);

  // A store or its reads: the window is held, and no other transfer starts.
  bool running() const { return step_ != Step::Idle && step_ != Step::Fetching; }
  bool fetching() const { return step_ == Step::Fetching; }

 private:
  enum class Step { Idle, ReadBefore, Sending, LastPause, ReadBack, Fetching };

  void start();
  void beginRead(Step step);
  void readEnded();
  void fetchEnded();
  void sendNext();
  void afterSending();
  void compare();
  void finish(StoreOutcome outcome);
  void say(const std::string& text);
  void wakeIn(std::chrono::milliseconds after);
  void wakeAt(TransferClock::time_point due);

  DeviceProtocol& protocol_;
  Step step_ = Step::Idle;
  bool all_ = true;
  Check check_ = Check::None;
  PresetBank sent_{};   // for a single store, the record at 0
  BankFetch fetch_;
  PresetBank read_{};
  int pass_ = 0;
  bool beforeRead_ = false;
  TransferClock::time_point lastSentAt_{};
  TransferClock::time_point due_{};
};

}  // namespace kestralux
