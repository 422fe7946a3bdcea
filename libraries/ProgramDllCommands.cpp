#include "libraries/ProgramDllCommands.h"

namespace libs {

namespace {

// Index order is the declarations' order; the module names are spelled as declared, which
// is why the same module appears with and without ".dll".
constexpr const char* kModules[kDllCommandCount] = {
    "",              // 0
    "",              // 1
    "user32",        // 2
    "user32",        // 3
    "gdi32",         // 4
    "gdi32",         // 5
    "gdi32",         // 6
    "gdi32",         // 7
    "gdi32",         // 8
    "gdi32",         // 9
    "gdi32",         // 10
    "gdi32",         // 11
    "user32",        // 12
    "SkinH_EL.dll",  // 13
    "",              // 14
    "user32.dll",    // 15
    "",              // 16
    "",              // 17
    "",              // 18
    "",              // 19
    "gdi32.dll",     // 20
    "gdi32.dll",     // 21
    "user32.dll",    // 22
    "",              // 23
    "",              // 24
    "",              // 25
    "",              // 26
    "",              // 27
    "user32",        // 28
    "",              // 29
    "",              // 30
    "",              // 31
    "user32",        // 32
    "kernel32",      // 33
};

constexpr const char* kFunctions[kDllCommandCount] = {
    "MultiByteToWideChar",
    "WideCharToMultiByte",
    "GetClientRect",
    "GetDC",
    "CreateCompatibleDC",
    "CreateCompatibleBitmap",
    "SelectObject",
    "BitBlt",
    "GetPixel",
    "SetPixel",
    "DeleteObject",
    "DeleteDC",
    "ReleaseDC",
    "SkinH_AttachRes",
    "GetWindowRect",
    "GetDC",
    "CreateCompatibleDC",
    "CreateCompatibleBitmap",
    "SelectObject",
    "PrintWindow",
    "DeleteObject",
    "DeleteDC",
    "ReleaseDC",
    "GetObjectA",
    "GetDIBits",
    "GetDIBits",
    "RtlMoveMemory",
    "RtlMoveMemory",
    "IsWindow",
    "RtlMoveMemory",
    "RtlMoveMemory",
    "RtlMoveMemory",
    "GetInputState",
    "CreateDirectoryA",
};

}  // namespace

const char* const* DllModuleNames() {
  return kModules;
}

const char* const* DllFunctionNames() {
  return kFunctions;
}

}  // namespace libs
