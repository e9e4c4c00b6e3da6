#pragma once
// A short text in place of a command panel's caption: what a transfer is doing or how it
// ended. Each text stays two seconds, the next one waiting its turn; then the panel shows
// its own caption again. Nothing moves and no colour changes. A text the caption cannot show
// whole is not cut: the panel keeps its caption and `told` hands the text on.

#include <QObject>
#include <QString>
#include <QTimer>
#include <deque>
#include <functional>

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
  // Every text in its turn, and whether the caption showed it whole.
  std::function<void(const QString& text, bool onCaption)> told;

 private:
  ClickablePanel* panel_;
  QString caption_;
  void put(const QString& text);

  std::deque<QString> waiting_;
};

}  // namespace kestralux
