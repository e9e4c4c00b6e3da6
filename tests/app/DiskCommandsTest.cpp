// The four disk buttons and the four FILE menu items under a user's clicks, their file dialogs
// answered by typing a name, the status label, and what reaches the disk and the device.

#include <QDir>
#include <QLabel>
#include <QPushButton>

#include <fstream>
#include <map>

#include "app/ElidedLabel.h"
#include "files/BankHistory.h"
#include "files/BankSheet.h"
#include "files/PresetFiles.h"
#include "files/PresetTableExport.h"
#include "tests/FileSizeLimit.h"
#include "tests/app/UserActions.h"
#include "tests/editor/LiveEditor.h"
#include "tests/PresetValues.h"

namespace kestralux::test {
namespace {

const QStringList kSaveFilters{"dsp combo presets (*.pre)", "all dsp combo presets (*.bnk)"};
const QStringList kOpenFilters{"dsp combo single preset (*.pre)", "all dsp combo presets (*.bnk)"};

PresetBank fileBank() {
  PresetBank bank{};
  for (int n = 0; n < kPresetCount; ++n) {
    bank[n].storeName("DISK " + std::to_string(n + 1));
    for (int i = 0; i < kParameterCount; ++i) bank[n].setValue(i, (2 * n + i) % 31);
    test::makePreset(bank[n], n);
    bank[n].setValue(EFFECT_SELECT, 13);
    bank[n].setSlot(kReservedSlot, 1000 + n);
  }
  return bank;
}

class DiskCommands : public LiveEditor {
 protected:
  void SetUp() override {
    LiveEditor::SetUp();
    ASSERT_TRUE(folder.isValid());
    startDirectory = QDir::currentPath();
    state.bank = fileBank();
    state.reference = state.bank;
    stepUp(6);  // preset 7
    tick();
    forget();
  }
  void TearDown() override {
    EXPECT_EQ(QDir::currentPath(), startDirectory) << "the working directory, where combo.cfg lives, never moves";
    LiveEditor::TearDown();
  }

  QString at(const QString& name) const { return folder.filePath(name); }
  void put(const QString& name, const Bytes& bytes) const {
    std::ofstream(at(name).toStdString(), std::ios::binary)
        .write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
  }
  Bytes get(const QString& name) const { return readFileStart(at(name).toStdString(), 1 << 16).value_or(Bytes{}); }

  QTemporaryDir folder;
  QString startDirectory;
};

enum class Trigger { Button, Menu };
enum class Kind { SavePreset, SaveBank, LoadPreset, LoadBank };

struct Row {
  const char* command;
  Trigger trigger;
  QPushButton* TForm1::*button;
  QAction* TForm1::*item;
  Kind kind;
  QString initialName;
  QString status;
  std::size_t cutAt = 0;  // the file's bytes beyond this are missing; 0 for a whole file
};

// Every command: the dialog it opens, the file it writes or reads, its status text and what
// follows. New files are confirmed in the create box; loads read what the test put there.
TEST_F(DiskCommands, EveryCommandAsItsRowSays) {
  const Row rows[] = {
      {"SAVE PRESET", Trigger::Menu, nullptr, &TForm1::SAVEPRESET, Kind::SavePreset, "PRESET1.pre", " PRESET STORED  "},
      {"Store Single Preset", Trigger::Button, &TForm1::PRESET_STR, nullptr, Kind::SavePreset, "MY PRESET", " PRESET SAVED   "},
      {"SAVE ALL", Trigger::Menu, nullptr, &TForm1::SAVEALL1, Kind::SaveBank, "FULL1.bnk", "ALL PRESETS SAVED"},
      {"Store All Presets", Trigger::Button, &TForm1::STR_ALL, nullptr, Kind::SaveBank, "FULL1.bnk", "ALL PRESETS SAVED"},
      {"LOAD PRESET", Trigger::Menu, nullptr, &TForm1::LOADPRESET, Kind::LoadPreset, "PRESET1.pre", " PRESET LOADED  "},
      {"Load Single Preset", Trigger::Button, &TForm1::Load_preset, nullptr, Kind::LoadPreset, "PRESET1.pre", " PRESET LOADED  "},
      {"LOAD ALL", Trigger::Menu, nullptr, &TForm1::LOADALL1, Kind::LoadBank, "FULL1.bnk", "ALL PRESETS LOADED"},
      {"Load All Presets", Trigger::Button, &TForm1::Load_all, nullptr, Kind::LoadBank, "FULL1.bnk", "ALL PRESETS LOADED"},
      // Its 11 whole records are taken, and the label says that is all.
      {"LOAD ALL of a cut-off bank", Trigger::Menu, nullptr, &TForm1::LOADALL1, Kind::LoadBank, "FULL1.bnk",
       "11 OF 30 PRESETS LOADED", 1000},
  };
  int number = 0;
  for (const Row& row : rows) {
    SCOPED_TRACE(row.command);
    const bool save = row.kind == Kind::SavePreset || row.kind == Kind::SaveBank;
    const bool bank = row.kind == Kind::SaveBank || row.kind == Kind::LoadBank;
    const QString name = at(QStringLiteral("file%1").arg(++number));  // typed without its extension
    const QString file = name + (bank ? ".bnk" : ".pre");
    PresetBank onDisk = fileBank();
    for (auto& r : onDisk) r.setValue(AMP_GAIN, 30 - number);
    Bytes image = bank ? bankFileImage(onDisk) : presetFileImage(onDisk[0]);
    if (row.cutAt) image.resize(row.cutAt);
    if (!save) put(QFileInfo(file).fileName(), image);
    form->PRENAME->setText("MY PRESET");
    state.bank[6].storeName("MY PRESET");
    const PresetBank before = state.bank;
    const int current = state.CurrentPreset;
    form->Timer1->stop();
    form->Label2->hide();
    const std::size_t saidBefore = form->messageLine->log().entries().size();
    forget();

    FileDialogSeen seen;
    answerFileDialog(name, &seen);
    if (save) answerBox(QMessageBox::Yes);  // "This file does not exist. Do you want to create it?"
    if (row.trigger == Trigger::Button) {
      QTest::mouseClick(form.get()->*row.button, Qt::LeftButton);
    } else {
      chooseMenuCommand(*form, form->LOADPRESET1, form.get()->*row.item);
    }
    // Said when the command has ended, however slowly a loaded machine gets there.
    ASSERT_TRUE(QTest::qWaitFor([&] { return form->messageLine->log().entries().size() > saidBefore; }, 30000))
        << "the command never ended";

    EXPECT_EQ(seen.title, save ? "PRESET1.PRE" : "Open");
    EXPECT_EQ(seen.filters, save ? kSaveFilters : kOpenFilters);
    EXPECT_EQ(seen.selectedFilter, (save ? kSaveFilters : kOpenFilters).at(bank ? 1 : 0));
    EXPECT_EQ(seen.defaultSuffix, bank ? "bnk" : "pre");
    EXPECT_EQ(seen.fileName, row.initialName);
    // Every bank fetched or stored is one click away when a bank is loaded.
    const QUrl history = QUrl::fromLocalFile(QString::fromStdString(historyFolder().string()));
    EXPECT_EQ(seen.sidebar.contains(history), row.kind == Kind::LoadBank);
    // Whole where it can be read: on the label, never under the buttons beside it, or when
    // longer on the message line, and never the command's own text in its place.
    EXPECT_EQ(lastSaid(), row.status);
    EXPECT_LT(form->Label2->geometry().right(), form->STR_ALL->x());
    if (form->Label2->isVisible()) {
      EXPECT_EQ(form->Label2->text(), row.status);
      EXPECT_TRUE(form->Timer1->isActive());
      EXPECT_FALSE(static_cast<ElidedLabel*>(form->Label2)->elided());
    } else {
      EXPECT_EQ(form->messageLine->text(), row.status);
    }

    switch (row.kind) {
      case Kind::SavePreset:
        EXPECT_EQ(get(QFileInfo(file).fileName()), presetFileImage(before[6]));
        break;
      case Kind::SaveBank:
        EXPECT_EQ(get(QFileInfo(file).fileName()), bankFileImage(before));
        EXPECT_EQ(state.CurrentPreset, current) << "a bank save keeps the preset on screen";
        break;
      case Kind::LoadPreset:
        EXPECT_EQ(state.bank[6].value(AMP_GAIN), 30 - number) << "the current preset, 7, takes the file";
        for (int n = 0; n < kPresetCount; ++n) {
          if (n == 6) continue;
          EXPECT_EQ(state.bank[n], before[n]) << n;
        }
        EXPECT_EQ(form->PRENUM->text(), "PRESET   7");
        EXPECT_EQ(form->ScrollGAIN->value(), 30 - number);
        break;
      case Kind::LoadBank:
        for (std::size_t n = 0; n < onDisk.size(); ++n)
          EXPECT_EQ(state.bank[n], n < image.size() / kPresetFileSize ? onDisk[n] : before[n]) << n;
        EXPECT_EQ(state.CurrentPreset, 0);
        EXPECT_EQ(form->PRENUM->text(), "PRESET   1");
        EXPECT_EQ(form->ScrollGAIN->value(), 30 - number);
        break;
    }
    EXPECT_TRUE(sent().empty()) << "the command itself sends nothing";
    tick();
    EXPECT_EQ(sent().size(), save ? 0u : 16u) << "a load goes to the device as one whole-preset burst";
    if (row.kind == Kind::LoadBank) {
      // Back to preset 7 for the next row.
      form->PRESETUpDown->setPosition(6);
      form->PRESETUpDownClick();
      tick();
    }
  }
}

// FILE > EXPORT BANK SHEET...: the format the name asks for (HTML when it names none), the
// path on the status label; a sheet that cannot be written whole is not left behind.
TEST_F(DiskCommands, ExportBankSheetWritesTheFormatTheNameAsksFor) {
  struct Case { QString typed; QString written; SheetFormat format; rlim_t sizeLimit = 0; };
  const Case cases[] = {
      {"gig", "gig.html", SheetFormat::Html},
      {"gig.csv", "gig.csv", SheetFormat::Csv},
      {"gig.txt", "gig.txt", SheetFormat::Text},
      {"big", "", SheetFormat::Html, 1000},
  };
  const PresetBank before = state.bank;
  state.reference[6].setValue(AMP_GAIN, 99);  // preset 7 edited
  for (const Case& c : cases) {
    SCOPED_TRACE(c.typed.toStdString());
    form->Label2->hide();
    FileDialogSeen seen;
    answerFileDialog(at(c.typed), &seen);
    {
      const FileSizeLimit limit(c.sizeLimit);
      ASSERT_TRUE(c.sizeLimit == 0 || limit.active());
      chooseMenuCommand(*form, form->LOADPRESET1, form->EXPORTSHEET1);
    }
    // Said when the command has ended, however slowly a loaded machine gets there.
    ASSERT_TRUE(QTest::qWaitFor([&] { return !lastSaid().isEmpty(); }, 30000)) << "the command never ended";
    EXPECT_EQ(seen.fileName, "BANKSHEET.html");
    if (c.written.isEmpty()) {
      EXPECT_EQ(form->Label2->text(), "SAVE FAILED");
      EXPECT_EQ(QDir(folder.path()).entryList(QDir::Files | QDir::Hidden).filter("big"), QStringList{});
    } else {
      // Whole, where it fits: the folder is what a user needs to read.
      EXPECT_EQ(form->messageLine->text(), "SHEET SAVED TO " + QDir::toNativeSeparators(at(c.written)));
      const std::string sheet = bankSheet(before, c.format, "gig");
      EXPECT_EQ(get(c.written), Bytes(sheet.begin(), sheet.end()));
    }
    EXPECT_EQ(state.bank, before);
    EXPECT_TRUE(session.edited(6)) << "an export is no save";
    tick();
    EXPECT_TRUE(sent().empty());
  }
}

// A command that fails changes nothing on screen, in the bank, on the wire or on the disk; a
// file that is not a preset (any text of 88 bytes or more, a bank with one record that is not
// one) is refused, and a save that cannot be written whole leaves the old file as it was.
TEST_F(DiskCommands, FailuresSayWhatWentWrongAndChangeNothing) {
  put("tiny.pre", Bytes(10, 7));
  const std::string readme(3000, 'a');
  put("README.pre", Bytes(readme.begin(), readme.end()));
  put("README.bnk", Bytes(readme.begin(), readme.end()));
  PresetBank oneWrong = fileBank();
  oneWrong[17].setValue(AMP_TYPE, 16);
  put("wrong.bnk", bankFileImage(oneWrong));
  put("old.bnk", bankFileImage(PresetBank{}));
  const PresetBank before = state.bank;
  const PresetBank referenceBefore = state.reference;
  const auto disk = [this] {
    std::map<QString, Bytes> files;
    for (const QString& name : QDir(folder.path()).entryList(QDir::Files | QDir::Hidden)) files[name] = get(name);
    return files;
  };
  // `confirm` answers the create or replace box; `sizeLimit` bytes stop a write part way.
  struct Case { QPushButton* TForm1::*button; QString typed; bool confirm; QString status; rlim_t sizeLimit = 0; };
  const Case cases[] = {
      {&TForm1::Load_preset, "tiny.pre", false, "NOT A PRESET FILE"},
      {&TForm1::Load_preset, "README.pre", false, "NOT A PRESET FILE"},
      {&TForm1::Load_preset, "absent.pre", true, "CANNOT OPEN FILE"},
      {&TForm1::Load_all, "README.bnk", false, "NOT A PRESET FILE"},
      {&TForm1::Load_all, "wrong.bnk", false, "NOT A PRESET FILE"},
      {&TForm1::Load_all, "absent.bnk", true, "CANNOT OPEN FILE"},
      {&TForm1::STR_ALL, "old.bnk", true, "SAVE FAILED", 1000},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.typed.toStdString());
    const auto filesBefore = disk();
    answerFileDialog(at(c.typed));
    if (c.confirm) answerBox(QMessageBox::Yes);
    {
      const FileSizeLimit limit(c.sizeLimit);
      ASSERT_TRUE(c.sizeLimit == 0 || limit.active());
      QTest::mouseClick((*form).*c.button, Qt::LeftButton);
    }
    EXPECT_EQ(form->Label2->text(), c.status);
    EXPECT_TRUE(form->Label2->isVisible());
    EXPECT_EQ(disk(), filesBefore) << "every file as it was, and no part of a new one";
    EXPECT_EQ(state.bank, before);
    EXPECT_EQ(state.reference, referenceBefore) << "nothing is taken as saved";
    EXPECT_EQ(state.CurrentPreset, 6);
    EXPECT_EQ(form->PRENUM->text(), "PRESET   7");
    EXPECT_FALSE(QFileInfo::exists(at("absent.pre"))) << "an open never creates a file";
    tick();
    EXPECT_TRUE(sent().empty());
  }

  // Cancelled: the hidden label takes the command's text, nothing else happens.
  form->Label2->hide();
  form->Timer1->stop();
  answerFileDialog(QString());
  QTest::mouseClick(form->STR_ALL, Qt::LeftButton);
  EXPECT_EQ(form->Label2->text(), "ALL PRESETS SAVED");
  EXPECT_FALSE(form->Label2->isVisible());
  EXPECT_FALSE(form->Timer1->isActive());
  tick();
  EXPECT_TRUE(sent().empty());

  // A save that is not confirmed in the create box writes nothing either.
  answerFileDialog(at("new.bnk"));
  answerBox(QMessageBox::No);
  QTest::mouseClick(form->STR_ALL, Qt::LeftButton);
  EXPECT_FALSE(QFileInfo::exists(at("new.bnk")));
  EXPECT_FALSE(form->Label2->isVisible());
}

TEST_F(DiskCommands, OverwriteIsConfirmedAndTheFolderRemembered) {
  put("old.bnk", Bytes(2640, 0));
  FileDialogSeen first, second;
  answerFileDialog(at("old.bnk"), &first);
  answerBox(QMessageBox::Yes);  // "old.bnk already exists. Do you want to replace it?"
  QTest::mouseClick(form->STR_ALL, Qt::LeftButton);
  EXPECT_EQ(get("old.bnk"), bankFileImage(state.bank));
  EXPECT_FALSE(QFileInfo::exists(at("old.bnk.part")));

  // Timer1 runs on from the first command: the second text shows at once, and goes when the
  // first period ends.
  QTest::qWait(300);
  const int left = form->Timer1->remainingTime();
  answerFileDialog("old", &second);  // in the folder the first dialog ended in
  answerBox(QMessageBox::Yes);
  QTest::mouseClick(form->PRESET_STR, Qt::LeftButton);
  EXPECT_EQ(second.directory, QFileInfo(at("old.bnk")).absolutePath());
  EXPECT_EQ(form->Label2->text(), " PRESET SAVED   ");
  EXPECT_LE(form->Timer1->remainingTime(), left);
  EXPECT_EQ(get("old.pre"), presetFileImage(state.current()));
  form->Timer1Timer();
  EXPECT_FALSE(form->Label2->isVisible());
}

// Saved, loaded and saved again from the window: the same bytes, left-over name bytes and
// reserved words included.
TEST_F(DiskCommands, BankSavedLoadedAndSavedAgainIsTheSameFile) {
  state.bank[3].storeName("LONGER NAME");
  state.bank[3].storeName("AB");
  state.bank[29].setSlot(kReservedSlot, -12345);
  const auto command = [&](QPushButton* button, const QString& name, bool create) {
    answerFileDialog(at(name));
    if (create) answerBox(QMessageBox::Yes);
    QTest::mouseClick(button, Qt::LeftButton);
  };
  command(form->STR_ALL, "first.bnk", true);
  const PresetBank saved = state.bank;
  for (auto& r : state.bank) r.setValue(AMP_GAIN, 0);
  command(form->Load_all, "first.bnk", false);
  EXPECT_EQ(state.bank, saved);
  command(form->STR_ALL, "second.bnk", true);
  ASSERT_EQ(get("first.bnk").size(), 2640u);
  EXPECT_EQ(get("first.bnk"), get("second.bnk"));
}

// The hidden PROCESS PRESETS button writes KES_PRE.INC where the editor runs.
TEST_F(DiskCommands, ExportLeavesThePresetOnScreen) {
  ASSERT_TRUE(QDir::setCurrent(folder.path()));
  form->Button1Click();
  ASSERT_TRUE(QDir::setCurrent(startDirectory));
  const std::string text = presetTableText(state.bank);
  EXPECT_EQ(get(kExportFileName), Bytes(text.begin(), text.end()));
  EXPECT_EQ(state.CurrentPreset, 6);
  EXPECT_FALSE(form->Button1->isVisible());
}

}  // namespace
}  // namespace kestralux::test
