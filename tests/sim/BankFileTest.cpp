#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include "editor/EditorTables.h"
#include "files/PresetFiles.h"
#include "sim/BankFile.h"
#include "sim/DemoBank.h"
#include "tests/FileSizeLimit.h"

namespace kestralux {
namespace {

namespace fs = std::filesystem;

class BankFile : public ::testing::Test {
 protected:
  void SetUp() override {
    dir_ = fs::temp_directory_path() / ("kestralux-bankfile-" + std::to_string(::getpid()));
    fs::create_directories(dir_);
  }
  void TearDown() override { fs::remove_all(dir_); }

  std::string path(const std::string& name) const { return (dir_ / name).string(); }

  void writeBytes(const std::string& file, std::size_t count, std::uint8_t fill) {
    std::ofstream out(file, std::ios::binary);
    const std::vector<char> bytes(count, static_cast<char>(fill));
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
  }

  fs::path dir_;
};

TEST_F(BankFile, RoundTripIsTheRecordImages) {
  PresetBank bank{};
  bank[0].storeName("CLEAN");
  bank[0].setValue(DELAY_TIME, 250);
  bank[29].setSlot(kReservedSlot, -1);
  std::string error;
  ASSERT_TRUE(writeBankFile(path("a.bnk"), bank, error)) << error;

  EXPECT_EQ(fs::file_size(path("a.bnk")), 2640u);
  std::ifstream in(path("a.bnk"), std::ios::binary);
  std::vector<char> image(2640);
  in.read(image.data(), 2640);
  EXPECT_EQ(image[0], 'C');
  EXPECT_EQ(static_cast<std::uint8_t>(image[60]), 250);       // record 0, slot 15
  EXPECT_EQ(static_cast<std::uint8_t>(image[2639]), 0xFF);    // record 29, reserved slot
  EXPECT_FALSE(fs::exists(path("a.bnk.part")));

  const auto loaded = readBankFile(path("a.bnk"), error);
  ASSERT_TRUE(loaded.has_value()) << error;
  EXPECT_EQ(*loaded, bank);
}

TEST_F(BankFile, AnythingButAWholeBankIsAnError) {
  struct Case {
    const char* name;
    std::size_t size;
    bool present;
  };
  const Case cases[] = {
      {"missing", 0, false}, {"empty", 0, true}, {"one record", 88, true},
      {"one byte short", 2639, true}, {"one byte long", 2641, true},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const std::string file = path(std::string(c.name) + ".bnk");
    if (c.present) writeBytes(file, c.size, 0x11);
    std::string error;
    EXPECT_FALSE(readBankFile(file, error).has_value());
    EXPECT_NE(error.find(file), std::string::npos) << error;
  }
}

TEST_F(BankFile, FailedWriteKeepsThePreviousFile) {
  PresetBank old{};
  old[0].storeName("OLD");
  ASSERT_TRUE(writeBankFile(path("keep.bnk"), old, *std::make_unique<std::string>()));
  std::string error;
  {
    const test::FileSizeLimit fullDisk(1000);
    EXPECT_FALSE(writeBankFile(path("keep.bnk"), PresetBank{}, error));
  }
  EXPECT_FALSE(error.empty());
  const auto kept = readBankFile(path("keep.bnk"), error);
  ASSERT_TRUE(kept.has_value());
  EXPECT_EQ((*kept)[0].validName(), "OLD");
}

// A run starts from its file, from the demo bank while there is none, and never from (nor
// over) a file that is not a bank.
TEST_F(BankFile, TheStartingBank) {
  PresetBank kept = demoBank();
  kept[4].setValue(AMP_GAIN, 3);
  std::string error;
  ASSERT_TRUE(writeBankFile(path("kept.bnk"), kept, error));
  writeBytes(path("short.bnk"), 1000, 0);
  struct Row {
    std::string file;
    std::optional<PresetBank> bank;
    bool demo;
  };
  const Row rows[] = {
      {"missing.bnk", demoBank(), true},
      {"kept.bnk", kept, false},
      {"short.bnk", std::nullopt, false},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.file);
    const auto before = readFileStart(path(row.file), 3000);
    error.clear();
    const auto start = startingBank(path(row.file), error);
    ASSERT_EQ(start.has_value(), row.bank.has_value()) << error;
    if (start) {
      EXPECT_EQ(start->bank, *row.bank);
      EXPECT_EQ(start->demo, row.demo);
    } else {
      EXPECT_NE(error.find(row.file), std::string::npos) << error;
    }
    EXPECT_EQ(readFileStart(path(row.file), 3000), before) << "starting writes nothing";
  }
}

// The demo bank is a bank any editor takes: presets only, named, every amp model and every
// effect used, each value within its control's reach.
TEST(DemoBank, PlausiblePresetsThatShowEveryModelAndEffect) {
  const PresetBank bank = demoBank();
  std::set<int> amps, effects;
  std::set<std::string> names;
  for (int n = 0; n < kPresetCount; ++n) {
    const PresetRecord& p = bank[static_cast<std::size_t>(n)];
    SCOPED_TRACE(n + 1);
    EXPECT_FALSE(presetFault(p));
    ASSERT_TRUE(p.validName());
    names.insert(*p.validName());
    amps.insert(p.value(AMP_TYPE));
    effects.insert(p.value(EFFECT_SELECT));
    for (const StripRow& strip : kStrips) EXPECT_LE(p.value(strip.parameter), strip.maximum) << strip.scrollBar;
    EXPECT_LE(p.value(EFF_ADJUST1), 30);
    EXPECT_LE(p.value(EFF_ADJUST2), 30);
    EXPECT_LE(p.value(EFF_RATE), p.value(EFFECT_SELECT) == EFFECT_ROTARY ? kRotaryRateMaximum : kRateMaximum);
    EXPECT_GT(p.value(AMP_MASTER), 0) << "a preset one hears";
  }
  EXPECT_EQ(names.size(), static_cast<std::size_t>(kPresetCount));
  EXPECT_EQ(amps.size(), static_cast<std::size_t>(kAmpModelCount));
  EXPECT_EQ(effects.size(), kEffectCodes.size());
  EXPECT_TRUE(parseBankFile(bankFileImage(bank))) << "it loads as a bank file";
}

}  // namespace
}  // namespace kestralux
