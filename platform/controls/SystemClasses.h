// The built-in window classes of the controls, registered once per process before the
// first lookup of a class name that the program did not register itself.
#pragma once

namespace platform::controls {

// Registers every built-in class once (safe to call from any thread, any number of times).
void EnsureSystemClassesRegistered();

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
