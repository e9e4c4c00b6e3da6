#pragma once
// A test program never writes into the user's own history of banks: from its start, the
// program's XDG_DATA_HOME is a folder of its own under the temporary directory, removed at
// exit. Include this in every test program that fetches or stores or ends an editor run.
// Each test gets an empty data folder of its own under it, so no test reads the history or
// the library another left, whatever order they run in.

#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <string>

namespace kestralux::test {

// The path is never destroyed: the removal at exit runs after the destructors of statics
// made later than its registration, which would include this path itself.
inline const std::filesystem::path& historyHome() {
  static const std::filesystem::path* const home = [] {
    auto* folder = new std::filesystem::path(std::filesystem::temp_directory_path() /
                                             ("kestralux-test-data-" + std::to_string(::getpid())));
    ::setenv("XDG_DATA_HOME", folder->c_str(), 1);
    std::atexit([] {
      std::error_code ignored;
      std::filesystem::remove_all(historyHome(), ignored);
    });
    return folder;
  }();
  return *home;
}

inline const bool kHistoryHomeSet = !historyHome().empty();

// The data folder of the test that runs now.
inline std::filesystem::path dataHome() { return std::getenv("XDG_DATA_HOME"); }

class DataFolderPerTest : public ::testing::EmptyTestEventListener {
  void OnTestStart(const ::testing::TestInfo& test) override {
    std::string name = std::string(test.test_suite_name()) + "." + test.name();
    for (char& c : name)
      if (c == '/') c = '_';
    const std::filesystem::path folder = historyHome() / name;
    std::error_code ignored;
    std::filesystem::remove_all(folder, ignored);
    std::filesystem::create_directories(folder, ignored);
    ::setenv("XDG_DATA_HOME", folder.c_str(), 1);
  }
};

inline const bool kDataFolderPerTest = [] {
  ::testing::UnitTest::GetInstance()->listeners().Append(new DataFolderPerTest);
  return true;
}();

}  // namespace kestralux::test
