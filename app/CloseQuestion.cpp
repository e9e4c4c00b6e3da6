// Closing the main window with edited presets that are in no file and not on the combo: the
// window asks once what to do with them. The rule of when to ask is the actions'.

#include <QAction>
#include <QCloseEvent>
#include <QMessageBox>
#include <QPushButton>

#include "app/ClickablePanel.h"
#include "app/DiskFiles.h"
#include "app/InputHold.h"
#include "app/MainWindowLayout.h"
#include "app/QuitOnSignal.h"
#include "app/TForm1.h"
#include "app/WindowLook.h"

namespace kestralux {

void TForm1::EXIT1Click() { close(); }

bool TForm1::closeAllowed() {
  if (closing_) return true;
  // The close button, Ctrl+Q and FILE > EXIT close alike; a signal and the end of the
  // desktop session close the window from outside.
  CloseWay way = CloseWay::Button;
  if (QuitOnSignal::requested()) way = CloseWay::Signal;
  if (sessionEnding_) way = CloseWay::SessionEnd;
  const std::optional<std::string> question = actions.closeQuestion(way);
  if (!question) return closing_ = true;

  QMessageBox box(QMessageBox::Question, QStringLiteral(" CLOSE THE PRESET MANAGER? "),
                  QString::fromStdString(*question) + QStringLiteral(".\nCLOSE KEEPS THEM IN LIBRARY > HISTORY."),
                  QMessageBox::NoButton, this);
  box.setObjectName(QStringLiteral("closeQuestion"));
  QPushButton* storeAll = box.addButton(QStringLiteral("STORE ALL"), QMessageBox::AcceptRole);
  QPushButton* saveBank = box.addButton(QStringLiteral("SAVE THE BANK"), QMessageBox::AcceptRole);
  QPushButton* closeNow = box.addButton(QStringLiteral("CLOSE"), QMessageBox::DestructiveRole);
  box.addButton(QMessageBox::Cancel);
  storeAll->setObjectName(QStringLiteral("closeStoreAll"));
  saveBank->setObjectName(QStringLiteral("closeSaveBank"));
  closeNow->setObjectName(QStringLiteral("closeNow"));
  box.setDefaultButton(storeAll);
  box.exec();
  // A signal while the box was open closed it: the program ends, the history keeps the edits.
  if (QuitOnSignal::requested() || box.clickedButton() == closeNow) return closing_ = true;
  if (box.clickedButton() == saveBank) {
    SAVEALL1Click();
    return closing_ = actions.editedCount() == 0;
  }
  if (box.clickedButton() == storeAll && !actions.transferRunning()) {
    // Chosen in the box, so the store's own confirmation is not asked again.
    STOR->setColour(colourOf(layout::kRed));
    actions.startStore(StoreScope::ALL);
    storeInputHold->hold();
    closeWhenStored_ = true;
  }
  return false;
}

}  // namespace kestralux
