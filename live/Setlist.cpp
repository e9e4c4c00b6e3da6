#include "live/Setlist.h"

#include <algorithm>
#include <iterator>

namespace kestralux {

namespace {

// The 16 values and the name, in a record of nothing else: what a song carries.
PresetRecord carried(const PresetRecord& sound) {
  PresetRecord out;
  if (const auto name = sound.validName()) out.storeName(*name);
  for (int p = 0; p < kParameterCount; ++p) out.setValue(p, sound.value(p));
  return out;
}

bool sameValues(const PresetRecord& a, const PresetRecord& b) {
  for (int p = 0; p < kParameterCount; ++p)
    if (a.value(p) != b.value(p)) return false;
  return true;
}

}  // namespace

bool Song::operator==(const Song& other) const {
  return title == other.title && note == other.note && sound.validName() == other.sound.validName() &&
         sameValues(sound, other.sound);
}

Song songOfSound(const PresetRecord& sound, std::optional<std::string> title) {
  Song song;
  song.sound = carried(sound);
  song.title = title ? std::move(*title) : textOfLatin1(sound.validName().value_or(""));
  return song;
}

std::string soundNameText(const Song& song) { return textOfLatin1(song.sound.validName().value_or("")); }

PresetRecord soundNamedByTitle(const Song& song) {
  PresetRecord out = carried(song.sound);
  std::string name;
  for (std::size_t i = 0; i < song.title.size() && name.size() < kMaxNameLength;) {
    const auto b = static_cast<unsigned char>(song.title[i]);
    const std::size_t length = b < 0x80 ? 1 : b >= 0xF0 ? 4 : b >= 0xE0 ? 3 : 2;
    const auto one = latin1OfText(std::string_view(song.title).substr(i, length));
    name += one && one->size() == 1 ? *one : "?";
    i += length;
  }
  // A title of blanks would leave a name the combo shows as nothing.
  if (name.find_first_not_of(' ') == std::string::npos) return out;
  PresetRecord named = out;
  std::fill(named.bytes.begin(), named.bytes.begin() + kNameFieldSize, std::uint8_t{0});
  named.storeName(name);
  return named;
}

std::optional<PresetBank> bankWithSetlist(const PresetBank& bank, const Setlist& setlist) {
  if (setlist.songs.empty() || setlist.songs.size() > bank.size()) return std::nullopt;
  PresetBank filled = bank;
  for (std::size_t n = 0; n < setlist.songs.size(); ++n) filled[n] = soundNamedByTitle(setlist.songs[n]);
  return filled;
}

bool insertSong(Setlist& setlist, std::size_t at, Song song) {
  if (at > setlist.songs.size()) return false;
  song.sound = carried(song.sound);
  setlist.songs.insert(setlist.songs.begin() + static_cast<std::ptrdiff_t>(at), std::move(song));
  return true;
}

bool removeSong(Setlist& setlist, std::size_t at) {
  if (at >= setlist.songs.size()) return false;
  setlist.songs.erase(setlist.songs.begin() + static_cast<std::ptrdiff_t>(at));
  return true;
}

bool moveSong(Setlist& setlist, std::size_t from, std::size_t to) {
  auto& songs = setlist.songs;
  if (from >= songs.size() || to >= songs.size()) return false;
  const auto first = songs.begin();
  if (from < to)
    std::rotate(first + static_cast<std::ptrdiff_t>(from), first + static_cast<std::ptrdiff_t>(from) + 1,
                first + static_cast<std::ptrdiff_t>(to) + 1);
  else if (to < from)
    std::rotate(first + static_cast<std::ptrdiff_t>(to), first + static_cast<std::ptrdiff_t>(from),
                first + static_cast<std::ptrdiff_t>(from) + 1);
  return true;
}

std::string textOfLatin1(std::string_view latin1) {
  std::string out;
  for (const unsigned char c : latin1) {
    if (c < 0x80) {
      out += static_cast<char>(c);
    } else {
      out += static_cast<char>(0xC0 | (c >> 6));
      out += static_cast<char>(0x80 | (c & 0x3F));
    }
  }
  return out;
}

std::optional<std::string> latin1OfText(std::string_view utf8) {
  std::string out;
  for (std::size_t i = 0; i < utf8.size(); ++i) {
    const auto b = static_cast<unsigned char>(utf8[i]);
    if (b < 0x80) {
      out += static_cast<char>(b);
      continue;
    }
    // Latin-1 beyond ASCII is C2 80..C3 BF in UTF-8; anything else has no one-byte form.
    if ((b != 0xC2 && b != 0xC3) || i + 1 >= utf8.size()) return std::nullopt;
    const auto next = static_cast<unsigned char>(utf8[i + 1]);
    if ((next & 0xC0) != 0x80) return std::nullopt;
    out += static_cast<char>(((b & 0x03) << 6) | (next & 0x3F));
    ++i;
  }
  return out;
}

}  // namespace kestralux
