#pragma once
// MIDI > CHECK CONNECTION: the connection check's report in a tool window above the main
// window, ready to copy into a question.

#include <QWidget>

#include <memory>

#include "link/ComboLink.h"
#include "link/ConnectionCheck.h"

class QPlainTextEdit;
class QPushButton;
class QTimer;

namespace kestralux {

class CheckWindow : public QWidget {
  Q_OBJECT

 public:
  // The check lists and asks through `ports`, the editor's own, and makes more with the link's
  // port maker where the MIDI system needs them.
  CheckWindow(MidiPorts& ports, ComboLink& link, QWidget* mainWindow);
  ~CheckWindow() override;

  // Shows the window and checks the pair the link uses.
  void showAndCheck();
  void check();
  bool checking() const;

  QPlainTextEdit* report = nullptr;
  QPushButton* again = nullptr;
  QPushButton* copy = nullptr;

 private:
  void tick();

  MidiPorts& ports_;
  ComboLink& link_;
  std::unique_ptr<ConnectionCheck> check_;
  QTimer* timer_ = nullptr;
};

}  // namespace kestralux
