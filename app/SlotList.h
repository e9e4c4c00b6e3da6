#pragma once
// The bank window's list of the 30 slots, a view of the bank's model. Dragging is done here
// with the mouse alone (press, move, let go), without the desktop's drag-and-drop session:
// the bank is arranged only inside one editor, and between editors through the clipboard.
// The rows a drop would write are outlined while the button is held, so the user sees where
// the presets land. What is dragged is taken from the model as the drag begins and dropped on
// it where the button is let go, as any drop of records is. F2 or a double-click on a name
// renames the slot.

#include <QTreeView>

#include <memory>
#include <optional>

#include "actions/EditorActions.h"
#include "app/BankModel.h"

namespace kestralux {

// Ctrl copies over, Shift swaps, nothing moves: as the modifiers are held when the button
// is let go.
Arrangement arrangementOf(Qt::KeyboardModifiers modifiers);

class SlotList : public QTreeView {
  Q_OBJECT

 public:
  enum Column {
    NumberColumn = BankModel::NumberColumn,
    MarkColumn = BankModel::MarkColumn,
    NameColumn = BankModel::NameColumn,
    AmpColumn = BankModel::AmpColumn,
    EffectColumn = BankModel::EffectColumn,
    ColumnCount = BankModel::ColumnCount
  };

  explicit SlotList(BankModel& model, QWidget* parent = nullptr);

  BankModel& bankModel() const { return bankModel_; }

  // The slot's text in a column, as drawn.
  QString text(int row, int column) const;
  QRect rowRect(int row) const { return visualRect(model()->index(row, 0)); }

  // The slots a drop of `count` slots would write, held by the row under `pointer` at
  // `offset` rows from the first of them; nothing off the list.
  std::optional<int> dropStart(QPoint pointer, int count, int offset) const;
  // The outline of a drop in the making; a count of 0 takes it away. Other widgets that drag
  // onto the slots (the library) show theirs here too.
  void showDropTarget(int first, int count, Arrangement how);
  void clearDropTarget() { showDropTarget(0, 0, Arrangement::Move); }

  // The selected rows, in order.
  QList<int> selectedRows() const;
  // The unbroken run of selected rows that holds `row`; nothing when `row` is not selected.
  std::optional<std::pair<int, int>> selectedRunAround(int row) const;

 signals:
  // The current row moved, by a click or a key.
  void currentRowChanged(int row);
  // A drag in the making: where it would land, for the window's status line; `first` is -1
  // for slots picked here and there.
  void dropHovered(int first, int count, int to, Arrangement how);
  void dragEnded();
  void copyRequested();
  void pasteRequested();
  // Let go outside the list, at `global`: another window may take the records (a setlist).
  void droppedOutside(QPoint global, const QMimeData* records);

 protected:
  void mousePressEvent(QMouseEvent* event) override;
  void mouseMoveEvent(QMouseEvent* event) override;
  void mouseReleaseEvent(QMouseEvent* event) override;
  void mouseDoubleClickEvent(QMouseEvent* event) override;
  void keyPressEvent(QKeyEvent* event) override;
  void currentChanged(const QModelIndex& current, const QModelIndex& previous) override;
  void paintEvent(QPaintEvent* event) override;

 private:
  struct Press {
    int row;
    QPoint at;
    Qt::KeyboardModifiers modifiers;
    bool deferred;  // the press was held back to keep a selection that may be dragged
  };
  struct Drag {
    int first, count, offset;
    bool picked;  // slots of a selection that is no unbroken run
    std::shared_ptr<QMimeData> data;  // the slots' records as they were when the drag began
  };
  void endDrag();

  BankModel& bankModel_;

  std::optional<Press> press_;
  std::optional<Drag> drag_;
  int targetFirst_ = 0;
  int targetCount_ = 0;
  Arrangement targetHow_ = Arrangement::Move;
};

}  // namespace kestralux
