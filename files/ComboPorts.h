#pragma once
// combo.ports: the names of the two chosen ports, beside combo.cfg. combo.cfg keeps the
// device numbers, as other copies of the editor read it; port numbers change with what else
// runs, so at start a number that now names another port is followed to the remembered name.
//
//   output=<name of the output port>
//   input=<name of the input port>

#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

namespace kestralux {

inline constexpr const char* kComboPortsName = "combo.ports";

struct PortNames {
  std::string output;  // empty: not known
  std::string input;
  bool operator==(const PortNames&) const = default;
};

std::string encodePortNames(const PortNames& names);
// Nothing for a text with neither line.
std::optional<PortNames> decodePortNames(const std::string& text);

// Nothing when the file is missing, unreadable or holds no name.
std::optional<PortNames> LOAD_PORT_NAMES(const std::filesystem::path& path);
// Whole or not at all, beside the old file; false when it could not be written.
bool SAVE_PORT_NAMES(const PortNames& names, const std::filesystem::path& path);

// The device to use for `number` among the ports `names` now listed: the number itself while
// it still names the remembered port (or nothing is remembered, or the remembered port is not
// there), else the remembered port's number.
std::uint32_t deviceFollowingName(std::uint32_t number, const std::vector<std::string>& names,
                                  const std::string& remembered);

}  // namespace kestralux
