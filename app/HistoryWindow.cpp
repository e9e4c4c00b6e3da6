#include "app/HistoryWindow.h"

#include <QAction>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QMessageBox>
#include <QPushButton>
#include <QTimer>
#include <QTreeWidget>
#include <QVBoxLayout>

#include "app/Latin1.h"
#include "app/MainWindowLayout.h"
#include "app/WindowLook.h"
#include "editor/EditorTables.h"
#include "files/HistoryChoices.h"

namespace kestralux {

namespace {

constexpr int kStatusShownMs = 2000;
constexpr const char* kGeometryKey = "HistoryWindow/geometry";

QTreeWidget* makeList(const char* name, const QStringList& headers) {
  auto* list = new QTreeWidget;
  list->setObjectName(QLatin1String(name));
  list->setHeaderLabels(headers);
  list->setRootIsDecorated(false);
  list->setUniformRowHeights(true);
  list->setAllColumnsShowFocus(true);
  list->setSelectionMode(QAbstractItemView::SingleSelection);
  list->header()->setStretchLastSection(true);
  return list;
}

// Enter on a row does what the window's button beside it does.
class EnterKey : public QObject {
 public:
  EnterKey(QObject* parent, std::function<void()> act) : QObject(parent), act_(std::move(act)) {}

 protected:
  bool eventFilter(QObject*, QEvent* event) override {
    if (event->type() != QEvent::KeyPress) return false;
    const int key = static_cast<QKeyEvent*>(event)->key();
    if (key != Qt::Key_Return && key != Qt::Key_Enter) return false;
    act_();
    return true;
  }

 private:
  std::function<void()> act_;
};

}  // namespace

HistoryWindow::HistoryWindow(EditorActions& actions, QWidget* parent) : QWidget(parent, Qt::Window), actions_(actions) {
  setObjectName(QStringLiteral("HistoryWindow"));
  setWindowTitle(QStringLiteral("KESTRALUX HISTORY"));
  setAttribute(Qt::WA_QuitOnClose, false);
  applyToolWindowLook(*this);

  entries = makeList("historyEntries", {QStringLiteral("WHEN"), QStringLiteral("WHAT"), QStringLiteral("AGAINST THE BANK")});
  entries->setAccessibleName(QStringLiteral("KEPT BANKS"));
  entries->setColumnWidth(0, 150);
  entries->setColumnWidth(1, 170);
  presets = makeList("historyPresets", {QStringLiteral("SLOT"), QStringLiteral(""), QStringLiteral("NAME"),
                                    QStringLiteral("AMP MODEL"), QStringLiteral("EFFECT")});
  presets->setAccessibleName(QStringLiteral("ITS PRESETS"));
  presets->header()->setSectionResizeMode(0, QHeaderView::ResizeToContents);
  presets->header()->setSectionResizeMode(1, QHeaderView::ResizeToContents);
  presets->setColumnWidth(2, 150);
  presets->setColumnWidth(3, 110);
  loadBank = new QPushButton(QStringLiteral("LOAD AS THE BANK"));
  loadBank->setObjectName(QStringLiteral("historyLoadBank"));
  putBack = new QPushButton(QStringLiteral("PUT BACK ON THE COMBO"));
  putBack->setObjectName(QStringLiteral("historyPutBack"));
  putPreset = new QPushButton(QStringLiteral("PUT INTO THE SLOT ON SCREEN"));
  putPreset->setObjectName(QStringLiteral("historyPutPreset"));
  status = new QLabel;
  status->setObjectName(QStringLiteral("historyStatus"));
  QPalette statusPalette = status->palette();
  statusPalette.setColor(QPalette::WindowText, colourOf(layout::kBlack));
  statusPalette.setColor(QPalette::Window, colourOf(layout::kRed));
  status->setPalette(statusPalette);
  status->setAutoFillBackground(true);
  status->setMinimumHeight(18);
  // Its room stays while it says nothing: the buttons above it never move under a click.
  QSizePolicy policy = status->sizePolicy();
  policy.setRetainSizeWhenHidden(true);
  status->setSizePolicy(policy);
  status->setVisible(false);
  statusTimer_ = new QTimer(this);
  statusTimer_->setSingleShot(true);
  statusTimer_->setInterval(kStatusShownMs);
  connect(statusTimer_, &QTimer::timeout, status, &QLabel::hide);

  auto* lists = new QHBoxLayout;
  auto* left = new QVBoxLayout;
  left->addWidget(entries, 1);
  left->addWidget(loadBank);
  left->addWidget(putBack);
  auto* right = new QVBoxLayout;
  right->addWidget(presets, 1);
  right->addWidget(putPreset);
  lists->addLayout(left, 1);
  lists->addLayout(right, 1);
  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(6, 6, 6, 6);
  layout->addLayout(lists, 1);
  layout->addWidget(status);
  QWidget::setTabOrder(entries, loadBank);
  QWidget::setTabOrder(loadBank, putBack);
  QWidget::setTabOrder(putBack, presets);
  QWidget::setTabOrder(presets, putPreset);

  connect(entries, &QTreeWidget::currentItemChanged, this, &HistoryWindow::showEntry);
  connect(loadBank, &QPushButton::clicked, this, &HistoryWindow::loadAsBank);
  connect(putPreset, &QPushButton::clicked, this, &HistoryWindow::putIntoSlotOnScreen);
  connect(putBack, &QPushButton::clicked, this, &HistoryWindow::putBackOnCombo);
  connect(entries, &QTreeWidget::itemDoubleClicked, this, &HistoryWindow::loadAsBank);
  connect(presets, &QTreeWidget::itemDoubleClicked, this, &HistoryWindow::putIntoSlotOnScreen);
  entries->installEventFilter(new EnterKey(this, [this] { loadAsBank(); }));
  presets->installEventFilter(new EnterKey(this, [this] { putIntoSlotOnScreen(); }));
  // A window of its own, out of reach of the main window's EDIT menu: its own keys for the one
  // undo history, so a restore is taken back where it was made.
  const auto editKey = [this](const QList<QKeySequence>& keys, bool forward) {
    auto* command = new QAction(this);
    command->setShortcuts(keys);
    command->setShortcutContext(Qt::WindowShortcut);
    connect(command, &QAction::triggered, this, [this, forward] {
      if (actions_.transferRunning()) return say(QString::fromLatin1(kTransferInProgress));
      if (forward)
        actions_.redo();
      else
        actions_.undo();
    });
    addAction(command);
  };
  editKey({QKeySequence(Qt::CTRL | Qt::Key_Z)}, false);
  editKey({QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_Z), QKeySequence(Qt::CTRL | Qt::Key_Y)}, true);
  // Esc closes it, as it closes the other tool windows.
  auto* leave = new QAction(this);
  leave->setObjectName(QStringLiteral("closeHistory"));
  leave->setShortcut(QKeySequence(Qt::Key_Escape));
  leave->setShortcutContext(Qt::WindowShortcut);
  connect(leave, &QAction::triggered, this, &QWidget::close);
  addAction(leave);
  // What differs follows the bank as it is edited, whoever changed it.
  listener_ = actions_.listen([this](const ActionNotice& notice) {
    if (notice.bankChanged && isVisible()) {
      markAgainstBank();
      showEntry();
    }
    // A bank put back from here has been stored: how it went, and the entries it added.
    if (notice.transferChanged && puttingBack_ && !actions_.storeRunning()) {
      puttingBack_ = false;
      if (isVisible()) refresh();
      if (const auto& outcome = actions_.lastStoreOutcome(); outcome && !outcome->notices.empty())
        say(QString::fromStdString(outcome->notices.front()));
    }
  });
}

HistoryWindow::~HistoryWindow() {
  actions_.stopListening(listener_);
  if (isVisible()) rememberPlace(*this, kGeometryKey);
}

void HistoryWindow::hideEvent(QHideEvent* event) {
  rememberPlace(*this, kGeometryKey);
  QWidget::hideEvent(event);
}

void HistoryWindow::showHistory() {
  refresh();
  showBeside(*this, kGeometryKey, QSize(900, 560));
  entries->setFocus();
}

void HistoryWindow::refresh() {
  const QString was = chosen() ? QString::fromStdString(chosen()->path.string()) : QString();
  history_ = listHistory(historyFolder());
  banks_.clear();
  entries->clear();
  QTreeWidgetItem* again = nullptr;
  for (const HistoryEntry& e : history_) {
    banks_.push_back(readHistoryBank(e));
    auto* item = new QTreeWidgetItem(entries, {QString::fromStdString(historyWhen(e)), QString::fromStdString(e.kind), QString()});
    if (QString::fromStdString(e.path.string()) == was) again = item;
  }
  markAgainstBank();
  if (history_.empty()) {
    presets->clear();
    say(QStringLiteral("NO BANKS KEPT YET"));
  }
  entries->setCurrentItem(again ? again : entries->topLevelItem(0));
  showEntry();
}

void HistoryWindow::markAgainstBank() {
  for (int n = 0; n < entries->topLevelItemCount() && n < static_cast<int>(banks_.size()); ++n) {
    const std::optional<PresetBank>& bank = banks_[static_cast<std::size_t>(n)];
    entries->topLevelItem(n)->setText(2, bank ? QString::fromStdString(differingText(slotsDiffering(*bank, actions_.bank())))
                                              : QStringLiteral("NOT A BANK FILE"));
  }
}

const HistoryEntry* HistoryWindow::chosen() const {
  const int row = entries ? entries->indexOfTopLevelItem(entries->currentItem()) : -1;
  return row >= 0 && row < static_cast<int>(history_.size()) ? &history_[static_cast<std::size_t>(row)] : nullptr;
}

void HistoryWindow::showEntry() {
  const HistoryEntry* entry = chosen();
  const int row = entries->indexOfTopLevelItem(entries->currentItem());
  bank_ = entry && row >= 0 && row < static_cast<int>(banks_.size()) ? banks_[static_cast<std::size_t>(row)] : std::nullopt;
  const int current = std::max(0, presets->indexOfTopLevelItem(presets->currentItem()));
  presets->clear();
  loadBank->setEnabled(bank_.has_value());
  putBack->setEnabled(bank_.has_value() && entry->kind == kBeforeStoreKind);
  putPreset->setEnabled(bank_.has_value());
  if (!bank_) return;
  const std::bitset<kPresetCount> differing = slotsDiffering(*bank_, actions_.bank());
  for (int n = 0; n < kPresetCount; ++n) {
    const PresetRecord& record = (*bank_)[static_cast<std::size_t>(n)];
    // The mark says the slot is not what the bank holds there now.
    new QTreeWidgetItem(presets, {QString::number(n + 1), differing[static_cast<std::size_t>(n)] ? QStringLiteral("\u2260") : QString(),
                                presetNameText(record), ampModelText(record), effectText(record)});
  }
  presets->setCurrentItem(presets->topLevelItem(current));
}

void HistoryWindow::say(const QString& text) {
  status->setText(text);
  status->show();
  statusTimer_->start();
}

void HistoryWindow::loadAsBank() {
  const HistoryEntry* entry = chosen();
  if (bank_ && entry) say(QString::fromStdString(actions_.restoreBank(*bank_, historyWhen(*entry))));
}

void HistoryWindow::putIntoSlotOnScreen() {
  const int n = presets->indexOfTopLevelItem(presets->currentItem());
  if (bank_ && n >= 0 && n < kPresetCount) say(QString::fromStdString(actions_.restorePreset((*bank_)[static_cast<std::size_t>(n)], n)));
}

}  // namespace kestralux

namespace kestralux {

// It writes the combo's memory, which no undo reaches: the user says yes to the entry by its time.
void HistoryWindow::putBackOnCombo() {
  const HistoryEntry* entry = chosen();
  if (!bank_ || !entry || entry->kind != kBeforeStoreKind) return;
  const QString when = QString::fromStdString(historyWhen(*entry));
  QMessageBox box(QMessageBox::NoIcon, QStringLiteral(" PUT BACK ON THE COMBO? "),
                  QStringLiteral("Store the bank that was on the combo at %1 into the combo again?\n"
                                 "The bank on screen does not change.").arg(when),
                  QMessageBox::Yes | QMessageBox::No, this);
  box.setObjectName(QStringLiteral("putBackConfirmation"));
  if (box.exec() != QMessageBox::Yes) return;
  if (const std::optional<std::string> refused = actions_.putBack(*bank_)) return say(QString::fromStdString(*refused));
  puttingBack_ = true;
  say(QStringLiteral("PUTTING BACK THE BANK OF %1").arg(when));
}

}  // namespace kestralux
