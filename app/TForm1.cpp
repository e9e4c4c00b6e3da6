#include "app/TForm1.h"

#include <QApplication>
#include <QAbstractButton>
#include <QButtonGroup>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QRadioButton>
#include <QScrollBar>
#include <QShortcut>
#include <QSignalBlocker>
#include <QTimer>

#include "app/Artwork.h"
#include "app/ClickablePanel.h"
#include "app/Latin1.h"
#include "app/DiskFiles.h"
#include "app/MainWindowLayout.h"
#include "app/MessageLine.h"
#include "app/UpDownArrows.h"
#include "app/WindowLook.h"
#include "editor/EditorTables.h"

namespace kestralux {

namespace {

using Handler = void (TForm1::*)();

struct EventRow {
  std::string_view control;
  Handler handler;
};

// Which handler each control's event runs: value change for scroll bars, click for panels,
// buttons and arrows, text change for the name box, triggered for menu items, timeout for
// timers.
const EventRow kEvents[] = {
    {"PRESETUpDown", &TForm1::PRESETUpDownClick},
    {"PRENAME", &TForm1::CHANGE_PRESET_NAME},
    {"STOR", &TForm1::STORClick},
    {"REQUES", &TForm1::REQUESClick},
    {"STORE_SELECT", &TForm1::STORE_SELECTClick},
    {"PRESET_STR", &TForm1::PRESET_STRClick},
    {"Load_preset", &TForm1::Load_presetClick},
    {"STR_ALL", &TForm1::STR_ALLClick},
    {"Load_all", &TForm1::Load_allClick},
    {"Button1", &TForm1::Button1Click},
    {"CLN1", &TForm1::CLN1Click},
    {"BRITCLSA", &TForm1::BRITCLSAClick},
    {"BRITBLU", &TForm1::BRITBLUClick},
    {"BRITCLAS", &TForm1::BRITCLASClick},
    {"BRITHI", &TForm1::BRITHIClick},
    {"HIGAIN", &TForm1::HIGAINClick},
    {"MEGA", &TForm1::MEGAClick},
    {"THRAS", &TForm1::THRASClick},
    {"GRUNG", &TForm1::GRUNGClick},
    {"FUZ", &TForm1::FUZClick},
    {"SEVENTY", &TForm1::SEVENTYClick},
    {"TEX", &TForm1::TEXClick},
    {"BLUE", &TForm1::BLUEClick},
    {"TWED", &TForm1::TWEDClick},
    {"POLY", &TForm1::POLYClick},
    {"CLN2", &TForm1::CLN2Click},
    {"ScrollGAIN", &TForm1::ScrollGAINChange},
    {"ScrollBASS", &TForm1::ScrollBASSChange},
    {"ScrollMID", &TForm1::ScrollMIDChange},
    {"ScrollTREB", &TForm1::ScrollTREBChange},
    {"ScrollDLVL", &TForm1::ScrollDLVLChange},
    {"ScrollDREG", &TForm1::ScrollDREGChange},
    {"ScrollDPAN", &TForm1::ScrollDPANChange},
    {"ScrollDTIME", &TForm1::ScrollDTIMEChange},
    {"ScrollREV", &TForm1::ScrollREVChange},
    {"ScrollGATE", &TForm1::ScrollGATEChange},
    {"ScrollPVOL", &TForm1::ScrollPVOLChange},
    {"ScrollFX15", &TForm1::SrollFX15},
    {"ScrollFX16", &TForm1::ScrollFX16Change},
    {"ScrollRATE", &TForm1::ScrollRATEChange},
    {"BYPASSBTN", &TForm1::BYPASSBTNClick},
    {"COMPBTN", &TForm1::COMPBTNClick},
    {"TREMBTN", &TForm1::TREMBTNClick},
    {"TREMBTN2", &TForm1::TREMBTN2Click},
    {"WAHBTN", &TForm1::WAHBTNClick},
    {"CRSBTN", &TForm1::CRSBTNClick},
    {"FLANBTN", &TForm1::FLANBTNClick},
    {"PHSBTN", &TForm1::PHSBTNClick},
    {"PITBTN", &TForm1::PITBTNClick},
    {"ROTBTN", &TForm1::ROTBTNClick},
    {"LOADPRESET", &TForm1::LOADPRESETClick},
    {"SAVEPRESET", &TForm1::SAVEPRESETClick},
    {"LOADALL1", &TForm1::LOADALL1Click},
    {"SAVEALL1", &TForm1::SAVEALL1Click},
    {"EXPORTSHEET1", &TForm1::EXPORTSHEET1Click},
    {"MIDISETUP1", &TForm1::MIDISETUP1Click},
    {"CONTENTS1", &TForm1::CONTENTS1Click},
    {"EXIT1", &TForm1::EXIT1Click},
    {"Timer1", &TForm1::Timer1Timer},
    {"STORE_Time2", &TForm1::STORE_Time2Timer},
    {"Timer2", &TForm1::Timer2Timer},
};

}  // namespace

TForm1::TForm1(EditorActions& editorActions, QWidget* parent)
    : QMainWindow(parent),
      actions(editorActions) {
  setObjectName("Form1");
  setWindowTitle(QStringLiteral("HALVERIK KESTRALUX PRESET MANAGER V1.01"));
  setWindowIcon(QIcon(QPixmap::fromImage(makeApplicationIcon())));
  setGeometry(257, 200, 649, 460);
  setWindowState(Qt::WindowMaximized);

  setupUi(this);
  lastFileFolder_ = fileDialogFolder();
  messageLine = new MessageLine(*this);
  findChild<QAction*>(QStringLiteral("EXIT1"))->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_Q));
  connect(findChild<QAction*>(QStringLiteral("MESSAGES1")), &QAction::triggered, messageLine, &MessageLine::showKept);
  connect(BANK1, &QAction::triggered, this, &TForm1::bankWindowRequested);
  connect(IMPORTLIBRARY1, &QAction::triggered, this, &TForm1::libraryImportRequested);
  connect(HELP1, &QMenu::aboutToShow, this, &TForm1::HELP1Click);
  wireEvents();
  applyTabOrder();
  setUpTransfers();
  setUpEditing();
  setUpDesktopCommands();
  listener_ = actions.listen([this](const ActionNotice& notice) { draw(notice); });

  auto* helpKey = new QShortcut(QKeySequence(Qt::Key_F1), this);
  helpKey->setObjectName("helpKey");
  connect(helpKey, &QShortcut::activated, this, [this] { emit helpRequested(kHelpContext); });

  START_MIDI();
}

// Nothing that outlives the window (the protocol, the actions, the application's event
// filter) may call into it while it and its controls go.
TForm1::~TForm1() {
  actions.watchFetch(nullptr, nullptr);
  actions.stopListening(listener_);
  delete actionBoundaries_;  // no longer filters the application's events
  disconnect(PRENAME, nullptr, this, nullptr);
  // Hiding the window as it goes moves the focus: the EDIT menu is gone by then.
  disconnect(qApp, nullptr, this, nullptr);
}

void TForm1::wireEvents() {
  for (const EventRow& row : kEvents) {
    QObject* source = findChild<QObject*>(latin1(row.control));
    Q_ASSERT_X(source, "TForm1", row.control.data());
    const Handler handler = row.handler;
    const auto run = [this, handler] { (this->*handler)(); };
    if (auto* bar = qobject_cast<QScrollBar*>(source))
      connect(bar, &QScrollBar::valueChanged, this, run);
    else if (auto* panel = qobject_cast<ClickablePanel*>(source))
      connect(panel, &ClickablePanel::clicked, this, run);
    else if (auto* arrows = qobject_cast<UpDownArrows*>(source))
      connect(arrows, &UpDownArrows::clicked, this, run);
    else if (auto* button = qobject_cast<QAbstractButton*>(source))
      connect(button, &QAbstractButton::clicked, this, run);
    else if (auto* box = qobject_cast<QLineEdit*>(source))
      connect(box, &QLineEdit::textChanged, this, run);
    else if (auto* action = qobject_cast<QAction*>(source))
      connect(action, &QAction::triggered, this, run);
    else if (auto* timer = qobject_cast<QTimer*>(source))
      connect(timer, &QTimer::timeout, this, run);
    else
      Q_ASSERT_X(false, "TForm1", row.control.data());
  }
}

void TForm1::applyTabOrder() {
  QWidget* previous = nullptr;
  for (std::string_view name : layout::kTabOrder) {
    QWidget* widget = clientArea->findChild<QWidget*>(latin1(name));
    if (widget->focusPolicy() == Qt::NoFocus) continue;  // no stop until made keyboard-ready
    if (previous) QWidget::setTabOrder(previous, widget);
    previous = widget;
  }
  ScrollGAIN->setFocus();
}

void TForm1::ResetAmpPanels() {
  for (const AmpModelRow& model : kAmpModels) {
    auto* panel = clientArea->findChild<ClickablePanel*>(latin1(model.panel));
    panel->setOuterBevel(Bevel::Lowered);
    panel->setColour(colourOf(layout::kPurple));
    // Once the panels take the keyboard, only the chosen one is a Tab stop.
    if (panel->focusPolicy() == Qt::StrongFocus) panel->setFocusPolicy(Qt::ClickFocus);
  }
}

void TForm1::MarkAmpPanelSelected(ClickablePanel* panel) {
  panel->setOuterBevel(Bevel::Raised);
  panel->setColour(colourOf(layout::kRed));
  if (panel->focusPolicy() == Qt::ClickFocus) panel->setFocusPolicy(Qt::StrongFocus);
}

void TForm1::draw(const ActionNotice& notice) {
  if (notice.presetShown)
    drawShownPreset();
  else if (notice.movedFrom)
    showMovedControls(*notice.movedFrom);
  if (notice.hearingChanged) showHearing();
  if (!notice.message.empty()) say(QString::fromStdString(notice.message));
  updatePresetNumber();
}

void TForm1::drawShownPreset() {
  PRESETUpDown->setPosition(actions.currentPreset());
  PRENUM->setText(QStringLiteral("PRESET   ") + QString::number(actions.currentPreset() + 1));
  const EditorActions::Drawing drawing(actions);
  ShowPreset();
}

void TForm1::ShowPreset() {
  // What the controls write back while they move to the record is no edit of the user's.
  const EditorActions::Drawing drawing(actions, false);
  ResetAmpPanels();
  actions.bankDrawn();

  const PresetRecord& record = actions.shownPreset();
  const int effect = record.value(EFFECT_SELECT);
  if (ClickablePanel* panel = ampPanelOfModel(record.value(AMP_TYPE))) MarkAmpPanelSelected(panel);

  {
    // Narrowing the rate range must not write the clamped position into the record; the
    // position is set from the record below.
    const QSignalBlocker quiet(ScrollRATE);
    ScrollRATE->setMaximum(rateMaximum(effect));
  }

  ShowStrips();
  ShowEffectControls();

  // Every effect button goes back to black and unchecked; checking the preset's button runs
  // its click handler as a user's click would. A code without a button leaves the effect
  // controls as they were.
  PaintEffectButtonsBlack();
  effectButtons->setExclusive(false);
  for (QAbstractButton* button : effectButtons->buttons()) button->setChecked(false);
  effectButtons->setExclusive(true);
  if (QRadioButton* button = effectButtonOf(effect)) {
    button->setChecked(true);
    SelectEffect(effect);
  }

  PRENAME->setText(presetNameText(actions.shownPreset()));
  updatePresetNumber();
}

}  // namespace kestralux
