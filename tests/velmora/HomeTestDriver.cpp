#include "tests/velmora/HomeTestDriver.h"

#include <gtest/gtest.h>

#include "app/home/HomeUnits.h"
#include "app/program/UnitAccess.h"
#include "app/program/WindowIds.h"
#include "platform/testing/InputAutomation.h"
#include "platform/testing/MessageLoop.h"
#include "runtime/loop/MessageLoop.h"
#include "tests/velmora/VelmoraTestSupport.h"

namespace velmoratest {

namespace {

constexpr uint32_t kOtherWindows[] = {app::kAboutWindow,           app::kSubtitleWindow,
                                      app::kSubtitleLibraryWindow, app::kFilterWindow,
                                      app::kWatermarkWindow,       app::kBatchWindow};
constexpr int64_t kMusicDueMs = 1500;

void StepFromIdle(intptr_t driver) {
  reinterpret_cast<HomeDriver*>(driver)->Step();
}

HomeDriver* g_timerDriver = nullptr;
void CALLBACK StepFromTimer(HWND, UINT, UINT_PTR, DWORD) {
  if (g_timerDriver != nullptr) g_timerDriver->Step();
}

}  // namespace

POINT CloseBoxOf(HWND window) {
  RECT r{};
  GetWindowRect(window, &r);
  for (int y = r.top; y < r.top + 40; y += 2) {
    for (int x = r.right - 1; x > r.right - 80; x -= 2) {
      if (SendMessageA(window, WM_NCHITTEST, 0, MAKELPARAM(x, y)) == HTCLOSE) return {x, y};
    }
  }
  ADD_FAILURE() << "no close box";
  return {r.right - 10, r.top + 10};
}

HomeDriver::~HomeDriver() {
  if (g_timerDriver == this) g_timerDriver = nullptr;
  if (anchor_ != nullptr && IsWindow(anchor_)) DestroyWindow(anchor_);
}

void HomeDriver::Begin(int timerMs) {
  start_ = platform::testing::NowMs();
  // A window of the test's own, not a loaded window, so the program's end does not wait
  // for it; idle routines and timers need one to hang on.
  anchor_ = CreateWindowExA(0, "STATIC", "", 0, 0, 0, 1, 1, nullptr, nullptr, nullptr, nullptr);
  ASSERT_NE(anchor_, nullptr);
  if (timerMs > 0) {
    g_timerDriver = this;
    SetTimer(anchor_, 1, static_cast<UINT>(timerMs), StepFromTimer);
  } else {
    rt::AddIdleRoutine(anchor_, StepFromIdle, reinterpret_cast<intptr_t>(this));
  }
}

void HomeDriver::WatchSplash(int64_t now) {
  if (!splashSeen_) {
    splashSeen_ = true;
    record_.splashShownAt = now;
  }
  if (record_.nameShownAt < 0 &&
      IsWindowVisible(Handle(app::kSplashWindow, app::home::kSplashNameLabel))) {
    record_.nameShownAt = now;
  }
  if (audio_ != nullptr && !musicWaited_ && now >= kMusicDueMs) {
    // The player queues the sound from a thread of its own; the clock must not move on
    // before it has, or the device would miss the time that passes meanwhile.
    musicWaited_ = true;
    const size_t bytes = musicDataBytes;
    audio_->WaitUntil([bytes](const std::vector<platform::testing::PlayedDevice>& devices) {
      return !devices.empty() && devices[0].queuedBytes + devices[0].played.size() >= bytes;
    });
  }
  const bool clickNow = clickSplashAt == 0 || (clickSplashAt > 0 && now >= clickSplashAt);
  if (clickNow && !splashClicked_) {
    splashClicked_ = true;
    platform::testing::ClickInWindow(Handle(app::kSplashWindow, app::home::kSplashPicture),
                                     {200, 100});
  }
}

void HomeDriver::Step() {
  const auto now = static_cast<int64_t>(platform::testing::NowMs() - start_);
  if (Handle(app::kSplashWindow) != nullptr) {
    WatchSplash(now);
  } else if (splashSeen_ && record_.splashGoneAt < 0) {
    record_.splashGoneAt = now;
    if (audio_ != nullptr) {
      auto devices = audio_->Devices();
      record_.musicBytesAtSplashEnd = devices.empty() ? 0 : devices[0].played.size();
      record_.devicesAtSplashEnd = devices.size();
    }
  }
  if (HWND web = Handle(app::kWebPageWindow); web != nullptr && record_.webPageShownAt < 0) {
    record_.webPageShownAt = now;
    record_.faceWhileWebPage = GetSysColor(COLOR_BTNFACE);
    platform::testing::ClickAt(CloseBoxOf(web));
  }
  for (uint32_t window : kOtherWindows) {
    if (Handle(window) == nullptr) continue;
    if (!record_.opened.empty() && record_.opened.back() == window) continue;
    record_.opened.push_back(window);
    if (onWindow) onWindow(window);
    if (Handle(window) != nullptr) app::CloseWindow(window);
  }
  HWND home = Handle(app::kHomeWindow);
  if (closeHomeAfterStart && !homeClosed_ && home != nullptr && record_.webPageShownAt >= 0 &&
      Handle(app::kWebPageWindow) == nullptr && IsWindowEnabled(home)) {
    homeClosed_ = true;
    platform::testing::ClickAt(CloseBoxOf(home));
  }
}

}  // namespace velmoratest
