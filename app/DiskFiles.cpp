#include "app/DiskFiles.h"

#include <QDir>
#include <QFile>
#include <QFileDialog>
#include <QFileInfo>
#include <QMessageBox>
#include <QSaveFile>
#include <QSettings>
#include <QStandardPaths>
#include <QUrl>

#include <cstdio>
#include <filesystem>

#include "files/BankHistory.h"

namespace kestralux {

namespace {

const QStringList kSaveFilters{QStringLiteral("dsp combo presets (*.pre)"), QStringLiteral("all dsp combo presets (*.bnk)")};
const QStringList kOpenFilters{QStringLiteral("dsp combo single preset (*.pre)"),
                               QStringLiteral("all dsp combo presets (*.bnk)")};

void reportOpenFailure() { std::fputs("Cannot open output file.\n", stderr); }

}  // namespace

QString fileDialogFolder() {
  const QString last = QSettings().value(QStringLiteral("files/lastFolder")).toString();
  if (!last.isEmpty() && QFileInfo(last).isDir()) return last;
  const QString documents = QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
  if (!documents.isEmpty() && QFileInfo(documents).isDir()) return documents;
  return QDir::homePath();
}

void rememberFileDialogFolder(const QString& folder) { QSettings().setValue(QStringLiteral("files/lastFolder"), folder); }

std::optional<QString> askFileName(QWidget* parent, const DiskCommand& command, const QString& nameBoxText, QString& folder) {
  const QStringList& filters = command.save ? kSaveFilters : kOpenFilters;
  QFileDialog dialog(parent, command.save ? QStringLiteral("PRESET1.PRE") : QStringLiteral("Open"));
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
  dialog.setDirectory(folder);
  dialog.selectFile(command.initialName ? QString::fromLatin1(command.initialName) : nameBoxText);
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
  folder = QFileInfo(path).absolutePath();
  rememberFileDialogFolder(folder);
  if (!QFileInfo::exists(path)) {
    QMessageBox ask(QMessageBox::NoIcon, dialog.windowTitle(),
                    QFileInfo(path).fileName() + QStringLiteral("\nThis file does not exist.\nDo you want to create it?"),
                    QMessageBox::Yes | QMessageBox::No, parent);
    ask.setObjectName(QStringLiteral("createConfirmation"));
    if (ask.exec() != QMessageBox::Yes) return std::nullopt;
  }
  return path;
}

std::optional<SheetFile> askSheetFile(QWidget* parent, QString& folder) {
  struct Choice {
    const char* filter;
    SheetFormat format;
  };
  static const Choice kChoices[] = {{"bank sheet for a browser (*.html)", SheetFormat::Html},
                                    {"bank sheet for a spreadsheet (*.csv)", SheetFormat::Csv},
                                    {"bank sheet as text (*.txt)", SheetFormat::Text}};
  QStringList filters;
  for (const Choice& c : kChoices) filters << QString::fromLatin1(c.filter);
  QFileDialog dialog(parent, QStringLiteral("EXPORT BANK SHEET"));
  dialog.setObjectName(QStringLiteral("SheetDialog"));
  dialog.setOption(QFileDialog::DontUseNativeDialog);
  dialog.setAcceptMode(QFileDialog::AcceptSave);
  dialog.setNameFilters(filters);
  dialog.setDefaultSuffix(QStringLiteral("html"));
  QObject::connect(&dialog, &QFileDialog::filterSelected, &dialog, [&dialog](const QString& filter) {
    dialog.setDefaultSuffix(filter.section(QLatin1Char('.'), -1).chopped(1));
  });
  dialog.setDirectory(folder);
  dialog.selectFile(QStringLiteral("BANKSHEET.html"));
  if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return std::nullopt;
  const QString path = dialog.selectedFiles().constFirst();
  const QFileInfo file(path);
  folder = file.absolutePath();
  rememberFileDialogFolder(folder);

  const Choice* chosen = &kChoices[std::max<qsizetype>(0, filters.indexOf(dialog.selectedNameFilter()))];
  for (const Choice& c : kChoices)
    if (QString::fromLatin1(c.filter).endsWith(QStringLiteral("(*.") + file.suffix().toLower() + QStringLiteral(")"))) chosen = &c;
  return SheetFile{path, chosen->format};
}

// QSaveFile's commit does not look at whether its buffer reached the disk (a full disk, a
// size limit) and would put a cut-off file in the old one's place, so the bytes are flushed
// and checked first; a file that is not committed is discarded.
std::optional<QString> writeWhole(const QString& path, const Bytes& image) {
  QSaveFile file(path);
  if (!file.open(QIODevice::WriteOnly)) {
    reportOpenFailure();
    return QStringLiteral("CANNOT OPEN FILE");
  }
  // On the disk before it takes the name, and the name with it: "SAVED" survives a power cut.
  if (file.write(reinterpret_cast<const char*>(image.data()), static_cast<qint64>(image.size())) !=
          static_cast<qint64>(image.size()) ||
      !file.flush() || !syncFileToDisk(file.handle()) || !file.commit())
    return QStringLiteral("SAVE FAILED");
  syncFolderOf(QFile::encodeName(path).toStdString());
  return std::nullopt;
}

std::optional<std::vector<std::uint8_t>> readStart(const QString& path, std::size_t limit, bool reportFailure) {
  QFile file(path);
  if (!file.open(QIODevice::ReadOnly)) {
    if (reportFailure) reportOpenFailure();
    return std::nullopt;
  }
  const QByteArray data = file.read(static_cast<qint64>(limit));
  return std::vector<std::uint8_t>(data.begin(), data.end());
}

}  // namespace kestralux
