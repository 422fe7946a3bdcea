#include "forms/units/window/WindowUnit.h"

#include <strings.h>

#include <mutex>

#include "forms/data/FormData.h"
#include "forms/events/EventRecord.h"
#include "forms/units/BlockProperties.h"
#include "forms/units/IconFiles.h"
#include "forms/units/StyleChange.h"
#include "forms/units/label/TransLabelUnit.h"
#include "forms/windows/WindowList.h"
#include "pictures/display/PictureDrawing.h"
#include "platform/commctrl.h"
#include "platform/kernel32.h"
#include "runtime/calls/ServiceTable.h"

namespace forms {

namespace {

constexpr char kDefaultClassName[] = "OrmWindow";
constexpr int32_t kNotifyDefaultIcons = 1000;

struct HelpLog {
  std::mutex lock;
  std::vector<HelpRequest> requests;
};

HelpLog& Help() {
  static HelpLog log;
  return log;
}

void RecordHelp(HelpRequest request) {
  std::lock_guard guard(Help().lock);
  Help().requests.push_back(std::move(request));
}

// Menu item k of a window, counted over its menu-item records in table order.
std::optional<size_t> MenuItemEntry(const FormTemplate& form, uint32_t k) {
  for (size_t i = 0; i < form.UnitCount(); ++i) {
    if (!form.IsMenuItem(i)) continue;
    if (k == 0) return i;
    --k;
  }
  return std::nullopt;
}

// A status bar keeps to its parent's bottom edge only when told that the parent changed size;
// the window tells the bars it holds.
void KeepStatusBarsAtBottom(HWND window, WPARAM wParam, LPARAM lParam) {
  for (HWND child = GetWindow(window, GW_CHILD); child != nullptr;
       child = GetWindow(child, GW_HWNDNEXT)) {
    char name[32] = {};
    if (GetClassNameA(child, name, sizeof name) > 0 && strcasecmp(name, STATUSCLASSNAMEA) == 0) {
      SendMessageA(child, WM_SIZE, wParam, lParam);
    }
  }
}

}  // namespace

bool HelpFileExists(const std::string& path) {
  if (path.empty()) return false;
  DWORD attributes = GetFileAttributesA(path.c_str());
  return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) == 0;
}

std::vector<HelpRequest> TakeHelpRequests() {
  std::lock_guard guard(Help().lock);
  return std::exchange(Help().requests, {});
}

WindowStyles StylesFor(const TypeBlock& properties) {
  WindowStyles s;
  s.style = WS_CLIPCHILDREN;
  const uint32_t border = properties.Word(kWindowBorder);
  const bool controlBox = properties.Logical(kWindowControlBox);
  const bool captionBar = border != 0 && (!properties.Text(kWindowCaption).empty() || controlBox);
  if (captionBar) {
    s.style |= WS_CAPTION;
    if (controlBox) s.style |= WS_SYSMENU;
  } else {
    s.style |= WS_POPUP;
    if (border != 0) s.style |= WS_BORDER;
  }
  if (border == 1 || border == 3 || border == 5) s.style |= WS_THICKFRAME;
  if (border == 3 || border == 4) s.exStyle |= WS_EX_TOOLWINDOW;
  if (border == 5 || border == 6) s.exStyle |= WS_EX_CLIENTEDGE;
  if (properties.Logical(kWindowMaxButton)) s.style |= WS_MAXIMIZEBOX;
  if (properties.Logical(kWindowMinButton)) s.style |= WS_MINIMIZEBOX;
  return s;
}

bool EnsureWindowClass(const char* className) {
  WNDCLASSA existing{};
  if (GetClassInfoA(nullptr, className, &existing)) return true;
  WNDCLASSA c{};
  c.style = CS_HREDRAW | CS_VREDRAW | CS_DBLCLKS;
  c.lpfnWndProc = DefWindowProcA;
  c.hCursor = LoadCursorA(nullptr, IDC_ARROW);
  c.hbrBackground = static_cast<HBRUSH>(GetStockObject(NULL_BRUSH));
  c.lpszClassName = className;
  return RegisterClassA(&c) != 0;
}

UnitObject* WindowUnit::Create(const UnitCreateArgs& args) {
  return CreateWith(args, [](uint32_t windowId, uint32_t unitId, TypeBlock properties) {
    return new WindowUnit(windowId, unitId, std::move(properties));
  });
}

UnitObject* WindowUnit::CreateWith(const UnitCreateArgs& args, Factory make) {
  const TypeBlockLayout* layout = FindTypeBlockLayout(kTypeWindow);
  if (layout == nullptr) return nullptr;
  TypeBlock properties(*layout);
  if (!args.typeBlock.empty() && !TypeBlock::Read(*layout, args.typeBlock, properties)) {
    return nullptr;
  }
  std::string className = properties.Text(kWindowClassName);
  if (className.empty()) className = kDefaultClassName;
  if (!EnsureWindowClass(className.c_str())) return nullptr;

  WindowStyles styles = StylesFor(properties);
  // WS_TABSTOP shares its bit with WS_MAXIMIZEBOX and means nothing on a window.
  styles.style |= args.style & WS_DISABLED;
  std::string caption = properties.Text(kWindowCaption);
  HWND window =
      CreateWindowExA(styles.exStyle, className.c_str(), caption.c_str(), styles.style, args.left,
                      args.top, args.width, args.height, args.parent, args.menu, nullptr, nullptr);
  if (window == nullptr) return nullptr;
  WindowUnit* unit = make(args.windowId, args.unitId, std::move(properties));
  if (unit == nullptr || !unit->Attach(window)) {
    delete unit;
    DestroyWindow(window);
    return nullptr;
  }
  unit->ApplyIcons();
  return unit;
}

WindowUnit::~WindowUnit() {
  if (accelerators_ != nullptr) DestroyAcceleratorTable(accelerators_);
  ReleaseIcons();
}

void WindowUnit::SetAccelerators(HACCEL table) {
  if (accelerators_ != nullptr && accelerators_ != table) DestroyAcceleratorTable(accelerators_);
  accelerators_ = table;
}

void WindowUnit::BeginModal() {
  modal_ = true;
  disabled_.clear();
  FormData& forms = LoadedForms();
  for (size_t i = 0; i < forms.WindowCount(); ++i) {
    WindowUnit* other = LiveWindow(forms.WindowAt(i));
    if (other == nullptr || other == this) continue;
    HWND h = other->Handle();
    if (GetParent(h) != nullptr || GetWindow(h, GW_OWNER) != nullptr) continue;
    disabled_.emplace_back(h, IsWindowEnabled(h) != FALSE);
    EnableWindow(h, FALSE);
  }
}

void WindowUnit::RestoreDisabledWindows() {
  for (auto& [window, wasEnabled] : disabled_) {
    if (IsWindow(window)) EnableWindow(window, wasEnabled ? TRUE : FALSE);
  }
  disabled_.clear();
}

bool WindowUnit::OpenHelp() {
  if (!Switch(kWindowF1OpensHelp)) return false;
  std::string file = properties_.Text(kWindowHelpFile);
  if (!HelpFileExists(file)) return false;
  uint32_t context = properties_.Word(kWindowHelpContext);
  RecordHelp({Handle(), file, context != 0 ? kHelpContext : kHelpFinder, context});
  helpOpened_ = true;
  return true;
}

void WindowUnit::RecordHelpCall(const std::string& file, UINT command, uint32_t context) {
  RecordHelp({Handle(), file, command, context});
  helpOpened_ = command != kHelpQuit;
}

void WindowUnit::ReleaseIcons() {
  if (ownIcons_) {
    for (HICON& icon : icons_) {
      if (icon != nullptr) DestroyIcon(icon);
    }
  }
  icons_[0] = icons_[1] = nullptr;
  ownIcons_ = false;
}

void WindowUnit::ApplyIcons() {
  ReleaseIcons();
  std::span<const uint8_t> bytes = properties_.Data(kWindowIcon);
  if (!bytes.empty()) {
    icons_[0] = IconFromFile(bytes, GetSystemMetrics(SM_CXICON));
    icons_[1] = IconFromFile(bytes, GetSystemMetrics(SM_CXSMICON));
    ownIcons_ = true;
  }
  if (icons_[0] == nullptr && icons_[1] == nullptr) {
    ReleaseIcons();
    // The program's own icon, which the runtime keeps.
    rt::RuntimeNotify(kNotifyDefaultIcons, reinterpret_cast<intptr_t>(&icons_[0]),
                      reinterpret_cast<intptr_t>(&icons_[1]));
  }
  SendMessageA(Handle(), WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(icons_[0]));
  SendMessageA(Handle(), WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(icons_[1]));
}

void WindowUnit::ApplyStyles() {
  constexpr DWORD kManaged = WS_CAPTION | WS_SYSMENU | WS_POPUP | WS_BORDER | WS_THICKFRAME |
                             WS_MAXIMIZEBOX | WS_MINIMIZEBOX;
  constexpr DWORD kManagedEx = WS_EX_TOOLWINDOW | WS_EX_CLIENTEDGE;
  const WindowStyles s = StylesFor(properties_);
  ApplyManagedStyles(Handle(), {kManaged, s.style, kManagedEx, s.exStyle});
}

int32_t WindowUnit::SetProperty(uint32_t property, const PropertyValue& value) {
  if (!StoreBlockProperty(properties_, property, value)) return 0;
  HWND h = Handle();
  switch (property) {
    case kWindowCaption:
      SetWindowTextA(h, properties_.Text(kWindowCaption).c_str());
      ApplyStyles();
      break;
    case kWindowBorder:
    case kWindowControlBox:
    case kWindowMaxButton:
    case kWindowMinButton:
      ApplyStyles();
      break;
    case kWindowBackPicture:
      backPicture_.reset();
      backPictureDecoded_ = false;
      InvalidateWithLabelsOver(h);
      break;
    case kWindowBackColor:
    case kWindowBackPictureMode:
      InvalidateWithLabelsOver(h);
      break;
    case kWindowState:
      if (IsWindowVisible(h)) {
        uint32_t state = properties_.Word(kWindowState);
        ShowWindow(h, state == 2 ? SW_MINIMIZE : state == 3 ? SW_MAXIMIZE : SW_RESTORE);
      }
      break;
    case kWindowIcon:
      ApplyIcons();
      break;
    default:
      break;
  }
  return 0;
}

int32_t WindowUnit::GetProperty(uint32_t property, PropertyValue* out) {
  if (property == kWindowState) {
    HWND h = Handle();
    out->word = IsIconic(h) ? 2 : IsZoomed(h) ? 3 : 0;
    return 1;
  }
  return ReadBlockProperty(properties_, property, out, readKeeper_) ? 1 : 0;
}

LRESULT WindowUnit::OnCommand(WPARAM wParam, LPARAM lParam) {
  UINT id = LOWORD(wParam);
  if (id >= kFirstSystemCommand) return 0;
  if (id < kFirstMenuCommand || lParam != 0) {
    return UnitObject::HandleMessage(WM_COMMAND, wParam, lParam);
  }
  FormTemplate* form = FindTemplate(WindowId());
  if (form == nullptr) return 0;
  std::optional<size_t> entry = MenuItemEntry(*form, id - kFirstMenuCommand);
  if (!entry) return 0;
  EventRecord record;
  record.windowId = WindowId();
  record.unitId = form->UnitIdAt(*entry);
  record.event = 0;
  rt::RuntimeNotify(kNotifyRaiseEvent, reinterpret_cast<intptr_t>(&record), 0);
  return 0;
}

LRESULT WindowUnit::OnClose(bool byProgram) {
  if (byProgram) beingDestroyed_ = true;
  HWND h = Handle();
  EventOutcome outcome = RaiseEvent(kWindowClosing);
  if (!IsWindow(h)) return 0;
  if (outcome.returned && outcome.value == 0 && !beingDestroyed_) return 0;
  RestoreDisabledWindows();
  DestroyWindow(h);
  return 0;
}

void WindowUnit::OnDestroy() {
  HWND h = Handle();
  RaiseEvent(kWindowDestroyed);
  RestoreDisabledWindows();
  if (helpOpened_) {
    RecordHelp({h, properties_.Text(kWindowHelpFile), kHelpQuit, 0});
    helpOpened_ = false;
  }
  if (HMENU menu = GetMenu(h)) {
    SetMenu(h, nullptr);
    DestroyMenu(menu);
  }
}

const pic::DecodedPicture* WindowUnit::BackPicture() {
  if (!backPictureDecoded_) {
    std::span<const uint8_t> bytes = properties_.Data(kWindowBackPicture);
    backPicture_.reset(pic::DecodePicture(bytes.data(), bytes.size()));
    backPictureDecoded_ = true;
  }
  return backPicture_.get();
}

void WindowUnit::EraseBackground(HDC dc) {
  uint32_t color = properties_.Word(kWindowBackColor);
  if (color == kSystemDefaultColor) color = GetSysColor(COLOR_BTNFACE);
  RECT client{};
  GetClientRect(Handle(), &client);
  HRGN rest = CreateRectRgnIndirect(&client);
  const int mode = properties_.Int(kWindowBackPictureMode);
  const pic::DecodedPicture* picture = BackPicture();
  if (picture != nullptr) {
    RECT update{};
    GetClipBox(dc, &update);
    pic::DrawBackgroundPicture(mode, dc, picture, client, update, rest);
  }
  // Tiles leave nothing to fill; otherwise the colour goes only where the picture is not,
  // so nothing is painted twice.
  if (picture == nullptr || mode != kBackPictureTiled) {
    const int saved = SaveDC(dc);
    ExtSelectClipRgn(dc, rest, RGN_AND);
    HBRUSH brush = CreateSolidBrush(color & 0x00FFFFFF);
    FillRect(dc, &client, brush);
    DeleteObject(brush);
    RestoreDC(dc, saved);
  }
  DeleteObject(rest);
}

LRESULT WindowUnit::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_COMMAND:
      return OnCommand(wParam, lParam);
    case WM_CLOSE:
      return OnClose(false);
    case kMsgCloseWindow:
      return OnClose(true);
    case WM_DESTROY: {
      LRESULT r = Default(message, wParam, lParam);
      OnDestroy();
      return r;
    }
    case WM_MOVE:
    case WM_SIZE: {
      LRESULT r = Default(message, wParam, lParam);
      if (message == WM_SIZE) KeepStatusBarsAtBottom(Handle(), wParam, lParam);
      RaiseEvent(message == WM_MOVE ? kWindowMoved : kWindowResized);
      return r;
    }
    case WM_ACTIVATE: {
      LRESULT r = Default(message, wParam, lParam);
      RaiseEvent(LOWORD(wParam) == WA_INACTIVE ? kWindowDeactivated : kWindowActivated);
      return r;
    }
    case WM_SETFOCUS:
    case WM_KILLFOCUS:
      // The window reports activation as events 10 and 11; the loader raises its −7 once it
      // has shown it, so the focus its activation brings raises nothing here.
      return Default(message, wParam, lParam);
    case WM_ERASEBKGND:
      EraseBackground(reinterpret_cast<HDC>(wParam));
      return 1;
    default:
      return UnitObject::HandleMessage(message, wParam, lParam);
  }
}

}  // namespace forms
