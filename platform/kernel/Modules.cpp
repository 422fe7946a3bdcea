// Modules. Kernel32, User32, Gdi32, Advapi32, Mpr and Shell32 are built in: their handles
// stay valid for the whole run and GetProcAddress looks in export tables that the layers
// fill. A name is built in only as a bare name ("user32", "USER32.DLL", "User32."); any
// name with a folder in it is a file, as Windows would load a file of that name from
// there. Files are loaded with dlopen.
#include "platform/kernel/Modules.h"

#include <dlfcn.h>
#include <fcntl.h>
#include <link.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <climits>
#include <cstdlib>
#include <cstring>
#include <list>
#include <map>
#include <mutex>

#include "platform/ModuleExports.h"
#include "platform/kernel/BuiltinExports.h"
#include "platform/kernel/HandleTable.h"
#include "platform/kernel/Paths.h"
#include "platform/kernel32.h"

namespace platform::kernel {
namespace {

constexpr size_t kBuiltinCount = 6;
constexpr std::array<const char*, kBuiltinCount> kBuiltinNames = {"kernel32", "user32", "gdi32",
                                                                  "advapi32", "mpr",    "shell32"};

class ModuleObject final : public KernelObject {
 public:
  enum class Type { Executable, Builtin, File };
  ObjectKind Kind() const override { return ObjectKind::Module; }

  Type type = Type::File;
  BuiltinModule builtin = BuiltinModule::Kernel32;
  HANDLE handle = nullptr;
  void* library = nullptr;  // from dlopen
  std::string path;         // a loaded file's real path
  // Guarded by the registry's mutex. One dlopen reference is held per count.
  long references = 0;
};

struct ExportEntry {
  std::string name;  // empty for an export known only by ordinal
  WORD ordinal;
  FARPROC address;
  DWORD argumentBytes;
};

struct ExportTable {
  std::list<ExportEntry> entries;
  std::map<std::string, std::list<ExportEntry>::iterator> byName;
  std::map<WORD, std::list<ExportEntry>::iterator> byOrdinal;
};

class ModuleRegistry {
 public:
  ModuleRegistry() {
    executable_ = NewModule(ModuleObject::Type::Executable, BuiltinModule::Kernel32);
    for (size_t i = 0; i < kBuiltinCount; ++i) {
      builtins_[i] = NewModule(ModuleObject::Type::Builtin, static_cast<BuiltinModule>(i));
    }
    // The layers above add theirs through RegisterModuleExports as the program starts.
    const auto& kernel = KernelExports();
    Add(BuiltinModule::Kernel32, kernel.data(), kernel.size());
  }

  std::mutex mutex;

  void Add(BuiltinModule module, const ModuleExport* exports, size_t count) {
    ExportTable& table = tables_[static_cast<size_t>(module)];
    for (size_t i = 0; i < count; ++i) {
      const ModuleExport& e = exports[i];
      std::string name = e.name != nullptr ? e.name : "";
      if (!name.empty()) {
        auto old = table.byName.find(name);
        if (old != table.byName.end()) Erase(table, old->second);
      }
      if (e.ordinal != 0) {
        auto old = table.byOrdinal.find(e.ordinal);
        if (old != table.byOrdinal.end()) {
          // The ordinal moves to the new export; an old export without a name goes.
          if (old->second->name.empty()) {
            Erase(table, old->second);
          } else {
            old->second->ordinal = 0;
            table.byOrdinal.erase(old);
          }
        }
      }
      auto it = table.entries.insert(table.entries.end(),
                                     ExportEntry{name, e.ordinal, e.address, e.argumentBytes});
      if (!name.empty()) table.byName[name] = it;
      if (e.ordinal != 0) table.byOrdinal[e.ordinal] = it;
      argumentBytes_[reinterpret_cast<uintptr_t>(e.address)] = e.argumentBytes;
    }
  }

  const ExportEntry* Find(BuiltinModule module, LPCSTR name) const {
    const ExportTable& table = tables_[static_cast<size_t>(module)];
    if (IS_INTRESOURCE(name)) {
      auto it = table.byOrdinal.find(static_cast<WORD>(reinterpret_cast<uintptr_t>(name)));
      return it == table.byOrdinal.end() ? nullptr : &*it->second;
    }
    auto it = table.byName.find(name);
    return it == table.byName.end() ? nullptr : &*it->second;
  }

  bool ArgumentBytes(FARPROC address, DWORD* bytes) const {
    auto it = argumentBytes_.find(reinterpret_cast<uintptr_t>(address));
    if (it == argumentBytes_.end()) return false;
    *bytes = it->second;
    return true;
  }

  const std::shared_ptr<ModuleObject>& Executable() const { return executable_; }
  const std::shared_ptr<ModuleObject>& Builtin(size_t index) const { return builtins_[index]; }
  std::map<void*, std::shared_ptr<ModuleObject>>& Files() { return files_; }

 private:
  static std::shared_ptr<ModuleObject> NewModule(ModuleObject::Type type, BuiltinModule builtin) {
    auto module = std::make_shared<ModuleObject>();
    module->type = type;
    module->builtin = builtin;
    module->handle = KernelHandles().Insert(module);
    return module;
  }

  void Erase(ExportTable& table, std::list<ExportEntry>::iterator it) {
    if (!it->name.empty()) table.byName.erase(it->name);
    if (it->ordinal != 0) table.byOrdinal.erase(it->ordinal);
    FARPROC address = it->address;
    table.entries.erase(it);
    // The address keeps its byte count while another export still names it.
    for (const ExportTable& t : tables_) {
      for (const ExportEntry& e : t.entries) {
        if (e.address == address) return;
      }
    }
    argumentBytes_.erase(reinterpret_cast<uintptr_t>(address));
  }

  std::array<ExportTable, kBuiltinCount> tables_;
  std::map<uintptr_t, DWORD> argumentBytes_;
  std::shared_ptr<ModuleObject> executable_;
  std::array<std::shared_ptr<ModuleObject>, kBuiltinCount> builtins_;
  std::map<void*, std::shared_ptr<ModuleObject>> files_;  // by dlopen handle
};

ModuleRegistry& Registry() {
  // Made on first use from any layer and never destroyed, so neither start-up nor exit
  // order matters.
  static ModuleRegistry* registry = new ModuleRegistry();
  return *registry;
}

std::string LowerAscii(std::string_view text) {
  std::string lower(text);
  for (char& c : lower) {
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  }
  return lower;
}

int BuiltinIndex(std::string_view name) {
  if (name.find_first_of("\\/") != std::string_view::npos) return -1;
  std::string lower = LowerAscii(name);
  if (lower.size() > 4 && lower.ends_with(".dll")) {
    lower.resize(lower.size() - 4);
  } else if (!lower.empty() && lower.back() == '.') {
    lower.pop_back();
  }
  for (size_t i = 0; i < kBuiltinCount; ++i) {
    if (lower == kBuiltinNames[i]) return static_cast<int>(i);
  }
  return -1;
}

// Windows adds ".dll" to a file name without an extension; a trailing dot asks it not to.
std::string WithDefaultExtension(std::string path) {
  size_t slash = path.rfind('/');
  size_t nameStart = slash == std::string::npos ? 0 : slash + 1;
  if (path.size() > nameStart && path.back() == '.') {
    path.pop_back();
  } else if (path.find('.', nameStart) == std::string::npos) {
    path += ".dll";
  }
  return path;
}

std::string BaseName(const std::string& path) {
  size_t slash = path.rfind('/');
  return slash == std::string::npos ? path : path.substr(slash + 1);
}

std::string RealPath(const std::string& path) {
  char* resolved = realpath(path.c_str(), nullptr);
  if (resolved == nullptr) return path;
  std::string result = resolved;
  std::free(resolved);
  return result;
}

// Why a load of path failed: a file that is there but is not a shared object is a bad
// format; anything else (no file, a missing dependency) is a missing module.
DWORD LoadFailure(const std::string& path) {
  struct stat st;
  if (path.find('/') == std::string::npos || stat(path.c_str(), &st) != 0 || !S_ISREG(st.st_mode)) {
    return ERROR_MOD_NOT_FOUND;
  }
  char magic[4] = {};
  int fd = open(path.c_str(), O_RDONLY | O_CLOEXEC);
  ssize_t n = fd >= 0 ? read(fd, magic, sizeof(magic)) : -1;
  if (fd >= 0) close(fd);
  bool elf = n == 4 && std::memcmp(magic,
                                   "\x7F"
                                   "ELF",
                                   4) == 0;
  return elf ? ERROR_MOD_NOT_FOUND : ERROR_BAD_EXE_FORMAT;
}

std::shared_ptr<ModuleObject> ModuleFromHandle(HMODULE module) {
  if (module == nullptr) return Registry().Executable();
  auto object = KernelHandles().GetAs<ModuleObject>(module);
  if (!object) SetLastError(ERROR_MOD_NOT_FOUND);
  return object;
}

}  // namespace

std::string ExecutablePath() {
  std::string buffer(PATH_MAX, '\0');
  for (;;) {
    ssize_t n = readlink("/proc/self/exe", buffer.data(), buffer.size());
    if (n < 0) return {};
    if (static_cast<size_t>(n) < buffer.size()) {
      buffer.resize(static_cast<size_t>(n));
      return buffer;
    }
    buffer.resize(buffer.size() * 2);
  }
}

std::optional<std::string> ModuleFilePath(HMODULE module) {
  auto object = ModuleFromHandle(module);
  if (!object) return std::nullopt;
  if (object->type == ModuleObject::Type::File) return object->path;
  return ExecutablePath();
}

}  // namespace platform::kernel

namespace platform {

void SortExportsByName(std::vector<ModuleExport>* table) {
  std::sort(table->begin(), table->end(), [](const ModuleExport& a, const ModuleExport& b) {
    return std::strcmp(a.name, b.name) < 0;
  });
}

void RegisterModuleExports(BuiltinModule module, const ModuleExport* exports, size_t count) {
  if (exports == nullptr || static_cast<size_t>(module) >= kernel::kBuiltinCount) return;
  kernel::ModuleRegistry& registry = kernel::Registry();
  std::lock_guard lock(registry.mutex);
  registry.Add(module, exports, count);
}

bool RegisterModuleExports(BuiltinModule module, const std::vector<ModuleExport>& exports) {
  RegisterModuleExports(module, exports.data(), exports.size());
  return true;
}

bool LookupExportArgumentBytes(FARPROC address, DWORD* argumentBytes) {
  if (argumentBytes == nullptr) return false;
  kernel::ModuleRegistry& registry = kernel::Registry();
  std::lock_guard lock(registry.mutex);
  return registry.ArgumentBytes(address, argumentBytes);
}

}  // namespace platform

using namespace platform::kernel;

HMODULE LoadLibraryA(LPCSTR name) {
  if (name == nullptr) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return nullptr;
  }
  ModuleRegistry& registry = Registry();
  if (int index = BuiltinIndex(name); index >= 0) {
    std::lock_guard lock(registry.mutex);
    const auto& module = registry.Builtin(static_cast<size_t>(index));
    ++module->references;
    return module->handle;
  }
  std::optional<std::string> fsPath = ToFileSystemPath(name);
  if (!fsPath) {
    SetLastError(ERROR_MOD_NOT_FOUND);
    return nullptr;
  }
  std::string path = WithDefaultExtension(*fsPath);
  // A bare name is looked for beside the program first, then where the system keeps its
  // libraries, then in the current folder, in the spirit of Windows' search order.
  std::vector<std::string> candidates;
  if (path.find('/') != std::string::npos) {
    candidates = {path};
  } else {
    candidates = {ParentDirectory(ExecutablePath()) + "/" + path, path, "./" + path};
  }
  void* library = nullptr;
  std::string loadedFrom;
  for (const std::string& candidate : candidates) {
    library = dlopen(candidate.c_str(), RTLD_NOW | RTLD_LOCAL);
    if (library != nullptr) {
      loadedFrom = candidate;
      break;
    }
  }
  if (library == nullptr) {
    DWORD error = ERROR_MOD_NOT_FOUND;
    for (const std::string& candidate : candidates) {
      if (DWORD e = LoadFailure(candidate); e != ERROR_MOD_NOT_FOUND) error = e;
    }
    SetLastError(error);
    return nullptr;
  }

  std::lock_guard lock(registry.mutex);
  auto& files = registry.Files();
  auto it = files.find(library);
  if (it != files.end()) {
    ++it->second->references;
    return it->second->handle;
  }
  auto module = std::make_shared<ModuleObject>();
  module->type = ModuleObject::Type::File;
  module->library = library;
  module->references = 1;
  struct link_map* map = nullptr;
  bool named = dlinfo(library, RTLD_DI_LINKMAP, &map) == 0 && map != nullptr &&
               map->l_name != nullptr && map->l_name[0] != 0;
  module->path = RealPath(named ? std::string(map->l_name) : loadedFrom);
  module->handle = KernelHandles().Insert(module);
  if (module->handle == nullptr) {
    dlclose(library);
    SetLastError(ERROR_NOT_ENOUGH_MEMORY);
    return nullptr;
  }
  files[library] = module;
  return module->handle;
}

FARPROC GetProcAddress(HMODULE module, LPCSTR name) {
  auto object = ModuleFromHandle(module);
  if (!object) return nullptr;
  if (name == nullptr) {
    SetLastError(ERROR_PROC_NOT_FOUND);
    return nullptr;
  }
  ModuleRegistry& registry = Registry();
  std::lock_guard lock(registry.mutex);
  FARPROC address = nullptr;
  if (object->type == ModuleObject::Type::Builtin) {
    if (const ExportEntry* entry = registry.Find(object->builtin, name)) address = entry->address;
  } else if (object->type == ModuleObject::Type::File && !IS_INTRESOURCE(name)) {
    // Shared objects have no ordinals; our own program exports nothing.
    address = reinterpret_cast<FARPROC>(dlsym(object->library, name));
  }
  if (address == nullptr) SetLastError(ERROR_PROC_NOT_FOUND);
  return address;
}

BOOL FreeLibrary(HMODULE module) {
  auto object = KernelHandles().GetAs<ModuleObject>(module);
  if (!object) {
    SetLastError(ERROR_MOD_NOT_FOUND);
    return FALSE;
  }
  ModuleRegistry& registry = Registry();
  std::lock_guard lock(registry.mutex);
  if (object->type != ModuleObject::Type::File) {
    // Built-in modules are part of the program and are never unloaded.
    if (object->references > 0) --object->references;
    return TRUE;
  }
  if (object->references == 0) {  // already freed by a racing call
    SetLastError(ERROR_MOD_NOT_FOUND);
    return FALSE;
  }
  dlclose(object->library);
  if (--object->references == 0) {
    registry.Files().erase(object->library);
    KernelHandles().Remove(object->handle);
  }
  return TRUE;
}

HMODULE GetModuleHandleA(LPCSTR name) {
  ModuleRegistry& registry = Registry();
  if (name == nullptr) return registry.Executable()->handle;
  if (int index = BuiltinIndex(name); index >= 0) {
    return registry.Builtin(static_cast<size_t>(index))->handle;
  }
  std::optional<std::string> fsPath = ToFileSystemPath(name);
  if (fsPath) {
    std::string path = WithDefaultExtension(*fsPath);
    bool byPath = path.find('/') != std::string::npos;
    std::string wanted = byPath ? RealPath(path) : LowerAscii(path);
    std::lock_guard lock(registry.mutex);
    for (const auto& [library, module] : registry.Files()) {
      if (byPath ? module->path == wanted : LowerAscii(BaseName(module->path)) == wanted) {
        return module->handle;
      }
    }
  }
  SetLastError(ERROR_MOD_NOT_FOUND);
  return nullptr;
}
