#include "tool/ExploreCommands.h"

#include <algorithm>
#include <charconv>
#include <filesystem>
#include <optional>
#include <span>

#include "explore/Explore.h"
#include "files/PresetFiles.h"
#include "tool/KestraluxTool.h"
#include "tool/PresetFileRule.h"

namespace kestralux {

namespace {

namespace fs = std::filesystem;

struct ExploreArguments {
  std::string command;
  std::vector<std::string> files;
  std::optional<std::string> output;
  int preset = 0;  // 0-based
  bool presetGiven = false;
  int amount = 25;
  std::optional<int> at;
  std::optional<std::uint64_t> seed;
  int count = 1;
  std::vector<std::pair<int, bool>> locks;  // parameter, locked
  bool force = false;
  PresetFileKind kind = PresetFileKind::Preset;
};

template <typename Number>
Number number(const std::string& text, const std::string& option, Number lowest, Number highest, const std::string& range) {
  Number n{};
  const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), n);
  if (error != std::errc() || end != text.data() + text.size() || n < lowest || n > highest)
    throw badValue(option + " takes " + range + ", not " + text);
  return n;
}

int controlNamed(const std::string& caption) {
  if (const auto parameter = parameterOfCaption(caption)) return *parameter;
  throw badValue("no control is captioned \"" + caption + "\"; the captions are " + captionList());
}

ExploreArguments parse(const std::vector<std::string>& args) {
  ExploreArguments a;
  a.command = args.at(0);
  const bool vary = a.command == "vary";
  OptionSpec options{{"-o", "--preset", "--lock"}, {"--force"}};
  for (const char* option : vary ? std::vector<const char*>{"--unlock", "--amount", "--seed", "--count"}
                                 : std::vector<const char*>{"--at"})
    options.valued.push_back(option);
  const ParsedArguments parsed = parseArguments(std::span(args).subspan(1), options);
  a.files = parsed.words;
  a.output = parsed.value("-o");
  a.force = parsed.has("--force");
  for (const auto& [option, value] : parsed.ordered) {
    if (option == "--preset") {
      a.preset = number<int>(value, option, 1, kPresetCount, "a preset number 1..30") - 1;
      a.presetGiven = true;
    } else if (option == "--lock" || option == "--unlock") {
      a.locks.emplace_back(controlNamed(value), option == "--lock");
    } else if (option == "--amount") {
      a.amount = number<int>(value, option, 1, kLargestAmount, "a percentage 1..100");
    } else if (option == "--seed") {
      a.seed = number<std::uint64_t>(value, option, 0, ~std::uint64_t{0}, "a whole number 0..18446744073709551615");
    } else if (option == "--count") {
      a.count = number<int>(value, option, 1, kPresetCount, "a count 1..30");
    } else if (option == "--at") {
      a.at = number<int>(value, option, 0, kLargestPosition, "a percentage 0..100");
    }
  }
  const std::size_t files = vary ? 1 : 2;
  if (a.files.size() != files) throw badUsage(a.command + (vary ? " takes one file" : " takes two files, A and B"));
  if (!a.output) throw badUsage(a.command + " needs -o OUT");
  if (!vary && !a.at) throw badUsage("morph needs --at PCT, 0..100");
  // Refused before any file is read: what is written must load again as what it holds.
  a.kind = outputKind(*a.output);
  if (!vary && a.kind == PresetFileKind::Bank) throw badUsage("morph makes one preset; write it to a .pre file");
  if (a.count > 1 && a.kind == PresetFileKind::Preset)
    throw badUsage(std::to_string(a.count) + " variations make a bank; write them to a .bnk file");
  return a;
}

void write(const ExploreArguments& a, const Bytes& image) { writeTarget(*a.output, image, a.force); }

int varyCommand(const ExploreArguments& a, std::ostream& err) {
  const PresetRecord preset = readOnePreset(a.files[0], a.preset);
  Locks locks;
  for (const auto& [parameter, locked] : a.locks) locks.set(parameter, locked);
  const std::uint64_t seed = a.seed ? *a.seed : freshSeed();
  ExploreRandom random(seed);
  if (a.kind == PresetFileKind::Preset) {
    write(a, presetFileImage(vary(preset, locks, a.amount, random)));
  } else {
    PresetBank bank;
    bank.fill(preset);
    for (int n = 0; n < a.count; ++n) bank[static_cast<std::size_t>(n)] = vary(preset, locks, a.amount, random);
    write(a, bankFileImage(bank));
  }
  // Said, so a variation found by chance can be made again.
  if (!a.seed) err << "kestralux-tool: seed " << seed << "\n";
  err << "kestralux-tool: " << a.count << (a.count == 1 ? " variation" : " variations") << " by " << a.amount << " % written to "
      << *a.output << "\n";
  return kToolSuccess;
}

int morphCommand(const ExploreArguments& a, std::ostream& err) {
  const PresetRecord from = readOnePreset(a.files[0], a.preset), to = readOnePreset(a.files[1], a.preset);
  Locks locks = Locks::none();
  for (const auto& [parameter, locked] : a.locks) locks.set(parameter, locked);
  write(a, presetFileImage(morph(from, to, *a.at, locks)));
  err << "kestralux-tool: " << *a.at << " % from " << a.files[0] << " to " << a.files[1] << " written to " << *a.output << "\n";
  return kToolSuccess;
}

}  // namespace

std::string exploreUsage() {
  return R"(  vary FILE.pre|FILE.bnk [--preset N] [--amount PCT] [--lock CAPTION]... [--unlock CAPTION]...
       [--seed N] [--count K] -o OUT.pre|OUT.bnk [--force]
      Variations of the preset (of preset N of a bank, default 1), as the editor's EXPLORE
      window makes them: each control moves at most PCT % of its range (default 25) around its
      value, the amp model and the effect change with a chance of PCT %. Controls named by
      their window caption (GAIN, "PRESET VOLUME", ...) are locked or unlocked; PRESET VOLUME
      is locked unless unlocked. OUT.pre holds one variation; OUT.bnk holds K of them (default
      1), padded with copies of the preset to 30. The same --seed gives the same bytes;
      without one, the seed taken is said.
  morph A B [--preset N] --at PCT [--lock CAPTION]... -o OUT.pre [--force]
      The preset PCT % of the way from A to B (each a .pre, or preset N of a .bnk): each
      control in proportion, the amp model and the effect with its controls from A below 50 %
      and from B from 50 % on (with the same effect on both, its controls move in proportion
      too). A locked control keeps A's value.
      Both exit 2 for an OUT that exists without --force, an OUT whose extension does not
      name what is written, a caption no control has (the captions are listed), or an amount
      or position out of range.
)";
}

int runExploreCommand(const std::vector<std::string>& args, std::ostream&, std::ostream& err) {
  try {
    const ExploreArguments a = parse(args);
    return a.command == "vary" ? varyCommand(a, err) : morphCommand(a, err);
  } catch (const ToolError& e) {
    return reportToolError(e, err, toolUsage());
  }
}

}  // namespace kestralux
