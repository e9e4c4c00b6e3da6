#pragma once
// What a preset file is, for every command of the tool alike: its extension says, .pre one
// preset of exactly 88 bytes, .bnk a bank of exactly 2,640; a file named neither way is taken
// by its size. A file written is the kind its extension names, so what the tool writes loads
// again as what it holds.

#include <filesystem>
#include <variant>

#include "model/PresetRecord.h"

namespace kestralux {

enum class PresetFileKind { Preset, Bank };

// The presets of a .pre or a .bnk, every record a preset; a ToolError (bad input) otherwise.
std::variant<PresetRecord, PresetBank> readPresetFile(const std::filesystem::path& path);
// A .pre, or the preset `n` (0-based) of a .bnk.
PresetRecord readOnePreset(const std::filesystem::path& path, int n);

// The kind a file to be written is by its extension; a ToolError (bad usage) for any other.
PresetFileKind outputKind(const std::filesystem::path& target);
// `target` must end in `extension` (".syx", ".pre", ...); a ToolError (bad usage) otherwise.
void expectExtension(const std::filesystem::path& target, const char* extension);

}  // namespace kestralux
