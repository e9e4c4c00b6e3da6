#include "tool/SheetCommand.h"

#include <filesystem>
#include <optional>
#include <span>

#include "files/BankSheet.h"
#include "files/PresetFiles.h"

namespace kestralux {

namespace {

namespace fs = std::filesystem;

struct SheetArguments {
  std::string source;
  SheetFormat format = SheetFormat::Text;
  std::optional<std::string> output, in, out;
  bool force = false;
};

// The reason when the arguments are not a sheet command's.
std::optional<std::string> parseSheet(const std::vector<std::string>& args, SheetArguments& a) {
  std::vector<std::string> sources;
  for (std::size_t i = 1; i < args.size(); ++i) {
    const std::string& arg = args[i];
    const bool takesValue = arg == "--format" || arg == "-o" || arg == "--in" || arg == "--out";
    if (takesValue && i + 1 >= args.size()) return arg + " needs a value";
    if (arg == "--format") {
      const auto format = sheetFormatNamed(args[++i]);
      if (!format) return "--format takes text, csv or html";
      a.format = *format;
    } else if (arg == "-o") {
      a.output = args[++i];
    } else if (arg == "--in") {
      a.in = args[++i];
    } else if (arg == "--out") {
      a.out = args[++i];
    } else if (arg == "--force") {
      a.force = true;
    } else if (arg.size() > 1 && arg[0] == '-') {
      return "unknown option " + arg;
    } else {
      sources.push_back(arg);
    }
  }
  if (sources.size() != 1) return "sheet takes one file (or combo)";
  a.source = sources[0];
  return std::nullopt;
}

}  // namespace

int runSheetCommand(const std::vector<std::string>& args, std::ostream& out, std::ostream& err, const PortsFactory& ports) {
  SheetArguments a;
  if (const auto why = parseSheet(args, a)) {
    err << "kestralux-tool: " << *why << "\n" << toolUsage();
    return kToolBadUsage;
  }
  // Refused before the combo is asked, so a fetch is not wasted on a sheet that cannot be kept.
  std::error_code ignored;
  if (a.output && !a.force && fs::exists(fs::symlink_status(*a.output, ignored))) {
    err << "kestralux-tool: " << *a.output << " exists; --force writes over it\n";
    return kToolBadInput;
  }
  const PresetSource source = readPresetSource(a.source, a.in, a.out, err, ports);
  if (!source.error.empty()) {
    err << "kestralux-tool: " << source.error << "\n";
    return kToolBadInput;
  }
  const std::string title = a.source == "combo" ? "combo" : fs::path(a.source).filename().string();
  const std::string sheet = bankSheet(source.presets, a.format, title, source.names);
  if (!a.output) {
    out << sheet;
    return kToolSuccess;
  }
  std::string error;
  if (!writeFileAtomically(*a.output, std::span(reinterpret_cast<const std::uint8_t*>(sheet.data()), sheet.size()), error)) {
    err << "kestralux-tool: " << error << "\n";
    return kToolBadInput;
  }
  err << "kestralux-tool: sheet written to " << *a.output << "\n";
  return kToolSuccess;
}

}  // namespace kestralux
