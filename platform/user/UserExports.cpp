#include "platform/user/UserExports.h"

#include "platform/ThemeApi.h"
#include "platform/user32.h"

namespace platform::user {

// The argument bytes come from the function's own type (ArgumentBytes in ModuleExports.h).
#define VELMORA_EXPORT(function) MakeExport(#function, &::function)

const std::vector<ModuleExport>& UserExports() {
  static const std::vector<ModuleExport> exports = [] {
    std::vector<ModuleExport> table = {
        VELMORA_EXPORT(AdjustWindowRect),
        VELMORA_EXPORT(AdjustWindowRectEx),
        VELMORA_EXPORT(BeginPaint),
        VELMORA_EXPORT(BringWindowToTop),
        VELMORA_EXPORT(CallWindowProcA),
        VELMORA_EXPORT(ChildWindowFromPoint),
        VELMORA_EXPORT(ChildWindowFromPointEx),
        VELMORA_EXPORT(ClientToScreen),
        VELMORA_EXPORT(CreateWindowExA),
        VELMORA_EXPORT(DefWindowProcA),
        VELMORA_EXPORT(DestroyWindow),
        VELMORA_EXPORT(DispatchMessageA),
        VELMORA_EXPORT(EnableWindow),
        VELMORA_EXPORT(EndPaint),
        VELMORA_EXPORT(EnumChildWindows),
        VELMORA_EXPORT(EnumThreadWindows),
        VELMORA_EXPORT(EnumWindows),
        VELMORA_EXPORT(FindWindowA),
        VELMORA_EXPORT(FindWindowExA),
        VELMORA_EXPORT(GetActiveWindow),
        VELMORA_EXPORT(GetAncestor),
        VELMORA_EXPORT(GetAsyncKeyState),
        VELMORA_EXPORT(GetCapture),
        VELMORA_EXPORT(GetClassInfoA),
        VELMORA_EXPORT(GetClassInfoExA),
        VELMORA_EXPORT(GetClassLongPtrA),
        VELMORA_EXPORT(GetClassNameA),
        VELMORA_EXPORT(GetClientRect),
        VELMORA_EXPORT(GetCursor),
        VELMORA_EXPORT(GetCursorPos),
        VELMORA_EXPORT(GetDC),
        VELMORA_EXPORT(GetDCEx),
        VELMORA_EXPORT(GetDesktopWindow),
        VELMORA_EXPORT(GetDlgCtrlID),
        VELMORA_EXPORT(GetDlgItem),
        VELMORA_EXPORT(GetDoubleClickTime),
        VELMORA_EXPORT(GetFocus),
        VELMORA_EXPORT(GetForegroundWindow),
        VELMORA_EXPORT(GetInputState),
        VELMORA_EXPORT(GetKeyState),
        VELMORA_EXPORT(GetKeyboardState),
        VELMORA_EXPORT(GetMessageA),
        VELMORA_EXPORT(GetMessagePos),
        VELMORA_EXPORT(GetMessageTime),
        VELMORA_EXPORT(GetParent),
        VELMORA_EXPORT(GetPropA),
        VELMORA_EXPORT(GetQueueStatus),
        VELMORA_EXPORT(GetSystemMetrics),
        VELMORA_EXPORT(GetTopWindow),
        VELMORA_EXPORT(GetUpdateRect),
        VELMORA_EXPORT(GetUpdateRgn),
        VELMORA_EXPORT(GetWindow),
        VELMORA_EXPORT(GetWindowDC),
        VELMORA_EXPORT(GetWindowLongA),
        VELMORA_EXPORT(GetWindowLongPtrA),
        VELMORA_EXPORT(GetWindowRect),
        VELMORA_EXPORT(GetWindowTextA),
        VELMORA_EXPORT(GetWindowTextLengthA),
        VELMORA_EXPORT(GetWindowThreadProcessId),
        VELMORA_EXPORT(InSendMessage),
        VELMORA_EXPORT(InvalidateRect),
        VELMORA_EXPORT(InvalidateRgn),
        VELMORA_EXPORT(IsChild),
        VELMORA_EXPORT(IsIconic),
        VELMORA_EXPORT(IsWindow),
        VELMORA_EXPORT(IsWindowEnabled),
        VELMORA_EXPORT(IsWindowVisible),
        VELMORA_EXPORT(IsZoomed),
        VELMORA_EXPORT(KillTimer),
        VELMORA_EXPORT(MapWindowPoints),
        VELMORA_EXPORT(MessageBoxA),
        VELMORA_EXPORT(MessageBeep),
        VELMORA_EXPORT(MoveWindow),
        VELMORA_EXPORT(MsgWaitForMultipleObjects),
        VELMORA_EXPORT(PeekMessageA),
        VELMORA_EXPORT(PostMessageA),
        VELMORA_EXPORT(PostQuitMessage),
        VELMORA_EXPORT(PostThreadMessageA),
        VELMORA_EXPORT(PrintWindow),
        VELMORA_EXPORT(RedrawWindow),
        VELMORA_EXPORT(RegisterClassA),
        VELMORA_EXPORT(RegisterClassExA),
        VELMORA_EXPORT(ReleaseCapture),
        VELMORA_EXPORT(ReleaseDC),
        VELMORA_EXPORT(RemovePropA),
        VELMORA_EXPORT(ReplyMessage),
        VELMORA_EXPORT(ScreenToClient),
        VELMORA_EXPORT(ScrollWindow),
        VELMORA_EXPORT(SendMessageA),
        VELMORA_EXPORT(SetActiveWindow),
        VELMORA_EXPORT(SetCapture),
        VELMORA_EXPORT(SetClassLongPtrA),
        VELMORA_EXPORT(SetCursor),
        VELMORA_EXPORT(SetCursorPos),
        VELMORA_EXPORT(SetFocus),
        VELMORA_EXPORT(SetForegroundWindow),
        VELMORA_EXPORT(SetParent),
        VELMORA_EXPORT(SetPropA),
        VELMORA_EXPORT(SetTimer),
        VELMORA_EXPORT(SetWindowLongA),
        VELMORA_EXPORT(SetWindowLongPtrA),
        VELMORA_EXPORT(SetWindowPos),
        VELMORA_EXPORT(SetWindowTextA),
        VELMORA_EXPORT(ShowCursor),
        VELMORA_EXPORT(ShowWindow),
        VELMORA_EXPORT(TrackMouseEvent),
        VELMORA_EXPORT(TranslateMessage),
        VELMORA_EXPORT(UnregisterClassA),
        VELMORA_EXPORT(UpdateWindow),
        VELMORA_EXPORT(ValidateRect),
        VELMORA_EXPORT(ValidateRgn),
        VELMORA_EXPORT(VelmoraInstallTheme),
        // Scroll bars
        VELMORA_EXPORT(EnableScrollBar),
        VELMORA_EXPORT(GetScrollInfo),
        VELMORA_EXPORT(GetScrollPos),
        VELMORA_EXPORT(GetScrollRange),
        VELMORA_EXPORT(SetScrollInfo),
        VELMORA_EXPORT(SetScrollPos),
        VELMORA_EXPORT(SetScrollRange),
        VELMORA_EXPORT(ShowScrollBar),
        // Dialogs and their items
        VELMORA_EXPORT(CheckDlgButton),
        VELMORA_EXPORT(CheckRadioButton),
        VELMORA_EXPORT(DefDlgProcA),
        VELMORA_EXPORT(EndDialog),
        VELMORA_EXPORT(GetDlgItemInt),
        VELMORA_EXPORT(GetDlgItemTextA),
        VELMORA_EXPORT(GetNextDlgGroupItem),
        VELMORA_EXPORT(GetNextDlgTabItem),
        VELMORA_EXPORT(IsDialogMessageA),
        VELMORA_EXPORT(IsDlgButtonChecked),
        VELMORA_EXPORT(SendDlgItemMessageA),
        VELMORA_EXPORT(SetDlgItemInt),
        VELMORA_EXPORT(SetDlgItemTextA),
        // Menus and accelerators
        VELMORA_EXPORT(AppendMenuA),
        VELMORA_EXPORT(CheckMenuItem),
        VELMORA_EXPORT(CheckMenuRadioItem),
        VELMORA_EXPORT(CopyAcceleratorTableA),
        VELMORA_EXPORT(CreateAcceleratorTableA),
        VELMORA_EXPORT(CreateMenu),
        VELMORA_EXPORT(CreatePopupMenu),
        VELMORA_EXPORT(DeleteMenu),
        VELMORA_EXPORT(DestroyAcceleratorTable),
        VELMORA_EXPORT(DestroyMenu),
        VELMORA_EXPORT(DrawMenuBar),
        VELMORA_EXPORT(EnableMenuItem),
        VELMORA_EXPORT(GetMenu),
        VELMORA_EXPORT(GetMenuItemCount),
        VELMORA_EXPORT(GetMenuItemID),
        VELMORA_EXPORT(GetMenuItemInfoA),
        VELMORA_EXPORT(GetMenuState),
        VELMORA_EXPORT(GetMenuStringA),
        VELMORA_EXPORT(GetSubMenu),
        VELMORA_EXPORT(GetSystemMenu),
        VELMORA_EXPORT(InsertMenuA),
        VELMORA_EXPORT(InsertMenuItemA),
        VELMORA_EXPORT(IsMenu),
        VELMORA_EXPORT(ModifyMenuA),
        VELMORA_EXPORT(RemoveMenu),
        VELMORA_EXPORT(SetMenu),
        VELMORA_EXPORT(SetMenuItemInfoA),
        VELMORA_EXPORT(TrackPopupMenu),
        VELMORA_EXPORT(TrackPopupMenuEx),
        VELMORA_EXPORT(TranslateAcceleratorA),
        VELMORA_EXPORT(WaitMessage),
        VELMORA_EXPORT(WindowFromDC),
        VELMORA_EXPORT(WindowFromPoint),
    };
    SortExportsByName(&table);
    return table;
  }();
  return exports;
}

const std::vector<ModuleExport>& ShellExports() {
  static const std::vector<ModuleExport> exports = {
      VELMORA_EXPORT(ShellExecuteA),
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
