#include "app/LibrarySyncWatch.h"

#include <QDateTime>
#include <QDir>
#include <QFileDialog>
#include <QSettings>

#include "app/LibraryFeed.h"
#include "library/LibrarySync.h"

namespace kestralux {

namespace {

const QString kFolderKey = QStringLiteral("Library/syncFolder");
const QString kBackUpKey = QStringLiteral("Library/backUpFolder");

std::int64_t nowMs() { return QDateTime::currentMSecsSinceEpoch(); }

}  // namespace

LibrarySyncWatch::LibrarySyncWatch(LibraryFeed& feed, QWidget* window)
    : QObject(window), feed_(feed), window_(window), actions_(feed.library()) {
  timer = new QTimer(this);
  timer->setObjectName(QStringLiteral("librarySyncTimer"));
  timer->setInterval(static_cast<int>(kSyncSpacingMs));
  connect(timer, &QTimer::timeout, this, &LibrarySyncWatch::look);
  const auto changed = [this] {
    actions_.folderChanged();
    look();
  };
  connect(&watcher_, &QFileSystemWatcher::directoryChanged, this, changed);
  connect(&watcher_, &QFileSystemWatcher::fileChanged, this, changed);
}

void LibrarySyncWatch::start() {
  const QString folder = QSettings().value(kFolderKey).toString();
  if (folder.isEmpty() || !feed_.available()) return;
  const std::string said = actions_.use(std::filesystem::path(folder.toStdString()), nowMs());
  if (said.starts_with("SYNC FAILED") || said.starts_with("FROM") || said.starts_with("SYNC FOLDER")) tell(QString::fromStdString(said));
  if (actions_.broughtIn()) emit feed_.noted();
  watchFiles();
  timer->start();
}

void LibrarySyncWatch::chooseFolder() {
  if (!feed_.available()) return tell(QStringLiteral("NO LIBRARY TO SYNC"));
  const QString folder = QFileDialog::getExistingDirectory(window_, QStringLiteral("SYNC FOLDER"), QSettings().value(kFolderKey).toString());
  if (folder.isEmpty()) return;
  QSettings().setValue(kFolderKey, folder);
  tell(QString::fromStdString(actions_.use(std::filesystem::path(folder.toStdString()), nowMs())));
  if (actions_.broughtIn()) emit feed_.noted();
  watchFiles();
  timer->start();
}

void LibrarySyncWatch::backUp() {
  if (!feed_.available()) return tell(QStringLiteral("NO LIBRARY TO BACK UP"));
  const QString start = QDir(QSettings().value(kBackUpKey, QDir::homePath()).toString())
                            .filePath(QStringLiteral("library-%1.sqlite").arg(QDateTime::currentDateTime().toString(QStringLiteral("yyyy-MM-dd"))));
  const QString file = QFileDialog::getSaveFileName(window_, QStringLiteral("BACK UP"), start, QStringLiteral("Library copies (*.sqlite)"));
  if (file.isEmpty()) return;
  QSettings().setValue(kBackUpKey, QFileInfo(file).absolutePath());
  tell(QString::fromStdString(backUpLibraryTo(feed_.library(), file.toStdString())));
}

void LibrarySyncWatch::look() {
  const std::optional<std::string> said = actions_.tick(nowMs());
  if (said) tell(QString::fromStdString(*said));
  if (actions_.broughtIn()) emit feed_.noted();
  watchFiles();
}

// The folder, for files that come or go, and each library's file in it, for lines appended in
// place (a network share, a tool that does not write a new file and rename it).
void LibrarySyncWatch::watchFiles() {
  if (!actions_.folder()) return;
  const QString folder = QString::fromStdString(actions_.folder()->string());
  if (!watcher_.directories().contains(folder)) {
    if (!watcher_.directories().isEmpty()) watcher_.removePaths(watcher_.directories());
    watcher_.addPath(folder);
  }
  const QStringList names = QDir(folder).entryList({QStringLiteral("*") + QString::fromLatin1(kSyncFileExtension)}, QDir::Files);
  for (const QString& name : names) {
    const QString path = QDir(folder).filePath(name);
    if (!watcher_.files().contains(path)) watcher_.addPath(path);
  }
}

}  // namespace kestralux
