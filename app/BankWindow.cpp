#include "app/BankWindow.h"

#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QHeaderView>
#include <QLabel>
#include <QMimeData>
#include <QScreen>
#include <QSettings>
#include <QSplitter>
#include <QTimer>
#include <QVBoxLayout>

#include <cstring>

#include "app/Latin1.h"
#include "app/LibraryPane.h"
#include "app/MainWindowLayout.h"
#include "app/TForm1.h"
#include "app/UpDownArrows.h"
#include "editor/EditorTables.h"
#include "files/PresetFiles.h"

namespace kestralux {

namespace {

constexpr const char* kGeometryKey = "BankWindow/geometry";
constexpr int kStatusShownMs = 2000;

QColor colourOf(layout::Rgb rgb) { return QColor(rgb.r, rgb.g, rgb.b); }

QString presetsText(int n) { return n == 1 ? QStringLiteral("1 PRESET") : QStringLiteral("%1 PRESETS").arg(n); }

QString rangeText(int first, int count) {
  return count == 1 ? QString::number(first + 1) : QStringLiteral("%1-%2").arg(first + 1).arg(first + count);
}

// The name, the amp model and the effect as the main window names them.
QString nameText(const PresetRecord& record) {
  const std::optional<std::string> name = record.validName();
  return name ? latin1Upper(latin1(*name)) : QStringLiteral("NO PRESET HERE");
}

QString ampText(const PresetRecord& record) {
  const int amp = record.value(AMP_TYPE);
  return amp >= 0 && amp < static_cast<int>(kAmpModels.size()) ? latin1(kAmpModels[static_cast<std::size_t>(amp)].caption)
                                                               : QString();
}

QString effectText(const PresetRecord& record) {
  const EffectRow* effect = findEffect(record.value(EFFECT_SELECT));
  return effect ? latin1(effect->caption) : QString();
}

}  // namespace

QMimeData* recordsMimeData(std::span<const PresetRecord> records) {
  QByteArray image;
  for (const PresetRecord& record : records) {
    const Bytes bytes = presetFileImage(record);
    image.append(reinterpret_cast<const char*>(bytes.data()), static_cast<qsizetype>(bytes.size()));
  }
  auto* data = new QMimeData;
  // No text form: pasted into a text box, slots are nothing.
  data->setData(QString::fromLatin1(kRecordsMimeType), image);
  return data;
}

std::vector<PresetRecord> recordsOf(const QMimeData* data) {
  if (!data || !data->hasFormat(QString::fromLatin1(kRecordsMimeType))) return {};
  const QByteArray image = data->data(QString::fromLatin1(kRecordsMimeType));
  const auto size = static_cast<std::size_t>(image.size());
  if (size == 0 || size % kPresetFileSize != 0 || size > kBankFileSize) return {};
  const std::span<const std::uint8_t> bytes(reinterpret_cast<const std::uint8_t*>(image.constData()), size);
  // Another program's bytes under our type, or a damaged copy: nothing goes into the bank.
  if (firstNonPreset(bytes)) return {};
  std::vector<PresetRecord> records(size / kPresetFileSize);
  for (std::size_t n = 0; n < records.size(); ++n)
    if (loadPresetImage(bytes.subspan(n * kPresetFileSize, kPresetFileSize), records[n]) != 1) return {};
  return records;
}

BankWindow::BankWindow(TForm1& mainWindow, LibraryFeed* feed, QWidget* parent) : QWidget(parent, Qt::Window), form(mainWindow) {
  setObjectName(QStringLiteral("BankWindow"));
  setWindowTitle(QStringLiteral("KESTRALUX BANK"));
  setWindowIcon(form.windowIcon());
  setAttribute(Qt::WA_QuitOnClose, false);

  QPalette windowPalette = palette();
  windowPalette.setColor(QPalette::Window, colourOf(layout::kNavy));
  windowPalette.setColor(QPalette::WindowText, colourOf(layout::kWhite));
  windowPalette.setColor(QPalette::Base, colourOf(layout::kBlack));
  windowPalette.setColor(QPalette::AlternateBase, colourOf(layout::kBlack));
  windowPalette.setColor(QPalette::Text, colourOf(layout::kAqua));
  windowPalette.setColor(QPalette::Highlight, colourOf(layout::kTeal));
  windowPalette.setColor(QPalette::HighlightedText, colourOf(layout::kWhite));
  // The search boxes' hints ("SEARCH NAMES", "GAIN >= 7, ...") readable on black.
  windowPalette.setColor(QPalette::PlaceholderText, colourOf(layout::kSilver));
  setPalette(windowPalette);
  setAutoFillBackground(true);
  QFont font(QStringLiteral("Liberation Sans"));
  font.setPixelSize(layout::kWindowFont.pixelSize);
  font.setBold(layout::kWindowFont.bold);
  setFont(font);

  slotList = new SlotList;
  slotList->header()->setSectionResizeMode(SlotList::NumberColumn, QHeaderView::ResizeToContents);
  slotList->header()->setSectionResizeMode(SlotList::MarkColumn, QHeaderView::ResizeToContents);
  slotList->setColumnWidth(SlotList::NameColumn, 150);
  slotList->setColumnWidth(SlotList::AmpColumn, 110);

  status = new QLabel;
  status->setObjectName(QStringLiteral("bankStatus"));
  QPalette statusPalette = status->palette();
  statusPalette.setColor(QPalette::WindowText, colourOf(layout::kBlack));
  statusPalette.setColor(QPalette::Window, colourOf(layout::kRed));
  status->setPalette(statusPalette);
  status->setAutoFillBackground(true);
  status->setMinimumHeight(18);
  status->setVisible(false);
  statusTimer_ = new QTimer(this);
  statusTimer_->setSingleShot(true);
  statusTimer_->setInterval(kStatusShownMs);
  connect(statusTimer_, &QTimer::timeout, status, &QLabel::hide);

  splitter = new QSplitter(Qt::Horizontal);
  splitter->setObjectName(QStringLiteral("bankSplitter"));
  splitter->addWidget(slotList);
  splitter->setChildrenCollapsible(false);
  library = new LibraryPane(*this, feed);
  splitter->addWidget(library);
  slotList->setMinimumWidth(400);
  splitter->setStretchFactor(0, 1);
  splitter->setStretchFactor(1, 1);

  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(6, 6, 6, 6);
  layout->addWidget(splitter, 1);
  layout->addWidget(status);

  // Undo and redo as in the main window: one history for both.
  auto* undo = new QAction(this);
  undo->setObjectName(QStringLiteral("bankUndo"));
  undo->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_Z));
  connect(undo, &QAction::triggered, &form, [this] { form.UNDO1->trigger(); });
  auto* redo = new QAction(this);
  redo->setObjectName(QStringLiteral("bankRedo"));
  redo->setShortcuts({QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_Z), QKeySequence(Qt::CTRL | Qt::Key_Y)});
  connect(redo, &QAction::triggered, &form, [this] { form.REDO1->trigger(); });
  addActions({undo, redo});

  connect(slotList, &QTreeWidget::currentItemChanged, this, [this](QTreeWidgetItem* item) {
    if (!following_ && item) showSlot(slotList->indexOfTopLevelItem(item));
  });
  connect(slotList, &SlotList::dropped, this, &BankWindow::arrange);
  connect(slotList, &SlotList::dropHovered, this, [this](int first, int count, int to, Arrangement how) {
    if (to < 0) {
      say(QStringLiteral("DROP ON A SLOT"));
      return;
    }
    const QString from = rangeText(first, count), there = rangeText(to, count);
    switch (how) {
      case Arrangement::Move: say(QStringLiteral("MOVE %1 TO %2").arg(from, there)); break;
      case Arrangement::Copy: say(QStringLiteral("COPY %1 OVER %2").arg(from, there)); break;
      case Arrangement::Swap:
        say(first < to + count && to < first + count ? QStringLiteral("SWAP NEEDS TWO SEPARATE RANGES")
                                                     : QStringLiteral("SWAP %1 WITH %2").arg(from, there));
        break;
    }
  });
  connect(slotList, &SlotList::copyRequested, this, &BankWindow::copySelection);
  connect(slotList, &SlotList::pasteRequested, this, &BankWindow::pasteAtSelection);
  connect(&form, &TForm1::presetShown, this, &BankWindow::refresh);

  refresh();
  slotList->setFocus();
}

BankWindow::~BankWindow() {
  if (isVisible()) rememberPlace();
}

void BankWindow::showBeside() {
  const QByteArray remembered = QSettings().value(QString::fromLatin1(kGeometryKey)).toByteArray();
  const bool fresh = isHidden() && (remembered.isEmpty() || !restoreGeometry(remembered));
  if (fresh) resize(1040, 640);
  show();
  if (fresh) {
    const QRect main = form.frameGeometry();
    const QRect screen = (form.screen() ? form.screen() : QApplication::primaryScreen())->availableGeometry();
    // The title bar, whether or not the window manager has framed the window yet.
    const int frameHeight = std::max(frameGeometry().height(), height() + 32);
    // Right of the main window when there is room; beside a maximised one, in the corner
    // away from its controls, which start at its top left.
    if (main.right() + 1 + frameGeometry().width() <= screen.right())
      move(main.right() + 1, std::max(screen.top(), main.top()));
    else
      move(std::max(screen.left(), screen.right() - frameGeometry().width()), std::max(screen.top(), screen.bottom() - frameHeight));
  }
  raise();
  activateWindow();
  slotList->setFocus();
}

void BankWindow::hideEvent(QHideEvent* event) {
  rememberPlace();
  QWidget::hideEvent(event);
}

void BankWindow::rememberPlace() { QSettings().setValue(QString::fromLatin1(kGeometryKey), saveGeometry()); }

void BankWindow::refresh() {
  const EditorState& state = form.state;
  for (int n = 0; n < kPresetCount; ++n) {
    QTreeWidgetItem* item = slotList->topLevelItem(n);
    const PresetRecord& record = state.bank[static_cast<std::size_t>(n)];
    const QString texts[] = {QString::number(n + 1), form.session.edited(n) ? QStringLiteral("*") : QString(),
                             nameText(record), ampText(record), effectText(record)};
    for (int column = 0; column < SlotList::ColumnCount; ++column)
      if (item->text(column) != texts[column]) item->setText(column, texts[column]);
    // The slot on screen stands out as the selected amp model does: white on red.
    const bool shown = n == state.CurrentPreset;
    for (int column = 0; column < SlotList::ColumnCount; ++column) {
      item->setBackground(column, shown ? QBrush(colourOf(layout::kRed)) : QBrush());
      item->setForeground(column, shown ? QBrush(colourOf(layout::kWhite)) : QBrush());
    }
  }
  QTreeWidgetItem* shownItem = slotList->topLevelItem(state.CurrentPreset);
  if (slotList->currentItem() != shownItem) {
    following_ = true;
    // A selection that holds the slot stays, so it can still be dragged or copied.
    slotList->selectionModel()->setCurrentIndex(slotList->model()->index(state.CurrentPreset, 0),
                                             shownItem->isSelected() ? QItemSelectionModel::NoUpdate
                                                                     : QItemSelectionModel::ClearAndSelect |
                                                                           QItemSelectionModel::Rows);
    following_ = false;
  }
}

void BankWindow::showSlot(int n) {
  if (n < 0 || n >= kPresetCount || n == form.state.CurrentPreset) return;
  // The edit comes back before another preset is shown, as touching a control brings it.
  if (form.session.comparing()) form.showChange(form.session.endCompare(), form.state.current());
  form.PRESETUpDown->setPosition(n);
  form.PRESETUpDownClick();
}

bool BankWindow::transferRunning() const { return form.protocol.fetch.waiting() || form.state.StoreInProgress; }

void BankWindow::say(const QString& text) {
  status->setText(text);
  status->show();
  statusTimer_->start();
}

void BankWindow::arrange(int first, int count, int to, Arrangement how) {
  if (transferRunning()) {
    say(QStringLiteral("TRANSFER IN PROGRESS"));
    return;
  }
  if (form.session.comparing()) form.showChange(form.session.endCompare(), form.state.current());
  BankChange change;
  switch (how) {
    case Arrangement::Move: change = form.session.moveSlots(first, count, to); break;
    case Arrangement::Copy: change = form.session.copySlots(first, count, to); break;
    case Arrangement::Swap: change = form.session.swapSlots(first, to, count); break;
  }
  if (change.kind == BankChange::Kind::None) {
    say(change.written == 0 && how == Arrangement::Swap ? QStringLiteral("SWAP NEEDS TWO SEPARATE RANGES")
                                                        : QStringLiteral("NOTHING CHANGED"));
    return;
  }
  arranged(change, to, count);
  const QString from = rangeText(first, count), there = rangeText(to, count);
  switch (how) {
    case Arrangement::Move: say(QStringLiteral("%1 MOVED TO %2").arg(presetsText(count), there)); break;
    case Arrangement::Copy: say(QStringLiteral("%1 COPIED OVER %2").arg(presetsText(count), there)); break;
    case Arrangement::Swap: say(QStringLiteral("%1 SWAPPED WITH %2").arg(from, there)); break;
  }
}

void BankWindow::arranged(const BankChange& change, int first, int count) {
  if (change.shownChanged) {
    // The slot on screen holds another preset now: shown, and sent whole as a load is.
    EditorState& state = form.state;
    state.SendSuppressed = true;
    form.ShowPreset();
    state.SendSuppressed = false;
    state.PresetResendPending = true;
  }
  refresh();
  // The presets stay selected where they landed, ready for the next step.
  QItemSelection landed(slotList->model()->index(first, 0), slotList->model()->index(first + count - 1, SlotList::ColumnCount - 1));
  slotList->selectionModel()->select(landed, QItemSelectionModel::ClearAndSelect);
}

void BankWindow::copySelection() {
  const QList<int> rows = slotList->selectedRows();
  if (rows.isEmpty()) return;
  std::vector<PresetRecord> records;
  for (int n : rows) records.push_back(form.state.bank[static_cast<std::size_t>(n)]);
  QApplication::clipboard()->setMimeData(recordsMimeData(records));
  say(QStringLiteral("%1 ON THE CLIPBOARD").arg(presetsText(static_cast<int>(records.size()))));
}

void BankWindow::pasteAtSelection() {
  const std::vector<PresetRecord> records = recordsOf(QApplication::clipboard()->mimeData());
  if (records.empty()) {
    say(QStringLiteral("NO PRESETS ON THE CLIPBOARD"));
    return;
  }
  if (transferRunning()) {
    say(QStringLiteral("TRANSFER IN PROGRESS"));
    return;
  }
  const QList<int> rows = slotList->selectedRows();
  const int first = rows.isEmpty() ? form.state.CurrentPreset : rows.front();
  if (form.session.comparing()) form.showChange(form.session.endCompare(), form.state.current());
  const BankChange change = form.session.pasteSlots(first, records);
  if (change.kind == BankChange::Kind::None) {
    say(QStringLiteral("NOTHING CHANGED"));
    return;
  }
  arranged(change, first, change.written);
  say(QStringLiteral("%1 PASTED").arg(presetsText(change.written)));
}

}  // namespace kestralux
