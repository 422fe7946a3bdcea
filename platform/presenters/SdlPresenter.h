// The presenter that shows each visible top-level window as a borderless SDL window at the
// window's screen position, and turns the desktop's input into the window manager's input.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "platform/user/Presenter.h"

namespace platform::user {

// Opens SDL's video on the calling thread, which becomes the presenter's UI thread. Null,
// with the reason in *error, when no display can be opened or the only video driver SDL
// finds shows nothing. Sets the screen size from the first display.
std::unique_ptr<Presenter> CreateSdlPresenter(std::string* error);

// Closes the live SDL presenter's native windows and SDL's video (idempotent; also done at
// exit). A replaced presenter is kept alive for callers that still hold it, so whoever
// replaces the SDL presenter calls this first.
void ShutdownSdlPresenter();

// Where the native window of a top-level window stands on the screen, for checks against
// the real desktop; false when the window has no native window or it is hidden.
bool NativeWindowRect(HWND window, RECT* rect);
// The SDL id of that native window (0 when it has none), for feeding it events.
uint32_t NativeWindowId(HWND window);
// Bytes of window pixels the live SDL presenter has copied to the screen so far (each copied
// rectangle counts width x height x 4), for checks that it copies only what changed.
uint64_t PresentedBytes();

}  // namespace platform::user
