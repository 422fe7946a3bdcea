// Creating the platform's dialogs and running them modally.
#include <algorithm>
#include <vector>

#include "platform/controls/DialogState.h"
#include "platform/kernel32.h"
#include "platform/user/AutomationHooks.h"
#include "platform/user/Presenter.h"

namespace platform::controls {
namespace {

struct ModalFrame {
  HWND dialog;
  const ModalOptions* options;
};

// The modal loops running on this thread, innermost last.
thread_local std::vector<ModalFrame> t_modalStack;

bool IsKeyMessage(UINT message) {
  return message == WM_KEYDOWN || message == WM_KEYUP || message == WM_CHAR ||
         message == WM_SYSKEYDOWN || message == WM_SYSKEYUP || message == WM_SYSCHAR;
}

bool InDialog(HWND dialog, HWND window) {
  return window != nullptr && (window == dialog || IsChild(dialog, window));
}

void HandleDialogMessage(HWND dialog, const ModalOptions* options, MSG& msg) {
  // Keys typed ahead were addressed to the control focused when they were typed; they
  // belong to the control focused now, as when a person tabs and types quickly.
  if (IsKeyMessage(msg.message) && InDialog(dialog, msg.hwnd)) {
    HWND focus = GetFocus();
    if (InDialog(dialog, focus)) msg.hwnd = focus;
  }
  NoteKeyMessage(msg);
  if (options != nullptr && options->preTranslate && options->preTranslate(msg)) return;
  if (!IsDialogMessageA(dialog, &msg)) {
    TranslateMessage(&msg);
    DispatchMessageA(&msg);
  }
}

HWND RootOf(HWND window) {
  if (window == nullptr || !IsWindow(window)) return nullptr;
  HWND root = GetAncestor(window, GA_ROOT);
  return root != nullptr ? root : window;
}

}  // namespace

bool DialogsAreWindows() {
  if (platform::user::CurrentDialogDriver()) return true;
  platform::user::Presenter& presenter = platform::user::ActivePresenter();
  if (!presenter.ShowsNativeWindows()) return false;
  // Native windows live on the presenter's thread; a dialog asked for on another thread
  // could never be shown there, so it answers as without a screen.
  DWORD ui = presenter.UiThread();
  return ui == 0 || ui == GetCurrentThreadId();
}

HFONT DialogFont() {
  return static_cast<HFONT>(GetStockObject(DEFAULT_GUI_FONT));
}

SIZE MeasureDialogText(const std::string& gbk) {
  SIZE size{0, 0};
  HDC dc = CreateCompatibleDC(nullptr);
  if (dc == nullptr) return size;
  HGDIOBJ old = SelectObject(dc, DialogFont());
  GetTextExtentPoint32A(dc, gbk.c_str(), static_cast<int>(gbk.size()), &size);
  SelectObject(dc, old);
  DeleteDC(dc);
  return size;
}

SIZE MeasureWrappedText(const std::string& gbk, int width) {
  SIZE size{0, 0};
  HDC dc = CreateCompatibleDC(nullptr);
  if (dc == nullptr) return size;
  HGDIOBJ old = SelectObject(dc, DialogFont());
  RECT rect{0, 0, width, 0};
  DrawTextA(dc, gbk.c_str(), static_cast<int>(gbk.size()), &rect,
            DT_CALCRECT | DT_WORDBREAK | DT_NOPREFIX | DT_EXPANDTABS);
  size.cx = rect.right - rect.left;
  size.cy = rect.bottom - rect.top;
  SelectObject(dc, old);
  DeleteDC(dc);
  return size;
}

std::string StripAccessMarkers(const std::string& gbk) {
  std::string out;
  for (size_t i = 0; i < gbk.size(); ++i) {
    unsigned char c = static_cast<unsigned char>(gbk[i]);
    if (c >= 0x81 && c <= 0xFE && i + 1 < gbk.size()) {
      out += gbk[i];
      out += gbk[++i];
      continue;
    }
    if (c == '&') {
      if (i + 1 < gbk.size() && gbk[i + 1] == '&') out += '&';
      if (i + 1 < gbk.size()) ++i;
      if (i < gbk.size() && gbk[i] != '&') out += gbk[i];
      continue;
    }
    out += gbk[i];
  }
  return out;
}

HWND CreateDialogWindow(HWND owner, LPCSTR title, int clientWidth, int clientHeight, DWORD style,
                        DWORD exStyle, DialogHandler handler) {
  style |= WS_POPUP | WS_CAPTION | WS_CLIPCHILDREN;
  exStyle |= WS_EX_DLGMODALFRAME | WS_EX_CONTROLPARENT;
  RECT frame{0, 0, clientWidth, clientHeight};
  AdjustWindowRectEx(&frame, style, FALSE, exStyle);
  int width = frame.right - frame.left;
  int height = frame.bottom - frame.top;
  HWND root = RootOf(owner);
  RECT area{0, 0, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)};
  if (root != nullptr && IsWindowVisible(root)) GetWindowRect(root, &area);
  int x = area.left + (area.right - area.left - width) / 2;
  int y = area.top + (area.bottom - area.top - height) / 2;
  // Keep the caption on the screen, where it can be grabbed.
  x = std::max(0, std::min(x, GetSystemMetrics(SM_CXSCREEN) - width));
  y = std::max(0, std::min(y, GetSystemMetrics(SM_CYSCREEN) - height));
  SetPendingDialogHandler(std::move(handler));
  HWND dialog = CreateWindowExA(exStyle, WC_DIALOG, title, style, x, y, width, height, root,
                                nullptr, nullptr, nullptr);
  SetPendingDialogHandler(nullptr);
  if (dialog != nullptr)
    SendMessageA(dialog, WM_SETFONT, reinterpret_cast<WPARAM>(DialogFont()), 0);
  return dialog;
}

HWND AddDialogControl(HWND dialog, LPCSTR className, LPCSTR text, DWORD style, int x, int y,
                      int width, int height, int id, DWORD exStyle) {
  HWND control =
      CreateWindowExA(exStyle, className, text, WS_CHILD | WS_VISIBLE | style, x, y, width, height,
                      dialog, reinterpret_cast<HMENU>(static_cast<intptr_t>(id)), nullptr, nullptr);
  if (control != nullptr)
    SendMessageA(control, WM_SETFONT, reinterpret_cast<WPARAM>(DialogFont()), FALSE);
  return control;
}

INT_PTR RunModalDialog(HWND dialog, HWND owner, const ModalOptions& options) {
  std::shared_ptr<DialogState> state = DialogStateOf(dialog);
  if (state == nullptr) return options.cancelResult;

  std::vector<HWND> disabled;
  for (HWND window : options.disable) {
    if (window == nullptr || window == dialog || !IsWindow(window) || !IsWindowEnabled(window))
      continue;
    EnableWindow(window, FALSE);
    disabled.push_back(window);
  }
  ShowWindow(dialog, SW_SHOW);
  SetActiveWindow(dialog);
  UpdateWindow(dialog);

  t_modalStack.push_back({dialog, &options});
  platform::user::DialogDriver driver = platform::user::CurrentDialogDriver();
  const bool onScreen = platform::user::ActivePresenter().ShowsNativeWindows();
  bool driverCalled = false;
  bool quit = false;
  int quitCode = 0;
  while (!state->ended && IsWindow(dialog)) {
    MSG msg{};
    if (!PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
      if (driver && !driverCalled) {
        driverCalled = true;
        driver(dialog);
        continue;
      }
      if (!onScreen) {
        // Without a screen nothing more can arrive: the dialog is left unanswered.
        state->ended = true;
        state->result = options.cancelResult;
        break;
      }
      if (!GetMessageA(&msg, nullptr, 0, 0)) {
        quit = true;
        quitCode = static_cast<int>(msg.wParam);
        break;
      }
    } else if (msg.message == WM_QUIT) {
      quit = true;
      quitCode = static_cast<int>(msg.wParam);
      break;
    }
    HandleDialogMessage(dialog, &options, msg);
  }
  t_modalStack.pop_back();

  INT_PTR result = state->ended ? state->result : options.cancelResult;
  // The owner comes back before the dialog goes, so that activation returns to it.
  for (auto it = disabled.rbegin(); it != disabled.rend(); ++it)
    if (IsWindow(*it)) EnableWindow(*it, TRUE);
  if (IsWindow(dialog)) DestroyWindow(dialog);
  HWND root = RootOf(owner);
  if (root != nullptr && IsWindowVisible(root)) SetActiveWindow(root);
  if (quit) PostQuitMessage(quitCode);
  return result;
}

int PumpModalDialogMessages() {
  int handled = 0;
  MSG msg{};
  while (handled < 100000 && PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
    if (msg.message == WM_QUIT) {
      PostQuitMessage(static_cast<int>(msg.wParam));
      break;
    }
    ++handled;
    HWND dialog = nullptr;
    const ModalOptions* options = nullptr;
    for (auto it = t_modalStack.rbegin(); it != t_modalStack.rend(); ++it) {
      if (IsWindow(it->dialog)) {
        dialog = it->dialog;
        options = it->options;
        break;
      }
    }
    if (dialog == nullptr) {
      TranslateMessage(&msg);
      DispatchMessageA(&msg);
    } else {
      HandleDialogMessage(dialog, options, msg);
    }
  }
  return handled;
}

}  // namespace platform::controls
