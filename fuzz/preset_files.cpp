// A file loaded as a bank and as a preset, the window's lenient way, then everything the
// editor does with loaded values without a window: the value texts with the controls' ranges,
// the whole-preset send, the store messages, the listing, the export and the .syx round trip.

#include <algorithm>

#include "editor/EditorTables.h"
#include "files/PresetFiles.h"
#include "files/PresetListing.h"
#include "files/PresetTableExport.h"
#include "files/Syx.h"
#include "fuzz/FuzzCheck.h"
#include "model/EditorState.h"
#include "protocol/DeviceProtocol.h"

using namespace kestralux;

namespace {

class Wire : public SysexOutput {
 public:
  bool SEND_SYSEX(std::span<const std::uint8_t> m) override {
    // Whatever a file holds, nothing sent can break a SysEx frame.
    FUZZ_CHECK(m.size() >= 2 && m.front() == 0xF0 && m.back() == 0xF7);
    FUZZ_CHECK(std::all_of(m.begin() + 1, m.end() - 1, [](std::uint8_t b) { return b < 0x80; }));
    ++messages;
    return true;
  }
  void DUMP_PAUSE() override {}
  int messages = 0;
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  static const PresetBank before = [] {
    PresetBank bank{};
    for (auto& r : bank) r.setValue(AMP_GAIN, 77);
    return bank;
  }();
  const std::span<const std::uint8_t> file(data, size);
  EditorState state;
  state.bank = before;

  // Whole records only, and all of them presets, or nothing at all.
  const int whole = static_cast<int>(std::min<std::size_t>(size / kPresetFileSize, kPresetCount));
  const bool allPresets = !firstNonPreset(file);
  const int loaded = loadBankImage(file, state.bank);
  FUZZ_CHECK(loaded == (allPresets ? whole : 0));

  PresetRecord single = before[0];
  const bool firstIsPreset = size >= kPresetFileSize && !firstNonPreset(file.first(kPresetFileSize));
  FUZZ_CHECK(loadPresetImage(file, single) == (firstIsPreset ? 1 : 0));
  if (!firstIsPreset) FUZZ_CHECK(single == before[0]);

  // What the editor does with loaded values, on the records this file filled: the others
  // hold the same values whatever the input, and going over them again finds nothing new.
  if (loaded == 0) {
    FUZZ_CHECK(state.bank == before);
    return 0;
  }
  const Bytes image = bankFileImage(state.bank);
  const std::size_t taken = static_cast<std::size_t>(loaded) * kPresetFileSize;
  FUZZ_CHECK(std::equal(image.begin(), image.begin() + static_cast<std::ptrdiff_t>(taken), data));
  for (int n = loaded; n < kPresetCount; ++n) FUZZ_CHECK(state.bank[n] == before[n]);
  // Every bank the editor holds saves and loads again as it is.
  for (const PresetRecord& r : state.bank) FUZZ_CHECK(isPreset(r));
  FUZZ_CHECK(parseBankFile(image) == state.bank);

  Wire wire;
  DeviceProtocol protocol(state, wire);
  for (int n = 0; n < loaded; ++n) {
    state.CurrentPreset = n;
    const PresetRecord& r = state.bank[n];
    for (const StripRow& row : kStrips) stripText(row, std::clamp(r.value(row.parameter), 0, row.maximum), TextSource::ShowPreset);
    const int effect = r.value(EFFECT_SELECT);
    effect15Text(effect, std::clamp(r.value(EFF_ADJUST1), 0, 30));
    rateText(effect, std::clamp(r.value(EFF_RATE), 0, rateMaximum(effect)));
    protocol.SendWholePreset();
    for (int i = 0; i < kParameterCount; ++i) protocol.SendLiveEdit(i);
    FUZZ_CHECK(isOurPresetMessage(protocol.BuildStoreMessage(StoreScope::ALL, n)));
  }
  FUZZ_CHECK(wire.messages == loaded * 2 * kParameterCount);

  FUZZ_CHECK(presetTableText(state.bank).size() == kExportFileSize);
  presetListing(std::span<const PresetRecord>(state.bank.data(), static_cast<std::size_t>(loaded)));
  const SyxReading back = readSyx(bankToSyx(state.bank));
  FUZZ_CHECK(back.error.empty());
  const PresetBank& decoded = std::get<PresetBank>(back.contents);
  for (int n = 0; n < kPresetCount; ++n)
    for (int i = 0; i < kParameterCount; ++i) FUZZ_CHECK(decoded[n].value(i) == state.bank[n].value(i));
  return 0;
}
