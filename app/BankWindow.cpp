#include "app/BankWindow.h"

#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QHeaderView>
#include <QLabel>
#include <QMimeData>
#include <QSettings>
#include <QSplitter>
#include <QTimer>
#include <QVBoxLayout>

#include <cstring>

#include "app/ElidedLabel.h"
#include "app/Latin1.h"
#include "app/LibraryPane.h"
#include "app/MainWindowLayout.h"
#include "app/WindowLook.h"
#include "editor/EditorTables.h"
#include "files/PresetFiles.h"

namespace kestralux {

namespace {

constexpr const char* kGeometryKey = "BankWindow/geometry";
constexpr int kStatusShownMs = 2000;

QString presetsText(int n) { return n == 1 ? QStringLiteral("1 PRESET") : QStringLiteral("%1 PRESETS").arg(n); }

ElidedLabel* lineLabel(const char* name, layout::Rgb text, layout::Rgb back) {
  auto* label = new ElidedLabel;
  label->setObjectName(QString::fromLatin1(name));
  QPalette palette = label->palette();
  palette.setColor(QPalette::WindowText, colourOf(text));
  palette.setColor(QPalette::Window, colourOf(back));
  label->setPalette(palette);
  label->setAutoFillBackground(true);
  label->setMinimumHeight(18);
  // Its room stays while it says nothing, so the lists and the tag box never move.
  QSizePolicy policy = label->sizePolicy();
  policy.setRetainSizeWhenHidden(true);
  label->setSizePolicy(policy);
  label->setVisible(false);
  return label;
}

QString rangeText(int first, int count) {
  return count == 1 ? QString::number(first + 1) : QStringLiteral("%1-%2").arg(first + 1).arg(first + count);
}

}  // namespace

BankWindow::BankWindow(EditorActions& editorActions, LibraryFeed* feed, QWidget* mainWindow)
    : QWidget(mainWindow, Qt::Tool), actions(editorActions) {
  setObjectName(QStringLiteral("BankWindow"));
  setWindowTitle(QStringLiteral("KESTRALUX BANK"));
  if (mainWindow) setWindowIcon(mainWindow->windowIcon());
  setAttribute(Qt::WA_QuitOnClose, false);
  // A palette of the main window: above it, and there while another program is in front.
  setAttribute(Qt::WA_MacAlwaysShowToolWindow, true);

  applyToolWindowLook(*this);

  bankModel = new BankModel(actions, this);
  connect(bankModel, &BankModel::said, this, &BankWindow::say);
  // Whatever a drop wrote, by a drag, from the library or by a paste, stays selected.
  connect(bankModel, &BankModel::landed, this, &BankWindow::selectLanded);
  slotList = new SlotList(*bankModel);
  slotList->header()->setSectionResizeMode(SlotList::NumberColumn, QHeaderView::ResizeToContents);
  slotList->header()->setSectionResizeMode(SlotList::MarkColumn, QHeaderView::ResizeToContents);
  slotList->setColumnWidth(SlotList::NameColumn, 150);
  slotList->setColumnWidth(SlotList::AmpColumn, 110);

  status = lineLabel("bankStatus", layout::kBlack, layout::kRed);
  hearing = lineLabel("bankHearing", layout::kBlack, layout::kAqua);
  statusTimer_ = new QTimer(this);
  statusTimer_->setSingleShot(true);
  statusTimer_->setInterval(kStatusShownMs);
  connect(statusTimer_, &QTimer::timeout, status, &QLabel::hide);

  splitter = new QSplitter(Qt::Horizontal);
  splitter->setObjectName(QStringLiteral("bankSplitter"));
  splitter->addWidget(slotList);
  splitter->setChildrenCollapsible(false);
  library = new LibraryPane(actions, *slotList, feed);
  splitter->addWidget(library);
  connect(library, &LibraryPane::said, this, &BankWindow::say);
  slotList->setMinimumWidth(400);
  splitter->setStretchFactor(0, 1);
  splitter->setStretchFactor(1, 1);

  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(6, 6, 6, 6);
  layout->addWidget(splitter, 1);
  layout->addWidget(hearing);
  layout->addWidget(status);

  // Undo, redo and compare (Ctrl+D) are the main window's menu commands, whose shortcuts reach
  // its tool windows too: one history for both.

  connect(slotList, &SlotList::currentRowChanged, this, [this](int row) {
    if (!following_) showSlot(row);
  });
  connect(slotList, &SlotList::dropHovered, this, [this](int first, int count, int to, Arrangement how) {
    if (to < 0) {
      say(QStringLiteral("DROP ON A SLOT"));
      return;
    }
    const QString from = first < 0 ? presetsText(count) : rangeText(first, count), there = rangeText(to, count);
    if (first < 0 && how == Arrangement::Swap) return say(QStringLiteral("SWAP NEEDS ONE UNBROKEN RANGE"));
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
  listener_ = actions.listen([this](const ActionNotice& notice) { draw(notice); });

  refresh();
  slotList->setFocus();
}

BankWindow::~BankWindow() {
  actions.stopListening(listener_);
  if (isVisible()) rememberPlace();
}

void BankWindow::draw(const ActionNotice& notice) {
  refresh();
  if (!notice.hearingChanged) return;
  hearing->setText(QString::fromStdString(actions.hearingText()));
  hearing->setVisible(actions.auditioning());
}

void BankWindow::showBeside() {
  kestralux::showBeside(*this, kGeometryKey, QSize(1040, 640));
  slotList->setFocus();
}

void BankWindow::hideEvent(QHideEvent* event) {
  rememberPlace();
  QWidget::hideEvent(event);
}

void BankWindow::rememberPlace() { kestralux::rememberPlace(*this, kGeometryKey); }

void BankWindow::refresh() {
  const int shown = actions.currentPreset();
  if (slotList->currentIndex().row() == shown) return;
  following_ = true;
  // A selection that holds the slot stays, so it can still be dragged or copied.
  const bool kept = slotList->selectionModel()->isRowSelected(shown, QModelIndex());
  slotList->selectionModel()->setCurrentIndex(bankModel->index(shown, 0), kept ? QItemSelectionModel::NoUpdate
                                                                              : QItemSelectionModel::ClearAndSelect |
                                                                                    QItemSelectionModel::Rows);
  following_ = false;
}

void BankWindow::showSlot(int n) {
  if (n >= 0 && n < kPresetCount && n != actions.currentPreset()) actions.showSlot(n);
}

void BankWindow::say(const QString& text) {
  status->setText(text);
  status->show();
  statusTimer_->start();
}

void BankWindow::selectLanded() {
  const auto [first, count] = actions.lastArranged();
  if (count <= 0) return;
  QItemSelection landed(slotList->model()->index(first, 0), slotList->model()->index(first + count - 1, SlotList::ColumnCount - 1));
  slotList->selectionModel()->select(landed, QItemSelectionModel::ClearAndSelect);
}

void BankWindow::copySelection() {
  const QModelIndexList rows = slotList->selectionModel()->selectedRows();
  if (rows.isEmpty()) return;
  QApplication::clipboard()->setMimeData(bankModel->clipboardData(rows));
  say(QStringLiteral("%1 ON THE CLIPBOARD").arg(presetsText(static_cast<int>(rows.size()))));
}

void BankWindow::pasteAtSelection() {
  const QList<int> rows = slotList->selectedRows();
  bankModel->dropMimeData(QApplication::clipboard()->mimeData(), Qt::CopyAction,
                          rows.isEmpty() ? actions.currentPreset() : rows.front(), 0, {});
}

}  // namespace kestralux
