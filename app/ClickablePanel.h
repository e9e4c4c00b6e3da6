#pragma once
// A panel that takes clicks: a caption centred on a coloured face inside one or two bevels.
// The amp model selector, the device transfer commands and the effect frame are all made
// of it, because their look (raised or lowered) carries meaning that a push button cannot.

#include <QColor>
#include <QFrame>
#include <QString>

namespace kestralux {

enum class Bevel { None, Raised, Lowered };

class ClickablePanel : public QFrame {
  Q_OBJECT

 public:
  explicit ClickablePanel(QWidget* parent = nullptr);

  void setCaption(const QString& caption);
  QString caption() const { return caption_; }

  void setOuterBevel(Bevel bevel);
  Bevel outerBevel() const { return outer_; }
  void setInnerBevel(Bevel bevel);
  Bevel innerBevel() const { return inner_; }
  void setBevelWidth(int width);
  int bevelWidth() const { return bevelWidth_; }
  void setBorderWidth(int width);
  int borderWidth() const { return borderWidth_; }

  void setColour(const QColor& colour);
  QColor colour() const;

  // The edge colours of every bevel: the lit side and the shaded side.
  static QColor bevelHighlight();
  static QColor bevelShadow();

 signals:
  void clicked();

 protected:
  void paintEvent(QPaintEvent* event) override;
  void mousePressEvent(QMouseEvent* event) override;
  void mouseReleaseEvent(QMouseEvent* event) override;

 private:
  QString caption_;
  Bevel outer_ = Bevel::Raised;
  Bevel inner_ = Bevel::None;
  int bevelWidth_ = 2;
  int borderWidth_ = 0;
  bool pressed_ = false;
};

}  // namespace kestralux
