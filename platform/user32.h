// The part of the user services that the headless core needs: the message box.
#pragma once

#include "platform/win32_types.h"

int MessageBoxA(HWND owner, LPCSTR text, LPCSTR caption, UINT type);
