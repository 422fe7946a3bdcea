// The built-in window classes of the controls, registered once per process before the
// first lookup of a class name that the program did not register itself.
#pragma once

#include "platform/user32.h"

namespace platform::controls {

// Registers every built-in class once (safe to call from any thread, any number of times).
void EnsureSystemClassesRegistered();

// Registers one built-in class: global to the process, never unregistered. Controls keep
// their state in a window slot (ControlState.h), so none asks for extra window bytes.
void RegisterControlClass(const char* name, WNDPROC proc, UINT style = 0,
                          LPCSTR cursor = IDC_ARROW);

// A control's notification: WM_COMMAND with its id and `code` to its parent, if it has one.
void NotifyParent(HWND control, WORD code);

// Each control module registers its classes and the built-in painters of its theme parts.
void RegisterButtonClass();     // "BUTTON"
void RegisterStaticClass();     // "STATIC"
void RegisterEditClass();       // "EDIT"
void RegisterListBoxClass();    // "LISTBOX"
void RegisterComboBoxClass();   // "COMBOBOX" (and its drop-down list)
void RegisterScrollBarClass();  // "SCROLLBAR"
void RegisterProgressClass();   // "msctls_progress32"
void RegisterTrackbarClass();   // "msctls_trackbar32"
void RegisterStatusBarClass();  // "msctls_statusbar32"
void RegisterMenuClasses();     // popup menu windows
void RegisterDialogClasses();   // the dialog class ("#32770") and what dialogs need

}  // namespace platform::controls
