#include <algorithm>
#include <atomic>
#include <cstring>
#include <string>

#include "platform/kernel32.h"
#include "runtime/RuntimeState.h"
#include "runtime/calls/ServiceTable.h"
#include "runtime/errors/RuntimeError.h"
#include "runtime/errors/RuntimeMessages.h"
#include "runtime/memory/RuntimeHeap.h"
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

}  // namespace

void SetPictureBitmapService(PictureBitmapService service) { g_pictureBitmap.store(service); }

intptr_t RuntimeNotify(int32_t code, intptr_t arg1, intptr_t arg2) {
  switch (code) {
    case 1003:
      return reinterpret_cast<intptr_t>(PictureBitmap(reinterpret_cast<const void*>(arg1), arg2));
    case 1004:
      return 1;
    case 1005:
      return 5;
    case 1006:
      CopyPathText(static_cast<int32_t>(arg1), reinterpret_cast<char*>(arg2));
      return 0;
    case 2001:
      return ConvertToInt32(reinterpret_cast<const ArgRecord*>(arg1));
    case 2002:
      return 0;
    case 2003:
      return reinterpret_cast<intptr_t>(Runtime().runDirectory.c_str());
    case 2004:
      return reinterpret_cast<intptr_t>(Runtime().programFileName.c_str());
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
    case 2030:
      return Runtime().runMode;
    default:
      // Codes whose services belong to windows, events, pictures and sound answer 0 until
      // those services exist.
      return 0;
  }
}

}  // namespace rt
