#include "actions/LibraryFilters.h"

#include <algorithm>

#include "library/LibrarySchema.h"

namespace kestralux {

namespace {

std::string trimmed(const std::string& text) {
  const auto first = text.find_first_not_of(" \t");
  if (first == std::string::npos) return "";
  return text.substr(first, text.find_last_not_of(" \t") - first + 1);
}

std::string sounds(std::int64_t n) { return n == 1 ? "1 SOUND" : std::to_string(n) + " SOUNDS"; }

}  // namespace

std::vector<std::string> conditionsOf(const std::string& typed) {
  std::vector<std::string> out;
  std::size_t start = 0;
  while (start <= typed.size()) {
    const std::size_t end = std::min(typed.find(',', start), typed.size());
    if (std::string one = trimmed(typed.substr(start, end - start)); !one.empty()) out.push_back(std::move(one));
    start = end + 1;
  }
  return out;
}

LibraryQuery queryOf(const LibraryFilters& filters, SortColumn sort, bool descending, std::optional<int> limit) {
  LibraryQuery query;
  query.text = filters.text;
  if (!filters.ampModel.empty()) query.ampModel = filters.ampModel;
  if (!filters.effect.empty()) query.effect = filters.effect;
  if (!filters.kind.empty()) query.kind = filters.kind;
  query.conditions = conditionsOf(filters.conditions);
  query.favouritesOnly = filters.favouritesOnly;
  if (const std::string tag = trimmed(filters.tag); !tag.empty()) query.tag = tag;
  query.hideClose = filters.hideClose;
  query.closeCounts = true;
  query.sort = sort;
  query.descending = descending;
  query.limit = limit;
  return query;
}

std::vector<ActiveFilter> activeFilters(const LibraryFilters& filters) {
  std::vector<ActiveFilter> out;
  if (!filters.ampModel.empty()) out.push_back({LibraryFilter::AmpModel, filters.ampModel});
  if (!filters.effect.empty()) out.push_back({LibraryFilter::Effect, filters.effect});
  if (!filters.kind.empty()) out.push_back({LibraryFilter::Kind, filters.kind});
  for (const std::string& c : conditionsOf(filters.conditions)) out.push_back({LibraryFilter::Conditions, foldedTag(c)});
  if (filters.favouritesOnly) out.push_back({LibraryFilter::Favourites, "\u2605 ONLY"});
  if (const std::string tag = trimmed(filters.tag); !tag.empty()) out.push_back({LibraryFilter::Tag, "TAG " + foldedTag(tag)});
  if (filters.hideClose) out.push_back({LibraryFilter::HideClose, "CLOSE SOUNDS HIDDEN"});
  return out;
}

LibraryFilters cleared(const LibraryFilters& filters) {
  LibraryFilters out;
  out.text = filters.text;
  return out;
}

std::string filtersText(const LibraryFilters& filters) {
  std::string out;
  for (const ActiveFilter& f : activeFilters(filters)) out += (out.empty() ? "FILTERED BY " : ", ") + f.text;
  return out;
}

std::string countText(const SearchResult& result, std::size_t rowsShown, std::optional<std::int64_t> withoutFilters) {
  std::string out;
  if (!result.error.empty()) {
    out = foldedTag(result.error);
  } else {
    out = result.count > static_cast<std::int64_t>(rowsShown) ? std::to_string(rowsShown) + " OF " + sounds(result.count)
                                                              : sounds(result.count);
    if (result.hiddenClose > 0) out += ", " + std::to_string(result.hiddenClose) + " CLOSE HIDDEN";
  }
  if (withoutFilters) {
    const std::int64_t hidden = *withoutFilters - (result.error.empty() ? result.count + result.hiddenClose : 0);
    if (hidden > 0) out += "; THE FILTERS HIDE " + std::to_string(hidden) + " MORE";
  }
  return out;
}

std::optional<std::string> keepTags(PresetLibrary& library, std::optional<std::int64_t> picked, const std::string& typedUtf8) {
  if (!picked) return "NO SOUND PICKED: PICK ONE IN THE LIST, THEN ENTER KEEPS THESE TAGS";
  if (auto error = library.setTags(*picked, typedUtf8)) return "TAGS NOT KEPT: " + foldedTag(*error);
  return std::nullopt;
}

}  // namespace kestralux
