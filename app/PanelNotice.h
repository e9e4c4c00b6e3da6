#pragma once
// A short text in place of a command panel's caption: what a transfer is doing or how it
// ended. Each text stays two seconds, the next one waiting its turn; then the panel shows
// its own caption again. Nothing moves and no colour changes.

#include <QObject>
#include <QString>
#include <QTimer>
#include <deque>

#include "protocol/BankTransfer.h"

namespace kestralux {

class ClickablePanel;

class PanelNotice : public QObject {
  Q_OBJECT

 public:
  static constexpr int kShownMs = 2000;

  PanelNotice(ClickablePanel* panel, const QString& timerName, QObject* parent);

  // The first text at once, replacing whatever is shown or waiting; the others after it.
  void show(const Notices& notices);

  // The tick that moves on to the next text, or back to the caption.
  void timerTick();

  // The caption the panel shows when no text is shown; at once if none is.
  void setCaption(const QString& caption);

  QTimer* timer;

 private:
  ClickablePanel* panel_;
  QString caption_;
  std::deque<QString> waiting_;
};

}  // namespace kestralux
