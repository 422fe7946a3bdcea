#include "platform/kernel/Paths.h"

#include <sys/stat.h>

#include <algorithm>
#include <cerrno>

#include "platform/kernel/CodePage.h"
#include "platform/kernel32.h"

namespace platform::kernel {

std::optional<std::string> ToFileSystemPath(LPCSTR gbkPath) {
  if (gbkPath == nullptr) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return std::nullopt;
  }
  if (gbkPath[0] == 0) {
    SetLastError(ERROR_PATH_NOT_FOUND);
    return std::nullopt;
  }
  // Converting first matters: 0x5C ('\') is also a valid GBK trail byte.
  std::optional<std::string> utf8 = GbkToUtf8(gbkPath, true);
  if (!utf8) {
    SetLastError(ERROR_INVALID_NAME);
    return std::nullopt;
  }
  std::replace(utf8->begin(), utf8->end(), '\\', '/');
  return utf8;
}

std::string ToGbkPath(std::string_view utf8Path) {
  return Utf8ToGbk(utf8Path, false).value_or(std::string());
}

bool HasWildcard(std::string_view path) {
  return path.find_first_of("*?") != std::string::npos;
}

std::string ParentDirectory(const std::string& path) {
  size_t end = path.size();
  while (end > 1 && path[end - 1] == '/') --end;  // "a/b/" names b
  size_t slash = path.rfind('/', end - 1);
  if (slash == std::string::npos) return ".";
  while (slash > 0 && path[slash - 1] == '/') --slash;
  return slash == 0 ? "/" : path.substr(0, slash);
}

DWORD ErrorFromErrno(int error, const std::string& path) {
  if (error == ENOENT) {
    struct stat st;
    std::string parent = ParentDirectory(path);
    return stat(parent.c_str(), &st) == 0 && S_ISDIR(st.st_mode) ? ERROR_FILE_NOT_FOUND
                                                                 : ERROR_PATH_NOT_FOUND;
  }
  return ErrorFromErrno(error);
}

DWORD ErrorFromErrno(int error) {
  switch (error) {
    case 0:
      return ERROR_SUCCESS;
    case ENOENT:
      return ERROR_FILE_NOT_FOUND;
    case ENOTDIR:
    case ELOOP:
      return ERROR_PATH_NOT_FOUND;
    case EACCES:
    case EPERM:
    case EROFS:
    case EISDIR:
      return ERROR_ACCESS_DENIED;
    case EEXIST:
      return ERROR_FILE_EXISTS;
    case ENOTEMPTY:
      return ERROR_DIR_NOT_EMPTY;
    case ENAMETOOLONG:
      return ERROR_FILENAME_EXCED_RANGE;
    case EMFILE:
    case ENFILE:
      return ERROR_TOO_MANY_OPEN_FILES;
    case ENOSPC:
    case EDQUOT:
      return ERROR_DISK_FULL;
    case EBUSY:
    case ETXTBSY:
      return ERROR_SHARING_VIOLATION;
    case ENOMEM:
      return ERROR_NOT_ENOUGH_MEMORY;
    case EINVAL:
      return ERROR_INVALID_PARAMETER;
    case EBADF:
      return ERROR_INVALID_HANDLE;
    case ENOTSUP:
      return ERROR_NOT_SUPPORTED;
    default:
      return ERROR_GEN_FAILURE;
  }
}

}  // namespace platform::kernel
