#include "runtime/RuntimeState.h"

#include <vector>

#include "platform/kernel32.h"
#include "runtime/calls/ServiceTable.h"
#include "runtime/memory/RuntimeHeap.h"

namespace rt {

namespace {
constexpr int32_t kLibraryStart = 1;
constexpr int32_t kLibraryEnd = 6;

std::string ModuleFileName() {
  // Grown until the whole path fits: a program installed deeper than MAX_PATH must still
  // find its own folder.
  std::vector<char> buffer(MAX_PATH);
  for (;;) {
    DWORD n = GetModuleFileNameA(nullptr, buffer.data(), static_cast<DWORD>(buffer.size()));
    if (n == 0) return {};
    if (n < buffer.size()) return std::string(buffer.data(), n);
    if (buffer.size() > (1u << 20)) return {};
    buffer.resize(buffer.size() * 2);
  }
}
}  // namespace

RuntimeState& Runtime() {
  static RuntimeState state;
  return state;
}

// Both separators count: the platform reports the program's path the way the file system
// spells it, and every path the program builds works with either.
void SplitModulePath(const std::string& path, std::string* directory, std::string* fileName) {
  size_t slash = path.find_last_of("\\/");
  if (slash == std::string::npos) {
    directory->clear();
    *fileName = path;
    return;
  }
  *directory = path.substr(0, slash);
  *fileName = path.substr(slash + 1);
}

void InitRuntime(const ImageHeader* header) {
  RuntimeState& s = Runtime();
  s.heap = GetProcessHeap();
  s.header = header;
  s.runMode = header != nullptr ? header->runMode : 0;
  s.secondMode = header != nullptr ? header->secondMode : 0;
  s.idCounter = header != nullptr ? header->lastIdNumber + 1 : 1;

  std::string path = ModuleFileName();
  SplitModulePath(path, &s.runDirectory, &s.programFileName);
  size_t slash = path.find_last_of("\\/");
  s.programDirectory = slash == std::string::npos ? std::string() : path.substr(0, slash + 1);
  if (!s.runDirectory.empty()) SetCurrentDirectoryA(s.runDirectory.c_str());

  s.mainThreadId = GetCurrentThreadId();
  s.ending = false;

  ClearConstantRanges();
  if (header != nullptr && header->constantDataSize != 0 && header->constantData != nullptr) {
    AddConstantRange(header->constantData, header->constantDataSize);
  }

  s.libraries.clear();
  s.libraryWords.clear();
  if (header != nullptr && header->libraries != nullptr) {
    for (uint32_t i = 0; i < header->libraryCount; ++i) {
      const LibraryDescriptor* library = header->libraries[i];
      s.libraries.push_back(library);
      s.libraryWords.push_back(0);
      if (library != nullptr && library->notify != nullptr) {
        library->notify(kLibraryStart, reinterpret_cast<intptr_t>(&RuntimeNotify), 0);
      }
    }
  }
  s.initialised = true;
}

void SetEndRoutine(EndRoutine routine) { Runtime().endRoutine = routine; }

void RaiseBusy() { ++Runtime().busyCounter; }

void LowerBusy() {
  auto& counter = Runtime().busyCounter;
  int32_t value = counter.load();
  while (value > 0 && !counter.compare_exchange_weak(value, value - 1)) {
  }
}

void EndProgram(int32_t exitCode) {
  RuntimeState& s = Runtime();
  RaiseBusy();

  if (s.mainThreadId != 0 && GetCurrentThreadId() != s.mainThreadId) {
    // Until the hidden message window exists there is no way to hand the end to the main
    // thread, so the process ends here unless the main thread is already ending it.
    if (!s.ending.load()) ExitProcess(static_cast<UINT>(exitCode));
    return;
  }

  s.ending = true;

  if (EndRoutine routine = s.endRoutine) {
    s.endRoutine = nullptr;
    routine();
  }

  for (size_t i = 0; i < s.libraries.size(); ++i) {
    const LibraryDescriptor* library = s.libraries[i];
    if (library != nullptr && library->notify != nullptr) {
      library->notify(kLibraryEnd, s.libraryWords[i], 0);
    }
  }
  s.libraries.clear();
  s.libraryWords.clear();

  ClearConstantRanges();
}

}  // namespace rt
