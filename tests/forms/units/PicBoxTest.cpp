// The picture box unit through the engine: created from its type block, its properties
// through the property services, and the window's back picture laid out by its mode.
#include <gtest/gtest.h>

#include <cstring>

#include "forms/FormsEngine.h"
#include "forms/data/FormData.h"
#include "forms/properties/UnitProperties.h"
#include "forms/units/UnitTypes.h"
#include "forms/units/picbox/PicBoxUnit.h"
#include "forms/units/window/WindowUnit.h"
#include "forms/windows/WindowList.h"
#include "platform/testing/InputAutomation.h"
#include "platform/testing/MessageLoop.h"
#include "runtime/memory/RuntimeHeap.h"
#include "runtime/values/ValueBlocks.h"
#include "tests/forms/units/UnitsTestSupport.h"
#include "tests/pictures/display/DisplayTestSupport.h"

namespace formtest {
namespace {

using display_testing::Bmp;
using forms::TypeBlock;

constexpr UnitId Box = UnitIdOf(2);
constexpr COLORREF kBack = RGB(30, 60, 90);
constexpr COLORREF kWindowBack = RGB(200, 190, 180);

// A 20 x 10 picture: red on the left half, blue on the right.
COLORREF Halves(int x, int) {
  return x < 10 ? RGB(255, 0, 0) : RGB(0, 0, 255);
}

class PicBoxUnitTest : public UnitsTest {
 protected:
  // A picture box of 100 x 60 at (10, 10) with the given block.
  void LoadBox(const TypeBlock& block, const std::function<void(TestForm&)>& setup = {}) {
    LoadForm([&](TestForm& form) {
      form.WindowProperties().SetWord(forms::kWindowBackColor, kWindowBack);
      AddTypedUnit(form, 2, block, {10, 10, 110, 70});
      if (setup) setup(form);
    });
    box_ = Unit(2);
    ASSERT_NE(box_, nullptr);
  }
  static TypeBlock Block(uint32_t mode, const std::vector<uint8_t>& picture) {
    TypeBlock b = DefaultBlock(forms::kTypePicBox);
    b.SetWord(forms::kPicBoxBackColor, kBack);
    b.SetWord(forms::kPicBoxDisplayMode, mode);
    b.SetData(forms::kPicBoxPicture, picture);
    return b;
  }
  COLORREF BoxPixel(int x, int y) {
    platform::testing::RunUntilIdle();
    return platform::testing::CaptureWindow(box_).ColorAt(x, y);
  }
  static void SetBytes(int32_t index, const std::vector<uint8_t>& bytes) {
    void* set = rt::BuildByteSet(rt::AllocMemSized, bytes.data(), bytes.size());
    const auto p = reinterpret_cast<uintptr_t>(set);
    forms::SetUnitProperty(W, Box, index, -1, static_cast<uint32_t>(p),
                           static_cast<uint32_t>(p >> 32));
    rt::FreeMem(set);
  }
  static std::vector<uint8_t> GetBytes(int32_t index) {
    void* set = reinterpret_cast<void*>(forms::GetUnitProperty(W, Box, index, -1));
    rt::ByteSetView view = rt::ViewByteSet(set);
    std::vector<uint8_t> bytes(view.data, view.data + view.size);
    rt::FreeMem(set);
    return bytes;
  }
  HWND box_ = nullptr;
};

TEST_F(PicBoxUnitTest, ShowsItsStoredPictureAndFollowsItsProperties) {
  const std::vector<uint8_t> picture = Bmp(20, 10, Halves);
  LoadBox(Block(2, picture));
  // Centred: (100 - 20) / 2, (60 - 10) / 2.
  EXPECT_EQ(BoxPixel(40, 25), RGB(255, 0, 0));
  EXPECT_EQ(BoxPixel(59, 34), RGB(0, 0, 255));
  EXPECT_EQ(BoxPixel(39, 25), kBack);
  EXPECT_EQ(BoxPixel(40, 35), kBack);
  EXPECT_EQ(GetBytes(forms::kPicBoxPicture), picture);

  forms::SetUnitProperty(W, Box, forms::kPicBoxDisplayMode, -1, 1, 0);  // stretched
  EXPECT_EQ(BoxPixel(0, 0), RGB(255, 0, 0));
  EXPECT_EQ(BoxPixel(99, 59), RGB(0, 0, 255));

  forms::SetUnitProperty(W, Box, forms::kPicBoxBackColor, -1, RGB(1, 2, 3), 0);
  SetBytes(forms::kPicBoxPicture, {});
  EXPECT_EQ(BoxPixel(0, 0), RGB(1, 2, 3));
  EXPECT_EQ(BoxPixel(50, 30), RGB(1, 2, 3));
  EXPECT_TRUE(GetBytes(forms::kPicBoxPicture).empty());

  SetBytes(forms::kPicBoxPicture, picture);
  forms::SetUnitProperty(W, Box, forms::kPicBoxDisplayMode, -1, 3, 0);  // the box fits itself
  RECT client{};
  GetClientRect(box_, &client);
  EXPECT_EQ(client.right, 20);
  EXPECT_EQ(client.bottom, 10);

  forms::SetUnitProperty(W, Box, forms::kPicBoxBorder, -1, 1, 0);
  EXPECT_NE(GetWindowLongPtrA(box_, GWL_EXSTYLE) & WS_EX_CLIENTEDGE, 0);
  EXPECT_EQ(forms::GetUnitProperty(W, Box, forms::kPicBoxBorder, -1), 1);
}

TEST_F(PicBoxUnitTest, ItsStateRoundTripsThroughItsTypeBlock) {
  LoadBox(Block(2, Bmp(20, 10, Halves)));
  forms::SetUnitProperty(W, Box, forms::kPicBoxDisplayMode, -1, 1, 0);
  forms::SetUnitProperty(W, Box, forms::kPicBoxAnimateGif, -1, 0, 0);
  auto getAll = forms::UnitOperation<forms::GetAllDataOperation>(
      forms::FindUnitType(forms::kTypePicBox), forms::kOpGetAllData);
  ASSERT_NE(getAll, nullptr);
  std::vector<uint8_t> block;
  ASSERT_TRUE(getAll(forms::UnitObject::FromHandle(box_), &block));
  TypeBlock read(*forms::FindTypeBlockLayout(forms::kTypePicBox));
  ASSERT_TRUE(TypeBlock::Read(read.Layout(), block, read));
  TypeBlock want = Block(1, Bmp(20, 10, Halves));
  want.SetWord(forms::kPicBoxAnimateGif, 0);
  EXPECT_TRUE(read == want);
}

TEST_F(PicBoxUnitTest, TheWindowBackPictureIsLaidOutByItsMode) {
  // The window's client area is found from its own capture: client (0, 0) lies at the
  // frame's offset.
  struct Case {
    uint32_t mode;
    POINT red, blue, back;  // client points
  };
  const Case cases[] = {
      {0, {0, 0}, {19, 9}, {25, 5}},
      {1, {20, 10}, {39, 19}, {-1, -1}},  // tiles everywhere
      {2, {-1, -1}, {-1, -1}, {5, 5}},    // centred in a client area the test measures
      {7, {-1, -1}, {-1, -1}, {0, 0}},    // an unknown layout shows only the colour
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.mode);
    forms::DestroyAllWindows();
    forms::LoadedForms().Clear();
    LoadBox(Block(0, {}), [&](TestForm& f) {
      f.WindowProperties().SetData(forms::kWindowBackPicture, Bmp(20, 10, Halves));
      f.WindowProperties().SetWord(forms::kWindowBackPictureMode, c.mode);
    });
    HWND window = Window();
    ShowWindow(box_, SW_HIDE);
    platform::testing::RunUntilIdle();
    const platform::testing::Image shot = platform::testing::CaptureWindow(window);
    POINT origin{0, 0};
    ClientToScreen(window, &origin);
    RECT outer{}, client{};
    GetWindowRect(window, &outer);
    GetClientRect(window, &client);
    auto at = [&](POINT p) {
      return shot.ColorAt(origin.x - outer.left + p.x, origin.y - outer.top + p.y);
    };
    POINT red = c.red, blue = c.blue;
    if (c.mode == 2) {
      red = {(client.right - 20) / 2, (client.bottom - 10) / 2};
      blue = {red.x + 19, red.y + 9};
    }
    if (red.x >= 0) {
      EXPECT_EQ(at(red), RGB(255, 0, 0));
      EXPECT_EQ(at(blue), RGB(0, 0, 255));
    }
    if (c.back.x >= 0) {
      EXPECT_EQ(at(c.back), kWindowBack);
    }
  }
}

}  // namespace
}  // namespace formtest
