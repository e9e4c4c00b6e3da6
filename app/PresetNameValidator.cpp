#include "app/PresetNameValidator.h"

#include "app/Latin1.h"

namespace kestralux {

QValidator::State PresetNameValidator::validate(QString& input, int& position) const {
  const QString upper = latin1Upper(input);
  if (upper.size() > maximumLength_) return Invalid;
  for (const QChar c : upper) {
    // Control characters would end or corrupt the zero-terminated name field.
    if (c.unicode() > 0xFF || c.unicode() < 0x20 || (c.unicode() >= 0x7F && c.unicode() < 0xA0))
      return Invalid;
  }
  position += static_cast<int>(upper.size() - input.size());
  input = upper;
  return Acceptable;
}

}  // namespace kestralux
