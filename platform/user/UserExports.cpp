#include "platform/user/UserExports.h"

#include <algorithm>
#include <cstring>

#include "platform/ThemeApi.h"
#include "platform/user32.h"

namespace platform::user {

namespace {

// Argument byte counts are those of a 32-bit caller: 4 per argument, 8 for a POINT passed
// by value.
#define VELMORA_EXPORT(function, words)                  \
  ModuleExport {                                         \
#function, 0, ExportAddress(&::function), 4 * (words) \
  }

void SortByName(std::vector<ModuleExport>* table) {
  std::sort(table->begin(), table->end(), [](const ModuleExport& a, const ModuleExport& b) {
    return std::strcmp(a.name, b.name) < 0;
  });
}

}  // namespace

const std::vector<ModuleExport>& UserExports() {
  static const std::vector<ModuleExport> exports = [] {
    std::vector<ModuleExport> table = {
        VELMORA_EXPORT(AdjustWindowRect, 3),
        VELMORA_EXPORT(AdjustWindowRectEx, 4),
        VELMORA_EXPORT(BeginPaint, 2),
        VELMORA_EXPORT(BringWindowToTop, 1),
        VELMORA_EXPORT(CallWindowProcA, 5),
        VELMORA_EXPORT(ChildWindowFromPoint, 3),
        VELMORA_EXPORT(ChildWindowFromPointEx, 4),
        VELMORA_EXPORT(ClientToScreen, 2),
        VELMORA_EXPORT(CreateWindowExA, 12),
        VELMORA_EXPORT(DefWindowProcA, 4),
        VELMORA_EXPORT(DestroyWindow, 1),
        VELMORA_EXPORT(DispatchMessageA, 1),
        VELMORA_EXPORT(EnableWindow, 2),
        VELMORA_EXPORT(EndPaint, 2),
        VELMORA_EXPORT(EnumChildWindows, 3),
        VELMORA_EXPORT(EnumThreadWindows, 3),
        VELMORA_EXPORT(EnumWindows, 2),
        VELMORA_EXPORT(FindWindowA, 2),
        VELMORA_EXPORT(FindWindowExA, 4),
        VELMORA_EXPORT(GetActiveWindow, 0),
        VELMORA_EXPORT(GetAncestor, 2),
        VELMORA_EXPORT(GetAsyncKeyState, 1),
        VELMORA_EXPORT(GetCapture, 0),
        VELMORA_EXPORT(GetClassInfoA, 3),
        VELMORA_EXPORT(GetClassInfoExA, 3),
        VELMORA_EXPORT(GetClassLongPtrA, 2),
        VELMORA_EXPORT(GetClassNameA, 3),
        VELMORA_EXPORT(GetClientRect, 2),
        VELMORA_EXPORT(GetCursor, 0),
        VELMORA_EXPORT(GetCursorPos, 1),
        VELMORA_EXPORT(GetDC, 1),
        VELMORA_EXPORT(GetDCEx, 3),
        VELMORA_EXPORT(GetDesktopWindow, 0),
        VELMORA_EXPORT(GetDlgCtrlID, 1),
        VELMORA_EXPORT(GetDlgItem, 2),
        VELMORA_EXPORT(GetDoubleClickTime, 0),
        VELMORA_EXPORT(GetFocus, 0),
        VELMORA_EXPORT(GetForegroundWindow, 0),
        VELMORA_EXPORT(GetInputState, 0),
        VELMORA_EXPORT(GetKeyState, 1),
        VELMORA_EXPORT(GetKeyboardState, 1),
        VELMORA_EXPORT(GetMessageA, 4),
        VELMORA_EXPORT(GetMessagePos, 0),
        VELMORA_EXPORT(GetMessageTime, 0),
        VELMORA_EXPORT(GetParent, 1),
        VELMORA_EXPORT(GetPropA, 2),
        VELMORA_EXPORT(GetQueueStatus, 1),
        VELMORA_EXPORT(GetSystemMetrics, 1),
        VELMORA_EXPORT(GetTopWindow, 1),
        VELMORA_EXPORT(GetUpdateRect, 3),
        VELMORA_EXPORT(GetUpdateRgn, 3),
        VELMORA_EXPORT(GetWindow, 2),
        VELMORA_EXPORT(GetWindowDC, 1),
        VELMORA_EXPORT(GetWindowLongA, 2),
        VELMORA_EXPORT(GetWindowLongPtrA, 2),
        VELMORA_EXPORT(GetWindowRect, 2),
        VELMORA_EXPORT(GetWindowTextA, 3),
        VELMORA_EXPORT(GetWindowTextLengthA, 1),
        VELMORA_EXPORT(GetWindowThreadProcessId, 2),
        VELMORA_EXPORT(InSendMessage, 0),
        VELMORA_EXPORT(InvalidateRect, 3),
        VELMORA_EXPORT(InvalidateRgn, 3),
        VELMORA_EXPORT(IsChild, 2),
        VELMORA_EXPORT(IsIconic, 1),
        VELMORA_EXPORT(IsWindow, 1),
        VELMORA_EXPORT(IsWindowEnabled, 1),
        VELMORA_EXPORT(IsWindowVisible, 1),
        VELMORA_EXPORT(IsZoomed, 1),
        VELMORA_EXPORT(KillTimer, 2),
        VELMORA_EXPORT(MapWindowPoints, 4),
        VELMORA_EXPORT(MessageBeep, 1),
        VELMORA_EXPORT(MoveWindow, 6),
        VELMORA_EXPORT(MsgWaitForMultipleObjects, 5),
        VELMORA_EXPORT(PeekMessageA, 5),
        VELMORA_EXPORT(PostMessageA, 4),
        VELMORA_EXPORT(PostQuitMessage, 1),
        VELMORA_EXPORT(PostThreadMessageA, 4),
        VELMORA_EXPORT(PrintWindow, 3),
        VELMORA_EXPORT(RedrawWindow, 4),
        VELMORA_EXPORT(RegisterClassA, 1),
        VELMORA_EXPORT(RegisterClassExA, 1),
        VELMORA_EXPORT(ReleaseCapture, 0),
        VELMORA_EXPORT(ReleaseDC, 2),
        VELMORA_EXPORT(RemovePropA, 2),
        VELMORA_EXPORT(ReplyMessage, 1),
        VELMORA_EXPORT(ScreenToClient, 2),
        VELMORA_EXPORT(ScrollWindow, 5),
        VELMORA_EXPORT(SendMessageA, 4),
        VELMORA_EXPORT(SetActiveWindow, 1),
        VELMORA_EXPORT(SetCapture, 1),
        VELMORA_EXPORT(SetClassLongPtrA, 3),
        VELMORA_EXPORT(SetCursor, 1),
        VELMORA_EXPORT(SetCursorPos, 2),
        VELMORA_EXPORT(SetFocus, 1),
        VELMORA_EXPORT(SetForegroundWindow, 1),
        VELMORA_EXPORT(SetParent, 2),
        VELMORA_EXPORT(SetPropA, 3),
        VELMORA_EXPORT(SetTimer, 4),
        VELMORA_EXPORT(SetWindowLongA, 3),
        VELMORA_EXPORT(SetWindowLongPtrA, 3),
        VELMORA_EXPORT(SetWindowPos, 7),
        VELMORA_EXPORT(SetWindowTextA, 2),
        VELMORA_EXPORT(ShowCursor, 1),
        VELMORA_EXPORT(ShowWindow, 2),
        VELMORA_EXPORT(TrackMouseEvent, 1),
        VELMORA_EXPORT(TranslateMessage, 1),
        VELMORA_EXPORT(UnregisterClassA, 2),
        VELMORA_EXPORT(UpdateWindow, 1),
        VELMORA_EXPORT(ValidateRect, 2),
        VELMORA_EXPORT(ValidateRgn, 2),
        VELMORA_EXPORT(VelmoraInstallTheme, 1),
        // [menus and accelerators]
        VELMORA_EXPORT(AppendMenuA, 4),
        VELMORA_EXPORT(CheckMenuItem, 3),
        VELMORA_EXPORT(CheckMenuRadioItem, 5),
        VELMORA_EXPORT(CopyAcceleratorTableA, 3),
        VELMORA_EXPORT(CreateAcceleratorTableA, 2),
        VELMORA_EXPORT(CreateMenu, 0),
        VELMORA_EXPORT(CreatePopupMenu, 0),
        VELMORA_EXPORT(DeleteMenu, 3),
        VELMORA_EXPORT(DestroyAcceleratorTable, 1),
        VELMORA_EXPORT(DestroyMenu, 1),
        VELMORA_EXPORT(DrawMenuBar, 1),
        VELMORA_EXPORT(EnableMenuItem, 3),
        VELMORA_EXPORT(GetMenu, 1),
        VELMORA_EXPORT(GetMenuItemCount, 1),
        VELMORA_EXPORT(GetMenuItemID, 2),
        VELMORA_EXPORT(GetMenuItemInfoA, 4),
        VELMORA_EXPORT(GetMenuState, 3),
        VELMORA_EXPORT(GetMenuStringA, 5),
        VELMORA_EXPORT(GetSubMenu, 2),
        VELMORA_EXPORT(GetSystemMenu, 2),
        VELMORA_EXPORT(InsertMenuA, 5),
        VELMORA_EXPORT(InsertMenuItemA, 4),
        VELMORA_EXPORT(IsMenu, 1),
        VELMORA_EXPORT(MessageBoxA, 4),
        VELMORA_EXPORT(ModifyMenuA, 5),
        VELMORA_EXPORT(RemoveMenu, 3),
        VELMORA_EXPORT(SetMenu, 2),
        VELMORA_EXPORT(SetMenuItemInfoA, 4),
        VELMORA_EXPORT(TrackPopupMenu, 7),
        VELMORA_EXPORT(TrackPopupMenuEx, 6),
        VELMORA_EXPORT(TranslateAcceleratorA, 3),
        VELMORA_EXPORT(WaitMessage, 0),
        VELMORA_EXPORT(WindowFromDC, 1),
        VELMORA_EXPORT(WindowFromPoint, 2),
    };
    SortByName(&table);
    return table;
  }();
  return exports;
}

const std::vector<ModuleExport>& ShellExports() {
  static const std::vector<ModuleExport> exports = {
      VELMORA_EXPORT(ShellExecuteA, 6),
  };
  return exports;
}

}  // namespace platform::user

namespace {

bool AddUserExports() {
  using platform::BuiltinModule;
  const auto& windows = platform::user::UserExports();
  platform::RegisterModuleExports(BuiltinModule::User32, windows.data(), windows.size());
  const auto& shell = platform::user::ShellExports();
  platform::RegisterModuleExports(BuiltinModule::Shell32, shell.data(), shell.size());
  return true;
}

}  // namespace

// Runs when the program starts; platform/CMakeLists.txt keeps this object in every link
// that uses the layer, although nothing calls into it.
extern "C" const bool velmora_user_exports_registrar = AddUserExports();
