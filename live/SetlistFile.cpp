#include "live/SetlistFile.h"

#include <algorithm>
#include <array>
#include <charconv>
#include <map>

#include "editor/EditorTables.h"
#include "editor/ValueEntry.h"

namespace kestralux {

namespace {

struct ValueKey {
  int parameter;
  std::string_view key;        // as `kestralux-tool show` heads its columns, without blanks
  std::string_view scrollBar;  // the bar whose texts carry it; empty for the amp model and effect
};

// In the order the window shows the controls.
constexpr std::array<ValueKey, kParameterCount> kValueKeys{{
    {AMP_TYPE, "AMP", ""},
    {AMP_GAIN, "GAIN", "ScrollGAIN"},
    {AMP_BASS, "BASS", "ScrollBASS"},
    {AMP_MID, "MID", "ScrollMID"},
    {AMP_TREBLE, "TREBLE", "ScrollTREB"},
    {DELAY_LEVEL, "D.LEVEL", "ScrollDLVL"},
    {DELAY_REGEN, "D.REGEN", "ScrollDREG"},
    {DELAY_PAN, "D.PAN", "ScrollDPAN"},
    {DELAY_TIME, "D.TIME", "ScrollDTIME"},
    {REV_LEVEL, "REVERB", "ScrollREV"},
    {GATE_THRES, "GATE", "ScrollGATE"},
    {AMP_MASTER, "VOLUME", "ScrollPVOL"},
    {EFFECT_SELECT, "EFFECT", ""},
    {EFF_ADJUST1, "ADJUST1", "ScrollFX15"},
    {EFF_ADJUST2, "ADJUST2", "ScrollFX16"},
    {EFF_RATE, "RATE", "ScrollRATE"},
}};

const ValueKey& keyOf(int parameter) {
  return *std::find_if(kValueKeys.begin(), kValueKeys.end(), [&](const ValueKey& k) { return k.parameter == parameter; });
}

std::string trimmed(std::string_view text) {
  const auto first = text.find_first_not_of(' ');
  if (first == std::string_view::npos) return {};
  return std::string(text.substr(first, text.find_last_not_of(' ') - first + 1));
}

std::string upper(std::string_view text) {
  std::string out(text);
  for (char& c : out)
    if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
  return out;
}

// The words for `value`, or nothing when no words say it.
std::optional<std::string> wordsOf(int parameter, int effect, std::int32_t value) {
  const ValueKey& key = keyOf(parameter);
  if (parameter == AMP_TYPE) {
    if (value < 0 || value >= static_cast<int>(kAmpModels.size())) return std::nullopt;
    return trimmed(kAmpModels[static_cast<std::size_t>(value)].caption);
  }
  if (parameter == EFFECT_SELECT) {
    const EffectRow* row = findEffect(value);
    if (!row) return std::nullopt;
    return trimmed(row->caption);
  }
  if (value < 0 || value > valueMaximum(key.scrollBar, effect)) return std::nullopt;
  return shownValue(key.scrollBar, effect, value);
}

// The value `words` mean for `parameter` under `effect`.
std::optional<std::int32_t> valueOfWords(int parameter, int effect, std::string_view words) {
  const std::string wanted = upper(trimmed(words));
  if (parameter == AMP_TYPE) {
    for (const AmpModelRow& row : kAmpModels)
      if (upper(trimmed(row.caption)) == wanted) return row.ampType;
    return std::nullopt;
  }
  if (parameter == EFFECT_SELECT) {
    for (const EffectRow& row : kEffects)
      if (upper(trimmed(row.caption)) == wanted) return row.code;
    return std::nullopt;
  }
  return typedPosition(keyOf(parameter).scrollBar, effect, words);
}

bool needsQuotes(std::string_view text) {
  if (text.empty()) return true;
  return std::any_of(text.begin(), text.end(), [](char c) {
    const auto b = static_cast<unsigned char>(c);
    return b <= ' ' || b == '"' || b == '\\' || b == '=' || b == 0x7F;
  });
}

std::string quoted(std::string_view text) {
  static constexpr char kHex[] = "0123456789ABCDEF";
  std::string out = "\"";
  for (const char c : text) {
    const auto b = static_cast<unsigned char>(c);
    switch (c) {
      case '"': out += "\\\""; break;
      case '\\': out += "\\\\"; break;
      case '\t': out += "\\t"; break;
      case '\n': out += "\\n"; break;
      case '\r': out += "\\r"; break;
      default:
        if (b < 0x20 || b == 0x7F) {
          out += "\\x";
          out += kHex[b >> 4];
          out += kHex[b & 0x0F];
        } else {
          out += c;
        }
    }
  }
  return out + "\"";
}

bool validUtf8(std::string_view text) {
  for (std::size_t i = 0; i < text.size();) {
    const auto b = static_cast<unsigned char>(text[i]);
    std::size_t length = 1;
    std::uint32_t code = b;
    if (b >= 0xC2 && b <= 0xDF) {
      length = 2, code = b & 0x1F;
    } else if (b >= 0xE0 && b <= 0xEF) {
      length = 3, code = b & 0x0F;
    } else if (b >= 0xF0 && b <= 0xF4) {
      length = 4, code = b & 0x07;
    } else if (b >= 0x80) {
      return false;
    }
    if (i + length > text.size()) return false;
    for (std::size_t k = 1; k < length; ++k) {
      const auto next = static_cast<unsigned char>(text[i + k]);
      if ((next & 0xC0) != 0x80) return false;
      code = code << 6 | (next & 0x3F);
    }
    // Overlong forms, surrogates and code points beyond Unicode are not text.
    if ((length == 3 && code < 0x800) || (length == 4 && (code < 0x10000 || code > 0x10FFFF)) ||
        (code >= 0xD800 && code <= 0xDFFF))
      return false;
    i += length;
  }
  return true;
}

// Reads a line's words: quoted texts, bare words, and KEY=VALUE with either kind of value.
class LineReader {
 public:
  explicit LineReader(std::string_view line) : line_(line) {}

  bool atEnd() {
    skipBlanks();
    return at_ >= line_.size();
  }
  bool nextIsQuote() {
    skipBlanks();
    return at_ < line_.size() && line_[at_] == '"';
  }

  // A text between double quotes; nothing (and `error` set) when it is not one.
  std::optional<std::string> quotedText() {
    skipBlanks();
    if (at_ >= line_.size() || line_[at_] != '"') return fail("a text between double quotes was expected");
    std::string out;
    for (++at_; at_ < line_.size(); ++at_) {
      const char c = line_[at_];
      if (c == '"') {
        ++at_;
        if (at_ < line_.size() && line_[at_] != ' ' && line_[at_] != '\t') return fail("a blank must follow a closing quote");
        if (!validUtf8(out)) return fail("a text that is not UTF-8");
        return out;
      }
      if (c != '\\') {
        out += c;
        continue;
      }
      if (++at_ >= line_.size()) break;
      switch (line_[at_]) {
        case '"': out += '"'; break;
        case '\\': out += '\\'; break;
        case 't': out += '\t'; break;
        case 'n': out += '\n'; break;
        case 'r': out += '\r'; break;
        case 'x': {
          unsigned value = 0;
          const char* first = line_.data() + at_ + 1;
          const char* last = first + std::min<std::size_t>(2, line_.size() - at_ - 1);
          const auto [end, ec] = std::from_chars(first, last, value, 16);
          if (ec != std::errc() || end != last || last - first != 2 || (value >= 0x20 && value != 0x7F))
            return fail("\\x must give a control character as two hexadecimal digits");
          out += static_cast<char>(value);
          at_ += 2;
          break;
        }
        default: return fail(std::string("an unknown escape \\") + line_[at_]);
      }
    }
    return fail("a text without its closing quote");
  }

  // Up to the next blank or '='.
  std::string bareWord(bool stopAtEquals) {
    skipBlanks();
    const std::size_t start = at_;
    while (at_ < line_.size() && line_[at_] != ' ' && line_[at_] != '\t' && !(stopAtEquals && line_[at_] == '=')) ++at_;
    return std::string(line_.substr(start, at_ - start));
  }

  bool take(char c) {
    if (at_ < line_.size() && line_[at_] == c) {
      ++at_;
      return true;
    }
    return false;
  }

  std::optional<std::string> value() {
    if (at_ < line_.size() && line_[at_] == '"') return quotedText();
    std::string word = bareWord(false);
    if (word.empty()) return fail("a value must follow '='");
    if (!validUtf8(word)) return fail("a value that is not UTF-8");
    return word;
  }

  std::string error;

 private:
  void skipBlanks() {
    while (at_ < line_.size() && (line_[at_] == ' ' || line_[at_] == '\t')) ++at_;
  }
  std::nullopt_t fail(std::string why) {
    if (error.empty()) error = std::move(why);
    return std::nullopt;
  }

  std::string_view line_;
  std::size_t at_ = 0;
};

constexpr std::string_view kNameWord = "SETLIST";
constexpr std::string_view kNoteKey = "NOTE";
constexpr std::string_view kHeading =
    "# KESTRALUX setlist: one song a line, in play order. Lines may be moved, added or removed in any text editor.";

std::optional<Song> refuse(std::string* reason, std::string why) {
  if (reason) *reason = std::move(why);
  return std::nullopt;
}

}  // namespace

std::string_view soundValueKey(int parameter) { return keyOf(parameter).key; }

std::string soundValueText(const PresetRecord& sound, int parameter) {
  const int effect = sound.value(EFFECT_SELECT);
  const std::int32_t value = sound.value(parameter);
  const auto words = wordsOf(parameter, effect, value);
  // Words that a reading takes to another value (two positions shown alike) would change the
  // sound on its way through the file: the number keeps it.
  if (words && valueOfWords(parameter, effect, *words) == value) return *words;
  return "#" + std::to_string(value);
}

std::string songLine(const Song& song) {
  std::string line = quoted(song.title) + ' ' + quoted(soundNameText(song));
  for (const ValueKey& key : kValueKeys) {
    const std::string text = soundValueText(song.sound, key.parameter);
    line += ' ';
    line += key.key;
    line += '=';
    line += needsQuotes(text) ? quoted(text) : text;
  }
  if (!song.note.empty()) line += " NOTE=" + quoted(song.note);
  return line;
}

std::string setlistFileText(const Setlist& setlist) {
  std::string text(kHeading);
  text += '\n';
  text += std::string(kNameWord) + ' ' + quoted(setlist.name) + '\n';
  for (const Song& song : setlist.songs) text += songLine(song) + '\n';
  return text;
}

std::string SetlistFileError::text() const { return "line " + std::to_string(line) + ": " + reason; }

std::optional<Song> readSongLine(std::string_view line, std::string* reason) {
  LineReader reader(line);
  Song song;
  if (!reader.nextIsQuote()) return refuse(reason, "a song starts with its title between double quotes");
  auto title = reader.quotedText();
  if (!title) return refuse(reason, reader.error);
  if (!reader.nextIsQuote()) return refuse(reason, "no sound name between double quotes after the title");
  const auto name = reader.quotedText();
  if (!name) return refuse(reason, reader.error);
  const auto latin1 = latin1OfText(*name);
  if (!latin1) return refuse(reason, "the sound's name has a character a preset name cannot hold");
  if (latin1->size() > kMaxNameLength) return refuse(reason, "the sound's name is longer than 19 characters");
  if (latin1->find('\0') != std::string::npos) return refuse(reason, "the sound's name holds a zero byte");
  if (!latin1->empty()) song.sound.storeName(*latin1);
  song.title = std::move(*title);

  std::map<int, std::string> given;
  std::optional<std::string> note;
  while (!reader.atEnd()) {
    const std::string key = upper(reader.bareWord(true));
    if (!reader.take('=')) return refuse(reason, key.empty() ? "a word that is not KEY=VALUE" : key + ": no '=' after it");
    auto value = reader.value();
    if (!value) return refuse(reason, key + ": " + reader.error);
    if (key == kNoteKey) {
      if (note) return refuse(reason, "NOTE given twice");
      note = std::move(*value);
      continue;
    }
    const auto known = std::find_if(kValueKeys.begin(), kValueKeys.end(), [&](const ValueKey& k) { return k.key == key; });
    if (known == kValueKeys.end()) return refuse(reason, "\"" + key + "\" is not a value of a sound");
    if (!given.emplace(known->parameter, std::move(*value)).second) return refuse(reason, key + " given twice");
  }
  for (const ValueKey& key : kValueKeys)
    if (!given.count(key.parameter)) return refuse(reason, "no " + std::string(key.key));

  // The effect first: the words of its three controls depend on it.
  std::array<int, kParameterCount> order{};
  order[0] = EFFECT_SELECT;
  for (int p = 0, k = 1; p < kParameterCount; ++p)
    if (p != EFFECT_SELECT) order[static_cast<std::size_t>(k++)] = p;
  for (const int parameter : order) {
    const std::string& text = given[parameter];
    std::optional<std::int32_t> value;
    if (!text.empty() && text[0] == '#') {
      std::int32_t number = 0;
      const auto [end, ec] = std::from_chars(text.data() + 1, text.data() + text.size(), number);
      if (ec == std::errc() && end == text.data() + text.size() && text.size() > 1) value = number;
    } else {
      value = valueOfWords(parameter, song.sound.value(EFFECT_SELECT), text);
    }
    if (!value) return refuse(reason, std::string(keyOf(parameter).key) + ": \"" + text + "\" is not a value it shows");
    song.sound.setValue(parameter, *value);
  }
  if (const auto fault = presetFault(song.sound))
    return refuse(reason, std::string(keyOf(fault->parameter).key) + ": " + std::to_string(fault->value) +
                              " is not a value the combo holds");
  song.note = note.value_or("");
  return song;
}

SetlistReading readSetlistFile(std::string_view text, const std::string& fallbackName) {
  constexpr std::string_view kByteOrderMark = "\xEF\xBB\xBF";
  if (text.substr(0, kByteOrderMark.size()) == kByteOrderMark) text.remove_prefix(kByteOrderMark.size());
  Setlist setlist;
  std::optional<std::string> name;
  int number = 0;
  const auto refused = [&](std::string why) {
    return SetlistReading{std::nullopt, SetlistFileError{number, std::move(why)}};
  };
  while (!text.empty()) {
    ++number;
    const std::size_t end = text.find('\n');
    std::string_view line = text.substr(0, end);
    text.remove_prefix(end == std::string_view::npos ? text.size() : end + 1);
    if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
    const auto first = line.find_first_not_of(" \t");
    if (first == std::string_view::npos || line[first] == '#') continue;
    if (line.substr(first, kNameWord.size()) == kNameWord) {
      LineReader reader(line.substr(first + kNameWord.size()));
      auto given = reader.quotedText();
      if (!given) return refused("SETLIST: " + reader.error);
      if (!reader.atEnd()) return refused("SETLIST takes one name between double quotes");
      if (name) return refused("a second SETLIST line");
      name = std::move(*given);
      continue;
    }
    std::string reason;
    auto song = readSongLine(line, &reason);
    if (!song) return refused(reason);
    setlist.songs.push_back(std::move(*song));
  }
  setlist.name = name.value_or(fallbackName);
  return SetlistReading{std::move(setlist), std::nullopt};
}

}  // namespace kestralux
