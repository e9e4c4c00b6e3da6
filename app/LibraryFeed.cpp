#include "app/LibraryFeed.h"

#include <QApplication>
#include <QFileDialog>
#include <QMessageBox>
#include <QProgressDialog>
#include <QTimer>

#include <iostream>
#include <vector>

#include "app/DiskFiles.h"
#include "library/BankMoves.h"
#include "library/LibraryImport.h"

namespace kestralux {

LibraryOpening LibraryFeed::open(const std::filesystem::path& file, const std::filesystem::path& historyFolder) {
  historyFolder_ = historyFolder;
  LibraryOpening opening = library_.open(file, historyFolder);
  opened_ = opening.state != LibraryOpening::State::Unavailable;
  if (opening.soundsFromHistory > 0) {
    std::cerr << "kestralux: the history of banks brought " << opening.soundsFromHistory << " sounds into the library\n";
    if (tell) tell(QStringLiteral("LIBRARY: %1 SOUNDS FROM THE HISTORY").arg(opening.soundsFromHistory));
  }
  switch (opening.state) {
    case LibraryOpening::State::Unavailable: say(opening.message, QStringLiteral("NO LIBRARY")); break;
    case LibraryOpening::State::ReadOnly: say(opening.message, QStringLiteral("LIBRARY READ-ONLY")); break;
    case LibraryOpening::State::Ready:
      if (!opening.message.empty()) std::cerr << "kestralux: " << opening.message << "\n";
      break;
  }
  return opening;
}

void LibraryFeed::say(const std::string& error, const QString& status) {
  std::cerr << "kestralux: " << error << "\n";
  if (tell) tell(status);
}

bool LibraryFeed::sayNotice() {
  const auto notice = library_.takeNotice();
  if (notice) say(*notice, QStringLiteral("LIBRARY OPENED AGAIN"));
  return notice.has_value();
}

bool LibraryFeed::lookAtFile() {
  library_.followFile();
  return sayNotice();
}

SearchResult LibraryFeed::search(const LibraryQuery& query) {
  SearchResult result = library_.search(query);
  sayNotice();
  return result;
}

void LibraryFeed::later(std::function<Noted()> write) {
  if (!library_.writable()) return;
  // The first turn lets what was queued with the change (a fetch's preset 1) show; the
  // write goes after it.
  QTimer::singleShot(0, this, [this, write = std::move(write)] {
    QTimer::singleShot(0, this, [this, write] {
      const Noted noted = write();
      sayNotice();
      if (noted.error) {
        if (!toldWriteFailure_) say("the library could not be written: " + *noted.error, QStringLiteral("LIBRARY NOT WRITTEN"));
        toldWriteFailure_ = true;
        return;
      }
      if (noted.sightings > 0) emit this->noted();
    });
  });
}

void LibraryFeed::noteBank(const PresetBank& bank, const Place& where, std::bitset<kPresetCount> which) {
  later([this, bank, where, which] { return library_.noteBank(bank, where, std::time(nullptr), which); });
}

void LibraryFeed::notePreset(const PresetRecord& record, const Place& where) {
  later([this, record, where] { return library_.notePreset(record, where); });
}

void LibraryFeed::keepMove(const BankMove& move) {
  waitingMoves_.push_back(move);
  // As later(): the first turn lets what the move queued (a fetch's preset 1) show.
  QTimer::singleShot(0, this, [this] { QTimer::singleShot(0, this, [this] { keepWaitingMoves(); }); });
}

void LibraryFeed::keepWaitingMoves() {
  const std::vector<BankMove> moves = std::exchange(waitingMoves_, {});
  for (const BankMove& move : moves) {
    const Noted noted = keepBankMove(move, historyFolder_, library_.writable() ? &library_ : nullptr, std::cerr, "kestralux");
    // Said on standard error with the move already.
    if (noted.notice && tell) tell(QStringLiteral("LIBRARY OPENED AGAIN"));
    if (noted.error && !toldWriteFailure_) {
      toldWriteFailure_ = true;
      if (tell) tell(QStringLiteral("LIBRARY NOT WRITTEN"));
    }
    if (noted.sightings > 0) emit this->noted();
  }
}

namespace {

// Qt's own dialog steps into a folder when asked to open it; here a folder is taken whole.
class FilesAndFoldersDialog : public QFileDialog {
 public:
  using QFileDialog::QFileDialog;
  void accept() override {
    if (!selectedFiles().isEmpty()) QDialog::accept();
  }
};

}  // namespace

void LibraryFeed::importInteractively(QWidget* parent) {
  if (!library_.writable()) {
    QMessageBox::information(parent, QStringLiteral("IMPORT INTO LIBRARY"),
                             QStringLiteral("The library cannot be written; nothing can be imported."));
    return;
  }
  FilesAndFoldersDialog dialog(parent, QStringLiteral("IMPORT INTO LIBRARY"));
  dialog.setObjectName(QStringLiteral("ImportDialog"));
  dialog.setOption(QFileDialog::DontUseNativeDialog);
  dialog.setFileMode(QFileDialog::ExistingFiles);
  dialog.setNameFilters({QStringLiteral("presets, banks and SysEx files (*.pre *.bnk *.syx)"), QStringLiteral("all files (*)")});
  dialog.setLabelText(QFileDialog::Accept, QStringLiteral("Import"));
  dialog.setDirectory(fileDialogFolder());
  if (dialog.exec() != QDialog::Accepted) return;
  rememberFileDialogFolder(dialog.directory().absolutePath());
  std::vector<std::filesystem::path> paths;
  for (const QString& file : dialog.selectedFiles()) paths.emplace_back(file.toStdString());

  QProgressDialog progress(QStringLiteral("Importing..."), QStringLiteral("Cancel"), 0, 1, parent);
  progress.setObjectName(QStringLiteral("importProgress"));
  progress.setWindowModality(Qt::WindowModal);
  // A short import ends before the box would be worth showing.
  progress.setMinimumDuration(500);
  const ImportReport report = importPaths(library_, paths, [&](std::size_t done, std::size_t total, const std::filesystem::path& file) {
    progress.setMaximum(static_cast<int>(total));
    progress.setValue(static_cast<int>(done));
    progress.setLabelText(QString::fromStdString(file.filename().string()));
    QApplication::processEvents();
    return !progress.wasCanceled();
  });
  progress.reset();
  sayNotice();
  if (report.added() > 0 || report.known() > 0) emit noted();

  QMessageBox box(QMessageBox::NoIcon, QStringLiteral("IMPORT INTO LIBRARY"),
                  QStringLiteral("%1 new sounds, %2 already known, %3 files refused%4.")
                      .arg(report.added())
                      .arg(report.known())
                      .arg(report.refused())
                      .arg(report.cancelled ? QStringLiteral("; cancelled before the rest") : QString()),
                  QMessageBox::Ok, parent);
  box.setObjectName(QStringLiteral("importReport"));
  box.setDetailedText(QString::fromStdString(importReportText(report)));
  box.exec();
}

}  // namespace kestralux
