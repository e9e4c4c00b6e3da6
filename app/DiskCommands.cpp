// The disk commands of the main window: the four buttons at the top and the four FILE menu
// items, each a row of one table; the status label Label2 with Timer1; and the hidden export
// button. The file formats and the export are the core's (files/); these handlers ask for a
// file name, read or write it, and tell the user how it went.

#include <QDir>
#include <QFile>
#include <QFileDialog>
#include <QFileInfo>
#include <QFontMetrics>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QSaveFile>
#include <QTimer>
#include <QUrl>

#include <cstdio>

#include "app/MainWindowLayout.h"
#include "app/TForm1.h"
#include "app/UpDownArrows.h"
#include "files/BankHistory.h"
#include "files/BankSheet.h"
#include "files/PresetFiles.h"
#include "files/PresetTableExport.h"

namespace kestralux {

enum class DiskOperation { WritePresetFile, WriteBankFile, ReadPresetFile, ReadBankFile };

struct DiskCommand {
  bool save;
  const char* defaultSuffix;
  const char* initialName;  // nullptr: the name box's text
  int filterEntry;          // 1 the *.pre line, 2 the *.bnk line
  const char* statusText;
  DiskOperation operation;
};

namespace {

constexpr DiskCommand kLoadPreset{false, "pre", "PRESET1.pre", 1, " PRESET LOADED  ", DiskOperation::ReadPresetFile};
constexpr DiskCommand kSavePreset{true, "pre", "PRESET1.pre", 1, " PRESET STORED  ", DiskOperation::WritePresetFile};
constexpr DiskCommand kSavePresetNamed{true, "pre", nullptr, 1, " PRESET SAVED   ", DiskOperation::WritePresetFile};
constexpr DiskCommand kSaveAll{true, "bnk", "FULL1.bnk", 2, "ALL PRESETS SAVED", DiskOperation::WriteBankFile};
constexpr DiskCommand kLoadAll{false, "bnk", "FULL1.bnk", 2, "ALL PRESETS LOADED", DiskOperation::ReadBankFile};

const QStringList kSaveFilters{QStringLiteral("dsp combo presets (*.pre)"), QStringLiteral("all dsp combo presets (*.bnk)")};
const QStringList kOpenFilters{QStringLiteral("dsp combo single preset (*.pre)"),
                               QStringLiteral("all dsp combo presets (*.bnk)")};

enum class Outcome { Done, CannotOpen, SaveFailed, NotAPresetFile };

const char* failureText(Outcome outcome) {
  switch (outcome) {
    case Outcome::CannotOpen: return "CANNOT OPEN FILE";
    case Outcome::SaveFailed: return "SAVE FAILED";
    case Outcome::NotAPresetFile: return "NOT A PRESET FILE";
    case Outcome::Done: break;
  }
  return nullptr;
}

void reportOpenFailure() { std::fputs("Cannot open output file.\n", stderr); }

// Whole or not at all: a failed save leaves the previous file as it was. QSaveFile's commit
// does not look at whether its buffer reached the disk (a full disk, a size limit) and would
// put a cut-off file in the old one's place, so the bytes are flushed and checked first; a
// file that is not committed is discarded.
Outcome writeWhole(const QString& path, const Bytes& image) {
  QSaveFile file(path);
  if (!file.open(QIODevice::WriteOnly)) {
    reportOpenFailure();
    return Outcome::CannotOpen;
  }
  // On the disk before it takes the name, and the name with it: "SAVED" survives a power cut.
  if (file.write(reinterpret_cast<const char*>(image.data()), static_cast<qint64>(image.size())) !=
          static_cast<qint64>(image.size()) ||
      !file.flush() || !syncFileToDisk(file.handle()) || !file.commit())
    return Outcome::SaveFailed;
  syncFolderOf(QFile::encodeName(path).toStdString());
  return Outcome::Done;
}

std::optional<QByteArray> readStart(const QString& path, std::size_t limit, bool reportFailure) {
  QFile file(path);
  if (!file.open(QIODevice::ReadOnly)) {
    if (reportFailure) reportOpenFailure();
    return std::nullopt;
  }
  return file.read(static_cast<qint64>(limit));
}

std::span<const std::uint8_t> bytesOf(const QByteArray& data) {
  return {reinterpret_cast<const std::uint8_t*>(data.constData()), static_cast<std::size_t>(data.size())};
}

}  // namespace

std::optional<QString> TForm1::askFileName(const DiskCommand& command) {
  const QStringList& filters = command.save ? kSaveFilters : kOpenFilters;
  QFileDialog dialog(this, command.save ? QStringLiteral("PRESET1.PRE") : QStringLiteral("Open"));
  dialog.setObjectName(command.save ? QStringLiteral("SaveDialog") : QStringLiteral("OpenDialog"));
  // Qt's own dialog keeps the titles and the filters exactly as given on every desktop.
  dialog.setOption(QFileDialog::DontUseNativeDialog);
  dialog.setAcceptMode(command.save ? QFileDialog::AcceptSave : QFileDialog::AcceptOpen);
  dialog.setFileMode(QFileDialog::AnyFile);
  dialog.setNameFilters(filters);
  dialog.selectNameFilter(filters.at(command.filterEntry - 1));
  dialog.setDefaultSuffix(QString::fromLatin1(command.defaultSuffix));
  // The dialogs remember their folder; the process's working directory, where combo.cfg
  // lives, never changes.
  dialog.setDirectory(lastFileFolder_);
  dialog.selectFile(command.initialName ? QString::fromLatin1(command.initialName) : PRENAME->text());
  // Every bank fetched or stored is kept in the history: one click away when one must come
  // back, and only then; Qt's dialog would otherwise bring back the side bar it saw last.
  const std::filesystem::path history = historyFolder();
  const QUrl historyPlace = QUrl::fromLocalFile(QString::fromStdString(history.string()));
  QList<QUrl> places = dialog.sidebarUrls();
  places.removeAll(historyPlace);
  if (command.operation == DiskOperation::ReadBankFile) {
    std::error_code ignored;
    std::filesystem::create_directories(history, ignored);
    places.append(historyPlace);
  }
  dialog.setSidebarUrls(places);
  if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return std::nullopt;
  const QString path = dialog.selectedFiles().constFirst();
  lastFileFolder_ = QFileInfo(path).absolutePath();
  if (!QFileInfo::exists(path)) {
    QMessageBox ask(QMessageBox::NoIcon, dialog.windowTitle(),
                    QFileInfo(path).fileName() + QStringLiteral("\nThis file does not exist.\nDo you want to create it?"),
                    QMessageBox::Yes | QMessageBox::No, this);
    ask.setObjectName(QStringLiteral("createConfirmation"));
    if (ask.exec() != QMessageBox::Yes) return std::nullopt;
  }
  return path;
}

void TForm1::runDiskCommand(const DiskCommand& command) {
  // What is saved or replaced is the edited version, not the reference being compared.
  if (session.comparing()) showChange(session.endCompare(), state.current());
  const bool load = command.operation == DiskOperation::ReadPresetFile || command.operation == DiskOperation::ReadBankFile;
  if (load && refusedDuringTransfer()) return;
  Label2->setText(QString::fromLatin1(command.statusText));
  const std::optional<QString> path = askFileName(command);
  if (!path) return;
  // A fetch may have begun while the dialog was open.
  if (load && refusedDuringTransfer()) return;

  Outcome outcome = Outcome::Done;
  int loaded = 0;
  std::size_t bytesRead = 0;
  // Loaded into a copy: the bank changes only through the edit session, as one step.
  PresetBank read = state.bank;
  switch (command.operation) {
    case DiskOperation::WritePresetFile:
      outcome = writeWhole(*path, presetFileImage(state.current()));
      break;
    case DiskOperation::WriteBankFile:
      outcome = writeWhole(*path, bankFileImage(state.bank));
      break;
    case DiskOperation::ReadPresetFile:
    case DiskOperation::ReadBankFile: {
      const bool single = command.operation == DiskOperation::ReadPresetFile;
      const auto data = readStart(*path, single ? kPresetFileSize : kBankFileSize, single);
      if (data) bytesRead = static_cast<std::size_t>(data->size());
      if (!data)
        outcome = Outcome::CannotOpen;
      else if ((loaded = single ? loadPresetImage(bytesOf(*data), read[static_cast<std::size_t>(state.CurrentPreset)])
                                : loadBankImage(bytesOf(*data), read)) == 0)
        outcome = Outcome::NotAPresetFile;
      break;
    }
  }
  if (const char* failure = failureText(outcome)) {
    // A command that failed changes nothing on screen, in the bank or on the wire.
    Label2->setText(QString::fromLatin1(failure));
    showStatus();
    return;
  }

  switch (command.operation) {
    case DiskOperation::WritePresetFile: session.saved(state.CurrentPreset); break;
    case DiskOperation::WriteBankFile: session.savedAll(); break;
    case DiskOperation::ReadPresetFile:
      session.loadPreset(state.CurrentPreset, read[static_cast<std::size_t>(state.CurrentPreset)]);
      break;
    case DiskOperation::ReadBankFile:
      // A file of fewer than 30 whole records replaced only those.
      session.loadBank(std::span<const PresetRecord>(read.data(), static_cast<std::size_t>(loaded)));
      break;
  }
  const bool bankFile = command.operation == DiskOperation::ReadBankFile || command.operation == DiskOperation::WriteBankFile;
  emit presetsOnDisk(*path, command.save, bankFile, command.operation == DiskOperation::WriteBankFile ? kPresetCount : std::max(loaded, 1));

  if (command.operation == DiskOperation::ReadPresetFile) {
    ShowPresetQuietly();
    showStatus();
  } else if (command.operation == DiskOperation::ReadBankFile) {
    // A cut-off bank replaced only its whole records: the label says how many, so it never
    // reads as the whole bank. A file of exactly one record keeps the described text.
    if (loaded < kPresetCount && bytesRead != kPresetFileSize)
      Label2->setText(QStringLiteral("%1 OF %2 PRESETS LOADED").arg(loaded).arg(kPresetCount));
    showStatus();
    state.CurrentPreset = 0;
    PRESETUpDown->setPosition(0);
    PRENUM->setText(QStringLiteral("PRESET   ") + QString::number(PRESETUpDown->position() + 1));
    ShowPresetQuietly();
  } else {
    showStatus();
  }
}

// Label2 is sized to its text from its top-left corner. A running Timer1 is not restarted:
// the label goes two seconds after the first of two quick commands.
void TForm1::showStatus() {
  Label2->adjustSize();
  Label2->show();
  if (!Timer1->isActive()) Timer1->start();
}

void TForm1::Timer1Timer() {
  Label2->hide();
  Timer1->stop();
}

void TForm1::LOADPRESETClick() { runDiskCommand(kLoadPreset); }
void TForm1::Load_presetClick() { runDiskCommand(kLoadPreset); }
void TForm1::SAVEPRESETClick() { runDiskCommand(kSavePreset); }
void TForm1::PRESET_STRClick() { runDiskCommand(kSavePresetNamed); }
void TForm1::SAVEALL1Click() { runDiskCommand(kSaveAll); }
void TForm1::STR_ALLClick() { runDiskCommand(kSaveAll); }
void TForm1::LOADALL1Click() { runDiskCommand(kLoadAll); }
void TForm1::Load_allClick() { runDiskCommand(kLoadAll); }

// FILE > EXPORT BANK SHEET...: the bank as the window shows it, in the format the file's
// extension (or else the chosen filter) names. The dialog asks before writing over a file.
void TForm1::EXPORTSHEET1Click() {
  // The sheet shows the edited version, not the reference being compared.
  if (session.comparing()) showChange(session.endCompare(), state.current());
  struct Choice {
    const char* filter;
    SheetFormat format;
  };
  static const Choice kChoices[] = {{"bank sheet for a browser (*.html)", SheetFormat::Html},
                                    {"bank sheet for a spreadsheet (*.csv)", SheetFormat::Csv},
                                    {"bank sheet as text (*.txt)", SheetFormat::Text}};
  QStringList filters;
  for (const Choice& c : kChoices) filters << QString::fromLatin1(c.filter);
  QFileDialog dialog(this, QStringLiteral("EXPORT BANK SHEET"));
  dialog.setObjectName(QStringLiteral("SheetDialog"));
  dialog.setOption(QFileDialog::DontUseNativeDialog);
  dialog.setAcceptMode(QFileDialog::AcceptSave);
  dialog.setNameFilters(filters);
  dialog.setDefaultSuffix(QStringLiteral("html"));
  connect(&dialog, &QFileDialog::filterSelected, &dialog, [&dialog](const QString& filter) {
    dialog.setDefaultSuffix(filter.section(QLatin1Char('.'), -1).chopped(1));
  });
  dialog.setDirectory(lastFileFolder_);
  dialog.selectFile(QStringLiteral("BANKSHEET.html"));
  if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return;
  const QString path = dialog.selectedFiles().constFirst();
  const QFileInfo file(path);
  lastFileFolder_ = file.absolutePath();

  const Choice* chosen = &kChoices[std::max<qsizetype>(0, filters.indexOf(dialog.selectedNameFilter()))];
  for (const Choice& c : kChoices)
    if (QString::fromLatin1(c.filter).endsWith(QStringLiteral("(*.") + file.suffix().toLower() + QStringLiteral(")"))) chosen = &c;
  const std::string sheet = bankSheet(state.bank, chosen->format, file.completeBaseName().toStdString());
  const Outcome outcome = writeWhole(path, Bytes(sheet.begin(), sheet.end()));
  if (const char* failure = failureText(outcome)) {
    Label2->setText(QString::fromLatin1(failure));
  } else {
    // Where it went, shortened in the middle so that the label stays inside the window.
    const QString saved = QStringLiteral("SHEET SAVED TO ");
    const QFontMetrics metrics(Label2->font());
    const int room = layout::kClientWidth - Label2->x() - 40 - metrics.horizontalAdvance(saved);
    Label2->setText(saved + metrics.elidedText(QDir::toNativeSeparators(file.absoluteFilePath()), Qt::ElideMiddle, room));
  }
  showStatus();
}

// The hidden PROCESS PRESETS button: KES_PRE.INC in the working directory.
void TForm1::Button1Click() { ExportPresetTable(state.bank); }

}  // namespace kestralux
