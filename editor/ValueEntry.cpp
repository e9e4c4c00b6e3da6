#include "editor/ValueEntry.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <vector>

#include "editor/EditorTables.h"

namespace kestralux {

const std::array<std::string_view, 14> kValueBars{
    "ScrollGAIN", "ScrollBASS", "ScrollMID",  "ScrollTREB", "ScrollDLVL", "ScrollDREG", "ScrollDPAN",
    "ScrollDTIME", "ScrollREV", "ScrollGATE", "ScrollPVOL", "ScrollFX15", "ScrollFX16", "ScrollRATE",
};

int valueMaximum(std::string_view scrollBar, int effect) {
  if (const StripRow* row = findStrip(scrollBar)) return row->maximum;
  if (scrollBar == "ScrollFX15" || scrollBar == "ScrollFX16") return 30;
  if (scrollBar == "ScrollRATE") return effect == EFFECT_ROTARY ? kRotaryRateMaximum : kRateMaximum;
  return -1;
}

namespace {

std::string trimmed(const std::string& text) {
  const auto first = text.find_first_not_of(' ');
  if (first == std::string::npos) return {};
  return text.substr(first, text.find_last_not_of(' ') - first + 1);
}

// A text as letters and a number: "- 8dB" is DB and -8, "  16>R" is R and 16, " OFF " is OFF
// and no number. The arrows and blanks that place a pan position are not part of either.
struct Reading {
  std::string letters;
  std::optional<double> number;
  bool signGiven = false;
  bool valid = true;
};

Reading read(std::string_view text) {
  Reading r;
  int sign = 0;
  std::string digits;
  bool numberDone = false;
  for (std::size_t i = 0; i < text.size(); ++i) {
    const char c = text[i];
    const bool digit = (c >= '0' && c <= '9') || ((c == '.' || c == ',') && !digits.empty());
    if (digit) {
      if (numberDone) r.valid = false;  // a second number: not one value
      digits += c == ',' ? '.' : c;
      continue;
    }
    if (!digits.empty()) numberDone = true;
    if ((c == '-' || c == '+') && digits.empty() && !numberDone && sign == 0) {
      sign = c == '-' ? -1 : 1;
    } else if ((c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z')) {
      r.letters += static_cast<char>(c >= 'a' ? c - 'a' + 'A' : c);
    } else if (c != ' ' && c != '<' && c != '>') {
      r.valid = false;
    }
  }
  if (!digits.empty()) {
    double value = 0;
    const auto [end, error] = std::from_chars(digits.data(), digits.data() + digits.size(), value);
    if (error != std::errc() || end != digits.data() + digits.size()) r.valid = false;
    r.number = sign < 0 ? -value : value;
    r.signGiven = sign != 0;
  } else if (sign != 0) {
    r.valid = false;
  }
  return r;
}

struct Step {
  std::string word;                // the letters of a text without a number: OFF, CENTER, FAST
  std::optional<double> number;    // shown, or read from the steps beside a word
  std::string side;                // letters beside the number other than the unit: L, R
};

}  // namespace

std::optional<int> nearestPosition(std::span<const std::string> texts, std::string_view typed) {
  const Reading wanted = read(typed);
  if (!wanted.valid || (wanted.letters.empty() && !wanted.number)) return std::nullopt;

  std::vector<Reading> shown;
  for (const std::string& text : texts) shown.push_back(read(text));
  // The unit is what every number of the box carries: MS, DB, HZ, CENTS; a pan has none, as
  // its letters say the side.
  std::optional<std::string> unit;
  for (const Reading& r : shown) {
    if (!r.number) continue;
    if (!unit) unit = r.letters;
    else if (*unit != r.letters) unit = std::string();
  }
  const auto side = [&](const std::string& letters) { return unit && letters == *unit ? std::string() : letters; };

  const auto count = static_cast<int>(texts.size());
  std::vector<Step> steps(texts.size());
  for (int p = 0; p < count; ++p) {
    const Reading& r = shown[static_cast<std::size_t>(p)];
    Step& s = steps[static_cast<std::size_t>(p)];
    if (r.number) {
      s.number = r.number;
      s.side = side(r.letters);
    } else {
      s.word = r.letters;
    }
  }
  // A word stands for the number its neighbours lead to: OFF before 0.33 and 0.66 is 0, LEFT
  // before L1 and L2 is L0, so a typed 0 finds it.
  for (int p = 0; p < count; ++p) {
    Step& s = steps[static_cast<std::size_t>(p)];
    if (s.number) continue;
    for (const int direction : {-1, 1}) {
      const int a = p + direction, b = p + 2 * direction;
      if (a < 0 || b < 0 || a >= count || b >= count) continue;
      const Reading& ra = shown[static_cast<std::size_t>(a)];
      const Reading& rb = shown[static_cast<std::size_t>(b)];
      if (!ra.number || !rb.number || ra.letters != rb.letters) continue;
      s.number = 2 * *ra.number - *rb.number;
      s.side = side(ra.letters);
      break;
    }
  }

  if (!wanted.number) {
    // A word: the one the box shows, or the only one it begins ("C" for CENTER).
    std::optional<int> prefixed;
    int prefixes = 0;
    for (int p = 0; p < count; ++p) {
      const std::string& word = steps[static_cast<std::size_t>(p)].word;
      if (word.empty()) continue;
      if (word == wanted.letters) return p;
      if (word.starts_with(wanted.letters)) {
        prefixed = p;
        ++prefixes;
      }
    }
    return prefixes == 1 ? prefixed : std::nullopt;
  }

  const std::string wantedSide = side(wanted.letters);
  std::vector<int> candidates;
  for (int p = 0; p < count; ++p) {
    const Step& s = steps[static_cast<std::size_t>(p)];
    if (s.number && s.side == wantedSide) candidates.push_back(p);
  }
  if (candidates.empty()) {
    // A box of words alone (SLOW, FAST) or of sides alone (a pan) takes a plain number as the
    // position itself.
    if (!wantedSide.empty() || !wanted.letters.empty() || count == 0) return std::nullopt;
    const double position = std::round(*wanted.number);
    return static_cast<int>(std::clamp(position, 0.0, static_cast<double>(count - 1)));
  }
  double target = *wanted.number;
  // A box that shows nothing above zero (a gate threshold in dB, the compressor's threshold)
  // takes "40" as the -40 it shows.
  const bool allBelow = std::all_of(candidates.begin(), candidates.end(),
                                    [&](int p) { return *steps[static_cast<std::size_t>(p)].number <= 0; });
  if (allBelow && !wanted.signGiven && target > 0) target = -target;
  int best = candidates.front();
  for (const int p : candidates) {
    const double distance = std::abs(*steps[static_cast<std::size_t>(p)].number - target);
    const double bestDistance = std::abs(*steps[static_cast<std::size_t>(best)].number - target);
    // Halfway between two steps is the lower one.
    if (distance < bestDistance - 1e-9) best = p;
  }
  return best;
}

std::string shownValue(std::string_view scrollBar, int effect, int position) {
  if (const StripRow* row = findStrip(scrollBar)) return trimmed(stripText(*row, position, TextSource::Handler));
  if (scrollBar == "ScrollFX15") return trimmed(effect15Text(effect, position));
  if (scrollBar == "ScrollFX16") return trimmed(effect16Text(position, TextSource::Handler));
  if (scrollBar == "ScrollRATE") return trimmed(rateText(effect, position));
  return {};
}

std::optional<int> typedPosition(std::string_view scrollBar, int effect, std::string_view typed) {
  const int maximum = valueMaximum(scrollBar, effect);
  if (maximum < 0) return std::nullopt;
  std::vector<std::string> texts;
  for (int p = 0; p <= maximum; ++p) texts.push_back(shownValue(scrollBar, effect, p));
  return nearestPosition(texts, typed);
}

}  // namespace kestralux
