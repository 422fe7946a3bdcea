// Choosing the presenter at program start: headless when asked, the real screen otherwise,
// and a plain refusal (never a run nobody can see) when there is no display.
#include <SDL.h>
#include <fcntl.h>
#include <gtest/gtest.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <array>
#include <chrono>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <future>
#include <string>
#include <vector>

#include "platform/gdi/DeviceContext.h"
#include "platform/presenters/ProgramPresenter.h"
#include "platform/presenters/SdlPresenter.h"
#include "platform/user/Presenter.h"
#include "platform/user32.h"
#include "tests/platform/user/XServerTestSupport.h"

extern char** environ;

namespace platform::user {
namespace {

// Leaves the child of a death test without any way to reach a display.
void ForgetDisplays() {
  for (const char* name : {"DISPLAY", "WAYLAND_DISPLAY", "VELMORA_HEADLESS", "SDL_VIDEODRIVER"})
    unsetenv(name);
}

class PresenterStart : public ::testing::Test {
 protected:
  void SetUp() override {
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    const char* headless = std::getenv("VELMORA_HEADLESS");
    saved_ = headless != nullptr ? std::optional<std::string>(headless) : std::nullopt;
  }
  void TearDown() override {
    if (saved_) {
      setenv("VELMORA_HEADLESS", saved_->c_str(), 1);
    } else {
      unsetenv("VELMORA_HEADLESS");
    }
  }
  std::optional<std::string> saved_;
};

TEST_F(PresenterStart, HeadlessWhenAskedEvenWithADisplay) {
  setenv("VELMORA_HEADLESS", "1", 1);
  ASSERT_TRUE(StartPresenterForProgram());
  EXPECT_FALSE(ActivePresenter().ShowsNativeWindows());
  EXPECT_FALSE(ActivePresenter().DeliversTypedText());
}

TEST_F(PresenterStart, NoDisplayIsRefusedInPlainWords) {
  EXPECT_EXIT(
      {
        ForgetDisplays();
        std::exit(StartPresenterForProgram() ? 0 : 7);
      },
      ::testing::ExitedWithCode(7), "needs a graphical display.*\n.*xvfb-run.*VELMORA_HEADLESS=1");
}

TEST_F(PresenterStart, OtherHeadlessValuesDoNotSkipTheDisplayCheck) {
  EXPECT_EXIT(
      {
        ForgetDisplays();
        setenv("VELMORA_HEADLESS", "0", 1);
        std::exit(StartPresenterForProgram() ? 0 : 7);
      },
      ::testing::ExitedWithCode(7), "needs a graphical display");
}

// The demo program is built beside the tests; it is what a person would start.
TEST_F(PresenterStart, DemoProgramExitsWithFailureWithoutDisplay) {
  const std::filesystem::path demo =
      std::filesystem::read_symlink("/proc/self/exe").parent_path() / "window_demo";
  if (!std::filesystem::exists(demo)) GTEST_SKIP() << "window_demo is not built";
  int output[2];
  ASSERT_EQ(pipe2(output, O_CLOEXEC), 0);
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_adddup2(&actions, output[1], STDERR_FILENO);
  std::string program = demo.string();
  char* argv[] = {program.data(), nullptr};
  std::string path =
      std::string("PATH=") + (std::getenv("PATH") ? std::getenv("PATH") : "/usr/bin:/bin");
  char* env[] = {path.data(), nullptr};
  pid_t pid = 0;
  ASSERT_EQ(posix_spawn(&pid, program.c_str(), &actions, nullptr, argv, env), 0);
  posix_spawn_file_actions_destroy(&actions);
  close(output[1]);
  std::string said;
  std::array<char, 512> buffer;
  ssize_t got;
  while ((got = read(output[0], buffer.data(), buffer.size())) > 0)
    said.append(buffer.data(), static_cast<size_t>(got));
  close(output[0]);
  int status = 0;
  ASSERT_EQ(waitpid(pid, &status, 0), pid);
  ASSERT_TRUE(WIFEXITED(status));
  EXPECT_NE(WEXITSTATUS(status), 0);
  EXPECT_NE(said.find("needs a graphical display"), std::string::npos) << said;
}

std::vector<MSG> g_received;

// Keeps the input messages the window gets, in order.
LRESULT CALLBACK RecordingProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_LBUTTONDOWN:
    case WM_LBUTTONUP:
    case WM_MOUSEWHEEL:
    case WM_KEYDOWN:
    case WM_KEYUP:
    case WM_CHAR:
    case WM_SYSCOMMAND:
      g_received.push_back(MSG{window, message, wParam, lParam, 0, {}});
      break;
    default:
      break;
  }
  return DefWindowProcA(window, message, wParam, lParam);
}

const MSG* Received(UINT message, size_t nth = 0) {
  for (const MSG& m : g_received) {
    if (m.message == message && nth-- == 0) return &m;
  }
  return nullptr;
}

void Push(SDL_Event event) {
  SDL_PushEvent(&event);
}

// Runs the loop until nothing is left to do, so the presenter reaches its idle point.
void PumpUntilIdle() {
  MSG message;
  for (int round = 0; round < 20; ++round) {
    while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) DispatchMessageA(&message);
  }
}

bool NativeAt(HWND window, RECT expected) {
  // The X server answers asynchronously; give it a few turns of the loop.
  for (int round = 0; round < 50; ++round) {
    PumpUntilIdle();
    RECT actual{};
    if (NativeWindowRect(window, &actual) && actual.left == expected.left &&
        actual.top == expected.top && actual.right == expected.right &&
        actual.bottom == expected.bottom) {
      return true;
    }
    usleep(10000);
  }
  return false;
}

// Desktop events as SDL reports them, fed to the presenter's queue, arrive as messages.
// The window's client area starts 6 px right of and 30 px below its corner at (100, 80).
int DesktopInputReachesTheWindow(HWND window) {
  const Uint32 id = NativeWindowId(window);
  if (id == 0) return 20;
  SetFocus(window);
  g_received.clear();
  SDL_Event e{};
  e.type = SDL_MOUSEBUTTONDOWN;
  e.button = SDL_MouseButtonEvent{SDL_MOUSEBUTTONDOWN, 0, id, 0,  SDL_BUTTON_LEFT,
                                  SDL_PRESSED,         1, 0,  50, 60};
  Push(e);
  e.button.type = e.type = SDL_MOUSEBUTTONUP;
  e.button.state = SDL_RELEASED;
  Push(e);
  e = SDL_Event{};
  e.type = SDL_KEYDOWN;
  e.key.type = SDL_KEYDOWN;
  e.key.windowID = id;
  e.key.state = SDL_PRESSED;
  e.key.keysym.scancode = SDL_SCANCODE_LEFT;
  e.key.keysym.sym = SDLK_LEFT;
  Push(e);
  e = SDL_Event{};
  e.type = SDL_TEXTINPUT;
  e.text.type = SDL_TEXTINPUT;
  e.text.windowID = id;
  std::strcpy(e.text.text, "\xE4\xBD\xA0");  // 你, GBK C4 E3
  Push(e);
  e = SDL_Event{};
  e.type = SDL_MOUSEWHEEL;
  e.wheel.type = SDL_MOUSEWHEEL;
  e.wheel.windowID = id;
  e.wheel.y = -1;
  e.wheel.preciseY = -1.0f;
  e.wheel.mouseX = 20;
  e.wheel.mouseY = 40;
  Push(e);
  PumpUntilIdle();

  const MSG* down = Received(WM_LBUTTONDOWN);
  if (down == nullptr || GET_X_LPARAM(down->lParam) != 44 || GET_Y_LPARAM(down->lParam) != 30)
    return 21;
  if (Received(WM_LBUTTONUP) == nullptr) return 22;
  const MSG* key = Received(WM_KEYDOWN);
  if (key == nullptr || key->wParam != VK_LEFT) return 23;
  if (((key->lParam >> 16) & 0xFF) != 0x4B || (key->lParam & KF_EXTENDED_BIT) == 0) return 24;
  const MSG* lead = Received(WM_CHAR, 0);
  const MSG* trail = Received(WM_CHAR, 1);
  if (lead == nullptr || trail == nullptr || lead->wParam != 0xC4 || trail->wParam != 0xE3)
    return 25;
  if (Received(WM_CHAR, 2) != nullptr) return 26;
  const MSG* wheel = Received(WM_MOUSEWHEEL);
  if (wheel == nullptr || GET_WHEEL_DELTA_WPARAM(wheel->wParam) != -WHEEL_DELTA) return 27;
  if (GET_X_LPARAM(wheel->lParam) != 120 || GET_Y_LPARAM(wheel->lParam) != 120) return 28;

  // The desktop's close button asks the program, which may refuse; here it closes.
  g_received.clear();
  e = SDL_Event{};
  e.type = SDL_WINDOWEVENT;
  e.window.type = SDL_WINDOWEVENT;
  e.window.windowID = id;
  e.window.event = SDL_WINDOWEVENT_MOVED;
  e.window.data1 = 130;
  e.window.data2 = 90;
  Push(e);
  PumpUntilIdle();
  RECT moved{};
  GetWindowRect(window, &moved);
  if (moved.left != 130 || moved.top != 90 || moved.right != 430 || moved.bottom != 290) return 29;
  SetWindowPos(window, nullptr, 100, 80, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
  return 0;
}

// A menu-type popup that the desktop focuses (as X does when it appears) must not take
// activation from the window it belongs to; a normal window the desktop focuses does.
int DesktopFocusActivatesOnlyRealWindows(HWND window) {
  HWND popup = CreateWindowExA(WS_EX_TOOLWINDOW | WS_EX_TOPMOST, "PresenterOnXvfb", "", WS_POPUP,
                               120, 100, 80, 60, nullptr, nullptr, nullptr, nullptr);
  if (popup == nullptr) return 40;
  ShowWindow(popup, SW_SHOWNA);
  SetActiveWindow(window);
  if (!NativeAt(popup, RECT{120, 100, 200, 160})) return 41;
  SDL_Event e{};
  e.type = SDL_WINDOWEVENT;
  e.window.type = SDL_WINDOWEVENT;
  e.window.event = SDL_WINDOWEVENT_FOCUS_GAINED;
  e.window.windowID = NativeWindowId(popup);
  // Twice: the presenter passes over the focus that its own raising of a window brings.
  Push(e);
  Push(e);
  PumpUntilIdle();
  const bool stolen = GetActiveWindow() != window;
  DestroyWindow(popup);
  PumpUntilIdle();
  if (stolen) return 42;
  HWND other = CreateWindowExA(0, "PresenterOnXvfb", "y", WS_CAPTION | WS_VISIBLE, 500, 300, 120,
                               90, nullptr, nullptr, nullptr, nullptr);
  if (other == nullptr) return 43;
  SetActiveWindow(window);
  if (!NativeAt(other, RECT{500, 300, 620, 390})) return 44;
  e.window.windowID = NativeWindowId(other);
  Push(e);
  Push(e);
  PumpUntilIdle();
  const bool activated = GetActiveWindow() == other;
  DestroyWindow(other);
  SetActiveWindow(window);
  PumpUntilIdle();
  return activated ? 0 : 45;
}

// The desktop clipboard works from the UI thread and, through it, from any other thread.
int ClipboardGoesThroughTheDesktop() {
  Presenter& presenter = ActivePresenter();
  const std::string text = "\xE5\x89\xAA\xE8\xB4\xB4 ok";  // 剪贴 ok
  if (!presenter.SetClipboardText(text)) return 30;
  if (presenter.GetClipboardText() != text) return 31;
  auto fromWorker = std::async(std::launch::async, [&presenter] {
    presenter.SetClipboardText("from a worker");
    return presenter.GetClipboardText();
  });
  // The worker's requests are carried out here, when the UI thread pumps.
  while (fromWorker.wait_for(std::chrono::milliseconds(0)) != std::future_status::ready) {
    presenter.WaitForEvents(50);
  }
  if (fromWorker.get() != "from a worker") return 32;
  return 0;
}

// Each failed step returns its own code, so the parent's report names it.
int NativeWindowsFollowTopLevelWindows() {
  if (!StartPresenterForProgram()) return 2;
  if (!ActivePresenter().ShowsNativeWindows() || !ActivePresenter().DeliversTypedText()) return 3;
  if (gdi::Screen().width != 800 || gdi::Screen().height != 600) return 4;
  WNDCLASSA cls{};
  cls.lpfnWndProc = RecordingProc;
  cls.lpszClassName = "PresenterOnXvfb";
  cls.hbrBackground = static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH));
  if (RegisterClassA(&cls) == 0) return 5;
  HWND window = CreateWindowExA(0, "PresenterOnXvfb", "x", WS_CAPTION | WS_VISIBLE, 100, 80, 300,
                                200, nullptr, nullptr, nullptr, nullptr);
  if (window == nullptr) return 6;
  if (!NativeAt(window, RECT{100, 80, 400, 280})) return 7;
  if (const int failed = DesktopInputReachesTheWindow(window); failed != 0) return failed;
  if (const int failed = ClipboardGoesThroughTheDesktop(); failed != 0) return failed;
  if (const int failed = DesktopFocusActivatesOnlyRealWindows(window); failed != 0) return failed;
  SetWindowPos(window, nullptr, 150, 120, 320, 240, SWP_NOZORDER | SWP_NOACTIVATE);
  if (!NativeAt(window, RECT{150, 120, 470, 360})) return 8;
  ShowWindow(window, SW_HIDE);
  PumpUntilIdle();
  RECT ignored;
  if (NativeWindowRect(window, &ignored)) return 9;
  ShowWindow(window, SW_SHOWNA);
  if (!NativeAt(window, RECT{150, 120, 470, 360})) return 10;
  DestroyWindow(window);
  PumpUntilIdle();
  if (NativeWindowRect(window, &ignored)) return 11;
  // Asking for headless later replaces the SDL presenter and lets go of the display.
  setenv("VELMORA_HEADLESS", "1", 1);
  if (!StartPresenterForProgram() || ActivePresenter().ShowsNativeWindows()) return 12;
  return 0;
}

int RunOnPrivateServer() {
  IgnoreSdlStartupLeaks();
  PrivateXServer server;
  if (server.display().empty()) return 1;
  ForgetDisplays();
  setenv("DISPLAY", server.display().c_str(), 1);
  const int result = NativeWindowsFollowTopLevelWindows();
  // SDL must let go of the server before it stops, or its exit handler fails instead.
  ShutdownSdlPresenter();
  return result;
}

TEST_F(PresenterStart, NativeWindowsFollowTopLevelWindowsOnARealScreen) {
  if (!OnPath("Xvfb")) GTEST_SKIP() << "no Xvfb to open a display with";
  EXPECT_EXIT(std::exit(RunOnPrivateServer()), ::testing::ExitedWithCode(0), "");
}

}  // namespace
}  // namespace platform::user
