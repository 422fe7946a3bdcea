#include "runtime/calls/ServiceTable.h"

#include "platform/kernel32.h"
#include "runtime/RuntimeState.h"
#include "runtime/dll/DllBinding.h"
#include "runtime/errors/RuntimeError.h"
#include "runtime/loop/MessageLoop.h"
#include "runtime/memory/RuntimeHeap.h"
#include "runtime/values/ValueBlocks.h"

namespace rt {

namespace {

void RaiseNumberedError(int32_t code) {
  RaiseRuntimeError(code);
}
void EndProgramService(int32_t exitCode) {
  EndProgramAndExit(exitCode);
}

ServiceTable MakeServiceTable() {
  ServiceTable t{};
  t.raiseRuntimeError = RaiseNumberedError;
  t.callDllCommand = CallDllCommand;
  t.callLibraryCommand = CallCommand;
  t.callCoreCommand = CallCommand;
  t.allocMem = AllocMem;
  t.reallocMem = ReallocMem;
  t.freeMem = FreeMem;
  t.endProgram = EndProgramService;
  t.runMessageLoop = RunMessageLoop;
  t.loadStartupWindow = LoadStartupWindow;
  t.auxDispatch = AuxDispatch;
  return t;
}

ServiceTable& Table() {
  static ServiceTable table = MakeServiceTable();
  return table;
}

HANDLE HandleFromVariable(int32_t value) {
  return reinterpret_cast<HANDLE>(static_cast<intptr_t>(value));
}

int32_t VariableFromHandle(HANDLE h) {
  return static_cast<int32_t>(reinterpret_cast<intptr_t>(h));
}

}  // namespace

const ServiceTable& Services() {
  return Table();
}
ServiceTable& MutableServices() {
  return Table();
}

ArgRecord CallCommand(CommandRoutine routine, int32_t count, ArgRecord* args) {
  ArgRecord result{};
  if (routine != nullptr) routine(&result, count, args);
  return result;
}

char* FindFileEntry(const char* pattern, uint32_t attributeMask, int32_t allNonDirectories,
                    int32_t* searchHandle) {
  if (searchHandle == nullptr) return nullptr;
  const uint32_t mask = allNonDirectories != 0 ? 0xFFFFFFFFu : (attributeMask & 0x37u);

  WIN32_FIND_DATAA data{};
  bool found;
  if (pattern != nullptr && pattern[0] != 0) {
    if (*searchHandle != 0) FindClose(HandleFromVariable(*searchHandle));
    *searchHandle = 0;
    HANDLE h = FindFirstFileA(pattern, &data);
    if (h == INVALID_HANDLE_VALUE) return nullptr;
    *searchHandle = VariableFromHandle(h);
    found = true;
  } else {
    if (*searchHandle == 0) return nullptr;
    found = FindNextFileA(HandleFromVariable(*searchHandle), &data) != FALSE;
  }

  for (; found; found = FindNextFileA(HandleFromVariable(*searchHandle), &data) != FALSE) {
    const uint32_t a = data.dwFileAttributes;
    bool accepted;
    if (mask == 0xFFFFFFFFu) {
      accepted = (a & FILE_ATTRIBUTE_DIRECTORY) == 0;
    } else if (mask == 0) {
      accepted = a == 0;
    } else {
      accepted = (a & mask) != 0;
    }
    if (accepted) {
      data.cFileName[MAX_PATH - 1] = 0;
      return BuildText(AllocMemSized, data.cFileName);
    }
  }
  FindClose(HandleFromVariable(*searchHandle));
  *searchHandle = 0;
  return nullptr;
}

intptr_t AuxDispatch(int32_t index, intptr_t a, intptr_t b, intptr_t c, intptr_t d) {
  switch (index) {
    case kAuxFindFile:
      return reinterpret_cast<intptr_t>(
          FindFileEntry(reinterpret_cast<const char*>(a), static_cast<uint32_t>(b),
                        static_cast<int32_t>(c), reinterpret_cast<int32_t*>(d)));
    case kAuxEndFind:
      if (static_cast<int32_t>(a) != 0) FindClose(HandleFromVariable(static_cast<int32_t>(a)));
      return 0;
    case kAuxPrivateArrayCopy:
      MakeArrayPrivate(static_cast<int32_t>(a), reinterpret_cast<void**>(b));
      return 0;
    case kAuxSetEndRoutine:
      SetEndRoutine(reinterpret_cast<EndRoutine>(a));
      return 0;
    case kAuxInitRuntime:
      // Without an argument: the header the program was started with.
      InitRuntime(a != 0 ? reinterpret_cast<const ImageHeader*>(a) : Runtime().header);
      return 0;
    default:
      // Entries 4 and 5 (library object properties) arrive with the property tables.
      return 0;
  }
}

}  // namespace rt
