#include "app/LibraryPane.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QGridLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QFileDialog>
#include <QLineEdit>
#include <QMenu>
#include <QMouseEvent>
#include <QPushButton>
#include <QStyle>
#include <QTreeWidget>

#include <algorithm>
#include <functional>
#include <memory>
#include <optional>
#include <utility>

#include "actions/EditorActions.h"
#include "actions/LibrarySharing.h"
#include "app/ElidedLabel.h"
#include "app/Latin1.h"
#include "app/LibraryFeed.h"
#include "app/LibrarySearch.h"
#include "app/SlotList.h"
#include "editor/EditorTables.h"
#include "library/SearchedControls.h"
#include "library/SoundCategory.h"

namespace kestralux {

namespace {

constexpr int kRowsShown = 500;

// The results: keys and a drag onto the bank's slots, told to the pane through callbacks.
class ResultList : public QTreeWidget {
 public:
  ResultList(SlotList& slotList, QWidget* parent) : QTreeWidget(parent), slots_(slotList) {}

  std::function<void()> onEnter, onEscape, onFavourite;
  std::function<void(int slot)> onDrop;
  std::function<void(QPoint global)> onDropElsewhere;

 protected:
  void keyPressEvent(QKeyEvent* event) override {
    const bool plain = !(event->modifiers() & (Qt::ControlModifier | Qt::AltModifier));
    if ((event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) && onEnter) return onEnter();
    if (event->key() == Qt::Key_Escape && onEscape) return onEscape();
    if (plain && (event->key() == Qt::Key_F || event->key() == Qt::Key_Asterisk) && onFavourite) return onFavourite();
    QTreeWidget::keyPressEvent(event);
  }
  void mousePressEvent(QMouseEvent* event) override {
    QTreeWidget::mousePressEvent(event);
    press_ = event->button() == Qt::LeftButton && currentItem() ? std::optional(event->position().toPoint()) : std::nullopt;
    dragging_ = false;
  }
  void mouseMoveEvent(QMouseEvent* event) override {
    if (!press_ || !(event->buttons() & Qt::LeftButton)) return QTreeWidget::mouseMoveEvent(event);
    if (!dragging_ && (event->position().toPoint() - *press_).manhattanLength() < QApplication::startDragDistance()) return;
    dragging_ = true;
    if (const std::optional<int> to = slotUnder(event->globalPosition().toPoint()))
      slots_.showDropTarget(*to, 1, Arrangement::Copy);
    else
      slots_.clearDropTarget();
  }
  void mouseReleaseEvent(QMouseEvent* event) override {
    const bool dropped = dragging_;
    press_.reset();
    dragging_ = false;
    slots_.clearDropTarget();
    if (!dropped) return QTreeWidget::mouseReleaseEvent(event);
    if (const std::optional<int> to = slotUnder(event->globalPosition().toPoint()); to && onDrop)
      onDrop(*to);
    else if (!to && !rect().contains(event->position().toPoint()) && onDropElsewhere)
      onDropElsewhere(event->globalPosition().toPoint());
  }

 private:
  std::optional<int> slotUnder(QPoint global) const {
    return slots_.dropStart(slots_.viewport()->mapFromGlobal(global), 1, 0);
  }

  SlotList& slots_;
  std::optional<QPoint> press_;
  bool dragging_ = false;
};

QString shownName(const SoundRow& row) {
  return row.newestName.empty() ? QStringLiteral("(NO NAME)") : QString::fromLatin1(row.newestName.c_str()).toUpper();
}

}  // namespace

LibraryPane::LibraryPane(EditorActions& actions, SlotList& slotList, LibraryFeed* feed, QWidget* parent)
    : QWidget(parent), actions_(actions), slots_(slotList), feed_(feed) {
  setObjectName(QStringLiteral("libraryPane"));
  searchBox = new QLineEdit;
  searchBox->setObjectName(QStringLiteral("librarySearch"));
  searchBox->setPlaceholderText(QStringLiteral("SEARCH NAMES"));
  ampFilter = new QComboBox;
  ampFilter->setObjectName(QStringLiteral("libraryAmp"));
  ampFilter->addItem(QStringLiteral("ANY AMP MODEL"));
  for (const AmpModelRow& amp : kAmpModels) ampFilter->addItem(QString::fromLatin1(amp.caption.data(), amp.caption.size()));
  effectFilter = new QComboBox;
  effectFilter->setObjectName(QStringLiteral("libraryEffect"));
  effectFilter->addItem(QStringLiteral("ANY EFFECT"));
  for (const EffectRow& effect : kEffects)
    effectFilter->addItem(QString::fromLatin1(effect.caption.data(), effect.caption.size()));
  conditions = new QLineEdit;
  conditions->setObjectName(QStringLiteral("libraryWhere"));
  conditions->setPlaceholderText(QStringLiteral("GAIN >= 7, DELAY TIME < 300"));
  favouritesOnly = new QCheckBox(QStringLiteral("\u2605 ONLY"));
  favouritesOnly->setObjectName(QStringLiteral("libraryFavourites"));
  tagFilter = new QLineEdit;
  tagFilter->setObjectName(QStringLiteral("libraryTagFilter"));
  tagFilter->setPlaceholderText(QStringLiteral("TAG"));
  kindFilter = new QComboBox;
  kindFilter->setObjectName(QStringLiteral("libraryCategory"));
  kindFilter->addItem(QStringLiteral("ANY CATEGORY"));
  for (const Category c : kCategories) kindFilter->addItem(QString::fromLatin1(categoryName(c).data(), categoryName(c).size()));
  for (const EffectFamily f : kEffectFamilies)
    if (f != EffectFamily::None) kindFilter->addItem(QString::fromLatin1(familyName(f).data(), familyName(f).size()));
  kindFilter->addItem(QStringLiteral("AMBIENT"));
  hideClose = new QCheckBox(QStringLiteral("HIDE CLOSE SOUNDS"));
  hideClose->setObjectName(QStringLiteral("libraryHideClose"));
  clearButton = new QPushButton(QStringLiteral("CLEAR"));
  clearButton->setObjectName(QStringLiteral("libraryClear"));
  filtersLine = new ElidedLabel;
  filtersLine->setObjectName(QStringLiteral("libraryFilters"));

  auto* list = new ResultList(slots_, this);
  results = list;
  results->setObjectName(QStringLiteral("libraryResults"));
  results->setColumnCount(ColumnCount);
  results->setHeaderLabels({QStringLiteral("\u2605"), QStringLiteral("NAME"), QString(), QStringLiteral("AMP MODEL"),
                            QStringLiteral("EFFECT"), QStringLiteral("CATEGORY"), QStringLiteral("CLOSE"), QStringLiteral("SEEN"),
                            QStringLiteral("LAST SEEN"), QStringLiteral("TAGS")});
  results->setRootIsDecorated(false);
  results->setUniformRowHeights(true);
  results->setAllColumnsShowFocus(true);
  results->setEditTriggers(QAbstractItemView::NoEditTriggers);
  // Sounds to share are picked together, as in any list.
  results->setSelectionMode(QAbstractItemView::ExtendedSelection);
  results->header()->setSectionsClickable(true);
  results->header()->setSortIndicatorShown(true);
  results->header()->setSortIndicator(LastSeenColumn, Qt::DescendingOrder);
  results->header()->setSectionResizeMode(StarColumn, QHeaderView::ResizeToContents);
  results->setColumnWidth(NameColumn, 150);
  results->setColumnWidth(AmpColumn, 110);
  // Widths from the texts the columns can hold rather than from every row at each answer,
  // which would cost more than the search: a date is as wide as any date, so LAST SEEN is
  // never cut; what does not fit the pane is reached by scrolling.
  const QFontMetrics metrics = results->fontMetrics();
  const auto fit = [&](int column, const QString& widest) {
    const int header = results->header()->fontMetrics().horizontalAdvance(results->headerItem()->text(column));
    results->setColumnWidth(column, std::max(metrics.horizontalAdvance(widest), header) + 3 * style()->pixelMetric(QStyle::PM_HeaderMargin) + 12);
  };
  fit(LastSeenColumn, QStringLiteral("8888-88-88 88:88:88"));
  fit(SeenColumn, QStringLiteral("8888"));
  fit(CloseColumn, QStringLiteral("888"));
  fit(CategoryColumn, QStringLiteral("HIGH GAIN, MODULATION"));
  results->setColumnHidden(SearchedColumn, true);

  count = new ElidedLabel;
  count->setObjectName(QStringLiteral("libraryCount"));
  tags = new QLineEdit;
  tags->setObjectName(QStringLiteral("libraryTags"));
  tags->setPlaceholderText(QStringLiteral("TAGS OF THE SOUND (COMMAS, ENTER KEEPS THEM)"));

  auto* grid = new QGridLayout(this);
  grid->setContentsMargins(0, 0, 0, 0);
  grid->addWidget(searchBox, 0, 0, 1, 2);
  grid->addWidget(favouritesOnly, 0, 2);
  grid->addWidget(ampFilter, 1, 0);
  grid->addWidget(effectFilter, 1, 1);
  grid->addWidget(tagFilter, 1, 2);
  grid->addWidget(kindFilter, 2, 0);
  grid->addWidget(hideClose, 2, 1);
  grid->addWidget(clearButton, 2, 2);
  grid->addWidget(conditions, 3, 0, 1, 3);
  grid->addWidget(filtersLine, 4, 0, 1, 3);
  grid->addWidget(results, 5, 0, 1, 3);
  grid->addWidget(count, 6, 0);
  grid->addWidget(tags, 6, 1, 1, 2);
  grid->setRowStretch(5, 1);
  share = new QPushButton(QStringLiteral("SHARE..."));
  share->setObjectName(QStringLiteral("libraryShare"));
  grid->addWidget(share, 7, 2);
  // From the search straight to its results, the way a user browses.
  for (auto [from, to] : {std::pair<QWidget*, QWidget*>{searchBox, results}, {results, favouritesOnly}, {favouritesOnly, ampFilter},
                          {ampFilter, effectFilter}, {effectFilter, tagFilter}, {tagFilter, kindFilter}, {kindFilter, hideClose},
                          {hideClose, clearButton}, {clearButton, conditions}, {conditions, tags}, {tags, share}})
    QWidget::setTabOrder(from, to);

  startSearcher();
  connect(searchBox, &QLineEdit::textChanged, this, &LibraryPane::searchAsTyped);
  connect(conditions, &QLineEdit::textChanged, this, &LibraryPane::searchAsTyped);
  connect(tagFilter, &QLineEdit::textChanged, this, &LibraryPane::searchAsTyped);
  connect(ampFilter, &QComboBox::currentIndexChanged, this, &LibraryPane::search);
  connect(effectFilter, &QComboBox::currentIndexChanged, this, &LibraryPane::search);
  connect(favouritesOnly, &QCheckBox::toggled, this, &LibraryPane::search);
  connect(kindFilter, &QComboBox::currentIndexChanged, this, &LibraryPane::search);
  connect(hideClose, &QCheckBox::toggled, this, &LibraryPane::search);
  connect(clearButton, &QPushButton::clicked, this, &LibraryPane::clearFilters);
  connect(results->header(), &QHeaderView::sectionClicked, this, [this](int column) {
    static const std::optional<SortColumn> kByColumn[] = {
        SortColumn::LastSeen, SortColumn::Name, SortColumn::Parameter, SortColumn::AmpModel, SortColumn::Effect,
        std::nullopt,         std::nullopt,     SortColumn::TimesSeen, SortColumn::LastSeen, std::nullopt};
    static_assert(std::size(kByColumn) == ColumnCount);
    if (column < 0 || column >= ColumnCount || !kByColumn[column] || (column == SearchedColumn && searched_.empty())) {
      // The database does not order by what it works out per sound: the order stays.
      results->header()->setSortIndicator(sortSection_, descending_ ? Qt::DescendingOrder : Qt::AscendingOrder);
      return;
    }
    const SortColumn by = *kByColumn[column];
    if (by == SortColumn::Parameter) sortParameter_ = searched_.front();
    sortSection_ = column;
    descending_ = by == sort_ ? !descending_ : by == SortColumn::LastSeen || by == SortColumn::TimesSeen;
    sort_ = by;
    results->header()->setSortIndicator(column, descending_ ? Qt::DescendingOrder : Qt::AscendingOrder);
    search();
  });
  connect(results, &QTreeWidget::currentItemChanged, this, [this] {
    showTags();
    // Only a move the user makes in the results is heard, not a new search's first row.
    if (results->hasFocus()) audition();
  });
  // The category by hand, from the results' own menu.
  results->setContextMenuPolicy(Qt::CustomContextMenu);
  connect(results, &QWidget::customContextMenuRequested, this, [this](const QPoint& at) {
    if (!selected()) return;
    QMenu menu(this);
    for (const Category c : kCategories)
      menu.addAction(QStringLiteral("CATEGORY: %1").arg(QString::fromLatin1(categoryName(c).data(), categoryName(c).size())),
                     this, [this, c] { giveCategory(c); });
    menu.addAction(QStringLiteral("CATEGORY FROM ITS VALUES"), this, [this] { giveCategory(std::nullopt); });
    menu.exec(results->viewport()->mapToGlobal(at));
  });
  connect(share, &QPushButton::clicked, this, &LibraryPane::shareChosen);
  connect(results, &QTreeWidget::itemDoubleClicked, this, [this] { putIntoSlot(actions_.currentPreset()); });
  list->onEnter = [this] { putIntoSlot(actions_.currentPreset()); };
  list->onEscape = [this] {
    leave();
    slots_.setFocus();
  };
  list->onFavourite = [this] { toggleFavourite(); };
  list->onDrop = [this](int slot) { putIntoSlot(slot); };
  list->onDropElsewhere = [this](QPoint global) {
    if (const SoundRow* row = selected()) {
      const std::unique_ptr<QMimeData> sound(soundDrag(row->record, shownName(*row).toStdString()));
      emit droppedOutside(global, sound.get());
    }
  };
  connect(tags, &QLineEdit::returnPressed, this, &LibraryPane::keepTypedTags);
  // Leaving the library for anything else (the slots, the main window) is leaving the sound.
  connect(qApp, &QApplication::focusChanged, this, [this](QWidget*, QWidget* now) {
    if (actions_.auditioning() && now && !isAncestorOf(now)) leave();
  });
  if (feed_) connect(feed_, &LibraryFeed::noted, this, &LibraryPane::search);
  search();
}

void LibraryPane::search() {
  if (!feed_ || !feed_->available()) {
    count->setText(QStringLiteral("NO LIBRARY"));
    return;
  }
  // An answer still coming for an older question would undo this one.
  if (searcher_) searcher_->forget();
  showAnswer(feed_->search(queryOfBoxes()));
}

void LibraryPane::startSearcher() {
  delete std::exchange(searcher_, nullptr);
  if (!feed_ || !feed_->available()) return;
  searcher_ = new LibrarySearch(feed_->library().file(), this);
  if (!searcher_->available()) {
    delete std::exchange(searcher_, nullptr);
    return;
  }
  connect(searcher_, &LibrarySearch::answered, this, [this](const SearchResult& result) {
    // Damage is found, set aside and said on the library's own connection: the answer comes
    // from there instead.
    if (!result.error.empty()) return search();
    showAnswer(result);
  });
}

void LibraryPane::searchAsTyped() {
  if (!searcher_) return search();
  // The thread reads the file it opened; a file replaced or rebuilt since is said, and searched
  // from here on.
  if (feed_->lookAtFile()) {
    startSearcher();
    return search();
  }
  searcher_->ask(queryOfBoxes());
}

LibraryFilters LibraryPane::filters() const {
  LibraryFilters f;
  f.text = searchBox->text().toLatin1().toStdString();
  if (ampFilter->currentIndex() > 0) f.ampModel = ampFilter->currentText().toStdString();
  if (effectFilter->currentIndex() > 0) f.effect = effectFilter->currentText().toStdString();
  if (kindFilter->currentIndex() > 0) f.kind = kindFilter->currentText().toStdString();
  f.conditions = conditions->text().toStdString();
  f.favouritesOnly = favouritesOnly->isChecked();
  f.tag = tagFilter->text().toUtf8().toStdString();
  f.hideClose = hideClose->isChecked();
  return f;
}

LibraryQuery LibraryPane::queryOfBoxes() const {
  LibraryQuery query = queryOf(filters(), sort_, descending_, kRowsShown);
  query.sortParameter = sortParameter_;
  return query;
}

void LibraryPane::clearFilters() {
  {
    // One search for the whole reset, not one per box.
    const QSignalBlocker a(ampFilter), e(effectFilter), k(kindFilter), c(conditions), f(favouritesOnly), t(tagFilter), h(hideClose);
    ampFilter->setCurrentIndex(0);
    effectFilter->setCurrentIndex(0);
    kindFilter->setCurrentIndex(0);
    conditions->clear();
    favouritesOnly->setChecked(false);
    tagFilter->clear();
    hideClose->setChecked(false);
  }
  search();
}

void LibraryPane::drawFilters() {
  const LibraryFilters now = filters();
  const std::vector<ActiveFilter> active = activeFilters(now);
  const auto isActive = [&](LibraryFilter which) {
    return std::any_of(active.begin(), active.end(), [which](const ActiveFilter& a) { return a.filter == which; });
  };
  // The same mark on every box that narrows the list, so an old one is seen at a glance.
  static const QString kMarked = QStringLiteral("background: #ffe066; color: black; font-weight: bold;");
  for (auto [box, which] : {std::pair<QWidget*, LibraryFilter>{ampFilter, LibraryFilter::AmpModel}, {effectFilter, LibraryFilter::Effect},
                            {kindFilter, LibraryFilter::Kind}, {conditions, LibraryFilter::Conditions},
                            {favouritesOnly, LibraryFilter::Favourites}, {tagFilter, LibraryFilter::Tag},
                            {hideClose, LibraryFilter::HideClose}}) {
    const bool marked = isActive(which);
    if (box->property("narrowing").toBool() == marked) continue;
    box->setProperty("narrowing", marked);
    box->setStyleSheet(marked ? kMarked : QString());
  }
  if (filtersLine->isHidden() == active.empty() && clearButton->isEnabled() != active.empty()) {
    if (!active.empty()) filtersLine->setText(QString::fromUtf8(filtersText(now).c_str()));
    return;
  }
  filtersLine->setText(QString::fromUtf8(filtersText(now).c_str()));
  filtersLine->setStyleSheet(active.empty() ? QString() : QStringLiteral("color: #b00000; font-weight: bold;"));
  filtersLine->setVisible(!active.empty());
  clearButton->setEnabled(!active.empty());
}

void LibraryPane::showAnswer(SearchResult result) {
  const std::int64_t keep = selected() ? selected()->id : 0;
  rows_ = std::move(result.rows);
  const LibraryFilters asked = filters();
  searched_ = searchedParameters(conditionsOf(asked.conditions));
  QStringList captions;
  for (const int p : searched_) captions << QString::fromStdString(parameterCaption(PresetRecord{}, p));
  results->headerItem()->setText(SearchedColumn, captions.join(QStringLiteral(", ")));
  results->setColumnHidden(SearchedColumn, searched_.empty());
  const QSignalBlocker quiet(results);
  results->clear();
  QTreeWidgetItem* again = nullptr;
  // Put in at once: one by one, each would be an insertion of its own in the view.
  QList<QTreeWidgetItem*> items;
  items.reserve(static_cast<qsizetype>(rows_.size()));
  for (const SoundRow& row : rows_) {
    auto* item = new QTreeWidgetItem;
    items.append(item);
    item->setText(StarColumn, row.favourite ? QStringLiteral("\u2605") : QString());
    item->setText(NameColumn, shownName(row));
    item->setText(AmpColumn, ampModelText(row.record));
    item->setText(EffectColumn, effectText(row.record));
    QStringList values;
    for (const int p : searched_) values << QString::fromStdString(shownValueText(row.record, p));
    item->setText(SearchedColumn, values.join(QStringLiteral(", ")));
    item->setText(CategoryColumn, QString::fromStdString(kindText(row.kind())));
    if (row.categoryByHand) item->setToolTip(CategoryColumn, QStringLiteral("GIVEN BY HAND"));
    item->setText(CloseColumn, row.closeCount > 0 ? QString::number(row.closeCount) : QString());
    QStringList tagList;
    for (const std::string& tag : row.tags) tagList << QString::fromStdString(tag);
    item->setText(TagsColumn, tagList.join(QStringLiteral(", ")));
    item->setText(SeenColumn, QString::number(row.timesSeen));
    item->setText(LastSeenColumn, QString::fromStdString(localTimeText(row.lastSeen)));
    if (row.id == keep) again = item;
  }
  results->addTopLevelItems(items);
  if (again) results->setCurrentItem(again);
  // What the filters hid of a name searched for is counted, so an old filter never hides a
  // search silently.
  std::optional<std::int64_t> withoutFilters;
  if (!asked.text.empty() && !activeFilters(asked).empty() && feed_ && feed_->available()) {
    LibraryQuery nameAlone;
    nameAlone.text = asked.text;
    nameAlone.limit = 0;
    if (const SearchResult alone = feed_->search(nameAlone); alone.error.empty()) withoutFilters = alone.count;
  }
  count->setText(QString::fromUtf8(countText(result, rows_.size(), withoutFilters).c_str()));
  drawFilters();
  showTags();
  emit searched();
}

const SoundRow* LibraryPane::selected() const {
  const int n = results->currentItem() ? results->indexOfTopLevelItem(results->currentItem()) : -1;
  return n >= 0 && n < static_cast<int>(rows_.size()) ? &rows_[static_cast<std::size_t>(n)] : nullptr;
}

void LibraryPane::showTags() {
  // The sound picked here is the one other windows offer to work with.
  const SoundRow* picked = selected();
  actions_.pickSound(picked ? std::optional(EditorActions::PickedSound{picked->record, picked->newestName}) : std::nullopt);
  // Tags typed and not yet kept stay while the same sound, or none, is picked: a list
  // answered meanwhile (a letter typed, a fetch noted) must not wipe them.
  // Typed while no sound was picked, they wait for the one picked next.
  if (tags->isModified() && (!picked || picked->id == tagsFor_ || tagsFor_ == 0)) return;
  QStringList shown;
  if (const SoundRow* row = picked)
    for (const std::string& tag : row->tags) shown << QString::fromStdString(tag);
  tags->setText(shown.join(QStringLiteral(", ")));
  tagsFor_ = picked ? picked->id : 0;
}

void LibraryPane::keepTypedTags() {
  if (!feed_) return;
  const SoundRow* row = selected();
  const std::optional<std::int64_t> picked = row ? std::optional(row->id) : std::nullopt;
  if (const auto error = keepTags(feed_->library(), picked, tags->text().toUtf8().toStdString())) {
    emit said(QString::fromUtf8(error->c_str()));
    return;
  }
  tags->setModified(false);
  search();
}

void LibraryPane::audition() {
  if (const SoundRow* row = selected()) actions_.audition(row->record);
}

void LibraryPane::leave() { actions_.endAudition(); }

void LibraryPane::putIntoSlot(int n) {
  const SoundRow* row = selected();
  if (!row || n < 0 || n >= kPresetCount) return;
  const std::unique_ptr<QMimeData> sound(soundDrag(row->record, shownName(*row).toStdString()));
  slots_.bankModel().dropMimeData(sound.get(), Qt::CopyAction, n, 0, {});
}

void LibraryPane::giveCategory(std::optional<Category> category) {
  const SoundRow* row = selected();
  if (!row || !feed_) return;
  if (const auto error = feed_->library().setCategory(row->id, category)) {
    emit said(QString::fromStdString(*error).toUpper());
    return;
  }
  search();
}

std::vector<std::int64_t> LibraryPane::picked() const {
  std::vector<std::int64_t> ids;
  for (QTreeWidgetItem* item : results->selectedItems()) {
    const int n = results->indexOfTopLevelItem(item);
    if (n >= 0 && n < static_cast<int>(rows_.size())) ids.push_back(rows_[static_cast<std::size_t>(n)].id);
  }
  if (ids.empty() && selected()) ids.push_back(selected()->id);
  return ids;
}

void LibraryPane::shareChosen() {
  if (!feed_) return;
  const std::vector<std::int64_t> ids = picked();
  if (ids.empty()) return emit said(QStringLiteral("NO SOUND PICKED TO SHARE"));
  QString file = QFileDialog::getSaveFileName(this, QStringLiteral("SHARE"), QString(), QStringLiteral("Sounds (*.kessound)"));
  if (file.isEmpty()) return;
  if (!file.endsWith(QStringLiteral(".kessound"), Qt::CaseInsensitive)) file += QStringLiteral(".kessound");
  emit said(QString::fromStdString(shareTo(file.toStdString())));
}

std::string LibraryPane::shareTo(const std::filesystem::path& file) { return shareSounds(feed_->library(), picked(), file); }

void LibraryPane::toggleFavourite() {
  const SoundRow* row = selected();
  if (!row || !feed_) return;
  if (const auto error = feed_->library().setFavourite(row->id, !row->favourite)) {
    emit said(QString::fromStdString(*error).toUpper());
    return;
  }
  search();
}

}  // namespace kestralux
