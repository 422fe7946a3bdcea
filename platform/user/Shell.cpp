// ShellExecuteA: files and web addresses open in the desktop's preferred program through
// the opener (xdg-open). The opener is started directly, never through a shell, so no
// character of a name or address can become a command. Under a presenter that shows
// nothing the call is recorded for the test instead.
#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cctype>
#include <cerrno>
#include <string>
#include <string_view>
#include <thread>

#include "platform/kernel/CodePage.h"
#include "platform/kernel/Paths.h"
#include "platform/kernel32.h"
#include "platform/user/AutomationHooks.h"
#include "platform/user/Presenter.h"
#include "platform/user32.h"

extern char** environ;

namespace {

// Returned on success; any value above 32 means success to callers.
constexpr int kSuccess = 42;

std::string ToUtf8(LPCSTR gbk) {
  if (gbk == nullptr) return {};
  return platform::kernel::GbkToUtf8(gbk, false).value_or(std::string());
}

bool EqualsIgnoringCase(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (size_t i = 0; i < a.size(); ++i) {
    if (std::tolower(static_cast<unsigned char>(a[i])) !=
        std::tolower(static_cast<unsigned char>(b[i]))) {
      return false;
    }
  }
  return true;
}

// Verbs the opener can carry out: it opens, whatever the thing is.
bool IsOpenVerb(LPCSTR operation) {
  if (operation == nullptr || *operation == '\0') return true;
  return EqualsIgnoringCase(operation, "open") || EqualsIgnoringCase(operation, "explore");
}

// "http://...", "mailto:..." and the like; a drive prefix such as "C:" is not a scheme.
bool IsAddress(std::string_view text) {
  const size_t colon = text.find(':');
  if (colon == std::string_view::npos || colon < 2) return false;
  if (!std::isalpha(static_cast<unsigned char>(text[0]))) return false;
  for (size_t i = 1; i < colon; ++i) {
    const auto c = static_cast<unsigned char>(text[i]);
    if (!std::isalnum(c) && c != '+' && c != '-' && c != '.') return false;
  }
  return true;
}

int Fail(int code, DWORD error) {
  SetLastError(error);
  return code;
}

int FailFromErrno(int error) {
  switch (error) {
    case ENOENT:
      return Fail(SE_ERR_NOASSOC, ERROR_NO_ASSOCIATION);
    case ENOMEM:
      return Fail(SE_ERR_OOM, ERROR_NOT_ENOUGH_MEMORY);
    case EACCES:
    case EPERM:
      return Fail(SE_ERR_ACCESSDENIED, ERROR_ACCESS_DENIED);
    default:
      return Fail(SE_ERR_NOASSOC, ERROR_NO_ASSOCIATION);
  }
}

bool IsDirectory(const std::string& path) {
  struct stat info {};
  return ::stat(path.c_str(), &info) == 0 && S_ISDIR(info.st_mode);
}

// Starts the opener on `target` without waiting for it. Its exit is collected by a
// detached thread, so no zombie is left behind and no other child's status is taken.
int StartOpener(const std::string& target, const std::string& workingDirectory) {
  const std::string opener = platform::user::ShellOpener();
  posix_spawn_file_actions_t actions;
  if (posix_spawn_file_actions_init(&actions) != 0)
    return Fail(SE_ERR_OOM, ERROR_NOT_ENOUGH_MEMORY);
  posix_spawn_file_actions_addopen(&actions, STDIN_FILENO, "/dev/null", O_RDONLY, 0);
  if (!workingDirectory.empty())
    posix_spawn_file_actions_addchdir_np(&actions, workingDirectory.c_str());
  posix_spawnattr_t attributes;
  posix_spawnattr_init(&attributes);
  // The opener must not inherit signals the program blocks or ignores.
  sigset_t none, all;
  sigemptyset(&none);
  sigfillset(&all);
  posix_spawnattr_setsigmask(&attributes, &none);
  posix_spawnattr_setsigdefault(&attributes, &all);
  posix_spawnattr_setflags(&attributes, POSIX_SPAWN_SETSIGMASK | POSIX_SPAWN_SETSIGDEF);

  std::string arg0 = opener;
  std::string arg1 = target;
  char* argv[] = {arg0.data(), arg1.data(), nullptr};
  pid_t pid = 0;
  const int error = posix_spawnp(&pid, opener.c_str(), &actions, &attributes, argv, environ);
  posix_spawn_file_actions_destroy(&actions);
  posix_spawnattr_destroy(&attributes);
  if (error != 0) return FailFromErrno(error);
  try {
    std::thread([pid] {
      int status = 0;
      while (::waitpid(pid, &status, 0) < 0 && errno == EINTR) {
      }
    }).detach();
  } catch (const std::system_error&) {
    // Without a thread the child stays a zombie until we exit; the open itself worked.
  }
  return kSuccess;
}

int Launch(LPCSTR file, LPCSTR directory) {
  std::string workingDirectory;
  if (directory != nullptr && *directory != '\0') {
    auto path = platform::kernel::ToFileSystemPath(directory);
    if (!path || !IsDirectory(*path)) return Fail(SE_ERR_PNF, ERROR_PATH_NOT_FOUND);
    workingDirectory = *path;
  }
  const std::string fileUtf8 = ToUtf8(file);
  if (IsAddress(fileUtf8)) return StartOpener(fileUtf8, workingDirectory);

  auto path = platform::kernel::ToFileSystemPath(file);
  if (!path) return Fail(SE_ERR_FNF, ERROR_FILE_NOT_FOUND);
  // An absolute path never looks like an option to the opener.
  if (path->front() != '/') {
    std::string base = workingDirectory;
    if (base.empty()) {
      char buffer[4096];
      if (::getcwd(buffer, sizeof buffer) == nullptr) return Fail(SE_ERR_PNF, ERROR_PATH_NOT_FOUND);
      base = buffer;
    }
    path = base + "/" + *path;
  }
  struct stat info {};
  if (::stat(path->c_str(), &info) != 0) {
    const bool folderExists = IsDirectory(platform::kernel::ParentDirectory(*path));
    return folderExists ? Fail(SE_ERR_FNF, ERROR_FILE_NOT_FOUND)
                        : Fail(SE_ERR_PNF, ERROR_PATH_NOT_FOUND);
  }
  return StartOpener(*path, workingDirectory);
}

}  // namespace

HINSTANCE ShellExecuteA(HWND window, LPCSTR operation, LPCSTR file, LPCSTR parameters,
                        LPCSTR directory, int showCommand) {
  using platform::user::ShellExecuteMode;
  const ShellExecuteMode mode = platform::user::GetShellExecuteMode();
  const bool record =
      mode == ShellExecuteMode::Record || (mode == ShellExecuteMode::Automatic &&
                                           !platform::user::ActivePresenter().ShowsNativeWindows());
  int result = kSuccess;
  if (file == nullptr || *file == '\0') {
    result = Fail(SE_ERR_FNF, ERROR_FILE_NOT_FOUND);
  } else if (!IsOpenVerb(operation)) {
    result = Fail(SE_ERR_NOASSOC, ERROR_NO_ASSOCIATION);
  } else if (!record) {
    // Parameters go to programs that are started themselves; the opener takes none.
    result = Launch(file, directory);
  }
  if (record) {
    platform::user::ShellExecuteRecord entry;
    entry.window = window;
    entry.operationUtf8 = ToUtf8(operation);
    entry.fileUtf8 = ToUtf8(file);
    entry.parametersUtf8 = ToUtf8(parameters);
    entry.directoryUtf8 = ToUtf8(directory);
    entry.showCommand = showCommand;
    entry.result = result;
    platform::user::ActiveShellRecorder().ShellExecuteRecorded(std::move(entry));
  }
  return reinterpret_cast<HINSTANCE>(static_cast<intptr_t>(result));
}
