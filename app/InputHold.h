#pragma once
// Holds back the user's mouse and keyboard from the program's windows while a store runs,
// so nothing the user does can slip between the stored messages. Dialogs (a port error box
// raised by a send) still take input, and the windows keep painting as they were.

#include <QObject>

namespace kestralux {

class InputHold : public QObject {
  Q_OBJECT

 public:
  using QObject::QObject;
  ~InputHold() override { release(); }

  void hold();
  void release();
  bool holding() const { return holding_; }

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  bool holding_ = false;
};

}  // namespace kestralux
