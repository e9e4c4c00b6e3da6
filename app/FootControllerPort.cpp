#include "app/FootControllerPort.h"

#include <QMetaObject>
#include <QTimer>

#include <algorithm>

namespace kestralux {

FootControllerPort::FootControllerPort(PortsMaker makePorts, Delivery deliver, QObject* parent)
    : QObject(parent), makePorts_(std::move(makePorts)), deliver_(std::move(deliver)) {
  looks_ = new QTimer(this);
  looks_->setInterval(1000);
  connect(looks_, &QTimer::timeout, this, &FootControllerPort::look);
}

FootControllerPort::~FootControllerPort() {
  // Its messages are posted to this object: the input closes before it goes.
  if (ports_) ports_->closeInput();
}

MidiPorts* FootControllerPort::ports() {
  if (!ports_ && makePorts_) ports_ = makePorts_();
  return ports_.get();
}

std::vector<std::string> FootControllerPort::choices(const std::string& comboInput) {
  std::vector<std::string> names = ports() ? ports_->inputPortNames() : std::vector<std::string>{};
  names.erase(std::remove(names.begin(), names.end(), comboInput), names.end());
  return names;
}

bool FootControllerPort::listening() const { return open_; }

bool FootControllerPort::listenTo(const std::string& name) {
  if (ports_) ports_->closeInput();
  const bool was = open_;
  open_ = false;
  name_ = name;
  if (name_.empty())
    looks_->stop();
  else
    looks_->start();
  open();
  if (open_ != was) emit listeningChanged(open_);
  return open_;
}

bool FootControllerPort::open() {
  if (name_.empty() || !ports()) return false;
  const std::vector<std::string> names = ports_->inputPortNames();
  const auto at = std::find(names.begin(), names.end(), name_);
  if (at == names.end()) return false;
  // On the MIDI thread: only handed over, to be read on the window's. The input is closed
  // before this object goes, and what was posted to it goes with it.
  open_ = ports_->openControllerInput(static_cast<std::uint32_t>(at - names.begin()), [this](std::vector<std::uint8_t> bytes) {
    QMetaObject::invokeMethod(
        this,
        [this, bytes = std::move(bytes)] {
          if (deliver_) deliver_(bytes);
        },
        Qt::QueuedConnection);
  });
  return open_;
}

void FootControllerPort::look() {
  if (name_.empty() || !ports_) return;
  const bool was = open_;
  if (open_ && ports_->inputPortReturned()) {
    ports_->closeInput();
    open_ = false;
  }
  if (!open_) open();
  if (open_ != was) emit listeningChanged(open_);
}

}  // namespace kestralux
