// The sixteen amp model panels under the mouse: the device's model number, then the preset
// volume, and exactly one panel raised and red.

#include "app/ClickablePanel.h"
#include "tests/editor/LiveEditor.h"

namespace kestralux::test {
namespace {

struct PanelRow {
  ClickablePanel* TForm1::*panel;
  const char* caption;
  std::uint8_t model;  // the device's numbering, not the grid's
};

const PanelRow kPanels[] = {
    {&TForm1::CLN1, "CLEAN 1", 0},        {&TForm1::BRITCLSA, "BRIT CLASS A", 1},
    {&TForm1::BRITBLU, "BRIT BLUES", 2},  {&TForm1::BRITCLAS, "BRIT CLASSIC", 3},
    {&TForm1::BRITHI, "BRIT HI GAIN", 4}, {&TForm1::HIGAIN, "HI GAIN", 5},
    {&TForm1::MEGA, "MEGA GAIN", 6},      {&TForm1::THRAS, "THRASH", 7},
    {&TForm1::GRUNG, "GRUNGE", 8},        {&TForm1::FUZ, "FUZZ", 9},
    {&TForm1::SEVENTY, "70'S", 10},       {&TForm1::TEX, "TEXAS", 11},
    {&TForm1::BLUE, "BLUES", 12},         {&TForm1::TWED, "TWEED", 13},
    {&TForm1::POLY, "JAZZ", 14},          {&TForm1::CLN2, "CLEAN 2", 15},
};

const QColor kRed(255, 0, 0);
const QColor kPurple(128, 0, 128);

// Every panel but `selected` lowered and purple; `selected` raised and red.
::testing::AssertionResult onlySelected(const TForm1& form, const ClickablePanel* selected) {
  int raised = 0;
  for (const PanelRow& row : kPanels) {
    const ClickablePanel* panel = form.*row.panel;
    const bool chosen = panel == selected;
    if (panel->outerBevel() != (chosen ? Bevel::Raised : Bevel::Lowered) || panel->colour() != (chosen ? kRed : kPurple))
      return ::testing::AssertionFailure() << panel->objectName().toStdString() << " has the wrong look";
    raised += panel->outerBevel() == Bevel::Raised;
  }
  if (raised != 1) return ::testing::AssertionFailure() << raised << " panels raised";
  return ::testing::AssertionSuccess();
}

TEST_F(LiveEditor, ClickingAnAmpPanelSendsItsModelThenTheUnchangedPresetVolume) {
  prepare(form->ScrollPVOL, 17);
  for (const PanelRow& row : kPanels) {
    ClickablePanel* panel = form.get()->*row.panel;
    SCOPED_TRACE(row.caption);
    ASSERT_EQ(panel->caption(), row.caption);
    forget();
    const PresetRecord before = state.current();

    QTest::mouseClick(panel, Qt::LeftButton);

    EXPECT_EQ(hex(sent()), hex({param(0x00, 0x01, row.model), param(0x00, 0x03, 0x11)}));
    EXPECT_EQ(state.current().value(AMP_TYPE), row.model);
    EXPECT_TRUE(onlyChanged(before, state.current(), AMP_TYPE));
    EXPECT_TRUE(onlySelected(*form, panel));
    EXPECT_EQ(pauses, 0) << "an edit goes out without the dump pause";
  }
}

TEST_F(LiveEditor, ClickingTheSelectedPanelAgainSendsBothMessagesAgain) {
  prepare(form->ScrollPVOL, 30);
  QTest::mouseClick(form->TEX, Qt::LeftButton);
  QTest::mouseClick(form->TEX, Qt::LeftButton);
  const Message model = param(0x00, 0x01, 0x0B);
  const Message volume = param(0x00, 0x03, 0x1E);
  EXPECT_EQ(hex(sent()), hex({model, volume, model, volume}));
  EXPECT_TRUE(onlySelected(*form, form->TEX));
}

TEST_F(LiveEditor, APressReleasedOutsideThePanelChoosesNothing) {
  QTest::mouseClick(form->BLUE, Qt::LeftButton);
  forget();
  QTest::mousePress(form->HIGAIN, Qt::LeftButton);
  QTest::mouseRelease(form->HIGAIN, Qt::LeftButton, {}, QPoint(-20, -20));
  EXPECT_TRUE(sent().empty());
  EXPECT_EQ(state.current().value(AMP_TYPE), 12);
  EXPECT_TRUE(onlySelected(*form, form->BLUE));
}

}  // namespace
}  // namespace kestralux::test
