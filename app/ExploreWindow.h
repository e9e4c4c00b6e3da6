#pragma once
// EDIT > EXPLORE: looking for a sound from the preset on screen, in a tool window that stays
// above the main window. VARY and AGAIN, a MORPH toward another preset heard while its slider
// moves, and the CLIMB: eight candidates the combo plays on keys 1 to 8, marked with Space,
// bred with Enter, taken back with Backspace while the candidate strip has the focus, one of
// them kept with KEEP. A lock per control, here and on the main window's captions
// (CaptionLocks), kept between runs. What it does is the explore session's, made by the
// editor's actions; this is its view.

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

class EditorActions;

class ExploreWindow : public QWidget {
  Q_OBJECT

 public:
  // A tool window of `mainWindow`. The library sound the user picked last is offered to morph
  // toward.
  ExploreWindow(EditorActions& actions, QWidget* mainWindow);
  ~ExploreWindow() override;
  // The menu command that opens the window; Ctrl+E.
  void openWith(QAction* command);

  // Opens the window where it was last, or beside the main window the first time.
  void showBeside();
  // The locks as the core holds them, shown here and on the main window's captions.
  void setLocked(int parameter, bool locked);
  void say(const std::string& text);

  ExploreSession session;

  QLabel* status = nullptr;
  QSpinBox* amount = nullptr;
  QPushButton* varyButton = nullptr;
  QPushButton* againButton = nullptr;
  QComboBox* morphTarget = nullptr;
  QSlider* morphSlider = nullptr;
  // CLIMB and the eight candidates: the climb's keys act while the focus is here.
  QWidget* candidateStrip = nullptr;
  QPushButton* climbButton = nullptr;
  std::array<QPushButton*, kCandidates> candidateButtons{};
  QPushButton* breedButton = nullptr;
  QPushButton* backButton = nullptr;
  QPushButton* keepButton = nullptr;
  std::map<int, QCheckBox*> lockBoxes;  // by parameter
  QAction* exploreAction = nullptr;  // EDIT > EXPLORE in the main window

 signals:
  // A lock was set or taken away, here or on a caption.
  void locksChanged();

 protected:
  void hideEvent(QHideEvent* event) override;
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  void chooseMorphTarget(int index);
  // The slots in MORPH TOWARD by number, name and amp model, as the bank holds them now.
  void nameSlotTargets();
  void showCandidates();
  void saveLocks();

  EditorActions& actions_;
  int listener_ = 0;
};

}  // namespace kestralux
