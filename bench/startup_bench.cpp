// Start-up of the real program, headless: from the moment the process is spawned to the
// splash window shown (the first thing the user sees), to the web page window shown with the
// splash clicked away at once, and to the home window shown with the web page window closed
// at once. The probe (bench/startup/StartupProbe.cpp) is Velmora itself plus a watcher
// thread; the splash's own timers and the reader's pauses are not part of the figures.
// Prints the best and the median of 15 starts.
#include <spawn.h>
#include <sys/wait.h>
#include <time.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <map>
#include <string>
#include <vector>

extern char** environ;

namespace {

long long Now() {
  timespec t{};
  clock_gettime(CLOCK_MONOTONIC, &t);
  return static_cast<long long>(t.tv_sec) * 1000000000LL + t.tv_nsec;
}

// One start: mark name -> milliseconds since the spawn.
std::map<std::string, double> StartOnce(const std::string& probe) {
  int out[2];
  if (pipe(out) != 0) return {};
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_adddup2(&actions, out[1], 1);
  posix_spawn_file_actions_addclose(&actions, out[0]);
  char* argv[] = {const_cast<char*>(probe.c_str()), nullptr};
  const long long spawned = Now();
  pid_t child = 0;
  const int failed = posix_spawn(&child, probe.c_str(), &actions, nullptr, argv, environ);
  posix_spawn_file_actions_destroy(&actions);
  close(out[1]);
  std::map<std::string, double> marks;
  if (failed != 0) {
    close(out[0]);
    return marks;
  }
  FILE* in = fdopen(out[0], "r");
  char name[64];
  long long at = 0;
  while (in != nullptr && std::fscanf(in, "%63s %lld", name, &at) == 2) {
    marks[name] = static_cast<double>(at - spawned) / 1e6;
  }
  if (in != nullptr) std::fclose(in);
  int status = 0;
  waitpid(child, &status, 0);
  return marks;
}

}  // namespace

int main(int argc, char** argv) {
  std::string self = argv[0];
  const std::string probe =
      argc > 1 ? argv[1] : self.substr(0, self.find_last_of('/') + 1) + "velmora_startup_probe";
  setenv("VELMORA_HEADLESS", "1", 1);
  std::map<std::string, std::vector<double>> all;
  for (int i = 0; i < 15; ++i) {
    for (const auto& [name, ms] : StartOnce(probe)) all[name].push_back(ms);
  }
  if (all.empty()) {
    std::fprintf(stderr, "startup_bench: %s did not report\n", probe.c_str());
    return 1;
  }
  std::printf("%-8s %10s %10s %6s\n", "shown", "best ms", "median ms", "starts");
  for (const char* name : {"splash", "webpage", "home"}) {
    std::vector<double>& t = all[name];
    if (t.empty()) continue;
    std::sort(t.begin(), t.end());
    std::printf("%-8s %10.1f %10.1f %6zu\n", name, t.front(), t[t.size() / 2], t.size());
  }
  return 0;
}
