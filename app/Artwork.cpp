#include "app/Artwork.h"

#include <QFont>
#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>

namespace kestralux {

namespace {

QFont letteringFont(int pixelSize, bool bold = true) {
  QFont f(QStringLiteral("Liberation Sans"));
  f.setPixelSize(pixelSize);
  f.setBold(bold);
  return f;
}

// The maker's mark: a bird of prey's wing cut by a stylised H, inside a ring.
void drawMakerMark(QPainter& p, const QRectF& box, const QColor& ring, const QColor& wing,
                   const QColor& letter) {
  const qreal w = box.width();
  const qreal h = box.height();
  p.setPen(QPen(ring, w * 0.06));
  p.setBrush(Qt::NoBrush);
  p.drawEllipse(box.adjusted(w * 0.05, h * 0.05, -w * 0.05, -h * 0.05));

  QPainterPath wingPath;
  wingPath.moveTo(box.left() + w * 0.15, box.top() + h * 0.62);
  wingPath.cubicTo(box.left() + w * 0.35, box.top() + h * 0.20, box.left() + w * 0.70,
                   box.top() + h * 0.15, box.left() + w * 0.90, box.top() + h * 0.30);
  wingPath.cubicTo(box.left() + w * 0.65, box.top() + h * 0.35, box.left() + w * 0.45,
                   box.top() + h * 0.50, box.left() + w * 0.15, box.top() + h * 0.62);
  p.setPen(Qt::NoPen);
  p.setBrush(wing);
  p.drawPath(wingPath);

  p.setPen(letter);
  p.setFont(letteringFont(static_cast<int>(h * 0.45)));
  p.drawText(box.adjusted(0, h * 0.25, 0, 0), Qt::AlignCenter, QStringLiteral("H"));
}

}  // namespace

QVector<QRgb> sixteenColourTable() {
  return {qRgb(0, 0, 0),       qRgb(128, 0, 0),   qRgb(0, 128, 0),     qRgb(128, 128, 0),
          qRgb(0, 0, 128),     qRgb(128, 0, 128), qRgb(0, 128, 128),   qRgb(128, 128, 128),
          qRgb(192, 192, 192), qRgb(255, 0, 0),   qRgb(0, 255, 0),     qRgb(255, 255, 0),
          qRgb(0, 0, 255),     qRgb(255, 0, 255), qRgb(0, 255, 255),   qRgb(255, 255, 255)};
}

QImage makeSplashPicture() {
  QImage image(kSplashPictureWidth, kSplashPictureHeight, QImage::Format_RGB32);
  image.fill(Qt::black);
  QPainter p(&image);
  p.setRenderHint(QPainter::Antialiasing, false);
  p.setRenderHint(QPainter::TextAntialiasing, false);

  drawMakerMark(p, QRectF(392, 60, 240, 240), QColor(255, 0, 0), QColor(255, 255, 0), QColor(255, 255, 255));

  p.setPen(QColor(255, 255, 255));
  p.setFont(letteringFont(96));
  p.drawText(QRect(0, 320, kSplashPictureWidth, 120), Qt::AlignCenter, QStringLiteral("HALVERIK"));

  p.setPen(QPen(QColor(255, 0, 0), 6));
  p.drawLine(212, 450, 812, 450);

  p.setPen(QColor(0, 255, 255));
  p.setFont(letteringFont(48));
  p.drawText(QRect(0, 480, kSplashPictureWidth, 70), Qt::AlignCenter, QStringLiteral("KESTRALUX PRESET MANAGER"));

  p.setPen(QColor(192, 192, 192));
  p.setFont(letteringFont(32, false));
  p.drawText(QRect(0, 580, kSplashPictureWidth, 50), Qt::AlignCenter, QStringLiteral("V1.01"));

  // A square wave along the foot, the product's sign.
  p.setPen(QPen(QColor(0, 255, 0), 4));
  QPolygon wave;
  int y = 700;
  for (int x = 112; x <= 912; x += 40) {
    wave << QPoint(x, y);
    y = y == 700 ? 670 : 700;
    wave << QPoint(x, y);
  }
  p.drawPolyline(wave);
  p.end();
  return image.convertToFormat(QImage::Format_Indexed8, sixteenColourTable(), Qt::ThresholdDither);
}

QVector<QRgb> twoHundredFiftySixColourTable() {
  QVector<QRgb> table = sixteenColourTable();
  for (int r = 0; r < 6; ++r)
    for (int g = 0; g < 6; ++g)
      for (int b = 0; b < 6; ++b) table << qRgb(r * 51, g * 51, b * 51);
  // The lettering's gold runs through tones the cube lacks; without them it would band.
  for (int i = 0; i < 24; ++i)
    table << qRgb(255 - i * 55 / 23, 255 - i * 115 / 23, 160 - i * 160 / 23);
  return table;
}

QImage makeWindowLogo() {
  QImage image(kWindowLogoWidth, kWindowLogoHeight, QImage::Format_RGB32);
  image.fill(QColor(0, 0, 128));
  QPainter p(&image);
  p.setRenderHint(QPainter::Antialiasing);
  // The window shows rows 8 to 40 only: its box starts 8 rows above the client area and is
  // 41 rows high. Everything is drawn inside those rows.
  drawMakerMark(p, QRectF(3, kWindowLogoFirstShownRow + 1, 31, 31), QColor(255, 0, 0),
                QColor(255, 255, 0), QColor(255, 255, 255));
  QLinearGradient gold(0, 12, 0, 32);
  gold.setColorAt(0, QColor(255, 255, 160));
  gold.setColorAt(1, QColor(200, 140, 0));
  p.setPen(QPen(QBrush(gold), 1));
  p.setFont(letteringFont(20));
  p.drawText(QRect(40, kWindowLogoFirstShownRow + 2, 110, 24), Qt::AlignLeft | Qt::AlignVCenter,
             QStringLiteral("HALVERIK"));
  p.setPen(QPen(QColor(255, 0, 0), 2));
  p.drawLine(41, kWindowLogoLastShownRow - 3, 146, kWindowLogoLastShownRow - 3);
  p.end();
  // Nearest colours, no dithering: the ground must stay the window's own navy, not a pattern.
  return image.convertToFormat(QImage::Format_Indexed8, twoHundredFiftySixColourTable(),
                               Qt::ThresholdDither);
}

QImage makeApplicationIcon() {
  QImage image(kIconSize, kIconSize, QImage::Format_RGB32);
  image.fill(Qt::black);
  QPainter p(&image);
  p.setRenderHint(QPainter::Antialiasing, false);
  // Cabinet.
  p.fillRect(4, 2, 24, 20, QColor(128, 128, 128));
  p.fillRect(5, 3, 22, 18, QColor(128, 0, 0));
  // Control strip with knobs.
  p.fillRect(5, 3, 22, 4, QColor(192, 192, 192));
  for (int x = 7; x < 26; x += 4) p.fillRect(x, 4, 2, 2, QColor(0, 0, 0));
  // Speaker grille.
  p.setPen(QColor(0, 0, 0));
  p.setBrush(QColor(128, 128, 128));
  p.drawEllipse(10, 9, 11, 11);
  // Green square wave below.
  p.setPen(QColor(0, 255, 0));
  QPolygon wave;
  int y = 29;
  for (int x = 2; x <= 30; x += 4) {
    wave << QPoint(x, y);
    y = y == 29 ? 25 : 29;
    wave << QPoint(x, y);
  }
  p.drawPolyline(wave);
  p.end();
  return image.convertToFormat(QImage::Format_Indexed8, sixteenColourTable(), Qt::ThresholdDither);
}

}  // namespace kestralux
