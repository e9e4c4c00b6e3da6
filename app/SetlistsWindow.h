#pragma once
// LIBRARY > SETLISTS: the setlists the library keeps, in a tool window of the main window's as
// the bank window is. Left the setlists, right the songs of the one chosen: each song's title,
// sound and note. Songs come from the sound on screen, a bank slot or the library sound picked
// (by button), from the bank window or the library pane (dropped on the list) or from the
// clipboard (records or song lines); they are moved by dragging and with Ctrl+Up/Down, and a
// title or note is edited with F2. Each change is one undo step of this window's (Ctrl+Z,
// Ctrl+Shift+Z here, apart from the bank's), written to the library at once.

#include <QWidget>

#include <functional>
#include <optional>

#include "actions/SetlistActions.h"

class QAbstractItemModel;
class QLabel;
class QListWidget;
class QMimeData;
class QPushButton;
class QSpinBox;
class QTableView;
class QTimer;

namespace kestralux {

class ElidedLabel;
class SongsModel;

class SetlistsWindow : public QWidget {
  Q_OBJECT

 public:
  SetlistsWindow(SetlistActions& actions, EditorActions& editor, QWidget* mainWindow);
  ~SetlistsWindow() override;

  // Opens the window where it was last, or beside the main window the first time.
  void showBeside();
  // The lists as the actions hold them; `select` the setlist and songs a change left.
  void refresh(bool select = true);
  // The setlist chosen in the list, if any.
  std::optional<std::size_t> chosen() const;
  // Rows of the songs selected, in increasing order.
  std::vector<std::size_t> selectedSongs() const;
  void say(const QString& text);

  // Records, song lines or the songs' own rows, dropped or pasted before song `before`.
  void land(const QMimeData* data, std::size_t before, bool moveOwnRows);
  void copySongs();
  void pasteSongs();
  // A drag of the bank window or the library pane let go at `global`: taken when that is over
  // the songs, before the song there.
  bool dropAt(QPoint global, const QMimeData* data);

  // How files are chosen: a dialog, or a test's answer. Empty: none chosen.
  std::function<QString(bool save, const QString& suggested)> chooseFile;

  QListWidget* setlistList = nullptr;
  QTableView* songList = nullptr;
  SongsModel* songs = nullptr;
  QPushButton* newButton = nullptr;
  QPushButton* renameButton = nullptr;
  QPushButton* copyButton = nullptr;
  QPushButton* deleteButton = nullptr;
  QPushButton* importButton = nullptr;
  QPushButton* exportButton = nullptr;
  QPushButton* addShownButton = nullptr;
  QSpinBox* slotBox = nullptr;
  QPushButton* addSlotButton = nullptr;
  QPushButton* addLibraryButton = nullptr;
  QPushButton* removeButton = nullptr;
  QPushButton* undoButton = nullptr;
  QPushButton* redoButton = nullptr;
  QPushButton* playButton = nullptr;
  QPushButton* bankButton = nullptr;
  QPushButton* controllerButton = nullptr;
  ElidedLabel* status = nullptr;

 signals:
  // PLAY on the setlist chosen.
  void playWanted(const Setlist& setlist);
  // CONTROLLER...
  void controllerWanted();

 protected:
  void hideEvent(QHideEvent* event) override;
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  void act(const std::string& said);
  void addSongs(std::vector<Song> songs);
  void importFile();
  void exportFile();
  void enableButtons();

  SetlistActions& actions_;
  EditorActions& editor_;
  QTimer* statusTimer_ = nullptr;
  bool filling_ = false;
};

// Song lines on the clipboard or in a drag: what a text editor and another editor take.
inline constexpr const char* kSongRowsMimeType = "application/x-kestralux-song-rows";

}  // namespace kestralux
