#include "app/ValueEntryBox.h"

#include <QApplication>
#include <QKeyEvent>
#include <QScrollBar>

#include "actions/EditorActions.h"
#include "editor/ValueEntry.h"

namespace kestralux {

ValueEntryBox::ValueEntryBox(EditorActions& actions, QScrollBar* bar, QLineEdit* valueBox)
    : QLineEdit(valueBox->parentWidget()), actions_(actions), bar_(bar) {
  setObjectName(QStringLiteral("valueEntry"));
  setGeometry(valueBox->geometry());
  setFont(valueBox->font());
  // The box's colours turned round: the user sees at once that this one takes keys.
  QPalette p = valueBox->palette();
  p.setColor(QPalette::Base, valueBox->palette().color(QPalette::Text));
  p.setColor(QPalette::Text, valueBox->palette().color(QPalette::Base));
  setPalette(p);
  setText(valueBox->text().trimmed());
  selectAll();
}

void ValueEntryBox::commit() {
  if (done_) return;
  const std::optional<int> position =
      typedPosition(bar_->objectName().toStdString(), actions_.shownPreset().value(EFFECT_SELECT), text().toStdString());
  if (!position) {
    QApplication::beep();
    selectAll();
    return;
  }
  done_ = true;
  if (actions_.comparing()) actions_.endCompare(true);
  // Its own undo step, whatever was open before and whatever comes after.
  actions_.endAction();
  bar_->setValue(*position);
  actions_.endAction();
  bar_->setFocus(Qt::OtherFocusReason);
  deleteLater();
}

void ValueEntryBox::leave() {
  if (done_) return;
  done_ = true;
  if (hasFocus()) bar_->setFocus(Qt::OtherFocusReason);
  deleteLater();
}

void ValueEntryBox::keyPressEvent(QKeyEvent* event) {
  switch (event->key()) {
    case Qt::Key_Return:
    case Qt::Key_Enter: commit(); return;
    case Qt::Key_Escape: leave(); return;
    default: QLineEdit::keyPressEvent(event);
  }
}

void ValueEntryBox::focusOutEvent(QFocusEvent* event) {
  QLineEdit::focusOutEvent(event);
  // A click elsewhere or another window: the typing is abandoned, not taken.
  if (event->reason() != Qt::PopupFocusReason) leave();
}

}  // namespace kestralux
