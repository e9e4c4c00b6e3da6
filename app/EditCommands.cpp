// The EDIT menu: UNDO, REDO and COMPARE over the edit session, with the desktop's shortcuts;
// what marks one user action as one undo step; and the preset number box's marks. The steps
// and the references live in the core (model/EditSession); these handlers show what changed
// and send it as an edit would.

#include <QAction>
#include <QApplication>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QRadioButton>
#include <QScrollBar>

#include "app/Latin1.h"
#include "app/TForm1.h"
#include "app/UpDownArrows.h"
#include "editor/EditorTables.h"

namespace kestralux {

namespace {

bool isModifier(int key) {
  return key == Qt::Key_Control || key == Qt::Key_Shift || key == Qt::Key_Alt || key == Qt::Key_Meta ||
         key == Qt::Key_AltGr;
}

bool isUndoOrRedo(const QKeyEvent* key) {
  return key->matches(QKeySequence::Undo) || key->matches(QKeySequence::Redo) ||
         key->keyCombination() == QKeyCombination(Qt::ControlModifier, Qt::Key_Y) ||
         key->keyCombination() == QKeyCombination(Qt::ControlModifier | Qt::ShiftModifier, Qt::Key_Z);
}

// One user action is one undo step: a press (of a mouse button or a key) starts it, letting
// go ends it, so a held arrow, an auto-repeating key or a drag is one step; a wheel notch is
// one. A name is one step when it is finished, not one per letter. Touching a control while
// comparing first brings the edited version back.
class ActionBoundaries : public QObject {
 public:
  explicit ActionBoundaries(TForm1& form) : QObject(&form), form_(form) {}

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override {
    auto* widget = qobject_cast<QWidget*>(watched);
    if (!widget || !form_.clientArea->isAncestorOf(widget)) return false;
    switch (event->type()) {
      case QEvent::MouseButtonPress:
        if (form_.session.comparing()) form_.endCompareByTouch();
        form_.session.endAction();
        break;
      case QEvent::KeyPress: {
        const auto* key = static_cast<QKeyEvent*>(event);
        if (key->isAutoRepeat() || isModifier(key->key())) break;
        if (form_.session.comparing()) form_.endCompareByTouch();
        // A new key is a new action, whatever came before it was left open.
        if (widget != form_.PRENAME) form_.session.endAction();
        break;
      }
      case QEvent::MouseButtonRelease:
        form_.session.endAction();
        // Panels and radio buttons act on the release itself, after this: their change is
        // closed once the release has been handled, so it never joins the next action.
        QMetaObject::invokeMethod(&form_, [session = &form_.session] { session->endAction(); }, Qt::QueuedConnection);
        break;
      case QEvent::KeyRelease: {
        const auto* key = static_cast<QKeyEvent*>(event);
        if (!key->isAutoRepeat() && widget != form_.PRENAME) form_.session.endAction();
        break;
      }
      case QEvent::ShortcutOverride: {
        // The name box would take Ctrl+Z for its own text; undo and redo belong to the EDIT
        // menu wherever the focus is. The name typed so far is one finished step first.
        const auto* key = static_cast<QKeyEvent*>(event);
        if (widget != form_.PRENAME || !isUndoOrRedo(key)) break;
        event->ignore();
        return true;
      }
      case QEvent::Wheel:
        if (form_.session.comparing()) form_.endCompareByTouch();
        // After the bar has taken the notch.
        QMetaObject::invokeMethod(&form_, [session = &form_.session] { session->endAction(); }, Qt::QueuedConnection);
        break;
      default: break;
    }
    return false;
  }

 private:
  TForm1& form_;
};

}  // namespace

void TForm1::setUpEditing() {
  UNDO1 = EDIT1->findChild<QAction*>("UNDO1");
  REDO1 = EDIT1->findChild<QAction*>("REDO1");
  COMPARE1 = EDIT1->findChild<QAction*>("COMPARE1");
  UNDO1->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_Z));
  REDO1->setShortcuts({QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_Z), QKeySequence(Qt::CTRL | Qt::Key_Y)});
  COMPARE1->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_D));
  for (QAction* action : {UNDO1, REDO1, COMPARE1}) action->setShortcutContext(Qt::WindowShortcut);
  connect(UNDO1, &QAction::triggered, this, &TForm1::UNDO1Click);
  connect(REDO1, &QAction::triggered, this, &TForm1::REDO1Click);
  connect(COMPARE1, &QAction::triggered, this, &TForm1::COMPARE1Click);
  connect(PRENAME, &QLineEdit::editingFinished, this, [this] { session.endAction(); });
  actionBoundaries_ = new ActionBoundaries(*this);
  qApp->installEventFilter(actionBoundaries_);
  session.changed = [this] {
    // What the bank holds is on screen and in the combo's ears, whatever ended the compare.
    if (session.compareEndedByTransfer()) ShowPresetQuietly();
    updatePresetNumber();
  };
  UNDO1->setEnabled(false);
  REDO1->setEnabled(false);
}

void TForm1::tearDownEditing() {
  delete actionBoundaries_;  // no longer filters the application's events
  actionBoundaries_ = nullptr;
  disconnect(PRENAME, &QLineEdit::editingFinished, this, nullptr);
  session.changed = nullptr;
}

bool TForm1::refusedDuringTransfer() {
  if (!protocol.fetch.waiting() && !session.transferRunning()) return false;
  Label2->setText(QStringLiteral("TRANSFER IN PROGRESS"));
  showStatus();
  return true;
}

void TForm1::UNDO1Click() {
  if (refusedDuringTransfer()) return;
  const PresetRecord before = state.current();
  showChange(session.undo(), before);
}

void TForm1::REDO1Click() {
  if (refusedDuringTransfer()) return;
  const PresetRecord before = state.current();
  showChange(session.redo(), before);
}

void TForm1::COMPARE1Click() {
  const PresetRecord before = state.current();
  showChange(session.compare(), before);
}

void TForm1::endCompareByTouch() {
  session.endCompare();
  ShowPresetQuietly(false);
  // Now, before the touch acts on it.
  protocol.SendWholePreset();
}

void TForm1::showChange(const BankChange& change, const PresetRecord& shownBefore) {
  if (change.kind == BankChange::Kind::None) return;
  if (change.kind == BankChange::Kind::Edit && change.preset == state.CurrentPreset) {
    showMovedControls(shownBefore);
  } else {
    // Another preset is shown first, as a step of the arrows shows it; whole presets go out
    // as one burst.
    if (change.kind == BankChange::Kind::Edit) {
      state.CurrentPreset = change.preset;
      PRESETUpDown->setPosition(change.preset);
      PRENUM->setText(QStringLiteral("PRESET   ") + QString::number(change.preset + 1));
    }
    ShowPresetQuietly();
  }
  updatePresetNumber();
}

void TForm1::showMovedControls(const PresetRecord& before) {
  const EditSession::Showing showing(session);
  const PresetRecord now = state.current();
  const auto moved = [&](int parameter) { return now.value(parameter) != before.value(parameter); };
  for (const StripRow& row : kStrips)
    if (moved(row.parameter)) clientArea->findChild<QScrollBar*>(latin1(row.scrollBar))->setValue(now.value(row.parameter));
  if (moved(AMP_TYPE)) AmpPanelClick(now.value(AMP_TYPE));
  if (moved(EFFECT_SELECT)) {
    if (QRadioButton* button = effectButtonOf(now.value(EFFECT_SELECT))) {
      button->setChecked(true);
      SelectEffect(now.value(EFFECT_SELECT));
    }
  }
  if (moved(EFF_ADJUST1)) ScrollFX15->setValue(now.value(EFF_ADJUST1));
  if (moved(EFF_ADJUST2)) ScrollFX16->setValue(now.value(EFF_ADJUST2));
  if (moved(EFF_RATE)) ScrollRATE->setValue(now.value(EFF_RATE));
  if (now.validName() != before.validName())
    PRENAME->setText(now.validName() ? latin1Upper(latin1(*now.validName())) : QStringLiteral("NO PRESET HERE"));
}

}  // namespace kestralux
