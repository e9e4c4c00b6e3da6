// Any bytes read as a .syx of preset messages: refused with a reason and nothing, or taken,
// and then what was taken is written and read back the same.

#include "files/Syx.h"
#include "fuzz/FuzzCheck.h"

using namespace kestralux;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const SyxReading reading = readSyx(std::span<const std::uint8_t>(data, size));
  if (!reading.error.empty()) {
    FUZZ_CHECK(std::holds_alternative<std::monostate>(reading.contents));
    return 0;
  }
  if (const auto* bank = std::get_if<PresetBank>(&reading.contents)) {
    FUZZ_CHECK(size == 30 * 40);
    const SyxReading again = readSyx(bankToSyx(*bank));
    FUZZ_CHECK(again.error.empty() && std::get<PresetBank>(again.contents) == *bank);
  } else {
    const auto& preset = std::get<PresetRecord>(reading.contents);
    FUZZ_CHECK(size == 40);
    const SyxReading again = readSyx(presetToSyx(preset));
    FUZZ_CHECK(again.error.empty() && std::get<PresetRecord>(again.contents) == preset);
  }
  return 0;
}
