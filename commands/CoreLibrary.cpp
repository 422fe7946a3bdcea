#include "commands/CoreLibrary.h"

#include <iterator>

#include "commands/files/FileCommands.h"
#include "commands/numeric/NumericCommands.h"
#include "commands/objects/ObjectCommands.h"
#include "commands/support/LibraryServices.h"
#include "commands/system/SystemCommands.h"
#include "commands/system/WindowCommands.h"
#include "commands/text/TextCommands.h"
#include "runtime/sound/SoundRequest.h"

namespace cmd {

namespace {

constexpr int32_t kNotifyStart = 1;
constexpr int32_t kNotifyEnd = 6;
constexpr int32_t kNotifyPlaySound = 13;

// In command-number order; the application calls routines by address, so the order only
// has to stay stable once programs are built against it.
const rt::CommandRoutine kCommands[] = {
    // texts
    TextLength,
    RightText,
    MidText,
    FindText,
    ReplaceText,
    SplitText,
    // numbers, conversions and byte sets
    IntDivide,
    BitOr,
    BitXor,
    ShiftLeft,
    ShiftRight,
    Abs,
    Sin,
    ArcTan,
    SetRandomSeed,
    RandomInt,
    ColorValue,
    ToText,
    ToHexText,
    ToBytes,
    BytesLength,
    MidBytes,
    ZeroBytes,
    BytesValue,
    // files
    GetRunDirectory,
    FileExists,
    ChangeFileAttributes,
    ReadWholeFile,
    WriteWholeFile,
    // windows and units
    LoadWindow,
    DestroyUnit,
    Redraw,
    UpdateNow,
    GetWindowHandle,
    // the user, the desktop and sound
    ShowMessage,
    Delay,
    ProcessEvents,
    OpenWebAddress,
    PlaySoundData,
    // OLE Automation objects and variants
    CreateObject,
    ReleaseObject,
    ReadObjectMember,
    CallObjectMethod,
    ClearVariant,
    VariantToText,
};

rt::LibraryDescriptor MakeDescriptor() {
  rt::LibraryDescriptor d{};
  d.marker = 0x01312D65;
  d.identifier = "e774de44f73445389bd7c02e87293cdf";
  d.version[0] = 5;
  d.version[1] = 0;
  d.version[2] = 64;
  d.furtherVersion[0] = 3;
  d.furtherVersion[1] = 7;
  d.furtherVersion[2] = 3;
  d.furtherVersion[3] = 7;
  d.displayName = "\xCF\xB5\xCD\xB3\xBA\xCB\xD0\xC4\xD6\xA7\xB3\xD6\xBF\xE2";  // "系统核心支持库"
  d.one = 1;
  d.flags = 0xC0000001;
  d.commandCount = static_cast<uint32_t>(std::size(kCommands));
  d.commands = kCommands;
  d.notify = CoreLibraryNotify;
  return d;
}

}  // namespace

const rt::LibraryDescriptor* CoreLibraryDescriptor() {
  static const rt::LibraryDescriptor descriptor = MakeDescriptor();
  return &descriptor;
}

intptr_t CoreLibraryNotify(int32_t code, intptr_t arg1, intptr_t arg2) {
  switch (code) {
    case kNotifyStart:
      SetRuntimeNotify(reinterpret_cast<RuntimeNotifyRoutine>(arg1));
      return 0;
    case kNotifyEnd:
      return 0;
    case kNotifyPlaySound:
      // The same service as the runtime's request for the play-sound command.
      return Notify(rt::kNotifyPlaySound, arg1, arg2);
    default:
      return -1;
  }
}

}  // namespace cmd
