#pragma once
// The library pane's searches, on a thread of their own so that typing never waits for one.
// The thread has a SQLite connection of its own (a connection is never used by two threads);
// each answer is handed to the GUI thread queued, and only the answer to the newest question
// is delivered: a search asked before it is skipped if not begun, and dropped if answered.

#include <QObject>
#include <QThread>

#include <atomic>
#include <cstdint>
#include <filesystem>
#include <memory>

#include "library/PresetLibrary.h"

namespace kestralux {

class LibrarySearch : public QObject {
  Q_OBJECT

 public:
  // False from available() when `file` cannot be read from another connection.
  explicit LibrarySearch(const std::filesystem::path& file, QObject* parent = nullptr);
  ~LibrarySearch() override;

  bool available() const { return available_; }
  // Asks `query`; any question asked before it is no longer answered.
  void ask(const LibraryQuery& query);
  // No question asked until now is answered any more (a search on the GUI thread took over).
  void forget() { ++newest_; }

 signals:
  void answered(const kestralux::SearchResult& result);

 private:
  class Searcher;

  QThread thread_;
  Searcher* searcher_ = nullptr;  // lives on thread_, deleted when it ends
  std::atomic<std::uint64_t> newest_{0};
  bool available_ = false;
};

}  // namespace kestralux
