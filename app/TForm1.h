#pragma once
// The main window: the whole editor on one fixed pixel layout. Its controls (MainWindowUi)
// carry the names the device's editor has always used; its handlers are thin, each a line or
// two over the editor's actions, and it draws what the actions' notices say.

#include <QMainWindow>
#include <QString>

#include <string_view>

#include "actions/EditorActions.h"
#include "actions/MainWindowZoom.h"
#include "app/MainWindowUi.h"
#include "editor/EditorTables.h"

namespace kestralux {

struct DiskCommand;
class MessageLine;

class TForm1 : public QMainWindow, public MainWindowUi {
  Q_OBJECT

 public:
  explicit TForm1(EditorActions& actions, QWidget* parent = nullptr);
  ~TForm1() override;

  void ShowPreset();
  // A close from Yes to the store's last message waits for it, so the combo never holds half
  // a bank; the window closes once the store has ended.
  bool holdCloseForStore();
  void ResetAmpPanels();
  // Raised and red: the look of the selected amp model.
  void MarkAmpPanelSelected(ClickablePanel* panel);
  // Says `text` whole on the message line, and keeps it for HELP > MESSAGES.
  void say(const QString& text);
  MessageLine* messageLine = nullptr;

  // Whether the window may close now. A close the user makes at the window, with edited
  // presets, asks once: Store All, save the bank, or close (the history keeps them). A close
  // from outside (a signal, the end of the desktop session) never asks.
  bool closeAllowed();
  // Ctrl+Q and FILE > EXIT.
  void EXIT1Click();
  // The desktop session is ending: no close asks from now on.
  void sessionEnding() { sessionEnding_ = true; }

  // The editing sections: the strips, the amp panels and the effect section.
  void StripChange(std::string_view scrollBar);
  void ShowStrips();
  void AmpPanelClick(int ampType);
  void SelectEffect(int effectCode);
  void PaintEffectButtonsBlack();
  void ShowEffectControls();

  // Preset selection and naming.
  void PRESETUpDownClick();
  void CHANGE_PRESET_NAME();
  // "PRESET   7", with "*" while preset 7 differs from what was last fetched, loaded, saved
  // or stored; "COMPARE  7" while its reference is shown.
  void updatePresetNumber();

  // The EDIT menu.
  void UNDO1Click();
  void REDO1Click();
  void COMPARE1Click();

  // Device transfer.
  void STORClick();
  void REQUESClick();
  void STORE_SELECTClick();
  void StoreToDevice();
  void ShowFetchedBank();
  // On the fetch panel's caption while no transfer runs: whether the combo is connected.
  void showComboConnection(bool connected);
  void RestoreButtons();
  // The store driver's timer has run out: its next step.
  void transferWakeTick();
  // What the store's end says, on its panel (and, for slots that did not take, its tooltip).
  void storeEnded(const StoreOutcome& outcome);

  // Disk commands and the export button.
  void PRESET_STRClick();
  void Load_presetClick();
  void STR_ALLClick();
  void Load_allClick();
  void Button1Click();
  void showStatus();

  // Amp models.
  void CLN1Click() { AmpPanelClick(0); }
  void BRITCLSAClick() { AmpPanelClick(1); }
  void BRITBLUClick() { AmpPanelClick(2); }
  void BRITCLASClick() { AmpPanelClick(3); }
  void BRITHIClick() { AmpPanelClick(4); }
  void HIGAINClick() { AmpPanelClick(5); }
  void MEGAClick() { AmpPanelClick(6); }
  void THRASClick() { AmpPanelClick(7); }
  void GRUNGClick() { AmpPanelClick(8); }
  void FUZClick() { AmpPanelClick(9); }
  void SEVENTYClick() { AmpPanelClick(10); }
  void TEXClick() { AmpPanelClick(11); }
  void BLUEClick() { AmpPanelClick(12); }
  void TWEDClick() { AmpPanelClick(13); }
  void POLYClick() { AmpPanelClick(14); }
  void CLN2Click() { AmpPanelClick(15); }

  // Parameter strips.
  void ScrollGAINChange() { StripChange("ScrollGAIN"); }
  void ScrollBASSChange() { StripChange("ScrollBASS"); }
  void ScrollMIDChange() { StripChange("ScrollMID"); }
  void ScrollTREBChange() { StripChange("ScrollTREB"); }
  void ScrollDLVLChange() { StripChange("ScrollDLVL"); }
  void ScrollDREGChange() { StripChange("ScrollDREG"); }
  void ScrollDPANChange() { StripChange("ScrollDPAN"); }
  void ScrollDTIMEChange() { StripChange("ScrollDTIME"); }
  void ScrollREVChange() { StripChange("ScrollREV"); }
  void ScrollGATEChange() { StripChange("ScrollGATE"); }
  void ScrollPVOLChange() { StripChange("ScrollPVOL"); }
  void SrollFX15();
  void ScrollFX16Change();
  void ScrollRATEChange();

  // Effects.
  void BYPASSBTNClick() { SelectEffect(effectCodeOf("BYPASSBTN")); }
  void COMPBTNClick() { SelectEffect(effectCodeOf("COMPBTN")); }
  void TREMBTNClick() { SelectEffect(effectCodeOf("TREMBTN")); }
  void TREMBTN2Click() { SelectEffect(effectCodeOf("TREMBTN2")); }
  void WAHBTNClick() { SelectEffect(effectCodeOf("WAHBTN")); }
  void CRSBTNClick() { SelectEffect(effectCodeOf("CRSBTN")); }
  void FLANBTNClick() { SelectEffect(effectCodeOf("FLANBTN")); }
  void PHSBTNClick() { SelectEffect(effectCodeOf("PHSBTN")); }
  void PITBTNClick() { SelectEffect(effectCodeOf("PITBTN")); }
  void ROTBTNClick() { SelectEffect(effectCodeOf("ROTBTN")); }

  // Menus.
  void LOADPRESETClick();
  void SAVEPRESETClick();
  void LOADALL1Click();
  void SAVEALL1Click();
  void EXPORTSHEET1Click();
  void MIDISETUP1Click() { emit midiSetupRequested(); }
  void HELP1Click() {}
  void CONTENTS1Click() { emit helpRequested(kHelpContext); }

  // The desktop's commands: FILE > RECENT FILES and QUIT, the VIEW menu's zoom, F10.
  void openRecentFile(const QString& path);
  QStringList recentFiles() const;
  void FITTOWINDOW1Click();
  // The zoom the user chose last time.
  void restoreZoom();
  MainWindowZoom zoom;
  QMenu* VIEW1 = nullptr;
  QMenu* RECENTFILES1 = nullptr;
  QAction* ZOOMIN1 = nullptr;
  QAction* ZOOMOUT1 = nullptr;
  QAction* ACTUALSIZE1 = nullptr;
  QAction* FITTOWINDOW1 = nullptr;
  // UNDO and REDO name what they take back: the text in the focused box, or the bank.
  void updateEditMenu();

  // Timers.
  void Timer1Timer();
  void STORE_Time2Timer() { RestoreButtons(); }
  void Timer2Timer();

  void START_MIDI() {}

  // Help context of the window; no control has one of its own.
  static constexpr int kHelpContext = 1;

  EditorActions& actions;

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
  // The preset on screen, the bank or its marks may have changed.
  void presetShown();

 private:
  void wireEvents();
  void applyTabOrder();
  void setUpTransfers();
  void setUpEditing();
  // What an action changed, drawn.
  void draw(const ActionNotice& notice);
  // The preset on screen drawn without a message of its own; the actions send it.
  void drawShownPreset();
  // Moves the controls whose values differ from `before` to the preset on screen; the actions
  // sent them already.
  void showMovedControls(const PresetRecord& before);
  void showHearing();
  // While a fetch or a store runs, undo, redo and loads would mix two banks: the status label
  // says so.
  bool refusedDuringTransfer();
  // `chosen`: a file picked already (a recent one), so no dialog asks for it.
  void runDiskCommand(const DiskCommand& command, const QString* chosen = nullptr);
  void setUpDesktopCommands();

  bool closeAfterStore_ = false;
  // A Store All chosen in the close question: the window closes once nothing is edited.
  bool closeWhenStored_ = false;
  // The close question was answered with a close, or none was needed: never asked again.
  bool closing_ = false;
  bool sessionEnding_ = false;
  int listener_ = 0;
  QObject* actionBoundaries_ = nullptr;
  QString lastFileFolder_;
};

}  // namespace kestralux
