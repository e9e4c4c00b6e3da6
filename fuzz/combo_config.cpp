// Any file as combo.cfg: shorter than 8 bytes it is ignored; otherwise its first 8 bytes are
// the two device numbers, and saving them writes those 8 bytes back.

#include <filesystem>
#include <fstream>
#include <unistd.h>

#include "files/PresetFiles.h"
#include "fuzz/FuzzCheck.h"
#include "midi/ComboConfig.h"

using namespace kestralux;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  static const std::filesystem::path path =
      std::filesystem::temp_directory_path() / ("kestralux-fuzz-combo-" + std::to_string(::getpid()) + ".cfg");
  std::ofstream(path, std::ios::binary | std::ios::trunc).write(reinterpret_cast<const char*>(data), static_cast<std::streamsize>(size));
  const std::optional<ComboConfig> config = LOAD_CONFIG(path);
  FUZZ_CHECK(config.has_value() == (size >= kComboConfigSize));
  if (config) {
    const auto bytes = encodeComboConfig(*config);
    FUZZ_CHECK(std::equal(bytes.begin(), bytes.end(), data));
    FUZZ_CHECK(SAVE_CONFIG(*config, path));
    FUZZ_CHECK(readFileStart(path, 64) == Bytes(bytes.begin(), bytes.end()));
  }
  std::filesystem::remove(path);
  return 0;
}
