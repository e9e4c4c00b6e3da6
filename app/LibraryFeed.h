#pragma once
// The editor's side of the preset library: opens library.sqlite at start and feeds it every
// bank fetched or stored and every preset or bank file loaded or saved. Writing waits until
// the window has shown what came (two turns of the event loop), so a fetch shows preset 1
// before the library is written. A library that cannot be opened or written is said once,
// on standard error and on the main window's status line, and stops nothing.

#include <QObject>

class QWidget;

#include <bitset>
#include <filesystem>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "library/PresetLibrary.h"
#include "protocol/BankTransfer.h"

namespace kestralux {

class LibraryFeed : public QObject {
  Q_OBJECT

 public:
  explicit LibraryFeed(QObject* parent = nullptr) : QObject(parent) {}
  // What came or went just before the end of the run is still kept.
  ~LibraryFeed() override { keepWaitingMoves(); }

  LibraryOpening open(const std::filesystem::path& file, const std::filesystem::path& historyFolder);
  bool available() const { return opened_; }
  PresetLibrary& library() { return library_; }

  // Queued behind what the window does now; the records are taken as they are at the call.
  void noteBank(const PresetBank& bank, const Place& where,
                std::bitset<kPresetCount> which = std::bitset<kPresetCount>().set());
  void notePreset(const PresetRecord& record, const Place& where);
  // A search of the library pane; what the library found meanwhile (damage, its file replaced)
  // is said as a write's is.
  SearchResult search(const LibraryQuery& query);
  // Before a search on another connection: true when the file at the library's path is no
  // longer the one opened (replaced, removed or rebuilt), which is then said.
  bool lookAtFile();
  // A bank came or went: the history of banks and the library keep it, after the window's
  // turn, whether or not the library can be written.
  void keepMove(const BankMove& move);
  void keepWaitingMoves();

  // LIBRARY > IMPORT INTO LIBRARY...: files and folders chosen, taken in with a progress box
  // that Esc cancels, and a report of each file at the end.
  void importInteractively(QWidget* parent);

  // What the user is told, once: the main window's status line.
  std::function<void(const QString&)> tell;

 signals:
  // New sightings are in: a search shows them.
  void noted();

 private:
  void later(std::function<Noted()> write);
  void say(const std::string& error, const QString& status);
  // Says, once, what the library has to tell since it was last asked.
  bool sayNotice();

  PresetLibrary library_;
  std::filesystem::path historyFolder_;
  std::vector<BankMove> waitingMoves_;
  bool opened_ = false;
  bool toldWriteFailure_ = false;
};

}  // namespace kestralux
