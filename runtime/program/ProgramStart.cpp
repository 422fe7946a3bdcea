// Start-up: the instance-start sequence around the application's entry routine, and
// InitRuntime, which sets the runtime up from the image header in a fixed order (later
// steps rely on earlier ones: the libraries are told the notify routine before the form
// data is read, and the form data is read only once the hidden window can take an end).
#include <vector>

#include "platform/kernel32.h"
#include "runtime/FormsHooks.h"
#include "runtime/RuntimeState.h"
#include "runtime/calls/ServiceTable.h"
#include "runtime/com/OleSession.h"
#include "runtime/errors/RuntimeError.h"
#include "runtime/errors/RuntimeMessages.h"
#include "runtime/loop/MessageLoop.h"
#include "runtime/memory/RuntimeHeap.h"

namespace rt {

namespace {

constexpr int32_t kLibraryStart = 1;

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

intptr_t ReturnNothing() {
  return 0;
}
void ReleaseNothing(void*) {}

void FillDllCommandTables(DllCommandTables* tables, const ImageHeader* header) {
  *tables = DllCommandTables{};
  const uint32_t count = header != nullptr ? header->dllCommandCount : 0;
  tables->moduleNames.resize(count);
  tables->functionNames.resize(count);
  tables->modules.assign(count, nullptr);
  tables->functions.assign(count, nullptr);
  tables->argumentBytes.assign(count, kArgumentBytesUnknown);
  for (uint32_t i = 0; i < count; ++i) {
    const char* module = header->dllModuleNames != nullptr ? header->dllModuleNames[i] : nullptr;
    const char* function =
        header->dllFunctionNames != nullptr ? header->dllFunctionNames[i] : nullptr;
    tables->moduleNames[i] = module != nullptr ? module : "";
    tables->functionNames[i] = function != nullptr ? function : "";
  }
}

void StartLibraries(RuntimeState& s, const ImageHeader* header) {
  s.libraries.clear();
  s.libraryWords.clear();
  if (header == nullptr || header->libraries == nullptr) return;
  for (uint32_t i = 0; i < header->libraryCount; ++i) {
    const LibraryDescriptor* library = header->libraries[i];
    s.libraries.push_back(library);
    s.libraryWords.push_back(0);
    if (library != nullptr && library->notify != nullptr) {
      library->notify(kLibraryStart, reinterpret_cast<intptr_t>(&RuntimeNotify), 0);
    }
  }
}

}  // namespace

void InitRuntime(const ImageHeader* header) {
  RuntimeState& s = Runtime();
  // 1-2
  s.heap = GetProcessHeap();
  s.header = header;
  s.runMode = header != nullptr ? header->runMode : 0;
  s.secondMode = header != nullptr ? header->secondMode : 0;
  s.idCounter = header != nullptr ? header->lastIdNumber + 1 : 1;
  s.ending = false;
  s.loopEntered = false;
  s.busyCounter = 0;
  s.handlerRunning = 0;
  s.currentEventWindow = 0;
  s.currentEventUnit = 0;
  s.idleRoutines.clear();

  // 3
  if (!s.oleInitialised) s.oleInitialised = StartOle();

  // 4
  SplitModulePath(ModuleFileName(), &s.runDirectory, &s.programFileName);
  if (!s.runDirectory.empty()) SetCurrentDirectoryA(s.runDirectory.c_str());

  // 5
  s.hooks.first = ReturnNothing;
  s.hooks.second = ReturnNothing;
  s.hooks.release = ReleaseNothing;

  // 6-7
  DestroyMessageWindow();
  CreateMessageWindow();
  s.mainThreadId = GetCurrentThreadId();

  // 8
  ClearConstantRanges();
  if (header != nullptr && header->constantDataSize != 0 && header->constantData != nullptr) {
    AddConstantRange(header->constantData, header->constantDataSize);
  }

  // 9: binding the commands themselves happens on their first call.
  FillDllCommandTables(&s.dllCommands, header);

  // 10
  StartLibraries(s, header);
  s.initialised = true;

  // 11-13: the forms engine reads the templates, relocates the handler offsets against the
  // code base and registers the windows.
  if (header != nullptr && header->formDataSize != 0) {
    const FormsHooks& forms = Forms();
    if (forms.readFormData == nullptr || header->formData == nullptr ||
        !forms.readFormData(header->formData, header->formDataSize, header->codeBase)) {
      ReportRuntimeError(msg::kFormDataUnreadable, 0);
    }
  }
}

void SetEndRoutine(EndRoutine routine) {
  Runtime().endRoutine = routine;
}

void LoadStartupWindow(uint32_t windowId) {
  const FormsHooks& forms = Forms();
  if (forms.loadStartupWindow == nullptr || !forms.loadStartupWindow(windowId)) {
    ReportRuntimeError(msg::kStartupWindowFailed, 0);
  }
}

int RunProgram(const ImageHeader& header, int (*entryRoutine)()) {
  RuntimeState& s = Runtime();
  // Instance start: the program directory keeps its separator, the one hook slot the
  // framework's start touches gets its do-nothing default, then the entry routine runs.
  s.header = &header;
  const std::string path = ModuleFileName();
  const size_t slash = path.find_last_of("\\/");
  s.programDirectory = slash == std::string::npos ? std::string() : path.substr(0, slash + 1);
  s.hooks.release = ReleaseNothing;
  if (entryRoutine != nullptr) entryRoutine();
  // Instance exit: whatever the entry routine returned, the program ends in order here.
  EndProgram(0);
  return 0;
}

}  // namespace rt
