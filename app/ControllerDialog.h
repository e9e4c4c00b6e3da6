#pragma once
// SETLISTS > CONTROLLER... and C on the stage: which input port is the foot controller, and
// what its pedals mean. A choice takes effect at once and is remembered by the port's name.

#include <QDialog>

#include <functional>
#include <string>

#include "actions/StageActions.h"

class QCheckBox;
class QLabel;
class QListWidget;
class QPushButton;

namespace kestralux {

class FootControllerPort;

class ControllerDialog : public QDialog {
  Q_OBJECT

 public:
  // `comboInput` names the combo's input port, which is never offered.
  ControllerDialog(StageActions& stage, FootControllerPort& port, std::function<std::string()> comboInput,
                   QWidget* parent = nullptr);

  // The port list read again and shown over `owner` (the stage view, or the setlists window).
  void showOver(QWidget* owner);
  // What the stage's actions hold now.
  void refresh();

  // A choice to be remembered.
  std::function<void(const FootControllerSettings&)> remember;

  QListWidget* ports = nullptr;
  QLabel* next = nullptr;
  QLabel* previous = nullptr;
  QPushButton* learnNext = nullptr;
  QPushButton* learnPrevious = nullptr;
  QCheckBox* programs = nullptr;
  QLabel* heard = nullptr;
  QPushButton* defaults = nullptr;
  QPushButton* close = nullptr;

 protected:
  void hideEvent(QHideEvent* event) override;

 private:
  void choose(const std::string& name);
  void change(FootControllerSettings settings);

  StageActions& stage_;
  FootControllerPort& port_;
  std::function<std::string()> comboInput_;
};

// The text the list shows for no controller.
inline constexpr const char* kNoController = "NONE";

}  // namespace kestralux
