#include "app/TMIDI_IO.h"

#include <QMetaObject>

#include "app/CardErrorBoxQt.h"
#include "app/WindowLook.h"

namespace kestralux {

namespace {

constexpr int kTickMilliseconds = 50;

QLabel* colouredLabel(QWidget* parent, const char* name, const QString& text, QRect geometry, const QColor& colour) {
  auto* label = new QLabel(text, parent);
  label->setObjectName(QString::fromLatin1(name));
  label->setGeometry(geometry);
  label->setAutoFillBackground(true);
  QPalette p = label->palette();
  p.setColor(QPalette::Window, colour);
  label->setPalette(p);
  label->setAlignment(Qt::AlignHCenter | Qt::AlignTop);
  return label;
}

void setBase(QListWidget* list, const QColor& colour) {
  QPalette p = list->palette();
  p.setColor(QPalette::Base, colour);
  p.setColor(QPalette::Text, Qt::white);
  list->setPalette(p);
}

QListWidget* portList(QWidget* parent, const char* name, QRect geometry) {
  auto* list = new QListWidget(parent);
  list->setObjectName(QString::fromLatin1(name));
  list->setGeometry(geometry);
  setBase(list, QColor(0, 0, 128));
  QFont f = list->font();
  f.setBold(true);
  list->setFont(f);
  list->setSelectionMode(QAbstractItemView::SingleSelection);
  list->setUniformItemSizes(true);
  return list;
}

QPushButton* button(QWidget* parent, const char* name, const QString& text, QRect geometry) {
  auto* b = new QPushButton(text, parent);
  b->setObjectName(QString::fromLatin1(name));
  b->setGeometry(geometry);
  return b;
}

// Every port is listed and can be chosen, however many there are.
void fillList(QListWidget* list, const std::vector<std::string>& names) {
  list->clear();
  for (const std::string& name : names) list->addItem(QString::fromStdString(name));
  if (names.empty()) list->addItem(QStringLiteral("No Midi Devices Found!"));
  for (int i = 0; i < list->count(); ++i) list->item(i)->setSizeHint(QSize(0, 13));
  list->setCurrentRow(-1);
  list->clearSelection();
}

// The port at the highlighted entry; the placeholder stands for device 0, which names no
// port, and a list with nothing highlighted keeps `current`.
std::string chosenPort(const QListWidget* list, const std::vector<std::string>& names, const std::string& current) {
  const auto selected = list->selectedItems();
  if (selected.isEmpty()) return current;
  const auto row = static_cast<std::size_t>(list->row(selected.first()));
  return row < names.size() ? names[row] : std::string();
}

void selectPort(QListWidget* list, const std::vector<std::string>& names, const std::string& name) {
  const auto it = std::find(names.begin(), names.end(), name);
  if (it != names.end()) list->setCurrentRow(static_cast<int>(it - names.begin()));
}

}  // namespace

TMIDI_IO::TMIDI_IO(ComboLink& link, QWidget* parent, MidiSetupBoxes boxesToUse)
    : QWidget(parent, Qt::Window), boxes(std::move(boxesToUse)), link_(link), inputContext_(std::make_unique<QObject>()) {
  setObjectName(QStringLiteral("MIDI_IO"));
  setWindowTitle(QStringLiteral("MIDI_IO"));
  setFont(QFont(QStringLiteral("Liberation Sans"), 8));
  setGeometry(9, 123, 617, 302);
  // A setup window left open must not keep the program alive after the main window closes.
  setAttribute(Qt::WA_QuitOnClose, false);

  MIDI_IN_LABEL = colouredLabel(this, "MIDI_IN_LABEL", QStringLiteral("MIDI INPUT"), {64, 8, 209, 105}, QColor(128, 128, 255));
  MIDI_OUT_LABEL = colouredLabel(this, "MIDI_OUT_LABEL", QStringLiteral("MIDI OUTPUT"), {272, 8, 217, 105}, QColor(255, 128, 0));
  MIDI_IN_SEL = portList(this, "MIDI_IN_SEL", {80, 32, 177, 65});
  MIDI_OUT_SEL = portList(this, "MIDI_OUT_SEL", {288, 32, 177, 65});
  MIDI_DONE = button(this, "MIDI_DONE", QStringLiteral("OK?"), {216, 152, 105, 25});
  FIND_COMBO = button(this, "FIND_COMBO", QStringLiteral("FIND COMBO"), {336, 152, 105, 25});
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
  link_.cardError = [this] { cardErrorBox_->report(this); };
  link_.searchChanged = [this](ComboLink::Search search) { showSearch(search); };
  QObject* context = inputContext_.get();
  link_.setPoster([context](std::function<void()> work) {
    QMetaObject::invokeMethod(context, std::move(work), Qt::QueuedConnection);
  });

  interupt_timer = new QTimer(this);
  interupt_timer->setObjectName(QStringLiteral("interupt_timer"));
  interupt_timer->setInterval(kTickMilliseconds);
  connect(interupt_timer, &QTimer::timeout, this, &TMIDI_IO::interupt_timerTimer);
  interupt_timer->start();
}

TMIDI_IO::~TMIDI_IO() {
  // The input posts to this window's context: it must be shut before the context goes.
  link_.stop();
  link_.setPoster(nullptr);
  link_.cardError = nullptr;
  link_.searchChanged = nullptr;
}

void TMIDI_IO::FIND_MIDI_PORTS(const ComboLink::StartUp& how) {
  link_.start(how);
  fillLists();
}

void TMIDI_IO::fillLists() {
  inNames = link_.inputNames();
  outNames = link_.outputNames();
  fillList(MIDI_IN_SEL, inNames);
  fillList(MIDI_OUT_SEL, outNames);
}

void TMIDI_IO::showSetup() {
  link_.readPorts();
  fillLists();
  if (!link_.searching()) FIND_COMBO->setText(QStringLiteral("FIND COMBO"));
  setControlsVisible(true);
  showBeside(*this, nullptr, size());
}

void TMIDI_IO::setControlsVisible(bool visible) {
  for (QWidget* w : std::initializer_list<QWidget*>{MIDI_IN_LABEL, MIDI_OUT_LABEL, MIDI_IN_SEL, MIDI_OUT_SEL, MIDI_DONE, FIND_COMBO})
    w->setVisible(visible);
}

void TMIDI_IO::MIDI_IN_SELClick() { setBase(MIDI_IN_SEL, QColor(255, 0, 0)); }

void TMIDI_IO::MIDI_OUT_SELClick() { setBase(MIDI_OUT_SEL, QColor(255, 0, 0)); }

void TMIDI_IO::MIDI_DONEClick() {
  if (boxes.confirmCardChange && boxes.confirmCardChange(this)) {
    const PortNames chosen{chosenPort(MIDI_OUT_SEL, outNames, link_.ports().output),
                           chosenPort(MIDI_IN_SEL, inNames, link_.ports().input)};
    link_.usePorts(chosen);
    link_.rememberPorts();
    // The pair the search found, confirmed: the bank it sent comes in as a fetch.
    if (link_.search() == ComboLink::Search::Found && link_.foundPorts() == chosen) link_.takeFoundBank();
  }
  setControlsVisible(false);
  close();
}

void TMIDI_IO::FIND_COMBOClick() {
  if (link_.findCombo(ComboLink::FoundPair::Offer)) FIND_COMBO->setText(QStringLiteral("SEARCHING..."));
}

void TMIDI_IO::showSearch(ComboLink::Search search) {
  if (search == ComboLink::Search::NotFound) {
    FIND_COMBO->setText(QStringLiteral("NO COMBO FOUND"));
    // Also where the transfers are told: at start this window is not shown.
    if (link_.protocol.fetchNotices) link_.protocol.fetchNotices({"NO COMBO FOUND"});
  }
  if (search != ComboLink::Search::Found) return;
  FIND_COMBO->setText(QStringLiteral("COMBO FOUND"));
  // Selected as clicks select them, in lists as they are now; OK makes them the combo's ports.
  link_.readPorts();
  fillLists();
  selectPort(MIDI_OUT_SEL, outNames, link_.foundPorts()->output);
  selectPort(MIDI_IN_SEL, inNames, link_.foundPorts()->input);
  if (MIDI_OUT_SEL->currentRow() >= 0) MIDI_OUT_SELClick();
  if (MIDI_IN_SEL->currentRow() >= 0) MIDI_IN_SELClick();
}

void TMIDI_IO::interupt_timerTimer() {
  interupt_timer->stop();
  link_.tick();
  interupt_timer->start();
}

}  // namespace kestralux
