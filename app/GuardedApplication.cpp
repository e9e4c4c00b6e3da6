#include "app/GuardedApplication.h"

#include <QMessageBox>
#include <exception>

namespace kestralux {

GuardedApplication::GuardedApplication(int& argc, char** argv)
    : QApplication(argc, argv), showError(&GuardedApplication::showErrorBox) {}

bool GuardedApplication::notify(QObject* receiver, QEvent* event) {
  try {
    return QApplication::notify(receiver, event);
  } catch (const std::exception& error) {
    if (showError) showError(QString::fromLocal8Bit(error.what()));
  } catch (...) {
    if (showError) showError(QStringLiteral("Unknown error"));
  }
  return false;
}

void GuardedApplication::showErrorBox(const QString& text) {
  QMessageBox::critical(nullptr, QStringLiteral("KESTRALUX"), text);
}

}  // namespace kestralux
