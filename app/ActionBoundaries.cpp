#include "app/ActionBoundaries.h"

#include <QKeyEvent>
#include <QWidget>

#include "actions/EditorActions.h"

namespace kestralux {

namespace {

bool isModifier(int key) {
  return key == Qt::Key_Control || key == Qt::Key_Shift || key == Qt::Key_Alt || key == Qt::Key_Meta ||
         key == Qt::Key_AltGr;
}

bool isUndoOrRedo(const QKeyEvent* key) {
  return key->matches(QKeySequence::Undo) || key->matches(QKeySequence::Redo) ||
         key->keyCombination() == QKeyCombination(Qt::ControlModifier, Qt::Key_Y) ||
         key->keyCombination() == QKeyCombination(Qt::ControlModifier | Qt::ShiftModifier, Qt::Key_Z);
}

}  // namespace

ActionBoundaries::ActionBoundaries(EditorActions& actions, QWidget* controls, QWidget* nameBox, QObject* parent)
    : QObject(parent), actions_(actions), controls_(controls), nameBox_(nameBox) {}

void ActionBoundaries::touched() {
  if (actions_.comparing()) actions_.endCompare(true);
}

bool ActionBoundaries::eventFilter(QObject* watched, QEvent* event) {
  auto* widget = qobject_cast<QWidget*>(watched);
  if (!widget || !controls_->isAncestorOf(widget)) return false;
  switch (event->type()) {
    case QEvent::MouseButtonPress:
      touched();
      actions_.endAction();
      break;
    case QEvent::KeyPress: {
      const auto* key = static_cast<QKeyEvent*>(event);
      if (key->isAutoRepeat() || isModifier(key->key())) break;
      touched();
      // A new key is a new action, whatever came before it was left open.
      if (widget != nameBox_) actions_.endAction();
      break;
    }
    case QEvent::MouseButtonRelease:
      actions_.endAction();
      // Panels and radio buttons act on the release itself, after this: their change is
      // closed once the release has been handled, so it never joins the next action.
      QMetaObject::invokeMethod(this, [this] { actions_.endAction(); }, Qt::QueuedConnection);
      break;
    case QEvent::KeyRelease: {
      const auto* key = static_cast<QKeyEvent*>(event);
      if (!key->isAutoRepeat() && widget != nameBox_) actions_.endAction();
      break;
    }
    case QEvent::ShortcutOverride: {
      // The name box would take Ctrl+Z for its own text; undo and redo belong to the EDIT
      // menu wherever the focus is.
      const auto* key = static_cast<QKeyEvent*>(event);
      if (widget != nameBox_ || !isUndoOrRedo(key)) break;
      event->ignore();
      return true;
    }
    case QEvent::Wheel:
      touched();
      // After the bar has taken the notch.
      QMetaObject::invokeMethod(this, [this] { actions_.endAction(); }, Qt::QueuedConnection);
      break;
    default: break;
  }
  return false;
}

}  // namespace kestralux
