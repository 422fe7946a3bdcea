#include <algorithm>
#include <atomic>
#include <cstring>
#include <string>

#include "platform/kernel32.h"
#include "runtime/FormsHooks.h"
#include "runtime/RuntimeState.h"
#include "runtime/calls/ServiceTable.h"
#include "runtime/com/ObjectRequests.h"
#include "runtime/errors/RuntimeError.h"
#include "runtime/errors/RuntimeMessages.h"
#include "runtime/loop/MessageLoop.h"
#include "runtime/memory/RuntimeHeap.h"
#include "runtime/program/DefaultIcon.h"
#include "runtime/program/FrameworkWindows.h"
#include "runtime/sound/SoundRequest.h"
#include "runtime/values/NumericConversion.h"

namespace rt {

namespace {

std::atomic<PictureBitmapService> g_pictureBitmap{nullptr};

void* PictureBitmap(const void* bytes, intptr_t length) {
  PictureBitmapService service = g_pictureBitmap.load();
  if (service == nullptr || bytes == nullptr || length <= 0) return nullptr;
  return service(static_cast<const uint8_t*>(bytes), static_cast<size_t>(length));
}

// Callers of the path request hand over a MAX_PATH buffer.
void CopyPathText(int32_t which, char* buffer) {
  if (buffer == nullptr) return;
  std::string text;
  if (which == 1 || which == 2001) {
    text = Runtime().runDirectory + "\\";
  } else if (which == 2002) {
    text = Runtime().programFileName;
  }
  size_t n = std::min<size_t>(text.size(), MAX_PATH - 1);
  std::memcpy(buffer, text.data(), n);
  buffer[n] = 0;
}

int32_t ConvertToInt32(const ArgRecord* record) {
  int32_t out = 0;
  if (record == nullptr || !NumericToInt32(BaseKind(record->type), record->value, &out)) {
    ReportRuntimeError(msg::kNotNumeric, 0);
  }
  return out;
}

// The codes whose services live in the forms engine; 0 while it is not installed.
intptr_t ForwardToForms(int32_t code, intptr_t arg1, intptr_t arg2) {
  const FormsHooks& forms = Forms();
  if (forms.notify == nullptr) return 0;
  bool handled = false;
  intptr_t result = forms.notify(code, arg1, arg2, &handled);
  return handled ? result : 0;
}

void WriteDefaultIcons(HICON* large, HICON* small) {
  DefaultIcons icons = ProgramDefaultIcons();
  if (large != nullptr) *large = icons.large;
  if (small != nullptr) *small = icons.small;
}

void AddIdleRoutineFromRecord(const IdleRoutineRecord* record) {
  if (record == nullptr) return;
  AddIdleRoutine(record->window, record->routine, record->argument);
}

FrameworkWindow* AsFrameworkWindow(intptr_t value) {
  return reinterpret_cast<FrameworkWindow*>(value);
}

}  // namespace

void SetPictureBitmapService(PictureBitmapService service) {
  g_pictureBitmap.store(service);
}

intptr_t RuntimeNotify(int32_t code, intptr_t arg1, intptr_t arg2) {
  switch (code) {
    case 1000:
      WriteDefaultIcons(reinterpret_cast<HICON*>(arg1), reinterpret_cast<HICON*>(arg2));
      return 0;
    case 1002:
      return reinterpret_cast<intptr_t>(DataTypeFor(static_cast<uint32_t>(arg1)));
    case 1003:
      return reinterpret_cast<intptr_t>(PictureBitmap(reinterpret_cast<const void*>(arg1), arg2));
    case 1004:
      return 1;
    case 1005:
      return 5;
    case 1006:
      CopyPathText(static_cast<int32_t>(arg1), reinterpret_cast<char*>(arg2));
      return 0;
    case 1007:
      return reinterpret_cast<intptr_t>(WrapWindowHandle(reinterpret_cast<HWND>(arg1)));
    case 1008:
      DeleteFrameworkWindow(AsFrameworkWindow(arg1));
      return 0;
    case 1009:
      return reinterpret_cast<intptr_t>(DetachFrameworkWindow(AsFrameworkWindow(arg1)));
    case 1010:
      return reinterpret_cast<intptr_t>(FrameworkWindowHandle(AsFrameworkWindow(arg1)));
    case 1011:
      return AttachFrameworkWindow(AsFrameworkWindow(arg1), reinterpret_cast<HWND>(arg2)) ? 1 : 0;
    case 1012:
      AddIdleRoutineFromRecord(reinterpret_cast<const IdleRoutineRecord*>(arg1));
      return 0;
    case 1013:
      RemoveIdleRoutines(reinterpret_cast<HWND>(arg1));
      return 0;
    case 2000: {
      intptr_t result = ForwardToForms(code, arg1, arg2);
      EndLoopWhenNoWindowLeft();
      return result;
    }
    case 2001:
      return ConvertToInt32(reinterpret_cast<const ArgRecord*>(arg1));
    case 2002:
      return 0;
    case 2003:
      return reinterpret_cast<intptr_t>(Runtime().runDirectory.c_str());
    case 2004:
      return reinterpret_cast<intptr_t>(Runtime().programFileName.c_str());
    case 2009:
      HandleWaitingMessages();
      RaiseBusy();
      return 0;
    case 2010:
      HandleWaitingMessages();
      LowerBusy();
      return 0;
    case 2011:
      return LookUpObjectFlag(arg1);
    case 2012:
      AddObjectFlag(arg1, static_cast<uint8_t>(arg2));
      return 0;
    case 2013:
      return RemoveObjectFlag(arg1) ? 1 : 0;
    case 2014:
      DestroyFlaggedObjects();
      return 0;
    case kNotifyPlaySound:
      return PlaySoundData(reinterpret_cast<const PlaySoundRequest*>(arg1)) ? 1 : 0;
    case 2016:
      StopAllSound(false);
      return 0;
    case 2017:
      return CurrentEventSource(reinterpret_cast<uint32_t*>(arg1)) ? 1 : 0;
    case 2018:
      HandleWaitingMessages();
      return 0;
    case 2023:
      FreeArrayValue(static_cast<TypeCode>(arg1), reinterpret_cast<void*>(arg2));
      return 0;
    case 2024: {
      auto bytes = static_cast<int32_t>(arg1);
      return reinterpret_cast<intptr_t>(arg2 != 0 ? AllocMemUnchecked(bytes) : AllocMem(bytes));
    }
    case 2025:
      FreeMem(reinterpret_cast<void*>(arg1));
      return 0;
    case 2026:
      return reinterpret_cast<intptr_t>(
          ReallocMem(reinterpret_cast<void*>(arg1), static_cast<int32_t>(arg2)));
    case 2027:
      ReportRuntimeError(reinterpret_cast<const char*>(arg1), 0);
    case 2028:
      EndProgramAndExit(static_cast<int32_t>(arg1));
    case 2029:
      return DataTypeFlags(static_cast<uint32_t>(arg1));
    case 2030:
      return Runtime().runMode;
    case 2035:
      ReleaseObjectRequest(reinterpret_cast<void*>(arg1));
      return 0;
    case 2036:
      return InterfaceIdRequest(static_cast<uint32_t>(arg1), reinterpret_cast<IID*>(arg2));
    case 1001:
    case 1014:
    case 2005:
    case 2006:
    case 2007:
    case 2008:
    case 2022:
    case 2031:
    case 2032:
    case 2033:
    case 2037:
    case 2038:
    case 2039:
    case 2040:
      return ForwardToForms(code, arg1, arg2);
    default:
      // Icon records (2019-2021) and pictures from bitmaps (2034) answer 0 until those
      // services exist.
      return 0;
  }
}

}  // namespace rt
