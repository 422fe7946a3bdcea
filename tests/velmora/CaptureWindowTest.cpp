// The window capture through the program's declared platform functions, checked against
// what the window's surface holds as the test automation reads it.
#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>

#include "app/capture/WindowCapture.h"
#include "platform/testing/InputAutomation.h"
#include "platform/user32.h"
#include "platform/wingdi.h"
#include "runtime/memory/RuntimeHeap.h"
#include "runtime/values/ValueBlocks.h"
#include "tests/velmora/VelmoraTestSupport.h"

namespace {

using velmoratest::VelmoraTest;

int32_t HandleValue(HWND window) {
  return static_cast<int32_t>(reinterpret_cast<intptr_t>(window));
}

uint32_t Field(const uint8_t* p, int bytes) {
  uint32_t v = 0;
  for (int i = 0; i < bytes; ++i) v |= static_cast<uint32_t>(p[i]) << (8 * i);
  return v;
}

struct Block {
  void* block;
  explicit Block(void* b) : block(b) {}
  ~Block() { rt::FreeMem(block); }
  Block(const Block&) = delete;
  Block& operator=(const Block&) = delete;
  rt::ByteSetView View() const { return rt::ViewByteSet(block); }
};

// A captioned window whose client area is painted in bands, so the frame, the caption and
// the client all differ.
HWND PaintedWindow(int w, int h) {
  static const char* name = [] {
    WNDCLASSA cls{};
    cls.lpfnWndProc = DefWindowProcA;
    cls.lpszClassName = "VelmoraCaptureTest";
    RegisterClassA(&cls);
    return "VelmoraCaptureTest";
  }();
  HWND window = CreateWindowExA(0, name, "capture", WS_CAPTION | WS_SYSMENU | WS_VISIBLE, 40, 30, w,
                                h, nullptr, nullptr, nullptr, nullptr);
  HDC dc = GetDC(window);
  RECT client;
  GetClientRect(window, &client);
  for (int y = 0; y < client.bottom; ++y) {
    for (int x = 0; x < client.right; ++x) SetPixel(dc, x, y, RGB(x * 3, y * 5, (x ^ y) & 0xFF));
  }
  ReleaseDC(window, dc);
  return window;
}

// Every pixel of a 32-bit bottom-up BMP against the automation's image of the same area,
// whose top-left is (left, top).
void ExpectSamePixels(rt::ByteSetView bmp, const platform::testing::Image& surface, int left,
                      int top) {
  ASSERT_GE(bmp.size, 54u);
  const int w = static_cast<int>(Field(bmp.data + 18, 4));
  const int h = static_cast<int>(Field(bmp.data + 22, 4));
  ASSERT_EQ(Field(bmp.data + 28, 2), 32u);
  ASSERT_EQ(bmp.size, 54u + static_cast<size_t>(w) * h * 4);
  int mismatches = 0;
  for (int y = 0; y < h; ++y) {
    for (int x = 0; x < w; ++x) {
      const uint8_t* p = bmp.data + 54 + (static_cast<size_t>(h - 1 - y) * w + x) * 4;
      const uint32_t rgb = p[0] | (p[1] << 8) | (p[2] << 16);
      if (rgb != (surface.At(left + x, top + y) & 0xFFFFFF) && ++mismatches <= 3) {
        ADD_FAILURE() << "pixel " << x << "," << y << ": " << std::hex << rgb << " instead of "
                      << surface.At(left + x, top + y);
      }
    }
  }
  EXPECT_EQ(mismatches, 0);
}

using CaptureWindowTest = VelmoraTest;

TEST_F(CaptureWindowTest, CaptureHoldsTheWholeWindowAsItsSurfaceShowsIt) {
  HWND window = PaintedWindow(160, 120);
  ASSERT_NE(window, nullptr);
  const platform::testing::Image surface = platform::testing::CaptureWindow(window);
  ASSERT_EQ(surface.width, 160);
  ASSERT_EQ(surface.height, 120);

  Block whole(app::capture::CaptureWindow(HandleValue(window)));
  const rt::ByteSetView bmp = whole.View();
  ASSERT_GE(bmp.size, 54u);
  EXPECT_EQ(Field(bmp.data, 2), 0x4D42u);
  EXPECT_EQ(Field(bmp.data + 2, 4), bmp.size);
  EXPECT_EQ(Field(bmp.data + 10, 4), 54u);
  EXPECT_EQ(Field(bmp.data + 14, 4), 40u);
  EXPECT_EQ(Field(bmp.data + 18, 4), 160u);
  EXPECT_EQ(Field(bmp.data + 22, 4), 120u);  // positive: bottom-up rows
  EXPECT_EQ(Field(bmp.data + 30, 4), 0u);
  ExpectSamePixels(bmp, surface, 0, 0);

  // The client area, 6 right of and 30 below the outer corner, cut out of a fresh capture.
  Block client(app::capture::CaptureAndCrop(HandleValue(window), 6, 30, 100, 60));
  ASSERT_NE(client.block, nullptr);
  ExpectSamePixels(client.View(), surface, 6, 30);
  // A rectangle reaching beyond the window gives nothing.
  EXPECT_EQ(app::capture::CaptureAndCrop(HandleValue(window), 100, 0, 61, 10), nullptr);

  DestroyWindow(window);
  EXPECT_EQ(app::capture::CaptureWindow(HandleValue(window)), nullptr);
  EXPECT_EQ(app::capture::CaptureAndCrop(HandleValue(window), 0, 0, 10, 10), nullptr);
  EXPECT_EQ(app::capture::CaptureWindow(0), nullptr);
}

}  // namespace
