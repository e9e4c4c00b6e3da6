#pragma once
// PLAY: the stage view full screen over every window of the editor, which take no input while
// it is up, its keys and clicks handed to the stage's actions, and what they say drawn. A
// send that fails is said on the stage view itself: no box opens on stage.

#include <QObject>
#include <QString>

#include <functional>
#include <memory>
#include <optional>

#include "actions/StageActions.h"

class QWidget;

namespace kestralux {

class StageView;

class StageWindow : public QObject {
  Q_OBJECT

 public:
  StageWindow(StageActions& stage, QWidget* mainWindow);
  ~StageWindow() override;

  // The first song sent and the view up; what refused it, else nothing.
  std::optional<QString> play(Setlist setlist);
  // Esc, or the window closed.
  void leave();
  bool up() const;

  // The stage's key for a key of the toolkit's.
  static StageKey stageKeyOf(int qtKey);

  StageView* view() const { return view_.get(); }

  // Around the stage: what the link's card error does meanwhile, and back.
  std::function<void(bool up)> stageUp;

 signals:
  // C on the stage: the foot controller is to be chosen.
  void controllerWanted();
  void left();
  // The stage's actions said something changed (also what the controller sent, for the
  // controller choice to show).
  void stageChanged();

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  void key(int qtKey, const QString& text);

  StageActions& stage_;
  std::unique_ptr<StageView> view_;
};

}  // namespace kestralux
