#include "app/MonitorWindow.h"

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QClipboard>
#include <QFileDialog>
#include <QFileInfo>
#include <QFontDatabase>
#include <QHBoxLayout>
#include <QLabel>
#include <QListView>
#include <QPushButton>
#include <QScrollBar>
#include <QSettings>
#include <QTimer>
#include <QVBoxLayout>

#include <algorithm>
#include <chrono>
#include <vector>

#include "app/WindowLook.h"

namespace kestralux {

namespace {

constexpr const char* kGeometryKey = "MonitorWindow/geometry";
constexpr int kPollMs = 50;

QCheckBox* filterBox(const char* caption, const char* name, bool on) {
  auto* box = new QCheckBox(QString::fromLatin1(caption));
  box->setObjectName(QString::fromLatin1(name));
  box->setChecked(on);
  return box;
}

QPushButton* button(const char* caption, const char* name) {
  auto* b = new QPushButton(QString::fromLatin1(caption));
  b->setObjectName(QString::fromLatin1(name));
  b->setAutoDefault(false);
  return b;
}

}  // namespace

int MonitorModel::rowCount(const QModelIndex& parent) const {
  return parent.isValid() ? 0 : static_cast<int>(actions_.log().shownCount());
}

QVariant MonitorModel::data(const QModelIndex& index, int role) const {
  if (role != Qt::DisplayRole || !index.isValid() || static_cast<std::size_t>(index.row()) >= actions_.log().shownCount())
    return {};
  return QString::fromStdString(lineText(actions_.log().shown(static_cast<std::size_t>(index.row())), withBytes));
}

void MonitorModel::apply(const MonitorActions::Poll& poll, std::size_t rowsBefore) {
  if (poll.reset) {
    redraw();
    return;
  }
  // The log has changed already; the view is told in two steps that end where it stands.
  if (poll.removedAtFront > 0) {
    beginRemoveRows({}, 0, static_cast<int>(poll.removedAtFront) - 1);
    endRemoveRows();
  }
  if (poll.appended > 0) {
    const int first = static_cast<int>(rowsBefore - poll.removedAtFront);
    beginInsertRows({}, first, first + static_cast<int>(poll.appended) - 1);
    endInsertRows();
  }
}

void MonitorModel::redraw() {
  beginResetModel();
  endResetModel();
}

MonitorWindow::MonitorWindow(MonitorActions& actions, QWidget* mainWindow)
    : QWidget(mainWindow, Qt::Tool), actions_(actions) {
  setObjectName(QStringLiteral("MonitorWindow"));
  setWindowTitle(QStringLiteral("KESTRALUX MIDI MONITOR"));
  if (mainWindow) setWindowIcon(mainWindow->windowIcon());
  setAttribute(Qt::WA_QuitOnClose, false);
  setAttribute(Qt::WA_MacAlwaysShowToolWindow, true);
  applyToolWindowLook(*this);

  const MonitorFilter filter = actions_.log().filter();
  in = filterBox("IN", "monitorIn", filter.in);
  out = filterBox("OUT", "monitorOut", filter.out);
  liveEdits = filterBox("LIVE EDITS", "monitorLiveEdits", filter.liveEdits);
  transfers = filterBox("TRANSFERS", "monitorTransfers", filter.transfers);
  damagedOnly = filterBox("DAMAGED ONLY", "monitorDamagedOnly", filter.damagedOnly);
  rawBytes = filterBox("RAW BYTES", "monitorRawBytes", false);
  for (QCheckBox* box : {in, out, liveEdits, transfers, damagedOnly})
    connect(box, &QCheckBox::toggled, this, &MonitorWindow::filterChanged);
  connect(rawBytes, &QCheckBox::toggled, this, [this](bool on) {
    model->withBytes = on;
    model->redraw();
  });

  pause = button("PAUSE", "monitorPause");
  pause->setCheckable(true);
  clear = button("CLEAR", "monitorClear");
  copy = button("COPY", "monitorCopy");
  saveSyx = button("SAVE .SYX...", "monitorSaveSyx");
  saveText = button("SAVE TEXT...", "monitorSaveText");
  connect(pause, &QPushButton::toggled, this, [this](bool on) {
    actions_.setPaused(on);
    showStatus();
  });
  connect(clear, &QPushButton::clicked, this, [this] {
    actions_.clear();
    model->redraw();
    showStatus();
  });
  connect(copy, &QPushButton::clicked, this, &MonitorWindow::copySelection);
  connect(saveSyx, &QPushButton::clicked, this, [this] { saveAs(true); });
  connect(saveText, &QPushButton::clicked, this, [this] { saveAs(false); });

  model = new MonitorModel(actions_, this);
  lines = new QListView;
  lines->setObjectName(QStringLiteral("monitorLines"));
  lines->setAccessibleName(QStringLiteral("MIDI MESSAGES"));
  lines->setModel(model);
  lines->setSelectionMode(QAbstractItemView::ExtendedSelection);
  lines->setUniformItemSizes(true);
  lines->setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));
  auto* copyKey = new QAction(lines);
  copyKey->setShortcut(QKeySequence::Copy);
  copyKey->setShortcutContext(Qt::WidgetShortcut);
  connect(copyKey, &QAction::triggered, this, &MonitorWindow::copySelection);
  lines->addAction(copyKey);

  status = new QLabel;
  status->setObjectName(QStringLiteral("monitorStatus"));

  auto* filters = new QHBoxLayout;
  for (QCheckBox* box : {in, out, liveEdits, transfers, damagedOnly, rawBytes}) filters->addWidget(box);
  filters->addStretch();
  auto* commands = new QHBoxLayout;
  for (QPushButton* b : {pause, clear, copy, saveSyx, saveText}) commands->addWidget(b);
  commands->addStretch();
  auto* layout = new QVBoxLayout(this);
  layout->addLayout(filters);
  layout->addWidget(lines, 1);
  layout->addLayout(commands);
  layout->addWidget(status);

  pollTimer_ = new QTimer(this);
  pollTimer_->setInterval(kPollMs);
  connect(pollTimer_, &QTimer::timeout, this, &MonitorWindow::poll);
  saveFolder_ = QSettings().value(QStringLiteral("MonitorWindow/folder")).toString();
  showStatus();
}

MonitorWindow::~MonitorWindow() { actions_.close(); }

void MonitorWindow::showBeside() { kestralux::showBeside(*this, kGeometryKey, QSize(760, 420)); }

void MonitorWindow::showEvent(QShowEvent* event) {
  if (!actions_.isOpen()) {
    actions_.open(std::chrono::steady_clock::now());
    model->redraw();
    showStatus();
  }
  pollTimer_->start();
  QWidget::showEvent(event);
}

void MonitorWindow::hideEvent(QHideEvent* event) {
  pollTimer_->stop();
  actions_.close();
  QSettings().setValue(QString::fromLatin1(kGeometryKey), saveGeometry());
  QWidget::hideEvent(event);
}

void MonitorWindow::poll() {
  const std::size_t before = actions_.log().shownCount();
  QScrollBar* bar = lines->verticalScrollBar();
  const bool atEnd = bar->value() == bar->maximum();
  const MonitorActions::Poll change = actions_.poll();
  model->apply(change, before);
  // The newest line stays in view unless the user has scrolled up to read.
  if (change.appended > 0 && atEnd) lines->scrollToBottom();
  showStatus();
}

void MonitorWindow::filterChanged() {
  MonitorFilter filter;
  filter.in = in->isChecked();
  filter.out = out->isChecked();
  filter.liveEdits = liveEdits->isChecked();
  filter.transfers = transfers->isChecked();
  filter.damagedOnly = damagedOnly->isChecked();
  actions_.setFilter(filter);
  model->redraw();
  lines->scrollToBottom();
  showStatus();
}

void MonitorWindow::showStatus() {
  QString text = QStringLiteral("%1 OF %2 LINES SHOWN").arg(actions_.log().shownCount()).arg(actions_.log().lineCount());
  if (actions_.paused()) text += QStringLiteral("   PAUSED: %1 NOT LISTED").arg(actions_.notListed());
  if (actions_.missed() > 0) text += QStringLiteral("   %1 MESSAGES MISSED").arg(actions_.missed());
  status->setText(text);
}

void MonitorWindow::copySelection() {
  std::vector<std::size_t> rows;
  for (const QModelIndex& index : lines->selectionModel()->selectedRows()) rows.push_back(static_cast<std::size_t>(index.row()));
  if (rows.empty()) return;
  std::sort(rows.begin(), rows.end());
  QApplication::clipboard()->setText(QString::fromStdString(actions_.text(rows, rawBytes->isChecked())));
}

bool MonitorWindow::saveTo(const QString& path, bool asSyx) {
  const std::string error = actions_.save(path.toStdString(), asSyx, rawBytes->isChecked());
  status->setText(error.empty() ? QStringLiteral("SAVED") : QStringLiteral("SAVE FAILED: %1").arg(QString::fromStdString(error)));
  return error.empty();
}

void MonitorWindow::saveAs(bool asSyx) {
  QString path = QFileDialog::getSaveFileName(this, asSyx ? QStringLiteral("SAVE AS .SYX") : QStringLiteral("SAVE AS TEXT"),
                                                    saveFolder_, asSyx ? QStringLiteral("SysEx (*.syx)") : QStringLiteral("Text (*.txt)"));
  if (path.isEmpty()) return;
  const QString suffix = asSyx ? QStringLiteral(".syx") : QStringLiteral(".txt");
  if (QFileInfo(path).suffix().isEmpty()) path += suffix;
  saveFolder_ = QFileInfo(path).absolutePath();
  QSettings().setValue(QStringLiteral("MonitorWindow/folder"), saveFolder_);
  saveTo(path, asSyx);
}

}  // namespace kestralux
