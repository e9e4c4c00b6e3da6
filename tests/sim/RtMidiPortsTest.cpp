#include <gtest/gtest.h>

#include <cstdint>
#include <cstdlib>
#include <vector>

#include "midi/RtMidiPorts.h"

namespace kestralux {
namespace {

// Without any MIDI system the ports object still works: it lists nothing and every
// open or send fails instead of throwing.
TEST(RtMidiPorts, NoSystemMeansNoPortsAndFailedOpens) {
  RtMidiPorts ports(MidiSystem::None);
  EXPECT_EQ(ports.system(), MidiSystem::None);
  EXPECT_TRUE(ports.inputPortNames().empty());
  EXPECT_TRUE(ports.outputPortNames().empty());
  EXPECT_FALSE(ports.openOutput(0));
  EXPECT_FALSE(ports.isOutputOpen());
  const std::vector<std::uint8_t> message{0xF0, 0x00, 0x00, 0x4B, 0x06, 0x42, 0x00, 0x00, 0x00, 0xF7};
  EXPECT_FALSE(ports.sendMessage(message));
  bool delivered = false;
  EXPECT_FALSE(ports.openInput(0, [&](std::vector<std::uint8_t>) { delivered = true; }));
  EXPECT_FALSE(ports.isInputOpen());
  ports.closeInput();
  ports.closeOutput();
  EXPECT_FALSE(delivered);

  RtMidiVirtualPorts virtualPorts(MidiSystem::None);
  EXPECT_FALSE(virtualPorts.open("KESTRALUX", nullptr));
  EXPECT_FALSE(virtualPorts.lastError().empty());
  EXPECT_FALSE(virtualPorts.sendMessage(message));
}

// A JACK server that does not run must not be chosen, and asking must not start one.
TEST(RtMidiPorts, AbsentJackServerIsNotChosen) {
  ::setenv("JACK_DEFAULT_SERVER", "kestralux-no-such-server", 1);
  ::setenv("JACK_NO_START_SERVER", "1", 1);
  EXPECT_FALSE(jackServerRunning());
  if (!alsaSequencerAvailable()) {
    EXPECT_EQ(detectMidiSystem(), MidiSystem::None);
  }
  EXPECT_FALSE(jackServerRunning()) << "the first probe must not have started a server";
}

// Ports asked of a JACK server that does not run: every open fails, quietly (the program says
// in its own words what failed), and the program still ends cleanly, in a process of its own so
// a crash at exit is seen.
TEST(RtMidiPortsDeathTest, OpensWithoutAJackServerFailQuietlyAndTheProgramEnds) {
  GTEST_FLAG_SET(death_test_style, "threadsafe");
  const auto openAndExit = [] {
    ::setenv("JACK_DEFAULT_SERVER", "kestralux-no-such-server", 1);
    ::setenv("JACK_NO_START_SERVER", "1", 1);
    RtMidiPorts ports(MidiSystem::Jack, "kestralux-test");
    int opened = 0;
    opened += ports.openInput(0, [](std::vector<std::uint8_t>) {});
    opened += ports.openOutput(0);
    RtMidiVirtualPorts virtualPorts(MidiSystem::Jack);
    opened += virtualPorts.open("KESTRALUX", [](std::vector<std::uint8_t>) {});
    opened += virtualPorts.serverLost();
    ports.closeInput();
    virtualPorts.close();
    std::exit(opened);
  };
  EXPECT_EXIT(openAndExit(), ::testing::ExitedWithCode(0), "^$");
}

TEST(RtMidiPorts, SystemNames) {
  EXPECT_STREQ(midiSystemName(MidiSystem::None), "none");
  EXPECT_STREQ(midiSystemName(MidiSystem::Alsa), "ALSA");
  EXPECT_STREQ(midiSystemName(MidiSystem::Jack), "JACK");
}

}  // namespace
}  // namespace kestralux
