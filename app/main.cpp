#include <QApplication>
#include <QMessageBox>
#include <exception>

#include "app/Application.h"
#include "app/QuitOnSignal.h"
#include "midi/RtMidiPorts.h"

int main(int argc, char** argv) {
  QApplication qtApplication(argc, argv);
  kestralux::QuitOnSignal quitOnSignal;
  try {
    kestralux::KestraluxApplication application(std::make_unique<kestralux::RtMidiPorts>());
    application.startUp();
    return application.run();
  } catch (const std::exception& error) {
    QMessageBox::critical(nullptr, QStringLiteral("KESTRALUX"), QString::fromLocal8Bit(error.what()));
  } catch (...) {
    QMessageBox::critical(nullptr, QStringLiteral("KESTRALUX"), QStringLiteral("Unknown error"));
  }
  return 0;
}
