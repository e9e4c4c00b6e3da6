// Any bytes as combo.cfg and as combo.ports, in memory. combo.cfg: shorter than 8 bytes it is
// ignored; otherwise its first 8 bytes are the two device numbers, and encoding them gives
// those 8 bytes back. combo.ports: the names taken hold no line end, and written out again
// they read back the same.

#include <algorithm>
#include <string>

#include "fuzz/FuzzCheck.h"
#include "files/ComboConfig.h"
#include "files/ComboPorts.h"

using namespace kestralux;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::optional<ComboConfig> config = parseComboConfig(std::span(data, size));
  FUZZ_CHECK(config.has_value() == (size >= kComboConfigSize));
  if (config) {
    const auto bytes = encodeComboConfig(*config);
    FUZZ_CHECK(std::equal(bytes.begin(), bytes.end(), data));
  }

  const std::optional<PortNames> names = decodePortNames(std::string(reinterpret_cast<const char*>(data), size));
  if (names) {
    FUZZ_CHECK(!names->output.empty() || !names->input.empty());
    for (const std::string* name : {&names->output, &names->input}) {
      FUZZ_CHECK(name->find('\n') == std::string::npos);
      FUZZ_CHECK(name->empty() || name->back() != '\r');
    }
    FUZZ_CHECK(decodePortNames(encodePortNames(*names)) == names);
  }
  return 0;
}
