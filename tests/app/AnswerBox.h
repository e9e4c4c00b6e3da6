#pragma once
// Answers the program's next modal message box as a user would, with a click on one of its
// buttons, once the box is up.

#include <QApplication>
#include <QMessageBox>
#include <QPointer>
#include <QPushButton>
#include <QTest>
#include <QTimer>

namespace kestralux::test {

// Notes the box's caption and text where asked. Delete the returned watcher when no box is
// expected after all.
inline QPointer<QTimer> answerBox(QMessageBox::StandardButton button, QString* caption = nullptr,
                                  QString* text = nullptr) {
  auto* poll = new QTimer;
  QObject::connect(poll, &QTimer::timeout, [=] {
    auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
    if (!box || !box->isVisible()) return;
    poll->stop();
    poll->deleteLater();
    if (caption) *caption = box->windowTitle();
    if (text) *text = box->text();
    QTest::mouseClick(box->button(button), Qt::LeftButton);
  });
  poll->start(5);
  return poll;
}

}  // namespace kestralux::test
