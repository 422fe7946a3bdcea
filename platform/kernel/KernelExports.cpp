#include "platform/kernel/BuiltinExports.h"
#include "platform/kernel32.h"

namespace platform::kernel {

// The argument bytes come from the function's own type (ArgumentBytes in ModuleExports.h).
#define VELMORA_EXPORT(function) MakeExport(#function, &function)

const std::vector<ModuleExport>& KernelExports() {
  static const std::vector<ModuleExport> exports = [] {
    std::vector<ModuleExport> table = {
        VELMORA_EXPORT(CloseHandle),
        VELMORA_EXPORT(CreateDirectoryA),
        VELMORA_EXPORT(CreateEventA),
        VELMORA_EXPORT(CreateFileA),
        VELMORA_EXPORT(CreateSemaphoreA),
        VELMORA_EXPORT(CreateThread),
        VELMORA_EXPORT(DeleteCriticalSection),
        VELMORA_EXPORT(DeleteFileA),
        VELMORA_EXPORT(EnterCriticalSection),
        VELMORA_EXPORT(ExitProcess),
        VELMORA_EXPORT(ExitThread),
        VELMORA_EXPORT(FindClose),
        VELMORA_EXPORT(FindFirstFileA),
        VELMORA_EXPORT(FindNextFileA),
        VELMORA_EXPORT(FlushFileBuffers),
        VELMORA_EXPORT(FreeLibrary),
        VELMORA_EXPORT(GetACP),
        VELMORA_EXPORT(GetCurrentDirectoryA),
        VELMORA_EXPORT(GetCurrentProcessId),
        VELMORA_EXPORT(GetCurrentThreadId),
        VELMORA_EXPORT(GetExitCodeThread),
        VELMORA_EXPORT(GetFileAttributesA),
        VELMORA_EXPORT(GetFileSize),
        VELMORA_EXPORT(GetLastError),
        VELMORA_EXPORT(GetModuleFileNameA),
        VELMORA_EXPORT(GetModuleHandleA),
        VELMORA_EXPORT(GetProcAddress),
        VELMORA_EXPORT(GetProcessHeap),
        VELMORA_EXPORT(GetTickCount),
        VELMORA_EXPORT(HeapAlloc),
        VELMORA_EXPORT(HeapFree),
        VELMORA_EXPORT(HeapReAlloc),
        VELMORA_EXPORT(HeapSize),
        VELMORA_EXPORT(InitializeCriticalSection),
        VELMORA_EXPORT(LeaveCriticalSection),
        VELMORA_EXPORT(LoadLibraryA),
        VELMORA_EXPORT(MultiByteToWideChar),
        VELMORA_EXPORT(ReadFile),
        VELMORA_EXPORT(ReleaseSemaphore),
        VELMORA_EXPORT(RemoveDirectoryA),
        VELMORA_EXPORT(ResetEvent),
        VELMORA_EXPORT(ResumeThread),
        VELMORA_EXPORT(RtlMoveMemory),
        VELMORA_EXPORT(SetCurrentDirectoryA),
        VELMORA_EXPORT(SetEndOfFile),
        VELMORA_EXPORT(SetEvent),
        VELMORA_EXPORT(SetFileAttributesA),
        VELMORA_EXPORT(SetFilePointer),
        VELMORA_EXPORT(SetLastError),
        VELMORA_EXPORT(Sleep),
        VELMORA_EXPORT(TlsAlloc),
        VELMORA_EXPORT(TlsFree),
        VELMORA_EXPORT(TlsGetValue),
        VELMORA_EXPORT(TlsSetValue),
        VELMORA_EXPORT(TryEnterCriticalSection),
        VELMORA_EXPORT(WaitForMultipleObjects),
        VELMORA_EXPORT(WaitForSingleObject),
        VELMORA_EXPORT(WideCharToMultiByte),
        VELMORA_EXPORT(WriteFile),
    };
    SortExportsByName(&table);
    for (size_t i = 0; i < table.size(); ++i) table[i].ordinal = static_cast<WORD>(i + 1);
    return table;
  }();
  return exports;
}

#undef VELMORA_EXPORT

}  // namespace platform::kernel
