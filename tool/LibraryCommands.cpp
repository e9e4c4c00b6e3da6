#include "tool/LibraryCommands.h"

#include <algorithm>
#include <optional>

#include "files/BankHistory.h"
#include "files/PresetFiles.h"
#include "editor/EditorTables.h"
#include "files/PresetListing.h"
#include "library/LibraryBackup.h"
#include "library/LibraryImport.h"
#include "library/LibrarySync.h"
#include "library/SoundFile.h"
#include "library/ParameterConditions.h"
#include "library/PresetLibrary.h"
#include "library/SearchedControls.h"
#include "library/SoundCategory.h"
#include "tool/KestraluxTool.h"
#include "tool/PresetFileRule.h"

namespace kestralux {

namespace {

namespace fs = std::filesystem;

struct Options {
  std::vector<std::string> words;
  std::optional<std::string> amp, effect, tag, sort, limit, category, near, output;
  std::vector<std::string> where;
  bool favourite = false, reverse = false, force = false, off = false;
};

Options parse(const std::vector<std::string>& args) {
  static const OptionSpec options{{"--amp", "--effect", "--where", "--tag", "--sort", "--limit", "--category", "--near", "-o"},
                               {"--favourite", "--reverse", "--force", "--off"},
                               true};
  const ParsedArguments parsed = parseArguments(std::span(args).subspan(std::min<std::size_t>(2, args.size())), options);
  Options o;
  o.words = parsed.words;
  o.amp = parsed.value("--amp");
  o.effect = parsed.value("--effect");
  o.where = parsed.all("--where");
  o.tag = parsed.value("--tag");
  o.sort = parsed.value("--sort");
  o.limit = parsed.value("--limit");
  o.output = parsed.value("-o");
  o.category = parsed.value("--category");
  o.near = parsed.value("--near");
  o.favourite = parsed.has("--favourite");
  o.reverse = parsed.has("--reverse");
  o.force = parsed.has("--force");
  o.off = parsed.has("--off");
  return o;
}

std::int64_t soundId(const std::string& text) {
  if (text.empty() || text.size() > 15 || !std::all_of(text.begin(), text.end(), [](char c) { return c >= '0' && c <= '9'; }))
    throw badUsage(text + " is not a sound's number");
  return std::stoll(text);
}

// Pads to `width` columns; UTF-8 continuation bytes take none.
std::string cell(const std::string& text, std::size_t width) {
  const auto columns = static_cast<std::size_t>(
      std::count_if(text.begin(), text.end(), [](char c) { return (static_cast<unsigned char>(c) & 0xC0) != 0x80; }));
  return text + std::string(columns < width ? width - columns : 1, ' ');
}

std::string shownName(const std::string& latin1) { return latin1.empty() ? "(no name)" : utf8OfLatin1(latin1); }

// What happened to the library while a command used it (found damaged and built again, the
// file replaced) is said on standard error when the command is done with it.
struct Opened {
  PresetLibrary library;
  LibraryOpening opening;
  std::ostream* err = nullptr;
  Opened() = default;
  Opened(const Opened&) = delete;
  Opened& operator=(const Opened&) = delete;
  ~Opened() {
    if (auto notice = library.takeNotice(); notice && err) *err << "kestralux-tool: " << *notice << "\n";
  }
};

// The library in the data folder; what its opening did is said on standard error.
void open(Opened& o, std::ostream& err, bool toWrite) {
  o.err = &err;
  o.opening = o.library.open(libraryFile(), historyFolder());
  if (o.opening.soundsFromHistory > 0)
    err << "kestralux-tool: the history of banks brought " << o.opening.soundsFromHistory << " sounds into the library\n";
  if (!o.opening.message.empty()) err << "kestralux-tool: " << o.opening.message << "\n";
  if (o.opening.state == LibraryOpening::State::Unavailable) throw badInput("no library to use");
  if (toWrite && !o.library.writable()) throw badInput("the library cannot be written");
}

SortColumn sortColumn(const std::string& name, LibraryQuery& q) {
  std::string n = name;
  std::transform(n.begin(), n.end(), n.begin(), [](unsigned char c) { return static_cast<char>(std::toupper(c)); });
  std::replace(n.begin(), n.end(), '-', ' ');
  const std::vector<std::pair<const char*, SortColumn>> named{
      {"LAST SEEN", SortColumn::LastSeen}, {"FIRST SEEN", SortColumn::FirstSeen}, {"NAME", SortColumn::Name},
      {"AMP", SortColumn::AmpModel},       {"EFFECT", SortColumn::Effect},        {"SEEN", SortColumn::TimesSeen},
      {"ID", SortColumn::Id}};
  for (const auto& [text, column] : named) {
    if (n != text) continue;
    q.descending = column == SortColumn::LastSeen || column == SortColumn::FirstSeen || column == SortColumn::TimesSeen;
    return column;
  }
  // A parameter by its caption: the condition parser knows them.
  for (const std::string& caption : conditionCaptions()) {
    if (caption != n) continue;
    const auto any = parseCondition(caption + " >= 0");
    if (const auto* m = std::get_if<std::vector<ParameterMatch>>(&any); m && m->size() == 1) {
      q.sortParameter = m->front().parameter;
      q.descending = true;
      return SortColumn::Parameter;
    }
  }
  throw badUsage("cannot sort by " + name + " (last-seen, first-seen, name, amp, effect, seen, id, or a control's caption)");
}

int search(const Options& o, std::ostream& out, std::ostream& err) {
  LibraryQuery q;
  std::string text;
  for (const std::string& w : o.words) text += (text.empty() ? "" : " ") + w;
  const std::optional<std::string> latin1 = latin1OfUtf8(text);
  if (!latin1) throw badInput("\"" + text + "\" has a character no preset name can hold");
  q.text = *latin1;
  q.ampModel = o.amp;
  q.effect = o.effect;
  q.conditions = o.where;
  q.favouritesOnly = o.favourite;
  q.tag = o.tag;
  if (o.sort) q.sort = sortColumn(*o.sort, q);
  if (o.reverse) q.descending = !q.descending;
  if (o.limit) q.limit = static_cast<int>(std::min<std::int64_t>(soundId(*o.limit), 1 << 30));
  q.kind = o.category;
  if (o.near) q.near = soundId(*o.near);
  // What a condition looked at is shown beside each sound found.
  const std::vector<int> searched = searchedParameters(o.where);
  Opened lib;
  open(lib, err, false);
  const SearchResult result = lib.library.search(q);
  if (!result.error.empty()) throw badInput(result.error);
  for (const SoundRow& row : result.rows) {
    const int seen = row.timesSeen;
    out << cell(std::to_string(row.id), 7) << cell(shownName(row.newestName), 21) << cell(shownValue(row.record, AMP_TYPE), 14)
        << cell(shownValue(row.record, EFFECT_SELECT), 12) << cell(seen == 1 ? "seen once" : "seen " + std::to_string(seen) + " times", 16)
        << localTimeText(row.lastSeen) << "  " << kindText(row.kind()) << (row.categoryByHand ? " (by hand)" : "");
    for (const int p : searched) out << "  " << parameterCaption(row.record, p) << " " << shownValueText(row.record, p);
    out << (row.favourite ? "  *" : "") << "\n";
  }
  err << "kestralux-tool: " << result.count << (result.count == 1 ? " sound" : " sounds") << "\n";
  return kToolSuccess;
}

std::string adjustCaption(const PresetRecord& r, int parameter) {
  const EffectRow* fx = findEffect(r.value(EFFECT_SELECT));
  const char* control = parameter == EFF_ADJUST1 ? "EFFECT ADJUST 1" : "EFFECT ADJUST 2";
  if (!fx) return control;
  const std::optional<std::string_view> own = parameter == EFF_ADJUST1 ? std::optional(fx->adjust1Caption) : fx->adjust2Caption;
  std::string text(own.value_or(""));
  while (!text.empty() && text.back() == ' ') text.pop_back();
  return text.empty() ? control : std::string(control) + " (" + text + ")";
}

int show(const Options& o, std::ostream& out, std::ostream& err) {
  if (o.words.size() != 1) throw badUsage("library show takes one sound's number");
  const std::int64_t id = soundId(o.words[0]);
  Opened lib;
  open(lib, err, false);
  const SoundDetail detail = lib.library.sound(id);
  if (!detail.error.empty()) throw badInput(detail.error);
  const SoundRow& s = detail.sound;
  const PresetRecord& r = s.record;
  out << "sound " << s.id << "  \"" << shownName(s.newestName) << "\"  fingerprint " << fingerprintText(r) << "\n";
  out << "seen " << s.timesSeen << (s.timesSeen == 1 ? " time" : " times") << ", first " << localTimeText(s.firstSeen) << ", last "
      << localTimeText(s.lastSeen) << (s.favourite ? ", a favourite" : "");
  if (!s.tags.empty()) {
    out << ", tags ";
    for (std::size_t n = 0; n < s.tags.size(); ++n) out << (n ? ", " : "") << s.tags[n];
  }
  out << "\n" << kindText(s.kind()) << (s.categoryByHand ? " (category given by hand)" : "") << "\n";
  if (!s.note.empty()) out << "note: " << s.note << "\n";
  out << "\n";
  const std::vector<std::pair<std::string, int>> rows{
      {"AMP MODEL", AMP_TYPE},        {"GAIN", AMP_GAIN},           {"BASS", AMP_BASS},
      {"MID", AMP_MID},               {"TREBLE", AMP_TREBLE},       {"DELAY LEVEL", DELAY_LEVEL},
      {"DELAY REGEN", DELAY_REGEN},   {"DELAY PAN", DELAY_PAN},     {"DELAY TIME", DELAY_TIME},
      {"REVERB LEVEL", REV_LEVEL},    {"GATE", GATE_THRES},         {"PRESET VOLUME", AMP_MASTER},
      {"EFFECT SELECT", EFFECT_SELECT}, {adjustCaption(r, EFF_ADJUST1), EFF_ADJUST1},
      {adjustCaption(r, EFF_ADJUST2), EFF_ADJUST2}, {"RATE", EFF_RATE}};
  for (const auto& [caption, parameter] : rows) {
    // A control the effect hides shows no value.
    const bool hidden = !effectHasControl(r.value(EFFECT_SELECT), parameter);
    out << "  " << cell(caption, 30) << (hidden ? "-" : shownValue(r, parameter)) << "\n";
  }
  out << "\nsightings, oldest first:\n";
  for (const Sighting& seen : detail.sightings)
    out << "  " << localTimeText(seen.time) << "  " << cell("\"" + shownName(seen.name) + "\"", 22) << describePlace(seen.place) << "\n";
  return kToolSuccess;
}

int import(const Options& o, std::ostream& out, std::ostream& err) {
  if (o.words.empty()) throw badUsage("library import takes files or folders");
  Opened lib;
  open(lib, err, true);
  const std::vector<fs::path> paths(o.words.begin(), o.words.end());
  const ImportReport report = importPaths(lib.library, paths);
  out << importReportText(report);
  return report.refused() == 0 && report.damaged() == 0 ? kToolSuccess : kToolBadInput;
}

void checkTarget(const fs::path& target, const char* extension, bool force) {
  expectExtension(target, extension);
  refuseExisting(target, force);
}

// The file now holds the sound: a sighting, which must never undo a written file.
void noteSaved(const Noted& noted, std::ostream& err) {
  if (noted.error) err << "kestralux-tool: the library did not note the file: " << *noted.error << "\n";
}

int exportSound(const Options& o, std::ostream& err) {
  if (o.words.size() != 2) throw badUsage("library export takes a sound's number and OUT.pre");
  const std::int64_t id = soundId(o.words[0]);
  const fs::path target = o.words[1];
  checkTarget(target, ".pre", o.force);
  Opened lib;
  open(lib, err, false);
  const SoundDetail detail = lib.library.sound(id);
  if (!detail.error.empty()) throw badInput(detail.error);
  writeTarget(target, presetFileImage(detail.sound.record), o.force);
  if (lib.library.writable())
    noteSaved(lib.library.notePreset(detail.sound.record, {SightingKind::Saved, 0, fs::absolute(target).string()}), err);
  err << "kestralux-tool: sound " << id << " written to " << target.string() << "\n";
  return kToolSuccess;
}

int bank(const Options& o, std::ostream& err) {
  if (o.words.size() < 2) throw badUsage("library bank takes sounds' numbers and OUT.bnk");
  if (o.words.size() > kPresetCount + 1) throw badUsage("a bank holds at most 30 sounds");
  const fs::path target = o.words.back();
  checkTarget(target, ".bnk", o.force);
  std::vector<std::int64_t> ids;
  for (std::size_t n = 0; n + 1 < o.words.size(); ++n) ids.push_back(soundId(o.words[n]));
  Opened lib;
  open(lib, err, false);
  PresetBank presets{};  // the places after the sounds stay the empty records of a new bank
  for (std::size_t n = 0; n < ids.size(); ++n) {
    const SoundDetail detail = lib.library.sound(ids[n]);
    if (!detail.error.empty()) throw badInput(detail.error);
    presets[n] = detail.sound.record;
  }
  writeTarget(target, bankFileImage(presets), o.force);
  if (lib.library.writable())
    noteSaved(lib.library.noteBank(presets, {SightingKind::Saved, 0, fs::absolute(target).string()}), err);
  err << "kestralux-tool: " << ids.size() << (ids.size() == 1 ? " sound" : " sounds") << " written to " << target.string() << "\n";
  return kToolSuccess;
}

int favourite(const Options& o, std::ostream& out, std::ostream& err) {
  if (o.words.size() != 1) throw badUsage("library favourite takes one sound's number");
  const std::int64_t id = soundId(o.words[0]);
  Opened lib;
  open(lib, err, true);
  if (auto why = lib.library.setFavourite(id, !o.off)) throw badInput(*why);
  out << "sound " << id << (o.off ? " is no longer a favourite\n" : " is a favourite\n");
  return kToolSuccess;
}

int tag(const Options& o, std::ostream& out, std::ostream& err) {
  if (o.words.size() < 1 || o.words.size() > 2) throw badUsage("library tag takes one sound's number and its tags");
  const std::int64_t id = soundId(o.words[0]);
  Opened lib;
  open(lib, err, true);
  if (auto why = lib.library.setTags(id, o.words.size() == 2 ? o.words[1] : "")) throw badInput(*why);
  const std::vector<std::string> tags = lib.library.sound(id).sound.tags;
  out << "sound " << id << (tags.empty() ? ": no tags" : ": tags ");
  for (std::size_t n = 0; n < tags.size(); ++n) out << (n ? ", " : "") << tags[n];
  out << "\n";
  return kToolSuccess;
}

int note(const Options& o, std::ostream& out, std::ostream& err) {
  if (o.words.size() < 1 || o.words.size() > 2) throw badUsage("library note takes one sound's number and its note");
  const std::int64_t id = soundId(o.words[0]);
  Opened lib;
  open(lib, err, true);
  if (auto why = lib.library.setNote(id, o.words.size() == 2 ? o.words[1] : "")) throw badInput(*why);
  out << "sound " << id << (o.words.size() == 2 && !o.words[1].empty() ? ": note kept\n" : ": no note\n");
  return kToolSuccess;
}

int share(const Options& o, std::ostream& err) {
  if (o.words.empty() || !o.output) throw badUsage("library share takes sounds' numbers and -o FILE.kessound");
  const fs::path target = *o.output;
  checkTarget(target, kSoundFileExtension, o.force);
  std::vector<std::int64_t> ids;
  for (const std::string& w : o.words) ids.push_back(soundId(w));
  Opened lib;
  open(lib, err, false);
  std::string error;
  const std::vector<SharedSound> sounds = sharedSounds(lib.library, ids, error);
  if (!error.empty()) throw badInput(error);
  writeTarget(target, soundFileText(sounds), o.force);
  err << "kestralux-tool: " << sounds.size() << (sounds.size() == 1 ? " sound" : " sounds") << " written to " << target.string() << "\n";
  return kToolSuccess;
}

int sync(const Options& o, std::ostream& out, std::ostream& err) {
  if (o.words.size() != 1) throw badUsage("library sync takes one folder");
  Opened lib;
  open(lib, err, true);
  const SyncReport report = syncFolder(lib.library, o.words[0]);
  if (report.error) throw badInput("sync with " + o.words[0] + " failed: " + *report.error);
  out << report.text();
  return report.skipped.empty() ? kToolSuccess : kToolBadInput;
}

int backup(const Options& o, std::ostream& err) {
  if (o.words.size() != 1) throw badUsage("library backup takes one FILE");
  const fs::path target = o.words[0];
  refuseExisting(target, o.force);
  Opened lib;
  open(lib, err, false);
  if (auto why = backUpLibrary(lib.library, target, o.force)) throw badInput(*why);
  err << "kestralux-tool: the library was copied to " << target.string() << "; library import " << target.string() << " restores it\n";
  return kToolSuccess;
}

int category(const Options& o, std::ostream& out, std::ostream& err) {
  if (o.words.empty() || o.words.size() > 2) throw badUsage("library category takes one sound's number and a category");
  const std::int64_t id = soundId(o.words[0]);
  std::optional<Category> given;
  if (o.words.size() == 2) {
    given = categoryNamed(o.words[1]);
    if (!given) throw badUsage("no category \"" + o.words[1] + "\": one of CLEAN, CRUNCH, HIGH GAIN, FUZZ");
  }
  Opened lib;
  open(lib, err, true);
  if (auto why = lib.library.setCategory(id, given)) throw badInput(*why);
  const SoundRow s = lib.library.sound(id).sound;
  out << "sound " << id << ": " << kindText(s.kind()) << (given ? " (given by hand)\n" : " (from its values)\n");
  return kToolSuccess;
}

}  // namespace

std::string libraryUsage() {
  return R"(  library search [TEXT] [--amp NAME] [--effect NAME] [--where 'GAIN >= 7']... [--favourite]
                 [--tag TAG] [--category NAME] [--near ID] [--sort COLUMN] [--reverse] [--limit N]
      Every sound the editor and this tool have seen, one line each: its number, newest name,
      amp model, effect, times seen, last seen, its category (and the value of each control
      a --where looked at; * for a favourite); the count on standard error.
      --category takes CLEAN, CRUNCH, HIGH GAIN, FUZZ, MODULATION, WAH, DYNAMICS or AMBIENT;
      --near lists the sounds close to sound ID (the same amp model and effect, every other
      control within one step). TEXT is part of any name it was seen under, in any case. --where compares a
      control, by the window's caption, with its value as the window shows it (< <= = >= > !=;
      GAIN on the 0..10 scale, DELAY TIME in ms, REVERB LEVEL = OFF); each --where must hold.
      Newest first, or --sort name, amp, effect, seen, first-seen, id or a caption.
  library show ID
      Every value of a sound as the window shows it, and every time it was seen: when, under
      which name, and where (the combo's slot, a file).
  library import PATH...
      Bring .pre, .bnk, .syx and .kessound files, and copies made by library backup, into the
      library, folders with everything under them: a line per file with the sounds added and those already known, under which names, or why
      the file was refused, or what is damaged in a file taken in part ("11 of 30 whole
      records"). Exit 1 when any was refused or damaged, or a folder could not be read; the
      others still come in.
  library export ID OUT.pre [--force]
  library bank ID... OUT.bnk [--force]
      Write a sound as a preset file, or up to 30 as a bank (the rest empty, as a new bank),
      each under the newest name it was seen under. A file already there is kept (exit 2)
      unless --force is given.
  library favourite ID [--off]
  library tag ID TAGS
      Star a sound (--off takes the star away); give it tags, comma-separated (none clears).
  library note ID [TEXT]
      Keep a note with a sound (none clears it).
  library share ID... -o FILE.kessound [--force]
      Write sounds to a .kessound file to give to others: each sound's values, the same as the
      window shows them, every name it was seen under with when, tags, favourite, note.
      library import takes it: a sound already there is joined, never replaced.
  library sync FOLDER
      Write this library's changes to its own file in FOLDER and read every other library's
      file there from where it left off: one library on several machines through a folder a
      sync tool carries. Prints what came in from each. Exit 1 when a file or line was skipped.
  library backup FILE [--force]
      A whole copy of the library, taken safely while the editor runs. library import FILE
      restores it: its sounds join the library, nothing is replaced.
  library category ID [CATEGORY]
      Give a sound its category by hand (CLEAN, CRUNCH, HIGH GAIN or FUZZ), which it keeps;
      without CATEGORY it takes again the one its values give.
)";
}

int runLibraryCommand(const std::vector<std::string>& args, std::ostream& out, std::ostream& err) {
  try {
    const std::string what = args.size() > 1 ? args[1] : "";
    const Options o = parse(args);
    if (what == "search") return search(o, out, err);
    if (what == "show") return show(o, out, err);
    if (what == "import") return import(o, out, err);
    if (what == "export") return exportSound(o, err);
    if (what == "bank") return bank(o, err);
    if (what == "favourite") return favourite(o, out, err);
    if (what == "tag") return tag(o, out, err);
    if (what == "note") return note(o, out, err);
    if (what == "share") return share(o, err);
    if (what == "sync") return sync(o, out, err);
    if (what == "backup") return backup(o, err);
    if (what == "category") return category(o, out, err);
    throw badUsage(what.empty() ? "library needs a command" : "unknown library command " + what);
  } catch (const ToolError& e) {
    return reportToolError(e, err, "usage:\n" + libraryUsage());
  }
}

}  // namespace kestralux
