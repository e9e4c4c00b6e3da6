#pragma once
// A value typed instead of dragged: a small entry over a scroll bar's value box, in the box's
// own units ("350", "7.5", "L3"). Enter takes the nearest step as one edit, sent as any edit
// is; a text that means no value stays for correcting; Esc or leaving it changes nothing.

#include <QLineEdit>

class QScrollBar;

namespace kestralux {

class EditorActions;

class ValueEntryBox : public QLineEdit {
  Q_OBJECT

 public:
  ValueEntryBox(EditorActions& actions, QScrollBar* bar, QLineEdit* valueBox);

  void commit();
  void leave();

  QScrollBar* bar() const { return bar_; }

 protected:
  void keyPressEvent(QKeyEvent* event) override;
  void focusOutEvent(QFocusEvent* event) override;

 private:
  EditorActions& actions_;
  QScrollBar* bar_;
  bool done_ = false;
};

}  // namespace kestralux
