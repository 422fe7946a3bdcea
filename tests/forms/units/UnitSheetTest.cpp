// The unit sheet: one window holding every standard unit type with a few combinations of
// properties each, compiled by formc from tests/forms/units/sheet and loaded as the program
// loads its windows. When VELMORA_UNIT_SHEET names a PNG file the loaded window is written
// there, for looking at.
#include <gtest/gtest.h>

#include <cstdlib>

#include "forms/data/FormData.h"
#include "forms/units/UnitTypes.h"
#include "forms/units/button/ButtonUnit.h"
#include "forms/units/edit/EditBoxUnit.h"
#include "forms/windows/WindowList.h"
#include "platform/testing/InputAutomation.h"
#include "platform/testing/MessageLoop.h"
#include "tests/forms/units/UnitsTestSupport.h"
#include "units_tests/Forms.h"

namespace formtest::sheet {

int g_clicks = 0;
int g_presses = 0;

rt::HandlerResult OnSheetClick(const uint32_t*, int32_t) {
  ++g_clicks;
  return {};
}

rt::HandlerResult OnSheetPress(const uint32_t*, int32_t) {
  ++g_presses;
  return {};
}

namespace {

namespace pt = platform::testing;

constexpr uint32_t kSheet = 0x52000100;
constexpr uint32_t kRightButton = 0x16000404;
constexpr uint32_t kPasswordBox = 0x16000505;
constexpr uint32_t kInsideEdit = 0x16000603;
constexpr uint32_t kGroupBox = 0x16000601;
constexpr uint32_t kTransOverLabel = 0x16000301;

class UnitSheetTest : public UnitsTest {};

TEST_F(UnitSheetTest, EveryUnitLoadsLiveWithWhatItsSourceSays) {
  ASSERT_TRUE(forms::ReadFormData(kFormData, kFormDataSize, kHandlerTable, kHandlerCount));
  ASSERT_TRUE(Load(kSheet));
  Pump();
  forms::FormTemplate& form = Template(kSheet);
  ASSERT_GT(form.UnitCount(), 20u);
  for (size_t i = 1; i < form.UnitCount(); ++i) {
    const uint32_t type = form.Unit(i).Type();
    forms::UnitObject* unit = forms::LiveUnit(form, i);
    ASSERT_NE(unit, nullptr) << "entry " << i << " type " << std::hex << type;
    const bool nonVisual = forms::TypeHasState(forms::FindUnitType(type), 0x8000);
    EXPECT_EQ(IsWindowVisible(unit->Handle()) != FALSE, !nonVisual) << "entry " << i;
  }

  // The source's values arrive through the type blocks: a clamped alignment, a password
  // box, a unit inside its group box.
  HWND right = UnitHandle(kSheet, kRightButton);
  EXPECT_EQ(GetWindowLongA(right, GWL_STYLE) & BS_CENTER, static_cast<LONG>(BS_RIGHT));
  EXPECT_EQ(SendMessageA(UnitHandle(kSheet, kPasswordBox), EM_GETPASSWORDCHAR, 0, 0), '*');
  EXPECT_EQ(GetParent(UnitHandle(kSheet, kInsideEdit)), UnitHandle(kSheet, kGroupBox));

  g_clicks = g_presses = 0;
  ASSERT_TRUE(pt::ClickInWindow(UnitHandle(kSheet, 0x16000401), {10, 10}));
  ASSERT_TRUE(pt::ClickInWindow(UnitHandle(kSheet, kTransOverLabel), {190, 30}));
  Pump();
  EXPECT_EQ(g_clicks, 1);
  EXPECT_EQ(g_presses, 1);

  if (const char* path = std::getenv("VELMORA_UNIT_SHEET")) {
    EXPECT_TRUE(pt::WritePng(pt::CaptureWindow(WindowHandle(kSheet)), path));
  }
}

}  // namespace
}  // namespace formtest::sheet
