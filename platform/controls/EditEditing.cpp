// Edits a user or a program makes to an edit control's text, and the clipboard: the model
// changes first, then the parent hears of it twice (EN_UPDATE before the new text is shown,
// EN_CHANGE after). Either notification may destroy the control, so the handle is checked
// in between.
#include <algorithm>
#include <string>

#include "platform/controls/EditControl.h"
#include "platform/controls/SystemClasses.h"
#include "platform/kernel/CodePage.h"
#include "platform/user/Presenter.h"

namespace platform::controls::edit {

void Redraw(EditData& data) {
  UpdateScrollBars(data);
  InvalidateRect(data.hwnd, nullptr, FALSE);
}

bool ReadOnly(const EditData& data) {
  return (StyleOf(data) & ES_READONLY) != 0;
}

void AfterEdit(EditData& data) {
  HWND hwnd = data.hwnd;
  data.desiredX = -1;
  Relayout(data);
  ScrollToCaret(data);
  NotifyParent(hwnd, EN_UPDATE);
  if (!IsWindow(hwnd)) return;
  Redraw(data);
  UpdateWindow(hwnd);
  NotifyParent(hwnd, EN_CHANGE);
}

std::string ApplyCase(const EditData& data, std::string text) {
  DWORD style = StyleOf(data);
  if (!(style & (ES_UPPERCASE | ES_LOWERCASE))) return text;
  bool upper = (style & ES_UPPERCASE) != 0;
  // Only single-byte letters change; the bytes of two-byte characters are left alone.
  for (size_t p = 0; p < text.size(); p += std::max<size_t>(1, CharLengthAt(text, p))) {
    char& c = text[p];
    if (CharLengthAt(text, p) != 1) continue;
    if (upper && c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
    if (!upper && c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  }
  return text;
}

std::string NormalizeBreaks(const EditData& data, const std::string& in) {
  if (!IsMultiLine(data)) {
    size_t cut = in.find_first_of("\r\n");
    return cut == std::string::npos ? in : in.substr(0, cut);
  }
  std::string out;
  out.reserve(in.size());
  for (size_t i = 0; i < in.size(); ++i) {
    char c = in[i];
    if (c == '\r') {
      out += "\r\n";
      if (i + 1 < in.size() && in[i + 1] == '\n') ++i;
    } else if (c == '\n') {
      out += "\r\n";
    } else {
      out += c;
    }
  }
  return out;
}

void UserReplace(EditData& data, const std::string& insert) {
  if (ReadOnly(data)) return;
  bool hadSelection = data.model.hasSelection();
  std::string before = data.model.text();
  bool whole = data.model.ReplaceSelection(insert, true);
  if (!whole) NotifyParent(data.hwnd, EN_MAXTEXT);
  if (!IsWindow(data.hwnd)) return;
  if (!hadSelection && data.model.text() == before) return;
  AfterEdit(data);
}

void Copy(EditData& data) {
  // A hidden password never leaves the control.
  if (!data.model.hasSelection() || IsPassword(data)) return;
  auto utf8 = platform::kernel::GbkToUtf8(data.model.selectedText(), false);
  if (utf8) platform::user::ActivePresenter().SetClipboardText(*utf8);
}

void Cut(EditData& data) {
  if (ReadOnly(data) || IsPassword(data) || !data.model.hasSelection()) return;
  Copy(data);
  UserReplace(data, std::string());
}

void Paste(EditData& data) {
  if (ReadOnly(data)) return;
  std::string utf8 = platform::user::ActivePresenter().GetClipboardText();
  auto gbk = platform::kernel::Utf8ToGbk(utf8, false);
  if (!gbk || gbk->empty()) return;
  UserReplace(data, ApplyCase(data, NormalizeBreaks(data, *gbk)));
}

void Clear(EditData& data) {
  if (ReadOnly(data) || !data.model.hasSelection()) return;
  UserReplace(data, std::string());
}

bool Undo(EditData& data) {
  if (ReadOnly(data) || !data.model.Undo()) return false;
  AfterEdit(data);
  return true;
}

}  // namespace platform::controls::edit
