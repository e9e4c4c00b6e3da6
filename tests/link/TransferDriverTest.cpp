// The store and its checks, and the fetch, driven on a clock the test moves: the virtual combo
// at the other end of a wire that carries each answer in its 40-byte wire time, misbehaving as
// each row says. One row per way a store or a fetch can go.

#include "link/TransferDriver.h"

#include <gtest/gtest.h>

#include <deque>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "actions/EditorActions.h"
#include "model/EditSession.h"
#include "sim/VirtualKestralux.h"
#include "tests/PresetValues.h"

namespace kestralux {
namespace {

using namespace std::chrono_literals;
using Bytes = std::vector<std::uint8_t>;
using Time = TransferClock::time_point;
using Result = StoreOutcome::Result;
using Check = TransferDriver::Check;

constexpr auto kWireTime = 12800us;  // one preset message at 31,250 bit/s

// The combo on the far side of the wire: what it heard and when, and its answers on their way.
struct WiredCombo : SysexOutput {
  explicit WiredCombo(Time& clock) : now(clock) {}
  bool SEND_SYSEX(std::span<const std::uint8_t> message) override {
    heard.push_back({now, Bytes(message.begin(), message.end())});
    if (failing) return false;
    if (message.size() != kPresetMessageSize && message[7] == CODE_REQUEST_BANK && deafTo > 0) {
      --deafTo;
      return true;
    }
    Time due = coming.empty() ? now + slowBy : std::max(now, coming.back().first);
    for (const PresetMessage& answer : device.receive(message).answer) {
      due += kWireTime;
      coming.push_back({due, Bytes(answer.begin(), answer.end())});
    }
    return true;
  }
  void DUMP_PAUSE() override {}

  Time& now;
  VirtualKestralux device;
  std::vector<std::pair<Time, Bytes>> heard;
  std::deque<std::pair<Time, Bytes>> coming;
  bool failing = false;
  // Requests lost on the way, as a busy MIDI server may drop one.
  int deafTo = 0;
  // Before the first message of an answer.
  std::chrono::milliseconds slowBy{0};
};

PresetBank bankOf(int seed) {
  PresetBank bank{};
  for (int n = 0; n < kPresetCount; ++n) {
    PresetRecord& r = bank[static_cast<std::size_t>(n)];
    for (int i = 0; i < kParameterCount; ++i) r.setValue(i, (seed + n * 3 + i) % 20 + 1);
    test::makePreset(r, n + seed);
    r.storeName("SLOT " + std::to_string(n + 1));
  }
  return bank;
}

bool sameValues(const PresetRecord& a, const PresetRecord& b) {
  for (int i = 0; i < kParameterCount; ++i)
    if (a.value(i) != b.value(i)) return false;
  return true;
}

struct Rig {
  explicit Rig(VirtualKestralux::AnswerShape shape, VirtualKestralux::Faults faults, int current) {
    combo.device = VirtualKestralux(bankOf(1), shape, current);
    combo.device.setFaults(faults);
    state.bank = bankOf(7);
    state.reference = state.bank;
    driver.now = [this] { return now; };
    driver.wakeAfter = [this](std::chrono::milliseconds after) { due = now + after; };
    driver.keep = [this](const PresetBank&, const std::string& kind) { kept.push_back(kind); };
    protocol.bankMoved = [this](const BankMove& move) { kept.push_back(historyKind(move)); };
    protocol.session = &session;
    actions.watchStore(
        [this](const std::string& text) {
          steps.push_back(text);
          // Mid-store the editor holds: a close waits, and an undo changes nothing.
          const PresetBank bank = state.bank;
          actions.undo();
          heldEveryStep = heldEveryStep && actions.storeRunning() && state.bank == bank;
        },
        [this](const StoreOutcome& o) { outcome = o; });
  }

  // Moves the clock to the next thing that happens, until the store has ended.
  void run() {
    for (int guard = 0; !outcome && guard < 100000; ++guard) {
      Time next = due.value_or(Time::max());
      if (!combo.coming.empty()) next = std::min(next, combo.coming.front().first);
      ASSERT_NE(next, Time::max()) << "the driver waits for nothing";
      now = next;
      while (!combo.coming.empty() && combo.coming.front().first <= now) {
        RxRing ring;
        ring.store(combo.coming.front().second);
        combo.coming.pop_front();
        const RxSlot& slot = ring.takeNext();
        if (!driver.receive(slot)) protocol.DecodeNextSlot(slot);
      }
      if (due && now >= *due) {
        due.reset();
        driver.wake();
      }
    }
    ASSERT_TRUE(outcome) << "the store never ended";
  }

  // What went to the combo, in runs: "2 requests, 30 stores, request".
  std::string wire() const {
    std::vector<std::pair<std::string, int>> runs;
    for (const auto& [when, m] : combo.heard) {
      const std::string what = m.size() == kPresetMessageSize ? "store" : m[7] == CODE_REQUEST_BANK ? "request" : "edit";
      if (runs.empty() || runs.back().first != what)
        runs.push_back({what, 1});
      else
        ++runs.back().second;
    }
    std::string text;
    for (const auto& [what, count] : runs)
      text += (text.empty() ? "" : ", ") + (count == 1 ? what : std::to_string(count) + " " + what + "s");
    return text;
  }

  // Store messages 60 ms apart from start to start, and the read-back 60 ms after the last.
  ::testing::AssertionResult paced() const {
    std::optional<Time> last;
    bool lastWasStore = false;
    for (const auto& [when, m] : combo.heard) {
      const bool store = m.size() == kPresetMessageSize;
      if (last && lastWasStore && store && when - *last != 60ms)
        return ::testing::AssertionFailure() << "stores " << (when - *last).count() << " apart";
      if (last && lastWasStore && !store && when - *last < 60ms)
        return ::testing::AssertionFailure() << "read back before the last store's pause";
      last = when;
      lastWasStore = store;
    }
    return ::testing::AssertionSuccess();
  }

  // The link's 50 ms tick until the fetch has ended and nothing more is on its way; what comes
  // after it goes to the protocol, as the link hands it on when the driver is idle.
  void runFetch() {
    Time tick = now;
    for (int guard = 0; !(fetched && combo.coming.empty()) && guard < 100000; ++guard) {
      if (!combo.coming.empty() && combo.coming.front().first < tick) {
        now = combo.coming.front().first;
        RxRing ring;
        ring.store(combo.coming.front().second);
        combo.coming.pop_front();
        const RxSlot& slot = ring.takeNext();
        if (!driver.receive(slot)) protocol.DecodeNextSlot(slot);
        continue;
      }
      now = tick;
      tick += 50ms;
      if (driver.fetching()) driver.wake();
    }
    ASSERT_TRUE(fetched) << "the fetch never ended";
  }

  Time now{};
  std::optional<Time> due;
  WiredCombo combo{now};
  EditorState state;
  DeviceProtocol protocol{state, combo};
  EditSession session{state};
  TransferDriver driver{protocol};
  EditorActions actions{state, protocol, session, &driver};
  std::vector<std::string> steps, kept;
  std::optional<StoreOutcome> outcome;
  bool heldEveryStep = true;
  int fetched = 0;
};

struct Row {
  const char* name;
  VirtualKestralux::AnswerShape shape;
  VirtualKestralux::Faults faults;
  std::function<void(Rig&)> start;
  Result result;
  std::string said;  // the outcome's first notice
  std::string wire;
  std::vector<std::string> kept;
  bool comboHoldsSent;
};

void storeAllAsEditor(Rig& rig) {
  rig.actions.setParameter(AMP_GAIN, 3);  // something to undo
  rig.actions.endAction();
  rig.actions.startStore(StoreScope::ALL);
  rig.actions.runStore();
}

TEST(TransferDriver, EveryWayAStoreGoes) {
  VirtualKestralux::Faults none;
  VirtualKestralux::Faults lose7 = none, stuck12 = none, silentAfter = none;
  lose7.loseStore = 7;
  stuck12.stuckSlot = 11;
  stuck12.stuckParameter = AMP_GAIN;
  silentAfter.silentAfterStore = true;
  VirtualKestralux::AnswerShape whole, silent, twelve;
  silent.silent = true;
  twelve.count = 12;
  const std::string before = "on the combo before the store", back = "read back after the store";

  const Row rows[] = {
      {"a match", whole, none, storeAllAsEditor, Result::Checked, "STORED AND CHECKED: 30 OF 30",
       "edit, request, 30 stores, request", {before, "stored", back}, true},
      {"a lost message, then a match on the second pass", whole, lose7, storeAllAsEditor, Result::Checked,
       "STORED AND CHECKED: 30 OF 30", "edit, request, 30 stores, request, 30 stores, request",
       {before, "stored", back + ", slots 7 to 30 differ", back}, true},
      {"a stuck slot", whole, stuck12, storeAllAsEditor, Result::NotTaken, "SLOT 12 DID NOT TAKE: GAIN 0.33 ON THE COMBO, 0.66 SENT",
       "edit, request, 30 stores, request, 30 stores, request", {before, "stored", back + ", slot 12 differs", back + ", slot 12 differs"},
       false},
      {"silence after the store", whole, silentAfter, storeAllAsEditor, Result::NotChecked,
       "STORE NOT CHECKED: THE COMBO DID NOT ANSWER", "edit, request, 30 stores, 2 requests", {before, "stored"}, true},
      {"the bank before cannot be read", silent, none, storeAllAsEditor, Result::NotChecked,
       "STORE NOT CHECKED: THE COMBO DID NOT ANSWER", "edit, 2 requests, 30 stores, 2 requests",
       {"stored, bank before it not read"}, true},
      {"only part comes back", twelve, none, storeAllAsEditor, Result::NotChecked, "STORE NOT CHECKED: ONLY 12 OF 30 READ BACK",
       "edit, request, 30 stores, request", {"stored, bank before it not read", back + ", 12 of 30"}, true},
      {"unchecked: no request at all", whole, none, [](Rig& r) { r.driver.storeAll(r.state.bank, Check::None); }, Result::Sent,
       "ALL PRESETS SENT, NOT CHECKED", "30 stores", {"stored"}, true},
      {"one preset lands in the current slot", whole, none,
       [](Rig& r) { r.driver.storeOne(r.state.bank[9], Check::ReadBack); }, Result::Checked, "STORED INTO SLOT 4 AND CHECKED",
       "store, request", {back}, false},
      {"a send that fails", whole, none,
       [](Rig& r) {
         r.combo.failing = true;
         r.driver.storeAll(r.state.bank, Check::ReadBoth);
       },
       Result::Failed, "STORE FAILED", "2 requests, 30 stores", {}, false},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.name);
    Rig rig(row.shape, row.faults, 3);
    row.start(rig);
    const PresetBank sent = rig.state.bank;  // as it was at Yes
    rig.run();
    if (!rig.outcome) continue;
    EXPECT_EQ(rig.outcome->result, row.result);
    ASSERT_FALSE(rig.outcome->notices.empty());
    EXPECT_EQ(rig.outcome->notices.front(), row.said);
    EXPECT_EQ(rig.wire(), row.wire);
    EXPECT_TRUE(rig.paced());
    EXPECT_EQ(rig.kept, row.kept);
    EXPECT_TRUE(rig.heldEveryStep) << "a close would not wait, or an undo went through";
    EXPECT_FALSE(rig.actions.storeRunning());
    EXPECT_FALSE(rig.driver.running());
    bool holds = true;
    for (int n = 0; n < kPresetCount; ++n) holds = holds && sameValues(rig.combo.device.bank()[n], sent[n]);
    EXPECT_EQ(holds, row.comboHoldsSent);
    // Never the old claim for a store that was not read back whole and the same.
    for (const std::string& said : rig.outcome->notices) EXPECT_NE(said, "ALL PRESETS STORED");
    const bool beforeRead = row.kept.size() > 0 && row.kept.front() == before;
    EXPECT_EQ(rig.outcome->beforeRead, beforeRead);
    if (!beforeRead && row.wire.find("request, 30") != std::string::npos) {
      EXPECT_EQ(rig.outcome->notices.back(), "THE COMBO'S BANK BEFORE THE STORE COULD NOT BE READ");
    }
  }
}

TEST(TransferDriver, EveryWayAFetchGoes) {
  struct FetchRow {
    const char* name;
    VirtualKestralux::AnswerShape shape;
    int deafTo;
    std::chrono::milliseconds slowBy;
    std::string wire;
    std::vector<std::string> kept;
    std::string lastSaid;
    int received;
  };
  VirtualKestralux::AnswerShape whole, twelve;
  twelve.count = 12;
  const FetchRow rows[] = {
      {"a whole fetch", whole, 0, 0ms, "request", {"fetched"}, "ALL PRESETS RECEIVED", 30},
      {"silence, the request once more, then a whole answer", whole, 1, 0ms, "2 requests", {"fetched"}, "ALL PRESETS RECEIVED",
       30},
      {"a late first answer and its twin: taken once", whole, 0, 700ms, "2 requests", {"fetched"}, "ALL PRESETS RECEIVED", 30},
      {"only part, then silence", twelve, 0, 0ms, "request", {"fetched 12 of 30"}, "ONLY 12 OF 30 RECEIVED", 12},
  };
  for (const FetchRow& row : rows) {
    SCOPED_TRACE(row.name);
    Rig rig(row.shape, {}, 3);
    rig.combo.deafTo = row.deafTo;
    rig.combo.slowBy = row.slowBy;
    rig.protocol.clock = [&rig] { return rig.now; };
    std::vector<std::string> said;
    rig.protocol.fetchNotices = [&said](const Notices& notices) { said.insert(said.end(), notices.begin(), notices.end()); };
    rig.driver.fetched = [&rig](const BankFetch&) { ++rig.fetched; };
    ASSERT_TRUE(rig.driver.fetch(true));
    rig.runFetch();
    EXPECT_EQ(rig.fetched, 1);
    EXPECT_FALSE(rig.driver.running());
    EXPECT_EQ(rig.wire(), row.wire);
    EXPECT_EQ(rig.kept, row.kept);
    ASSERT_FALSE(said.empty());
    EXPECT_EQ(said.back(), row.lastSaid);
    EXPECT_EQ(rig.protocol.fetch.received(), row.received);
    for (int n = 0; n < row.received; ++n)
      EXPECT_TRUE(sameValues(rig.state.bank[static_cast<std::size_t>(n)], rig.combo.device.bank()[n])) << n;
  }
}

}  // namespace
}  // namespace kestralux
