// kestralux-tool setlist and live as a user runs them: what they write, print and refuse, and
// the keys of a terminal playing a set over the loopback port.

#include <gtest/gtest.h>

#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <sstream>

#include "files/ComboConfig.h"
#include "files/PresetFiles.h"
#include "live/SetlistFile.h"
#include "midi/LoopbackPorts.h"
#include "protocol/Sysex.h"
#include "tool/KestraluxTool.h"
#include "tool/LiveCommands.h"

namespace kestralux {
namespace {

namespace fs = std::filesystem;

PresetBank sampleBank() {
  PresetBank bank{};
  for (int n = 0; n < kPresetCount; ++n) {
    if (n != 5) bank[n].storeName("SONG " + std::to_string(n + 1));
    for (int i = 0; i < kParameterCount; ++i) bank[n].setValue(i, (n * 7 + i) % 31);
    bank[n].setValue(AMP_TYPE, n % kAmpModelCount);
    bank[n].setValue(EFFECT_SELECT, kEffectCodes[static_cast<std::size_t>(n) % kEffectCodes.size()]);
  }
  return bank;
}

// The tool owns the ports it is given; the test keeps them to look at afterwards.
class BorrowedPorts : public MidiPorts {
 public:
  explicit BorrowedPorts(MidiPorts& ports) : ports_(ports) {}
  std::vector<std::string> inputPortNames() override { return ports_.inputPortNames(); }
  std::vector<std::string> outputPortNames() override { return ports_.outputPortNames(); }
  bool openOutput(std::uint32_t device) override { return ports_.openOutput(device); }
  bool isOutputOpen() const override { return ports_.isOutputOpen(); }
  bool sendMessage(std::span<const std::uint8_t> message) override { return ports_.sendMessage(message); }
  void closeOutput() override { ports_.closeOutput(); }
  bool openInput(std::uint32_t device, Delivery deliver) override { return ports_.openInput(device, std::move(deliver)); }
  bool openControllerInput(std::uint32_t device, Delivery deliver) override {
    return ports_.openControllerInput(device, std::move(deliver));
  }
  bool isInputOpen() const override { return ports_.isInputOpen(); }
  void closeInput() override { ports_.closeInput(); }

 private:
  MidiPorts& ports_;
};

class SetlistCommands : public ::testing::Test {
 protected:
  void SetUp() override {
    dir = fs::temp_directory_path() / ("kestralux-setlist-tool-" + std::to_string(::getpid()));
    fs::remove_all(dir);
    fs::create_directories(dir);
    const Bytes bank = bankFileImage(sampleBank());
    std::ofstream(dir / "bank.bnk", std::ios::binary).write(reinterpret_cast<const char*>(bank.data()), static_cast<std::streamsize>(bank.size()));
    home = fs::current_path();
    fs::current_path(dir);
  }
  void TearDown() override {
    fs::current_path(home);
    fs::remove_all(dir);
  }

  // The combo on the loopback (its output "COMBO IN", its input "COMBO OUT") for the first
  // ports the tool makes, and a pedal for the second.
  PortsFactory loopback() {
    made = 0;
    return [this]() -> std::unique_ptr<MidiPorts> { return std::make_unique<BorrowedPorts>(made++ == 0 ? combo : pedal); };
  }

  int run(const std::vector<std::string>& args) {
    out.str("");
    err.str("");
    return runKestraluxTool(args, out, err, loopback());
  }

  Setlist read(const std::string& name) {
    std::ifstream in(dir / name);
    const std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    const SetlistReading r = readSetlistFile(text, "?");
    EXPECT_TRUE(r.setlist) << r.error->text();
    return r.setlist.value_or(Setlist{});
  }

  fs::path dir, home;
  std::ostringstream out, err;
  LoopbackPorts combo{{"COMBO OUT", "PEDAL"}, {"COMBO IN"}};
  LoopbackPorts pedal{{"COMBO OUT", "PEDAL"}, {"COMBO IN"}};
  int made = 0;
};

TEST_F(SetlistCommands, MakeShowAndRefuse) {
  const Setlist made = [] {
    Setlist s;
    s.name = "gig";
    s.songs = {songOfSound(sampleBank()[2], "Hold the Line"), songOfSound(sampleBank()[5], "Slow Burn"), songOfSound(sampleBank()[0])};
    return s;
  }();
  std::ofstream("bad.setlist") << "SETLIST \"bad\"\n\n" << songLine(made.songs[0]) << "\n\"Encore\" \"LEAD\" GAIN=loud\n";
  std::ofstream("empty.setlist") << "SETLIST \"nothing yet\"\n";

  struct Row {
    std::vector<std::string> args;
    int exit;
    std::string err;  // the start of what it says on standard error
  };
  const Row rows[] = {
      {{"setlist", "bank.bnk", "--slots", "3,6,1", "--titles", "Hold the Line,Slow Burn", "-o", "gig.setlist"}, 0,
       "kestralux-tool: 3 songs written to gig.setlist\n"},
      {{"setlist", "bank.bnk", "bank.bnk", "-o", "two.setlist"}, 0, "kestralux-tool: 60 songs written"},
      {{"setlist", "bank.bnk", "-o", "gig.setlist"}, 2, "kestralux-tool: gig.setlist exists; nothing written"},
      {{"setlist", "bank.bnk", "-o", "gig.txt"}, 2, "kestralux-tool: "},
      {{"setlist", "bank.bnk", "--slots", "3,31", "-o", "x.setlist"}, 2, "kestralux-tool: --slots: \"31\" is not a slot 1..30"},
      {{"setlist", "bank.bnk", "--slots", "3", "--titles", "A,B", "-o", "x.setlist"}, 2, "kestralux-tool: --titles gives 2 titles for 1 songs"},
      {{"setlist", "--show", "bad.setlist"}, 1, "kestralux-tool: bad.setlist: line 4: "},
      {{"live", "bad.setlist", "--out", "COMBO IN"}, 1, "kestralux-tool: bad.setlist: line 4: "},
      {{"live", "empty.setlist", "--out", "COMBO IN"}, 1, "kestralux-tool: empty.setlist holds no song\n"},
      {{"live", "gig.setlist", "--out", "COMBO IN", "--next-cc", "128"}, 2, "kestralux-tool: --next-cc takes a controller number 0..127"},
      {{"live", "gig.setlist", "--out", "COMBO IN", "--next-cc", "81"}, 2, "kestralux-tool: next and previous would be the same pedal (CC 81)"},
      {{"live", "gig.setlist"}, 1, "kestralux-tool: no combo remembered here"},
      {{"live", "gig.setlist", "--out", "COMBO IN", "--in", "COMBO OUT", "--controller", "combo out"}, 1,
       "kestralux-tool: \"COMBO OUT\" is the combo's input; the foot controller needs a port of its own\n"},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.args[0] + " " + row.args[1]);
    EXPECT_EQ(run(row.args), row.exit) << err.str();
    EXPECT_EQ(err.str().substr(0, row.err.size()), row.err);
  }
  EXPECT_EQ(read("gig.setlist"), made);
  EXPECT_EQ(read("two.setlist").songs.size(), 60u);
  EXPECT_FALSE(fs::exists("x.setlist"));
  EXPECT_FALSE(fs::exists("gig.txt"));

  ASSERT_EQ(run({"setlist", "--show", "gig.setlist"}), 0) << err.str();
  EXPECT_EQ(out.str(),
            "SETLIST gig (3 songs)\n"
            "#  TITLE          SOUND   AMP         EFFECT  NOTE\n"
            "1  Hold the Line  SONG 3  BRIT BLUES  DETUNE\n"
            "2  Slow Burn      -       HI GAIN     WAH\n"
            "3  SONG 1         SONG 1  CLEAN 1     CHORUS\n");
}

TEST_F(SetlistCommands, LiveTakesKeysFromTheTerminalAndSendsOnlyTheSongsSounds) {
  Setlist set;
  for (int n : {0, 1, 2}) set.songs.push_back(songOfSound(sampleBank()[static_cast<std::size_t>(n)], "Song " + std::to_string(n + 1)));
  std::ofstream("three.setlist") << setlistFileText(set);
  SAVE_CONFIG({0, 0});  // the combo remembered: output 0, input 0

  int keys[2];
  ASSERT_EQ(::pipe(keys), 0);
  // Next, next, next past the end, previous, a key that means nothing, then quit.
  const std::string typed = " \n xbq";
  ASSERT_EQ(::write(keys[1], typed.data(), typed.size()), static_cast<ssize_t>(typed.size()));
  ::close(keys[1]);
  const int status = runLiveCommand({"live", "three.setlist"}, out, err, loopback(), LiveInputs{keys[0], nullptr});
  ::close(keys[0]);
  ASSERT_EQ(status, 0) << err.str();
  EXPECT_EQ(out.str(), "1/3 Song 1: SONG 1\n2/3 Song 2: SONG 2\n3/3 Song 3: SONG 3\nEND OF THE SET\n2/3 Song 2: SONG 2\n");
  EXPECT_EQ(err.str(), "kestralux-tool: stopped at 2 / 3\n");

  // Four bursts of the sixteen values, each the song's, and nothing else: no store, no request.
  const auto& sent = combo.sentTo(0);
  ASSERT_EQ(sent.size(), 4u * kParameterCount);
  for (std::size_t k = 0; k < sent.size(); ++k) {
    const std::size_t song = std::vector<std::size_t>{0, 1, 2, 1}[k / kParameterCount];
    ASSERT_EQ(sent[k].size(), kParameterMessageSize);
    const int code = sent[k][7];
    ASSERT_TRUE(code >= 1 && code <= kParameterCount) << "message " << k << " is no parameter change";
    EXPECT_EQ(sent[k][8], valueByte(sampleBank()[song].value(code - 1))) << "message " << k;
  }
}

}  // namespace
}  // namespace kestralux
