#pragma once
// The system's texts are single-byte (Latin-1) strings in the core; the windows show them
// as QStrings.

#include <QString>
#include <optional>
#include <string>
#include <string_view>

#include "editor/EditorTables.h"
#include "model/PresetRecord.h"

namespace kestralux {

inline QString latin1(std::string_view text) {
  return QString::fromLatin1(text.data(), static_cast<qsizetype>(text.size()));
}

// Capitals for the boxes that show capitals only, letter by letter: a letter whose capital
// has no one-byte form (y-diaeresis, micro sign) stays as it is, so the record can hold it.
inline QString latin1Upper(const QString& text) {
  QString upper = text;
  for (QChar& c : upper) {
    const QChar capital = c.toUpper();
    if (capital.unicode() <= 0xFF) c = capital;
  }
  return upper;
}

// A preset's name as the windows show it: in capitals, or nothing when it holds none (the
// name box then draws its placeholder, which is never text a handler could take for a name).
inline QString presetNameText(const PresetRecord& record) {
  const std::optional<std::string> name = record.validName();
  return name ? latin1Upper(latin1(*name)) : QString();
}

// The amp model and the effect of a record as the lists show them; nothing for a code that
// names none.
inline QString ampModelText(const PresetRecord& record) {
  const int amp = record.value(AMP_TYPE);
  return amp >= 0 && amp < static_cast<int>(kAmpModels.size()) ? latin1(kAmpModels[static_cast<std::size_t>(amp)].caption)
                                                               : QString();
}
inline QString effectText(const PresetRecord& record) {
  const EffectRow* effect = findEffect(record.value(EFFECT_SELECT));
  return effect ? latin1(effect->caption).trimmed() : QString();
}

}  // namespace kestralux
