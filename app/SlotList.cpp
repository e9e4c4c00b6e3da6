#include "app/SlotList.h"

#include <QApplication>
#include <QHeaderView>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>

#include <algorithm>
#include <utility>

#include "model/PresetRecord.h"

namespace kestralux {

Arrangement arrangementOf(Qt::KeyboardModifiers modifiers) {
  if (modifiers & Qt::ControlModifier) return Arrangement::Copy;
  if (modifiers & Qt::ShiftModifier) return Arrangement::Swap;
  return Arrangement::Move;
}

SlotList::SlotList(QWidget* parent) : QTreeWidget(parent) {
  setObjectName(QStringLiteral("slotList"));
  setColumnCount(ColumnCount);
  setHeaderLabels({QStringLiteral("NO."), QString(), QStringLiteral("NAME"), QStringLiteral("AMP MODEL"),
                   QStringLiteral("EFFECT")});
  setRootIsDecorated(false);
  setUniformRowHeights(true);
  setAllColumnsShowFocus(true);
  setSelectionMode(QAbstractItemView::ExtendedSelection);
  setSelectionBehavior(QAbstractItemView::SelectRows);
  setEditTriggers(QAbstractItemView::NoEditTriggers);
  setDragDropMode(QAbstractItemView::NoDragDrop);
  header()->setSectionsMovable(false);
  header()->setStretchLastSection(true);
  for (int n = 0; n < kPresetCount; ++n) {
    auto* item = new QTreeWidgetItem(this);
    item->setText(NumberColumn, QString::number(n + 1));
    item->setTextAlignment(NumberColumn, Qt::AlignRight | Qt::AlignVCenter);
  }
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
  const auto selected = [this](int r) { return r >= 0 && r < topLevelItemCount() && topLevelItem(r)->isSelected(); };
  if (!selected(row)) return std::nullopt;
  int first = row, last = row;
  while (selected(first - 1)) --first;
  while (selected(last + 1)) ++last;
  return std::pair{first, last - first + 1};
}

void SlotList::mousePressEvent(QMouseEvent* event) {
  press_.reset();
  const QModelIndex under = indexAt(event->position().toPoint());
  if (event->button() != Qt::LeftButton || !under.isValid()) {
    QTreeWidget::mousePressEvent(event);
    return;
  }
  const int row = under.row();
  // A press on a selection keeps it whole until it is clear whether the press starts a drag;
  // a click without a drag then selects as a click does.
  const bool deferred = topLevelItem(row)->isSelected();
  if (deferred)
    setFocus(Qt::MouseFocusReason);
  else
    QTreeWidget::mousePressEvent(event);
  press_ = Press{row, event->position().toPoint(), event->modifiers(), deferred};
}

void SlotList::mouseMoveEvent(QMouseEvent* event) {
  if (!press_ || !(event->buttons() & Qt::LeftButton)) {
    QTreeWidget::mouseMoveEvent(event);
    return;
  }
  const QPoint at = event->position().toPoint();
  if (!drag_) {
    if ((at - press_->at).manhattanLength() < QApplication::startDragDistance()) return;
    // Only what is selected is dragged; a press that took its row out of the selection
    // drags nothing.
    const auto run = selectedRunAround(press_->row);
    if (!run) return;
    drag_ = Drag{run->first, run->second, press_->row - run->first, std::nullopt, Arrangement::Move};
    viewport()->setCursor(Qt::DragMoveCursor);
  }
  drag_->how = arrangementOf(event->modifiers());
  drag_->to = dropStart(at, drag_->count, drag_->offset);
  if (drag_->to) {
    showDropTarget(*drag_->to, drag_->count, drag_->how);
    emit dropHovered(drag_->first, drag_->count, *drag_->to, drag_->how);
  } else {
    clearDropTarget();
    emit dropHovered(drag_->first, drag_->count, -1, drag_->how);
  }
}

void SlotList::mouseReleaseEvent(QMouseEvent* event) {
  const std::optional<Press> press = std::exchange(press_, std::nullopt);
  if (drag_) {
    const Drag drag = *drag_;
    endDrag();
    // Let go outside the list: nothing lands anywhere.
    if (const std::optional<int> to = dropStart(event->position().toPoint(), drag.count, drag.offset))
      emit dropped(drag.first, drag.count, *to, arrangementOf(event->modifiers()));
    return;
  }
  if (press && press->deferred) {
    QMouseEvent replay(QEvent::MouseButtonPress, QPointF(press->at), event->globalPosition(), Qt::LeftButton,
                       Qt::LeftButton, press->modifiers);
    QTreeWidget::mousePressEvent(&replay);
  }
  QTreeWidget::mouseReleaseEvent(event);
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
  if (event->matches(QKeySequence::Copy)) {
    emit copyRequested();
    return;
  }
  if (event->matches(QKeySequence::Paste)) {
    emit pasteRequested();
    return;
  }
  QTreeWidget::keyPressEvent(event);
}

void SlotList::paintEvent(QPaintEvent* event) {
  QTreeWidget::paintEvent(event);
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
