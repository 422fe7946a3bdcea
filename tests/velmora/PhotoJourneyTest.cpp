// A photo taken the whole way through the program by mouse and keyboard: opened in the
// image-processing window, three filters chosen from its menu, handed over to the caption
// window, a caption typed through the input method and translated by the local service,
// and the still saved. The saved file is read back as a person would look at it.
#include <gtest/gtest.h>

#include <cstdint>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

#include "app/filterwindow/FilterWindowUnits.h"
#include "app/program/UnitAccess.h"
#include "app/program/WindowIds.h"
#include "platform/testing/DialogAutomation.h"
#include "platform/testing/InputAutomation.h"
#include "runtime/loop/MessageLoop.h"
#include "tests/common/Gbk.h"
#include "tests/common/TempFolder.h"
#include "tests/velmora/SubtitleTestSupport.h"

namespace velmoratest {
namespace {

namespace fs = std::filesystem;
namespace fw = app::filterwindow;
using namespace platform::testing;

// Filters by their place in the filter menu, below "取消所有滤镜" and the separator.
constexpr int kNight = 11;
constexpr int kBlur = 13;
constexpr int kGreyscale = 14;

void ChooseFilter(int place) {
  KeyDown(VK_MENU);
  PressKey('L');
  KeyUp(VK_MENU);
  for (int i = 0; i < place; ++i) PressKey(VK_DOWN);
  PressKey(VK_RETURN);
  Pump();
}

std::string FileBytes(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

// A bottom-up BMP of 24 or 32 bits as the crop writes it; pixels as 0xRRGGBB, top row first.
struct Still {
  int width = 0;
  int height = 0;
  std::string bytes;
  uint32_t Word(size_t at, int size) const {
    uint32_t v = 0;
    for (int i = size - 1; i >= 0; --i) v = v << 8 | static_cast<uint8_t>(bytes.at(at + i));
    return v;
  }
  uint32_t At(int x, int y) const {
    const uint32_t bits = Word(28, 2);
    const size_t stride = ((static_cast<size_t>(width) * bits + 31) >> 5) << 2;
    const size_t at = Word(10, 4) + (height - 1 - y) * stride + x * (bits / 8);
    return Word(at, 3);
  }
};

Still ReadStill(const std::string& bytes) {
  Still s;
  s.bytes = bytes;
  if (bytes.size() < 54 || bytes[0] != 'B' || bytes[1] != 'M') return s;
  s.width = static_cast<int>(s.Word(18, 4));
  s.height = static_cast<int>(s.Word(22, 4));
  return s;
}

// What the user does in the caption window while the image-processing window's button
// waits for it: type the caption, save the still, close the window.
struct CaptionSteps {
  std::string savePath;
  bool done = false;
  std::string chinese;
  std::string english;
};

void WorkInCaptionWindow(intptr_t arg) {
  auto* steps = reinterpret_cast<CaptionSteps*>(arg);
  if (steps->done || Handle(app::kSubtitleWindow) == nullptr) return;
  steps->done = true;
  ClickUnit(app::kSubtitleWindow, sub::kCaptionBox);
  SelectAllByKeys();
  ASSERT_TRUE(TypeUtf8("你好"));
  Pump();
  steps->chinese = Text(app::kSubtitleWindow, sub::kChineseLine, sub::kCaptionProperty);
  steps->english = Text(app::kSubtitleWindow, sub::kEnglishLine, sub::kCaptionProperty);
  ScriptFileDialogAnswer(steps->savePath);
  ClickUnit(app::kSubtitleWindow, sub::kSaveButton);
  app::CloseWindow(app::kSubtitleWindow);
}

class PhotoJourneyTest : public SubtitleTest {};

TEST_F(PhotoJourneyTest, FilteredPhotoWithTranslatedCaptionIsSavedAsAStill) {
  const std::string folder = testing_temp::MakeFolder("velmora-journey");
  ASSERT_FALSE(folder.empty());
  const fs::path photo = fs::path(VELMORA_SOURCE_DIR) / "app/assets/home.jpg";
  const fs::path still = fs::path(folder) / "still.jpg";

  OpenWindow(app::kFilterWindow);
  ASSERT_NE(Handle(app::kFilterWindow), nullptr);
  ScriptFileDialogAnswer(photo.string());
  KeyDown(VK_CONTROL);
  KeyDown('O');
  Pump();
  KeyUp('O');
  KeyUp(VK_CONTROL);
  Pump();
  for (int filter : {kNight, kBlur, kGreyscale}) ChooseFilter(filter);

  CaptionSteps steps;
  steps.savePath = still.string();
  HWND anchor = CreateWindowExA(0, "STATIC", "", 0, 0, 0, 1, 1, nullptr, nullptr, nullptr, nullptr);
  rt::AddIdleRoutine(anchor, WorkInCaptionWindow, reinterpret_cast<intptr_t>(&steps));
  ClickUnit(app::kFilterWindow, fw::kToCaptionButton);
  rt::RemoveIdleRoutines(anchor);
  DestroyWindow(anchor);

  ASSERT_TRUE(steps.done);
  EXPECT_EQ(Handle(app::kFilterWindow), nullptr);
  EXPECT_EQ(steps.chinese, testing_gbk::Gbk("你好"));
  EXPECT_EQ(steps.english, "Hello");

  // The still: 979 x 610, the black band over the photo, the photo grey all through (the
  // last filter was Greyscale, and stretching grey gives grey), the two caption lines drawn
  // in the black band below it.
  const std::string bytes = FileBytes(still);
  const Still bmp = ReadStill(bytes);
  ASSERT_EQ(bmp.width, 979);
  ASSERT_EQ(bmp.height, 610);
  int lit = 0;
  for (int y = 0; y < 60; ++y) {
    for (int x = 0; x < bmp.width; x += 7) lit += bmp.At(x, y) != 0;
  }
  EXPECT_EQ(lit, 0) << "the band above the photo is black";
  int coloured = 0;
  for (int y = 80; y < 500; y += 5) {
    for (int x = 10; x < 970; x += 5) {
      const uint32_t p = bmp.At(x, y);
      coloured += ((p >> 16) & 0xFF) != (p & 0xFF) || ((p >> 8) & 0xFF) != (p & 0xFF);
    }
  }
  EXPECT_EQ(coloured, 0) << "the photo band is grey";
  auto litIn = [&](int top, int bottom) {
    int n = 0;
    for (int y = top; y < bottom; ++y) {
      for (int x = 0; x < bmp.width; ++x) n += (bmp.At(x, y) & 0xFFFFFF) != 0;
    }
    return n;
  };
  EXPECT_GT(litIn(546, 576), 40) << "the Chinese line";
  EXPECT_GT(litIn(580, 610), 40) << "the English line";
  if (const char* look = std::getenv("VELMORA_JOURNEY_LOOK")) {
    std::ofstream(look, std::ios::binary) << bytes;
  }
  fs::remove_all(folder);
}

}  // namespace
}  // namespace velmoratest
