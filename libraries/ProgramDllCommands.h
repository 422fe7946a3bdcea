// The program's DLL commands: the module and function names of the image's table (one entry
// per declaration, bound on first call by index) and the typed declarations the application
// calls them through. Several declarations name one function in different call shapes; each
// is bound and cached on its own.
#pragma once

#include <cstdint>

#include "platform/kernel32.h"
#include "platform/user32.h"
#include "platform/wingdi.h"
#include "runtime/dll/DllCommand.h"

namespace libs {

inline constexpr uint32_t kDllCommandCount = 34;

// For ImageHeader::dllModuleNames and dllFunctionNames (an empty module name: the system
// modules are searched).
const char* const* DllModuleNames();
const char* const* DllFunctionNames();

// The skin library's entry: skin data and its length, a password, then hue, saturation and
// brightness adjustments. The skin library exports it with exactly this type.
using SkinAttachResFunction = int(const uint8_t* data, int length, const char* password, int hue,
                                  int saturation, int brightness);

namespace dll {

using rt::DllBytes;
using rt::DllCommand;
using I = int32_t;

// Code pages for the translator: (code page, flags, text, -1, buffer or empty, units).
inline constexpr DllCommand<decltype(::MultiByteToWideChar), I, I, const char*, I, DllBytes, I>
    MultiByteToWideChar{0};
// (code page, flags, wide buffer, units, buffer or empty, bytes, 0, 0).
inline constexpr DllCommand<decltype(::WideCharToMultiByte), I, I, DllBytes, I, DllBytes, I, I, I>
    WideCharToMultiByte{1};

// The filter pass.
inline constexpr DllCommand<decltype(::GetClientRect), I, RECT*> GetClientRect{2};
inline constexpr DllCommand<decltype(::GetDC), I> GetDC{3};
inline constexpr DllCommand<decltype(::CreateCompatibleDC), I> CreateCompatibleDC{4};
inline constexpr DllCommand<decltype(::CreateCompatibleBitmap), I, I, I> CreateCompatibleBitmap{5};
inline constexpr DllCommand<decltype(::SelectObject), I, I> SelectObject{6};
inline constexpr DllCommand<decltype(::BitBlt), I, I, I, I, I, I, I, I, I> BitBlt{7};
inline constexpr DllCommand<decltype(::GetPixel), I, I, I> GetPixel{8};
inline constexpr DllCommand<decltype(::SetPixel), I, I, I, I> SetPixel{9};
inline constexpr DllCommand<decltype(::DeleteObject), I> DeleteObject{10};
inline constexpr DllCommand<decltype(::DeleteDC), I> DeleteDC{11};
inline constexpr DllCommand<decltype(::ReleaseDC), I, I> ReleaseDC{12};

// The skin: (skin data, its length, "", 0, 0, 0).
inline constexpr DllCommand<SkinAttachResFunction, DllBytes, I, const char*, I, I, I>
    SkinH_AttachRes{13};

// The window capture.
inline constexpr DllCommand<decltype(::GetWindowRect), I, RECT*> GetWindowRect{14};
inline constexpr DllCommand<decltype(::GetDC), I> CaptureGetDC{15};
inline constexpr DllCommand<decltype(::CreateCompatibleDC), I> CaptureCreateCompatibleDC{16};
inline constexpr DllCommand<decltype(::CreateCompatibleBitmap), I, I, I>
    CaptureCreateCompatibleBitmap{17};
inline constexpr DllCommand<decltype(::SelectObject), I, I> CaptureSelectObject{18};
inline constexpr DllCommand<decltype(::PrintWindow), I, I, I> PrintWindow{19};
inline constexpr DllCommand<decltype(::DeleteObject), I> CaptureDeleteObject{20};
inline constexpr DllCommand<decltype(::DeleteDC), I> CaptureDeleteDC{21};
inline constexpr DllCommand<decltype(::ReleaseDC), I, I> CaptureReleaseDC{22};
inline constexpr DllCommand<decltype(::GetObjectA), I, I, BITMAP*> GetObjectA{23};
// (dc, bitmap, first line, lines, 0 for no buffer, header, usage): the format only.
inline constexpr DllCommand<decltype(::GetDIBits), I, I, I, I, I, BITMAPINFO*, I> GetDIBitsFormat{
    24};
// The same with the buffer the rows go into.
inline constexpr DllCommand<decltype(::GetDIBits), I, I, I, I, DllBytes, BITMAPINFO*, I>
    GetDIBitsRows{25};

// Copies between byte sets, records and variables: (destination, source, byte count).
inline constexpr DllCommand<decltype(::RtlMoveMemory), DllBytes, const BITMAPINFO*, I>
    CopyHeaderToBytes{26};
inline constexpr DllCommand<decltype(::RtlMoveMemory), BITMAPINFO*, DllBytes, I> CopyBytesToHeader{
    27};
inline constexpr DllCommand<decltype(::IsWindow), I> IsWindow{28};
inline constexpr DllCommand<decltype(::RtlMoveMemory), DllBytes, const BITMAP*, I>
    CopyBitmapToBytes{29};
inline constexpr DllCommand<decltype(::RtlMoveMemory), int32_t*, DllBytes, I> CopyBytesToInt{30};
inline constexpr DllCommand<decltype(::RtlMoveMemory), DllBytes, const int32_t*, I> CopyIntToBytes{
    31};

// The batch file search asks whether input is waiting.
inline constexpr DllCommand<decltype(::GetInputState)> GetInputState{32};

// The batch run makes its output folder when it is missing: (path, no security record).
inline constexpr DllCommand<decltype(::CreateDirectoryA), const char*, I> CreateDirectoryA{33};

}  // namespace dll

}  // namespace libs
