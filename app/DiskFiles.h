#pragma once
// The files behind the main window's disk commands: the dialogs that ask for them, and the
// reading and writing of their bytes. What the bytes do to the bank is the editor's actions'.

#include <QString>

#include <cstdint>
#include <optional>
#include <vector>

#include "files/BankSheet.h"
#include "files/PresetFiles.h"

class QWidget;

namespace kestralux {

enum class DiskOperation { WritePresetFile, WriteBankFile, ReadPresetFile, ReadBankFile };

struct DiskCommand {
  bool save;
  const char* defaultSuffix;
  const char* initialName;  // nullptr: the name box's text
  int filterEntry;          // 1 the *.pre line, 2 the *.bnk line
  const char* statusText;
  DiskOperation operation;
  bool load() const { return operation == DiskOperation::ReadPresetFile || operation == DiskOperation::ReadBankFile; }
  bool bank() const { return operation == DiskOperation::ReadBankFile || operation == DiskOperation::WriteBankFile; }
};

inline constexpr DiskCommand kLoadPreset{false, "pre", "PRESET1.pre", 1, " PRESET LOADED  ", DiskOperation::ReadPresetFile};
inline constexpr DiskCommand kSavePreset{true, "pre", "PRESET1.pre", 1, " PRESET STORED  ", DiskOperation::WritePresetFile};
inline constexpr DiskCommand kSavePresetNamed{true, "pre", nullptr, 1, " PRESET SAVED   ", DiskOperation::WritePresetFile};
inline constexpr DiskCommand kSaveAll{true, "bnk", "FULL1.bnk", 2, "ALL PRESETS SAVED", DiskOperation::WriteBankFile};
inline constexpr DiskCommand kLoadAll{false, "bnk", "FULL1.bnk", 2, "ALL PRESETS LOADED", DiskOperation::ReadBankFile};

// Where the file dialogs open at first: the folder one ended in last, in this run or an
// earlier one, else the user's documents folder, else the home folder; never the working
// directory, which for `make run` is the source checkout.
QString fileDialogFolder();
// The folder a dialog ended in, for the next dialog and the next run.
void rememberFileDialogFolder(const QString& folder);

// The file the user chose, after the dialog and its confirmations; nothing if cancelled.
// `folder` is where the dialogs opened last, and where this one went.
std::optional<QString> askFileName(QWidget* parent, const DiskCommand& command, const QString& nameBoxText, QString& folder);

// FILE > EXPORT BANK SHEET...: the file and the format its extension (or else the chosen
// filter) names; the dialog asks before writing over a file.
struct SheetFile {
  QString path;
  SheetFormat format;
};
std::optional<SheetFile> askSheetFile(QWidget* parent, QString& folder);

// Whole or not at all: a failed save leaves the previous file as it was. The status line's
// text for a failure; nothing when the file was written.
std::optional<QString> writeWhole(const QString& path, const Bytes& image);
// The first `limit` bytes of the file; nothing when it cannot be opened.
std::optional<std::vector<std::uint8_t>> readStart(const QString& path, std::size_t limit, bool reportFailure);

}  // namespace kestralux
