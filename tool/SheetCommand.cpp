#include "tool/SheetCommand.h"

#include <filesystem>
#include <optional>
#include <span>

#include "files/BankSheet.h"

namespace kestralux {

namespace {

namespace fs = std::filesystem;

struct SheetArguments {
  std::string source;
  SheetFormat format = SheetFormat::Text;
  std::optional<std::string> output, in, out;
  bool force = false;
  bool trace = false;
};

SheetArguments parseSheet(const std::vector<std::string>& args) {
  static const OptionSpec options{{"--format", "-o", "--in", "--out"}, {"--force", "--trace"}};
  const ParsedArguments parsed = parseArguments(std::span(args).subspan(1), options);
  SheetArguments a;
  if (const auto name = parsed.value("--format")) {
    const auto format = sheetFormatNamed(*name);
    if (!format) throw badUsage("--format takes text, csv or html");
    a.format = *format;
  }
  if (parsed.words.size() != 1) throw badUsage("sheet takes one file (or combo)");
  a.source = parsed.words[0];
  a.output = parsed.value("-o");
  a.in = parsed.value("--in");
  a.out = parsed.value("--out");
  a.force = parsed.has("--force");
  a.trace = parsed.has("--trace");
  return a;
}

int sheet(const std::vector<std::string>& args, std::ostream& out, std::ostream& err, const PortsFactory& ports) {
  const SheetArguments a = parseSheet(args);
  // Refused before the combo is asked, so a fetch is not wasted on a sheet that cannot be kept.
  if (a.output) refuseExisting(*a.output, a.force);
  const PresetSource source = readPresetSource(a.source, a.in, a.out, err, ports, a.trace);
  if (!source.error.empty()) throw badInput(source.error);
  const std::string title = a.source == "combo" ? "combo" : fs::path(a.source).filename().string();
  const std::string text = bankSheet(source.presets, a.format, title, source.names);
  if (!a.output) {
    out << text;
    return kToolSuccess;
  }
  writeTarget(*a.output, text, a.force);
  err << "kestralux-tool: sheet written to " << *a.output << "\n";
  return kToolSuccess;
}

}  // namespace

int runSheetCommand(const std::vector<std::string>& args, std::ostream& out, std::ostream& err, const PortsFactory& ports) {
  try {
    return sheet(args, out, err, ports);
  } catch (const ToolError& e) {
    return reportToolError(e, err, toolUsage());
  }
}

}  // namespace kestralux
