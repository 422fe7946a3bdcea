// The per-window state of dialog windows, shared by the dialog class, its keyboard
// interface and the modal loop.
#pragma once

#include <memory>

#include "platform/controls/Dialog.h"

namespace platform::controls {

struct DialogState {
  DialogHandler handler;
  int defId = 0;             // DM_SETDEFID
  HWND lastFocus = nullptr;  // the control to give focus back to on activation
  bool ended = false;        // EndDialog was called
  INT_PTR result = 0;
};

// Null for windows that are not dialogs (or are gone).
std::shared_ptr<DialogState> DialogStateOf(HWND dialog);
// The handler of the next dialog window created on this thread.
void SetPendingDialogHandler(DialogHandler handler);
// Gives the default-button look to the focused push button, or else to the dialog's
// default button, and takes it from the rest.
void UpdateDefaultButton(HWND dialog, HWND focus);
// Focus from the keyboard: edits get their text selected, the default button follows.
void FocusDialogControl(HWND dialog, HWND control);

// Modifier keys as of the key messages the dialogs have handled. The key state of the
// window manager is that of the newest input, which is ahead of the message being handled
// when keys were typed ahead.
void NoteKeyMessage(const MSG& msg);
bool ShiftIsDown();
bool ControlIsDown();

}  // namespace platform::controls
