#include "library/LibraryImport.h"

#include <algorithm>
#include <fstream>
#include <numeric>
#include <system_error>

#include "files/PresetFiles.h"
#include "files/PresetListing.h"
#include "files/Syx.h"
#include "library/LibraryBackup.h"
#include "library/SoundFile.h"

namespace kestralux {

namespace fs = std::filesystem;

namespace {

// A .syx of a bank is 1,200 bytes; far beyond is not a file of presets.
constexpr std::size_t kLargestSyx = 1 << 20;

std::string lowerExtension(const fs::path& path) {
  std::string ext = path.extension().string();
  std::transform(ext.begin(), ext.end(), ext.begin(), [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
  return ext;
}

bool isPresetFileName(const fs::path& path) {
  const std::string ext = lowerExtension(path);
  return ext == ".pre" || ext == ".bnk" || ext == ".syx" || isSoundFileName(path);
}

struct Candidate {
  fs::path path;
  std::string refused;  // known before reading: a folder that cannot be listed, a missing path
};

// Every preset file under `folder`, and every folder under it that cannot be read: a folder
// skipped without a word would read as one that holds nothing. Links to folders are not
// followed, so a link back up never walks for ever.
void walk(const fs::path& folder, std::vector<Candidate>& out) {
  std::error_code error;
  fs::directory_iterator it(folder, error), end;
  for (; !error && it != end; it.increment(error)) {
    std::error_code ignored;
    if (it->is_directory(ignored) && !it->is_symlink(ignored))
      walk(it->path(), out);
    else if (it->is_regular_file(ignored) && isPresetFileName(it->path()))
      out.push_back({it->path(), ""});
  }
  if (error) out.push_back({folder, "unreadable folder: " + error.message()});
}

std::vector<Candidate> filesIn(std::span<const fs::path> paths) {
  std::vector<Candidate> files;
  for (const fs::path& path : paths) {
    std::error_code error;
    const fs::file_status status = fs::status(path, error);
    if (!fs::exists(status)) {
      files.push_back({path, "no such file or folder"});
    } else if (!fs::is_directory(status)) {
      files.push_back({path, ""});
    } else {
      std::vector<Candidate> found;
      walk(path, found);
      std::sort(found.begin(), found.end(), [](const Candidate& a, const Candidate& b) { return a.path < b.path; });
      files.insert(files.end(), found.begin(), found.end());
    }
  }
  return files;
}

// The presets of one file as the window's loads take them, or why it holds none.
struct FilePresets {
  std::vector<PresetRecord> records;
  bool bank = false;
  std::string refused;
  std::string damaged;
};

FilePresets readPresetsOf(const fs::path& path) {
  FilePresets out;
  const std::string ext = lowerExtension(path);
  if (!isPresetFileName(path)) {
    out.refused = "not a preset file (.pre, .bnk, .syx or .kessound) nor a library copy";
    return out;
  }
  const std::optional<Bytes> data = readFileStart(path, ext == ".syx" ? kLargestSyx + 1 : kBankFileSize + 1);
  if (!data) {
    out.refused = "unreadable";
    return out;
  }
  if (ext == ".syx") {
    if (data->size() > kLargestSyx) {
      out.refused = "not a preset file: too large for a .syx of presets";
      return out;
    }
    const SyxReading reading = readSyx(*data);
    if (!reading.error.empty()) out.refused = "not a preset file: " + reading.error;
    if (const auto* bank = std::get_if<PresetBank>(&reading.contents)) out.records.assign(bank->begin(), bank->end()), out.bank = true;
    if (const auto* preset = std::get_if<PresetRecord>(&reading.contents)) out.records.push_back(*preset);
    return out;
  }
  if (data->size() < kPresetFileSize) {
    out.refused = "not a preset file: " + std::to_string(data->size()) + " bytes, a preset is 88";
    return out;
  }
  // A .pre is its first record; a .bnk every whole record, at most 30.
  const std::size_t whole = ext == ".pre" ? 1 : std::min(data->size() / kPresetFileSize, static_cast<std::size_t>(kPresetCount));
  const std::span<const std::uint8_t> image(data->data(), whole * kPresetFileSize);
  if (const auto fault = firstNonPreset(image)) {
    out.refused = "not a preset file: " + describe(*fault);
    return out;
  }
  out.bank = ext == ".bnk";
  // Its whole records come in, as a load takes them, but the file is not taken for a bank.
  if (out.bank && data->size() < kBankFileSize)
    out.damaged = std::to_string(whole) + " of " + std::to_string(kPresetCount) + " whole records";
  else if (out.bank && data->size() > kBankFileSize)
    out.damaged = "more than " + std::to_string(kPresetCount) + " records; the first 30 taken";
  for (std::size_t n = 0; n < whole; ++n) {
    PresetRecord r;
    std::copy_n(image.begin() + static_cast<std::ptrdiff_t>(n * kPresetFileSize), kPresetFileSize, r.bytes.begin());
    out.records.push_back(r);
  }
  return out;
}

std::string plural(int n, const char* one, const char* many) { return std::to_string(n) + " " + (n == 1 ? one : many); }

// A sound file is read whole before anything comes in: refused whole, or joined whole.
FileImport importSoundFile(PresetLibrary& library, const fs::path& path, std::int64_t time) {
  FileImport report{path, 0, {}, "", "", 0, ""};
  std::ifstream in(path, std::ios::binary);
  const std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  if (!in.good() && !in.eof()) {
    report.refused = "unreadable";
    return report;
  }
  const SoundFileReading reading = readSoundFile(text);
  if (!reading.refused.empty()) {
    report.refused = reading.refused;
    return report;
  }
  const Joined joined = joinSounds(library, reading.sounds, fs::absolute(path).string(), time);
  if (joined.error) {
    report.refused = *joined.error;
    return report;
  }
  report.added = joined.newSounds;
  report.alsoKnown = joined.knownSounds;
  report.joined = joined.nothingNew() ? "nothing new: the library holds all of it already"
                                      : plural(joined.sightings, "sighting", "sightings") + " from this file, " +
                                            plural(joined.names, "name", "names") + ", " + plural(joined.tags, "tag", "tags") + ", " +
                                            plural(joined.favourites, "favourite", "favourites") + ", " + plural(joined.notes, "note", "notes") +
                                            ", " + plural(joined.categories, "category", "categories") + " joined into sounds already known";
  return report;
}

FileImport importCopy(PresetLibrary& library, const fs::path& path) {
  FileImport report{path, 0, {}, "", "", 0, ""};
  const Merged merged = restoreLibraryCopy(library, path, report.refused);
  if (!report.refused.empty()) return report;
  if (merged.error) {
    report.refused = *merged.error;
    return report;
  }
  report.added = merged.newSounds;
  report.joined = merged.nothing() ? "a library copy, nothing new: the library holds all of it already"
                                   : "a library copy: " + plural(merged.sightings, "sighting", "sightings") + ", " +
                                         plural(merged.tags, "tag", "tags") + ", " + plural(merged.favourites, "favourite", "favourites") +
                                         ", " + plural(merged.notes, "note", "notes") + ", " +
                                         plural(merged.categories, "category", "categories") + " joined";
  return report;
}

FileImport importFile(PresetLibrary& library, const fs::path& path, std::int64_t time) {
  if (isSoundFileName(path)) return importSoundFile(library, path, time);
  if (!isPresetFileName(path) && isDatabaseFile(path)) return importCopy(library, path);
  FileImport report{path, 0, {}, "", "", 0, ""};
  FilePresets presets = readPresetsOf(path);
  if (!presets.refused.empty()) {
    report.refused = presets.refused;
    return report;
  }
  report.damaged = presets.damaged;
  std::vector<Place> places;
  for (std::size_t n = 0; n < presets.records.size(); ++n)
    places.push_back({SightingKind::Imported, presets.bank ? static_cast<int>(n) + 1 : 0, path.string()});
  std::vector<PresetLibrary::Known> before;
  const Noted noted = library.noteRecords(presets.records, places, time, &before);
  if (noted.error) {
    report.refused = *noted.error;
    return report;
  }
  // Each preset of the file is new or known as the library was when it came, so the two
  // add up to the file's presets.
  for (std::size_t n = 0; n < presets.records.size(); ++n) {
    if (isEmptyRecord(presets.records[n])) continue;
    if (before[n].id == 0)
      ++report.added;
    else
      report.known.push_back({before[n].id, presets.records[n].validName().value_or(""), before[n].names});
  }
  return report;
}

std::string quoted(const std::string& latin1) { return latin1.empty() ? "(no name)" : "\"" + utf8OfLatin1(latin1) + "\""; }

}  // namespace

int ImportReport::added() const {
  return std::accumulate(files.begin(), files.end(), 0, [](int n, const FileImport& f) { return n + f.added; });
}
int ImportReport::known() const {
  return std::accumulate(files.begin(), files.end(), 0, [](int n, const FileImport& f) { return n + static_cast<int>(f.known.size()) + f.alsoKnown; });
}
int ImportReport::damaged() const {
  return static_cast<int>(std::count_if(files.begin(), files.end(), [](const FileImport& f) { return !f.damaged.empty(); }));
}
int ImportReport::refused() const {
  return static_cast<int>(std::count_if(files.begin(), files.end(), [](const FileImport& f) { return !f.refused.empty(); }));
}

ImportReport importPaths(PresetLibrary& library, std::span<const fs::path> paths, const ImportProgress& progress, std::int64_t time) {
  ImportReport report;
  const std::vector<Candidate> files = filesIn(paths);
  for (std::size_t n = 0; n < files.size(); ++n) {
    if (progress && !progress(n, files.size(), files[n].path)) {
      report.cancelled = true;
      break;
    }
    if (!files[n].refused.empty())
      report.files.push_back({files[n].path, 0, {}, files[n].refused, "", 0, ""});
    else
      report.files.push_back(importFile(library, files[n].path, time));
  }
  if (progress && !report.cancelled) progress(files.size(), files.size(), {});
  return report;
}

std::string importReportText(const ImportReport& report) {
  std::string out;
  for (const FileImport& f : report.files) {
    out += f.path.string() + ": ";
    if (!f.refused.empty()) {
      out += "refused, " + f.refused + "\n";
      continue;
    }
    if (!f.damaged.empty()) out += "damaged, " + f.damaged + "; ";
    out += plural(f.added, "sound added", "sounds added") + ", " + std::to_string(f.known.size() + static_cast<std::size_t>(f.alsoKnown)) +
           " already known" + (f.joined.empty() ? "" : "; " + f.joined) + "\n";
    for (const FileImport::KnownSound& k : f.known) {
      std::string as;
      for (const std::string& name : k.knownAs) as += (as.empty() ? "" : ", ") + utf8OfLatin1(name.empty() ? "(no name)" : name);
      out += "  " + quoted(k.name) + " is sound " + std::to_string(k.id) + ", seen as " + as + "\n";
    }
  }
  out += plural(static_cast<int>(report.files.size()), "file", "files") + ": " +
         plural(report.added(), "sound added", "sounds added") + ", " + std::to_string(report.known()) + " already known, " +
         plural(report.refused(), "file refused", "files refused") +
         (report.damaged() ? ", " + plural(report.damaged(), "file damaged", "files damaged") : "") +
         (report.cancelled ? "; stopped before the end" : "") + "\n";
  return out;
}

}  // namespace kestralux
