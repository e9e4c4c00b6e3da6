#pragma once
// LIBRARY > BANK: the 30 slots in a window of their own beside the main window. The list
// follows the bank as it changes, whoever changed it; a slot clicked or reached with the keys
// is shown in the main window and heard, as the preset arrows do. Slots are arranged by
// dragging (move, Ctrl copy over, Shift swap) and through the clipboard; each arrangement is
// one undo step of the edit session and changes only the editor's bank. Beside the slots,
// the preset library.

#include <QWidget>

#include <functional>
#include <span>
#include <vector>

#include "app/SlotList.h"
#include "model/EditSession.h"

class QLabel;
class QMimeData;
class QSplitter;
class QTimer;

namespace kestralux {

class LibraryFeed;
class LibraryPane;
class TForm1;

// The clipboard's form of slots: our own type, holding the records as a bank file holds them.
inline constexpr const char* kRecordsMimeType = "application/x-kestralux-records";
QMimeData* recordsMimeData(std::span<const PresetRecord> records);
// The records of a clipboard that holds ours, whole presets only; nothing for anything else.
std::vector<PresetRecord> recordsOf(const QMimeData* data);

class BankWindow : public QWidget {
  Q_OBJECT

 public:
  // Without a library the window holds the slots alone.
  explicit BankWindow(TForm1& form, LibraryFeed* feed = nullptr, QWidget* parent = nullptr);
  ~BankWindow() override;

  // Opens the window where it was last, or beside the main window the first time.
  void showBeside();
  // The list as the bank is now.
  void refresh();

  // What the user arranges, by drag or by key; refused while a transfer runs.
  void arrange(int first, int count, int to, Arrangement how);
  void copySelection();
  void pasteAtSelection();
  // A slot chosen in the list, shown in the main window and sent whole.
  void showSlot(int n);
  // Says something on the window's status line for two seconds.
  void say(const QString& text);

  // A fetch or a store-all runs: the slots are the transfer's until it ends.
  bool transferRunning() const;
  // The arrangement's step taken: the list, the selection and, when the slot on screen now
  // holds other values, the main window and the combo follow.
  void arranged(const BankChange& change, int first, int count);

  TForm1& form;
  SlotList* slotList = nullptr;
  QLabel* status = nullptr;
  QSplitter* splitter = nullptr;
  LibraryPane* library = nullptr;

 protected:
  void hideEvent(QHideEvent* event) override;

 private:
  void rememberPlace();

  QTimer* statusTimer_ = nullptr;
  // The list is being moved to the main window's slot: no slot is chosen by it.
  bool following_ = false;
};

}  // namespace kestralux
