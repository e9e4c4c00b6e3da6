#pragma once
// One preset as the device, the editor and the .pre/.bnk files know it: 88 bytes,
// 22 little-endian signed 32-bit slots. Slots 0..4 hold the zero-terminated name,
// slots 5..20 the 16 parameter values, slot 21 is reserved and carried unchanged.
// The record is kept as its byte image so that file and memory are the same thing.

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace kestralux {

// Parameter indices; the parameter code on the wire is index + 1.
enum ParameterIndex : int {
  AMP_TYPE = 0,
  AMP_GAIN,
  AMP_MASTER,
  AMP_BASS,
  AMP_MID,
  AMP_TREBLE,
  REV_LEVEL,
  DELAY_LEVEL,
  DELAY_REGEN,
  DELAY_PAN,
  DELAY_TIME,
  EFF_RATE,
  GATE_THRES,
  EFFECT_SELECT,
  EFF_ADJUST1,
  EFF_ADJUST2,
};

inline constexpr int kParameterCount = 16;
inline constexpr int kSlotCount = 22;
inline constexpr int kFirstParameterSlot = 5;
inline constexpr int kReservedSlot = 21;
inline constexpr std::size_t kNameFieldSize = 20;
inline constexpr std::size_t kMaxNameLength = kNameFieldSize - 1;

// What the name box draws while the preset on screen holds no name. It is drawn only: a
// record never takes it as its name.
inline constexpr std::string_view kNoPresetHere = "NO PRESET HERE";

// The parameter's name as the record and the messages call it, e.g. "EFFECT_SELECT".
const char* parameterName(int index);

constexpr int slotOfParameter(int index) { return index + kFirstParameterSlot; }
constexpr int codeOfParameter(int index) { return index + 1; }

struct PresetRecord {
  std::array<std::uint8_t, kSlotCount * 4> bytes{};

  std::int32_t slot(int n) const;
  void setSlot(int n, std::int32_t value);

  std::int32_t value(int parameterIndex) const { return slot(slotOfParameter(parameterIndex)); }
  void setValue(int parameterIndex, std::int32_t v) { setSlot(slotOfParameter(parameterIndex), v); }

  // The name when the field holds a zero-terminated text of 1 to 19 characters that is not
  // the name box's placeholder (a file written while the box could store it holds it as text).
  std::optional<std::string> validName() const;

  // Copies 1..19 characters and their terminating zero; bytes after the terminator keep
  // what they held. Returns false (and changes nothing) for 0 or 20+ characters.
  bool storeName(std::string_view latin1);

  bool operator==(const PresetRecord&) const = default;
};

static_assert(sizeof(PresetRecord) == 88, "a preset record is exactly 88 bytes");

// The same sound: the sixteen values and the reserved slot.
bool sameSound(const PresetRecord& a, const PresetRecord& b);
// The same sound under the same name: bytes after a name's terminator do not count.
inline bool sameSoundAndName(const PresetRecord& a, const PresetRecord& b) {
  return sameSound(a, b) && a.validName() == b.validName();
}

// What the combo can hold: an amp model 0..15, one of its ten effect codes, and every other
// value 0..255. A record that is not one came from somewhere else (a file that is not a
// preset, a message that is not whole) and is never taken into the bank. The name bytes
// are not part of it: any bytes may stand there.
inline constexpr int kAmpModelCount = 16;
inline constexpr std::array<int, 10> kEffectCodes{0, 2, 6, 8, 10, 11, 12, 13, 14, 15};
inline constexpr int kLargestValue = 255;

struct PresetFault {
  int parameter;  // ParameterIndex
  std::int32_t value;
};

// The first value that keeps `record` from being a preset, if any.
std::optional<PresetFault> presetFault(const PresetRecord& record);
inline bool isPreset(const PresetRecord& record) { return !presetFault(record); }

inline constexpr int kPresetCount = 30;
using PresetBank = std::array<PresetRecord, kPresetCount>;
static_assert(sizeof(PresetBank) == 2640, "a bank is exactly 30 records of 88 bytes");

}  // namespace kestralux
