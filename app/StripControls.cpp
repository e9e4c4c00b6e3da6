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
  auto* bar = clientArea->findChild<QScrollBar*>(latin1(row->scrollBar));
  auto* box = clientArea->findChild<QLineEdit*>(latin1(row->valueBox));
  const int position = bar->value();
  setBoxText(box, latin1(stripText(*row, position, TextSource::Handler)));
  session.setValue(row->parameter, position);
  protocol.SendLiveEdit(row->parameter);
}

void TForm1::ShowStrips() {
  for (const StripRow& row : kStrips) {
    auto* bar = clientArea->findChild<QScrollBar*>(latin1(row.scrollBar));
    auto* box = clientArea->findChild<QLineEdit*>(latin1(row.valueBox));
    // Moving the bar runs its handler, which stores a clamped value back; a bar already at
    // the (clamped) position runs nothing.
    bar->setValue(state.current().value(row.parameter));
    setBoxText(box, latin1(stripText(row, bar->value(), TextSource::ShowPreset)));
  }
}

void TForm1::ScrollGAINChange() { StripChange("ScrollGAIN"); }
void TForm1::ScrollBASSChange() { StripChange("ScrollBASS"); }
void TForm1::ScrollMIDChange() { StripChange("ScrollMID"); }
void TForm1::ScrollTREBChange() { StripChange("ScrollTREB"); }
void TForm1::ScrollDLVLChange() { StripChange("ScrollDLVL"); }
void TForm1::ScrollDREGChange() { StripChange("ScrollDREG"); }
void TForm1::ScrollDPANChange() { StripChange("ScrollDPAN"); }
void TForm1::ScrollDTIMEChange() { StripChange("ScrollDTIME"); }
void TForm1::ScrollREVChange() { StripChange("ScrollREV"); }
void TForm1::ScrollGATEChange() { StripChange("ScrollGATE"); }
void TForm1::ScrollPVOLChange() { StripChange("ScrollPVOL"); }

}  // namespace kestralux
