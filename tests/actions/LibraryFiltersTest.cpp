// The library pane's boxes without the window: what narrows the list is named, CLEAR undoes
// every filter and keeps the name searched for, the count line tells what the filters hid,
// and Enter in the tags box never drops what was typed without saying so.

#include <gtest/gtest.h>

#include "actions/LibraryFilters.h"
#include "tests/library/LibraryFolder.h"

namespace kestralux {
namespace {

LibraryFilters with(auto change) {
  LibraryFilters f;
  f.text = "crunch";
  change(f);
  return f;
}

struct FiltersRow {
  const char* what;
  LibraryFilters filters;
  std::string shown;  // filtersText
};

TEST(LibraryFilters, WhatNarrowsTheListIsNamedAndClearUndoesIt) {
  const std::vector<FiltersRow> rows{
      {"a name alone narrows nothing", with([](auto&) {}), ""},
      {"an old condition", with([](auto& f) { f.conditions = "gain >= 7"; }), "FILTERED BY GAIN >= 7"},
      {"blank conditions", with([](auto& f) { f.conditions = " , ,"; }), ""},
      {"two conditions", with([](auto& f) { f.conditions = "GAIN >= 7,DELAY TIME < 300 "; }), "FILTERED BY GAIN >= 7, DELAY TIME < 300"},
      {"every box",
       with([](auto& f) {
         f.ampModel = "BRIT BLUES", f.effect = "WAH", f.kind = "CRUNCH", f.favouritesOnly = true, f.tag = " live ", f.hideClose = true;
       }),
       "FILTERED BY BRIT BLUES, WAH, CRUNCH, \u2605 ONLY, TAG LIVE, CLOSE SOUNDS HIDDEN"},
  };
  for (const FiltersRow& row : rows) {
    EXPECT_EQ(filtersText(row.filters), row.shown) << row.what;
    const LibraryFilters clear = cleared(row.filters);
    EXPECT_EQ(filtersText(clear), "") << row.what;
    EXPECT_EQ(clear.text, "crunch") << row.what;
    const LibraryQuery q = queryOf(row.filters, SortColumn::Name, false, 500);
    EXPECT_EQ(q.conditions.size() + q.ampModel.has_value() + q.effect.has_value() + q.kind.has_value() + q.favouritesOnly +
                  q.tag.has_value() + q.hideClose,
              activeFilters(row.filters).size())
        << row.what;
  }
  EXPECT_EQ(queryOf(rows[4].filters, SortColumn::Name, false, 500).tag, "live");
}

struct CountRow {
  const char* what;
  SearchResult result;
  std::size_t shown;
  std::optional<std::int64_t> withoutFilters;
  const char* text;
};

SearchResult found(std::int64_t count, std::int64_t hidden = 0, std::string error = "") {
  SearchResult r;
  r.count = count;
  r.hiddenClose = hidden;
  r.error = std::move(error);
  return r;
}

TEST(LibraryFilters, TheCountLineSaysWhatTheFiltersHid) {
  const std::vector<CountRow> rows{
      {"one", found(1), 1, std::nullopt, "1 SOUND"},
      {"more than shown", found(1200), 500, std::nullopt, "500 OF 1200 SOUNDS"},
      {"close sounds hidden", found(3, 4), 3, std::nullopt, "3 SOUNDS, 4 CLOSE HIDDEN"},
      {"an old condition hid the name's sounds", found(0), 0, 2, "0 SOUNDS; THE FILTERS HIDE 2 MORE"},
      {"the filters hid nothing", found(2), 2, 2, "2 SOUNDS"},
      {"a bad condition", found(0, 0, "\"GAIN 7\": no comparison"), 0, 5, "\"GAIN 7\": NO COMPARISON; THE FILTERS HIDE 5 MORE"},
  };
  for (const CountRow& row : rows) EXPECT_EQ(countText(row.result, row.shown, row.withoutFilters), row.text) << row.what;
}

TEST(LibraryFilters, TagsConfirmedAreKeptOrTheUserIsTold) {
  const auto folder = test::freshFolder("tags");
  PresetLibrary library;
  ASSERT_EQ(library.open(folder / "library.sqlite", folder / "history").state, LibraryOpening::State::Ready);
  const PresetRecord r = test::sound("LEAD", 20);
  library.notePreset(r, {SightingKind::Imported, 0, "x"}, 100);
  const std::int64_t id = test::knownOf(library, r).id;
  struct Row {
    const char* what;
    std::optional<std::int64_t> picked;
    const char* typed;
    std::optional<std::string> said;
    std::vector<std::string> tags;
  };
  const std::vector<Row> rows{
      {"nothing picked", std::nullopt, "live", "NO SOUND PICKED: PICK ONE IN THE LIST, THEN ENTER KEEPS THESE TAGS", {}},
      {"a sound picked", id, "live, caf\xC3\xA9", std::nullopt, {"live", "caf\xC3\xA9"}},
      {"a sound gone meanwhile", 999, "solo", "TAGS NOT KEPT: NO SOUND 999 IN THE LIBRARY", {"live", "caf\xC3\xA9"}},
      {"emptied", id, "", std::nullopt, {}},
  };
  for (const Row& row : rows) {
    EXPECT_EQ(keepTags(library, row.picked, row.typed), row.said) << row.what;
    EXPECT_EQ(library.sound(id).sound.tags, row.tags) << row.what;
  }
}

}  // namespace
}  // namespace kestralux
