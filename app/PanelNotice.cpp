#include "app/PanelNotice.h"

#include "app/ClickablePanel.h"

namespace kestralux {

PanelNotice::PanelNotice(ClickablePanel* panel, const QString& timerName, QObject* parent)
    : QObject(parent), timer(new QTimer(this)), panel_(panel), caption_(panel->caption()) {
  timer->setObjectName(timerName);
  timer->setInterval(kShownMs);
  connect(timer, &QTimer::timeout, this, &PanelNotice::timerTick);
}

void PanelNotice::show(const Notices& notices) {
  if (notices.empty()) return;
  waiting_.clear();
  for (std::size_t i = 1; i < notices.size(); ++i) waiting_.push_back(QString::fromStdString(notices[i]));
  put(QString::fromStdString(notices.front()));
  timer->start();
}

void PanelNotice::timerTick() {
  timer->stop();
  if (waiting_.empty()) {
    panel_->setCaption(caption_);
    return;
  }
  put(waiting_.front());
  waiting_.pop_front();
  timer->start();
}

void PanelNotice::put(const QString& text) {
  // Inside the bevels and the border, as the panel draws its caption.
  const int room = panel_->width() - 2 * (panel_->bevelWidth() * 2 + panel_->borderWidth());
  const bool whole = panel_->fontMetrics().horizontalAdvance(text) <= room;
  panel_->setCaption(whole ? text : caption_);
  if (told) told(text, whole);
}

void PanelNotice::setCaption(const QString& caption) {
  caption_ = caption;
  if (!timer->isActive()) panel_->setCaption(caption_);
}

}  // namespace kestralux
