#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "sim/BankFile.h"

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
  fs::create_directories(path("keep.bnk.part"));  // the temporary cannot be created
  std::string error;
  EXPECT_FALSE(writeBankFile(path("keep.bnk"), PresetBank{}, error));
  EXPECT_FALSE(error.empty());
  const auto kept = readBankFile(path("keep.bnk"), error);
  ASSERT_TRUE(kept.has_value());
  EXPECT_EQ((*kept)[0].validName(), "OLD");
}

}  // namespace
}  // namespace kestralux
