// The disk commands of the main window: the four buttons at the top and the four FILE menu
// items, each a row of one table; the status label Label2 with Timer1; and the hidden export
// button. The dialogs and the bytes are DiskFiles'; what a file does to the bank is the
// editor's actions'; these handlers tell the user how it went.

#include <QDir>
#include <QFileInfo>
#include <QLabel>
#include <QLineEdit>
#include <QTimer>

#include "app/DiskFiles.h"
#include "app/MainWindowLayout.h"
#include "app/MessageLine.h"
#include "app/TForm1.h"
#include "files/PresetTableExport.h"

namespace kestralux {

void TForm1::runDiskCommand(const DiskCommand& command, const QString* chosen) {
  // What is saved or replaced is the edited version, not the reference being compared.
  actions.endCompare();
  if (command.load() && refusedDuringTransfer()) return;
  Label2->setText(QString::fromLatin1(command.statusText));
  const std::optional<QString> path = chosen ? std::optional<QString>(*chosen) : askFileName(this, command, PRENAME->text(), lastFileFolder_);
  if (!path) return;
  // A fetch may have begun while the dialog was open.
  if (command.load() && refusedDuringTransfer()) return;

  LoadOutcome outcome{1, std::nullopt};
  switch (command.operation) {
    case DiskOperation::WritePresetFile:
      if (const auto failure = writeWhole(*path, presetFileImage(actions.shownPreset()))) outcome = {0, failure->toStdString()};
      else actions.savedPreset();
      break;
    case DiskOperation::WriteBankFile:
      if (const auto failure = writeWhole(*path, bankFileImage(actions.bank()))) outcome = {0, failure->toStdString()};
      else actions.savedBank();
      break;
    case DiskOperation::ReadPresetFile: outcome = actions.loadPresetFile(readStart(*path, kPresetFileSize, true)); break;
    case DiskOperation::ReadBankFile: outcome = actions.loadBankFile(readStart(*path, kBankFileSize, false)); break;
  }
  // A command that failed changes nothing on screen, in the bank or on the wire. A text of its
  // own replaces the command's, which would claim too much ("ALL PRESETS LOADED" for 11).
  if (outcome.said) {
    Label2->hide();
    say(QString::fromStdString(*outcome.said));
  }
  if (outcome.loaded == 0) return;
  const int count = command.operation == DiskOperation::WriteBankFile ? kPresetCount : outcome.loaded;
  emit presetsOnDisk(*path, command.save, command.bank(), count);
  if (!outcome.said) {
    messageLine->keep(Label2->text());
    showStatus();
  }
  if (command.load()) actions.showAgain();
}

// Label2 is sized to its text from its top-left corner, up to the buttons beside it (a longer
// text drawn shortened, whole in its tooltip). A running Timer1 is not restarted: the label
// goes two seconds after the first of two quick commands.
void TForm1::showStatus() {
  Label2->adjustSize();
  Label2->show();
  if (!Timer1->isActive()) Timer1->start();
}

// A text the status label shows whole goes there, as the window's own texts always have; a
// longer one goes to the message line, never cut. Either way HELP > MESSAGES keeps it.
void TForm1::say(const QString& text) {
  const QMargins margins = Label2->contentsMargins();
  if (Label2->fontMetrics().horizontalAdvance(text) + margins.left() + margins.right() + 2 * Label2->margin() > layout::kStatusLabelRoom)
    return messageLine->say(text);
  messageLine->keep(text);
  Label2->setText(text);
  showStatus();
}

void TForm1::Timer1Timer() {
  Timer1->stop();
  Label2->hide();
}

// While a library sound is heard, the message line says so whenever it has nothing else to say.
void TForm1::showHearing() { messageLine->setIdleText(QString::fromStdString(actions.hearingText())); }

void TForm1::LOADPRESETClick() { runDiskCommand(kLoadPreset); }
void TForm1::Load_presetClick() { runDiskCommand(kLoadPreset); }
void TForm1::SAVEPRESETClick() { runDiskCommand(kSavePreset); }
void TForm1::PRESET_STRClick() { runDiskCommand(kSavePresetNamed); }
void TForm1::SAVEALL1Click() { runDiskCommand(kSaveAll); }
void TForm1::STR_ALLClick() { runDiskCommand(kSaveAll); }
void TForm1::LOADALL1Click() { runDiskCommand(kLoadAll); }
void TForm1::Load_allClick() { runDiskCommand(kLoadAll); }

// FILE > EXPORT BANK SHEET...: the bank as the window shows it.
void TForm1::EXPORTSHEET1Click() {
  // The sheet shows the edited version, not the reference being compared.
  actions.endCompare();
  const std::optional<SheetFile> file = askSheetFile(this, lastFileFolder_);
  if (!file) return;
  const std::string sheet = bankSheet(actions.bank(), file->format, QFileInfo(file->path).completeBaseName().toStdString());
  const std::optional<QString> failure = writeWhole(file->path, Bytes(sheet.begin(), sheet.end()));
  say(failure ? *failure : QStringLiteral("SHEET SAVED TO ") + QDir::toNativeSeparators(QFileInfo(file->path).absoluteFilePath()));
}

// The hidden PROCESS PRESETS button: KES_PRE.INC in the working directory.
void TForm1::Button1Click() { ExportPresetTable(actions.bank()); }

}  // namespace kestralux
