#include "app/QuitOnSignal.h"

#include <QApplication>
#include <QWidget>

#ifdef Q_OS_UNIX
#include <QSocketNotifier>
#include <csignal>
#include <sys/socket.h>
#include <unistd.h>
#endif

namespace kestralux {

#ifdef Q_OS_UNIX
namespace {

// A signal handler may only write to a descriptor; the event loop reads the other end.
int signalPipe[2] = {-1, -1};
bool terminationRequested = false;

void onSignal(int) {
  const char byte = 1;
  [[maybe_unused]] const auto written = ::write(signalPipe[0], &byte, 1);
}

}  // namespace

QuitOnSignal::QuitOnSignal(QObject* parent) : QObject(parent) {
  if (::socketpair(AF_UNIX, SOCK_STREAM, 0, signalPipe) != 0) return;
  auto* notifier = new QSocketNotifier(signalPipe[1], QSocketNotifier::Read, this);
  connect(notifier, &QSocketNotifier::activated, this, [] {
    char byte = 0;
    [[maybe_unused]] const auto got = ::read(signalPipe[1], &byte, 1);
    terminationRequested = true;
    // A message box runs a loop of its own; it is closed first so its caller can go on.
    if (QWidget* box = QApplication::activeModalWidget()) box->close();
    QApplication::quit();
  });
  struct sigaction action {};
  action.sa_handler = onSignal;
  sigemptyset(&action.sa_mask);
  action.sa_flags = SA_RESTART;
  sigaction(SIGINT, &action, nullptr);
  sigaction(SIGTERM, &action, nullptr);
}

QuitOnSignal::~QuitOnSignal() {
  std::signal(SIGINT, SIG_DFL);
  std::signal(SIGTERM, SIG_DFL);
  for (int& fd : signalPipe) {
    if (fd >= 0) ::close(fd);
    fd = -1;
  }
}
bool QuitOnSignal::requested() { return terminationRequested; }
#else
bool QuitOnSignal::requested() { return false; }
QuitOnSignal::QuitOnSignal(QObject* parent) : QObject(parent) {}
QuitOnSignal::~QuitOnSignal() = default;
#endif

}  // namespace kestralux
