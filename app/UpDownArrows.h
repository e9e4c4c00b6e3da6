#pragma once
// Two stacked arrow buttons holding a position within a range, without wrapping. Every
// click of either arrow reports clicked(), also at the ends of the range, the way the
// preset stepper expects.

#include <QWidget>

class QToolButton;

namespace kestralux {

class UpDownArrows : public QWidget {
  Q_OBJECT

 public:
  explicit UpDownArrows(QWidget* parent = nullptr);

  void setRange(int minimum, int maximum);
  int minimum() const { return minimum_; }
  int maximum() const { return maximum_; }

  void setPosition(int position);
  int position() const { return position_; }

  QToolButton* upArrow() const { return up_; }
  QToolButton* downArrow() const { return down_; }

 signals:
  void clicked();

 protected:
  void resizeEvent(QResizeEvent* event) override;

 private:
  void step(int delta);

  QToolButton* up_;
  QToolButton* down_;
  int minimum_ = 0;
  int maximum_ = 100;
  int position_ = 0;
};

}  // namespace kestralux
