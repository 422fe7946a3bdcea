#include <algorithm>
#include <cstring>

#include "platform/kernel/BuiltinExports.h"
#include "platform/kernel32.h"

namespace platform::kernel {
namespace {

// Argument byte counts are those of a 32-bit caller: 4 per argument.
#define VELMORA_EXPORT(function, arguments)                 \
  ModuleExport {                                            \
#function, 0, ExportAddress(&function), 4 * (arguments) \
  }

}  // namespace

const std::vector<ModuleExport>& KernelExports() {
  static const std::vector<ModuleExport> exports = [] {
    std::vector<ModuleExport> table = {
        VELMORA_EXPORT(CloseHandle, 1),
        VELMORA_EXPORT(CreateDirectoryA, 2),
        VELMORA_EXPORT(CreateEventA, 4),
        VELMORA_EXPORT(CreateFileA, 7),
        VELMORA_EXPORT(CreateSemaphoreA, 4),
        VELMORA_EXPORT(CreateThread, 6),
        VELMORA_EXPORT(DeleteCriticalSection, 1),
        VELMORA_EXPORT(DeleteFileA, 1),
        VELMORA_EXPORT(EnterCriticalSection, 1),
        VELMORA_EXPORT(ExitProcess, 1),
        VELMORA_EXPORT(ExitThread, 1),
        VELMORA_EXPORT(FindClose, 1),
        VELMORA_EXPORT(FindFirstFileA, 2),
        VELMORA_EXPORT(FindNextFileA, 2),
        VELMORA_EXPORT(FlushFileBuffers, 1),
        VELMORA_EXPORT(FreeLibrary, 1),
        VELMORA_EXPORT(GetACP, 0),
        VELMORA_EXPORT(GetCurrentDirectoryA, 2),
        VELMORA_EXPORT(GetCurrentProcessId, 0),
        VELMORA_EXPORT(GetCurrentThreadId, 0),
        VELMORA_EXPORT(GetExitCodeThread, 2),
        VELMORA_EXPORT(GetFileAttributesA, 1),
        VELMORA_EXPORT(GetFileSize, 2),
        VELMORA_EXPORT(GetLastError, 0),
        VELMORA_EXPORT(GetModuleFileNameA, 3),
        VELMORA_EXPORT(GetModuleHandleA, 1),
        VELMORA_EXPORT(GetProcAddress, 2),
        VELMORA_EXPORT(GetProcessHeap, 0),
        VELMORA_EXPORT(GetTickCount, 0),
        VELMORA_EXPORT(HeapAlloc, 3),
        VELMORA_EXPORT(HeapFree, 3),
        VELMORA_EXPORT(HeapReAlloc, 4),
        VELMORA_EXPORT(HeapSize, 3),
        VELMORA_EXPORT(InitializeCriticalSection, 1),
        VELMORA_EXPORT(LeaveCriticalSection, 1),
        VELMORA_EXPORT(LoadLibraryA, 1),
        VELMORA_EXPORT(MultiByteToWideChar, 6),
        VELMORA_EXPORT(ReadFile, 5),
        VELMORA_EXPORT(ReleaseSemaphore, 3),
        VELMORA_EXPORT(RemoveDirectoryA, 1),
        VELMORA_EXPORT(ResetEvent, 1),
        VELMORA_EXPORT(ResumeThread, 1),
        VELMORA_EXPORT(RtlMoveMemory, 3),
        VELMORA_EXPORT(SetCurrentDirectoryA, 1),
        VELMORA_EXPORT(SetEndOfFile, 1),
        VELMORA_EXPORT(SetEvent, 1),
        VELMORA_EXPORT(SetFileAttributesA, 2),
        VELMORA_EXPORT(SetFilePointer, 4),
        VELMORA_EXPORT(SetLastError, 1),
        VELMORA_EXPORT(Sleep, 1),
        VELMORA_EXPORT(TlsAlloc, 0),
        VELMORA_EXPORT(TlsFree, 1),
        VELMORA_EXPORT(TlsGetValue, 1),
        VELMORA_EXPORT(TlsSetValue, 2),
        VELMORA_EXPORT(TryEnterCriticalSection, 1),
        VELMORA_EXPORT(WaitForMultipleObjects, 4),
        VELMORA_EXPORT(WaitForSingleObject, 2),
        VELMORA_EXPORT(WideCharToMultiByte, 8),
        VELMORA_EXPORT(WriteFile, 5),
    };
    std::sort(table.begin(), table.end(), [](const ModuleExport& a, const ModuleExport& b) {
      return std::strcmp(a.name, b.name) < 0;
    });
    for (size_t i = 0; i < table.size(); ++i) table[i].ordinal = static_cast<WORD>(i + 1);
    return table;
  }();
  return exports;
}

#undef VELMORA_EXPORT

}  // namespace platform::kernel
