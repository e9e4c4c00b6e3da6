#pragma once
// One user action is one undo step: a press (of a mouse button or a key) starts it, letting
// go ends it, so a held arrow, an auto-repeating key or a drag is one step; a wheel notch is
// one. A name is one step when it is finished, not one per letter. Touching a control while
// comparing first brings the edited version back, heard before the touch acts on it.

#include <QObject>

class QWidget;

namespace kestralux {

class EditorActions;

class ActionBoundaries : public QObject {
 public:
  // Watches the application's events for those that reach `controls`; `nameBox` is the one
  // control whose keys are letters of one step.
  ActionBoundaries(EditorActions& actions, QWidget* controls, QWidget* nameBox, QObject* parent);

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  void touched();

  EditorActions& actions_;
  QWidget* controls_;
  QWidget* nameBox_;
};

}  // namespace kestralux
