// The picture box: where each display mode puts the picture, pixel for pixel, what a
// repaint reuses, and what an emptied box shows.
#include <gtest/gtest.h>

#include <algorithm>
#include <random>

#include "pictures/display/PictureDrawing.h"
#include "tests/pictures/display/DisplayTestSupport.h"

namespace {

using display_testing::Bmp;
using display_testing::BoxHost;
using display_testing::Pattern;
using platform::testing::Image;

constexpr COLORREF kBack = RGB(12, 200, 34);

// Checks that the box shows the picture's pixel (x - left) / scale, (y - top) / scale inside
// the rectangle and the back colour everywhere else.
void ExpectShown(const Image& shot, const RECT& at, int scale, int block) {
  ASSERT_FALSE(shot.empty());
  int wrong = 0;
  for (int y = 0; y < shot.height; ++y) {
    for (int x = 0; x < shot.width; ++x) {
      const bool inside = x >= at.left && x < at.right && y >= at.top && y < at.bottom;
      const COLORREF want =
          inside ? Pattern((x - at.left) * scale, (y - at.top) * scale, block) : kBack;
      if (shot.ColorAt(x, y) != want && ++wrong <= 3) {
        ADD_FAILURE() << "pixel " << x << "," << y << " is " << std::hex << shot.ColorAt(x, y)
                      << " instead of " << want;
      }
    }
  }
  EXPECT_EQ(wrong, 0);
}

struct ModeCase {
  const char* name;
  int mode, pictureWidth, pictureHeight, boxWidth, boxHeight;
  RECT expected;  // where the picture lands, worked out by hand
  int scale;      // picture pixels per box pixel
};

TEST(PictureBox, EachModePlacesThePictureExactly) {
  const ModeCase cases[] = {
      {"centred small picture", 2, 100, 50, 400, 400, {150, 175, 250, 225}, 1},
      {"centred wide picture", 2, 800, 400, 400, 400, {0, 100, 400, 300}, 2},
      {"centred tall picture", 2, 60, 240, 90, 120, {30, 0, 60, 120}, 2},
      {"centred, wider than the box only", 2, 120, 20, 60, 100, {0, 45, 60, 55}, 2},
      {"top-left at natural size", 0, 30, 20, 90, 50, {0, 0, 30, 20}, 1},
      {"top-left, cut by the box", 0, 300, 200, 90, 50, {0, 0, 90, 50}, 1},
      {"stretched to the box", 1, 180, 100, 90, 50, {0, 0, 90, 50}, 2},
  };
  for (const ModeCase& c : cases) {
    SCOPED_TRACE(c.name);
    BoxHost host(c.boxWidth, c.boxHeight);
    host.Box().SetBackColor(kBack);
    host.Box().SetDisplayMode(c.mode);
    // Blocks of the shrink factor: a halftone shrink then averages equal pixels only.
    auto bytes =
        Bmp(c.pictureWidth, c.pictureHeight, [&](int x, int y) { return Pattern(x, y, c.scale); });
    ASSERT_TRUE(pic::SetPictureBoxData(host.Box(), bytes.data(), bytes.size()));
    ExpectShown(host.Capture(), c.expected, c.scale, c.scale);
  }
}

TEST(PictureBox, FittingKeepsTheShapeAndFillsOneSideWhateverTheSizes) {
  // Against the rule stated another way: the fitted picture is as large as fits, touches two
  // opposite sides when it was shrunk, and is centred to within a pixel either way.
  for (int pw : {7, 50, 333, 1000}) {
    for (int ph : {3, 20, 480}) {
      for (int cw : {29, 100, 641}) {
        for (int ch : {1, 31, 400}) {
          const RECT r = pic::FitCentred(pw, ph, cw, ch);
          const int w = r.right - r.left, h = r.bottom - r.top;
          SCOPED_TRACE(testing::Message() << pw << "x" << ph << " in " << cw << "x" << ch);
          ASSERT_GE(r.left, 0);
          ASSERT_GE(r.top, 0);
          ASSERT_LE(r.right, cw);
          ASSERT_LE(r.bottom, ch);
          if (pw <= cw && ph <= ch) {
            EXPECT_EQ(w, pw);
            EXPECT_EQ(h, ph);
          } else {
            EXPECT_TRUE(w == cw || h == ch);
            // Shape kept: w / h lies within one pixel of pw / ph.
            EXPECT_LE(std::abs(int64_t{w} * ph - int64_t{h} * pw), std::max(pw, ph));
          }
          // Two halvings in whole numbers may each drop half a pixel.
          EXPECT_LE(std::abs((cw - w) - 2 * r.left), 2);
          EXPECT_LE(std::abs((ch - h) - 2 * r.top), 2);
        }
      }
    }
  }
}

TEST(PictureBox, FitModeResizesTheBoxToThePicture) {
  BoxHost host(90, 50);
  host.Box().SetBackColor(kBack);
  host.Box().SetDisplayMode(pic::kModeFitBox);
  auto bytes = Bmp(123, 77, [](int x, int y) { return Pattern(x, y); });
  ASSERT_TRUE(pic::SetPictureBoxData(host.Box(), bytes.data(), bytes.size()));
  RECT client{};
  GetClientRect(host.Child(), &client);
  EXPECT_EQ(client.right, 123);
  EXPECT_EQ(client.bottom, 77);
  ExpectShown(host.Capture(), {0, 0, 123, 77}, 1, 1);
}

TEST(PictureBox, RepaintReusesTheStretchedPictureUntilTheSizeChanges) {
  BoxHost host(200, 100);
  host.Box().SetBackColor(kBack);
  host.Box().SetDisplayMode(pic::kModeStretch);
  auto bytes = Bmp(400, 200, [](int x, int y) { return Pattern(x, y, 4); });
  ASSERT_TRUE(pic::SetPictureBoxData(host.Box(), bytes.data(), bytes.size()));
  ExpectShown(host.Capture(), {0, 0, 200, 100}, 2, 4);
  for (int i = 0; i < 3; ++i) {
    RedrawWindow(host.Child(), nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW);
  }
  ExpectShown(host.Capture(), {0, 0, 200, 100}, 2, 4);
  EXPECT_EQ(host.Box().Decodes(), 1);
  EXPECT_EQ(host.Box().Stretches(), 1);

  SetWindowPos(host.Child(), nullptr, 0, 0, 100, 50, SWP_NOMOVE | SWP_NOZORDER);
  ExpectShown(host.Capture(), {0, 0, 100, 50}, 4, 4);
  EXPECT_EQ(host.Box().Decodes(), 1);
  EXPECT_EQ(host.Box().Stretches(), 2);
}

// A photo whose rows form a DIB as they stand is stretched straight from its decoded rows,
// any other from its device bitmap; either way the box shows exactly what a HALFTONE
// StretchBlt of the picture's device bitmap gives.
TEST(PictureBox, StretchedPictureEqualsAStretchOfItsDeviceBitmap) {
  const int sizes[][4] = {{400, 300, 110, 52},
                          {401, 299, 110, 52},
                          {64, 40, 150, 90},
                          {1000, 12, 37, 5},
                          {30, 200, 29, 7}};
  std::mt19937 random(19);
  for (const auto& s : sizes) {
    SCOPED_TRACE(testing::Message() << s[0] << "x" << s[1] << " in " << s[2] << "x" << s[3]);
    auto bytes = Bmp(s[0], s[1], [&](int, int) { return random() & 0xFFFFFF; });
    BoxHost host(s[2], s[3]);
    host.Box().SetDisplayMode(pic::kModeStretch);
    ASSERT_TRUE(pic::SetPictureBoxData(host.Box(), bytes.data(), bytes.size()));
    const Image shot = host.Capture();

    HBITMAP picture = pic::PictureToBitmap(bytes.data(), bytes.size());
    HBITMAP stretched = CreateCompatibleBitmap(nullptr, s[2], s[3]);
    HDC from = CreateCompatibleDC(nullptr), to = CreateCompatibleDC(nullptr);
    HGDIOBJ oldFrom = SelectObject(from, picture), oldTo = SelectObject(to, stretched);
    SetStretchBltMode(to, HALFTONE);
    ASSERT_TRUE(StretchBlt(to, 0, 0, s[2], s[3], from, 0, 0, s[0], s[1], SRCCOPY));
    int wrong = 0;
    for (int y = 0; y < s[3]; ++y)
      for (int x = 0; x < s[2]; ++x) wrong += shot.ColorAt(x, y) != GetPixel(to, x, y);
    EXPECT_EQ(wrong, 0);
    SelectObject(from, oldFrom);
    SelectObject(to, oldTo);
    DeleteDC(from);
    DeleteDC(to);
    DeleteObject(picture);
    DeleteObject(stretched);
  }
}

TEST(PictureBox, EmptyDataLeavesOnlyTheBackColour) {
  BoxHost host(60, 40);
  host.Box().SetBackColor(kBack);
  auto bytes = Bmp(30, 20, [](int x, int y) { return Pattern(x, y); });
  ASSERT_TRUE(pic::SetPictureBoxData(host.Box(), bytes.data(), bytes.size()));
  ExpectShown(host.Capture(), {0, 0, 30, 20}, 1, 1);
  EXPECT_FALSE(pic::SetPictureBoxData(host.Box(), nullptr, 0));
  EXPECT_EQ(host.Box().Picture(), nullptr);
  ExpectShown(host.Capture(), {0, 0, 0, 0}, 1, 1);
  // Bytes that are no picture leave the box empty too.
  const uint8_t junk[] = {1, 2, 3, 4, 5, 6, 7, 8};
  EXPECT_FALSE(pic::SetPictureBoxData(host.Box(), junk, sizeof(junk)));
  ExpectShown(host.Capture(), {0, 0, 0, 0}, 1, 1);
}

}  // namespace
