#pragma once
// The stage view: one song at a time, full screen on black, to be read from three metres by a
// player who has a guitar in both hands. It draws a StageScreen and hands every key and click
// on; what they mean is decided by the stage's actions, never here.
//
// Sizes follow the screen: the title's capital letters are an eighth of the screen's height or
// taller, everything that matters on stage is bold, and a text that does not fit its room is
// wrapped or shortened with an ellipsis, never cut.

#include <QWidget>

#include "actions/StageScreen.h"

class QLabel;
class QTimer;

namespace kestralux {

class StageView : public QWidget {
  Q_OBJECT

 public:
  explicit StageView(QWidget* parent = nullptr);

  void draw(const StageScreen& screen);
  const StageScreen& shown() const { return screen_; }
  // The moment's message on screen now; empty once its second is over.
  const QString& passingShown() const { return passingShown_; }

  // The title's font: its capital letters at least `height` / 8 tall.
  static QFont titleFont(int height);
  // `text` wrapped at spaces into at most `maxLines` lines no wider than `width`, the last
  // shortened with an ellipsis when the rest does not fit.
  static QStringList fitLines(const QString& text, const QFont& font, int width, int maxLines);

  // "COMBO NOT CONNECTED" in a red band across the top, while the link has no combo.
  QLabel* connection = nullptr;
  // Where the band is not needed: the foot controller and the keys that are not steps.
  QLabel* hint = nullptr;
  QLabel* title = nullptr;
  QLabel* sound = nullptr;
  QLabel* note = nullptr;
  // "NEXT: TITLE", or "END OF THE SET" on the last song.
  QLabel* next = nullptr;
  QLabel* position = nullptr;
  // A moment's message, or the number being typed toward a jump.
  QLabel* passing = nullptr;

  // How long a passing message stays.
  static constexpr int kPassingMs = 1000;

 signals:
  // Every key but the window's own, with its text (digits for a jump).
  void keyPressed(int key, const QString& text);
  // A click, on the right half (next) or the left (previous).
  void clicked(bool rightHalf);

 protected:
  void resizeEvent(QResizeEvent* event) override;
  void keyPressEvent(QKeyEvent* event) override;
  void mousePressEvent(QMouseEvent* event) override;

 private:
  void arrange();

  StageScreen screen_;
  QString passingShown_;
  QTimer* passingTimer_ = nullptr;
};

}  // namespace kestralux
