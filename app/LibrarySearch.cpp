#include "app/LibrarySearch.h"

namespace kestralux {

class LibrarySearch::Searcher : public QObject {
 public:
  PresetLibrary library;
};

LibrarySearch::LibrarySearch(const std::filesystem::path& file, QObject* parent) : QObject(parent) {
  auto searcher = std::make_unique<Searcher>();
  available_ = searcher->library.openToSearch(file);
  if (!available_) return;
  searcher_ = searcher.release();
  searcher_->moveToThread(&thread_);
  connect(&thread_, &QThread::finished, searcher_, &QObject::deleteLater);
  thread_.start();
}

LibrarySearch::~LibrarySearch() {
  forget();
  thread_.quit();
  thread_.wait();
}

void LibrarySearch::ask(const LibraryQuery& query) {
  const std::uint64_t serial = ++newest_;
  QMetaObject::invokeMethod(
      searcher_,
      [this, serial, query] {
        // Typing outruns searching: a question already overtaken is not searched.
        if (serial != newest_) return;
        SearchResult result = searcher_->library.search(query);
        QMetaObject::invokeMethod(
            this,
            [this, serial, result = std::move(result)] {
              if (serial == newest_) emit answered(result);
            },
            Qt::QueuedConnection);
      },
      Qt::QueuedConnection);
}

}  // namespace kestralux
