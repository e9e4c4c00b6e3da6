// .pre/.bnk images, the lenient and strict loads, KES_PRE.INC and .syx, byte for byte.

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>

#include "files/PresetDiff.h"
#include "files/PresetFiles.h"
#include "files/PresetTableExport.h"
#include "files/Syx.h"
#include "protocol/Sysex.h"
#include "tests/FileSizeLimit.h"

namespace kestralux {
namespace {

// "AB" over an older "ABCDEF": the left-over "DEF" stays behind the terminator.
PresetRecord literalRecord() {
  PresetRecord r;
  r.storeName("ABCDEF");
  r.storeName("AB");
  r.setValue(AMP_TYPE, 5);
  r.setValue(DELAY_TIME, 250);
  r.setValue(EFF_RATE, 300);
  r.setValue(EFF_ADJUST2, -1);
  r.setSlot(kReservedSlot, static_cast<std::int32_t>(0xDEADBEEF));
  return r;
}

TEST(PresetFiles, ImagesByteForByte) {
  Bytes expected(88, 0);
  const std::uint8_t name[] = {'A', 'B', 0, 'D', 'E', 'F'};
  std::copy(std::begin(name), std::end(name), expected.begin());
  expected[20] = 5;                                          // AMP_TYPE
  expected[60] = 0xFA;                                       // DELAY_TIME 250
  expected[64] = 0x2C, expected[65] = 0x01;                  // EFF_RATE 300
  for (int b = 80; b < 84; ++b) expected[b] = 0xFF;          // EFF_ADJUST2 -1
  expected[84] = 0xEF, expected[85] = 0xBE, expected[86] = 0xAD, expected[87] = 0xDE;  // reserved
  EXPECT_EQ(presetFileImage(literalRecord()), expected);

  PresetBank bank{};
  bank[0] = literalRecord();
  bank[29].setValue(AMP_GAIN, 7);
  const Bytes image = bankFileImage(bank);
  ASSERT_EQ(image.size(), 2640u);
  EXPECT_EQ(Bytes(image.begin(), image.begin() + 88), expected) << "a .pre is the first 88 bytes of a .bnk";
  EXPECT_EQ(image[29 * 88 + 24], 7);
  // EFF_RATE 300 and EFF_ADJUST2 -1 are values the combo has no control for.
  EXPECT_EQ(parseBankFile(image), std::nullopt);
  bank[0].setValue(EFF_RATE, 255);
  bank[0].setValue(EFF_ADJUST2, 0);
  EXPECT_EQ(parseBankFile(bankFileImage(bank)), bank);
  EXPECT_EQ(parsePresetFile(presetFileImage(bank[0])), bank[0]);
}

// What is a preset, on the record and through every load; the name bytes are never checked.
TEST(PresetFiles, OnlyPresetsAreLoaded) {
  struct Row { int parameter; std::int32_t value; const char* why; };
  const Row rows[] = {
      {AMP_TYPE, 15, nullptr},   {AMP_TYPE, 16, "preset 18: AMP_TYPE 16 is not an amp model (0..15)"},
      {AMP_TYPE, -1, "preset 18: AMP_TYPE -1 is not an amp model (0..15)"},
      {EFFECT_SELECT, 12, nullptr}, {EFFECT_SELECT, 1, "preset 18: EFFECT_SELECT 1 is not an effect code"},
      {EFFECT_SELECT, 16, "preset 18: EFFECT_SELECT 16 is not an effect code"},
      {DELAY_TIME, 255, nullptr}, {DELAY_TIME, 256, "preset 18: DELAY_TIME 256 is out of range (0..255)"},
      {EFF_ADJUST2, -1, "preset 18: EFF_ADJUST2 -1 is out of range (0..255)"},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(std::string(parameterName(row.parameter)) + " " + std::to_string(row.value));
    PresetBank file{};
    file[17].storeName("\xff\x01 ANY BYTES");
    file[17].setValue(row.parameter, row.value);
    const Bytes image = bankFileImage(file);
    const auto fault = firstNonPreset(image);
    EXPECT_EQ(fault ? describe(*fault) : "", row.why ? row.why : "");

    PresetBank bank{};
    bank[0].setValue(AMP_GAIN, 9);
    const PresetBank before = bank;
    EXPECT_EQ(loadBankImage(image, bank), row.why ? 0 : 30);
    if (row.why) {
      EXPECT_EQ(bank, before) << "a file with one record that is not a preset changes nothing";
    }
    const Bytes one(image.begin() + 17 * 88, image.begin() + 18 * 88);
    EXPECT_EQ(loadPresetImage(one, bank[0]), row.why ? 0 : 1);
    EXPECT_EQ(parsePresetFile(one).has_value(), row.why == nullptr);
  }
  // Any text of 88 bytes or more is no preset.
  const std::string text(200, 'a');
  PresetRecord record;
  EXPECT_EQ(loadPresetImage(Bytes(text.begin(), text.end()), record), 0);
  EXPECT_EQ(record, PresetRecord{});
}

// How much of a file each load takes, for files of every interesting length.
TEST(PresetFiles, LoadsTakeWholeRecordsOnly) {
  struct Row { std::size_t size; int presetReplaced; int bankReplaced; bool strictPreset; bool strictBank; };
  const Row rows[] = {
      {0, 0, 0, false, false},    {87, 0, 0, false, false},   {88, 1, 1, true, false},  {89, 1, 1, false, false},
      {175, 1, 1, false, false},  {2639, 1, 29, false, false}, {2640, 1, 30, false, true}, {5000, 1, 30, false, false},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.size);
    // Records that are presets, each marked in its first name byte.
    Bytes file;
    for (int n = 0; file.size() < row.size; ++n) {
      PresetRecord r;
      r.bytes[0] = static_cast<std::uint8_t>(n + 1);
      r.setValue(DELAY_TIME, n);
      file.insert(file.end(), r.bytes.begin(), r.bytes.end());
    }
    file.resize(row.size);
    PresetBank bank{};
    for (auto& r : bank) r.setValue(AMP_GAIN, 99);
    const PresetBank before = bank;

    EXPECT_EQ(loadPresetImage(file, bank[6]), row.presetReplaced);
    EXPECT_EQ(bank[6] == before[6], row.presetReplaced == 0);
    bank = before;
    ASSERT_EQ(loadBankImage(file, bank), row.bankReplaced);
    for (int n = 0; n < kPresetCount; ++n) {
      if (n < row.bankReplaced)
        EXPECT_EQ(bank[n].bytes[0], n + 1) << "record " << n;
      else
        EXPECT_EQ(bank[n], before[n]) << "record " << n << " was held only in part, or not at all";
    }
    EXPECT_EQ(parsePresetFile(file).has_value(), row.strictPreset);
    EXPECT_EQ(parseBankFile(file).has_value(), row.strictBank);
  }
}

TEST(PresetFiles, AtomicWriteKeepsTheOldFileOnFailure) {
  const auto dir = std::filesystem::temp_directory_path() / ("kestralux-files-" + std::to_string(::getpid()));
  std::filesystem::create_directories(dir);
  std::string error;
  const Bytes a(88, 1);
  ASSERT_TRUE(writeFileAtomically(dir / "x.pre", a, error)) << error;
  EXPECT_EQ(readFileStart(dir / "x.pre", 1000), a);
  EXPECT_FALSE(writeFileAtomically(dir / "missing" / "x.pre", a, error));
  EXPECT_FALSE(error.empty());
  // A directory cannot be replaced by a file: the old directory and no .part remain.
  std::filesystem::create_directories(dir / "busy.pre");
  EXPECT_FALSE(writeFileAtomically(dir / "busy.pre", a, error));
  EXPECT_TRUE(std::filesystem::is_directory(dir / "busy.pre"));
  for (const auto& left : std::filesystem::directory_iterator(dir))
    EXPECT_EQ(left.path().filename().string().find(".part"), std::string::npos) << left.path();
  std::filesystem::remove_all(dir);
}

TEST(PresetTableExport, TheFileToTheByte) {
  PresetBank bank{};
  const int example[16] = {2, 20, 15, 15, 15, 15, 10, 0, 0, 15, 125, 40, 5, 0, 0, 0};
  for (int i = 0; i < 16; ++i) bank[0].setValue(i, example[i]);
  bank[9].setValue(AMP_TYPE, 255);
  bank[9].setValue(AMP_GAIN, 300);
  // Negative values: their low 8 bits, whatever sign the digits would take.
  bank[9].setValue(AMP_MASTER, -1);
  bank[9].setValue(AMP_BASS, -200);
  bank[9].setValue(AMP_MID, static_cast<std::int32_t>(0x80000001));
  bank[9].setValue(EFF_ADJUST2, -2147483647 - 1);
  const std::string text = presetTableText(bank);
  ASSERT_EQ(text.size(), kExportFileSize);
  EXPECT_EQ(text, presetTableText(bank)) << "two exports are identical";

  std::vector<std::string> lines;
  std::istringstream in(text);
  for (std::string line; std::getline(in, line);) {
    ASSERT_EQ(line.back(), '\r');
    line.pop_back();
    lines.push_back(line);
  }
  ASSERT_EQ(lines.size(), 61u);
  EXPECT_EQ(lines[0], "COMBO_PRESETS ");
  EXPECT_EQ(lines[1], "      DB  002H,014H,00FH,00FH,00FH,00FH,00AH,000H,000H,00FH,07DH,028H,005H,000H,000H,000H;");
  EXPECT_EQ(lines[2], ";PRESET NUMBER  1");
  EXPECT_EQ(lines[19], "      DB  0FFH,02CH,0FFH,038H,001H,000H,000H,000H,000H,000H,000H,000H,000H,000H,000H,000H;");
  EXPECT_EQ(lines[20], ";PRESET NUMBER  10");
  EXPECT_EQ(lines[59], "      DB  000H,000H,000H,000H,000H,000H,000H,000H,000H,000H,000H,000H,000H,000H,000H,000H;");
  EXPECT_EQ(lines[60], ";PRESET NUMBER  30");
  for (int n = 0; n < 30; ++n) EXPECT_EQ(lines[1 + 2 * n].size(), 90u) << "data line " << n + 1;
}

TEST(PresetTableExport, WritesTheFileOrSaysItCannot) {
  const auto dir = std::filesystem::temp_directory_path() / ("kestralux-export-" + std::to_string(::getpid()));
  std::filesystem::create_directories(dir);
  ASSERT_EQ(ExportPresetTable(PresetBank{}, dir / kExportFileName), 0);
  std::ifstream file(dir / kExportFileName, std::ios::binary);
  const std::string written{std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>()};
  EXPECT_EQ(written, presetTableText(PresetBank{}));
  EXPECT_EQ(ExportPresetTable(PresetBank{}, dir / "no" / kExportFileName), 1);

  // A write that fails part way (a full disk): the export says so and the old file stays.
  PresetBank changed{};
  changed[3].setValue(AMP_GAIN, 9);
  {
    const test::FileSizeLimit limit(1000);
    ASSERT_TRUE(limit.active());
    EXPECT_EQ(ExportPresetTable(changed, dir / kExportFileName), 1);
  }
  EXPECT_EQ(readFileStart(dir / kExportFileName, 1 << 16), Bytes(written.begin(), written.end()));
  EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir), std::filesystem::directory_iterator()), 1)
      << "no part of the new file is left";
  std::filesystem::remove_all(dir);
}

Bytes syxOf(const PresetBank& bank) { return bankToSyx(bank); }

TEST(Syx, BankAndPresetRoundTrip) {
  PresetBank bank{};
  for (int n = 0; n < kPresetCount; ++n)
    for (int i = 0; i < kParameterCount; ++i) bank[n].setValue(i, (n * 16 + i * 9) % 256);
  for (int n = 0; n < kPresetCount; ++n) {
    bank[n].setValue(AMP_TYPE, n % kAmpModelCount);
    bank[n].setValue(EFFECT_SELECT, kEffectCodes[static_cast<std::size_t>(n) % kEffectCodes.size()]);
  }
  const Bytes syx = syxOf(bank);
  ASSERT_EQ(syx.size(), 1200u);
  for (std::size_t k = 0; k < 30; ++k) {
    const PresetMessage m = buildPresetMessage(k == 0 ? CMD_BANK_FIRST : CMD_BANK_NEXT, bank[k]);
    EXPECT_TRUE(std::equal(m.begin(), m.end(), syx.begin() + static_cast<std::ptrdiff_t>(k * 40))) << k;
  }
  const SyxReading reading = readSyx(syx);
  ASSERT_EQ(reading.error, "");
  EXPECT_EQ(std::get<PresetBank>(reading.contents), bank) << "every value of 0..255 comes back; names are empty";

  const SyxReading single = readSyx(presetToSyx(bank[3]));
  ASSERT_EQ(single.error, "");
  EXPECT_EQ(std::get<PresetRecord>(single.contents), bank[3]);
}

TEST(Syx, RefusesWhatIsNotAWholeBankOfOurs) {
  const PresetBank bank{};
  const auto edited = [&](auto change) {
    Bytes syx = syxOf(bank);
    change(syx);
    return syx;
  };
  struct Row { const char* what; Bytes syx; std::string error; };
  const Row rows[] = {
      {"empty", {}, "no preset message"},
      {"checksum", edited([](Bytes& s) { s[6 * 40 + 38] ^= 1; }), "message 7: damaged (wrong checksum)"},
      {"maker", edited([](Bytes& s) { s[40 + 3] ^= 1; }), "message 2: not a KESTRALUX message"},
      {"high byte", edited([](Bytes& s) { s[40 + 9] = 0x90; }), "message 2: not a KESTRALUX message"},
      // Checksum-correct, but a value's high byte carries one bit, and an amp model is 0..15.
      {"two in a high byte", edited([](Bytes& s) { s[2 * 40 + 9] = 2; s[2 * 40 + 38] = presetChecksum(std::span(s).subspan(80, 40)); }),
       "message 3: byte 9 holds 2 where a value carries one bit"},
      {"amp model 16", edited([](Bytes& s) { s[40 + 6] = 16; s[40 + 38] = presetChecksum(std::span(s).subspan(40, 40)); }),
       "message 2: not a preset: AMP_TYPE 16"},
      {"short bank", edited([](Bytes& s) { s.resize(29 * 40); }), "29 presets, a bank has 30"},
      {"no 0x2A", edited([](Bytes& s) { s[5] = CMD_BANK_NEXT; s[38] = presetChecksum(std::span(s).first(40)); }),
       "message 1: a bank starts with 0x2A"},
      {"cut", edited([](Bytes& s) { s.resize(45); }), "message 2: has no closing F7"},
      {"garbage first", Bytes{0x90, 0x40, 0x7F}, "message 1: does not start with F0"},
      {"parameter message", Bytes{0xF0, 0x00, 0x00, MANUFACTURER_ID[2], 0x06, 0x42, 0, 2, 20, 0xF7},
       "message 1: 10 bytes, a preset message has 40"},
  };
  for (const Row& row : rows) {
    const SyxReading reading = readSyx(row.syx);
    EXPECT_EQ(reading.error, row.error) << row.what;
    EXPECT_TRUE(std::holds_alternative<std::monostate>(reading.contents)) << row.what;
  }
}

// Every parameter that differs gets its own line, by the window's caption: one row per
// parameter, so a parameter the diff forgets fails its row.
TEST(PresetDiff, EveryParameterIsReportedByItsCaption) {
  PresetRecord base;
  base.storeName("BASE");
  for (int i = 0; i < kParameterCount; ++i) base.setValue(i, 10);
  base.setValue(AMP_TYPE, 1);
  base.setValue(EFFECT_SELECT, 2);
  struct Row {
    int parameter;
    int value;
    std::string line;
  };
  const Row rows[] = {
      {AMP_TYPE, 5, "  AMP MODEL  BRIT CLASS A -> HI GAIN"},
      {AMP_GAIN, 20, "  GAIN  3.33 -> 6.66"},
      {AMP_MASTER, 20, "  PRESET VOLUME  3.33 -> 6.66"},
      {AMP_BASS, 20, "  BASS  3.33 -> 6.66"},
      {AMP_MID, 20, "  MID  3.33 -> 6.66"},
      {AMP_TREBLE, 20, "  TREBLE  3.33 -> 6.66"},
      {REV_LEVEL, 20, "  REVERB LEVEL  3.33 -> 6.66"},
      {DELAY_LEVEL, 20, "  DELAY LEVEL  3.33 -> 6.66"},
      {DELAY_REGEN, 20, "  DELAY REGEN  3.33 -> 6.66"},
      {DELAY_PAN, 20, "  DELAY PAN  L>10 -> 20>R"},
      {DELAY_TIME, 200, "  DELAY TIME  40 ms -> 800 ms"},
      {EFF_RATE, 200, "  RATE  10 -> 200"},
      {GATE_THRES, 20, "  GATE  -40DB -> -20DB"},
      {EFFECT_SELECT, 13, "  EFFECT SELECT  FLANGER -> PHASER"},
      {EFF_ADJUST1, 20, "  EFFECT ADJUST 1 (DEPTH)  3.33 -> 6.66"},
      {EFF_ADJUST2, 20, "  EFFECT ADJUST 2 (REGEN)  3.33 -> 6.66"},
  };
  ASSERT_EQ(std::size(rows), static_cast<std::size_t>(kParameterCount));
  for (const Row& row : rows) {
    SCOPED_TRACE(parameterName(row.parameter));
    PresetRecord changed = base;
    changed.setValue(row.parameter, row.value);
    EXPECT_EQ(presetDifferences(base, changed, true), std::vector<std::string>{row.line});
  }
}

}  // namespace
}  // namespace kestralux
