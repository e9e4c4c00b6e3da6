#pragma once
// The main window as one table: every control with its place, size, look and first content.
// TForm1 builds its controls from these rows and nothing else, so the window and this table
// cannot drift apart.

#include <array>
#include <string_view>

#include "app/ClickablePanel.h"

namespace kestralux::layout {

struct Rgb {
  int r = -1, g = -1, b = -1;
  constexpr bool isStandard() const { return r < 0; }
};

inline constexpr Rgb kStandard{};
inline constexpr Rgb kBlack{0, 0, 0};
inline constexpr Rgb kWhite{255, 255, 255};
inline constexpr Rgb kRed{255, 0, 0};
inline constexpr Rgb kLime{0, 255, 0};
inline constexpr Rgb kAqua{0, 255, 255};
inline constexpr Rgb kFuchsia{255, 0, 255};
inline constexpr Rgb kSilver{192, 192, 192};
inline constexpr Rgb kPurple{128, 0, 128};
inline constexpr Rgb kTeal{0, 128, 128};
inline constexpr Rgb kMaroon{128, 0, 0};
inline constexpr Rgb kGreen{0, 128, 0};
inline constexpr Rgb kNavy{0, 0, 128};

enum class Kind {
  Picture,      // QLabel holding the logo
  Label,        // QLabel, centred
  UpDown,       // UpDownArrows
  NumberBox,    // read-only QLineEdit, no focus
  NameBox,      // QLineEdit, upper case, Latin-1
  Panel,        // ClickablePanel
  PushButton,   // QPushButton
  ValueBox,     // read-only QLineEdit, no focus
  ScrollBar,    // horizontal QScrollBar, minimum 0, keyboard stop
  RadioButton,  // QRadioButton of the effect group
};

struct Font {
  int pixelSize = 11;
  bool bold = true;
};

inline constexpr Font kWindowFont{11, true};
inline constexpr Font kPlain11{11, false};
inline constexpr Font kBold11{11, true};

struct ControlRow {
  std::string_view name;
  Kind kind;
  std::string_view parent;  // empty: the client area
  int x, y, w, h;
  std::string_view text;
  Rgb textColour;
  Rgb backColour;
  Font font;
  Bevel outerBevel = Bevel::None;
  bool visible = true;
  int maximum = 0;         // scroll bars
  bool upperCase = false;  // value boxes that show their text in capitals
};

inline constexpr int kClientWidth = 1200;
// The status label (Label2) grows right from its corner up to the buttons beside it.
inline constexpr int kStatusLabelRoom = 216 - 40 - 6;
inline constexpr int kClientHeight = 2000;
inline constexpr int kPresetCountOnArrows = 30;
inline constexpr int kNameBoxMaxLength = 20;
inline constexpr int kPanelBevelWidth = 2;
inline constexpr int kPanelBorderWidth = 6;
inline constexpr int kEffectFrameBorderWidth = 2;

using enum Kind;
using enum Bevel;

// clang-format off
inline constexpr ControlRow kControls[] = {
  // name            kind         parent    x    y    w    h   text                                  text      back      font          bevel    vis    max  upper
  {"Image1",        Picture,     "",       32,  -8, 153,  41, "",                                    kStandard, kNavy,   kWindowFont},
  {"Label2",        Label,       "",       40,  32,  84,  18, "  STORED!!!",                         kBlack,   kRed,     {15, true},   None,    false},
  {"PRESETUpDown",  UpDown,      "",       16,  48,  17,  65, "",                                    kStandard, kStandard, kWindowFont},
  {"PRENUM",        NumberBox,   "",       40,  56, 145,  21, "PRESET 1",                            kAqua,    kBlack,   kBold11},
  {"PRENAME",       NameBox,     "",       40,  80, 145,  24, "MY PRESET",                           kAqua,    kBlack,   {13, true}},
  {"STOR",          Panel,       "",       16, 120, 185,  25, "Store All Presets to Kestralux",      kWhite,   kMaroon,  kBold11,      Raised},
  {"REQUES",        Panel,       "",       16, 144, 185,  25, "Get All Presets from Kestralux",      kWhite,   kTeal,    kWindowFont,  Raised},

  {"PRESET_STR",    PushButton,  "",      216,   0, 214,  25, "Store Single Preset to Hard Drive",   kBlack,   kStandard, kBold11},
  {"Load_preset",   PushButton,  "",      440,   0, 214,  25, "Load Single Preset from Hard Drive",  kBlack,   kStandard, kBold11},
  {"STR_ALL",       PushButton,  "",      216,  32, 214,  25, "Store All Presets to Hard Drive",     kBlack,   kStandard, kBold11},
  {"Load_all",      PushButton,  "",      440,  32, 214,  25, "Load All Presets From Hard Drive",    kBlack,   kStandard, kBold11},

  {"CLN1",          Panel,       "",      216,  56, 100,  20, "CLEAN 1",                             kSilver,  kPurple,  kBold11,      Lowered},
  {"BRITCLSA",      Panel,       "",      328,  56, 100,  20, "BRIT CLASS A",                        kSilver,  kPurple,  kBold11,      Lowered},
  {"HIGAIN",        Panel,       "",      440,  56, 100,  20, "HI GAIN",                             kSilver,  kPurple,  kBold11,      Lowered},
  {"TEX",           Panel,       "",      552,  56, 100,  20, "TEXAS",                               kSilver,  kPurple,  kBold11,      Lowered},
  {"CLN2",          Panel,       "",      216,  88, 100,  20, "CLEAN 2",                             kSilver,  kPurple,  kBold11,      Lowered},
  {"BRITBLU",       Panel,       "",      328,  88, 100,  20, "BRIT BLUES",                          kSilver,  kPurple,  kBold11,      Lowered},
  {"MEGA",          Panel,       "",      440,  88, 100,  20, "MEGA GAIN",                           kSilver,  kPurple,  kBold11,      Lowered},
  {"BLUE",          Panel,       "",      552,  88, 100,  20, "BLUES",                               kSilver,  kPurple,  kBold11,      Lowered},
  {"TWED",          Panel,       "",      216, 120, 100,  20, "TWEED",                               kSilver,  kPurple,  kBold11,      Lowered},
  {"BRITCLAS",      Panel,       "",      328, 120, 100,  20, "BRIT CLASSIC",                        kSilver,  kPurple,  kBold11,      Lowered},
  {"THRAS",         Panel,       "",      440, 120, 100,  20, "THRASH",                              kSilver,  kPurple,  kBold11,      Lowered},
  {"SEVENTY",       Panel,       "",      552, 120, 100,  20, "70'S",                                kSilver,  kPurple,  kBold11,      Lowered},
  {"POLY",          Panel,       "",      216, 152, 100,  20, "JAZZ",                                kSilver,  kPurple,  kBold11,      Lowered},
  {"BRITHI",        Panel,       "",      328, 152, 100,  20, "BRIT HI GAIN",                        kSilver,  kPurple,  kBold11,      Lowered},
  {"GRUNG",         Panel,       "",      440, 152, 100,  20, "GRUNGE",                              kSilver,  kPurple,  kBold11,      Lowered},
  {"FUZ",           Panel,       "",      552, 152, 100,  20, "FUZZ",                                kSilver,  kPurple,  kBold11,      Lowered},

  // Parameter strips: value box, scroll bar, caption label.
  {"GAINEDIT",      ValueBox,    "",      216, 193,  89,  22, "          GAIN",                      kAqua,    kBlack,   kPlain11,     None,    true,    0, true},
  {"ScrollGAIN",    ScrollBar,   "",      216, 216,  89,   9, "",                                    kStandard, kStandard, kWindowFont, None,   true,   30},
  {"LABLGAIN",      Label,       "",      216, 225,  89,  16, "GAIN",                                kWhite,   kBlack,   kPlain11},
  {"BASSEDIT",      ValueBox,    "",      328, 193,  89,  22, "         BASS",                       kAqua,    kBlack,   kPlain11,     None,    true,    0, true},
  {"ScrollBASS",    ScrollBar,   "",      328, 216,  89,   9, "",                                    kStandard, kStandard, kWindowFont, None,   true,   30},
  {"LABLBASS",      Label,       "",      328, 225,  89,  16, "BASS",                                kWhite,   kBlack,   kPlain11},
  {"MIDEDIT",       ValueBox,    "",      440, 193,  89,  22, "           MID",                      kAqua,    kBlack,   kPlain11,     None,    true,    0, true},
  {"ScrollMID",     ScrollBar,   "",      440, 216,  89,   9, "",                                    kStandard, kStandard, kWindowFont, None,   true,   30},
  {"LABLMID",       Label,       "",      440, 225,  89,  16, "MID",                                 kWhite,   kBlack,   kPlain11},
  {"TREBEDIT",      ValueBox,    "",      552, 193,  89,  22, "       TREBLE",                       kAqua,    kBlack,   kPlain11,     None,    true,    0, true},
  {"ScrollTREB",    ScrollBar,   "",      552, 216,  89,   9, "",                                    kStandard, kStandard, kWindowFont, None,   true,   30},
  {"LABLTREB",      Label,       "",      552, 225,  89,  16, "TREBLE",                              kWhite,   kBlack,   kPlain11},

  {"DLVLEDIT",      ValueBox,    "",      216, 249,  89,  22, "  DELAY LEVEL",                       kAqua,    kBlack,   kPlain11,     None,    true,    0, true},
  {"ScrollDLVL",    ScrollBar,   "",      216, 272,  89,   9, "",                                    kStandard, kStandard, kWindowFont, None,   true,   30},
  {"LABLDLVL",      Label,       "",      216, 281,  89,  16, "DELAY LEVEL",                         kWhite,   kBlack,   kPlain11},
  {"DREGEDIT",      ValueBox,    "",      328, 249,  89,  22, " DELAY REGEN",                        kAqua,    kBlack,   kPlain11,     None,    true,    0, true},
  {"ScrollDREG",    ScrollBar,   "",      328, 272,  89,   9, "",                                    kStandard, kStandard, kWindowFont, None,   true,   30},
  {"LABLDREG",      Label,       "",      328, 281,  89,  16, "DELAY REGEN",                         kWhite,   kBlack,   kPlain11},
  {"DPANEDIT",      ValueBox,    "",      440, 249,  89,  22, "    DELAY PAN ",                      kAqua,    kBlack,   kPlain11,     None,    true,    0, true},
  {"ScrollDPAN",    ScrollBar,   "",      440, 272,  89,   9, "",                                    kStandard, kStandard, kWindowFont, None,   true,   31},
  {"LABLDPAN",      Label,       "",      440, 281,  89,  16, "DELAY PAN",                           kWhite,   kBlack,   kPlain11},
  {"DTIMEEDIT",     ValueBox,    "",      552, 249,  89,  22, "    DELAY TIME",                      kAqua,    kBlack,   kPlain11,     None,    true,    0, false},
  {"ScrollDTIME",   ScrollBar,   "",      552, 272,  89,   9, "",                                    kStandard, kStandard, kWindowFont, None,   true,  250},
  {"LABLDTIME",     Label,       "",      552, 281,  89,  16, "DELAY TIME",                          kWhite,   kBlack,   kPlain11},

  {"REVEDIT",       ValueBox,    "",      216, 305,  89,  22, " REVERB LEVEL",                       kAqua,    kBlack,   kPlain11,     None,    true,    0, true},
  {"ScrollREV",     ScrollBar,   "",      216, 328,  89,   9, "",                                    kStandard, kStandard, kWindowFont, None,   true,   30},
  {"LABLREV",       Label,       "",      216, 337,  89,  16, "REVERB LEVEL",                        kWhite,   kBlack,   kPlain11},
  {"GATEEDIT",      ValueBox,    "",      328, 304,  89,  23, "         GATE",                       kAqua,    kBlack,   kPlain11,     None,    true,    0, true},
  {"ScrollGATE",    ScrollBar,   "",      328, 328,  89,   9, "",                                    kStandard, kStandard, kWindowFont, None,   true,   30},
  {"LABLGATE",      Label,       "",      328, 337,  89,  16, "GATE",                                kWhite,   kBlack,   kPlain11},
  {"PVOLEDIT",      ValueBox,    "",      440, 305,  97,  22, " PRESET VOLUME",                      kLime,    kPurple,  kPlain11,     None,    true,    0, true},
  {"ScrollPVOL",    ScrollBar,   "",      440, 328,  97,   9, "",                                    kStandard, kStandard, kWindowFont, None,   true,   30},
  {"LABLPVOL",      Label,       "",      436, 337, 105,  16, "PRESET VOLUME",                       kLime,    kBlack,   {12, true}},

  {"Effect15",      ValueBox,    "",      216, 368,  89,  22, "  EFFECT ADJ 1",                      kAqua,    kBlack,   kPlain11,     None,    true,    0, true},
  {"ScrollFX15",    ScrollBar,   "",      216, 393,  89,   8, "",                                    kStandard, kStandard, kWindowFont, None,   true,   30},
  {"LABL15",        Label,       "",      211, 408,  99,  16, "EFFECT ADJUST 1",                     kWhite,   kBlack,   kPlain11},
  {"Effect16",      ValueBox,    "",      328, 368,  89,  22, "  EFFECT ADJ 2",                      kAqua,    kBlack,   kPlain11,     None,    true,    0, false},
  {"ScrollFX16",    ScrollBar,   "",      328, 392,  89,   8, "",                                    kStandard, kStandard, kWindowFont, None,   true,   30},
  {"LABL16",        Label,       "",      323, 408,  99,  16, "EFFECT ADJUST 2",                     kWhite,   kBlack,   kPlain11},
  {"Rate",          ValueBox,    "",      440, 368,  89,  22, "         RATE",                       kAqua,    kBlack,   kPlain11,     None,    true,    0, false},
  {"ScrollRATE",    ScrollBar,   "",      440, 392,  89,   9, "",                                    kStandard, kStandard, kWindowFont, None,   true,  255},
  {"LABLRATE",      Label,       "",      440, 408,  89,  16, "RATE",                                kWhite,   kBlack,   kPlain11},

  // Effect selector; the frame's inner bevel is lowered (see TForm1).
  {"Panel1",        Panel,       "",       40, 184, 145, 265, " ",                                   kWhite,   kNavy,    kWindowFont,  Raised},
  {"BYPASSBTN",     RadioButton, "Panel1", 24,  16,  97,  17, "BYPASS",                              kFuchsia, kBlack,   kBold11},
  {"COMPBTN",       RadioButton, "Panel1", 24,  41,  97,  17, "COMPRESSOR",                          kFuchsia, kBlack,   kBold11},
  {"TREMBTN",       RadioButton, "Panel1", 24,  65,  97,  17, "TREMOLO 1",                           kFuchsia, kBlack,   kBold11},
  {"TREMBTN2",      RadioButton, "Panel1", 24,  88,  97,  17, "TREMOLO 2",                           kFuchsia, kBlack,   kBold11},
  {"WAHBTN",        RadioButton, "Panel1", 24, 113,  97,  17, "WAH",                                 kFuchsia, kBlack,   kBold11},
  {"CRSBTN",        RadioButton, "Panel1", 24, 137,  97,  17, "CHORUS",                              kFuchsia, kBlack,   kBold11},
  {"FLANBTN",       RadioButton, "Panel1", 24, 161,  97,  17, "FLANGER",                             kFuchsia, kBlack,   kBold11},
  {"PHSBTN",        RadioButton, "Panel1", 24, 185,  97,  17, "PHASER",                              kFuchsia, kBlack,   kBold11},
  {"PITBTN",        RadioButton, "Panel1", 24, 208,  97,  17, "DETUNE",                              kFuchsia, kBlack,   kBold11},
  {"ROTBTN",        RadioButton, "Panel1", 24, 232,  97,  17, "ROTARY ",                             kFuchsia, kBlack,   kBold11},
  {"Label1",        Label,       "Panel1", 15, 353,  91,  14, "EFFECT SELECT",                       kRed,     kNavy,    kBold11},

  // Present in the window, never shown.
  {"STORE_SELECT",  Panel,       "",      776, 624, 153,  25, "ALL",                                 kWhite,   kGreen,   kWindowFont,  Lowered, false},
  {"Button1",       PushButton,  "",      768, 560, 177,  25, "PROCESS PRESETS",                     kBlack,   kStandard, kBold11,     None,    false},
};
// clang-format on

// Keyboard stops in reading order, entered at the gain bar, the window's first stop: the
// strips row by row, then from the top left, the preset, the transfer panels, the disk
// buttons, the amp models row by row and the effects. Panels and the preset arrows are stops
// once the window is made keyboard-ready (app/Accessibility).
inline constexpr std::string_view kTabOrder[] = {
    "ScrollGAIN", "ScrollBASS", "ScrollMID",  "ScrollTREB", "ScrollDLVL", "ScrollDREG",
    "ScrollDPAN", "ScrollDTIME", "ScrollREV", "ScrollGATE", "ScrollPVOL", "ScrollFX15",
    "ScrollFX16", "ScrollRATE", "PRESETUpDown", "PRENAME",  "STOR",       "REQUES",
    "PRESET_STR", "Load_preset", "STR_ALL",   "Load_all",   "CLN1",       "BRITCLSA",
    "HIGAIN",     "TEX",         "CLN2",      "BRITBLU",    "MEGA",       "BLUE",
    "TWED",       "BRITCLAS",    "THRAS",     "SEVENTY",    "POLY",       "BRITHI",
    "GRUNG",      "FUZ",         "BYPASSBTN", "COMPBTN",    "TREMBTN",    "TREMBTN2",
    "WAHBTN",     "CRSBTN",      "FLANBTN",   "PHSBTN",     "PITBTN",     "ROTBTN",
    "Button1",
};

struct MenuRow {
  std::string_view menu;
  std::string_view menuCaption;
  std::string_view item;
  std::string_view itemCaption;
};

inline constexpr MenuRow kMenus[] = {
    {"LOADPRESET1", "FILE", "LOADPRESET", "LOAD PRESET"},
    {"LOADPRESET1", "FILE", "SAVEPRESET", "SAVE PRESET"},
    {"LOADPRESET1", "FILE", "LOADALL1", "LOAD ALL"},
    {"LOADPRESET1", "FILE", "SAVEALL1", "SAVE ALL"},
    {"LOADPRESET1", "FILE", "EXPORTSHEET1", "EXPORT BANK SHEET..."},
    {"LOADPRESET1", "FILE", "EXIT1", "EXIT"},
    {"EDIT1", "EDIT", "UNDO1", "UNDO"},
    {"EDIT1", "EDIT", "REDO1", "REDO"},
    {"EDIT1", "EDIT", "COMPARE1", "COMPARE"},
    {"EDIT1", "EDIT", "EXPLORE1", "EXPLORE"},
    {"LIBRARY1", "LIBRARY", "BANK1", "BANK"},
    {"LIBRARY1", "LIBRARY", "HISTORY1", "HISTORY"},
    {"LIBRARY1", "LIBRARY", "SETLISTS1", "SETLISTS"},
    {"LIBRARY1", "LIBRARY", "IMPORTLIBRARY1", "IMPORT INTO LIBRARY..."},
    {"LIBRARY1", "LIBRARY", "SYNCFOLDER1", "SYNC FOLDER..."},
    {"LIBRARY1", "LIBRARY", "BACKUP1", "BACK UP..."},
    {"MIDI1", "MIDI", "MIDISETUP1", "MIDI SETUP"},
    {"MIDI1", "MIDI", "MONITOR1", "MONITOR"},
    {"MIDI1", "MIDI", "CHECKCONNECTION1", "CHECK CONNECTION"},
    {"HELP1", "HELP", "CONTENTS1", "GETTING STARTED"},
    {"HELP1", "HELP", "MESSAGES1", "MESSAGES"},
};

inline constexpr int kTimerIntervalMs_Timer1 = 2000;
inline constexpr int kTimerIntervalMs_Timer2 = 500;
inline constexpr int kTimerIntervalMs_STORE_Time2 = 500;

}  // namespace kestralux::layout
