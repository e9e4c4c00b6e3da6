#include "app/MainWindowUi.h"

#include <QAction>
#include <QApplication>
#include <QButtonGroup>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMainWindow>
#include <QMenu>
#include <QMenuBar>
#include <QProxyStyle>
#include <QPushButton>
#include <QRadioButton>
#include <QScrollArea>
#include <QScrollBar>
#include <QTimer>
#include <QWheelEvent>

#include <algorithm>

#include "actions/MainWindowZoom.h"
#include "app/Artwork.h"
#include "app/ClickablePanel.h"
#include "app/ElidedLabel.h"
#include "app/Latin1.h"
#include "app/MainWindowLayout.h"
#include "app/PresetNameValidator.h"
#include "app/UpDownArrows.h"
#include "app/WindowLook.h"
#include "editor/EditorTables.h"

namespace kestralux {

namespace {

// The classic radio indicator (13 pixels and a 4-pixel gap) leaves the 97-pixel effect
// buttons room for "COMPRESSOR" in bold; the desktop's wider indicator would cut it.
class EffectButtonStyle : public QProxyStyle {
 public:
  int pixelMetric(PixelMetric metric, const QStyleOption* option, const QWidget* widget) const override {
    // At the main window's zoom, which the button carries.
    const QVariant zoom = widget ? widget->property(kZoomProperty) : QVariant();
    const int percent = zoom.isValid() ? zoom.toInt() : kActualSize;
    if (metric == PM_ExclusiveIndicatorWidth || metric == PM_ExclusiveIndicatorHeight) return std::max(7, zoomed(13, percent));
    if (metric == PM_RadioButtonLabelSpacing) return std::max(2, zoomed(4, percent));
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
  // The name box's placeholder is drawn as a name is.
  if (row.kind == layout::NameBox) p.setColor(QPalette::PlaceholderText, p.color(QPalette::Text));
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

void MainWindowUi::setupUi(QMainWindow* window) {
  window_ = window;
  buildControls();
  bindMembers();
  buildMenus(window);
  buildTimers(window);
}

// A caption wider than its cell in the font it is drawn in grows about its centre: no letter is
// cut off, and a padlock left of the caption stays clear of its first letter.
void fitCaption(QLabel& caption) {
  const int needed = caption.fontMetrics().horizontalAdvance(caption.text()) + 2;
  if (needed <= caption.width()) return;
  const QRect cell = caption.geometry();
  caption.setGeometry(cell.x() - (needed - cell.width() + 1) / 2, cell.y(), needed, cell.height());
}

void MainWindowUi::buildControls() {
  scrollArea = new QScrollArea(window_);
  scrollArea->setObjectName("scrollArea");
  scrollArea->setFrameShape(QFrame::NoFrame);
  scrollArea->setFocusPolicy(Qt::NoFocus);
  scrollArea->setWidgetResizable(false);
  window_->setCentralWidget(scrollArea);

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

  auto* arrowKeys = new HorizontalArrowKeys(window_);
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
        // The status label says whatever a command has to say, within the room it has.
        auto* label = row.name == "Label2" ? new ElidedLabel(latin1(row.text), parent) : new QLabel(latin1(row.text), parent);
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
        // Only drawn, never the text: the first key typed replaces it whole.
        box->setPlaceholderText(latin1(kNoPresetHere));
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
    if (row.kind == layout::Label && row.name != "Label2") fitCaption(*static_cast<QLabel*>(widget));
    if (row.kind == layout::ValueBox) setBoxText(static_cast<QLineEdit*>(widget), latin1(row.text));
    if (!row.visible) widget->setVisible(false);
  }
}

void MainWindowUi::bindMembers() {
  const auto find = [this](auto*& member, const char* name) {
    member = clientArea->findChild<std::remove_reference_t<decltype(*member)>*>(QLatin1String(name));
    Q_ASSERT_X(member, "MainWindowUi", name);
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

  Label2->setMaximumWidth(layout::kStatusLabelRoom);
  Panel1->setInnerBevel(Bevel::Lowered);
  Panel1->setBorderWidth(layout::kEffectFrameBorderWidth);

  effectButtons = new QButtonGroup(window_);
  effectButtons->setObjectName("effectButtons");
  for (QRadioButton* button : Panel1->findChildren<QRadioButton*>()) effectButtons->addButton(button);
}

void MainWindowUi::buildMenus(QMainWindow* window) {
  QMenu* menu = nullptr;
  for (const layout::MenuRow& row : layout::kMenus) {
    if (!menu || menu->objectName() != latin1(row.menu)) {
      // Alt and the first letter opens it: Alt+F for FILE.
      menu = window->menuBar()->addMenu(QLatin1Char('&') + latin1(row.menuCaption));
      menu->setObjectName(latin1(row.menu));
    }
    QAction* action = menu->addAction(latin1(row.itemCaption));
    action->setObjectName(latin1(row.item));
  }
  LOADPRESET1 = window->menuBar()->findChild<QMenu*>("LOADPRESET1");
  EDIT1 = window->menuBar()->findChild<QMenu*>("EDIT1");
  MIDI1 = window->menuBar()->findChild<QMenu*>("MIDI1");
  HELP1 = window->menuBar()->findChild<QMenu*>("HELP1");
  LOADPRESET = LOADPRESET1->findChild<QAction*>("LOADPRESET");
  SAVEPRESET = LOADPRESET1->findChild<QAction*>("SAVEPRESET");
  LOADALL1 = LOADPRESET1->findChild<QAction*>("LOADALL1");
  SAVEALL1 = LOADPRESET1->findChild<QAction*>("SAVEALL1");
  EXPORTSHEET1 = LOADPRESET1->findChild<QAction*>("EXPORTSHEET1");
  LIBRARY1 = window->menuBar()->findChild<QMenu*>("LIBRARY1");
  BANK1 = LIBRARY1->findChild<QAction*>("BANK1");
  BANK1->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_B));
  IMPORTLIBRARY1 = LIBRARY1->findChild<QAction*>("IMPORTLIBRARY1");
  MIDISETUP1 = MIDI1->findChild<QAction*>("MIDISETUP1");
  CONTENTS1 = HELP1->findChild<QAction*>("CONTENTS1");
}

void MainWindowUi::buildTimers(QObject* owner) {
  const auto make = [owner](const char* name, int interval, bool running) {
    auto* timer = new QTimer(owner);
    timer->setObjectName(QLatin1String(name));
    timer->setInterval(interval);
    if (running) timer->start();
    return timer;
  };
  Timer1 = make("Timer1", layout::kTimerIntervalMs_Timer1, false);
  STORE_Time2 = make("STORE_Time2", layout::kTimerIntervalMs_STORE_Time2, true);
  Timer2 = make("Timer2", layout::kTimerIntervalMs_Timer2, true);
}

void MainWindowUi::setBoxText(QLineEdit* box, const QString& text) {
  box->setText(isUpperCaseBox(box) ? latin1Upper(text) : text);
  // A text wider than its box shows its start, the way the fixed layout was drawn.
  box->setCursorPosition(0);
}

ClickablePanel* MainWindowUi::ampPanelOfModel(int ampType) const {
  if (ampType < 0 || ampType >= static_cast<int>(kAmpModels.size())) return nullptr;
  return clientArea->findChild<ClickablePanel*>(latin1(kAmpModels[static_cast<std::size_t>(ampType)].panel));
}

QRadioButton* MainWindowUi::effectButtonOf(int effectCode) const {
  const EffectRow* effect = findEffect(effectCode);
  return effect ? Panel1->findChild<QRadioButton*>(latin1(effect->button)) : nullptr;
}

}  // namespace kestralux
