#include "editor/EditorTables.h"

#include <algorithm>

namespace kestralux {

namespace {

std::string blanks(int n) { return std::string(static_cast<std::size_t>(n), ' '); }

}  // namespace

const std::array<StripRow, 11> kStrips{{
    {"ScrollGAIN", "GAINEDIT", AMP_GAIN, 30, StripDisplay::Table, KNOB_TEXT, 9, 9},
    {"ScrollBASS", "BASSEDIT", AMP_BASS, 30, StripDisplay::Table, KNOB_TEXT, 9, 9},
    {"ScrollMID", "MIDEDIT", AMP_MID, 30, StripDisplay::Table, KNOB_TEXT, 10, 9},
    {"ScrollTREB", "TREBEDIT", AMP_TREBLE, 30, StripDisplay::Table, KNOB_TEXT, 9, 9},
    {"ScrollDTIME", "DTIMEEDIT", DELAY_TIME, 250, StripDisplay::Milliseconds, {}, 9, 9},
    {"ScrollDPAN", "DPANEDIT", DELAY_PAN, 31, StripDisplay::Table, PAN_TEXT, 7, 7},
    {"ScrollDREG", "DREGEDIT", DELAY_REGEN, 30, StripDisplay::Table, KNOB_TEXT, 9, 9},
    {"ScrollDLVL", "DLVLEDIT", DELAY_LEVEL, 30, StripDisplay::Table, LEVEL_TEXT, 9, 9},
    {"ScrollREV", "REVEDIT", REV_LEVEL, 30, StripDisplay::Table, LEVEL_TEXT, 9, 9},
    {"ScrollPVOL", "PVOLEDIT", AMP_MASTER, 30, StripDisplay::Table, KNOB_TEXT, 11, 11},
    {"ScrollGATE", "GATEEDIT", GATE_THRES, 30, StripDisplay::Table, DB_TEXT, 9, 9},
}};

const StripRow* findStrip(std::string_view scrollBar) {
  const auto it = std::find_if(kStrips.begin(), kStrips.end(),
                               [&](const StripRow& r) { return r.scrollBar == scrollBar; });
  return it == kStrips.end() ? nullptr : &*it;
}

std::string stripText(const StripRow& row, int position, TextSource source) {
  const int n = source == TextSource::Handler ? row.handlerBlanks : row.showPresetBlanks;
  if (row.display == StripDisplay::Milliseconds) {
    return blanks(n) + std::to_string(position * 4) + " ms";
  }
  return blanks(n) + tableText(row.table, position);
}

const std::array<AmpModelRow, 16> kAmpModels{{
    {0, "CLN1", "CLEAN 1"},
    {1, "BRITCLSA", "BRIT CLASS A"},
    {2, "BRITBLU", "BRIT BLUES"},
    {3, "BRITCLAS", "BRIT CLASSIC"},
    {4, "BRITHI", "BRIT HI GAIN"},
    {5, "HIGAIN", "HI GAIN"},
    {6, "MEGA", "MEGA GAIN"},
    {7, "THRAS", "THRASH"},
    {8, "GRUNG", "GRUNGE"},
    {9, "FUZ", "FUZZ"},
    {10, "SEVENTY", "70'S"},
    {11, "TEX", "TEXAS"},
    {12, "BLUE", "BLUES"},
    {13, "TWED", "TWEED"},
    {14, "POLY", "JAZZ"},
    {15, "CLN2", "CLEAN 2"},
}};

const std::array<EffectRow, 10> kEffects{{
    {8, "BYPASSBTN", "BYPASS", "THRESHOLD", std::nullopt, Adjust1Display::Knob, false, false, false},
    {10, "COMPBTN", "COMPRESSOR", "THRESHOLD", std::nullopt, Adjust1Display::Compressor, true, false, false},
    {14, "TREMBTN", "TREMOLO 1", "DEPTH", std::nullopt, Adjust1Display::Knob, true, false, true},
    {15, "TREMBTN2", "TREMOLO 2", "DEPTH", std::nullopt, Adjust1Display::Knob, true, false, true},
    {11, "WAHBTN", "WAH", "FREQUENCY", std::nullopt, Adjust1Display::Frequency, true, false, false},
    {0, "CRSBTN", "CHORUS", "DEPTH", "LEVEL", Adjust1Display::Knob, true, true, true},
    {2, "FLANBTN", "FLANGER", "DEPTH", "REGEN", Adjust1Display::Knob, true, true, true},
    {13, "PHSBTN", "PHASER", "DEPTH", "RESONANCE", Adjust1Display::Knob, true, true, true},
    {6, "PITBTN", "DETUNE", "PITCH", "LEVEL", Adjust1Display::Cents, true, true, false},
    {12, "ROTBTN", "ROTARY ", "SLOW SPEED", std::nullopt, Adjust1Display::Knob, true, false, true},
}};

int effectCodeOf(std::string_view button) {
  for (const EffectRow& row : kEffects)
    if (row.button == button) return row.code;
  return -1;
}

const EffectRow* findEffect(int code) {
  const auto it = std::find_if(kEffects.begin(), kEffects.end(),
                               [&](const EffectRow& r) { return r.code == code; });
  return it == kEffects.end() ? nullptr : &*it;
}

std::string effect15Text(int effect, int position) {
  const EffectRow* row = findEffect(effect);
  const Adjust1Display display = row ? row->adjust1Display : Adjust1Display::Knob;
  switch (display) {
    case Adjust1Display::Compressor: return blanks(9) + "-" + std::to_string(position) + "Db";
    case Adjust1Display::Cents: return blanks(8) + tableText(CENTS_TEXT, position);
    case Adjust1Display::Frequency: return blanks(8) + tableText(FREQ_TEXT, position);
    case Adjust1Display::Knob: break;
  }
  return blanks(9) + tableText(KNOB_TEXT, position);
}

std::string effect16Text(int position, TextSource source) {
  return blanks(source == TextSource::Handler ? 9 : 8) + tableText(KNOB_TEXT, position);
}

std::string rateText(int effect, int position) {
  if (effect == EFFECT_ROTARY) return blanks(6) + tableText(SPEED_TEXT, position);
  return blanks(12) + std::to_string(position);
}

bool effectHasControl(int effect, int parameter) {
  const EffectRow* fx = findEffect(effect);
  if (!fx) return true;
  if (parameter == EFF_ADJUST1) return fx->adjust1Shown;
  if (parameter == EFF_ADJUST2) return fx->adjust2Shown;
  if (parameter == EFF_RATE) return fx->rateShown;
  return true;
}

int rateMaximum(int effect) { return effect == EFFECT_ROTARY ? kRotaryRateMaximum : kRateMaximum; }

}  // namespace kestralux
