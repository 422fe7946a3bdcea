// The button unit: its choices clamped to what it can show (read back as shown and drawn
// that way), its click event and the default-button answer that Enter relies on.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "forms/units/UnitTypes.h"
#include "forms/units/button/ButtonUnit.h"
#include "platform/testing/InputAutomation.h"
#include "platform/testing/MessageLoop.h"
#include "tests/forms/units/UnitsTestSupport.h"

namespace formtest {
namespace {

using ::testing::ElementsAre;
namespace pt = platform::testing;

constexpr uint32_t kButton = 2;
constexpr uint32_t kOther = 3;

class ButtonTest : public UnitsTest {
 protected:
  void LoadButtons(uint32_t kind = 0) {
    LoadForm([&](TestForm& form) {
      forms::TypeBlock b = DefaultBlock(forms::kTypeButton);
      b.SetText(forms::kButtonCaption, "OK");
      b.SetWord(forms::kButtonKind, kind);
      AddTypedUnit(form, kButton, b, {10, 10, 130, 50}).bindings = {{0, Offset(1)}};
      forms::TypeBlock other = DefaultBlock(forms::kTypeEditBox);
      AddTypedUnit(form, kOther, other, {10, 80, 130, 100});
    });
  }
  DWORD Style() const { return static_cast<DWORD>(GetWindowLongA(Unit(kButton), GWL_STYLE)); }

  // The columns of the button's face that hold caption pixels, inside its 4-pixel edge.
  std::pair<int, int> CaptionColumns() const {
    pt::Image image = pt::CaptureWindow(Unit(kButton));
    int first = image.width, last = -1;
    for (int y = 4; y < image.height - 4; ++y) {
      for (int x = 4; x < image.width - 4; ++x) {
        const uint32_t p = image.At(x, y);
        const int luma = ((p >> 16) & 0xFF) + ((p >> 8) & 0xFF) + (p & 0xFF);
        if (luma < 3 * 96) first = std::min(first, x), last = std::max(last, x);
      }
    }
    return {first, last};
  }
};

TEST_F(ButtonTest, AlignmentAndKindAreClampedToTheirRangeAndShowSo) {
  LoadButtons();
  const struct {
    int32_t set;
    int32_t read;
    DWORD horizontal;
    DWORD vertical;
  } kCases[] = {
      {-1, 0, BS_LEFT, BS_TOP},    {0, 0, BS_LEFT, BS_TOP},     {1, 1, BS_CENTER, BS_VCENTER},
      {2, 2, BS_RIGHT, BS_BOTTOM}, {7, 2, BS_RIGHT, BS_BOTTOM},
  };
  for (const auto& c : kCases) {
    SetWord(kButton, forms::kButtonHAlign, c.set);
    SetWord(kButton, forms::kButtonVAlign, c.set);
    EXPECT_EQ(GetWord(kButton, forms::kButtonHAlign), c.read) << c.set;
    EXPECT_EQ(GetWord(kButton, forms::kButtonVAlign), c.read) << c.set;
    EXPECT_EQ(Style() & BS_CENTER, c.horizontal) << c.set;
    EXPECT_EQ(Style() & BS_VCENTER, c.vertical) << c.set;
  }

  // What the style says is what is drawn: the caption hugs the side it is aligned to.
  const int width = 120;
  SetWord(kButton, forms::kButtonHAlign, 7);
  auto [rightFirst, rightLast] = CaptionColumns();
  EXPECT_GT(rightFirst, width / 2);
  EXPECT_GT(rightLast, width - 16);
  SetWord(kButton, forms::kButtonHAlign, -1);
  auto [leftFirst, leftLast] = CaptionColumns();
  EXPECT_LT(leftFirst, 16);
  EXPECT_LT(leftLast, width / 2);

  for (auto [set, read, defaultButton] : {std::tuple{5, 1, true}, {-3, 0, false}, {1, 1, true}}) {
    SetWord(kButton, forms::kButtonKind, set);
    EXPECT_EQ(GetWord(kButton, forms::kButtonKind), read);
    EXPECT_EQ((Style() & BS_TYPEMASK) == BS_DEFPUSHBUTTON, defaultButton) << set;
  }
}

TEST_F(ButtonTest, ClickAndEnterOnTheDefaultButtonRaiseEventZero) {
  LoadButtons(/*kind=*/1);
  ASSERT_TRUE(pt::ClickInWindow(Unit(kButton), {20, 20}));
  Pump();
  EXPECT_THAT(Lines({"handler"}), ElementsAre("handler 1 () src u2"));

  Journal().clear();
  SetFocus(Unit(kOther));
  pt::PressKey(VK_RETURN);
  Pump();
  EXPECT_THAT(Lines({"handler"}), ElementsAre("handler 1 () src u2"));

  // A normal button is no default: Enter in the edit box clicks nothing.
  Journal().clear();
  SetWord(kButton, forms::kButtonKind, 0);
  SetFocus(Unit(kOther));
  pt::PressKey(VK_RETURN);
  Pump();
  EXPECT_TRUE(Lines({"handler"}).empty());
}

TEST_F(ButtonTest, CaptionShowsAndTheWholeBlockHoldsTheCurrentValues) {
  LoadButtons();
  SetText(kButton, forms::kButtonCaption, "Save as");
  SetWord(kButton, forms::kButtonHAlign, 2);
  char text[32] = {};
  GetWindowTextA(Unit(kButton), text, sizeof text);
  EXPECT_STREQ(text, "Save as");
  // Operation 5 hands back what the unit holds now, as re-creation needs it.
  std::vector<uint8_t> block;
  auto getAll = forms::UnitOperation<forms::GetAllDataOperation>(
      forms::FindUnitType(forms::kTypeButton), forms::kOpGetAllData);
  ASSERT_TRUE(getAll(Object(kButton), &block));
  forms::TypeBlock read = DefaultBlock(forms::kTypeButton);
  ASSERT_TRUE(forms::TypeBlock::Read(read.Layout(), block, read));
  EXPECT_EQ(read.Text(forms::kButtonCaption), "Save as");
  EXPECT_EQ(read.Word(forms::kButtonHAlign), 2u);
}

}  // namespace
}  // namespace formtest
