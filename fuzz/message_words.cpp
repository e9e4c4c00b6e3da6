// Bytes from a MIDI input, cut into messages at each F7 as the port delivers SysEx, read into
// the monitor's words, in and out by turns, and kept in its list: a preset is named only for
// a whole message of ours, a damaged one never for a whole one, and every line prints.

#include <algorithm>
#include <chrono>

#include "fuzz/FuzzCheck.h"
#include "link/MonitorLog.h"
#include "protocol/Sysex.h"

using namespace kestralux;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  MonitorLog log(std::chrono::steady_clock::time_point{});
  MonitorFilter all;
  all.liveEdits = true;
  log.setFilter(all);
  MessageReader reader;
  std::size_t start = 0;
  int n = 0;
  while (start < size) {
    const std::uint8_t* end = std::find(data + start, data + size, 0xF7);
    const std::size_t length = static_cast<std::size_t>(end - (data + start)) + (end == data + size ? 0 : 1);
    const std::span<const std::uint8_t> message(data + start, length);
    start += length;
    const MessageDirection direction = n++ % 2 ? MessageDirection::Out : MessageDirection::In;
    const MessageMeaning meaning = reader.read(direction, "port", message);
    FUZZ_CHECK(!meaning.words.empty());
    if (meaning.kind == MessageKind::Preset || meaning.kind == MessageKind::Store)
      FUZZ_CHECK(isOurPresetMessage(message) && isPreset(presetOfMessage(message)));
    if (meaning.kind == MessageKind::Damaged) FUZZ_CHECK(!isOurPresetMessage(message) || !isPreset(presetOfMessage(message)));
    FUZZ_CHECK(hexBytes(message).size() == (length ? 3 * length - 1 : 0));
    log.take({std::chrono::steady_clock::time_point{}, direction, "port", {message.begin(), message.end()}});
  }
  FUZZ_CHECK(log.shownCount() == log.lineCount());
  FUZZ_CHECK(!log.text({}, true).empty() || size == 0);
  return 0;
}
