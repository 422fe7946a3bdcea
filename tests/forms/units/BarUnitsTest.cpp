// The timer, the progress bar, the slider, the two scroll bars and the status bar, loaded in a
// form and driven through the property services and injected input: the limits every set
// keeps, what reaches the live control, which changes re-create it, and the change events
// that come from the user.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <cstdlib>
#include <map>

#include "forms/FormsEngine.h"
#include "forms/properties/UnitProperties.h"
#include "forms/units/UnitTypes.h"
#include "forms/units/progress/ProgressUnit.h"
#include "forms/units/scrollbar/ScrollBarUnit.h"
#include "forms/units/slider/SliderUnit.h"
#include "forms/units/statusbar/StatusBarCommand.h"
#include "forms/units/statusbar/StatusBarUnit.h"
#include "forms/units/timer/TimerUnit.h"
#include "platform/commctrl.h"
#include "platform/testing/InputAutomation.h"
#include "platform/testing/MessageLoop.h"
#include "runtime/calls/CommandCall.h"
#include "runtime/memory/RuntimeHeap.h"
#include "runtime/values/ValueBlocks.h"
#include "tests/forms/engine/FormsTestSupport.h"
#include "tests/forms/units/UnitsTestSupport.h"

namespace formtest {
namespace {

using forms::GetUnitProperty;
using forms::SetUnitProperty;
using forms::TypeBlock;
using ::testing::ElementsAre;
using ::testing::ElementsAreArray;
namespace pt = platform::testing;

constexpr UnitId W = WindowIdOf(1);
constexpr uint32_t kTimer = 2, kProgress = 3, kSlider = 4, kHScroll = 5, kVScroll = 6, kStatus = 7;

const std::map<uint32_t, forms::UnitTypeId> kTypeOf = {
    {kTimer, forms::kTypeTimer},        {kProgress, forms::kTypeProcessBar},
    {kSlider, forms::kTypeSliderBar},   {kHScroll, forms::kTypeHScrollBar},
    {kVScroll, forms::kTypeVScrollBar}, {kStatus, forms::kTypeStatusBar},
};

// Every message sent or posted to a recorded window, in order.
struct Sent {
  UINT message;
  WPARAM wParam;
  LPARAM lParam;
};
std::vector<Sent>& Recorded() {
  static std::vector<Sent> sent;
  return sent;
}
std::map<HWND, WNDPROC>& Wrapped() {
  static std::map<HWND, WNDPROC> procedures;
  return procedures;
}
LRESULT CALLBACK Recorder(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  Recorded().push_back({message, wParam, lParam});
  return CallWindowProcA(Wrapped()[window], window, message, wParam, lParam);
}
void Record(HWND window) {
  Wrapped()[window] = reinterpret_cast<WNDPROC>(
      SetWindowLongPtrA(window, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&Recorder)));
}
// The last recorded message of a kind.
std::optional<Sent> LastSent(UINT message) {
  for (auto it = Recorded().rbegin(); it != Recorded().rend(); ++it) {
    if (it->message == message) return *it;
  }
  return std::nullopt;
}

class BarUnitsTest : public EngineTest {
 protected:
  void SetUp() override {
    EngineTest::SetUp();
    for (const auto& [serial, type] : kTypeOf) RegisterStandardUnitType(type);
    pt::UseVirtualClock(true);
    Recorded().clear();
  }
  void TearDown() override {
    EngineTest::TearDown();
    for (const auto& [serial, type] : kTypeOf) forms::UnregisterUnitType(type);
    pt::UseVirtualClock(false);
    Wrapped().clear();
  }

  // One unit of each kind on a 420 × 300 window, each unit's event 0 bound to the handler
  // numbered like the unit; `adjust` changes a block before the form is built.
  void LoadAll(const std::function<void(uint32_t serial, TypeBlock&)>& adjust = {}) {
    TestForm form(1);
    form.Window().width = 420;
    form.Window().height = 300;
    const std::map<uint32_t, RECT> places = {
        {kTimer, {0, 0, 20, 20}},      {kProgress, {10, 10, 300, 24}}, {kSlider, {10, 40, 300, 36}},
        {kHScroll, {10, 90, 200, 17}}, {kVScroll, {330, 10, 17, 150}}, {kStatus, {0, 0, 400, 22}},
    };
    for (const auto& [serial, r] : places) {
      TypeBlock block(*forms::FindTypeBlockLayout(kTypeOf.at(serial)));
      if (adjust) adjust(serial, block);
      auto& unit = form.AddUnit(serial, kTypeOf.at(serial), r.left, r.top, r.right, r.bottom);
      unit.typeBlock = block.Write();
      unit.bindings = {{0, Offset(serial)}};
    }
    ReadForms({form});
    ASSERT_TRUE(Load(W));
    pt::RunUntilIdle();
  }
  static HWND H(uint32_t serial) { return UnitHandle(W, UnitIdOf(serial)); }
  static int64_t Get(uint32_t serial, int32_t index) {
    return GetUnitProperty(W, UnitIdOf(serial), index, -1);
  }
  static void Set(uint32_t serial, int32_t index, int32_t value) {
    SetUnitProperty(W, UnitIdOf(serial), index, -1, static_cast<uint32_t>(value), 0);
  }
  static void SetBytes(uint32_t serial, int32_t index, const std::vector<uint8_t>& bytes) {
    void* set = rt::BuildByteSet(rt::AllocMemSized, bytes.data(), bytes.size());
    const auto p = reinterpret_cast<uintptr_t>(set);
    SetUnitProperty(W, UnitIdOf(serial), index, -1, static_cast<uint32_t>(p),
                    static_cast<uint32_t>(static_cast<uint64_t>(p) >> 32));
    rt::FreeMem(set);
  }
  static std::string GetBytes(uint32_t serial, int32_t index) {
    void* p = reinterpret_cast<void*>(static_cast<uintptr_t>(Get(serial, index)));
    rt::ByteSetView v = rt::ViewByteSet(p);
    std::string out(reinterpret_cast<const char*>(v.data), v.size);
    rt::FreeMem(p);
    return out;
  }
  // Handler calls of one unit's event 0 so far.
  static size_t Events(uint32_t serial) {
    return Lines({("handler " + std::to_string(serial) + " ").c_str()}).size();
  }
  // Runs the loop through `ms` of virtual time in small steps, so that each due tick fires.
  static void RunFor(DWORD ms) {
    for (DWORD t = 0; t < ms; t += 50) {
      pt::AdvanceClock(50);
      pt::RunUntilIdle();
    }
  }
};

TEST_F(BarUnitsTest, TimerPeriodSetMidwayKeepsStopsOrRestartsTheTicks) {
  // The timer runs at 1000 ms; at 600 ms its period is set. Ticks counted at 1100 and 3100.
  const struct {
    int32_t set;
    int64_t readBack;
    size_t by1100, by3100;
  } kCases[] = {
      {1000, 1000, 1, 3},  // unchanged: the first tick still comes at 1000
      {-5, 0, 0, 0},      {0, 0, 0, 0}, {2000, 2000, 0, 1},  // restarted at 600: 2600
      {300, 300, 1, 8},                                      // restarted at 600: 900, 1200 … 3000
  };
  for (const auto& c : kCases) {
    SCOPED_TRACE(c.set);
    LoadAll([](uint32_t serial, TypeBlock& b) {
      if (serial == kTimer) b.SetWord(forms::kTimerPeriod, 1000);
    });
    EXPECT_FALSE(IsWindowVisible(H(kTimer))) << "a timer is never shown";
    Journal().clear();
    RunFor(600);
    Set(kTimer, 8, c.set);
    EXPECT_EQ(Get(kTimer, 8), c.readBack);
    RunFor(500);
    EXPECT_EQ(Events(kTimer), c.by1100);
    RunFor(2000);
    EXPECT_EQ(Events(kTimer), c.by3100);
    DestroyWindow(WindowHandle(W));
    pt::RunUntilIdle();
  }
}

TEST_F(BarUnitsTest, TimerStoppedAtLoadStartsWhenGivenAPeriod) {
  LoadAll();
  RunFor(1000);
  EXPECT_EQ(Events(kTimer), 0u);
  Set(kTimer, 8, 250);
  RunFor(1000);
  EXPECT_EQ(Events(kTimer), 4u);
}

TEST_F(BarUnitsTest, ProgressRangeAndPositionKeepTheirLimits) {
  // Properties 8-13 read back after the sets, then what the control shows.
  const struct {
    std::vector<std::pair<int32_t, int32_t>> sets;
    std::array<int64_t, 6> read;  // border, vertical, smooth, min, max, position
    int low, high, shown;
  } kCases[] = {
      {{{11, 50}, {12, 10}, {13, 70}}, {0, 0, 1, 50, 10, 50}, 10, 50, 50},
      {{{12, 10}, {11, 50}, {13, 70}}, {0, 0, 1, 50, 10, 50}, 10, 50, 50},
      {{{11, -3}, {12, 40000}, {13, 40000}}, {0, 0, 1, 0, 32767, 32767}, 0, 32767, 32767},
      {{{13, 30}, {8, 9}}, {5, 0, 1, 0, 100, 30}, 0, 100, 30},
      {{{8, 3}, {8, -1}}, {0, 0, 1, 0, 100, 0}, 0, 100, 0},
  };
  for (const auto& c : kCases) {
    LoadAll([](uint32_t serial, TypeBlock& b) {
      if (serial == kProgress) b.SetWord(forms::kProgressSmooth, 1);
    });
    for (auto [index, value] : c.sets) Set(kProgress, index, value);
    for (int32_t i = 0; i < 6; ++i)
      EXPECT_EQ(Get(kProgress, 8 + i), c.read[i]) << "property " << 8 + i;
    PBRANGE range{};
    SendMessageA(H(kProgress), PBM_GETRANGE, TRUE, reinterpret_cast<LPARAM>(&range));
    EXPECT_EQ(range.iLow, c.low);
    EXPECT_EQ(range.iHigh, c.high);
    EXPECT_EQ(SendMessageA(H(kProgress), PBM_GETPOS, 0, 0), c.shown);
    const bool border = (GetWindowLongPtrA(H(kProgress), GWL_STYLE) & WS_BORDER) != 0;
    EXPECT_EQ(border, c.read[0] == 5);
    DestroyWindow(WindowHandle(W));
    pt::RunUntilIdle();
  }
}

TEST_F(BarUnitsTest, StyleChoicesRecreateTheControlOnlyWhenChanged) {
  const struct {
    uint32_t serial;
    int32_t index, value;
    DWORD bits;  // style bits that must be set afterwards, or (when `cleared`) clear
    bool cleared;
  } kCases[] = {
      {kProgress, 9, 1, PBS_VERTICAL, false},  {kProgress, 10, 0, PBS_SMOOTH, true},
      {kSlider, 9, 1, TBS_VERT, false},        {kSlider, 10, 2, TBS_BOTH, false},
      {kSlider, 10, 3, TBS_NOTICKS, false},    {kSlider, 12, 1, TBS_AUTOTICKS, false},
      {kStatus, 10, 1, SBARS_SIZEGRIP, false},
  };
  LoadAll([](uint32_t serial, TypeBlock& b) {
    if (serial == kProgress) b.SetWord(forms::kProgressSmooth, 1);
    if (serial == kStatus) b.SetData(forms::kStatusParts, forms::PartWidthsData({60, -1}));
  });
  Set(kProgress, 13, 30);
  Set(kSlider, 19, 7);
  for (const auto& c : kCases) {
    SCOPED_TRACE(testing::Message() << c.serial << ": " << c.index << " = " << c.value);
    HWND before = H(c.serial);
    Set(c.serial, c.index, c.value);
    HWND after = H(c.serial);
    EXPECT_NE(after, before) << "re-created";
    EXPECT_FALSE(IsWindow(before));
    EXPECT_TRUE(IsWindowVisible(after));
    const auto style = static_cast<DWORD>(GetWindowLongPtrA(after, GWL_STYLE));
    EXPECT_EQ((style & c.bits) != 0, !c.cleared);
    Set(c.serial, c.index, c.value);
    EXPECT_EQ(H(c.serial), after) << "the same value again changes nothing";
  }
  EXPECT_EQ(SendMessageA(H(kProgress), PBM_GETPOS, 0, 0), 30) << "state kept through re-creation";
  EXPECT_EQ(SendMessageA(H(kSlider), TBM_GETPOS, 0, 0), 7);
  EXPECT_EQ(SendMessageA(H(kStatus), SB_GETPARTS, 0, 0), 2);
}

TEST_F(BarUnitsTest, SliderSetsReachTheTrackbarWithTheirFloors) {
  // In order on one slider (range 0-100 at first).
  const struct {
    int32_t index, value;
    UINT message;
    WPARAM wParam;
    LPARAM lParam;
    int64_t readBack;
  } kSteps[] = {
      {11, 0, TBM_SETTICFREQ, 1, 0, 0},
      {11, 40000, TBM_SETTICFREQ, 32767, 0, 32767},
      {16, 0, TBM_SETLINESIZE, 0, 1, 0},
      {16, 4, TBM_SETLINESIZE, 0, 4, 4},
      {15, 5, TBM_SETPAGESIZE, 0, 5, 5},
      {17, 1000, TBM_SETRANGE, TRUE, MAKELPARAM(100, 1000), 1000},
      {18, 1, TBM_SETRANGE, TRUE, MAKELPARAM(1, 1000), 1},
      {19, 40000, TBM_SETPOS, TRUE, 32767, 1000},  // the control holds it at the top
      {19, -3, TBM_SETPOS, TRUE, 0, 1},
  };
  LoadAll();
  Record(H(kSlider));
  for (const auto& s : kSteps) {
    SCOPED_TRACE(testing::Message() << s.index << " = " << s.value);
    Recorded().clear();
    Set(kSlider, s.index, s.value);
    std::optional<Sent> sent = LastSent(s.message);
    ASSERT_TRUE(sent.has_value());
    EXPECT_EQ(sent->wParam, s.wParam);
    EXPECT_EQ(sent->lParam, s.lParam);
    EXPECT_EQ(Get(kSlider, s.index), s.readBack);
  }
}

TEST_F(BarUnitsTest, SliderMovedByTheUserRaisesEventZeroWithTheNewPosition) {
  LoadAll([](uint32_t serial, TypeBlock& b) {
    if (serial != kSlider) return;
    b.SetWord(forms::kSliderPageSize, 10);
    b.SetWord(forms::kSliderPosition, 50);
  });
  std::vector<int64_t> seen;
  ScriptAction(kSlider, [&] { seen.push_back(Get(kSlider, 19)); });
  RECT client{};
  GetClientRect(H(kSlider), &client);
  ASSERT_TRUE(pt::ClickInWindow(H(kSlider), {client.right - 8, client.bottom / 2}));
  pt::RunUntilIdle();
  SetFocus(H(kSlider));
  pt::PressKey(VK_LEFT);
  pt::RunUntilIdle();
  EXPECT_THAT(seen, ElementsAre(60, 59));
}

TEST_F(BarUnitsTest, ScrollBarChangesAreClampedAndTheRangeTakesEitherOrder) {
  const struct {
    int32_t index, value;
    int64_t readBack;
  } kSets[] = {
      {10, 0, 1}, {10, 40000, 32767}, {10, -9, 1}, {11, 0, 1}, {11, 32767, 32767}, {11, 5, 5},
  };
  LoadAll();
  for (const auto& s : kSets) {
    Set(kHScroll, s.index, s.value);
    EXPECT_EQ(Get(kHScroll, s.index), s.readBack) << s.index << " = " << s.value;
  }
  Set(kVScroll, 8, 80);
  Set(kVScroll, 9, 20);
  Set(kVScroll, 12, 500);
  int low = 0, high = 0;
  GetScrollRange(H(kVScroll), SB_CTL, &low, &high);
  EXPECT_EQ(low, 20);
  EXPECT_EQ(high, 80);
  EXPECT_EQ(Get(kVScroll, 12), 80) << "capped at the larger end";
  EXPECT_EQ(GetScrollPos(H(kVScroll), SB_CTL), 80);
}

TEST_F(BarUnitsTest, ScrollBarUserStepsRaiseEventZeroOnlyWhenThePositionMoves) {
  LoadAll([](uint32_t serial, TypeBlock& b) {
    if (serial != kHScroll) return;
    b.SetWord(forms::kScrollLineChange, 0);  // stored as 1
    b.SetWord(forms::kScrollPageChange, 25);
  });
  std::vector<int64_t> seen;
  ScriptAction(kHScroll, [&] { seen.push_back(Get(kHScroll, 12)); });
  HWND bar = H(kHScroll);
  RECT client{};
  GetClientRect(bar, &client);
  const int middle = client.bottom / 2;
  const struct {
    std::function<void()> act;
    std::vector<int64_t> seen;  // every read so far
  } kSteps[] = {
      {[&] {
         pt::ClickInWindow(bar, {3, middle});
       },
       {}},  // the left arrow at the start
      {[&] {
         pt::ClickInWindow(bar, {client.right - 3, middle});
       },
       {1}},
      {[&] {
         pt::ClickInWindow(bar, {client.right - 30, middle});
       },
       {1, 26}},
      {[&] { SetFocus(bar), pt::PressKey(VK_END); }, {1, 26, 100}},
      {[&] { pt::PressKey(VK_END); }, {1, 26, 100}},
      {[&] { pt::PressKey(VK_HOME); }, {1, 26, 100, 0}},
      {[&] {
         Set(kHScroll, 6, 1);
         Set(kHScroll, 12, 40);
         pt::ClickInWindow(bar, {client.right - 3, middle});
       },
       {1, 26, 100, 0}},
  };
  for (size_t i = 0; i < std::size(kSteps); ++i) {
    kSteps[i].act();
    pt::RunUntilIdle();
    EXPECT_THAT(seen, ElementsAreArray(kSteps[i].seen)) << "step " << i;
  }
  EXPECT_FALSE(IsWindowEnabled(bar)) << "a disabled bar stays disabled when its position is set";
  EXPECT_EQ(GetScrollPos(bar, SB_CTL), 40);
}

TEST_F(BarUnitsTest, StatusBarPartsTextsAndThePartTextCommand) {
  const std::string done = "\xCD\xEA\xB3\xC9";  // 完成
  LoadAll([](uint32_t serial, TypeBlock& b) {
    if (serial != kStatus) return;
    b.SetData(forms::kStatusParts, forms::PartWidthsData({100, 80, -1}));
    b.SetData(forms::kStatusTexts, forms::PartTextsData({"ready"}));
  });
  HWND bar = H(kStatus);
  int edges[4] = {};
  ASSERT_EQ(SendMessageA(bar, SB_GETPARTS, 4, reinterpret_cast<LPARAM>(edges)), 3);
  EXPECT_THAT(edges, ElementsAre(100, 180, -1, 0));
  auto text = [&](int part) {
    char buffer[64] = {};
    SendMessageA(bar, SB_GETTEXTA, part, reinterpret_cast<LPARAM>(buffer));
    return std::string(buffer);
  };
  EXPECT_EQ(text(0), "ready");

  rt::ArgRecord ref;
  ref.SetHalves(W, UnitIdOf(kStatus));
  ref.type = forms::kTypeStatusBar;
  rt::Call(forms::SetStatusPartText, {ref, rt::Arg::Int(2), rt::Arg::Text(done.c_str())});
  EXPECT_EQ(text(2), done);
  EXPECT_EQ(GetBytes(kStatus, 13), std::string("ready\0\0", 7) + done + '\0');
  // A part the bar does not have, and a unit that is no status bar, change nothing.
  rt::Call(forms::SetStatusPartText, {ref, rt::Arg::Int(3), rt::Arg::Text("x")});
  rt::Call(forms::SetStatusPartText, {ref, rt::Arg::Int(-1), rt::Arg::Text("x")});
  ref.SetHalves(W, UnitIdOf(kProgress));
  rt::Call(forms::SetStatusPartText, {ref, rt::Arg::Int(0), rt::Arg::Text("x")});
  EXPECT_EQ(GetBytes(kStatus, 13), std::string("ready\0\0", 7) + done + '\0');

  // The bar stays along the bottom of a window that grows.
  RECT client{};
  GetClientRect(WindowHandle(W), &client);
  SetWindowPos(WindowHandle(W), nullptr, 0, 0, 500, 380, SWP_NOMOVE | SWP_NOZORDER);
  pt::RunUntilIdle();
  RECT grown{}, placed{};
  GetClientRect(WindowHandle(W), &grown);
  ASSERT_GT(grown.bottom, client.bottom);
  GetWindowRect(bar, &placed);
  MapWindowPoints(nullptr, WindowHandle(W), reinterpret_cast<POINT*>(&placed), 2);
  EXPECT_EQ(placed.bottom, grown.bottom);
  EXPECT_EQ(placed.right, grown.right);

  // New parts keep the texts; fewer parts show fewer of them.
  SetBytes(kStatus, 12, forms::PartWidthsData({50}));
  ASSERT_EQ(SendMessageA(bar, SB_GETPARTS, 4, reinterpret_cast<LPARAM>(edges)), 1);
  EXPECT_EQ(text(0), "ready");
}

TEST(StatusBarData, PartListsAndTextsAreReadWithinTheirBytes) {
  const struct {
    std::vector<uint8_t> bytes;
    std::vector<int32_t> widths;
  } kWidths[] = {
      {{}, {}},
      {{100, 0, 0, 0, 5, 0}, {100}},  // a partial width is dropped
      {{100, 0, 0, 0, 0xFF, 0xFF, 0xFF, 0xFF, 7, 0, 0, 0}, {100, -1}},  // -1 ends the list
      {std::vector<uint8_t>(4 * 300, 1), std::vector<int32_t>(256, 0x01010101)},
  };
  for (const auto& c : kWidths) EXPECT_EQ(forms::ParsePartWidths(c.bytes), c.widths);
  const struct {
    std::string bytes;
    std::vector<std::string> texts;
  } kTexts[] = {
      {"", {}},
      {std::string("\0", 1), {""}},
      {std::string("a\0b", 3), {"a", "b"}},  // the last terminator may be missing
      {std::string("a\0\0c\0", 5), {"a", "", "c"}},
  };
  for (const auto& c : kTexts) {
    std::vector<uint8_t> bytes(c.bytes.begin(), c.bytes.end());
    EXPECT_EQ(forms::ParsePartTexts(bytes), c.texts) << c.bytes.size();
  }
}

TEST_F(BarUnitsTest, BarsDrawThroughTheirControls) {
  constexpr COLORREF kBack = RGB(200, 40, 40);
  LoadAll([&](uint32_t serial, TypeBlock& b) {
    if (serial == kProgress) b.SetWord(forms::kProgressPosition, 60);
    if (serial == kProgress) b.SetWord(forms::kProgressSmooth, 1);
    if (serial == kSlider) b.SetWord(forms::kSliderAutoTicks, 1);
    if (serial == kSlider) b.SetWord(forms::kSliderTickFrequency, 10);
    if (serial == kSlider) b.SetWord(forms::kSliderPosition, 30);
    if (serial == kHScroll) b.SetWord(forms::kScrollPosition, 70);
    if (serial == kVScroll) b.SetWord(forms::kScrollPosition, 20);
    if (serial == kStatus) {
      b.SetData(forms::kStatusParts, forms::PartWidthsData({120, -1}));
      b.SetData(forms::kStatusTexts, forms::PartTextsData({"Rendering", "\xCD\xEA\xB3\xC9"}));
    }
  });
  Set(kStatus, 8, static_cast<int32_t>(kBack));
  pt::Image shot = pt::CaptureWindow(WindowHandle(W));
  ASSERT_FALSE(shot.empty());
  RECT window{}, bar{}, progress{};
  GetWindowRect(WindowHandle(W), &window);
  GetWindowRect(H(kStatus), &bar);
  GetWindowRect(H(kProgress), &progress);
  EXPECT_EQ(shot.ColorAt(bar.right - window.left - 30, bar.top - window.top + 4), kBack);
  // The progress bar is filled to 60 %: the fill differs from the track left empty.
  const int y = (progress.top + progress.bottom) / 2 - window.top;
  const int width = progress.right - progress.left;
  EXPECT_NE(shot.At(progress.left - window.left + width * 3 / 10, y),
            shot.At(progress.left - window.left + width * 9 / 10, y));
  if (const char* path = std::getenv("VELMORA_BAR_UNITS_SHEET"); path != nullptr && *path != 0) {
    EXPECT_TRUE(pt::WritePng(shot, path));
  }
}

}  // namespace
}  // namespace formtest
