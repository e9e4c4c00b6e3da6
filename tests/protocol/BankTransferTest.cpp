// The bank fetch and the store sequence, through DeviceProtocol as the poll tick and the
// window drive them: messages arrive through the receive ring, time moves when the test says.

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <string>
#include <vector>

#include "model/EditSession.h"
#include "model/EditorState.h"
#include "protocol/DeviceProtocol.h"
#include "tests/protocol/RecordingOutput.h"

namespace kestralux {
namespace {

using namespace std::chrono_literals;
using Bytes = std::vector<std::uint8_t>;

// The device's bank: values vary, DELAY_TIME and EFF_RATE above 127 in many records.
PresetRecord deviceRecord(int n) {
  PresetRecord r;
  for (int i = 0; i < kParameterCount; ++i) r.setValue(i, (n * 5 + i * 3) % 31);
  r.setValue(AMP_TYPE, n % kAmpModelCount);
  r.setValue(EFFECT_SELECT, kEffectCodes[static_cast<std::size_t>(n) % kEffectCodes.size()]);
  r.setValue(DELAY_TIME, 100 + n * 5);
  r.setValue(EFF_RATE, 255 - n * 4);
  return r;
}

// The editor's bank before a transfer: named presets, all values 1, a reserved word set.
PresetBank editorBank() {
  PresetBank bank{};
  for (int n = 0; n < kPresetCount; ++n) {
    PresetRecord& r = bank[static_cast<std::size_t>(n)];
    r.storeName("MINE " + std::to_string(n + 1));
    for (int i = 0; i < kParameterCount; ++i) r.setValue(i, 1);
    r.setSlot(kReservedSlot, 0x12345678);
  }
  return bank;
}

Bytes bankMessage(int n) {
  const PresetMessage m = buildPresetMessage(n == 0 ? CMD_BANK_FIRST : CMD_BANK_NEXT, deviceRecord(n));
  return Bytes(m.begin(), m.end());
}
Bytes next(int n) {
  const PresetMessage m = buildPresetMessage(CMD_BANK_NEXT, deviceRecord(n));
  return Bytes(m.begin(), m.end());
}
Bytes withChecksumWrong(Bytes m) { m[kChecksumByte] ^= 0x01; return m; }
Bytes cutShort(Bytes m) { m.resize(20); m.back() = SYSEX_END; return m; }
// Whole, ours and checksum-correct, but with a byte no MIDI line can carry.
Bytes withHighByte(Bytes m) {
  m[10] = 0x85;
  m[kChecksumByte] = presetChecksum(m);
  return m;
}
// Of our framing, a bank command and `length` bytes, with 0x82 at byte 38, which the ring's
// slot overwrites with byte n-2 when the message is 41 to 43 bytes long.
Bytes highByteAt38(std::size_t length) {
  Bytes m(length, 0x00);
  const Bytes head{0xF0, 0x00, 0x00, MANUFACTURER_ID[2], MODEL_ID, CMD_BANK_NEXT};
  std::copy(head.begin(), head.end(), m.begin());
  m[38] = 0x82;
  m.back() = SYSEX_END;
  return m;
}
Bytes otherMaker(Bytes m) { m[3] ^= 0x01; return m; }
// Whole and checksum-correct, but carrying what the combo has no control for.
Bytes withValue(int n, int parameter, int value) {
  PresetRecord r = deviceRecord(n);
  r.setValue(parameter, value);
  const PresetMessage m = buildPresetMessage(CMD_BANK_NEXT, r);
  return Bytes(m.begin(), m.end());
}
Bytes asStoreOne(Bytes m) { m[5] = CMD_STORE_ONE; return m; }

// What arrived, in order: one Bytes a message.
using Arrivals = std::vector<Bytes>;
Arrivals wholeBank() {
  Arrivals a;
  for (int n = 0; n < kPresetCount; ++n) a.push_back(bankMessage(n));
  return a;
}

class Fetch : public ::testing::Test {
 protected:
  void SetUp() override {
    state.bank = editorBank();
    protocol.clock = [this] { return now; };
    protocol.fetchNotices = [this](const Notices& n) { notices.push_back(n); };
  }

  // Each message through the ring and the decoder, as the poll tick takes it; an empty one
  // stands for the editor asking for the bank.
  void arrive(const Bytes& message) {
    if (message.empty()) return protocol.fetch.requested(now);
    RxRing ring;
    ASSERT_EQ(ring.store(message), RxStoreResult::Stored);
    protocol.DecodeNextSlot(ring.takeNext());
  }
  void arriveAll(const Arrivals& messages) {
    for (const Bytes& m : messages) arrive(m);
  }

  // Record n holds the device's values and its own reserved word; the name it had belonged to
  // other values, and there is no library to name it.
  ::testing::AssertionResult received(int n) const {
    PresetRecord expected = editorBank()[static_cast<std::size_t>(n)];
    for (int i = 0; i < kParameterCount; ++i) expected.setValue(i, deviceRecord(n).value(i));
    std::fill_n(expected.bytes.begin(), kNameFieldSize, std::uint8_t{0});
    if (state.bank[static_cast<std::size_t>(n)] == expected) return ::testing::AssertionSuccess();
    return ::testing::AssertionFailure() << "record " << n << " does not hold the device's preset";
  }
  ::testing::AssertionResult untouched(int n) const {
    if (state.bank[static_cast<std::size_t>(n)] == editorBank()[static_cast<std::size_t>(n)])
      return ::testing::AssertionSuccess();
    return ::testing::AssertionFailure() << "record " << n << " changed";
  }

  EditorState state;
  RecordingOutput output;
  DeviceProtocol protocol{state, output};
  TransferClock::time_point now{};
  std::vector<Notices> notices;
};

// Which records a sequence of arrivals fills, where the cursor ends and what the user is told
// last. `from` gives, for each record, whether it holds the device's preset afterwards.
TEST_F(Fetch, ArrivalsAndWhatTheyLeave) {
  struct Row {
    const char* what;
    std::function<Arrivals()> arrivals;
    std::function<bool(int record)> filled;
    int cursor;
    bool complete;
    Notices last;
  };
  const auto all = [](int) { return true; };
  const Row rows[] = {
      {"a complete transfer puts the cursor back to record 0", wholeBank, all, 0, true, {"ALL PRESETS RECEIVED"}},
      {"a second 0x2A restarts at record 0; complete only when a 0x2B reaches record 29",
       [] {
         Arrivals a;
         for (int n = 0; n < 6; ++n) a.push_back(bankMessage(n));
         for (const Bytes& m : wholeBank()) a.push_back(m);
         return a;
       },
       all, 0, true, {"ALL PRESETS RECEIVED"}},
      {"an answer whose 0x2A is lost starts at record 1",
       [] { return Arrivals{next(1), next(2), next(3)}; }, [](int n) { return n >= 1 && n <= 3; }, 3, false,
       {"RECEIVING 4/30"}},
      {"a damaged checksum holds its place; its record keeps its values",
       [] {
         Arrivals a = wholeBank();
         a[5] = withChecksumWrong(a[5]);
         return a;
       },
       [](int n) { return n != 5; }, 0, true, {"29 OF 30 RECEIVED WHOLE", "PRESET 6 DAMAGED, KEPT"}},
      {"an amp model or effect code the combo does not have is damaged too",
       [] {
         Arrivals a = wholeBank();
         a[3] = withValue(3, AMP_TYPE, 16);
         a[7] = withValue(7, EFFECT_SELECT, 1);
         return a;
       },
       [](int n) { return n != 3 && n != 7; }, 0, true,
       {"28 OF 30 RECEIVED WHOLE", "PRESET 4 DAMAGED, KEPT", "PRESET 8 DAMAGED, KEPT"}},
      {"after a complete transfer, an answer whose 0x2A is lost lands on records 1..29",
       [] {
         Arrivals a = wholeBank();
         for (int n = 1; n < kPresetCount; ++n) a[static_cast<std::size_t>(n)] = withChecksumWrong(a[static_cast<std::size_t>(n)]);
         a.push_back({});
         for (int n = 1; n < kPresetCount; ++n) a.push_back(next(n));
         return a;
       },
       all, 0, true, {"ONLY 29 OF 30 RECEIVED"}},
      {"a message of ours cut short holds its place too",
       [] {
         Arrivals a = wholeBank();
         a[0] = cutShort(a[0]);
         a[29] = cutShort(a[29]);
         return a;
       },
       [](int n) { return n != 0 && n != 29; }, 0, true,
       {"28 OF 30 RECEIVED WHOLE", "PRESET 1 DAMAGED, KEPT", "PRESET 30 DAMAGED, KEPT"}},
      {"more than three damaged are counted",
       [] {
         Arrivals a = wholeBank();
         for (int n = 0; n < 30; n += 3) a[static_cast<std::size_t>(n)] = withChecksumWrong(a[static_cast<std::size_t>(n)]);
         return a;
       },
       [](int n) { return n % 3 != 0; }, 0, true, {"20 OF 30 RECEIVED WHOLE", "10 PRESETS DAMAGED, KEPT"}},
      {"foreign, high-byte, single-store and parameter messages are skipped without moving the cursor",
       [] {
         Arrivals a = wholeBank();
         a.insert(a.begin() + 3, {otherMaker(next(3)), withHighByte(next(3)), asStoreOne(next(3)),
                                  Bytes{0xF0, 0x00, 0x00, MANUFACTURER_ID[2], 0x06, 0x42, 0x00, 0x02, 0x14, 0x00, 0x00, 0xF7}});
         return a;
       },
       all, 0, true, {"ALL PRESETS RECEIVED"}},
      {"a byte of 0x80 or more at 38 of a 41- to 43-byte message makes it not ours",
       [] {
         Arrivals a = wholeBank();
         a.insert(a.begin() + 12, {highByteAt38(41), highByteAt38(42), highByteAt38(43)});
         return a;
       },
       all, 0, true, {"ALL PRESETS RECEIVED"}},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.what);
    SetUp();
    protocol.fetch = BankFetch{};
    notices.clear();
    state.BankRefreshPending = false;
    state.CurrentPreset = 7;

    arrive({});
    arriveAll(row.arrivals());

    for (int n = 0; n < kPresetCount; ++n) EXPECT_TRUE(row.filled(n) ? received(n) : untouched(n));
    EXPECT_EQ(protocol.fetch.cursor(), row.cursor);
    EXPECT_EQ(state.BankRefreshPending, row.complete);
    EXPECT_EQ(state.CurrentPreset, 7) << "the preset on screen stays the one edited";
    ASSERT_FALSE(notices.empty());
    EXPECT_EQ(notices.back(), row.last);
  }
}

TEST_F(Fetch, ProgressIsToldMessageByMessage) {
  Arrivals a = wholeBank();
  a.resize(3);
  a.insert(a.begin(), Bytes{});
  arriveAll(a);
  EXPECT_EQ(notices, (std::vector<Notices>{{"RECEIVING 1/30"}, {"RECEIVING 2/30"}, {"RECEIVING 3/30"}}));
}

// Silence after the last request, or in the middle of a transfer, ends the fetch after 2 s; a
// device that keeps sending, however slowly, is never cut off.
TEST_F(Fetch, SilenceEndsIt) {
  protocol.RequestBank();
  const Bytes request{0xF0, 0x00, 0x00, MANUFACTURER_ID[2], 0x06, 0x42, 0x00, 0x37, 0x00, 0xF7};
  EXPECT_EQ(output.messages, std::vector<Bytes>{request});
  now += 500ms;
  protocol.CheckTransferSilence();
  EXPECT_EQ(output.messages, (std::vector<Bytes>{request, request})) << "asked once more";
  now += 1999ms;
  protocol.CheckTransferSilence();
  EXPECT_TRUE(notices.empty());
  now += 1ms;
  protocol.CheckTransferSilence();
  EXPECT_EQ(notices, (std::vector<Notices>{{"NO ANSWER FROM COMBO"}}));
  protocol.CheckTransferSilence();
  EXPECT_EQ(notices.size(), 1u) << "told once";

  // A slow device: 1.9 s between messages, 12 of them, one damaged; then it stops.
  notices.clear();
  protocol.RequestBank();
  for (int n = 0; n < 12; ++n) {
    now += 1900ms;
    protocol.CheckTransferSilence();
    arrive(n == 4 ? withChecksumWrong(bankMessage(n)) : bankMessage(n));
  }
  EXPECT_EQ(notices.back(), Notices{"RECEIVING 12/30"});
  now += 2000ms;
  protocol.CheckTransferSilence();
  EXPECT_EQ(notices.back(), (Notices{"ONLY 12 OF 30 RECEIVED", "PRESET 5 DAMAGED, KEPT"}));
  for (int n = 0; n < kPresetCount; ++n) EXPECT_TRUE(n < 12 && n != 4 ? received(n) : untouched(n));
  EXPECT_FALSE(state.BankRefreshPending);

  // Without a request and with nothing heard, there is nothing to time out.
  notices.clear();
  now += 1h;
  protocol.CheckTransferSilence();
  EXPECT_TRUE(notices.empty());
}

// A request that brings nothing for half a second goes once more, and the combo may answer
// both: each request round makes one transfer, whatever of the two answers arrives.
TEST_F(Fetch, ARequestAskedTwiceMakesOneTransfer) {
  struct Step {
    enum Kind { Request, Wait, Answer } kind;
    int amount = 0;   // ms to wait, or how many messages of an answer come
    int from = 0;     // the first record of the answer that comes (no 0x2A after 0)
  };
  struct Row {
    const char* what;
    std::vector<Step> steps;
    std::size_t requests;  // bank requests sent
    int transfers;         // fetches that ended with presets (history entries)
    int completes;         // times preset 1 was shown
    Notices last;
  };
  const Step request{Step::Request}, wholeAnswer{Step::Answer, 30, 0}, settle{Step::Wait, 3000};
  const Row rows[] = {
      {"answered within half a second: asked once", {request, {Step::Wait, 450}, wholeAnswer, settle}, 1, 1, 1,
       {"ALL PRESETS RECEIVED"}},
      {"the first request lost: asked again, and that answer taken",
       {request, {Step::Wait, 500}, wholeAnswer, settle}, 2, 1, 1, {"ALL PRESETS RECEIVED"}},
      {"a late first answer and the second's: the bank is taken once",
       {request, {Step::Wait, 600}, wholeAnswer, wholeAnswer, settle}, 2, 1, 1, {"ALL PRESETS RECEIVED"}},
      {"the twin without its 0x2A is skipped too",
       {request, {Step::Wait, 600}, wholeAnswer, {Step::Answer, 29, 1}, settle}, 2, 1, 1, {"ALL PRESETS RECEIVED"}},
      {"the first answer lost its tail: the twin replaces it, still one transfer",
       {request, {Step::Wait, 600}, {Step::Answer, 20, 0}, wholeAnswer, settle}, 2, 1, 1, {"ALL PRESETS RECEIVED"}},
      {"nothing at all: asked twice, told 2 s after the second", {request, {Step::Wait, 2500}}, 2, 0, 0,
       {"NO ANSWER FROM COMBO"}},
      {"a late combo answers 1.7 s after the second request", {request, {Step::Wait, 2200}, wholeAnswer, settle}, 2, 1,
       1, {"ALL PRESETS RECEIVED"}},
      {"a bank that comes long after the twins answers another program",
       {request, {Step::Wait, 600}, wholeAnswer, {Step::Wait, 2100}, wholeAnswer, settle}, 2, 1, 1,
       {"ANOTHER PROGRAM FETCHED THE BANK"}},
      {"a new request while the twin goes by: its own answer is taken once",
       {request, {Step::Wait, 600}, wholeAnswer, {Step::Answer, 10, 0}, request, {Step::Answer, 20, 10}, wholeAnswer,
        settle},
       3, 2, 2, {"ALL PRESETS RECEIVED"}},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.what);
    SetUp();
    protocol.fetch = BankFetch{};
    output.messages.clear();
    notices.clear();
    int transfers = 0, completes = 0;
    protocol.bankMoved = [&](const BankMove& move) { transfers += move.kind == BankMove::Kind::Fetched; };
    protocol.bankComplete = [&] { ++completes; };
    // The poll tick's silence check, every 10 ms of the way.
    const auto pass = [this](std::chrono::milliseconds time) {
      for (auto waited = 0ms; waited < time; waited += 10ms) {
        now += 10ms;
        protocol.CheckTransferSilence();
      }
    };
    for (const Step& step : row.steps) {
      if (step.kind == Step::Request) protocol.RequestBank(true);
      if (step.kind == Step::Wait) pass(std::chrono::milliseconds(step.amount));
      for (int n = step.from; step.kind == Step::Answer && n < step.from + step.amount; ++n) {
        arrive(n == 0 ? bankMessage(0) : next(n));
        pass(10ms);
      }
    }
    const auto requests = std::count(output.messages.begin(), output.messages.end(),
                                     Bytes{0xF0, 0x00, 0x00, MANUFACTURER_ID[2], 0x06, 0x42, 0x00, 0x37, 0x00, 0xF7});
    EXPECT_EQ(static_cast<std::size_t>(requests), row.requests);
    EXPECT_EQ(transfers, row.transfers);
    EXPECT_EQ(completes, row.completes);
    ASSERT_FALSE(notices.empty());
    EXPECT_EQ(notices.back(), row.last);
    for (int n = 0; n < kPresetCount && row.transfers > 0; ++n) EXPECT_TRUE(received(n));
  }
}

// Store-all: 0x2A then 0x2B 29 times in bank order, from the bank as it was when prepared.
TEST(StoreSequence, BankAsItWasWhenConfirmed) {
  EditorState state;
  state.bank = editorBank();
  state.bank[0].setValue(DELAY_TIME, 250);
  state.CurrentPreset = 4;
  RecordingOutput output;
  DeviceProtocol protocol{state, output};

  protocol.PrepareStore(StoreScope::ALL);
  const PresetBank atYes = state.bank;
  state.bank[3].setValue(AMP_GAIN, 30);  // after the answer: not stored

  std::vector<std::string> progress;
  while (protocol.store.pending()) progress.push_back(protocol.SendNextStoreMessage());
  ASSERT_EQ(output.messages.size(), 30u);
  for (std::size_t n = 0; n < 30; ++n) {
    const PresetMessage m = buildPresetMessage(n == 0 ? CMD_BANK_FIRST : CMD_BANK_NEXT, atYes[n]);
    EXPECT_EQ(output.messages[n], Bytes(m.begin(), m.end())) << "message " << n;
  }
  EXPECT_EQ(output.messages[0][26], 0x7A);
  EXPECT_EQ(output.messages[0][27], 0x01);
  EXPECT_EQ(progress.front(), "STORING 1/30");
  EXPECT_EQ(progress.back(), "STORING 30/30");
  EXPECT_EQ(protocol.store.endNotice(), "ALL PRESETS STORED");
  EXPECT_EQ(state.CurrentPreset, 4);

  output.messages.clear();
  protocol.PrepareStore(StoreScope::SINGLE);
  protocol.SendNextStoreMessage();
  const PresetMessage single = buildPresetMessage(CMD_STORE_ONE, state.bank[4]);
  EXPECT_EQ(output.messages, std::vector<Bytes>{Bytes(single.begin(), single.end())});
  EXPECT_FALSE(protocol.store.pending());

  // A fetch that arrives between Yes and the end of the store changes the bank on screen,
  // not what is stored, nor what is kept as stored.
  output.messages.clear();
  std::vector<PresetBank> history;
  protocol.bankMoved = [&](const BankMove& move) {
    if (historyKind(move) == "stored") history.push_back(move.bank);
  };
  protocol.PrepareStore(StoreScope::ALL);
  const PresetBank atSecondYes = state.bank;
  protocol.SendNextStoreMessage();
  protocol.fetch.requested({});
  for (const Bytes& m : wholeBank()) {
    RxRing ring;
    ASSERT_EQ(ring.store(m), RxStoreResult::Stored);
    protocol.DecodeNextSlot(ring.takeNext());
  }
  ASSERT_EQ(state.bank[5].value(DELAY_TIME), deviceRecord(5).value(DELAY_TIME)) << "the fetch took its place";
  while (protocol.store.pending()) protocol.SendNextStoreMessage();
  ASSERT_EQ(output.messages.size(), 30u);
  for (std::size_t n = 0; n < 30; ++n) {
    const PresetMessage m = buildPresetMessage(n == 0 ? CMD_BANK_FIRST : CMD_BANK_NEXT, atSecondYes[n]);
    EXPECT_EQ(output.messages[n], Bytes(m.begin(), m.end())) << "message " << n;
  }
  EXPECT_EQ(history, std::vector<PresetBank>{atSecondYes});
  EXPECT_EQ(state.reference, atSecondYes);
  protocol.bankMoved = nullptr;

  // One message that could not be sent, and the store says it failed.
  protocol.PrepareStore(StoreScope::ALL);
  for (int n = 0; protocol.store.pending(); ++n) {
    output.failing = n == 17;
    protocol.SendNextStoreMessage();
  }
  EXPECT_EQ(protocol.store.endNotice(), "STORE FAILED");
}

// What becomes of the editor's work and what the history of banks keeps, for each way a bank
// comes or goes: preset 3 edited (differs from its reference) before each row.
TEST(BankMoves, EditsAreKeptAndEveryBankIsNamedAsThePanelSaysIt) {
  struct Row {
    const char* what;
    bool clicked;
    Arrivals arrivals;
    bool editKept;
    std::vector<std::string> kinds;
    Notices last;
  };
  Arrivals damaged = wholeBank();
  damaged[6] = withChecksumWrong(damaged[6]);
  Arrivals twelve = wholeBank();
  twelve.resize(12);
  twelve[4] = withChecksumWrong(twelve[4]);
  const Row rows[] = {
      {"a bank nobody clicked for keeps the edit and says so", false, wholeBank(), true, {"fetched"},
       {"ALL PRESETS RECEIVED", "1 EDITED PRESET KEPT", "GET ALL TAKES THE COMBO'S"}},
      {"a clicked fetch takes it, the bank before it kept first", true, wholeBank(), false, {"before fetch", "fetched"},
       {"ALL PRESETS RECEIVED"}},
      {"one damaged", true, damaged, false, {"before fetch", "fetched 29 of 30, 1 damaged"},
       {"29 OF 30 RECEIVED WHOLE", "PRESET 7 DAMAGED, KEPT"}},
      {"twelve, one damaged", true, twelve, false, {"before fetch", "fetched 11 of 30, 1 damaged"},
       {"ONLY 12 OF 30 RECEIVED", "PRESET 5 DAMAGED, KEPT"}},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.what);
    EditorState state;
    state.bank = editorBank();
    state.reference = state.bank;
    EditSession session(state);
    RecordingOutput output;
    DeviceProtocol protocol{state, output};
    protocol.session = &session;
    TransferClock::time_point now{};
    protocol.clock = [&] { return now; };
    std::vector<Notices> told;
    protocol.fetchNotices = [&](const Notices& n) { told.push_back(n); };
    std::vector<std::string> kinds;
    std::vector<PresetBank> banks;
    protocol.bankMoved = [&](const BankMove& move) {
      kinds.push_back(historyKind(move));
      banks.push_back(move.bank);
    };
    state.CurrentPreset = 2;
    session.setValue(AMP_GAIN, 30);
    session.endAction();
    const PresetRecord edited = state.bank[2];

    protocol.RequestBank(row.clicked);
    for (const Bytes& m : row.arrivals) {
      RxRing ring;
      ASSERT_EQ(ring.store(m), RxStoreResult::Stored);
      protocol.DecodeNextSlot(ring.takeNext());
    }
    now += 2s;
    protocol.CheckTransferSilence();

    EXPECT_EQ(state.bank[2] == edited, row.editKept);
    EXPECT_EQ(state.bank[0].value(AMP_GAIN), deviceRecord(0).value(AMP_GAIN));
    EXPECT_EQ(kinds, row.kinds);
    if (kinds.size() == 2) {
      EXPECT_EQ(banks[0][2], edited) << "the bank before the fetch, with the edit";
    }
    ASSERT_FALSE(told.empty());
    EXPECT_EQ(told.back(), row.last);
  }
}

// A store of which some messages could not be sent: only the presets that went out become
// stored, and the history says how many.
TEST(BankMoves, APartlyFailedStoreMarksOnlyWhatWentOut) {
  EditorState state;
  state.bank = editorBank();
  EditSession session(state);
  RecordingOutput output;
  DeviceProtocol protocol{state, output};
  protocol.session = &session;
  std::vector<std::string> kinds;
  protocol.bankMoved = [&](const BankMove& move) { kinds.push_back(historyKind(move)); };
  protocol.PrepareStore(StoreScope::ALL);
  for (int n = 0; protocol.store.pending(); ++n) {
    output.failing = n >= 10;
    protocol.SendNextStoreMessage();
  }
  EXPECT_EQ(kinds, std::vector<std::string>{"stored 10 of 30"});
  for (int n = 0; n < kPresetCount; ++n) EXPECT_EQ(session.edited(n), n >= 10) << n;
  EXPECT_EQ(protocol.store.endNotice(), "STORE FAILED");
}

}  // namespace
}  // namespace kestralux

namespace kestralux {
namespace {

// What one fetch hands to the history and the library, and what it leaves in the bank, for
// each way an answer can come: asked for or not, whole, damaged, its first message lost, cut
// off. The library knows preset 4's sound as "FROM LIBRARY"; preset 3 was named "MINE 3" for
// the very values the combo sends back.
TEST(FetchMoves, OneMoveWithTheSlotsThatCameAndTheirNamesOnlyForABankAskedFor) {
  struct Row {
    const char* what;
    std::function<Arrivals()> arrivals;  // an empty message: the editor asks
    std::vector<int> which;              // the slots the one move carries; none: no move
    std::string kind;
    Notices last;
    std::size_t moves = 1;
  };
  const auto asked = [](Arrivals a) {
    a.insert(a.begin(), Bytes{});
    return a;
  };
  const auto range = [](int from, int to, std::vector<int> except = {}) {
    std::vector<int> v;
    for (int n = from; n <= to; ++n)
      if (std::find(except.begin(), except.end(), n) == except.end()) v.push_back(n);
    return v;
  };
  const Row rows[] = {
      {"asked, whole", [&] { return asked(wholeBank()); }, range(0, 29), "fetched", {"ALL PRESETS RECEIVED"}},
      {"asked, one damaged in the middle",
       [&] {
         Arrivals a = wholeBank();
         a[14] = withChecksumWrong(a[14]);
         return asked(a);
       },
       range(0, 29, {14}), "fetched 29 of 30, 1 damaged", {"29 OF 30 RECEIVED WHOLE", "PRESET 15 DAMAGED, KEPT"}},
      {"asked, the first message lost",
       [&] {
         Arrivals a = wholeBank();
         a.erase(a.begin());
         return asked(a);
       },
       range(1, 29), "fetched 29 of 30", {"ONLY 29 OF 30 RECEIVED"}},
      {"asked, cut off after twelve",
       [&] {
         Arrivals a = wholeBank();
         a.resize(12);
         return asked(a);
       },
       range(0, 11), "fetched 12 of 30", {"ONLY 12 OF 30 RECEIVED"}},
      {"nobody here asked: another program's answer", wholeBank, {}, "", {"ANOTHER PROGRAM FETCHED THE BANK"}},
      {"asked, then a second answer nobody here asked for",
       [&] {
         Arrivals a = asked(wholeBank());
         for (const Bytes& m : wholeBank()) a.push_back(m);
         return a;
       },
       range(0, 29), "fetched", {"ANOTHER PROGRAM FETCHED THE BANK"}},
      {"asked again while the answer came: the second answer is ours too",
       [&] {
         Arrivals a = asked(wholeBank());
         a.insert(a.begin() + 10, Bytes{});
         for (const Bytes& m : wholeBank()) a.push_back(m);
         return a;
       },
       range(0, 29), "fetched", {"ALL PRESETS RECEIVED"}, 2},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.what);
    EditorState state;
    state.bank = editorBank();
    state.bank[2] = deviceRecord(2);
    state.bank[2].storeName("MINE 3");
    state.reference = state.bank;
    EditSession session(state);
    RecordingOutput output;
    DeviceProtocol protocol{state, output};
    protocol.session = &session;
    TransferClock::time_point now{};
    protocol.clock = [&] { return now; };
    std::vector<Notices> told;
    protocol.fetchNotices = [&](const Notices& n) { told.push_back(n); };
    protocol.newestName = [](const PresetRecord& r) {
      return r.value(AMP_TYPE) == deviceRecord(3).value(AMP_TYPE) && r.value(DELAY_TIME) == deviceRecord(3).value(DELAY_TIME)
                 ? std::string("FROM LIBRARY")
                 : std::string();
    };
    std::vector<BankMove> moves;
    protocol.bankMoved = [&](const BankMove& move) { moves.push_back(move); };
    const PresetBank before = state.bank;

    for (const Bytes& m : row.arrivals()) {
      if (m.empty()) {
        protocol.RequestBank();
        continue;
      }
      RxRing ring;
      ASSERT_EQ(ring.store(m), RxStoreResult::Stored);
      protocol.DecodeNextSlot(ring.takeNext());
    }
    now += 2s;
    protocol.CheckTransferSilence();

    ASSERT_FALSE(told.empty());
    EXPECT_EQ(told.back(), row.last);
    if (row.which.empty()) {
      EXPECT_TRUE(moves.empty());
      EXPECT_EQ(state.bank, before) << "nothing here changes";
      continue;
    }
    ASSERT_EQ(moves.size(), row.moves) << "one answer, one entry";
    std::bitset<kPresetCount> which;
    for (int n : row.which) which.set(static_cast<std::size_t>(n));
    EXPECT_EQ(moves[0].which, which);
    EXPECT_EQ(historyKind(moves[0]), row.kind);
    EXPECT_EQ(moves[0].bank, state.bank) << "the history and the library get what the screen shows";
    for (int n = 0; n < kPresetCount; ++n) {
      const auto i = static_cast<std::size_t>(n);
      EXPECT_FALSE(session.edited(n)) << "a name from the rule is no edit: " << n;
      if (!which[i]) continue;
      const std::string name = n == 2 ? "MINE 3" : n == 3 ? "FROM LIBRARY" : "";
      EXPECT_EQ(state.bank[i].validName().value_or(""), name) << n;
    }
  }
}

}  // namespace
}  // namespace kestralux
