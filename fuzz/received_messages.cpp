// Bytes from a MIDI input, cut into messages at each F7 as the port delivers SysEx, through
// the link's ring and its tick into the bank fetch. Time moves 100 ms a message, so
// the silence check runs too.

#include <algorithm>
#include <vector>

#include "fuzz/FuzzCheck.h"
#include "link/ComboLink.h"
#include "midi/LoopbackPorts.h"
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
  static const PresetBank before = namedBank();
  LoopbackPorts ports({"IN"}, {"OUT"});
  EditorState state;
  state.bank = before;
  ComboLink link(ports, state, "/nonexistent/combo.cfg");
  MidiEngine& engine = link.engine;
  engine.setPause([](std::chrono::milliseconds) {});
  DeviceProtocol& protocol = link.protocol;
  TransferClock::time_point now{};
  protocol.clock = [&] { return now; };
  link.clock = [&] { return now; };

  // Tells whether any message is whole and ours, read the way the engine's ring keeps it.
  RxRing probe;
  bool anyWhole = false;
  std::size_t start = 0;
  int delivered = 0;
  while (start < size) {
    const std::uint8_t* end = std::find(data + start, data + size, 0xF7);
    const std::size_t length = static_cast<std::size_t>(end - (data + start)) + (end == data + size ? 0 : 1);
    const std::span<const std::uint8_t> message(data + start, length);
    start += length;
    // Only a message of 40 bytes can be whole.
    if (!anyWhole && length == kPresetMessageSize && probe.store(message) == RxStoreResult::Stored)
      anyWhole = readSlot(probe.takeNext()).verdict == SlotVerdict::Whole;
    // Where the input port's delivery lands on the engine's thread; copying the bytes there
    // is the port's business and the same for any bytes.
    engine.MIDI_LONG_DATA(message);
    now += std::chrono::milliseconds(100);
    if (++delivered % 8 == 0) link.tick();
  }
  link.tick();

  FUZZ_CHECK(protocol.fetch.cursor() >= 0 && protocol.fetch.cursor() < kPresetCount);
  // A fetch writes values only, and only presets: never an amp model or effect the combo does
  // not have. The name and the reserved word stay.
  for (int n = 0; n < kPresetCount; ++n) {
    const PresetRecord& r = state.bank[n];
    if (r == before[n]) continue;
    FUZZ_CHECK(isPreset(r));
    FUZZ_CHECK(std::equal(r.bytes.begin(), r.bytes.begin() + kNameFieldSize, before[n].bytes.begin()));
    FUZZ_CHECK(r.slot(kReservedSlot) == before[n].slot(kReservedSlot));
  }
  // Nothing whole and ours: nothing changed.
  if (!anyWhole) FUZZ_CHECK(state.bank == before);
  FUZZ_CHECK(ports.allSent().empty());
  return 0;
}
