#pragma once
// The main window's controls, built from the layout tables, each reachable by the name the
// device's editor has always used. The window (TForm1) is these controls plus its handlers;
// the controls know nothing of the bank or the combo.

#include <QSet>
#include <QString>

class QAction;
class QButtonGroup;
class QLabel;
class QLineEdit;
class QMainWindow;
class QMenu;
class QObject;
class QPushButton;
class QRadioButton;
class QScrollArea;
class QScrollBar;
class QTimer;
class QWidget;

namespace kestralux {

// A caption wider than its cell grows about its centre, so no letter is cut off.
void fitCaption(QLabel& caption);

class ClickablePanel;
class InputHold;
class PanelNotice;
class UpDownArrows;

struct MainWindowUi {
  // Every control, menu and timer of the layout tables, in `window`.
  void setupUi(QMainWindow* window);

  // Every control of the layout tables placed, sized and lettered at `percent` of its pixels,
  // and the client area with them; 100 is the tables' own pixels.
  void applyZoom(int percent);
  int zoomPercent() const { return zoomPercent_; }

  // Writes a value box's text, in capitals for the boxes that show capitals only.
  void setBoxText(QLineEdit* box, const QString& text);
  bool isUpperCaseBox(const QLineEdit* box) const { return upperCaseBoxes_.contains(box); }
  ClickablePanel* ampPanelOfModel(int ampType) const;
  QRadioButton* effectButtonOf(int effectCode) const;

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
  // Wakes the transfer driver when it asks: the driver keeps the pace, this only keeps time.
  QTimer* transferWake = nullptr;
  InputHold* storeInputHold = nullptr;


 private:
  void buildControls();
  void bindMembers();
  void buildMenus(QMainWindow* window);
  void buildTimers(QObject* owner);

  QSet<const QLineEdit*> upperCaseBoxes_;
  int zoomPercent_ = 100;
  QMainWindow* window_ = nullptr;
};

}  // namespace kestralux
