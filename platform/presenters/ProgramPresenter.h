// The presenter a program starts with.
#pragma once

namespace platform::user {

// Picks the presenter for a program start: headless when VELMORA_HEADLESS=1, else SDL2.
// Returns false (after saying so on stderr) when no display can be opened.
bool StartPresenterForProgram();

}  // namespace platform::user
