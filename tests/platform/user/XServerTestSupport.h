// A private X server for the tests that need a real screen, the check whether one can be
// started at all, and what a test needs to act there as a person would: a window manager
// (openbox) and real X input (xdotool). Each is absent when its program is.
#pragma once

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <functional>
#include <string>
#include <vector>

#if defined(__SANITIZE_ADDRESS__)
#define VELMORA_LEAK_CHECKS 1
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
#define VELMORA_LEAK_CHECKS 1
#endif
#endif
#ifdef VELMORA_LEAK_CHECKS
#include <sanitizer/lsan_interface.h>
#endif

extern char** environ;

namespace platform::user {

// SDL's video start-up leaves allocations in D-Bus and the C library that nothing frees;
// a child process that starts it reports no leaks of its own.
inline void IgnoreSdlStartupLeaks() {
#ifdef VELMORA_LEAK_CHECKS
  __lsan_disable();
#endif
}

// Starts a program with its output thrown away, `keepFd` given to it as `asFd`; 0 when it
// could not start.
inline pid_t SpawnQuietly(const std::vector<std::string>& args, int keepFd = -1, int asFd = -1) {
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  if (keepFd >= 0) posix_spawn_file_actions_adddup2(&actions, keepFd, asFd);
  posix_spawn_file_actions_addopen(&actions, STDOUT_FILENO, "/dev/null", O_WRONLY, 0);
  posix_spawn_file_actions_addopen(&actions, STDERR_FILENO, "/dev/null", O_WRONLY, 0);
  // Nothing else of ours goes along: a server holding a death test's pipe open would keep
  // the test waiting after its process has ended.
  posix_spawn_file_actions_addclosefrom_np(&actions, std::max(asFd, STDERR_FILENO) + 1);
  std::vector<std::string> storage = args;
  std::vector<char*> argv;
  for (auto& a : storage) argv.push_back(a.data());
  argv.push_back(nullptr);
  pid_t pid = 0;
  const bool started = posix_spawnp(&pid, argv[0], &actions, nullptr, argv.data(), environ) == 0;
  posix_spawn_file_actions_destroy(&actions);
  return started ? pid : 0;
}

// Calls `idle` until `done` holds or `timeoutMs` passes: the X server and the program
// answer asynchronously, so conditions on them are polled.
inline bool WaitFor(const std::function<bool()>& done, const std::function<void()>& idle,
                    int timeoutMs = 3000) {
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
  for (;;) {
    idle();
    if (done()) return true;
    if (std::chrono::steady_clock::now() > deadline) return false;
    usleep(2000);
  }
}

// A private X server for the tests that need a real screen; absent when Xvfb is missing.
class PrivateXServer {
 public:
  explicit PrivateXServer(const char* screen = "800x600x24") {
    int ready[2];
    if (pipe2(ready, O_CLOEXEC) != 0) return;
    // Xvfb writes its display number to this descriptor once it accepts clients.
    pid_ = SpawnQuietly({"Xvfb", "-displayfd", "3", "-screen", "0", screen, "-nolisten", "tcp"},
                        ready[1], 3);
    close(ready[1]);
    std::string number;
    pollfd wait{ready[0], POLLIN, 0};
    char c;
    while (pid_ > 0 && poll(&wait, 1, 5000) == 1 && read(ready[0], &c, 1) == 1 && c != '\n')
      number.push_back(c);
    close(ready[0]);
    if (!number.empty()) display_ = ":" + number;
  }
  ~PrivateXServer() {
    for (pid_t pid : {windowManager_, pid_}) {
      if (pid <= 0) continue;
      kill(pid, SIGTERM);
      waitpid(pid, nullptr, 0);
    }
  }
  const std::string& display() const { return display_; }

  // Starts openbox on this server; the caller waits until it has announced itself.
  bool StartWindowManager() {
    if (display_.empty()) return false;
    setenv("DISPLAY", display_.c_str(), 1);
    windowManager_ = SpawnQuietly({"openbox", "--sm-disable"});
    return windowManager_ > 0;
  }

 private:
  pid_t pid_ = 0;
  pid_t windowManager_ = 0;
  std::string display_;
};

inline bool OnPath(const char* program) {
  const char* path = std::getenv("PATH");
  std::string dirs = path != nullptr ? path : "/usr/bin:/bin";
  size_t start = 0;
  while (start <= dirs.size()) {
    size_t end = dirs.find(':', start);
    if (end == std::string::npos) end = dirs.size();
    const std::string candidate = dirs.substr(start, end - start) + "/" + program;
    if (access(candidate.c_str(), X_OK) == 0) return true;
    start = end + 1;
  }
  return false;
}

// Runs xdotool with these arguments (real X input) and waits until it is done.
inline bool Xdotool(const std::vector<std::string>& args) {
  std::vector<std::string> all{"xdotool"};
  all.insert(all.end(), args.begin(), args.end());
  const pid_t pid = SpawnQuietly(all);
  if (pid == 0) return false;
  int status = 0;
  if (!WaitFor([&] { return waitpid(pid, &status, WNOHANG) == pid; }, [] {}, 10000)) {
    kill(pid, SIGKILL);
    waitpid(pid, &status, 0);
    return false;
  }
  return WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

}  // namespace platform::user
