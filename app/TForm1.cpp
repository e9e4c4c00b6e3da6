#include "app/TForm1.h"

#include <QButtonGroup>
#include <QKeyEvent>
#include <QWheelEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>
#include <QApplication>
#include <QProxyStyle>
#include <QRadioButton>
#include <QScrollArea>
#include <QScrollBar>
#include <QShortcut>
#include <QSignalBlocker>
#include <QTimer>

#include "app/Artwork.h"
#include "app/ClickablePanel.h"
#include "app/Latin1.h"
#include "app/MainWindowLayout.h"
#include "app/PresetNameValidator.h"
#include "app/UpDownArrows.h"
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
    {"Timer1", &TForm1::Timer1Timer},
    {"STORE_Time2", &TForm1::STORE_Time2Timer},
    {"Timer2", &TForm1::Timer2Timer},
};

// The classic radio indicator (13 pixels and a 4-pixel gap) leaves the 97-pixel effect
// buttons room for "COMPRESSOR" in bold; the desktop's wider indicator would cut it.
class EffectButtonStyle : public QProxyStyle {
 public:
  int pixelMetric(PixelMetric metric, const QStyleOption* option, const QWidget* widget) const override {
    if (metric == PM_ExclusiveIndicatorWidth || metric == PM_ExclusiveIndicatorHeight) return 13;
    if (metric == PM_RadioButtonLabelSpacing) return 4;
    return QProxyStyle::pixelMetric(metric, option, widget);
  }
};

QStyle* effectButtonStyle() {
  static EffectButtonStyle* style = [] {
    auto* s = new EffectButtonStyle;
    s->setParent(qApp);  // lives as long as the application
    return s;
  }();
  return style;
}

QColor colourOf(layout::Rgb rgb) { return QColor(rgb.r, rgb.g, rgb.b); }

// "Arial" and "MS Sans Serif" both map to Liberation Sans: metric-compatible, so the text
// fits the pixel layout.
QFont fontOf(layout::Font font) {
  QFont f(QStringLiteral("Liberation Sans"));
  f.setPixelSize(font.pixelSize);
  f.setBold(font.bold);
  return f;
}

void applyColours(QWidget* widget, const layout::ControlRow& row) {
  QPalette p = widget->palette();
  const bool editBox = row.kind == layout::ValueBox || row.kind == layout::NumberBox ||
                       row.kind == layout::NameBox;
  if (!row.textColour.isStandard()) {
    const QColor c = colourOf(row.textColour);
    p.setColor(editBox ? QPalette::Text : QPalette::WindowText, c);
    p.setColor(QPalette::ButtonText, c);
  }
  if (!row.backColour.isStandard()) {
    const QColor c = colourOf(row.backColour);
    p.setColor(editBox ? QPalette::Base : QPalette::Window, c);
    // Buttons fill their background from the Button role.
    if (!editBox) {
      p.setColor(QPalette::Button, c);
      widget->setAutoFillBackground(true);
    }
  }
  widget->setPalette(p);
}

// Every bar moves in steps of 1. A scroll bar inverts its keys so that Page Up moves towards
// the start, as on the desktop; that inversion also turns Left and Right around on a
// horizontal bar. The user expects Right to raise the value, as the thumb moves right. The
// wheel moves one step a notch, not the desktop's three lines.
class HorizontalArrowKeys : public QObject {
 public:
  using QObject::QObject;

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override {
    auto* bar = qobject_cast<QScrollBar*>(watched);
    if (bar && event->type() == QEvent::Wheel) {
      wheelSteps_ += static_cast<QWheelEvent*>(event)->angleDelta().y() + static_cast<QWheelEvent*>(event)->angleDelta().x();
      // A notch is 120; fine-grained wheels send parts of one.
      for (; wheelSteps_ >= 120; wheelSteps_ -= 120) bar->triggerAction(QAbstractSlider::SliderSingleStepAdd);
      for (; wheelSteps_ <= -120; wheelSteps_ += 120) bar->triggerAction(QAbstractSlider::SliderSingleStepSub);
      return true;
    }
    if (event->type() != QEvent::KeyPress) return false;
    const int key = static_cast<QKeyEvent*>(event)->key();
    if (!bar || bar->orientation() != Qt::Horizontal || (key != Qt::Key_Left && key != Qt::Key_Right))
      return false;
    bar->triggerAction(key == Qt::Key_Right ? QAbstractSlider::SliderSingleStepAdd
                                            : QAbstractSlider::SliderSingleStepSub);
    return true;
  }

 private:
  int wheelSteps_ = 0;
};

QLineEdit* makeReadOnlyBox(QWidget* parent) {
  auto* box = new QLineEdit(parent);
  box->setReadOnly(true);
  box->setFocusPolicy(Qt::NoFocus);
  return box;
}

}  // namespace

TForm1::TForm1(EditorState& editorState, DeviceProtocol& deviceProtocol, EditSession& editSession, QWidget* parent)
    : QMainWindow(parent), state(editorState), protocol(deviceProtocol), session(editSession) {
  setObjectName("Form1");
  setWindowTitle(QStringLiteral("HALVERIK KESTRALUX PRESET MANAGER V1.01"));
  setWindowIcon(QIcon(QPixmap::fromImage(makeApplicationIcon())));
  setGeometry(257, 200, 649, 460);
  setWindowState(Qt::WindowMaximized);

  buildControls();
  bindMembers();
  buildMenus();
  buildTimers();
  wireEvents();
  applyTabOrder();
  setUpTransfers();
  setUpEditing();

  auto* helpKey = new QShortcut(QKeySequence(Qt::Key_F1), this);
  helpKey->setObjectName("helpKey");
  connect(helpKey, &QShortcut::activated, this, [this] { emit helpRequested(kHelpContext); });

  START_MIDI();
}

// Nothing that outlives the window (the protocol, the edit session, the application's
// event filter) may call into it while it and its controls go.
TForm1::~TForm1() {
  protocol.fetchNotices = nullptr;
  protocol.bankComplete = nullptr;
  tearDownEditing();
}

void TForm1::buildControls() {
  scrollArea = new QScrollArea(this);
  scrollArea->setObjectName("scrollArea");
  scrollArea->setFrameShape(QFrame::NoFrame);
  scrollArea->setFocusPolicy(Qt::NoFocus);
  scrollArea->setWidgetResizable(false);
  setCentralWidget(scrollArea);

  clientArea = new QWidget;
  clientArea->setObjectName("clientArea");
  clientArea->setFixedSize(layout::kClientWidth, layout::kClientHeight);
  clientArea->setAutoFillBackground(true);
  QPalette windowPalette = clientArea->palette();
  windowPalette.setColor(QPalette::Window, colourOf(layout::kNavy));
  windowPalette.setColor(QPalette::WindowText, colourOf(layout::kWhite));
  clientArea->setPalette(windowPalette);
  clientArea->setFont(fontOf(layout::kWindowFont));
  scrollArea->setWidget(clientArea);
  scrollArea->viewport()->setPalette(windowPalette);

  auto* arrowKeys = new HorizontalArrowKeys(this);
  for (const layout::ControlRow& row : layout::kControls) {
    QWidget* parent = row.parent.empty() ? clientArea : clientArea->findChild<QWidget*>(latin1(row.parent));
    Q_ASSERT(parent);
    QWidget* widget = nullptr;
    switch (row.kind) {
      case layout::Picture: {
        auto* picture = new QLabel(parent);
        picture->setAlignment(Qt::AlignLeft | Qt::AlignTop);
        picture->setPixmap(QPixmap::fromImage(makeWindowLogo()));
        widget = picture;
        break;
      }
      case layout::Label: {
        auto* label = new QLabel(latin1(row.text), parent);
        label->setAlignment(Qt::AlignCenter);
        widget = label;
        break;
      }
      case layout::UpDown: {
        auto* arrows = new UpDownArrows(parent);
        arrows->setRange(0, layout::kPresetCountOnArrows - 1);
        arrows->setPosition(0);
        widget = arrows;
        break;
      }
      case layout::NumberBox: {
        QLineEdit* box = makeReadOnlyBox(parent);
        box->setText(latin1(row.text));
        widget = box;
        break;
      }
      case layout::NameBox: {
        auto* box = new QLineEdit(parent);
        box->setMaxLength(layout::kNameBoxMaxLength);
        box->setValidator(new PresetNameValidator(layout::kNameBoxMaxLength, box));
        box->setText(latin1(row.text));
        widget = box;
        break;
      }
      case layout::Panel: {
        auto* panel = new ClickablePanel(parent);
        panel->setCaption(latin1(row.text));
        panel->setOuterBevel(row.outerBevel);
        panel->setBevelWidth(layout::kPanelBevelWidth);
        panel->setBorderWidth(layout::kPanelBorderWidth);
        widget = panel;
        break;
      }
      case layout::PushButton:
        widget = new QPushButton(latin1(row.text), parent);
        break;
      case layout::ValueBox: {
        QLineEdit* box = makeReadOnlyBox(parent);
        if (row.upperCase) upperCaseBoxes_.insert(box);
        widget = box;
        break;
      }
      case layout::ScrollBar: {
        auto* bar = new QScrollBar(Qt::Horizontal, parent);
        bar->setRange(0, row.maximum);
        bar->setSingleStep(1);
        bar->setPageStep(1);  // a click in the groove moves one step too
        bar->setValue(0);
        bar->setFocusPolicy(Qt::StrongFocus);
        bar->installEventFilter(arrowKeys);
        widget = bar;
        break;
      }
      case layout::RadioButton:
        widget = new QRadioButton(latin1(row.text), parent);
        widget->setStyle(effectButtonStyle());
        break;
    }
    widget->setObjectName(latin1(row.name));
    widget->setGeometry(row.x, row.y, row.w, row.h);
    widget->setFont(fontOf(row.font));
    applyColours(widget, row);
    if (row.kind == layout::ValueBox) setBoxText(static_cast<QLineEdit*>(widget), latin1(row.text));
    if (!row.visible) widget->setVisible(false);
  }
}

void TForm1::bindMembers() {
  const auto find = [this](auto*& member, const char* name) {
    member = clientArea->findChild<std::remove_reference_t<decltype(*member)>*>(QLatin1String(name));
    Q_ASSERT_X(member, "TForm1", name);
  };
#define KESTRALUX_BIND(member) find(member, #member)
  KESTRALUX_BIND(Image1);
  KESTRALUX_BIND(Label2);
  KESTRALUX_BIND(PRESETUpDown);
  KESTRALUX_BIND(PRENUM);
  KESTRALUX_BIND(PRENAME);
  KESTRALUX_BIND(STOR);
  KESTRALUX_BIND(REQUES);
  KESTRALUX_BIND(PRESET_STR);
  KESTRALUX_BIND(Load_preset);
  KESTRALUX_BIND(STR_ALL);
  KESTRALUX_BIND(Load_all);
  KESTRALUX_BIND(CLN1);
  KESTRALUX_BIND(BRITCLSA);
  KESTRALUX_BIND(BRITBLU);
  KESTRALUX_BIND(BRITCLAS);
  KESTRALUX_BIND(BRITHI);
  KESTRALUX_BIND(HIGAIN);
  KESTRALUX_BIND(MEGA);
  KESTRALUX_BIND(THRAS);
  KESTRALUX_BIND(GRUNG);
  KESTRALUX_BIND(FUZ);
  KESTRALUX_BIND(SEVENTY);
  KESTRALUX_BIND(TEX);
  KESTRALUX_BIND(BLUE);
  KESTRALUX_BIND(TWED);
  KESTRALUX_BIND(POLY);
  KESTRALUX_BIND(CLN2);
  KESTRALUX_BIND(GAINEDIT);
  KESTRALUX_BIND(BASSEDIT);
  KESTRALUX_BIND(MIDEDIT);
  KESTRALUX_BIND(TREBEDIT);
  KESTRALUX_BIND(DLVLEDIT);
  KESTRALUX_BIND(DREGEDIT);
  KESTRALUX_BIND(DPANEDIT);
  KESTRALUX_BIND(DTIMEEDIT);
  KESTRALUX_BIND(REVEDIT);
  KESTRALUX_BIND(GATEEDIT);
  KESTRALUX_BIND(PVOLEDIT);
  KESTRALUX_BIND(Effect15);
  KESTRALUX_BIND(Effect16);
  KESTRALUX_BIND(Rate);
  KESTRALUX_BIND(ScrollGAIN);
  KESTRALUX_BIND(ScrollBASS);
  KESTRALUX_BIND(ScrollMID);
  KESTRALUX_BIND(ScrollTREB);
  KESTRALUX_BIND(ScrollDLVL);
  KESTRALUX_BIND(ScrollDREG);
  KESTRALUX_BIND(ScrollDPAN);
  KESTRALUX_BIND(ScrollDTIME);
  KESTRALUX_BIND(ScrollREV);
  KESTRALUX_BIND(ScrollGATE);
  KESTRALUX_BIND(ScrollPVOL);
  KESTRALUX_BIND(ScrollFX15);
  KESTRALUX_BIND(ScrollFX16);
  KESTRALUX_BIND(ScrollRATE);
  KESTRALUX_BIND(LABLGAIN);
  KESTRALUX_BIND(LABLBASS);
  KESTRALUX_BIND(LABLMID);
  KESTRALUX_BIND(LABLTREB);
  KESTRALUX_BIND(LABLDLVL);
  KESTRALUX_BIND(LABLDREG);
  KESTRALUX_BIND(LABLDPAN);
  KESTRALUX_BIND(LABLDTIME);
  KESTRALUX_BIND(LABLREV);
  KESTRALUX_BIND(LABLGATE);
  KESTRALUX_BIND(LABLPVOL);
  KESTRALUX_BIND(LABL15);
  KESTRALUX_BIND(LABL16);
  KESTRALUX_BIND(LABLRATE);
  KESTRALUX_BIND(Panel1);
  KESTRALUX_BIND(BYPASSBTN);
  KESTRALUX_BIND(COMPBTN);
  KESTRALUX_BIND(TREMBTN);
  KESTRALUX_BIND(TREMBTN2);
  KESTRALUX_BIND(WAHBTN);
  KESTRALUX_BIND(CRSBTN);
  KESTRALUX_BIND(FLANBTN);
  KESTRALUX_BIND(PHSBTN);
  KESTRALUX_BIND(PITBTN);
  KESTRALUX_BIND(ROTBTN);
  KESTRALUX_BIND(Label1);
  KESTRALUX_BIND(STORE_SELECT);
  KESTRALUX_BIND(Button1);
#undef KESTRALUX_BIND

  Panel1->setInnerBevel(Bevel::Lowered);
  Panel1->setBorderWidth(layout::kEffectFrameBorderWidth);

  effectButtons = new QButtonGroup(this);
  effectButtons->setObjectName("effectButtons");
  for (QRadioButton* button : Panel1->findChildren<QRadioButton*>()) effectButtons->addButton(button);
}

void TForm1::buildMenus() {
  QMenu* menu = nullptr;
  for (const layout::MenuRow& row : layout::kMenus) {
    if (!menu || menu->objectName() != latin1(row.menu)) {
      menu = menuBar()->addMenu(latin1(row.menuCaption));
      menu->setObjectName(latin1(row.menu));
    }
    QAction* action = menu->addAction(latin1(row.itemCaption));
    action->setObjectName(latin1(row.item));
  }
  LOADPRESET1 = menuBar()->findChild<QMenu*>("LOADPRESET1");
  EDIT1 = menuBar()->findChild<QMenu*>("EDIT1");
  MIDI1 = menuBar()->findChild<QMenu*>("MIDI1");
  HELP1 = menuBar()->findChild<QMenu*>("HELP1");
  LOADPRESET = LOADPRESET1->findChild<QAction*>("LOADPRESET");
  SAVEPRESET = LOADPRESET1->findChild<QAction*>("SAVEPRESET");
  LOADALL1 = LOADPRESET1->findChild<QAction*>("LOADALL1");
  SAVEALL1 = LOADPRESET1->findChild<QAction*>("SAVEALL1");
  EXPORTSHEET1 = LOADPRESET1->findChild<QAction*>("EXPORTSHEET1");
  LIBRARY1 = menuBar()->findChild<QMenu*>("LIBRARY1");
  BANK1 = LIBRARY1->findChild<QAction*>("BANK1");
  BANK1->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_B));
  connect(BANK1, &QAction::triggered, this, &TForm1::bankWindowRequested);
  IMPORTLIBRARY1 = LIBRARY1->findChild<QAction*>("IMPORTLIBRARY1");
  connect(IMPORTLIBRARY1, &QAction::triggered, this, &TForm1::libraryImportRequested);
  MIDISETUP1 = MIDI1->findChild<QAction*>("MIDISETUP1");
  CONTENTS1 = HELP1->findChild<QAction*>("CONTENTS1");
  connect(HELP1, &QMenu::aboutToShow, this, &TForm1::HELP1Click);
}

void TForm1::buildTimers() {
  const auto make = [this](const char* name, int interval, bool running) {
    auto* timer = new QTimer(this);
    timer->setObjectName(QLatin1String(name));
    timer->setInterval(interval);
    if (running) timer->start();
    return timer;
  };
  Timer1 = make("Timer1", layout::kTimerIntervalMs_Timer1, false);
  STORE_Time2 = make("STORE_Time2", layout::kTimerIntervalMs_STORE_Time2, true);
  Timer2 = make("Timer2", layout::kTimerIntervalMs_Timer2, true);
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

void TForm1::setBoxText(QLineEdit* box, const QString& text) {
  box->setText(isUpperCaseBox(box) ? latin1Upper(text) : text);
  // A text wider than its box shows its start, the way the fixed layout was drawn.
  box->setCursorPosition(0);
}

ClickablePanel* TForm1::ampPanelOfModel(int ampType) const {
  if (ampType < 0 || ampType >= static_cast<int>(kAmpModels.size())) return nullptr;
  return clientArea->findChild<ClickablePanel*>(latin1(kAmpModels[static_cast<std::size_t>(ampType)].panel));
}

QRadioButton* TForm1::effectButtonOf(int effectCode) const {
  const EffectRow* effect = findEffect(effectCode);
  return effect ? Panel1->findChild<QRadioButton*>(latin1(effect->button)) : nullptr;
}

void TForm1::ResetAmpPanels() {
  for (const AmpModelRow& model : kAmpModels) {
    auto* panel = clientArea->findChild<ClickablePanel*>(latin1(model.panel));
    panel->setOuterBevel(Bevel::Lowered);
    panel->setColour(colourOf(layout::kPurple));
  }
}

void TForm1::MarkAmpPanelSelected(ClickablePanel* panel) {
  panel->setOuterBevel(Bevel::Raised);
  panel->setColour(colourOf(layout::kRed));
}

void TForm1::ShowPresetQuietly(bool sendAfter) {
  state.SendSuppressed = true;
  ShowPreset();
  state.SendSuppressed = false;
  if (sendAfter) state.PresetResendPending = true;
}

void TForm1::ShowPreset() {
  // What the controls write back while they move to the record is no edit of the user's.
  const EditSession::Showing showing(session);
  ResetAmpPanels();
  state.BankRefreshPending = false;

  const PresetRecord& record = state.current();
  if (ClickablePanel* panel = ampPanelOfModel(record.value(AMP_TYPE))) MarkAmpPanelSelected(panel);

  const int effect = record.value(EFFECT_SELECT);
  {
    // Narrowing the rate range must not write the clamped position into the record; the
    // position is set from the record below.
    const QSignalBlocker quiet(ScrollRATE);
    ScrollRATE->setMaximum(effect == EFFECT_ROTARY ? kRotaryRateMaximum : kRateMaximum);
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

  const std::optional<std::string> name = state.current().validName();
  PRENAME->setText(name ? latin1Upper(latin1(*name))
                        : QStringLiteral("NO PRESET HERE"));
  updatePresetNumber();
}

void TForm1::MIDISETUP1Click() { emit midiSetupRequested(); }
void TForm1::HELP1Click() {}
void TForm1::CONTENTS1Click() { emit helpRequested(kHelpContext); }

void TForm1::START_MIDI() {}

}  // namespace kestralux
