// Preset selection and naming: the preset arrows, the name box, and the preset number box
// with its marks.

#include <QAction>
#include <QLineEdit>

#include "app/MainWindowLayout.h"
#include "app/TForm1.h"
#include "app/UpDownArrows.h"

namespace kestralux {

void TForm1::PRESETUpDownClick() {
  PRENUM->setText(QStringLiteral("PRESET   "));
  state.CurrentPreset = PRESETUpDown->position();
  PRENUM->setText(PRENUM->text() + QString::number(PRESETUpDown->position() + 1));
  ShowPresetQuietly();
}

void TForm1::CHANGE_PRESET_NAME() {
  const QString text = PRENAME->text();
  if (text.isEmpty() || text.size() >= layout::kNameBoxMaxLength) return;
  const QByteArray latin1 = text.toLatin1();
  session.setName(std::string_view(latin1.constData(), static_cast<std::size_t>(latin1.size())));
}

void TForm1::updatePresetNumber() {
  const bool transfer = protocol.fetch.waiting();
  UNDO1->setEnabled(session.canUndo() && !transfer);
  REDO1->setEnabled(session.canRedo() && !transfer);
  emit presetShown();
  const int n = state.CurrentPreset + 1;
  const bool marked = session.comparing() || session.edited(state.CurrentPreset);
  // The box keeps the text it was given until there is a mark to show or to take away.
  if (!marked && !PRENUM->text().endsWith(QLatin1Char('*')) && !PRENUM->text().startsWith(QLatin1String("COMPARE"))) return;
  QString text = session.comparing() ? QStringLiteral("COMPARE  %1").arg(n) : QStringLiteral("PRESET   %1").arg(n);
  if (!session.comparing() && session.edited(state.CurrentPreset)) text += QLatin1Char('*');
  if (PRENUM->text() != text) PRENUM->setText(text);
}

}  // namespace kestralux
