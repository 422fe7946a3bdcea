// The unit sheet: one window holding every standard unit type with a few combinations of
// properties each, compiled by formc from tests/forms/units/sheet and loaded as the program
// loads its windows. When VELMORA_UNIT_SHEET names a PNG file the loaded window is written
// there, for looking at.
#include <gtest/gtest.h>

#include <cstdlib>
#include <iterator>
#include <set>

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
constexpr uint32_t kTransOverPicture = 0x16000805;

constexpr uint32_t kTypes[] = {
    forms::kTypeLabel,     forms::kTypeTransLabel, forms::kTypeButton,     forms::kTypeEditBox,
    forms::kTypePicBox,    forms::kTypeGroupBox,   forms::kTypeTimer,      forms::kTypeProcessBar,
    forms::kTypeSliderBar, forms::kTypeHScrollBar, forms::kTypeVScrollBar, forms::kTypeStatusBar,
    forms::kTypeCommonDlg,
};

class UnitSheetTest : public UnitsTest {
 protected:
  void SetUp() override {
    UnitsTest::SetUp();
    for (uint32_t type : kTypes) RegisterStandardUnitType(type);
  }
};

TEST_F(UnitSheetTest, EveryUnitLoadsLiveWithWhatItsSourceSays) {
  ASSERT_TRUE(forms::ReadFormData(kFormData, kFormDataSize, kHandlerTable, kHandlerCount));
  ASSERT_TRUE(Load(kSheet));
  Pump();
  forms::FormTemplate& form = Template(kSheet);
  std::set<uint32_t> present;
  for (size_t i = 1; i < form.UnitCount(); ++i) {
    const uint32_t type = form.Unit(i).Type();
    present.insert(type);
    forms::UnitObject* unit = forms::LiveUnit(form, i);
    ASSERT_NE(unit, nullptr) << "entry " << i << " type " << std::hex << type;
    const bool nonVisual = forms::TypeHasState(forms::FindUnitType(type), 0x8000);
    EXPECT_EQ(IsWindowVisible(unit->Handle()) != FALSE, !nonVisual) << "entry " << i;
  }

  EXPECT_EQ(present, std::set<uint32_t>(std::begin(kTypes), std::end(kTypes)));

  // The source's values arrive through the type blocks: a clamped alignment, a password
  // box, a unit inside its group box.
  HWND right = UnitHandle(kSheet, kRightButton);
  EXPECT_EQ(GetWindowLongA(right, GWL_STYLE) & BS_CENTER, static_cast<LONG>(BS_RIGHT));
  EXPECT_EQ(SendMessageA(UnitHandle(kSheet, kPasswordBox), EM_GETPASSWORDCHAR, 0, 0), '*');
  EXPECT_EQ(GetParent(UnitHandle(kSheet, kInsideEdit)), UnitHandle(kSheet, kGroupBox));

  // A transparent label on a picture box shows the picture round its caption.
  pt::Image onPicture = pt::CaptureWindow(UnitHandle(kSheet, kTransOverPicture));
  int pictureColours = 0;  // the disc's orange and blue, stretched
  for (uint32_t pixel : onPicture.pixels) {
    pixel &= 0xFFFFFF;
    pictureColours += pixel == 0xFA961E || pixel == 0x1450C8 ? 1 : 0;
  }
  EXPECT_GT(pictureColours, static_cast<int>(onPicture.pixels.size() * 3 / 4));

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
