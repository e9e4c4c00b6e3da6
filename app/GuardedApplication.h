#pragma once
// The Qt application object of the editor. An exception that escapes a handler while the
// event loop runs is shown to the user in a message box with its text, and the program goes
// on, instead of ending without a word.

#include <QApplication>
#include <QString>
#include <functional>

namespace kestralux {

class GuardedApplication : public QApplication {
 public:
  GuardedApplication(int& argc, char** argv);

  bool notify(QObject* receiver, QEvent* event) override;

  // Shows the text of an exception; a box by default, replaceable in tests.
  std::function<void(const QString& text)> showError;

  static void showErrorBox(const QString& text);
};

}  // namespace kestralux
