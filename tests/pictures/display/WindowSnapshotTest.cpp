// Window snapshots: the BMP file's layout, its pixels against what the window shows, the
// sizes asked for in pixels and in percent, and the handles and sizes that give nothing.
#include <gtest/gtest.h>

#include <cstring>
#include <memory>

#include "pictures/DecodedPicture.h"
#include "pictures/display/WindowSnapshot.h"
#include "platform/testing/InputAutomation.h"
#include "platform/testing/MessageLoop.h"
#include "platform/user32.h"

namespace {

uint32_t Long(const std::vector<uint8_t>& f, size_t at) {
  uint32_t v = 0;
  std::memcpy(&v, f.data() + at, 4);
  return v;
}

LRESULT CALLBACK HalvesProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_PAINT) {
    PAINTSTRUCT ps;
    HDC dc = BeginPaint(window, &ps);
    RECT client{};
    GetClientRect(window, &client);
    for (int y = 0; y < client.bottom; ++y) {
      for (int x = 0; x < client.right; x += 1) {
        SetPixelV(dc, x, y, y < client.bottom / 2 ? RGB(x & 0xFF, 40, 200) : RGB(250, y, 3));
      }
    }
    EndPaint(window, &ps);
    return 0;
  }
  return DefWindowProcA(window, message, wParam, lParam);
}

class WindowSnapshotTest : public ::testing::Test {
 protected:
  void SetUp() override {
    static const bool registered = [] {
      WNDCLASSA c{};
      c.lpfnWndProc = HalvesProc;
      c.lpszClassName = "SnapshotHalves";
      return RegisterClassA(&c) != 0;
    }();
    ASSERT_TRUE(registered);
    // A captioned window: the snapshot takes the frame too.
    window_ = CreateWindowExA(0, "SnapshotHalves", "snap", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 30, 20,
                              200, 120, nullptr, nullptr, nullptr, nullptr);
    ASSERT_NE(window_, nullptr);
    platform::testing::RunUntilIdle();
  }
  void TearDown() override {
    DestroyWindow(window_);
    platform::testing::RunUntilIdle();
  }
  HWND window_ = nullptr;
};

TEST_F(WindowSnapshotTest, IsA24BitBmpOfTheWholeWindow) {
  const std::vector<uint8_t> file = pic::WindowSnapshot(window_, 0, 0);
  ASSERT_EQ(file.size(), 14u + 40u + 600u * 120u);  // 200 * 3 is a multiple of 4
  EXPECT_EQ(file[0], 'B');
  EXPECT_EQ(file[1], 'M');
  EXPECT_EQ(Long(file, 2), file.size());
  EXPECT_EQ(Long(file, 6), 0u);  // both reserved words
  EXPECT_EQ(Long(file, 10), 54u);
  EXPECT_EQ(Long(file, 14), 40u);
  EXPECT_EQ(Long(file, 18), 200u);
  EXPECT_EQ(Long(file, 22), 120u);  // bottom-up
  EXPECT_EQ(Long(file, 26), 1u | (24u << 16));
  EXPECT_EQ(Long(file, 30), 0u);
  EXPECT_EQ(Long(file, 34), 600u * 120u);

  // Every pixel against the window as the platform shows it; the file's first row is the
  // window's bottom row.
  const platform::testing::Image shown = platform::testing::CaptureWindow(window_);
  ASSERT_EQ(shown.width, 200);
  ASSERT_EQ(shown.height, 120);
  int wrong = 0;
  for (int y = 0; y < 120; ++y) {
    const uint8_t* row = file.data() + 54 + static_cast<size_t>(119 - y) * 600;
    for (int x = 0; x < 200; ++x) {
      const uint32_t bgr = row[3 * x] | (row[3 * x + 1] << 8) | (row[3 * x + 2] << 16);
      wrong += bgr != (shown.At(x, y) & 0xFFFFFF);
    }
  }
  EXPECT_EQ(wrong, 0);
}

TEST_F(WindowSnapshotTest, SizesInPixelsAndInPercent) {
  struct Case {
    int width, height, wantWidth, wantHeight;
  };
  const Case cases[] = {
      {-5, 0, 20, 120},  // at least 10 percent
      {-50, -200, 100, 240}, {-10, -1, 20, 12},    {37, 0, 37, 120},
      {0, 9, 200, 9},        {401, 333, 401, 333},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << c.width << ", " << c.height);
    const std::vector<uint8_t> file = pic::WindowSnapshot(window_, c.width, c.height);
    ASSERT_GE(file.size(), 54u);
    EXPECT_EQ(Long(file, 18), static_cast<uint32_t>(c.wantWidth));
    EXPECT_EQ(Long(file, 22), static_cast<uint32_t>(c.wantHeight));
    const size_t stride = (static_cast<size_t>(c.wantWidth) * 24 + 31) / 32 * 4;
    EXPECT_EQ(file.size(), 54 + stride * c.wantHeight);
    // Our own decoder reads it back at that size.
    std::unique_ptr<pic::DecodedPicture, void (*)(pic::DecodedPicture*)> back(
        pic::DecodePicture(file.data(), file.size()), pic::ReleasePicture);
    ASSERT_TRUE(back);
    EXPECT_EQ(back->width, c.wantWidth);
    EXPECT_EQ(back->height, c.wantHeight);
  }
}

TEST_F(WindowSnapshotTest, NothingForDeadHandlesAndEmptySizes) {
  HWND dead = CreateWindowExA(0, "SnapshotHalves", "", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr,
                              nullptr, nullptr);
  DestroyWindow(dead);
  EXPECT_TRUE(pic::WindowSnapshot(dead, 0, 0).empty());
  EXPECT_TRUE(pic::WindowSnapshot(reinterpret_cast<HWND>(uintptr_t{0x7654321}), 0, 0).empty());
  HWND tiny = CreateWindowExA(0, "SnapshotHalves", "", WS_POPUP | WS_VISIBLE, 0, 0, 5, 5, nullptr,
                              nullptr, nullptr, nullptr);
  // 10 percent of 5 pixels is none.
  EXPECT_TRUE(pic::WindowSnapshot(tiny, -5, 0).empty());
  DestroyWindow(tiny);
  // A size no memory holds is refused, not attempted.
  EXPECT_TRUE(pic::WindowSnapshot(window_, 1000000, 1000000).empty());
}

TEST_F(WindowSnapshotTest, WithoutAHandleTakesTheScreen) {
  const std::vector<uint8_t> file = pic::WindowSnapshot(nullptr, 0, 0);
  ASSERT_GE(file.size(), 54u);
  EXPECT_EQ(Long(file, 18), static_cast<uint32_t>(GetSystemMetrics(SM_CXSCREEN)));
  EXPECT_EQ(Long(file, 22), static_cast<uint32_t>(GetSystemMetrics(SM_CYSCREEN)));
}

}  // namespace
