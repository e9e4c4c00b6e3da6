#include <exception>

#include "app/Application.h"
#include "app/GuardedApplication.h"
#include "app/QuitOnSignal.h"
#include "midi/RtMidiPorts.h"

int main(int argc, char** argv) {
  kestralux::GuardedApplication qtApplication(argc, argv);
  kestralux::QuitOnSignal quitOnSignal;
  try {
    kestralux::KestraluxApplication application(std::make_unique<kestralux::RtMidiPorts>());
    application.startUp();
    return application.run();
  } catch (const std::exception& error) {
    kestralux::GuardedApplication::showErrorBox(QString::fromLocal8Bit(error.what()));
  } catch (...) {
    kestralux::GuardedApplication::showErrorBox(QStringLiteral("Unknown error"));
  }
  return 0;
}
