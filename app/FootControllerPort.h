#pragma once
// The foot controller's input port in the editor: a port object of its own beside the combo's,
// opened by name on the port the user chose, its messages handed over from the MIDI thread to
// the window's and on to the stage's actions. A port that goes and comes back is listened to
// again; one not there yet is looked for once a second.

#include <QObject>

#include <cstdint>
#include <functional>
#include <memory>
#include <span>
#include <string>
#include <vector>

#include "midi/MidiPorts.h"

class QTimer;

namespace kestralux {

class FootControllerPort : public QObject {
  Q_OBJECT

 public:
  using Delivery = std::function<void(std::span<const std::uint8_t> bytes)>;
  using PortsMaker = std::function<std::unique_ptr<MidiPorts>()>;

  // The port object is made when first needed: a run without a controller makes none.
  FootControllerPort(PortsMaker makePorts, Delivery deliver, QObject* parent = nullptr);
  ~FootControllerPort() override;

  // The input ports a controller can be: every one but `comboInput`.
  std::vector<std::string> choices(const std::string& comboInput);
  // Listens to the port of that name from now on; empty: to none. Whether it is open now.
  bool listenTo(const std::string& name);
  const std::string& port() const { return name_; }
  bool listening() const;

  // The once-a-second look, for tests to run.
  void look();

 signals:
  void listeningChanged(bool listening);

 private:
  bool open();
  MidiPorts* ports();

  PortsMaker makePorts_;
  std::unique_ptr<MidiPorts> ports_;
  Delivery deliver_;
  std::string name_;
  bool open_ = false;
  QTimer* looks_ = nullptr;
};

}  // namespace kestralux
