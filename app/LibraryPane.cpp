#include "app/LibraryPane.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QGridLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMouseEvent>
#include <QTreeWidget>

#include <functional>
#include <memory>
#include <optional>
#include <utility>

#include "actions/EditorActions.h"
#include "app/ElidedLabel.h"
#include "app/Latin1.h"
#include "app/LibraryFeed.h"
#include "app/LibrarySearch.h"
#include "app/SlotList.h"
#include "editor/EditorTables.h"

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

  auto* list = new ResultList(slots_, this);
  results = list;
  results->setObjectName(QStringLiteral("libraryResults"));
  results->setColumnCount(ColumnCount);
  results->setHeaderLabels({QStringLiteral("\u2605"), QStringLiteral("NAME"), QStringLiteral("AMP MODEL"),
                            QStringLiteral("EFFECT"), QStringLiteral("SEEN"), QStringLiteral("LAST SEEN")});
  results->setRootIsDecorated(false);
  results->setUniformRowHeights(true);
  results->setAllColumnsShowFocus(true);
  results->setEditTriggers(QAbstractItemView::NoEditTriggers);
  results->header()->setSectionsClickable(true);
  results->header()->setSortIndicatorShown(true);
  results->header()->setSortIndicator(LastSeenColumn, Qt::DescendingOrder);
  results->header()->setSectionResizeMode(StarColumn, QHeaderView::ResizeToContents);
  results->setColumnWidth(NameColumn, 150);
  results->setColumnWidth(AmpColumn, 110);

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
  grid->addWidget(conditions, 2, 0, 1, 3);
  grid->addWidget(results, 3, 0, 1, 3);
  grid->addWidget(count, 4, 0);
  grid->addWidget(tags, 4, 1, 1, 2);
  grid->setRowStretch(3, 1);
  // From the search straight to its results, the way a user browses.
  for (auto [from, to] : {std::pair<QWidget*, QWidget*>{searchBox, results}, {results, favouritesOnly}, {favouritesOnly, ampFilter},
                          {ampFilter, effectFilter}, {effectFilter, tagFilter}, {tagFilter, conditions}, {conditions, tags}})
    QWidget::setTabOrder(from, to);

  startSearcher();
  connect(searchBox, &QLineEdit::textChanged, this, &LibraryPane::searchAsTyped);
  connect(conditions, &QLineEdit::textChanged, this, &LibraryPane::searchAsTyped);
  connect(tagFilter, &QLineEdit::textChanged, this, &LibraryPane::searchAsTyped);
  connect(ampFilter, &QComboBox::currentIndexChanged, this, &LibraryPane::search);
  connect(effectFilter, &QComboBox::currentIndexChanged, this, &LibraryPane::search);
  connect(favouritesOnly, &QCheckBox::toggled, this, &LibraryPane::search);
  connect(results->header(), &QHeaderView::sectionClicked, this, [this](int column) {
    static const SortColumn kByColumn[] = {SortColumn::LastSeen, SortColumn::Name,      SortColumn::AmpModel,
                                           SortColumn::Effect,   SortColumn::TimesSeen, SortColumn::LastSeen};
    const SortColumn by = kByColumn[column];
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
  connect(tags, &QLineEdit::returnPressed, this, [this] {
    const SoundRow* row = selected();
    if (!row || !feed_) return;
    const QByteArray text = tags->text().toUtf8();
    if (const auto error = feed_->library().setTags(row->id, text.toStdString())) emit said(QString::fromStdString(*error));
    search();
  });
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

LibraryQuery LibraryPane::queryOfBoxes() const {
  LibraryQuery query;
  query.text = searchBox->text().toLatin1().toStdString();
  if (ampFilter->currentIndex() > 0) query.ampModel = ampFilter->currentText().toStdString();
  if (effectFilter->currentIndex() > 0) query.effect = effectFilter->currentText().toStdString();
  for (const QString& condition : conditions->text().split(QLatin1Char(','), Qt::SkipEmptyParts))
    if (!condition.trimmed().isEmpty()) query.conditions.push_back(condition.trimmed().toStdString());
  query.favouritesOnly = favouritesOnly->isChecked();
  if (!tagFilter->text().trimmed().isEmpty()) query.tag = tagFilter->text().trimmed().toStdString();
  query.sort = sort_;
  query.descending = descending_;
  query.limit = kRowsShown;
  return query;
}

void LibraryPane::showAnswer(SearchResult result) {
  const std::int64_t keep = selected() ? selected()->id : 0;
  rows_ = std::move(result.rows);
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
    item->setText(SeenColumn, QString::number(row.timesSeen));
    item->setText(LastSeenColumn, QString::fromStdString(localTimeText(row.lastSeen)));
    if (row.id == keep) again = item;
  }
  results->addTopLevelItems(items);
  if (again) results->setCurrentItem(again);
  if (!result.error.empty())
    count->setText(QString::fromStdString(result.error).toUpper());
  else if (result.count > static_cast<std::int64_t>(rows_.size()))
    count->setText(QStringLiteral("%1 OF %2 SOUNDS").arg(rows_.size()).arg(result.count));
  else
    count->setText(result.count == 1 ? QStringLiteral("1 SOUND") : QStringLiteral("%1 SOUNDS").arg(result.count));
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
  QStringList shown;
  if (const SoundRow* row = picked)
    for (const std::string& tag : row->tags) shown << QString::fromStdString(tag);
  tags->setText(shown.join(QStringLiteral(", ")));
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
