#pragma once
// A library and a history of banks in a folder of their own under the test program's data
// home, emptied for each test.

#include <sqlite3.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>
#include <functional>
#include <optional>
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

// Runs `body` as a user whom file permissions bind, and returns what it gave back. Root
// reads and writes past any permission, so as root `body` runs in a child process as
// nobody; nothing when that cannot be arranged.
inline std::optional<std::string> asUserBoundByPermissions(const std::function<std::string()>& body) {
  if (::geteuid() != 0) return body();
  int pipeEnds[2];
  if (::pipe(pipeEnds) != 0) return std::nullopt;
  const pid_t child = ::fork();
  if (child < 0) return std::nullopt;
  if (child == 0) {
    ::close(pipeEnds[0]);
    if (::setgid(65534) != 0 || ::setuid(65534) != 0) ::_exit(3);
    const std::string result = body();
    const bool written = ::write(pipeEnds[1], result.data(), result.size()) == static_cast<ssize_t>(result.size());
    ::_exit(written ? 0 : 4);  // never the parent's exit handlers: they remove the test's folders
  }
  ::close(pipeEnds[1]);
  std::string result;
  char buffer[4096];
  for (ssize_t n; (n = ::read(pipeEnds[0], buffer, sizeof buffer)) > 0;) result.append(buffer, static_cast<std::size_t>(n));
  ::close(pipeEnds[0]);
  int status = 0;
  ::waitpid(child, &status, 0);
  if (!WIFEXITED(status) || WEXITSTATUS(status) != 0) return std::nullopt;
  return result;
}

// Lets everyone into `folder` and the folders above it up to the test program's data home.
inline void openToEveryone(const std::filesystem::path& folder) {
  namespace fs = std::filesystem;
  for (fs::path p = folder; !p.empty() && p != historyHome().parent_path() && p != p.parent_path(); p = p.parent_path())
    fs::permissions(p, fs::perms::all, fs::perm_options::add);
}

}  // namespace kestralux::test
