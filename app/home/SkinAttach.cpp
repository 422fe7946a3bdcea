// Attaching goes through the program's declared SkinH_AttachRes, whose binding ends the
// program when the library is missing or lacks the function. The program must go on without
// a skin instead, so the library is first loaded and looked at on its own; only a library
// that loads and has the function is handed to the binding.
#include "app/home/SkinAttach.h"

#include <string>

#include "app/home/EmbeddedSkins.h"
#include "app/home/ProgramFolder.h"
#include "commands/files/FileCommands.h"
#include "libraries/ProgramDllCommands.h"
#include "platform/kernel32.h"
#include "runtime/calls/CommandCall.h"
#include "runtime/calls/ServiceTable.h"
#include "runtime/values/ValueBlocks.h"

namespace app::home {

namespace {

constexpr int32_t kHiddenAttribute = 2;

bool FileExists(const std::string& path) {
  return rt::Call(cmd::FileExists, {rt::Arg::Text(path.c_str())}).Low() != 0;
}

void* Alloc(size_t bytes) {
  return rt::Services().allocMem(static_cast<int32_t>(bytes));
}

// Loads the library at `path` when it is one the binding can use (it loads and has
// SkinH_AttachRes), and keeps it loaded for good: once attached, the skin paints every
// window from code inside the library, and the program's end frees the bound commands
// before the last paint is certain to be over.
bool KeepLibrary(const std::string& path) {
  if (!FileExists(path)) return false;
  HMODULE library = LoadLibraryA(path.c_str());
  if (library == nullptr) return false;
  if (GetProcAddress(library, "SkinH_AttachRes") == nullptr) {
    FreeLibrary(library);
    return false;
  }
  return true;
}

}  // namespace

void InstallSkinLibrary() {
  const std::string path = PathInRunDirectory(kSkinLibraryName);
  if (FileExists(path)) return;
  void* image = rt::BuildByteSet(Alloc, kSkinLibraryImage.data, kSkinLibraryImage.size);
  rt::Call(cmd::WriteWholeFile, {rt::Arg::Text(path.c_str()), rt::Arg::Bytes(image)});
  rt::Call(cmd::ChangeFileAttributes,
           {rt::Arg::Text(path.c_str()), rt::Arg::Int(kHiddenAttribute)});
  rt::Services().freeMem(image);
}

void* SkinBlock(int32_t number) {
  if (number < 1 || number > kSkinCount) return nullptr;
  const EmbeddedBlock& block = kSkinBlocks[number - 1];
  return rt::BuildByteSet(Alloc, block.data, block.size);
}

bool AttachSkin(int32_t number) {
  InstallSkinLibrary();
  if (!KeepLibrary(PathInRunDirectory(kSkinLibraryName))) return false;
  void* data = SkinBlock(number);
  const int32_t length = data != nullptr ? static_cast<int32_t>(rt::ViewByteSet(data).size) : 0;
  const int32_t attached = libs::dll::SkinH_AttachRes(rt::DllBytes{data}, length, "", 0, 0, 0);
  if (data != nullptr) rt::Services().freeMem(data);
  return attached != 0;
}

}  // namespace app::home
