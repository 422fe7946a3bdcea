// Drawing pictures onto a DC: transparent drawing against opaque drawing, and background
// pictures with their three layouts and the region left for the background colour.
#include <gtest/gtest.h>

#include <memory>

#include "pictures/DecodedPicture.h"
#include "pictures/display/PictureDrawing.h"
#include "tests/pictures/display/DisplayTestSupport.h"

namespace {

using display_testing::Bmp;
using display_testing::Pattern;

using Picture = std::unique_ptr<pic::DecodedPicture, void (*)(pic::DecodedPicture*)>;

Picture Decode(const std::vector<uint8_t>& bytes) {
  return Picture(pic::DecodePicture(bytes.data(), bytes.size()), pic::ReleasePicture);
}

// A memory DC over a 32-bit canvas filled with a pattern of its own, read back pixel by pixel.
class Canvas {
 public:
  Canvas(int width, int height) : width_(width), height_(height) {
    dc_ = CreateCompatibleDC(nullptr);
    bitmap_ = CreateCompatibleBitmap(nullptr, width, height);
    old_ = SelectObject(dc_, bitmap_);
    for (int y = 0; y < height; ++y)
      for (int x = 0; x < width; ++x) SetPixelV(dc_, x, y, Under(x, y));
  }
  ~Canvas() {
    SelectObject(dc_, old_);
    DeleteObject(bitmap_);
    DeleteDC(dc_);
  }
  static COLORREF Under(int x, int y) { return RGB(200, (x * 3) & 0xFF, (y * 7) & 0xFF); }
  HDC Dc() const { return dc_; }
  COLORREF At(int x, int y) const { return GetPixel(dc_, x, y); }
  int Width() const { return width_; }
  int Height() const { return height_; }

 private:
  int width_, height_;
  HDC dc_;
  HBITMAP bitmap_;
  HGDIOBJ old_;
};

int CountDifferences(const Canvas& a, const Canvas& b) {
  int n = 0;
  for (int y = 0; y < a.Height(); ++y)
    for (int x = 0; x < a.Width(); ++x) n += a.At(x, y) != b.At(x, y);
  return n;
}

TEST(TransparentDrawing, AbsentKeyDrawsLikeOpaqueDrawing) {
  auto picture = Decode(Bmp(41, 23, [](int x, int y) { return Pattern(x, y); }));
  ASSERT_TRUE(picture);
  const COLORREF absent = RGB(1, 2, 3);
  struct Size {
    int width, height;
  };
  // Natural size, a halftone enlargement and a shrink.
  for (Size s : {Size{-1, -1}, Size{100, 57}, Size{17, 9}}) {
    SCOPED_TRACE(testing::Message() << s.width << "x" << s.height);
    Canvas opaque(120, 70), transparent(120, 70);
    ASSERT_TRUE(pic::DrawPicture(picture.get(), opaque.Dc(), 5, 6, s.width, s.height));
    ASSERT_TRUE(pic::DrawPictureTransparent(picture.get(), transparent.Dc(), 5, 6, s.width,
                                            s.height, absent));
    EXPECT_EQ(CountDifferences(opaque, transparent), 0);
    // And both did draw.
    EXPECT_GT(CountDifferences(opaque, Canvas(120, 70)), s.width == -1 ? 41 * 23 / 2 : 17 * 9 / 2);
  }
}

TEST(TransparentDrawing, KeyPixelsLeaveTheTargetAlone) {
  const COLORREF key = RGB(255, 0, 255);
  auto isKey = [](int x, int y) { return (x + 2 * y) % 5 == 0; };
  auto picture =
      Decode(Bmp(30, 20, [&](int x, int y) { return isKey(x, y) ? key : Pattern(x, y); }));
  ASSERT_TRUE(picture);
  Canvas canvas(50, 40);
  ASSERT_TRUE(pic::DrawPictureTransparent(picture.get(), canvas.Dc(), 7, 9, -1, -1, key));
  int wrong = 0;
  for (int y = 0; y < 40; ++y) {
    for (int x = 0; x < 50; ++x) {
      const int px = x - 7, py = y - 9;
      const bool inside = px >= 0 && px < 30 && py >= 0 && py < 20;
      const COLORREF want = inside && !isKey(px, py) ? Pattern(px, py) : Canvas::Under(x, y);
      wrong += canvas.At(x, y) != want;
    }
  }
  EXPECT_EQ(wrong, 0);
}

// Pixels the picture did not reach still show what was under them.
bool Untouched(const Canvas& c, int x, int y) {
  return c.At(x, y) == Canvas::Under(x, y);
}

TEST(BackgroundPicture, LayoutsAndTheRegionLeftToFill) {
  auto picture = Decode(Bmp(20, 10, [](int x, int y) { return Pattern(x, y); }));
  ASSERT_TRUE(picture);
  const RECT area{4, 6, 84, 56};  // 80 x 50
  struct Case {
    int mode;
    POINT pictureAt;     // where picture pixel (0, 0) lands
    POINT outside;       // a point of the area the picture leaves alone
    bool regionReduced;  // whether the drawn part left the region
  };
  const Case cases[] = {
      {0, {4, 6}, {30, 20}, true},
      {2, {34, 26}, {10, 10}, true},  // centred: (80 - 20) / 2, (50 - 10) / 2
      {1, {64, 46}, {0, 0}, false},   // the last whole tile of the area
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.mode);
    Canvas canvas(100, 70);
    HRGN region = CreateRectRgnIndirect(&area);
    pic::DrawBackgroundPicture(c.mode, canvas.Dc(), picture.get(), area, area, region);
    EXPECT_EQ(canvas.At(c.pictureAt.x, c.pictureAt.y), Pattern(0, 0));
    EXPECT_EQ(canvas.At(c.pictureAt.x + 19, c.pictureAt.y + 9), Pattern(19, 9));
    EXPECT_TRUE(Untouched(canvas, c.outside.x, c.outside.y));
    EXPECT_EQ(PtInRegion(region, c.pictureAt.x, c.pictureAt.y) == FALSE, c.regionReduced);
    EXPECT_EQ(PtInRegion(region, c.pictureAt.x + 19, c.pictureAt.y + 9) == FALSE, c.regionReduced);
    if (c.regionReduced) {
      // Only the picture's rectangle left the region.
      EXPECT_TRUE(PtInRegion(region, c.pictureAt.x + 20, c.pictureAt.y));
      EXPECT_TRUE(PtInRegion(region, c.pictureAt.x, c.pictureAt.y + 10));
      EXPECT_TRUE(PtInRegion(region, c.pictureAt.x - 1, c.pictureAt.y - 1) ||
                  c.pictureAt.x == area.left);
    }
    DeleteObject(region);
  }
}

TEST(BackgroundPicture, TilesOutsideTheUpdateAreaAndUnknownModesDrawNothing) {
  auto picture = Decode(Bmp(20, 10, [](int x, int y) { return Pattern(x, y); }));
  ASSERT_TRUE(picture);
  const RECT area{0, 0, 100, 60};
  Canvas tiled(100, 60);
  // The update area meets the tiles of column 1 and rows 2 and 3 only.
  const RECT update{25, 22, 38, 31};
  pic::DrawBackgroundPicture(1, tiled.Dc(), picture.get(), area, update, nullptr);
  for (int row = 0; row < 6; ++row) {
    for (int column = 0; column < 5; ++column) {
      const bool drawn = column == 1 && (row == 2 || row == 3);
      SCOPED_TRACE(testing::Message() << "tile " << column << "," << row);
      // A corner of every tile: picture pixel (1, 1) differs from what lay under it.
      EXPECT_EQ(tiled.At(column * 20 + 1, row * 10 + 1) == Pattern(1, 1), drawn);
    }
  }
  Canvas untouched(100, 60);
  for (int mode : {-1, 3, 7}) {
    pic::DrawBackgroundPicture(mode, untouched.Dc(), picture.get(), area, area, nullptr);
  }
  EXPECT_TRUE(Untouched(untouched, 1, 1));
  EXPECT_TRUE(Untouched(untouched, 50, 30));
}

}  // namespace
