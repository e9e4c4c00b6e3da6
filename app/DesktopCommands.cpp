// The main window's keys and commands as desktop programs have them: access keys on the menus
// and F10 for the menu bar; FILE's shortcuts, RECENT FILES and QUIT; the VIEW menu's zoom,
// remembered between runs; UNDO and REDO that say whether they take back typing or the bank.

#include <QAction>
#include <QApplication>
#include <QFileInfo>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QScrollArea>
#include <QScrollBar>
#include <QSettings>
#include <QShortcut>

#include <utility>

#include "actions/RecentFiles.h"
#include "app/DiskFiles.h"
#include "app/LayoutExtent.h"
#include "app/TForm1.h"

namespace kestralux {

namespace {

constexpr const char* kRecentFilesKey = "RecentFiles/list";
constexpr const char* kZoomKey = "MainWindow/zoom";

QAction* command(QMenu* menu, const char* name, const char* caption, const QList<QKeySequence>& keys = {}) {
  QAction* action = menu->addAction(QLatin1String(caption));
  action->setObjectName(QLatin1String(name));
  action->setShortcuts(keys);
  action->setShortcutContext(Qt::WindowShortcut);
  return action;
}

// A text box of this window that takes typing: Ctrl+Z there is the box's own.
QLineEdit* typingBox(const QWidget& window) {
  auto* box = qobject_cast<QLineEdit*>(QApplication::focusWidget());
  return box && !box->isReadOnly() && box->window() == &window ? box : nullptr;
}

}  // namespace

void TForm1::setUpDesktopCommands() {
  LOADPRESET->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_O));
  LOADALL1->setShortcut(QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_O));
  SAVEPRESET->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_S));
  SAVEALL1->setShortcut(QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_S));
  for (QAction* action : {LOADPRESET, LOADALL1, SAVEPRESET, SAVEALL1}) action->setShortcutContext(Qt::WindowShortcut);

  RECENTFILES1 = new QMenu(QStringLiteral("RECENT FILES"), LOADPRESET1);
  RECENTFILES1->setObjectName(QStringLiteral("RECENTFILES1"));
  RECENTFILES1->menuAction()->setObjectName(QStringLiteral("RECENTFILES"));
  LOADPRESET1->insertMenu(EXPORTSHEET1, RECENTFILES1);
  connect(RECENTFILES1, &QMenu::aboutToShow, this, [this] {
    RECENTFILES1->clear();
    const QStringList files = recentFiles();
    for (int n = 0; n < files.size(); ++n) {
      // Numbered from 1, each number its access key.
      QAction* item = RECENTFILES1->addAction(QStringLiteral("&%1 %2").arg(n + 1).arg(QFileInfo(files[n]).fileName()));
      item->setToolTip(files[n]);
      connect(item, &QAction::triggered, this, [this, path = files[n]] { openRecentFile(path); });
    }
    if (files.isEmpty()) RECENTFILES1->addAction(QStringLiteral("NO RECENT FILES"))->setEnabled(false);
  });
  connect(this, &TForm1::presetsOnDisk, this, [](const QString& path) {
    std::vector<std::string> list;
    for (const QString& file : QSettings().value(QLatin1String(kRecentFilesKey)).toStringList()) list.push_back(file.toStdString());
    QStringList kept;
    for (const std::string& file : withRecentFile(std::move(list), QFileInfo(path).absoluteFilePath().toStdString()))
      kept << QString::fromStdString(file);
    QSettings().setValue(QLatin1String(kRecentFilesKey), kept);
  });

  VIEW1 = new QMenu(QStringLiteral("&VIEW"), menuBar());
  VIEW1->setObjectName(QStringLiteral("VIEW1"));
  menuBar()->insertMenu(LIBRARY1->menuAction(), VIEW1);
  ZOOMIN1 = command(VIEW1, "ZOOMIN1", "ZOOM IN",
                    {QKeySequence(Qt::CTRL | Qt::Key_Plus), QKeySequence(Qt::CTRL | Qt::Key_Equal)});
  ZOOMOUT1 = command(VIEW1, "ZOOMOUT1", "ZOOM OUT", {QKeySequence(Qt::CTRL | Qt::Key_Minus)});
  ACTUALSIZE1 = command(VIEW1, "ACTUALSIZE1", "ACTUAL SIZE", {QKeySequence(Qt::CTRL | Qt::Key_0)});
  FITTOWINDOW1 = command(VIEW1, "FITTOWINDOW1", "FIT TO WINDOW");
  connect(ZOOMIN1, &QAction::triggered, this, [this] { zoom.zoomIn(); });
  connect(ZOOMOUT1, &QAction::triggered, this, [this] { zoom.zoomOut(); });
  connect(ACTUALSIZE1, &QAction::triggered, this, [this] { zoom.actualSize(); });
  connect(FITTOWINDOW1, &QAction::triggered, this, &TForm1::FITTOWINDOW1Click);
  zoom.changed = [this](int percent) {
    applyZoom(percent);
    QSettings().setValue(QLatin1String(kZoomKey), percent);
    say(QStringLiteral("ZOOM %1 %").arg(percent));
  };

  // F10 opens the menu bar at its first menu, as on the desktop.
  auto* menuKey = new QShortcut(QKeySequence(Qt::Key_F10), this);
  menuKey->setObjectName(QStringLiteral("menuKey"));
  connect(menuKey, &QShortcut::activated, this, [this] { menuBar()->setActiveAction(LOADPRESET1->menuAction()); });

  connect(EDIT1, &QMenu::aboutToShow, this, &TForm1::updateEditMenu);
  connect(qApp, &QApplication::focusChanged, this, &TForm1::updateEditMenu);
}

void TForm1::restoreZoom() {
  const QVariant remembered = QSettings().value(QLatin1String(kZoomKey));
  if (!remembered.isValid()) return;
  // Quietly: nothing was asked for at this start.
  const auto tell = std::exchange(zoom.changed, nullptr);
  zoom.set(remembered.toInt());
  zoom.changed = tell;
  if (zoom.percent() != zoomPercent()) applyZoom(zoom.percent());
}

void TForm1::FITTOWINDOW1Click() {
  // The room the view has with both its scroll bars shown: the client area, larger than the
  // layout, keeps them.
  const QSize room = scrollArea->maximumViewportSize() -
                     QSize(scrollArea->verticalScrollBar()->sizeHint().width(), scrollArea->horizontalScrollBar()->sizeHint().height());
  zoom.fit(room.width(), room.height(), layout::kShownExtent.w + layout::kFitMargin, layout::kShownExtent.h + layout::kFitMargin);
}

QStringList TForm1::recentFiles() const { return QSettings().value(QLatin1String(kRecentFilesKey)).toStringList(); }

void TForm1::openRecentFile(const QString& path) {
  runDiskCommand(isBankFileName(path.toStdString()) ? kLoadAll : kLoadPreset, &path);
}

void TForm1::updateEditMenu() {
  if (QLineEdit* box = typingBox(*this)) {
    UNDO1->setText(QStringLiteral("UNDO TYPING"));
    REDO1->setText(QStringLiteral("REDO TYPING"));
    UNDO1->setEnabled(box->isUndoAvailable());
    REDO1->setEnabled(box->isRedoAvailable());
    return;
  }
  const bool transfer = actions.transferRunning();
  UNDO1->setText(QStringLiteral("UNDO"));
  REDO1->setText(QStringLiteral("REDO"));
  UNDO1->setEnabled(actions.canUndo() && !transfer);
  REDO1->setEnabled(actions.canRedo() && !transfer);
}

}  // namespace kestralux
