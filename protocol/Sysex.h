#pragma once
// Every byte the editor and the KESTRALUX exchange: framing, the 10-byte parameter-change
// message, the 40-byte preset message, and the context-byte rules of each parameter.

#include <array>
#include <optional>
#include <cstdint>
#include <span>

#include "protocol/RxRing.h"
#include "model/PresetRecord.h"

#ifndef KESTRALUX_MANUFACTURER_BYTE
#define KESTRALUX_MANUFACTURER_BYTE 0x4B
#endif

namespace kestralux {

inline constexpr std::array<std::uint8_t, 3> MANUFACTURER_ID{0x00, 0x00, KESTRALUX_MANUFACTURER_BYTE};
inline constexpr std::uint8_t MODEL_ID = 0x06;
inline constexpr std::uint8_t SYSEX_START = 0xF0;
inline constexpr std::uint8_t SYSEX_END = 0xF7;

inline constexpr std::uint8_t CMD_PARAMETER = 0x42;
inline constexpr std::uint8_t CMD_STORE_ONE = 0x28;
inline constexpr std::uint8_t CMD_BANK_FIRST = 0x2A;
inline constexpr std::uint8_t CMD_BANK_NEXT = 0x2B;

inline constexpr int CODE_STARTUP = 0;
inline constexpr int CODE_REQUEST_BANK = 55;

inline constexpr std::size_t kParameterMessageSize = 10;
inline constexpr std::size_t kPresetMessageSize = 40;
inline constexpr std::size_t kChecksumByte = 38;

using ParameterMessage = std::array<std::uint8_t, kParameterMessageSize>;
using PresetMessage = std::array<std::uint8_t, kPresetMessageSize>;
static_assert(sizeof(ParameterMessage) == 10 && sizeof(PresetMessage) == 40);

// Which sending path a context byte is for: a live edit of one control, or the 16-message
// burst that sends a whole preset.
enum class SendPath { Live, WholePreset };

// The context byte of parameter `index` when it is sent with `value` while the preset's
// effect is `effect` (EFFECT_SELECT). Bit 0 carries bit 7 of the value for DELAY_TIME and
// EFF_RATE; bits 1..4 carry an effect code for the effect-dependent parameters.
std::uint8_t contextByte(int index, SendPath path, int effect, int value);

// The value byte: the low 7 bits. DELAY_TIME and EFF_RATE carry their bit 7 in the context
// byte; every other value is masked so it can never break the SysEx frame.
std::uint8_t valueByte(int value);

ParameterMessage buildParameterMessage(int context, int code, int value);

// The preset message with command 0x28, 0x2A or 0x2B for the 16 values of `record`.
PresetMessage buildPresetMessage(std::uint8_t command, const PresetRecord& record);

// XOR of bytes 6..37.
std::uint8_t presetChecksum(std::span<const std::uint8_t> message);

// Whether `message` is a whole preset message of ours: 40 bytes, our framing, manufacturer
// and model bytes, one of the three preset commands and a matching checksum.
bool isOurPresetMessage(std::span<const std::uint8_t> message);

// Writes the 16 parameter values carried in bytes 6..37 of a preset message into `record`;
// the name and the reserved slot are left as they are.
void DecodeDump(std::span<const std::uint8_t> message, PresetRecord& record);

// The preset message a receive slot holds, when it holds a whole one of ours: the slot keeps
// bytes 0..38, its length and whether the closing 0xF7 came. Anything else gives nullopt.
std::optional<PresetMessage> presetMessageInSlot(const RxSlot& slot);

// The 16 values a preset message carries, as a record with no name.
PresetRecord presetOfMessage(std::span<const std::uint8_t> message);

// DecodeDump for a received slot, applied only to a whole preset message of ours with a
// matching checksum; returns whether the record was changed.
bool DecodeReceivedDump(const RxSlot& slot, PresetRecord& record);

}  // namespace kestralux
