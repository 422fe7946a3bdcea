// Paths arrive as GBK texts with '\' or '/' between components and reach the file system
// as UTF-8 with '/'. A drive prefix such as "C:" gets no special meaning.
#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "platform/win32_types.h"

namespace platform::kernel {

// The file-system spelling of a GBK path, or nullopt with the last error set: a null path
// is ERROR_INVALID_PARAMETER, an empty one ERROR_PATH_NOT_FOUND and one that is not valid
// GBK ERROR_INVALID_NAME.
std::optional<std::string> ToFileSystemPath(LPCSTR gbkPath);

// The GBK spelling of a path from the file system; characters GBK lacks become '?'.
std::string ToGbkPath(std::string_view utf8Path);

bool HasWildcard(std::string_view path);

// The directory part of a file-system path ("." for a bare name).
std::string ParentDirectory(const std::string& path);

// The Win32 error for an errno left by a call on path. A missing entry is
// ERROR_FILE_NOT_FOUND when its directory exists and ERROR_PATH_NOT_FOUND otherwise.
DWORD ErrorFromErrno(int error, const std::string& path);
DWORD ErrorFromErrno(int error);

}  // namespace platform::kernel
