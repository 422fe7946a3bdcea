#include "commands/files/FileCommands.h"

#include "commands/support/CommandArgs.h"
#include "commands/support/LibraryServices.h"
#include "platform/kernel32.h"

namespace cmd {

namespace {

constexpr int32_t kNotifyRunDirectory = 2003;
constexpr DWORD kSettableAttributes = FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_HIDDEN |
                                      FILE_ATTRIBUTE_SYSTEM | FILE_ATTRIBUTE_ARCHIVE;

class FileHandle {
 public:
  explicit FileHandle(HANDLE h) : h_(h) {}
  ~FileHandle() {
    if (valid()) CloseHandle(h_);
  }
  FileHandle(const FileHandle&) = delete;
  FileHandle& operator=(const FileHandle&) = delete;
  bool valid() const { return h_ != INVALID_HANDLE_VALUE && h_ != nullptr; }
  HANDLE get() const { return h_; }
  // Closes now; false when the close itself failed.
  bool Close() {
    HANDLE h = h_;
    h_ = INVALID_HANDLE_VALUE;
    return CloseHandle(h) != FALSE;
  }

 private:
  HANDLE h_;
};

}  // namespace

void* ReadWholeFileBytes(const char* path) {
  if (path == nullptr || path[0] == 0) return nullptr;
  FileHandle file(
      CreateFileA(path, GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr));
  if (!file.valid()) return nullptr;

  DWORD high = 0;
  DWORD low = GetFileSize(file.get(), &high);
  if (low == INVALID_FILE_SIZE && GetLastError() != ERROR_SUCCESS) return nullptr;
  // A byte set counts its bytes in 32 bits; a file it cannot hold reads as unreadable
  // instead of ending the program for want of memory.
  if (high != 0 || low > static_cast<DWORD>(INT32_MAX) - rt::kByteSetHeader) return nullptr;
  if (low == 0) return nullptr;

  auto* block = static_cast<uint8_t*>(rt::BuildByteSet(Alloc, nullptr, low));
  if (block == nullptr) return nullptr;
  DWORD read = 0;
  if (ReadFile(file.get(), block + rt::kByteSetHeader, low, &read, nullptr) == FALSE) read = 0;
  if (read == 0) {
    Notify(2025, reinterpret_cast<intptr_t>(block));
    return nullptr;
  }
  if (read < low) rt::WriteInt32(block + 4, static_cast<int32_t>(read));
  return block;
}

void GetRunDirectory(rt::ArgRecord* result, int32_t, rt::ArgRecord*) {
  const char* directory = reinterpret_cast<const char*>(Notify(kNotifyRunDirectory));
  SetText(result, rt::ViewText(directory));
}

void FileExists(rt::ArgRecord* result, int32_t count, rt::ArgRecord* args) {
  CommandArgs a(count, args);
  const char* path = a.Text(0);
  bool exists = false;
  if (path[0] != 0) {
    WIN32_FIND_DATAA data;
    HANDLE h = FindFirstFileA(path, &data);
    if (h != INVALID_HANDLE_VALUE) {
      FindClose(h);
      exists = true;
    }
  }
  SetBool(result, exists);
}

void ChangeFileAttributes(rt::ArgRecord* result, int32_t count, rt::ArgRecord* args) {
  CommandArgs a(count, args);
  const char* path = a.Text(0);
  auto attributes = static_cast<DWORD>(a.Int(1, 0)) & kSettableAttributes;
  SetBool(result, path[0] != 0 && SetFileAttributesA(path, attributes) != FALSE);
}

void ReadWholeFile(rt::ArgRecord* result, int32_t count, rt::ArgRecord* args) {
  CommandArgs a(count, args);
  SetPointer(result, rt::kTypeByteSet, ReadWholeFileBytes(a.Text(0)));
}

void WriteWholeFile(rt::ArgRecord* result, int32_t count, rt::ArgRecord* args) {
  CommandArgs a(count, args);
  SetBool(result, false);
  const char* path = a.Text(0);
  if (path[0] == 0) return;

  FileHandle file(CreateFileA(path, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr));
  if (!file.valid()) return;
  for (int32_t i = 1; i < a.Count(); ++i) {
    rt::ByteSetView bytes = a.Bytes(i);
    size_t offset = 0;
    while (offset < bytes.size) {
      DWORD written = 0;
      auto chunk = static_cast<DWORD>(bytes.size - offset);
      if (WriteFile(file.get(), bytes.data + offset, chunk, &written, nullptr) == FALSE ||
          written == 0) {
        return;  // what was written so far stays in the file
      }
      offset += written;
    }
  }
  // A close that fails may have lost buffered data, which is not a successful write.
  SetBool(result, file.Close());
}

}  // namespace cmd
