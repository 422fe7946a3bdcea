// The runtime's single application object: what it knows about the running program.
#pragma once

#include <atomic>
#include <cstdint>
#include <string>
#include <vector>

#include "platform/win32_types.h"
#include "runtime/image/ImageHeader.h"

namespace rt {

using EndRoutine = void (*)();

struct RuntimeState {
  HANDLE heap = nullptr;
  const ImageHeader* header = nullptr;
  uint32_t runMode = 0;
  uint32_t secondMode = 0;
  uint32_t idCounter = 0;
  std::string runDirectory;      // GBK, no trailing backslash
  std::string programFileName;   // GBK
  std::string programDirectory;  // GBK, trailing backslash
  std::vector<const LibraryDescriptor*> libraries;
  std::vector<intptr_t> libraryWords;
  DWORD mainThreadId = 0;
  std::atomic<int32_t> busyCounter{0};
  EndRoutine endRoutine = nullptr;
  std::atomic<bool> ending{false};
  bool initialised = false;
};

RuntimeState& Runtime();

// Sets the runtime up from the header (heap, modes, directories, constant range, libraries).
void InitRuntime(const ImageHeader* header);
void SetEndRoutine(EndRoutine routine);
// The orderly end: end routine once, libraries told, runtime-owned state freed.
void EndProgram(int32_t exitCode);
// Splits a module path at its last separator into (directory, file name).
void SplitModulePath(const std::string& path, std::string* directory, std::string* fileName);

// Busy counter: while above zero no events reach the application.
void RaiseBusy();
void LowerBusy();

}  // namespace rt
