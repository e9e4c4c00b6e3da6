// The library pane's search thread: only the newest question is answered, and never one that
// a search on the window's own thread overtook; a file it cannot search is said at once, so
// the window searches on its own thread.

#include <gtest/gtest.h>

#include <QSignalSpy>
#include <QTemporaryDir>

#include <fstream>

#include "app/LibrarySearch.h"
#include "library/PresetLibrary.h"
#include "tests/PresetValues.h"

namespace kestralux {
namespace {

struct LibraryOnDisk {
  QTemporaryDir dir;
  PresetLibrary library;
  std::filesystem::path file = dir.filePath("library.sqlite").toStdString();

  LibraryOnDisk() {
    library.open(file, dir.filePath("history").toStdString());
    for (const auto& [name, amp] : {std::pair{"CLEAN", 0}, {"CRUNCH", 4}, {"LEAD", 9}}) {
      PresetRecord record;
      test::makePreset(record, amp);
      record.storeName(name);
      library.notePreset(record, Place{SightingKind::Imported, 0, "/x.pre"});
    }
  }
};

LibraryQuery named(const char* text) {
  LibraryQuery query;
  query.text = text;
  return query;
}

TEST(LibrarySearchThread, OnlyTheNewestQuestionIsAnswered) {
  struct Row {
    const char* what;
    std::function<void(LibrarySearch&)> ask;
    std::int64_t count;  // of the one answer
  };
  const Row rows[] = {
      {"one question", [](LibrarySearch& s) { s.ask(named("C")); }, 2},
      {"typed on before the answer", [](LibrarySearch& s) { s.ask(named("C")); s.ask(named("CR")); s.ask(named("CRU")); }, 1},
      {"overtaken by a search on the window's thread", [](LibrarySearch& s) { s.ask(named("C")); s.forget(); s.ask(named("LEAD")); }, 1},
  };
  LibraryOnDisk disk;
  for (const Row& row : rows) {
    SCOPED_TRACE(row.what);
    LibrarySearch search(disk.file);
    ASSERT_TRUE(search.available());
    QSignalSpy answers(&search, &LibrarySearch::answered);
    row.ask(search);
    // One thread answers in the order asked: an older answer would come first.
    ASSERT_TRUE(answers.wait(5000));
    QCoreApplication::processEvents();
    ASSERT_EQ(answers.size(), 1);
    EXPECT_EQ(answers[0][0].value<SearchResult>().count, row.count);
  }
}

TEST(LibrarySearchThread, AFileItCannotSearchIsSaidAtOnce) {
  QTemporaryDir dir;
  const std::filesystem::path text = dir.filePath("library.sqlite").toStdString();
  std::ofstream(text) << "not a library\n";
  for (const std::filesystem::path& path : {text, std::filesystem::path(dir.filePath("missing.sqlite").toStdString())}) {
    SCOPED_TRACE(path.string());
    EXPECT_FALSE(LibrarySearch(path).available());
  }
}

}  // namespace
}  // namespace kestralux
