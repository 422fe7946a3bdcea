// "保存图片": the composed scene written at full scale as a 32-bit BMP file whatever the
// screen scale and the file name, the user told whether it worked, and the file holding
// exactly what the window shows.
#include <cstring>
#include <iterator>

#include "tests/velmora/WatermarkTestSupport.h"

namespace velmoratest {
namespace {

// A BMP file as the box writes it (32 bits, bottom-up, pixels at 54), as 0x00RRGGBB pixels
// top row first; empty when the file is anything else.
input::Image ReadBmp32(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  const std::vector<uint8_t> f{std::istreambuf_iterator<char>(in), {}};
  auto word = [&](size_t at) {
    uint32_t v = 0;
    std::memcpy(&v, f.data() + at, 4);
    return v;
  };
  input::Image image;
  if (f.size() < 54 || f[0] != 'B' || word(2) != f.size() || word(10) != 54 || word(28) != 32 ||
      f.size() != 54 + size_t(word(18)) * word(22) * 4) {
    return image;
  }
  image.width = int(word(18));
  image.height = int(word(22));
  for (int y = image.height - 1; y >= 0; --y) {
    for (int x = 0; x < image.width; ++x)
      image.pixels.push_back(word(54 + (size_t(y) * image.width + x) * 4) & 0xFFFFFF);
  }
  return image;
}

int DifferencesFromPattern(const input::Image& image, int markLeft, int markTop) {
  int differing = 0;
  for (int y = 0; y < image.height; ++y) {
    for (int x = 0; x < image.width; ++x)
      differing += image.At(x, y) != PatternUnderMark(x, y, markLeft, markTop);
  }
  return differing;
}

TEST_F(WatermarkTest, SaveWritesTheFullScaleSceneAndSaysWhetherItWorked) {
  // The watermark comes before the photo, which borrows the template to be placed: the
  // save's re-scale must still place the watermark, not a second photo.
  Choose(MarkFile(), kLoadWatermarkButton);
  Choose(WriteFile("photo.bmp", PatternBmp(600, 400)), kLoadBackgroundButton);
  DragBy(5, 5, 200, 100);
  ScaleTo(500);
  input::TakeFileDialogLog();
  // "文件 " ... ".bmp  保持成功" or "  保存失败", as the message box shows them (UTF-8).
  const std::string file = "\xE6\x96\x87\xE4\xBB\xB6 ",
                    saved = "  \xE4\xBF\x9D\xE6\x8C\x81\xE6\x88\x90\xE5\x8A\x9F",
                    failed = "  \xE4\xBF\x9D\xE5\xAD\x98\xE5\xA4\xB1\xE8\xB4\xA5";
  const struct Row {
    const char* answer;  // empty: cancelled
    const char* written;
    const std::string* said;
    bool dragAtHalfScale = false;
    P mark{200, 100};
  } rows[] = {
      {"scene", "scene.bmp", &saved},
      {"scene.jpg", "scene.jpg.bmp", &saved},  // as named with the "JPG文件" filter
      {"", nullptr, nullptr},
      {"missing/scene", nullptr, &failed},
      // Dropped at (110, 60) at half scale: (220, 120) on the photo.
      {"half", "half.bmp", &saved, true, {220, 120}},
  };
  for (const Row& r : rows) {
    SCOPED_TRACE(r.answer);
    if (r.dragAtHalfScale) DragBy(101, 51, 10, 10);
    const P shown = MarkAt();
    const auto files = std::distance(std::filesystem::directory_iterator(Folder()), {});
    Choose(*r.answer ? Folder() + "/" + r.answer : "", kSaveButton);
    const auto dialogs = input::TakeFileDialogLog();
    ASSERT_EQ(dialogs.size(), 1u);
    EXPECT_TRUE(dialogs[0].save);
    const auto messages = input::TakeMessageBoxLog();
    ASSERT_EQ(messages.size(), r.said != nullptr ? 1u : 0u);
    if (r.said != nullptr) {
      EXPECT_EQ(messages[0].textUtf8, file + Folder() + "/" + r.answer + ".bmp" + *r.said);
    }
    if (r.written != nullptr) {
      const input::Image image = ReadBmp32(Folder() + "/" + r.written);
      EXPECT_EQ(P(image.width, image.height), P(600, 400));
      EXPECT_EQ(DifferencesFromPattern(image, r.mark.first, r.mark.second), 0);
    } else {
      EXPECT_EQ(std::distance(std::filesystem::directory_iterator(Folder()), {}), files);
    }
    // The screen is back at the scale the user chose, the watermark where it was.
    EXPECT_EQ(app::GetInt(W, kScaleSlider, kSliderPosition), 500);
    EXPECT_EQ(Ask(forms::GetObjectWidth, Photo()), 300);
    EXPECT_EQ(MarkAt(), shown);
  }

  // A photo that could not be read leaves an empty scene: an empty file is no success.
  Choose(WriteFile("broken.bmp", {'B', 'M', 1, 2}), kLoadBackgroundButton);
  Choose(Folder() + "/empty", kSaveButton);
  const auto messages = input::TakeMessageBoxLog();
  ASSERT_EQ(messages.size(), 1u);
  EXPECT_EQ(messages[0].textUtf8, file + Folder() + "/empty.bmp" + failed);
}

// The shipped pictures: the file is exactly what the window shows, and differs from the
// photo saved before any watermark only where the watermark was dropped.
// VELMORA_WATERMARK_SHOT names a PNG file to write the window to.
TEST_F(WatermarkTest, SavedFileIsWhatTheWindowShows) {
  const std::string assets = std::string(VELMORA_SOURCE_DIR) + "/app/assets/";
  Choose(assets + "home.jpg", kLoadBackgroundButton);
  Choose(Folder() + "/bare", kSaveButton);
  Choose(assets + "watermark.png", kLoadWatermarkButton);
  DragBy(50, 50, 320, 300);
  ASSERT_EQ(MarkAt(), P(320, 300));
  Choose(Folder() + "/still", kSaveButton);

  const input::Image shot = input::CaptureWindow(Handle(W));
  if (const char* path = std::getenv("VELMORA_WATERMARK_SHOT")) input::WritePng(shot, path);
  const input::Image bare = ReadBmp32(Folder() + "/bare.bmp"),
                     still = ReadBmp32(Folder() + "/still.bmp");
  ASSERT_EQ(P(still.width, still.height), P(496, 440));
  ASSERT_EQ(P(bare.width, bare.height), P(496, 440));
  POINT box{0, 0};
  ClientToScreen(Handle(W, kBox), &box);
  RECT frame{};
  GetWindowRect(Handle(W), &frame);
  int unlikeWindow = 0, markedOutside = 0, markedInside = 0;
  for (int y = 0; y < still.height; ++y) {
    for (int x = 0; x < still.width; ++x) {
      unlikeWindow += still.At(x, y) != shot.At(box.x - frame.left + x, box.y - frame.top + y);
      const bool inside = x >= 320 && x < 420 && y >= 300 && y < 400;
      if (still.At(x, y) != bare.At(x, y)) ++(inside ? markedInside : markedOutside);
    }
  }
  EXPECT_EQ(unlikeWindow, 0);
  EXPECT_EQ(markedOutside, 0);
  EXPECT_GT(markedInside, 100 * 100 / 3);
}

}  // namespace
}  // namespace velmoratest
