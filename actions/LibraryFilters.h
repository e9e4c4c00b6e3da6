#pragma once
// What the library pane's boxes ask, without the window: the query they make, which of them
// narrow the list (so the window can draw them as narrowing it, and CLEAR can undo them all),
// what the count line says, and what Enter in the tags box does. A filter left set from an
// earlier search must never hide a sound without the list saying so.

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "library/PresetLibrary.h"

namespace kestralux {

struct LibraryFilters {
  std::string text;        // part of a name, Latin-1: the search itself, not a filter
  std::string ampModel;    // as the window shows it; empty: any
  std::string effect;      // empty: any
  std::string kind;        // a category, family or AMBIENT; empty: any
  std::string conditions;  // as typed: "GAIN >= 7, DELAY TIME < 300"
  bool favouritesOnly = false;
  std::string tag;         // UTF-8; empty: any
  bool hideClose = false;

  bool operator==(const LibraryFilters&) const = default;
};

// The conditions typed, split at the commas, blanks around each dropped.
std::vector<std::string> conditionsOf(const std::string& typed);

LibraryQuery queryOf(const LibraryFilters& filters, SortColumn sort, bool descending, std::optional<int> limit);

enum class LibraryFilter { AmpModel, Effect, Kind, Conditions, Favourites, Tag, HideClose };

struct ActiveFilter {
  LibraryFilter filter;
  std::string text;  // what it asks, as the window shows it: "GAIN >= 7", "TAG LIVE"
};

// The filters that narrow the list now, in the order the window shows them.
std::vector<ActiveFilter> activeFilters(const LibraryFilters& filters);

// Every filter and condition reset; the name searched for stays.
LibraryFilters cleared(const LibraryFilters& filters);

// "FILTERED BY BRIT BLUES, GAIN >= 7"; empty when nothing narrows the list.
std::string filtersText(const LibraryFilters& filters);

// The count line: "3 SOUNDS", "500 OF 1,200 SOUNDS", "2 SOUNDS, 4 CLOSE HIDDEN", what is
// wrong with the search; and, when the filters hid sounds the name alone finds
// (`withoutFilters`, asked only then), how many: so an old condition never hides a search
// silently.
std::string countText(const SearchResult& result, std::size_t rowsShown, std::optional<std::int64_t> withoutFilters);

// Enter in the tags box: the tags of the sound picked in the list, or why they were not kept.
// Nothing picked is told, and the text typed stays for the user to keep.
std::optional<std::string> keepTags(PresetLibrary& library, std::optional<std::int64_t> picked, const std::string& typedUtf8);

}  // namespace kestralux
