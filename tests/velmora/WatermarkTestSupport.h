// The watermark window opened headless and driven as a user drives it: pictures chosen
// through scripted file dialogs and loaded with the buttons, the watermark dragged with
// injected mouse input, the scale slider stepped with the keyboard. Photos are patterns
// whose every pixel the test knows; the watermark is black, so under it at 50% the photo
// keeps 128 parts of 255.
#pragma once

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <utility>

#include "app/program/Globals.h"
#include "app/program/UnitAccess.h"
#include "app/program/WindowIds.h"
#include "app/watermark/WatermarkUnits.h"
#include "forms/data/UnitId.h"
#include "forms/units/cartoon/CartoonCommands.h"
#include "platform/testing/Automation.h"
#include "platform/testing/DialogAutomation.h"
#include "platform/testing/InputAutomation.h"
#include "platform/testing/MessageLoop.h"
#include "runtime/calls/CommandCall.h"
#include "runtime/memory/RuntimeHeap.h"
#include "runtime/values/ValueBlocks.h"
#include "tests/common/BmpFile.h"
#include "tests/common/TempFolder.h"
#include "tests/velmora/VelmoraTestSupport.h"

namespace velmoratest {

namespace input = platform::testing;
using namespace app::watermark;
inline constexpr uint32_t W = app::kWatermarkWindow;
using P = std::pair<int32_t, int32_t>;

inline uint32_t PatternPixel(int x, int y) {
  return (static_cast<uint32_t>(x & 0xFF) << 16) | (static_cast<uint32_t>(y & 0xFF) << 8) | 0x40;
}

inline std::vector<uint8_t> PatternBmp(int width, int height) {
  std::vector<uint32_t> pixels;
  for (int y = 0; y < height; ++y) {
    for (int x = 0; x < width; ++x) pixels.push_back(PatternPixel(x, y));
  }
  return testing_bmp::Bmp24(width, height, pixels);
}

// The pattern with the black 40 × 30 watermark at (left, top) at 50%.
inline uint32_t PatternUnderMark(int x, int y, int left, int top) {
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
    folder_ = testing_temp::MakeFolder("watermark");
    ASSERT_FALSE(folder_.empty());
    OpenWindow(W);
    ASSERT_NE(Handle(W), nullptr);
  }
  void TearDown() override {
    input::ClearDialogScripts();
    if (Handle(W) != nullptr) app::CloseWindow(W);
    VelmoraTest::TearDown();
    input::UseVirtualClock(false);
    std::error_code ignored;
    std::filesystem::remove_all(folder_, ignored);
  }

  std::string WriteFile(const std::string& name, const std::vector<uint8_t>& bytes) {
    std::ofstream(folder_ + "/" + name, std::ios::binary)
        .write(reinterpret_cast<const char*>(bytes.data()), std::streamsize(bytes.size()));
    return folder_ + "/" + name;
  }
  std::string MarkFile() { return WriteFile("mark.bmp", testing_bmp::SolidBmp24(40, 30, 0)); }

  // The middle of a unit, clicked; presses are spaced out so that none makes a double click.
  static void Click(uint32_t unit) {
    RECT r{};
    GetClientRect(Handle(W, unit), &r);
    input::AdvanceClock(1000);
    input::ClickInWindow(Handle(W, unit), {r.right / 2, r.bottom / 2});
    Pump();
  }
  // A file dialog answered with `path` (empty: cancelled), then the button clicked.
  static void Choose(const std::string& path, uint32_t button) {
    path.empty() ? input::ScriptFileDialogCancel() : input::ScriptFileDialogAnswer(path);
    Click(button);
  }

  // Mouse input at points of the box's client area.
  static void Mouse(int x, int y, int button = 0) {  // 0 moves, 1 presses, 2 releases
    POINT p{x, y};
    ClientToScreen(Handle(W, kBox), &p);
    if (button == 1) input::AdvanceClock(1000);
    button == 0 ? input::MouseMove(p) : button == 1 ? input::MouseDown(p) : input::MouseUp(p);
    Pump();
  }
  // Pressed at (x, y), moved once to record the start, then on by (dx, dy) in steps a hand
  // makes (a pointer that jumps off the watermark before it followed ends the drag), and
  // released.
  static void DragBy(int x, int y, int dx, int dy) {
    Mouse(x, y);
    Mouse(x, y, 1);
    Mouse(x + 1, y + 1);
    const int steps = std::max({1, std::abs(dx) / 5, std::abs(dy) / 5});
    for (int i = 1; i <= steps; ++i) Mouse(x + 1 + dx * i / steps, y + 1 + dy * i / steps);
    Mouse(x + 1 + dx, y + 1 + dy, 2);
  }

  // The scale slider stepped onto `scale` with an arrow key, so that it reports the change.
  static void ScaleTo(int32_t scale) {
    const bool up = scale == kFullScale;
    app::SetInt(W, kScaleSlider, kSliderPosition, up ? scale - 1 : scale + 1);
    SetFocus(Handle(W, kScaleSlider));
    input::PressKey(up ? VK_RIGHT : VK_LEFT);
    Pump();
    ASSERT_EQ(app::GetInt(W, kScaleSlider, kSliderPosition), scale);
  }

  // GetObjectX, GetObjectY, GetObjectWidth or GetObjectHeight of an object.
  static int32_t Ask(rt::CommandRoutine query, int32_t id) {
    return rt::Call(query, {rt::Arg::Unit(W, kBox, forms::kTypeCartoonBox), rt::Arg::Int(id)})
        .As<int32_t>();
  }
  static int32_t Mark() { return app::G().watermark.watermarkObject; }
  static int32_t Photo() { return app::G().watermark.photoObject; }
  static P MarkAt() { return {Ask(forms::GetObjectX, Mark()), Ask(forms::GetObjectY, Mark())}; }

  const std::string& Folder() const { return folder_; }

 private:
  std::string folder_;
};

}  // namespace velmoratest
