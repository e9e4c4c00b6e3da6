#include "app/Accessibility.h"

#include <QAbstractItemView>
#include <QAccessibleWidget>
#include <QApplication>
#include <QButtonGroup>
#include <QCheckBox>
#include <QComboBox>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPainter>
#include <QPushButton>
#include <QRadioButton>
#include <QScrollArea>
#include <QScrollBar>
#include <QToolButton>

#include "app/BankWindow.h"
#include "app/ClickablePanel.h"
#include "app/Latin1.h"
#include "app/LibraryPane.h"
#include "app/MainWindowLayout.h"
#include "app/MainWindowUi.h"
#include "app/TMIDI_IO.h"
#include "app/UpDownArrows.h"
#include "app/ValueEntryBox.h"
#include "editor/EditorTables.h"
#include "editor/ValueEntry.h"

namespace kestralux {

namespace {

// Each value bar with the label under it that names it, and its value box with a name that
// stays whichever effect is chosen.
struct BarCaption {
  const char* bar;
  const char* label;
  const char* box;
  const char* boxName;
};

const BarCaption kBarCaptions[] = {
    {"ScrollGAIN", "LABLGAIN", "GAINEDIT", "GAIN VALUE"},
    {"ScrollBASS", "LABLBASS", "BASSEDIT", "BASS VALUE"},
    {"ScrollMID", "LABLMID", "MIDEDIT", "MID VALUE"},
    {"ScrollTREB", "LABLTREB", "TREBEDIT", "TREBLE VALUE"},
    {"ScrollDLVL", "LABLDLVL", "DLVLEDIT", "DELAY LEVEL VALUE"},
    {"ScrollDREG", "LABLDREG", "DREGEDIT", "DELAY REGEN VALUE"},
    {"ScrollDPAN", "LABLDPAN", "DPANEDIT", "DELAY PAN VALUE"},
    {"ScrollDTIME", "LABLDTIME", "DTIMEEDIT", "DELAY TIME VALUE"},
    {"ScrollREV", "LABLREV", "REVEDIT", "REVERB LEVEL VALUE"},
    {"ScrollGATE", "LABLGATE", "GATEEDIT", "GATE VALUE"},
    {"ScrollPVOL", "LABLPVOL", "PVOLEDIT", "PRESET VOLUME VALUE"},
    {"ScrollFX15", "LABL15", "Effect15", "EFFECT ADJUST 1 VALUE"},
    {"ScrollFX16", "LABL16", "Effect16", "EFFECT ADJUST 2 VALUE"},
    {"ScrollRATE", "LABLRATE", "Rate", "RATE VALUE"},
};

// Names of controls whose caption is no text of their own.
struct FixedName {
  const char* control;
  const char* name;
};

const FixedName kMainWindowNames[] = {
    {"Image1", "KESTRALUX"},
    {"PRESETUpDown", "PRESET"},
    {"PRENUM", "PRESET NUMBER"},
    {"PRENAME", "PRESET NAME"},
    {"Panel1", "EFFECT SELECT"},
};

template <typename T>
T* labelled(const QObject* bar, const char* property) {
  return qobject_cast<T*>(bar->property(property).value<QObject*>());
}

// A value bar: named by the label under it, valued as its box shows it. The caption of an
// effect's controls changes with the effect, so both are read when asked, never copied.
class ValueBarAccessible : public QAccessibleWidget, public QAccessibleValueInterface {
 public:
  explicit ValueBarAccessible(QScrollBar* bar) : QAccessibleWidget(bar, QAccessible::ScrollBar) {}

  QScrollBar* bar() const { return static_cast<QScrollBar*>(object()); }

  QString text(QAccessible::Text t) const override {
    switch (t) {
      case QAccessible::Name:
        if (const auto* label = labelled<QLabel>(bar(), kCaptionLabelProperty)) return label->text().trimmed();
        break;
      case QAccessible::Value:
      case QAccessible::Description:
        if (const auto* box = labelled<QLineEdit>(bar(), kValueBoxProperty)) return box->text().trimmed();
        break;
      default: break;
    }
    return QAccessibleWidget::text(t);
  }

  void* interface_cast(QAccessible::InterfaceType type) override {
    if (type == QAccessible::ValueInterface) return static_cast<QAccessibleValueInterface*>(this);
    return QAccessibleWidget::interface_cast(type);
  }

  QVariant currentValue() const override { return bar()->value(); }
  void setCurrentValue(const QVariant& value) override { bar()->setValue(value.toInt()); }
  QVariant maximumValue() const override { return bar()->maximum(); }
  QVariant minimumValue() const override { return bar()->minimum(); }
  QVariant minimumStepSize() const override { return bar()->singleStep(); }
};

// A panel that takes clicks reads as a button; an amp model's panel as one of a set of choices,
// checked while raised; the effect frame as the group it is.
class PanelAccessible : public QAccessibleWidget {
 public:
  explicit PanelAccessible(ClickablePanel* panel) : QAccessibleWidget(panel, QAccessible::Button) {}

  // Read when asked: the panel may have been asked about before its role was given.
  QAccessible::Role role() const override {
    const QVariant given = panel()->property(kPanelRoleProperty);
    return given.isValid() ? static_cast<QAccessible::Role>(given.toInt()) : QAccessible::Button;
  }

  ClickablePanel* panel() const { return static_cast<ClickablePanel*>(object()); }

  QString text(QAccessible::Text t) const override {
    if (t == QAccessible::Name && panel()->accessibleName().isEmpty()) return panel()->caption().trimmed();
    return QAccessibleWidget::text(t);
  }

  QAccessible::State state() const override {
    QAccessible::State s = QAccessibleWidget::state();
    if (role() == QAccessible::RadioButton) {
      s.checkable = true;
      s.checked = panel()->outerBevel() == Bevel::Raised;
    }
    return s;
  }

  QStringList actionNames() const override {
    QStringList names = QAccessibleWidget::actionNames();
    if (role() != QAccessible::Grouping) names.prepend(pressAction());
    return names;
  }

  void doAction(const QString& name) override {
    if (name == pressAction() && role() != QAccessible::Grouping) {
      emit panel()->clicked();
      return;
    }
    QAccessibleWidget::doAction(name);
  }
};

// A list box read by its name, with what it shows as its value. Qt's own reads a list box's
// shown text as its name on Linux, where a reader would hear "ANY EFFECT" and not which list.
class NamedListAccessible : public QAccessibleWidget {
 public:
  explicit NamedListAccessible(QComboBox* list) : QAccessibleWidget(list, QAccessible::ComboBox) {}

  QComboBox* list() const { return static_cast<QComboBox*>(object()); }

  QString text(QAccessible::Text t) const override {
    if (t == QAccessible::Value) return list()->currentText();
    return QAccessibleWidget::text(t);
  }

  QStringList actionNames() const override { return QStringList{showMenuAction()} + QAccessibleWidget::actionNames(); }

  void doAction(const QString& name) override {
    if (name == showMenuAction() || name == pressAction()) return list()->showPopup();
    QAccessibleWidget::doAction(name);
  }
};

QAccessibleInterface* accessibleOf(const QString& className, QObject* object) {
  if (className == QLatin1String("QComboBox") && !static_cast<QComboBox*>(object)->accessibleName().isEmpty())
    return new NamedListAccessible(static_cast<QComboBox*>(object));
  if (className == QLatin1String("QScrollBar") && object->property(kCaptionLabelProperty).isValid())
    return new ValueBarAccessible(static_cast<QScrollBar*>(object));
  if (className == QLatin1String("kestralux::ClickablePanel")) return new PanelAccessible(static_cast<ClickablePanel*>(object));
  return nullptr;
}

// An interface asked for before the control was described here is Qt's own; it goes, so the
// next question finds ours.
template <typename Ours>
void renewInterface(QObject* control) {
  QAccessibleInterface* iface = QAccessible::queryAccessibleInterface(control);
  if (iface && !dynamic_cast<Ours*>(iface)) QAccessible::deleteAccessibleInterface(QAccessible::uniqueId(iface));
}

void installFactoryOnce() {
  static const bool installed = [] {
    QAccessible::installFactory(accessibleOf);
    return true;
  }();
  (void)installed;
}

bool isEnter(int key) { return key == Qt::Key_Return || key == Qt::Key_Enter; }

// Readable on navy, black, purple and the desktop's grey alike.
const QColor kFocusRing(255, 255, 0);
const QColor kFocusEdge(0, 0, 0);
constexpr int kThickRingHeight = 16;

}  // namespace

Accessibility::Accessibility(QWidget& window, MainWindowUi& form, EditorActions& actions)
    : QObject(&window), form_(form), actions_(actions) {
  setObjectName(QStringLiteral("accessibility"));
  installFactoryOnce();
  // Lists of windows built before this one.
  renewNamedLists();
  QWidget* area = form.clientArea;

  for (const BarCaption& row : kBarCaptions) {
    auto* bar = area->findChild<QScrollBar*>(QLatin1String(row.bar));
    auto* label = area->findChild<QLabel*>(QLatin1String(row.label));
    auto* box = area->findChild<QLineEdit*>(QLatin1String(row.box));
    bar->setProperty(kCaptionLabelProperty, QVariant::fromValue<QObject*>(label));
    bar->setProperty(kValueBoxProperty, QVariant::fromValue<QObject*>(box));
    label->setBuddy(bar);
    renewInterface<ValueBarAccessible>(bar);
    box->setAccessibleName(QLatin1String(row.boxName));
    // The reader hears the new text as the box shows it.
    connect(box, &QLineEdit::textChanged, bar, [bar] {
      QAccessibleEvent changed(bar, QAccessible::DescriptionChanged);
      QAccessible::updateAccessibility(&changed);
    });
    box->installEventFilter(this);  // a double-click opens the entry
    watch(bar);
  }
  // An effect's controls are named anew once its captions are written.
  connect(form.effectButtons, &QButtonGroup::buttonToggled, this, [this] {
    QMetaObject::invokeMethod(this, [this] {
      for (QScrollBar* bar : {form_.ScrollFX15, form_.ScrollFX16, form_.ScrollRATE}) {
        QAccessibleEvent renamed(bar, QAccessible::NameChanged);
        QAccessible::updateAccessibility(&renamed);
      }
    }, Qt::QueuedConnection);
  });

  for (const FixedName& row : kMainWindowNames) area->findChild<QWidget*>(QLatin1String(row.control))->setAccessibleName(QLatin1String(row.name));
  form.PRESETUpDown->upArrow()->setAccessibleName(QStringLiteral("NEXT PRESET"));
  form.PRESETUpDown->downArrow()->setAccessibleName(QStringLiteral("PREVIOUS PRESET"));
  form.scrollArea->horizontalScrollBar()->setAccessibleName(QStringLiteral("WINDOW ACROSS"));
  form.scrollArea->verticalScrollBar()->setAccessibleName(QStringLiteral("WINDOW UP AND DOWN"));
  form.Panel1->setProperty(kPanelRoleProperty, static_cast<int>(QAccessible::Grouping));

  // The amp models are one set of choices, one Tab stop (the chosen one), the arrows moving
  // among them as among the effects.
  for (const AmpModelRow& model : kAmpModels) {
    ClickablePanel* panel = form.ampPanelOfModel(model.ampType);
    panel->setProperty(kPanelRoleProperty, static_cast<int>(QAccessible::RadioButton));
    panel->setFocusPolicy(Qt::ClickFocus);
    watch(panel);
  }
  keepOneAmpStop();
  for (ClickablePanel* panel : {form.STOR, form.REQUES}) {
    panel->setFocusPolicy(Qt::StrongFocus);
    watch(panel);
  }
  for (ClickablePanel* panel : area->findChildren<ClickablePanel*>()) renewInterface<PanelAccessible>(panel);
  for (QRadioButton* button : form.Panel1->findChildren<QRadioButton*>()) {
    button->setAccessibleName(button->text().trimmed());
    watch(button);
  }
  form.PRESETUpDown->setFocusPolicy(Qt::StrongFocus);
  watch(form.PRESETUpDown);
  for (QWidget* w : std::initializer_list<QWidget*>{form.PRENAME, form.PRESET_STR, form.Load_preset, form.STR_ALL, form.Load_all})
    watch(w);

  // Now that panels and arrows take the keyboard, they take their places in the Tab order.
  QWidget* previous = nullptr;
  for (const std::string_view name : layout::kTabOrder) {
    QWidget* w = area->findChild<QWidget*>(latin1(name));
    if (previous) QWidget::setTabOrder(previous, w);
    previous = w;
  }

  connect(qApp, &QApplication::focusChanged, this, [this](QWidget* old, QWidget* now) {
    for (QWidget* w : {old, now})
      if (w && controls_.contains(w)) w->update();
  });
}

void Accessibility::attachBankWindow(BankWindow& window) {
  const FixedName names[] = {
      {"librarySearch", "SEARCH NAMES"}, {"libraryAmp", "AMP MODEL"},        {"libraryEffect", "EFFECT"},
      {"libraryWhere", "CONDITIONS"},     {"libraryFavourites", "FAVOURITES ONLY"}, {"libraryTagFilter", "TAG"},
      {"libraryResults", "LIBRARY"},      {"libraryTags", "TAGS OF THE SOUND"}, {"libraryCount", "FOUND"},
      {"libraryCategory", "CATEGORY"},    {"libraryHideClose", "HIDE CLOSE SOUNDS"}, {"libraryClear", "CLEAR FILTERS"},
      {"libraryFilters", "FILTERS"},      {"libraryShare", "SHARE"},
      {"bankStatus", "BANK STATUS"},
  };
  window.slotList->setAccessibleName(QStringLiteral("SLOTS"));
  watch(window.slotList);
  for (const FixedName& row : names) {
    if (auto* w = window.findChild<QWidget*>(QLatin1String(row.control))) {
      w->setAccessibleName(QLatin1String(row.name));
      if (w->focusPolicy() & Qt::TabFocus) watch(w);
    }
  }
  renewNamedLists();
}

void Accessibility::renewNamedLists() {
  for (QWidget* w : QApplication::allWidgets())
    if (auto* list = qobject_cast<QComboBox*>(w); list && !list->accessibleName().isEmpty()) renewInterface<NamedListAccessible>(list);
}

void Accessibility::attachSetupWindow(TMIDI_IO& window) {
  window.MIDI_IN_SEL->setAccessibleName(QStringLiteral("MIDI INPUT"));
  window.MIDI_OUT_SEL->setAccessibleName(QStringLiteral("MIDI OUTPUT"));
  window.MIDI_IN_LABEL->setBuddy(window.MIDI_IN_SEL);
  window.MIDI_OUT_LABEL->setBuddy(window.MIDI_OUT_SEL);
  for (QWidget* w : std::initializer_list<QWidget*>{window.MIDI_IN_SEL, window.MIDI_OUT_SEL, window.MIDI_DONE, window.FIND_COMBO})
    watch(w);
}

void Accessibility::attachToolWindow(QWidget& window) {
  for (QWidget* w : window.findChildren<QWidget*>())
    if ((w->focusPolicy() & Qt::TabFocus) && !controls_.contains(w)) watch(w);
}

void Accessibility::keepOneAmpStop() {
  ClickablePanel* chosen = nullptr;
  for (const AmpModelRow& model : kAmpModels) {
    ClickablePanel* panel = form_.ampPanelOfModel(model.ampType);
    if (panel->outerBevel() == Bevel::Raised) chosen = panel;
    if (panel->focusPolicy() == Qt::StrongFocus) panel->setFocusPolicy(Qt::ClickFocus);
  }
  (chosen ? chosen : form_.ampPanelOfModel(0))->setFocusPolicy(Qt::StrongFocus);
}

namespace {

// The amp models' grid, four across, in reading order: an arrow's neighbour, Left and Right
// running on through the rows.
int ampNeighbour(int index, int key) {
  constexpr int across = 4, count = 16;
  switch (key) {
    case Qt::Key_Left: return (index + count - 1) % count;
    case Qt::Key_Right: return (index + 1) % count;
    case Qt::Key_Up: return index >= across ? index - across : index;
    case Qt::Key_Down: return index + across < count ? index + across : index;
    default: return -1;
  }
}

}  // namespace

void Accessibility::watch(QWidget* control) {
  // An editable list's typing takes the focus: the ring goes round that.
  if (auto* list = qobject_cast<QComboBox*>(control); list && list->lineEdit() && !controls_.contains(list->lineEdit()))
    watch(list->lineEdit());
  controls_.insert(control);
  control->installEventFilter(this);
  connect(control, &QObject::destroyed, this, [this, control] { controls_.remove(control); });
}

void Accessibility::setKeyboardFocus(bool on) {
  if (keyboardFocus_ == on) return;
  keyboardFocus_ = on;
  if (QWidget* focused = QApplication::focusWidget(); focused && controls_.contains(focused)) focused->update();
}

ValueEntryBox* Accessibility::openEntry(QScrollBar* bar) {
  auto* box = labelled<QLineEdit>(bar, kValueBoxProperty);
  if (!box || !bar->isVisible() || !bar->isEnabled()) return nullptr;
  if (entry_) entry_->leave();
  entry_ = new ValueEntryBox(actions_, bar, box);
  const auto* label = labelled<QLabel>(bar, kCaptionLabelProperty);
  entry_->setAccessibleName(QStringLiteral("TYPE ") + (label ? label->text().trimmed() : QString()));
  entry_->show();
  entry_->raise();
  entry_->setFocus(Qt::OtherFocusReason);
  return entry_;
}

bool Accessibility::eventFilter(QObject* watched, QEvent* event) {
  auto* widget = qobject_cast<QWidget*>(watched);
  if (!widget) return false;
  switch (event->type()) {
    case QEvent::MouseButtonDblClick:
      if (auto* box = qobject_cast<QLineEdit*>(widget); box && !controls_.contains(widget)) {
        for (QScrollBar* bar : form_.clientArea->findChildren<QScrollBar*>())
          if (labelled<QLineEdit>(bar, kValueBoxProperty) == box) return openEntry(bar) != nullptr;
      }
      return false;
    case QEvent::MouseButtonPress:
      setKeyboardFocus(false);
      return false;
    case QEvent::KeyPress: {
      if (!controls_.contains(widget)) return false;
      setKeyboardFocus(true);
      const auto* key = static_cast<QKeyEvent*>(event);
      if (key->modifiers() & (Qt::ControlModifier | Qt::AltModifier | Qt::MetaModifier)) return false;
      if (auto* panel = qobject_cast<ClickablePanel*>(widget)) {
        if (panel->property(kPanelRoleProperty).toInt() == QAccessible::RadioButton) {
          // Reading order of the grid: the amp panels' order in the Tab order table.
          QList<ClickablePanel*> grid;
          for (const std::string_view name : layout::kTabOrder)
            if (auto* p = form_.clientArea->findChild<ClickablePanel*>(latin1(name)); p && p->property(kPanelRoleProperty).toInt() == QAccessible::RadioButton)
              grid << p;
          if (const int to = ampNeighbour(static_cast<int>(grid.indexOf(panel)), key->key()); to >= 0) {
            ClickablePanel* next = grid[to];
            if (next != panel) {
              emit next->clicked();
              next->setFocus(Qt::OtherFocusReason);
            }
            return true;
          }
        }
        if (key->key() != Qt::Key_Space && !isEnter(key->key())) return false;
        if (!key->isAutoRepeat()) emit panel->clicked();
        return true;
      }
      if (auto* radio = qobject_cast<QRadioButton*>(widget); radio && isEnter(key->key())) {
        if (!key->isAutoRepeat()) radio->click();
        return true;
      }
      if (auto* arrows = qobject_cast<UpDownArrows*>(widget)) {
        if (key->key() == Qt::Key_Up) arrows->upArrow()->click();
        else if (key->key() == Qt::Key_Down) arrows->downArrow()->click();
        else return false;
        return true;
      }
      if (auto* bar = qobject_cast<QScrollBar*>(widget); bar && bar->property(kValueBoxProperty).isValid()) {
        if (isEnter(key->key())) {
          openEntry(bar);
          return true;
        }
        // Up raises the value as Right does; the bar's own keys would turn it round.
        if (key->key() == Qt::Key_Up || key->key() == Qt::Key_Down) {
          bar->triggerAction(key->key() == Qt::Key_Up ? QAbstractSlider::SliderSingleStepAdd
                                                      : QAbstractSlider::SliderSingleStepSub);
          return true;
        }
      }
      return false;
    }
    case QEvent::FocusIn: {
      const auto reason = static_cast<QFocusEvent*>(event)->reason();
      if (reason != Qt::TabFocusReason && reason != Qt::BacktabFocusReason) return false;
      setKeyboardFocus(true);
      // Tab into the effects lands on the chosen one, as on any set of choices: the arrows
      // then pick from there.
      auto* radio = qobject_cast<QRadioButton*>(widget);
      QAbstractButton* chosen = radio && radio->group() ? radio->group()->checkedButton() : nullptr;
      if (chosen && chosen != radio && chosen->isVisible()) chosen->setFocus(reason);
      return false;
    }
    case QEvent::Paint: {
      if (!keyboardFocus_ || widget != QApplication::focusWidget() || !controls_.contains(widget)) return false;
      // The control paints itself first; the ring goes over its edge, inside it, so nothing
      // around it moves or is covered.
      static_cast<QObject*>(widget)->event(event);
      // Yellow inside black: one of the two stands out on any face, the chosen effect's lime
      // and the aqua boxes included.
      QPainter painter(widget);
      painter.setBrush(Qt::NoBrush);
      painter.setPen(QPen(kFocusEdge, 1, Qt::SolidLine));
      painter.drawRect(widget->rect().adjusted(0, 0, -1, -1));
      painter.setPen(QPen(kFocusRing, 1, Qt::SolidLine));
      painter.drawRect(widget->rect().adjusted(1, 1, -2, -2));
      // Controls tall enough for it (the lists, the buttons, the boxes) get a second yellow
      // line, which reads on the desktop's light grey too; a slider's thin bar keeps one.
      if (widget->height() >= kThickRingHeight) painter.drawRect(widget->rect().adjusted(2, 2, -3, -3));
      return true;
    }
    default: return false;
  }
}

}  // namespace kestralux
