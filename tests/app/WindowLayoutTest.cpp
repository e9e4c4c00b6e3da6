// The window against the layout as the device's editor has it, written out here by hand and
// independently of the table the window is built from.

#include <QAbstractButton>
#include <QAction>
#include <QButtonGroup>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QRadioButton>
#include <QScrollArea>
#include <QScrollBar>
#include <QTimer>

#include <span>

#include <QImage>
#include <QTest>

#include "app/Artwork.h"
#include "app/ClickablePanel.h"
#include "app/TSplashForm.h"
#include "app/UpDownArrows.h"
#include "tests/app/FormFixture.h"

namespace kestralux::test {
namespace {

struct Placement {
  const char* name;
  int x, y, w, h;
  const char* text;
  bool shown;
};

// clang-format off
const Placement kPlacements[] = {
  {"Image1", 32, -8, 153, 41, nullptr, true},
  {"Label2", 40, 32, 84, 18, "  STORED!!!", false},
  {"PRESETUpDown", 16, 48, 17, 65, nullptr, true},
  {"PRENUM", 40, 56, 145, 21, "PRESET 1", true},
  {"PRENAME", 40, 80, 145, 24, "MY PRESET", true},
  {"STOR", 16, 120, 185, 25, "Store All Presets to Kestralux", true},
  {"REQUES", 16, 144, 185, 25, "Get All Presets from Kestralux", true},
  {"PRESET_STR", 216, 0, 214, 25, "Store Single Preset to Hard Drive", true},
  {"Load_preset", 440, 0, 214, 25, "Load Single Preset from Hard Drive", true},
  {"STR_ALL", 216, 32, 214, 25, "Store All Presets to Hard Drive", true},
  {"Load_all", 440, 32, 214, 25, "Load All Presets From Hard Drive", true},
  {"CLN1", 216, 56, 100, 20, "CLEAN 1", true},
  {"BRITCLSA", 328, 56, 100, 20, "BRIT CLASS A", true},
  {"HIGAIN", 440, 56, 100, 20, "HI GAIN", true},
  {"TEX", 552, 56, 100, 20, "TEXAS", true},
  {"CLN2", 216, 88, 100, 20, "CLEAN 2", true},
  {"BRITBLU", 328, 88, 100, 20, "BRIT BLUES", true},
  {"MEGA", 440, 88, 100, 20, "MEGA GAIN", true},
  {"BLUE", 552, 88, 100, 20, "BLUES", true},
  {"TWED", 216, 120, 100, 20, "TWEED", true},
  {"BRITCLAS", 328, 120, 100, 20, "BRIT CLASSIC", true},
  {"THRAS", 440, 120, 100, 20, "THRASH", true},
  {"SEVENTY", 552, 120, 100, 20, "70'S", true},
  {"POLY", 216, 152, 100, 20, "JAZZ", true},
  {"BRITHI", 328, 152, 100, 20, "BRIT HI GAIN", true},
  {"GRUNG", 440, 152, 100, 20, "GRUNGE", true},
  {"FUZ", 552, 152, 100, 20, "FUZZ", true},
  {"GAINEDIT", 216, 193, 89, 22, "          GAIN", true},
  {"BASSEDIT", 328, 193, 89, 22, "         BASS", true},
  {"MIDEDIT", 440, 193, 89, 22, "           MID", true},
  {"TREBEDIT", 552, 193, 89, 22, "       TREBLE", true},
  {"DLVLEDIT", 216, 249, 89, 22, "  DELAY LEVEL", true},
  {"DREGEDIT", 328, 249, 89, 22, " DELAY REGEN", true},
  {"DPANEDIT", 440, 249, 89, 22, "    DELAY PAN ", true},
  {"DTIMEEDIT", 552, 249, 89, 22, "    DELAY TIME", true},
  {"REVEDIT", 216, 305, 89, 22, " REVERB LEVEL", true},
  {"GATEEDIT", 328, 304, 89, 23, "         GATE", true},
  {"PVOLEDIT", 440, 305, 97, 22, " PRESET VOLUME", true},
  {"Effect15", 216, 368, 89, 22, "  EFFECT ADJ 1", true},
  {"Effect16", 328, 368, 89, 22, "  EFFECT ADJ 2", true},
  {"Rate", 440, 368, 89, 22, "         RATE", true},
  {"ScrollGAIN", 216, 216, 89, 9, nullptr, true},
  {"ScrollBASS", 328, 216, 89, 9, nullptr, true},
  {"ScrollMID", 440, 216, 89, 9, nullptr, true},
  {"ScrollTREB", 552, 216, 89, 9, nullptr, true},
  {"ScrollDLVL", 216, 272, 89, 9, nullptr, true},
  {"ScrollDREG", 328, 272, 89, 9, nullptr, true},
  {"ScrollDPAN", 440, 272, 89, 9, nullptr, true},
  {"ScrollDTIME", 552, 272, 89, 9, nullptr, true},
  {"ScrollREV", 216, 328, 89, 9, nullptr, true},
  {"ScrollGATE", 328, 328, 89, 9, nullptr, true},
  {"ScrollPVOL", 440, 328, 97, 9, nullptr, true},
  {"ScrollFX15", 216, 393, 89, 8, nullptr, true},
  {"ScrollFX16", 328, 392, 89, 8, nullptr, true},
  {"ScrollRATE", 440, 392, 89, 9, nullptr, true},
  {"LABLGAIN", 216, 225, 89, 16, "GAIN", true},
  {"LABLBASS", 328, 225, 89, 16, "BASS", true},
  {"LABLMID", 440, 225, 89, 16, "MID", true},
  {"LABLTREB", 552, 225, 89, 16, "TREBLE", true},
  {"LABLDLVL", 216, 281, 89, 16, "DELAY LEVEL", true},
  {"LABLDREG", 328, 281, 89, 16, "DELAY REGEN", true},
  {"LABLDPAN", 440, 281, 89, 16, "DELAY PAN", true},
  {"LABLDTIME", 552, 281, 89, 16, "DELAY TIME", true},
  {"LABLREV", 216, 337, 89, 16, "REVERB LEVEL", true},
  {"LABLGATE", 328, 337, 89, 16, "GATE", true},
  {"LABLPVOL", 436, 337, 105, 16, "PRESET VOLUME", true},
  {"LABL15", 211, 408, 99, 16, "EFFECT ADJUST 1", true},
  {"LABL16", 323, 408, 99, 16, "EFFECT ADJUST 2", true},
  {"LABLRATE", 440, 408, 89, 16, "RATE", true},
  {"Panel1", 40, 184, 145, 265, " ", true},
  {"BYPASSBTN", 24, 16, 97, -1, "BYPASS", true},
  {"COMPBTN", 24, 41, 97, -1, "COMPRESSOR", true},
  {"TREMBTN", 24, 65, 97, -1, "TREMOLO 1", true},
  {"TREMBTN2", 24, 88, 97, -1, "TREMOLO 2", true},
  {"WAHBTN", 24, 113, 97, -1, "WAH", true},
  {"CRSBTN", 24, 137, 97, -1, "CHORUS", true},
  {"FLANBTN", 24, 161, 97, -1, "FLANGER", true},
  {"PHSBTN", 24, 185, 97, -1, "PHASER", true},
  {"PITBTN", 24, 208, 97, -1, "DETUNE", true},
  {"ROTBTN", 24, 232, 97, -1, "ROTARY ", true},
  {"Label1", 15, 353, -1, -1, "EFFECT SELECT", true},
  {"STORE_SELECT", 776, 624, 153, 25, "ALL", false},
  {"Button1", 768, 560, 177, 25, "PROCESS PRESETS", false},
};
// clang-format on

QString textOf(QWidget* widget) {
  if (auto* label = qobject_cast<QLabel*>(widget)) return label->text();
  if (auto* box = qobject_cast<QLineEdit*>(widget)) return box->text();
  if (auto* panel = qobject_cast<ClickablePanel*>(widget)) return panel->caption();
  if (auto* button = qobject_cast<QAbstractButton*>(widget)) return button->text();
  return {};
}

TEST_F(FormTest, EveryControlSitsAtItsPlaceWithItsFirstContent) {
  for (const Placement& row : kPlacements) {
    SCOPED_TRACE(row.name);
    auto* widget = form->findChild<QWidget*>(row.name);
    ASSERT_NE(widget, nullptr);
    EXPECT_EQ(widget->x(), row.x);
    EXPECT_EQ(widget->y(), row.y);
    if (row.w >= 0) {
      EXPECT_EQ(widget->width(), row.w);
    }
    if (row.h >= 0) {
      EXPECT_EQ(widget->height(), row.h);
    }
    if (row.text) {
      EXPECT_EQ(textOf(widget), QString::fromLatin1(row.text));
    }
    EXPECT_EQ(!widget->isHidden(), row.shown);
  }
}

TEST_F(FormTest, EffectButtonsAndTheHiddenCaptionLiveInTheEffectFrame) {
  auto* frame = form->findChild<QWidget*>("Panel1");
  for (const char* name : {"BYPASSBTN", "COMPBTN", "TREMBTN", "TREMBTN2", "WAHBTN", "CRSBTN", "FLANBTN",
                           "PHSBTN", "PITBTN", "ROTBTN", "Label1"}) {
    SCOPED_TRACE(name);
    EXPECT_EQ(form->findChild<QWidget*>(name)->parentWidget(), frame);
  }
  // The caption sits below the frame's lower edge, so no part of it can be seen.
  EXPECT_GE(form->Label1->y(), frame->height());
  for (QAbstractButton* b : form->effectButtons->buttons()) EXPECT_FALSE(b->isChecked());
  EXPECT_TRUE(form->effectButtons->exclusive());
  EXPECT_EQ(form->effectButtons->buttons().size(), 10);
}

struct Look {
  const char* name;
  QColor text;
  QColor back;
  int pixelSize;
  bool bold;
};

const QColor kAqua(0, 255, 255), kBlack(0, 0, 0), kWhite(255, 255, 255), kRed(255, 0, 0),
    kLime(0, 255, 0), kPurple(128, 0, 128), kSilver(192, 192, 192), kMaroon(128, 0, 0),
    kTeal(0, 128, 128), kFuchsia(255, 0, 255), kNavy(0, 0, 128), kGreen(0, 128, 0);

const Look kLooks[] = {
    {"Label2", kBlack, kRed, 15, true},
    {"PRENUM", kAqua, kBlack, 11, true},
    {"PRENAME", kAqua, kBlack, 13, true},
    {"STOR", kWhite, kMaroon, 11, true},
    {"REQUES", kWhite, kTeal, 11, true},
    {"CLN1", kSilver, kPurple, 11, true},
    {"FUZ", kSilver, kPurple, 11, true},
    {"GAINEDIT", kAqua, kBlack, 11, false},
    {"GATEEDIT", kAqua, kBlack, 11, false},
    {"PVOLEDIT", kLime, kPurple, 11, false},
    {"LABLGAIN", kWhite, kBlack, 11, false},
    {"LABLPVOL", kLime, kBlack, 12, true},
    {"BYPASSBTN", kFuchsia, kBlack, 11, true},
    {"ROTBTN", kFuchsia, kBlack, 11, true},
    {"Panel1", kWhite, kNavy, 11, true},
    {"Label1", kRed, kNavy, 11, true},
    {"STORE_SELECT", kWhite, kGreen, 11, true},
};

TEST_F(FormTest, ControlsHaveTheirColoursAndFonts) {
  for (const Look& row : kLooks) {
    SCOPED_TRACE(row.name);
    auto* widget = form->findChild<QWidget*>(row.name);
    ASSERT_NE(widget, nullptr);
    const bool edit = qobject_cast<QLineEdit*>(widget) != nullptr;
    const QPalette& p = widget->palette();
    EXPECT_EQ(p.color(edit ? QPalette::Text : QPalette::WindowText), row.text);
    EXPECT_EQ(p.color(edit ? QPalette::Base : widget->backgroundRole()), row.back);
    EXPECT_EQ(widget->font().pixelSize(), row.pixelSize);
    EXPECT_EQ(widget->font().bold(), row.bold);
    EXPECT_EQ(widget->font().family(), "Liberation Sans");
  }
}

TEST_F(FormTest, ReadOnlyBoxesTakeNoFocusAndTheNameBoxTakesTwentyCharacters) {
  for (QLineEdit* box : {form->PRENUM, form->GAINEDIT, form->DTIMEEDIT, form->Effect15, form->Rate}) {
    SCOPED_TRACE(box->objectName().toStdString());
    EXPECT_TRUE(box->isReadOnly());
    EXPECT_EQ(box->focusPolicy(), Qt::NoFocus);
  }
  EXPECT_FALSE(form->PRENAME->isReadOnly());
  EXPECT_EQ(form->PRENAME->maxLength(), 20);
}

struct BarRow {
  const char* name;
  int maximum;
};

const BarRow kBars[] = {
    {"ScrollGAIN", 30}, {"ScrollBASS", 30}, {"ScrollMID", 30},   {"ScrollTREB", 30},
    {"ScrollDLVL", 30}, {"ScrollDREG", 30}, {"ScrollDPAN", 31},  {"ScrollDTIME", 250},
    {"ScrollREV", 30},  {"ScrollGATE", 30}, {"ScrollPVOL", 30},  {"ScrollFX15", 30},
    {"ScrollFX16", 30}, {"ScrollRATE", 255},
};

TEST_F(FormTest, ScrollBarsHaveTheirRanges) {
  for (const BarRow& row : kBars) {
    SCOPED_TRACE(row.name);
    auto* bar = form->findChild<QScrollBar*>(row.name);
    ASSERT_NE(bar, nullptr);
    EXPECT_EQ(bar->orientation(), Qt::Horizontal);
    EXPECT_EQ(bar->minimum(), 0);
    EXPECT_EQ(bar->maximum(), row.maximum);
    EXPECT_EQ(bar->singleStep(), 1);
    EXPECT_EQ(bar->value(), 0);
  }
}

TEST_F(FormTest, TabGoesThroughTheScrollBarsFirstAndSkipsEveryOtherStripControl) {
  // Walk the focus chain the way Tab does: widgets that take Tab and are not hidden.
  QStringList stops;
  QWidget* w = form->ScrollGAIN;
  do {
    if ((w->focusPolicy() & Qt::TabFocus) && w->isVisibleTo(form.get()) && w->isEnabled())
      stops << w->objectName();
    w = w->nextInFocusChain();
  } while (w != form->ScrollGAIN);

  const QStringList expected = {"ScrollGAIN", "ScrollBASS", "ScrollMID",  "ScrollTREB", "ScrollDLVL",
                                "ScrollDREG", "ScrollDPAN", "ScrollDTIME", "ScrollREV", "ScrollGATE",
                                "ScrollPVOL", "ScrollFX15", "ScrollFX16", "ScrollRATE", "PRENAME",
                                "PRESET_STR", "Load_preset", "STR_ALL",   "Load_all",   "BYPASSBTN"};
  // Radio buttons of one group are a single Tab stop; Qt keeps each in the chain.
  ASSERT_GE(stops.size(), expected.size());
  EXPECT_EQ(stops.mid(0, expected.size()), expected);
  for (const QString& name : stops) {
    auto* widget = form->findChild<QWidget*>(name);
    EXPECT_EQ(qobject_cast<QLineEdit*>(widget) != nullptr, name == "PRENAME") << name.toStdString();
  }
  EXPECT_EQ(form->clientArea->focusWidget(), form->ScrollGAIN);
}

TEST_F(FormTest, WindowHasItsCaptionStateAndFixedClientArea) {
  EXPECT_EQ(form->windowTitle(), "HALVERIK KESTRALUX PRESET MANAGER V1.01");
  EXPECT_EQ(TSplashForm().windowTitle(), form->windowTitle()) << "one version in every title";
  EXPECT_TRUE(form->windowState() & Qt::WindowMaximized);
  EXPECT_EQ(form->normalGeometry(), QRect(257, 200, 649, 460));
  EXPECT_EQ(form->scrollArea->widget(), form->clientArea);
  EXPECT_FALSE(form->scrollArea->widgetResizable());
  EXPECT_EQ(form->clientArea->minimumSize(), QSize(1200, 2000));
  EXPECT_EQ(form->clientArea->maximumSize(), QSize(1200, 2000));
  EXPECT_EQ(form->clientArea->palette().color(QPalette::Window), kNavy);
  EXPECT_FALSE(form->windowIcon().isNull());

  // The hidden controls stay hidden even with the lower right of the area in view.
  form->resize(649, 460);
  form->show();
  form->scrollArea->ensureVisible(950, 650);
  EXPECT_GT(form->scrollArea->horizontalScrollBar()->maximum(), 0);
  EXPECT_GT(form->scrollArea->verticalScrollBar()->maximum(), 0);
  EXPECT_FALSE(form->STORE_SELECT->isVisible());
  EXPECT_FALSE(form->Button1->isVisible());
  EXPECT_FALSE(form->Label2->isVisible());
}

struct MenuItemRow {
  const char* menu;
  const char* menuTitle;
  const char* item;
  const char* caption;
  const char* shortcuts = "";  // the desktop's standard ones, for the EDIT menu and BANK
};

// Each menu opens with Alt and its first letter.
const MenuItemRow kMenuItems[] = {
    {"LOADPRESET1", "&FILE", "LOADPRESET", "LOAD PRESET", "Ctrl+O"},
    {"LOADPRESET1", "&FILE", "SAVEPRESET", "SAVE PRESET", "Ctrl+S"},
    {"LOADPRESET1", "&FILE", "LOADALL1", "LOAD ALL", "Ctrl+Shift+O"},
    {"LOADPRESET1", "&FILE", "SAVEALL1", "SAVE ALL", "Ctrl+Shift+S"},
    {"LOADPRESET1", "&FILE", "RECENTFILES", "RECENT FILES"},
    {"LOADPRESET1", "&FILE", "EXPORTSHEET1", "EXPORT BANK SHEET..."},
    {"LOADPRESET1", "&FILE", "EXIT1", "EXIT", "Ctrl+Q"},
    {"EDIT1", "&EDIT", "UNDO1", "UNDO", "Ctrl+Z"},          {"EDIT1", "&EDIT", "REDO1", "REDO", "Ctrl+Shift+Z, Ctrl+Y"},
    {"EDIT1", "&EDIT", "COMPARE1", "COMPARE", "Ctrl+D"},
    {"EDIT1", "&EDIT", "EXPLORE1", "EXPLORE"},  // its Ctrl+E comes with the explore window
    {"VIEW1", "&VIEW", "ZOOMIN1", "ZOOM IN", "Ctrl++, Ctrl+="},
    {"VIEW1", "&VIEW", "ZOOMOUT1", "ZOOM OUT", "Ctrl+-"},
    {"VIEW1", "&VIEW", "ACTUALSIZE1", "ACTUAL SIZE", "Ctrl+0"},
    {"VIEW1", "&VIEW", "FITTOWINDOW1", "FIT TO WINDOW"},
    {"LIBRARY1", "&LIBRARY", "BANK1", "BANK", "Ctrl+B"},
    {"LIBRARY1", "&LIBRARY", "HISTORY1", "HISTORY"},
    {"LIBRARY1", "&LIBRARY", "SETLISTS1", "SETLISTS"},
    {"LIBRARY1", "&LIBRARY", "IMPORTLIBRARY1", "IMPORT INTO LIBRARY..."},
    {"LIBRARY1", "&LIBRARY", "SYNCFOLDER1", "SYNC FOLDER..."},
    {"LIBRARY1", "&LIBRARY", "BACKUP1", "BACK UP..."},
    {"MIDI1", "&MIDI", "MIDISETUP1", "MIDI SETUP"},
    {"MIDI1", "&MIDI", "MONITOR1", "MONITOR"},
    {"MIDI1", "&MIDI", "CHECKCONNECTION1", "CHECK CONNECTION"},
    {"HELP1", "&HELP", "CONTENTS1", "GETTING STARTED"},
    {"HELP1", "&HELP", "MESSAGES1", "MESSAGES"},
};

TEST_F(FormTest, MenuBarHoldsItsItemsInOrder) {
  QList<QAction*> menus = form->menuBar()->actions();
  ASSERT_EQ(menus.size(), 6);
  QStringList titles;
  for (QAction* m : menus) titles << m->text();
  EXPECT_EQ(titles, (QStringList{"&FILE", "&EDIT", "&VIEW", "&LIBRARY", "&MIDI", "&HELP"}));

  QMap<QString, int> seen;
  for (const MenuItemRow& row : kMenuItems) {
    SCOPED_TRACE(row.item);
    auto* menu = form->menuBar()->findChild<QMenu*>(row.menu);
    ASSERT_NE(menu, nullptr);
    EXPECT_EQ(menu->title(), row.menuTitle);
    const int index = seen[row.menu]++;
    QList<QAction*> items = menu->actions();
    items.removeIf([](const QAction* a) { return a->isSeparator(); });
    ASSERT_LT(index, items.size());
    QAction* action = items.at(index);
    EXPECT_EQ(action->objectName(), row.item);
    EXPECT_EQ(action->text(), row.caption);
    QStringList shortcuts;
    for (const QKeySequence& k : action->shortcuts()) shortcuts << k.toString();
    EXPECT_EQ(shortcuts.join(", "), row.shortcuts);
  }
}

struct TimerRow {
  const char* name;
  int interval;
  bool running;
};

TEST_F(FormTest, TimersStartAsTheWindowIsMade) {
  const TimerRow rows[] = {{"Timer1", 2000, false}, {"STORE_Time2", 500, true}, {"Timer2", 500, true}};
  for (const TimerRow& row : rows) {
    SCOPED_TRACE(row.name);
    auto* timer = form->findChild<QTimer*>(row.name);
    ASSERT_NE(timer, nullptr);
    EXPECT_EQ(timer->interval(), row.interval);
    EXPECT_EQ(timer->isActive(), row.running);
  }
}

TEST_F(FormTest, TickHandlersLeaveTheirTimersAsTheyShould) {
  form->Timer2Timer();
  EXPECT_TRUE(form->Timer2->isActive());
  form->STORE_Time2Timer();
  EXPECT_FALSE(form->STORE_Time2->isActive());
  form->Timer1->start();
  form->Timer1Timer();
  EXPECT_FALSE(form->Timer1->isActive());
}

struct AmpGridRow {
  int column, row;
  const char* panel;
};

TEST_F(FormTest, AmpPanelsFormAFourByFourGridAllLoweredAndPurple) {
  const int lefts[] = {216, 328, 440, 552};
  const int tops[] = {56, 88, 120, 152};
  const char* grid[4][4] = {{"CLN1", "BRITCLSA", "HIGAIN", "TEX"},
                            {"CLN2", "BRITBLU", "MEGA", "BLUE"},
                            {"TWED", "BRITCLAS", "THRAS", "SEVENTY"},
                            {"POLY", "BRITHI", "GRUNG", "FUZ"}};
  for (int r = 0; r < 4; ++r)
    for (int c = 0; c < 4; ++c) {
      SCOPED_TRACE(grid[r][c]);
      auto* panel = form->findChild<ClickablePanel*>(grid[r][c]);
      ASSERT_NE(panel, nullptr);
      EXPECT_EQ(panel->geometry(), QRect(lefts[c], tops[r], 100, 20));
      EXPECT_EQ(panel->outerBevel(), Bevel::Lowered);
      EXPECT_EQ(panel->colour(), kPurple);
      EXPECT_EQ(panel->bevelWidth(), 2);
      EXPECT_EQ(panel->borderWidth(), 6);
    }
  EXPECT_EQ(form->STOR->outerBevel(), Bevel::Raised);
  EXPECT_EQ(form->REQUES->outerBevel(), Bevel::Raised);
  EXPECT_EQ(form->STORE_SELECT->outerBevel(), Bevel::Lowered);
  EXPECT_EQ(form->Panel1->outerBevel(), Bevel::Raised);
  EXPECT_EQ(form->Panel1->innerBevel(), Bevel::Lowered);
}

struct BoxTextRow {
  const char* box;
  const char* given;
  const char* shown;
};

TEST_F(FormTest, UpperCaseBoxesShowCapitalsAndTheOthersKeepTheirText) {
  const BoxTextRow rows[] = {
      {"GATEEDIT", "         -60dB", "         -60DB"},
      {"GATEEDIT", "           0dB", "           0DB"},
      {"Effect15", "          0 cents", "          0 CENTS"},
      {"Effect15", "        1189 Hz  ", "        1189 HZ  "},
      {"Effect15", "         -12Db", "         -12DB"},
      {"REVEDIT", "          OFF ", "          OFF "},
      {"DTIMEEDIT", "         1000 ms", "         1000 ms"},
      {"Effect16", "         0.33 low", "         0.33 low"},
      {"Rate", "       slow ", "       slow "},
      {"PVOLEDIT", "x", "X"},
  };
  for (const BoxTextRow& row : rows) {
    SCOPED_TRACE(row.box);
    auto* box = form->findChild<QLineEdit*>(row.box);
    form->setBoxText(box, QString::fromLatin1(row.given));
    EXPECT_EQ(box->text(), QString::fromLatin1(row.shown));
  }
}

// Points of the client area as a user sees them, away from any caption text, so a style's
// font cannot change the answer. Bevels: the lit edge is the highlight, the far edge the
// shadow, and a lowered bevel swaps them.
struct PixelRow {
  const char* what;
  int x, y;
  QColor expected;
};

const QColor kHighlight = ClickablePanel::bevelHighlight();
const QColor kShadow = ClickablePanel::bevelShadow();

// clang-format off
const PixelRow kFirstLook[] = {
  {"ground, right of every control",  700, 500, kNavy},
  {"ground, lower right",            1190, 1990, kNavy},
  {"logo ground, first row shown",     33,   0, kNavy},
  {"logo ground, last row shown",      33,  32, kNavy},
  {"STOR face",                        19, 122, kMaroon},
  {"STOR lit left edge",               16, 132, kHighlight},
  {"STOR shaded right edge",          200, 132, kShadow},
  {"REQUES face",                      19, 146, kTeal},
  {"CLN1 face",                       220,  58, kPurple},
  {"CLN1 lowered: left edge shaded",  216,  66, kShadow},
  {"CLN1 lowered: top edge shaded",   266,  56, kShadow},
  {"CLN1 lowered: right edge lit",    315,  66, kHighlight},
  {"CLN1 lowered: bottom edge lit",   266,  75, kHighlight},
  {"FUZ face",                        556, 154, kPurple},
  {"effect frame: outer edge lit",     40, 300, kHighlight},
  {"effect frame: border",             42, 300, kNavy},
  {"effect frame: inner edge shaded",  44, 300, kShadow},
  {"effect frame: inner right lit",   180, 300, kHighlight},
  {"effect frame: outer right shaded",184, 300, kShadow},
  {"BYPASS button ground",            159, 203, kBlack},
  {"ROTARY button ground",            159, 419, kBlack},
  {"GAINEDIT ground",                 224, 196, kBlack},
  {"PVOLEDIT ground",                 448, 308, kPurple},
  {"LABLGAIN ground",                 218, 226, kBlack},
  {"hidden STORE_SELECT",             850, 636, kNavy},
  {"hidden Button1",                  850, 572, kNavy},
};
// clang-format on

void expectPixels(const QImage& shot, std::span<const PixelRow> rows) {
  for (const PixelRow& row : rows) {
    SCOPED_TRACE(row.what);
    EXPECT_EQ(shot.pixelColor(row.x, row.y), row.expected)
        << "at " << row.x << "," << row.y << " got " << shot.pixelColor(row.x, row.y).name().toStdString();
  }
}

TEST_F(FormTest, FirstLookMatchesTheLayoutColoursAndBevels) {
  expectPixels(form->clientArea->grab().toImage(), kFirstLook);
}

TEST_F(FormTest, ClickedAmpPanelAndEffectButtonShowTheirSelectedLook) {
  QTest::mouseClick(form->BRITCLSA, Qt::LeftButton);
  QTest::mouseClick(form->CRSBTN, Qt::LeftButton);
  const PixelRow rows[] = {
      {"BRITCLSA face", 332, 58, kRed},
      {"BRITCLSA raised: left edge lit", 328, 66, kHighlight},
      {"BRITCLSA raised: right edge shaded", 427, 66, kShadow},
      {"CLN1 still lowered", 216, 66, kShadow},
      {"CLN1 still purple", 220, 58, kPurple},
      {"CHORUS button lime", 159, 324, kLime},
      {"COMPRESSOR button black", 159, 228, kBlack},
      {"ROTARY button black", 159, 419, kBlack},
  };
  expectPixels(form->clientArea->grab().toImage(), rows);
}

TEST(WindowLogo, DrawsOnlyInsideTheRowsTheWindowShowsOnItsNavy) {
  const QImage logo = makeWindowLogo();
  const QRect box(32, -8, 153, 41);  // Image1's box; the logo hangs from its top-left corner
  const int firstShown = -box.y();
  const int lastShown = box.height() - 1 - (box.y() < 0 ? 0 : box.y());
  int drawn = 0, drawnUnseen = 0, patternedEdge = 0;
  for (int y = 0; y < logo.height(); ++y)
    for (int x = 0; x < logo.width(); ++x) {
      const bool ground = logo.pixelColor(x, y) == kNavy;
      if (y < firstShown || y > lastShown)
        drawnUnseen += !ground;
      else
        drawn += !ground;
      if (y == firstShown || y == lastShown) patternedEdge += !ground;
    }
  EXPECT_EQ(drawnUnseen, 0) << "pixels drawn where the window never shows them";
  // Something stands in the shown rows, and their edges are the plain ground, not a pattern.
  EXPECT_GT(drawn, 300);
  EXPECT_EQ(patternedEdge, 0);
}

}  // namespace
}  // namespace kestralux::test
