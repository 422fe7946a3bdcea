// A private X server for the tests that need a real screen, and the check whether one can
// be started at all.
#pragma once

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <string>
#include <vector>

extern char** environ;

namespace platform::user {

// A private X server for the tests that need a real screen; absent when Xvfb is missing.
class PrivateXServer {
 public:
  explicit PrivateXServer(const char* screen = "800x600x24") {
    int ready[2];
    if (pipe2(ready, O_CLOEXEC) != 0) return;
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    // Xvfb writes its display number to this descriptor once it accepts clients.
    posix_spawn_file_actions_adddup2(&actions, ready[1], 3);
    posix_spawn_file_actions_addopen(&actions, STDERR_FILENO, "/dev/null", O_WRONLY, 0);
    const char* args[] = {"Xvfb", "-displayfd", "3",   "-screen", "0",
                          screen, "-nolisten",  "tcp", nullptr};
    std::vector<std::string> storage(args, args + 8);
    std::vector<char*> argv;
    for (auto& a : storage) argv.push_back(a.data());
    argv.push_back(nullptr);
    const bool started = posix_spawnp(&pid_, "Xvfb", &actions, nullptr, argv.data(), environ) == 0;
    posix_spawn_file_actions_destroy(&actions);
    close(ready[1]);
    if (!started) {
      pid_ = 0;
      close(ready[0]);
      return;
    }
    std::string number;
    pollfd wait{ready[0], POLLIN, 0};
    char c;
    while (poll(&wait, 1, 5000) == 1 && read(ready[0], &c, 1) == 1 && c != '\n')
      number.push_back(c);
    close(ready[0]);
    if (!number.empty()) display_ = ":" + number;
  }
  ~PrivateXServer() {
    if (pid_ > 0) {
      kill(pid_, SIGTERM);
      waitpid(pid_, nullptr, 0);
    }
  }
  const std::string& display() const { return display_; }

 private:
  pid_t pid_ = 0;
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

}  // namespace platform::user
