#pragma once
// A label that never asks for more room than it is given: a text wider than the label is
// drawn shortened in the middle, and the whole text is its tooltip. So a long status or error
// text can neither run under the controls beside it nor widen its window.

#include <QLabel>

namespace kestralux {

class ElidedLabel : public QLabel {
 public:
  using QLabel::QLabel;

  // The text as drawn at the label's present width.
  QString shownText() const;
  bool elided() const { return shownText() != text(); }

  QSize minimumSizeHint() const override;

 protected:
  bool event(QEvent* event) override;
  void paintEvent(QPaintEvent* event) override;
};

}  // namespace kestralux
