// The watermark editor driven by injected input. Photos are patterns whose every pixel the
// test knows; the watermark is black, so under it at 50% a channel keeps 128 parts of 255.

#include <cmath>

#include "app/watermark/WatermarkUnits.h"
#include "forms/data/UnitId.h"
#include "forms/units/cartoon/CartoonCommands.h"
#include "tests/common/BmpFile.h"
#include "tests/velmora/VelmoraTestSupport.h"

namespace velmoratest {
namespace {

namespace fs = std::filesystem;
namespace input = platform::testing;
using namespace app::watermark;
constexpr uint32_t W = app::kWatermarkWindow;
using P = std::pair<int32_t, int32_t>;

uint32_t PatternPixel(int x, int y) {
  return (static_cast<uint32_t>(x & 0xFF) << 16) | (static_cast<uint32_t>(y & 0xFF) << 8) | 0x40;
}

std::vector<uint8_t> PatternBmp(int width, int height) {
  std::vector<uint32_t> pixels;
  for (int y = 0; y < height; ++y)
    for (int x = 0; x < width; ++x) pixels.push_back(PatternPixel(x, y));
  return testing_bmp::Bmp24(width, height, pixels);
}

// The pattern with the black 40 × 30 watermark at (left, top) at 50%.
uint32_t PatternUnderMark(int x, int y, int left, int top) {
  const uint32_t p = PatternPixel(x, y);
  if (x < left || x >= left + 40 || y < top || y >= top + 30) return p;
  uint32_t out = 0;
  for (int shift : {0, 8, 16})
    out |= uint32_t(std::lround((p >> shift & 0xFF) * 128.0 / 255)) << shift;
  return out;
}

class WatermarkTest : public VelmoraTest {
 protected:
  void SetUp() override {
    VelmoraTest::SetUp();
    input::UseVirtualClock(true);
    OpenWindow(W);
    ASSERT_NE(Handle(W), nullptr);
  }
  void TearDown() override {
    if (Handle(W) != nullptr) app::CloseWindow(W);
    VelmoraTest::TearDown();
    input::UseVirtualClock(false);
  }

  std::string Write(const std::string& name, const std::vector<uint8_t>& bytes) {
    WriteFile(Folder() + "/" + name, bytes);
    return Folder() + "/" + name;
  }
  std::string MarkFile() { return Write("mark.bmp", testing_bmp::SolidBmp24(40, 30, 0)); }

  // A file dialog answered with `path` (empty: cancelled), then the button clicked.
  static void Choose(const std::string& path, uint32_t button) {
    path.empty() ? input::ScriptFileDialogCancel() : input::ScriptFileDialogAnswer(path);
    ClickUnit(W, button);
  }
  static void Mouse(int x, int y, int button = 0) {  // 0 moves, 1 presses, 2 releases
    POINT p{x, y};
    ClientToScreen(Handle(W, kBox), &p);
    if (button == 1) input::AdvanceClock(1000);
    button == 0 ? input::MouseMove(p) : button == 1 ? input::MouseDown(p) : input::MouseUp(p);
    Pump();
  }
  // Pressed, moved once to record the start, on by (dx, dy) in steps a hand makes, released.
  static void DragBy(int x, int y, int dx, int dy) {
    Mouse(x, y);
    Mouse(x, y, 1);
    Mouse(x + 1, y + 1);
    const int steps = std::max({1, std::abs(dx) / 5, std::abs(dy) / 5});
    for (int i = 1; i <= steps; ++i) Mouse(x + 1 + dx * i / steps, y + 1 + dy * i / steps);
    Mouse(x + 1 + dx, y + 1 + dy, 2);
  }
  // Stepped onto `scale` with an arrow key, so that the slider reports the change.
  static void ScaleTo(int32_t scale) {
    const bool up = scale == kFullScale;
    app::SetInt(W, kScaleSlider, kSliderPosition, up ? scale - 1 : scale + 1);
    SetFocus(Handle(W, kScaleSlider));
    input::PressKey(up ? VK_RIGHT : VK_LEFT);
    Pump();
    ASSERT_EQ(app::GetInt(W, kScaleSlider, kSliderPosition), scale);
  }
  static int32_t Ask(rt::CommandRoutine query, int32_t id) {
    return rt::Call(query, {rt::Arg::Unit(W, kBox, forms::kTypeCartoonBox), rt::Arg::Int(id)})
        .As<int32_t>();
  }
  static int32_t Mark() { return app::G().watermark.watermarkObject; }
  static int32_t Photo() { return app::G().watermark.photoObject; }
  static int32_t Width(int32_t object) { return Ask(forms::GetObjectWidth, object); }
  static P MarkAt() { return {Ask(forms::GetObjectX, Mark()), Ask(forms::GetObjectY, Mark())}; }
  static P BoxAt() { return {app::GetInt(W, kBox, app::kLeft), app::GetInt(W, kBox, app::kTop)}; }
};

TEST_F(WatermarkTest, DragFollowsTheMouseFromTheSecondMoveUntilAnyRelease) {
  Choose(Write("photo.bmp", PatternBmp(300, 200)), kLoadBackgroundButton);
  Choose(MarkFile(), kLoadWatermarkButton);
  // A press on the photo drags nothing; the first move after a press on the watermark only
  // records; a first move that leaves the watermark ends the drag; once moving, the box keeps
  // the mouse while pressed, so the drag goes on outside it and ends on the release there.
  const struct Step {
    int button, x, y;  // 0 moves, 1 presses, 2 releases
    P mark;
    int dragging;
  } steps[] = {{1, 150, 150, {0, 0}, 0},   {0, 170, 160, {0, 0}, 0},    {2, 170, 160, {0, 0}, 0},
               {0, 10, 10, {0, 0}, 0},     {1, 10, 10, {0, 0}, 1},      {0, 12, 11, {0, 0}, 1},
               {0, 32, 21, {20, 10}, 1},   {0, 52, 41, {40, 30}, 1},    {2, 52, 41, {40, 30}, 0},
               {0, 60, 45, {40, 30}, 0},   {1, 60, 45, {40, 30}, 1},    {0, 200, 150, {40, 30}, 0},
               {0, 230, 170, {40, 30}, 0}, {1, 50, 40, {40, 30}, 1},    {0, 52, 41, {40, 30}, 1},
               {0, 62, 46, {50, 35}, 1},   {0, 400, 100, {388, 89}, 1}, {2, 400, 100, {388, 89}, 0},
               {0, 70, 50, {388, 89}, 0}};
  for (const Step& s : steps) {
    SCOPED_TRACE(testing::Message() << s.button << " at " << s.x << "," << s.y);
    Mouse(s.x, s.y, s.button);
    EXPECT_EQ(MarkAt(), s.mark);
    EXPECT_EQ(app::G().watermark.dragging, s.dragging);
  }
  EXPECT_EQ(Width(Mark()), 40);
}

TEST_F(WatermarkTest, ScaleResizesTheSceneAndKeepsTheWatermarkWhereItWasDropped) {
  Choose(Write("photo.bmp", PatternBmp(600, 400)), kLoadBackgroundButton);
  Choose(MarkFile(), kLoadWatermarkButton);
  EXPECT_EQ(app::GetInt(W, kScaleSlider, kSliderPosition), 1000);
  DragBy(5, 5, 200, 100);
  // The transparency slider at its ends: the watermark black, then gone.
  POINT at{210, 110};
  ClientToScreen(Handle(W, kBox), &at);
  RECT frame{};
  GetWindowRect(Handle(W), &frame);
  for (auto [key, shown] : {std::pair{VK_HOME, 0u}, std::pair{VK_END, PatternPixel(210, 110)}}) {
    SetFocus(Handle(W, kAlphaSlider));
    input::PressKey(key);
    Pump();
    EXPECT_EQ(input::CaptureWindow(Handle(W)).At(at.x - frame.left, at.y - frame.top), shown);
  }
  // A drag by (30, 20) at half scale is (60, 40) on the photo itself.
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
    EXPECT_EQ(Width(Photo()), r.photoWidth);
    EXPECT_EQ(app::GetInt(W, kBox, app::kWidth), r.photoWidth);
    EXPECT_EQ(MarkAt(), r.mark);
    EXPECT_EQ(Width(Mark()), r.markWidth);
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
    Choose(Write("photo.bmp", testing_bmp::SolidBmp24(r.width, r.height, 0x336699)),
           kLoadBackgroundButton);
    EXPECT_EQ(P(app::GetInt(W, kBox, app::kWidth), app::GetInt(W, kBox, app::kHeight)),
              P(r.width, r.height));
    for (auto [bar, maximum] : {P(kHorizontalBar, r.across), P(kVerticalBar, r.down)}) {
      EXPECT_EQ(IsWindowEnabled(Handle(W, bar)) != FALSE, maximum > 0);
      EXPECT_EQ(maximum > 0 ? app::GetInt(W, bar, kScrollMax) : 0, maximum);
    }
    EXPECT_EQ(Width(previous), 0) << "the old photo was left behind the new one";
    previous = Photo();
  }

  // One step right with the arrow, then down to the end.
  RECT bar{};
  GetClientRect(Handle(W, kHorizontalBar), &bar);
  input::ClickInWindow(Handle(W, kHorizontalBar), {bar.right - 4, bar.bottom / 2});
  SetFocus(Handle(W, kVerticalBar));
  input::PressKey(VK_END);
  Pump();
  EXPECT_EQ(BoxAt(), P(-10, -460));
  // Scaled down the box comes back within reach: 500 × 450 leaves 10 to scroll down.
  for (auto [scale, top] : {P(500, -10), P(400, 0)}) {
    ScaleTo(scale);
    EXPECT_EQ(BoxAt(), P(0, top));
    EXPECT_EQ(app::GetInt(W, kVerticalBar, kScrollPosition), -top);
    EXPECT_EQ(IsWindowEnabled(Handle(W, kVerticalBar)) != FALSE, top != 0);
  }
}

TEST_F(WatermarkTest, ProcessedPictureCancelledDialogsAndASecondOpening) {
  HandOver(testing_bmp::SolidBmp24(120, 90, 0x808080));
  Choose(MarkFile(), kLoadWatermarkButton);
  ClickUnit(W, kLoadProcessedButton);
  const P objects{Photo(), Mark()};
  EXPECT_EQ(Width(Photo()), 120);
  Choose("", kLoadBackgroundButton);
  Choose("", kLoadWatermarkButton);
  EXPECT_EQ(P(Photo(), Mark()), objects);
  EXPECT_EQ(Width(Mark()), 40);

  // The globals outlive the window, its objects do not: the ids the first opening left
  // must not name (and destroy) the objects of the second.
  app::CloseWindow(W);
  Pump();
  OpenWindow(W);
  Choose(Write("photo.bmp", PatternBmp(200, 100)), kLoadBackgroundButton);
  Choose(MarkFile(), kLoadWatermarkButton);
  EXPECT_EQ(Width(Photo()), 200);
  EXPECT_EQ(Width(Mark()), 40);
}

TEST_F(WatermarkTest, SaveWritesTheFullScaleSceneAndSaysWhetherItWorked) {
  // The watermark before the photo, which borrows the template to be placed: the save's
  // re-scale must still place the watermark, not a second photo.
  Choose(MarkFile(), kLoadWatermarkButton);
  Choose(Write("photo.bmp", PatternBmp(600, 400)), kLoadBackgroundButton);
  DragBy(5, 5, 200, 100);
  ScaleTo(500);
  // Named as the "JPG文件" filter names them; the fourth folder is missing; the fifth drop is
  // at (110, 60) at half scale, so (220, 120) on the photo; the last photo could not be read
  // and leaves an empty scene: nothing is saved, and the file of that name is left as it was.
  const std::string saved = "  保持成功", failed = "  保存失败";
  const struct Row {
    const char* answer;  // empty: cancelled
    const std::string* said;
    P mark;
    bool dragAtHalfScale = false, brokenPhoto = false;
  } rows[] = {{"scene", &saved, {200, 100}},
              {"scene.jpg", &saved, {200, 100}},
              {"", nullptr, {}},
              {"missing/scene", &failed, {}},
              {"half", &saved, {220, 120}, true},
              {"scene", &failed, {}, false, true}};
  for (const Row& r : rows) {
    SCOPED_TRACE(r.answer);
    if (r.dragAtHalfScale) DragBy(101, 51, 10, 10);
    if (r.brokenPhoto) Choose(Write("broken.bmp", {'B', 'M', 1, 2}), kLoadBackgroundButton);
    const P shown = MarkAt();
    const auto files = std::distance(fs::directory_iterator(Folder()), {});
    const std::string path = Folder() + "/" + r.answer + ".bmp";
    const std::vector<uint8_t> before = r.brokenPhoto ? ReadFile(path) : std::vector<uint8_t>();
    Choose(*r.answer ? Folder() + "/" + r.answer : "", kSaveButton);
    const auto messages = input::TakeMessageBoxLog();
    ASSERT_EQ(messages.size(), r.said != nullptr ? 1u : 0u);
    if (r.said != nullptr) {
      EXPECT_EQ(messages[0].textUtf8, "文件 " + path + *r.said);
    }
    if (r.said != &saved) {
      EXPECT_EQ(std::distance(fs::directory_iterator(Folder()), {}), files);
      if (r.brokenPhoto) {
        EXPECT_FALSE(before.empty());
        EXPECT_EQ(ReadFile(path), before);
      }
      continue;
    }
    const auto image = testing_bmp::ReadBmp(ReadFile(path), 32);
    ASSERT_EQ(P(image.width, image.height), P(600, 400));
    int differing = 0;
    for (int y = 0; y < image.height; ++y)
      for (int x = 0; x < image.width; ++x)
        differing += image.At(x, y) != PatternUnderMark(x, y, r.mark.first, r.mark.second);
    EXPECT_EQ(differing, 0);
    // The screen is back at the scale the user chose, the watermark where it was.
    EXPECT_EQ(app::GetInt(W, kScaleSlider, kSliderPosition), 500);
    EXPECT_EQ(Width(Photo()), 300);
    EXPECT_EQ(MarkAt(), shown);
  }
}

}  // namespace
}  // namespace velmoratest
