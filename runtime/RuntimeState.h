// The runtime's single application object: what it knows about the running program, from
// start-up (InitRuntime) through the message loop to the orderly end (EndProgram).
#pragma once

#include <atomic>
#include <cstdint>
#include <string>
#include <vector>

#include "platform/win32_types.h"
#include "runtime/image/DataTypeDescriptor.h"
#include "runtime/image/ImageHeader.h"

namespace rt {

using EndRoutine = void (*)();
// What a library hands the idle phase: called with its argument while its window lives.
using IdleRoutine = void (*)(intptr_t argument);

// The idle routines, kept as three parallel arrays: window handles, routines, arguments.
struct IdleRoutineList {
  std::vector<HWND> windows;
  std::vector<IdleRoutine> routines;
  std::vector<intptr_t> arguments;

  size_t size() const { return windows.size(); }
  void clear() {
    windows.clear();
    routines.clear();
    arguments.clear();
  }
};

// The four per-DLL-command arrays: the names come from the image header, handles and
// addresses are filled when a command is first bound. The fifth keeps, beside each bound
// address, the argument bytes its export records (kArgumentBytesUnknown for functions of
// loaded files), so that the stack check on every call needs no lookup.
inline constexpr uint32_t kArgumentBytesUnknown = UINT32_MAX;
struct DllCommandTables {
  std::vector<std::string> moduleNames;
  std::vector<std::string> functionNames;
  std::vector<HMODULE> modules;
  std::vector<FARPROC> functions;
  std::vector<uint32_t> argumentBytes;
};

// Slots other components may fill; until then they hold routines that do nothing.
struct ComponentHooks {
  intptr_t (*first)() = nullptr;
  intptr_t (*second)() = nullptr;
  void (*release)(void*) = nullptr;
};

struct RuntimeState {
  HANDLE heap = nullptr;
  const ImageHeader* header = nullptr;
  uint32_t runMode = 0;
  uint32_t secondMode = 0;
  uint32_t idCounter = 0;
  std::string runDirectory;      // GBK, no trailing backslash
  std::string programFileName;   // GBK
  std::string programDirectory;  // GBK, trailing separator kept
  std::vector<const LibraryDescriptor*> libraries;
  std::vector<intptr_t> libraryWords;
  DllCommandTables dllCommands;
  ComponentHooks hooks;
  DWORD mainThreadId = 0;
  HWND messageWindow = nullptr;
  IdleRoutineList idleRoutines;
  // The busy counter doubles as the event-suppression counter: while it is 1 or more no
  // event reaches the application.
  std::atomic<int32_t> busyCounter{0};
  // The event being handled, readable by commands (notify 2017).
  uint32_t currentEventWindow = 0;
  uint32_t currentEventUnit = 0;
  int32_t handlerRunning = 0;
  EndRoutine endRoutine = nullptr;
  std::atomic<bool> ending{false};
  bool loopEntered = false;
  bool oleInitialised = false;
  bool initialised = false;
};

RuntimeState& Runtime();

// Sets the runtime up from the header, in the documented order. A null header starts an
// empty program (no libraries, no form data), which tests use.
void InitRuntime(const ImageHeader* header);
// Stored and called once by EndProgram; a later call replaces the earlier routine.
void SetEndRoutine(EndRoutine routine);
// The orderly end. On a thread other than the main thread the end is handed to the main
// thread and the process ends with the exit code; on the main thread it returns, and the
// caller ends the process.
void EndProgram(int32_t exitCode);
// EndProgram, then the process ends with the exit code.
[[noreturn]] void EndProgramAndExit(int32_t exitCode);

// Loads the start-up window; failure raises "载入启动窗口失败".
void LoadStartupWindow(uint32_t windowId);

// The process's whole life: instance start (program directory, the entry routine), then
// instance exit (EndProgram(0)). The entry routine calls InitRuntime (AuxDispatch entry 6
// with no argument uses this header), loads its start-up window and runs the loop.
// Returns the process exit code, 0.
int RunProgram(const ImageHeader& header, int (*entryRoutine)());

// Splits a module path at its last separator into (directory, file name).
void SplitModulePath(const std::string& path, std::string* directory, std::string* fileName);

// Busy counter: while above zero no events reach the application. Never goes below 0.
void RaiseBusy();
void LowerBusy();
bool EventsSuppressed();

// The event source and the handler-running word, kept for event routing.
void SetCurrentEventSource(uint32_t windowId, uint32_t unitId);
void SetHandlerRunning(bool running);
// Notify 2017: writes the source into ids[0], ids[1] and returns true while a handler runs.
bool CurrentEventSource(uint32_t* ids);

// The next id number for a unit created at run time (the caller adds the kind bits).
uint32_t NewId();

// The descriptor of a data-type code (library number << 16 | type number, both 1-based),
// or null.
const DataTypeDescriptor* DataTypeFor(uint32_t typeCode);
// Notify 2029: 2 for a menu type, else 1 for a windowed unit type, else 0.
int32_t DataTypeFlags(uint32_t typeCode);

}  // namespace rt
