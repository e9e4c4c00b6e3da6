#include "app/InputHold.h"

#include <QCoreApplication>
#include <QDialog>
#include <QEvent>
#include <QWidget>

namespace kestralux {

namespace {

bool isUserInput(QEvent::Type type) {
  switch (type) {
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonRelease:
    case QEvent::MouseButtonDblClick:
    case QEvent::Wheel:
    case QEvent::KeyPress:
    case QEvent::KeyRelease:
    case QEvent::ShortcutOverride:
    case QEvent::Shortcut:
    case QEvent::ContextMenu:
      return true;
    default:
      return false;
  }
}

}  // namespace

void InputHold::hold() {
  if (holding_) return;
  holding_ = true;
  QCoreApplication::instance()->installEventFilter(this);
}

void InputHold::release() {
  if (!holding_) return;
  holding_ = false;
  QCoreApplication::instance()->removeEventFilter(this);
}

bool InputHold::eventFilter(QObject* watched, QEvent* event) {
  if (!isUserInput(event->type())) return false;
  const auto* widget = qobject_cast<const QWidget*>(watched);
  // Shortcuts reach their actions and shortcut objects, not a widget: held too.
  if (!widget) return event->type() == QEvent::Shortcut;
  return !qobject_cast<const QDialog*>(widget->window());
}

}  // namespace kestralux
