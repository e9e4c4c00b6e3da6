#pragma once
// The system's texts are single-byte (Latin-1) strings in the core; the windows show them
// as QStrings.

#include <QString>
#include <string_view>

namespace kestralux {

inline QString latin1(std::string_view text) {
  return QString::fromLatin1(text.data(), static_cast<qsizetype>(text.size()));
}

}  // namespace kestralux
