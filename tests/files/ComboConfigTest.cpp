#include "files/ComboConfig.h"
#include "files/ComboConfigPlace.h"
#include "files/ComboPorts.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <fstream>
#include <iterator>
#include <vector>

namespace kestralux {
namespace {

namespace fs = std::filesystem;

class ComboConfigFile : public ::testing::Test {
 protected:
  void SetUp() override {
    dir = fs::temp_directory_path() /
          ("combo-cfg-" + std::to_string(::getpid()) + "-" +
           std::string(::testing::UnitTest::GetInstance()->current_test_info()->name()));
    fs::remove_all(dir);
    fs::create_directories(dir);
    path = dir / "combo.cfg";
  }
  void TearDown() override { fs::remove_all(dir); }

  std::vector<std::uint8_t> fileBytes() const {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
  }
  void writeBytes(const std::vector<std::uint8_t>& bytes) const {
    std::ofstream out(path, std::ios::binary);
    out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
  }

  fs::path dir;
  fs::path path;
};

struct ImageCase {
  ComboConfig config;
  std::array<std::uint8_t, 8> bytes;
};

TEST(ComboConfigImage, LittleEndianOutputFirst) {
  const ImageCase cases[] = {
      {{2, 1}, {0x02, 0, 0, 0, 0x01, 0, 0, 0}},
      {{0, 0}, {0, 0, 0, 0, 0, 0, 0, 0}},
      {{0x12345678, 0x9ABCDEF0}, {0x78, 0x56, 0x34, 0x12, 0xF0, 0xDE, 0xBC, 0x9A}},
      {{0xFFFFFFFF, 300}, {0xFF, 0xFF, 0xFF, 0xFF, 0x2C, 0x01, 0, 0}},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(encodeComboConfig(c.config), c.bytes);
    EXPECT_EQ(decodeComboConfig(c.bytes), c.config);
  }
}

TEST_F(ComboConfigFile, SaveWritesExactlyTheEightBytes) {
  ASSERT_TRUE(SAVE_CONFIG({2, 1}, path));
  EXPECT_EQ(fileBytes(), (std::vector<std::uint8_t>{0x02, 0, 0, 0, 0x01, 0, 0, 0}));
  ASSERT_TRUE(SAVE_CONFIG({7, 3}, path));  // replaces, never appends
  EXPECT_EQ(fileBytes(), (std::vector<std::uint8_t>{0x07, 0, 0, 0, 0x03, 0, 0, 0}));
  EXPECT_FALSE(fs::exists(path.string() + ".new"));
}

TEST_F(ComboConfigFile, LoadReadsWhatSaveWrote) {
  ASSERT_TRUE(SAVE_CONFIG({5, 9}, path));
  EXPECT_EQ(LOAD_CONFIG(path), (ComboConfig{5, 9}));
}

TEST_F(ComboConfigFile, MissingOrShortFileGivesNothing) {
  EXPECT_FALSE(LOAD_CONFIG(path).has_value());
  for (std::size_t n : {0u, 1u, 4u, 7u}) {
    writeBytes(std::vector<std::uint8_t>(n, 0x01));
    EXPECT_FALSE(LOAD_CONFIG(path).has_value()) << n << " bytes";
  }
}

TEST_F(ComboConfigFile, LongerFileUsesItsFirstEightBytes) {
  writeBytes({0x03, 0, 0, 0, 0x04, 0, 0, 0, 0xAA, 0xBB});
  EXPECT_EQ(LOAD_CONFIG(path), (ComboConfig{3, 4}));
}

TEST_F(ComboConfigFile, UnwritablePlaceReportsOnStandardErrorAndKeepsTheOldFile) {
  const fs::path nowhere = dir / "no-such-folder" / "combo.cfg";
  ::testing::internal::CaptureStderr();
  EXPECT_FALSE(SAVE_CONFIG({1, 1}, nowhere));
  EXPECT_EQ(::testing::internal::GetCapturedStderr(), "Cannot open output file.\n");

  // The name taken by a folder: the rename fails and the folder is left as it was.
  fs::create_directories(path);
  ::testing::internal::CaptureStderr();
  EXPECT_FALSE(SAVE_CONFIG({1, 1}, path));
  EXPECT_EQ(::testing::internal::GetCapturedStderr(), "Cannot open output file.\n");
  EXPECT_TRUE(fs::is_directory(path));
  EXPECT_FALSE(fs::exists(path.string() + ".new"));
}

// combo.ports as saved here or edited elsewhere: the names come back without the line ends.
TEST_F(ComboConfigFile, PortNamesComeBackAsTheyWereChosen) {
  path = dir / kComboPortsName;
  struct Row { const char* what; std::string text; std::optional<PortNames> names; };
  const Row rows[] = {
      {"as saved", encodePortNames({"out 2", "in 1"}), PortNames{"out 2", "in 1"}},
      {"CR LF line ends", "output=out 2\r\ninput=in 1\r\n", PortNames{"out 2", "in 1"}},
      {"CR LF converted again: CR CR LF", "output=out 2\r\r\ninput=in 1\r\r\n", PortNames{"out 2", "in 1"}},
      {"CR LF, no end on the last line", "input=Port B:1\r\noutput=Port A:0", PortNames{"Port A:0", "Port B:1"}},
      {"one name only", "input=in 1\r\n", PortNames{"", "in 1"}},
      {"neither line", "nonsense\r\n", std::nullopt},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.what);
    writeBytes({row.text.begin(), row.text.end()});
    EXPECT_EQ(LOAD_PORT_NAMES(path), row.names);
  }
}

// A working folder that holds either file keeps both there; any other start keeps them in the
// data folder, so a start from a source checkout never writes into it.
TEST_F(ComboConfigFile, KeptInTheWorkingFolderOnlyWhereTheyAreAlready) {
  struct Row {
    const char* name;
    std::vector<const char*> inWorkingFolder;
    bool inDataFolder;
    bool keptHere;
  };
  const Row rows[] = {
      {"nothing anywhere", {}, false, false},
      {"only the data folder's", {}, true, false},
      {"combo.cfg here and in the data folder", {"combo.cfg"}, true, true},
      {"only combo.ports here", {"combo.ports"}, false, true},
      {"both here", {"combo.cfg", "combo.ports"}, false, true},
      {"a half-written save here", {"combo.cfg.new"}, false, false},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.name);
    const fs::path working = dir / row.name / "working", data = dir / row.name / "data";
    fs::create_directories(working);
    fs::create_directories(data);
    for (const char* file : row.inWorkingFolder) std::ofstream(working / file) << "x";
    if (row.inDataFolder) std::ofstream(data / "combo.cfg") << "x";
    EXPECT_EQ(comboConfigPath(working, data), row.keptHere ? fs::path("combo.cfg") : data / "combo.cfg");
  }
}

}  // namespace
}  // namespace kestralux
