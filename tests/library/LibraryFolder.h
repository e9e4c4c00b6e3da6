#pragma once
// A library and a history of banks in a folder of their own under the test program's data
// home, emptied for each test.

#include <sqlite3.h>

#include <filesystem>
#include <string>

#include "files/BankHistory.h"
#include "library/PresetLibrary.h"
#include "tests/HistoryHome.h"

namespace kestralux::test {

inline std::filesystem::path freshFolder(const std::string& name) {
  const auto folder = historyHome() / "library-tests" / name;
  std::filesystem::remove_all(folder);
  std::filesystem::create_directories(folder / "history");
  return folder;
}

inline PresetRecord sound(const char* name, int gain, int amp = 0, int effect = 0) {
  PresetRecord r;
  r.storeName(name);
  r.setValue(AMP_GAIN, gain);
  r.setValue(AMP_TYPE, amp);
  r.setValue(EFFECT_SELECT, effect);
  return r;
}

inline PresetLibrary::Known knownOf(PresetLibrary& library, const PresetRecord& record) {
  return library.known(std::span(&record, 1))[0];
}

inline int scalar(sqlite3* db, const char* text) {
  sqlite3_stmt* s = nullptr;
  int value = -1;
  if (sqlite3_prepare_v2(db, text, -1, &s, nullptr) == SQLITE_OK && sqlite3_step(s) == SQLITE_ROW) value = sqlite3_column_int(s, 0);
  sqlite3_finalize(s);
  return value;
}

}  // namespace kestralux::test
