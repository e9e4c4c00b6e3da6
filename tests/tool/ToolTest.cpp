// kestralux-tool as a user runs it: its exit status, what it prints and what it writes; the
// MIDI commands over the loopback port, with a device answering from inside the port.

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <numeric>
#include <sstream>

#include "files/BankHistory.h"
#include "files/BankSheet.h"
#include "files/ComboConfig.h"
#include "tool/KestraluxTool.h"
#include "files/PresetFiles.h"
#include "files/PresetTableExport.h"
#include "files/Syx.h"
#include "midi/LoopbackPorts.h"
#include "protocol/Sysex.h"
#include "tests/HistoryHome.h"

namespace kestralux {
namespace {

namespace fs = std::filesystem;

PresetBank sampleBank() {
  PresetBank bank{};
  for (int n = 0; n < kPresetCount; ++n) {
    bank[n].storeName("SONG " + std::to_string(n + 1));
    for (int i = 0; i < kParameterCount; ++i) bank[n].setValue(i, (n + i) % 31);
    bank[n].setValue(AMP_TYPE, n % kAmpModelCount);
    bank[n].setValue(EFFECT_SELECT, 2);
    bank[n].setValue(DELAY_TIME, 200 + n);
  }
  return bank;
}

// The tool owns the ports it is given; the test keeps the device to look at afterwards.
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
  bool isInputOpen() const override { return ports_.isInputOpen(); }
  void closeInput() override { ports_.closeInput(); }

 private:
  MidiPorts& ports_;
};

class Tool : public ::testing::Test {
 protected:
  void SetUp() override {
    dir = fs::temp_directory_path() / ("kestralux-tool-" + std::to_string(::getpid()));
    fs::remove_all(dir);
    fs::create_directories(dir);
    put("bank.bnk", bankFileImage(sampleBank()));
    put("one.pre", presetFileImage(sampleBank()[4]));
    put("short.bnk", Bytes(2639, 0));
    for (std::size_t size : {87, 89, 2640}) put(std::to_string(size) + ".pre", Bytes(size, 0));
    const std::string text(300, 'a');
    put("text.pre", Bytes(text.begin(), text.begin() + 88));
    // The tool takes the combo's ports from combo.cfg in the working directory.
    home = fs::current_path();
    fs::current_path(dir);
    SAVE_CONFIG({0, 0});
  }
  void TearDown() override {
    fs::current_path(home);
    fs::remove_all(dir);
  }

  void put(const std::string& name, const Bytes& bytes) {
    std::ofstream(dir / name, std::ios::binary).write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
  }
  Bytes get(const std::string& name) const { return readFileStart(dir / name, 1 << 20).value_or(Bytes{}); }
  std::string path(const std::string& name) const { return (dir / name).string(); }

  int run(std::vector<std::string> args) {
    out.str("");
    err.str("");
    device = std::make_unique<LoopbackPorts>(std::vector<std::string>{"COMBO OUT"}, std::vector<std::string>{"COMBO IN"});
    device->onSend = [this](const LoopbackPorts::Message& m) {
      if (m.size() == kParameterMessageSize && m[7] == CODE_REQUEST_BANK) answer();
    };
    return runKestraluxTool(args, out, err, [this] { return std::make_unique<BorrowedPorts>(*device); });
  }

  // The device's answer to a bank request: `answered` messages, one of them damaged; another
  // device's long message comes in between and never ends the fetch.
  void answer() {
    for (int n = 0; n < answered; ++n) {
      if (n == 3) device->inject(LoopbackPorts::Message{0xF0, 0x00, 0x20, 0x33, 0x01, 0x10, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00,
                                                        0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00,
                                                        0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00,
                                                        0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0xF7});
      PresetMessage m = buildPresetMessage(n == 0 ? CMD_BANK_FIRST : CMD_BANK_NEXT, sampleBank()[n]);
      if (n + 1 == damaged) m[kChecksumByte] ^= 1;
      device->inject(LoopbackPorts::Message(m.begin(), m.end()));
    }
  }

  fs::path dir;
  fs::path home;
  std::ostringstream out, err;
  std::unique_ptr<LoopbackPorts> device;
  int answered = 30;
  int damaged = 0;
};

TEST_F(Tool, FileCommands) {
  struct Row {
    std::vector<std::string> args;
    int exit;
    std::string err;  // the start of what it says on standard error
  };
  const Row rows[] = {
      {{"export-inc", path("bank.bnk"), "-o", path("k.inc")}, 0, ""},
      {{"to-syx", path("bank.bnk"), "-o", path("bank.syx")}, 0, ""},
      {{"from-syx", path("bank.syx"), "-o", path("again.bnk")}, 0, ""},
      {{"to-syx", path("one.pre"), "-o", path("one.syx")}, 0, ""},
      {{"from-syx", path("one.syx"), "-o", path("again.pre")}, 0, ""},
      {{"show", path("short.bnk")}, 1, "kestralux-tool: " + path("short.bnk") + ": 2639 bytes, a bank file holds exactly 2640\n"},
      {{"show", path("87.pre")}, 1, "kestralux-tool: " + path("87.pre") + ": 87 bytes, a preset file holds exactly 88\n"},
      {{"show", path("89.pre")}, 1, "kestralux-tool: " + path("89.pre") + ": 89 bytes, a preset file holds exactly 88\n"},
      {{"to-syx", path("2640.pre")}, 1, "kestralux-tool: " + path("2640.pre") + ": 2640 bytes, a preset file holds exactly 88\n"},
      {{"show", path("text.pre")}, 1, "kestralux-tool: " + path("text.pre") + ": preset 1: AMP_TYPE 1633771873 is not an amp model (0..15)\n"},
      {{"from-syx", path("bank.syx"), "-o", path("one.pre")}, 2, "kestralux-tool: " + path("bank.syx") + " holds a bank; write it to a .bnk file\n"},
      {{"from-syx", path("one.syx"), "-o", path("x.bnk")}, 2, "kestralux-tool: " + path("one.syx") + " holds one preset; write it to a .pre file\n"},
      {{"export-inc", path("one.pre"), "-o", path("no.inc")}, 1, "kestralux-tool: " + path("one.pre") + " holds one preset"},
      {{"from-syx", path("bank.bnk"), "-o", path("no.bnk")}, 1, "kestralux-tool: " + path("bank.bnk") + ": message 1: does not start with F0\n"},
      {{"show", path("missing.bnk")}, 1, "kestralux-tool: cannot read"},
      {{"to-syx", path("bank.bnk"), "-o", path("nowhere/x.syx")}, 1, "kestralux-tool: cannot create"},
      {{"show"}, 2, "kestralux-tool: show takes one file\nusage: kestralux-tool"},
      {{"show", path("bank.bnk"), "--bogus"}, 2, "kestralux-tool: unknown option --bogus\nusage:"},
      {{"frobnicate"}, 2, "kestralux-tool: unknown command frobnicate\nusage:"},
      {{}, 2, "kestralux-tool: no command\nusage:"},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.args.empty() ? "(none)" : row.args[0]);
    EXPECT_EQ(run(row.args), row.exit) << err.str();
    EXPECT_EQ(err.str().substr(0, row.err.size()), row.err);
    const std::string said = err.str();
    if (row.exit == 1) {
      EXPECT_EQ(std::count(said.begin(), said.end(), '\n'), 1) << "one line";
    }
  }
  const std::string inc = presetTableText(sampleBank());
  EXPECT_EQ(get("k.inc"), Bytes(inc.begin(), inc.end()));
  EXPECT_EQ(get("bank.syx"), bankToSyx(sampleBank()));
  // from-syx(to-syx(bank)) keeps every value; the messages carry no names.
  PresetBank valuesOnly{};
  for (int n = 0; n < kPresetCount; ++n)
    for (int i = 0; i < kParameterCount; ++i) valuesOnly[n].setValue(i, sampleBank()[n].value(i));
  EXPECT_EQ(get("again.bnk"), bankFileImage(valuesOnly));
  EXPECT_EQ(get("again.pre"), presetFileImage(valuesOnly[4]));
  for (const char* never : {"no.inc", "no.bnk", "nowhere", "x.bnk"}) EXPECT_FALSE(fs::exists(dir / never)) << never;
  EXPECT_EQ(get("one.pre"), presetFileImage(sampleBank()[4])) << "a bank is never written over a .pre";
}

TEST_F(Tool, ShowPrintsEveryPresetAsTheWindowShowsIt) {
  ASSERT_EQ(run({"show", path("bank.bnk")}), 0) << err.str();
  std::vector<std::string> lines;
  std::istringstream in(out.str());
  for (std::string l; std::getline(in, l);) lines.push_back(l);
  ASSERT_EQ(lines.size(), 31u);
  EXPECT_EQ(lines[0].substr(0, 40), "#   NAME                 AMP           G");
  EXPECT_EQ(lines[1],
            "1   SONG 1               CLEAN 1       0.33  1.00  1.33  1.66   0.66   -36DB  2.00   2.33    2.66    L<9"
            "    800 ms  FLANGER    4.66       5.00     11");
  ASSERT_EQ(run({"show", path("one.pre")}), 0);
  const std::string shown = out.str();
  EXPECT_EQ(std::count(shown.begin(), shown.end(), '\n'), 2);
}

// The store reads the combo's bank, sends the bank in order and reads it back; --no-verify
// sends the 30 messages only; --history N stores a kept bank.
TEST_F(Tool, StoreSendsTheBankInOrderBetweenItsTwoReads) {
  fs::remove_all(historyFolder());
  const auto request = [](const LoopbackPorts::Message& m) { return m.size() == kParameterMessageSize && m[7] == CODE_REQUEST_BANK; };
  ASSERT_EQ(run({"store", path("bank.bnk"), "--out", "combo"}), 0) << err.str();
  ASSERT_EQ(device->allSent().size(), 32u);
  EXPECT_TRUE(request(device->allSent().front()));
  EXPECT_TRUE(request(device->allSent().back()));
  for (std::size_t n = 0; n < 30; ++n) {
    const PresetMessage m = buildPresetMessage(n == 0 ? CMD_BANK_FIRST : CMD_BANK_NEXT, sampleBank()[n]);
    EXPECT_EQ(device->allSent()[n + 1], LoopbackPorts::Message(m.begin(), m.end())) << n;
  }
  EXPECT_NE(err.str().find("kestralux-tool: stored and checked: 30 of 30\n"), std::string::npos) << err.str();
  const std::vector<HistoryEntry> kept = listHistory(historyFolder());
  ASSERT_EQ(kept.size(), 3u);
  EXPECT_EQ(kept[2].kind, "on the combo before the store");

  ASSERT_EQ(run({"store", path("bank.bnk"), "--no-verify"}), 0) << err.str();
  EXPECT_EQ(device->allSent().size(), 30u);
  EXPECT_EQ(std::count_if(device->allSent().begin(), device->allSent().end(), request), 0) << "no bank request at all";
  EXPECT_NE(err.str().find("kestralux-tool: all presets sent, not checked\n"), std::string::npos) << err.str();

  ASSERT_EQ(run({"store", "--history", "3"}), 0) << err.str();
  EXPECT_EQ(device->allSent().size(), 32u);
  EXPECT_EQ(run({"store", "--history", "99"}), 1);
  EXPECT_EQ(run({"store", path("bank.bnk"), "--out", "7"}), 1);
  EXPECT_EQ(err.str(), "kestralux-tool: no MIDI output port 7\n");
}

// A file already there is never replaced without --force, whether named with -o or the
// command's default; with --force it is.
TEST_F(Tool, NeverWritesOverAFileWithoutForce) {
  put("crunch.syx", presetToSyx(sampleBank()[4]));
  put("bank.syx", bankToSyx(sampleBank()));
  struct Row {
    std::vector<std::string> args;
    std::string target;   // made beforehand, in the working directory
    int exitWithForce;
    int answered = 30;
  };
  const Row rows[] = {
      {{"export-inc", "bank.bnk", "-o", "k.inc"}, "k.inc", 0},
      {{"export-inc", "bank.bnk"}, kExportFileName, 0},
      {{"to-syx", "bank.bnk", "-o", "out.syx"}, "out.syx", 0},
      {{"to-syx", "one.pre"}, "one.syx", 0},
      {{"from-syx", "crunch.syx"}, "crunch.pre", 0},
      {{"from-syx", "bank.syx"}, "bank.bnk", 0},
      {{"from-syx", "crunch.syx", "-o", "taken.pre"}, "taken.pre", 0},
      {{"fetch", "-o", "taken.bnk"}, "taken.bnk", 0},
      {{"fetch"}, "FULL1.bnk", 0},
      {{"fetch", "-o", "taken.bnk", "--partial"}, "taken.bnk", 1, 12},
  };
  const fs::path before = fs::current_path();
  fs::current_path(dir);
  const Bytes mine{'M', 'I', 'N', 'E'};
  for (const Row& row : rows) {
    const std::string args = std::accumulate(row.args.begin(), row.args.end(), std::string(),
                                             [](std::string all, const std::string& a) { return all + " " + a; });
    SCOPED_TRACE(args);
    const Bytes original = get(row.target);
    put(row.target, mine);
    answered = row.answered;
    EXPECT_EQ(run(row.args), kToolBadUsage);
    EXPECT_EQ(err.str(), "kestralux-tool: " + row.target + " exists; nothing written (--force writes over it)\n");
    EXPECT_EQ(get(row.target), mine);

    std::vector<std::string> forced = row.args;
    forced.push_back("--force");
    EXPECT_EQ(run(forced), row.exitWithForce) << err.str();
    EXPECT_NE(get(row.target), mine);
    if (!original.empty()) put(row.target, original);
  }
  fs::current_path(before);
  answered = 30;
}

TEST_F(Tool, FetchWritesAWholeBankOrNothing) {
  ASSERT_EQ(run({"fetch", "-o", path("fetched.bnk"), "--in", "0", "--out", "combo in"}), 0) << err.str();
  PresetBank valuesOnly{};
  for (int n = 0; n < kPresetCount; ++n)
    for (int i = 0; i < kParameterCount; ++i) valuesOnly[n].setValue(i, sampleBank()[n].value(i));
  EXPECT_EQ(get("fetched.bnk"), bankFileImage(valuesOnly));

  answered = 0;
  EXPECT_EQ(run({"fetch", "-o", path("none.bnk")}), 1);
  EXPECT_NE(err.str().find("kestralux-tool: no answer; nothing written"), std::string::npos) << err.str();
  answered = 12;
  damaged = 5;
  EXPECT_EQ(run({"fetch", "-o", path("part.bnk")}), 1);
  EXPECT_NE(err.str().find("kestralux-tool: only 12 of 30 presets received; nothing written"), std::string::npos) << err.str();
  EXPECT_FALSE(fs::exists(dir / "part.bnk"));
  EXPECT_EQ(run({"fetch", "-o", path("part.bnk"), "--partial"}), 1);
  PresetBank part{};
  for (int n = 0; n < 12; ++n)
    if (n != 4) part[n] = valuesOnly[n];
  EXPECT_EQ(get("part.bnk"), bankFileImage(part));
}

TEST_F(Tool, DetectPrintsThePairOrSaysNoneAnswered) {
  EXPECT_EQ(run({"detect"}), 0) << err.str();
  EXPECT_EQ(out.str(), "MIDI OUTPUT  0  COMBO IN\nMIDI INPUT   0  COMBO OUT\n");
  answered = 0;
  EXPECT_EQ(run({"detect"}), 1);
  EXPECT_EQ(err.str(), "kestralux-tool: no combo found: no answer within 1 s on any of 1 MIDI output\n");
}

// diff for pairs of files and the combo: what it prints and its exit status, as diff(1).
TEST_F(Tool, DiffNamesEveryParameterThatDiffers) {
  PresetBank changed = sampleBank();
  changed[2].setValue(AMP_GAIN, 30);
  changed[9].storeName("LEAD");
  changed[0].setValue(EFF_ADJUST1, 15);
  put("changed.bnk", bankFileImage(changed));
  put("other.pre", presetFileImage(changed[2]));
  ASSERT_EQ(run({"to-syx", path("bank.bnk"), "-o", path("bank.syx")}), 0);
  struct Row {
    std::vector<std::string> args;
    int exit;
    std::string out;
  };
  const Row rows[] = {
      {{"diff", path("bank.bnk"), path("bank.bnk")}, 0, ""},
      {{"diff", path("bank.bnk"), path("changed.bnk")},
       1,
       "preset 1 \"SONG 1\"\n  EFFECT ADJUST 1 (DEPTH)  4.66 -> 5.00\n"
       "preset 3 \"SONG 3\"\n  GAIN  1.00 -> 10.00\n"
       "preset 10 \"SONG 10\"\n  NAME  \"SONG 10\" -> \"LEAD\"\n"},
      // The messages carry no names: only values are compared.
      {{"diff", path("bank.syx"), path("changed.bnk")}, 1, "preset 1\n"},
      {{"diff", path("one.pre"), path("bank.bnk"), "--preset", "5"}, 0, ""},
      // Two single presets are called by the number asked for.
      {{"diff", path("one.pre"), path("other.pre"), "--preset", "3"}, 1, "preset 3 \"SONG 5\"\n"},
      {{"diff", path("one.pre"), path("changed.bnk")}, 1, "preset 1 \"SONG 5\"\n  NAME  \"SONG 5\" -> \"SONG 1\"\n"},
      {{"diff", "combo", path("bank.bnk")}, 0, ""},
      {{"diff", path("missing.pre"), path("bank.bnk")}, 2, ""},
      {{"diff", path("bank.bnk")}, 2, ""},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.args[1] + " " + (row.args.size() > 2 ? row.args[2] : ""));
    EXPECT_EQ(run(row.args), row.exit) << err.str();
    EXPECT_EQ(out.str().substr(0, row.out.size()), row.out);
  }
}

// sheet prints or writes the sheet of a file or of the combo, and never writes over a file
// unless told to.
TEST_F(Tool, SheetOfAFileOrTheCombo) {
  put("kept.html", Bytes{'o', 'l', 'd'});
  PresetBank valuesOnly{};
  for (int n = 0; n < kPresetCount; ++n)
    for (int i = 0; i < kParameterCount; ++i) valuesOnly[n].setValue(i, sampleBank()[n].value(i));
  const PresetBank bank = sampleBank();
  const std::string bankText = bankSheet(bank, SheetFormat::Text, "bank.bnk");
  const std::string bankHtml = bankSheet(bank, SheetFormat::Html, "bank.bnk");
  const auto text = [](const std::string& s) { return Bytes(s.begin(), s.end()); };
  struct Row {
    std::vector<std::string> args;
    int exit;
    std::string out;       // standard output
    std::string file;      // a file it leaves, with
    std::string contents;  // these contents
    std::string err;       // a line of standard error
  };
  const Row rows[] = {
      {{"sheet", path("bank.bnk")}, 0, bankText, "", "", ""},
      {{"sheet", path("one.pre"), "--format", "csv"}, 0, bankSheet(std::span(&bank[4], 1), SheetFormat::Csv, ""), "", "", ""},
      {{"sheet", "combo", "--format", "html", "-o", path("combo.html")}, 0, "", "combo.html",
       bankSheet(valuesOnly, SheetFormat::Html, "combo", false), ""},
      {{"sheet", path("bank.bnk"), "--format", "html", "-o", path("kept.html")}, 2, "", "kept.html", "old",
       "kestralux-tool: " + path("kept.html") + " exists; nothing written (--force writes over it)\n"},
      {{"sheet", path("bank.bnk"), "--format", "html", "-o", path("kept.html"), "--force"}, 0, "", "kept.html", bankHtml, ""},
      {{"sheet", path("short.bnk"), "-o", path("none.txt")}, 1, "", "", "", "kestralux-tool: " + path("short.bnk") + ": 2639 bytes"},
      {{"sheet", path("bank.bnk"), "--format", "pdf"}, 2, "", "", "", "kestralux-tool: --format takes text, csv or html\n"},
      {{"sheet", path("bank.bnk"), path("one.pre")}, 2, "", "", "", "kestralux-tool: sheet takes one file (or combo)\n"},
      {{"sheet", "combo", "-o", path("none.txt")}, 1, "", "", "", "kestralux-tool: the combo's bank did not arrive whole\n"},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.args[1] + " " + (row.args.size() > 2 ? row.args.back() : ""));
    answered = row.err.find("combo's bank") != std::string::npos ? 12 : 30;
    EXPECT_EQ(run(row.args), row.exit);
    EXPECT_EQ(out.str(), row.out);
    if (!row.file.empty()) {
      EXPECT_EQ(get(row.file), text(row.contents));
    }
    EXPECT_NE(err.str().find(row.err), std::string::npos) << err.str();
  }
  EXPECT_FALSE(fs::exists(dir / "none.txt"));
}

// Every fetch that brought a preset and every store leave a bank in the history; `history`
// lists them newest first with what changed, and shows one.
TEST_F(Tool, HistoryKeepsEveryBankThatCameOrWent) {
  fs::remove_all(historyFolder());
  ASSERT_EQ(run({"fetch", "-o", path("fetched.bnk")}), 0) << err.str();
  answered = 12;
  ASSERT_EQ(run({"fetch", "-o", path("part.bnk")}), 1);
  answered = 0;
  ASSERT_EQ(run({"fetch", "-o", path("none.bnk")}), 1);
  put("changed.bnk", [] {
    PresetBank bank = sampleBank();
    bank[2].setValue(AMP_GAIN, 30);
    bank[9].setValue(AMP_GAIN, 30);
    return bankFileImage(bank);
  }());
  ASSERT_EQ(run({"store", path("changed.bnk"), "--no-verify"}), 0) << err.str();

  const std::vector<HistoryEntry> entries = listHistory(historyFolder());
  ASSERT_EQ(entries.size(), 3u) << "no bank for a fetch nobody answered";
  EXPECT_EQ(get("changed.bnk"), readFileStart(entries[0].path, 3000).value());
  EXPECT_EQ(get("fetched.bnk"), readFileStart(entries[2].path, 3000).value());

  ASSERT_EQ(run({"history"}), 0) << err.str();
  std::vector<std::string> lines;
  std::istringstream in(out.str());
  for (std::string l; std::getline(in, l);) lines.push_back(l.substr(0, 6) + l.substr(27));
  // The fetched presets came without names: only those with other values differ.
  EXPECT_EQ(lines, (std::vector<std::string>{"   1  stored             20 presets differ",
                                             "   2  fetched 12 of 30   18 presets differ",
                                             "   3  fetched            first"}));
  ASSERT_EQ(run({"history", "--show", "1"}), 0) << err.str();
  EXPECT_NE(out.str().find("SONG 3"), std::string::npos);
  EXPECT_EQ(run({"history", "--show", "4"}), 1);
  EXPECT_EQ(err.str(), "kestralux-tool: no history entry 4 (there are 3)\n");
}

// The combo sends no names: the fetch writes the names the library has for those sounds, the
// newest it was stored or fetched under.
TEST_F(Tool, FetchWritesTheNamesTheLibraryKnows) {
  fs::remove_all(dataFolder());
  ASSERT_EQ(run({"fetch", "-o", path("unknown.bnk")}), 0) << err.str();
  const PresetBank unknown = *parseBankFile(get("unknown.bnk"));
  for (const PresetRecord& r : unknown) EXPECT_FALSE(r.validName()) << "no name the library does not know";

  ASSERT_EQ(run({"store", path("bank.bnk")}), 0) << err.str();
  ASSERT_EQ(run({"fetch", "-o", path("named.bnk")}), 0) << err.str();
  EXPECT_EQ(get("named.bnk"), get("bank.bnk")) << "every value and every name";
}

}  // namespace
}  // namespace kestralux

namespace kestralux {
namespace {

TEST_F(Tool, VaryAndMorphWriteWhatTheExploreWindowWould) {
  put("taken.pre", presetFileImage(sampleBank()[0]));
  struct Row {
    std::vector<std::string> args;
    int exit;
    std::string err;  // the start of what it says on standard error
  };
  const Row rows[] = {
      {{"vary", path("one.pre"), "--seed", "7", "-o", path("v1.pre")}, 0, "kestralux-tool: 1 variation by 25 % written to"},
      {{"vary", path("one.pre"), "--seed", "7", "-o", path("v2.pre")}, 0, ""},
      {{"vary", path("bank.bnk"), "--preset", "5", "--seed", "7", "-o", path("v3.pre")}, 0, ""},
      {{"vary", path("one.pre"), "--seed", "8", "--count", "3", "--amount", "100", "--lock", "gain", "-o", path("three.bnk")}, 0, ""},
      {{"vary", path("one.pre"), "-o", path("any.pre")}, 0, "kestralux-tool: seed "},
      {{"morph", path("bank.bnk"), path("one.pre"), "--preset", "2", "--at", "0", "-o", path("m0.pre")}, 0, "kestralux-tool: 0 % from"},
      {{"morph", path("bank.bnk"), path("one.pre"), "--preset", "2", "--at", "100", "--lock", "DELAY TIME", "-o", path("m100.pre")}, 0, ""},
      {{"vary", path("one.pre"), "-o", path("taken.pre")}, 2, "kestralux-tool: " + path("taken.pre") + " exists; nothing written"},
      {{"morph", path("one.pre"), path("one.pre"), "--at", "50", "-o", path("taken.pre")}, 2, "kestralux-tool: " + path("taken.pre") + " exists"},
      {{"vary", path("one.pre"), "--lock", "DEPTH", "-o", path("no1.pre")}, 2,
       "kestralux-tool: no control is captioned \"DEPTH\"; the captions are AMP MODEL, GAIN, BASS,"},
      {{"vary", path("one.pre"), "--amount", "0", "-o", path("no2.pre")}, 2, "kestralux-tool: --amount takes a percentage 1..100, not 0\n"},
      {{"vary", path("one.pre"), "--amount", "101", "-o", path("no3.pre")}, 2, "kestralux-tool: --amount takes a percentage 1..100"},
      {{"vary", path("one.pre"), "--count", "31", "-o", path("no4.bnk")}, 2, "kestralux-tool: --count takes a count 1..30"},
      {{"morph", path("one.pre"), path("one.pre"), "--at", "-1", "-o", path("no5.pre")}, 2, "kestralux-tool: --at takes a percentage 0..100"},
      {{"morph", path("one.pre"), path("one.pre"), "-o", path("no6.pre")}, 2, "kestralux-tool: morph needs --at PCT, 0..100\nusage:"},
      {{"vary", path("one.pre")}, 2, "kestralux-tool: vary needs -o OUT\nusage:"},
      {{"vary", path("text.pre"), "-o", path("no7.pre")}, 1, "kestralux-tool: " + path("text.pre") + ": preset 1: AMP_TYPE"},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.args.back());
    EXPECT_EQ(run(row.args), row.exit) << err.str();
    EXPECT_EQ(err.str().substr(0, row.err.size()), row.err);
  }
  for (const char* never : {"no1.pre", "no2.pre", "no3.pre", "no4.bnk", "no5.pre", "no6.pre", "no7.pre"})
    EXPECT_FALSE(fs::exists(dir / never)) << never;
  EXPECT_EQ(get("taken.pre"), presetFileImage(sampleBank()[0]));

  const PresetBank bank = sampleBank();
  // The same seed, the same bytes; preset 5 of the bank is one.pre.
  EXPECT_EQ(get("v1.pre"), get("v2.pre"));
  EXPECT_EQ(get("v1.pre"), get("v3.pre"));
  EXPECT_NE(get("v1.pre"), presetFileImage(bank[4]));
  const auto three = parseBankFile(get("three.bnk"));
  ASSERT_TRUE(three);
  for (int n = 0; n < kPresetCount; ++n) {
    SCOPED_TRACE(n);
    const PresetRecord& r = (*three)[static_cast<std::size_t>(n)];
    EXPECT_EQ(r.value(AMP_GAIN), bank[4].value(AMP_GAIN));
    EXPECT_EQ(r.value(AMP_MASTER), bank[4].value(AMP_MASTER));
    EXPECT_EQ(r.validName(), bank[4].validName());
    if (n < 3) EXPECT_NE(r, bank[4]); else EXPECT_EQ(r, bank[4]);
  }
  EXPECT_EQ(get("m0.pre"), presetFileImage(bank[1]));
  const auto m100 = parsePresetFile(get("m100.pre"));
  ASSERT_TRUE(m100);
  PresetRecord expected = bank[1];
  for (int p = 0; p < kParameterCount; ++p) expected.setValue(p, p == DELAY_TIME ? bank[1].value(p) : bank[4].value(p));
  EXPECT_EQ(*m100, expected);
}

}  // namespace
}  // namespace kestralux

namespace kestralux {
namespace {

// A file written is what its extension says, whatever the command, and one rule says what a
// file read holds: a preset file named as a bank is no bank, nor a bank named as a preset.
TEST_F(Tool, WritesTheKindItsExtensionNamesAndReadsEveryFileByOneRule) {
  put("kept.bnk", bankFileImage(sampleBank()));
  put("preset.bnk", presetFileImage(sampleBank()[4]));
  put("bank.pre", bankFileImage(sampleBank()));
  struct Row {
    std::vector<std::string> args;
    int exit;
    std::string err;      // the start of what it says on standard error
    std::string written;  // the file the command names
    std::size_t size;     // its size afterwards; 0: not there
  };
  const Row rows[] = {
      {{"vary", path("one.pre"), "--seed", "7", "-o", path("one-of.bnk")}, 0, "", "one-of.bnk", kBankFileSize},
      {{"vary", path("one.pre"), "--count", "3", "-o", path("three.pre")}, 2,
       "kestralux-tool: 3 variations make a bank; write them to a .bnk file\n", "three.pre", 0},
      {{"vary", path("one.pre"), "-o", path("vary.txt")}, 2, "kestralux-tool: " + path("vary.txt") + ": write it to a .pre or a .bnk file\n",
       "vary.txt", 0},
      {{"morph", path("one.pre"), path("one.pre"), "--at", "50", "-o", path("kept.bnk"), "--force"}, 2,
       "kestralux-tool: morph makes one preset; write it to a .pre file\n", "kept.bnk", kBankFileSize},
      {{"morph", path("one.pre"), path("one.pre"), "--at", "50", "-o", path("morph")}, 2,
       "kestralux-tool: " + path("morph") + ": write it to a .pre or a .bnk file\n", "morph", 0},
      {{"fetch", "-o", path("fetched.pre")}, 2, "kestralux-tool: fetch brings a bank; write it to a .bnk file\n", "fetched.pre", 0},
      {{"to-syx", path("bank.bnk"), "-o", path("syx.bnk")}, 2, "kestralux-tool: " + path("syx.bnk") + ": write it to a .syx file\n",
       "syx.bnk", 0},
      {{"vary", path("preset.bnk"), "-o", path("no1.pre")}, 1,
       "kestralux-tool: " + path("preset.bnk") + ": 88 bytes, a bank file holds exactly 2640\n", "no1.pre", 0},
      {{"morph", path("bank.pre"), path("one.pre"), "--at", "50", "-o", path("no2.pre")}, 1,
       "kestralux-tool: " + path("bank.pre") + ": 2640 bytes, a preset file holds exactly 88\n", "no2.pre", 0},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.args[0] + " -o " + row.written);
    EXPECT_EQ(run(row.args), row.exit) << err.str();
    EXPECT_EQ(err.str().substr(0, row.err.size()), row.err);
    EXPECT_EQ(fs::exists(dir / row.written) ? fs::file_size(dir / row.written) : 0, row.size);
  }
  EXPECT_EQ(get("kept.bnk"), bankFileImage(sampleBank())) << "a bank is never written over by one preset";
  // One variation as a bank: the variation first, the preset it came from after it.
  const auto oneOf = parseBankFile(get("one-of.bnk"));
  ASSERT_TRUE(oneOf);
  EXPECT_NE((*oneOf)[0], sampleBank()[4]);
  for (std::size_t n = 1; n < kPresetCount; ++n) EXPECT_EQ((*oneOf)[n], sampleBank()[4]) << n;
}

// Every command that talks to the combo prints what went each way with --trace, in the
// monitor's words, on standard error; without it, nothing of the kind.
TEST_F(Tool, TraceShowsWhatEveryCommandSendsAndHears) {
  const struct {
    std::vector<std::string> args;
    std::string line;
  } rows[] = {
      {{"fetch", "-o", path("traced.bnk"), "--force"}, " ms  OUT   10  BANK REQUEST  to COMBO IN\n"},
      {{"fetch", "-o", path("traced.bnk"), "--force"}, " ms  IN    40  PRESET 30 OF 30 (0x2B)  from COMBO OUT\n"},
      {{"store", path("bank.bnk")}, " ms  OUT   40  STORE 30 OF 30  to COMBO IN\n"},
      {{"detect"}, " ms  OUT   10  BANK REQUEST  to COMBO IN\n"},
      {{"diff", path("bank.bnk"), "combo"}, " ms  IN    40  PRESET 1 OF 30 (0x2A)  from COMBO OUT\n"},
      {{"sheet", "combo"}, " ms  IN    40  PRESET 2 OF 30 (0x2B)  from COMBO OUT\n"},
      {{"check"}, " ms  OUT   10  BANK REQUEST  to COMBO IN\n"},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(row.args.front());
    std::vector<std::string> traced = row.args;
    traced.push_back("--trace");
    EXPECT_NE(run(traced), kToolBadUsage) << err.str();
    EXPECT_NE(err.str().find(row.line), std::string::npos) << err.str();
    run(row.args);
    EXPECT_EQ(err.str().find(" ms  "), std::string::npos) << err.str();
  }
}

}  // namespace
}  // namespace kestralux
