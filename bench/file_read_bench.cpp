// Reading a whole 64 MB file into a byte set against a plain open/read into a fresh buffer
// (the least any reader must do). Both run in one process so the ratio is meaningful.
#include <benchmark/benchmark.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "commands/files/FileCommands.h"
#include "commands/support/LibraryServices.h"
#include "runtime/RuntimeState.h"
#include "runtime/calls/ServiceTable.h"
#include "runtime/memory/RuntimeHeap.h"
#include "tests/common/TempFolder.h"

namespace {

constexpr size_t kFileBytes = 64u << 20;

const std::string& TestFile() {
  static const std::string path = [] {
    std::string p = testing_temp::Folder() + "/velmora-bench-64mb.bin";
    std::vector<char> bytes(kFileBytes);
    for (size_t i = 0; i < bytes.size(); ++i) bytes[i] = static_cast<char>(i * 2654435761u >> 13);
    FILE* f = std::fopen(p.c_str(), "wb");
    std::fwrite(bytes.data(), 1, bytes.size(), f);
    std::fclose(f);
    return p;
  }();
  return path;
}

void Attach() {
  static bool done = [] {
    rt::InitRuntime(nullptr);
    cmd::SetRuntimeNotify(rt::RuntimeNotify);
    return true;
  }();
  (void)done;
}

void BM_PlainRead(benchmark::State& state) {
  const std::string& path = TestFile();
  for (auto _ : state) {
    int fd = open(path.c_str(), O_RDONLY);
    struct stat st;
    fstat(fd, &st);
    char* buffer = static_cast<char*>(std::malloc(static_cast<size_t>(st.st_size)));
    ssize_t n = read(fd, buffer, static_cast<size_t>(st.st_size));
    close(fd);
    benchmark::DoNotOptimize(buffer);
    benchmark::DoNotOptimize(n);
    std::free(buffer);
  }
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * kFileBytes));
}

void BM_ReadWholeFile(benchmark::State& state) {
  Attach();
  const std::string& path = TestFile();
  for (auto _ : state) {
    void* bytes = cmd::ReadWholeFileBytes(path.c_str());
    benchmark::DoNotOptimize(bytes);
    rt::FreeMem(bytes);
  }
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * kFileBytes));
}

BENCHMARK(BM_PlainRead)->Unit(benchmark::kMillisecond)->MinTime(2.0);
BENCHMARK(BM_ReadWholeFile)->Unit(benchmark::kMillisecond)->MinTime(2.0);

// The ratio, measured in alternation so that cache and page-cache state favour neither.
double MedianSeconds(void (*body)(), int rounds) {
  std::vector<double> times;
  for (int i = 0; i < rounds; ++i) {
    auto start = std::chrono::steady_clock::now();
    body();
    times.push_back(
        std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count());
  }
  std::sort(times.begin(), times.end());
  return times[times.size() / 2];
}

}  // namespace

int main(int argc, char** argv) {
  benchmark::Initialize(&argc, argv);
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();

  Attach();
  auto plain = [] {
    int fd = open(TestFile().c_str(), O_RDONLY);
    struct stat st;
    fstat(fd, &st);
    char* buffer = static_cast<char*>(std::malloc(static_cast<size_t>(st.st_size)));
    ssize_t n = read(fd, buffer, static_cast<size_t>(st.st_size));
    benchmark::DoNotOptimize(n);
    close(fd);
    benchmark::DoNotOptimize(buffer);
    std::free(buffer);
  };
  auto ours = [] {
    void* bytes = cmd::ReadWholeFileBytes(TestFile().c_str());
    benchmark::DoNotOptimize(bytes);
    rt::FreeMem(bytes);
  };
  double a = 0, b = 0;
  for (int i = 0; i < 5; ++i) {
    a += MedianSeconds(plain, 5);
    b += MedianSeconds(ours, 5);
  }
  std::printf("ReadWholeFile / read ratio: %.3f (read %.2f ms, ReadWholeFile %.2f ms)\n", b / a,
              a / 5 * 1e3, b / 5 * 1e3);
  std::remove(TestFile().c_str());
  return 0;
}
