// Any bytes as a .setlist file, as a foot controller's bytes and as controller.cfg. A setlist is
// refused with a line of the file, or every song's sound is one the combo can hold and the file
// written from it reads back the same. Controller messages hold channels and numbers MIDI can
// carry, whether the bytes come all at once or one at a time. Settings never put one trigger on
// both pedals, and read back as they were written.

#include <algorithm>
#include <string>

#include "fuzz/FuzzCheck.h"
#include "live/FootController.h"
#include "live/SetlistFile.h"

using namespace kestralux;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string text(reinterpret_cast<const char*>(data), size);
  const SetlistReading reading = readSetlistFile(text, "fuzz");
  FUZZ_CHECK(reading.setlist.has_value() != reading.error.has_value());
  if (reading.error) {
    FUZZ_CHECK(reading.error->line >= 1 && static_cast<std::size_t>(reading.error->line) <= size);
  } else {
    for (const Song& song : reading.setlist->songs) FUZZ_CHECK(isPreset(song.sound));
    const SetlistReading again = readSetlistFile(setlistFileText(*reading.setlist), "other");
    FUZZ_CHECK(again.setlist && *again.setlist == *reading.setlist);
  }

  ControllerByteParser whole, byByte;
  const std::vector<ControllerMessage> messages = whole.feed(std::span(data, size));
  std::vector<ControllerMessage> oneAtATime;
  for (std::size_t k = 0; k < size; ++k)
    if (const auto m = byByte.feed(data[k])) oneAtATime.push_back(*m);
  FUZZ_CHECK(messages == oneAtATime);
  for (const ControllerMessage& m : messages) {
    FUZZ_CHECK(m.channel >= 0 && m.channel <= 15 && m.number >= 0 && m.number <= 127 && m.value >= 0 && m.value <= 127);
    const auto step = stepOfMessage(FootMapping{}, m);
    FUZZ_CHECK(!step || step->kind != StepKind::Song || (step->song >= 1 && step->song <= 128));
  }

  const FootControllerSettings settings = readFootControllerSettings(text);
  FUZZ_CHECK(!(settings.mapping.next == settings.mapping.previous));
  FUZZ_CHECK(settings.port.find('\n') == std::string::npos);
  if (settings.port.empty() || settings.port.back() != '\r')
    FUZZ_CHECK(readFootControllerSettings(footControllerSettingsText(settings)) == settings);
  return 0;
}
