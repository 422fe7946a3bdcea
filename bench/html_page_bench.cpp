// The HTML viewer's document path on a 200 KB article read from a local file, against
// references measured in the same run:
//   - loading (read, decode, parse, lay out at 800 px) against measuring every word of the
//     article once with GetTextExtentPoint32W, the least any layout must do;
//   - the first paint of an 800x600 view and a repaint after scrolling, against one BitBlt of
//     the view (what showing the finished pixels costs).
// After the runs a summary prints each ratio (best CPU time of each).
#include <benchmark/benchmark.h>

#include <cstdio>
#include <fstream>
#include <iterator>
#include <sstream>
#include <string>
#include <vector>

#include "bench/BestTimeReporter.h"
#include "forms/units/html/PageCanvas.h"
#include "forms/units/html/PageDocument.h"
#include "forms/units/html/PageText.h"
#include "platform/kernel/CodePage.h"
#include "platform/wingdi.h"
#include "tests/common/TempFolder.h"

namespace {

constexpr int kWidth = 800;
constexpr int kHeight = 600;
constexpr size_t kArticleBytes = 200 * 1024;

std::string MakeArticle() {
  static const char* const kWords[] = {"still", "frame",  "剧照",  "light", "胶片",  "shadow",
                                       "镜头",  "colour", "story", "电影",  "grain", "scene"};
  std::string html =
      "<html><head><meta charset=\"utf-8\"><title>Article</title>"
      "<style>p{line-height:1.4} td{padding:2px 6px}</style></head><body>";
  unsigned seed = 12345;
  int section = 0;
  while (html.size() < kArticleBytes) {
    ++section;
    html += "<h2>Section " + std::to_string(section) + " 第" + std::to_string(section) + "节</h2>";
    for (int p = 0; p < 4; ++p) {
      html += "<p>";
      for (int w = 0; w < 60; ++w) {
        seed = seed * 1103515245u + 12345u;
        const char* word = kWords[(seed >> 16) % std::size(kWords)];
        if (w % 17 == 5) {
          html += "<a href=\"s" + std::to_string(w) + ".html\">" + word + "</a> ";
        } else if (w % 13 == 7) {
          html += std::string("<b>") + word + "</b> ";
        } else {
          html += std::string(word) + " ";
        }
      }
      html += "</p>";
    }
    html += "<ul><li>first point</li><li>第二点</li><li>third point</li></ul>";
    html +=
        "<table border=\"1\"><tr><th>名称</th><th>Value</th></tr><tr><td>胶片</td>"
        "<td>35 mm</td></tr></table>";
  }
  return html + "</body></html>";
}

const std::string& ArticleFile() {
  static const std::string path = [] {
    std::string p = testing_temp::Folder() + "/velmora-bench-article.html";
    std::ofstream(p, std::ios::binary) << MakeArticle();
    return p;
  }();
  return path;
}

std::string ReadFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

struct View {
  forms::html::PageCanvas canvas;
  litehtml::document::ptr document;
  HDC dc = nullptr;
  HBITMAP bitmap = nullptr;
  HGDIOBJ old = nullptr;

  View() {
    canvas.SetPageAddress("file://" + ArticleFile());
    canvas.SetViewport(kWidth, kHeight);
    document =
        forms::html::ParsePage(forms::html::PageToUtf8(ReadFile(ArticleFile()), ""), &canvas);
    document->render(kWidth);
    dc = CreateCompatibleDC(nullptr);
    bitmap = CreateCompatibleBitmap(dc, kWidth, kHeight);
    old = SelectObject(dc, bitmap);
  }
  ~View() {
    SelectObject(dc, old);
    DeleteObject(bitmap);
    DeleteDC(dc);
    document.reset();
  }
  void Paint(int scrollTop) {
    RECT all{0, 0, kWidth, kHeight};
    FillRect(dc, &all, static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH)));
    litehtml::position clip(0, 0, kWidth, kHeight);
    document->draw(reinterpret_cast<litehtml::uint_ptr>(dc), 0, -scrollTop, &clip);
  }
};

void BM_LoadAndLayOut(benchmark::State& state) {
  const std::string& path = ArticleFile();
  for (auto _ : state) {
    forms::html::PageCanvas canvas;
    canvas.SetPageAddress("file://" + path);
    canvas.SetViewport(kWidth, kHeight);
    auto document = forms::html::ParsePage(forms::html::PageToUtf8(ReadFile(path), ""), &canvas);
    document->render(kWidth);
    benchmark::DoNotOptimize(document->height());
  }
}
BENCHMARK(BM_LoadAndLayOut)->Unit(benchmark::kMillisecond)->Repetitions(3);

void BM_MeasureEveryWord(benchmark::State& state) {
  // The article's words as the layout sees them: the text between tags, split at spaces.
  const std::string article = MakeArticle();
  std::vector<std::u16string> words;
  std::string text;
  bool inTag = false;
  for (char c : article) {
    if (c == '<' || c == '>' || c == ' ') {
      if (!text.empty() && !inTag) {
        std::u16string wide;
        platform::kernel::DecodeUtf8(text, false, wide);
        words.push_back(std::move(wide));
      }
      text.clear();
      if (c == '<') inTag = true;
      if (c == '>') inTag = false;
      continue;
    }
    text += c;
  }
  HDC dc = CreateCompatibleDC(nullptr);
  LOGFONTA lf{};
  lf.lfHeight = -16;
  std::snprintf(lf.lfFaceName, sizeof lf.lfFaceName, "DejaVu Sans");
  HFONT font = CreateFontIndirectA(&lf);
  HGDIOBJ old = SelectObject(dc, font);
  for (auto _ : state) {
    long total = 0;
    for (const std::u16string& w : words) {
      SIZE size{};
      GetTextExtentPoint32W(dc, w.data(), static_cast<int>(w.size()), &size);
      total += size.cx;
    }
    benchmark::DoNotOptimize(total);
  }
  state.counters["words"] = static_cast<double>(words.size());
  SelectObject(dc, old);
  DeleteObject(font);
  DeleteDC(dc);
}
BENCHMARK(BM_MeasureEveryWord)->Unit(benchmark::kMillisecond)->Repetitions(3);

void BM_FirstPaint(benchmark::State& state) {
  View view;
  for (auto _ : state) view.Paint(0);
}
BENCHMARK(BM_FirstPaint)->Unit(benchmark::kMicrosecond)->Repetitions(3);

void BM_ScrollRepaint(benchmark::State& state) {
  View view;
  const int height = view.document->height();
  int top = 0;
  for (auto _ : state) {
    // A wheel notch at a time through the whole article.
    top = top + 60 < height - kHeight ? top + 60 : 0;
    view.Paint(top);
  }
}
BENCHMARK(BM_ScrollRepaint)->Unit(benchmark::kMicrosecond)->Repetitions(3);

void BM_BlitView(benchmark::State& state) {
  View view;
  HDC target = CreateCompatibleDC(nullptr);
  HBITMAP bitmap = CreateCompatibleBitmap(target, kWidth, kHeight);
  HGDIOBJ old = SelectObject(target, bitmap);
  for (auto _ : state) BitBlt(target, 0, 0, kWidth, kHeight, view.dc, 0, 0, SRCCOPY);
  SelectObject(target, old);
  DeleteObject(bitmap);
  DeleteDC(target);
}
BENCHMARK(BM_BlitView)->Unit(benchmark::kMicrosecond)->Repetitions(3);

class RatioReporter : public BestTimeReporter {
 public:
  void PrintRatios() const {
    const double load = Seconds("BM_LoadAndLayOut"), measure = Seconds("BM_MeasureEveryWord");
    const double first = Seconds("BM_FirstPaint"), scroll = Seconds("BM_ScrollRepaint");
    const double blit = Seconds("BM_BlitView");
    if (load <= 0 || measure <= 0 || first <= 0 || scroll <= 0 || blit <= 0) return;
    std::printf("\n%zu KB article from a local file, view %dx%d\n", kArticleBytes / 1024, kWidth,
                kHeight);
    std::printf("load and lay out %.1f ms / measuring every word %.1f ms: %.1f\n", load * 1e3,
                measure * 1e3, load / measure);
    std::printf("first paint %.2f ms / one view blit %.3f ms: %.1f\n", first * 1e3, blit * 1e3,
                first / blit);
    std::printf("scroll repaint %.2f ms / one view blit %.3f ms: %.1f\n", scroll * 1e3, blit * 1e3,
                scroll / blit);
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
