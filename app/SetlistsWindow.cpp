#include "app/SetlistsWindow.h"

#include <QAbstractTableModel>
#include <QApplication>
#include <QClipboard>
#include <QFile>
#include <QFileDialog>
#include <QFileInfo>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QListWidget>
#include <QMimeData>
#include <QPushButton>
#include <QSaveFile>
#include <QSettings>
#include <QSpinBox>
#include <QSplitter>
#include <QTableView>
#include <QTimer>
#include <QVBoxLayout>

#include <algorithm>

#include "app/BankModel.h"
#include "app/ElidedLabel.h"
#include "app/WindowLook.h"
#include "editor/EditorTables.h"
#include "live/SetlistFile.h"

namespace kestralux {

namespace {

constexpr const char* kGeometryKey = "SetlistsWindow/geometry";
constexpr const char* kFolderKey = "SetlistsWindow/folder";
constexpr int kStatusShownMs = 3000;

QString utf8(const std::string& text) { return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size())); }

// "CRUNCH 2 (BRIT BLUES / CHORUS)": the sound as the bank window names it.
QString soundText(const Song& song) {
  const int amp = song.sound.value(AMP_TYPE);
  QString what = amp >= 0 && amp < static_cast<int>(kAmpModels.size()) ? QString::fromLatin1(kAmpModels[static_cast<std::size_t>(amp)].caption)
                                                                       : QStringLiteral("?");
  if (const EffectRow* effect = findEffect(song.sound.value(EFFECT_SELECT)))
    what += QStringLiteral(" / ") + QString::fromLatin1(effect->caption).trimmed();
  const std::string name = soundNameText(song);
  return name.empty() ? QStringLiteral("(%1)").arg(what) : QStringLiteral("%1 (%2)").arg(utf8(name), what);
}

QPushButton* button(const char* name, const char* caption, const char* accessible = nullptr) {
  auto* b = new QPushButton(QString::fromLatin1(caption));
  b->setObjectName(QLatin1String(name));
  b->setAccessibleName(QString::fromLatin1(accessible ? accessible : caption));
  b->setAutoDefault(false);
  return b;
}

}  // namespace

class SongsModel : public QAbstractTableModel {
 public:
  enum Column { NumberColumn, TitleColumn, SoundColumn, NoteColumn, ColumnCount };

  SongsModel(SetlistsWindow& window, SetlistActions& actions) : QAbstractTableModel(&window), window_(window), actions_(actions) {}

  void show(std::optional<std::size_t> setlist) {
    beginResetModel();
    setlist_ = setlist;
    endResetModel();
  }

  const Setlist* setlist() const { return setlist_ ? actions_.setlist(*setlist_) : nullptr; }

  int rowCount(const QModelIndex& parent) const override {
    const Setlist* set = setlist();
    return parent.isValid() || !set ? 0 : static_cast<int>(set->songs.size());
  }
  int columnCount(const QModelIndex& parent) const override { return parent.isValid() ? 0 : ColumnCount; }

  QVariant data(const QModelIndex& index, int role) const override {
    const Setlist* set = setlist();
    if (!set || index.row() >= static_cast<int>(set->songs.size())) return {};
    const Song& song = set->songs[static_cast<std::size_t>(index.row())];
    if (role != Qt::DisplayRole && role != Qt::EditRole && role != Qt::AccessibleTextRole) return {};
    switch (index.column()) {
      case NumberColumn: return index.row() + 1;
      case TitleColumn: return utf8(song.title);
      case SoundColumn: return soundText(song);
      case NoteColumn: return utf8(song.note);
    }
    return {};
  }

  QVariant headerData(int section, Qt::Orientation orientation, int role) const override {
    if (orientation != Qt::Horizontal || role != Qt::DisplayRole) return {};
    static const char* const captions[] = {"#", "TITLE", "SOUND", "NOTE"};
    return QString::fromLatin1(captions[section]);
  }

  Qt::ItemFlags flags(const QModelIndex& index) const override {
    Qt::ItemFlags flags = QAbstractTableModel::flags(index) | Qt::ItemIsDropEnabled;
    if (!index.isValid()) return flags;
    flags |= Qt::ItemIsDragEnabled;
    if (index.column() == TitleColumn || index.column() == NoteColumn) flags |= Qt::ItemIsEditable;
    return flags;
  }

  bool setData(const QModelIndex& index, const QVariant& value, int role) override {
    if (role != Qt::EditRole || !setlist_) return false;
    const std::string text = value.toString().toStdString();
    const auto row = static_cast<std::size_t>(index.row());
    window_.say(utf8(index.column() == TitleColumn ? actions_.setTitle(*setlist_, row, text) : actions_.setNote(*setlist_, row, text)));
    // The row keeps its place; drawn anew once the edit has closed.
    QTimer::singleShot(0, &window_, [w = &window_] { w->refresh(); });
    return true;
  }

  Qt::DropActions supportedDropActions() const override { return Qt::MoveAction | Qt::CopyAction; }
  Qt::DropActions supportedDragActions() const override { return Qt::MoveAction; }
  QStringList mimeTypes() const override {
    return {QString::fromLatin1(kSongRowsMimeType), QString::fromLatin1(kRecordsMimeType), QStringLiteral("text/plain")};
  }

  QMimeData* mimeData(const QModelIndexList& indexes) const override {
    std::vector<std::size_t> rows;
    for (const QModelIndex& index : indexes) rows.push_back(static_cast<std::size_t>(index.row()));
    std::sort(rows.begin(), rows.end());
    rows.erase(std::unique(rows.begin(), rows.end()), rows.end());
    return songsData(rows);
  }

  // The songs at `rows` as a drag or the clipboard carries them: their rows (for a move in
  // this list) and their lines of the .setlist file, which any text editor takes.
  QMimeData* songsData(const std::vector<std::size_t>& rows) const {
    auto* data = new QMimeData;
    const Setlist* set = setlist();
    if (!set) return data;
    QStringList numbers;
    std::string lines;
    for (std::size_t row : rows) {
      if (row >= set->songs.size()) continue;
      numbers << QString::number(row);
      lines += songLine(set->songs[row]) + "\n";
    }
    data->setData(QString::fromLatin1(kSongRowsMimeType), numbers.join(QLatin1Char(',')).toLatin1());
    data->setText(utf8(lines));
    return data;
  }

  bool dropMimeData(const QMimeData* data, Qt::DropAction action, int row, int, const QModelIndex& parent) override {
    if (action == Qt::IgnoreAction) return true;
    const int before = row >= 0 ? row : parent.isValid() ? parent.row() : rowCount({});
    QTimer::singleShot(0, &window_, [w = &window_, copy = cloned(data), before] { w->land(copy.get(), static_cast<std::size_t>(before), true); });
    // The drop is this model's own work: the list it came from removes nothing.
    return false;
  }

 private:
  // The view's drop ends before the list is drawn anew; the data goes with the event.
  static std::shared_ptr<QMimeData> cloned(const QMimeData* data) {
    auto copy = std::make_shared<QMimeData>();
    for (const QString& format : data->formats()) copy->setData(format, data->data(format));
    return copy;
  }

  SetlistsWindow& window_;
  SetlistActions& actions_;
  std::optional<std::size_t> setlist_;
};

SetlistsWindow::SetlistsWindow(SetlistActions& actions, EditorActions& editor, QWidget* mainWindow)
    : QWidget(mainWindow, Qt::Tool), actions_(actions), editor_(editor) {
  setObjectName(QStringLiteral("SetlistsWindow"));
  setWindowTitle(QStringLiteral("KESTRALUX SETLISTS"));
  if (mainWindow) setWindowIcon(mainWindow->windowIcon());
  setAttribute(Qt::WA_QuitOnClose, false);
  applyToolWindowLook(*this);

  setlistList = new QListWidget;
  setlistList->setObjectName(QStringLiteral("setlistList"));
  setlistList->setAccessibleName(QStringLiteral("SETLISTS"));
  setlistList->setEditTriggers(QAbstractItemView::EditKeyPressed | QAbstractItemView::DoubleClicked);

  songs = new SongsModel(*this, actions_);
  songList = new QTableView;
  songList->setObjectName(QStringLiteral("songList"));
  songList->setAccessibleName(QStringLiteral("SONGS"));
  songList->setModel(songs);
  songList->setSelectionBehavior(QAbstractItemView::SelectRows);
  songList->setSelectionMode(QAbstractItemView::ExtendedSelection);
  songList->setEditTriggers(QAbstractItemView::EditKeyPressed | QAbstractItemView::DoubleClicked);
  songList->setDragEnabled(true);
  songList->setAcceptDrops(true);
  songList->setDropIndicatorShown(true);
  songList->setDragDropMode(QAbstractItemView::DragDrop);
  songList->setDefaultDropAction(Qt::MoveAction);
  songList->verticalHeader()->hide();
  songList->horizontalHeader()->setSectionResizeMode(SongsModel::NumberColumn, QHeaderView::ResizeToContents);
  songList->horizontalHeader()->setStretchLastSection(true);
  songList->setColumnWidth(SongsModel::TitleColumn, 220);
  songList->setColumnWidth(SongsModel::SoundColumn, 260);

  newButton = button("newSetlist", "NEW", "NEW SETLIST");
  renameButton = button("renameSetlist", "RENAME", "RENAME SETLIST");
  copyButton = button("copySetlist", "COPY", "COPY SETLIST");
  deleteButton = button("deleteSetlist", "DELETE", "DELETE SETLIST");
  importButton = button("importSetlist", "IMPORT...", "IMPORT SETLIST FILE");
  exportButton = button("exportSetlist", "EXPORT...", "EXPORT SETLIST FILE");
  addShownButton = button("addShown", "ADD SOUND ON SCREEN");
  slotBox = new QSpinBox;
  slotBox->setObjectName(QStringLiteral("slotToAdd"));
  slotBox->setAccessibleName(QStringLiteral("BANK SLOT TO ADD"));
  slotBox->setRange(1, kPresetCount);
  addSlotButton = button("addSlot", "ADD SLOT", "ADD BANK SLOT");
  addLibraryButton = button("addLibrary", "ADD LIBRARY SOUND", "ADD THE LIBRARY SOUND PICKED");
  removeButton = button("removeSongs", "REMOVE", "REMOVE SONGS");
  undoButton = button("setlistUndo", "UNDO", "UNDO IN SETLISTS");
  redoButton = button("setlistRedo", "REDO", "REDO IN SETLISTS");
  playButton = button("playSetlist", "PLAY");
  bankButton = button("putIntoBank", "PUT INTO THE BANK");
  controllerButton = button("chooseController", "CONTROLLER...", "FOOT CONTROLLER");

  status = new ElidedLabel;
  status->setObjectName(QStringLiteral("setlistStatus"));
  QPalette palette = status->palette();
  palette.setColor(QPalette::WindowText, colourOf(layout::kBlack));
  palette.setColor(QPalette::Window, colourOf(layout::kRed));
  status->setPalette(palette);
  status->setAutoFillBackground(true);
  status->setMinimumHeight(18);
  status->hide();
  statusTimer_ = new QTimer(this);
  statusTimer_->setSingleShot(true);
  statusTimer_->setInterval(kStatusShownMs);
  connect(statusTimer_, &QTimer::timeout, status, &QWidget::hide);

  auto* left = new QWidget;
  auto* leftLayout = new QGridLayout(left);
  leftLayout->setContentsMargins(0, 0, 0, 0);
  leftLayout->addWidget(setlistList, 0, 0, 1, 2);
  leftLayout->addWidget(newButton, 1, 0);
  leftLayout->addWidget(renameButton, 1, 1);
  leftLayout->addWidget(copyButton, 2, 0);
  leftLayout->addWidget(deleteButton, 2, 1);
  leftLayout->addWidget(importButton, 3, 0);
  leftLayout->addWidget(exportButton, 3, 1);

  auto* right = new QWidget;
  auto* rightLayout = new QVBoxLayout(right);
  rightLayout->setContentsMargins(0, 0, 0, 0);
  rightLayout->addWidget(songList, 1);
  auto* adding = new QHBoxLayout;
  for (QWidget* w : std::initializer_list<QWidget*>{addShownButton, slotBox, addSlotButton, addLibraryButton, removeButton, undoButton, redoButton})
    adding->addWidget(w);
  adding->addStretch(1);
  rightLayout->addLayout(adding);
  auto* playing = new QHBoxLayout;
  for (QWidget* w : std::initializer_list<QWidget*>{playButton, bankButton, controllerButton}) playing->addWidget(w);
  playing->addStretch(1);
  rightLayout->addLayout(playing);

  auto* splitter = new QSplitter(Qt::Horizontal);
  splitter->setObjectName(QStringLiteral("setlistSplitter"));
  splitter->addWidget(left);
  splitter->addWidget(right);
  splitter->setStretchFactor(1, 3);
  splitter->setChildrenCollapsible(false);
  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(6, 6, 6, 6);
  layout->addWidget(splitter, 1);
  layout->addWidget(status);

  chooseFile = [this](bool save, const QString& suggested) {
    const QString folder = QSettings().value(QLatin1String(kFolderKey), QStringLiteral(".")).toString();
    const QString filter = QStringLiteral("Setlists (*.setlist)");
    const QString file = save ? QFileDialog::getSaveFileName(this, QStringLiteral("EXPORT SETLIST"), folder + QLatin1Char('/') + suggested, filter)
                              : QFileDialog::getOpenFileName(this, QStringLiteral("IMPORT SETLIST"), folder, filter);
    if (!file.isEmpty()) QSettings().setValue(QLatin1String(kFolderKey), QFileInfo(file).absolutePath());
    return file;
  };

  connect(setlistList, &QListWidget::currentRowChanged, this, [this](int) {
    if (filling_) return;
    songs->show(chosen());
    enableButtons();
  });
  connect(setlistList, &QListWidget::itemChanged, this, [this](QListWidgetItem* item) {
    if (filling_) return;
    const int row = setlistList->row(item);
    const std::string name = item->text().trimmed().toStdString();
    const std::string said = actions_.rename(static_cast<std::size_t>(row), name);
    act(said);
  });
  connect(newButton, &QPushButton::clicked, this, [this] { act(actions_.make()); });
  connect(renameButton, &QPushButton::clicked, this, [this] {
    if (QListWidgetItem* item = setlistList->currentItem()) setlistList->editItem(item);
  });
  connect(copyButton, &QPushButton::clicked, this, [this] {
    if (const auto n = chosen()) act(actions_.copy(*n));
  });
  connect(deleteButton, &QPushButton::clicked, this, [this] {
    if (const auto n = chosen()) act(actions_.remove(*n));
  });
  connect(importButton, &QPushButton::clicked, this, &SetlistsWindow::importFile);
  connect(exportButton, &QPushButton::clicked, this, &SetlistsWindow::exportFile);
  connect(addShownButton, &QPushButton::clicked, this, [this] { addSongs({actions_.songOnScreen()}); });
  connect(addSlotButton, &QPushButton::clicked, this, [this] { addSongs({actions_.songOfSlot(slotBox->value() - 1)}); });
  connect(addLibraryButton, &QPushButton::clicked, this, [this] {
    const auto& picked = editor_.pickedSound();
    if (!picked) return say(QStringLiteral("PICK A SOUND IN THE LIBRARY FIRST"));
    PresetRecord sound = picked->record;
    if (!picked->name.empty()) sound.storeName(picked->name);
    addSongs({songOfSound(sound)});
  });
  connect(removeButton, &QPushButton::clicked, this, [this] {
    if (const auto n = chosen()) act(actions_.removeSongs(*n, selectedSongs()));
  });
  connect(undoButton, &QPushButton::clicked, this, [this] { act(actions_.undo()); });
  connect(redoButton, &QPushButton::clicked, this, [this] { act(actions_.redo()); });
  connect(playButton, &QPushButton::clicked, this, [this] {
    if (const auto n = chosen()) emit playWanted(*actions_.setlist(*n));
  });
  connect(bankButton, &QPushButton::clicked, this, [this] {
    if (const auto n = chosen()) say(utf8(actions_.putIntoBank(*n)));
  });
  connect(controllerButton, &QPushButton::clicked, this, &SetlistsWindow::controllerWanted);

  // Ctrl+Z and its kin are the main window's too, whose shortcuts reach its tool windows: here
  // they are taken by this window's lists first, so each history stays its own.
  for (QWidget* list : std::initializer_list<QWidget*>{setlistList, songList}) list->installEventFilter(this);
  refresh();
}

SetlistsWindow::~SetlistsWindow() {
  if (isVisible()) QSettings().setValue(QLatin1String(kGeometryKey), saveGeometry());
}

void SetlistsWindow::showBeside() {
  kestralux::showBeside(*this, kGeometryKey, QSize(980, 560));
  setlistList->setFocus();
}

void SetlistsWindow::hideEvent(QHideEvent* event) {
  QSettings().setValue(QLatin1String(kGeometryKey), saveGeometry());
  QWidget::hideEvent(event);
}

std::optional<std::size_t> SetlistsWindow::chosen() const {
  const int row = setlistList->currentRow();
  if (row < 0 || static_cast<std::size_t>(row) >= actions_.setlists().size()) return std::nullopt;
  return static_cast<std::size_t>(row);
}

std::vector<std::size_t> SetlistsWindow::selectedSongs() const {
  std::vector<std::size_t> rows;
  for (const QModelIndex& index : songList->selectionModel()->selectedRows()) rows.push_back(static_cast<std::size_t>(index.row()));
  std::sort(rows.begin(), rows.end());
  return rows;
}

void SetlistsWindow::refresh(bool select) {
  const std::optional<std::size_t> before = chosen();
  filling_ = true;
  setlistList->clear();
  for (const Setlist& set : actions_.setlists()) {
    auto* item = new QListWidgetItem(utf8(set.name));
    item->setFlags(item->flags() | Qt::ItemIsEditable);
    item->setToolTip(QStringLiteral("%1 SONGS").arg(set.songs.size()));
    setlistList->addItem(item);
  }
  const SetlistActions::Landed& landed = actions_.landed();
  std::optional<std::size_t> current = select ? std::optional(landed.setlist) : before;
  if (!current && !actions_.setlists().empty()) current = 0;
  if (current && *current < actions_.setlists().size()) setlistList->setCurrentRow(static_cast<int>(*current));
  filling_ = false;
  songs->show(chosen());
  if (select && landed.count > 0 && chosen() == landed.setlist) {
    QItemSelection rows(songs->index(static_cast<int>(landed.first), 0),
                        songs->index(static_cast<int>(landed.first + landed.count - 1), SongsModel::ColumnCount - 1));
    songList->selectionModel()->select(rows, QItemSelectionModel::ClearAndSelect);
    songList->selectionModel()->setCurrentIndex(songs->index(static_cast<int>(landed.first), SongsModel::TitleColumn),
                                                 QItemSelectionModel::NoUpdate);
  }
  enableButtons();
}

void SetlistsWindow::enableButtons() {
  const bool one = chosen().has_value();
  for (QWidget* w : std::initializer_list<QWidget*>{renameButton, copyButton, deleteButton, exportButton, addShownButton, addSlotButton,
                                                    addLibraryButton, removeButton, playButton, bankButton})
    w->setEnabled(one);
  undoButton->setEnabled(actions_.canUndo());
  redoButton->setEnabled(actions_.canRedo());
}

void SetlistsWindow::say(const QString& text) {
  if (text.isEmpty()) return;
  status->setText(text);
  status->show();
  statusTimer_->start();
}

void SetlistsWindow::act(const std::string& said) {
  refresh();
  say(utf8(said));
}

void SetlistsWindow::addSongs(std::vector<Song> songsToAdd) {
  const auto n = chosen();
  if (!n) return say(QStringLiteral("MAKE OR CHOOSE A SETLIST FIRST"));
  const std::vector<std::size_t> rows = selectedSongs();
  // After the songs selected, else at the end.
  const std::size_t at = rows.empty() ? actions_.setlist(*n)->songs.size() : rows.back() + 1;
  act(actions_.addSongs(*n, at, songsToAdd));
}

void SetlistsWindow::land(const QMimeData* data, std::size_t before, bool moveOwnRows) {
  const auto n = chosen();
  if (!n || !data) return;
  if (moveOwnRows && data->hasFormat(QString::fromLatin1(kSongRowsMimeType))) {
    std::vector<std::size_t> rows;
    for (const QByteArray& number : data->data(QString::fromLatin1(kSongRowsMimeType)).split(','))
      if (!number.isEmpty()) rows.push_back(static_cast<std::size_t>(number.toULongLong()));
    if (!rows.empty()) return act(actions_.moveSongs(*n, rows, before));
  }
  std::vector<Song> taken;
  if (const std::vector<PresetRecord> records = recordsOf(data); !records.empty()) {
    const auto* drag = qobject_cast<const RecordsDrag*>(data);
    for (PresetRecord record : records) {
      if (drag && drag->soundName && !drag->soundName->empty()) record.storeName(*drag->soundName);
      taken.push_back(songOfSound(record));
    }
  } else if (data->hasText()) {
    // Song lines, from this window or a text editor: all of them, or none.
    const QStringList lines = data->text().split(QLatin1Char('\n'));
    for (int k = 0; k < lines.size(); ++k) {
      const std::string line = lines[k].trimmed().toStdString();
      if (line.empty() || line.front() == '#') continue;
      std::string reason;
      std::optional<Song> song = readSongLine(line, &reason);
      if (!song) return say(QStringLiteral("NOTHING PASTED: LINE %1: %2").arg(k + 1).arg(utf8(reason).toUpper()));
      taken.push_back(std::move(*song));
    }
  }
  if (taken.empty()) return say(QStringLiteral("NO SONGS OR SOUNDS TO ADD"));
  act(actions_.addSongs(*n, before, taken));
}

void SetlistsWindow::copySongs() {
  const std::vector<std::size_t> rows = selectedSongs();
  if (rows.empty()) return;
  QMimeData* data = songs->songsData(rows);
  // A paste elsewhere adds copies; only a drag moves rows.
  data->removeFormat(QString::fromLatin1(kSongRowsMimeType));
  QApplication::clipboard()->setMimeData(data);
  say(QStringLiteral("%1 ON THE CLIPBOARD").arg(rows.size() == 1 ? QStringLiteral("1 SONG") : QStringLiteral("%1 SONGS").arg(rows.size())));
}

void SetlistsWindow::pasteSongs() {
  const auto n = chosen();
  if (!n) return;
  const std::vector<std::size_t> rows = selectedSongs();
  land(QApplication::clipboard()->mimeData(), rows.empty() ? actions_.setlist(*n)->songs.size() : rows.back() + 1, false);
}

bool SetlistsWindow::dropAt(QPoint global, const QMimeData* data) {
  if (!isVisible() || !chosen()) return false;
  const QPoint at = songList->viewport()->mapFromGlobal(global);
  if (!songList->viewport()->rect().contains(at)) return false;
  const QModelIndex under = songList->indexAt(at);
  land(data, under.isValid() ? static_cast<std::size_t>(under.row()) : actions_.setlist(*chosen())->songs.size(), false);
  return true;
}

void SetlistsWindow::importFile() {
  const QString path = chooseFile ? chooseFile(false, {}) : QString();
  if (path.isEmpty()) return;
  QFile file(path);
  if (!file.open(QIODevice::ReadOnly)) return say(QStringLiteral("CANNOT OPEN FILE"));
  const QByteArray text = file.readAll();
  act(actions_.importText(text.toStdString(), QFileInfo(path).completeBaseName().toStdString()));
}

void SetlistsWindow::exportFile() {
  const auto n = chosen();
  if (!n) return;
  const QString path = chooseFile ? chooseFile(true, utf8(actions_.setlist(*n)->name) + QString::fromLatin1(kSetlistExtension.data()))
                                  : QString();
  if (path.isEmpty()) return;
  QSaveFile file(path);
  const std::string text = actions_.exportText(*n);
  const bool written = file.open(QIODevice::WriteOnly) && file.write(text.data(), static_cast<qint64>(text.size())) == static_cast<qint64>(text.size()) &&
                       file.commit();
  say(written ? QStringLiteral("EXPORTED TO %1").arg(QFileInfo(path).fileName()) : QStringLiteral("EXPORT FAILED"));
}

bool SetlistsWindow::eventFilter(QObject* watched, QEvent* event) {
  if (event->type() != QEvent::ShortcutOverride && event->type() != QEvent::KeyPress) return QWidget::eventFilter(watched, event);
  auto* key = static_cast<QKeyEvent*>(event);
  // An open editor of a title or a note has the focus, and keeps its own keys.
  const bool ours = key->matches(QKeySequence::Undo) || key->matches(QKeySequence::Redo) || key->matches(QKeySequence::Copy) ||
                    key->matches(QKeySequence::Paste) ||
                    (key->modifiers() == Qt::ControlModifier && (key->key() == Qt::Key_Up || key->key() == Qt::Key_Down)) ||
                    (watched == songList && key->key() == Qt::Key_Delete);
  if (!ours) return QWidget::eventFilter(watched, event);
  if (event->type() == QEvent::ShortcutOverride) {
    // Delivered to the list as a key, not to the main window's menu.
    event->accept();
    return true;
  }
  if (key->matches(QKeySequence::Undo)) {
    act(actions_.undo());
  } else if (key->matches(QKeySequence::Redo)) {
    act(actions_.redo());
  } else if (key->matches(QKeySequence::Copy)) {
    if (watched == songList) copySongs();
  } else if (key->matches(QKeySequence::Paste)) {
    pasteSongs();
  } else if (key->key() == Qt::Key_Delete) {
    if (const auto n = chosen()) act(actions_.removeSongs(*n, selectedSongs()));
  } else if (watched == songList) {
    const QModelIndex current = songList->currentIndex();
    if (const auto n = chosen(); n && current.isValid())
      act(actions_.nudgeSong(*n, static_cast<std::size_t>(current.row()), key->key() == Qt::Key_Up ? -1 : +1));
  }
  return true;
}

}  // namespace kestralux
