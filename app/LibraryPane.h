#pragma once
// The library beside the bank's slots: a search that follows each letter typed, filters for
// amp model, effect, category, parameter conditions as the window names them ("GAIN >= 7"),
// favourites and tags, and close sounds hidden; a filter that narrows the list is marked
// and named, and CLEAR takes them all away (LibraryFilters holds the rules). Moving through the results with the keys lets the combo play each
// sound without touching the bank; leaving the results sends the preset on screen again.
// Enter, a double-click or a drag onto a slot puts the sound into the bank.

#include <QWidget>

#include <cstdint>
#include <vector>

#include "actions/LibraryFilters.h"
#include "library/PresetLibrary.h"

class QMimeData;
class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QTreeWidget;

namespace kestralux {

class EditorActions;
class ElidedLabel;
class LibraryFeed;
class LibrarySearch;
class SlotList;

class LibraryPane : public QWidget {
  Q_OBJECT

 public:
  // `slotList` is the bank's, where a sound is dragged to.
  LibraryPane(EditorActions& actions, SlotList& slotList, LibraryFeed* feed, QWidget* parent = nullptr);

  // The search again, as the boxes now say, answered before it returns.
  void search();
  // The same for a letter typed: answered later, from the search's own thread when there is
  // one, so that the next key is taken at once; searched() says when it is shown.
  void searchAsTyped();
  void startSearcher();
  // The sound of the selected result dropped on slot n (0..29) of the bank's list, as a drag
  // of it does: one undo step.
  void putIntoSlot(int n);
  // The combo plays the selected sound instead of the preset on screen, until leave().
  void audition();
  void leave();
  void toggleFavourite();
  // The selected sound's category by hand; nothing gives it back the one of its values.
  void giveCategory(std::optional<Category> category);
  // SHARE...: the picked sounds (the selected results, or the one under the cursor) to a
  // .kessound file the user names; shareTo writes them to `file` and says how it went.
  void shareChosen();
  std::string shareTo(const std::filesystem::path& file);
  std::vector<std::int64_t> picked() const;

  QLineEdit* searchBox = nullptr;
  QComboBox* ampFilter = nullptr;
  QComboBox* effectFilter = nullptr;
  QLineEdit* conditions = nullptr;
  QCheckBox* favouritesOnly = nullptr;
  QLineEdit* tagFilter = nullptr;
  QComboBox* kindFilter = nullptr;
  QCheckBox* hideClose = nullptr;
  // Resets every filter and condition; the name searched for stays.
  QPushButton* clearButton = nullptr;
  // "FILTERED BY GAIN >= 7": shown while anything narrows the list.
  ElidedLabel* filtersLine = nullptr;
  QTreeWidget* results = nullptr;
  // The number of sounds found, or what is wrong with the search: never wider than the pane.
  ElidedLabel* count = nullptr;
  QLineEdit* tags = nullptr;
  QPushButton* share = nullptr;

  // SearchedColumn shows the values the conditions looked at, and only while there are any.
  enum Column {
    StarColumn,
    NameColumn,
    SearchedColumn,
    AmpColumn,
    EffectColumn,
    CategoryColumn,
    CloseColumn,
    SeenColumn,
    LastSeenColumn,
    TagsColumn,
    ColumnCount
  };

  // The boxes as they stand.
  LibraryFilters filters() const;
  // CLEAR: every filter and condition back to none.
  void clearFilters();

  // The sound the results' cursor stands on; the explore window morphs toward it.
  const SoundRow* selected() const;

 signals:
  // For the status line of the window the pane is in; what a sound put into a slot did is
  // the bank model's to say.
  void said(const QString& text);
  // The results and the count show a search's answer.
  void searched();
  // The sound selected let go at `global`, on no slot: another window may take it.
  void droppedOutside(QPoint global, const QMimeData* sound);

 private:
  LibraryQuery queryOfBoxes() const;
  void showAnswer(SearchResult result);
  void showTags();
  void keepTypedTags();
  // Each filter box that narrows the list is drawn so, and the line says what they ask.
  void drawFilters();

  EditorActions& actions_;
  SlotList& slots_;
  LibraryFeed* feed_;
  LibrarySearch* searcher_ = nullptr;
  std::vector<SoundRow> rows_;
  std::int64_t tagsFor_ = 0;  // the sound whose tags the tags box holds
  std::vector<int> searched_;  // the parameters SearchedColumn shows
  SortColumn sort_ = SortColumn::LastSeen;
  int sortParameter_ = 0;  // for SortColumn::Parameter: the first control searched
  int sortSection_ = LastSeenColumn;
  bool descending_ = true;
};

}  // namespace kestralux
