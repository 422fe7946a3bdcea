#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <vector>

#include "platform/kernel/Clock.h"
#include "platform/kernel/Modules.h"
#include "platform/kernel/Paths.h"
#include "platform/kernel32.h"

using namespace platform::kernel;

DWORD GetModuleFileNameA(HMODULE module, LPSTR buffer, DWORD size) {
  std::optional<std::string> path = ModuleFilePath(module);
  if (!path) return 0;
  std::string gbk = ToGbkPath(*path);
  if (buffer == nullptr && size != 0) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return 0;
  }
  if (gbk.size() < size) {
    std::memcpy(buffer, gbk.c_str(), gbk.size() + 1);
    return static_cast<DWORD>(gbk.size());
  }
  // Too small: as much as fits, still zero-terminated, the buffer size as the result.
  if (size > 0) {
    size_t keep = size - 1;
    // Never keep half of a double-byte character.
    size_t i = 0;
    while (i < keep) {
      size_t step = static_cast<unsigned char>(gbk[i]) >= 0x81 && i + 1 < gbk.size() ? 2 : 1;
      if (i + step > keep) break;
      i += step;
    }
    std::memcpy(buffer, gbk.data(), i);
    std::memset(buffer + i, 0, size - i);
  }
  SetLastError(ERROR_INSUFFICIENT_BUFFER);
  return size;
}

BOOL SetCurrentDirectoryA(LPCSTR path) {
  std::optional<std::string> fsPath = ToFileSystemPath(path);
  if (!fsPath) return FALSE;
  if (chdir(fsPath->c_str()) != 0) {
    int error = errno;
    struct stat st;
    bool isFile = error == ENOTDIR && stat(fsPath->c_str(), &st) == 0 && !S_ISDIR(st.st_mode);
    SetLastError(isFile ? ERROR_DIRECTORY : ErrorFromErrno(error, *fsPath));
    return FALSE;
  }
  return TRUE;
}

DWORD GetCurrentDirectoryA(DWORD size, LPSTR buffer) {
  std::vector<char> cwd(4096);
  while (getcwd(cwd.data(), cwd.size()) == nullptr) {
    if (errno != ERANGE || cwd.size() > (1u << 20)) {
      SetLastError(ErrorFromErrno(errno));
      return 0;
    }
    cwd.resize(cwd.size() * 2);
  }
  std::string gbk = ToGbkPath(cwd.data());
  if (gbk.size() >= size || buffer == nullptr) {
    // The size the caller needs, terminating zero included; the buffer is left alone.
    return static_cast<DWORD>(gbk.size() + 1);
  }
  std::memcpy(buffer, gbk.c_str(), gbk.size() + 1);
  return static_cast<DWORD>(gbk.size());
}

DWORD GetTickCount() {
  return static_cast<DWORD>(ClockNowMs());  // wraps after 49.7 days, as on Windows
}

void Sleep(DWORD milliseconds) {
  ClockSleep(milliseconds);
}

void ExitProcess(UINT exitCode) {
  // Other threads may still be running, so static destructors must not run under them;
  // only buffered output is worth saving.
  std::fflush(nullptr);
  _exit(static_cast<int>(exitCode));
}

DWORD GetCurrentProcessId() {
  return static_cast<DWORD>(getpid());
}
