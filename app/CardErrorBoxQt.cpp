#include "app/CardErrorBoxQt.h"

#include <QAbstractButton>
#include <QApplication>
#include <QDialog>
#include <QMouseEvent>
#include <QScrollBar>

namespace kestralux {

CardErrorBox::CardErrorBox(std::function<void(QWidget* owner)> show, QObject* parent)
    : QObject(parent), showBox(std::move(show)) {
  qApp->installEventFilter(this);
}

CardErrorBox::~CardErrorBox() { qApp->removeEventFilter(this); }

void CardErrorBox::report(QWidget* owner) {
  if (shownInAction_) {
    ++quiet_;
    return;
  }
  shownInAction_ = true;
  releaseHeldControls();
  if (showBox) showBox(owner);
}

bool CardErrorBox::eventFilter(QObject* watched, QEvent* event) {
  const QEvent::Type type = event->type();
  // A key that triggers a shortcut (Ctrl+Z held, Z pressed again) never arrives as a key
  // press: its override request marks the new action.
  const bool key = type == QEvent::KeyPress || type == QEvent::ShortcutOverride;
  const bool press = type == QEvent::MouseButtonPress || type == QEvent::MouseButtonDblClick ||
                     type == QEvent::Wheel || (key && !static_cast<QKeyEvent*>(event)->isAutoRepeat());
  // Answering a box is not a new action.
  if (press && watched->isWidgetType() && !qobject_cast<QDialog*>(static_cast<QWidget*>(watched)->window()))
    shownInAction_ = false;
  return false;
}

void releaseHeldControls() {
  for (QWidget* widget : QApplication::allWidgets()) {
    if (auto* bar = qobject_cast<QScrollBar*>(widget)) {
      // A release stops the bar's repeat and lets go of its thumb; on a bar nobody holds it
      // changes nothing.
      const QPointF at = bar->rect().center();
      QMouseEvent release(QEvent::MouseButtonRelease, at, bar->mapToGlobal(at), Qt::LeftButton, Qt::NoButton,
                          Qt::NoModifier);
      QApplication::sendEvent(bar, &release);
    } else if (auto* button = qobject_cast<QAbstractButton*>(widget); button && button->isDown()) {
      button->setDown(false);
    }
  }
}

}  // namespace kestralux
