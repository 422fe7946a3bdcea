// The application's only way into the runtime: a fixed table of service entries, and the
// numbered RuntimeNotify routine through which libraries ask the runtime for services.
#pragma once

#include <cstdint>

#include "platform/win32_types.h"
#include "runtime/calls/ArgRecord.h"

namespace rt {

struct ServiceTable {
  void (*raiseRuntimeError)(int32_t code);
  // Binds DLL command `index` and returns its address for the declaration to call with its
  // own typed pointer (runtime/dll/DllCommand.h); the second word is the argument bytes the
  // declaration pushes, checked against the export's.
  FARPROC (*callDllCommand)(int32_t index, uint32_t declaredArgumentBytes);
  ArgRecord (*callLibraryCommand)(CommandRoutine routine, int32_t count, ArgRecord* args);
  ArgRecord (*callCoreCommand)(CommandRoutine routine, int32_t count, ArgRecord* args);
  int64_t (*getUnitProperty)(uint32_t windowId, uint32_t unitId, int32_t index, int32_t part);
  void (*setUnitProperty)(uint32_t windowId, uint32_t unitId, int32_t index, int32_t part,
                          uint32_t low, uint32_t high);
  void* (*allocMem)(int32_t bytes);
  void* (*reallocMem)(void* block, int32_t bytes);
  void (*freeMem)(void* block);
  void (*endProgram)(int32_t exitCode);
  void (*runMessageLoop)();
  void (*loadStartupWindow)(uint32_t windowId);
  intptr_t (*auxDispatch)(int32_t index, intptr_t a, intptr_t b, intptr_t c, intptr_t d);
};

// Entries not yet provided by the runtime are null; 5 and 6 (unit properties) are filled by
// the forms engine through MutableServices.
const ServiceTable& Services();
// Lets later layers fill the entries they provide.
ServiceTable& MutableServices();

// The uniform call: a zeroed result record, then routine(&result, count, args).
ArgRecord CallCommand(CommandRoutine routine, int32_t count, ArgRecord* args);

// AuxDispatch entries.
inline constexpr int32_t kAuxFindFile = 0;
inline constexpr int32_t kAuxEndFind = 1;
inline constexpr int32_t kAuxPrivateArrayCopy = 2;
inline constexpr int32_t kAuxSetEndRoutine = 3;
inline constexpr int32_t kAuxInitRuntime = 6;  // argument: the ImageHeader, or 0 for RunProgram's
intptr_t AuxDispatch(int32_t index, intptr_t a, intptr_t b, intptr_t c, intptr_t d);

// File search used by the application to walk folders (AuxDispatch entry 0).
// Returns a fresh text with the next accepted entry's name, or null when none is left.
// The search handle lives in the caller's 32-bit variable (0 = no search).
char* FindFileEntry(const char* pattern, uint32_t attributeMask, int32_t allNonDirectories,
                    int32_t* searchHandle);

// RuntimeNotify: (code, argument 1, argument 2) -> result.
intptr_t RuntimeNotify(int32_t code, intptr_t arg1, intptr_t arg2);

// Services that sibling layers lend the runtime, installed once when the program is put
// together. Request 1003 (picture data, byte count -> device bitmap, 0 when the data is
// not a picture) is answered by the picture layer; without it the answer is 0.
using PictureBitmapService = void* (*)(const uint8_t* bytes, size_t length);
void SetPictureBitmapService(PictureBitmapService service);

}  // namespace rt
