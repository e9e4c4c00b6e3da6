#include "tool/ToolCommandLine.h"

#include <algorithm>
#include <system_error>

#include "files/PresetFiles.h"

namespace kestralux {

namespace fs = std::filesystem;

ToolError badInput(std::string why) { return {ToolError::Kind::BadInput, std::move(why)}; }
ToolError badUsage(std::string why) { return {ToolError::Kind::BadUsage, std::move(why)}; }
ToolError badValue(std::string why) { return {ToolError::Kind::BadValue, std::move(why)}; }

int reportToolError(const ToolError& error, std::ostream& err, const std::string& usage) {
  switch (error.kind) {
    case ToolError::Kind::BadInput:
      err << "kestralux-tool: " << error.why << "\n";
      return kToolBadInput;
    case ToolError::Kind::BadUsage:
      err << "kestralux-tool: " << error.why << "\n" << usage;
      return kToolBadUsage;
    case ToolError::Kind::BadValue:
      err << "kestralux-tool: " << error.why << "\n";
      return kToolBadUsage;
    case ToolError::Kind::WouldOverwrite:
      err << "kestralux-tool: " << error.why << " exists; nothing written (--force writes over it)\n";
      return kToolBadUsage;
  }
  return kToolBadInput;
}

std::optional<std::string> ParsedArguments::value(const std::string& option) const {
  const auto it = values.find(option);
  if (it == values.end() || it->second.empty()) return std::nullopt;
  return it->second.back();
}

std::vector<std::string> ParsedArguments::all(const std::string& option) const {
  const auto it = values.find(option);
  return it == values.end() ? std::vector<std::string>{} : it->second;
}

ParsedArguments parseArguments(std::span<const std::string> args, const OptionSpec& options) {
  const auto listed = [](const std::vector<std::string>& names, const std::string& arg) {
    return std::find(names.begin(), names.end(), arg) != names.end();
  };
  ParsedArguments parsed;
  for (std::size_t i = 0; i < args.size(); ++i) {
    const std::string& arg = args[i];
    if (listed(options.valued, arg)) {
      if (i + 1 >= args.size()) throw badUsage(arg + " needs a value");
      parsed.values[arg].push_back(args[++i]);
      parsed.ordered.emplace_back(arg, args[i]);
    } else if (listed(options.flags, arg)) {
      parsed.flags.insert(arg);
    } else if (arg.size() > 1 && arg[0] == '-' && !(options.negativeNumbersAreWords && arg[1] >= '0' && arg[1] <= '9')) {
      throw badUsage("unknown option " + arg);
    } else {
      parsed.words.push_back(arg);
    }
  }
  return parsed;
}

void refuseExisting(const fs::path& path, bool force) {
  std::error_code ignored;
  if (!force && fs::exists(fs::symlink_status(path, ignored))) throw ToolError{ToolError::Kind::WouldOverwrite, path.string()};
}

void writeTarget(const fs::path& path, std::span<const std::uint8_t> bytes, bool force) {
  std::string error;
  if (force) {
    if (!writeFileAtomically(path, bytes, error)) throw badInput(error);
    return;
  }
  switch (writeNewFileAtomically(path, bytes, error)) {
    case NewFile::Written: return;
    case NewFile::Exists: throw ToolError{ToolError::Kind::WouldOverwrite, path.string()};
    case NewFile::Failed: throw badInput(error);
  }
}

void writeTarget(const fs::path& path, const std::string& text, bool force) {
  writeTarget(path, std::span(reinterpret_cast<const std::uint8_t*>(text.data()), text.size()), force);
}

}  // namespace kestralux
