// The EDIT menu: UNDO, REDO and COMPARE over the editor's actions, with the desktop's
// shortcuts, and the controls an undo or a redo of an edit on screen moves.

#include <QAction>
#include <QApplication>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QRadioButton>
#include <QScrollBar>

#include "app/ActionBoundaries.h"
#include "app/Latin1.h"
#include "app/TForm1.h"
#include "editor/EditorTables.h"

namespace kestralux {

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
  connect(PRENAME, &QLineEdit::editingFinished, this, [this] { actions.endAction(); });
  actionBoundaries_ = new ActionBoundaries(actions, clientArea, PRENAME, nullptr);
  qApp->installEventFilter(actionBoundaries_);
  UNDO1->setEnabled(false);
  REDO1->setEnabled(false);
}

bool TForm1::refusedDuringTransfer() {
  if (!actions.transferRunning()) return false;
  say(QString::fromLatin1(kTransferInProgress));
  return true;
}

// In a text box, the box's typing; elsewhere the bank's last step.
void TForm1::UNDO1Click() {
  if (auto* box = qobject_cast<QLineEdit*>(QApplication::focusWidget()); box && !box->isReadOnly() && box->window() == this) {
    box->undo();
    return updateEditMenu();
  }
  if (!refusedDuringTransfer()) actions.undo();
}

void TForm1::REDO1Click() {
  if (auto* box = qobject_cast<QLineEdit*>(QApplication::focusWidget()); box && !box->isReadOnly() && box->window() == this) {
    box->redo();
    return updateEditMenu();
  }
  if (!refusedDuringTransfer()) actions.redo();
}

void TForm1::COMPARE1Click() { actions.compare(); }

void TForm1::showMovedControls(const PresetRecord& before) {
  const EditorActions::Drawing drawing(actions);
  const PresetRecord now = actions.shownPreset();
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
  if (now.validName() != before.validName()) PRENAME->setText(presetNameText(now));
}

}  // namespace kestralux
