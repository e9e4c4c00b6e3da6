#include "app/StageWindow.h"

#include <QEvent>
#include <QWidget>

#include "app/StageView.h"

namespace kestralux {

StageWindow::StageWindow(StageActions& stage, QWidget* mainWindow) : stage_(stage), view_(std::make_unique<StageView>(mainWindow)) {
  view_->setWindowFlag(Qt::Window);
  view_->setWindowTitle(QStringLiteral("KESTRALUX STAGE"));
  // Every other window of the editor waits while the stage is up: no control there can reach
  // the combo, nor take the keys a player presses.
  view_->setWindowModality(Qt::ApplicationModal);
  view_->setAttribute(Qt::WA_QuitOnClose, false);
  view_->installEventFilter(this);
  connect(view_.get(), &StageView::keyPressed, this, &StageWindow::key);
  connect(view_.get(), &StageView::clicked, this, [this](bool rightHalf) { stage_.click(rightHalf); });
  stage_.changed = [this] {
    view_->draw(stage_.screen());
    emit stageChanged();
  };
}

StageWindow::~StageWindow() {
  stage_.changed = nullptr;
  leave();
}

std::optional<QString> StageWindow::play(Setlist setlist) {
  if (stageUp) stageUp(true);
  if (const std::optional<std::string> refused = stage_.begin(std::move(setlist))) {
    if (stageUp) stageUp(false);
    return QString::fromStdString(*refused);
  }
  view_->draw(stage_.screen());
  view_->showFullScreen();
  view_->raise();
  view_->activateWindow();
  view_->setFocus();
  return std::nullopt;
}

void StageWindow::leave() {
  const bool wasUp = stage_.playing() || view_->isVisible();
  stage_.leave();
  view_->hide();
  if (!wasUp) return;
  if (stageUp) stageUp(false);
  emit left();
}

bool StageWindow::up() const { return stage_.playing(); }

StageKey StageWindow::stageKeyOf(int qtKey) {
  switch (qtKey) {
    case Qt::Key_Space:
    case Qt::Key_Right:
    case Qt::Key_Down:
    case Qt::Key_PageDown: return StageKey::Next;
    case Qt::Key_Left:
    case Qt::Key_Up:
    case Qt::Key_PageUp: return StageKey::Previous;
    case Qt::Key_Home: return StageKey::First;
    case Qt::Key_Return:
    case Qt::Key_Enter: return StageKey::Enter;
    case Qt::Key_Backspace: return StageKey::Backspace;
    case Qt::Key_Escape: return StageKey::Escape;
    default: return qtKey >= Qt::Key_0 && qtKey <= Qt::Key_9 ? StageKey::Digit : StageKey::Other;
  }
}

void StageWindow::key(int qtKey, const QString&) {
  if (qtKey == Qt::Key_C) return emit controllerWanted();
  const StageKey key = stageKeyOf(qtKey);
  if (stage_.key(key, key == StageKey::Digit ? qtKey - Qt::Key_0 : -1) == StageKeyOutcome::Leave) leave();
}

bool StageWindow::eventFilter(QObject* watched, QEvent* event) {
  // Closed by the window manager: the stage is left as by Esc.
  if (watched == view_.get() && event->type() == QEvent::Close && stage_.playing()) leave();
  return QObject::eventFilter(watched, event);
}

}  // namespace kestralux
