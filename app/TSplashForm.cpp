#include "app/TSplashForm.h"

#include <QLabel>

#include "app/Artwork.h"

namespace kestralux {

TSplashForm::TSplashForm(QWidget* parent) : QWidget(parent), Image1(new QLabel(this)) {
  setObjectName("SplashForm");
  setWindowTitle(QStringLiteral("HALVERIK KESTRALUX PRESET MANAGER V1.01"));
  setGeometry(200, 108, 813, 614);
  setWindowState(Qt::WindowMaximized);
  setAutoFillBackground(true);
  QPalette p = palette();
  p.setColor(QPalette::Window, Qt::black);
  setPalette(p);

  Image1->setObjectName("Image1");
  Image1->setAlignment(Qt::AlignLeft | Qt::AlignTop);
  Image1->setPixmap(QPixmap::fromImage(makeSplashPicture()));
  Image1->setGeometry(88, 88, kSplashPictureWidth, kSplashPictureHeight);
}

}  // namespace kestralux
