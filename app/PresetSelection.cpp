// Preset selection and naming: the preset arrows, the name box, and the preset number box
// with its marks.

#include <QAction>
#include <QLineEdit>

#include "app/Latin1.h"
#include "app/MainWindowLayout.h"
#include "app/TForm1.h"
#include "app/UpDownArrows.h"

namespace kestralux {

void TForm1::PRESETUpDownClick() { actions.showSlot(PRESETUpDown->position()); }

void TForm1::CHANGE_PRESET_NAME() {
  const QString text = PRENAME->text();
  if (text.isEmpty() || text.size() >= layout::kNameBoxMaxLength) return;
  const QByteArray latin1 = text.toLatin1();
  actions.setName(std::string_view(latin1.constData(), static_cast<std::size_t>(latin1.size())));
}

void TForm1::updatePresetNumber() {
  updateEditMenu();
  emit presetShown();
  const QString text = latin1(actions.presetNumberText());
  const auto marked = [](const QString& t) { return t.endsWith(QLatin1Char('*')) || t.startsWith(QLatin1String("COMPARE")); };
  // The box keeps the text it was given until there is a mark to show or to take away.
  if (!marked(text) && !marked(PRENUM->text())) return;
  if (PRENUM->text() != text) PRENUM->setText(text);
}

}  // namespace kestralux
