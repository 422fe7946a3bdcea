#include <gtest/gtest.h>
#include <png.h>

#include <cstring>
#include <string>
#include <vector>

#include "platform/wingdi.h"
#include "tests/platform/gdi/GdiTestCanvas.h"
#include "tests/platform/gdi/IcoFile.h"

using gdi_test::Canvas;
using gdi_test::IcoEntry;

namespace {

constexpr COLORREF kBackground = RGB(10, 100, 200);
constexpr DWORD kVersion = 0x00030000;

// Icon image data as resources hold it: header, colour table, XOR rows, AND rows, all
// bottom-up; `pixels` are palette indices for <= 8 bits and 0xAARRGGBB otherwise.
std::vector<BYTE> IconImage(int width, int height, int bpp, const std::vector<RGBQUAD>& palette,
                            const std::vector<uint32_t>& pixels, const std::vector<int>& mask) {
  BITMAPINFOHEADER h{};
  h.biSize = sizeof h;
  h.biWidth = width;
  h.biHeight = height * 2;
  h.biPlanes = 1;
  h.biBitCount = static_cast<WORD>(bpp);
  std::vector<BYTE> out(sizeof h);
  std::memcpy(out.data(), &h, sizeof h);
  for (const RGBQUAD& q : palette) out.insert(out.end(), {q.rgbBlue, q.rgbGreen, q.rgbRed, 0});
  const int stride = ((width * bpp + 31) / 32) * 4, maskStride = ((width + 31) / 32) * 4;
  for (int y = height - 1; y >= 0; --y) {
    std::vector<BYTE> row(stride);
    for (int x = 0; x < width; ++x) {
      uint32_t p = pixels[y * width + x];
      switch (bpp) {
        case 1:
          row[x / 8] |= static_cast<BYTE>(p << (7 - x % 8));
          break;
        case 4:
          row[x / 2] |= static_cast<BYTE>(p << (x % 2 ? 0 : 4));
          break;
        case 8:
          row[x] = static_cast<BYTE>(p);
          break;
        case 24:
          row[x * 3] = p & 0xFF, row[x * 3 + 1] = (p >> 8) & 0xFF,
                  row[x * 3 + 2] = (p >> 16) & 0xFF;
          break;
        default:
          std::memcpy(&row[x * 4], &p, 4);
          break;
      }
    }
    out.insert(out.end(), row.begin(), row.end());
  }
  for (int y = height - 1; y >= 0; --y) {
    std::vector<BYTE> row(maskStride);
    for (int x = 0; x < width; ++x)
      row[x / 8] |= static_cast<BYTE>((mask[y * width + x] & 1) << (7 - x % 8));
    out.insert(out.end(), row.begin(), row.end());
  }
  return out;
}

std::vector<BYTE> WithHotspot(std::vector<BYTE> image, WORD x, WORD y) {
  const BYTE hotspot[4] = {static_cast<BYTE>(x), static_cast<BYTE>(x >> 8), static_cast<BYTE>(y),
                           static_cast<BYTE>(y >> 8)};
  image.insert(image.begin(), hotspot, hotspot + 4);
  return image;
}

HICON FromImage(const std::vector<BYTE>& data, BOOL icon = TRUE, int cx = 0, int cy = 0,
                UINT flags = 0) {
  return CreateIconFromResourceEx(data.data(), static_cast<DWORD>(data.size()), icon, kVersion, cx,
                                  cy, flags);
}

COLORREF Invert(COLORREF c) {
  return ~c & 0xFFFFFF;
}

// A PNG of straight-alpha pixels (0xAARRGGBB, top row first), written by libpng.
std::vector<BYTE> PngImage(int width, int height, const std::vector<uint32_t>& pixels) {
  png_image image{};
  image.version = PNG_IMAGE_VERSION;
  image.width = static_cast<png_uint_32>(width);
  image.height = static_cast<png_uint_32>(height);
  image.format = PNG_FORMAT_BGRA;
  png_alloc_size_t size = 0;
  if (!png_image_write_to_memory(&image, nullptr, &size, 0, pixels.data(), 0, nullptr)) return {};
  std::vector<BYTE> out(size);
  if (!png_image_write_to_memory(&image, out.data(), &size, 0, pixels.data(), 0, nullptr))
    return {};
  out.resize(size);
  return out;
}

// What a straight-alpha pixel drawn over `background` must give, to rounding.
COLORREF Over(uint32_t argb, COLORREF background) {
  const uint32_t a = argb >> 24;
  auto mix = [&](uint32_t s, uint32_t d) {
    return static_cast<BYTE>((s * a + d * (255 - a) + 127) / 255);
  };
  return RGB(mix((argb >> 16) & 0xFF, GetRValue(background)),
             mix((argb >> 8) & 0xFF, GetGValue(background)),
             mix(argb & 0xFF, GetBValue(background)));
}

void ExpectNear(COLORREF got, COLORREF want, const std::string& what) {
  EXPECT_NEAR(GetRValue(got), GetRValue(want), 1) << what;
  EXPECT_NEAR(GetGValue(got), GetGValue(want), 1) << what;
  EXPECT_NEAR(GetBValue(got), GetBValue(want), 1) << what;
}

// The four mask/image combinations side by side: black and white image pixels, opaque
// (mask 0) and transparent (mask 1).
const std::vector<int> kMask4 = {0, 0, 1, 1};

TEST(IconTest, MonochromeIconCombinesMaskAndImage) {
  const std::vector<RGBQUAD> palette = {{0, 0, 0, 0}, {255, 255, 255, 0}};
  HICON icon = FromImage(IconImage(4, 1, 1, palette, {0, 1, 0, 1}, kMask4));
  ASSERT_NE(icon, nullptr);
  Canvas canvas(8, 4, kBackground);
  ASSERT_TRUE(DrawIconEx(canvas.dc(), 2, 1, icon, 0, 0, 0, nullptr, DI_NORMAL));
  EXPECT_EQ(canvas.At(2, 1), RGB(0, 0, 0));
  EXPECT_EQ(canvas.At(3, 1), RGB(255, 255, 255));
  EXPECT_EQ(canvas.At(4, 1), kBackground);          // transparent
  EXPECT_EQ(canvas.At(5, 1), Invert(kBackground));  // inverted
  EXPECT_EQ(canvas.At(6, 1), kBackground);
  EXPECT_EQ(canvas.At(2, 2), kBackground);

  canvas.Fill(kBackground);
  DrawIconEx(canvas.dc(), 0, 0, icon, 0, 0, 0, nullptr, DI_MASK);
  EXPECT_EQ(canvas.At(0, 0), RGB(0, 0, 0));
  EXPECT_EQ(canvas.At(1, 0), RGB(0, 0, 0));
  EXPECT_EQ(canvas.At(2, 0), kBackground);
  EXPECT_EQ(canvas.At(3, 0), kBackground);
  canvas.Fill(kBackground);
  DrawIconEx(canvas.dc(), 0, 0, icon, 0, 0, 0, nullptr, DI_IMAGE);
  EXPECT_EQ(canvas.At(2, 0), RGB(0, 0, 0));
  EXPECT_EQ(canvas.At(3, 0), RGB(255, 255, 255));

  // On a monochrome bitmap the same rules hold bit by bit.
  Canvas mono(8, 2, RGB(255, 255, 255), 1);
  DrawIconEx(mono.dc(), 0, 0, icon, 0, 0, 0, nullptr, DI_NORMAL);
  EXPECT_EQ(mono.At(0, 0), RGB(0, 0, 0));
  EXPECT_EQ(mono.At(1, 0), RGB(255, 255, 255));
  EXPECT_EQ(mono.At(2, 0), RGB(255, 255, 255));
  EXPECT_EQ(mono.At(3, 0), RGB(0, 0, 0));
  EXPECT_TRUE(DestroyIcon(icon));
}

TEST(IconTest, TrueColourIconXorsWhereTheMaskIsSet) {
  const uint32_t red = 0xFF0000, green = 0x00FF00;
  HICON icon = FromImage(IconImage(4, 1, 24, {}, {red, green, 0, red}, kMask4));
  ASSERT_NE(icon, nullptr);
  Canvas canvas(4, 1, kBackground);
  DrawIconEx(canvas.dc(), 0, 0, icon, 0, 0, 0, nullptr, DI_NORMAL);
  EXPECT_EQ(canvas.At(0, 0), RGB(255, 0, 0));
  EXPECT_EQ(canvas.At(1, 0), RGB(0, 255, 0));
  EXPECT_EQ(canvas.At(2, 0), kBackground);
  EXPECT_EQ(canvas.At(3, 0), kBackground ^ RGB(255, 0, 0));
  DestroyIcon(icon);
}

TEST(IconTest, PaletteDepthsDecode) {
  std::vector<RGBQUAD> palette(16);
  for (int i = 0; i < 16; ++i)
    palette[i] = {static_cast<BYTE>(i * 16), static_cast<BYTE>(i * 8), static_cast<BYTE>(i), 0};
  for (int bpp : {4, 8}) {
    std::vector<RGBQUAD> table = palette;
    if (bpp == 8) table.resize(256, RGBQUAD{1, 2, 3, 0});
    HICON icon = FromImage(IconImage(3, 2, bpp, table, {1, 5, 15, 0, 7, 9}, {0, 0, 0, 0, 0, 0}));
    ASSERT_NE(icon, nullptr) << bpp;
    Canvas canvas(3, 2, kBackground);
    DrawIconEx(canvas.dc(), 0, 0, icon, 0, 0, 0, nullptr, DI_NORMAL);
    EXPECT_EQ(canvas.At(0, 0), RGB(1, 8, 16));
    EXPECT_EQ(canvas.At(2, 0), RGB(15, 120, 240));
    EXPECT_EQ(canvas.At(1, 1), RGB(7, 56, 112));
    DestroyIcon(icon);
  }
}

TEST(IconTest, AlphaChannelBlendsAndOverridesTheMask) {
  // Opaque red, half blue, transparent green; the AND mask says "opaque" everywhere.
  HICON icon = FromImage(IconImage(3, 1, 32, {}, {0xFFFF0000, 0x800000FF, 0x0000FF00}, {0, 0, 0}));
  ASSERT_NE(icon, nullptr);
  Canvas canvas(3, 1, RGB(255, 255, 255));
  DrawIconEx(canvas.dc(), 0, 0, icon, 0, 0, 0, nullptr, DI_NORMAL);
  EXPECT_EQ(canvas.At(0, 0), RGB(255, 0, 0));
  COLORREF half = canvas.At(1, 0);
  EXPECT_NEAR(GetRValue(half), 127, 1);
  EXPECT_NEAR(GetGValue(half), 127, 1);
  EXPECT_EQ(GetBValue(half), 255);
  EXPECT_EQ(canvas.At(2, 0), RGB(255, 255, 255));
  DestroyIcon(icon);

  // All alpha bytes zero: an old-style icon whose mask decides.
  icon = FromImage(IconImage(2, 1, 32, {}, {0x00FF0000, 0x0000FF00}, {0, 1}));
  ASSERT_NE(icon, nullptr);
  canvas.Fill(kBackground);
  DrawIconEx(canvas.dc(), 0, 0, icon, 0, 0, 0, nullptr, DI_NORMAL);
  EXPECT_EQ(canvas.At(0, 0), RGB(255, 0, 0));
  EXPECT_EQ(canvas.At(1, 0), kBackground ^ RGB(0, 255, 0));
  DestroyIcon(icon);
}

TEST(IconTest, SizesAndScaling) {
  const std::vector<RGBQUAD> palette = {{0, 0, 0, 0}, {255, 255, 255, 0}};
  // 2x2 checker: black, white / white, black.
  const std::vector<BYTE> data = IconImage(2, 2, 1, palette, {0, 1, 1, 0}, {0, 0, 0, 0});
  HICON own = FromImage(data);
  HICON system = FromImage(data, TRUE, 0, 0, LR_DEFAULTSIZE);
  HICON wide = FromImage(data, TRUE, 4, 2);
  ASSERT_TRUE(own && system && wide);
  auto size = [&](HICON icon) {
    ICONINFO i{};
    EXPECT_TRUE(GetIconInfo(icon, &i));
    BITMAP bm{};
    GetObjectA(i.hbmColor, sizeof bm, &bm);
    DeleteObject(i.hbmColor);
    DeleteObject(i.hbmMask);
    return std::make_pair(bm.bmWidth, bm.bmHeight);
  };
  EXPECT_EQ(size(own), std::make_pair(2, 2));
  EXPECT_EQ(size(system), std::make_pair(32, 32));
  EXPECT_EQ(size(wide), std::make_pair(4, 2));

  Canvas canvas(8, 8, kBackground);
  // Drawn at 4x4: each source pixel becomes a 2x2 block.
  DrawIconEx(canvas.dc(), 0, 0, own, 4, 4, 0, nullptr, DI_NORMAL);
  EXPECT_EQ(canvas.At(1, 1), RGB(0, 0, 0));
  EXPECT_EQ(canvas.At(2, 1), RGB(255, 255, 255));
  EXPECT_EQ(canvas.At(3, 3), RGB(0, 0, 0));
  EXPECT_EQ(canvas.At(4, 4), kBackground);
  // DrawIcon draws at the system size.
  canvas.Fill(kBackground);
  Canvas big(40, 40, kBackground);
  EXPECT_TRUE(DrawIcon(big.dc(), 0, 0, own));
  EXPECT_EQ(big.At(31, 31), RGB(0, 0, 0));
  EXPECT_EQ(big.At(32, 32), kBackground);
  for (HICON i : {own, system, wide}) DestroyIcon(i);
}

TEST(IconTest, CursorsKeepTheirHotspot) {
  const std::vector<RGBQUAD> palette = {{0, 0, 0, 0}, {255, 255, 255, 0}};
  std::vector<BYTE> image =
      IconImage(8, 8, 1, palette, std::vector<uint32_t>(64, 0), std::vector<int>(64, 0));
  std::vector<BYTE> data = WithHotspot(image, 3, 5);
  HICON cursor = FromImage(data, FALSE);
  ASSERT_NE(cursor, nullptr);
  ICONINFO info{};
  ASSERT_TRUE(GetIconInfo(cursor, &info));
  EXPECT_FALSE(info.fIcon);
  EXPECT_EQ(info.xHotspot, 3u);
  EXPECT_EQ(info.yHotspot, 5u);
  DeleteObject(info.hbmColor);
  DeleteObject(info.hbmMask);
  // Scaled cursors scale their hotspot.
  HICON doubled = FromImage(data, FALSE, 16, 16);
  ASSERT_TRUE(GetIconInfo(doubled, &info));
  EXPECT_EQ(info.xHotspot, 6u);
  EXPECT_EQ(info.yHotspot, 10u);
  DeleteObject(info.hbmColor);
  DeleteObject(info.hbmMask);
  // An icon's hotspot is its centre.
  HICON icon = FromImage(image, TRUE);
  ASSERT_TRUE(GetIconInfo(icon, &info));
  EXPECT_TRUE(info.fIcon);
  EXPECT_EQ(info.xHotspot, 4u);
  DeleteObject(info.hbmColor);
  DeleteObject(info.hbmMask);
  EXPECT_TRUE(DestroyCursor(cursor));
  DestroyCursor(doubled);
  DestroyIcon(icon);
}

TEST(IconTest, DamagedDataIsRefused) {
  const std::vector<BYTE> good =
      IconImage(5, 3, 24, {}, std::vector<uint32_t>(15, 0x123456), std::vector<int>(15, 0));
  ASSERT_NE(FromImage(good), nullptr);
  for (size_t size = 0; size < good.size(); ++size) {
    std::vector<BYTE> cut(good.begin(), good.begin() + static_cast<ptrdiff_t>(size));
    EXPECT_EQ(
        CreateIconFromResourceEx(cut.data(), static_cast<DWORD>(size), TRUE, kVersion, 0, 0, 0),
        nullptr)
        << size;
  }
  EXPECT_EQ(FromImage(WithHotspot({}, 0, 0), FALSE), nullptr);
  auto patched = [&](size_t offset, int32_t value) {
    std::vector<BYTE> bad = good;
    std::memcpy(bad.data() + offset, &value, 4);
    return FromImage(bad);
  };
  EXPECT_EQ(patched(4, 65535), nullptr);   // width far beyond the data
  EXPECT_EQ(patched(8, 131070), nullptr);  // height likewise
  EXPECT_EQ(patched(8, -6), nullptr);      // top-down icon images do not exist
  EXPECT_EQ(patched(4, 0), nullptr);
  EXPECT_EQ(patched(0, 100000), nullptr);       // header size beyond the data
  EXPECT_EQ(patched(16, BI_RLE8), nullptr);     // compression
  EXPECT_EQ(patched(32, 0x7FFFFFFF), nullptr);  // colours used
  const BYTE png[] = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n', 0, 0, 0, 13, 'I', 'H', 'D', 'R',
                      0,    0,   0,   32,  0,    0,    0,    32,   8, 6, 0, 0,  0,   0,   0,   0,
                      0,    0,   0,   0,   0,    0,    0,    0,    0, 0, 0, 0,  0,   0,   0,   0};
  EXPECT_EQ(CreateIconFromResourceEx(png, sizeof png, TRUE, kVersion, 0, 0, 0), nullptr);
  EXPECT_EQ(CreateIconFromResourceEx(good.data(), static_cast<DWORD>(good.size()), TRUE, 0x00010000,
                                     0, 0, 0),
            nullptr);
  EXPECT_EQ(CreateIconFromResourceEx(good.data(), static_cast<DWORD>(good.size()), TRUE, kVersion,
                                     -1, 0, 0),
            nullptr);
  EXPECT_EQ(CreateIconFromResourceEx(nullptr, 100, TRUE, kVersion, 0, 0, 0), nullptr);
  EXPECT_NE(CreateIconFromResource(good.data(), static_cast<DWORD>(good.size()), TRUE, kVersion),
            nullptr);
}

// Images as today's icon files hold them: PNG, and 32-bit bitmaps whose AND mask is left out
// or cut short, where alpha alone says what is transparent.
TEST(IconTest, PngImagesAndThirtyTwoBitImagesWithoutAMask) {
  // Opaque red, half blue, transparent green, opaque grey; 2 x 2.
  const std::vector<uint32_t> argb = {0xFFFF0000, 0x800000FF, 0x0000FF00, 0xFF808080};
  const std::vector<BYTE> withMask = IconImage(2, 2, 32, {}, argb, {0, 0, 0, 0});
  const size_t maskBytes = 2 * 4;  // two rows of one padded mask word
  const std::vector<BYTE> noMask(withMask.begin(),
                                 withMask.end() - static_cast<ptrdiff_t>(maskBytes));
  const std::vector<BYTE> halfMask(withMask.begin(),
                                   withMask.end() - static_cast<ptrdiff_t>(maskBytes / 2));
  struct Case {
    const char* what;
    std::vector<BYTE> data;
  };
  for (const Case& c : {Case{"png", PngImage(2, 2, argb)}, Case{"32-bit, no mask", noMask},
                        Case{"32-bit, mask cut short", halfMask}}) {
    HICON icon = FromImage(c.data);
    ASSERT_NE(icon, nullptr) << c.what;
    Canvas canvas(2, 2, kBackground);
    EXPECT_TRUE(DrawIconEx(canvas.dc(), 0, 0, icon, 0, 0, 0, nullptr, DI_NORMAL));
    for (int i = 0; i < 4; ++i)
      ExpectNear(canvas.At(i % 2, i / 2), Over(argb[i], kBackground), c.what);
    // The mask the icon reports is made from alpha: only the transparent pixel is set.
    ICONINFO info{};
    ASSERT_TRUE(GetIconInfo(icon, &info));
    Canvas mask(2, 2);
    HDC from = CreateCompatibleDC(nullptr);
    HGDIOBJ old = SelectObject(from, info.hbmMask);
    BitBlt(mask.dc(), 0, 0, 2, 2, from, 0, 0, SRCCOPY);
    SelectObject(from, old);
    DeleteDC(from);
    EXPECT_EQ(mask.At(0, 1), RGB(255, 255, 255)) << c.what;
    EXPECT_EQ(mask.At(1, 0), RGB(0, 0, 0)) << c.what;
    DeleteObject(info.hbmColor);
    DeleteObject(info.hbmMask);
    DestroyIcon(icon);
  }

  // A PNG cursor keeps the hotspot in front of it; the size asked for still scales it.
  HICON cursor = FromImage(WithHotspot(PngImage(2, 2, argb), 1, 0), FALSE, 4, 4);
  ASSERT_NE(cursor, nullptr);
  ICONINFO info{};
  ASSERT_TRUE(GetIconInfo(cursor, &info));
  EXPECT_EQ(info.xHotspot, 2u);
  EXPECT_EQ(info.yHotspot, 0u);
  BITMAP bm{};
  GetObjectA(info.hbmColor, sizeof bm, &bm);
  EXPECT_EQ(bm.bmWidth, 4);
  DeleteObject(info.hbmColor);
  DeleteObject(info.hbmMask);
  DestroyCursor(cursor);

  // No mask and no alpha: the colours are all there is, drawn opaque.
  const std::vector<uint32_t> opaque = {0x00102030, 0x00405060, 0x00708090, 0x00A0B0C0};
  const std::vector<BYTE> plain = IconImage(2, 2, 32, {}, opaque, {0, 0, 0, 0});
  HICON icon =
      FromImage(std::vector<BYTE>(plain.begin(), plain.end() - static_cast<ptrdiff_t>(maskBytes)));
  ASSERT_NE(icon, nullptr);
  Canvas canvas(2, 2, kBackground);
  DrawIconEx(canvas.dc(), 0, 0, icon, 0, 0, 0, nullptr, DI_NORMAL);
  for (int i = 0; i < 4; ++i)
    EXPECT_EQ(canvas.At(i % 2, i / 2), Over(opaque[i] | 0xFF000000, 0)) << i;
  DestroyIcon(icon);

  // Still refused: other depths without their mask, an image cut inside its pixels, PNG
  // images larger than any icon (the header is enough to tell) and broken PNG data.
  const std::vector<BYTE> rgb = IconImage(2, 2, 24, {}, opaque, {0, 0, 0, 0});
  auto png = PngImage(2, 2, argb);
  auto huge = PngImage(1025, 1, std::vector<uint32_t>(1025, 0xFF000000));
  auto broken = png;
  broken[broken.size() / 2] ^= 0xFF;
  for (const Case& c :
       {Case{"24-bit, no mask", std::vector<BYTE>(rgb.begin(), rgb.end() - 8)},
        Case{"32-bit, pixels cut", std::vector<BYTE>(noMask.begin(), noMask.end() - 1)},
        Case{"png wider than an icon can be", huge}, Case{"png with a damaged chunk", broken},
        Case{"png cut after its header", std::vector<BYTE>(png.begin(), png.begin() + 33)}}) {
    EXPECT_EQ(FromImage(c.data), nullptr) << c.what;
  }
}

TEST(IconTest, BadHandlesFail) {
  Canvas canvas(4, 4);
  HICON icon = FromImage(IconImage(1, 1, 24, {}, {0}, {0}));
  ASSERT_NE(icon, nullptr);
  HBRUSH brush = GetStockObject(BLACK_BRUSH);
  ICONINFO info{};
  EXPECT_FALSE(DrawIconEx(canvas.dc(), 0, 0, nullptr, 0, 0, 0, nullptr, DI_NORMAL));
  EXPECT_FALSE(DrawIconEx(canvas.dc(), 0, 0, brush, 0, 0, 0, nullptr, DI_NORMAL));
  EXPECT_FALSE(DrawIconEx(nullptr, 0, 0, icon, 0, 0, 0, nullptr, DI_NORMAL));
  EXPECT_FALSE(DrawIconEx(canvas.dc(), 0, 0, icon, -4, 0, 0, nullptr, DI_NORMAL));
  EXPECT_FALSE(GetIconInfo(brush, &info));
  EXPECT_FALSE(GetIconInfo(icon, nullptr));
  EXPECT_EQ(CopyIcon(brush), nullptr);
  EXPECT_FALSE(DestroyIcon(brush));
  EXPECT_EQ(CreateIconIndirect(nullptr), nullptr);
  info.hbmMask = brush;
  EXPECT_EQ(CreateIconIndirect(&info), nullptr);

  HICON copy = CopyIcon(icon);
  ASSERT_NE(copy, nullptr);
  EXPECT_NE(copy, icon);
  EXPECT_TRUE(DestroyIcon(icon));
  EXPECT_FALSE(DestroyIcon(icon));
  EXPECT_FALSE(DrawIconEx(canvas.dc(), 0, 0, icon, 0, 0, 0, nullptr, DI_NORMAL));
  // The copy outlives the original.
  EXPECT_TRUE(DrawIconEx(canvas.dc(), 0, 0, copy, 0, 0, 0, nullptr, DI_NORMAL));
  EXPECT_EQ(canvas.At(0, 0), RGB(0, 0, 0));
  EXPECT_TRUE(DestroyIcon(copy));
}

TEST(IconTest, IconInfoRoundTripsThroughCreateIconIndirect) {
  HICON icon =
      FromImage(IconImage(4, 1, 32, {}, {0xFF102030, 0x80FFFFFF, 0, 0xFF00FF00}, {0, 0, 1, 0}));
  ICONINFO info{};
  ASSERT_TRUE(GetIconInfo(icon, &info));
  // New bitmaps that belong to the caller.
  HICON again = CreateIconIndirect(&info);
  ASSERT_NE(again, nullptr);
  EXPECT_TRUE(DeleteObject(info.hbmColor));
  EXPECT_TRUE(DeleteObject(info.hbmMask));
  Canvas a(4, 1, kBackground), b(4, 1, kBackground);
  DrawIconEx(a.dc(), 0, 0, icon, 0, 0, 0, nullptr, DI_NORMAL);
  DrawIconEx(b.dc(), 0, 0, again, 0, 0, 0, nullptr, DI_NORMAL);
  for (int x = 0; x < 4; ++x) EXPECT_EQ(a.At(x, 0), b.At(x, 0)) << x;
  DestroyIcon(icon);
  DestroyIcon(again);

  // A monochrome icon: one bitmap, AND mask above the XOR image.
  const BYTE bits[] = {0x3F, 0xFF, 0x5F, 0xFF};  // rows of 16 bits: mask 0011..., image 0101...
  HBITMAP mask = CreateBitmap(4, 2, 1, 1, bits);
  ICONINFO mono{TRUE, 0, 0, mask, nullptr};
  HICON monoIcon = CreateIconIndirect(&mono);
  ASSERT_NE(monoIcon, nullptr);
  Canvas c(4, 1, kBackground);
  DrawIconEx(c.dc(), 0, 0, monoIcon, 0, 0, 0, nullptr, DI_NORMAL);
  EXPECT_EQ(c.At(0, 0), RGB(0, 0, 0));
  EXPECT_EQ(c.At(1, 0), RGB(255, 255, 255));
  EXPECT_EQ(c.At(2, 0), kBackground);
  EXPECT_EQ(c.At(3, 0), Invert(kBackground));
  DestroyIcon(monoIcon);
  DeleteObject(mask);
}

TEST(IconTest, StandardIconsAndCursors) {
  for (LPCSTR id : {IDI_APPLICATION, IDI_ERROR, IDI_QUESTION, IDI_WARNING, IDI_INFORMATION}) {
    HICON icon = LoadIconA(nullptr, id);
    ASSERT_NE(icon, nullptr);
    EXPECT_EQ(LoadIconA(nullptr, id), icon);  // shared
    // Shared icons survive DestroyIcon.
    EXPECT_TRUE(DestroyIcon(icon));
    constexpr COLORREF kTeal = RGB(0, 128, 128);
    Canvas canvas(32, 32, kTeal);
    EXPECT_TRUE(DrawIcon(canvas.dc(), 0, 0, icon));
    EXPECT_GT(32 * 32 - canvas.Count(kTeal), 400);
    EXPECT_EQ(canvas.At(0, 0), kTeal);  // corners are transparent
  }
  Canvas canvas(32, 32, RGB(255, 255, 255));
  DrawIcon(canvas.dc(), 0, 0, LoadIconA(nullptr, IDI_ERROR));
  COLORREF ring = canvas.At(16, 4);
  EXPECT_GT(GetRValue(ring), 150);
  EXPECT_LT(GetGValue(ring), 80);
  EXPECT_EQ(canvas.At(16, 16), RGB(255, 255, 255));  // the middle of the white cross

  for (LPCSTR id :
       {IDC_ARROW, IDC_IBEAM, IDC_WAIT, IDC_CROSS, IDC_UPARROW, IDC_SIZENWSE, IDC_SIZENESW,
        IDC_SIZEWE, IDC_SIZENS, IDC_SIZEALL, IDC_NO, IDC_HAND, IDC_HELP}) {
    HCURSOR cursor = LoadCursorA(nullptr, id);
    ASSERT_NE(cursor, nullptr) << reinterpret_cast<uintptr_t>(id);
    ICONINFO info{};
    ASSERT_TRUE(GetIconInfo(cursor, &info));
    EXPECT_FALSE(info.fIcon);
    EXPECT_LT(info.xHotspot, 32u);
    DeleteObject(info.hbmColor);
    DeleteObject(info.hbmMask);
  }
  ICONINFO arrow{};
  GetIconInfo(LoadCursorA(nullptr, IDC_ARROW), &arrow);
  EXPECT_EQ(arrow.xHotspot, 1u);
  EXPECT_EQ(arrow.yHotspot, 1u);
  DeleteObject(arrow.hbmColor);
  DeleteObject(arrow.hbmMask);
  // The same number names different pictures for icons and cursors.
  EXPECT_NE(LoadCursorA(nullptr, IDC_ARROW), LoadIconA(nullptr, IDI_APPLICATION));
  EXPECT_EQ(LoadCursorA(reinterpret_cast<HINSTANCE>(0x1000), IDC_ARROW), nullptr);
  EXPECT_EQ(LoadCursorA(nullptr, reinterpret_cast<LPCSTR>(12345)), nullptr);
  EXPECT_EQ(LoadIconA(nullptr, "NAMED"), nullptr);
}

TEST(IconTest, PublicIconFiles) {
  VELMORA_REQUIRE_TESTDATA();
  struct Case {
    const char* file;
    size_t loadable;  // how many entries must load
  };
  for (const Case& c :
       {Case{"hopper.ico", 1}, Case{"black_and_white.ico", 1}, Case{"smile.ico", 2},
        Case{"bmp-24bpp-mask.ico", 1}, Case{"multiple_entries_with_different_bit_depth.ico", 9},
        Case{"deerstalker.cur", 1}, Case{"24bipp-6x6.cur", 1}, Case{"png-32bpp-alpha.ico", 1},
        Case{"decompression_bomb.ico", 0}, Case{"truncated_mask_32bpp.ico", 1},
        Case{"no_cursors.cur", 0}}) {
    bool cursor = false;
    size_t loaded = 0;
    for (const IcoEntry& e :
         gdi_test::ReadIcoFile(gdi_test::TestDataPath(std::string("ico/") + c.file), &cursor)) {
      HICON icon = FromImage(e.image, cursor ? FALSE : TRUE);
      if (icon == nullptr) continue;
      ++loaded;
      Canvas canvas(64, 64);
      EXPECT_TRUE(DrawIconEx(canvas.dc(), 0, 0, icon, 0, 0, 0, nullptr, DI_NORMAL));
      if (cursor) {
        ICONINFO info{};
        GetIconInfo(icon, &info);
        EXPECT_EQ(info.xHotspot, e.hotspotX);
        EXPECT_EQ(info.yHotspot, e.hotspotY);
        DeleteObject(info.hbmColor);
        DeleteObject(info.hbmMask);
      }
      DestroyIcon(icon);
    }
    EXPECT_EQ(loaded, c.loadable) << c.file;
  }
  // The PNG entry draws as libpng reads it, blended by its alpha.
  bool cursor = false;
  {
    auto entries =
        gdi_test::ReadIcoFile(gdi_test::TestDataPath("ico/png-32bpp-alpha.ico"), &cursor);
    ASSERT_EQ(entries.size(), 1u);
    png_image image{};
    image.version = PNG_IMAGE_VERSION;
    ASSERT_TRUE(
        png_image_begin_read_from_memory(&image, entries[0].image.data(), entries[0].image.size()));
    image.format = PNG_FORMAT_BGRA;
    std::vector<uint32_t> reference(size_t{image.width} * image.height);
    ASSERT_TRUE(png_image_finish_read(&image, nullptr, reference.data(), 0, nullptr));
    HICON icon = FromImage(entries[0].image);
    ASSERT_NE(icon, nullptr);
    Canvas canvas(static_cast<int>(image.width), static_cast<int>(image.height), kBackground);
    DrawIconEx(canvas.dc(), 0, 0, icon, 0, 0, 0, nullptr, DI_NORMAL);
    for (size_t i = 0; i < reference.size(); ++i) {
      const int x = static_cast<int>(i % image.width), y = static_cast<int>(i / image.width);
      ExpectNear(canvas.At(x, y), Over(reference[i], kBackground), "png-32bpp-alpha.ico");
    }
    DestroyIcon(icon);
  }
  // The 6x6 cursor's hotspot is (4, 1).
  auto entries = gdi_test::ReadIcoFile(gdi_test::TestDataPath("ico/24bipp-6x6.cur"), &cursor);
  ASSERT_EQ(entries.size(), 1u);
  EXPECT_EQ(entries[0].hotspotX, 4);
  EXPECT_EQ(entries[0].hotspotY, 1);
}

}  // namespace
