// The window unit: styles from its properties, its class, icons, background colour, its
// properties through the property services, and the window commands of the core library.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <fstream>
#include <iterator>

#include "commands/support/LibraryServices.h"
#include "commands/system/WindowCommands.h"
#include "forms/FormsEngine.h"
#include "forms/data/FormData.h"
#include "forms/properties/UnitProperties.h"
#include "forms/units/UnitInterface.h"
#include "forms/units/UnitTypes.h"
#include "forms/units/window/WindowUnit.h"
#include "forms/windows/WindowList.h"
#include "platform/testing/InputAutomation.h"
#include "platform/testing/MessageLoop.h"
#include "runtime/calls/CommandCall.h"
#include "runtime/calls/ServiceTable.h"
#include "runtime/program/DefaultIcon.h"
#include "runtime/values/TypeCode.h"
#include "tests/forms/engine/FormsTestSupport.h"

namespace formtest {
namespace {

using forms::TypeBlock;

// An ICO file holding one 16×16 32-bit image with its AND mask.
std::vector<uint8_t> SixteenPixelIconFile() {
  constexpr uint32_t kPixels = 16 * 16 * 4, kMask = 16 * 4, kImage = 40 + kPixels + kMask;
  std::vector<uint8_t> f;
  auto put16 = [&](uint32_t v) {
    f.push_back(uint8_t(v));
    f.push_back(uint8_t(v >> 8));
  };
  auto put32 = [&](uint32_t v) {
    put16(v & 0xFFFF);
    put16(v >> 16);
  };
  put16(0), put16(1), put16(1);                                      // icon file, one image
  f.push_back(16), f.push_back(16), f.push_back(0), f.push_back(0);  // 16×16, no palette
  put16(1), put16(32), put32(kImage), put32(22);
  put32(40), put32(16), put32(32), put16(1), put16(32);  // height counts image and mask
  for (int i = 0; i < 6; ++i) put32(0);
  for (uint32_t i = 0; i < kPixels / 4; ++i) put32(0xFF2060C0);
  f.resize(f.size() + kMask, 0);
  return f;
}

class WindowUnitTest : public EngineTest {
 protected:
  static constexpr UnitId W = WindowIdOf(1);
  void LoadWith(const std::function<void(TestForm&)>& setup = {}) {
    TestForm form(1);
    form.AddUnit(2, kProbeType, 10, 10, 40, 30);
    if (setup) setup(form);
    ReadForms({form});
    ASSERT_TRUE(Load(form.WindowId()));
    window_ = WindowHandle(W);
  }
  HWND window_ = nullptr;
};

TEST_F(WindowUnitTest, StylesFollowBorderCaptionAndButtons) {
  constexpr DWORD kFrame = WS_CAPTION | WS_SYSMENU | WS_POPUP | WS_BORDER | WS_THICKFRAME;
  const struct {
    uint32_t border;
    const char* caption;
    bool controlBox, maxButton, minButton;
    DWORD style;  // among kFrame and the two buttons
    DWORD exStyle;
  } kCases[] = {
      {2, "A", true, false, true, WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX, 0},
      {2, "", false, false, false, WS_POPUP | WS_BORDER, 0},  // no caption bar at all
      {2, "", true, false, false, WS_CAPTION | WS_SYSMENU, 0},
      {1, "A", false, true, false, WS_CAPTION | WS_THICKFRAME | WS_MAXIMIZEBOX, 0},
      {0, "A", true, false, false, WS_POPUP, 0},
      {3, "A", false, false, false, WS_CAPTION | WS_THICKFRAME, WS_EX_TOOLWINDOW},
      {4, "A", false, false, false, WS_CAPTION, WS_EX_TOOLWINDOW},
      {5, "A", false, false, false, WS_CAPTION | WS_THICKFRAME, WS_EX_CLIENTEDGE},
      {6, "A", false, false, false, WS_CAPTION, WS_EX_CLIENTEDGE},
  };
  for (const auto& c : kCases) {
    TypeBlock p(*forms::FindTypeBlockLayout(forms::kTypeWindow));
    p.SetWord(forms::kWindowBorder, c.border);
    p.SetText(forms::kWindowCaption, c.caption);
    p.SetWord(forms::kWindowControlBox, c.controlBox);
    p.SetWord(forms::kWindowMaxButton, c.maxButton);
    p.SetWord(forms::kWindowMinButton, c.minButton);
    forms::WindowStyles s = forms::StylesFor(p);
    EXPECT_EQ(s.style & (kFrame | WS_MAXIMIZEBOX | WS_MINIMIZEBOX), c.style)
        << "border " << c.border;
    EXPECT_EQ(s.style & WS_CLIPCHILDREN, WS_CLIPCHILDREN);
    EXPECT_EQ(s.exStyle, c.exStyle) << "border " << c.border;
  }
}

TEST_F(WindowUnitTest, TheClassIsRegisteredOnceAndNamedByItsProperty) {
  LoadWith();
  char name[32] = {};
  GetClassNameA(window_, name, sizeof name);
  EXPECT_STREQ(name, "OrmWindow");
  WNDCLASSA c{};
  ASSERT_TRUE(GetClassInfoA(nullptr, "OrmWindow", &c));
  EXPECT_EQ(c.style, CS_HREDRAW | CS_VREDRAW | CS_DBLCLKS);
  EXPECT_EQ(c.hbrBackground, GetStockObject(NULL_BRUSH));

  forms::DestroyAllWindows();
  forms::LoadedForms().Clear();
  LoadWith([](TestForm& f) { f.WindowProperties().SetText(forms::kWindowClassName, "MyFrame"); });
  GetClassNameA(window_, name, sizeof name);
  EXPECT_STREQ(name, "MyFrame");
}

TEST_F(WindowUnitTest, StoredWindowStateIsShownAndReadBack) {
  const struct {
    uint32_t stored;
    bool iconic, zoomed;
    int64_t readBack;
  } kCases[] = {
      {0, false, false, 0}, {2, true, false, 2}, {3, false, true, 3}, {7, false, false, 0}};
  for (const auto& c : kCases) {
    SCOPED_TRACE(c.stored);
    forms::DestroyAllWindows();
    forms::LoadedForms().Clear();
    LoadWith([&](TestForm& f) {
      f.WindowProperties().SetWord(forms::kWindowMaxButton, 1);
      f.WindowProperties().SetWord(forms::kWindowMinButton, 1);
      f.WindowProperties().SetWord(forms::kWindowState, c.stored);
    });
    EXPECT_TRUE(IsWindowVisible(window_));
    EXPECT_EQ(IsIconic(window_) != 0, c.iconic);
    EXPECT_EQ(IsZoomed(window_) != 0, c.zoomed);
    EXPECT_EQ(forms::GetUnitProperty(W, 0, forms::kWindowState, -1), c.readBack);
  }
}

TEST_F(WindowUnitTest, IconsComeFromThePropertyOrTheProgram) {
  LoadWith();
  EXPECT_EQ(reinterpret_cast<HICON>(SendMessageA(window_, WM_GETICON, ICON_BIG, 0)),
            rt::ProgramDefaultIcons().large);
  EXPECT_EQ(reinterpret_cast<HICON>(SendMessageA(window_, WM_GETICON, ICON_SMALL, 0)),
            rt::ProgramDefaultIcons().small);

  // A one-image 16×16 icon file made here, so the check runs wherever the tests run.
  std::vector<uint8_t> ico = SixteenPixelIconFile();
  std::vector<uint8_t> block(8 + ico.size());
  block[0] = 1;
  block[4] = static_cast<uint8_t>(ico.size());
  block[5] = static_cast<uint8_t>(ico.size() >> 8);
  std::copy(ico.begin(), ico.end(), block.begin() + 8);
  forms::SetUnitProperty(W, 0, forms::kWindowIcon, -1,
                         static_cast<uint32_t>(reinterpret_cast<uintptr_t>(block.data())),
                         static_cast<uint32_t>(reinterpret_cast<uintptr_t>(block.data()) >> 32));
  HICON own = reinterpret_cast<HICON>(SendMessageA(window_, WM_GETICON, ICON_BIG, 0));
  EXPECT_NE(own, nullptr);
  EXPECT_NE(own, rt::ProgramDefaultIcons().large);
}

TEST_F(WindowUnitTest, TheBackgroundIsPaintedInTheBackColour) {
  const struct {
    uint32_t color;
    COLORREF shown;
  } kCases[] = {{RGB(10, 200, 30), RGB(10, 200, 30)},
                {forms::kSystemDefaultColor, GetSysColor(COLOR_BTNFACE)}};
  for (const auto& c : kCases) {
    forms::DestroyAllWindows();
    forms::LoadedForms().Clear();
    LoadWith([&](TestForm& f) { f.WindowProperties().SetWord(forms::kWindowBackColor, c.color); });
    platform::testing::Image image = platform::testing::CaptureWindow(window_);
    ASSERT_FALSE(image.empty());
    POINT client{150, 120};
    ClientToScreen(window_, &client);
    RECT r{};
    GetWindowRect(window_, &r);
    EXPECT_EQ(image.ColorAt(client.x - r.left, client.y - r.top), c.shown) << std::hex << c.color;
  }
}

TEST_F(WindowUnitTest, WindowPropertiesReadAndWriteThroughTheServices) {
  LoadWith();
  const rt::ServiceTable& services = rt::Services();
  std::string caption = "Renamed";
  services.setUnitProperty(
      W, 0, forms::kWindowCaption, -1,
      static_cast<uint32_t>(reinterpret_cast<uintptr_t>(caption.c_str())),
      static_cast<uint32_t>(reinterpret_cast<uintptr_t>(caption.c_str()) >> 32));
  char text[32] = {};
  GetWindowTextA(window_, text, sizeof text);
  EXPECT_STREQ(text, "Renamed");

  services.setUnitProperty(W, 0, forms::kWindowBorder, -1, static_cast<uint32_t>(-4), 0);
  EXPECT_EQ(services.getUnitProperty(W, 0, forms::kWindowBorder, -1), 0) << "negative choice";
  EXPECT_EQ(GetWindowLongPtrA(window_, GWL_STYLE) & WS_CAPTION, 0) << "border 0: no caption bar";

  ShowWindow(window_, SW_MINIMIZE);
  EXPECT_EQ(services.getUnitProperty(W, 0, forms::kWindowState, -1), 2);
  ShowWindow(window_, SW_RESTORE);
  EXPECT_EQ(services.getUnitProperty(W, 0, forms::kWindowState, -1), 0);
  services.setUnitProperty(W, 0, forms::kWindowEscCloses, -1, 9, 0);
  EXPECT_EQ(services.getUnitProperty(W, 0, forms::kWindowEscCloses, -1), 1);
}

// ---- The window commands ------------------------------------------------------------------

rt::ArgRecord Ref(UnitId window, UnitId unit, uint32_t type = kProbeType) {
  rt::ArgRecord r;
  r.SetHalves(window, unit);
  r.type = type;
  return r;
}

TEST_F(WindowUnitTest, CommandsLoadFindRedrawAndDestroy) {
  cmd::SetRuntimeNotify(&rt::RuntimeNotify);
  TestForm one(1), two(2);
  one.AddUnit(2, kProbeType, 10, 10, 40, 30);
  ReadForms({one, two});

  EXPECT_EQ(rt::Call(cmd::LoadWindow, {Ref(W, 0, rt::kTypeWindow)}).As<int32_t>(), 1);
  EXPECT_EQ(rt::Call(cmd::LoadWindow, {Ref(WindowIdOf(7), 0)}).As<int32_t>(), 0);
  EXPECT_EQ(
      rt::Call(cmd::LoadWindow, {Ref(two.WindowId(), 0), Ref(WindowIdOf(8), 0)}).As<int32_t>(), 0)
      << "a parent that is not loaded";
  HWND window = WindowHandle(W);
  HWND unit = UnitHandle(W, UnitIdOf(2));

  const struct {
    rt::ArgRecord ref;
    HWND handle;
  } kHandles[] = {{Ref(W, UnitIdOf(2)), unit},
                  {Ref(W, 0), window},
                  {Ref(W, UnitIdOf(99)), window},  // no unit of the window: the window
                  {Ref(WindowIdOf(7), 0), nullptr}};
  for (const auto& c : kHandles) {
    rt::ArgRecord r = rt::Call(cmd::GetWindowHandle, {c.ref});
    EXPECT_EQ(r.type, rt::kTypeInt);
    EXPECT_EQ(r.As<int32_t>(), static_cast<int32_t>(reinterpret_cast<intptr_t>(c.handle)));
  }

  platform::testing::RunUntilIdle();
  RECT dirty{};
  rt::Call(cmd::Redraw, {Ref(W, UnitIdOf(2))});
  EXPECT_TRUE(GetUpdateRect(unit, &dirty, FALSE));
  rt::Call(cmd::UpdateNow, {Ref(W, UnitIdOf(2))});
  EXPECT_FALSE(GetUpdateRect(unit, &dirty, FALSE));

  rt::Call(cmd::DestroyUnit, {Ref(W, 0)});
  EXPECT_TRUE(IsWindow(window)) << "closed from the window's own loop";
  platform::testing::RunUntilIdle();
  EXPECT_FALSE(IsWindow(window));

  ASSERT_EQ(rt::Call(cmd::LoadWindow, {Ref(W, 0)}).As<int32_t>(), 1);
  rt::Call(cmd::DestroyUnit, {Ref(W, 0), rt::Arg::Bool(true)});
  EXPECT_EQ(WindowHandle(W), nullptr) << "at once";
}

TEST_F(WindowUnitTest, NotifyServicesAnswerFromTheWindowList) {
  TestForm one(1), two(2);
  one.AddUnit(2, kProbeType, 10, 10, 40, 30);
  ReadForms({one, two});
  ASSERT_TRUE(Load(W));
  HWND window = WindowHandle(W);
  HWND unit = UnitHandle(W, UnitIdOf(2));
  auto notify = [](int32_t code, intptr_t a = 0, intptr_t b = 0) {
    return rt::RuntimeNotify(code, a, b);
  };
  auto h = [](HWND w) { return reinterpret_cast<intptr_t>(w); };
  void* unitObject = forms::FindUnitObject(W, UnitIdOf(2));
  int stranger = 0;

  const struct {
    int32_t code;
    intptr_t a, b, expected;
  } kCases[] = {
      {1014, h(unit), 0, 1},
      {1014, h(window), 0, 1},
      {1014, h(GetDesktopWindow()), 0, 0},
      {2032, 0, 0, 2},
      {2033, 0, 0, h(window)},
      {2033, 1, 0, 0},  // not loaded
      {2033, 5, 0, 0},  // no such position
      {2006, W, UnitIdOf(2), reinterpret_cast<intptr_t>(unitObject)},
      {2006, two.WindowId(), 0, 0},
      {2037, reinterpret_cast<intptr_t>(unitObject), 0, h(unit)},
      {2037, reinterpret_cast<intptr_t>(&stranger), 0, 0},  // not a unit object
  };
  for (const auto& c : kCases) {
    EXPECT_EQ(notify(c.code, c.a, c.b), c.expected) << c.code << " " << c.a;
  }
  forms::DestroyUnit(&stranger, true);  // a foreign pointer is ignored
  EXPECT_TRUE(IsWindow(window));
}

TEST_F(WindowUnitTest, DestroyingAUnitMadeAtRunTimeRemovesItsRecordWhenItHeldNothing) {
  LoadWith();
  forms::FormTemplate& t = Template(W);
  auto create = forms::UnitOperation<forms::CreateOperation>(forms::FindUnitType(kProbeType),
                                                             forms::kOpCreate);
  auto add = [&](uint32_t serial) {
    forms::UnitRecordFields fields;
    fields.type = kProbeType;
    fields.width = fields.height = 20;
    std::optional<size_t> index = t.AddUnit(UnitIdOf(serial), fields);
    EXPECT_TRUE(index.has_value());
    forms::UnitCreateArgs args;
    args.parent = window_;
    args.width = args.height = 20;
    args.windowId = W;
    args.unitId = UnitIdOf(serial);
    forms::UnitObject* unit = create(args);
    t.Runtime(*index).object = unit;
    return unit;
  };
  forms::UnitObject* empty = add(50);
  forms::UnitObject* holder = add(51);
  CreateWindowExA(0, "STATIC", "", WS_CHILD, 0, 0, 5, 5, holder->Handle(), nullptr, nullptr,
                  nullptr);
  HWND emptyHandle = empty->Handle();
  HWND holderHandle = holder->Handle();

  forms::DestroyUnit(empty, false);
  forms::DestroyUnit(holder, false);
  EXPECT_FALSE(IsWindow(emptyHandle));
  EXPECT_FALSE(IsWindow(holderHandle));
  EXPECT_FALSE(t.FindUnit(UnitIdOf(50)).has_value()) << "its record is gone";
  EXPECT_TRUE(t.FindUnit(UnitIdOf(51)).has_value()) << "it had a child window";
  EXPECT_TRUE(IsWindow(window_));
}

}  // namespace
}  // namespace formtest
