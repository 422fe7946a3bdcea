// Timers on the virtual clock: periods, resets, kills, procedures and thread timers.
#include <vector>

#include "tests/platform/user/MessageTestSupport.h"

using namespace message_test;
using platform::testing::AdvanceClock;
using platform::testing::NowMs;
using platform::testing::RunUntilIdle;

namespace {

struct ProcCall {
  HWND hwnd;
  UINT message;
  UINT_PTR id;
  DWORD time;
  DWORD tickAtCall;
};
std::vector<ProcCall> g_procCalls;

void CALLBACK RecordingTimerProc(HWND hwnd, UINT message, UINT_PTR id, DWORD time) {
  g_procCalls.push_back({hwnd, message, id, time, GetTickCount()});
}

class TimerTest : public MessageTest {
 protected:
  void SetUp() override {
    MessageTest::SetUp();
    g_procCalls.clear();
    RunUntilIdle();
    TakeLog();
  }

  // The ids of the WM_TIMER messages the window procedures received since the last call.
  static std::vector<WPARAM> TimerIds() {
    std::vector<WPARAM> ids;
    for (const Received& r : TakeLog()) {
      if (r.message == WM_TIMER) ids.push_back(r.wParam);
    }
    return ids;
  }

  TestWindow window_;
};

TEST_F(TimerTest, FiresOncePerPeriodAndCoalescesMissedPeriods) {
  ASSERT_NE(SetTimer(window_, 7, 100, nullptr), 0u);
  AdvanceClock(99);
  RunUntilIdle();
  EXPECT_TRUE(TimerIds().empty());
  AdvanceClock(1);
  RunUntilIdle();
  EXPECT_EQ(TimerIds(), std::vector<WPARAM>{7});
  RunUntilIdle();
  EXPECT_TRUE(TimerIds().empty());  // not due again until the next period
  AdvanceClock(100);
  RunUntilIdle();
  EXPECT_EQ(TimerIds(), std::vector<WPARAM>{7});

  // Ten periods without a look give one WM_TIMER, and the timer keeps its phase.
  AdvanceClock(1000);
  RunUntilIdle();
  EXPECT_EQ(TimerIds(), std::vector<WPARAM>{7});
  AdvanceClock(99);
  RunUntilIdle();
  EXPECT_TRUE(TimerIds().empty());
  AdvanceClock(1);
  RunUntilIdle();
  EXPECT_EQ(TimerIds(), std::vector<WPARAM>{7});
}

TEST_F(TimerTest, SettingAnExistingIdRestartsItAndKillStopsIt) {
  SetTimer(window_, 1, 100, nullptr);
  SetTimer(window_, 2, 150, nullptr);
  AdvanceClock(60);
  EXPECT_EQ(SetTimer(window_, 1, 100, nullptr), 1u);  // restarted: due at 160 now
  AdvanceClock(60);
  RunUntilIdle();
  EXPECT_TRUE(TimerIds().empty());
  AdvanceClock(30);
  RunUntilIdle();
  EXPECT_EQ(TimerIds(), std::vector<WPARAM>{2});
  AdvanceClock(10);
  RunUntilIdle();
  EXPECT_EQ(TimerIds(), std::vector<WPARAM>{1});

  EXPECT_TRUE(KillTimer(window_, 1));
  EXPECT_FALSE(KillTimer(window_, 1));
  EXPECT_FALSE(KillTimer(window_, 99));
  AdvanceClock(1000);
  RunUntilIdle();
  EXPECT_EQ(TimerIds(), std::vector<WPARAM>{2});
  EXPECT_TRUE(KillTimer(window_, 2));
}

TEST_F(TimerTest, KillingADueTimerWithdrawsItsMessage) {
  SetTimer(window_, 3, 50, nullptr);
  AdvanceClock(50);
  MSG msg;
  ASSERT_TRUE(PeekMessageA(&msg, nullptr, 0, 0, PM_NOREMOVE));
  EXPECT_EQ(msg.message, WM_TIMER);
  KillTimer(window_, 3);
  EXPECT_FALSE(PeekMessageA(&msg, nullptr, 0, 0, PM_NOREMOVE));
}

TEST_F(TimerTest, ShortPeriodsAreRaisedToTheMinimum) {
  SetTimer(window_, 1, 1, nullptr);
  AdvanceClock(USER_TIMER_MINIMUM - 1);
  RunUntilIdle();
  EXPECT_TRUE(TimerIds().empty());
  AdvanceClock(1);
  RunUntilIdle();
  EXPECT_EQ(TimerIds(), std::vector<WPARAM>{1});
}

TEST_F(TimerTest, TimerProcedureIsCalledOnDispatchInsteadOfTheWindowProcedure) {
  SetTimer(window_, 4, 40, RecordingTimerProc);
  AdvanceClock(45);
  MSG msg;
  ASSERT_TRUE(PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE));
  EXPECT_EQ(msg.message, WM_TIMER);
  EXPECT_EQ(msg.lParam, reinterpret_cast<LPARAM>(&RecordingTimerProc));
  AdvanceClock(3);  // the procedure gets the time of the dispatch
  DispatchMessageA(&msg);
  ASSERT_EQ(g_procCalls.size(), 1u);
  EXPECT_EQ(g_procCalls[0].hwnd, window_.get());
  EXPECT_EQ(g_procCalls[0].message, WM_TIMER);
  EXPECT_EQ(g_procCalls[0].id, 4u);
  EXPECT_EQ(g_procCalls[0].time, g_procCalls[0].tickAtCall);
  EXPECT_EQ(g_procCalls[0].time, GetTickCount());
  EXPECT_TRUE(TimerIds().empty());
}

TEST_F(TimerTest, ThreadTimersGetFreshIdsAndHaveNoWindow) {
  const UINT_PTR first = SetTimer(nullptr, 0, 30, RecordingTimerProc);
  const UINT_PTR second = SetTimer(nullptr, 0, 70, RecordingTimerProc);
  ASSERT_NE(first, 0u);
  ASSERT_NE(second, 0u);
  EXPECT_NE(first, second);
  // An id that names none of the thread's timers is not taken as given.
  const UINT_PTR third = SetTimer(nullptr, 0x5EED, 500, nullptr);
  EXPECT_NE(third, 0x5EEDu);
  EXPECT_TRUE(KillTimer(nullptr, third));
  // Naming an existing one replaces it.
  EXPECT_EQ(SetTimer(nullptr, second, 40, RecordingTimerProc), second);

  AdvanceClock(40);
  RunUntilIdle();
  ASSERT_EQ(g_procCalls.size(), 2u);
  EXPECT_EQ(g_procCalls[0].hwnd, nullptr);
  EXPECT_EQ(g_procCalls[0].id, first);  // due earlier
  EXPECT_EQ(g_procCalls[1].id, second);
  EXPECT_TRUE(KillTimer(nullptr, first));
  EXPECT_TRUE(KillTimer(nullptr, second));
  EXPECT_FALSE(KillTimer(nullptr, second));
}

TEST_F(TimerTest, GetMessageWithOnlyTimersLeftMovesVirtualTimeToTheNextOne) {
  SetTimer(window_, 1, 250, nullptr);
  SetTimer(window_, 2, 400, nullptr);
  const uint64_t start = NowMs();
  MSG msg;
  ASSERT_EQ(GetMessageA(&msg, nullptr, 0, 0), 1);
  EXPECT_EQ(msg.message, WM_TIMER);
  EXPECT_EQ(msg.wParam, 1u);
  EXPECT_EQ(NowMs() - start, 250u);
  ASSERT_EQ(GetMessageA(&msg, nullptr, 0, 0), 1);
  EXPECT_EQ(msg.wParam, 2u);
  EXPECT_EQ(NowMs() - start, 400u);
  // A window filter waits only for its own timers.
  TestWindow other;
  RunUntilIdle();
  SetTimer(other, 9, 1000, nullptr);
  ASSERT_EQ(GetMessageA(&msg, other, 0, 0), 1);
  EXPECT_EQ(msg.hwnd, other.get());
  EXPECT_EQ(msg.wParam, 9u);
  EXPECT_EQ(NowMs() - start, 1400u);
}

TEST_F(TimerTest, RunUntilStepsThroughTimeAndSleepMovesTheClock) {
  int ticks = 0;
  SetHandler(window_, [&](HWND, UINT message, WPARAM, LPARAM) -> std::optional<LRESULT> {
    if (message == WM_TIMER) ++ticks;
    return std::nullopt;
  });
  SetTimer(window_, 1, 100, nullptr);
  uint64_t start = NowMs();
  EXPECT_TRUE(platform::testing::RunUntil([&] { return ticks == 5; }));
  EXPECT_EQ(NowMs() - start, 500u);
  // A condition that never holds gives up after its budget of virtual time.
  start = NowMs();
  EXPECT_FALSE(platform::testing::RunUntil([] { return false; }, 350));
  EXPECT_EQ(NowMs() - start, 350u);
  EXPECT_EQ(ticks, 8);
  KillTimer(window_, 1);

  const DWORD before = GetTickCount();
  Sleep(1234);
  EXPECT_EQ(GetTickCount() - before, 1234u);
}

TEST_F(TimerTest, TimersAndPaintsComeOnlyWhenNothingElseWaits) {
  SetTimer(window_, 1, 10, nullptr);
  AdvanceClock(10);
  InvalidateRect(window_, nullptr, FALSE);
  PostMessageA(window_, WM_USER + 1, 0, 0);
  RunUntilIdle();
  EXPECT_EQ(Kinds(TakeLog()), (std::vector<UINT>{WM_USER + 1, WM_PAINT, WM_TIMER}));
}

TEST_F(TimerTest, DestroyedWindowTakesItsTimersWithIt) {
  HWND gone;
  {
    TestWindow doomed;
    RunUntilIdle();
    gone = doomed;
    SetTimer(doomed, 1, 20, nullptr);
  }
  TakeLog();
  AdvanceClock(100);
  RunUntilIdle();
  for (const Received& r : TakeLog()) EXPECT_NE(r.hwnd, gone);
  SetLastError(0);
  EXPECT_FALSE(KillTimer(gone, 1));
  EXPECT_EQ(GetLastError(), ERROR_INVALID_WINDOW_HANDLE);
}

TEST_F(TimerTest, ClockNeverRunsBackwardsWhenVirtualTimeIsSwitchedOff) {
  SetTimer(window_, 1, 5000, nullptr);
  AdvanceClock(100000);
  const uint64_t reached = NowMs();
  platform::testing::UseVirtualClock(false);
  EXPECT_GE(NowMs(), reached);
  // The timer that fell due in virtual time is still due in real time.
  MSG msg;
  EXPECT_TRUE(PeekMessageA(&msg, window_, WM_TIMER, WM_TIMER, PM_REMOVE));
  KillTimer(window_, 1);
  platform::testing::UseVirtualClock(true);
  EXPECT_GE(NowMs(), reached);
}

}  // namespace
