// Files over POSIX descriptors. Each CreateFileA opens its own descriptor, so every handle
// has its own file pointer, as on Windows.
#include <fcntl.h>
#include <sys/stat.h>
#include <sys/xattr.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>

#include "platform/kernel/FileAttributes.h"
#include "platform/kernel/HandleTable.h"
#include "platform/kernel/Paths.h"
#include "platform/kernel/ShareModes.h"
#include "platform/kernel32.h"

namespace platform::kernel {
namespace {

// Specific rights that callers sometimes pass instead of the generic ones.
constexpr DWORD kFileReadData = 0x0001;
constexpr DWORD kFileWriteData = 0x0002;
constexpr DWORD kFileAppendData = 0x0004;
constexpr mode_t kAnyWrite = S_IWUSR | S_IWGRP | S_IWOTH;

class FileObject final : public KernelObject {
 public:
  FileObject(int fd, bool canRead, bool canWrite, std::unique_ptr<ShareRegistration> share)
      : fd(fd), canRead(canRead), canWrite(canWrite), share_(std::move(share)) {}
  ObjectKind Kind() const override { return ObjectKind::File; }

  const int fd;
  const bool canRead;
  const bool canWrite;

 private:
  std::unique_ptr<ShareRegistration> share_;  // owns fd
};

std::shared_ptr<FileObject> FileFromHandle(HANDLE handle) {
  auto file = KernelHandles().GetAs<FileObject>(handle);
  if (!file) SetLastError(ERROR_INVALID_HANDLE);
  return file;
}

struct OpenedDescriptor {
  int fd = -1;
  bool readable = false;
  bool created = false;
};

// Opens with the access the caller asked for. Write-only callers still get a readable
// descriptor where permissions allow, because the cross-process share marks need one;
// callers without data access fall back to a path descriptor.
int OpenWithAccess(const std::string& path, bool wantRead, bool wantWrite, int extraFlags,
                   mode_t mode, bool* readable) {
  const int base = O_CLOEXEC | O_NOCTTY | O_NONBLOCK | extraFlags;
  if (wantWrite) {
    *readable = true;
    int fd = open(path.c_str(), base | O_RDWR, mode);
    if (fd >= 0 || errno != EACCES || wantRead) return fd;
    *readable = false;
    return open(path.c_str(), base | O_WRONLY, mode);
  }
  *readable = true;
  int fd = open(path.c_str(), base | O_RDONLY, mode);
  if (fd >= 0 || errno != EACCES || wantRead || (extraFlags & O_CREAT)) return fd;
  *readable = false;
  return open(path.c_str(), O_CLOEXEC | O_PATH);
}

bool OpenDescriptor(const std::string& path, bool wantRead, bool wantWrite, DWORD disposition,
                    mode_t createMode, OpenedDescriptor* out) {
  const bool mayCreate =
      disposition == CREATE_NEW || disposition == CREATE_ALWAYS || disposition == OPEN_ALWAYS;
  for (int attempt = 0; attempt < 8; ++attempt) {
    if (disposition != CREATE_NEW) {
      out->fd = OpenWithAccess(path, wantRead, wantWrite, 0, 0, &out->readable);
      if (out->fd >= 0) return true;
      if (errno != ENOENT || !mayCreate) break;
    }
    out->fd =
        OpenWithAccess(path, wantRead, wantWrite, O_CREAT | O_EXCL, createMode, &out->readable);
    if (out->fd >= 0) {
      out->created = true;
      return true;
    }
    // Someone else created it between the two calls: open theirs.
    if (errno != EEXIST || disposition == CREATE_NEW) break;
  }
  SetLastError(ErrorFromErrno(errno, path));
  return false;
}

HANDLE FailOpen(int fd, DWORD error) {
  if (fd >= 0) close(fd);
  SetLastError(error);
  return INVALID_HANDLE_VALUE;
}

}  // namespace
}  // namespace platform::kernel

using namespace platform::kernel;

HANDLE CreateFileA(LPCSTR path, DWORD access, DWORD shareMode, LPSECURITY_ATTRIBUTES,
                   DWORD disposition, DWORD flags, HANDLE) {
  std::optional<std::string> fsPath = ToFileSystemPath(path);
  if (!fsPath) return INVALID_HANDLE_VALUE;
  if (HasWildcard(*fsPath)) return FailOpen(-1, ERROR_INVALID_NAME);
  if ((shareMode & ~(FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE)) != 0 ||
      disposition < CREATE_NEW || disposition > TRUNCATE_EXISTING) {
    return FailOpen(-1, ERROR_INVALID_PARAMETER);
  }
  const bool wantRead = (access & (GENERIC_READ | GENERIC_ALL | GENERIC_EXECUTE | kFileReadData));
  const bool wantWrite =
      (access & (GENERIC_WRITE | GENERIC_ALL | kFileWriteData | kFileAppendData));
  if (disposition == TRUNCATE_EXISTING && !wantWrite) return FailOpen(-1, ERROR_INVALID_PARAMETER);

  mode_t createMode = (flags & FILE_ATTRIBUTE_READONLY) ? 0444 : 0666;
  OpenedDescriptor opened;
  if (!OpenDescriptor(*fsPath, wantRead, wantWrite, disposition, createMode, &opened)) {
    return INVALID_HANDLE_VALUE;
  }
  const int fd = opened.fd;
  struct stat st;
  if (fstat(fd, &st) != 0) return FailOpen(fd, ErrorFromErrno(errno));
  if (S_ISDIR(st.st_mode)) return FailOpen(fd, ERROR_ACCESS_DENIED);
  // Opened without blocking only so that a FIFO cannot hang the open itself.
  int statusFlags = fcntl(fd, F_GETFL);
  if (statusFlags >= 0) fcntl(fd, F_SETFL, statusFlags & ~O_NONBLOCK);

  const bool replaces = disposition == CREATE_ALWAYS || disposition == TRUNCATE_EXISTING;
  if (!opened.created) {
    // Root ignores permission bits, but a read-only file must still refuse writers.
    if ((wantWrite || replaces) && (st.st_mode & kAnyWrite) == 0) {
      return FailOpen(fd, ERROR_ACCESS_DENIED);
    }
    // Documented Windows rule: replacing a hidden or system file must name those
    // attributes, so that a plain overwrite cannot silently drop them.
    DWORD guarded = ReadStoredAttributes(*fsPath) & (FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM);
    if (disposition == CREATE_ALWAYS && (guarded & ~flags) != 0) {
      return FailOpen(fd, ERROR_ACCESS_DENIED);
    }
  }

  // Sharing is settled before anything changes the file: a refused CREATE_ALWAYS must
  // leave the existing contents alone.
  std::unique_ptr<ShareRegistration> share =
      AcquireShare(fd, opened.readable, ShareRequest{wantRead, wantWrite, shareMode});
  if (!share) return FailOpen(fd, ERROR_SHARING_VIOLATION);

  if (!opened.created && replaces) {
    // CREATE_ALWAYS empties the file even for a caller that only reads it.
    int result = wantWrite ? ftruncate(fd, 0) : truncate(fsPath->c_str(), 0);
    if (result != 0) {
      SetLastError(ErrorFromErrno(errno));
      return INVALID_HANDLE_VALUE;  // the registration closes fd
    }
  }
  if (opened.created && (flags & kStoredAttributes) != 0) {
    char text[16];
    int n =
        std::snprintf(text, sizeof(text), "0x%X", static_cast<unsigned>(flags & kStoredAttributes));
    // Best effort: a file system without extended attributes still gets the file.
    fsetxattr(fd, kDosAttributeName, text, static_cast<size_t>(n), 0);
  }

  HANDLE handle = KernelHandles().Insert(
      std::make_shared<FileObject>(fd, wantRead, wantWrite, std::move(share)));
  if (handle == nullptr) {
    SetLastError(ERROR_TOO_MANY_OPEN_FILES);
    return INVALID_HANDLE_VALUE;
  }
  bool existedBefore =
      !opened.created && (disposition == CREATE_ALWAYS || disposition == OPEN_ALWAYS);
  SetLastError(existedBefore ? ERROR_ALREADY_EXISTS : ERROR_SUCCESS);
  return handle;
}

BOOL ReadFile(HANDLE handle, LPVOID buffer, DWORD toRead, LPDWORD read, void* overlapped) {
  if (read != nullptr) *read = 0;
  auto file = FileFromHandle(handle);
  if (!file) return FALSE;
  if (overlapped != nullptr || (buffer == nullptr && toRead != 0)) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return FALSE;
  }
  if (!file->canRead) {
    SetLastError(ERROR_ACCESS_DENIED);
    return FALSE;
  }
  DWORD total = 0;
  while (total < toRead) {
    ssize_t n = ::read(file->fd, static_cast<char*>(buffer) + total, toRead - total);
    if (n < 0 && errno == EINTR) continue;
    if (n < 0) {
      SetLastError(ErrorFromErrno(errno));
      if (read != nullptr) *read = total;
      return FALSE;
    }
    if (n == 0) break;  // end of file: success with fewer bytes
    total += static_cast<DWORD>(n);
  }
  if (read != nullptr) *read = total;
  return TRUE;
}

BOOL WriteFile(HANDLE handle, LPCVOID buffer, DWORD toWrite, LPDWORD written, void* overlapped) {
  if (written != nullptr) *written = 0;
  auto file = FileFromHandle(handle);
  if (!file) return FALSE;
  if (overlapped != nullptr || (buffer == nullptr && toWrite != 0)) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return FALSE;
  }
  if (!file->canWrite) {
    SetLastError(ERROR_ACCESS_DENIED);
    return FALSE;
  }
  DWORD total = 0;
  while (total < toWrite) {
    ssize_t n = ::write(file->fd, static_cast<const char*>(buffer) + total, toWrite - total);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) {
      SetLastError(n == 0 ? ERROR_DISK_FULL : ErrorFromErrno(errno));
      if (written != nullptr) *written = total;
      return FALSE;
    }
    total += static_cast<DWORD>(n);
  }
  if (written != nullptr) *written = total;
  return TRUE;
}

DWORD GetFileSize(HANDLE handle, LPDWORD sizeHigh) {
  auto file = FileFromHandle(handle);
  if (!file) return INVALID_FILE_SIZE;
  struct stat st;
  if (fstat(file->fd, &st) != 0) {
    SetLastError(ErrorFromErrno(errno));
    return INVALID_FILE_SIZE;
  }
  auto size = static_cast<uint64_t>(st.st_size);
  if (sizeHigh != nullptr) *sizeHigh = static_cast<DWORD>(size >> 32);
  // Lets a caller tell a real size of 0xFFFFFFFF from a failure.
  if (static_cast<DWORD>(size) == INVALID_FILE_SIZE) SetLastError(ERROR_SUCCESS);
  return static_cast<DWORD>(size);
}

DWORD SetFilePointer(HANDLE handle, LONG distance, LONG* distanceHigh, DWORD method) {
  auto file = FileFromHandle(handle);
  if (!file) return INVALID_SET_FILE_POINTER;
  // Without a high word the distance is a signed 32-bit value; with one, the two words
  // form a signed 64-bit distance.
  int64_t move = distanceHigh == nullptr
                     ? static_cast<int64_t>(distance)
                     : static_cast<int64_t>(
                           (static_cast<uint64_t>(static_cast<uint32_t>(*distanceHigh)) << 32) |
                           static_cast<uint32_t>(distance));
  int64_t origin;
  if (method == FILE_BEGIN) {
    origin = 0;
  } else if (method == FILE_CURRENT) {
    origin = lseek(file->fd, 0, SEEK_CUR);
  } else if (method == FILE_END) {
    struct stat st;
    origin = fstat(file->fd, &st) == 0 ? st.st_size : -1;
  } else {
    SetLastError(ERROR_INVALID_PARAMETER);
    return INVALID_SET_FILE_POINTER;
  }
  if (origin < 0) {
    SetLastError(ErrorFromErrno(errno));
    return INVALID_SET_FILE_POINTER;
  }
  int64_t target;
  if (__builtin_add_overflow(origin, move, &target) || target < 0) {
    SetLastError(ERROR_NEGATIVE_SEEK);
    return INVALID_SET_FILE_POINTER;
  }
  if (distanceHigh == nullptr && target > static_cast<int64_t>(0xFFFFFFFE)) {
    // The position could not be reported in one word.
    SetLastError(ERROR_INVALID_PARAMETER);
    return INVALID_SET_FILE_POINTER;
  }
  if (lseek(file->fd, target, SEEK_SET) < 0) {
    SetLastError(ErrorFromErrno(errno));
    return INVALID_SET_FILE_POINTER;
  }
  if (distanceHigh != nullptr)
    *distanceHigh = static_cast<LONG>(static_cast<uint64_t>(target) >> 32);
  if (static_cast<DWORD>(target) == INVALID_SET_FILE_POINTER) SetLastError(ERROR_SUCCESS);
  return static_cast<DWORD>(target);
}

BOOL SetEndOfFile(HANDLE handle) {
  auto file = FileFromHandle(handle);
  if (!file) return FALSE;
  if (!file->canWrite) {
    SetLastError(ERROR_ACCESS_DENIED);
    return FALSE;
  }
  off_t position = lseek(file->fd, 0, SEEK_CUR);
  if (position < 0 || ftruncate(file->fd, position) != 0) {
    SetLastError(ErrorFromErrno(errno));
    return FALSE;
  }
  return TRUE;
}

BOOL FlushFileBuffers(HANDLE handle) {
  auto file = FileFromHandle(handle);
  if (!file) return FALSE;
  if (!file->canWrite) {
    SetLastError(ERROR_ACCESS_DENIED);
    return FALSE;
  }
  if (fsync(file->fd) != 0 && errno != EINVAL) {  // EINVAL: a device that keeps no buffers
    SetLastError(ErrorFromErrno(errno));
    return FALSE;
  }
  return TRUE;
}

BOOL DeleteFileA(LPCSTR path) {
  std::optional<std::string> fsPath = ToFileSystemPath(path);
  if (!fsPath) return FALSE;
  if (HasWildcard(*fsPath)) {
    SetLastError(ERROR_INVALID_NAME);
    return FALSE;
  }
  struct stat st;
  if (lstat(fsPath->c_str(), &st) != 0) {
    SetLastError(ErrorFromErrno(errno, *fsPath));
    return FALSE;
  }
  // Windows refuses to delete folders and read-only files here.
  if (S_ISDIR(st.st_mode) || (S_ISREG(st.st_mode) && (st.st_mode & kAnyWrite) == 0)) {
    SetLastError(ERROR_ACCESS_DENIED);
    return FALSE;
  }
  if (S_ISREG(st.st_mode) && DeleteBlockedByOpens(*fsPath)) {
    SetLastError(ERROR_SHARING_VIOLATION);
    return FALSE;
  }
  if (unlink(fsPath->c_str()) != 0) {
    SetLastError(ErrorFromErrno(errno, *fsPath));
    return FALSE;
  }
  return TRUE;
}

BOOL CreateDirectoryA(LPCSTR path, LPSECURITY_ATTRIBUTES) {
  std::optional<std::string> fsPath = ToFileSystemPath(path);
  if (!fsPath) return FALSE;
  if (HasWildcard(*fsPath)) {
    SetLastError(ERROR_INVALID_NAME);
    return FALSE;
  }
  if (mkdir(fsPath->c_str(), 0777) != 0) {
    int error = errno;
    // A missing parent is a missing path, never a missing file.
    SetLastError(error == EEXIST   ? ERROR_ALREADY_EXISTS
                 : error == ENOENT ? ERROR_PATH_NOT_FOUND
                                   : ErrorFromErrno(error, *fsPath));
    return FALSE;
  }
  return TRUE;
}

BOOL RemoveDirectoryA(LPCSTR path) {
  std::optional<std::string> fsPath = ToFileSystemPath(path);
  if (!fsPath) return FALSE;
  if (HasWildcard(*fsPath)) {
    SetLastError(ERROR_INVALID_NAME);
    return FALSE;
  }
  struct stat st;
  if (lstat(fsPath->c_str(), &st) != 0) {
    SetLastError(ErrorFromErrno(errno, *fsPath));
    return FALSE;
  }
  if (!S_ISDIR(st.st_mode)) {
    SetLastError(ERROR_DIRECTORY);
    return FALSE;
  }
  if (ReadStoredAttributes(*fsPath) & FILE_ATTRIBUTE_READONLY) {
    SetLastError(ERROR_ACCESS_DENIED);
    return FALSE;
  }
  if (rmdir(fsPath->c_str()) != 0) {
    SetLastError(errno == EEXIST ? ERROR_DIR_NOT_EMPTY : ErrorFromErrno(errno, *fsPath));
    return FALSE;
  }
  return TRUE;
}
