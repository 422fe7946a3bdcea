#include "platform/presenters/SdlPresenter.h"

#include <SDL.h>

#include <algorithm>
#include <array>
#include <atomic>
#include <chrono>
#include <climits>
#include <cstdlib>
#include <cstring>
#include <deque>
#include <functional>
#include <future>
#include <mutex>
#include <optional>
#include <unordered_map>
#include <unordered_set>
#include <vector>

#include "platform/gdi/DeviceContext.h"
#include "platform/gdi/Surface.h"
#include "platform/kernel/CodePage.h"
#include "platform/kernel32.h"
#include "platform/presenters/SdlInputMapping.h"
#include "platform/presenters/X11Desktop.h"
#include "platform/user/Input.h"
#include "platform/user/WindowManager.h"

namespace platform::user {
namespace {

constexpr int kHiddenCursor = -1;
// How long after we raise a window its focus event is taken as a result of the raise.
constexpr Uint32 kRaiseFocusWindowMs = 500;

// Menus, drop-down lists and other captionless popups that belong to a window: shown as
// menu-type native windows, which the desktop neither decorates, places nor focuses.
bool IsMenuLikeStyle(DWORD style, DWORD exStyle, bool owned) {
  return (style & WS_POPUP) != 0 && (style & WS_CAPTION) != WS_CAPTION &&
         (owned || (exStyle & (WS_EX_TOOLWINDOW | WS_EX_NOACTIVATE | WS_EX_TOPMOST)) != 0);
}

bool IsMenuLikePopup(HWND window) {
  return IsMenuLikeStyle(static_cast<DWORD>(GetWindowLongPtrA(window, GWL_STYLE)),
                         static_cast<DWORD>(GetWindowLongPtrA(window, GWL_EXSTYLE)),
                         GetWindow(window, GW_OWNER) != nullptr);
}

// What the presenter knows of one native window. `rect` is where the native window is on
// the screen as far as the events seen so far tell; desktop moves are compared with it.
struct NativeWindow {
  HWND hwnd = nullptr;
  SDL_Window* window = nullptr;
  Uint32 id = 0;
  RECT rect{};
  bool shown = false;
  bool minimized = false;        // iconified by the desktop's window manager
  bool hiddenMinimized = false;  // minimised with no window manager to iconify it
  bool restoreAsked = false;
  bool resizable = false;
  bool topmost = false;
  std::string titleGbk;
};

// A top-level window as the window manager has it, copied under the lock.
struct TopLevelView {
  HWND hwnd = nullptr;
  bool visible = false;
  bool active = false;
  bool minimized = false;
  bool resizable = false;
  bool topmost = false;
  bool skipTaskbar = false;
  bool popup = false;  // a menu, tooltip or drop-down: the desktop must leave it alone
  HWND owner = nullptr;
  RECT rect{};
  std::string titleGbk;
  std::shared_ptr<gdi::Surface> surface;
};

// A left press on a caption that the window manager took for a drag.
struct DesktopPress {
  HWND hwnd = nullptr;
  POINT at{};
  Uint32 ticks = 0;
};

bool SameRect(const RECT& a, const RECT& b) {
  return a.left == b.left && a.top == b.top && a.right == b.right && a.bottom == b.bottom;
}

class SdlPresenter;
std::atomic<SdlPresenter*> g_live{nullptr};

class SdlPresenter final : public Presenter {
 public:
  explicit SdlPresenter(Uint32 wakeEvent) : uiThread_(GetCurrentThreadId()), wakeEvent_(wakeEvent) {
    // Handles of the shared standard cursors, looked up once here so that SetCursorShape
    // can be answered from any thread without touching GDI.
    for (uintptr_t id = 32512; id <= 32651; ++id) {
      auto shape = SystemCursorFor(id);
      if (!shape) continue;
      HCURSOR handle = LoadCursorA(nullptr, reinterpret_cast<LPCSTR>(id));
      if (handle != nullptr) standardCursors_.emplace_back(handle, *shape);
    }
  }
  ~SdlPresenter() override { Shutdown(); }

  DWORD UiThread() const override { return uiThread_; }
  bool ShowsNativeWindows() const override { return true; }
  // Keys give WM_KEYDOWN/WM_KEYUP only; every printable character comes from SDL's text
  // input, which already knows the layout, dead keys and the input method.
  bool DeliversTypedText() const override { return true; }

  void PumpNativeEvents() override {
    if (!CanPump()) return;
    RunUiTasks();
    DrainEvents(0);
    SyncNativeWindows();
  }

  void WaitForEvents(DWORD timeoutMs) override {
    if (!CanPump()) return;
    RunUiTasks();
    SyncNativeWindows();
    if (!pending_.empty() || HasUiTasks()) {
      DrainEvents(0);
      return;
    }
    DrainEvents(timeoutMs == INFINITE ? -1 : static_cast<int>(std::min<DWORD>(timeoutMs, INT_MAX)));
    RunUiTasks();
  }

  void Wake() override {
    // One wake event in the queue is enough however often we are asked.
    if (wakePending_.exchange(true)) return;
    std::lock_guard lock(wakeMutex_);
    if (!alive_) return;
    SDL_Event event{};
    event.type = wakeEvent_;
    if (SDL_PushEvent(&event) != 1) wakePending_ = false;
  }

  // Also called when a window's surface gets its first new pixels since the last sync, with
  // that surface's lock held. What changed is found when the UI thread syncs, which it does
  // before it next waits; only another thread has to wake it.
  void TopLevelChanged(HWND) override {
    if (GetCurrentThreadId() != uiThread_) Wake();
  }

  uint64_t PresentedBytes() const { return presentedBytes_.load(); }

  void SetCursorShape(HCURSOR cursor) override {
    int wanted = kHiddenCursor;
    if (cursor != nullptr) {
      wanted = SDL_SYSTEM_CURSOR_ARROW;
      for (const auto& [handle, shape] : standardCursors_) {
        if (handle == cursor) wanted = shape;
      }
    }
    wantedCursor_ = wanted;
    if (CanPump() && !syncing_) ApplyCursor();
  }

  bool SetClipboardText(const std::string& utf8) override {
    return CallOnUiThread<bool>([text = utf8] { return SDL_SetClipboardText(text.c_str()) == 0; })
        .value_or(false);
  }

  std::string GetClipboardText() override {
    return CallOnUiThread<std::string>([] {
             char* text = SDL_GetClipboardText();
             std::string result = text != nullptr ? text : "";
             SDL_free(text);
             return result;
           })
        .value_or(std::string());
  }

  // Destroys the native windows and closes SDL's video. Only the UI thread may touch its
  // SDL objects; from another thread the process is going away and keeps them.
  void Shutdown() {
    {
      std::lock_guard lock(wakeMutex_);
      if (!alive_) return;
      alive_ = false;
    }
    SdlPresenter* self = this;
    g_live.compare_exchange_strong(self, nullptr);
    if (GetCurrentThreadId() != uiThread_) return;
    for (auto& native : natives_) SDL_DestroyWindow(native->window);
    natives_.clear();
    for (SDL_Cursor*& cursor : cursors_) {
      if (cursor != nullptr) SDL_FreeCursor(cursor);
      cursor = nullptr;
    }
    SDL_StopTextInput();
    SDL_QuitSubSystem(SDL_INIT_VIDEO);
    if (SDL_WasInit(0) == 0) SDL_Quit();
  }

  uint32_t NativeId(HWND hwnd) {
    if (!CanPump()) return 0;
    NativeWindow* native = ByHandle(hwnd);
    return native != nullptr ? native->id : 0;
  }

  bool NativeRect(HWND hwnd, RECT* rect) {
    if (!CanPump() || rect == nullptr) return false;
    NativeWindow* native = ByHandle(hwnd);
    if (native == nullptr || !native->shown) return false;
    int x = 0, y = 0, w = 0, h = 0;
    SDL_GetWindowPosition(native->window, &x, &y);
    SDL_GetWindowSize(native->window, &w, &h);
    *rect = RECT{x, y, x + w, y + h};
    return true;
  }

 private:
  bool OnUiThread() const { return GetCurrentThreadId() == uiThread_; }
  bool CanPump() const { return alive_ && OnUiThread() && !inHitTest_; }

  bool HasUiTasks() {
    std::lock_guard lock(tasksMutex_);
    return !tasks_.empty();
  }

  void RunUiTasks() {
    std::deque<std::function<void()>> tasks;
    {
      std::lock_guard lock(tasksMutex_);
      tasks.swap(tasks_);
    }
    for (auto& task : tasks) task();
  }

  // SDL's clipboard belongs to the thread that owns the display connection.
  template <typename T>
  std::optional<T> CallOnUiThread(std::function<T()> fn) {
    if (!alive_) return std::nullopt;
    if (OnUiThread()) return fn();
    auto promise = std::make_shared<std::promise<T>>();
    auto future = promise->get_future();
    {
      std::lock_guard lock(tasksMutex_);
      tasks_.push_back([promise, fn] { promise->set_value(fn()); });
    }
    Wake();
    // A UI thread busy in a long handler must not hang the caller for good.
    if (future.wait_for(std::chrono::seconds(2)) != std::future_status::ready) return std::nullopt;
    try {
      return future.get();
    } catch (const std::future_error&) {
      return std::nullopt;
    }
  }

  // Takes what SDL has (waiting up to waitMs first when nothing is queued; -1 waits for
  // good) and handles it in arrival order. Handling can call window procedures that pump
  // again; they continue with the same queue, so input keeps its order.
  void DrainEvents(int waitMs) {
    SDL_Event event;
    if (waitMs != 0) {
      const int got = waitMs < 0 ? SDL_WaitEvent(&event) : SDL_WaitEventTimeout(&event, waitMs);
      if (got == 1) pending_.push_back(event);
    }
    while (SDL_PollEvent(&event) == 1) pending_.push_back(event);
    while (!pending_.empty() && alive_) {
      event = pending_.front();
      pending_.pop_front();
      HandleEvent(event);
    }
  }

  void HandleEvent(const SDL_Event& event) {
    if (event.type == wakeEvent_) {
      wakePending_ = false;
      return;
    }
    switch (event.type) {
      case SDL_WINDOWEVENT:
        HandleWindowEvent(event.window);
        break;
      case SDL_MOUSEMOTION:
        if (auto point = ScreenPoint(event.motion.windowID, event.motion.x, event.motion.y)) {
          InputMouseMove(*point);
        }
        break;
      case SDL_MOUSEBUTTONDOWN:
      case SDL_MOUSEBUTTONUP: {
        ReleaseKeysLostInHop();
        if (event.type == SDL_MOUSEBUTTONDOWN) tookPress_.reset();
        std::optional<MouseButton> button;
        if (event.button.button == SDL_BUTTON_LEFT) button = MouseButton::Left;
        if (event.button.button == SDL_BUTTON_RIGHT) button = MouseButton::Right;
        if (event.button.button == SDL_BUTTON_MIDDLE) button = MouseButton::Middle;
        auto point = ScreenPoint(event.button.windowID, event.button.x, event.button.y);
        if (button && point) InputMouseButton(*button, event.type == SDL_MOUSEBUTTONDOWN, *point);
        break;
      }
      case SDL_MOUSEWHEEL: {
        const float notches =
            event.wheel.preciseY != 0 ? event.wheel.preciseY : static_cast<float>(event.wheel.y);
        const int delta = wheel_.Add(notches);
        auto point = ScreenPoint(event.wheel.windowID, event.wheel.mouseX, event.wheel.mouseY);
        if (delta != 0 && point) InputMouseWheel(delta, *point);
        break;
      }
      case SDL_KEYDOWN:
      case SDL_KEYUP:
        if (event.type == SDL_KEYUP && FocusHopFollows()) {
          heldAcrossHop_.push_back(event);
          break;
        }
        ReleaseKeysLostInHop();
        SendKey(event);
        break;
      case SDL_TEXTINPUT: {
        // Left Alt with a letter is a menu shortcut (WM_SYSCHAR from TranslateMessage),
        // not typing; right Alt stays free as AltGr for the layouts that type with it.
        if ((SDL_GetModState() & KMOD_LALT) != 0) break;
        std::string gbk = text_.Feed(event.text.text);
        if (!gbk.empty()) InputText(gbk);
        break;
      }
      default:
        break;
    }
  }

  void HandleWindowEvent(const SDL_WindowEvent& event) {
    NativeWindow* native = ById(event.windowID);
    if (native == nullptr) return;
    const HWND hwnd = native->hwnd;
    switch (event.event) {
      case SDL_WINDOWEVENT_EXPOSED:
        // The server keeps no copy of covered parts; what is uncovered is drawn again.
        MarkDirty(hwnd);
        break;
      case SDL_WINDOWEVENT_MOVED: {
        if (native->minimized) break;
        const int x = event.data1, y = event.data2;
        if (x == native->rect.left && y == native->rect.top) break;
        const int w = native->rect.right - native->rect.left,
                  h = native->rect.bottom - native->rect.top;
        native->rect = RECT{x, y, x + w, y + h};
        // Our geometry follows the desktop, so hit tests and input land where it shows.
        SetWindowPos(hwnd, nullptr, x, y, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
        break;
      }
      case SDL_WINDOWEVENT_SIZE_CHANGED: {
        if (native->minimized) break;
        const int w = event.data1, h = event.data2;
        MarkDirty(hwnd);
        if (w == native->rect.right - native->rect.left &&
            h == native->rect.bottom - native->rect.top)
          break;
        native->rect.right = native->rect.left + w;
        native->rect.bottom = native->rect.top + h;
        SetWindowPos(hwnd, nullptr, 0, 0, w, h, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
        break;
      }
      case SDL_WINDOWEVENT_CLOSE:
        PostMessageA(hwnd, WM_SYSCOMMAND, SC_CLOSE, 0);
        break;
      case SDL_WINDOWEVENT_HIT_TEST:
        // The window manager took the press to drag us. A second press soon after is
        // let through (see HitTest) and completes a double click with this one.
        if (pressAsked_ && pressAsked_->hwnd == hwnd) {
          tookPress_ = pressAsked_;
          tookPress_->ticks = SDL_GetTicks();
          InputDesktopTookPress(MouseButton::Left, tookPress_->at);
        }
        break;
      // Sent, not posted: the next sync compares the window manager's state with the
      // desktop's, and a command still queued would make it undo what the desktop did.
      case SDL_WINDOWEVENT_MINIMIZED:
        native->minimized = true;
        if (!IsIconic(hwnd)) SendMessageA(hwnd, WM_SYSCOMMAND, SC_MINIMIZE, 0);
        break;
      case SDL_WINDOWEVENT_RESTORED:
        if (!native->minimized) break;
        native->minimized = false;
        if (IsIconic(hwnd)) SendMessageA(hwnd, WM_SYSCOMMAND, SC_RESTORE, 0);
        MarkDirty(hwnd);
        break;
      case SDL_WINDOWEVENT_FOCUS_GAINED: {
        SkipKeysPressedAgain();
        // Raising a window to restack it also hands it the desktop's focus; that is not
        // the user choosing it.
        if (auto raised = raisedAt_.find(hwnd); raised != raisedAt_.end()) {
          const bool ours = SDL_GetTicks() - raised->second < kRaiseFocusWindowMs;
          raisedAt_.erase(raised);
          if (ours) break;
        }
        // Focus can reach a window the program has just minimised before the desktop
        // hears of it; activating it then would fight the minimise.
        if (IsIconic(hwnd)) break;
        // Menus and drop-down lists take the desktop's focus when they appear, but on
        // Windows they never become active: the window they belong to stays active.
        if (IsMenuLikePopup(hwnd)) break;
        HWND target = hwnd;
        // A window disabled behind a modal one passes activation to that one.
        if (!IsWindowEnabled(hwnd)) target = GetWindow(hwnd, GW_ENABLEDPOPUP);
        if (target != nullptr && GetActiveWindow() != target) SetActiveWindow(target);
        break;
      }
      default:
        break;
    }
  }

  // The desktop lost or resized what the native window showed: copy all of it again.
  void SendKey(const SDL_Event& event) {
    const SDL_Keysym& key = event.key.keysym;
    KeyTranslation t = TranslateSdlKey(key.sym, key.scancode, (key.mod & KMOD_NUM) != 0);
    if (t.virtualKey != 0)
      InputKey(t.virtualKey, event.type == SDL_KEYDOWN, t.scanCode, t.extended);
  }

  // When the X focus moves from one of our windows to another (a drop-down list appearing
  // takes it), SDL lets go of every held key and, once the other window has the focus,
  // presses again those still down. To the program the keyboard never left: a held Alt
  // would otherwise come up and go down again, and its final release would select the
  // menu bar. Releases followed by a focus loss are held back; presses right after a focus
  // gain that match them are dropped.
  bool FocusHopFollows() {
    for (const SDL_Event& next : pending_) {
      if (next.type == SDL_KEYUP) continue;
      return next.type == SDL_WINDOWEVENT && next.window.event == SDL_WINDOWEVENT_FOCUS_LOST &&
             ById(next.window.windowID) != nullptr;
    }
    return false;
  }

  void SkipKeysPressedAgain() {
    while (!pending_.empty() && pending_.front().type == SDL_KEYDOWN) {
      const SDL_Scancode code = pending_.front().key.keysym.scancode;
      auto held = std::find_if(heldAcrossHop_.begin(), heldAcrossHop_.end(),
                               [&](const SDL_Event& up) { return up.key.keysym.scancode == code; });
      if (held == heldAcrossHop_.end()) break;
      heldAcrossHop_.erase(held);
      pending_.pop_front();
    }
    // What was not pressed again was let go while the focus moved.
    ReleaseKeysLostInHop();
  }

  void ReleaseKeysLostInHop() {
    std::vector<SDL_Event> ups;
    ups.swap(heldAcrossHop_);
    for (const SDL_Event& up : ups) SendKey(up);
  }

  void MarkDirty(HWND hwnd) {
    std::lock_guard lock(dirtyMutex_);
    dirty_.insert(hwnd);
  }

  std::optional<POINT> ScreenPoint(Uint32 windowId, int x, int y) {
    NativeWindow* native = ById(windowId);
    if (native == nullptr) return std::nullopt;
    // While the mouse is captured the window under it may be moving (our own move loop):
    // events still queued are relative to where it was, so they would overshoot. The
    // pointer's place on the screen is what a drag follows.
    if (captured_) {
      int gx = 0, gy = 0;
      SDL_GetGlobalMouseState(&gx, &gy);
      return POINT{gx, gy};
    }
    return POINT{native->rect.left + x, native->rect.top + y};
  }

  NativeWindow* ById(Uint32 id) {
    for (auto& native : natives_) {
      if (native->id == id) return native.get();
    }
    return nullptr;
  }

  NativeWindow* ByHandle(HWND hwnd) {
    for (auto& native : natives_) {
      if (native->hwnd == hwnd) return native.get();
    }
    return nullptr;
  }

  static SDL_HitTestResult HitTest(SDL_Window* window, const SDL_Point* area, void* data) {
    auto* self = static_cast<SdlPresenter*>(data);
    NativeWindow* native = self->ById(SDL_GetWindowID(window));
    if (native == nullptr || area == nullptr || !self->OnUiThread() || self->inHitTest_) {
      return SDL_HITTEST_NORMAL;
    }
    const HWND hwnd = native->hwnd;
    const POINT screen{native->rect.left + area->x, native->rect.top + area->y};
    // The window procedure answers while SDL is inside its event loop; a pump it starts
    // from here must not re-enter SDL.
    self->inHitTest_ = true;
    const LRESULT hit = SendMessageA(hwnd, WM_NCHITTEST, 0, MAKELPARAM(screen.x, screen.y));
    self->inHitTest_ = false;
    if (!IsWindowEnabled(hwnd)) return SDL_HITTEST_NORMAL;
    const bool resizable =
        (GetWindowLongA(hwnd, GWL_STYLE) & WS_THICKFRAME) != 0 && !IsZoomed(hwnd);
    const SDL_HitTestResult result = DesktopHitTest(hit, resizable);
    if (result == SDL_HITTEST_NORMAL) return result;
    // With nobody to carry out a desktop drag, the press comes to us: our own move and
    // size loops then do it, and the click activates and raises the window on the way.
    if (!DesktopHasWindowManager(window)) return SDL_HITTEST_NORMAL;
    if (self->SecondCaptionPress(hwnd, screen)) return SDL_HITTEST_NORMAL;
    self->pressAsked_ = DesktopPress{hwnd, screen, 0};
    return result;
  }

  // A press close in time and place to one the window manager took: a double click, which
  // the window manager would swallow as the start of another drag.
  bool SecondCaptionPress(HWND hwnd, POINT at) const {
    if (!tookPress_ || tookPress_->hwnd != hwnd) return false;
    const int cx = std::max(GetSystemMetrics(SM_CXDOUBLECLK), 4);
    const int cy = std::max(GetSystemMetrics(SM_CYDOUBLECLK), 4);
    return SDL_GetTicks() - tookPress_->ticks <= GetDoubleClickTime() &&
           std::abs(at.x - tookPress_->at.x) <= cx / 2 &&
           std::abs(at.y - tookPress_->at.y) <= cy / 2;
  }

  std::vector<TopLevelView> SnapshotTopLevels(bool* capture) {
    std::vector<TopLevelView> views;
    std::lock_guard lock(UserLock());
    WindowManagerState& state = State();
    views.reserve(state.topLevel.size());
    for (Window* window : state.topLevel) {
      if (window == nullptr || window->destroyed) continue;
      TopLevelView view;
      view.hwnd = window->handle;
      view.visible = IsReallyVisible(*window);
      view.active = state.active == window->handle;
      view.minimized = window->minimized;
      view.resizable = (window->style & WS_THICKFRAME) != 0;
      view.topmost = (window->exStyle & WS_EX_TOPMOST) != 0;
      view.skipTaskbar = (window->exStyle & WS_EX_TOOLWINDOW) != 0 || window->owner != nullptr;
      view.popup = IsMenuLikeStyle(window->style, window->exStyle, window->owner != nullptr);
      view.owner = window->owner != nullptr ? window->owner->handle : nullptr;
      view.rect = WindowRectOnScreen(*window);
      view.titleGbk = window->text;
      view.surface = window->surface;
      views.push_back(std::move(view));
    }
    *capture = state.capture != nullptr;
    return views;
  }

  NativeWindow* CreateNative(const TopLevelView& view) {
    Uint32 flags = SDL_WINDOW_BORDERLESS | SDL_WINDOW_HIDDEN;
    if (view.resizable) flags |= SDL_WINDOW_RESIZABLE;
    if (view.topmost) flags |= SDL_WINDOW_ALWAYS_ON_TOP;
    if (view.skipTaskbar) flags |= SDL_WINDOW_SKIP_TASKBAR;
    // The desktop neither decorates, places nor focuses these, as menus must behave.
    if (view.popup) flags |= SDL_WINDOW_POPUP_MENU;
    const std::string title = kernel::GbkToUtf8(view.titleGbk, false).value_or(std::string());
    SDL_Window* window =
        SDL_CreateWindow(title.c_str(), view.rect.left, view.rect.top,
                         view.rect.right - view.rect.left, view.rect.bottom - view.rect.top, flags);
    if (window == nullptr) {
      // Said once per size; the same request would fail again on every turn of the loop.
      auto failed = failedCreates_.find(view.hwnd);
      if (failed == failedCreates_.end() || !SameRect(failed->second, view.rect)) {
        std::fprintf(stderr, "velmora: cannot open a native window: %s\n", SDL_GetError());
        failedCreates_[view.hwnd] = view.rect;
      }
      return nullptr;
    }
    failedCreates_.erase(view.hwnd);
    auto native = std::make_unique<NativeWindow>();
    native->hwnd = view.hwnd;
    native->window = window;
    native->id = SDL_GetWindowID(window);
    native->rect = view.rect;
    native->resizable = view.resizable;
    native->topmost = view.topmost;
    native->titleGbk = view.titleGbk;
    SDL_SetWindowHitTest(window, &SdlPresenter::HitTest, this);
    // Owned windows (dialogs) stay above their owner on the desktop too.
    if (NativeWindow* owner = ByHandle(view.owner); owner != nullptr && !view.popup) {
      SDL_SetWindowModalFor(window, owner->window);
    }
    natives_.push_back(std::move(native));
    return natives_.back().get();
  }

  // Copies what was drawn on a window's surface (32-bit BGRX) since the last time, or all of
  // it when `whole`, into its native window and pushes those parts to the screen.
  void Present(NativeWindow& native, gdi::Surface* source, bool whole) {
    // SDL is asked for its side first: nothing of SDL runs while we hold the lock of a
    // surface that any thread may be drawing on.
    SDL_Surface* target = SDL_GetWindowSurface(native.window);
    if (target == nullptr) return;
    if (SDL_MUSTLOCK(target) && SDL_LockSurface(target) != 0) return;
    // Held from taking the record to the end of the copy, so that nothing drawn meanwhile is
    // dropped from the record without being copied.
    std::unique_lock<gdi::SurfaceMutex> pixels;
    std::vector<RECT> parts;
    if (source != nullptr) {
      pixels = std::unique_lock(source->lock());
      parts = source->TakeDamage();
    }
    if (!whole && parts.empty()) {
      if (SDL_MUSTLOCK(target)) SDL_UnlockSurface(target);
      return;
    }
    const bool usable = source != nullptr && source->bitCount() == 32;
    const int w = usable ? std::min(target->w, source->width()) : 0;
    const int h = usable ? std::min(target->h, source->height()) : 0;
    if (whole) {
      if (w < target->w || h < target->h) SDL_FillRect(target, nullptr, 0);
      parts.assign(1, RECT{0, 0, w, h});
    }
    std::vector<SDL_Rect> pushed;
    uint64_t bytes = 0;
    auto* out = static_cast<uint8_t*>(target->pixels);
    const int bpp = target->format->BytesPerPixel;
    for (const RECT& part : parts) {
      const int left = std::max<int>(part.left, 0), top = std::max<int>(part.top, 0);
      const int right = std::min<int>(part.right, w), bottom = std::min<int>(part.bottom, h);
      if (right <= left || bottom <= top) continue;
      const int width = right - left;
      for (int y = top; y < bottom; ++y) {
        const uint8_t* from = source->Row(y) + static_cast<size_t>(left) * 4;
        uint8_t* to =
            out + static_cast<size_t>(y) * target->pitch + static_cast<size_t>(left) * bpp;
        if (target->format->format == SDL_PIXELFORMAT_RGB888) {
          std::memcpy(to, from, static_cast<size_t>(width) * 4);
        } else {
          SDL_ConvertPixels(width, 1, SDL_PIXELFORMAT_RGB888, from, source->stride(),
                            target->format->format, to, target->pitch);
        }
      }
      pushed.push_back(SDL_Rect{left, top, width, bottom - top});
      bytes += static_cast<uint64_t>(width) * static_cast<uint64_t>(bottom - top) * 4;
    }
    if (pixels.owns_lock()) pixels.unlock();
    if (SDL_MUSTLOCK(target)) SDL_UnlockSurface(target);
    if (whole) {
      SDL_UpdateWindowSurface(native.window);
    } else if (!pushed.empty()) {
      SDL_UpdateWindowSurfaceRects(native.window, pushed.data(), static_cast<int>(pushed.size()));
    }
    presentedBytes_ += bytes;
  }

  // Brings the native windows in line with the window manager: runs where the loop idles,
  // never while SDL is handling events.
  void SyncNativeWindows() {
    // A handler may have shut the presenter down while its events were handled.
    if (syncing_ || !alive_) return;
    syncing_ = true;
    std::unordered_set<HWND> dirty;
    {
      std::lock_guard lock(dirtyMutex_);
      dirty.swap(dirty_);
    }
    bool capture = false;
    std::vector<TopLevelView> views = SnapshotTopLevels(&capture);
    auto listed = [&](HWND hwnd) {
      return std::any_of(views.begin(), views.end(),
                         [&](const TopLevelView& v) { return v.hwnd == hwnd; });
    };
    std::erase_if(failedCreates_, [&](const auto& failed) { return !listed(failed.first); });
    // Set when a native window holding the keyboard focus goes away: X then leaves the
    // focus on nothing (SDL gives it with no window to fall back to) and keys go nowhere.
    bool focusLost = false;
    auto hide = [&](NativeWindow& native) {
      if (!native.shown) return;
      if (HoldsDesktopFocus(native.window)) focusLost = true;
      SDL_HideWindow(native.window);
      native.shown = false;
    };

    for (auto it = natives_.begin(); it != natives_.end();) {
      const HWND hwnd = (*it)->hwnd;
      if (listed(hwnd)) {
        ++it;
        continue;
      }
      if (HoldsDesktopFocus((*it)->window)) focusLost = true;
      SDL_DestroyWindow((*it)->window);
      raisedAt_.erase(hwnd);
      failedCreates_.erase(hwnd);
      it = natives_.erase(it);
    }

    std::vector<HWND> order;  // shown windows, topmost first
    for (const TopLevelView& view : views) {
      NativeWindow* native = ByHandle(view.hwnd);
      const int width = view.rect.right - view.rect.left;
      const int height = view.rect.bottom - view.rect.top;
      if (!view.visible || width <= 0 || height <= 0) {
        if (native != nullptr) hide(*native);
        continue;
      }
      bool whole = dirty.count(view.hwnd) != 0;
      if (native == nullptr) {
        if (auto failed = failedCreates_.find(view.hwnd);
            failed != failedCreates_.end() && SameRect(failed->second, view.rect)) {
          continue;
        }
        native = CreateNative(view);
        if (native == nullptr) continue;
        whole = true;
      }
      if (!view.minimized) native->hiddenMinimized = native->restoreAsked = false;
      // No window manager iconifies for us: a minimised window is hidden (not left as a
      // caption nobody can use), and comes back when the program activates it.
      if (view.minimized && !native->minimized &&
          (native->hiddenMinimized || !DesktopHasWindowManager(native->window))) {
        native->hiddenMinimized = true;
        hide(*native);
        if (view.active && !native->restoreAsked) {
          native->restoreAsked = true;
          PostMessageA(view.hwnd, WM_SYSCOMMAND, SC_RESTORE, 0);
        }
        continue;
      }
      if (!view.minimized && !SameRect(view.rect, native->rect)) {
        const RECT& had = native->rect;
        if (view.rect.left != had.left || view.rect.top != had.top) {
          SDL_SetWindowPosition(native->window, view.rect.left, view.rect.top);
        }
        if (width != had.right - had.left || height != had.bottom - had.top) {
          SDL_SetWindowSize(native->window, width, height);
          whole = true;
        }
        native->rect = view.rect;
      }
      if (view.titleGbk != native->titleGbk) {
        native->titleGbk = view.titleGbk;
        SDL_SetWindowTitle(native->window,
                           kernel::GbkToUtf8(view.titleGbk, false).value_or(std::string()).c_str());
      }
      if (view.resizable != native->resizable) {
        native->resizable = view.resizable;
        SDL_SetWindowResizable(native->window, view.resizable ? SDL_TRUE : SDL_FALSE);
      }
      if (view.topmost != native->topmost) {
        native->topmost = view.topmost;
        SDL_SetWindowAlwaysOnTop(native->window, view.topmost ? SDL_TRUE : SDL_FALSE);
      }
      // A native window that is not on the screen yet shows nothing of its own.
      Present(*native, view.surface.get(), whole || !native->shown);
      if (!native->shown) {
        SDL_ShowWindow(native->window);
        native->shown = true;
        stack_.insert(stack_.begin(), view.hwnd);  // a window mapped now lands on top
      }
      if (view.minimized != native->minimized) {
        native->minimized = view.minimized;
        if (view.minimized) {
          SDL_MinimizeWindow(native->window);
        } else {
          SDL_RestoreWindow(native->window);
        }
      }
      // Raising a window asks the desktop to activate it, which would undo a minimise.
      if (!view.minimized) order.push_back(view.hwnd);
    }
    Restack(order);
    if (focusLost) GiveFocusToActive(views);
    if (capture != captured_) {
      captured_ = capture;
      SDL_CaptureMouse(capture ? SDL_TRUE : SDL_FALSE);
    }
    ApplyCursor();
    syncing_ = false;
  }

  // The keyboard focus goes back to the window the program has active (the owner of the
  // menu or drop-down list that just closed).
  void GiveFocusToActive(const std::vector<TopLevelView>& views) {
    for (const TopLevelView& view : views) {
      if (!view.active) continue;
      NativeWindow* native = ByHandle(view.hwnd);
      if (native != nullptr && native->shown) SDL_SetWindowInputFocus(native->window);
      return;
    }
  }

  // The desktop can only raise a window to the top, so the windows above the longest
  // bottom run that is already in order are raised from the lowest up.
  void Restack(const std::vector<HWND>& order) {
    std::vector<HWND> current;
    for (HWND hwnd : stack_) {
      if (std::find(order.begin(), order.end(), hwnd) != order.end()) current.push_back(hwnd);
    }
    size_t same = 0;
    while (same < order.size() && same < current.size() &&
           order[order.size() - 1 - same] == current[current.size() - 1 - same]) {
      ++same;
    }
    // `current` holds the same windows as `order`, so a full match means nothing to do.
    for (size_t i = order.size() - same; i-- > 0;) {
      if (NativeWindow* native = ByHandle(order[i])) {
        SDL_RaiseWindow(native->window);
        raisedAt_[order[i]] = SDL_GetTicks();
      }
    }
    stack_ = order;
  }

  void ApplyCursor() {
    const int wanted = wantedCursor_;
    if (wanted == shownCursor_) return;
    shownCursor_ = wanted;
    if (wanted == kHiddenCursor) {
      SDL_ShowCursor(SDL_DISABLE);
      return;
    }
    SDL_Cursor*& cursor = cursors_[static_cast<size_t>(wanted)];
    if (cursor == nullptr) cursor = SDL_CreateSystemCursor(static_cast<SDL_SystemCursor>(wanted));
    if (cursor != nullptr) SDL_SetCursor(cursor);
    SDL_ShowCursor(SDL_ENABLE);
  }

  const DWORD uiThread_;
  const Uint32 wakeEvent_;
  std::atomic<bool> wakePending_{false};
  std::mutex wakeMutex_;
  std::atomic<bool> alive_{true};
  std::mutex dirtyMutex_;
  std::unordered_set<HWND> dirty_;  // native windows to copy whole at the next sync
  std::atomic<uint64_t> presentedBytes_{0};
  std::mutex tasksMutex_;
  std::deque<std::function<void()>> tasks_;

  // UI thread only from here on.
  std::vector<std::unique_ptr<NativeWindow>> natives_;
  std::vector<HWND> stack_;  // shown native windows as last stacked, topmost first
  std::unordered_map<HWND, Uint32> raisedAt_;     // when we last raised a window
  std::unordered_map<HWND, RECT> failedCreates_;  // the size SDL refused, per window
  std::deque<SDL_Event> pending_;
  std::optional<DesktopPress> pressAsked_;  // the caption press last offered to the window manager
  std::optional<DesktopPress> tookPress_;
  std::vector<SDL_Event> heldAcrossHop_;  // key releases held back while the focus moves   // the
                                          // one it took, waiting for a second
  bool inHitTest_ = false;
  bool syncing_ = false;
  bool captured_ = false;
  TypedTextDecoder text_;
  WheelAccumulator wheel_;
  std::vector<std::pair<HCURSOR, SDL_SystemCursor>> standardCursors_;
  std::atomic<int> wantedCursor_{SDL_SYSTEM_CURSOR_ARROW};
  int shownCursor_ = INT_MIN;
  std::array<SDL_Cursor*, SDL_NUM_SYSTEM_CURSORS> cursors_{};
};

void ShutdownAtExit() {
  if (SdlPresenter* presenter = g_live.load()) presenter->Shutdown();
}

}  // namespace

std::unique_ptr<Presenter> CreateSdlPresenter(std::string* error) {
  std::string ignored;
  if (error == nullptr) error = &ignored;
  // The program decides what closing its last window means, and Ctrl+C ends it as any
  // other program.
  SDL_SetHint(SDL_HINT_NO_SIGNAL_HANDLERS, "1");
  SDL_SetHint(SDL_HINT_QUIT_ON_LAST_WINDOW_CLOSE, "0");
  // A click on an inactive window both activates it and reaches it, as on Windows.
  SDL_SetHint(SDL_HINT_MOUSE_FOCUS_CLICKTHROUGH, "1");
  SDL_SetHint(SDL_HINT_VIDEO_MINIMIZE_ON_FOCUS_LOSS, "0");
  SDL_SetHint(SDL_HINT_VIDEO_ALLOW_SCREENSAVER, "1");
  if (SDL_InitSubSystem(SDL_INIT_VIDEO) != 0) {
    *error = SDL_GetError();
    return nullptr;
  }
  const char* driver = SDL_GetCurrentVideoDriver();
  if (driver != nullptr &&
      (std::strcmp(driver, "dummy") == 0 || std::strcmp(driver, "offscreen") == 0)) {
    *error = std::string("SDL's \"") + driver + "\" video driver shows nothing";
    SDL_QuitSubSystem(SDL_INIT_VIDEO);
    return nullptr;
  }
  const Uint32 wakeEvent = SDL_RegisterEvents(1);
  if (wakeEvent == static_cast<Uint32>(-1)) {
    *error = "no SDL event type is left for waking the UI thread";
    SDL_QuitSubSystem(SDL_INIT_VIDEO);
    return nullptr;
  }
  SDL_Rect bounds{};
  if (SDL_GetDisplayBounds(0, &bounds) == 0 && bounds.w > 0 && bounds.h > 0) {
    gdi::Screen().width = bounds.w;
    gdi::Screen().height = bounds.h;
  }
  SDL_StartTextInput();
  auto presenter = std::make_unique<SdlPresenter>(wakeEvent);
  g_live = presenter.get();
  static std::once_flag atExit;
  std::call_once(atExit, [] { std::atexit(&ShutdownAtExit); });
  return presenter;
}

void ShutdownSdlPresenter() {
  ShutdownAtExit();
}

uint32_t NativeWindowId(HWND window) {
  SdlPresenter* presenter = g_live.load();
  return presenter != nullptr ? presenter->NativeId(window) : 0;
}

uint64_t PresentedBytes() {
  SdlPresenter* presenter = g_live.load();
  return presenter != nullptr ? presenter->PresentedBytes() : 0;
}

bool NativeWindowRect(HWND window, RECT* rect) {
  SdlPresenter* presenter = g_live.load();
  return presenter != nullptr && presenter->NativeRect(window, rect);
}

}  // namespace platform::user
