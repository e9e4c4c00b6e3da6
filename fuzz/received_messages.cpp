// Bytes from a MIDI input, cut into messages at each F7 as the port delivers SysEx, through
// the engine's ring and the poll tick into the bank fetch. Time moves 100 ms a message, so
// the silence check runs too.

#include <algorithm>
#include <vector>

#include "fuzz/FuzzCheck.h"
#include "midi/LoopbackPorts.h"
#include "midi/MidiEngine.h"
#include "model/EditorState.h"
#include "protocol/BankTransfer.h"
#include "protocol/DeviceProtocol.h"

using namespace kestralux;

namespace {

PresetBank namedBank() {
  PresetBank bank{};
  for (int n = 0; n < kPresetCount; ++n) {
    bank[n].storeName("KEEP");
    bank[n].setSlot(kReservedSlot, n * 1000 + 7);
    for (int i = 0; i < kParameterCount; ++i) bank[n].setValue(i, -1);
  }
  return bank;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  LoopbackPorts ports({"IN"}, {"OUT"});
  MidiEngine engine(ports);
  engine.setPause([](std::chrono::milliseconds) {});
  EditorState state;
  state.bank = namedBank();
  const PresetBank before = state.bank;
  DeviceProtocol protocol(state, engine);
  TransferClock::time_point now{};
  protocol.clock = [&] { return now; };
  engine.OPEN_MIDI_IN();

  bool anyWhole = false;
  std::size_t start = 0;
  int delivered = 0;
  while (start < size) {
    const std::uint8_t* end = std::find(data + start, data + size, 0xF7);
    const std::size_t length = static_cast<std::size_t>(end - (data + start)) + (end == data + size ? 0 : 1);
    LoopbackPorts::Message message(data + start, data + start + length);
    start += length;
    RxRing probe;
    if (probe.store(message) == RxStoreResult::Stored && readSlot(probe.takeNext()).verdict == SlotVerdict::Whole)
      anyWhole = true;
    ports.inject(message);
    now += std::chrono::milliseconds(100);
    if (++delivered % 8 == 0) engine.pollTick(state, protocol);
  }
  engine.pollTick(state, protocol);

  FUZZ_CHECK(protocol.fetch.cursor() >= 0 && protocol.fetch.cursor() < kPresetCount);
  for (int n = 0; n < kPresetCount; ++n) {
    FUZZ_CHECK(state.bank[n].validName() == before[n].validName());
    FUZZ_CHECK(state.bank[n].slot(kReservedSlot) == before[n].slot(kReservedSlot));
    for (int i = 0; i < kParameterCount; ++i) {
      const int v = state.bank[n].value(i);
      FUZZ_CHECK(v == -1 || (v >= 0 && v <= 255));
    }
  }
  // What a fetch wrote is a preset: never an amp model or effect the combo does not have.
  for (int n = 0; n < kPresetCount; ++n) FUZZ_CHECK(state.bank[n] == before[n] || isPreset(state.bank[n]));
  // Nothing whole and ours: nothing changed.
  if (!anyWhole) FUZZ_CHECK(state.bank == before);
  FUZZ_CHECK(ports.allSent().empty());
  return 0;
}
