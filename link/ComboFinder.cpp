#include "link/ComboFinder.h"

#include <algorithm>

#include "protocol/Sysex.h"

namespace kestralux {

ComboFinder::ComboFinder(PortsMaker makePorts, Poster post, Clock clock, MidiPorts* portsAtHand)
    : makePorts_(std::move(makePorts)),
      post_(std::move(post)),
      clock_(std::move(clock)),
      portsAtHand_(portsAtHand),
      detection_(0, 0, nullptr) {}

ComboFinder::~ComboFinder() { stop(); }

ComboDetection::State ComboFinder::start() {
  stop();
  session_ = std::make_shared<int>(0);
  const std::weak_ptr<int> session = session_;
  const MidiPorts::TaggedDelivery heard = [this, session](std::uint32_t input, std::vector<std::uint8_t> message) {
    const TransferClock::time_point at = clock_();
    post_([this, session, input, at, message = std::move(message)] {
      if (session.lock()) detection_.receive(input, message, at);
    });
  };
  // Where the MIDI system has it, one connection to every input and every output for the whole
  // search, so that asking and asking again costs nothing but the message; the caller's port
  // object makes it, so no other is made only to list the ports.
  if (portsAtHand_) {
    list(portsAtHand_);
    if (outputNames_.empty() || inputNames_.empty()) return detection_.start(clock_());
    search_ = portsAtHand_->connectForSearch(inputNames_, outputNames_, heard);
    if (search_) return detection_.start(clock_());
  }
  sender_ = makePorts_ ? makePorts_() : nullptr;
  list(sender_.get());
  // With nothing to send on or to listen to, there is nothing to wait for.
  if (outputNames_.empty() || inputNames_.empty()) return detection_.start(clock_());
  // Else one connection listening to every input, and the requests go out at once; otherwise
  // the inputs are opened one a tick.
  search_ = sender_->connectForSearch(inputNames_, outputNames_, heard);
  if (!search_) allListening_ = sender_->listenToAll(inputNames_, heard);
  if (search_ || allListening_) return detection_.start(clock_());
  nextListener_ = 0;
  return ComboDetection::State::Running;
}

void ComboFinder::list(MidiPorts* ports) {
  outputNames_ = ports ? ports->outputPortNames() : std::vector<std::string>{};
  inputNames_ = ports ? ports->inputPortNames() : std::vector<std::string>{};
  detection_ = ComboDetection(static_cast<std::uint32_t>(outputNames_.size()),
                              static_cast<std::uint32_t>(inputNames_.size()),
                              [this](std::uint32_t output) { return sendRequest(output); });
  nextListener_ = static_cast<std::uint32_t>(inputNames_.size());
}

void ComboFinder::listen(std::uint32_t input) {
  std::unique_ptr<MidiPorts> ports = makePorts_();
  if (!ports) return;
  // Found by name: a port that came or went since the sender listed them shifts the numbers.
  const std::vector<std::string> names = ports->inputPortNames();
  const auto it = std::find(names.begin(), names.end(), inputNames_[input]);
  if (it == names.end()) return;
  const auto device = static_cast<std::uint32_t>(it - names.begin());
  const std::weak_ptr<int> session = session_;
  const bool open = ports->openInput(device, [this, session, input](std::vector<std::uint8_t> message) {
    const TransferClock::time_point heard = clock_();
    post_([this, session, input, heard, message = std::move(message)] {
      if (session.lock()) detection_.receive(input, message, heard);
    });
  });
  if (open) listeners_.push_back(std::move(ports));
}

bool ComboFinder::sendRequest(std::uint32_t output) {
  const ParameterMessage request = buildParameterMessage(0, CODE_REQUEST_BANK, 0);
  if (search_) return search_->send(output, request);
  if (!sender_) return false;
  // The previous output stays open until now, so its request is not cut off on its way; one
  // asked again is still open.
  if (senderOutput_ != output || !sender_->isOutputOpen()) {
    sender_->closeOutput();
    senderOutput_ = output;
    if (!sender_->openOutput(output)) return false;
  }
  return sender_->sendMessage(request);
}

ComboDetection::State ComboFinder::tick() {
  if (nextListener_ >= inputNames_.size()) return detection_.tick(clock_());
  listen(nextListener_++);
  if (nextListener_ < inputNames_.size()) return ComboDetection::State::Running;
  return detection_.start(clock_());
}

void ComboFinder::stop() {
  session_.reset();
  allListening_.reset();
  nextListener_ = static_cast<std::uint32_t>(inputNames_.size());
  for (auto& listener : listeners_) listener->closeInput();
  listeners_.clear();
  search_.reset();
  if (sender_) sender_->closeOutput();
  sender_.reset();
  senderOutput_.reset();
}

}  // namespace kestralux
