// The message box. With a screen, or with a test driving dialogs, it is a modal window;
// without either it writes caption and text to stderr, where a person running the program
// or a test log can read them, and answers with the box's default button. A scripted answer
// always takes the place of the user.
#include <cstdio>
#include <mutex>
#include <vector>

#include "platform/controls/Dialog.h"
#include "platform/controls/MessageBoxWindow.h"
#include "platform/kernel/CodePage.h"
#include "platform/kernel32.h"
#include "platform/user/AutomationHooks.h"
#include "platform/user32.h"

namespace {

// "错误", the caption Windows gives a box without one on a Chinese system.
constexpr const char kDefaultCaption[] = "\xB4\xED\xCE\xF3";

// The buttons of a style, left to right; empty for a style Windows rejects.
std::vector<int> ButtonsOf(UINT type) {
  std::vector<int> buttons;
  switch (type & MB_TYPEMASK) {
    case MB_OK:
      buttons = {IDOK};
      break;
    case MB_OKCANCEL:
      buttons = {IDOK, IDCANCEL};
      break;
    case MB_ABORTRETRYIGNORE:
      buttons = {IDABORT, IDRETRY, IDIGNORE};
      break;
    case MB_YESNOCANCEL:
      buttons = {IDYES, IDNO, IDCANCEL};
      break;
    case MB_YESNO:
      buttons = {IDYES, IDNO};
      break;
    case MB_RETRYCANCEL:
      buttons = {IDRETRY, IDCANCEL};
      break;
    case MB_CANCELTRYCONTINUE:
      buttons = {IDCANCEL, IDTRYAGAIN, IDCONTINUE};
      break;
    default:
      return {};
  }
  if (type & MB_HELP) buttons.push_back(IDHELP);
  return buttons;
}

std::string ToUtf8(LPCSTR gbk) {
  return platform::kernel::GbkToUtf8(gbk != nullptr ? gbk : "", false).value_or(std::string());
}

std::mutex& OutputMutex() {
  static std::mutex* mutex = new std::mutex();
  return *mutex;
}

}  // namespace

int MessageBoxA(HWND owner, LPCSTR text, LPCSTR caption, UINT type) {
  std::vector<int> buttons = ButtonsOf(type);
  if (buttons.empty()) {
    SetLastError(ERROR_INVALID_MSGBOX_STYLE);
    return 0;
  }
  size_t defaultIndex = (type & MB_DEFMASK) >> 8;
  // A default beyond the last button falls back to the first, as on Windows.
  if (defaultIndex >= buttons.size()) defaultIndex = 0;
  int defaultAnswer = buttons[defaultIndex];

  platform::user::MessageBoxRecord record;
  record.captionUtf8 = ToUtf8(caption != nullptr ? caption : kDefaultCaption);
  record.textUtf8 = ToUtf8(text);
  record.type = type;
  {
    // One box at a time, so that boxes from several threads neither interleave their
    // output nor take each other's scripted answers out of order.
    std::lock_guard lock(OutputMutex());
    std::optional<int> scripted = platform::user::ActiveDialogScript().TakeMessageBoxAnswer();
    if (scripted || !platform::controls::DialogsAreWindows()) {
      std::fprintf(stderr, "%s\n%s\n", record.captionUtf8.c_str(), record.textUtf8.c_str());
      std::fflush(stderr);
      record.answer = scripted.value_or(defaultAnswer);
      int answer = record.answer;
      platform::user::ActiveDialogScript().MessageBoxShown(std::move(record));
      return answer;
    }
  }
  // The window runs a message loop, which may raise another box: the lock is not held.
  record.answer = platform::controls::ShowMessageBoxWindow(
      owner, text, caption != nullptr ? caption : kDefaultCaption, type, buttons, defaultIndex);
  int answer = record.answer;
  platform::user::ActiveDialogScript().MessageBoxShown(std::move(record));
  return answer;
}
