#pragma once
// The main window's message line, in its status bar: what the editor has to say, whole,
// wrapped onto a second line when one is not enough. A message stays until the next one or
// for MessageLog::kShown; then the line shows what is true for as long as it lasts (which
// sound is heard), or nothing. The line keeps its height whether it says anything or not, so
// nothing in the window moves when a message comes or goes. HELP > MESSAGES lists the last
// ones again.

#include <QLabel>
#include <QPointer>
#include <QString>
#include <QTimer>

#include "actions/MessageLog.h"

class QMainWindow;
class QListWidget;

namespace kestralux {

class MessageLine : public QLabel {
  Q_OBJECT

 public:
  // Made in `window`'s status bar.
  explicit MessageLine(QMainWindow& window);

  // Shown at once, in place of whatever was shown, and kept.
  void say(const QString& text);
  // Kept to be read again, not shown: it was said whole elsewhere.
  void keep(const QString& text);
  // What the line shows when no message is shown; empty for nothing.
  void setIdleText(const QString& text);
  // The message shown goes now, as its time running out would make it.
  void timeOut();

  const MessageLog& log() const { return log_; }
  // HELP > MESSAGES: a window of its own with the kept messages, newest first, that follows
  // new ones while it is open.
  QWidget* showKept();

  QTimer* timer;

 private:
  void fillKept();

  MessageLog log_;
  QString idle_;
  QPointer<QWidget> keptWindow_;
  QListWidget* keptList_ = nullptr;
};

}  // namespace kestralux
