#pragma once
// LIBRARY > SYNC FOLDER... and LIBRARY > BACK UP... in the editor: the folder asked for and
// remembered, a look once a second and at each change of the folder's files; the sync itself
// and when it runs are SyncFolderActions'. What a sync brought, skipped or failed at is said
// on the main window's status line, and the lists showing the library search again.

#include <QFileSystemWatcher>
#include <QObject>
#include <QTimer>

#include <functional>

#include "actions/LibrarySharing.h"

class QWidget;

namespace kestralux {

class LibraryFeed;

class LibrarySyncWatch : public QObject {
  Q_OBJECT

 public:
  LibrarySyncWatch(LibraryFeed& feed, QWidget* window);

  // The folder remembered from the last run, synced at once.
  void start();
  void chooseFolder();
  void backUp();
  // The tick's work, for tests to run directly.
  void look();

  std::function<void(const QString&)> tell;
  QTimer* timer = nullptr;

 private:
  void watchFiles();

  LibraryFeed& feed_;
  QWidget* window_;
  SyncFolderActions actions_;
  QFileSystemWatcher watcher_;
};

}  // namespace kestralux
