#include "commands/system/SystemCommands.h"

#include <string>

#include "commands/files/FileCommands.h"
#include "commands/numeric/ValueText.h"
#include "commands/support/CommandArgs.h"
#include "commands/support/LibraryServices.h"
#include "platform/kernel32.h"
#include "platform/user32.h"
#include "runtime/sound/SoundRequest.h"

namespace cmd {

namespace {

constexpr int32_t kNotifyProcessEvents = 2018;
constexpr int32_t kNotifyFree = 2025;

// "信息："
constexpr const char kMessageCaption[] = "\xD0\xC5\xCF\xA2\xA3\xBA";
// An open browser of this title owns the pages we open, as the desktop expects.
constexpr const char kBrowserTitle[] = "Microsoft Internet Explorer";

// Numbers, bools and date-times show as ToText writes them and a text as it is; anything
// else (byte sets, arrays, units, objects) shows nothing.
std::string MessageText(const CommandArgs& a) {
  if (!a.Given(0) || a.IsArray(0)) return {};
  switch (a.Kind(0)) {
    case rt::kTypeByte:
    case rt::kTypeShort:
    case rt::kTypeInt:
    case rt::kTypeLong:
    case rt::kTypeFloat:
    case rt::kTypeDouble:
    case rt::kTypeBool:
    case rt::kTypeDateTime:
    case rt::kTypeText:
      return ValueText(a, 0);
    default:
      return {};
  }
}

// The pressed button, numbered from 0 in the order OK, Cancel, Abort, Retry, Ignore, Yes,
// No; anything else counts as OK.
int32_t ButtonNumber(int pressed) {
  return pressed >= IDOK && pressed <= IDNO ? pressed - IDOK : 0;
}

}  // namespace

void ShowMessage(rt::ArgRecord* result, int32_t count, rt::ArgRecord* args) {
  CommandArgs a(count, args);
  const std::string text = MessageText(a);
  const char* caption = a.Given(2) ? a.Text(2) : kMessageCaption;
  // Added, not or-ed in: flags that already carry the task-modal bit carry into the next.
  const auto flags = static_cast<uint32_t>(a.Int(1, 0));
  const uint32_t style = (flags & kSystemModal) == 0 ? flags + kTaskModal : flags;
  SetInt(result, ButtonNumber(MessageBoxA(nullptr, text.c_str(), caption, style)));
}

void Delay(rt::ArgRecord*, int32_t count, rt::ArgRecord* args) {
  CommandArgs a(count, args);
  const int32_t milliseconds = a.Int(0, 0);
  Sleep(milliseconds < 0 ? 0 : static_cast<DWORD>(milliseconds));
}

void ProcessEvents(rt::ArgRecord*, int32_t, rt::ArgRecord*) {
  Notify(kNotifyProcessEvents);
}

void OpenWebAddress(rt::ArgRecord*, int32_t count, rt::ArgRecord* args) {
  CommandArgs a(count, args);
  const char* address = a.Given(0) ? a.Text(0) : kDefaultWebAddress;
  HWND owner = FindWindowA(nullptr, kBrowserTitle);
  // The address goes to the shell as the thing to open, never into a command line.
  ShellExecuteA(owner, "open", address, nullptr, nullptr, SW_SHOWNORMAL);
}

void PlaySoundData(rt::ArgRecord* result, int32_t count, rt::ArgRecord* args) {
  CommandArgs a(count, args);
  SetBool(result, false);
  void* fileBlock = nullptr;
  rt::ByteSetView bytes;
  if (a.Kind(0) == rt::kTypeText && !a.IsArray(0)) {
    fileBlock = ReadWholeFileBytes(a.Text(0));
    bytes = rt::ViewByteSet(fileBlock);
  } else if (a.Kind(0) == rt::kTypeByteSet && !a.IsArray(0)) {
    bytes = a.Bytes(0);
  }
  if (bytes.size != 0) {
    rt::PlaySoundRequest request{bytes.data, static_cast<intptr_t>(bytes.size), a.Int(1, 0)};
    SetBool(result, Notify(rt::kNotifyPlaySound, reinterpret_cast<intptr_t>(&request)) != 0);
  }
  // The runtime keeps a copy of what it plays.
  if (fileBlock != nullptr) Notify(kNotifyFree, reinterpret_cast<intptr_t>(fileBlock));
}

}  // namespace cmd
