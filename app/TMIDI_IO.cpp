#include "app/TMIDI_IO.h"

#include <QCloseEvent>

#include <algorithm>
#include <QDir>
#include <QFileInfo>
#include <QMessageBox>
#include <QMetaObject>

#include "app/CardErrorBoxQt.h"
#include "files/ComboConfig.h"
#include "files/ComboPorts.h"
#include "model/EditorState.h"
#include "protocol/DeviceProtocol.h"

namespace kestralux {

namespace {

const QString kCardChangeCaption = QStringLiteral("MIDI CARD CHANGE.");
const QString kNoDevices = QStringLiteral("No Midi Devices Found!");
constexpr int kItemHeight = 13;
constexpr int kTickMilliseconds = 50;

const QColor kNavy(0, 0, 128);
const QColor kRed(255, 0, 0);

void colourLabel(QLabel* label, const QColor& colour) {
  label->setAutoFillBackground(true);
  QPalette p = label->palette();
  p.setColor(QPalette::Window, colour);
  label->setPalette(p);
  label->setAlignment(Qt::AlignHCenter | Qt::AlignTop);
}

void styleList(QListWidget* list) {
  QPalette p = list->palette();
  p.setColor(QPalette::Base, kNavy);
  p.setColor(QPalette::Text, Qt::white);
  list->setPalette(p);
  QFont f = list->font();
  f.setBold(true);
  list->setFont(f);
  list->setSelectionMode(QAbstractItemView::SingleSelection);
  list->setUniformItemSizes(true);
}

void turnRed(QListWidget* list) {
  QPalette p = list->palette();
  p.setColor(QPalette::Base, kRed);
  list->setPalette(p);
}

void fillList(QListWidget* list, std::vector<std::uint32_t>& map,
              const std::vector<std::string>& names) {
  list->clear();
  map.clear();
  // Every port is listed and can be chosen, however many there are.
  for (std::size_t d = 0; d < names.size(); ++d) {
    list->addItem(QString::fromStdString(names[d]));
    map.push_back(static_cast<std::uint32_t>(d));
  }
  if (names.empty()) list->addItem(kNoDevices);
  for (int i = 0; i < list->count(); ++i) list->item(i)->setSizeHint(QSize(0, kItemHeight));
  list->setCurrentRow(-1);
  list->clearSelection();
}

// The device at the highlighted entry; the placeholder stands for device 0, and a list with
// nothing highlighted keeps `current`.
std::uint32_t chosenDevice(const QListWidget* list, const std::vector<std::uint32_t>& map,
                           std::uint32_t current) {
  const auto selected = list->selectedItems();
  if (selected.isEmpty()) return current;
  const int row = list->row(selected.first());
  if (row < 0) return current;
  return static_cast<std::size_t>(row) < map.size() ? map[static_cast<std::size_t>(row)] : 0;
}

}  // namespace

MidiSetupBoxes MidiSetupBoxes::standard() {
  MidiSetupBoxes boxes;
  boxes.cardError = [](QWidget* owner) {
    QMessageBox box(QMessageBox::NoIcon, kCardChangeCaption,
                    QStringLiteral("Midi card already used or Not present!"), QMessageBox::Ok, owner);
    box.exec();
  };
  boxes.confirmCardChange = [](QWidget* owner) {
    QMessageBox box(QMessageBox::NoIcon, kCardChangeCaption,
                    QStringLiteral("Midi card will now be intialized!"),
                    QMessageBox::Ok | QMessageBox::Cancel, owner);
    return box.exec() == QMessageBox::Ok;
  };
  return boxes;
}

TMIDI_IO::TMIDI_IO(MidiPorts& ports, MidiEngine& engine, EditorState& state,
                   DeviceProtocol& protocol, QString configPath, QWidget* parent,
                   MidiSetupBoxes boxesToUse)
    : QWidget(parent, Qt::Window),
      boxes(std::move(boxesToUse)),
      ports_(ports),
      engine_(engine),
      state_(state),
      protocol_(protocol),
      configPath_(std::move(configPath)),
      inputContext_(std::make_unique<QObject>()) {
  setObjectName(QStringLiteral("MIDI_IO"));
  setWindowTitle(QStringLiteral("MIDI_IO"));
  setFont(QFont(QStringLiteral("Liberation Sans"), 8));
  setGeometry(9, 123, 617, 302);
  // A setup window left open must not keep the program alive after the main window closes.
  setAttribute(Qt::WA_QuitOnClose, false);

  MIDI_IN_LABEL = new QLabel(QStringLiteral("MIDI INPUT"), this);
  MIDI_IN_LABEL->setObjectName(QStringLiteral("MIDI_IN_LABEL"));
  MIDI_IN_LABEL->setGeometry(64, 8, 209, 105);
  colourLabel(MIDI_IN_LABEL, QColor(128, 128, 255));

  MIDI_OUT_LABEL = new QLabel(QStringLiteral("MIDI OUTPUT"), this);
  MIDI_OUT_LABEL->setObjectName(QStringLiteral("MIDI_OUT_LABEL"));
  MIDI_OUT_LABEL->setGeometry(272, 8, 217, 105);
  colourLabel(MIDI_OUT_LABEL, QColor(255, 128, 0));

  MIDI_IN_SEL = new QListWidget(this);
  MIDI_IN_SEL->setObjectName(QStringLiteral("MIDI_IN_SEL"));
  MIDI_IN_SEL->setGeometry(80, 32, 177, 65);
  styleList(MIDI_IN_SEL);

  MIDI_OUT_SEL = new QListWidget(this);
  MIDI_OUT_SEL->setObjectName(QStringLiteral("MIDI_OUT_SEL"));
  MIDI_OUT_SEL->setGeometry(288, 32, 177, 65);
  styleList(MIDI_OUT_SEL);

  MIDI_DONE = new QPushButton(QStringLiteral("OK?"), this);
  MIDI_DONE->setObjectName(QStringLiteral("MIDI_DONE"));
  MIDI_DONE->setGeometry(216, 152, 105, 25);

  FIND_COMBO = new QPushButton(QStringLiteral("FIND COMBO"), this);
  FIND_COMBO->setObjectName(QStringLiteral("FIND_COMBO"));
  FIND_COMBO->setGeometry(336, 152, 105, 25);
  findTimer = new QTimer(this);
  findTimer->setObjectName(QStringLiteral("findTimer"));
  findTimer->setInterval(kTickMilliseconds);
  connect(findTimer, &QTimer::timeout, this, &TMIDI_IO::findComboTick);

  setTabOrder(MIDI_IN_SEL, MIDI_OUT_SEL);
  setTabOrder(MIDI_OUT_SEL, MIDI_DONE);
  setTabOrder(MIDI_DONE, FIND_COMBO);

  connect(MIDI_IN_SEL, &QListWidget::itemClicked, this, [this] { MIDI_IN_SELClick(); });
  connect(MIDI_OUT_SEL, &QListWidget::itemClicked, this, [this] { MIDI_OUT_SELClick(); });
  connect(MIDI_DONE, &QPushButton::clicked, this, [this] { MIDI_DONEClick(); });
  connect(FIND_COMBO, &QPushButton::clicked, this, [this] { FIND_COMBOClick(); });

  cardErrorBox_ = std::make_unique<CardErrorBox>([this](QWidget* owner) {
    if (boxes.cardError) boxes.cardError(owner);
  });
  engine_.setCardErrorHook([this] { cardErrorBox_->report(this); });
  QObject* context = inputContext_.get();
  engine_.setFullRingDrain([this] { engine_.decodeWaiting(protocol_); });
  engine_.setInputPoster([context](std::function<void()> work) {
    QMetaObject::invokeMethod(context, std::move(work), Qt::QueuedConnection);
  });

  interupt_timer = new QTimer(this);
  interupt_timer->setObjectName(QStringLiteral("interupt_timer"));
  interupt_timer->setInterval(kTickMilliseconds);
  connect(interupt_timer, &QTimer::timeout, this, &TMIDI_IO::interupt_timerTimer);
  interupt_timer->start();

  FIND_MIDI_PORTS();
}

TMIDI_IO::~TMIDI_IO() {
  // The input posts to this window's context: it must be shut before the context goes.
  if (finder_) finder_->stop();
  engine_.CLOSE_MIDI_IN();
  engine_.setInputPoster(nullptr);
  engine_.setCardErrorHook(nullptr);
  engine_.setFullRingDrain(nullptr);
}

namespace {

std::string nameAt(const std::vector<std::string>& names, std::uint32_t device) {
  return device < names.size() ? names[device] : std::string();
}

bool listed(const std::vector<std::string>& names, const std::string& name) {
  return !name.empty() && std::find(names.begin(), names.end(), name) != names.end();
}

}  // namespace

void TMIDI_IO::FIND_MIDI_PORTS() {
  listPorts();
  engine_.OUT_DEVICE = OUT_PORT_MAP.empty() ? 0 : OUT_PORT_MAP.front();
  engine_.IN_DEVICE = IN_PORT_MAP.empty() ? 0 : IN_PORT_MAP.front();
  comboUnknown_ = true;
  comboAtHand_ = false;
  if (const auto saved = LOAD_CONFIG(configPath_.toStdString())) {
    engine_.OUT_DEVICE = saved->OUT_DEVICE;
    engine_.IN_DEVICE = saved->IN_DEVICE;
    comboUnknown_ = saved->OUT_DEVICE >= outNames_.size() || saved->IN_DEVICE >= inNames_.size();
    // The numbers may name other ports than when they were chosen; the names say which.
    if (const auto remembered = LOAD_PORT_NAMES(portNamesPath().toStdString())) {
      remembered_ = *remembered;
      engine_.OUT_DEVICE = deviceFollowingName(engine_.OUT_DEVICE, outNames_, remembered->output);
      engine_.IN_DEVICE = deviceFollowingName(engine_.IN_DEVICE, inNames_, remembered->input);
      comboAtHand_ = listed(outNames_, remembered->output) && listed(inNames_, remembered->input);
      if (comboAtHand_) comboUnknown_ = false;
    } else {
      comboAtHand_ = !comboUnknown_;
    }
  }
  engine_.OPEN_MIDI_IN();
  protocol_.SendStartup();
}

// Fresh lists, so a device plugged in or a program started since shows up. The ports in use
// keep their identity: their numbers move with their names.
void TMIDI_IO::listPorts() {
  const std::string outInUse = nameAt(outNames_, engine_.OUT_DEVICE);
  const std::string inInUse = nameAt(inNames_, engine_.IN_DEVICE);
  inNames_ = ports_.inputPortNames();
  outNames_ = ports_.outputPortNames();
  fillList(MIDI_IN_SEL, IN_PORT_MAP, inNames_);
  fillList(MIDI_OUT_SEL, OUT_PORT_MAP, outNames_);
  engine_.OUT_DEVICE = deviceFollowingName(engine_.OUT_DEVICE, outNames_, outInUse);
  engine_.IN_DEVICE = deviceFollowingName(engine_.IN_DEVICE, inNames_, inInUse);
}

QString TMIDI_IO::portNamesPath() const {
  return QFileInfo(configPath_).dir().filePath(QString::fromLatin1(kComboPortsName));
}

void TMIDI_IO::showSetup() {
  listPorts();
  if (!findTimer->isActive()) FIND_COMBO->setText(QStringLiteral("FIND COMBO"));
  setControlsVisible(true);
  show();
  raise();
  activateWindow();
}

void TMIDI_IO::setControlsVisible(bool visible) {
  for (QWidget* w : std::initializer_list<QWidget*>{MIDI_IN_LABEL, MIDI_OUT_LABEL, MIDI_IN_SEL,
                                                    MIDI_OUT_SEL, MIDI_DONE, FIND_COMBO})
    w->setVisible(visible);
}

void TMIDI_IO::MIDI_IN_SELClick() { turnRed(MIDI_IN_SEL); }

void TMIDI_IO::MIDI_OUT_SELClick() { turnRed(MIDI_OUT_SEL); }

// The ports in use closed and the input opened on `in`; the output opens at the next send.
void TMIDI_IO::usePorts(std::uint32_t out, std::uint32_t in) {
  engine_.CLOSE_MIDI_IN();
  if (engine_.OUT_USED) {
    engine_.OUT_USED = false;
    engine_.CLOSE_MIDI_OUT();
  }
  engine_.OUT_DEVICE = out;
  engine_.IN_DEVICE = in;
  engine_.OPEN_MIDI_IN();
}

// The ports in use become the combo's: combo.cfg, then their names in combo.ports.
void TMIDI_IO::rememberPorts() {
  remembered_ = {nameAt(outNames_, engine_.OUT_DEVICE), nameAt(inNames_, engine_.IN_DEVICE)};
  if (SAVE_CONFIG({engine_.OUT_DEVICE, engine_.IN_DEVICE}, configPath_.toStdString()))
    SAVE_PORT_NAMES(remembered_, portNamesPath().toStdString());
}

void TMIDI_IO::MIDI_DONEClick() {
  if (boxes.confirmCardChange && boxes.confirmCardChange(this)) {
    usePorts(chosenDevice(MIDI_OUT_SEL, OUT_PORT_MAP, engine_.OUT_DEVICE),
             chosenDevice(MIDI_IN_SEL, IN_PORT_MAP, engine_.IN_DEVICE));
    rememberPorts();
  }
  setControlsVisible(false);
  close();
}

void TMIDI_IO::detectAtStart() {
  if (!comboUnknown_ || !portsMaker) return;
  atStart_ = true;
  FIND_COMBOClick();
}

void TMIDI_IO::FIND_COMBOClick() {
  if (!portsMaker || findTimer->isActive()) return;
  QObject* context = inputContext_.get();
  finder_ = std::make_unique<ComboFinder>(
      portsMaker, [context](std::function<void()> work) { QMetaObject::invokeMethod(context, std::move(work), Qt::QueuedConnection); },
      finderClock);
  pairSelected_ = false;
  FIND_COMBO->setText(QStringLiteral("SEARCHING..."));
  finder_->start();
  findTimer->start();
}

namespace {

// The row whose device carries `name`, or -1.
int rowNamed(const std::vector<std::uint32_t>& map, const std::vector<std::string>& names, const std::string& name) {
  for (std::size_t row = 0; row < map.size(); ++row)
    if (nameAt(names, map[row]) == name) return static_cast<int>(row);
  return -1;
}

}  // namespace

void TMIDI_IO::findComboTick() {
  findTimer->stop();
  const ComboDetection::State state = finder_->tick();
  if (state == ComboDetection::State::Running) {
    findTimer->start();
    return;
  }
  if (state == ComboDetection::State::NotFound) {
    finder_->stop();
    atStart_ = false;
    FIND_COMBO->setText(QStringLiteral("NO COMBO FOUND"));
    return;
  }
  const ComboPair pair = *finder_->detection().found();
  if (!pairSelected_) {
    pairSelected_ = true;
    // Selected as a click selects them; OK makes them the combo's ports.
    const int out = rowNamed(OUT_PORT_MAP, outNames_, finder_->outputNames()[pair.output]);
    const int in = rowNamed(IN_PORT_MAP, inNames_, finder_->inputNames()[pair.input]);
    if (out >= 0) MIDI_OUT_SEL->setCurrentRow(out), MIDI_OUT_SELClick();
    if (in >= 0) MIDI_IN_SEL->setCurrentRow(in), MIDI_IN_SELClick();
    FIND_COMBO->setText(QStringLiteral("COMBO FOUND"));
    // Found by itself at start: the pair is taken and remembered at once, as a confirmed OK
    // would, and the combo hears the start-up message.
    if (atStart_ && out >= 0 && in >= 0) {
      usePorts(OUT_PORT_MAP[static_cast<std::size_t>(out)], IN_PORT_MAP[static_cast<std::size_t>(in)]);
      rememberPorts();
      protocol_.SendStartup();
      comboUnknown_ = false;
    }
  }
  if (!finder_->detection().answerEnded()) {
    findTimer->start();
    return;
  }
  finder_->stop();
  atStart_ = false;
  // The combo has just sent its bank: it goes in as a fetch would take it.
  protocol_.fetch.requested(protocol_.clock());
  for (const ComboDetection::Message& m : finder_->detection().answer()) engine_.MIDI_LONG_DATA(m);
}

void TMIDI_IO::interupt_timerTimer() {
  interupt_timer->stop();
  engine_.pollTick(state_, protocol_);
  if (++ticksSinceLook_ * kTickMilliseconds >= 1000) {
    ticksSinceLook_ = 0;
    connectWhenPlugged();
  }
  interupt_timer->start();
}

// The remembered combo was not there when the editor started: once a second its ports are
// looked for, and when both are there the editor connects to them (leaving any other ports
// the remembered numbers named meanwhile) and, with no bank received in this run, asks for
// it. The lists are not read while the setup window shows them.
void TMIDI_IO::connectWhenPlugged() {
  if (isVisible()) return;
  // The ports in use by name, as they were before the lists are read again.
  const std::string out = nameAt(outNames_, engine_.OUT_DEVICE);
  const std::string in = nameAt(inNames_, engine_.IN_DEVICE);
  // Read through listPorts, so the numbers in use keep naming the ports they named.
  listPorts();
  const bool rememberedListed = listed(outNames_, remembered_.output) && listed(inNames_, remembered_.input);
  const auto onRemembered = [&] {
    return nameAt(outNames_, engine_.OUT_DEVICE) == remembered_.output &&
           nameAt(inNames_, engine_.IN_DEVICE) == remembered_.input;
  };
  if (rememberedListed && (!ports_.isInputOpen() || !onRemembered())) {
    usePorts(deviceFollowingName(engine_.OUT_DEVICE, outNames_, remembered_.output),
             deviceFollowingName(engine_.IN_DEVICE, inNames_, remembered_.input));
    if (ports_.isInputOpen() && !protocol_.bankReceived) protocol_.RequestBank();
  }
  // With a remembered combo, connected means on its ports; otherwise on ports that are listed.
  const bool connected = ports_.isInputOpen() && (remembered_.output.empty() ? listed(outNames_, out) && listed(inNames_, in)
                                                                             : rememberedListed && onRemembered());
  if (connected_ != connected) {
    connected_ = connected;
    emit comboConnection(connected);
  }
}

}  // namespace kestralux
