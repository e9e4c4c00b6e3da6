#pragma once
// What a message on the wire means, in the window's words: one reading shared by the MIDI
// monitor, `kestralux-tool monitor`, every command's --trace and the connection check.

#include <cstdint>
#include <map>
#include <span>
#include <string>
#include <utility>

#include "midi/MessageTap.h"

namespace kestralux {

enum class MessageKind {
  LiveEdit,     // one parameter change: an edit, or a message of a whole preset's burst
  Startup,      // the greeting at start
  BankRequest,
  Preset,       // a preset of the bank the combo sends
  Store,        // a preset the editor stores into the combo
  Damaged,      // ours by framing and command, but not whole
  Foreign,      // not a message of this combo
};

struct MessageMeaning {
  MessageKind kind = MessageKind::Foreign;
  std::string words;
};

// Whether a kind belongs to a bank transfer (the request, the presets and the stores).
bool isTransferKind(MessageKind kind);

// Reads messages in the order they pass one port, so a bank's presets are numbered as the
// combo and the editor count them: 0x2A is the first, each 0x2B the next, a damaged one
// holding its place.
class MessageReader {
 public:
  MessageMeaning read(MessageDirection direction, const std::string& port, std::span<const std::uint8_t> message);

 private:
  // The number of the last bank message seen, per direction and port.
  std::map<std::pair<MessageDirection, std::string>, int> lastInBank_;
};

// The bytes as hex pairs separated by blanks ("F0 00 00 4B").
std::string hexBytes(std::span<const std::uint8_t> message);

}  // namespace kestralux
