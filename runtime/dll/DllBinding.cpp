// Binding follows a fixed lookup order so that a program finds the same function wherever
// it is started: commands without a module try the system modules in turn; the others look
// beside the program (the run directory, then the program directory) before the system
// search, and a name with ":" is taken as the exact file. Every index is cached on its own
// with the module handle its binding loaded, so each load is matched by one free at the end.
#include "runtime/dll/DllBinding.h"

#include <cstdio>
#include <string>

#include "platform/ModuleExports.h"
#include "platform/kernel32.h"
#include "runtime/RuntimeState.h"
#include "runtime/errors/RuntimeError.h"
#include "runtime/errors/RuntimeMessages.h"

namespace rt {

namespace {

constexpr int32_t kStackError = 6;

DllModuleLoader PlatformLoader() {
  return {LoadLibraryA, GetProcAddress, FreeLibrary};
}

DllModuleLoader& Loader() {
  static DllModuleLoader loader = PlatformLoader();
  return loader;
}

// "#n" asks for ordinal n modulo 65536; the digits are read as far as they go.
LPCSTR LookupName(const std::string& function) {
  if (function.empty() || function[0] != '#') return function.c_str();
  uint32_t ordinal = 0;
  for (size_t i = 1; i < function.size() && function[i] >= '0' && function[i] <= '9'; ++i) {
    ordinal = (ordinal * 10 + static_cast<uint32_t>(function[i] - '0')) % 65536;
  }
  return MAKEINTRESOURCEA(static_cast<WORD>(ordinal));
}

std::string Formatted(const char* format, const std::string& first, const std::string* second) {
  const int n = second != nullptr
                    ? std::snprintf(nullptr, 0, format, first.c_str(), second->c_str())
                    : std::snprintf(nullptr, 0, format, first.c_str());
  if (n <= 0) return {};
  std::string text(static_cast<size_t>(n) + 1, '\0');
  if (second != nullptr) {
    std::snprintf(text.data(), text.size(), format, first.c_str(), second->c_str());
  } else {
    std::snprintf(text.data(), text.size(), format, first.c_str());
  }
  text.resize(static_cast<size_t>(n));
  return text;
}

[[noreturn]] void ReportMissing(const std::string& module, const std::string& function) {
  const std::string message = module.empty()
                                  ? Formatted(msg::kExportMissing, function, nullptr)
                                  : Formatted(msg::kModuleExportMissing, module, &function);
  ReportRuntimeError(message.c_str(), 0);
}

// The module of a command declared with one, loaded from where the lookup order says.
HMODULE LoadDeclaredModule(const std::string& module) {
  const DllModuleLoader& loader = Loader();
  if (module.find(':') != std::string::npos) return loader.load(module.c_str());
  const RuntimeState& s = Runtime();
  HMODULE h = loader.load((s.runDirectory + "\\" + module).c_str());
  if (h == nullptr && !s.programDirectory.empty()) {
    h = loader.load((s.programDirectory + module).c_str());
  }
  if (h == nullptr) h = loader.load(module.c_str());
  return h;
}

uint32_t RecordedArgumentBytes(FARPROC address) {
  DWORD bytes = 0;
  return platform::LookupExportArgumentBytes(address, &bytes) ? bytes : kArgumentBytesUnknown;
}

}  // namespace

void SetDllModuleLoader(const DllModuleLoader& loader) {
  Loader() = loader.load != nullptr && loader.find != nullptr && loader.free != nullptr
                 ? loader
                 : PlatformLoader();
}

FARPROC BindDllCommand(int32_t index) {
  DllCommandTables& t = Runtime().dllCommands;
  if (index < 0 || static_cast<size_t>(index) >= t.functions.size()) ReportMissing({}, {});
  const auto i = static_cast<size_t>(index);
  if (t.functions[i] != nullptr) return t.functions[i];

  const DllModuleLoader& loader = Loader();
  const std::string& module = t.moduleNames[i];
  const LPCSTR name = LookupName(t.functionNames[i]);
  HMODULE loaded = nullptr;
  FARPROC address = nullptr;
  if (module.empty()) {
    for (const char* system : kSystemModules) {
      loaded = loader.load(system);
      if (loaded == nullptr) continue;
      address = loader.find(loaded, name);
      if (address != nullptr) break;
      loader.free(loaded);
      loaded = nullptr;
    }
  } else {
    loaded = LoadDeclaredModule(module);
    if (loaded != nullptr) address = loader.find(loaded, name);
  }

  if (address == nullptr) {
    if (loaded != nullptr) loader.free(loaded);
    ReportMissing(module, t.functionNames[i]);
  }
  t.functions[i] = address;
  t.modules[i] = loaded;
  t.argumentBytes[i] = RecordedArgumentBytes(address);
  return address;
}

FARPROC CallDllCommand(int32_t index, uint32_t declaredArgumentBytes) {
  const DllCommandTables& t = Runtime().dllCommands;
  const auto i = static_cast<size_t>(index);
  FARPROC address = index >= 0 && i < t.functions.size() && t.functions[i] != nullptr
                        ? t.functions[i]
                        : BindDllCommand(index);
  const uint32_t recorded = t.argumentBytes[i];
  if (recorded != kArgumentBytesUnknown && recorded != declaredArgumentBytes) {
    RaiseRuntimeError(kStackError);
  }
  return address;
}

void FreeDllCommands() {
  DllCommandTables& t = Runtime().dllCommands;
  const DllModuleLoader& loader = Loader();
  for (HMODULE module : t.modules) {
    if (module != nullptr) loader.free(module);
  }
  t = DllCommandTables{};
}

}  // namespace rt
