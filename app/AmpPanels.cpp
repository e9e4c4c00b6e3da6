// The sixteen amp model panels. A click makes its model the current preset's and sends the
// model and the preset volume; the record's AMP_TYPE is the only state, the panels show it.

#include "app/ClickablePanel.h"
#include "app/TForm1.h"
#include "editor/EditorTables.h"

namespace kestralux {

void TForm1::AmpPanelClick(int ampType) {
  ResetAmpPanels();
  MarkAmpPanelSelected(ampPanelOfModel(ampType));
  session.setValue(AMP_TYPE, ampType);
  protocol.SendAmpModel();
}

void TForm1::CLN1Click() { AmpPanelClick(0); }
void TForm1::BRITCLSAClick() { AmpPanelClick(1); }
void TForm1::BRITBLUClick() { AmpPanelClick(2); }
void TForm1::BRITCLASClick() { AmpPanelClick(3); }
void TForm1::BRITHIClick() { AmpPanelClick(4); }
void TForm1::HIGAINClick() { AmpPanelClick(5); }
void TForm1::MEGAClick() { AmpPanelClick(6); }
void TForm1::THRASClick() { AmpPanelClick(7); }
void TForm1::GRUNGClick() { AmpPanelClick(8); }
void TForm1::FUZClick() { AmpPanelClick(9); }
void TForm1::SEVENTYClick() { AmpPanelClick(10); }
void TForm1::TEXClick() { AmpPanelClick(11); }
void TForm1::BLUEClick() { AmpPanelClick(12); }
void TForm1::TWEDClick() { AmpPanelClick(13); }
void TForm1::POLYClick() { AmpPanelClick(14); }
void TForm1::CLN2Click() { AmpPanelClick(15); }

}  // namespace kestralux
