#include "link/ComboLink.h"

#include <algorithm>
#include <cstdio>

namespace kestralux {

namespace {

std::optional<std::uint32_t> indexOf(const std::vector<std::string>& names, const std::string& name) {
  if (name.empty()) return std::nullopt;
  const auto it = std::find(names.begin(), names.end(), name);
  if (it == names.end()) return std::nullopt;
  return static_cast<std::uint32_t>(it - names.begin());
}

std::string nameAt(const std::vector<std::string>& names, std::uint32_t device) {
  return device < names.size() ? names[device] : std::string();
}

}  // namespace

ComboLink::ComboLink(MidiPorts& ports, EditorState& state, std::filesystem::path configPath)
    : engine(ports), protocol(state, engine), ports_(ports), state_(state), configPath_(std::move(configPath)) {
  engine.choosePortsWith([this] { return outputNow(); }, [this] { return inputNow(); });
  engine.setReceiver([this](std::span<const std::uint8_t> message) { receive(message); });
  engine.setCardErrorHook([this] {
    // The port may be gone: the next tick looks, so the caption follows at once.
    lookSoon_ = true;
    if (cardError) cardError();
  });
}

ComboLink::~ComboLink() { stop(); }

void ComboLink::setPoster(Poster poster) {
  poster_ = poster;
  engine.setInputPoster(std::move(poster));
}

void ComboLink::stop() {
  if (finder_) finder_->stop();
  finder_.reset();
  engine.CLOSE_MIDI_IN();
  engine.CLOSE_MIDI_OUT();
}

void ComboLink::readPorts() {
  outputs_ = ports_.outputPortNames();
  inputs_ = ports_.inputPortNames();
}

// The one place a chosen port becomes a number: its position in the list read now.
std::optional<std::uint32_t> ComboLink::outputNow() {
  outputs_ = ports_.outputPortNames();
  return indexOf(outputs_, chosen_.output);
}

std::optional<std::uint32_t> ComboLink::inputNow() {
  inputs_ = ports_.inputPortNames();
  return indexOf(inputs_, chosen_.input);
}

std::optional<std::uint32_t> ComboLink::outputNumber() const { return indexOf(outputs_, chosen_.output); }
std::optional<std::uint32_t> ComboLink::inputNumber() const { return indexOf(inputs_, chosen_.input); }

bool ComboLink::listedNow() const { return outputNumber() && inputNumber(); }

void ComboLink::start(const StartUp& how) {
  readPorts();
  // With nothing remembered, the first port of each kind.
  chosen_ = {nameAt(outputs_, 0), nameAt(inputs_, 0)};
  const std::optional<ComboConfig> config = LOAD_CONFIG(configPath_);
  const std::optional<PortNames> names = LOAD_PORT_NAMES(configPath_.parent_path() / kComboPortsName);
  remembered_ = config || names;
  if (config) chosen_ = {nameAt(outputs_, config->OUT_DEVICE), nameAt(inputs_, config->IN_DEVICE)};
  // The names say which ports the numbers meant, wherever they are listed now, and whether
  // they are listed at all.
  if (names && !names->output.empty()) chosen_.output = names->output;
  if (names && !names->input.empty()) chosen_.input = names->input;

  listed_ = listedNow();
  comboAtHand_ = remembered_ && listed_;
  if (how.listen) engine.OPEN_MIDI_IN();
  if (how.startupMessage) protocol.SendStartup();
  lastLook_ = clock();

  const bool searchNow = how.search == SearchAtStart::WhenNotAtHand ? !comboAtHand_
                         : how.search == SearchAtStart::WhenNothingRemembered ? !remembered_
                                                                              : false;
  if (searchNow && findCombo(how.found)) {
  } else if (comboAtHand_ && how.fetchWhenAtHand && ports_.isInputOpen()) {
    transfers.fetch();
  }
  setConnected(listed_ && ports_.isInputOpen());
}

void ComboLink::usePorts(const PortNames& names) {
  engine.CLOSE_MIDI_IN();
  engine.OUT_USED = false;
  engine.CLOSE_MIDI_OUT();
  chosen_ = names;
  readPorts();
  engine.OPEN_MIDI_IN();
  listed_ = listedNow();
  setConnected(listed_ && ports_.isInputOpen());
}

bool ComboLink::rememberPorts() {
  const ComboConfig numbers{outputNumber().value_or(0), inputNumber().value_or(0)};
  // The data folder may not be there yet at a first start; a failure is the save's to say.
  std::error_code ignored;
  if (configPath_.has_parent_path()) std::filesystem::create_directories(configPath_.parent_path(), ignored);
  if (!SAVE_CONFIG(numbers, configPath_)) return false;
  return SAVE_PORT_NAMES(chosen_, configPath_.parent_path() / kComboPortsName);
}

void ComboLink::setConnected(bool connected) {
  if (connected_ == connected) return;
  connected_ = connected;
  if (connectionChanged) connectionChanged(connected);
}

void ComboLink::look() {
  lastLook_ = clock();
  lookSoon_ = false;
  readPorts();
  const bool listed = listedNow();
  if (!listed) heardSinceGone_ = false;
  const bool appeared = listed && !listed_;
  listed_ = listed;
  // Ports that came back are new ports: an input opened on the old one hears nothing. One
  // that has brought a message since (the engine reconnects by itself after a failed send or
  // when told of the port's return) is left alone, so no answer on its way is cut off.
  if ((appeared && !heardSinceGone_ && !protocol.fetch.waiting() && !transfers.running()) || (listed && !ports_.isInputOpen()))
    engine.OPEN_MIDI_IN();
  const bool wasConnected = connected();
  setConnected(listed && ports_.isInputOpen());
  if (!connected() || wasConnected) return;
  // Whatever the combo plays now, it plays what the screen shows once the burst is in:
  // edits made while it was away reach it too.
  state_.PresetResendPending = true;
  if (!protocol.bankReceived && !protocol.fetch.waiting() && !transfers.running()) transfers.fetch();
}

void ComboLink::receive(std::span<const std::uint8_t> message) {
  // The search hears the combo's answer on its own ports and hands it over whole; taken here
  // too, it would be a second fetch.
  if (finder_) return;
  heardSinceGone_ = true;
  RxStoreResult result = rx.store(message);
  // A sender faster than the tick: what waits is decoded now, so nothing of ours is lost.
  if (result == RxStoreResult::RingFull) {
    decodeWaiting();
    result = rx.store(message);
  }
  // Messages of ten bytes or less are never kept; they are not counted as lost.
  if (result == RxStoreResult::TooLong || result == RxStoreResult::RingFull) ++droppedMessages_;
}

void ComboLink::decodeWaiting() {
  while (rx.RX_PENDING) {
    const RxSlot& slot = rx.takeNext();
    if (decoder_)
      decoder_(slot);
    else if (!transfers.receive(slot))
      protocol.DecodeNextSlot(slot);
  }
}

void ComboLink::reportDrops() {
  // Said once a flood: at the first tick that finds messages lost since the one before.
  const int lost = droppedMessages_ - droppedAtLastTick_;
  droppedAtLastTick_ = droppedMessages_;
  if (lost > 0 && !losingAtLastTick_) {
    std::fprintf(stderr, "kestralux: %d received messages dropped (longer than a preset message, or more than the receive ring holds)\n", lost);
    // Another device's long message outside a fetch is no news to the user of the window.
    if (protocol.fetch.waiting()) protocol.ReportDropped(lost);
  }
  losingAtLastTick_ = lost > 0;
}

void ComboLink::tick() {
  engine.followReturnedPorts();
  if (state_.PresetResendPending && !state_.StoreInProgress) {
    // Cleared first: a preset change made while a box of this burst is open asks again.
    state_.PresetResendPending = false;
    protocol.SendWholePreset();
  }
  decodeWaiting();
  // The driver's fetch runs on this tick; one asked for without it is ended here.
  if (transfers.fetching())
    transfers.wake();
  else
    protocol.CheckTransferSilence();
  reportDrops();
  if (finder_) {
    searchTick();
    return;
  }
  if (lookSoon_ || clock() - lastLook_ >= kLookInterval) look();
}

bool ComboLink::findCombo(FoundPair found) {
  if (!portsMaker || finder_ || protocol.fetch.waiting() || transfers.running()) return false;
  finder_ = std::make_unique<ComboFinder>(portsMaker, poster_ ? poster_ : [](std::function<void()> work) { work(); }, clock,
                                          &ports_);
  foundUse_ = found;
  found_.reset();
  foundAnswer_.clear();
  takeWhenEnded_ = false;
  setSearch(Search::Running);
  if (finder_->start() != ComboDetection::State::Running) searchTick();
  return true;
}

void ComboLink::setSearch(Search search) {
  search_ = search;
  if (searchChanged) searchChanged(search);
}

void ComboLink::searchTick() {
  const ComboDetection::State state = finder_->tick();
  if (state == ComboDetection::State::Running) return;
  if (state == ComboDetection::State::NotFound) {
    finder_.reset();
    setSearch(Search::NotFound);
    return;
  }
  if (!found_) {
    const ComboPair pair = *finder_->detection().found();
    found_ = PortNames{finder_->outputNames()[pair.output], finder_->inputNames()[pair.input]};
    if (foundUse_ != FoundPair::Offer) {
      usePorts(*found_);
      if (foundUse_ == FoundPair::UseAndRemember) rememberPorts();
      protocol.SendStartup();
      takeWhenEnded_ = true;
    }
    setSearch(Search::Found);
  }
  // The combo is still sending its bank: the search listens to the end of it.
  if (!finder_->detection().answerEnded()) return;
  foundAnswer_ = finder_->detection().answer();
  // Whether or not the answer is taken, its twin is not a transfer of its own.
  protocol.fetch.expectSpareAnswers(finder_->detection().spareAnswers(), clock());
  finder_.reset();
  if (takeWhenEnded_) takeFoundBank();
}

void ComboLink::takeFoundBank() {
  if (finder_) {
    takeWhenEnded_ = true;
    return;
  }
  takeWhenEnded_ = false;
  if (foundAnswer_.empty()) return;
  protocol.fetch.requested(clock(), false);
  transfers.followFetch();
  for (const ComboDetection::Message& m : foundAnswer_) receive(m);
  foundAnswer_.clear();
}

}  // namespace kestralux
