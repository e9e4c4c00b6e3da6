#pragma once
// A value typed instead of dragged: a small entry over a scroll bar's value box, in the box's
// own units ("350", "7.5", "L3"). Enter takes the nearest step as one edit, sent as any edit
// is; a text that means no value stays for correcting; Esc or leaving it changes nothing.

#include <QLineEdit>

class QScrollBar;

namespace kestralux {

class TForm1;

class ValueEntryBox : public QLineEdit {
  Q_OBJECT

 public:
  ValueEntryBox(TForm1& form, QScrollBar* bar, QLineEdit* valueBox);

  void commit();
  void leave();

  QScrollBar* bar() const { return bar_; }

 protected:
  void keyPressEvent(QKeyEvent* event) override;
  void focusOutEvent(QFocusEvent* event) override;

 private:
  TForm1& form_;
  QScrollBar* bar_;
  bool done_ = false;
};

}  // namespace kestralux
