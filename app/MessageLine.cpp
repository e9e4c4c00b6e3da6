#include "app/MessageLine.h"

#include <QListWidget>
#include <QMainWindow>
#include <QStatusBar>
#include <QVBoxLayout>

#include <chrono>

#include "app/WindowLook.h"

namespace kestralux {

MessageLine::MessageLine(QMainWindow& window) : QLabel(&window), timer(new QTimer(this)) {
  setObjectName(QStringLiteral("messageLine"));
  setWordWrap(true);
  setTextFormat(Qt::PlainText);
  setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
  setFont(fontOf({13, true}));
  // Two lines and their margins, said or not.
  setFixedHeight(2 * fontMetrics().lineSpacing() + 6);
  setContentsMargins(6, 0, 6, 0);
  setAccessibleName(QStringLiteral("MESSAGES"));
  window.statusBar()->setSizeGripEnabled(false);
  window.statusBar()->addWidget(this, 1);
  timer->setObjectName(QStringLiteral("messageLineTimer"));
  timer->setSingleShot(true);
  timer->setInterval(static_cast<int>(std::chrono::milliseconds(MessageLog::kShown).count()));
  connect(timer, &QTimer::timeout, this, &MessageLine::timeOut);
}

void MessageLine::say(const QString& text) {
  if (text.isEmpty()) return;
  keep(text);
  setText(text);
  timer->start();
}

void MessageLine::keep(const QString& text) {
  log_.add(text.toStdString(), std::chrono::system_clock::now());
  if (keptWindow_) fillKept();
}

void MessageLine::setIdleText(const QString& text) {
  idle_ = text;
  if (!timer->isActive()) setText(idle_);
}

void MessageLine::timeOut() {
  timer->stop();
  setText(idle_);
}

QWidget* MessageLine::showKept() {
  if (!keptWindow_) {
    auto* kept = new QWidget(window(), Qt::Window);
    kept->setObjectName(QStringLiteral("MessagesWindow"));
    kept->setWindowTitle(QStringLiteral("KESTRALUX MESSAGES"));
    kept->setAttribute(Qt::WA_DeleteOnClose);
    kept->setAttribute(Qt::WA_QuitOnClose, false);
    applyToolWindowLook(*kept);
    keptList_ = new QListWidget(kept);
    keptList_->setObjectName(QStringLiteral("keptMessages"));
    keptList_->setAccessibleName(QStringLiteral("MESSAGES"));
    keptList_->setWordWrap(true);
    auto* layout = new QVBoxLayout(kept);
    layout->setContentsMargins(6, 6, 6, 6);
    layout->addWidget(keptList_);
    keptWindow_ = kept;
    fillKept();
  }
  showBeside(*keptWindow_, "messagesWindow/geometry", QSize(560, 360));
  return keptWindow_;
}

void MessageLine::fillKept() {
  keptList_->clear();
  const auto& entries = log_.entries();
  for (auto it = entries.rbegin(); it != entries.rend(); ++it) keptList_->addItem(QString::fromStdString(logLine(*it)));
}

}  // namespace kestralux
