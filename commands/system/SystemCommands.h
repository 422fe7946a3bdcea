// The core library's commands that talk to the user and the desktop: the message box, the
// delay, the event pump used inside long loops, opening a web address and playing sound
// data. The pump and the sound go through the runtime (requests 2018 and 2015); the others
// call the platform directly.
#pragma once

#include "runtime/calls/ArgRecord.h"

namespace cmd {

// (any value, int flags, optional text caption) -> int: the button pressed, from 0.
void ShowMessage(rt::ArgRecord* result, int32_t count, rt::ArgRecord* args);
// (int milliseconds): a negative time sleeps 0 ms.
void Delay(rt::ArgRecord* result, int32_t count, rt::ArgRecord* args);
// (): handles the waiting messages, leaving WM_QUIT for the loop that owns it.
void ProcessEvents(rt::ArgRecord* result, int32_t count, rt::ArgRecord* args);
// (optional text address): the shell's "open"; nothing is reported.
void OpenWebAddress(rt::ArgRecord* result, int32_t count, rt::ArgRecord* args);
// (text file name or byte set, optional int loop) -> bool: whether the runtime took it.
void PlaySoundData(rt::ArgRecord* result, int32_t count, rt::ArgRecord* args);

// Opened when OpenWebAddress is given no address.
inline constexpr const char kDefaultWebAddress[] = "https://www.velmora.example/";

// Message-box style bits whose handling ShowMessage fixes.
inline constexpr uint32_t kSystemModal = 0x1000;
inline constexpr uint32_t kTaskModal = 0x2000;

}  // namespace cmd
