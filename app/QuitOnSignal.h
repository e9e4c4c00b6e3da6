#pragma once
// Ends the event loop on SIGINT or SIGTERM (Ctrl+C in a terminal, a stopping session), so the
// program shuts down as if its window were closed: MIDI connections are closed and a JACK
// server is not left waiting for a client that vanished.

#include <QObject>

namespace kestralux {

class QuitOnSignal : public QObject {
  Q_OBJECT

 public:
  explicit QuitOnSignal(QObject* parent = nullptr);
  ~QuitOnSignal() override;

  // Whether a termination signal came: start-up then ends without entering the event loop.
  static bool requested();
};

}  // namespace kestralux
