// The sixteen amp model panels. A click makes its model the current preset's and sends the
// model and the preset volume; the record's AMP_TYPE is the only state, the panels show it.

#include "app/ClickablePanel.h"
#include "app/TForm1.h"

namespace kestralux {

void TForm1::AmpPanelClick(int ampType) {
  ResetAmpPanels();
  MarkAmpPanelSelected(ampPanelOfModel(ampType));
  actions.setParameter(AMP_TYPE, ampType);
}

}  // namespace kestralux
