#include "live/FootController.h"

#include <charconv>

namespace kestralux {

namespace {

constexpr std::uint8_t kSysexStart = 0xF0;
constexpr std::uint8_t kSysexEnd = 0xF7;
constexpr std::uint8_t kFirstRealTime = 0xF8;

// Data bytes after a system common status: MTC quarter frame, song position, song select.
int systemCommonDataBytes(std::uint8_t status) {
  switch (status) {
    case 0xF1: return 1;
    case 0xF2: return 2;
    case 0xF3: return 1;
    default: return 0;
  }
}

int dataBytesOf(std::uint8_t status) {
  const int kind = status & 0xF0;
  return kind == 0xC0 || kind == 0xD0 ? 1 : 2;
}

bool matches(const FootTrigger& trigger, const ControllerMessage& message) {
  using Kind = ControllerMessage::Kind;
  switch (trigger.kind) {
    case FootTrigger::Kind::ControlChange:
      return message.kind == Kind::ControlChange && message.number == trigger.number && message.value >= kPressedValue;
    case FootTrigger::Kind::NoteOn:
      return message.kind == Kind::NoteOn && message.number == trigger.number && message.value > 0;
    case FootTrigger::Kind::ProgramChange:
      return message.kind == Kind::ProgramChange && message.number == trigger.number;
  }
  return false;
}

std::optional<int> numberIn(std::string_view text) {
  int n = 0;
  const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), n);
  if (ec != std::errc() || end != text.data() + text.size() || text.empty() || n < 0 || n > 127) return std::nullopt;
  return n;
}

}  // namespace

std::string describeControllerMessage(const ControllerMessage& message) {
  std::string text;
  switch (message.kind) {
    case ControllerMessage::Kind::ProgramChange: text = "PROGRAM " + std::to_string(message.number); break;
    case ControllerMessage::Kind::ControlChange:
      text = "CC " + std::to_string(message.number) + " = " + std::to_string(message.value);
      break;
    case ControllerMessage::Kind::NoteOn: text = "NOTE " + std::to_string(message.number); break;
    case ControllerMessage::Kind::NoteOff: text = "NOTE " + std::to_string(message.number) + " OFF"; break;
  }
  return text + " (CH " + std::to_string(message.channel + 1) + ")";
}

std::optional<ControllerMessage> ControllerByteParser::feed(std::uint8_t byte) {
  // Real-time bytes may fall anywhere, even inside another message, and leave it whole.
  if (byte >= kFirstRealTime) return std::nullopt;
  if (byte == kSysexStart) {
    inSysex_ = true;
    status_ = 0;
    return std::nullopt;
  }
  if (byte >= 0x80) {
    inSysex_ = false;
    have_ = 0;
    if (byte > kSysexStart) {
      // System common (and the end of SysEx) cancel running status.
      status_ = 0;
      skipData_ = systemCommonDataBytes(byte);
    } else {
      status_ = byte;
      skipData_ = 0;
    }
    return std::nullopt;
  }
  if (inSysex_) return std::nullopt;
  if (skipData_ > 0) {
    --skipData_;
    return std::nullopt;
  }
  if (status_ == 0) return std::nullopt;
  data_[have_++] = byte;
  if (have_ < dataBytesOf(status_)) return std::nullopt;
  // The status stays: the next data bytes may be a message of the same kind.
  have_ = 0;
  ControllerMessage message;
  message.channel = status_ & 0x0F;
  message.number = data_[0];
  switch (status_ & 0xF0) {
    case 0x80:
      message.kind = ControllerMessage::Kind::NoteOff;
      message.value = data_[1];
      return message;
    case 0x90:
      // A note-on of velocity 0 is how most controllers send a release under running status.
      message.kind = data_[1] == 0 ? ControllerMessage::Kind::NoteOff : ControllerMessage::Kind::NoteOn;
      message.value = data_[1];
      return message;
    case 0xB0:
      message.kind = ControllerMessage::Kind::ControlChange;
      message.value = data_[1];
      return message;
    case 0xC0: message.kind = ControllerMessage::Kind::ProgramChange; return message;
    default: return std::nullopt;  // aftertouch, pitch bend: not a pedal's step
  }
}

std::vector<ControllerMessage> ControllerByteParser::feed(std::span<const std::uint8_t> bytes) {
  std::vector<ControllerMessage> messages;
  for (const std::uint8_t b : bytes)
    if (auto message = feed(b)) messages.push_back(*message);
  return messages;
}

void ControllerByteParser::reset() { *this = ControllerByteParser(); }

std::string describeFootTrigger(const FootTrigger& trigger) {
  switch (trigger.kind) {
    case FootTrigger::Kind::ControlChange: return "CC " + std::to_string(trigger.number);
    case FootTrigger::Kind::NoteOn: return "NOTE " + std::to_string(trigger.number);
    case FootTrigger::Kind::ProgramChange: return "PROGRAM " + std::to_string(trigger.number);
  }
  return {};
}

std::optional<FootTrigger> footTriggerOfText(const std::string& text) {
  struct Word {
    std::string_view word;
    FootTrigger::Kind kind;
  };
  static constexpr Word kWords[]{{"CC ", FootTrigger::Kind::ControlChange},
                                 {"NOTE ", FootTrigger::Kind::NoteOn},
                                 {"PROGRAM ", FootTrigger::Kind::ProgramChange}};
  for (const Word& w : kWords) {
    if (text.compare(0, w.word.size(), w.word) != 0) continue;
    if (const auto n = numberIn(std::string_view(text).substr(w.word.size()))) return FootTrigger{w.kind, *n};
  }
  return std::nullopt;
}

std::optional<Step> stepOfMessage(const FootMapping& mapping, const ControllerMessage& message) {
  if (matches(mapping.next, message)) return Step{StepKind::Next, 0};
  if (matches(mapping.previous, message)) return Step{StepKind::Previous, 0};
  if (mapping.programChangePlaysSong && message.kind == ControllerMessage::Kind::ProgramChange)
    return Step{StepKind::Song, message.number + 1};
  return std::nullopt;
}

bool FootLearn::offer(const ControllerMessage& message, FootMapping& mapping) {
  if (!target_) return false;
  FootTrigger trigger;
  switch (message.kind) {
    case ControllerMessage::Kind::ControlChange:
      if (message.value < kPressedValue) return false;
      trigger = {FootTrigger::Kind::ControlChange, message.number};
      break;
    case ControllerMessage::Kind::NoteOn: trigger = {FootTrigger::Kind::NoteOn, message.number}; break;
    case ControllerMessage::Kind::ProgramChange: trigger = {FootTrigger::Kind::ProgramChange, message.number}; break;
    case ControllerMessage::Kind::NoteOff: return false;
  }
  FootTrigger& mine = *target_ == LearnTarget::Next ? mapping.next : mapping.previous;
  FootTrigger& other = *target_ == LearnTarget::Next ? mapping.previous : mapping.next;
  if (other == trigger) other = mine;
  mine = trigger;
  target_.reset();
  return true;
}

std::string footControllerSettingsText(const FootControllerSettings& settings) {
  return "port=" + settings.port + "\nnext=" + describeFootTrigger(settings.mapping.next) +
         "\nprevious=" + describeFootTrigger(settings.mapping.previous) +
         "\nprograms=" + (settings.mapping.programChangePlaysSong ? "on" : "off") + "\n";
}

FootControllerSettings readFootControllerSettings(std::string_view text) {
  FootControllerSettings settings;
  while (!text.empty()) {
    const std::size_t end = text.find('\n');
    std::string_view line = text.substr(0, end);
    text.remove_prefix(end == std::string_view::npos ? text.size() : end + 1);
    if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
    const std::size_t equals = line.find('=');
    if (equals == std::string_view::npos) continue;
    const std::string_view key = line.substr(0, equals);
    const std::string value(line.substr(equals + 1));
    if (key == "port") {
      settings.port = value;
    } else if (key == "next" || key == "previous") {
      if (const auto trigger = footTriggerOfText(value)) (key == "next" ? settings.mapping.next : settings.mapping.previous) = *trigger;
    } else if (key == "programs") {
      if (value == "on" || value == "off") settings.mapping.programChangePlaysSong = value == "on";
    }
  }
  // Two sides on one trigger would make a pedal mean both: the defaults then.
  if (settings.mapping.next == settings.mapping.previous) settings.mapping = FootMapping{};
  return settings;
}

}  // namespace kestralux
