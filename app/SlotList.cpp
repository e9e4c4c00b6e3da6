#include "app/SlotList.h"

#include <QApplication>
#include <QHeaderView>
#include <QLineEdit>
#include <QStyledItemDelegate>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>

#include <algorithm>
#include <utility>

#include "app/PresetNameValidator.h"
#include "model/PresetRecord.h"

namespace kestralux {

Arrangement arrangementOf(Qt::KeyboardModifiers modifiers) {
  if (modifiers & Qt::ControlModifier) return Arrangement::Copy;
  if (modifiers & Qt::ShiftModifier) return Arrangement::Swap;
  return Arrangement::Move;
}

namespace {

// The name box's rules in the list: Latin-1 only, 19 characters, shown in capitals.
class NameDelegate : public QStyledItemDelegate {
 public:
  using QStyledItemDelegate::QStyledItemDelegate;
  QWidget* createEditor(QWidget* parent, const QStyleOptionViewItem& option, const QModelIndex& index) const override {
    auto* box = qobject_cast<QLineEdit*>(QStyledItemDelegate::createEditor(parent, option, index));
    if (box) {
      box->setMaxLength(static_cast<int>(kMaxNameLength));
      box->setValidator(new PresetNameValidator(static_cast<int>(kMaxNameLength), box));
    }
    return box;
  }
};

}  // namespace

SlotList::SlotList(BankModel& bankModel, QWidget* parent) : QTreeView(parent), bankModel_(bankModel) {
  setObjectName(QStringLiteral("slotList"));
  setModel(&bankModel);
  setItemDelegateForColumn(NameColumn, new NameDelegate(this));
  setRootIsDecorated(false);
  setUniformRowHeights(true);
  setAllColumnsShowFocus(true);
  setSelectionMode(QAbstractItemView::ExtendedSelection);
  setSelectionBehavior(QAbstractItemView::SelectRows);
  setEditTriggers(QAbstractItemView::EditKeyPressed | QAbstractItemView::DoubleClicked);
  setDragDropMode(QAbstractItemView::NoDragDrop);
  header()->setSectionsMovable(false);
  header()->setStretchLastSection(true);
}

QString SlotList::text(int row, int column) const { return model()->index(row, column).data().toString(); }

void SlotList::currentChanged(const QModelIndex& current, const QModelIndex& previous) {
  QTreeView::currentChanged(current, previous);
  if (current.isValid() && current.row() != previous.row()) emit currentRowChanged(current.row());
}

std::optional<int> SlotList::dropStart(QPoint pointer, int count, int offset) const {
  if (count <= 0 || count > kPresetCount || !viewport()->rect().contains(pointer)) return std::nullopt;
  const QModelIndex under = indexAt(pointer);
  if (!under.isValid()) return std::nullopt;
  // The row the user holds lands under the pointer; a range that would run off either end
  // of the bank is held at that end.
  return std::clamp(under.row() - offset, 0, kPresetCount - count);
}

void SlotList::showDropTarget(int first, int count, Arrangement how) {
  if (first == targetFirst_ && count == targetCount_ && how == targetHow_) return;
  targetFirst_ = first;
  targetCount_ = count;
  targetHow_ = how;
  viewport()->update();
}

QList<int> SlotList::selectedRows() const {
  QList<int> rows;
  for (const QModelIndex& index : selectionModel()->selectedRows()) rows << index.row();
  std::sort(rows.begin(), rows.end());
  return rows;
}

std::optional<std::pair<int, int>> SlotList::selectedRunAround(int row) const {
  const auto inSelection = [this](int r) { return r >= 0 && r < kPresetCount && selectionModel()->isRowSelected(r, QModelIndex()); };
  if (!inSelection(row)) return std::nullopt;
  int first = row, last = row;
  while (inSelection(first - 1)) --first;
  while (inSelection(last + 1)) ++last;
  return std::pair{first, last - first + 1};
}

void SlotList::mousePressEvent(QMouseEvent* event) {
  press_.reset();
  const QModelIndex under = indexAt(event->position().toPoint());
  if (event->button() != Qt::LeftButton || !under.isValid()) {
    QTreeView::mousePressEvent(event);
    return;
  }
  const int row = under.row();
  // A press on a selection keeps it whole until it is clear whether the press starts a drag;
  // a click without a drag then selects as a click does.
  const bool deferred = selectionModel()->isRowSelected(row, QModelIndex());
  if (deferred)
    setFocus(Qt::MouseFocusReason);
  else
    QTreeView::mousePressEvent(event);
  press_ = Press{row, event->position().toPoint(), event->modifiers(), deferred};
}

void SlotList::mouseMoveEvent(QMouseEvent* event) {
  if (!press_ || !(event->buttons() & Qt::LeftButton)) {
    QTreeView::mouseMoveEvent(event);
    return;
  }
  const QPoint at = event->position().toPoint();
  if (!drag_) {
    if ((at - press_->at).manhattanLength() < QApplication::startDragDistance()) return;
    // Only what is selected is dragged; a press that took its row out of the selection
    // drags nothing. Slots picked here and there go together, in their order.
    const auto run = selectedRunAround(press_->row);
    if (!run) return;
    const QList<int> rows = selectedRows();
    QModelIndexList dragged;
    for (int n : rows) dragged << model()->index(n, 0);
    const int offset = static_cast<int>(rows.indexOf(press_->row));
    drag_ = Drag{rows.front(), static_cast<int>(rows.size()), offset, rows.size() != run->second,
                 std::shared_ptr<QMimeData>(model()->mimeData(dragged))};
    viewport()->setCursor(Qt::DragMoveCursor);
  }
  const Arrangement how = arrangementOf(event->modifiers());
  const std::optional<int> to = dropStart(at, drag_->count, drag_->offset);
  // Picked slots have no first slot of a range to say.
  const int first = drag_->picked ? -1 : drag_->first;
  if (to)
    showDropTarget(*to, drag_->count, how);
  else
    clearDropTarget();
  emit dropHovered(first, drag_->count, to.value_or(-1), how);
}

void SlotList::mouseReleaseEvent(QMouseEvent* event) {
  const std::optional<Press> press = std::exchange(press_, std::nullopt);
  if (drag_) {
    const Drag drag = *drag_;
    endDrag();
    // Let go outside the list: nothing lands anywhere.
    if (const std::optional<int> to = dropStart(event->position().toPoint(), drag.count, drag.offset))
      model()->dropMimeData(drag.data.get(), dropActionOf(arrangementOf(event->modifiers())), *to, 0, {});
    else if (!rect().contains(event->position().toPoint()))
      emit droppedOutside(event->globalPosition().toPoint(), drag.data.get());
    return;
  }
  if (press && press->deferred) {
    QMouseEvent replay(QEvent::MouseButtonPress, QPointF(press->at), event->globalPosition(), Qt::LeftButton,
                       Qt::LeftButton, press->modifiers);
    QTreeView::mousePressEvent(&replay);
  }
  QTreeView::mouseReleaseEvent(event);
}

// A press on a selection is held back (it may start a drag), so the view never saw the
// press its own double-click would edit on: the name is opened here.
void SlotList::mouseDoubleClickEvent(QMouseEvent* event) {
  const QModelIndex under = indexAt(event->position().toPoint());
  if (event->button() == Qt::LeftButton && under.isValid() && under.column() == NameColumn) {
    edit(under);
    return;
  }
  QTreeView::mouseDoubleClickEvent(event);
}

void SlotList::endDrag() {
  drag_.reset();
  viewport()->unsetCursor();
  clearDropTarget();
  emit dragEnded();
}

void SlotList::keyPressEvent(QKeyEvent* event) {
  if (drag_ && event->key() == Qt::Key_Escape) {
    press_.reset();
    endDrag();
    return;
  }
  // F2 renames the slot, whichever of its cells has the cursor.
  if (event->key() == Qt::Key_F2 && event->modifiers() == Qt::NoModifier && currentIndex().isValid()) {
    edit(model()->index(currentIndex().row(), NameColumn));
    return;
  }
  if (event->matches(QKeySequence::Copy)) {
    emit copyRequested();
    return;
  }
  if (event->matches(QKeySequence::Paste)) {
    emit pasteRequested();
    return;
  }
  QTreeView::keyPressEvent(event);
}

void SlotList::paintEvent(QPaintEvent* event) {
  QTreeView::paintEvent(event);
  if (targetCount_ <= 0) return;
  const QRect first = visualRect(model()->index(targetFirst_, 0));
  const QRect last = visualRect(model()->index(targetFirst_ + targetCount_ - 1, 0));
  const QRect rows(QPoint(0, first.top()), QPoint(viewport()->width() - 1, last.bottom()));
  static const QColor kMoveColour(255, 255, 0), kCopyColour(0, 255, 0), kSwapColour(0, 255, 255);
  const QColor colour = targetHow_ == Arrangement::Copy ? kCopyColour
                        : targetHow_ == Arrangement::Swap ? kSwapColour
                                                          : kMoveColour;
  QPainter painter(viewport());
  painter.setPen(QPen(colour, 2));
  painter.setBrush(Qt::NoBrush);
  painter.drawRect(rows.adjusted(1, 1, -1, -1));
  if (targetHow_ == Arrangement::Move) {
    // A move pushes the slots there aside: the line is where the first one lands.
    painter.setPen(QPen(colour, 4));
    painter.drawLine(rows.topLeft(), rows.topRight());
  }
}

}  // namespace kestralux
