#include "platform/kernel/FileAttributes.h"

#include <sys/xattr.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>

#include "platform/kernel/Paths.h"
#include "platform/kernel32.h"

namespace platform::kernel {

DWORD ReadStoredAttributes(const std::string& path) {
  char text[64];
  ssize_t n = getxattr(path.c_str(), kDosAttributeName, text, sizeof(text) - 1);
  if (n <= 0) return 0;
  text[n] = 0;
  // Other tools append a binary record after the text and its zero; the text is enough.
  char* end = nullptr;
  unsigned long value = std::strtoul(text, &end, 0);
  if (end == text) return 0;
  return static_cast<DWORD>(value);
}

DWORD AttributesOf(const std::string& path, const struct stat& st) {
  DWORD stored = ReadStoredAttributes(path);
  DWORD attributes = stored & kStoredAttributes;
  if (S_ISDIR(st.st_mode)) {
    // A folder's read-only bit is only a flag on Windows; it must not stop files being
    // created inside, so it is not taken from the permission bits.
    attributes |= FILE_ATTRIBUTE_DIRECTORY | (stored & FILE_ATTRIBUTE_READONLY);
  } else if ((st.st_mode & (S_IWUSR | S_IWGRP | S_IWOTH)) == 0) {
    attributes |= FILE_ATTRIBUTE_READONLY;
  }
  return attributes == 0 ? FILE_ATTRIBUTE_NORMAL : attributes;
}

}  // namespace platform::kernel

using namespace platform::kernel;

DWORD GetFileAttributesA(LPCSTR path) {
  std::optional<std::string> fsPath = ToFileSystemPath(path);
  if (!fsPath) return INVALID_FILE_ATTRIBUTES;
  if (HasWildcard(*fsPath)) {
    SetLastError(ERROR_INVALID_NAME);
    return INVALID_FILE_ATTRIBUTES;
  }
  struct stat st;
  if (stat(fsPath->c_str(), &st) != 0) {
    SetLastError(ErrorFromErrno(errno, *fsPath));
    return INVALID_FILE_ATTRIBUTES;
  }
  return AttributesOf(*fsPath, st);
}

namespace {

BOOL FailWithErrno(int error, const std::string& path) {
  SetLastError(ErrorFromErrno(error, path));
  return FALSE;
}

// Writes or removes user.DOSATTRIB; errno is left for the caller on failure.
bool StoreAttributes(const std::string& path, DWORD stored) {
  if (stored == 0) {
    if (removexattr(path.c_str(), kDosAttributeName) == 0) return true;
    // Nothing stored, or nowhere to store it: either way no bit is set afterwards.
    return errno == ENODATA || errno == ENOTSUP;
  }
  char text[16];
  int n = std::snprintf(text, sizeof(text), "0x%X", static_cast<unsigned>(stored));
  return setxattr(path.c_str(), kDosAttributeName, text, static_cast<size_t>(n), 0) == 0;
}

}  // namespace

BOOL SetFileAttributesA(LPCSTR path, DWORD attributes) {
  std::optional<std::string> fsPath = ToFileSystemPath(path);
  if (!fsPath) return FALSE;
  if (HasWildcard(*fsPath)) {
    SetLastError(ERROR_INVALID_NAME);
    return FALSE;
  }
  struct stat st;
  if (stat(fsPath->c_str(), &st) != 0) return FailWithErrno(errno, *fsPath);

  bool isDirectory = S_ISDIR(st.st_mode);
  bool readOnly = (attributes & FILE_ATTRIBUTE_READONLY) != 0;
  DWORD stored = attributes & kStoredAttributes;
  if (isDirectory && readOnly) stored |= FILE_ATTRIBUTE_READONLY;

  mode_t mode = st.st_mode & 07777;
  mode_t newMode = mode;
  if (!isDirectory) {
    if (readOnly) {
      newMode &= ~static_cast<mode_t>(S_IWUSR | S_IWGRP | S_IWOTH);
    } else if ((mode & (S_IWUSR | S_IWGRP | S_IWOTH)) == 0) {
      newMode |= S_IWUSR;
    }
  }
  // Without write permission the extended attribute cannot be changed, so a file becomes
  // writable before and read-only after it; a failure puts the old mode back.
  bool modeFirst = newMode != mode && (newMode & S_IWUSR) != 0;
  if (modeFirst && chmod(fsPath->c_str(), newMode) != 0) return FailWithErrno(errno, *fsPath);
  if (!StoreAttributes(*fsPath, stored)) {
    int error = errno;
    if (modeFirst) chmod(fsPath->c_str(), mode);
    SetLastError(error == ENOTSUP ? ERROR_NOT_SUPPORTED : ErrorFromErrno(error, *fsPath));
    return FALSE;
  }
  if (!modeFirst && newMode != mode && chmod(fsPath->c_str(), newMode) != 0) {
    return FailWithErrno(errno, *fsPath);
  }
  return TRUE;
}
