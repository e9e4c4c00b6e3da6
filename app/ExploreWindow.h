#pragma once
// EDIT > EXPLORE: looking for a sound from the preset on screen, in a tool window that stays
// above the main window. VARY and AGAIN, a MORPH toward another preset heard while its slider
// moves, and the CLIMB: eight candidates the combo plays on keys 1 to 8, marked with Space,
// bred with Enter, taken back with Backspace, one of them kept with KEEP. A lock per control,
// here and on the main window's captions (right-click), kept between runs. What it does is the
// core's explore session; this is its view.

#include <QWidget>

#include <array>
#include <map>
#include <memory>

#include "explore/ExploreSession.h"

class QAction;
class QCheckBox;
class QComboBox;
class QLabel;
class QPushButton;
class QSlider;
class QSpinBox;

namespace kestralux {

class BankWindow;
class TForm1;

class ExploreWindow : public QWidget {
  Q_OBJECT

 public:
  // The bank window's library, when there is one, offers its selected sound to morph toward.
  explicit ExploreWindow(TForm1& form, BankWindow* bank = nullptr);
  ~ExploreWindow() override;

  // Opens the window where it was last, or beside the main window the first time.
  void showBeside();
  // The locks as the core holds them, shown here and on the main window's captions.
  void setLocked(int parameter, bool locked);
  void say(const std::string& text);

  TForm1& form;
  ExploreSession session;

  QLabel* status = nullptr;
  QSpinBox* amount = nullptr;
  QPushButton* varyButton = nullptr;
  QPushButton* againButton = nullptr;
  QComboBox* morphTarget = nullptr;
  QSlider* morphSlider = nullptr;
  QPushButton* climbButton = nullptr;
  std::array<QPushButton*, kCandidates> candidateButtons{};
  QPushButton* breedButton = nullptr;
  QPushButton* backButton = nullptr;
  QPushButton* keepButton = nullptr;
  std::map<int, QCheckBox*> lockBoxes;  // by parameter
  QAction* exploreAction = nullptr;  // EDIT > EXPLORE in the main window

 protected:
  void hideEvent(QHideEvent* event) override;
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  void chooseMorphTarget(int index);
  void showCandidates();
  void saveLocks();
  ExploreSession::Hooks hooks();

  BankWindow* bank_;
  class LockMarks;
  LockMarks* marks_ = nullptr;
};

}  // namespace kestralux
