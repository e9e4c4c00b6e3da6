#pragma once
// The start-up picture. It reacts to nothing; the start-up code alone decides when it goes.

#include <QWidget>

class QLabel;

namespace kestralux {

class TSplashForm : public QWidget {
  Q_OBJECT

 public:
  explicit TSplashForm(QWidget* parent = nullptr);

  QLabel* Image1;
};

}  // namespace kestralux
