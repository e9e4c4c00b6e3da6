// kestralux-tool live, a process of its own, between a foot controller's port made by the test
// and kestralux-sim over a private JACK server: each step brings the song's whole sound to the
// combo, and nothing else ever reaches it.

#include <gtest/gtest.h>

#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <future>
#include <optional>
#include <sstream>
#include <thread>

#include "live/SetlistFile.h"
#include "midi/RtMidiPorts.h"
#include "tests/PresetValues.h"
#include "tests/e2e/SimProcess.h"

namespace kestralux {
namespace {

namespace fs = std::filesystem;
using namespace std::chrono_literals;

std::string textOf(const fs::path& file) {
  std::ifstream in(file);
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

std::vector<std::string> linesOf(const fs::path& file) {
  std::istringstream text(textOf(file));
  std::vector<std::string> lines;
  for (std::string line; std::getline(text, line);) lines.push_back(line);
  return lines;
}

// The lines of `file` once it holds `count`, or as they are after ten seconds.
std::vector<std::string> awaitLines(const fs::path& file, std::size_t count) {
  const auto end = std::chrono::steady_clock::now() + 10s;
  std::vector<std::string> lines;
  while ((lines = linesOf(file)).size() < count && std::chrono::steady_clock::now() < end) std::this_thread::sleep_for(20ms);
  return lines;
}

TEST(LiveOverJack, TheControllersStepsBringEachSongsWholeSoundAndNothingElse) {
  const fs::path dir = fs::temp_directory_path() / ("kestralux-live-e2e-" + std::to_string(getpid()));
  fs::remove_all(dir);
  fs::create_directories(dir);

  Setlist set;
  set.name = "e2e";
  for (int n = 0; n < 3; ++n) {
    PresetRecord sound;
    for (int i = 0; i < kParameterCount; ++i) sound.setValue(i, (n * 37 + i * 11 + 5) % 128);
    test::makePreset(sound, n + 3);
    sound.storeName(("SOUND " + std::to_string(n + 1)).c_str());
    set.songs.push_back(songOfSound(sound, "Song " + std::to_string(n + 1)));
  }
  std::ofstream(dir / "e2e.setlist") << setlistFileText(set);

  PresetBank bank{};
  for (int n = 0; n < kPresetCount; ++n) test::makePreset(bank[static_cast<std::size_t>(n)], n);
  auto sim = e2e::startSimulator(dir, bank);
  ASSERT_TRUE(sim->waitForLines("kestralux-sim:", 1)) << "the simulator did not start";

  RtMidiVirtualPorts pedal;
  ASSERT_TRUE(pedal.open("E2E PEDAL", nullptr)) << pedal.lastError();

  const fs::path printed = dir / "printed", said = dir / "said";
  auto tool = std::async(std::launch::async, [&] {
    const std::string command = "cd '" + dir.string() + "' && exec " + KESTRALUX_TOOL_PROGRAM +
                                " live e2e.setlist --controller 'E2E PEDAL MIDI OUT' --in 'KESTRALUX MIDI OUT'"
                                " --out 'KESTRALUX MIDI IN' </dev/null >" + printed.string() + " 2>" + said.string();
    const int status = std::system(command.c_str());
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  });

  // What the tool printed, a line per step, and what the combo heard, a line per parameter
  // message: the start's burst first.
  std::vector<std::string> expected{"1/3 Song 1: SOUND 1"};
  std::size_t bursts = 1;
  ASSERT_EQ(awaitLines(printed, 1), expected) << textOf(said);
  ASSERT_TRUE(sim->waitForLines("param ", kParameterCount));
  const auto step = [&](std::vector<std::uint8_t> message, std::optional<std::string> line, bool sends) {
    ASSERT_TRUE(pedal.sendMessage(message));
    if (!line) return;  // the next step shows that this one printed nothing
    expected.push_back(*line);
    ASSERT_EQ(awaitLines(printed, expected.size()), expected) << textOf(said);
    if (sends) ++bursts;
    ASSERT_TRUE(sim->waitForLines("param ", kParameterCount * bursts)) << textOf(dir / "sim.out");
  };
  step({0xC4, 2}, "3/3 Song 3: SOUND 3", true);                     // Program Change 2, channel 5
  step({0xB0, 81, 127}, "2/3 Song 2: SOUND 2", true);               // CC 81 pressed
  step({0xB0, 81, 0}, std::nullopt, false);                         // ... and released: no step
  step({0xC0, 7}, "PROGRAM 7 (CH 1): NO SONG 8 IN THIS SET", false);
  step({0xB0, 80, 127, 0xF8, 80, 0}, "3/3 Song 3: SOUND 3", true);  // running status, a clock between
  step({0xB0, 80, 100}, "CC 80 = 100 (CH 1): END OF THE SET", false);

  pedal.close();
  ASSERT_EQ(tool.wait_for(10s), std::future_status::ready) << "the tool did not end when the controller went away";
  EXPECT_EQ(tool.get(), 0) << textOf(said);
  EXPECT_NE(textOf(said).find("the foot controller's port \"E2E PEDAL MIDI OUT:out\" went away at 3 / 3"), std::string::npos)
      << textOf(said);

  ASSERT_EQ(sim->stop(), 0);
  std::size_t parameters = 0;
  for (const std::string& line : sim->outputLines()) {
    if (line.rfind("kestralux-sim:", 0) == 0) continue;
    EXPECT_EQ(line.rfind("param ", 0), 0u) << "the combo was sent something else: " << line;
    ++parameters;
  }
  EXPECT_EQ(parameters, kParameterCount * bursts);
  const PresetRecord heard = e2e::dumpedSound(dir);
  for (int i = 0; i < kParameterCount; ++i) EXPECT_EQ(heard.value(i), set.songs[2].sound.value(i)) << parameterName(i);
  fs::remove_all(dir);
}

}  // namespace
}  // namespace kestralux
