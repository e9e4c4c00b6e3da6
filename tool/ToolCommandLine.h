#pragma once
// What every kestralux-tool command shares: its arguments read one way, its failures one type
// with one exit status each, and its files written whole and never over one already there
// unless --force.

#include <filesystem>
#include <map>
#include <optional>
#include <ostream>
#include <set>
#include <span>
#include <string>
#include <vector>

namespace kestralux {

inline constexpr int kToolSuccess = 0;
inline constexpr int kToolBadInput = 1;
inline constexpr int kToolBadUsage = 2;

// Thrown by a command, turned into its exit status and its line on standard error by
// reportToolError.
struct ToolError {
  enum class Kind {
    BadInput,        // exit 1, the reason in one line
    BadUsage,        // exit 2, the reason and the usage text
    BadValue,        // exit 2, the reason in one line: a value out of range, a caption unknown
    WouldOverwrite,  // exit 2, one line naming the file that is there
  };
  Kind kind = Kind::BadInput;
  std::string why;  // for WouldOverwrite, the file's path
};

ToolError badInput(std::string why);
ToolError badUsage(std::string why);
ToolError badValue(std::string why);

// Says `error` on `err` (with `usage` for wrong usage) and returns the exit status.
int reportToolError(const ToolError& error, std::ostream& err, const std::string& usage);

// Options that take a value (given again, each value is kept), flags, and the words between.
struct OptionSpec {
  std::vector<std::string> valued;
  std::vector<std::string> flags;
  // A word such as "-5" is a word, not an unknown option.
  bool negativeNumbersAreWords = false;
};

struct ParsedArguments {
  std::vector<std::string> words;
  std::map<std::string, std::vector<std::string>> values;
  std::set<std::string> flags;
  // Every valued option in the order given, where the order matters ("--lock", "--unlock").
  std::vector<std::pair<std::string, std::string>> ordered;

  // The last value given for `option`.
  std::optional<std::string> value(const std::string& option) const;
  std::vector<std::string> all(const std::string& option) const;
  bool has(const std::string& flag) const { return flags.count(flag) > 0; }
};

// Throws a BadUsage for an unknown option or one without its value.
ParsedArguments parseArguments(std::span<const std::string> args, const OptionSpec& options);

// A file already there is the user's, perhaps their only copy: only `force` replaces it.
// Checked before work that would be wasted (asking the combo), then again by writeTarget.
void refuseExisting(const std::filesystem::path& path, bool force);
// Writes `bytes` whole or not at all; without `force` only where nothing of that name exists,
// the check and the write being one step, so a file appearing meanwhile is not replaced.
void writeTarget(const std::filesystem::path& path, std::span<const std::uint8_t> bytes, bool force);
void writeTarget(const std::filesystem::path& path, const std::string& text, bool force);

}  // namespace kestralux
