#pragma once
// The main window: the whole editor on one fixed pixel layout. Controls carry the names the
// device's editor has always used; each is also a public member so that handlers and tests
// reach it by that name.

#include <QMainWindow>
#include <QSet>
#include <QString>

#include <optional>
#include <string_view>

#include "model/EditSession.h"
#include "model/EditorState.h"
#include "protocol/DeviceProtocol.h"

class QAction;
class QButtonGroup;
class QLabel;
class QLineEdit;
class QMenu;
class QPushButton;
class QRadioButton;
class QScrollArea;
class QScrollBar;
class QTimer;

namespace kestralux {

class ClickablePanel;
class InputHold;
struct DiskCommand;
class PanelNotice;
class UpDownArrows;

class TForm1 : public QMainWindow {
  Q_OBJECT

 public:
  TForm1(EditorState& state, DeviceProtocol& protocol, EditSession& session, QWidget* parent = nullptr);
  ~TForm1() override;

  // Writes a value box's text, in capitals for the boxes that show capitals only.
  void setBoxText(QLineEdit* box, const QString& text);
  bool isUpperCaseBox(const QLineEdit* box) const { return upperCaseBoxes_.contains(box); }

  void ShowPreset();
  // The preset on screen shown without a message of its own; then, unless `sendAfter` is
  // false, sent whole at the next tick, as a step of the arrows sends it.
  void ShowPresetQuietly(bool sendAfter = true);
  // While a fetch runs, undo, redo and loads would mix two banks: the status label says so.
  bool refusedDuringTransfer();
  // A close from Yes to the store's last message waits for it, so the combo never holds half
  // a bank; the window closes once the store has ended.
  bool holdCloseForStore();
  void ResetAmpPanels();

  // The editing sections (editor/): the strips, the amp panels and the effect section.
  void StripChange(std::string_view scrollBar);
  void ShowStrips();
  void AmpPanelClick(int ampType);
  void SelectEffect(int effectCode);
  void PaintEffectButtonsBlack();
  void ShowEffectControls();
  int currentEffect() const;
  // Raised and red: the look of the selected amp model.
  void MarkAmpPanelSelected(ClickablePanel* panel);
  ClickablePanel* ampPanelOfModel(int ampType) const;
  QRadioButton* effectButtonOf(int effectCode) const;

  // Preset selection and naming.
  void PRESETUpDownClick();
  void CHANGE_PRESET_NAME();
  // "PRESET   7", with "*" while preset 7 differs from what was last fetched, loaded, saved
  // or stored; "COMPARE  7" while its reference is shown.
  void updatePresetNumber();

  // The EDIT menu (EditCommands.cpp): undo, redo and compare through the edit session.
  void UNDO1Click();
  void REDO1Click();
  void COMPARE1Click();
  // Shows what an undo, a redo or a compare changed, and sends it as an edit would.
  void showChange(const BankChange& change, const PresetRecord& shownBefore);
  // Moves the controls whose values differ from `before` to the preset on screen; each sends
  // its live message.
  void showMovedControls(const PresetRecord& before);
  // A control touched while comparing: the edited version comes back and is sent first.
  void endCompareByTouch();

  // Device transfer (DeviceTransfers.cpp).
  void STORClick();
  void REQUESClick();
  void STORE_SELECTClick();
  void StoreToDevice();
  void ShowFetchedBank();
  // On the fetch panel's caption while no transfer runs: whether the combo is connected.
  void showComboConnection(bool connected);
  void RestoreButtons();
  // Sends the next store message, or ends the store once the last one's pause is over.
  void storePaceTick();

  // Disk commands and the export button (DiskCommands.cpp).
  void PRESET_STRClick();
  void Load_presetClick();
  void STR_ALLClick();
  void Load_allClick();
  void Button1Click();
  void runDiskCommand(const DiskCommand& command);
  // The file the user chose, after the dialog and its confirmations; nothing if cancelled.
  std::optional<QString> askFileName(const DiskCommand& command);
  void showStatus();

  // Amp models.
  void CLN1Click();
  void BRITCLSAClick();
  void BRITBLUClick();
  void BRITCLASClick();
  void BRITHIClick();
  void HIGAINClick();
  void MEGAClick();
  void THRASClick();
  void GRUNGClick();
  void FUZClick();
  void SEVENTYClick();
  void TEXClick();
  void BLUEClick();
  void TWEDClick();
  void POLYClick();
  void CLN2Click();

  // Parameter strips.
  void ScrollGAINChange();
  void ScrollBASSChange();
  void ScrollMIDChange();
  void ScrollTREBChange();
  void ScrollDLVLChange();
  void ScrollDREGChange();
  void ScrollDPANChange();
  void ScrollDTIMEChange();
  void ScrollREVChange();
  void ScrollGATEChange();
  void ScrollPVOLChange();
  void SrollFX15();
  void ScrollFX16Change();
  void ScrollRATEChange();

  // Effects.
  void BYPASSBTNClick();
  void COMPBTNClick();
  void TREMBTNClick();
  void TREMBTN2Click();
  void WAHBTNClick();
  void CRSBTNClick();
  void FLANBTNClick();
  void PHSBTNClick();
  void PITBTNClick();
  void ROTBTNClick();

  // Menus.
  void LOADPRESETClick();
  void SAVEPRESETClick();
  void LOADALL1Click();
  void SAVEALL1Click();
  void EXPORTSHEET1Click();
  void MIDISETUP1Click();
  void HELP1Click();
  void CONTENTS1Click();

  // Timers.
  void Timer1Timer();
  void STORE_Time2Timer();
  void Timer2Timer();

  void START_MIDI();

  // Help context of the window; no control has one of its own.
  static constexpr int kHelpContext = 1;

  EditorState& state;
  DeviceProtocol& protocol;
  EditSession& session;

  QScrollArea* scrollArea = nullptr;
  QWidget* clientArea = nullptr;

  QLabel* Image1 = nullptr;
  QLabel* Label2 = nullptr;
  UpDownArrows* PRESETUpDown = nullptr;
  QLineEdit* PRENUM = nullptr;
  QLineEdit* PRENAME = nullptr;
  ClickablePanel* STOR = nullptr;
  ClickablePanel* REQUES = nullptr;

  QPushButton* PRESET_STR = nullptr;
  QPushButton* Load_preset = nullptr;
  QPushButton* STR_ALL = nullptr;
  QPushButton* Load_all = nullptr;

  ClickablePanel* CLN1 = nullptr;
  ClickablePanel* BRITCLSA = nullptr;
  ClickablePanel* BRITBLU = nullptr;
  ClickablePanel* BRITCLAS = nullptr;
  ClickablePanel* BRITHI = nullptr;
  ClickablePanel* HIGAIN = nullptr;
  ClickablePanel* MEGA = nullptr;
  ClickablePanel* THRAS = nullptr;
  ClickablePanel* GRUNG = nullptr;
  ClickablePanel* FUZ = nullptr;
  ClickablePanel* SEVENTY = nullptr;
  ClickablePanel* TEX = nullptr;
  ClickablePanel* BLUE = nullptr;
  ClickablePanel* TWED = nullptr;
  ClickablePanel* POLY = nullptr;
  ClickablePanel* CLN2 = nullptr;

  QLineEdit* GAINEDIT = nullptr;
  QLineEdit* BASSEDIT = nullptr;
  QLineEdit* MIDEDIT = nullptr;
  QLineEdit* TREBEDIT = nullptr;
  QLineEdit* DLVLEDIT = nullptr;
  QLineEdit* DREGEDIT = nullptr;
  QLineEdit* DPANEDIT = nullptr;
  QLineEdit* DTIMEEDIT = nullptr;
  QLineEdit* REVEDIT = nullptr;
  QLineEdit* GATEEDIT = nullptr;
  QLineEdit* PVOLEDIT = nullptr;
  QLineEdit* Effect15 = nullptr;
  QLineEdit* Effect16 = nullptr;
  QLineEdit* Rate = nullptr;

  QScrollBar* ScrollGAIN = nullptr;
  QScrollBar* ScrollBASS = nullptr;
  QScrollBar* ScrollMID = nullptr;
  QScrollBar* ScrollTREB = nullptr;
  QScrollBar* ScrollDLVL = nullptr;
  QScrollBar* ScrollDREG = nullptr;
  QScrollBar* ScrollDPAN = nullptr;
  QScrollBar* ScrollDTIME = nullptr;
  QScrollBar* ScrollREV = nullptr;
  QScrollBar* ScrollGATE = nullptr;
  QScrollBar* ScrollPVOL = nullptr;
  QScrollBar* ScrollFX15 = nullptr;
  QScrollBar* ScrollFX16 = nullptr;
  QScrollBar* ScrollRATE = nullptr;

  QLabel* LABLGAIN = nullptr;
  QLabel* LABLBASS = nullptr;
  QLabel* LABLMID = nullptr;
  QLabel* LABLTREB = nullptr;
  QLabel* LABLDLVL = nullptr;
  QLabel* LABLDREG = nullptr;
  QLabel* LABLDPAN = nullptr;
  QLabel* LABLDTIME = nullptr;
  QLabel* LABLREV = nullptr;
  QLabel* LABLGATE = nullptr;
  QLabel* LABLPVOL = nullptr;
  QLabel* LABL15 = nullptr;
  QLabel* LABL16 = nullptr;
  QLabel* LABLRATE = nullptr;

  ClickablePanel* Panel1 = nullptr;
  QRadioButton* BYPASSBTN = nullptr;
  QRadioButton* COMPBTN = nullptr;
  QRadioButton* TREMBTN = nullptr;
  QRadioButton* TREMBTN2 = nullptr;
  QRadioButton* WAHBTN = nullptr;
  QRadioButton* CRSBTN = nullptr;
  QRadioButton* FLANBTN = nullptr;
  QRadioButton* PHSBTN = nullptr;
  QRadioButton* PITBTN = nullptr;
  QRadioButton* ROTBTN = nullptr;
  QLabel* Label1 = nullptr;
  QButtonGroup* effectButtons = nullptr;

  ClickablePanel* STORE_SELECT = nullptr;
  QPushButton* Button1 = nullptr;

  QMenu* LOADPRESET1 = nullptr;
  QMenu* EDIT1 = nullptr;
  QMenu* LIBRARY1 = nullptr;
  QMenu* MIDI1 = nullptr;
  QMenu* HELP1 = nullptr;
  QAction* LOADPRESET = nullptr;
  QAction* SAVEPRESET = nullptr;
  QAction* LOADALL1 = nullptr;
  QAction* SAVEALL1 = nullptr;
  QAction* EXPORTSHEET1 = nullptr;
  QAction* UNDO1 = nullptr;
  QAction* REDO1 = nullptr;
  QAction* COMPARE1 = nullptr;
  QAction* BANK1 = nullptr;
  QAction* IMPORTLIBRARY1 = nullptr;
  QAction* MIDISETUP1 = nullptr;
  QAction* CONTENTS1 = nullptr;

  QTimer* Timer1 = nullptr;
  QTimer* STORE_Time2 = nullptr;
  QTimer* Timer2 = nullptr;

  // What the transfers tell the user, on the captions of REQUES and STOR.
  PanelNotice* fetchNotice = nullptr;
  PanelNotice* storeNotice = nullptr;
  // DUMP_PAUSE after each store message.
  QTimer* storePace = nullptr;
  InputHold* storeInputHold = nullptr;

 signals:
  void midiSetupRequested();
  // A help page is wanted; the application's help viewer shows it.
  void helpRequested(int context);
  // LIBRARY > BANK: the bank window is wanted.
  void bankWindowRequested();
  void libraryImportRequested();
  // A file load or save went through: its presets are noted in the library. `count` records
  // from preset 1 for a bank, or the preset on screen.
  void presetsOnDisk(const QString& path, bool saved, bool bank, int count);
  // The preset on screen, the bank or its marks may have changed: the bank window follows.
  void presetShown();

 private:
  bool closeAfterStore_ = false;
  void buildControls();
  void bindMembers();
  void buildMenus();
  void buildTimers();
  void wireEvents();
  void applyTabOrder();
  void setUpTransfers();
  void setUpEditing();
  void tearDownEditing();
  QObject* actionBoundaries_ = nullptr;

  QSet<const QLineEdit*> upperCaseBoxes_;
  QString lastFileFolder_ = QStringLiteral(".");
};

}  // namespace kestralux
