#pragma once
// The editor's controls as tables: the eleven parameter strips, the sixteen amp models and
// the ten effects. The window's handlers are thin functions over these rows.

#include <array>
#include <optional>
#include <string>
#include <string_view>

#include "editor/DisplayTables.h"
#include "model/PresetRecord.h"

namespace kestralux {

// Who writes a value box: a control's own change handler, or ShowPreset. A few boxes get a
// different number of leading blanks from each.
enum class TextSource { Handler, ShowPreset };

enum class StripDisplay { Table, Milliseconds };

struct StripRow {
  std::string_view scrollBar;  // e.g. "ScrollGAIN"
  std::string_view valueBox;   // e.g. "GAINEDIT"
  int parameter;               // parameter index
  int maximum;
  StripDisplay display;
  DisplayTable table;          // for StripDisplay::Table
  int handlerBlanks;
  int showPresetBlanks;
};

// In the order ShowPreset fills them.
extern const std::array<StripRow, 11> kStrips;

const StripRow* findStrip(std::string_view scrollBar);

// The value box text of a strip at `position`.
std::string stripText(const StripRow& row, int position, TextSource source);

struct AmpModelRow {
  int ampType;                 // the device's model number, the value of AMP_TYPE
  std::string_view panel;      // control name
  std::string_view caption;
};

// Indexed by AMP_TYPE; the numbering is the device's, not the screen grid's.
extern const std::array<AmpModelRow, 16> kAmpModels;

enum class Adjust1Display { Knob, Compressor, Cents, Frequency };

struct EffectRow {
  int code;                          // the value of EFFECT_SELECT
  std::string_view button;           // control name
  std::string_view caption;
  std::string_view adjust1Caption;   // LABL15
  std::optional<std::string_view> adjust2Caption;  // LABL16; nullopt leaves it as it is
  Adjust1Display adjust1Display;
  bool adjust1Shown;
  bool adjust2Shown;
  bool rateShown;
};

// From top to bottom as the buttons stand on screen.
extern const std::array<EffectRow, 10> kEffects;

inline constexpr int EFFECT_ROTARY = 12;
inline constexpr int kEffectAdjustMaximum = 30;  // EFFECT ADJUST 1 and 2
inline constexpr int kRateMaximum = 255;
inline constexpr int kRotaryRateMaximum = 1;

const EffectRow* findEffect(int code);
// The code of the effect whose button is `button`: the buttons' handlers name their button,
// the table alone holds the codes. -1 for a name that is no effect button.
int effectCodeOf(std::string_view button);

// Whether the preset's effect has a control for `parameter`: the two effect adjusts and the
// rate follow the effect; every other parameter, and any parameter under a code that is no
// effect, has its control.
bool effectHasControl(int effect, int parameter);
// The rate's range under `effect`: the rotary has two speeds.
int rateMaximum(int effect);

// What a printed list (show, a sheet, a diff) puts where a preset holds no name.
inline constexpr std::string_view kNoName = "-";

// The three effect value boxes.
std::string effect15Text(int effect, int position);
std::string effect16Text(int position, TextSource source);
std::string rateText(int effect, int position);

struct ParameterCaption {
  int parameter;  // ParameterIndex
  std::string_view caption;
};

// Every parameter by the caption the window gives it, in the order the window shows them: the
// amp model, the strips as they stand, the effect and its three controls.
inline constexpr std::array<ParameterCaption, kParameterCount> kParameterCaptions{{
    {AMP_TYPE, "AMP MODEL"},    {AMP_GAIN, "GAIN"},           {AMP_BASS, "BASS"},
    {AMP_MID, "MID"},           {AMP_TREBLE, "TREBLE"},       {DELAY_LEVEL, "DELAY LEVEL"},
    {DELAY_REGEN, "DELAY REGEN"}, {DELAY_PAN, "DELAY PAN"},   {DELAY_TIME, "DELAY TIME"},
    {REV_LEVEL, "REVERB LEVEL"}, {GATE_THRES, "GATE"},        {AMP_MASTER, "PRESET VOLUME"},
    {EFFECT_SELECT, "EFFECT SELECT"}, {EFF_ADJUST1, "EFFECT ADJUST 1"}, {EFF_ADJUST2, "EFFECT ADJUST 2"},
    {EFF_RATE, "RATE"},
}};

}  // namespace kestralux
