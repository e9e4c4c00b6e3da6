// The eleven parameter strips of the main window: a value box, a scroll bar and a caption
// each. Every change stores the position in the current preset and sends it at once.

#include <QLineEdit>
#include <QScrollBar>

#include "app/Latin1.h"
#include "app/TForm1.h"
#include "editor/EditorTables.h"

namespace kestralux {

void TForm1::StripChange(std::string_view scrollBar) {
  const StripRow* row = findStrip(scrollBar);
  const int position = clientArea->findChild<QScrollBar*>(latin1(row->scrollBar))->value();
  setBoxText(clientArea->findChild<QLineEdit*>(latin1(row->valueBox)), latin1(stripText(*row, position, TextSource::Handler)));
  actions.setParameter(row->parameter, position);
}

void TForm1::ShowStrips() {
  for (const StripRow& row : kStrips) {
    auto* bar = clientArea->findChild<QScrollBar*>(latin1(row.scrollBar));
    // Moving the bar runs its handler; a bar already at the position runs nothing.
    bar->setValue(actions.shownPreset().value(row.parameter));
    setBoxText(clientArea->findChild<QLineEdit*>(latin1(row.valueBox)), latin1(stripText(row, bar->value(), TextSource::ShowPreset)));
  }
}

}  // namespace kestralux
