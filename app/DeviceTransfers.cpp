// The device transfer commands of the main window: "Get All Presets from Kestralux" and
// "Store All Presets to Kestralux", their colours, Timer2 and STORE_Time2, and the texts
// that tell the user how a transfer goes. The rules of both transfers live in the core
// (protocol/BankTransfer, link/TransferDriver); these handlers start them, give the store's
// driver its Qt timer and show what it says.

#include <QMessageBox>
#include <QStringList>
#include <QTimer>

#include "app/ClickablePanel.h"
#include "app/InputHold.h"
#include "app/MainWindowLayout.h"
#include "app/MessageLine.h"
#include "app/PanelNotice.h"
#include "app/TForm1.h"
#include "app/WindowLook.h"
#include "midi/MidiEngine.h"

namespace kestralux {

void TForm1::setUpTransfers() {
  fetchNotice = new PanelNotice(REQUES, QStringLiteral("fetchNoticeTimer"), this);
  storeNotice = new PanelNotice(STOR, QStringLiteral("storeNoticeTimer"), this);
  for (PanelNotice* notice : {fetchNotice, storeNotice})
    notice->told = [this](const QString& text, bool onCaption) { onCaption ? messageLine->keep(text) : messageLine->say(text); };
  storeInputHold = new InputHold(this);
  // The store driver's clock: it says when it wants to be woken.
  transferWake = new QTimer(this);
  transferWake->setObjectName(QStringLiteral("transferWake"));
  transferWake->setTimerType(Qt::PreciseTimer);
  transferWake->setSingleShot(true);
  connect(transferWake, &QTimer::timeout, this, &TForm1::transferWakeTick);
  actions.transfers().wakeAfter = [this](std::chrono::milliseconds after) { transferWake->start(static_cast<int>(after.count())); };
  actions.watchStore(
      [this](const std::string& text) {
        // A store put back from the history holds the window as a confirmed one does.
        if (!storeInputHold->holding()) storeInputHold->hold();
        storeNotice->show({text});
      },
      [this](const StoreOutcome& outcome) { storeEnded(outcome); });
  actions.watchFetch(
      [this](const Notices& notices) {
        fetchNotice->show(notices);
        updatePresetNumber();  // UNDO and REDO are greyed while a fetch runs
      },
      // After the poll tick that decoded the last preset, not inside it.
      [this] { QTimer::singleShot(0, this, &TForm1::ShowFetchedBank); });
}

void TForm1::REQUESClick() {
  REQUES->setColour(colourOf(layout::kLime));
  actions.requestFetch();
  STORE_Time2->start();
}

void TForm1::STORClick() {
  actions.setStoreScope(StoreScope::ALL);
  // The scope belongs to this click: the box lets ticks run, and a restore tick inside it
  // must not turn the store-all it announces into a single store.
  const StoreScope scope = actions.storeScope();
  QMessageBox box(QMessageBox::NoIcon, QStringLiteral(" STORE ALL PRESETS BACK TO KESTRALUX? "),
                  QStringLiteral("Are you sure you want to do this?"), QMessageBox::Yes | QMessageBox::No, this);
  box.setObjectName(QStringLiteral("storeConfirmation"));
  if (box.exec() != QMessageBox::Yes) {
    STOR->setColour(colourOf(layout::kMaroon));
    STORE_SELECT->setColour(colourOf(layout::kGreen));
    actions.setStoreScope(StoreScope::ALL);
    return;
  }
  STOR->setColour(colourOf(layout::kRed));
  // The messages are built now: what goes out is the bank as it is at this answer, in the
  // scope it announced, whatever the restore tick or an incoming transfer does before the
  // store starts. Until the store has ended the window takes no input.
  actions.startStore(scope);
  storeInputHold->hold();
}

void TForm1::STORE_SELECTClick() {
  actions.setStoreScope(StoreScope::ALL);
  STORE_SELECT->setColour(colourOf(layout::kLime));
}

void TForm1::Timer2Timer() {
  Timer2->stop();
  ShowFetchedBank();
  if (actions.storeRequested()) StoreToDevice();
  // A running store starts Timer2 again when it has ended.
  if (!actions.transfers().running()) Timer2->start();
}

// The fetch ends on preset 1, shown as soon as the last preset is in; a store that is going
// out keeps the wire to itself, and Timer2 shows it after the store.
void TForm1::ShowFetchedBank() { actions.showFetchedBank(); }

void TForm1::showComboConnection(bool connected) {
  fetchNotice->setCaption(connected ? QStringLiteral("Get All Presets from Kestralux")
                                    : QStringLiteral("Get All Presets (NOT CONNECTED)"));
}

void TForm1::StoreToDevice() {
  STOR->setToolTip(QString());
  actions.runStore();
}

void TForm1::transferWakeTick() {
  transferWake->stop();
  actions.transfers().wake();
}

// The panel shows the first slot that did not take; every one is in its tooltip.
void TForm1::storeEnded(const StoreOutcome& outcome) {
  Notices shown = outcome.notices;
  if (outcome.result == StoreOutcome::Result::NotTaken) {
    QStringList all;
    for (const std::string& line : outcome.notices) all << QString::fromStdString(line);
    STOR->setToolTip(all.join(QLatin1Char('\n')));
    shown.resize(1);
    for (const std::string& line : outcome.notices)
      if (line.rfind("SLOT ", 0) != 0) shown.push_back(line);
  }
  storeNotice->show(shown);
  storeInputHold->release();
  STORE_Time2->start();
  Timer2->start();
  // The window was closed while the store went out: it closes now that the last one has.
  if (closeAfterStore_) QTimer::singleShot(0, this, &QWidget::close);
  // Store All chosen at closing: once the bank is on the combo; a store that failed keeps
  // the window open with the failure said.
  if (std::exchange(closeWhenStored_, false) && actions.editedCount() == 0) QTimer::singleShot(0, this, &QWidget::close);
}

bool TForm1::holdCloseForStore() {
  if (!actions.storeRunning()) return false;
  closeAfterStore_ = true;
  return true;
}

void TForm1::RestoreButtons() {
  STORE_Time2->stop();
  STORE_SELECT->setColour(colourOf(layout::kGreen));
  actions.setStoreScope(StoreScope::SINGLE);
  STOR->setColour(colourOf(layout::kMaroon));
  REQUES->setColour(colourOf(layout::kTeal));
}

}  // namespace kestralux
