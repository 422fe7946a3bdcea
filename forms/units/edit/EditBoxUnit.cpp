#include "forms/units/edit/EditBoxUnit.h"

#include <algorithm>
#include <string>
#include <utility>

#include "forms/events/PreTranslate.h"

namespace forms {

namespace {

constexpr char kDefaultPasswordChar = '*';

std::string WindowText(HWND window) {
  std::string text(static_cast<size_t>(std::max(0, GetWindowTextLengthA(window))) + 1, '\0');
  text.resize(static_cast<size_t>(
      std::max(0, GetWindowTextA(window, text.data(), static_cast<int>(text.size())))));
  return text;
}

class EditBoxUnit : public ControlUnit {
 public:
  EditBoxUnit(uint32_t windowId, uint32_t unitId, TypeBlock properties)
      : ControlUnit(windowId, unitId, std::move(properties), {kEditContent, kEditFont}) {}

  // What the block cannot set at creation: the length limit and the input mode.
  void FinishSetUp() {
    ApplyLimit();
    ApplyInputMode();
  }

  int32_t GetProperty(uint32_t property, PropertyValue* out) override {
    switch (property) {
      case kEditContent:
        return ReturnText(WindowText(Handle()), out);
      case kEditSelStart:
      case kEditSelLength: {
        auto [start, end] = Selection();
        out->word = property == kEditSelStart ? start : end - start;
        return 1;
      }
      case kEditSelText: {
        auto [start, end] = Selection();
        std::string text = WindowText(Handle());
        end = std::min<DWORD>(end, static_cast<DWORD>(text.size()));
        start = std::min(start, end);
        return ReturnText(text.substr(start, end - start), out);
      }
      default:
        return ControlUnit::GetProperty(property, out);
    }
  }

  std::string Caption() override { return WindowText(Handle()); }

  std::vector<uint8_t> CurrentBlock() override {
    // What the user typed lives in the control; a re-created box must keep it.
    Properties().SetText(kEditContent, WindowText(Handle()));
    return ControlUnit::CurrentBlock();
  }

 protected:
  int32_t Apply(uint32_t property) override {
    HWND h = Handle();
    switch (property) {
      case kEditContent:
        SetWindowTextA(h, Properties().Text(kEditContent).c_str());
        SendMessageA(h, WM_COMMAND, MAKEWPARAM(GetDlgCtrlID(h), EN_CHANGE),
                     reinterpret_cast<LPARAM>(h));
        return 0;
      case kEditBorder:
        ApplyBorder();
        return 0;
      case kEditTextColor:
      case kEditBackColor:
        InvalidateRect(h, nullptr, TRUE);
        return 0;
      case kEditFont:
        SendMessageA(h, WM_SETFONT, reinterpret_cast<WPARAM>(Font()), TRUE);
        return 0;
      case kEditMaxLength:
        ApplyLimit();
        return 0;
      case kEditMultiLine:
      case kEditScrollBars:
      case kEditAlignment:
        return 1;
      case kEditInputMode:
      case kEditPasswordChar:
        ApplyInputMode();
        InvalidateRect(h, nullptr, TRUE);
        return 0;
      default:
        return 0;
    }
  }

  bool SetRunTimeProperty(uint32_t property, const PropertyValue& value) override {
    HWND h = Handle();
    auto [start, end] = Selection();
    const auto word = static_cast<int32_t>(value.word);
    switch (property) {
      case kEditSelStart: {
        const int32_t from = std::max(0, word);
        SendMessageA(h, EM_SETSEL, static_cast<WPARAM>(from),
                     static_cast<LPARAM>(from + static_cast<int32_t>(end - start)));
        return true;
      }
      case kEditSelLength:
        SendMessageA(h, EM_SETSEL, start, static_cast<LPARAM>(start + std::max(0, word)));
        return true;
      case kEditSelText:
        // The control tells of the change itself (EN_CHANGE), so the event follows once.
        SendMessageA(h, EM_REPLACESEL, TRUE,
                     reinterpret_cast<LPARAM>(value.data != nullptr ? value.data : ""));
        return true;
      default:
        return false;
    }
  }

  LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) override {
    switch (message) {
      case WM_CHAR:
        return OnChar(wParam, lParam);
      case WM_COMMAND:  // sent by a set of the content
      case kReflectedBase + WM_COMMAND:
        if (HIWORD(wParam) == EN_CHANGE) Changed();
        return 0;
      case kReflectedBase + WM_CTLCOLOREDIT:
      case kReflectedBase + WM_CTLCOLORSTATIC:
        return ControlColors(
            reinterpret_cast<HDC>(wParam), Properties().Word(kEditTextColor) & 0x00FFFFFF,
            ResolveColor(
                Properties().Word(kEditBackColor),
                message == kReflectedBase + WM_CTLCOLOREDIT ? COLOR_WINDOW : COLOR_BTNFACE));
      default:
        return UnitObject::HandleMessage(message, wParam, lParam);
    }
  }

 private:
  // An input method hands over a committed phrase as characters queued one behind the
  // other, a typed key as one character at a time. The characters of a run are taken
  // here, each through the window's pre-translation as the loop would, and their changes
  // are raised as one; a character a handler swallows then cannot leave the change held.
  LRESULT OnChar(WPARAM wParam, LPARAM lParam) {
    if (inRun_) return Default(WM_CHAR, wParam, lParam);
    HWND h = Handle();
    MSG next;
    inRun_ = PeekMessageA(&next, h, WM_CHAR, WM_CHAR, PM_NOREMOVE) != FALSE;
    LRESULT r = Default(WM_CHAR, wParam, lParam);
    while (inRun_ && IsWindow(h) && PeekMessageA(&next, h, WM_CHAR, WM_CHAR, PM_REMOVE)) {
      if (!PreTranslateMessage(&next)) DispatchMessageA(&next);
    }
    // A handler may have destroyed the box, and this object with it.
    if (!IsWindow(h)) return r;
    inRun_ = false;
    if (std::exchange(heldChange_, false)) RaiseEvent(kEditChanged);
    return r;
  }

  void Changed() {
    if (inRun_) {
      heldChange_ = true;
    } else {
      RaiseEvent(kEditChanged);
    }
  }

  std::pair<DWORD, DWORD> Selection() const {
    DWORD start = 0, end = 0;
    SendMessageA(Handle(), EM_GETSEL, reinterpret_cast<WPARAM>(&start),
                 reinterpret_cast<LPARAM>(&end));
    return {start, end};
  }

  void ApplyLimit() {
    SendMessageA(Handle(), EM_LIMITTEXT,
                 static_cast<WPARAM>(std::max(0, Properties().Int(kEditMaxLength))), 0);
  }

  void ApplyInputMode() {
    const uint32_t mode = Properties().Word(kEditInputMode);
    SendMessageA(Handle(), EM_SETREADONLY, mode == 1 ? TRUE : FALSE, 0);
    char mask = 0;
    if (mode == 2) {
      std::string given = Properties().Text(kEditPasswordChar);
      mask = given.empty() ? kDefaultPasswordChar : given[0];
    }
    SendMessageA(Handle(), EM_SETPASSWORDCHAR, static_cast<unsigned char>(mask), 0);
  }

  void ApplyBorder() {
    constexpr DWORD kEdgeStyles = WS_BORDER;
    constexpr DWORD kEdgeExStyles = WS_EX_CLIENTEDGE | WS_EX_DLGMODALFRAME | WS_EX_STATICEDGE;
    HWND h = Handle();
    EditStyles want = EditBoxStyles(Properties());
    auto style = static_cast<DWORD>(GetWindowLongA(h, GWL_STYLE));
    auto exStyle = static_cast<DWORD>(GetWindowLongA(h, GWL_EXSTYLE));
    SetWindowLongA(h, GWL_STYLE, static_cast<LONG>((style & ~kEdgeStyles) | want.style));
    SetWindowLongA(h, GWL_EXSTYLE,
                   static_cast<LONG>((exStyle & ~kEdgeExStyles) | (want.exStyle & kEdgeExStyles)));
    SetWindowPos(h, nullptr, 0, 0, 0, 0,
                 SWP_NOMOVE | SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE | SWP_FRAMECHANGED);
  }

  bool inRun_ = false;
  bool heldChange_ = false;
};

UnitObject* CreateEditBox(const UnitCreateArgs& args) {
  std::optional<TypeBlock> block = ReadCreateBlock(kTypeEditBox, args.typeBlock);
  if (!block) return nullptr;
  auto* unit = new EditBoxUnit(args.windowId, args.unitId, std::move(*block));
  const std::string content = unit->Properties().Text(kEditContent);
  EditStyles styles = EditBoxStyles(unit->Properties());
  UnitObject* made =
      CreateControlWindow(args, "EDIT", content.c_str(), styles.style, styles.exStyle, unit);
  if (made != nullptr) unit->FinishSetUp();
  return made;
}

}  // namespace

EditStyles EditBoxStyles(const TypeBlock& properties) {
  EditStyles s;
  if (properties.Logical(kEditMultiLine)) {
    s.style |= ES_MULTILINE | ES_WANTRETURN | ES_AUTOVSCROLL;
  } else {
    s.style |= ES_AUTOHSCROLL;
  }
  const uint32_t bars = properties.Word(kEditScrollBars);
  if (bars == 1 || bars == 3) s.style |= WS_HSCROLL;
  if (bars == 2 || bars == 3) s.style |= WS_VSCROLL;
  const uint32_t align = properties.Word(kEditAlignment);
  if (align == 1) s.style |= ES_CENTER;
  if (align >= 2) s.style |= ES_RIGHT;
  switch (properties.Word(kEditBorder)) {
    case 0:
      break;
    case 2:
      s.exStyle |= WS_EX_DLGMODALFRAME;
      break;
    case 3:
      s.exStyle |= WS_EX_STATICEDGE;
      break;
    case 4:
      s.exStyle |= WS_EX_CLIENTEDGE | WS_EX_DLGMODALFRAME;
      break;
    case 5:
      s.style |= WS_BORDER;
      break;
    default:
      s.exStyle |= WS_EX_CLIENTEDGE;
      break;
  }
  return s;
}

void* EditBoxInterface(int32_t operation) {
  if (operation == kOpCreate) return reinterpret_cast<void*>(&CreateEditBox);
  return ControlUnitOperation(operation);
}

}  // namespace forms
