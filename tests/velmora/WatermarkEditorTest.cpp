// The watermark editor with injected input: dragging the watermark over the photo, the
// scale slider, the box fitted to the photo inside its viewport and scrolled there.
#include "tests/velmora/WatermarkTestSupport.h"

namespace velmoratest {
namespace {

TEST_F(WatermarkTest, DragFollowsTheMouseFromTheSecondMoveUntilReleaseOrLeave) {
  Choose(WriteFile("photo.bmp", PatternBmp(300, 200)), kLoadBackgroundButton);
  Choose(MarkFile(), kLoadWatermarkButton);
  const struct Step {
    const char* what;
    int button, x, y;
    P mark;
    int dragging;
  } steps[] = {
      {"press on the photo", 1, 150, 150, {0, 0}, 0},
      {"move with the photo held", 0, 170, 160, {0, 0}, 0},
      {"release on the photo", 2, 170, 160, {0, 0}, 0},
      {"onto the watermark", 0, 10, 10, {0, 0}, 0},
      {"press on the watermark", 1, 10, 10, {0, 0}, 1},
      {"the first move only records", 0, 12, 11, {0, 0}, 1},
      {"the second move moves", 0, 32, 21, {20, 10}, 1},
      {"the whole movement since the first move", 0, 52, 41, {40, 30}, 1},
      {"release over the watermark", 2, 52, 41, {40, 30}, 0},
      {"moving after the release", 0, 60, 45, {40, 30}, 0},
      {"press on it again", 1, 60, 45, {40, 30}, 1},
      {"the first move leaves it", 0, 200, 150, {40, 30}, 0},
      {"moving after leaving", 0, 230, 170, {40, 30}, 0},
  };
  for (const Step& s : steps) {
    SCOPED_TRACE(s.what);
    Mouse(s.x, s.y, s.button);
    EXPECT_EQ(MarkAt(), s.mark);
    EXPECT_EQ(app::G().watermark.dragging, s.dragging);
  }
  EXPECT_EQ(Ask(forms::GetObjectWidth, Mark()), 40);

  // The transparency slider at its ends: the watermark black, then gone.
  POINT box{50, 40};
  ClientToScreen(Handle(W, kBox), &box);
  RECT frame{};
  GetWindowRect(Handle(W), &frame);
  for (auto [key, shown] : {std::pair{VK_HOME, 0u}, std::pair{VK_END, PatternPixel(50, 40)}}) {
    SetFocus(Handle(W, kAlphaSlider));
    input::PressKey(key);
    Pump();
    EXPECT_EQ(input::CaptureWindow(Handle(W)).At(box.x - frame.left, box.y - frame.top), shown);
  }

  // The box keeps the mouse while its button is down: a drag may leave it, and its release
  // out there ends the drag instead of leaving the watermark on the bare pointer.
  const Step outside[] = {
      {"onto it once more", 0, 50, 40, {40, 30}, 0},
      {"pressed once more", 1, 50, 40, {40, 30}, 1},
      {"recorded", 0, 52, 41, {40, 30}, 1},
      {"moved", 0, 62, 46, {50, 35}, 1},
      {"dragged out of the box", 0, 400, 100, {388, 89}, 1},
      {"released there", 2, 400, 100, {388, 89}, 0},
      {"back over the box with the button up", 0, 70, 50, {388, 89}, 0},
  };
  for (const Step& s : outside) {
    SCOPED_TRACE(s.what);
    Mouse(s.x, s.y, s.button);
    EXPECT_EQ(MarkAt(), s.mark);
    EXPECT_EQ(app::G().watermark.dragging, s.dragging);
  }
}

TEST_F(WatermarkTest, ScaleResizesTheSceneAndKeepsTheWatermarkWhereItWasDropped) {
  Choose(WriteFile("photo.bmp", PatternBmp(600, 400)), kLoadBackgroundButton);
  Choose(MarkFile(), kLoadWatermarkButton);
  EXPECT_EQ(app::GetInt(W, kScaleSlider, kSliderPosition), 1000);
  DragBy(5, 5, 200, 100);
  // Each row: the scale, then what it gives the photo and the watermark. The last rows
  // follow a drag by (30, 20) at half scale, which is (60, 40) on the photo itself.
  const struct Row {
    int32_t scale;
    int photoWidth;
    P mark;
    int markWidth;
    bool dragFirst = false;
  } rows[] = {{500, 300, {100, 50}, 20},         {200, 120, {40, 20}, 8},
              {1000, 600, {200, 100}, 40},       {500, 300, {100, 50}, 20},
              {1000, 600, {260, 140}, 40, true}, {300, 180, {78, 42}, 12}};
  for (const Row& r : rows) {
    SCOPED_TRACE(r.scale);
    if (r.dragFirst) {
      DragBy(101, 51, 30, 20);
      ASSERT_EQ(MarkAt(), P(130, 70));
    }
    ScaleTo(r.scale);
    EXPECT_EQ(Ask(forms::GetObjectWidth, Photo()), r.photoWidth);
    EXPECT_EQ(app::GetInt(W, kBox, app::kWidth), r.photoWidth);
    EXPECT_EQ(MarkAt(), r.mark);
    EXPECT_EQ(Ask(forms::GetObjectWidth, Mark()), r.markWidth);
  }
}

TEST_F(WatermarkTest, BoxTakesThePhotoSizeAndTheBarsReachAllOfIt) {
  // The viewport is 640 × 440; a bar's maximum is what the box has beyond it (0: disabled).
  const struct Row {
    int width, height;
    int32_t across, down;
  } rows[] = {{300, 200, 0, 0},   {640, 440, 0, 0},    {641, 300, 1, 0},
              {500, 900, 0, 460}, {1000, 300, 360, 0}, {1000, 900, 360, 460}};
  int32_t previous = 0;
  for (const Row& r : rows) {
    SCOPED_TRACE(r.width * 10000 + r.height);
    Choose(WriteFile("photo.bmp", testing_bmp::SolidBmp24(r.width, r.height, 0x336699)),
           kLoadBackgroundButton);
    EXPECT_EQ(P(app::GetInt(W, kBox, app::kWidth), app::GetInt(W, kBox, app::kHeight)),
              P(r.width, r.height));
    for (auto [bar, maximum] : {P(kHorizontalBar, r.across), P(kVerticalBar, r.down)}) {
      EXPECT_EQ(IsWindowEnabled(Handle(W, bar)) != FALSE, maximum > 0);
      EXPECT_EQ(maximum > 0 ? app::GetInt(W, bar, kScrollMax) : 0, maximum);
    }
    // The new photo takes the old one's place instead of covering it.
    EXPECT_EQ(Ask(forms::GetObjectWidth, previous), 0);
    previous = Photo();
  }

  // 1000 × 900: one step right with the arrow, then down to the end.
  RECT bar{};
  GetClientRect(Handle(W, kHorizontalBar), &bar);
  input::ClickInWindow(Handle(W, kHorizontalBar), {bar.right - 4, bar.bottom / 2});
  SetFocus(Handle(W, kVerticalBar));
  input::PressKey(VK_END);
  Pump();
  EXPECT_EQ(P(app::GetInt(W, kBox, app::kLeft), app::GetInt(W, kBox, app::kTop)), P(-10, -460));

  // Scaled down, the box comes back within reach of the bars: 500 × 450 fits across and
  // leaves 10 to scroll down; 400 × 360 fits both ways.
  for (auto [scale, top] : {P(500, -10), P(400, 0)}) {
    ScaleTo(scale);
    EXPECT_EQ(P(app::GetInt(W, kBox, app::kLeft), app::GetInt(W, kBox, app::kTop)), P(0, top));
    EXPECT_EQ(app::GetInt(W, kVerticalBar, kScrollPosition), -top);
    EXPECT_EQ(IsWindowEnabled(Handle(W, kVerticalBar)) != FALSE, top != 0);
  }
}

TEST_F(WatermarkTest, ProcessedPictureCancelledDialogsAndASecondOpening) {
  const std::vector<uint8_t> processed = testing_bmp::SolidBmp24(120, 90, 0x808080);
  app::ReplaceBlock(app::G().processedPicture,
                    rt::BuildByteSet(rt::AllocMemSized, processed.data(), processed.size()));
  Choose(MarkFile(), kLoadWatermarkButton);
  Click(kLoadProcessedButton);
  const P objects{Photo(), Mark()};
  EXPECT_EQ(Ask(forms::GetObjectWidth, Photo()), 120);
  Choose("", kLoadBackgroundButton);
  Choose("", kLoadWatermarkButton);
  EXPECT_EQ(P(Photo(), Mark()), objects);
  EXPECT_EQ(Ask(forms::GetObjectWidth, Mark()), 40);

  // The globals outlive the window, its objects do not: the ids the first opening left
  // must not name (and destroy) the objects of the second.
  app::CloseWindow(W);
  Pump();
  OpenWindow(W);
  Choose(WriteFile("photo.bmp", PatternBmp(200, 100)), kLoadBackgroundButton);
  Choose(MarkFile(), kLoadWatermarkButton);
  EXPECT_EQ(Ask(forms::GetObjectWidth, Photo()), 200);
  EXPECT_EQ(Ask(forms::GetObjectWidth, Mark()), 40);
}

}  // namespace
}  // namespace velmoratest
