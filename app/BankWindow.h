#pragma once
// LIBRARY > BANK: the 30 slots in a tool window of the main window, above it as a palette is.
// The list follows the bank as it changes, whoever changed it; a slot clicked or reached with
// the keys is shown in the main window and heard, as the preset arrows do. Slots are arranged
// by dragging (move, Ctrl copy over, Shift swap) and through the clipboard, and renamed in
// place; each is one undo step and changes only the editor's bank. Beside the slots, the
// preset library.

#include <QWidget>

#include <functional>
#include <span>
#include <vector>

#include "actions/EditorActions.h"
#include "app/SlotList.h"

class QLabel;
class QSplitter;
class QTimer;

namespace kestralux {

class ElidedLabel;
class LibraryFeed;
class LibraryPane;

class BankWindow : public QWidget {
  Q_OBJECT

 public:
  // Without a library the window holds the slots alone. `mainWindow` is the window it stays
  // above.
  BankWindow(EditorActions& actions, LibraryFeed* feed, QWidget* mainWindow);
  ~BankWindow() override;

  // Opens the window where it was last, or beside the main window the first time.
  void showBeside();
  // The list as the bank is now.
  void refresh();

  // Ctrl+C and Ctrl+V in the list: records through the system clipboard.
  void copySelection();
  void pasteAtSelection();
  // A slot chosen in the list, shown in the main window and sent whole.
  void showSlot(int n);
  // Says something on the window's status line for two seconds.
  void say(const QString& text);

  // The presets where an arrangement put them stay selected, ready for the next step.
  void selectLanded();

  EditorActions& actions;
  BankModel* bankModel = nullptr;
  SlotList* slotList = nullptr;
  ElidedLabel* status = nullptr;
  // "HEARING: ..." while a library sound is heard.
  ElidedLabel* hearing = nullptr;
  QSplitter* splitter = nullptr;
  LibraryPane* library = nullptr;

 protected:
  void hideEvent(QHideEvent* event) override;

 private:
  void rememberPlace();
  void draw(const ActionNotice& notice);

  QTimer* statusTimer_ = nullptr;
  // The list is being moved to the main window's slot: no slot is chosen by it.
  bool following_ = false;
  int listener_ = 0;
};

}  // namespace kestralux
