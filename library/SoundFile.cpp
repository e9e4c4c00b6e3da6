#include "library/SoundFile.h"

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <ctime>
#include <limits>
#include <map>

#include <nlohmann/json.hpp>

#include "editor/EditorTables.h"
#include "files/PresetListing.h"
#include "library/SoundCategory.h"

namespace kestralux {

namespace {

using json = nlohmann::ordered_json;

std::string lower(std::string text) {
  std::transform(text.begin(), text.end(), text.begin(), [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
  return text;
}

json soundJson(const SharedSound& s) {
  json values = json::array();
  for (int p = 0; p < kParameterCount; ++p) values.push_back(s.sound.value(p));
  json shown = json::object();
  for (const auto& [parameter, caption] : kParameterCaptions)
    if (effectHasControl(s.sound.value(EFFECT_SELECT), parameter)) shown[std::string(caption)] = shownValue(s.sound, parameter);
  json names = json::array();
  for (const SharedSound::Name& n : s.names) names.push_back({{"name", utf8OfLatin1(n.name)}, {"time", utcTimeText(n.time)}});
  json sound = {{"values", values}, {"reserved", s.sound.slot(kReservedSlot)}, {"shown", shown}, {"names", names},
                {"tags", s.tags},   {"favourite", s.favourite},                  {"note", s.note}};
  // The category the values give is for each program to work out; one given by hand travels.
  sound["category"] = s.category.empty() ? std::string(kindText(soundKindOf(s.sound, std::nullopt))) : s.category;
  sound["category by hand"] = !s.category.empty();
  return sound;
}

// A whole number that fits a record's slot, or nothing.
std::optional<std::int32_t> slotValue(const json& v) {
  if (!v.is_number_integer()) return std::nullopt;
  const auto n = v.get<std::int64_t>();
  if (n < std::numeric_limits<std::int32_t>::min() || n > std::numeric_limits<std::int32_t>::max()) return std::nullopt;
  return static_cast<std::int32_t>(n);
}

// One sound of the file, or why it cannot be one.
std::string readSound(const json& j, SharedSound& out) {
  if (!j.is_object()) return "not an object";
  const auto values = j.find("values");
  if (values == j.end() || !values->is_array() || values->size() != kParameterCount) return "\"values\" must be 16 whole numbers";
  for (int p = 0; p < kParameterCount; ++p) {
    const auto v = slotValue((*values)[static_cast<std::size_t>(p)]);
    if (!v) return "\"values\" must be 16 whole numbers";
    out.sound.setValue(p, *v);
  }
  if (const auto reserved = j.find("reserved"); reserved != j.end()) {
    const auto v = slotValue(*reserved);
    if (!v) return "\"reserved\" must be a whole number";
    out.sound.setSlot(kReservedSlot, *v);
  }
  if (const auto fault = presetFault(out.sound))
    return std::string("not a sound the combo can hold: ") + parameterName(fault->parameter) + " is " + std::to_string(fault->value);
  if (const auto names = j.find("names"); names != j.end()) {
    if (!names->is_array()) return "\"names\" must be a list";
    for (const json& n : *names) {
      const auto name = n.is_object() ? n.find("name") : n.end();
      const auto time = n.is_object() ? n.find("time") : n.end();
      if (name == n.end() || !name->is_string() || time == n.end() || !time->is_string()) return "each name needs \"name\" and \"time\"";
      const std::optional<std::string> latin1 = latin1OfUtf8(name->get<std::string>());
      if (!latin1) return "the name \"" + name->get<std::string>() + "\" has a character no preset name can hold";
      if (latin1->empty() || latin1->size() > kMaxNameLength || latin1->find('\0') != std::string::npos)
        return "the name \"" + name->get<std::string>() + "\" is not 1 to " + std::to_string(kMaxNameLength) + " characters";
      const std::optional<std::int64_t> when = utcTimeOf(time->get<std::string>());
      if (!when) return "\"" + time->get<std::string>() + "\" is not a time like 2026-12-07T14:03:55Z";
      out.names.push_back({*latin1, *when});
    }
    // The newest last, as the library shows the newest.
    std::stable_sort(out.names.begin(), out.names.end(), [](const auto& a, const auto& b) { return a.time < b.time; });
  }
  if (const auto tags = j.find("tags"); tags != j.end()) {
    if (!tags->is_array() || !std::all_of(tags->begin(), tags->end(), [](const json& t) { return t.is_string(); }))
      return "\"tags\" must be a list of texts";
    for (const json& t : *tags) {
      const std::string tag = t.get<std::string>();
      if (tag.find(',') != std::string::npos) return "the tag \"" + tag + "\" holds a comma";
      out.tags.push_back(tag);
    }
  }
  if (const auto favourite = j.find("favourite"); favourite != j.end()) {
    if (!favourite->is_boolean()) return "\"favourite\" must be true or false";
    out.favourite = favourite->get<bool>();
  }
  if (const auto note = j.find("note"); note != j.end()) {
    if (!note->is_string()) return "\"note\" must be a text";
    out.note = note->get<std::string>();
  }
  if (const auto byHand = j.find("category by hand"); byHand != j.end() && byHand->is_boolean() && byHand->get<bool>()) {
    const auto category = j.find("category");
    const std::optional<Category> given =
        category != j.end() && category->is_string() ? categoryNamed(category->get<std::string>()) : std::nullopt;
    if (!given) return "a category given by hand must be one of CLEAN, CRUNCH, HIGH GAIN, FUZZ";
    out.category = categoryName(*given);
  }
  return "";
}

}  // namespace

std::string utcTimeText(std::int64_t time) {
  const auto t = static_cast<std::time_t>(time);
  std::tm utc{};
  gmtime_r(&t, &utc);
  char text[32];
  std::strftime(text, sizeof text, "%Y-%m-%dT%H:%M:%SZ", &utc);
  return text;
}

std::optional<std::int64_t> utcTimeOf(std::string_view text) {
  std::tm t{};
  char zone = 0;
  int used = 0;
  const std::string s(text);
  if (std::sscanf(s.c_str(), "%4d-%2d-%2dT%2d:%2d:%2d%c%n", &t.tm_year, &t.tm_mon, &t.tm_mday, &t.tm_hour, &t.tm_min, &t.tm_sec, &zone,
                  &used) != 7 ||
      zone != 'Z' || static_cast<std::size_t>(used) != s.size())
    return std::nullopt;
  if (t.tm_mon < 1 || t.tm_mon > 12 || t.tm_mday < 1 || t.tm_mday > 31 || t.tm_hour > 23 || t.tm_min > 59 || t.tm_sec > 60)
    return std::nullopt;
  t.tm_year -= 1900;
  t.tm_mon -= 1;
  return static_cast<std::int64_t>(timegm(&t));
}

std::string soundFileText(std::span<const SharedSound> sounds) {
  json file = {{"format", kSoundFileFormat}, {"version", kSoundFileVersion}, {"sounds", json::array()}};
  for (const SharedSound& s : sounds) file["sounds"].push_back(soundJson(s));
  // A tag or note that is not UTF-8 (typed in another encoding) keeps the file whole.
  return file.dump(2, ' ', false, json::error_handler_t::replace) + "\n";
}

SoundFileReading readSoundFile(std::string_view text) {
  SoundFileReading out;
  json file;
  try {
    file = json::parse(text);
  } catch (const json::parse_error& e) {
    std::string what = e.what();
    if (const auto at = what.find("] "); at != std::string::npos) what = what.substr(at + 2);
    out.refused = "not a sound file: " + what;
    return out;
  }
  const auto format = file.is_object() ? file.find("format") : file.end();
  if (format == file.end() || *format != kSoundFileFormat) {
    out.refused = std::string("not a sound file: no \"format\": \"") + kSoundFileFormat + "\"";
    return out;
  }
  const auto version = file.find("version");
  if (version == file.end() || !version->is_number_integer() || version->get<std::int64_t>() < 1) {
    out.refused = "not a sound file: no version";
    return out;
  }
  if (version->get<std::int64_t>() > kSoundFileVersion) {
    out.refused = "a sound file of version " + std::to_string(version->get<std::int64_t>()) + ", newer than this program reads (" +
                  std::to_string(kSoundFileVersion) + ")";
    return out;
  }
  const auto sounds = file.find("sounds");
  if (sounds == file.end() || !sounds->is_array()) {
    out.refused = "damaged: no list of \"sounds\"";
    return out;
  }
  for (std::size_t n = 0; n < sounds->size(); ++n) {
    SharedSound s;
    if (const std::string why = readSound((*sounds)[n], s); !why.empty()) {
      out = SoundFileReading{{}, "damaged: sound " + std::to_string(n + 1) + ": " + why};
      return out;
    }
    out.sounds.push_back(std::move(s));
  }
  return out;
}

std::vector<SharedSound> sharedSounds(PresetLibrary& library, std::span<const std::int64_t> ids, std::string& error) {
  std::vector<SharedSound> out;
  for (const std::int64_t id : ids) {
    const SoundDetail detail = library.sound(id);
    if (!detail.error.empty()) {
      error = detail.error;
      return {};
    }
    SharedSound s;
    s.sound = detail.sound.record;
    std::map<std::string, std::int64_t> last;
    for (const Sighting& seen : detail.sightings)
      if (!seen.name.empty()) last[seen.name] = std::max(last[seen.name], seen.time);
    for (const auto& [name, time] : last) s.names.push_back({name, time});
    std::stable_sort(s.names.begin(), s.names.end(), [](const auto& a, const auto& b) { return a.time < b.time; });
    s.tags = detail.sound.tags;
    s.favourite = detail.sound.favourite;
    s.note = detail.sound.note;
    if (detail.sound.categoryByHand) s.category = categoryName(*detail.sound.categoryByHand);
    out.push_back(std::move(s));
  }
  return out;
}

bool isSoundFileName(const std::filesystem::path& path) { return lower(path.extension().string()) == kSoundFileExtension; }

}  // namespace kestralux
