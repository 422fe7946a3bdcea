// Exact-case text search over a large mixed GBK/ASCII text, measured against glibc's
// memmem on the same bytes and needle. After the runs a summary prints each command's
// time as a multiple of memmem's (best repetition of each, CPU time).
#include <benchmark/benchmark.h>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <map>
#include <string>
#include <vector>

#include "bench/BestTimeReporter.h"
#include "commands/support/LibraryServices.h"
#include "commands/text/TextCommands.h"
#include "runtime/RuntimeState.h"
#include "runtime/calls/CommandCall.h"
#include "runtime/calls/ServiceTable.h"
#include "runtime/memory/RuntimeHeap.h"

namespace {

constexpr size_t kTextBytes = size_t{1} << 20;

// "电影水印Still": its ASCII part never occurs in the generated text.
const std::string kPresentNeedle = "\xB5\xE7\xD3\xB0\xCB\xAE\xD3\xA1Still";
// "字幕Frame"
const std::string kAbsentNeedle =
    "\xD7\xD6\xC4\xBB"
    "Frame";

// Words of lower-case letters and spaces between runs of two-byte characters from the
// common GBK range, deterministic from a fixed seed; the present needle sits 200 bytes
// before the end.
std::string MakeText() {
  uint32_t state = 20240611;
  auto next = [&state](uint32_t n) {
    state = state * 1664525u + 1013904223u;
    return (state >> 8) % n;
  };
  std::string text;
  text.reserve(kTextBytes + 64);
  const size_t needleAt = kTextBytes - 200;
  while (text.size() < needleAt) {
    size_t run = 1 + next(8);
    if (next(2) == 0) {
      for (size_t i = 0; i < run; ++i) text += static_cast<char>('a' + next(26));
      text += ' ';
    } else {
      for (size_t i = 0; i < run; ++i) {
        text += static_cast<char>(0xB0 + next(0xD8 - 0xB0));
        text += static_cast<char>(0xA1 + next(0xFF - 0xA1));
      }
    }
  }
  text += kPresentNeedle;
  while (text.size() < kTextBytes) text += static_cast<char>('a' + next(26));
  return text;
}

const std::string& Text() {
  static const std::string text = MakeText();
  return text;
}

void AttachRuntime() {
  static bool attached = [] {
    rt::InitRuntime(nullptr);
    cmd::SetRuntimeNotify(rt::RuntimeNotify);
    return true;
  }();
  (void)attached;
}

void BM_Memmem(benchmark::State& state, const std::string* needle) {
  const std::string& text = Text();
  for (auto _ : state) {
    const void* hit = memmem(text.data(), text.size(), needle->data(), needle->size());
    benchmark::DoNotOptimize(hit);
  }
}

void BM_FindText(benchmark::State& state, const std::string* needle, bool ignoreCase) {
  AttachRuntime();
  const std::string& text = Text();
  for (auto _ : state) {
    rt::ArgRecord r =
        rt::Call(cmd::FindText, {rt::Arg::Text(text.c_str()), rt::Arg::Text(needle->c_str()),
                                 rt::Arg::Omitted(), rt::Arg::Bool(ignoreCase)});
    benchmark::DoNotOptimize(r.value);
  }
}

void BM_ReplaceText(benchmark::State& state, const std::string* needle) {
  AttachRuntime();
  const std::string& text = Text();
  for (auto _ : state) {
    rt::ArgRecord r =
        rt::Call(cmd::ReplaceText,
                 {rt::Arg::Text(text.c_str()), rt::Arg::Text(needle->c_str()), rt::Arg::Text("#"),
                  rt::Arg::Omitted(), rt::Arg::Omitted(), rt::Arg::Bool(true)});
    benchmark::DoNotOptimize(r.value);
    rt::FreeMem(r.Pointer());
  }
}

BENCHMARK_CAPTURE(BM_Memmem, present, &kPresentNeedle);
BENCHMARK_CAPTURE(BM_FindText, present, &kPresentNeedle, false);
BENCHMARK_CAPTURE(BM_Memmem, absent, &kAbsentNeedle);
BENCHMARK_CAPTURE(BM_FindText, absent, &kAbsentNeedle, false);
BENCHMARK_CAPTURE(BM_ReplaceText, present, &kPresentNeedle);
BENCHMARK_CAPTURE(BM_ReplaceText, absent, &kAbsentNeedle);
BENCHMARK_CAPTURE(BM_FindText, present_ignoring_case, &kPresentNeedle, true);

// Prints as usual and keeps the best CPU time per iteration of every benchmark.
class RatioReporter : public BestTimeReporter {
 public:
  void PrintRatios() const {
    std::printf("\nRatios to memmem on the same 1 MB text (best CPU time per call):\n");
    Ratio("BM_FindText/present", "BM_Memmem/present");
    Ratio("BM_FindText/absent", "BM_Memmem/absent");
    Ratio("BM_ReplaceText/present", "BM_Memmem/present");
    Ratio("BM_ReplaceText/absent", "BM_Memmem/absent");
    Ratio("BM_FindText/present_ignoring_case", "BM_Memmem/present");
  }

 private:
  void Ratio(const std::string& name, const std::string& reference) const {
    double a = Seconds(name), b = Seconds(reference);
    if (a <= 0 || b <= 0) return;
    std::printf("  %-36s %8.2fx  (%.1f us vs %.1f us)\n", name.c_str(), a / b, a * 1e6, b * 1e6);
  }
};

}  // namespace

int main(int argc, char** argv) {
  benchmark::Initialize(&argc, argv);
  if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
  RatioReporter reporter;
  benchmark::RunSpecifiedBenchmarks(&reporter);
  reporter.PrintRatios();
  benchmark::Shutdown();
  return 0;
}
