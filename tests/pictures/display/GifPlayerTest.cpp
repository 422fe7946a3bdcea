// The GIF player of a picture box, on the virtual clock: what each frame leaves on the
// window (disposal, transparency), how long each frame stays, and a box that is repainted,
// resized and destroyed while the player draws into it.
#include <gtest/gtest.h>

#include <condition_variable>
#include <mutex>

#include "pictures/display/GifPlayer.h"
#include "tests/pictures/GifTestSupport.h"
#include "tests/pictures/display/DisplayTestSupport.h"

namespace {

using display_testing::BoxHost;
using gif_testing::Frame;

constexpr COLORREF kRed = RGB(255, 0, 0), kGreen = RGB(0, 255, 0), kBlue = RGB(0, 0, 255);
const std::vector<GifColorType> kPalette = {{255, 0, 0}, {0, 255, 0}, {0, 0, 255}, {9, 9, 9}};

Frame Solid(int left, int top, int width, int height, uint8_t index, int disposal, int delay) {
  Frame f;
  f.left = left, f.top = top, f.width = width, f.height = height;
  f.pixels.assign(static_cast<size_t>(width) * height, index);
  f.disposal = disposal;
  f.delay = delay;
  return f;
}

// What the hook saw: the tick of every frame and the window's pixels at that moment.
struct Shown {
  std::mutex lock;
  std::condition_variable changed;
  std::vector<uint32_t> ticks;
  std::vector<std::vector<COLORREF>> pixels;  // 8 x 8, row by row

  void WaitFor(size_t frames) {
    std::unique_lock guard(lock);
    // A guard against a player that never shows anything, not a measurement.
    changed.wait_for(guard, std::chrono::seconds(20), [&] { return ticks.size() >= frames; });
  }
};

class GifPlayerTest : public ::testing::Test {
 protected:
  void SetUp() override { platform::testing::UseVirtualClock(true); }
  void TearDown() override { platform::testing::UseVirtualClock(false); }
};

TEST_F(GifPlayerTest, FramesKeepTheirDelaysAndLeaveWhatTheirDisposalSays) {
  // Frame 0 fills the screen red (no delay given: 50 ms); frame 1 puts a green square with
  // see-through holes at (2, 2) and asks for the area under it back (no delay: 50 ms);
  // frame 2 puts blue in the corner and stays 70 ms. Then the walk starts again.
  Frame holes = Solid(2, 2, 4, 4, 1, 3, 0);
  for (size_t i = 0; i < holes.pixels.size(); i += 3) holes.pixels[i] = 3;
  holes.transparent = 3;
  const auto gif = gif_testing::EncodeGif(
      8, 8, kPalette, {Solid(0, 0, 8, 8, 0, 1, 0), holes, Solid(0, 0, 2, 2, 2, 1, 7)});
  ASSERT_FALSE(gif.empty());

  BoxHost host(20, 20);
  host.Box().SetAnimateGif(true);
  ASSERT_TRUE(pic::SetPictureBoxData(host.Box(), gif.data(), gif.size()));
  ASSERT_NE(host.Box().Player(), nullptr);
  Shown shown;
  HWND child = host.Child();
  host.Box().Player()->SetFrameShownHook([&](int, uint32_t tick) {
    HDC dc = GetDC(child);
    std::vector<COLORREF> pixels;
    for (int y = 0; y < 8; ++y)
      for (int x = 0; x < 8; ++x) pixels.push_back(GetPixel(dc, x, y));
    ReleaseDC(child, dc);
    std::lock_guard guard(shown.lock);
    shown.ticks.push_back(tick);
    shown.pixels.push_back(std::move(pixels));
    shown.changed.notify_all();
  });
  platform::testing::RunUntilIdle();  // the first paint starts the player
  shown.WaitFor(7);
  pic::SetPictureBoxData(host.Box(), nullptr, 0);  // stops it
  ASSERT_GE(shown.ticks.size(), 7u);

  const uint32_t delays[] = {50, 50, 70, 50, 50, 70};
  for (size_t i = 0; i < 6; ++i) {
    EXPECT_EQ(shown.ticks[i + 1] - shown.ticks[i], delays[i]) << "after frame " << i;
  }
  for (size_t k = 0; k < 6; ++k) {
    SCOPED_TRACE(testing::Message() << "frame " << k);
    int wrong = 0;
    for (int y = 0; y < 8; ++y) {
      for (int x = 0; x < 8; ++x) {
        COLORREF want = kRed;
        const bool inSquare = x >= 2 && x < 6 && y >= 2 && y < 6;
        if (k % 3 == 1 && inSquare && ((y - 2) * 4 + (x - 2)) % 3 != 0) want = kGreen;
        // Frame 2 is drawn after frame 1's area went back to red; the blue stays into the
        // next round, whose first frame covers it.
        if (k % 3 == 2 && x < 2 && y < 2) want = kBlue;
        wrong += shown.pixels[k][y * 8 + x] != want;
      }
    }
    EXPECT_EQ(wrong, 0);
  }
}

TEST_F(GifPlayerTest, BoxRepaintedResizedAndDestroyedWhilePlaying) {
  // A larger animation, so that composing and copying take a while on the player thread.
  std::vector<Frame> frames;
  for (int i = 0; i < 6; ++i) {
    Frame f = Solid(i * 4, i * 3, 120 - i * 8, 90 - i * 6, static_cast<uint8_t>(i % 3),
                    i % 2 == 0 ? 12 : 4, i);
    if (i % 2 == 1) {
      f.transparent = 3;
      for (size_t p = 0; p < f.pixels.size(); p += 5) f.pixels[p] = 3;
    }
    frames.push_back(std::move(f));
  }
  const auto gif = gif_testing::EncodeGif(120, 90, kPalette, frames);
  ASSERT_FALSE(gif.empty());

  BoxHost host(150, 100);
  host.Box().SetAnimateGif(true);
  ASSERT_TRUE(pic::SetPictureBoxData(host.Box(), gif.data(), gif.size()));
  Shown shown;
  host.Box().Player()->SetFrameShownHook([&](int, uint32_t tick) {
    std::lock_guard guard(shown.lock);
    shown.ticks.push_back(tick);
    shown.changed.notify_all();
  });
  platform::testing::RunUntilIdle();
  shown.WaitFor(3);
  for (int i = 0; i < 60; ++i) {
    host.Box().SetDisplayMode(i % 4);
    SetWindowPos(host.Child(), nullptr, 0, 0, 150 - i, 100 + i % 7, SWP_NOMOVE | SWP_NOZORDER);
    RedrawWindow(host.Child(), nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW);
  }
  {
    std::lock_guard guard(shown.lock);
    EXPECT_GE(shown.ticks.size(), 3u);
  }
  // Destroying the window under the running player: the box stops it first.
  HWND child = host.Child();
  EXPECT_TRUE(host.Box().Player()->Running());
  host.DestroyChild();
  EXPECT_FALSE(IsWindow(child));
}

TEST(GifPlayer, OpensOnlyGifsWithAFrame) {
  const auto gif = gif_testing::EncodeGif(4, 4, kPalette, {Solid(0, 0, 4, 4, 0, -1, 0)});
  auto player = pic::GifPlayer::Open(gif.data(), gif.size());
  ASSERT_NE(player, nullptr);
  EXPECT_EQ(player->ScreenWidth(), 4);
  // The header alone, a truncated stream and no bytes at all.
  EXPECT_EQ(pic::GifPlayer::Open(gif.data(), 13), nullptr);
  EXPECT_EQ(pic::GifPlayer::Open(gif.data(), 20), nullptr);
  EXPECT_EQ(pic::GifPlayer::Open(nullptr, 0), nullptr);
}

}  // namespace
