// The message box window: an icon, the wrapped text and a row of buttons.
#include "platform/controls/MessageBoxWindow.h"

#include <algorithm>
#include <string>

#include "platform/controls/DialogState.h"
#include "platform/kernel/CodePage.h"
#include "platform/kernel32.h"
#include "platform/user/Presenter.h"

namespace platform::controls {
namespace {

// "错误", the caption of a box without one.
constexpr const char kDefaultCaption[] = "\xB4\xED\xCE\xF3";

constexpr int kMargin = 12;
constexpr int kIconSize = 32;
constexpr int kButtonHeight = 24;
constexpr int kButtonMinWidth = 75;
constexpr int kButtonGap = 8;
// About 50 characters of the dialog font: long texts wrap rather than make a wide box.
constexpr int kMaxTextWidth = 400;

const char* LabelOf(int id) {
  switch (id) {
    case IDOK:
      return "\xC8\xB7\xB6\xA8";  // 确定
    case IDCANCEL:
      return "\xC8\xA1\xCF\xFB";  // 取消
    case IDABORT:
      return "\xD6\xD0\xD6\xB9(&A)";  // 中止(&A)
    case IDRETRY:
      return "\xD6\xD8\xCA\xD4(&R)";  // 重试(&R)
    case IDIGNORE:
      return "\xBA\xF6\xC2\xD4(&I)";  // 忽略(&I)
    case IDYES:
      return "\xCA\xC7(&Y)";  // 是(&Y)
    case IDNO:
      return "\xB7\xF1(&N)";  // 否(&N)
    case IDTRYAGAIN:
      return "\xD6\xD8\xCA\xD4(&T)";  // 重试(&T)
    case IDCONTINUE:
      return "\xBC\xCC\xD0\xF8(&C)";  // 继续(&C)
    case IDHELP:
      return "\xB0\xEF\xD6\xFA";  // 帮助
    default:
      return "";
  }
}

LPCSTR IconOf(UINT type) {
  switch (type & 0xF0) {
    case MB_ICONHAND:
      return IDI_ERROR;
    case MB_ICONQUESTION:
      return IDI_QUESTION;
    case MB_ICONEXCLAMATION:
      return IDI_WARNING;
    case MB_ICONASTERISK:
      return IDI_INFORMATION;
    default:
      return nullptr;
  }
}

struct BoxLayout {
  std::string text;
  std::string caption;
  HICON icon = nullptr;
  RECT iconRect{};
  RECT textRect{};
  std::vector<int> buttons;
  int escapeAnswer = 0;  // 0: Esc does nothing
};

BOOL CALLBACK CollectEnabled(HWND window, LPARAM param) {
  auto* windows = reinterpret_cast<std::vector<HWND>*>(param);
  if (IsWindowVisible(window) && IsWindowEnabled(window)) windows->push_back(window);
  return TRUE;
}

void CopyToClipboard(const BoxLayout& box) {
  std::string gbk = box.caption + "\n\n" + box.text + "\n";
  auto utf8 = platform::kernel::GbkToUtf8(gbk, false);
  if (utf8) platform::user::ActivePresenter().SetClipboardText(*utf8);
}

}  // namespace

int ShowMessageBoxWindow(HWND owner, LPCSTR text, LPCSTR caption, UINT type,
                         const std::vector<int>& buttons, size_t defaultIndex) {
  auto box = std::make_shared<BoxLayout>();
  box->text = text != nullptr ? text : "";
  box->caption = caption != nullptr ? caption : kDefaultCaption;
  box->buttons = buttons;
  const int defaultId = buttons[defaultIndex < buttons.size() ? defaultIndex : 0];
  bool hasCancel = std::find(buttons.begin(), buttons.end(), IDCANCEL) != buttons.end();
  bool okOnly = (type & MB_TYPEMASK) == MB_OK;
  box->escapeAnswer = hasCancel ? IDCANCEL : okOnly ? IDOK : 0;

  if (LPCSTR iconName = IconOf(type)) box->icon = LoadIconA(nullptr, iconName);
  int textLeft = kMargin + (box->icon != nullptr ? kIconSize + kMargin : 0);
  SIZE textSize = MeasureWrappedText(box->text, kMaxTextWidth);
  int contentHeight = std::max(textSize.cy, box->icon != nullptr ? kIconSize : 0);

  std::vector<int> widths;
  int rowWidth = 0;
  for (int id : buttons) {
    int width =
        std::max(kButtonMinWidth,
                 static_cast<int>(MeasureDialogText(StripAccessMarkers(LabelOf(id))).cx) + 24);
    widths.push_back(width);
    rowWidth += width;
  }
  rowWidth += kButtonGap * static_cast<int>(buttons.size() - 1);
  int clientWidth =
      std::max({textLeft + static_cast<int>(textSize.cx) + kMargin, rowWidth + 2 * kMargin, 200});
  int clientHeight = kMargin + contentHeight + 2 * kMargin + kButtonHeight + kMargin;
  box->iconRect = {kMargin, kMargin, kMargin + kIconSize, kMargin + kIconSize};
  int textTop = kMargin + (contentHeight - textSize.cy) / 2;
  box->textRect = {textLeft, textTop, textLeft + textSize.cx, textTop + textSize.cy};

  HWND root = nullptr;
  if (owner != nullptr && IsWindow(owner)) root = GetAncestor(owner, GA_ROOT);
  ModalOptions options;
  if (root != nullptr) {
    options.disable.push_back(root);
  } else if (type & MB_TASKMODAL) {
    EnumThreadWindows(GetCurrentThreadId(), CollectEnabled,
                      reinterpret_cast<LPARAM>(&options.disable));
  }
  options.cancelResult = box->escapeAnswer != 0 ? box->escapeAnswer : defaultId;

  DWORD style = (hasCancel || okOnly) ? WS_SYSMENU : 0;
  DWORD exStyle = (type & MB_SYSTEMMODAL) ? WS_EX_TOPMOST : 0;
  auto handler = [box](HWND dialog, UINT message, WPARAM wParam, LPARAM) -> std::optional<LRESULT> {
    switch (message) {
      case WM_COMMAND: {
        int id = LOWORD(wParam);
        if (HIWORD(wParam) != BN_CLICKED) return 0;
        if (id == IDHELP) return 0;  // help leaves the box open
        bool isButton =
            std::find(box->buttons.begin(), box->buttons.end(), id) != box->buttons.end();
        // Esc and the close box arrive as IDCANCEL even when there is no Cancel button.
        if (id == IDCANCEL && !isButton) {
          if (box->escapeAnswer != 0) EndDialog(dialog, box->escapeAnswer);
          return 0;
        }
        if (isButton) EndDialog(dialog, id);
        return 0;
      }
      case WM_PAINT: {
        PAINTSTRUCT paint;
        HDC dc = BeginPaint(dialog, &paint);
        if (dc != nullptr) {
          if (box->icon != nullptr)
            DrawIconEx(dc, box->iconRect.left, box->iconRect.top, box->icon, kIconSize, kIconSize,
                       0, nullptr, DI_NORMAL);
          HGDIOBJ old = SelectObject(dc, DialogFont());
          SetBkMode(dc, TRANSPARENT);
          SetTextColor(dc, GetSysColor(COLOR_WINDOWTEXT));
          RECT rect = box->textRect;
          DrawTextA(dc, box->text.c_str(), static_cast<int>(box->text.size()), &rect,
                    DT_WORDBREAK | DT_NOPREFIX | DT_EXPANDTABS);
          SelectObject(dc, old);
        }
        EndPaint(dialog, &paint);
        return 0;
      }
      default:
        return std::nullopt;
    }
  };
  HWND dialog = CreateDialogWindow(root, box->caption.c_str(), clientWidth, clientHeight, style,
                                   exStyle, handler);
  if (dialog == nullptr) return defaultId;

  int x = (clientWidth - rowWidth) / 2;
  int y = clientHeight - kMargin - kButtonHeight;
  HWND defaultButton = nullptr;
  for (size_t i = 0; i < buttons.size(); ++i) {
    DWORD buttonStyle = WS_TABSTOP | (i == 0 ? WS_GROUP : 0) |
                        (buttons[i] == defaultId ? BS_DEFPUSHBUTTON : BS_PUSHBUTTON);
    HWND button = AddDialogControl(dialog, "BUTTON", LabelOf(buttons[i]), buttonStyle, x, y,
                                   widths[i], kButtonHeight, buttons[i]);
    if (buttons[i] == defaultId) defaultButton = button;
    x += widths[i] + kButtonGap;
  }
  SendMessageA(dialog, DM_SETDEFID, static_cast<WPARAM>(defaultId), 0);
  if (auto state = DialogStateOf(dialog)) state->lastFocus = defaultButton;

  options.preTranslate = [box](MSG& msg) {
    if (msg.message == WM_KEYDOWN && (msg.wParam == 'C' || msg.wParam == VK_INSERT) &&
        ControlIsDown()) {
      CopyToClipboard(*box);
      return true;
    }
    return false;
  };
  return static_cast<int>(RunModalDialog(dialog, root, options));
}

}  // namespace platform::controls
