#include <dlfcn.h>
#include <gtest/gtest.h>
#include <link.h>

#include <cmath>
#include <filesystem>
#include <string>

#include "platform/ModuleExports.h"
#include "platform/kernel32.h"
#include "platform/user32.h"
#include "tests/platform/PlatformTestSupport.h"

namespace {

using platform_test::TempDirectory;

intptr_t Unregistered() {
  return 0;
}

// Callers turn an export back into its real type the same way.
template <class Function>
Function As(FARPROC address) {
  return reinterpret_cast<Function>(reinterpret_cast<void (*)()>(address));
}

TEST(Modules, EveryBuiltInNameSpellingGivesTheSameModule) {
  const char* const names[] = {"Kernel32", "User32", "Gdi32", "Advapi32", "Mpr", "Shell32"};
  std::vector<HMODULE> seen;
  for (const char* name : names) {
    std::string lower = name, upper = name;
    for (char& c : lower) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    for (char& c : upper) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    HMODULE module = LoadLibraryA(name);
    ASSERT_NE(module, nullptr) << name;
    EXPECT_LE(reinterpret_cast<uintptr_t>(module), 0xFFFFFFFFu);
    for (const std::string& spelling :
         {lower, upper, std::string(name) + ".dll", upper + ".DLL", lower + ".Dll", lower + "."}) {
      EXPECT_EQ(LoadLibraryA(spelling.c_str()), module) << spelling;
      EXPECT_EQ(GetModuleHandleA(spelling.c_str()), module) << spelling;
      EXPECT_TRUE(FreeLibrary(module));
    }
    for (const HMODULE& other : seen) EXPECT_NE(other, module) << name;
    seen.push_back(module);
    EXPECT_TRUE(FreeLibrary(module));
    // Built-in modules are part of the program and outlive their last FreeLibrary.
    EXPECT_EQ(GetModuleHandleA(name), module);
  }
  EXPECT_NE(GetModuleHandleA(nullptr), nullptr);
}

TEST(Modules, NamesThatAreNotBuiltInAreFiles) {
  for (const char* name :
       {"kernel", "kernel32.dl", "kernel33.dll", "C:\\Windows\\kernel32.dll", "sub/user32.dll"}) {
    SetLastError(0);
    EXPECT_EQ(LoadLibraryA(name), nullptr) << name;
    EXPECT_EQ(GetLastError(), ERROR_MOD_NOT_FOUND) << name;
    EXPECT_EQ(GetModuleHandleA(name), nullptr) << name;
  }
  EXPECT_EQ(LoadLibraryA(nullptr), nullptr);
}

TEST(Modules, KernelExportsCarryTheirAddressesAndArgumentBytes) {
  HMODULE kernel = LoadLibraryA("kernel32.dll");
  ASSERT_NE(kernel, nullptr);
  FARPROC convert = GetProcAddress(kernel, "MultiByteToWideChar");
  EXPECT_EQ(convert, platform::ExportAddress(&MultiByteToWideChar));
  DWORD bytes = 0;
  ASSERT_TRUE(platform::LookupExportArgumentBytes(convert, &bytes));
  EXPECT_EQ(bytes, 24u);
  ASSERT_TRUE(
      platform::LookupExportArgumentBytes(GetProcAddress(kernel, "WideCharToMultiByte"), &bytes));
  EXPECT_EQ(bytes, 32u);
  ASSERT_TRUE(platform::LookupExportArgumentBytes(GetProcAddress(kernel, "GetTickCount"), &bytes));
  EXPECT_EQ(bytes, 0u);
  ASSERT_TRUE(platform::LookupExportArgumentBytes(GetProcAddress(kernel, "RtlMoveMemory"), &bytes));
  EXPECT_EQ(bytes, 12u);
  EXPECT_FALSE(platform::LookupExportArgumentBytes(&Unregistered, &bytes));

  // The address really is the function.
  auto processId = As<DWORD (*)()>(GetProcAddress(kernel, "GetCurrentProcessId"));
  ASSERT_NE(processId, nullptr);
  EXPECT_EQ(processId(), GetCurrentProcessId());

  // Export names are case-sensitive, as on Windows.
  SetLastError(0);
  EXPECT_EQ(GetProcAddress(kernel, "multibytetowidechar"), nullptr);
  EXPECT_EQ(GetLastError(), ERROR_PROC_NOT_FOUND);
  EXPECT_EQ(GetProcAddress(kernel, "MessageBoxA"), nullptr) << "that one lives in User32";
  EXPECT_EQ(GetProcAddress(GetModuleHandleA("user32"), "MessageBoxA"),
            platform::ExportAddress(&MessageBoxA));
  FreeLibrary(kernel);
}

intptr_t FirstExport() {
  return 1;
}
intptr_t SecondExport() {
  return 2;
}

TEST(Modules, ExportsRegisteredByLaterLayersAreFoundByNameAndOrdinal) {
  const platform::ModuleExport exports[] = {
      {"VelmoraTestFirst", 501, &FirstExport, 8},
      {nullptr, 502, &SecondExport, 4},
  };
  platform::RegisterModuleExports(platform::BuiltinModule::Mpr, exports, 2);
  HMODULE mpr = GetModuleHandleA("MPR.DLL");
  EXPECT_EQ(GetProcAddress(mpr, "VelmoraTestFirst"), &FirstExport);
  EXPECT_EQ(GetProcAddress(mpr, MAKEINTRESOURCEA(501)), &FirstExport);
  EXPECT_EQ(GetProcAddress(mpr, MAKEINTRESOURCEA(502)), &SecondExport);
  EXPECT_EQ(GetProcAddress(mpr, MAKEINTRESOURCEA(503)), nullptr);
  EXPECT_EQ(GetLastError(), ERROR_PROC_NOT_FOUND);
  EXPECT_EQ(GetProcAddress(GetModuleHandleA("shell32"), "VelmoraTestFirst"), nullptr);
  DWORD bytes = 0;
  ASSERT_TRUE(platform::LookupExportArgumentBytes(&FirstExport, &bytes));
  EXPECT_EQ(bytes, 8u);

  // A second registration under the same name replaces the first one.
  const platform::ModuleExport replacement[] = {{"VelmoraTestFirst", 0, &SecondExport, 4}};
  platform::RegisterModuleExports(platform::BuiltinModule::Mpr, replacement, 1);
  EXPECT_EQ(GetProcAddress(mpr, "VelmoraTestFirst"), &SecondExport);
  EXPECT_EQ(GetProcAddress(mpr, MAKEINTRESOURCEA(501)), nullptr) << "the old ordinal went with it";
  EXPECT_FALSE(platform::LookupExportArgumentBytes(&FirstExport, &bytes));
}

std::string SystemMathLibrary() {
  void* handle = dlopen("libm.so.6", RTLD_NOW | RTLD_NOLOAD);
  if (handle == nullptr) handle = dlopen("libm.so.6", RTLD_NOW);
  struct link_map* map = nullptr;
  std::string path;
  if (handle != nullptr && dlinfo(handle, RTLD_DI_LINKMAP, &map) == 0 && map != nullptr)
    path = map->l_name;
  if (handle != nullptr) dlclose(handle);
  return path;
}

TEST(Modules, OtherNamesAreLoadedWithTheDynamicLoader) {
  HMODULE math = LoadLibraryA("libm.so.6");
  ASSERT_NE(math, nullptr);
  EXPECT_LE(reinterpret_cast<uintptr_t>(math), 0xFFFFFFFFu);
  FARPROC cosineExport = GetProcAddress(math, "cos");
  auto cosine = As<double (*)(double)>(cosineExport);
  ASSERT_NE(cosine, nullptr);
  EXPECT_DOUBLE_EQ(cosine(0.0), 1.0);
  EXPECT_EQ(GetProcAddress(math, "no_such_function"), nullptr);
  EXPECT_EQ(GetLastError(), ERROR_PROC_NOT_FOUND);
  EXPECT_EQ(GetProcAddress(math, MAKEINTRESOURCEA(1)), nullptr)
      << "shared objects have no ordinals";
  DWORD bytes = 0;
  EXPECT_FALSE(platform::LookupExportArgumentBytes(GetProcAddress(math, "cos"), &bytes))
      << "only built-in exports know their argument bytes";

  EXPECT_EQ(LoadLibraryA("libm.so.6"), math) << "a second load counts up";
  EXPECT_EQ(GetModuleHandleA("LIBM.SO.6"), math);
  char path[4096];
  DWORD n = GetModuleFileNameA(math, path, sizeof(path));
  ASSERT_GT(n, 0u);
  EXPECT_EQ(std::filesystem::path(path).filename().string().rfind("libm", 0), 0u) << path;

  EXPECT_TRUE(FreeLibrary(math));
  EXPECT_EQ(GetProcAddress(math, "cos"), cosineExport) << "one reference is left";
  EXPECT_TRUE(FreeLibrary(math));
  EXPECT_FALSE(FreeLibrary(math));
  EXPECT_EQ(GetLastError(), ERROR_MOD_NOT_FOUND);
  EXPECT_EQ(GetProcAddress(math, "cos"), nullptr);
  EXPECT_EQ(GetLastError(), ERROR_MOD_NOT_FOUND);
  EXPECT_EQ(GetModuleHandleA("libm.so.6"), nullptr);
}

TEST(Modules, FilesAreFoundByGbkPathAndGetDllAddedWithoutExtension) {
  std::string library = SystemMathLibrary();
  if (library.empty()) GTEST_SKIP() << "cannot find libm.so.6 to copy";
  TempDirectory dir;
  std::string folderUnix = dir.Unix(platform_test::kFolderUtf8);
  std::filesystem::create_directory(folderUnix);
  std::filesystem::copy_file(library, folderUnix + "/mathlib.dll");
  std::filesystem::copy_file(library, folderUnix + "/noext");

  std::string folder = dir.Windows(platform_test::kFolderGbk);
  HMODULE byFullName = LoadLibraryA((folder + "\\mathlib.dll").c_str());
  ASSERT_NE(byFullName, nullptr);
  HMODULE withoutExtension = LoadLibraryA((folder + "\\mathlib").c_str());
  EXPECT_EQ(withoutExtension, byFullName);
  EXPECT_NE(GetProcAddress(byFullName, "sin"), nullptr);
  EXPECT_EQ(GetModuleHandleA("MathLib.dll"), byFullName) << "a bare name matches the file name";
  EXPECT_EQ(GetModuleHandleA((folder + "\\mathlib.dll").c_str()), byFullName);
  char path[4096];
  ASSERT_GT(GetModuleFileNameA(byFullName, path, sizeof(path)), 0u);
  EXPECT_EQ(std::string(path), dir.path() + "/" + platform_test::kFolderGbk + "/mathlib.dll")
      << "the file name comes back in GBK";
  FreeLibrary(withoutExtension);
  FreeLibrary(byFullName);

  // A trailing dot asks for the name exactly as written.
  EXPECT_EQ(LoadLibraryA((folder + "\\noext").c_str()), nullptr);
  HMODULE exact = LoadLibraryA((folder + "\\noext.").c_str());
  EXPECT_NE(exact, nullptr);
  FreeLibrary(exact);
}

TEST(Modules, FilesThatAreNotLibrariesAreReportedAsSuch) {
  TempDirectory dir;
  platform_test::WriteAll(dir.Unix("fake.dll"), "this is not a shared object");
  EXPECT_EQ(LoadLibraryA(dir.Windows("fake.dll").c_str()), nullptr);
  EXPECT_EQ(GetLastError(), ERROR_BAD_EXE_FORMAT);
  EXPECT_EQ(LoadLibraryA(dir.Windows("absent.dll").c_str()), nullptr);
  EXPECT_EQ(GetLastError(), ERROR_MOD_NOT_FOUND);
}

TEST(Modules, ModuleHandlesAreNotClosedWithCloseHandle) {
  HMODULE kernel = GetModuleHandleA("kernel32");
  EXPECT_FALSE(CloseHandle(kernel));
  EXPECT_EQ(GetLastError(), ERROR_INVALID_HANDLE);
  EXPECT_NE(GetProcAddress(kernel, "CloseHandle"), nullptr);
  EXPECT_EQ(GetProcAddress(reinterpret_cast<HMODULE>(uintptr_t{0x7FFFFFF0}), "CloseHandle"),
            nullptr);
  EXPECT_EQ(GetLastError(), ERROR_MOD_NOT_FOUND);
}

}  // namespace
