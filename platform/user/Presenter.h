// The screen behind the window manager. The headless presenter shows nothing; the SDL2
// presenter shows each visible top-level window as a borderless native window and turns
// native input into messages. The window manager tells the presenter what changed; the
// presenter never calls window procedures itself, it queues input.
#pragma once

#include <memory>
#include <string>

#include "platform/user32.h"

namespace platform::user {

class Presenter {
 public:
  virtual ~Presenter() = default;

  // The thread whose waits must go through the presenter (the thread that owns the native
  // windows); 0 when any thread may wait on its own queue alone.
  virtual DWORD UiThread() const = 0;
  // Turns pending native events into queued input without blocking.
  virtual void PumpNativeEvents() = 0;
  // Blocks the UI thread until a native event, Wake() or the timeout (milliseconds,
  // INFINITE for none).
  virtual void WaitForEvents(DWORD timeoutMs) = 0;
  // Ends a WaitForEvents early; callable from any thread.
  virtual void Wake() = 0;

  // A top-level window was shown, hidden, moved, resized, restacked, redrawn or destroyed;
  // the presenter brings its native window up to date when the loop next idles.
  virtual void TopLevelChanged(HWND window) = 0;
  virtual void SetCursorShape(HCURSOR cursor) = 0;

  // Clipboard text, UTF-8.
  virtual bool SetClipboardText(const std::string& utf8) = 0;
  virtual std::string GetClipboardText() = 0;

  // True when windows appear on a real screen. Under a presenter that shows nothing,
  // actions with effects outside the program (starting other programs) are recorded for
  // the test instead of done.
  virtual bool ShowsNativeWindows() const { return false; }
  // True when the presenter hands typed printable characters to InputText itself (the
  // text an input method or keyboard layout produced). TranslateMessage must then make
  // only control characters (below 0x20, and 0x7F) from key messages, or every
  // printable character would arrive twice.
  virtual bool DeliversTypedText() const { return false; }
};

// The presenter in use; the headless one until another is installed.
Presenter& ActivePresenter();
// A null presenter installs a new headless one.
void InstallPresenter(std::unique_ptr<Presenter> presenter);

}  // namespace platform::user
