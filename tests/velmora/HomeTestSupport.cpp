#include "tests/velmora/HomeTestSupport.h"

#include <unistd.h>

#include <algorithm>
#include <cstring>
#include <fstream>
#include <sstream>

#include "app/home/HomeUnits.h"
#include "app/program/Globals.h"
#include "app/program/UnitAccess.h"
#include "app/program/VelmoraProgram.h"
#include "app/program/WindowIds.h"
#include "platform/ThemeApi.h"
#include "platform/testing/InputAutomation.h"
#include "platform/testing/MessageLoop.h"
#include "runtime/RuntimeState.h"
#include "runtime/loop/MessageLoop.h"

namespace velmoratest {

namespace {

namespace input = platform::testing;

HomeDriver* g_timerDriver = nullptr;
void CALLBACK StepFromTimer(HWND, UINT, UINT_PTR, DWORD) {
  if (g_timerDriver != nullptr) g_timerDriver->Step();
}

// The screen point of a window's close box, found the way the window manager finds it.
POINT CloseBoxOf(HWND window) {
  RECT r{};
  GetWindowRect(window, &r);
  for (int y = r.top; y < r.top + 40; y += 2)
    for (int x = r.right - 1; x > r.right - 80; x -= 2)
      if (SendMessageA(window, WM_NCHITTEST, 0, MAKELPARAM(x, y)) == HTCLOSE) return {x, y};
  ADD_FAILURE() << "no close box";
  return {r.right - 10, r.top + 10};
}

}  // namespace

HomeDriver::~HomeDriver() {
  if (g_timerDriver == this) g_timerDriver = nullptr;
  if (anchor_ != nullptr && IsWindow(anchor_)) DestroyWindow(anchor_);
}

void HomeDriver::Begin(int timerMs) {
  start_ = input::NowMs();
  // A window of the test's own, which the program's end does not wait for.
  anchor_ = CreateWindowExA(0, "STATIC", "", 0, 0, 0, 1, 1, nullptr, nullptr, nullptr, nullptr);
  if (timerMs > 0) {
    g_timerDriver = this;
    SetTimer(anchor_, 1, static_cast<UINT>(timerMs), StepFromTimer);
  } else {
    rt::AddIdleRoutine(
        anchor_, [](intptr_t self) { reinterpret_cast<HomeDriver*>(self)->Step(); },
        reinterpret_cast<intptr_t>(this));
  }
}

void HomeDriver::Step() {
  const auto now = static_cast<int64_t>(input::NowMs() - start_);
  if (Handle(app::kSplashWindow) != nullptr) {
    if (record_.splashShownAt < 0) record_.splashShownAt = now;
    if (record_.nameShownAt < 0 &&
        IsWindowVisible(Handle(app::kSplashWindow, app::home::kSplashNameLabel))) {
      record_.nameShownAt = now;
    }
    if (audio_ != nullptr && !musicWaited_ && now >= 1500) {
      // The player queues the sound from a thread of its own; the clock must not move on
      // before it has, or the device would miss the time that passes meanwhile.
      musicWaited_ = true;
      const size_t bytes = musicDataBytes;
      audio_->WaitUntil([bytes](const std::vector<input::PlayedDevice>& devices) {
        return !devices.empty() && devices[0].queuedBytes + devices[0].played.size() >= bytes;
      });
    }
    if (!splashClicked_ && clickSplashAt >= 0 && now >= clickSplashAt) {
      splashClicked_ = true;
      input::ClickInWindow(Handle(app::kSplashWindow, app::home::kSplashPicture), {200, 100});
    }
  } else if (record_.splashShownAt >= 0 && record_.splashGoneAt < 0) {
    record_.splashGoneAt = now;
    if (audio_ != nullptr) {
      const auto devices = audio_->Devices();
      record_.musicBytesAtSplashEnd = devices.empty() ? 0 : devices[0].played.size();
      record_.devicesAtSplashEnd = devices.size();
    }
  }
  if (HWND web = Handle(app::kWebPageWindow); web != nullptr && record_.webPageShownAt < 0) {
    record_.webPageShownAt = now;
    record_.faceWhileWebPage = GetSysColor(COLOR_BTNFACE);
    record_.webPageAddress =
        app::GetText(app::kWebPageWindow, app::home::kWebPageViewer, app::home::kViewerAddress);
    input::ClickAt(CloseBoxOf(web));
  }
  for (uint32_t window : {app::kAboutWindow, app::kSubtitleWindow, app::kSubtitleLibraryWindow,
                          app::kFilterWindow, app::kWatermarkWindow, app::kBatchWindow}) {
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
    input::ClickAt(CloseBoxOf(home));
  }
}

void HomeTest::SetUp() {
  audio_ = std::make_unique<input::TestAudio>();
  VelmoraTest::SetUp();
}

void HomeTest::TearDown() {
  VelmoraInstallTheme(nullptr);  // every test starts in the built-in look
  VelmoraTest::TearDown();
  audio_.reset();
}

void HomeTest::StartHome(HomeDriver& driver) {
  driver.Begin();
  OpenWindow(app::kHomeWindow);
}

void HomeTest::StartWithStillSplash() {
  EndVelmora();
  static std::vector<uint8_t> data;
  static rt::ImageHeader header;
  header = app::ProgramHeader();
  const auto* form = static_cast<const uint8_t*>(header.formData);
  data.assign(form, form + header.formDataSize);
  // The splash's picture box stores the picture as a length and the GIF file's bytes; the
  // word before them is the animation switch.
  const std::vector<uint8_t> gif = ReadFile(VELMORA_SOURCE_DIR "/app/assets/splash.gif");
  ASSERT_GT(gif.size(), 16u);
  const auto at = std::search(data.begin(), data.end(), gif.begin(), gif.begin() + 16);
  ASSERT_NE(at, data.end());
  ASSERT_GE(at - data.begin(), 8);
  uint32_t words[2];
  std::memcpy(words, &*(at - 8), 8);
  ASSERT_EQ(words[1], gif.size()) << "the picture's length";
  ASSERT_EQ(words[0], 1u) << "the animation switch";
  std::fill(at - 8, at - 4, uint8_t{0});
  header.formData = data.data();
  app::AssembleProgram();
  rt::InitRuntime(&header);
  app::CreateGlobals();
  rt::SetEndRoutine(&app::FreeGlobals);
}

COLORREF SkinFaceColour(int number) {
  std::ifstream in(VELMORA_SOURCE_DIR "/tools/skin_maker/skins.txt");
  std::string line, name, face;
  while (std::getline(in, line)) {
    std::istringstream row(line);
    int n = 0;
    if (line.empty() || line[0] == '#' || !(row >> n >> name >> face) || n != number) continue;
    const auto rgb = static_cast<uint32_t>(std::stoul(face.substr(1), nullptr, 16));
    return RGB(static_cast<BYTE>(rgb >> 16), static_cast<BYTE>(rgb >> 8), static_cast<BYTE>(rgb));
  }
  return CLR_INVALID;
}

std::string ExecutableFolder() {
  char path[4096] = {};
  const ssize_t n = readlink("/proc/self/exe", path, sizeof path - 1);
  const std::string exe(path, n > 0 ? static_cast<size_t>(n) : 0);
  return exe.substr(0, exe.find_last_of('/'));
}

void RunFrom(const std::string& folder) {
  rt::Runtime().runDirectory = folder;
  rt::Runtime().programDirectory = folder + "/";
}

}  // namespace velmoratest
